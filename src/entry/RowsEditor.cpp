#include "RowsEditor.h"

#include "EntryForm.h"
#include "Prompter.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLayout>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>

// The fields of one row: an entry form without buttons of its own, which
// reads and writes nothing itself and tells the editor of every change.
class RowFields : public EntryForm {
public:
    RowFields(Storage& storage, qint64 bid, FieldTable table, FlagRules rules, QWidget* parent)
        : EntryForm(storage, bid, std::move(table), parent, Qt::Widget)
    {
        setFlagRules(std::move(rules));
        applyButton()->hide();
        okButton()->hide();
        helpButton()->hide();
        // F1 belongs to the window around it.
        qDeleteAll(findChildren<QShortcut*>());
        layout()->setContentsMargins(0, 0, 0, 0);
        open();
    }

    void showRow(const RowValues& values) { showValues(values, table().columns()); }
    void first() { focusField(table().firstOfTab(0)); }

    std::function<void(const QString&)> changed;

protected:
    bool loadRecords(QString*) override { return true; }
    bool saveRecords(QString*) override { return true; }
    void fieldChanged(const QString& column) override
    {
        if (changed)
            changed(column);
    }
};

namespace {

QPushButton* button(const QString& caption, const QString& name, const QString& tip)
{
    auto* b = new QPushButton(caption);
    b->setObjectName(name);
    b->setToolTip(tip);
    b->setAutoDefault(false);
    return b;
}

}  // namespace

RowsEditor::RowsEditor(Storage& storage, qint64 bid, const QString& name, FieldTable fields, FlagRules rules,
                       QVector<ChildRows> sets, Summary summary, QWidget* parent)
    : QWidget(parent)
    , m_storage(storage)
    , m_bid(bid)
    , m_sets(std::move(sets))
    , m_summary(std::move(summary))
{
    setObjectName(name);
    if (m_sets.isEmpty())
        m_sets << ChildRows(fields.table, {}, fields.storedColumns());

    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 6);
    auto* left = new QVBoxLayout;
    m_list = new QListWidget;
    m_list->setObjectName(name + QStringLiteral("List"));
    m_list->setToolTip(QStringLiteral("印刷される順に並びます。Enter キーで選んだ行の入力欄に移ります。"));
    m_list->setMinimumWidth(fontMetrics().horizontalAdvance(QChar(0x3042)) * 16);
    m_list->installEventFilter(this);
    left->addWidget(m_list, 1);

    m_buttons = new QWidget;
    auto* grid = new QGridLayout(m_buttons);
    grid->setContentsMargins(0, 0, 0, 0);
    auto* add = button(QStringLiteral("追加"), name + QStringLiteral("Add"), QStringLiteral("行を末尾に追加します。"));
    auto* del = button(QStringLiteral("削除"), name + QStringLiteral("Del"), QStringLiteral("選んだ行を削除します。"));
    auto* up = button(QStringLiteral("上へ"), name + QStringLiteral("Up"), QStringLiteral("選んだ行を一つ上に移します。"));
    auto* down = button(QStringLiteral("下へ"), name + QStringLiteral("Down"), QStringLiteral("選んだ行を一つ下に移します。"));
    grid->addWidget(add, 0, 0);
    grid->addWidget(del, 0, 1);
    grid->addWidget(up, 1, 0);
    grid->addWidget(down, 1, 1);
    left->addWidget(m_buttons);
    outer->addLayout(left, 0);
    connect(add, &QPushButton::clicked, this, [this] {
        addRow();
        m_fields->first();
    });
    connect(del, &QPushButton::clicked, this, &RowsEditor::removeRow);
    connect(up, &QPushButton::clicked, this, &RowsEditor::moveUp);
    connect(down, &QPushButton::clicked, this, &RowsEditor::moveDown);

    m_fields = new RowFields(storage, bid, std::move(fields), std::move(rules), this);
    m_fields->setObjectName(name + QStringLiteral("Fields"));
    m_fields->changed = [this](const QString& column) { fieldChanged(column); };
    outer->addWidget(m_fields, 1);

    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_showing)
            showRow(row);
    });
    showRow(-1);
}

RowsEditor::~RowsEditor() = default;

EntryForm* RowsEditor::fields() const
{
    return m_fields;
}

bool RowsEditor::load(QString* error)
{
    for (ChildRows& set : m_sets)
        if (!set.load(m_storage, m_bid, error))
            return false;
    refill();
    return true;
}

bool RowsEditor::save(QString* error)
{
    for (ChildRows& set : m_sets)
        if (set.isChanged() && !set.save(m_storage, m_bid, error))
            return false;
    return true;
}

void RowsEditor::markSaved()
{
    for (ChildRows& set : m_sets)
        set.markSaved();
}

bool RowsEditor::isChanged() const
{
    for (const ChildRows& set : m_sets)
        if (set.isChanged())
            return true;
    return false;
}

void RowsEditor::showSet(int index)
{
    if (index < 0 || index >= m_sets.size() || index == m_set)
        return;
    m_set = index;
    refill();
}

int RowsEditor::current() const
{
    return m_list->currentRow();
}

void RowsEditor::setCurrent(int index)
{
    m_list->setCurrentRow(index);
}

void RowsEditor::refill()
{
    m_showing = true;
    m_list->clear();
    for (int i = 0; i < rows().count(); ++i) {
        m_list->addItem(QString());
        refreshLine(i);
    }
    m_showing = false;
    const int first = rows().count() > 0 ? 0 : -1;
    m_list->setCurrentRow(first);
    showRow(first);
}

void RowsEditor::refreshLine(int index)
{
    QListWidgetItem* item = m_list->item(index);
    if (!item)
        return;
    const QString text = m_summary ? m_summary(rows().row(index)) : QString();
    item->setText(QStringLiteral("%1．%2").arg(index + 1).arg(text.isEmpty() ? QStringLiteral("（未入力）") : text));
}

void RowsEditor::showRow(int index)
{
    const bool any = index >= 0 && index < rows().count();
    m_fields->showRow(any ? rows().row(index) : RowValues());
    m_fields->setEnabled(any);
}

void RowsEditor::fieldChanged(const QString& column)
{
    const int i = current();
    if (i < 0 || i >= rows().count())
        return;
    rows().setValue(i, m_fields->table().field(column)->storedColumn(), m_fields->value(column));
    refreshLine(i);
    emit edited();
}

void RowsEditor::changed()
{
    const int keep = current();
    refill();
    m_list->setCurrentRow(qMin(keep, rows().count() - 1));
    emit edited();
}

int RowsEditor::addRow()
{
    const int i = rows().add();
    changed();
    m_list->setCurrentRow(i);
    return i;
}

void RowsEditor::removeRow()
{
    const int i = current();
    if (i < 0) {
        Prompter::current().show({PromptTitle::Warning, QStringLiteral("削除する行を一覧から選んでください。"),
                                  Prompter::Icon::Warning, Prompter::Ok, Prompter::Ok});
        return;
    }
    const Prompter::Button answer = Prompter::current().show(
        {PromptTitle::Confirm, QStringLiteral("%1 行目を削除しますか？").arg(i + 1), Prompter::Icon::Question,
         Prompter::Yes | Prompter::No, Prompter::No});
    if (answer != Prompter::Yes)
        return;
    rows().remove(i);
    changed();
}

void RowsEditor::moveUp()
{
    const int i = current();
    if (!rows().moveUp(i))
        return;
    changed();
    m_list->setCurrentRow(i - 1);
}

void RowsEditor::moveDown()
{
    const int i = current();
    if (!rows().moveDown(i))
        return;
    changed();
    m_list->setCurrentRow(i + 1);
}

void RowsEditor::fill(const QHash<QString, QString>& values)
{
    if (current() < 0)
        addRow();
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        if (m_fields->field(it.key()))
            m_fields->setText(it.key(), it.value());
}

void RowsEditor::addButton(QPushButton* b)
{
    auto* grid = static_cast<QGridLayout*>(m_buttons->layout());
    grid->addWidget(b, grid->rowCount(), 0, 1, 2);
}

void RowsEditor::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_grown)
        return;
    m_grown = true;
    // The fields of a tab not shown yet measure small when the window first
    // fits itself to its tabs: it grows now, within the screen, if need be.
    QTimer::singleShot(0, this, [this] {
        QWidget* w = window();
        for (QLayout* l : w->findChildren<QLayout*>())
            l->invalidate();
        w->layout()->activate();
        QSize want = w->size().expandedTo(w->sizeHint());
        if (QScreen* s = w->screen()) {
            const QRect avail = s->availableGeometry();
            want = want.boundedTo(QSize(avail.width() - 16, avail.height() - 40));
        }
        if (want != w->size())
            w->resize(want);
    });
}

bool RowsEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && current() >= 0) {
            m_fields->first();
            return true;
        }
        if (key == Qt::Key_Insert) {
            addRow();
            m_fields->first();
            return true;
        }
        if (key == Qt::Key_Delete) {
            removeRow();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
