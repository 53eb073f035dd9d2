#pragma once

#include "FormText.h"
#include "InputSheet.h"
#include "ProjectData.h"

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

}  // namespace CellMapSupport
