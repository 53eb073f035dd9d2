// The entry window's layout: tabs, group boxes and fields built from the
// field table.
#include "EntryForm.h"

#include "BoxFit.h"
#include "EnterOrder.h"
#include "FocusHighlight.h"
#include "GuiCommon.h"
#include "NumberText.h"
#include "RowsEditor.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// A page that asks for the room its fields need, so that the window opens
// large enough for every tab; it scrolls only on a smaller screen.
class PageScroll : public QScrollArea {
public:
    QSize sizeHint() const override
    {
        if (!widget())
            return QScrollArea::sizeHint();
        const int f = 2 * frameWidth();
        return widget()->sizeHint() + QSize(f, f);
    }
};

}  // namespace

// ---------------------------------------------------------------- layout

void EntryForm::buildLayout()
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 8);
    outer->setSpacing(6);
    m_top = new QHBoxLayout;
    outer->addLayout(m_top);
    m_body = new QHBoxLayout;
    outer->addLayout(m_body, 1);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("SSTab1"));
    m_body->addWidget(m_tabs, 1);
    QStringList tabTitles = m_table.tabs;
    if (tabTitles.isEmpty())
        tabTitles << windowTitle();

    // Each tab: up to two columns of groups, scrolled only when the screen
    // is smaller than the window was laid out for.
    QVector<QVector<QVBoxLayout*>> columns(tabTitles.size());
    for (int t = 0; t < tabTitles.size(); ++t) {
        auto* scroll = new PageScroll;
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        auto* page = new QWidget;
        page->setObjectName(QStringLiteral("Page%1").arg(t + 1));
        auto* row = new QHBoxLayout(page);
        row->setContentsMargins(6, 6, 6, 6);
        row->setSpacing(10);
        bool twoColumns = false;
        for (const GroupDef& g : std::as_const(m_table.groups))
            twoColumns = twoColumns || (g.tab == t && g.column > 0);
        for (int c = 0; c < (twoColumns ? 2 : 1); ++c) {
            auto* col = new QVBoxLayout;
            col->setSpacing(6);
            row->addLayout(col, 1);
            columns[t] << col;
        }
        scroll->setWidget(page);
        m_tabs->addTab(scroll, tabTitles[t]);
    }
    if (m_table.tabs.size() <= 1)
        m_tabs->tabBar()->hide();

    const QFontMetrics fm(font());
    const int fullWidth = fm.horizontalAdvance(QChar(0x3042));  // あ
    for (int g = 0; g < m_table.groups.size(); ++g) {
        const GroupDef& group = m_table.groups[g];
        // A space after the title: the style measures it with the Latin
        // font and would clip the closing bracket of a Japanese title.
        auto* box = new QGroupBox(group.title.isEmpty() ? QString() : group.title + QStringLiteral("  "));
        box->setObjectName(QStringLiteral("Group%1").arg(g + 1));
        auto* grid = new QGridLayout(box);
        grid->setContentsMargins(8, 4, 8, 6);
        grid->setHorizontalSpacing(8);
        grid->setVerticalSpacing(4);
        m_groupBoxes << box;
        m_groupGrids << grid;
        const int tab = qBound(0, group.tab, static_cast<int>(columns.size()) - 1);
        columns[tab][qBound(0, group.column, static_cast<int>(columns[tab].size()) - 1)]->addWidget(box);
    }
    for (auto& tabColumns : columns)
        for (QVBoxLayout* col : tabColumns)
            col->addStretch(1);

    // Widgets are made in the order they stand on screen, so that Tab
    // walks them as the eye does.
    QVector<const FieldDef*> visual;
    for (const FieldDef& f : m_table.fields)
        visual << &f;
    std::stable_sort(visual.begin(), visual.end(), [this](const FieldDef* a, const FieldDef* b) {
        const GroupDef& ga = m_table.groups[a->group];
        const GroupDef& gb = m_table.groups[b->group];
        return std::make_tuple(ga.tab, ga.column, a->group, a->row, a->cell)
               < std::make_tuple(gb.tab, gb.column, b->group, b->row, b->cell);
    });
    QHash<int, int> cellsOfGroup;
    QHash<int, bool> captioned;
    for (const FieldDef& f : m_table.fields) {
        cellsOfGroup[f.group] = qMax(cellsOfGroup.value(f.group), f.cell + f.span);
        captioned[f.group] = captioned.value(f.group) || !f.caption.isEmpty();
    }
    for (int g = 0; g < m_table.groups.size(); ++g) {
        const GroupDef& group = m_table.groups[g];
        QGridLayout* grid = m_groupGrids[g];
        const int cells = qMax(cellsOfGroup.value(g), static_cast<int>(group.headers.size()));
        if (group.aligned || !group.headers.isEmpty())
            grid->setColumnStretch(cells + 1, 1);
        if (captioned.value(g))
            grid->setColumnMinimumWidth(0, group.captionChars * fullWidth);
        for (int i = 0; i < group.headers.size(); ++i) {
            auto* h = new QLabel(group.headers[i]);
            h->setAlignment(Qt::AlignCenter);
            grid->addWidget(h, 0, 1 + i);
        }
    }

    QHash<QPair<int, int>, QHBoxLayout*> flowRows;
    QSet<QPair<int, int>> growingRows;
    for (const FieldDef* f : std::as_const(visual)) {
        const GroupDef& group = m_table.groups[f->group];
        QGridLayout* grid = m_groupGrids[f->group];
        const int row = f->row + (group.headers.isEmpty() ? 0 : 1);
        if (!f->caption.isEmpty()) {
            auto* cap = new QLabel(f->caption);
            cap->setWordWrap(true);
            cap->setFixedWidth(group.captionChars * fullWidth);
            grid->addWidget(cap, row, 0, Qt::AlignVCenter);
        }
        auto* cell = new QWidget;
        auto* h = new QHBoxLayout(cell);
        h->setContentsMargins(0, 0, 0, 0);
        h->setSpacing(4);
        if (!f->label.isEmpty() && !f->isFlag())
            h->addWidget(new QLabel(f->label));
        QWidget* w = makeField(*f);
        h->addWidget(w, f->chars == 0 ? 1 : 0);
        if (!f->unit.isEmpty())
            h->addWidget(new QLabel(f->unit));
        const PostalPair* pair = m_table.postalPairOf(f->column);
        if (pair && pair->postal == f->column) {
            auto* post = new QPushButton(QStringLiteral("住所"));
            post->setObjectName(QStringLiteral("PostBtn%1").arg(pair->number));
            post->setToolTip(QStringLiteral("郵便番号から住所を入力します。"));
            post->setAutoDefault(false);
            auto* adr = new QPushButton(QStringLiteral("〒番号"));
            adr->setObjectName(QStringLiteral("AdrBtn%1").arg(pair->number));
            adr->setToolTip(QStringLiteral("住所から郵便番号を入力します。"));
            adr->setAutoDefault(false);
            const int number = pair->number;
            connect(post, &QPushButton::clicked, this, [this, number] { lookUpAddress(number); });
            connect(adr, &QPushButton::clicked, this, [this, number] { lookUpPostalCode(number); });
            h->addWidget(post);
            h->addWidget(adr);
        }
        const bool grows = f->chars == 0 && !f->isFlag();
        if (!group.aligned && group.headers.isEmpty()) {
            // A flowing row: its cells side by side, the rest of the row empty.
            const QPair<int, int> key(f->group, row);
            QHBoxLayout* line = flowRows.value(key);
            if (!line) {
                auto* holder = new QWidget;
                line = new QHBoxLayout(holder);
                line->setContentsMargins(0, 0, 0, 0);
                line->setSpacing(12);
                grid->addWidget(holder, row, 1);
                flowRows.insert(key, line);
            }
            line->addWidget(cell, grows ? 1 : 0);
            if (grows)
                growingRows.insert(key);
        } else if (grows) {
            const int cells = qMax(cellsOfGroup.value(f->group), static_cast<int>(group.headers.size()));
            grid->addWidget(cell, row, 1 + f->cell, 1, cells - f->cell + 1);
        } else {
            grid->addWidget(cell, row, 1 + f->cell, 1, f->span, Qt::AlignLeft | Qt::AlignVCenter);
        }
        m_cells.insert(f->column, cell);
        m_fields.insert(f->column, w);
        connectField(*f, w);
    }

    for (auto it = flowRows.cbegin(); it != flowRows.cend(); ++it)
        if (!growingRows.contains(it.key()))
            it.value()->addStretch(1);
    for (int g = 0; g < m_table.groups.size(); ++g)
        if (!m_table.groups[g].aligned && m_table.groups[g].headers.isEmpty())
            m_groupGrids[g]->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    m_helpBtn = new QPushButton(QStringLiteral("ヘルプ"));
    m_helpBtn->setObjectName(QStringLiteral("HelpBtn"));
    m_helpBtn->setToolTip(QStringLiteral("この画面の説明を表示します。（F1）"));
    m_helpBtn->setAutoDefault(false);
    m_applyBtn = new QPushButton(QStringLiteral("適用"));
    m_applyBtn->setObjectName(QStringLiteral("EditBtn"));
    m_applyBtn->setToolTip(QStringLiteral("入力した内容を保存します。画面は閉じません。"));
    m_applyBtn->setAutoDefault(false);
    m_okBtn = new QPushButton(QStringLiteral("OK"));
    m_okBtn->setObjectName(QStringLiteral("OKBtn"));
    m_okBtn->setToolTip(QStringLiteral("画面を閉じます。"));
    m_okBtn->setAutoDefault(false);
    buttons->addWidget(m_helpBtn);
    m_fitNote = new QLabel;
    m_fitNote->setObjectName(QStringLiteral("FitNote"));
    m_fitNote->setWordWrap(true);
    buttons->addWidget(m_fitNote, 1);
    buttons->addWidget(m_applyBtn);
    buttons->addWidget(m_okBtn);
    outer->addLayout(buttons);
    connect(m_helpBtn, &QPushButton::clicked, this, &EntryForm::showHelp);
    connect(m_applyBtn, &QPushButton::clicked, this, [this] { apply(); });
    connect(m_okBtn, &QPushButton::clicked, this, &EntryForm::onOk);
    connect(m_tabs, &QTabWidget::currentChanged, this, &EntryForm::onTabChanged);
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this, &EntryForm::showHelp);
    // Ctrl+S saves as Apply does; Esc closes (with the closing prompt).
    // A list embedded in a tab leaves both to the window around it.
    if (windowFlags() & Qt::Window) {
        auto* save = new QShortcut(QKeySequence::Save, this);
        connect(save, &QShortcut::activated, this, [this] {
            if (isEdited())
                apply();
        });
        auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
        connect(esc, &QShortcut::activated, this, &QWidget::close);
        m_applyBtn->setToolTip(QStringLiteral("入力した内容を保存します。画面は閉じません。（Ctrl+S）"));
    }
    m_applyBtn->setEnabled(false);
}

QWidget* EntryForm::makeField(const FieldDef& f)
{
    const QFontMetrics fm(font());
    const int digit = fm.horizontalAdvance(QLatin1Char('0'));
    QWidget* w = nullptr;
    switch (f.kind) {
    case FieldKind::Flag:
        w = new QCheckBox(f.label);
        break;
    case FieldKind::Option: {
        // The options of a group exclude each other, wherever their cells stand.
        auto* r = new QRadioButton(f.label);
        QButtonGroup*& group = m_optionGroups[f.group];
        if (!group)
            group = new QButtonGroup(this);
        group->addButton(r);
        w = r;
        break;
    }
    case FieldKind::Label: {
        auto* l = new QLabel;
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        l->setMinimumHeight(fm.height() + 8);
        if (f.chars > 0)
            l->setFixedWidth(f.chars * digit + 12);
        w = l;
        break;
    }
    case FieldKind::DropDown: {
        auto* c = new QComboBox;
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert);
        GuiCommon::suggestWithoutCompleting(c);
        c->setMaxVisibleItems(20);
        if (f.chars > 0)
            c->setFixedWidth(f.chars * digit + 36);
        w = c;
        break;
    }
    case FieldKind::MultiLine: {
        auto* e = new QPlainTextEdit;
        e->setTabChangesFocus(true);
        e->setFixedHeight(f.lines * fm.lineSpacing() + 12);
        if (f.chars > 0)
            e->setFixedWidth(f.chars * digit + 16);
        w = e;
        break;
    }
    default: {
        auto* e = new QLineEdit;
        if (f.chars > 0)
            e->setFixedWidth(f.chars * digit + 14);
        if (f.isNumeric()) {
            e->setAlignment(Qt::AlignRight);
            // Numbers go in as typed keys: no input-method composition.
            e->setAttribute(Qt::WA_InputMethodEnabled, false);
            e->setInputMethodHints(Qt::ImhPreferNumbers | Qt::ImhNoPredictiveText);
        } else if (f.has(FieldFlag::Latin)) {
            e->setAttribute(Qt::WA_InputMethodEnabled, false);
            e->setInputMethodHints(Qt::ImhPreferLatin | Qt::ImhNoPredictiveText);
        }
        if (f.has(FieldFlag::ReadOnly)) {
            e->setReadOnly(true);
            e->setFocusPolicy(Qt::ClickFocus);
        }
        w = e;
        break;
    }
    }
    w->setObjectName(f.column);
    if (!f.tip.isEmpty())
        w->setToolTip(f.tip);
    return w;
}

void EntryForm::connectField(const FieldDef& f, QWidget* w)
{
    const QString col = f.column;
    m_columnOf.insert(w, col);
    w->installEventFilter(this);
    m_enter->add(w);
    m_highlight->add(w);
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        connect(e, &QLineEdit::textChanged, this, [this, col] { onTextChanged(col); });
    } else if (auto* e = qobject_cast<QPlainTextEdit*>(w)) {
        connect(e, &QPlainTextEdit::textChanged, this, [this, col] { onTextChanged(col); });
    } else if (auto* c = qobject_cast<QComboBox*>(w)) {
        m_columnOf.insert(c->lineEdit(), col);
        c->lineEdit()->installEventFilter(this);
        connect(c, &QComboBox::editTextChanged, this, [this, col] { onTextChanged(col); });
        connect(c, &QComboBox::activated, this, [this, col](int i) { onChoice(col, i); });
    } else if (auto* b = qobject_cast<QCheckBox*>(w)) {
        connect(b, &QCheckBox::toggled, this, [this, col] { onFlagToggled(col); });
    } else if (auto* r = qobject_cast<QRadioButton*>(w)) {
        connect(r, &QRadioButton::toggled, this, [this, col] { onOptionToggled(col); });
    }
}

void EntryForm::addAfterField(const QString& column, QWidget* widget)
{
    QWidget* cell = m_cells.value(column);
    if (!cell)
        return;
    auto* h = static_cast<QHBoxLayout*>(cell->layout());
    // Before the closing stretch of a fixed-width cell.
    int at = h->count();
    if (at > 0 && h->itemAt(at - 1)->spacerItem())
        --at;
    h->insertWidget(at, widget);
    // Tab reaches it right after its field, not after the whole window.
    if (QWidget* f = field(column))
        QWidget::setTabOrder(f, widget);
}

void EntryForm::addGroupRow(int group, QWidget* widget)
{
    QGridLayout* grid = m_groupGrids.value(group);
    if (!grid)
        return;
    grid->addWidget(widget, grid->rowCount(), 0, 1, grid->columnCount());
}
