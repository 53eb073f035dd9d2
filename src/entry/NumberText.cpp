#include "NumberText.h"

#include "TextNumbers.h"

namespace NumberText {

namespace {

bool isDigit(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

struct Parsed {
    bool negative = false;
    QString whole;     // digits, no grouping
    QString fraction;  // digits
};

// Accepts what a clerk types as a number: "1,234.5", "-12", ".5", "1.",
// with spaces around. Grouping commas may stand anywhere in the whole part.
bool parse(const QString& text, Parsed* out)
{
    const QString t = text.trimmed();
    int i = 0;
    Parsed p;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+'))) {
        p.negative = t[i] == QLatin1Char('-');
        ++i;
    }
    bool sawDigit = false;
    for (; i < t.size() && (isDigit(t[i]) || t[i] == QLatin1Char(',')); ++i) {
        if (t[i] != QLatin1Char(',')) {
            p.whole.append(t[i]);
            sawDigit = true;
        }
    }
    if (i < t.size() && t[i] == QLatin1Char('.')) {
        for (++i; i < t.size() && isDigit(t[i]); ++i) {
            p.fraction.append(t[i]);
            sawDigit = true;
        }
    }
    if (!sawDigit || i != t.size())
        return false;
    *out = p;
    return true;
}

// Adds one unit in the last place of a digit string.
QString incremented(QString digits)
{
    int i = digits.size() - 1;
    for (; i >= 0; --i) {
        if (digits[i] != QLatin1Char('9')) {
            digits[i] = QChar(digits[i].unicode() + 1);
            return digits;
        }
        digits[i] = QLatin1Char('0');
    }
    return QLatin1Char('1') + digits;
}

QString grouped(const QString& whole)
{
    QString out;
    const int n = whole.size();
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out.append(QLatin1Char(','));
        out.append(whole[i]);
    }
    return out;
}

// Enough places that rounding the text to two decimals afterwards rounds
// the value, not the binary noise of a sum.
QString fixed(double value)
{
    return QString::number(value, 'f', 6);
}

}  // namespace

QString format(const QString& text, int decimals, bool grouping)
{
    Parsed p;
    if (!parse(text, &p))
        return text;
    QString fraction = p.fraction.left(decimals);
    fraction = fraction.leftJustified(decimals, QLatin1Char('0'));
    QString digits = p.whole + fraction;
    if (p.fraction.size() > decimals && p.fraction[decimals].unicode() >= '5')
        digits = incremented(digits);
    digits = digits.rightJustified(decimals + 1, QLatin1Char('0'));
    QString whole = digits.left(digits.size() - decimals);
    while (whole.size() > 1 && whole.startsWith(QLatin1Char('0')))
        whole.remove(0, 1);
    fraction = digits.right(decimals);
    bool zero = true;
    for (QChar c : std::as_const(digits))
        zero = zero && c == QLatin1Char('0');
    QString out = (p.negative && !zero) ? QStringLiteral("-") : QString();
    out += grouping ? grouped(whole) : whole;
    if (decimals > 0)
        out += QLatin1Char('.') + fraction;
    return out;
}

QString formatDecimal(const QString& text)
{
    return format(text, 2, true);
}

QString formatAmount(const QString& text)
{
    return format(text, 0, true);
}

QString normalized(const QString& text)
{
    return format(text, 2, false);
}

double leadingNumber(const QString& text)
{
    int i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    QString number;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        number.append(text[i++]);
    int digits = 0;
    for (; i < text.size() && isDigit(text[i]); ++i, ++digits)
        number.append(text[i]);
    if (i < text.size() && text[i] == QLatin1Char('.')) {
        number.append(text[i++]);
        for (; i < text.size() && isDigit(text[i]); ++i, ++digits)
            number.append(text[i]);
    }
    if (digits == 0)
        return 0.0;
    if (number.endsWith(QLatin1Char('.')))
        number.chop(1);
    if (number.startsWith(QLatin1Char('.')) || number.startsWith(QLatin1String("-.")) || number.startsWith(QLatin1String("+.")))
        number.insert(number.indexOf(QLatin1Char('.')), QLatin1Char('0'));
    return number.toDouble();
}

double read(const QString& text)
{
    return leadingNumber(normalized(text));
}

QString decimalText(double value)
{
    return formatDecimal(fixed(value));
}

QString plainText(double value)
{
    QString s = format(fixed(value), 2, false);
    while (s.endsWith(QLatin1Char('0')))
        s.chop(1);
    if (s.endsWith(QLatin1Char('.')))
        s.chop(1);
    return s;
}

int firstRejected(const QString& text, Filter filter)
{
    // One rule for the windows and for every writer that bypasses them.
    return TextNumbers::firstRejected(text, filter == Filter::Decimal ? TextNumbers::Kind::Decimal : TextNumbers::Kind::Digit);
}

}  // namespace NumberText
