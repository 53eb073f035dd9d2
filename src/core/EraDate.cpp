#include "EraDate.h"

#include <unicode/calendar.h>
#include <unicode/gregocal.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <memory>

namespace {

icu::UnicodeString toIcu(const QString& s)
{
    return icu::UnicodeString(reinterpret_cast<const UChar*>(s.utf16()), static_cast<int32_t>(s.size()));
}

QString fromIcu(const icu::UnicodeString& s)
{
    return QString(reinterpret_cast<const QChar*>(s.getBuffer()), s.length());
}

icu::TimeZone* utc()
{
    return icu::TimeZone::createTimeZone(icu::UnicodeString(u"UTC"));
}

}  // namespace

namespace EraDate {

QString text(const QDate& date)
{
    if (!date.isValid())
        return QString();
    UErrorCode status = U_ZERO_ERROR;
    // "Gy" writes an era's first year as 元年, as official papers do.
    icu::SimpleDateFormat format(icu::UnicodeString(u"Gy年MM月dd日"), icu::Locale("ja_JP@calendar=japanese"),
                                 status);
    if (U_FAILURE(status))
        return QString();
    format.adoptTimeZone(utc());
    std::unique_ptr<icu::Calendar> gregorian(
        icu::Calendar::createInstance(utc(), icu::Locale("en_US@calendar=gregorian"), status));
    if (U_FAILURE(status))
        return QString();
    gregorian->clear();
    gregorian->set(date.year(), date.month() - 1, date.day(), 12, 0, 0);
    const UDate when = gregorian->getTime(status);
    if (U_FAILURE(status))
        return QString();
    icu::UnicodeString out;
    format.format(when, out);
    return fromIcu(out);
}

QDate fromEra(const QString& era, int year, int month, int day)
{
    UErrorCode status = U_ZERO_ERROR;
    icu::SimpleDateFormat format(icu::UnicodeString(u"Gy年M月d日"), icu::Locale("ja_JP@calendar=japanese"), status);
    if (U_FAILURE(status))
        return {};
    format.adoptTimeZone(utc());
    format.setLenient(false);
    // The one form the parser reads.
    const QString canonical = QStringLiteral("%1%2年%3月%4日").arg(era).arg(year).arg(month).arg(day);
    icu::ParsePosition pos(0);
    const UDate when = format.parse(toIcu(canonical), pos);
    if (pos.getErrorIndex() >= 0 || pos.getIndex() != static_cast<int32_t>(canonical.size()))
        return {};
    std::unique_ptr<icu::GregorianCalendar> gregorian(new icu::GregorianCalendar(utc(), status));
    gregorian->setTime(when, status);
    if (U_FAILURE(status))
        return {};
    const QDate d(gregorian->get(UCAL_YEAR, status), gregorian->get(UCAL_MONTH, status) + 1,
                  gregorian->get(UCAL_DATE, status));
    if (U_FAILURE(status) || d.month() != month || d.day() != day)
        return {};
    return d;
}

}  // namespace EraDate
