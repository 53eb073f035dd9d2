#include "InputSheet.h"

#include <QLocale>

CellRef InputSheet::at(const char* address)
{
    const CellRef ref = CellRef::parse(QString::fromLatin1(address));
    Q_ASSERT(ref.isValid());
    return ref;
}

void InputSheet::set(CellRef ref, const Value& value)
{
    m_cells[ref] = value;
}

void InputSheet::setText(CellRef ref, const QString& text)
{
    set(ref, {XlsxCellWrite::Kind::Text, text});
}

void InputSheet::setNumber(CellRef ref, double value)
{
    set(ref, {XlsxCellWrite::Kind::Number, QString::number(value, 'g', 15)});
}

void InputSheet::setBoolean(CellRef ref, bool value)
{
    set(ref, {XlsxCellWrite::Kind::Boolean, value ? QStringLiteral("1") : QStringLiteral("0")});
}

void InputSheet::clear(CellRef ref)
{
    set(ref, {XlsxCellWrite::Kind::Clear, QString()});
}

void InputSheet::setTemplateCell(CellRef ref, const QString& content)
{
    m_template.insert(ref, content);
}

InputSheet::Value InputSheet::value(CellRef ref) const
{
    const auto it = m_cells.find(ref);
    return it == m_cells.end() ? Value() : it->second;
}

QString InputSheet::read(CellRef ref) const
{
    return resolve(ref, 0);
}

QString InputSheet::resolve(CellRef ref, int depth) const
{
    const auto it = m_cells.find(ref);
    if (it != m_cells.end()) {
        if (it->second.kind == XlsxCellWrite::Kind::Boolean)
            return it->second.text == QLatin1String("1") ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        return it->second.text;
    }
    auto known = m_template.constFind(ref);
    if (known == m_template.constEnd())
        known = m_template.insert(ref, m_reader ? m_reader(ref) : QString());
    const QString content = *known;
    if (!content.startsWith(u'='))
        return content;
    // Only plain references are followed; anything else the template
    // computes is not known before the spreadsheet recalculates.
    const CellRef target = CellRef::parse(QStringView(content).mid(1).trimmed());
    if (!target.isValid() || depth > 16)
        return QString();
    return resolve(target, depth + 1);
}

namespace {

bool asNumber(const QString& text, double* out)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    bool ok = false;
    *out = t.toDouble(&ok);
    if (ok)
        return true;
    // Grouped numbers ("1,234.50") are numbers to the spreadsheet too.
    static const QLocale c(QLocale::C);
    *out = c.toDouble(t, &ok);
    return ok;
}

}  // namespace

int InputSheet::compare(const QString& a, const QString& b)
{
    double x = 0;
    double y = 0;
    const bool na = asNumber(a, &x);
    const bool nb = asNumber(b, &y);
    const bool ea = a.isEmpty();
    const bool eb = b.isEmpty();
    if ((na || ea) && (nb || eb) && !(ea && eb)) {
        if (ea)
            x = 0;
        if (eb)
            y = 0;
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (na && !nb)
        return -1;
    if (nb && !na)
        return 1;
    return QString::compare(a, b);
}

QVector<XlsxCellWrite> InputSheet::writes() const
{
    QVector<XlsxCellWrite> out;
    out.reserve(static_cast<int>(m_cells.size()));
    for (const auto& [ref, v] : m_cells) {
        XlsxCellWrite w{ref, v.kind, v.text};
        if (w.kind == XlsxCellWrite::Kind::Text && w.value.isEmpty())
            w.kind = XlsxCellWrite::Kind::Clear;
        out.append(w);
    }
    return out;
}
