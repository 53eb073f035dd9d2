#pragma once

#include <QString>

// Numbers as the entry windows show and store them: text with grouping
// commas and a fixed number of decimals, read back leniently.
namespace NumberText {

// "#,###,##0.00": areas, heights, ratios. 1234.5 → "1,234.50".
QString formatDecimal(const QString& text);
// "#,###,##0": amounts of money. 1234.5 → "1,235".
QString formatAmount(const QString& text);
// "#0.00": the text a computation reads, without grouping. "1,234.5" → "1234.50".
QString normalized(const QString& text);

// Formats a numeric text (optional sign, digits with or without grouping
// commas, optional point and decimals) rounded half away from zero to
// `decimals` places. A text that is not a number comes back unchanged, an
// empty text stays empty.
QString format(const QString& text, int decimals, bool grouping);

// The number at the start of a text: reading stops at the first character
// that cannot continue it; an empty or non-numeric text reads as 0.
double leadingNumber(const QString& text);

// What every computation reads from a field: the leading number of its
// "#0.00" form, so that "1,234.50" is 1234.5 and "abc" is 0.
double read(const QString& text);

// A computed value in the shown formats.
QString decimalText(double value);  // "#,###,##0.00"
// Without grouping and without trailing zeros: 100, 123.5, 0.25.
QString plainText(double value);

// The numeric-entry filters. Characters are compared by code value, so a
// full-width digit is not a digit here.
enum class Filter {
    Decimal,  // 0-9 . , and a minus sign as the first character
    Digit,    // 0-9 only
};
// Index of the first character the filter does not allow, or -1 when the
// whole text is allowed.
int firstRejected(const QString& text, Filter filter);

}  // namespace NumberText
