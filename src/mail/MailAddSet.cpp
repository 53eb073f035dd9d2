#include "MailAddSet.h"

#include "GuiCommon.h"
#include "MailCommon.h"
#include "Prompter.h"
#include "common.h"

#include <QApplication>
#include <QCheckBox>
#include <QFutureWatcher>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtConcurrent>

#include <memory>

namespace {

QLineEdit* edit(const char* name, const QString& tip)
{
    auto* e = new QLineEdit;
    e->setObjectName(QString::fromLatin1(name));
    e->setToolTip(tip);
    return e;
}

QCheckBox* check(const char* name, const QString& caption)
{
    auto* c = new QCheckBox(caption);
    c->setObjectName(QString::fromLatin1(name));
    return c;
}

// The common numeric filter: a port is digits only.
void keepDigits(QLineEdit* e)
{
    const QString d = common::DigitsOnly(e->text());
    if (d != e->text()) {
        QApplication::beep();
        e->setText(d);
    }
}

const QString kTop = QStringLiteral("MAIL_TOP");
const QString kLeft = QStringLiteral("MAIL_LEFT");
const QString kColumn1 = QStringLiteral("ML_C1");
const QString kColumn2 = QStringLiteral("ML_C2");

}  // namespace

MailAddSet::MailAddSet(Storage& storage, QWidget* parent, PasswordVault* vault)
    : StoreMasterForm(storage, QStringLiteral("CancelCommand"), QStringLiteral("閉じる"),
                      QStringLiteral("メールアドレス設定を閉じます。"), parent, vault)
{
    setObjectName(QStringLiteral("MailAddSet"));
    setWindowTitle(QStringLiteral("メールアドレス設定"));
    setHelpPage(QStringLiteral("mail_set.html"));
    resize(860, 520);

    QTreeWidget* list = recordList();
    list->setObjectName(QStringLiteral("MailListView"));
    list->setHeaderLabels({QStringLiteral("名前"), QStringLiteral("メールアドレス")});

    m_name = edit("NameText", QStringLiteral("一覧に表示する名前です。送信するメールの差出人名にもなります。"));
    m_address = edit("MailText", QStringLiteral("このアカウントのメールアドレスを入力します。"));
    m_account = edit("IDText", QStringLiteral("メールサーバーにログインするアカウント名です。通常はメールアドレスの＠より前の部分、"
                                              "またはメールアドレス全体です（プロバイダの案内に従ってください）。"));
    m_password = edit("PassText", QStringLiteral("アカウントのパスワードを入力します。"));
    m_password->setEchoMode(QLineEdit::Password);
    m_smtp = edit("SmtpText", QStringLiteral("プロバイダから指定された送信（SMTP）サーバー名を入力します。"));
    m_smtpPort = edit("SmptPort", QStringLiteral("送信サーバーのポート番号です（通常は 25、587、SSL は 465）。"));
    m_pop3 = edit("Pop3Text", QStringLiteral("プロバイダから指定された受信（POP3）サーバー名を入力します。"));
    m_pop3Port = edit("PopPort", QStringLiteral("受信サーバーのポート番号です（通常は 110）。"));
    for (QLineEdit* p : {m_smtpPort, m_pop3Port}) {
        p->setMaximumWidth(90);
        connect(p, &QLineEdit::textEdited, this, [p] { keepDigits(p); });
    }
    m_apop = check("ApopCheck", QStringLiteral("APOP を使用する"));
    m_send = check("ReadFlg", QStringLiteral("メール送信に含む"));
    m_copy = check("CopyCheck", QStringLiteral("サーバー側にメールのコピーを置く"));
    m_plainAuth = check("PlainAuthCheck", QStringLiteral("暗号化されていない接続でもパスワードを送信する"));
    m_plainAuth->setToolTip(QStringLiteral("通常はオフにしてください。オフのときは、送信サーバーが暗号化（TLS）に"
                                           "対応していなければパスワードを送らずに送信を中止します。"));
    m_plainAuthWarning = new QLabel(QStringLiteral(
        "注意：送信サーバーが暗号化に対応していないと、アカウント名とパスワードが暗号化されずに"
        "ネットワークを流れ、途中で盗み見られるおそれがあります。プロバイダが暗号化に対応していない"
        "場合だけオンにしてください。"));
    m_plainAuthWarning->setObjectName(QStringLiteral("PlainAuthWarning"));
    m_plainAuthWarning->setWordWrap(true);
    m_plainAuthWarning->setStyleSheet(QStringLiteral("color: #c00000;"));
    m_plainAuthWarning->setVisible(false);
    connect(m_plainAuth, &QCheckBox::toggled, m_plainAuthWarning, &QWidget::setVisible);
    m_keyringLabel = new QLabel;
    m_keyringLabel->setObjectName(QStringLiteral("KeyringLabel"));
    m_keyringLabel->setWordWrap(true);
    m_testBtn = new QPushButton(QStringLiteral("送信テスト"));
    m_testBtn->setObjectName(QStringLiteral("TestBtn"));
    m_testBtn->setAutoDefault(false);
    m_testBtn->setToolTip(QStringLiteral("表示中の設定で、このアドレスあてにテストメールを送信します。"));
    connect(m_testBtn, &QPushButton::clicked, this, &MailAddSet::sendTest);

    auto* user = new QGroupBox(QStringLiteral("ユーザー情報"));
    auto* ug = new QGridLayout(user);
    ug->addWidget(new QLabel(QStringLiteral("名前 :")), 0, 0);
    ug->addWidget(m_name, 0, 1);
    ug->addWidget(new QLabel(QStringLiteral("メールアドレス")), 1, 0);
    ug->addWidget(m_address, 1, 1);

    auto* login = new QGroupBox(QStringLiteral("ログイン情報"));
    auto* lg = new QGridLayout(login);
    lg->addWidget(new QLabel(QStringLiteral("アカウント名")), 0, 0);
    lg->addWidget(m_account, 0, 1);
    lg->addWidget(new QLabel(QStringLiteral("パスワード")), 1, 0);
    lg->addWidget(m_password, 1, 1);
    lg->addWidget(m_keyringLabel, 2, 0, 1, 2);
    lg->addWidget(m_plainAuth, 3, 0, 1, 2);
    lg->addWidget(m_plainAuthWarning, 4, 0, 1, 2);

    auto* servers = new QGroupBox(QStringLiteral("サーバー情報"));
    auto* sg = new QGridLayout(servers);
    sg->addWidget(new QLabel(QStringLiteral("SMTPサーバー名")), 0, 0);
    sg->addWidget(m_smtp, 0, 1);
    sg->addWidget(new QLabel(QStringLiteral("SMTPポート番号")), 0, 2);
    sg->addWidget(m_smtpPort, 0, 3);
    sg->addWidget(new QLabel(QStringLiteral("POP3サーバー名")), 1, 0);
    sg->addWidget(m_pop3, 1, 1);
    sg->addWidget(new QLabel(QStringLiteral("POP3ポート番号")), 1, 2);
    sg->addWidget(m_pop3Port, 1, 3);
    sg->setColumnStretch(1, 1);

    auto* options = new QGroupBox(QStringLiteral("オプション"));
    auto* og = new QVBoxLayout(options);
    og->addWidget(m_send);
    og->addWidget(m_apop);
    og->addWidget(m_copy);

    const QVector<QPair<const char*, QWidget*>> binds{
        {"Name", m_name},     {"Acount", m_account}, {"MailADDR", m_address}, {"SMPT", m_smtp},
        {"Pop3", m_pop3},     {"APOP", m_apop},      {"SetFlg", m_send},      {"DelFlg", m_copy},
        {"SMTP_PORT", m_smtpPort}, {"POP3_PORT", m_pop3Port}, {"PlainAuth", m_plainAuth}};
    for (const auto& [column, widget] : binds)
        bindField(QString::fromLatin1(column), widget);
    watch(m_password);
    setEnterOrder({m_name, m_address, m_account, m_password, m_smtp, m_smtpPort, m_pop3, m_pop3Port, m_send, m_apop,
                   m_copy, m_plainAuth, applyButton()});
    setEntryWidgets({user, login, servers, options, m_testBtn});

    QVBoxLayout* left = listColumn();
    QHBoxLayout* buttons = buttonRow({}, {m_testBtn, helpButton(), closeButton()});
    auto* right = new QVBoxLayout;
    right->addWidget(user);
    right->addWidget(login);
    right->addWidget(servers);
    right->addWidget(options);
    right->addStretch(1);
    right->addLayout(buttons);
    auto* root = new QHBoxLayout(this);
    root->addLayout(left, 2);
    root->addLayout(right, 3);

    QString ignored;  // unreadable options leave the window as designed
    keepPlace(WindowPlacement(this, kTop, kLeft)
                  .width(list->header(), 0, kColumn1, 130, 40)
                  .width(list->header(), 1, kColumn2, 170, 40),
              &ignored);
    setEdited(false);
}

void MailAddSet::firstShown()
{
    {
        BusyCursor busy;
        m_keyring = m_store.keyringAvailable();
    }
    showKeyringState();
    relist(0);
}

void MailAddSet::showKeyringState()
{
    if (m_keyring) {
        m_keyringLabel->setText(QStringLiteral("パスワードはこのパソコンのキーリング（パスワード管理）に保存され、"
                                               "データベースには保存されません。"));
        m_keyringLabel->setStyleSheet(QStringLiteral("color: #1f4e79;"));
    } else {
        m_keyringLabel->setText(QStringLiteral("このパソコンではキーリング（パスワード管理）が利用できないため、"
                                               "パスワードはデータベースにそのまま保存されます。"));
        m_keyringLabel->setStyleSheet(QStringLiteral("color: #c00000;"));
    }
}

QStringList MailAddSet::rowTexts(const MailAccount& a) const
{
    return {a.name, a.address};
}

void MailAddSet::showRow(const MailAccount& a)
{
    MasterRow row;
    row.id = a.id;
    const QVector<QPair<const char*, QVariant>> values{
        {"Name", a.name}, {"Acount", a.account}, {"MailADDR", a.address}, {"SMPT", a.smtp},
        {"Pop3", a.pop3}, {"APOP", a.apop},      {"SetFlg", a.setFlg},    {"DelFlg", a.delFlg},
        {"SMTP_PORT", a.smtpPort}, {"POP3_PORT", a.pop3Port}, {"PlainAuth", a.plainAuth}};
    for (const auto& [column, value] : values)
        row.set(QString::fromLatin1(column), value);
    loadBound(row);
    m_password->setText(m_store.password(a));
}

void MailAddSet::clearFields()
{
    clearBound();
    m_password->clear();
}

MailAccount MailAddSet::shownAccount() const
{
    MailAccount a;
    a.id = shownId();
    a.name = m_name->text();
    a.account = m_account->text();
    a.address = m_address->text().trimmed();
    a.smtp = m_smtp->text().trimmed();
    a.pop3 = m_pop3->text().trimmed();
    a.apop = m_apop->isChecked() ? 1 : 0;
    a.setFlg = m_send->isChecked() ? 1 : 0;
    a.delFlg = m_copy->isChecked() ? 1 : 0;
    a.smtpPort = m_smtpPort->text();
    a.pop3Port = m_pop3Port->text();
    a.plainAuth = m_plainAuth->isChecked() ? 1 : 0;
    return a;
}

bool MailAddSet::writeRecord(qint64 id, bool* found)
{
    MailAccount a = shownAccount();
    a.id = id;
    bool inKeyring = false;
    if (!m_store.write(a, m_password->text(), found, &inKeyring)) {
        m_error = m_store.errorString();
        return false;
    }
    if (!inKeyring && m_keyring && !m_password->text().isEmpty()) {
        // The keyring refused this time: say where the password went.
        m_keyring = false;
        showKeyringState();
    }
    return true;
}

void MailAddSet::afterApply(qint64 id)
{
    relist(id);
}

void MailAddSet::sendTest()
{
    const MailAccount a = shownAccount();
    if (a.address.isEmpty()) {
        common::ErrorBox(QStringLiteral("メールアドレスが入力されていません。"));
        focusField(m_address);
        return;
    }
    MailDraft draft;
    draft.from = a.address;
    draft.to = a.address;
    draft.subject = QStringLiteral("ShinseiDesk テストメール");
    draft.body = QStringLiteral("このメールは ShinseiDesk の「メールアドレス設定」から送信したテストメールです。\n"
                                "このメールが届いていれば、送信の設定は正しく動作しています。\n");
    const MailCommon::Outgoing out = MailCommon::outgoing(draft, a, m_password->text());
    m_testBtn->setEnabled(false);
    auto busy = std::make_shared<BusyCursor>();  // until the server has answered
    auto* watcher = new QFutureWatcher<QString>(this);
    connect(watcher, &QFutureWatcher<QString>::finished, this, [this, watcher, a, busy]() mutable {
        const QString result = watcher->result();
        watcher->deleteLater();
        busy.reset();
        m_testBtn->setEnabled(true);
        emit testFinished(result);
        if (result.isEmpty())
            Prompter::current().show({QStringLiteral("送信テスト"),
                                      QStringLiteral("%1 あてにテストメールを送信しました。").arg(a.address),
                                      Prompter::Icon::Information, Prompter::Ok, Prompter::Ok});
        else
            Prompter::current().show({MailCommon::kSendErrorTitle,
                                      MailCommon::kSendFailed + QLatin1Char('(') + result + QLatin1Char(')'),
                                      Prompter::Icon::Critical, Prompter::Ok, Prompter::Ok});
    });
    watcher->setFuture(QtConcurrent::run([out] { return out.send(); }));
}
