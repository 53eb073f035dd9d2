#pragma once

// Reading the entry windows' values the way the checks need them; shared by
// the rule table with its classification and by the checks of a project.
#include "ShinseiCheck.h"

#include <QRegularExpression>

#include <cmath>

namespace ShinseiCheck::detail {

inline QString s(const char* text)
{
    return QString::fromUtf8(text);
}

inline QString text(const RowValues& row, const QString& column)
{
    const QVariant v = row.value(column);
    return v.isNull() ? QString() : v.toString().trimmed();
}

inline bool given(const RowValues& row, const QString& column)
{
    return !text(row, column).isEmpty();
}

inline bool ticked(const RowValues& row, const QString& column)
{
    const QVariant v = row.value(column);
    return !v.isNull() && v.toString().trimmed() != QLatin1String("0") && !v.toString().trimmed().isEmpty();
}

// A typed number as it is, unrounded: full-width digits and grouping commas
// are read, anything else after the number ends it.
inline double number(const QString& typed)
{
    QString t = typed.normalized(QString::NormalizationForm_KC).trimmed();
    t.remove(QLatin1Char(','));
    int end = 0;
    if (end < t.size() && (t[end] == QLatin1Char('-') || t[end] == QLatin1Char('+')))
        ++end;
    while (end < t.size() && (t[end].isDigit() || t[end] == QLatin1Char('.')))
        ++end;
    bool ok = false;
    const double v = t.left(end).toDouble(&ok);
    return ok ? v : 0;
}

inline double number(const RowValues& row, const QString& column)
{
    return number(text(row, column));
}

inline QString col(const char* stem, int n)
{
    return s(stem) + QString::number(n);
}

// An area as the forms print it: truncated to two decimals.
inline QString area(double v)
{
    return QString::number(std::floor(v * 100 + 1e-6) / 100, 'f', 2);
}

inline QString percent(double v)
{
    return QString::number(std::floor(v * 100 + 1e-6) / 100, 'f', 2);
}

// Areas typed with two decimals agree when they differ by less than half a
// hundredth.
inline bool same(double a, double b)
{
    return std::fabs(a - b) < 0.005;
}

inline Material materialOf(const QString& structure)
{
    const QString t = structure.trimmed();
    if (t.startsWith(s("木造")))
        return Material::Wood;
    if (t.contains(s("ブロック")) || t.contains(s("れんが")) || t.contains(s("石造")) || t.contains(s("組積"))
        || t.contains(s("無筋")))
        return Material::Masonry;
    if (t.contains(s("鉄骨鉄筋")) || t.contains(s("鉄筋コンクリート")) || t.contains(s("プレストレスト")))
        return Material::Concrete;
    if (t.contains(s("鉄骨")) || t.contains(s("鋼")))
        return Material::Steel;
    return Material::Other;
}

inline QString itemName(ReviewItem item, RuleSet rules)
{
    switch (item) {
    case ReviewItem::Item1:
        return s("第1号（特殊建築物）");
    case ReviewItem::Item2:
        return rules == RuleSet::From2025 ? s("第2号（新2号建築物）") : s("第2号（木造の大規模建築物）");
    case ReviewItem::Item3:
        return rules == RuleSet::From2025 ? s("第3号（新3号建築物）") : s("第3号（木造以外の建築物）");
    case ReviewItem::Item4:
        return s("第4号（旧4号建築物）");
    case ReviewItem::NotRequired:
        return s("確認不要");
    }
    return {};
}

inline int rank(Architect a)
{
    return static_cast<int>(a);
}

// The class a registration drop-down names: 一級, 二級, 木造; Anyone when empty.
inline Architect architectOf(const QString& cls)
{
    if (cls.contains(s("一級")))
        return Architect::Ikkyu;
    if (cls.contains(s("二級")))
        return Architect::Nikyu;
    if (cls.contains(s("木造")))
        return Architect::Mokuzo;
    return Architect::Anyone;
}

inline QString normalizedAddress(const QString& address)
{
    QString t = address.normalized(QString::NormalizationForm_KC);
    t.remove(QRegularExpression(QStringLiteral("\\s")));
    t.replace(QChar(0x30F6), QChar(0x30B1));  // ヶ → ケ
    t.replace(QChar(0x30F5), QChar(0x30AB));  // ヵ → カ
    return t;
}

}  // namespace ShinseiCheck::detail
