#include "SiteRules.h"

#include "EraDate.h"
#include "NumberText.h"
#include "common.h"

#include <QRegularExpression>

namespace SiteRules {

namespace {

double sum(const QStringList& fields)
{
    double total = 0;
    for (const QString& f : fields)
        total += NumberText::read(f);
    return total;
}

QString ratio(double numerator, const QString& siteArea)
{
    const double site = NumberText::read(siteArea);
    return NumberText::decimalText(site > 0 ? numerator / site * 100.0 : 0.0);
}

QString eraName(const QString& typed)
{
    static const char* const names[][2] = {
        {"M", "明治"}, {"T", "大正"}, {"S", "昭和"}, {"H", "平成"}, {"R", "令和"},
    };
    const QString upper = typed.toUpper();
    for (const auto& n : names)
        if (upper == QLatin1String(n[0]))
            return QString::fromUtf8(n[1]);
    return typed;
}

}  // namespace

QString sumText(const QStringList& fields)
{
    return NumberText::plainText(sum(fields));
}

QString coverageRatio(const QString& buildingArea, const QString& siteArea)
{
    return ratio(NumberText::read(buildingArea), siteArea);
}

QString floorAreaRatio(const QString& appliedArea, const QString& otherArea, const QString& siteArea)
{
    return ratio(NumberText::read(appliedArea) + NumberText::read(otherArea), siteArea);
}

QDate parseDate(const QString& text)
{
    // Full-width digits, slashes and letters become half-width.
    QString t = text.normalized(QString::NormalizationForm_KC).trimmed();
    t.remove(QRegularExpression(QStringLiteral("\\s")));
    if (t.isEmpty())
        return {};
    static const QRegularExpression western(
        QStringLiteral("^(\\d{4}|\\d{2})(?:[/.\\-]|年)(\\d{1,2})(?:[/.\\-]|月)(\\d{1,2})日?$"));
    auto m = western.match(t);
    if (m.hasMatch()) {
        int year = m.captured(1).toInt();
        if (m.captured(1).size() == 2)
            year += year < 30 ? 2000 : 1900;
        const QDate d(year, m.captured(2).toInt(), m.captured(3).toInt());
        return d.isValid() ? d : QDate();
    }
    static const QRegularExpression era(QStringLiteral(
        "^(明治|大正|昭和|平成|令和|[MTSHRmtshr])(\\d{1,2}|元)(?:[/.\\-]|年)(\\d{1,2})(?:[/.\\-]|月)(\\d{1,2})日?$"));
    m = era.match(t);
    if (m.hasMatch()) {
        const int year = m.captured(2) == QStringLiteral("元") ? 1 : m.captured(2).toInt();
        return EraDate::fromEra(eraName(m.captured(1)), year, m.captured(3).toInt(), m.captured(4).toInt());
    }
    return {};
}

QString periodText(const QDate& start, const QDate& completion)
{
    int months = (completion.year() * 12 + completion.month()) - (start.year() * 12 + start.month());
    int days;
    if (start.day() > completion.day()) {
        --months;
        const QDate before = completion.addMonths(-1);
        // A start on the 31st before a short month would give a negative
        // remainder; the month before then counts as ending on the start's day.
        days = qMax(0, common::DaysInMonth(before.year(), before.month()) - start.day()) + completion.day();
    } else {
        days = completion.day() - start.day();
    }
    const int years = months / 12;
    months %= 12;
    QString out;
    if (years > 0)
        out += QString::number(years) + QStringLiteral("年");
    if (months > 0)
        out += QString::number(months) + QStringLiteral("ヶ月");
    if (days > 0)
        out += QString::number(days) + QStringLiteral("日");
    return out;
}

PeriodResult constructionPeriod(const QString& start, const QString& completion)
{
    PeriodResult r;
    const QDate s = parseDate(start);
    const QDate e = parseDate(completion);
    const bool startBad = !start.trimmed().isEmpty() && !s.isValid();
    const bool completionBad = !completion.trimmed().isEmpty() && !e.isValid();
    if (!s.isValid() || !e.isValid() || s > e) {
        if (completionBad)
            r.focus = PeriodResult::Focus::Completion;
        else if (startBad || (s.isValid() && e.isValid()))
            r.focus = PeriodResult::Focus::Start;
        return r;
    }
    r.ok = true;
    r.text = periodText(s, e);
    return r;
}

}  // namespace SiteRules
