#pragma once

#include <QDate>
#include <QString>

// National holidays of Japan, worked out from the law's rules (fixed days,
// Mondays, the equinoxes, substitute and in-between holidays, and the
// days set by their own acts: 1989, 1990, 1993 and 2019–2021), for 1980–2099.
namespace JapaneseHolidays {

// The holiday's name, or empty when the day is not a holiday.
QString name(const QDate& date);

}  // namespace JapaneseHolidays
