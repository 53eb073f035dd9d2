#pragma once

#include <QDate>
#include <QString>

// Japanese era dates through ICU's Japanese calendar, which knows where each
// era begins: no table of our own to keep up to date.
namespace EraDate {

// A date as offices write it on forms: era name, era year ("元" for an
// era's first year), two-digit month and day — 平成17年04月01日. Empty for
// an invalid date.
QString text(const QDate& date);

// The day of an era ("平成", "令和" …) given by its era year, month and day;
// invalid when the calendar has no such day.
QDate fromEra(const QString& era, int year, int month, int day);

}  // namespace EraDate
