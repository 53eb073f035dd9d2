#include "DMUserForm.h"

#include "BusyCursor.h"
#include "CustomerStore.h"
#include "GuiCommon.h"
#include "LabelWidgets.h"
#include "Prompter.h"
#include "UserSearchForm.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

using LabelWidgets::button;

QTreeWidget* list(const char* name, const QStringList& headers, bool multi)
{
    QTreeWidget* l = GuiCommon::namedList(name, headers);
    l->setSelectionMode(multi ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    return l;
}

}  // namespace

DMUserForm::DMUserForm(Storage& storage, RecipientChoice& chosen, QWidget* parent)
    : QDialog(parent)
    , m_storage(storage)
    , m_chosen(chosen)
    , m_store(storage)
{
    setObjectName(QStringLiteral("DMUserForm"));
    setWindowTitle(QStringLiteral("DM印刷用顧客選択"));
    resize(1040, 620);

    m_sources = list("ListView1", {QStringLiteral("フォルダ")}, false);
    connect(m_sources, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { selectSource(m_sources->indexOfTopLevelItem(item)); });
    connect(m_sources, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        const int row = m_sources->indexOfTopLevelItem(item);
        if (item && row != m_currentSource)
            selectSource(row);
    });

    m_candidateList = list("UserListView", {QStringLiteral("姓名"), QStringLiteral("都道府県"), QStringLiteral("メールアドレス")}, true);
    m_candidateList->setColumnWidth(0, 170);
    m_candidateList->setColumnWidth(1, 80);
    connect(m_candidateList, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        m_candidateList->clearSelection();
        item->setSelected(true);
        addMarked();
    });

    m_selectionList = list("ListView2", {QStringLiteral("姓名")}, true);

    QPushButton* add = button("Command1", QStringLiteral("→"));
    add->setToolTip(QStringLiteral("アクティブになっている顧客名を選択します。"));
    add->setFixedWidth(44);
    add->setMinimumHeight(60);
    QFont big = add->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    add->setFont(big);
    connect(add, &QPushButton::clicked, this, &DMUserForm::addMarked);

    QPushButton* allPop = button("AllPop", QStringLiteral("全選択"));
    QPushButton* allClear = button("AllClear", QStringLiteral("全解除"));
    connect(allPop, &QPushButton::clicked, this, &DMUserForm::markAll);
    connect(allClear, &QPushButton::clicked, this, &DMUserForm::clearMarks);
    QPushButton* del = button("DelBtn", QStringLiteral("指定顧客取り消し"));
    connect(del, &QPushButton::clicked, this, &DMUserForm::removeMarked);
    QPushButton* srch = button("SrchBtn", QStringLiteral("条件検索"));
    connect(srch, &QPushButton::clicked, this, &DMUserForm::conditionSearch);
    m_telText = new QLineEdit;
    m_telText->setObjectName(QStringLiteral("TelText"));
    m_telText->setMaximumWidth(150);
    QPushButton* srch2 = button("SrchBtn2", QStringLiteral("実行"));
    connect(srch2, &QPushButton::clicked, this, &DMUserForm::searchByPhone);
    connect(m_telText, &QLineEdit::returnPressed, this, &DMUserForm::searchByPhone);
    QPushButton* close = button("CloseBtn", QStringLiteral("閉じる"));
    close->setToolTip(QStringLiteral("選択されている顧客名を転送し終了します。"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    m_candidateCount = new QLabel;
    m_candidateCount->setObjectName(QStringLiteral("CandidateCount"));
    m_selectionCount = new QLabel;
    m_selectionCount->setObjectName(QStringLiteral("SelectionCount"));
    m_note = new QLabel;
    m_note->setObjectName(QStringLiteral("AddNote"));
    m_note->setWordWrap(true);

    // Left: sources. Middle: candidates with their buttons. Right: the choice.
    auto* leftBox = new QVBoxLayout;
    leftBox->addWidget(new QLabel(QStringLiteral("表示する顧客")));
    leftBox->addWidget(m_sources, 1);

    auto* middle = new QVBoxLayout;
    auto* middleHead = new QHBoxLayout;
    middleHead->addWidget(new QLabel(QStringLiteral("候補")));
    middleHead->addWidget(m_candidateCount);
    middleHead->addStretch(1);
    middleHead->addWidget(allPop);
    middleHead->addWidget(allClear);
    middle->addLayout(middleHead);
    middle->addWidget(m_candidateList, 1);
    auto* search = new QHBoxLayout;
    search->addWidget(new QLabel(QStringLiteral("電話番号で検索：")));
    search->addWidget(m_telText);
    search->addWidget(srch2);
    search->addStretch(1);
    search->addWidget(srch);
    middle->addLayout(search);

    auto* arrow = new QVBoxLayout;
    arrow->addStretch(1);
    arrow->addWidget(add);
    arrow->addStretch(1);

    auto* right = new QVBoxLayout;
    auto* rightHead = new QHBoxLayout;
    rightHead->addWidget(new QLabel(QStringLiteral("印刷する宛先")));
    rightHead->addWidget(m_selectionCount);
    rightHead->addStretch(1);
    right->addLayout(rightHead);
    right->addWidget(m_selectionList, 1);
    auto* rightButtons = new QHBoxLayout;
    rightButtons->addWidget(del);
    rightButtons->addStretch(1);
    right->addLayout(rightButtons);

    auto* body = new QHBoxLayout;
    body->addLayout(leftBox, 2);
    body->addLayout(middle, 5);
    body->addLayout(arrow);
    body->addLayout(right, 3);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_note, 1);
    bottom->addWidget(close);

    auto* root = new QVBoxLayout(this);
    root->addLayout(body, 1);
    root->addLayout(bottom);

    fillSources();
    fillSelection();
    if (!m_sourceRows.isEmpty())
        selectSource(0);
}

QString DMUserForm::note() const
{
    return m_note->text();
}

void DMUserForm::setNote(const QString& text)
{
    m_note->setText(text);
}

void DMUserForm::fillSources()
{
    if (!m_store.sources(&m_sourceRows)) {
        Prompter::current().show({PromptTitle::Error, m_store.errorString(), Prompter::Icon::Critical, Prompter::Ok, Prompter::Ok});
        return;
    }
    m_sources->clear();
    for (const RecipientSource& s : m_sourceRows)
        m_sources->addTopLevelItem(new QTreeWidgetItem(QStringList{s.caption}));
}

int DMUserForm::sourceRowOf(RecipientSource::Kind kind, qint64 folderId) const
{
    for (int i = 0; i < m_sourceRows.size(); ++i)
        if (m_sourceRows[i].kind == kind && (kind != RecipientSource::Kind::Folder || m_sourceRows[i].folderId == folderId))
            return i;
    return -1;
}

void DMUserForm::selectSource(int row)
{
    if (row < 0 || row >= m_sourceRows.size())
        return;
    bool ok = false;
    {
        BusyCursor busy;
        m_currentSource = row;
        QVector<Recipient> found;
        ok = m_store.candidates(m_sourceRows[row], &found);
        m_candidates = ok ? found : QVector<Recipient>();
        m_candidateList->setUpdatesEnabled(false);
        m_candidateList->clear();
        QList<QTreeWidgetItem*> items;
        items.reserve(m_candidates.size());
        for (const Recipient& r : m_candidates)
            items.append(new QTreeWidgetItem(QStringList{r.listName(), r.address1, r.email}));
        m_candidateList->addTopLevelItems(items);
        m_candidateList->setUpdatesEnabled(true);
        if (m_sources->currentItem() != m_sources->topLevelItem(row))
            m_sources->setCurrentItem(m_sources->topLevelItem(row));
    }
    if (!ok)
        Prompter::current().show({PromptTitle::Error, m_store.errorString(), Prompter::Icon::Critical, Prompter::Ok, Prompter::Ok});
    showCounts();
}

void DMUserForm::fillSelection()
{
    m_selectionList->setUpdatesEnabled(false);
    m_selectionList->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(m_chosen.size());
    for (const Recipient& r : m_chosen)
        items.append(new QTreeWidgetItem(QStringList{r.listName()}));
    m_selectionList->addTopLevelItems(items);
    m_selectionList->setUpdatesEnabled(true);
    showCounts();
}

void DMUserForm::showCounts()
{
    m_candidateCount->setText(QStringLiteral("%1件").arg(m_candidates.size()));
    m_selectionCount->setText(QStringLiteral("%1件").arg(m_chosen.size()));
}

void DMUserForm::addMarked()
{
    QVector<Recipient> marked;
    for (int i = 0; i < m_candidateList->topLevelItemCount(); ++i)
        if (m_candidateList->topLevelItem(i)->isSelected() && i < m_candidates.size())
            marked.append(m_candidates[i]);
    if (marked.isEmpty()) {
        setNote(QStringLiteral("追加する宛先を候補の一覧で選んでください。"));
        return;
    }
    const int before = static_cast<int>(m_chosen.size());
    const RecipientSelection::AddResult result = RecipientSelection::add(m_chosen, marked);
    QList<QTreeWidgetItem*> items;
    for (int i = before; i < m_chosen.size(); ++i)
        items.append(new QTreeWidgetItem(QStringList{m_chosen[i].listName()}));
    m_selectionList->addTopLevelItems(items);
    if (!items.isEmpty())
        m_selectionList->scrollToItem(items.last());
    setNote(RecipientSelection::describe(result));
    showCounts();
}

void DMUserForm::markAll()
{
    m_candidateList->selectAll();
    m_candidateList->setFocus();
}

void DMUserForm::clearMarks()
{
    m_candidateList->clearSelection();
}

void DMUserForm::removeMarked()
{
    QVector<int> rows;
    for (int i = 0; i < m_selectionList->topLevelItemCount(); ++i)
        if (m_selectionList->topLevelItem(i)->isSelected())
            rows.append(i);
    if (rows.isEmpty())
        return;
    RecipientSelection::remove(m_chosen, rows);
    for (auto it = rows.crbegin(); it != rows.crend(); ++it)
        delete m_selectionList->takeTopLevelItem(*it);
    setNote(QStringLiteral("%1件を取り消しました。").arg(rows.size()));
    showCounts();
}

bool DMUserForm::markCustomer(qint64 id, qint64 firstFolder)
{
    auto findRow = [this, id] {
        for (int i = 0; i < m_candidates.size(); ++i)
            if (m_candidates[i].source == Recipient::Source::Customer && m_candidates[i].key == id)
                return i;
        return -1;
    };
    int row = findRow();
    if (row < 0) {
        // Not in the list shown: its own folder, or else all customers.
        int source = firstFolder > 0 ? sourceRowOf(RecipientSource::Kind::Folder, firstFolder) : -1;
        if (source < 0)
            source = sourceRowOf(RecipientSource::Kind::AllCustomers, 0);
        selectSource(source);
        row = findRow();
    }
    if (row < 0)
        return false;
    m_candidateList->clearSelection();
    QTreeWidgetItem* item = m_candidateList->topLevelItem(row);
    item->setSelected(true);
    m_candidateList->setCurrentItem(item, 0, QItemSelectionModel::Select);
    m_candidateList->scrollToItem(item);
    m_candidateList->setFocus();
    return true;
}

void DMUserForm::searchByPhone()
{
    const QString text = m_telText->text().trimmed();
    if (text.isEmpty())
        return;
    CustomerStore store(m_storage);
    CustomerHit hit;
    bool found = false;
    if (!store.findByPhonePrefix(text, &hit, &found)) {
        Prompter::current().show({PromptTitle::Error, store.errorString(), Prompter::Icon::Critical, Prompter::Ok, Prompter::Ok});
        return;
    }
    if (!found || !markCustomer(hit.id, hit.firstFolder)) {
        setNote(QStringLiteral("電話番号「%1」の顧客は見つかりませんでした。").arg(text));
        return;
    }
    setNote(QStringLiteral("%1 を選びました。→ ボタンで宛先に追加します。").arg(hit.name));
}

void DMUserForm::conditionSearch()
{
    CustomerHit hit;
    if (!UserSearchForm::run(m_storage, this, &hit))
        return;
    if (markCustomer(hit.id, hit.firstFolder))
        setNote(QStringLiteral("%1 を選びました。→ ボタンで宛先に追加します。").arg(hit.name));
}
