#pragma once

#include <QString>
#include <QVariant>

#include <functional>
#include <initializer_list>
#include <utility>

// The pieces of text that the printed forms are made of: check boxes,
// numbered choices with a mark, and values centred or padded inside
// brackets. The forms are laid out in a fixed-pitch manner, so every
// piece keeps its exact spacing.
namespace FormText {

// A stored value read as a number the way the entry windows store them:
// the leading number of the text ("12.5m" → 12.5), 0 when there is none.
double leadingNumber(const QString& text);
double leadingNumber(const QVariant& value);
// A check box column is set when it holds 1.
bool flagSet(const QVariant& value);
// A flag is true when it holds anything but 0.
bool flagTrue(const QVariant& value);

// "■" for a set flag, "□" otherwise.
QString boxMark(const QVariant& flag);
// Box mark + label for each pair, run together.
QString boxLine(std::initializer_list<std::pair<QVariant, QString>> items);

// Marks option n of a numbered line with "●": it takes the place of the
// two spaces before "(n)", or of the single space where only one stands
// there (at the start of the line or after an opening bracket). Only
// options at or after position `from` are looked at. A line without that
// option comes back unchanged.
QString markChoice(const QString& line, int option, int from = 0);
// Marks the option whose word (the text right after "(n)") equals word.
QString markChoiceWord(const QString& line, const QString& word);

// A stored number as the forms print it: grouping commas and exactly
// `decimals` decimals ("1234.5" → "1,234.50", "1,234" → "1,234.00").
// Empty text, and with blankZero a value of zero, print empty; text that
// is not a plain number (full-width digits and commas are read) prints
// as the user typed it.
QString decimal(const QString& text, int decimals = 2, bool blankZero = false);
// A stored number as `format` prints it, read as decimal() reads it; empty
// text prints empty and text that is not a plain number prints as typed.
QString printedNumber(const QString& text, const std::function<QString(double)>& format);

// Rounds to the nearest integer, halves to the even neighbour (3.5 → 4, 2.5 → 2).
int roundHalfEven(double value);
// "（" + h spaces + value + h spaces + "）" with h = (width − length) / 2.
QString centred(const QString& value, int width);
// "（ " + (d − h) spaces + value + h spaces + unit, d = width − length, h = d / 2.
QString paddedCount(const QString& value, int width, const QString& unit);

}  // namespace FormText
