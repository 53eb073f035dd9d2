#include "EntryForm.h"

#include "AdrForm.h"
#include "AppDir.h"
#include "BoxFit.h"
#include "EnterOrder.h"
#include "FocusHighlight.h"
#include "HelpForm.h"
#include "NumberText.h"
#include "PostalLookup.h"
#include "RowsEditor.h"
#include "Prompter.h"
#include "Recordset.h"
#include "Storage.h"
#include "common.h"
#include "GuiCommon.h"
#include "TextNumbers.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSet>
#include <QScrollArea>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

namespace {

// Puts a stored text into a drop-down: its item when it is one, and as the
// text of the list all the same when it is not.
void showInCombo(QComboBox* c, const QString& text)
{
    const int i = c->findText(text, Qt::MatchExactly);
    c->setCurrentIndex(i);
    if (c->currentText() != text)
        c->setEditText(text);
}

// The postal pair behind the buttons numbered `number`; the last one when
// a table numbers two alike.
const PostalPair* numberedPair(const FieldTable& table, int number)
{
    const PostalPair* found = nullptr;
    for (const PostalPair& p : table.postal)
        if (p.number == number)
            found = &p;
    return found;
}

}  // namespace

EntryForm::EntryForm(Storage& storage, qint64 bid, FieldTable table, QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags)
    , m_storage(storage)
    , m_bid(bid)
    , m_table(std::move(table))
{
    m_table.place();
    m_enter = new EnterOrder(this, EnterOrder::NoOption);
    // The field table decides where Enter goes (postal look-ups, fields
    // where it stays, the end of a tab).
    m_enter->setHandler([this](QWidget* w, const QKeyEvent& key) {
        const QString column = columnOf(w);
        const FieldDef* f = m_table.field(column);
        // A multi-line field takes a line break with Ctrl or Shift.
        if (f && f->kind == FieldKind::MultiLine && (key.modifiers() & (Qt::ControlModifier | Qt::ShiftModifier))) {
            if (auto* e = qobject_cast<QPlainTextEdit*>(w))
                e->insertPlainText(QStringLiteral("\n"));
            return true;
        }
        onEnter(column);
        return true;
    });
    m_highlight = new FocusHighlight(this);
    buildLayout();
}

EntryForm::~EntryForm() = default;

// ---------------------------------------------------------------- values

QString EntryForm::text(const QString& column) const
{
    QWidget* w = field(column);
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text();
    if (auto* e = qobject_cast<QPlainTextEdit*>(w))
        return e->toPlainText();
    if (auto* c = qobject_cast<QComboBox*>(w))
        return c->currentText();
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return b->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    return {};
}

QVariant EntryForm::value(const QString& column) const
{
    const FieldDef* f = m_table.field(column);
    if (f && f->isFlag())
        return isChecked(column) ? 1 : 0;
    return text(column);
}

bool EntryForm::isChecked(const QString& column) const
{
    auto* b = qobject_cast<QAbstractButton*>(field(column));
    return b && b->isChecked();
}

void EntryForm::setChecked(const QString& column, bool on)
{
    auto* b = qobject_cast<QAbstractButton*>(field(column));
    if (!b || b->isChecked() == on)
        return;
    // The chosen option of a group can only be taken back by the program
    // (a stored row that chose none).
    QButtonGroup* group = b->group();
    const bool exclusive = group && group->exclusive();
    if (exclusive && !on)
        group->setExclusive(false);
    b->setChecked(on);
    if (exclusive && !on)
        group->setExclusive(true);
}

void EntryForm::setFieldValue(const QString& column, const QVariant& value)
{
    QWidget* w = field(column);
    const QString t = value.isNull() ? QString() : value.toString();
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        if (e->text() != t)
            e->setText(t);
        e->setCursorPosition(0);
    } else if (auto* e = qobject_cast<QPlainTextEdit*>(w)) {
        if (e->toPlainText() != t)
            e->setPlainText(t);
    } else if (auto* c = qobject_cast<QComboBox*>(w)) {
        showInCombo(c, t);
    } else if (qobject_cast<QAbstractButton*>(w)) {
        setChecked(column, !value.isNull() && value.toInt() != 0);
    } else if (auto* l = qobject_cast<QLabel*>(w)) {
        if (l->text() != t) {
            l->setText(t);
            onTextChanged(column);
        }
    }
}

void EntryForm::setText(const QString& column, const QString& text)
{
    const FieldDef* f = m_table.field(column);
    if (f && f->isFlag())
        setChecked(column, text.toInt() != 0);
    else
        setFieldValue(column, text);
}

void EntryForm::showValues(const QHash<QString, QVariant>& values, const QStringList& columns)
{
    const bool wasShowing = m_showing;
    m_showing = true;
    for (const QString& c : columns)
        setFieldValue(c, values.value(c));
    m_showing = wasShowing;
    settleEnabled();
    for (const QString& c : columns)
        checkFit(c, nullptr);
}

void EntryForm::settleEnabled()
{
    FlagState state;
    for (const FieldDef& f : m_table.fields)
        if (f.kind == FieldKind::Flag)
            state.checked.insert(f.column, isChecked(f.column));
    m_flagRules.settleEnabled(state);
    // Every box follows the rules; other fields only where a rule names them.
    for (const FieldDef& f : m_table.fields)
        if (f.kind == FieldKind::Flag || state.disabled.contains(f.column))
            field(f.column)->setEnabled(state.isEnabled(f.column));
}

QStringList EntryForm::items(const QString& column) const
{
    QStringList out;
    if (auto* c = qobject_cast<QComboBox*>(field(column)))
        for (int i = 0; i < c->count(); ++i)
            out << c->itemText(i);
    return out;
}

QString EntryForm::keptCode(const QString& column, int index) const
{
    return m_kept.value(column).value(index);
}

// ---------------------------------------------------------------- edited state

bool EntryForm::isEdited() const
{
    return m_applyBtn->isEnabled();
}

void EntryForm::setEdited(bool edited)
{
    m_applyBtn->setEnabled(edited);
}

void EntryForm::onTextChanged(const QString& column)
{
    // The text before this change: a change that makes a text unprintable
    // is taken back to it.
    const QString before = m_textNow.value(column);
    m_textNow.insert(column, text(column));
    const FieldDef* f = m_table.field(column);
    if (!f)
        return;
    if (!m_loading && !m_showing && filterRejects(*f, field(column)))
        return;  // the removal has changed the text again and been handled
    if (m_loading || m_showing)
        return;
    if (!m_cutting)
        checkFit(column, &before);
    fieldChanged(column);
    setEdited(true);
}

void EntryForm::checkFit(const QString& column, const QString* before)
{
    const FieldDef* f = m_table.field(column);
    if (!f || !(f->kind == FieldKind::Text || f->kind == FieldKind::MultiLine || f->kind == FieldKind::DropDown))
        return;
    const BoxFit& fit = BoxFit::shared();
    const QString& stored = f->storedColumn();
    if (!fit.knows(m_table.table, stored))
        return;
    QWidget* w = field(column);
    const QString typed = text(column);
    QString note;
    if (before && typed.size() > before->size()
        && fit.judge(m_table.table, stored, typed).verdict == BoxFit::Verdict::TooLong) {
        // The limit of the column is what its boxes can print at all. Text
        // added at the end is kept as far as it prints; any other change
        // past the limit is taken back whole, so that nothing that was
        // there before is lost.
        QString allowed = typed.startsWith(*before) ? fit.longestPrintable(m_table.table, stored, typed) : *before;
        if (allowed.size() < before->size())
            allowed = *before;
        ++m_beeps;
        QApplication::beep();
        m_cutting = true;
        if (auto* e = qobject_cast<QLineEdit*>(w)) {
            e->setText(allowed);
            e->end(false);
        } else if (auto* e = qobject_cast<QPlainTextEdit*>(w)) {
            e->setPlainText(allowed);
            e->moveCursor(QTextCursor::End);
        } else if (auto* c = qobject_cast<QComboBox*>(w)) {
            c->setEditText(allowed);
        }
        m_cutting = false;
        note = QStringLiteral("印刷の枠（%1）に入りきらないため、%2 文字までしか入力できません。")
                   .arg(fit.judge(m_table.table, stored, typed).where)
                   .arg(fit.longestPrintable(m_table.table, stored, typed).size());
    }
    const BoxFit::Result r = fit.judge(m_table.table, stored, text(column));
    if (note.isEmpty())
        note = BoxFit::describe(r);
    m_fitNotes.insert(column, note);
    if (!qobject_cast<QComboBox*>(w))
        setRestingBackground(column, r.verdict == BoxFit::Verdict::Fits      ? QColor()
                                     : r.verdict == BoxFit::Verdict::TooLong ? QColor(0xff, 0xd0, 0xd0)
                                                                             : QColor(0xff, 0xf3, 0xb0));
    if (w && (before || w->hasFocus() || w->isAncestorOf(QApplication::focusWidget())))
        m_fitNote->setText(note);
}

// One disallowed character goes per change; the change that its removal
// makes comes back here for the next one.
bool EntryForm::filterRejects(const FieldDef& f, QWidget* w)
{
    NumberText::Filter filter;
    if (f.kind == FieldKind::Decimal || f.kind == FieldKind::Amount)
        filter = NumberText::Filter::Decimal;
    else if (f.kind == FieldKind::Digit)
        filter = NumberText::Filter::Digit;
    else
        return false;
    auto* e = qobject_cast<QLineEdit*>(w);
    if (!e)
        return false;
    const QString t = e->text();
    // Full-width digits come from the input method or a paste: they are
    // meant as digits, so they become half-width instead of going away.
    const QString half = TextNumbers::toHalfWidth(t);
    if (half != t) {
        const int caret = e->cursorPosition();
        e->setText(half);
        e->setCursorPosition(caret);
        return true;
    }
    const int bad = NumberText::firstRejected(t, filter);
    if (bad < 0)
        return false;
    ++m_beeps;
    QApplication::beep();
    e->setText(t.left(bad) + t.mid(bad + 1));
    e->end(false);
    e->setFocus(Qt::OtherFocusReason);
    return true;
}

void EntryForm::onFlagToggled(const QString& column)
{
    if (m_settingFlags || m_showing)
        return;
    FlagState state;
    for (const FieldDef& f : m_table.fields) {
        // A rule may also switch the fields that belong to a box.
        if (f.kind == FieldKind::Flag)
            state.checked.insert(f.column, isChecked(f.column));
        if (QWidget* w = field(f.column))
            state.disabled.insert(f.column, !w->isEnabledTo(this));
    }
    const QStringList changed = m_flagRules.react(column, state);
    m_settingFlags = true;
    for (const QString& c : changed) {
        const FieldDef* f = m_table.field(c);
        if (f && f->kind == FieldKind::Flag)
            setChecked(c, state.isChecked(c));
        if (QWidget* w = field(c))
            w->setEnabled(state.isEnabled(c));
    }
    m_settingFlags = false;
    if (m_loading)
        return;
    fieldChanged(column);
    for (const QString& c : changed)
        fieldChanged(c);
    setEdited(true);
}

void EntryForm::onOptionToggled(const QString& column)
{
    if (m_loading || m_showing)
        return;
    fieldChanged(column);
    setEdited(true);
}

void EntryForm::onChoice(const QString& column, int index)
{
    for (const CodePair& p : std::as_const(m_table.codePairs))
        if (p.nameList == column)
            setText(p.codeField, keptCode(column, index));
    for (const MasterPick& p : std::as_const(m_table.picks))
        if (p.list == column)
            pickFromMaster(p, index);
    if (m_loading || m_showing)
        return;
    // Choosing counts as an edit even when it shows the text already there.
    fieldChanged(column);
    setEdited(true);
}

void EntryForm::pickFromMaster(const MasterPick& pick, int index)
{
    bool ok = false;
    const qint64 id = keptCode(pick.list, index).toLongLong(&ok);
    if (!ok)
        return;
    Recordset rs(m_storage, DbFile::MasterData);
    if (!rs.open(QStringLiteral("Architect"), {{QStringLiteral("ID"), id}, {pick.roleFlag, 1}})) {
        common::ErrorBox(rs.errorString());
        return;
    }
    if (rs.recordCount() == 0)
        return;
    for (const MasterCopy& copy : pick.copies) {
        QString joined;
        for (const QString& c : copy.from)
            joined += rs.text(c);
        setText(copy.to, joined);
    }
}

// ---------------------------------------------------------------- loading and saving

void EntryForm::open()
{
    m_loading = true;
    QString error;
    if (!fillLists(&error) || !loadRecords(&error) || !loadRows(&error))
        common::ErrorBox(error);
    m_tabs->setCurrentIndex(0);
    setEdited(false);
    // Stored texts are told about too, never cut.
    for (const FieldDef& f : std::as_const(m_table.fields))
        checkFit(f.column, nullptr);
    m_loading = false;
    focusField(m_table.firstOfTab(0));
}

void EntryForm::showEvent(QShowEvent* event)
{
    if (!m_sized) {
        m_sized = true;
        fitToContent();
    }
    QWidget::showEvent(event);
}

// Large enough for every tab, but never larger than the screen.
void EntryForm::fitToContent()
{
    // Pages not shown yet are measured as they will look.
    for (QWidget* w : findChildren<QWidget*>())
        w->ensurePolished();
    for (QLayout* l : findChildren<QLayout*>())
        l->invalidate();
    layout()->invalidate();
    layout()->activate();
    QSize want = sizeHint();
    if (QScreen* s = screen()) {
        const QRect avail = s->availableGeometry();
        want = want.boundedTo(QSize(avail.width() - 16, avail.height() - 40));
    }
    resize(want);
}

bool EntryForm::fillLists(QString* error)
{
    for (const CodeListDef& l : std::as_const(m_table.lists))
        if (!fillList(l.name, error))
            return false;
    const bool wasShowing = m_showing;
    m_showing = true;
    for (const FieldDef& f : std::as_const(m_table.fields)) {
        const auto fixed = m_table.fixedLists.constFind(f.list);
        auto* c = qobject_cast<QComboBox*>(field(f.column));
        if (fixed == m_table.fixedLists.cend() || !c)
            continue;
        const QString shown = c->currentText();
        c->clear();
        c->addItems(*fixed);
        showInCombo(c, shown);
    }
    m_showing = wasShowing;
    return true;
}

bool EntryForm::fillList(const QString& listName, QString* error)
{
    const CodeListDef* list = nullptr;
    for (const CodeListDef& l : std::as_const(m_table.lists))
        if (l.name == listName)
            list = &l;
    if (!list)
        return true;
    Recordset rs(m_storage, DbFile::MasterData);
    if (!rs.open(list->table)) {
        *error = rs.errorString();
        return false;
    }
    QStringList texts, kept;
    for (; !rs.eof(); rs.moveNext()) {
        if (list->accept && !list->accept(rs))
            continue;
        texts << rs.text(list->column);
        kept << (list->keep.isEmpty() ? QString() : rs.text(list->keep));
    }
    const bool wasShowing = m_showing;
    m_showing = true;
    for (const FieldDef& f : std::as_const(m_table.fields)) {
        if (f.list != listName)
            continue;
        auto* c = qobject_cast<QComboBox*>(field(f.column));
        if (!c)
            continue;
        const QString shown = c->currentText();
        c->clear();
        c->addItems(texts);
        showInCombo(c, shown);
        m_kept.insert(f.column, kept);
    }
    m_showing = wasShowing;
    return true;
}

// Hands the project's row of table to use, when there is one; false with
// *error when the table cannot be read or use fails.
static bool onProjectRow(Storage& storage, const QString& table, qint64 bid, QString* error,
                         const std::function<bool(Recordset&)>& use)
{
    Recordset rs(storage, DbFile::Kakunin);
    if (!rs.open(table, QStringLiteral("B_ID"), bid)) {
        *error = rs.errorString();
        return false;
    }
    if (rs.recordCount() == 0 || use(rs))
        return true;
    *error = rs.errorString();
    return false;
}

bool EntryForm::loadRecords(QString* error)
{
    return onProjectRow(m_storage, m_table.table, m_bid, error, [this](Recordset& rs) {
        // Stored boxes are shown as stored: their rules do not run again, they
        // only settle which fields can be used.
        const bool wasShowing = m_showing;
        m_showing = true;
        for (const FieldDef& f : std::as_const(m_table.fields)) {
            const QVariant v = rs.value(f.storedColumn());
            if (!v.isNull())
                setFieldValue(f.column, v);
        }
        m_showing = wasShowing;
        settleEnabled();
        return true;
    });
}

bool EntryForm::saveRecords(QString* error)
{
    return onProjectRow(m_storage, m_table.table, m_bid, error, [this](Recordset& rs) {
        for (const FieldDef& f : std::as_const(m_table.fields)) {
            const QVariant v = value(f.column);
            if (storedDiffers(rs.value(f.storedColumn()), v, f.kind) && !rs.setValue(f.storedColumn(), v))
                return false;
        }
        return rs.update();
    });
}

bool EntryForm::apply()
{
    QString error;
    bool ok;
    {
        BusyCursor busy;
        ok = m_rowsEditors.isEmpty() ? saveRecords(&error) : saveWithRows(&error);
    }
    if (!ok) {
        common::ErrorBox(error);
        return false;
    }
    setEdited(false);
    emit applied();
    return true;
}

void EntryForm::addRowsEditor(RowsEditor* editor)
{
    m_rowsEditors << editor;
    connect(editor, &RowsEditor::edited, this, [this] {
        if (!m_loading)
            setEdited(true);
    });
}

bool EntryForm::loadRows(QString* error)
{
    for (RowsEditor* e : std::as_const(m_rowsEditors))
        if (!e->load(error))
            return false;
    return true;
}

bool EntryForm::saveWithRows(QString* error)
{
    Transaction tx(m_storage, DbFile::Kakunin);
    if (!tx.isActive()) {
        *error = tx.errorString();
        return false;
    }
    if (!saveRecords(error))
        return false;
    for (RowsEditor* e : std::as_const(m_rowsEditors))
        if (!e->save(error))
            return false;
    if (!tx.commit()) {
        *error = tx.errorString();
        return false;
    }
    for (RowsEditor* e : std::as_const(m_rowsEditors))
        e->markSaved();
    return true;
}

void EntryForm::closeEvent(QCloseEvent* event)
{
    if (isEdited()) {
        const Prompter::Button answer = Prompter::current().show(
            {PromptTitle::CloseConfirm, QStringLiteral("データが編集されています。　保存しますか？"),
             Prompter::Icon::Question, Prompter::Yes | Prompter::No | Prompter::Cancel, Prompter::Yes});
        if (answer == Prompter::Cancel || (answer == Prompter::Yes && !apply())) {
            event->ignore();
            return;
        }
    }
    if (m_help)
        m_help->close();
    event->accept();
}

void EntryForm::onOk()
{
    if (m_okSaves && isEdited() && !apply())
        return;  // the failure was shown; the edits stay on screen
    close();
}

// ---------------------------------------------------------------- keyboard and focus

void EntryForm::onTabChanged(int index)
{
    if (m_loading)
        return;
    focusField(m_table.firstOfTab(index));
}

bool EntryForm::showField(const QString& column)
{
    QWidget* w = field(column);
    if (!w)
        return false;
    // Every tab page on the way down to the field, outermost first.
    for (QWidget* up = w->parentWidget(); up && up != this; up = up->parentWidget()) {
        if (auto* tabs = qobject_cast<QTabWidget*>(up))
            for (int i = 0; i < tabs->count(); ++i)
                if (tabs->widget(i)->isAncestorOf(w))
                    tabs->setCurrentIndex(i);
    }
    focusField(column);
    return true;
}

void EntryForm::focusField(const QString& column, bool selectAll)
{
    QWidget* w = field(column);
    if (!w)
        return;
    w->setFocus(Qt::OtherFocusReason);
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        if (selectAll) {
            e->selectAll();
        } else {
            e->deselect();
            e->end(false);
        }
    } else if (auto* e = qobject_cast<QPlainTextEdit*>(w)) {
        e->moveCursor(QTextCursor::End);
    }
}

void EntryForm::focusNext(const QString& column)
{
    const FieldDef* from = m_table.field(column);
    if (!from || from->has(FieldFlag::EnterStays) || from->kind == FieldKind::MultiLine)
        return;
    const QVector<const FieldDef*> order = m_table.enterOrder();
    int i = 0;
    while (i < order.size() && order[i] != from)
        ++i;
    // Enter runs to the end of the tab and stops there.
    for (++i; i < order.size(); ++i) {
        const FieldDef* next = order[i];
        if (m_table.tabOf(*next) != m_table.tabOf(*from))
            return;
        QWidget* w = field(next->column);
        if (w && w->isEnabled() && w->isVisibleTo(this)) {
            focusField(next->column, next->has(FieldFlag::SelectAll));
            return;
        }
    }
}

void EntryForm::onEnter(const QString& column)
{
    if (enterPressed(column))
        return;
    const FieldDef* f = m_table.field(column);
    if (!f)
        return;
    if (f->has(FieldFlag::PostalLookup)) {
        if (const PostalPair* p = m_table.postalPairOf(column)) {
            lookUpAddress(p->number);
            focusField(p->address);
            return;
        }
    }
    focusNext(column);
}

void EntryForm::onFocusOut(const QString& column)
{
    const FieldDef* f = m_table.field(column);
    if (!f)
        return;
    auto* e = qobject_cast<QLineEdit*>(field(column));
    if (e && (f->kind == FieldKind::Decimal || f->kind == FieldKind::Amount)) {
        const QString t = e->text();
        const QString formatted =
            f->kind == FieldKind::Decimal ? NumberText::formatDecimal(t) : NumberText::formatAmount(t);
        if (formatted != t)
            e->setText(formatted);
    }
    fieldLeft(column);
}

void EntryForm::setRestingBackground(const QString& column, const QColor& color)
{
    if (QWidget* w = field(column))
        m_highlight->setResting(w, color);
}

bool EntryForm::eventFilter(QObject* watched, QEvent* event)
{
    const QString column = columnOf(watched);
    if (column.isEmpty())
        return QWidget::eventFilter(watched, event);
    auto* w = qobject_cast<QWidget*>(watched);
    const FieldDef* f = m_table.field(column);
    switch (event->type()) {
    case QEvent::FocusIn:
        m_fitNote->setText(m_fitNotes.value(column));
        if (qobject_cast<QLineEdit*>(w) && !qobject_cast<QComboBox*>(w->parentWidget()) && f
            && f->has(FieldFlag::SelectAll)) {
            auto* e = static_cast<QLineEdit*>(w);
            e->selectAll();
            // A mouse click places the caret after focus arrives.
            QTimer::singleShot(0, e, [e] {
                if (e->hasFocus())
                    e->selectAll();
            });
        }
        break;
    case QEvent::FocusOut:
        if (w == field(column))
            onFocusOut(column);
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------- look-ups and help

void EntryForm::lookUpAddress(int pair)
{
    const PostalPair* p = numberedPair(m_table, pair);
    if (!p)
        return;
    AdrFormChooser windowChooser(this);
    PostalLookup lookup(m_storage, m_chooser ? m_chooser : &windowChooser);
    QString code = text(p->postal);
    QString first, second;
    int found;
    {
        BusyCursor busy;
        found = lookup.codeToAddress(false, &code, &first, &second);
    }
    if (found != 0) {
        if (!lookup.errorString().isEmpty())
            common::ErrorBox(lookup.errorString());
        return;
    }
    if (code != text(p->postal))
        setText(p->postal, code);
    if (!(first + second).isEmpty())
        setText(p->address, first + second);
}

void EntryForm::lookUpPostalCode(int pair)
{
    const PostalPair* p = numberedPair(m_table, pair);
    if (!p)
        return;
    AdrFormChooser windowChooser(this);
    PostalLookup lookup(m_storage, m_chooser ? m_chooser : &windowChooser);
    QString code;
    {
        BusyCursor busy;
        code = lookup.addressToCode(false, text(p->address));
    }
    if (!lookup.errorString().isEmpty()) {
        common::ErrorBox(lookup.errorString());
        return;
    }
    if (!code.isEmpty())
        setText(p->postal, code);
}

HelpForm* EntryForm::helpForm() const
{
    return m_help.data();
}

void EntryForm::showHelp()
{
    if (!m_help)
        m_help = new HelpForm(this);
    m_help->showPage(AppDir::file(QStringLiteral("MANUAL/") + m_helpPage));
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}
