#include "ChildRows.h"

#include "Storage.h"

namespace {

// Null reads as the empty text, so an empty field leaves a never-written
// column null, and a box's 0 is written over a null one.
bool differs(const QVariant& stored, const QVariant& value)
{
    return stored.toString() != value.toString();
}

}  // namespace

ChildRows::ChildRows(QString table, QVector<Condition> fixed, QStringList columns)
    : m_table(std::move(table))
    , m_fixed(std::move(fixed))
    , m_columns(std::move(columns))
{
}

bool ChildRows::load(Storage& storage, qint64 bid, QString* error)
{
    QVector<Condition> where{{QStringLiteral("B_ID"), bid}};
    where += m_fixed;
    Recordset rs(storage, DbFile::Kakunin);
    if (!rs.open(m_table, where)) {
        *error = rs.errorString();
        return false;
    }
    m_rows.clear();
    for (; !rs.eof(); rs.moveNext()) {
        RowValues r;
        for (const QString& c : m_columns)
            r.insert(c, rs.value(c));
        m_rows << r;
    }
    m_changed = false;
    return true;
}

bool ChildRows::save(Storage& storage, qint64 bid, QString* error)
{
    QVector<Condition> where{{QStringLiteral("B_ID"), bid}};
    where += m_fixed;
    Recordset rs(storage, DbFile::Kakunin);
    if (!rs.open(m_table, where)) {
        *error = rs.errorString();
        return false;
    }
    const int stored = rs.recordCount();
    const int shown = count();
    auto fail = [&] {
        *error = rs.errorString();
        return false;
    };
    for (int i = 0; i < qMin(stored, shown); ++i) {
        rs.moveTo(i);
        bool assigned = false;
        for (const QString& c : m_columns) {
            const QVariant v = m_rows[i].value(c);
            if (!differs(rs.value(c), v))
                continue;
            if (!rs.setValue(c, v))
                return fail();
            assigned = true;
        }
        if (assigned && !rs.update())
            return fail();
    }
    // New rows get larger IDs than every stored one, so they follow them.
    for (int i = stored; i < shown; ++i) {
        if (rs.addNew() == 0 || !rs.setValue(QStringLiteral("B_ID"), bid))
            return fail();
        for (const Condition& f : m_fixed)
            if (!rs.setValue(f.column, f.value))
                return fail();
        for (const QString& c : m_columns) {
            const QVariant v = m_rows[i].value(c);
            if (!v.isNull() && !rs.setValue(c, v))
                return fail();
        }
        if (!rs.update())
            return fail();
    }
    for (int i = stored - 1; i >= shown; --i) {
        rs.moveTo(i);
        if (!rs.deleteCurrent())
            return fail();
    }
    return true;
}

QVariant ChildRows::value(int index, const QString& column) const
{
    return index >= 0 && index < count() ? m_rows[index].value(column) : QVariant();
}

void ChildRows::setValue(int index, const QString& column, const QVariant& value)
{
    if (index < 0 || index >= count() || !m_columns.contains(column))
        return;
    RowValues& r = m_rows[index];
    if (r.value(column) == value && r.contains(column))
        return;
    r.insert(column, value);
    m_changed = true;
}

int ChildRows::add()
{
    m_rows << RowValues();
    m_changed = true;
    return count() - 1;
}

bool ChildRows::remove(int index)
{
    if (index < 0 || index >= count())
        return false;
    m_rows.removeAt(index);
    m_changed = true;
    return true;
}

bool ChildRows::moveUp(int index)
{
    if (index <= 0 || index >= count())
        return false;
    m_rows.swapItemsAt(index, index - 1);
    m_changed = true;
    return true;
}

bool ChildRows::moveDown(int index)
{
    if (index < 0 || index + 1 >= count())
        return false;
    m_rows.swapItemsAt(index, index + 1);
    m_changed = true;
    return true;
}
