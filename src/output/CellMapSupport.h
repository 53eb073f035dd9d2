#pragma once

#include "FormText.h"
#include "InputSheet.h"
#include "ProjectData.h"

#include <initializer_list>

// Shorthands shared by the cell-map sections.
namespace CellMapSupport {

inline QVariant raw(const RowValues& row, const char* column)
{
    return row.value(QLatin1String(column));
}

inline QString val(const RowValues& row, const char* column)
{
    const QVariant v = row.value(QLatin1String(column));
    return v.isNull() ? QString() : v.toString();
}

inline QString val(const RowValues& row, const QString& column)
{
    const QVariant v = row.value(column);
    return v.isNull() ? QString() : v.toString();
}

inline void put(InputSheet& s, char column, int row, const QString& text)
{
    s.setText(InputSheet::at(column, row), text);
}

// A value "as stored": numbers stay numbers, text stays text.
inline void putStored(InputSheet& s, char column, int row, const QVariant& v)
{
    const CellRef ref = InputSheet::at(column, row);
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        s.setNumber(ref, v.toDouble());
        break;
    default:
        s.setText(ref, v.isNull() ? QString() : v.toString());
    }
}

inline QString col(const char* prefix, int n)
{
    return QLatin1String(prefix) + QString::number(n);
}

// A cell of a block that the form repeats for each person or floor: its
// sheet column, its row below the block's first, the value's column.
struct BlockCell {
    char column;
    int row;
    const char* field;
};

inline void putBlock(InputSheet& s, int firstRow, const RowValues& r, std::initializer_list<BlockCell> cells)
{
    for (const BlockCell& c : cells)
        put(s, c.column, firstRow + c.row, val(r, c.field));
}

// Numbered value columns down the rows of a table on the form: row
// firstRow + i shows stem + (i + 1) of each stem, in the stem's sheet column.
struct NumberedColumn {
    char column;
    const char* stem;
};

inline void putNumbered(InputSheet& s, int firstRow, int count, const RowValues& r,
                        std::initializer_list<NumberedColumn> columns)
{
    for (int i = 0; i < count; ++i)
        for (const NumberedColumn& c : columns)
            put(s, c.column, firstRow + i, val(r, col(c.stem, 1 + i)));
}

}  // namespace CellMapSupport
