#include "Calculator.h"

#include <cmath>
#include <limits>

namespace {
constexpr double kPi = 3.14159;  // the calculator's own π, as on the office's old desk model
}

Calculator::Calculator()
{
    clearAll();
}

double Calculator::displayValue() const
{
    // A leading-number read, so that an error text or a stray character reads as 0.
    QString t = m_display.trimmed();
    int end = 0;
    if (end < t.size() && (t[end] == QLatin1Char('-') || t[end] == QLatin1Char('+')))
        ++end;
    bool point = false;
    while (end < t.size() && (t[end].isDigit() || (!point && t[end] == QLatin1Char('.')))) {
        point = point || t[end] == QLatin1Char('.');
        ++end;
    }
    if (end < t.size() && (t[end] == QLatin1Char('e') || t[end] == QLatin1Char('E'))) {
        int e = end + 1;
        if (e < t.size() && (t[e] == QLatin1Char('-') || t[e] == QLatin1Char('+')))
            ++e;
        if (e < t.size() && t[e].isDigit()) {
            while (e < t.size() && t[e].isDigit())
                ++e;
            end = e;
        }
    }
    bool ok = false;
    const double v = t.left(end).toDouble(&ok);
    return ok ? v : 0.0;
}

void Calculator::pressNumber(int key)
{
    if (m_error) {
        m_error = false;
        m_newEntry = true;
    }
    if (key >= 0 && key <= 9) {
        const QString digit = QString::number(key);
        if (m_newEntry) {
            m_display = digit;
            m_newEntry = false;
        } else if (m_display == QLatin1String("0")) {
            m_display = digit;
        } else {
            m_display += digit;
        }
    } else if (key == 10) {
        if (m_newEntry) {
            m_display = QStringLiteral("0.");
            m_newEntry = false;
        } else if (!m_display.contains(QLatin1Char('.'))) {
            m_display += QLatin1Char('.');
        }
    } else if (key == 11) {
        if (m_newEntry || m_display == QLatin1String("0")) {
            m_display = QStringLiteral("0");
            m_newEntry = false;
        } else {
            m_display += QStringLiteral("00");
        }
    }
}

bool Calculator::pressOperator(Operator op)
{
    const double entry = m_error ? 0.0 : displayValue();
    m_error = false;
    if (op >= Root) {
        double r = 0;
        switch (op) {
        case Root: r = std::sqrt(entry); break;
        case Sin: r = std::sin(entry * kPi / 180.0); break;
        case Cos: r = std::cos(entry * kPi / 180.0); break;
        default: r = std::tan(entry * kPi / 180.0); break;
        }
        m_running = static_cast<float>(r);
    } else {
        if (m_running == 0.0f)
            m_running = static_cast<float>(entry);
        switch (m_pending) {
        case Equals:
            // A number typed after "=" starts afresh; going on from the
            // shown result keeps its unrounded value.
            if (!m_newEntry)
                m_running = static_cast<float>(entry);
            break;
        case Plus: m_running = static_cast<float>(m_running + entry); break;
        case Minus: m_running = static_cast<float>(m_running - entry); break;
        case Times: m_running = static_cast<float>(m_running * entry); break;
        case Divide:
            if (entry == 0.0) {
                // Nothing sensible to carry on with: start afresh, but keep
                // the window usable and say what happened.
                m_running = 0.0f;
                m_pending = Equals;
                m_newEntry = true;
                m_error = true;
                m_display = QStringLiteral("0で割ることはできません");
                return true;
            }
            m_running = static_cast<float>(m_running / entry);
            break;
        default: break;
        }
    }
    m_pending = op;
    m_newEntry = true;
    if (!std::isfinite(m_running)) {
        m_running = 0.0f;
        m_pending = Equals;
        m_error = true;
        m_display = QStringLiteral("計算できません");
        return true;
    }
    float shown = 0.0f;
    const bool ok = round(m_running, m_decimals, m_rounding, &shown);
    m_display = format(shown);
    return ok;
}

bool Calculator::round(double value, int decimals, Rounding mode, float* result)
{
    *result = 0.0f;
    if (decimals < 0 || decimals > 3 || format(static_cast<float>(value)).size() > 17)
        return false;
    const double scale = std::pow(10.0, decimals);
    // Fixed point with four decimals, rounded to even like the currency type.
    double x = std::nearbyint(value * scale * 10000.0) / 10000.0;
    switch (mode) {
    case Rounding::HalfUp:
        x = x >= 0 ? x + 0.5 : x - 0.5;
        break;
    case Rounding::Up:
        if (x != std::trunc(x))
            x = x >= 0 ? x + 1.0 : x - 1.0;
        break;
    case Rounding::Down:
        break;
    }
    *result = static_cast<float>(std::trunc(x) / scale);
    return true;
}

QString Calculator::format(float value)
{
    if (value == 0.0f)
        return QStringLiteral("0");
    return QString::number(static_cast<double>(value), 'g', std::numeric_limits<float>::digits10 + 1);
}

void Calculator::memoryStore()
{
    m_memory = static_cast<float>(displayValue());
    m_newEntry = true;
}

void Calculator::memoryRecall()
{
    m_display = format(m_memory);
    m_error = false;
    m_newEntry = true;
}

void Calculator::memoryClear()
{
    m_memory = 0.0f;
}

void Calculator::clearAll()
{
    m_running = 0.0f;
    m_pending = Equals;
    m_display = QStringLiteral("0");
    m_newEntry = true;
    m_error = false;
}

void Calculator::clearEntry()
{
    m_newEntry = true;
    m_display = QStringLiteral("0");
    m_error = false;
}
