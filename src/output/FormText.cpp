#include "FormText.h"

#include <QLocale>

#include <QRegularExpression>

#include <cmath>

namespace FormText {

QString printedNumber(const QString& text, const std::function<QString(double)>& format)
{
    QString plain;
    for (QChar c : text.trimmed()) {
        if (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19)
            c = QChar(c.unicode() - 0xFF10 + '0');
        else if (c == u'．')
            c = u'.';
        else if (c == u'－' || c == u'−')
            c = u'-';
        if (c == u',' || c == u'，')
            continue;
        plain.append(c);
    }
    if (plain.isEmpty())
        return QString();
    bool ok = false;
    const double v = plain.toDouble(&ok);
    return ok ? format(v) : text.trimmed();
}

QString decimal(const QString& text, int decimals, bool blankZero)
{
    return printedNumber(text, [decimals, blankZero](double v) {
        if (blankZero && v == 0.0)
            return QString();
        QLocale c = QLocale::c();
        c.setNumberOptions(QLocale::DefaultNumberOptions);
        return c.toString(v, 'f', decimals);
    });
}

double leadingNumber(const QString& text)
{
    int i = 0;
    const int n = text.size();
    while (i < n && text[i].isSpace())
        ++i;
    const int start = i;
    if (i < n && (text[i] == u'-' || text[i] == u'+'))
        ++i;
    bool digits = false;
    while (i < n && text[i] >= u'0' && text[i] <= u'9') {
        ++i;
        digits = true;
    }
    if (i < n && text[i] == u'.') {
        ++i;
        while (i < n && text[i] >= u'0' && text[i] <= u'9') {
            ++i;
            digits = true;
        }
    }
    if (!digits)
        return 0.0;
    return text.mid(start, i - start).toDouble();
}

double leadingNumber(const QVariant& value)
{
    if (value.isNull())
        return 0.0;
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Bool:
        return value.toDouble();
    default:
        return leadingNumber(value.toString());
    }
}

bool flagSet(const QVariant& value)
{
    return leadingNumber(value) == 1.0;
}

bool flagTrue(const QVariant& value)
{
    return leadingNumber(value) != 0.0;
}

QString boxMark(const QVariant& flag)
{
    return flagSet(flag) ? QStringLiteral("■") : QStringLiteral("□");
}

QString boxLine(std::initializer_list<std::pair<QVariant, QString>> items)
{
    QString out;
    for (const auto& item : items)
        out += boxMark(item.first) + item.second;
    return out;
}

QString markChoice(const QString& line, int option, int from)
{
    const QString number = QLatin1Char('(') + QString::number(option) + QLatin1Char(')');
    const int at = line.indexOf(number, from);
    if (at < 0)
        return line;
    QString out = line;
    if (at >= 2 && line[at - 1] == u' ' && line[at - 2] == u' ')
        out.replace(at - 2, 2, QStringLiteral("●"));
    else if (at >= 1 && line[at - 1] == u' ')
        out.replace(at - 1, 1, QStringLiteral("●"));
    else
        out.insert(at, QStringLiteral("●"));
    return out;
}

QString markChoiceWord(const QString& line, const QString& word)
{
    if (word.isEmpty())
        return line;
    static const QRegularExpression option(QStringLiteral("\\((\\d+)\\)(\\S+)"));
    for (auto it = option.globalMatch(line); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(2) == word)
            return markChoice(line, m.captured(1).toInt(), m.capturedStart(0));
    }
    return line;
}

int roundHalfEven(double value)
{
    return static_cast<int>(std::nearbyint(value));  // the default rounding mode rounds halves to even
}

QString centred(const QString& value, int width)
{
    const int h = roundHalfEven((width - value.size()) / 2.0);
    const QString pad = h > 0 ? QString(h, u' ') : QString();
    return QStringLiteral("（") + pad + value + pad + QStringLiteral("）");
}

QString paddedCount(const QString& value, int width, const QString& unit)
{
    const int d = width - static_cast<int>(value.size());
    const int h = roundHalfEven(d / 2.0);
    const int before = d - h;
    return QStringLiteral("（ ") + (before > 0 ? QString(before, u' ') : QString()) + value
        + (h > 0 ? QString(h, u' ') : QString()) + unit;
}

}  // namespace FormText
