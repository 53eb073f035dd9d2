#include "MailAddPopForm.h"

#include "GuiCommon.h"
#include "MasterPickResult.h"
#include "Masters.h"
#include "Prompter.h"
#include "common.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using GuiCommon::namedButton;

namespace {

QTreeWidget* makeList(const char* name, const QStringList& columns)
{
    QTreeWidget* list = GuiCommon::namedList(name, columns);
    list->setAlternatingRowColors(true);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    return list;
}

}  // namespace

MailAddPopForm::MailAddPopForm(Storage& storage, int target, QWidget* parent, MailComposer mail)
    : QDialog(parent)
    , m_storage(storage)
    , m_composer(std::move(mail))
    , m_book(storage)
    , m_target(target)
{
    setObjectName(QStringLiteral("MailAddPopForm"));
    setWindowTitle(QStringLiteral("メールアドレス帳"));
    setModal(true);
    resize(980, 600);

    m_folder = new QComboBox;
    m_folder->setObjectName(QStringLiteral("FolderCombo"));
    m_folder->setMinimumWidth(180);
    m_name = new QLineEdit;
    m_name->setObjectName(QStringLiteral("NameText"));
    m_mail = new QLineEdit;
    m_mail->setObjectName(QStringLiteral("MailText"));
    m_tel = new QLineEdit;
    m_tel->setObjectName(QStringLiteral("TelText"));
    QPushButton* searchBtn = namedButton("SrchBtn", QStringLiteral("検索開始"), QStringLiteral("入力した条件で顧客を検索します。"));

    m_users = makeList("UserListView", {QStringLiteral("姓名"), QStringLiteral("メールアドレス"),
                                        QStringLiteral("電話番号"), QStringLiteral("都道府県")});
    m_users->header()->resizeSection(0, 150);
    m_users->header()->resizeSection(1, 200);
    m_users->header()->resizeSection(2, 110);
    m_to = makeList("ToListView", {QStringLiteral("名前"), QStringLiteral("メールアドレス")});
    m_cc = makeList("CCListView", {QStringLiteral("名前"), QStringLiteral("メールアドレス")});
    m_bcc = makeList("BCCListView", {QStringLiteral("名前"), QStringLiteral("メールアドレス")});
    for (QTreeWidget* l : {m_to, m_cc, m_bcc}) {
        l->header()->resizeSection(0, 110);
        l->setToolTip(QStringLiteral("Delete キーで選んだ宛先を外します。"));
        l->installEventFilter(this);
    }

    QPushButton* toBtn = namedButton("TObtn", QStringLiteral("宛先->"), QStringLiteral("選んだ相手を宛先に加えます。"));
    QPushButton* ccBtn = namedButton("CCbtn", QStringLiteral("CC->"), QStringLiteral("選んだ相手をCCに加えます。"));
    QPushButton* bccBtn = namedButton("BCCbtn", QStringLiteral("BCC->"), QStringLiteral("選んだ相手をBCCに加えます。"));
    QPushButton* editBtn = namedButton("Command1", QStringLiteral("アドレス帳    (顧客登録)"),
                                  QStringLiteral("顧客登録の画面を開いて、顧客のメールアドレスを登録・変更します。"));
    QPushButton* sendBtn = namedButton("SendBtn", QStringLiteral("転送"), QStringLiteral("選んだ宛先をメッセージに入れます。"));
    QPushButton* closeBtn = namedButton("CloseBtn", QStringLiteral("閉じる"));

    auto* searchBox = new QGroupBox(QStringLiteral("検索"));
    auto* sg = new QGridLayout(searchBox);
    sg->addWidget(new QLabel(QStringLiteral("名前：")), 0, 0);
    sg->addWidget(m_name, 0, 1);
    sg->addWidget(new QLabel(QStringLiteral("電子メール：")), 0, 2);
    sg->addWidget(m_mail, 0, 3);
    sg->addWidget(new QLabel(QStringLiteral("電話番号：")), 0, 4);
    sg->addWidget(m_tel, 0, 5);
    sg->addWidget(searchBtn, 0, 6);
    sg->setColumnStretch(1, 1);
    sg->setColumnStretch(3, 1);
    sg->setColumnStretch(5, 1);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("フォルダ指定：")));
    top->addWidget(m_folder);
    top->addStretch(1);
    top->addWidget(editBtn);

    auto* targets = new QGridLayout;
    const QVector<QPair<QPushButton*, QTreeWidget*>> rows{{toBtn, m_to}, {ccBtn, m_cc}, {bccBtn, m_bcc}};
    for (int r = 0; r < rows.size(); ++r) {
        targets->addWidget(rows[r].first, r, 0, Qt::AlignTop);
        targets->addWidget(rows[r].second, r, 1);
    }
    targets->setColumnStretch(1, 1);

    auto* middle = new QHBoxLayout;
    middle->addWidget(m_users, 3);
    middle->addLayout(targets, 2);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(sendBtn);
    buttons->addWidget(closeBtn);

    auto* root = new QVBoxLayout(this);
    root->addLayout(top);
    root->addWidget(searchBox);
    root->addLayout(middle, 1);
    root->addLayout(buttons);

    connect(m_folder, &QComboBox::currentIndexChanged, this, &MailAddPopForm::showSource);
    connect(searchBtn, &QPushButton::clicked, this, &MailAddPopForm::search);
    for (QLineEdit* e : {m_name, m_mail, m_tel})
        connect(e, &QLineEdit::returnPressed, this, &MailAddPopForm::search);
    connect(toBtn, &QPushButton::clicked, this, [this] { moveSelected(MailTarget::To); });
    connect(ccBtn, &QPushButton::clicked, this, [this] { moveSelected(MailTarget::Cc); });
    connect(bccBtn, &QPushButton::clicked, this, [this] { moveSelected(MailTarget::Bcc); });
    connect(m_users, &QTreeWidget::itemDoubleClicked, this, [this] { moveSelected(m_target); });
    connect(editBtn, &QPushButton::clicked, this, &MailAddPopForm::editCustomers);
    connect(sendBtn, &QPushButton::clicked, this, &MailAddPopForm::transfer);
    connect(closeBtn, &QPushButton::clicked, this, &QDialog::reject);

    if (!m_book.sources(&m_sources))
        common::ErrorBox(m_book.errorString());
    for (const AddressSource& s : m_sources)
        m_folder->addItem(s.caption);
    if (m_folder->count() > 0)
        showSource(0);
}

QTreeWidget* MailAddPopForm::targetList(int target) const
{
    switch (target) {
    case MailTarget::Cc:
        return m_cc;
    case MailTarget::Bcc:
        return m_bcc;
    default:
        return m_to;
    }
}

void MailAddPopForm::showSource(int index)
{
    if (index < 0 || index >= m_sources.size())
        return;
    const bool ok = BusyCursor::during([&] { return m_book.candidates(m_sources.at(index), &m_candidates); });
    if (!ok) {
        m_candidates.clear();
        common::ErrorBox(m_book.errorString());
    }
    listCandidates();
}

void MailAddPopForm::search()
{
    if (m_name->text().isEmpty() && m_mail->text().isEmpty() && m_tel->text().isEmpty())
        return;
    const bool ok =
        BusyCursor::during([&] { return m_book.search(m_name->text(), m_mail->text(), m_tel->text(), &m_candidates); });
    if (!ok) {
        m_candidates.clear();
        common::ErrorBox(m_book.errorString());
    }
    listCandidates();
}

void MailAddPopForm::listCandidates()
{
    m_users->clear();
    QList<QTreeWidgetItem*> items;
    for (int i = 0; i < m_candidates.size(); ++i) {
        const AddressCandidate& c = m_candidates.at(i);
        auto* item = new QTreeWidgetItem({c.name, c.email, c.telephone, c.prefecture});
        item->setData(0, Qt::UserRole, i);
        if (c.email.trimmed().isEmpty()) {
            // Listed to be found, but there is no address to take.
            for (int c = 0; c < 4; ++c) {
                item->setForeground(c, QBrush(Qt::gray));
                item->setToolTip(c, QStringLiteral("メールアドレスが登録されていません。"));
            }
        }
        items << item;
    }
    m_users->addTopLevelItems(items);
}

void MailAddPopForm::moveSelected(int target)
{
    QTreeWidget* list = targetList(target);
    for (QTreeWidgetItem* item : m_users->selectedItems()) {
        const AddressCandidate& c = m_candidates.at(item->data(0, Qt::UserRole).toInt());
        if (c.email.trimmed().isEmpty())
            continue;
        list->addTopLevelItem(new QTreeWidgetItem({c.name, c.email.trimmed()}));
    }
}

void MailAddPopForm::removeSelected(int target)
{
    QTreeWidget* list = targetList(target);
    for (int i = list->topLevelItemCount() - 1; i >= 0; --i)
        if (list->topLevelItem(i)->isSelected())
            delete list->takeTopLevelItem(i);
}

QVector<MailAddress> MailAddPopForm::targets(int target) const
{
    QVector<MailAddress> out;
    const QTreeWidget* list = targetList(target);
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        out.append({list->topLevelItem(i)->text(0), list->topLevelItem(i)->text(1)});
    return out;
}

void MailAddPopForm::transfer()
{
    m_transferred = true;
    accept();
}

void MailAddPopForm::editCustomers()
{
    Masters::editCustomers(m_storage, this, m_composer);
    showSource(m_folder->currentIndex());
}

bool MailAddPopForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        for (int target : {int(MailTarget::To), int(MailTarget::Cc), int(MailTarget::Bcc)}) {
            if (watched == targetList(target)) {
                removeSelected(target);
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}
