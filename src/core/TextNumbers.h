#pragma once

#include <QString>

// Text columns that the entry windows take as numbers: areas, heights and
// ratios ("#,###,##0.00"), amounts, and digit-only codes. Their windows
// filter what is typed; writers that bypass the windows (the command-line
// tool) apply the same rule here, so that the register never holds in such
// a column what no window would have let through.
namespace TextNumbers {

enum class Kind { None, Decimal, Digit };

// Decimal: 0-9 . , and a minus sign as the first character. Digit: 0-9.
// Characters are compared by code value, as the windows' filters do.
int firstRejected(const QString& text, Kind kind);

// The full-width digits, point, comma and minus signs of a text as their
// half-width characters; everything else as it is. What a clerk types with
// the input method still on is meant as a number.
QString toHalfWidth(const QString& text);

// How table.column is typed in its window.
Kind kindOf(const QString& table, const QString& column);

// The message for a value its window would refuse, or empty when it fits.
QString refusal(const QString& table, const QString& column, const QString& value);

}  // namespace TextNumbers
