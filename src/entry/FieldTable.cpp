#include "FieldTable.h"

#include <QHash>

#include <algorithm>

int FieldTable::addTab(const QString& title)
{
    tabs << title;
    return static_cast<int>(tabs.size()) - 1;
}

GroupDef& FieldTable::addGroup(const QString& title, int column)
{
    GroupDef g;
    g.title = title;
    g.tab = qMax(0, static_cast<int>(tabs.size()) - 1);
    g.column = column;
    groups.append(g);
    return groups.last();
}

FieldDef& FieldTable::add(const QString& column, FieldKind kind)
{
    FieldDef f;
    f.column = column;
    f.kind = kind;
    f.group = qMax(0, static_cast<int>(groups.size()) - 1);
    fields.append(f);
    return fields.last();
}

void FieldTable::place()
{
    // Per group: the current row and the next free cell of it.
    QHash<int, int> row, nextCell;
    for (FieldDef& f : fields) {
        const bool explicitRow = f.row >= 0;
        if (!row.contains(f.group)) {
            row.insert(f.group, explicitRow ? f.row : 0);
            nextCell.insert(f.group, 0);
        } else if (explicitRow) {
            row[f.group] = f.row;
        } else if (!f.caption.isEmpty() || f.has(FieldFlag::NewRow)) {
            ++row[f.group];
            nextCell[f.group] = 0;
        }
        f.row = row.value(f.group);
        if (f.cell < 0)
            f.cell = nextCell.value(f.group);
        nextCell[f.group] = f.cell + f.span;
    }
    m_index.clear();
    for (int i = 0; i < fields.size(); ++i)
        m_index.insert(fields[i].column, i);
}

QStringList FieldTable::columns() const
{
    QStringList out;
    for (const FieldDef& f : fields)
        out << f.column;
    return out;
}

QStringList FieldTable::storedColumns() const
{
    QStringList out;
    for (const FieldDef& f : fields)
        out << f.storedColumn();
    return out;
}

const FieldDef* FieldTable::field(const QString& column) const
{
    // Windows look fields up on every event of every field: by the index
    // once the table is placed, by a walk while it is still being built.
    if (m_index.size() == fields.size()) {
        const int i = m_index.value(column, -1);
        return i >= 0 && fields[i].column == column ? &fields[i] : nullptr;
    }
    for (const FieldDef& f : fields)
        if (f.column == column)
            return &f;
    return nullptr;
}

QVector<const FieldDef*> FieldTable::enterOrder() const
{
    QVector<const FieldDef*> out;
    for (const FieldDef& f : fields)
        if (f.order > 0)
            out << &f;
    std::stable_sort(out.begin(), out.end(), [](const FieldDef* a, const FieldDef* b) { return a->order < b->order; });
    return out;
}

QString FieldTable::firstOfTab(int tab) const
{
    for (const FieldDef* f : enterOrder())
        if (tabOf(*f) == tab)
            return f->column;
    return {};
}

const PostalPair* FieldTable::postalPairOf(const QString& column) const
{
    for (const PostalPair& p : postal)
        if (p.postal == column || p.address == column)
            return &p;
    return nullptr;
}

QStringList FieldTable::missingFrom(const QStringList& schemaColumns) const
{
    QStringList out;
    for (const FieldDef& f : fields)
        if (!schemaColumns.contains(f.storedColumn()))
            out << f.storedColumn();
    return out;
}

bool isFlagKind(FieldKind kind)
{
    return kind == FieldKind::Flag || kind == FieldKind::Option;
}

QVariant fieldValueOf(const QVariant& value, FieldKind kind)
{
    if (isFlagKind(kind))
        return value.isNull() ? 0 : (value.toInt() != 0 ? 1 : 0);
    return value.isNull() ? QString() : value.toString();
}

bool storedDiffers(const QVariant& stored, const QVariant& value, FieldKind kind)
{
    if (isFlagKind(kind))
        return fieldValueOf(stored, kind).toInt() != fieldValueOf(value, kind).toInt();
    return fieldValueOf(stored, kind).toString() != fieldValueOf(value, kind).toString();
}
