#include "UserSearchForm.h"

#include "MasterForm.h"
#include "common.h"

#include <QAbstractTableModel>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

// The hits of a search: their IDs from the start, their lines read a page
// at a time when the view first asks for one of its rows.
class CustomerHitModel : public QAbstractTableModel {
public:
    static constexpr int kPage = 100;

    CustomerHitModel(CustomerStore& store, QObject* parent)
        : QAbstractTableModel(parent)
        , m_store(store)
    {
    }

    void reset(QVector<qint64> ids)
    {
        beginResetModel();
        m_ids = std::move(ids);
        m_pages.clear();
        m_failed = false;
        endResetModel();
    }

    // The line of a row, read now when its page has not been; nullptr
    // when the page cannot be read (the error is shown once).
    const CustomerHit* hit(int row) const
    {
        if (row < 0 || row >= m_ids.size())
            return nullptr;
        const int page = row / kPage;
        auto it = m_pages.constFind(page);
        if (it == m_pages.constEnd()) {
            QVector<CustomerHit> lines;
            if (!m_store.hitsOf(m_ids.mid(static_cast<qsizetype>(page) * kPage, kPage), &lines)) {
                // Asked while the view paints: the box waits for the event loop.
                if (!m_failed) {
                    m_failed = true;
                    QTimer::singleShot(0, [message = m_store.errorString()] { common::ErrorBox(message); });
                }
                return nullptr;
            }
            it = m_pages.insert(page, lines);
        }
        return &it->at(row % kPage);
    }

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : static_cast<int>(m_ids.size()); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 4; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        const CustomerHit* h = hit(index.row());
        if (!h)
            return {};
        if (h->id == 0)
            return index.column() == 0 ? QStringLiteral("（削除されました）") : QString();
        switch (index.column()) {
        case 0:
            return h->name;
        case 1:
            return h->email;
        case 2:
            return h->telephone;
        default:
            return h->prefecture;
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const char* const captions[] = {"姓名", "メールアドレス", "電話番号", "都道府県"};
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= 4)
            return QAbstractTableModel::headerData(section, orientation, role);
        return QString::fromUtf8(captions[section]);
    }

private:
    CustomerStore& m_store;
    QVector<qint64> m_ids;
    mutable QHash<int, QVector<CustomerHit>> m_pages;
    mutable bool m_failed = false;
};

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

    m_count = new QLabel;
    m_count->setObjectName(QStringLiteral("CountLabel"));

    m_model = new CustomerHitModel(m_store, this);
    m_list = new QTreeView;
    m_list->setObjectName(QStringLiteral("UserListView"));
    m_list->setModel(m_model);
    m_list->setRootIsDecorated(false);
    m_list->setItemsExpandable(false);
    // One height for every row: the view then asks only the rows it shows.
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
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
    buttons->addWidget(m_count);
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
    connect(m_list, &QTreeView::doubleClicked, this, &UserSearchForm::transfer);
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { m_sendBtn->setEnabled(current.isValid()); });
}

void UserSearchForm::search()
{
    QVector<qint64> ids;
    bool ok = false;
    {
        BusyCursor busy;
        ok = m_store.searchIds(m_name->text(), m_mail->text(), m_tel->text(), &ids);
        m_model->reset(ok ? ids : QVector<qint64>());
        m_count->setText(ok ? QStringLiteral("%1 件").arg(ids.size()) : QString());
        if (ok && !ids.isEmpty()) {
            m_list->setCurrentIndex(m_model->index(0, 0));
            m_model->hit(0);  // the first page, while the cursor still says busy
        }
    }
    if (!ok)
        common::ErrorBox(m_store.errorString());
}

void UserSearchForm::transfer()
{
    const CustomerHit* hit = m_model->hit(m_list->currentIndex().row());
    if (!hit || hit->id == 0)
        return;
    m_result = *hit;
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
