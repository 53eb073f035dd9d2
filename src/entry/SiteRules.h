#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// The computations of the site window: area sums, the coverage and
// floor-area ratios and the construction period.
namespace SiteRules {

// The sum of some area fields as a sum label shows it: no grouping, no
// trailing zeros ("300.5").
QString sumText(const QStringList& fields);

// 建ぺい率: building area ÷ site area × 100, "#,###,##0.00"; 0.00 when the
// site area is not above 0.
QString coverageRatio(const QString& buildingArea, const QString& siteArea);
// 容積率: (applied part + other part) ÷ site area × 100, likewise.
QString floorAreaRatio(const QString& appliedArea, const QString& otherArea, const QString& siteArea);

// A date as office staff type it: "2005/1/20", "2005-01-20", "2005.1.20",
// "2005年1月20日", full-width digits, and era dates ("平成17年1月20日",
// "令和元年5月1日", "H17.1.20", "R1/5/1"). An invalid QDate when the text
// is no date.
QDate parseDate(const QString& text);

// The period from start to completion as "1年2ヶ月18日", zero parts left
// out; an empty text for a period of 0. Months are counted between the
// calendar months; when the start's day is later in the month than the
// completion's, the days run from the start's day to the end of the month
// before the completion, plus the completion's day.
QString periodText(const QDate& start, const QDate& completion);

// The outcome of the 自動計算 button.
struct PeriodResult {
    enum class Focus { None, Start, Completion };
    bool ok = false;
    QString text;              // the period, when ok
    Focus focus = Focus::None;  // where the user has to correct, when not ok
};
// Both dates must be given and valid, and the start not after the
// completion. Otherwise the focus goes to the completion when its text is
// not a date, else to the start when its text is not a date or lies after
// the completion; an empty field is never given the focus.
PeriodResult constructionPeriod(const QString& start, const QString& completion);

}  // namespace SiteRules
