#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

#include <QVariant>

#include <functional>

class Recordset;

// What a field of an entry window holds and how it behaves.
enum class FieldKind {
    Text,       // free text, saved as typed
    MultiLine,  // free text over several lines; Enter keeps the focus
    Flag,       // check box, stored as 0 or 1
    Option,     // option button, stored as 0 or 1; one chosen per group
    Decimal,    // decimal filter, "#,###,##0.00" on leaving
    Amount,     // decimal filter, "#,###,##0" on leaving (money)
    Digit,      // digit filter, no formatting
    Plain,      // no filter, no formatting (counts, budget)
    Label,      // computed and read-only; its shown text is stored
    DropDown,   // editable drop-down list filled from a code list or master
};

namespace FieldFlag {
enum : unsigned {
    SelectAll = 0x1,     // the whole text is selected on receiving focus
    EnterStays = 0x2,    // Enter keeps the focus here (the end of an entry run)
    PostalLookup = 0x4,  // Enter runs the postal look-up of the field's pair first
    Latin = 0x8,         // codes and numbers: typed without the input method
    ReadOnly = 0x10,     // shown, not typed into
    NewRow = 0x20,       // starts a new row without a caption of its own
};
}

// One column of the window's table and its field.
struct FieldDef {
    QString column;    // the field's name (its objectName)
    QString stored;    // the table column it edits, when it is not named like it
    FieldKind kind = FieldKind::Text;
    QString caption;   // at the start of the field's row in the group
    QString label;     // just before the field; a check box's own text
    QString unit;      // just after the field (m, ㎡, %, 万円, 建築士 …)
    QString tip;
    int group = 0;
    int row = -1;      // placement in the group's grid, filled in by the table
    int cell = -1;
    int span = 1;      // cells the field spans
    int order = 0;     // place in the Enter order; 0: not in it
    QString list;      // the code list that fills a drop-down
    int chars = 0;     // width in half-width characters; 0: as wide as the row allows
    int lines = 1;     // visible lines of a multi-line field
    unsigned flags = 0;

    bool has(unsigned flag) const { return (flags & flag) != 0; }
    bool isFlag() const { return kind == FieldKind::Flag || kind == FieldKind::Option; }
    const QString& storedColumn() const { return stored.isEmpty() ? column : stored; }
    bool isNumeric() const
    {
        return kind == FieldKind::Decimal || kind == FieldKind::Amount || kind == FieldKind::Digit
               || kind == FieldKind::Plain;
    }

    FieldDef& withCaption(const QString& text) { caption = text; return *this; }
    FieldDef& storedIn(const QString& tableColumn) { stored = tableColumn; return *this; }
    FieldDef& withLabel(const QString& text) { label = text; return *this; }
    FieldDef& withUnit(const QString& text) { unit = text; return *this; }
    FieldDef& withTip(const QString& text) { tip = text; return *this; }
    FieldDef& at(int r, int c) { row = r; cell = c; return *this; }
    FieldDef& inCell(int c) { cell = c; return *this; }
    FieldDef& spanning(int cells) { span = cells; return *this; }
    FieldDef& enter(int place) { order = place; return *this; }
    FieldDef& from(const QString& codeList) { list = codeList; return *this; }
    FieldDef& width(int characters) { chars = characters; return *this; }
    FieldDef& tall(int visibleLines) { lines = visibleLines; return *this; }
    FieldDef& flagged(unsigned f) { flags |= f; return *this; }
};

// A framed group of fields on one tab. Groups of one tab stand in up to
// two columns. The cells of a row follow each other, unless the group is
// aligned: then its cells form columns, which headers may name.
struct GroupDef {
    QString title;
    int tab = 0;
    int column = 0;
    bool aligned = false;
    QStringList headers;
    int captionChars = 18;  // width of the row captions, in full-width characters
};

// Where a drop-down list's items come from: every row of a masterdata
// table in ID order, the text of one column, and optionally a second column
// kept per item (a use-class code, a master's ID). A filter keeps only the
// rows it accepts.
struct CodeListDef {
    QString name;
    QString table;
    QString column;
    QString keep;
    std::function<bool(const Recordset&)> accept;
};

// A postal-code field and its address field, with the buttons "住所"
// (PostBtnN, code → address) and AdrBtnN (address → code).
struct PostalPair {
    int number = 0;
    QString postal;
    QString address;
};

// A person list filled from the Architect master: choosing a name reads the
// master row again under the role condition and copies its columns into
// the group. A source of several master columns is their texts joined.
struct MasterCopy {
    QStringList from;
    QString to;
};
struct MasterPick {
    QString list;      // the drop-down
    QString roleFlag;  // S_FLG, K_FLG, …: must be 1 in the re-read row
    QVector<MasterCopy> copies;
};

// A use-class name list and the code field it sets from the kept code.
struct CodePair {
    QString nameList;
    QString codeField;
};

// The table an entry window is built from: its columns in load and save
// order, their fields, groups and tabs, the Enter order, and where lists
// and look-ups come from.
class FieldTable {
public:
    QString table;  // the kakunin table the window edits
    QStringList tabs;
    QVector<GroupDef> groups;
    QVector<FieldDef> fields;
    QVector<CodeListDef> lists;
    QVector<PostalPair> postal;
    QVector<MasterPick> picks;
    QVector<CodePair> codePairs;
    // Lists whose items are fixed in the program, by name.
    QHash<QString, QStringList> fixedLists;

    // Building: tabs, then groups on the last tab, then fields in the last
    // group. A field without a place goes into the next cell of its row; a
    // caption or NewRow starts a new row.
    int addTab(const QString& title);
    GroupDef& addGroup(const QString& title, int column = 0);
    FieldDef& add(const QString& column, FieldKind kind);

    // Fills in rows and cells; call once after building.
    void place();

    // The fields' names in load and save order.
    QStringList columns() const;
    // The table columns they edit, in the same order.
    QStringList storedColumns() const;
    const FieldDef* field(const QString& column) const;
    // The fields in the Enter order.
    QVector<const FieldDef*> enterOrder() const;
    int tabOf(const FieldDef& f) const { return groups.value(f.group).tab; }
    // The first field of a tab in the Enter order (focus on changing tab).
    QString firstOfTab(int tab) const;
    const PostalPair* postalPairOf(const QString& column) const;

    // Every edited table column that is not one of `schemaColumns`
    // (case-sensitive, as the program spells them).
    QStringList missingFrom(const QStringList& schemaColumns) const;

private:
    int m_nextRow = 0;  // of the last group
    QHash<QString, int> m_index;  // field name → position, made by place()
};

// Whether a field's value differs from what is stored, so that saving
// writes it: a check box by its 0/1 (null counts as 0), any other field by
// its text (null counts as the empty text, so that a typed text is written
// to a column never filled since the project was made, and an empty field
// leaves such a column null).
bool storedDiffers(const QVariant& stored, const QVariant& value, FieldKind kind);
bool isFlagKind(FieldKind kind);
// The value a field of this kind saves: 0 or 1 for a check box, otherwise
// the text (null read as empty).
QVariant fieldValueOf(const QVariant& value, FieldKind kind);

// The words field tables are written in: UTF-8 literals of the source, and
// numbered columns ("Men", 4 → "Men4"; "F1Kubun", 60, "Men" → "F1Kubun60Men").
// A table's source takes them with `using namespace TableWords;`.
namespace TableWords {
inline QString s(const char* text)
{
    return QString::fromUtf8(text);
}
inline QString col(const char* stem, int n, const char* tail = "")
{
    return s(stem) + QString::number(n) + s(tail);
}
}  // namespace TableWords
