#pragma once

#include "Recordset.h"

#include <type_traits>
#include <variant>

// One column of a table and the member of a struct that holds it in memory.
// A store lists its columns once, so that the row it reads and the row it
// writes back cannot drift apart.
template <class T>
struct RowField {
    const char* column;
    std::variant<QString T::*, int T::*, qint64 T::*> member;
};

// Copies the current row's listed columns into *out: null text reads as
// empty text, a null number as 0.
template <class T, std::size_t N>
void readRow(const Recordset& rs, T* out, const RowField<T> (&fields)[N])
{
    for (const RowField<T>& f : fields) {
        const QString column = QString::fromLatin1(f.column);
        std::visit(
            [&](auto member) {
                using Value = std::decay_t<decltype(out->*member)>;
                if constexpr (std::is_same_v<Value, QString>)
                    out->*member = rs.text(column);
                else
                    out->*member = static_cast<Value>(rs.integer(column));
            },
            f.member);
    }
}

// Assigns the listed members to their columns of the current row; update()
// writes them. False at the first column the table refuses.
template <class T, std::size_t N>
bool assignRow(Recordset& rs, const T& in, const RowField<T> (&fields)[N])
{
    for (const RowField<T>& f : fields) {
        const QVariant value = std::visit([&](auto member) { return QVariant::fromValue(in.*member); }, f.member);
        if (!rs.setValue(QString::fromLatin1(f.column), value))
            return false;
    }
    return true;
}
