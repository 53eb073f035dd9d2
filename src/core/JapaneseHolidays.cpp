#include "JapaneseHolidays.h"

#include <cmath>

namespace JapaneseHolidays {

namespace {

// The n-th Monday of a month.
int nthMonday(int year, int month, int n)
{
    const int first = QDate(year, month, 1).dayOfWeek();  // 1 = Monday
    return 1 + (8 - first) % 7 + 7 * (n - 1);
}

int vernalEquinox(int year)
{
    return static_cast<int>(std::floor(20.8431 + 0.242194 * (year - 1980) - std::floor((year - 1980) / 4.0)));
}

int autumnalEquinox(int year)
{
    return static_cast<int>(std::floor(23.2488 + 0.242194 * (year - 1980) - std::floor((year - 1980) / 4.0)));
}

// Holidays named by the law for the day itself, without substitutes.
QString statutory(const QDate& d)
{
    const int y = d.year(), m = d.month(), day = d.day();
    switch (m) {
    case 1:
        if (day == 1)
            return QStringLiteral("元日");
        if (y >= 2000 ? day == nthMonday(y, 1, 2) : day == 15)
            return QStringLiteral("成人の日");
        break;
    case 2:
        if (day == 11)
            return QStringLiteral("建国記念の日");
        if (y == 1989 && day == 24)
            return QStringLiteral("大喪の礼");
        if (y >= 2020 && day == 23)
            return QStringLiteral("天皇誕生日");
        break;
    case 3:
        if (day == vernalEquinox(y))
            return QStringLiteral("春分の日");
        break;
    case 4:
        // The Showa Emperor's birthday kept its day under three names.
        if (day == 29)
            return y >= 2007 ? QStringLiteral("昭和の日")
                             : y >= 1989 ? QStringLiteral("みどりの日") : QStringLiteral("天皇誕生日");
        break;
    case 5:
        // 30 April and 2 May 2019 follow from the rule for days between two holidays.
        if (y == 2019 && day == 1)
            return QStringLiteral("天皇の即位の日");
        if (day == 3)
            return QStringLiteral("憲法記念日");
        if (day == 4 && y >= 2007)
            return QStringLiteral("みどりの日");
        if (day == 5)
            return QStringLiteral("こどもの日");
        break;
    case 6:
        if (y == 1993 && day == 9)
            return QStringLiteral("結婚の儀");
        break;
    case 7:
        if (y == 2020 ? day == 23 : y == 2021 ? day == 22 : (y >= 2003 ? day == nthMonday(y, 7, 3) : (y >= 1996 && day == 20)))
            return QStringLiteral("海の日");
        if ((y == 2020 && day == 24) || (y == 2021 && day == 23))
            return QStringLiteral("スポーツの日");
        break;
    case 8:
        if (y == 2020 ? day == 10 : y == 2021 ? day == 8 : (y >= 2016 && day == 11))
            return QStringLiteral("山の日");
        break;
    case 9:
        if (y >= 2003 ? day == nthMonday(y, 9, 3) : day == 15)
            return QStringLiteral("敬老の日");
        if (day == autumnalEquinox(y))
            return QStringLiteral("秋分の日");
        break;
    case 10:
        if (y == 2019 && day == 22)
            return QStringLiteral("即位礼正殿の儀の行われる日");
        if (y == 2020 || y == 2021)
            break;
        if (y >= 2000 ? day == nthMonday(y, 10, 2) : day == 10)
            return y >= 2020 ? QStringLiteral("スポーツの日") : QStringLiteral("体育の日");
        break;
    case 11:
        if (day == 3)
            return QStringLiteral("文化の日");
        if (day == 23)
            return QStringLiteral("勤労感謝の日");
        if (y == 1990 && day == 12)
            return QStringLiteral("即位礼正殿の儀");
        break;
    case 12:
        if (y >= 1989 && y <= 2018 && day == 23)
            return QStringLiteral("天皇誕生日");
        break;
    default:
        break;
    }
    return {};
}

}  // namespace

QString name(const QDate& date)
{
    if (!date.isValid() || date.year() < 1980 || date.year() > 2099)
        return {};
    const QString own = statutory(date);
    if (!own.isEmpty())
        return own;
    // A holiday on a Sunday moves to the next day that is no holiday.
    if (date.year() >= 1973) {
        QDate d = date.addDays(-1);
        while (!statutory(d).isEmpty()) {
            if (d.dayOfWeek() == 7)
                return QStringLiteral("振替休日");
            if (date.year() < 2007)
                break;  // before 2007 only the Monday after took it
            d = d.addDays(-1);
        }
    }
    // A weekday between two holidays is a holiday too (since the amendment of 27 December 1985).
    if (date >= QDate(1985, 12, 27) && date.dayOfWeek() != 7 && !statutory(date.addDays(-1)).isEmpty()
        && !statutory(date.addDays(1)).isEmpty())
        return QStringLiteral("国民の休日");
    return {};
}

}  // namespace JapaneseHolidays
