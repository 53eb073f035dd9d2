#include "XlsxWorksheet.h"

#include <QLocale>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

using namespace XlsxXml;

// ---------------------------------------------------------------------------
// Cell references

QString CellRef::columnName(int col)
{
    QString name;
    for (int c = col; c > 0; c = (c - 1) / 26)
        name.prepend(QChar(u'A' + (c - 1) % 26));
    return name;
}

QString CellRef::name() const
{
    if (!isValid())
        return QString();
    return columnName(col) + QString::number(row);
}

namespace {

// "D2", "$D$2" or "d2"; invalid when it is none of these.
template <typename Char>
CellRef parseRef(const Char* s, qsizetype n)
{
    auto unit = [s](qsizetype i) {
        const int c = static_cast<int>(s[i]);
        return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
    };
    qsizetype i = 0;
    // A run of letters or digits read as a number; -1 when it is too long.
    auto number = [&](int first, int last, int base, int zero, int most, int* value) {
        int count = 0;
        for (; i < n && unit(i) >= first && unit(i) <= last; ++i) {
            if (++count > most)
                return -1;
            *value = *value * base + (unit(i) - zero);
        }
        return count;
    };
    int col = 0;
    int row = 0;
    if (i < n && unit(i) == '$')
        ++i;
    const int letters = number('A', 'Z', 26, 'A' - 1, 3, &col);
    if (i < n && unit(i) == '$')
        ++i;
    const int digits = number('0', '9', 10, '0', 7, &row);
    if (letters <= 0 || digits <= 0 || i != n || row == 0 || col > 16384 || row > 1048576)
        return CellRef();
    return CellRef{row, col};
}

CellRef parseRef(const char* s)
{
    return parseRef(s, static_cast<qsizetype>(std::strlen(s)));
}

bool isNamed(const pugi::xml_node& node, const std::string& name)
{
    return std::strcmp(node.name(), name.c_str()) == 0;
}

}  // namespace

CellRef CellRef::parse(QStringView address)
{
    return parseRef(address.utf16(), address.size());
}

// ---------------------------------------------------------------------------
// Text of cells

QByteArray XlsxWorksheet::encodeText(const QString& text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        switch (c.unicode()) {
        case u'\r':
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                break;  // CR LF is one line break in a cell
            out += QLatin1Char('\n');
            break;
        case u'\n':
        case u'\t':
            out += c;
            break;
        case u'_':
            // The file format spells characters as _xHHHH_; a literal text
            // of that shape must have its underscore spelled out too.
            if (i + 6 < text.size() && text[i + 1] == u'x' && text[i + 6] == u'_') {
                bool hex = true;
                for (int k = 2; k < 6; ++k)
                    hex = hex && isxdigit(text[i + k].toLatin1());
                if (hex) {
                    out += QLatin1String("_x005F_");
                    break;
                }
            }
            out += c;
            break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0xFFFE || c.unicode() == 0xFFFF)
                out += QLatin1String("_x") + QString::number(c.unicode(), 16).rightJustified(4, u'0').toUpper()
                    + QLatin1Char('_');
            else
                out += c;
        }
    }
    return out.toUtf8();
}

QString XlsxWorksheet::decodeText(const QString& text)
{
    if (!text.contains(QLatin1String("_x")))
        return text;
    QString out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == u'_' && i + 6 < text.size() && text[i + 1] == u'x' && text[i + 6] == u'_') {
            bool ok = false;
            const ushort code = text.mid(i + 2, 4).toUShort(&ok, 16);
            if (ok) {
                out += QChar(code);
                i += 6;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// ---------------------------------------------------------------------------
// Rows and cells

bool XlsxWorksheet::load(QByteArray xml)
{
    m_rows.clear();
    m_dirty = false;
    if (!m_xml.parse(std::move(xml)))
        return false;
    const std::string p = m_xml.prefix(kMain);
    m_n = {p + "sheetData", p + "row", p + "c", p + "f", p + "v", p + "is", p + "t", p + "r", p + "rPh",
           p + "sheetViews", p + "sheetView", p + "sheetFormatPr", p + "cols", p + "col"};
    m_sheetData = m_xml.root().child(m_n.sheetData.c_str());
    if (!m_sheetData)
        return false;
    int last = 0;
    for (pugi::xml_node n = m_sheetData.first_child(); n; n = n.next_sibling()) {
        if (n.type() != pugi::node_element)
            continue;
        if (!isNamed(n, m_n.row))
            return false;
        int r = last + 1;
        if (const pugi::xml_attribute a = n.attribute("r")) {
            char* end = nullptr;
            r = static_cast<int>(std::strtol(a.value(), &end, 10));
            if (end == a.value() || *end)
                return false;
        } else {
            n.prepend_attribute("r").set_value(r);
        }
        if (r <= last)
            return false;
        m_rows.push_back({r, n, {}, false});
        last = r;
    }
    return true;
}

XlsxWorksheet::Row* XlsxWorksheet::findRow(int r)
{
    auto it = std::lower_bound(m_rows.begin(), m_rows.end(), r, [](const Row& a, int v) { return a.r < v; });
    return it != m_rows.end() && it->r == r ? &*it : nullptr;
}

const XlsxWorksheet::Row* XlsxWorksheet::findRow(int r) const
{
    return const_cast<XlsxWorksheet*>(this)->findRow(r);
}

XlsxWorksheet::Row& XlsxWorksheet::rowFor(int r)
{
    auto it = std::lower_bound(m_rows.begin(), m_rows.end(), r, [](const Row& a, int v) { return a.r < v; });
    if (it != m_rows.end() && it->r == r)
        return *it;
    pugi::xml_node node = it != m_rows.end() ? m_sheetData.insert_child_before(m_n.row.c_str(), it->node)
        : m_rows.empty()                     ? m_sheetData.append_child(m_n.row.c_str())
                                             : m_sheetData.insert_child_after(m_n.row.c_str(), m_rows.back().node);
    node.append_attribute("r").set_value(r);
    m_dirty = true;
    return *m_rows.insert(it, Row{r, node, {}, true});
}

// Lists the row's cells by column: they must stand in column order.
bool XlsxWorksheet::index(Row& row)
{
    if (row.indexed)
        return true;
    int last = 0;
    row.cells.clear();
    for (pugi::xml_node c = row.node.child(m_n.c.c_str()); c; c = c.next_sibling(m_n.c.c_str())) {
        int col = last + 1;
        if (const pugi::xml_attribute a = c.attribute("r")) {
            const CellRef ref = parseRef(a.value());
            col = ref.isValid() && ref.row == row.r ? ref.col : 0;
        } else {
            c.prepend_attribute("r").set_value(CellRef{row.r, col}.name().toLatin1().constData());
        }
        if (col <= last) {
            m_failedRow = row.r;
            row.cells.clear();
            return false;
        }
        row.cells.emplace_back(col, c);
        last = col;
    }
    row.indexed = true;
    return true;
}

pugi::xml_node XlsxWorksheet::cellIn(Row& row, int col)
{
    const auto it = std::lower_bound(row.cells.begin(), row.cells.end(), col,
                                     [](const auto& c, int v) { return c.first < v; });
    return it != row.cells.end() && it->first == col ? it->second : pugi::xml_node();
}

// A new, empty cell in its place among the row's cells.
pugi::xml_node XlsxWorksheet::addCell(Row& row, int col)
{
    const auto it = std::lower_bound(row.cells.begin(), row.cells.end(), col,
                                     [](const auto& c, int v) { return c.first < v; });
    const char* name = m_n.c.c_str();
    pugi::xml_node node = it != row.cells.end() ? row.node.insert_child_before(name, it->second)
        : row.cells.empty()                     ? row.node.prepend_child(name)
                                                : row.node.insert_child_after(name, row.cells.back().second);
    node.append_attribute("r").set_value(CellRef{row.r, col}.name().toLatin1().constData());
    row.cells.insert(it, {col, node});
    // The row's span hint would no longer cover the new cell.
    row.node.remove_attribute("spans");
    m_dirty = true;
    return node;
}

void XlsxWorksheet::readCellNode(pugi::xml_node c, Cell* out) const
{
    out->exists = true;
    out->type = QString::fromUtf8(c.attribute("t").value());
    for (pugi::xml_node n = c.first_child(); n; n = n.next_sibling()) {
        if (n.type() != pugi::node_element)
            continue;
        if (isNamed(n, m_n.f)) {
            out->hasFormula = true;
            out->formula = QString::fromUtf8(n.text().get());
            if (out->formula.isEmpty())
                out->formula = QStringLiteral("=");  // a shared formula's follower
            out->plainFormula = n.first_child();
            // LibreOffice writes aca="false" on plain formulas too.
            for (const pugi::xml_attribute& a : n.attributes()) {
                const char* name = a.name();
                if (std::strcmp(name, "aca") != 0 && std::strcmp(name, "ca") != 0
                    && !(std::strcmp(name, "t") == 0 && std::strcmp(a.value(), "normal") == 0))
                    out->plainFormula = false;
            }
        } else if (isNamed(n, m_n.v)) {
            out->hasValue = true;
            out->value = QString::fromUtf8(n.text().get());
        } else if (isNamed(n, m_n.is)) {
            out->hasInline = true;
            // Rich text runs count, the phonetic reading does not.
            for (pugi::xml_node part = n.first_child(); part; part = part.next_sibling()) {
                if (isNamed(part, m_n.t))
                    out->inlineText += QString::fromUtf8(part.text().get());
                else if (isNamed(part, m_n.r))
                    out->inlineText += QString::fromUtf8(part.child(m_n.t.c_str()).text().get());
            }
        }
    }
}

bool XlsxWorksheet::readCell(CellRef ref, Cell* out)
{
    *out = Cell();
    Row* row = findRow(ref.row);
    if (!row)
        return true;
    if (!index(*row))
        return false;
    if (const pugi::xml_node c = cellIn(*row, ref.col))
        readCellNode(c, out);
    return true;
}

bool XlsxWorksheet::writeCell(const XlsxCellWrite& w, bool* hadFormula)
{
    *hadFormula = false;
    if (w.kind == XlsxCellWrite::Kind::Clear && !findRow(w.ref.row))
        return true;  // nothing there to clear
    Row& row = rowFor(w.ref.row);
    if (!index(row))
        return false;
    pugi::xml_node c = cellIn(row, w.ref.col);
    QByteArray style;
    if (c) {
        style = c.attribute("s").value();
        *hadFormula = c.child(m_n.f.c_str());
    }
    if (w.kind == XlsxCellWrite::Kind::Clear && style.isEmpty()) {
        if (c) {
            row.node.remove_child(c);
            row.cells.erase(std::find_if(row.cells.begin(), row.cells.end(),
                                         [&w](const auto& e) { return e.first == w.ref.col; }));
            m_dirty = true;
        }
        return true;
    }
    m_dirty = true;
    if (!c)
        c = addCell(row, w.ref.col);
    row.node.remove_attribute("spans");
    c.remove_children();
    c.remove_attributes();
    c.append_attribute("r").set_value(w.ref.name().toLatin1().constData());
    if (!style.isEmpty())
        c.append_attribute("s").set_value(style.constData());
    switch (w.kind) {
    case XlsxCellWrite::Kind::Clear:
        return true;
    case XlsxCellWrite::Kind::Number:
        c.append_child(m_n.v.c_str()).text().set(w.value.toLatin1().constData());
        return true;
    case XlsxCellWrite::Kind::Boolean:
        c.append_attribute("t").set_value("b");
        c.append_child(m_n.v.c_str()).text().set(w.value == QLatin1String("1") ? "1" : "0");
        return true;
    case XlsxCellWrite::Kind::Text:
        break;
    }
    c.append_attribute("t").set_value("inlineStr");
    pugi::xml_node t = c.append_child(m_n.is.c_str()).append_child(m_n.t.c_str());
    if (!w.value.isEmpty() && (w.value.front().isSpace() || w.value.back().isSpace() || w.value.contains(u'\n')))
        t.append_attribute("xml:space").set_value("preserve");
    t.text().set(encodeText(w.value).constData());
    return true;
}

void XlsxWorksheet::setRowHidden(int r, bool hidden)
{
    Row* row = findRow(r);
    if (!row && !hidden)
        return;
    pugi::xml_node node = row ? row->node : rowFor(r).node;
    const bool changed = hidden ? setAttr(node, "hidden", "1") : removeAttr(node, "hidden");
    m_dirty = m_dirty || changed;
}

bool XlsxWorksheet::isRowHidden(int r) const
{
    const Row* row = findRow(r);
    return row && isTrue(row->node.attribute("hidden"));
}

void XlsxWorksheet::setTabSelected(bool selected)
{
    pugi::xml_node root = m_xml.root();
    pugi::xml_node views = root.child(m_n.sheetViews.c_str());
    pugi::xml_node view = views.child(m_n.sheetView.c_str());
    if (view) {
        const bool changed = selected ? setAttr(view, "tabSelected", "1") : removeAttr(view, "tabSelected");
        m_dirty = m_dirty || changed;
        return;
    }
    if (!selected)
        return;
    // No view settings of its own: give the sheet one, in its place.
    if (!views)
        views = root.insert_child_before(m_n.sheetViews.c_str(),
                                         firstOf(root, {m_n.sheetFormatPr, m_n.cols, m_n.sheetData}));
    view = views.append_child(m_n.sheetView.c_str());
    view.append_attribute("tabSelected").set_value("1");
    view.append_attribute("workbookViewId").set_value("0");
    m_dirty = true;
}

bool XlsxWorksheet::cellFormat(CellRef ref, int* xf)
{
    *xf = 0;
    if (Row* row = findRow(ref.row)) {
        if (!index(*row))
            return false;
        if (const pugi::xml_node c = cellIn(*row, ref.col)) {
            *xf = c.attribute("s").as_int();
            return true;
        }
        if (isTrue(row->node.attribute("customFormat")) && row->node.attribute("s")) {
            *xf = row->node.attribute("s").as_int();
            return true;
        }
    }
    for (const pugi::xml_node col : m_xml.root().child(m_n.cols.c_str()).children(m_n.col.c_str())) {
        if (col.attribute("min").as_int() <= ref.col && ref.col <= col.attribute("max").as_int()) {
            *xf = col.attribute("style").as_int();
            break;
        }
    }
    return true;
}

bool XlsxWorksheet::setCellFormat(CellRef ref, int xf, int shown)
{
    Row* existing = findRow(ref.row);
    if (!existing && xf == 0 && shown == 0)
        return true;
    Row& row = existing ? *existing : rowFor(ref.row);
    if (!index(row))
        return false;
    const QByteArray value = QByteArray::number(xf);
    if (pugi::xml_node c = cellIn(row, ref.col)) {
        const bool changed = xf == 0 ? removeAttr(c, "s") : setAttr(c, "s", value.constData());
        m_dirty = m_dirty || changed;
    } else if (xf != 0 || shown != 0) {
        addCell(row, ref.col).append_attribute("s").set_value(value.constData());
    }
    return true;
}

bool XlsxWorksheet::formulaCells(QVector<CellRef>* out)
{
    for (Row& row : m_rows) {
        if (!index(row))
            return false;
        for (const auto& [col, c] : row.cells)
            if (c.child(m_n.f.c_str()))
                out->append({row.r, col});
    }
    return true;
}

void XlsxWorksheet::dropCachedValues()
{
    for (const Row& row : m_rows) {
        for (pugi::xml_node c = row.node.child(m_n.c.c_str()); c; c = c.next_sibling(m_n.c.c_str())) {
            pugi::xml_node v = c.child(m_n.v.c_str());
            if (v && c.child(m_n.f.c_str())) {
                c.remove_child(v);
                c.remove_attribute("t");
                m_dirty = true;
            }
        }
    }
}

bool XlsxWorksheet::setCachedValues(const ValueOf& valueOf)
{
    for (Row& row : m_rows) {
        if (!index(row))
            return false;
        for (const auto& [col, c] : row.cells) {
            if (c.child(m_n.f.c_str()) && setCachedValue(c, valueOf({row.r, col})))
                m_dirty = true;
        }
    }
    return true;
}

// True when the cell changed.
bool XlsxWorksheet::setCachedValue(pugi::xml_node c, const std::optional<FormulaValue>& value)
{
    const pugi::xml_node f = c.child(m_n.f.c_str());
    pugi::xml_node v = c.child(m_n.v.c_str());
    const char* type = "";
    QByteArray text;
    if (value) {
        switch (value->kind) {
        case FormulaValue::Kind::Text:
            type = "str";
            text = encodeText(value->text);
            break;
        case FormulaValue::Kind::Boolean:
            type = "b";
            text = value->number != 0 ? "1" : "0";
            break;
        case FormulaValue::Kind::Number:
        case FormulaValue::Kind::Empty:
            text = QString::number(value->number, 'g', QLocale::FloatingPointShortest).toLatin1();
            break;
        }
    }
    if (bool(v) == bool(value) && std::strcmp(c.attribute("t").value(), type) == 0
        && (!v || (text == v.text().get() && v.first_child() == v.last_child())))
        return false;
    if (!value) {
        c.remove_child(v);
        c.remove_attribute("t");
        return true;
    }
    if (*type)
        setAttr(c, "t", type);
    else
        c.remove_attribute("t");
    if (!v)
        v = c.insert_child_after(m_n.v.c_str(), f);
    v.remove_children();
    v.text().set(text.constData());
    return true;
}
