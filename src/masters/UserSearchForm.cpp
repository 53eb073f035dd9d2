#include "UserSearchForm.h"

#include "MasterForm.h"
#include "common.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

UserSearchForm::UserSearchForm(Storage& storage, QWidget* parent)
    : QDialog(parent)
    , m_store(storage)
{
    setObjectName(QStringLiteral("UserSearchForm"));
    setWindowTitle(QStringLiteral("顧客名検索"));
    setModal(true);
    resize(720, 460);

    auto edit = [](const char* name) {
        auto* e = new QLineEdit;
        e->setObjectName(QString::fromLatin1(name));
        return e;
    };
    auto button = [](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    m_name = edit("NameText");
    m_mail = edit("MailText");
    m_tel = edit("TelText");
    m_searchBtn = button("SrchBtn", QStringLiteral("検索開始"));
    m_sendBtn = button("SendBtn", QStringLiteral("転送"));
    m_closeBtn = button("CloseBtn", QStringLiteral("閉じる"));
    m_sendBtn->setEnabled(false);

    m_list = new QTreeWidget;
    m_list->setObjectName(QStringLiteral("UserListView"));
    m_list->setHeaderLabels({QStringLiteral("姓名"), QStringLiteral("メールアドレス"), QStringLiteral("電話番号"),
                             QStringLiteral("都道府県")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->header()->resizeSection(0, 180);
    m_list->header()->resizeSection(1, 200);
    m_list->header()->resizeSection(2, 130);

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("名前：")), 0, 0);
    fields->addWidget(m_name, 0, 1);
    fields->addWidget(new QLabel(QStringLiteral("電子メール：")), 1, 0);
    fields->addWidget(m_mail, 1, 1);
    fields->addWidget(new QLabel(QStringLiteral("電話番号：")), 2, 0);
    fields->addWidget(m_tel, 2, 1);
    fields->addWidget(m_searchBtn, 2, 2);
    fields->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_sendBtn);
    buttons->addWidget(m_closeBtn);

    auto* root = new QVBoxLayout(this);
    root->addLayout(fields);
    root->addWidget(m_list, 1);
    root->addLayout(buttons);

    connect(m_searchBtn, &QPushButton::clicked, this, &UserSearchForm::search);
    // Enter in any field searches: clerks type a name and press Enter.
    for (QLineEdit* e : {m_name, m_mail, m_tel})
        connect(e, &QLineEdit::returnPressed, this, &UserSearchForm::search);
    connect(m_sendBtn, &QPushButton::clicked, this, &UserSearchForm::transfer);
    connect(m_closeBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &UserSearchForm::transfer);
    connect(m_list, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { m_sendBtn->setEnabled(current != nullptr); });
}

void UserSearchForm::search()
{
    {
        BusyCursor busy;
        if (!m_store.search(m_name->text(), m_mail->text(), m_tel->text(), &m_hits)) {
            m_hits.clear();
            m_list->clear();
            common::ErrorBox(m_store.errorString());
            return;
        }
    }
    m_list->setUpdatesEnabled(false);
    m_list->clear();
    QList<QTreeWidgetItem*> rows;
    rows.reserve(m_hits.size());
    for (const CustomerHit& h : m_hits)
        rows << new QTreeWidgetItem(QStringList{h.name, h.email, h.telephone, h.prefecture});
    m_list->addTopLevelItems(rows);
    m_list->setUpdatesEnabled(true);
    if (!rows.isEmpty())
        m_list->setCurrentItem(rows.first());
}

void UserSearchForm::transfer()
{
    const int row = m_list->indexOfTopLevelItem(m_list->currentItem());
    if (row < 0 || row >= m_hits.size())
        return;
    m_result = m_hits.at(row);
    m_found = true;
    accept();
}

bool UserSearchForm::run(Storage& storage, QWidget* parent, CustomerHit* hit)
{
    UserSearchForm form(storage, parent);
    form.exec();
    if (form.found())
        *hit = form.result();
    return form.found();
}
