#include "WriteForm.h"

#include "EnterOrder.h"
#include "HelpForm.h"
#include "MailAddPopForm.h"
#include "MailDataStore.h"
#include "MailSession.h"
#include "MasterPickResult.h"
#include "PrnCommon.h"
#include "Prompter.h"
#include "SignForm.h"
#include "UniteForm.h"
#include "common.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <QtConcurrent>

namespace {

QLineEdit* edit(const char* name)
{
    auto* e = new QLineEdit;
    e->setObjectName(QString::fromLatin1(name));
    return e;
}

QPushButton* addressButton(const char* name, const QString& caption)
{
    auto* b = new QPushButton(caption);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    b->setToolTip(QStringLiteral("宛先一覧表から選択できます"));
    b->setMinimumWidth(64);
    return b;
}

// The composer's toolbar pictures, drawn here so that they look the same
// on every desktop whatever icon theme it has (the style's own set has no
// envelope, pen, clip or printer).
enum class Picture { Send, Sign, Attach, Quote, Print };

QIcon drawnIcon(Picture picture)
{
    constexpr int n = 48;
    QPixmap pm(n, n);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0x1f, 0x4e, 0x79);
    const QColor paper(0xfd, 0xfd, 0xf8);
    QPen pen(ink, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    switch (picture) {
    case Picture::Send: {
        p.setBrush(paper);
        p.drawRect(QRectF(4, 10, 32, 24));
        p.drawPolyline(QPolygonF({QPointF(4, 10), QPointF(20, 24), QPointF(36, 10)}));
        QPen arrow(QColor(0x2e, 0x8b, 0x2e), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(arrow);
        p.drawLine(QPointF(26, 38), QPointF(44, 38));
        p.drawPolyline(QPolygonF({QPointF(37, 31), QPointF(44, 38), QPointF(37, 45)}));
        break;
    }
    case Picture::Sign: {
        p.setBrush(paper);
        p.drawRect(QRectF(6, 4, 28, 38));
        p.drawLine(QPointF(11, 13), QPointF(29, 13));
        p.drawLine(QPointF(11, 20), QPointF(29, 20));
        QPen quill(QColor(0xa0, 0x52, 0x2d), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(quill);
        p.drawLine(QPointF(22, 38), QPointF(42, 18));
        p.setPen(QPen(ink, 2.5, Qt::SolidLine, Qt::RoundCap));
        QPainterPath wave;
        wave.moveTo(10, 34);
        wave.cubicTo(13, 28, 16, 40, 20, 33);
        p.setBrush(Qt::NoBrush);
        p.drawPath(wave);
        break;
    }
    case Picture::Attach: {
        QPainterPath clip;
        clip.moveTo(30, 14);
        clip.lineTo(30, 36);
        clip.arcTo(QRectF(16, 29, 14, 14), 0, -180);
        clip.lineTo(16, 10);
        clip.arcTo(QRectF(16, 3, 20, 14), 180, -180);
        clip.lineTo(36, 34);
        p.setPen(QPen(QColor(0x55, 0x5d, 0x66), 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(clip);
        break;
    }
    case Picture::Quote: {
        p.setBrush(paper);
        p.drawRect(QRectF(6, 4, 36, 40));
        QPen mark(QColor(0x2e, 0x8b, 0x2e), 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        for (int y : {13, 24, 35}) {
            p.setPen(mark);
            p.drawPolyline(QPolygonF({QPointF(11, y - 4), QPointF(16, y), QPointF(11, y + 4)}));
            p.setPen(QPen(ink, 2.5, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(21, y), QPointF(36, y));
        }
        break;
    }
    case Picture::Print: {
        p.setBrush(paper);
        p.drawRect(QRectF(13, 4, 22, 14));
        p.setBrush(QColor(0xc8, 0xd2, 0xdc));
        p.drawRoundedRect(QRectF(4, 18, 40, 18), 3, 3);
        p.setBrush(paper);
        p.drawRect(QRectF(13, 30, 22, 14));
        p.drawLine(QPointF(17, 36), QPointF(31, 36));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x2e, 0x8b, 0x2e));
        p.drawEllipse(QPointF(38, 24), 2.5, 2.5);
        break;
    }
    }
    p.end();
    return QIcon(pm);
}

QString joinAddresses(const QString& field, const QVector<MailAddress>& added)
{
    QStringList parts = MailCommon::splitAddresses(field);
    for (const MailAddress& a : added)
        if (!a.address.trimmed().isEmpty() && !parts.contains(a.address.trimmed()))
            parts << a.address.trimmed();
    return parts.join(QStringLiteral(", "));
}

}  // namespace

WriteForm::WriteForm(Storage& storage, const ComposeRequest& request, QWidget* parent, PasswordVault* vault,
                     MailSession* session)
    : QDialog(parent)
    , m_storage(storage)
    , m_store(storage, vault)
    , m_session(session)
    , m_request(request)
{
    setObjectName(QStringLiteral("WriteForm"));
    setWindowTitle(request.mode == ComposeRequest::kReply ? ComposeRequest::kReply : ComposeRequest::kNew);
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setModal(true);
    resize(820, 640);

    m_toolbar = new QToolBar;
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolbar->setIconSize(QSize(28, 28));
    struct Tool {
        const char* key;
        const char* text;
        const char* tip;
        QIcon icon;
        bool separatorBefore;
    };
    const Tool tools[] = {
        {"SendBtn", "送信", "メッセージを送信します。（Ctrl+Enter）", drawnIcon(Picture::Send), false},
        {"SignBtn", "署名", "登録されている署名をカーソルの位置に入れます。", drawnIcon(Picture::Sign), true},
        {"ClipBtn", "添付", "ファイルを添付します。", drawnIcon(Picture::Attach), false},
        {"ReSendBtn", "返信記号", "本文の各行の先頭に「>」を付けます。", drawnIcon(Picture::Quote), false},
        {"MailPrint", "印刷", "メッセージを印刷します。", drawnIcon(Picture::Print), true},
        {"CancelBtn", "中止", "メッセージの作成を中止します。", style()->standardIcon(QStyle::SP_DialogCancelButton),
         false},
        {"HelpBtn", "ヘルプ", "操作の説明を表示します。", style()->standardIcon(QStyle::SP_DialogHelpButton), true},
    };
    for (const Tool& t : tools) {
        if (t.separatorBefore)
            m_toolbar->addSeparator();
        QAction* a = m_toolbar->addAction(t.icon, QString::fromUtf8(t.text));
        a->setObjectName(QString::fromLatin1(t.key));
        a->setToolTip(QString::fromUtf8(t.tip));
        m_actions.insert(QString::fromLatin1(t.key), a);
    }
    m_actions.value(QStringLiteral("SendBtn"))->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Return),
                                                              QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    connect(action(QStringLiteral("SendBtn")), &QAction::triggered, this, &WriteForm::send);
    connect(action(QStringLiteral("SignBtn")), &QAction::triggered, this, &WriteForm::chooseSignature);
    connect(action(QStringLiteral("ClipBtn")), &QAction::triggered, this, &WriteForm::chooseAttachments);
    connect(action(QStringLiteral("ReSendBtn")), &QAction::triggered, this, &WriteForm::toggleQuote);
    connect(action(QStringLiteral("MailPrint")), &QAction::triggered, this, &WriteForm::printMessage);
    connect(action(QStringLiteral("CancelBtn")), &QAction::triggered, this, &WriteForm::abandon);
    connect(action(QStringLiteral("HelpBtn")), &QAction::triggered, this, &WriteForm::showHelp);

    m_from = new QComboBox;
    m_from->setObjectName(QStringLiteral("FromText"));
    m_from->setToolTip(QStringLiteral("登録されている一覧からメールアドレスを選択してください。"));
    m_to = edit("ToText");
    m_cc = edit("CCText");
    m_bcc = edit("BCCText");
    for (QLineEdit* e : {m_to, m_cc, m_bcc})
        e->setPlaceholderText(QStringLiteral("複数のアドレスは「,」で区切ります"));
    m_subject = edit("SubjectText");
    m_body = new QPlainTextEdit;
    m_body->setObjectName(QStringLiteral("BodyText"));
    m_body->setTabChangesFocus(true);
    m_files = new QListWidget;
    m_files->setObjectName(QStringLiteral("List1"));
    m_files->setToolTip(QStringLiteral("表示されている添付ファイルをダブルクリックすると展開されます。"));
    m_files->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_files->setFlow(QListView::LeftToRight);
    m_files->setWrapping(true);
    m_files->setMaximumHeight(64);
    m_files->setContextMenuPolicy(Qt::CustomContextMenu);
    m_files->installEventFilter(this);
    m_status = new QStatusBar;
    m_status->setObjectName(QStringLiteral("StatusBar1"));
    m_status->setSizeGripEnabled(true);

    QPushButton* toBtn = addressButton("Command1", QStringLiteral("宛先"));
    QPushButton* ccBtn = addressButton("Command2", QStringLiteral("CC"));
    QPushButton* bccBtn = addressButton("Command3", QStringLiteral("BCC"));
    connect(toBtn, &QPushButton::clicked, this, [this] { openAddressBook(MailTarget::To); });
    connect(ccBtn, &QPushButton::clicked, this, [this] { openAddressBook(MailTarget::Cc); });
    connect(bccBtn, &QPushButton::clicked, this, [this] { openAddressBook(MailTarget::Bcc); });

    auto* header = new QGridLayout;
    auto* fromLabel = new QLabel(QStringLiteral("差出人"));
    fromLabel->setBuddy(m_from);
    header->addWidget(fromLabel, 0, 0, Qt::AlignCenter);
    header->addWidget(m_from, 0, 1);
    header->addWidget(toBtn, 1, 0);
    header->addWidget(m_to, 1, 1);
    header->addWidget(ccBtn, 2, 0);
    header->addWidget(m_cc, 2, 1);
    header->addWidget(bccBtn, 3, 0);
    header->addWidget(m_bcc, 3, 1);
    auto* subjectLabel = new QLabel(QStringLiteral("題名"));
    subjectLabel->setBuddy(m_subject);
    header->addWidget(subjectLabel, 4, 0, Qt::AlignCenter);
    header->addWidget(m_subject, 4, 1);
    header->setColumnStretch(1, 1);

    auto* filesRow = new QHBoxLayout;
    auto* filesLabel = new QLabel(QStringLiteral("添付ファイル"));
    filesLabel->setBuddy(m_files);
    filesRow->addWidget(filesLabel, 0, Qt::AlignTop);
    filesRow->addWidget(m_files, 1);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(4);
    root->setMenuBar(m_toolbar);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(8, 6, 8, 0);
    body->addLayout(header);
    body->addWidget(m_body, 1);
    body->addLayout(filesRow);
    root->addLayout(body, 1);
    root->addWidget(m_status);

    // Ctrl+Enter is the send shortcut; the body takes its line breaks.
    new EnterOrder(this, {m_from, m_to, m_cc, m_bcc, m_subject, m_body},
                   EnterOrder::SelectNext | EnterOrder::CtrlEnterPasses);

    connect(m_from, &QComboBox::currentIndexChanged, this, [this] {
        senderChosen();
        markEdited();
    });
    for (QLineEdit* e : {m_to, m_cc, m_bcc, m_subject})
        connect(e, &QLineEdit::textChanged, this, &WriteForm::markEdited);
    connect(m_body, &QPlainTextEdit::textChanged, this, &WriteForm::markEdited);
    connect(m_files, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        const int row = m_files->row(item);
        if (row >= 0 && row < m_attachments.size()
            && !QDesktopServices::openUrl(QUrl::fromLocalFile(m_attachments.at(row))))
            common::ErrorBox(QStringLiteral("ファイルを開けませんでした。（%1）").arg(m_attachments.at(row)));
    });
    connect(m_files, &QListWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (m_attachments.isEmpty())
            return;
        QMenu menu(this);
        menu.addAction(QStringLiteral("開く"), this, [this] {
            if (QListWidgetItem* item = m_files->currentItem())
                emit m_files->itemDoubleClicked(item);
        });
        menu.addAction(QStringLiteral("名前を付けて保存..."), this, &WriteForm::saveAttachments);
        menu.addAction(QStringLiteral("添付から外す"), this, &WriteForm::removeSelectedAttachments);
        menu.exec(m_files->viewport()->mapToGlobal(pos));
    });

    m_loading = true;
    loadAccounts();
    fill(MailCommon::initialDraft(request, m_session ? m_session->lastSender() : QString()));
    m_loading = false;
    senderChosen();
    if (m_accounts.isEmpty())
        m_status->showMessage(
            QStringLiteral("送信に使うメールアドレスが登録されていません。「メール」メニューの「アカウント設定」で登録してください。"));
    // The clerk starts where the message still needs something.
    if (m_to->text().isEmpty())
        m_to->setFocus();
    else if (m_subject->text().isEmpty())
        m_subject->setFocus();
    else
        m_body->setFocus();
}

WriteForm::~WriteForm() = default;

QAction* WriteForm::action(const QString& key) const
{
    return m_actions.value(key);
}

void WriteForm::loadAccounts()
{
    if (!m_store.list(&m_accounts)) {
        common::ErrorBox(m_store.errorString());
        m_accounts.clear();
    }
    m_from->clear();
    for (const MailAccount& a : m_accounts)
        if (!a.address.trimmed().isEmpty() && m_from->findText(a.address) < 0)
            m_from->addItem(a.address);
}

void WriteForm::fill(const MailDraft& d)
{
    // The current sender when it is still an account, else the first
    // account meant for sending, else the first account.
    int index = d.from.isEmpty() ? -1 : m_from->findText(d.from);
    if (index < 0) {
        for (const MailAccount& a : m_accounts) {
            if (a.setFlg == 1 && m_from->findText(a.address) >= 0) {
                index = m_from->findText(a.address);
                break;
            }
        }
    }
    if (index < 0 && m_from->count() > 0)
        index = 0;
    m_from->setCurrentIndex(index);
    m_to->setText(d.to);
    m_cc->setText(d.cc);
    m_bcc->setText(d.bcc);
    m_subject->setText(d.subject);
    m_body->setPlainText(d.body);
    m_attachments.clear();
    m_files->clear();
    addAttachments(d.attachments);
}

void WriteForm::senderChosen()
{
    const QString address = m_from->currentText();
    for (const MailAccount& a : m_accounts) {
        if (a.address == address) {
            if (!m_loading)
                keepSender(address);
            m_status->showMessage(QStringLiteral("送信サーバー：%1").arg(MailCommon::serverText(a.smtp, a.smtpPort)));
            return;
        }
    }
}

void WriteForm::keepSender(const QString& address)
{
    if (m_session)
        m_session->setLastSender(address);
}

MailDraft WriteForm::draft() const
{
    MailDraft d;
    d.from = m_from->currentText();
    d.to = m_to->text();
    d.cc = m_cc->text();
    d.bcc = m_bcc->text();
    d.subject = m_subject->text();
    d.body = m_body->toPlainText();
    d.attachments = m_attachments;
    return d;
}

void WriteForm::markEdited()
{
    if (!m_loading)
        m_edited = true;
}

// ---------------------------------------------------------------- sending

void WriteForm::send()
{
    if (m_sending || m_done)
        return;
    const MailDraft d = draft();
    if (d.from.trimmed().isEmpty()) {
        Prompter::current().show(
            {PromptTitle::Error, MailCommon::kNoSender, Prompter::Icon::Critical, Prompter::Ok, Prompter::Ok});
        m_from->setFocus();
        return;
    }
    if (MailCommon::splitAddresses(d.to).isEmpty() && MailCommon::splitAddresses(d.cc).isEmpty()
        && MailCommon::splitAddresses(d.bcc).isEmpty()) {
        Prompter::current().show(
            {PromptTitle::Error, MailCommon::kNoRecipient, Prompter::Icon::Critical, Prompter::Ok, Prompter::Ok});
        m_to->setFocus();
        return;
    }
    MailAccount account;
    for (const MailAccount& a : m_accounts)
        if (a.address == d.from) {
            account = a;
            break;
        }
    QString password;
    {
        // The keyring may have to be unlocked first.
        BusyCursor busy;
        password = m_store.password(account);
    }
    const MailCommon::Outgoing out = MailCommon::outgoing(d, account, password);
    keepSender(d.from);
    setSending(true);
    m_status->showMessage(QStringLiteral("送信しています…（%1）").arg(out.server));
    auto* watcher = new QFutureWatcher<QString>(this);
    connect(watcher, &QFutureWatcher<QString>::finished, this, [this, watcher, d] {
        const QString result = watcher->result();
        watcher->deleteLater();
        finishSending(d, result);
    });
    watcher->setFuture(QtConcurrent::run([out] { return out.send(); }));
}

void WriteForm::setSending(bool sending)
{
    m_sending = sending;
    if (sending)
        m_busy.emplace();
    else
        m_busy.reset();
    for (QAction* a : m_actions)
        a->setEnabled(!sending);
    for (QWidget* w : findChildren<QWidget*>()) {
        if (w == m_status || w->parentWidget() != this || w == m_toolbar)
            continue;
        w->setEnabled(!sending);
    }
}

void WriteForm::finishSending(const MailDraft& d, const QString& result)
{
    setSending(false);
    m_result = result;
    if (!result.isEmpty()) {
        // Nothing went out: the message stays here as typed, unstored, so
        // that the user can put right what the server refused and send again.
        m_status->showMessage(QStringLiteral("送信できませんでした。内容はそのままです。確認して再度送信してください。"));
        Prompter::current().show({MailCommon::kSendErrorTitle,
                                  MailCommon::kSendFailed + QLatin1Char('(') + result + QLatin1Char(')'),
                                  Prompter::Icon::Critical, Prompter::Ok, Prompter::Ok});
        emit sendFinished(result);
        return;
    }
    MailDataStore mails(m_storage);
    m_storedId = mails.store(MailCommon::storedFrom(d, QDateTime::currentDateTime()));
    if (m_storedId <= 0)
        common::ErrorBox(QStringLiteral("メールは送信されましたが、送信済みメールとして保存できませんでした。\n%1")
                             .arg(mails.errorString()));
    m_done = true;
    emit sendFinished(result);
    accept();
}

// ---------------------------------------------------------------- body

void WriteForm::toggleQuote()
{
    QAction* a = action(QStringLiteral("ReSendBtn"));
    m_quoted = !m_quoted;
    m_body->setPlainText(m_quoted ? MailCommon::quoteLines(m_body->toPlainText())
                                  : MailCommon::unquoteLines(m_body->toPlainText()));
    a->setText(m_quoted ? MailCommon::kUnquoteCaption : MailCommon::kQuoteCaption);
    a->setToolTip(m_quoted ? QStringLiteral("本文の各行の先頭の「>」を外します。")
                           : QStringLiteral("本文の各行の先頭に「>」を付けます。"));
}

void WriteForm::chooseSignature()
{
    QString text;
    if (SignForm::pick(m_storage, this, &text))
        insertSignature(text);
}

void WriteForm::insertSignature(const QString& text)
{
    // Straight in at the caret: the user's clipboard stays as it was.
    m_body->setFocus();
    m_body->insertPlainText(text);
}

// ---------------------------------------------------------------- attachments

void WriteForm::chooseAttachments()
{
    UniteForm files(UniteForm::Mode::Attach, this);
    files.exec();
    if (files.transferred())
        addAttachments(files.files());
}

void WriteForm::addAttachments(const QStringList& paths)
{
    for (const QString& p : paths) {
        if (p.isEmpty())
            continue;
        m_attachments << p;
        auto* item = new QListWidgetItem(style()->standardIcon(QStyle::SP_FileIcon), QFileInfo(p).fileName(), m_files);
        item->setToolTip(QDir::toNativeSeparators(p));
        markEdited();
    }
}

void WriteForm::removeSelectedAttachments()
{
    for (int row = m_files->count() - 1; row >= 0; --row) {
        if (m_files->item(row)->isSelected()) {
            delete m_files->takeItem(row);
            m_attachments.removeAt(row);
            markEdited();
        }
    }
}

void WriteForm::saveAttachments()
{
    UniteForm files(UniteForm::Mode::Save, this);
    QStringList chosen;
    for (int row = 0; row < m_files->count(); ++row)
        if (m_files->item(row)->isSelected())
            chosen << m_attachments.at(row);
    files.setFiles(chosen.isEmpty() ? m_attachments : chosen);
    files.exec();
}

// ---------------------------------------------------------------- other commands

void WriteForm::printMessage()
{
    const Prompter::Button answer =
        Prompter::current().show({QStringLiteral("印刷確認"), QStringLiteral("印刷してもよろしいですか？"),
                                  Prompter::Icon::Question, Prompter::Yes | Prompter::No, Prompter::Yes});
    if (answer != Prompter::Yes)
        return;
    BusyCursor busy;
    PrnCommon::PrintText(MailCommon::printText(draft()), {}, m_subject->text());
}

bool WriteForm::askAbandon()
{
    if (!m_edited)
        return true;
    return Prompter::current().show({QStringLiteral("中止確認"), QStringLiteral("メール作成を中止してもよろしいですか？"),
                                     Prompter::Icon::Question, Prompter::Yes | Prompter::No, Prompter::No})
           == Prompter::Yes;
}

void WriteForm::abandon()
{
    if (m_sending || m_done)
        return;
    if (!askAbandon())
        return;
    m_done = true;
    QDialog::reject();
}

void WriteForm::reject()
{
    abandon();
}

void WriteForm::closeEvent(QCloseEvent* event)
{
    if (m_done) {
        event->accept();
        return;
    }
    if (m_sending || !askAbandon()) {
        event->ignore();
        return;
    }
    m_done = true;
    event->accept();
    QDialog::reject();
}

void WriteForm::showHelp()
{
    const bool reply = m_request.mode == ComposeRequest::kReply && m_request.earlier.has_value();
    HelpForm::showManual(this, m_help, reply ? QStringLiteral("msg03.html") : QStringLiteral("msg02.html"));
}

void WriteForm::openAddressBook(int target)
{
    MailAddPopForm book(m_storage, target, this, m_session ? m_session->composer() : MailComposer());
    book.exec();
    if (book.transferred())
        addRecipients(book.targets(MailTarget::To), book.targets(MailTarget::Cc), book.targets(MailTarget::Bcc));
}

void WriteForm::addRecipients(const QVector<MailAddress>& to, const QVector<MailAddress>& cc,
                              const QVector<MailAddress>& bcc)
{
    if (!to.isEmpty())
        m_to->setText(joinAddresses(m_to->text(), to));
    if (!cc.isEmpty())
        m_cc->setText(joinAddresses(m_cc->text(), cc));
    if (!bcc.isEmpty())
        m_bcc->setText(joinAddresses(m_bcc->text(), bcc));
}

bool WriteForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (watched == m_files && key->key() == Qt::Key_Delete) {
        removeSelectedAttachments();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
