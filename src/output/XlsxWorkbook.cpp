#include "XlsxWorkbook.h"

#include "Logging.h"
#include "SafeFile.h"

#include "XlsxFormula.h"
#include "XlsxStyleSheet.h"
#include "XlsxXml.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

#include <zip.h>

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

CellRef CellRef::parse(QStringView address)
{
    CellRef ref;
    int i = 0;
    const int n = address.size();
    if (i < n && address[i] == u'$')
        ++i;
    int col = 0;
    int letters = 0;
    for (; i < n; ++i) {
        const QChar ch = address[i].toUpper();
        if (ch < u'A' || ch > u'Z')
            break;
        col = col * 26 + (ch.unicode() - u'A' + 1);
        if (++letters > 3)
            return CellRef();
    }
    if (letters == 0)
        return CellRef();
    if (i < n && address[i] == u'$')
        ++i;
    int row = 0;
    int digits = 0;
    for (; i < n; ++i) {
        const QChar ch = address[i];
        if (ch < u'0' || ch > u'9')
            return CellRef();
        row = row * 10 + (ch.unicode() - u'0');
        if (++digits > 7)
            return CellRef();
    }
    if (digits == 0 || row == 0 || col > 16384 || row > 1048576)
        return CellRef();
    ref.row = row;
    ref.col = col;
    return ref;
}

// ---------------------------------------------------------------------------
// Text of cells

namespace {

QByteArray escape(const QString& text, bool attribute)
{
    QString out;
    out.reserve(text.size() + 8);
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        switch (c.unicode()) {
        case u'&': out += QLatin1String("&amp;"); break;
        case u'<': out += QLatin1String("&lt;"); break;
        case u'>': out += QLatin1String("&gt;"); break;
        case u'"':
            if (attribute)
                out += QLatin1String("&quot;");
            else
                out += c;
            break;
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

// Undoes the _xHHHH_ spelling of characters that XML cannot carry.
QString decodeEscapes(const QString& text)
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

QString partDir(const QString& part)
{
    const int slash = part.lastIndexOf(u'/');
    return slash < 0 ? QString() : part.left(slash);
}

QString resolveTarget(const QString& baseDir, const QString& target)
{
    if (target.startsWith(u'/'))
        return QDir::cleanPath(target.mid(1));
    return QDir::cleanPath(baseDir.isEmpty() ? target : baseDir + u'/' + target);
}

QString relsPathOf(const QString& part)
{
    const QString dir = partDir(part);
    const QString file = part.mid(dir.isEmpty() ? 0 : dir.size() + 1);
    return (dir.isEmpty() ? QString() : dir + u'/') + QStringLiteral("_rels/") + file + QStringLiteral(".rels");
}

// Removes the whole element (an empty-element tag) whose text contains `marker`.
bool removeEmptyElementContaining(QByteArray* s, const QByteArray& marker)
{
    const int at = s->indexOf(marker);
    if (at < 0)
        return false;
    const int begin = s->lastIndexOf('<', at);
    const int end = begin < 0 ? -1 : tagEnd(*s, begin);
    if (begin < 0 || end < 0 || !isSelfClosing(*s, end))
        return false;
    s->remove(begin, end - begin);
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// Sheets

struct XlsxWorkbook::Part {
    QString name;
    QByteArray data;
    bool dirty = false;
};

struct XlsxWorkbook::Sheet {
    QString name;
    QString path;
    bool hidden = false;

    bool loaded = false;
    bool parsed = false;
    bool dirty = false;
    QByteArray raw;  // the part as read; once parsed, head + rows + tail replace it

    struct Cell {
        int col = 0;
        QByteArray raw;
    };
    struct Row {
        int r = 0;
        QByteArray raw;
        bool open = false;  // cells split out and editable
        StartTag tag;
        std::vector<Cell> cells;
        QByteArray extra;  // anything after the cells, such as extLst

        bool openCells();
    };
    QByteArray head;
    QByteArray tail;
    std::vector<Row> rows;

    QByteArray& prefix() { return parsed ? head : raw; }
    bool parseRows();

    QByteArray serialize() const
    {
        if (!parsed)
            return raw;
        QByteArray out;
        int size = head.size() + tail.size();
        for (const Row& r : rows) {
            if (!r.open) {
                size += r.raw.size();
                continue;
            }
            size += 64 + r.extra.size();
            for (const Cell& c : r.cells)
                size += c.raw.size();
        }
        out.reserve(size);
        out += head;
        for (const Row& r : rows) {
            if (!r.open) {
                out += r.raw;
                continue;
            }
            out += "<row";
            out += r.tag.attributeText();
            if (r.cells.empty() && r.extra.isEmpty()) {
                out += "/>";
                continue;
            }
            out += '>';
            for (const Cell& c : r.cells)
                out += c.raw;
            out += r.extra;
            out += "</row>";
        }
        out += tail;
        return out;
    }

    Row* findRow(int r)
    {
        auto it = std::lower_bound(rows.begin(), rows.end(), r, [](const Row& a, int v) { return a.r < v; });
        return it != rows.end() && it->r == r ? &*it : nullptr;
    }

    Row& rowFor(int r)
    {
        auto it = std::lower_bound(rows.begin(), rows.end(), r, [](const Row& a, int v) { return a.r < v; });
        if (it != rows.end() && it->r == r)
            return *it;
        Row row;
        row.r = r;
        row.open = true;
        row.tag.name = "row";
        row.tag.attrs.emplace_back(QByteArray("r"), QByteArray::number(r));
        return *rows.insert(it, std::move(row));
    }
};

// Splits a row's XML into its start tag and cells.
bool XlsxWorkbook::Sheet::Row::openCells()
{
    Row& row = *this;
    if (row.open)
        return true;
    const QByteArray& s = row.raw;
    const int end = tagEnd(s, 0);
    if (end < 0 || !StartTag::parse(s.left(end), &row.tag))
        return false;
    row.cells.clear();
    if (!row.tag.selfClosing) {
        const int close = s.lastIndexOf("</row>");
        if (close < end)
            return false;
        int pos = end;
        int lastCol = 0;
        while (pos < close) {
            while (pos < close && isSpace(s[pos]))
                ++pos;
            if (pos >= close)
                break;
            if (pos + 2 >= close || s[pos] != '<' || s[pos + 1] != 'c' || !isNameEnd(s[pos + 2])) {
                row.extra = s.mid(pos, close - pos);
                break;
            }
            const int cEnd = tagEnd(s, pos);
            if (cEnd < 0)
                return false;
            int next = cEnd;
            if (!isSelfClosing(s, cEnd)) {
                const int cClose = s.indexOf("</c>", cEnd);
                if (cClose < 0 || cClose > close)
                    return false;
                next = cClose + 4;
            }
            int col = lastCol + 1;
            int refStart = 0, refEnd = 0;
            if (findAttr(s, pos, cEnd, "r", &refStart, &refEnd)) {
                const CellRef ref = CellRef::parse(QString::fromLatin1(s.constData() + refStart, refEnd - refStart));
                if (!ref.isValid() || ref.row != row.r)
                    return false;
                col = ref.col;
            }
            if (col <= lastCol)
                return false;
            row.cells.push_back({col, s.mid(pos, next - pos)});
            lastCol = col;
            pos = next;
        }
    }
    row.tag.selfClosing = false;
    row.open = true;
    row.raw.clear();
    return true;
}

namespace {

// The cell's XML for a value; the style of the cell it replaces is kept.
QByteArray cellXml(CellRef ref, const QByteArray& style, const XlsxCellWrite& w)
{
    QByteArray out = "<c r=\"" + ref.name().toLatin1() + '"';
    if (!style.isEmpty())
        out += " s=\"" + style + '"';
    switch (w.kind) {
    case XlsxCellWrite::Kind::Clear:
        return style.isEmpty() ? QByteArray() : out + "/>";
    case XlsxCellWrite::Kind::Number:
        return out + "><v>" + w.value.toLatin1() + "</v></c>";
    case XlsxCellWrite::Kind::Boolean:
        return out + " t=\"b\"><v>" + (w.value == QLatin1String("1") ? "1" : "0") + "</v></c>";
    case XlsxCellWrite::Kind::Text:
        break;
    }
    const bool keepSpace = !w.value.isEmpty()
        && (w.value.front().isSpace() || w.value.back().isSpace() || w.value.contains(u'\n'));
    return out + " t=\"inlineStr\"><is><t" + (keepSpace ? " xml:space=\"preserve\"" : "") + '>'
        + escape(w.value, false) + "</t></is></c>";
}

bool isPlainNumber(const QString& text)
{
    bool ok = false;
    text.toDouble(&ok);
    return ok && !text.contains(u',') && !text.trimmed().isEmpty() && text.trimmed() == text;
}

// Drops the value that a formula cell keeps from its last calculation.
// Returns true when the cell changed.
bool stripCachedValue(QByteArray* cell)
{
    if (!cell->contains("<f") || !cell->contains("<v"))
        return false;
    const int end = tagEnd(*cell, 0);
    StartTag tag;
    if (end < 0 || isSelfClosing(*cell, end) || !StartTag::parse(cell->left(end), &tag))
        return false;
    QByteArray body = cell->mid(end, cell->size() - end - 4);  // without "</c>"
    const int v = findStartTag(body, "v", 0);
    if (v < 0)
        return false;
    const int vEnd = tagEnd(body, v);
    if (vEnd < 0)
        return false;
    int stop = vEnd;
    if (!isSelfClosing(body, vEnd)) {
        const int close = body.indexOf("</v>", vEnd);
        if (close < 0)
            return false;
        stop = close + 4;
    }
    body.remove(v, stop - v);
    tag.remove("t");
    tag.selfClosing = false;
    *cell = tag.toBytes() + body + "</c>";
    return true;
}

// The text of the cell's formula with its entities decoded; false when the
// cell has none or a kind that is not written out in the cell itself (a
// shared or array formula, a data table).
bool formulaText(const QByteArray& cell, QString* out)
{
    const int f = findStartTag(cell, "f", 0);
    if (f < 0)
        return false;
    const int end = tagEnd(cell, f);
    if (end < 0 || isSelfClosing(cell, end))
        return false;
    if (end - f != 3) {  // not a bare "<f>": LibreOffice writes aca="false"
        StartTag tag;
        if (!StartTag::parse(cell.mid(f, end - f), &tag))
            return false;
        for (const auto& [name, value] : tag.attrs)
            if (!(name == "aca" || name == "ca" || (name == "t" && value == "normal")))
                return false;
    }
    const int close = cell.indexOf("</f>", end);
    if (close < 0)
        return false;
    const QByteArray raw = cell.mid(end, close - end);
    if (!raw.contains('&')) {
        *out = QString::fromUtf8(raw);
        return true;
    }
    QByteArray decoded;
    decoded.reserve(raw.size());
    for (int i = 0; i < raw.size(); ++i) {
        if (raw[i] != '&') {
            decoded += raw[i];
            continue;
        }
        const int semi = raw.indexOf(';', i);
        if (semi < 0)
            return false;
        const QByteArray name = raw.mid(i + 1, semi - i - 1);
        if (name == "amp")
            decoded += '&';
        else if (name == "lt")
            decoded += '<';
        else if (name == "gt")
            decoded += '>';
        else if (name == "quot")
            decoded += '"';
        else if (name == "apos")
            decoded += '\'';
        else if (name.startsWith('#')) {
            bool ok = false;
            const uint code = name.startsWith("#x") ? name.mid(2).toUInt(&ok, 16) : name.mid(1).toUInt(&ok, 10);
            if (!ok || code == 0 || code > 0x10FFFF)
                return false;
            const char32_t c = code;
            decoded += QString::fromUcs4(&c, 1).toUtf8();
        } else {
            return false;
        }
        i = semi;
    }
    *out = QString::fromUtf8(decoded);
    return true;
}

// The formula cell with `value` as the value of its last calculation (none
// when value is empty). Returns true when the cell changed.
bool setCachedValue(QByteArray* cell, const std::optional<FormulaValue>& value)
{
    QByteArray out = *cell;
    stripCachedValue(&out);
    const int end = tagEnd(out, 0);
    StartTag tag;
    if (end < 0 || isSelfClosing(out, end) || !StartTag::parse(out.left(end), &tag))
        return false;
    QByteArray v;
    tag.remove("t");
    if (value) {
        switch (value->kind) {
        case FormulaValue::Kind::Text:
            tag.set("t", "str");
            v = "<v>" + escape(value->text, false) + "</v>";
            break;
        case FormulaValue::Kind::Boolean:
            tag.set("t", "b");
            v = value->number != 0 ? "<v>1</v>" : "<v>0</v>";
            break;
        case FormulaValue::Kind::Number:
        case FormulaValue::Kind::Empty:
            v = "<v>" + QString::number(value->number, 'g', QLocale::FloatingPointShortest).toLatin1() + "</v>";
            break;
        }
    }
    QByteArray body = out.mid(end);
    const int f = findStartTag(body, "f", 0);
    if (f < 0)
        return false;
    const int fEnd = tagEnd(body, f);
    int after = fEnd;
    if (fEnd > 0 && !isSelfClosing(body, fEnd)) {
        const int close = body.indexOf("</f>", fEnd);
        after = close < 0 ? -1 : close + 4;
    }
    if (after < 0)
        return false;
    body.insert(after, v);
    out = tag.toBytes() + body;
    if (out == *cell)
        return false;
    *cell = out;
    return true;
}

// Whether a text goes into a cached value exactly as it is: a CR LF would
// become LF in the file, and LibreOffice drops the spaces at either end of
// a value (the xml:space that keeps them is not part of Excel's value
// element), which moves the rest of the line on the printed form.
bool storableText(const QString& text)
{
    auto edgeSpace = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\n'; };
    return text.size() <= 32767 && !text.contains(u'\r')
        && (text.isEmpty() || (!edgeSpace(text.front()) && !edgeSpace(text.back())));
}

}  // namespace

// The values of formula cells computed for their cached value, each once,
// across sheets (a sheet's formula may read a formula of the input sheet).
struct XlsxWorkbook::Evaluation {
    XlsxWorkbook& book;
    struct Entry {
        bool done = false;
        std::optional<FormulaValue> value;
    };
    QHash<quint64, Entry> memo;

    static quint64 key(int sheet, CellRef ref)
    {
        return (static_cast<quint64>(sheet) << 40) | (static_cast<quint64>(ref.row) << 16) | static_cast<quint64>(ref.col);
    }

    int sheetIndex(const QString& name) const
    {
        for (size_t i = 0; i < book.m_sheets.size(); ++i)
            if (book.m_sheets[i]->name == name)
                return static_cast<int>(i);
        // Sheet names are matched regardless of case in formulas.
        for (size_t i = 0; i < book.m_sheets.size(); ++i)
            if (book.m_sheets[i]->name.compare(name, Qt::CaseInsensitive) == 0)
                return static_cast<int>(i);
        return -1;
    }

    // The cell's XML; null when the sheet has no such cell. False when the
    // sheet cannot be read.
    bool cellAt(int sheet, CellRef ref, const QByteArray** raw)
    {
        *raw = nullptr;
        Sheet* s = book.m_sheets[static_cast<size_t>(sheet)].get();
        if (!book.loadSheet(s) || !s->parseRows())
            return false;
        Sheet::Row* row = s->findRow(ref.row);
        if (!row)
            return true;
        if (!row->openCells())
            return false;
        const auto it = std::lower_bound(row->cells.begin(), row->cells.end(), ref.col,
                                         [](const Sheet::Cell& c, int col) { return c.col < col; });
        if (it != row->cells.end() && it->col == ref.col)
            *raw = &it->raw;
        return true;
    }

    std::optional<FormulaValue> value(int sheet, CellRef ref)
    {
        const quint64 k = key(sheet, ref);
        const auto known = memo.constFind(k);
        if (known != memo.constEnd())
            return known->done ? known->value : std::nullopt;  // running: a circular reference
        const QByteArray* raw = nullptr;
        if (!cellAt(sheet, ref, &raw))
            return std::nullopt;
        if (!raw)
            return FormulaValue();
        if (findStartTag(*raw, "f", 0) >= 0) {
            memo.insert(k, Entry());
            std::optional<FormulaValue> result = compute(sheet, *raw);
            memo.insert(k, {true, result});
            return result;
        }
        const std::optional<FormulaValue> result = constant(sheet, ref, *raw);
        memo.insert(k, {true, result});
        return result;
    }

    std::optional<FormulaValue> constant(int sheet, CellRef ref, const QByteArray& raw)
    {
        XlsxCell cell;
        if (!book.decodeCell(raw, &cell, book.m_sheets[static_cast<size_t>(sheet)]->name, ref))
            return std::nullopt;
        switch (cell.kind) {
        case XlsxCell::Kind::Empty:
            return FormulaValue();
        case XlsxCell::Kind::Text:
            return FormulaValue::fromText(cell.value);
        case XlsxCell::Kind::Boolean:
            return FormulaValue::fromBoolean(cell.value == QLatin1String("1"));
        case XlsxCell::Kind::Number: {
            bool ok = false;
            const double n = cell.value.toDouble(&ok);
            return ok ? std::optional<FormulaValue>(FormulaValue::fromNumber(n)) : std::nullopt;
        }
        case XlsxCell::Kind::Error:
            break;
        }
        return std::nullopt;
    }

    // Gives the formula cells of a row still kept as text their values,
    // in the text. False, with the row as it was, when the row is better
    // split into cells (a cell without its reference, a row opened while
    // its values were computed).
    bool patchRow(int sheet, Sheet::Row* row, bool* changed)
    {
        const QByteArray& s = row->raw;
        const int end = tagEnd(s, 0);
        if (end < 0 || isSelfClosing(s, end))
            return end >= 0;
        const int close = s.lastIndexOf("</row>");
        if (close < end)
            return false;
        struct Span {
            int from, to, col;
        };
        std::vector<Span> spans;
        for (int pos = s.indexOf("<c", end); pos >= 0 && pos < close; pos = s.indexOf("<c", pos)) {
            if (!isNameEnd(s[pos + 2])) {
                pos += 2;
                continue;
            }
            const int cEnd = tagEnd(s, pos);
            if (cEnd < 0)
                return false;
            int next = cEnd;
            if (!isSelfClosing(s, cEnd)) {
                const int cClose = s.indexOf("</c>", cEnd);
                if (cClose < 0 || cClose > close)
                    return false;
                next = cClose + 4;
                const int f = s.indexOf("<f", cEnd);
                if (f >= 0 && f < cClose) {
                    int refStart = 0, refEnd = 0;
                    if (!findAttr(s, pos, cEnd, "r", &refStart, &refEnd))
                        return false;
                    const CellRef ref = CellRef::parse(QString::fromLatin1(s.constData() + refStart, refEnd - refStart));
                    if (!ref.isValid() || ref.row != row->r)
                        return false;
                    spans.push_back({pos, next, ref.col});
                }
            }
            pos = next;
        }
        std::vector<std::optional<FormulaValue>> values;
        values.reserve(spans.size());
        for (const Span& sp : spans)
            values.push_back(value(sheet, {row->r, sp.col}));
        if (row->open)
            return false;
        QByteArray out;
        out.reserve(s.size() + 48 * static_cast<int>(spans.size()));
        int copied = 0;
        for (size_t k = 0; k < spans.size(); ++k) {
            QByteArray cell = s.mid(spans[k].from, spans[k].to - spans[k].from);
            if (!setCachedValue(&cell, values[k]))
                continue;
            out.append(s.constData() + copied, spans[k].from - copied);
            out.append(cell);
            copied = spans[k].to;
        }
        if (copied == 0)
            return true;
        out.append(s.constData() + copied, s.size() - copied);
        row->raw = std::move(out);
        *changed = true;
        return true;
    }

    std::optional<FormulaValue> compute(int sheet, const QByteArray& raw)
    {
        QString text;
        XlsxFormula formula;
        if (!formulaText(raw, &text) || !formula.parse(text))
            return std::nullopt;
        std::optional<FormulaValue> result = formula.evaluate([this, sheet](const QString& name, CellRef ref) {
            const int target = name.isEmpty() ? sheet : sheetIndex(name);
            return target < 0 ? std::nullopt : value(target, ref);
        });
        if (result && result->kind == FormulaValue::Kind::Text && !storableText(result->text))
            return std::nullopt;
        return result;
    }
};

// ---------------------------------------------------------------------------

XlsxWorkbook::XlsxWorkbook() = default;

XlsxWorkbook::~XlsxWorkbook()
{
    close();
}

bool XlsxWorkbook::fail(const QString& message)
{
    qCWarning(lcOutput).noquote() << message;
    m_error = message;
    return false;
}

bool XlsxWorkbook::isOpen() const
{
    return m_zip != nullptr;
}

void XlsxWorkbook::close()
{
    if (m_zip)
        zip_discard(m_zip);
    m_zip = nullptr;
    if (m_source)
        zip_source_free(m_source);
    m_source = nullptr;
    m_fileData.clear();
    m_sheets.clear();
    m_parts.clear();
    m_partStore.clear();
    m_deleted.clear();
    m_workbookXml.clear();
    m_workbookDirty = false;
    m_sharedStrings.clear();
    m_sharedStringsLoaded = false;
    m_calcChainDropped = false;
    m_styles.reset();
    m_stylesPath.clear();
}

bool XlsxWorkbook::readEntry(const QString& name, QByteArray* data)
{
    const QByteArray n = name.toUtf8();
    const zip_int64_t index = zip_name_locate(m_zip, n.constData(), 0);
    if (index < 0)
        return false;
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(m_zip, static_cast<zip_uint64_t>(index), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE))
        return false;
    if (st.size > 512u * 1024u * 1024u)
        return false;
    zip_file_t* f = zip_fopen_index(m_zip, static_cast<zip_uint64_t>(index), 0);
    if (!f)
        return false;
    data->resize(static_cast<int>(st.size));
    const zip_int64_t got = zip_fread(f, data->data(), st.size);
    zip_fclose(f);
    return got == static_cast<zip_int64_t>(st.size);
}

bool XlsxWorkbook::open(const QString& path)
{
    close();
    m_path = path;
    m_error.clear();
    QFile file(path);
    if (!file.exists())
        return fail(QStringLiteral("ファイル「%1」が見つかりません。").arg(path));
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("ファイル「%1」を開けません（%2）。").arg(path, file.errorString()));
    // The archive is worked on in memory and written out once by save():
    // one write of the result instead of copying the file and rewriting it.
    m_fileData = file.readAll();
    file.close();
    zip_error_t ze;
    zip_error_init(&ze);
    // libzip 1.7 releases the source's original buffer when it writes the
    // new archive into it, whatever the ownership flag says: give it a
    // buffer of its own to free.
    void* owned = std::malloc(static_cast<size_t>(m_fileData.size()) + 1);
    if (!owned)
        return fail(QStringLiteral("ファイル「%1」を読み込むメモリが足りません。").arg(path));
    std::memcpy(owned, m_fileData.constData(), static_cast<size_t>(m_fileData.size()));
    m_source = zip_source_buffer_create(owned, static_cast<zip_uint64_t>(m_fileData.size()), 1, &ze);
    if (!m_source)
        std::free(owned);
    if (m_source) {
        // Kept beyond the archive: after closing it the source holds the result.
        zip_source_keep(m_source);
        m_zip = zip_open_from_source(m_source, 0, &ze);
        if (!m_zip)
            zip_source_free(m_source);  // the archive's reference, never taken
    }
    if (!m_zip) {
        const int code = zip_error_code_zip(&ze);
        const QString why = QString::fromLocal8Bit(zip_error_strerror(&ze));
        zip_error_fini(&ze);
        close();
        qCWarning(lcOutput).noquote() << path << "libzip:" << code << why;
        if (code == ZIP_ER_NOZIP || code == ZIP_ER_INCONS)
            return fail(QStringLiteral("ファイル「%1」はExcelブック（.xlsx）ではないか、壊れています。").arg(path));
        return fail(QStringLiteral("ファイル「%1」を開けません（%2）。").arg(path, why));
    }
    zip_error_fini(&ze);
    if (!parseWorkbook()) {
        const QString message = m_error;
        close();
        m_error = message;
        return false;
    }
    return true;
}

bool XlsxWorkbook::parseWorkbook()
{
    const QString notWorkbook = QStringLiteral("ファイル「%1」はExcelブック（.xlsx）ではありません。").arg(m_path);
    // The package's own relationships name the workbook part.
    m_workbookPath = QStringLiteral("xl/workbook.xml");
    QByteArray rootRels;
    if (readEntry(QStringLiteral("_rels/.rels"), &rootRels)) {
        QXmlStreamReader r(rootRels);
        while (r.readNextStartElement() || !r.atEnd()) {
            if (r.isStartElement() && r.name() == QLatin1String("Relationship")
                && r.attributes().value(QLatin1String("Type")).endsWith(QLatin1String("/officeDocument"))) {
                m_workbookPath = resolveTarget(QString(), r.attributes().value(QLatin1String("Target")).toString());
                break;
            }
            if (r.hasError())
                break;
            r.readNext();
        }
    }
    if (!readEntry(m_workbookPath, &m_workbookXml))
        return fail(notWorkbook);

    QByteArray rels;
    QHash<QString, QString> targets;
    if (readEntry(relsPathOf(m_workbookPath), &rels)) {
        QXmlStreamReader r(rels);
        while (!r.atEnd()) {
            r.readNext();
            if (r.isStartElement() && r.name() == QLatin1String("Relationship"))
                targets.insert(r.attributes().value(QLatin1String("Id")).toString(),
                               resolveTarget(partDir(m_workbookPath),
                                             r.attributes().value(QLatin1String("Target")).toString()));
        }
        if (r.hasError())
            return fail(QStringLiteral("ブック「%1」の関連付け（%2）の形式が正しくありません。")
                            .arg(m_path, relsPathOf(m_workbookPath)));
    }

    QXmlStreamReader r(m_workbookXml);
    bool sawWorkbook = false;
    while (!r.atEnd()) {
        r.readNext();
        if (!r.isStartElement())
            continue;
        if (r.name() == QLatin1String("workbook"))
            sawWorkbook = true;
        if (r.name() != QLatin1String("sheet"))
            continue;
        auto s = std::make_unique<Sheet>();
        s->name = r.attributes().value(QLatin1String("name")).toString();
        s->hidden = r.attributes().value(QLatin1String("state")) != QLatin1String("visible")
            && !r.attributes().value(QLatin1String("state")).isEmpty();
        QString rid;
        for (const QXmlStreamAttribute& a : r.attributes())
            if (a.name() == QLatin1String("id") && !a.prefix().isEmpty())
                rid = a.value().toString();
        s->path = targets.value(rid);
        if (s->name.isEmpty() || s->path.isEmpty())
            return fail(QStringLiteral("ブック「%1」のシート一覧の形式が正しくありません。").arg(m_path));
        m_sheets.push_back(std::move(s));
    }
    if (r.hasError() || !sawWorkbook)
        return fail(notWorkbook);
    if (m_sheets.empty())
        return fail(QStringLiteral("ブック「%1」にはシートがありません。").arg(m_path));
    return true;
}

QStringList XlsxWorkbook::sheetNames() const
{
    QStringList names;
    for (const auto& s : m_sheets)
        names << s->name;
    return names;
}

bool XlsxWorkbook::hasSheet(const QString& name) const
{
    return findSheet(name) != nullptr;
}

const XlsxWorkbook::Sheet* XlsxWorkbook::findSheet(const QString& name) const
{
    for (const auto& s : m_sheets)
        if (s->name == name)
            return s.get();
    return nullptr;
}

quint64 XlsxWorkbook::sheetFingerprint(const QString& name) const
{
    const Sheet* s = findSheet(name);
    if (!m_zip || !s || s->dirty)
        return 0;
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat(m_zip, s->path.toUtf8().constData(), 0, &st) != 0 || !(st.valid & ZIP_STAT_CRC)
        || !(st.valid & ZIP_STAT_SIZE))
        return 0;
    return (static_cast<quint64>(st.crc) << 32) ^ static_cast<quint64>(st.size);
}

XlsxWorkbook::Sheet* XlsxWorkbook::sheet(const QString& name)
{
    if (!m_zip) {
        fail(QStringLiteral("ブックが開かれていません。"));
        return nullptr;
    }
    Sheet* s = const_cast<Sheet*>(findSheet(name));
    if (!s) {
        fail(QStringLiteral("ブック「%1」にシート「%2」がありません。").arg(QFileInfo(m_path).fileName(), name));
        return nullptr;
    }
    return loadSheet(s) ? s : nullptr;
}

bool XlsxWorkbook::loadSheet(Sheet* s)
{
    if (s->loaded)
        return true;
    if (!readEntry(s->path, &s->raw))
        return fail(QStringLiteral("ブック「%1」のシート「%2」（%3）を読めません。")
                        .arg(QFileInfo(m_path).fileName(), s->name, s->path));
    s->loaded = true;
    return true;
}

// Splits the sheet into the XML before the cells, the rows, and the XML
// after them. Rows are kept as text until a cell of theirs changes.
bool XlsxWorkbook::Sheet::parseRows()
{
    Sheet* s = this;
    if (s->parsed)
        return true;
    const QByteArray& raw = s->raw;
    const int sd = findStartTag(raw, "sheetData", 0);
    if (sd < 0)
        return false;
    const int sdEnd = tagEnd(raw, sd);
    if (sdEnd < 0)
        return false;
    std::vector<Row> rows;
    QByteArray head;
    QByteArray tail;
    if (isSelfClosing(raw, sdEnd)) {
        head = raw.left(sd) + "<sheetData>";
        tail = "</sheetData>" + raw.mid(sdEnd);
    } else {
        const int close = raw.indexOf("</sheetData>", sdEnd);
        if (close < 0)
            return false;
        head = raw.left(sdEnd);
        tail = raw.mid(close);
        int pos = sdEnd;
        int last = 0;
        while (pos < close) {
            while (pos < close && isSpace(raw[pos]))
                ++pos;
            if (pos >= close)
                break;
            if (!(raw.mid(pos, 4) == "<row" && isNameEnd(raw[pos + 4])))
                return false;
            const int end = tagEnd(raw, pos);
            if (end < 0 || end > close)
                return false;
            int next = end;
            if (!isSelfClosing(raw, end)) {
                const int rc = raw.indexOf("</row>", end);
                if (rc < 0 || rc > close)
                    return false;
                next = rc + 6;
            }
            int r = last + 1;
            int refStart = 0, refEnd = 0;
            const bool numbered = findAttr(raw, pos, end, "r", &refStart, &refEnd);
            if (numbered) {
                bool ok = false;
                r = QByteArrayView(raw.constData() + refStart, refEnd - refStart).toInt(&ok);
                if (!ok)
                    return false;
            }
            if (r <= last)
                return false;
            Row row;
            row.r = r;
            row.raw = raw.mid(pos, next - pos);
            // A row without its number cannot be written back as text alone.
            if (!numbered && !row.openCells())
                return false;
            if (row.open)
                row.tag.set("r", QByteArray::number(r));
            rows.push_back(std::move(row));
            last = r;
            pos = next;
        }
    }
    s->head = std::move(head);
    s->tail = std::move(tail);
    s->rows = std::move(rows);
    s->raw.clear();
    s->parsed = true;
    return true;
}

bool XlsxWorkbook::readCell(const QString& sheetName, const QString& address, XlsxCell* out)
{
    const CellRef ref = CellRef::parse(address);
    if (!ref.isValid())
        return fail(QStringLiteral("セル番地「%1」が正しくありません。").arg(address));
    return readCell(sheetName, ref, out);
}

bool XlsxWorkbook::loadSharedStrings()
{
    if (m_sharedStringsLoaded)
        return true;
    m_sharedStringsLoaded = true;
    QByteArray data;
    QByteArray rels;
    QString path = QStringLiteral("xl/sharedStrings.xml");
    if (readEntry(relsPathOf(m_workbookPath), &rels)) {
        QXmlStreamReader r(rels);
        while (!r.atEnd()) {
            r.readNext();
            if (r.isStartElement() && r.name() == QLatin1String("Relationship")
                && r.attributes().value(QLatin1String("Type")).endsWith(QLatin1String("/sharedStrings")))
                path = resolveTarget(partDir(m_workbookPath), r.attributes().value(QLatin1String("Target")).toString());
        }
    }
    if (!readEntry(path, &data))
        return true;  // a workbook without shared strings
    QXmlStreamReader r(data);
    QString current;
    int depthInPhonetic = 0;
    bool inSi = false;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            if (r.name() == QLatin1String("si")) {
                inSi = true;
                current.clear();
            } else if (r.name() == QLatin1String("rPh")) {
                ++depthInPhonetic;
            } else if (r.name() == QLatin1String("t") && inSi && depthInPhonetic == 0) {
                current += r.readElementText();
            }
        } else if (r.isEndElement()) {
            if (r.name() == QLatin1String("si")) {
                m_sharedStrings.append(decodeEscapes(current));
                inSi = false;
            } else if (r.name() == QLatin1String("rPh")) {
                --depthInPhonetic;
            }
        }
    }
    if (r.hasError())
        return fail(QStringLiteral("ブック「%1」の文字列表の形式が正しくありません。").arg(m_path));
    return true;
}

// The usual cell is its start tag and at most one <v> holding a plain
// value or inline text. Read without an XML parser, whose set-up costs more than all the
// rest of reading a cell; anything else (formulas, inline text, entities)
// is left to readCellXml.
static bool readPlainCell(const QByteArray& raw, QString* type, QString* v, bool* hasValue, QString* inlineText,
                          bool* hasInline)
{
    const int start = tagEnd(raw, 0);
    StartTag tag;
    if (start <= 0 || !StartTag::parse(raw.left(start), &tag) || tag.name != "c")
        return false;
    if (const QByteArray* t = tag.attr("t"))
        *type = QString::fromLatin1(*t);
    if (tag.selfClosing)
        return start == raw.size();
    static const QByteArray kEnd("</c>");
    if (!raw.endsWith(kEnd))
        return false;
    const QByteArrayView body = QByteArrayView(raw).sliced(start, raw.size() - start - kEnd.size());
    if (body.isEmpty())
        return true;
    auto between = [&body](QByteArrayView open, QByteArrayView close, QByteArrayView* inner) {
        if (!body.startsWith(open) || !body.endsWith(close) || body.size() < open.size() + close.size())
            return false;
        *inner = body.sliced(open.size(), body.size() - open.size() - close.size());
        return !inner->contains('<') && !inner->contains('&');
    };
    QByteArrayView inner;
    if (between("<v>", "</v>", &inner)) {
        *v = QString::fromUtf8(inner);
        *hasValue = true;
        return true;
    }
    if (between("<is><t>", "</t></is>", &inner) || between("<is><t xml:space=\"preserve\">", "</t></is>", &inner)) {
        *inlineText = QString::fromUtf8(inner);
        *hasInline = true;
        return true;
    }
    return false;
}

static bool readCellXml(const QByteArray& raw, QString* type, QString* v, bool* hasValue, QString* inlineText,
                        bool* hasInline, QString* formula)
{
    QXmlStreamReader r(raw);
    int phonetic = 0;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            const auto name = r.name();
            if (name == QLatin1String("c")) {
                *type = r.attributes().value(QLatin1String("t")).toString();
            } else if (name == QLatin1String("f")) {
                *formula = r.readElementText();
                if (formula->isEmpty())
                    *formula = QStringLiteral("=");  // a shared formula's follower
            } else if (name == QLatin1String("v")) {
                *v = r.readElementText();
                *hasValue = true;
            } else if (name == QLatin1String("is")) {
                *hasInline = true;
            } else if (name == QLatin1String("rPh")) {
                ++phonetic;
            } else if (name == QLatin1String("t") && *hasInline && phonetic == 0) {
                *inlineText += r.readElementText();
            }
        } else if (r.isEndElement() && r.name() == QLatin1String("rPh")) {
            --phonetic;
        }
    }
    return !r.hasError();
}

bool XlsxWorkbook::readCell(const QString& sheetName, CellRef ref, XlsxCell* out)
{
    *out = XlsxCell();
    Sheet* s = sheet(sheetName);
    if (!s)
        return false;
    if (!s->parseRows())
        return fail(QStringLiteral("シート「%1」の形式が正しくありません。").arg(sheetName));
    Sheet::Row* row = s->findRow(ref.row);
    if (!row)
        return true;
    if (!row->openCells())
        return fail(QStringLiteral("シート「%1」の %2 行目の形式が正しくありません。").arg(sheetName).arg(ref.row));
    const auto it = std::lower_bound(row->cells.begin(), row->cells.end(), ref.col,
                                     [](const Sheet::Cell& c, int col) { return c.col < col; });
    if (it == row->cells.end() || it->col != ref.col)
        return true;
    return decodeCell(it->raw, out, sheetName, ref);
}

bool XlsxWorkbook::decodeCell(const QByteArray& raw, XlsxCell* out, const QString& sheetName, CellRef ref)
{
    *out = XlsxCell();
    QString type;
    QString v;
    QString inlineText;
    bool hasValue = false;
    bool hasInline = false;
    if (!readPlainCell(raw, &type, &v, &hasValue, &inlineText, &hasInline)
        && !readCellXml(raw, &type, &v, &hasValue, &inlineText, &hasInline, &out->formula))
        return fail(QStringLiteral("シート「%1」のセル %2 の形式が正しくありません。").arg(sheetName, ref.name()));

    if (hasInline) {
        out->kind = XlsxCell::Kind::Text;
        out->value = decodeEscapes(inlineText);
    } else if (!hasValue) {
        out->kind = XlsxCell::Kind::Empty;
    } else if (type == QLatin1String("s")) {
        if (!loadSharedStrings())
            return false;
        const int index = v.toInt();
        out->kind = XlsxCell::Kind::Text;
        out->value = index >= 0 && index < m_sharedStrings.size() ? m_sharedStrings[index] : QString();
    } else if (type == QLatin1String("str") || type == QLatin1String("inlineStr")) {
        out->kind = XlsxCell::Kind::Text;
        out->value = decodeEscapes(v);
    } else if (type == QLatin1String("b")) {
        out->kind = XlsxCell::Kind::Boolean;
        out->value = v.trimmed() == QLatin1String("1") ? QStringLiteral("1") : QStringLiteral("0");
    } else if (type == QLatin1String("e")) {
        out->kind = XlsxCell::Kind::Error;
        out->value = v;
    } else {
        out->kind = XlsxCell::Kind::Number;
        out->value = v.trimmed();
    }
    return true;
}

bool XlsxWorkbook::writeCells(const QString& sheetName, const QVector<XlsxCellWrite>& cells)
{
    Sheet* s = sheet(sheetName);
    if (!s)
        return false;
    if (!s->parseRows())
        return fail(QStringLiteral("シート「%1」の形式が正しくありません。").arg(sheetName));
    for (const XlsxCellWrite& w : cells) {
        if (!w.ref.isValid())
            return fail(QStringLiteral("シート「%1」への書き込み先のセル番地が正しくありません。").arg(sheetName));
        XlsxCellWrite value = w;
        if (value.kind == XlsxCellWrite::Kind::Number && !isPlainNumber(value.value))
            value.kind = XlsxCellWrite::Kind::Text;

        if (value.kind == XlsxCellWrite::Kind::Clear && !s->findRow(w.ref.row))
            continue;  // nothing there to clear
        Sheet::Row& row = s->rowFor(w.ref.row);
        if (!row.openCells())
            return fail(
                QStringLiteral("シート「%1」の %2 行目の形式が正しくありません。").arg(sheetName).arg(w.ref.row));
        // The row's span hint would no longer cover a new cell.
        row.tag.remove("spans");
        auto it = std::lower_bound(row.cells.begin(), row.cells.end(), w.ref.col,
                                   [](const Sheet::Cell& c, int col) { return c.col < col; });
        QByteArray style;
        const bool exists = it != row.cells.end() && it->col == w.ref.col;
        if (exists) {
            const int end = tagEnd(it->raw, 0);
            StartTag old;
            if (end > 0 && StartTag::parse(it->raw.left(end), &old)) {
                if (const QByteArray* st = old.attr("s"))
                    style = *st;
            }
            // A formula replaced by a constant must leave Excel's calculation chain.
            if (findStartTag(it->raw, "f", 0) >= 0)
                dropCalcChain();
        }
        const QByteArray xml = cellXml(w.ref, style, value);
        if (exists) {
            if (xml.isEmpty())
                row.cells.erase(it);
            else
                it->raw = xml;
        } else if (!xml.isEmpty()) {
            row.cells.insert(it, {w.ref.col, xml});
        }
        s->dirty = true;
    }
    return true;
}

bool XlsxWorkbook::setText(const QString& sheet, const QString& address, const QString& text)
{
    const CellRef ref = CellRef::parse(address);
    if (!ref.isValid())
        return fail(QStringLiteral("セル番地「%1」が正しくありません。").arg(address));
    return writeCells(sheet, {{ref, XlsxCellWrite::Kind::Text, text}});
}

bool XlsxWorkbook::setNumber(const QString& sheet, const QString& address, double value)
{
    const CellRef ref = CellRef::parse(address);
    if (!ref.isValid())
        return fail(QStringLiteral("セル番地「%1」が正しくありません。").arg(address));
    return writeCells(sheet, {{ref, XlsxCellWrite::Kind::Number, QString::number(value, 'g', 15)}});
}

bool XlsxWorkbook::clearCell(const QString& sheet, const QString& address)
{
    const CellRef ref = CellRef::parse(address);
    if (!ref.isValid())
        return fail(QStringLiteral("セル番地「%1」が正しくありません。").arg(address));
    return writeCells(sheet, {{ref, XlsxCellWrite::Kind::Clear, QString()}});
}

bool XlsxWorkbook::setRowsHidden(const QString& sheetName, int firstRow, int lastRow, bool hidden)
{
    if (firstRow < 1 || lastRow < firstRow || lastRow > 1048576)
        return fail(QStringLiteral("行の範囲 %1〜%2 が正しくありません。").arg(firstRow).arg(lastRow));
    Sheet* s = sheet(sheetName);
    if (!s)
        return false;
    if (!s->parseRows())
        return fail(QStringLiteral("シート「%1」の形式が正しくありません。").arg(sheetName));
    auto edit = [hidden](StartTag& t) { return hidden ? t.set("hidden", "1") : t.remove("hidden"); };
    for (int r = firstRow; r <= lastRow; ++r) {
        Sheet::Row* row = s->findRow(r);
        if (!row && !hidden)
            continue;
        if (!row)
            row = &s->rowFor(r);
        bool changed = false;
        if (row->open) {
            changed = edit(row->tag);
        } else {
            // The cells stay as text; only the row's own tag changes.
            if (tagEnd(row->raw, 0) < 0)
                return fail(QStringLiteral("シート「%1」の %2 行目の形式が正しくありません。").arg(sheetName).arg(r));
            changed = editTagAt(&row->raw, 0, edit);
        }
        s->dirty = s->dirty || changed;
    }
    return true;
}

bool XlsxWorkbook::isRowHidden(const QString& sheetName, int r, bool* hidden)
{
    *hidden = false;
    Sheet* s = sheet(sheetName);
    if (!s)
        return false;
    if (!s->parseRows())
        return fail(QStringLiteral("シート「%1」の形式が正しくありません。").arg(sheetName));
    Sheet::Row* row = s->findRow(r);
    if (!row)
        return true;
    StartTag tag;
    if (row->open) {
        tag = row->tag;
    } else {
        const int end = tagEnd(row->raw, 0);
        if (end < 0 || !StartTag::parse(row->raw.left(end), &tag))
            return fail(QStringLiteral("シート「%1」の %2 行目の形式が正しくありません。").arg(sheetName).arg(r));
    }
    const QByteArray* h = tag.attr("hidden");
    *hidden = h && (*h == "1" || *h == "true");
    return true;
}

// ---------------------------------------------------------------------------
// Workbook-level settings

namespace {

// Positions of the <sheet> start tags of workbook.xml, in sheet order.
QVector<int> sheetTagPositions(const QByteArray& xml)
{
    QVector<int> out;
    const int sheets = findStartTag(xml, "sheets", 0);
    if (sheets < 0)
        return out;
    const int end = xml.indexOf("</sheets>", sheets);
    for (int p = findStartTag(xml, "sheet", sheets, end); p >= 0; p = findStartTag(xml, "sheet", p + 1, end))
        out << p;
    return out;
}

}  // namespace

QString XlsxWorkbook::activeSheet() const
{
    if (m_sheets.empty())
        return QString();
    int active = 0;
    const int view = findStartTag(m_workbookXml, "workbookView", 0);
    if (view >= 0) {
        StartTag tag;
        if (StartTag::parse(m_workbookXml.mid(view, tagEnd(m_workbookXml, view) - view), &tag)) {
            if (const QByteArray* a = tag.attr("activeTab"))
                active = a->toInt();
        }
    }
    if (active < 0 || active >= static_cast<int>(m_sheets.size()))
        active = 0;
    return m_sheets[active]->name;
}

bool XlsxWorkbook::setSheetViewSelected(Sheet* s, bool selected)
{
    QByteArray& xml = s->prefix();
    const int sd = findStartTag(xml, "sheetData", 0);
    const int limit = sd < 0 ? xml.size() : sd;
    const int view = findStartTag(xml, "sheetView", 0, limit);
    if (view < 0) {
        if (!selected)
            return true;
        // No view settings of its own: give the sheet one.
        int at = -1;
        for (const char* next : {"sheetFormatPr", "cols", "sheetData"}) {
            at = findStartTag(xml, next, 0);
            if (at >= 0)
                break;
        }
        if (at < 0)
            return fail(QStringLiteral("シート「%1」の形式が正しくありません。").arg(s->name));
        xml.insert(at, "<sheetViews><sheetView tabSelected=\"1\" workbookViewId=\"0\"/></sheetViews>");
        s->dirty = true;
        return true;
    }
    const bool changed = editTagAt(&xml, view, [selected](StartTag& t) {
        return selected ? t.set("tabSelected", "1") : t.remove("tabSelected");
    });
    s->dirty = s->dirty || changed;
    return true;
}

bool XlsxWorkbook::selectSheet(const QString& name)
{
    Sheet* target = sheet(name);
    if (!target)
        return false;
    if (target->hidden)
        return fail(QStringLiteral("シート「%1」は非表示のため選択できません。").arg(name));
    int index = 0;
    while (m_sheets[index].get() != target)
        ++index;

    int view = findStartTag(m_workbookXml, "workbookView", 0);
    if (view < 0) {
        const int sheets = findStartTag(m_workbookXml, "sheets", 0);
        if (sheets < 0)
            return fail(QStringLiteral("ブック「%1」の形式が正しくありません。").arg(m_path));
        m_workbookXml.insert(sheets, "<bookViews><workbookView/></bookViews>");
        view = findStartTag(m_workbookXml, "workbookView", 0);
        m_workbookDirty = true;
    }
    const bool changed = editTagAt(&m_workbookXml, view, [index](StartTag& t) {
        bool c = t.set("activeTab", QByteArray::number(index));
        if (const QByteArray* first = t.attr("firstSheet"); first && first->toInt() > index)
            c = t.remove("firstSheet") || c;
        return c;
    });
    m_workbookDirty = m_workbookDirty || changed;

    for (auto& s : m_sheets) {
        // A sheet that is not read yet need not be: its view settings sit
        // before its cells, and most sheets are not the selected tab.
        if (!s->loaded && s.get() != target && !headHasSelectedTab(s->path))
            continue;
        if (!loadSheet(s.get()))
            return false;
        if (!setSheetViewSelected(s.get(), s.get() == target))
            return false;
    }
    return true;
}

bool XlsxWorkbook::headHasSelectedTab(const QString& part)
{
    const zip_int64_t index = zip_name_locate(m_zip, part.toUtf8().constData(), 0);
    zip_file_t* f = index < 0 ? nullptr : zip_fopen_index(m_zip, static_cast<zip_uint64_t>(index), 0);
    if (!f)
        return true;  // let the full read report the problem
    QByteArray head;
    char buffer[4096];
    int cells = -1;
    for (;;) {
        const zip_int64_t got = zip_fread(f, buffer, sizeof buffer);
        if (got <= 0)
            break;
        head.append(buffer, static_cast<int>(got));
        cells = findStartTag(head, "sheetData", 0);
        if (cells >= 0)
            break;
    }
    zip_fclose(f);
    const int view = findStartTag(head, "sheetView", 0, cells < 0 ? head.size() : cells);
    if (view < 0)
        return cells < 0;
    const int end = tagEnd(head, view);
    StartTag tag;
    if (end < 0 || !StartTag::parse(head.mid(view, end - view), &tag))
        return true;
    const QByteArray* selected = tag.attr("tabSelected");
    return selected && (*selected == "1" || *selected == "true");
}

bool XlsxWorkbook::setSheetHidden(const QString& name, bool hidden)
{
    Sheet* s = sheet(name);
    if (!s)
        return false;
    if (hidden && activeSheet() == name)
        return fail(QStringLiteral("表示中のシート「%1」は非表示にできません。").arg(name));
    int index = 0;
    while (m_sheets[index].get() != s)
        ++index;
    const QVector<int> tags = sheetTagPositions(m_workbookXml);
    if (index >= tags.size())
        return fail(QStringLiteral("ブック「%1」のシート一覧の形式が正しくありません。").arg(m_path));
    const bool changed = editTagAt(&m_workbookXml, tags[index], [hidden](StartTag& t) {
        return hidden ? t.set("state", "hidden") : t.remove("state");
    });
    m_workbookDirty = m_workbookDirty || changed;
    s->hidden = hidden;
    if (hidden)
        setSheetViewSelected(s, false);
    return true;
}

bool XlsxWorkbook::isSheetHidden(const QString& name) const
{
    const Sheet* s = findSheet(name);
    return s && s->hidden;
}

bool XlsxWorkbook::removePrintArea(const QString& name)
{
    const Sheet* s = findSheet(name);
    if (!s)
        return fail(QStringLiteral("ブック「%1」にシート「%2」がありません。").arg(QFileInfo(m_path).fileName(), name));
    int index = 0;
    while (m_sheets[index].get() != s)
        ++index;
    QByteArray& xml = m_workbookXml;
    for (int p = findStartTag(xml, "definedName", 0); p >= 0;) {
        const int end = tagEnd(xml, p);
        StartTag tag;
        if (end < 0 || !StartTag::parse(xml.mid(p, end - p), &tag))
            return fail(QStringLiteral("ブック「%1」の形式が正しくありません。").arg(m_path));
        const QByteArray* n = tag.attr("name");
        const QByteArray* local = tag.attr("localSheetId");
        int stop = end;
        if (!tag.selfClosing) {
            const int close = xml.indexOf("</definedName>", end);
            if (close < 0)
                return fail(QStringLiteral("ブック「%1」の形式が正しくありません。").arg(m_path));
            stop = close + 14;
        }
        if (n && *n == "_xlnm.Print_Area" && local && local->toInt() == index) {
            xml.remove(p, stop - p);
            m_workbookDirty = true;
            p = findStartTag(xml, "definedName", p);
        } else {
            p = findStartTag(xml, "definedName", stop);
        }
    }
    // An emptied list goes as a whole.
    const int empty = xml.indexOf("<definedNames></definedNames>");
    if (empty >= 0)
        xml.remove(empty, static_cast<int>(qstrlen("<definedNames></definedNames>")));
    return true;
}

// ---------------------------------------------------------------------------
// Cell formatting

bool XlsxWorkbook::loadStyles()
{
    if (m_styles)
        return true;
    const QString relsPath = relsPathOf(m_workbookPath);
    QString path;
    {
        QByteArray rels;
        if (readEntry(relsPath, &rels)) {
            QXmlStreamReader r(rels);
            while (!r.atEnd()) {
                r.readNext();
                if (r.isStartElement() && r.name() == QLatin1String("Relationship")
                    && r.attributes().value(QLatin1String("Type")).endsWith(QLatin1String("/styles")))
                    path = resolveTarget(partDir(m_workbookPath),
                                         r.attributes().value(QLatin1String("Target")).toString());
            }
        }
    }
    auto styles = std::make_unique<XlsxStyleSheet>();
    QByteArray xml;
    if (!path.isEmpty() && readEntry(path, &xml)) {
        if (!styles->parse(xml))
            return fail(QStringLiteral("ブック「%1」の書式（%2）の形式が正しくありません。").arg(m_path, path));
        m_styles = std::move(styles);
        m_stylesPath = path;
        return true;
    }
    // A workbook without a style part of its own gets one.
    path = resolveTarget(partDir(m_workbookPath), QStringLiteral("styles.xml"));
    Part& rels = part(relsPath);
    Part& types = part(QStringLiteral("[Content_Types].xml"));
    const int relsEnd = rels.data.lastIndexOf("</Relationships>");
    const int typesEnd = types.data.lastIndexOf("</Types>");
    if (relsEnd < 0 || typesEnd < 0)
        return fail(QStringLiteral("ブック「%1」の形式が正しくありません。").arg(m_path));
    int id = rels.data.count("<Relationship") + 1;
    while (rels.data.contains("Id=\"rIdStyles" + QByteArray::number(id) + '"'))
        ++id;
    rels.data.insert(relsEnd, "<Relationship Id=\"rIdStyles" + QByteArray::number(id)
                                  + "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
                                    "Target=\"" + QFileInfo(path).fileName().toUtf8() + "\"/>");
    rels.dirty = true;
    types.data.insert(typesEnd, "<Override PartName=\"/" + path.toUtf8()
                                    + "\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>");
    types.dirty = true;
    if (!styles->parse(XlsxStyleSheet::minimal()))
        return fail(QStringLiteral("ブック「%1」に書式を追加できません。").arg(m_path));
    styles->markChanged();  // a new part is written even if no format is added
    m_styles = std::move(styles);
    m_stylesPath = path;
    return true;
}

// The format a cell shows: its own, or for a cell not in the file the
// format of its row or column.
int XlsxWorkbook::cellFormat(Sheet* s, int r, int c)
{
    if (Sheet::Row* row = s->findRow(r)) {
        if (row->openCells()) {
            const auto it = std::lower_bound(row->cells.begin(), row->cells.end(), c,
                                             [](const Sheet::Cell& cell, int col) { return cell.col < col; });
            if (it != row->cells.end() && it->col == c) {
                StartTag tag;
                const int end = tagEnd(it->raw, 0);
                if (end > 0 && StartTag::parse(it->raw.left(end), &tag)) {
                    const QByteArray* st = tag.attr("s");
                    return st ? st->toInt() : 0;
                }
                return 0;
            }
            const QByteArray* custom = row->tag.attr("customFormat");
            const QByteArray* st = row->tag.attr("s");
            if (custom && (*custom == "1" || *custom == "true") && st)
                return st->toInt();
        }
    }
    const QByteArray& head = s->prefix();
    const int cols = findStartTag(head, "cols", 0);
    if (cols < 0)
        return 0;
    const int colsEnd = head.indexOf("</cols>", cols);
    for (int p = findStartTag(head, "col", cols, colsEnd); p >= 0; p = findStartTag(head, "col", p + 1, colsEnd)) {
        StartTag tag;
        const int end = tagEnd(head, p);
        if (end < 0 || !StartTag::parse(head.mid(p, end - p), &tag))
            break;
        const QByteArray* min = tag.attr("min");
        const QByteArray* max = tag.attr("max");
        const QByteArray* st = tag.attr("style");
        if (min && max && min->toInt() <= c && c <= max->toInt())
            return st ? st->toInt() : 0;
    }
    return 0;
}

bool XlsxWorkbook::formatCells(const QString& sheetName, const QString& range, const XlsxFormat& format)
{
    const int colon = range.indexOf(u':');
    const CellRef a = CellRef::parse(colon < 0 ? QStringView(range) : QStringView(range).left(colon));
    const CellRef b = colon < 0 ? a : CellRef::parse(QStringView(range).mid(colon + 1));
    if (!a.isValid() || !b.isValid())
        return fail(QStringLiteral("セル範囲「%1」が正しくありません。").arg(range));
    Sheet* s = sheet(sheetName);
    if (!s)
        return false;
    if (!s->parseRows())
        return fail(QStringLiteral("シート「%1」の形式が正しくありません。").arg(sheetName));
    if (!loadStyles())
        return false;
    if (format.isEmpty())
        return true;
    const int r1 = std::min(a.row, b.row), r2 = std::max(a.row, b.row);
    const int c1 = std::min(a.col, b.col), c2 = std::max(a.col, b.col);
    for (int r = r1; r <= r2; ++r) {
        for (int c = c1; c <= c2; ++c) {
            int base = cellFormat(s, r, c);
            // A format the style part does not have shows as the default one.
            if (base < 0 || base >= m_styles->formatCount())
                base = 0;
            const int derived = m_styles->derive(base, format);
            if (derived < 0)
                return fail(QStringLiteral("シート「%1」のセル %2 の書式が正しくありません。")
                                .arg(sheetName, CellRef{r, c}.name()));
            Sheet::Row& row = s->rowFor(r);
            if (!row.openCells())
                return fail(QStringLiteral("シート「%1」の %2 行目の形式が正しくありません。").arg(sheetName).arg(r));
            auto it = std::lower_bound(row.cells.begin(), row.cells.end(), c,
                                       [](const Sheet::Cell& cell, int col) { return cell.col < col; });
            const QByteArray value = QByteArray::number(derived);
            if (it != row.cells.end() && it->col == c) {
                const bool changed = editTagAt(&it->raw, 0, [&value, derived](StartTag& t) {
                    return derived == 0 ? t.remove("s") : t.set("s", value);
                });
                s->dirty = s->dirty || changed;
            } else if (derived != base || derived != 0) {
                row.tag.remove("spans");
                row.cells.insert(it, {c, "<c r=\"" + CellRef{r, c}.name().toLatin1() + "\" s=\"" + value + "\"/>"});
                s->dirty = true;
            }
        }
    }
    return true;
}

bool XlsxWorkbook::readCellStyle(const QString& sheetName, const QString& address, XlsxCellStyle* out)
{
    *out = XlsxCellStyle();
    const CellRef ref = CellRef::parse(address);
    if (!ref.isValid())
        return fail(QStringLiteral("セル番地「%1」が正しくありません。").arg(address));
    Sheet* s = sheet(sheetName);
    if (!s)
        return false;
    if (!s->parseRows())
        return fail(QStringLiteral("シート「%1」の形式が正しくありません。").arg(sheetName));
    if (!loadStyles())
        return false;
    int xf = cellFormat(s, ref.row, ref.col);
    if (xf < 0 || xf >= m_styles->formatCount())
        xf = 0;
    if (!m_styles->describe(xf, out))
        return fail(QStringLiteral("シート「%1」のセル %2 の書式が見つかりません。").arg(sheetName, address));
    return true;
}

XlsxWorkbook::Part& XlsxWorkbook::part(const QString& name)
{
    if (Part* p = m_parts.value(name))
        return *p;
    auto p = std::make_unique<Part>();
    p->name = name;
    readEntry(name, &p->data);
    Part* raw = p.get();
    m_partStore.push_back(std::move(p));
    m_parts.insert(name, raw);
    return *raw;
}

void XlsxWorkbook::dropCalcChain()
{
    if (m_calcChainDropped)
        return;
    m_calcChainDropped = true;
    const QString chain = resolveTarget(partDir(m_workbookPath), QStringLiteral("calcChain.xml"));
    if (zip_name_locate(m_zip, chain.toUtf8().constData(), 0) < 0)
        return;
    // Excel rebuilds the chain; a chain naming a cell without a formula
    // makes it report the file as damaged.
    m_deleted << chain;
    Part& rels = part(relsPathOf(m_workbookPath));
    rels.dirty = removeEmptyElementContaining(&rels.data, "calcChain.xml") || rels.dirty;
    Part& types = part(QStringLiteral("[Content_Types].xml"));
    types.dirty = removeEmptyElementContaining(&types.data, "/" + chain.toUtf8() + '"') || types.dirty;
}

bool XlsxWorkbook::requestFullRecalculation(CachedValues values)
{
    if (!m_zip)
        return fail(QStringLiteral("ブックが開かれていません。"));
    const bool compute = values == CachedValues::Compute;
    // Only rows with a formula change; a sheet or row without one keeps its text.
    auto concerned = [compute](const QByteArray& raw) { return raw.contains("<f") && (compute || raw.contains("<v")); };
    Evaluation evaluation{*this, {}};
    evaluation.memo.reserve(compute ? 16384 : 0);
    for (size_t i = 0; i < m_sheets.size(); ++i) {
        Sheet* s = m_sheets[i].get();
        if (!loadSheet(s))
            return false;
        if (!s->parsed && !concerned(s->raw))
            continue;
        if (!s->parseRows())
            return fail(QStringLiteral("シート「%1」の形式が正しくありません。").arg(s->name));
        for (Sheet::Row& row : s->rows) {
            if (!row.open && !concerned(row.raw))
                continue;
            // The value goes into the row's text as it is: splitting every
            // row of the printed sheets into cells costs more than the rest.
            if (compute && !row.open) {
                bool changed = false;
                if (evaluation.patchRow(static_cast<int>(i), &row, &changed)) {
                    s->dirty = s->dirty || changed;
                    continue;
                }
            }
            if (!row.openCells())
                return fail(QStringLiteral("シート「%1」の %2 行目の形式が正しくありません。").arg(s->name).arg(row.r));
            for (Sheet::Cell& c : row.cells) {
                if (!compute) {
                    s->dirty = stripCachedValue(&c.raw) || s->dirty;
                } else if (findStartTag(c.raw, "f", 0) >= 0) {
                    const std::optional<FormulaValue> v = evaluation.value(static_cast<int>(i), {row.r, c.col});
                    s->dirty = setCachedValue(&c.raw, v) || s->dirty;
                }
            }
        }
    }
    int calc = findStartTag(m_workbookXml, "calcPr", 0);
    if (calc < 0) {
        int at = -1;
        for (const char* after : {"</definedNames>", "</externalReferences>", "</functionGroups>", "</sheets>"}) {
            const int p = m_workbookXml.indexOf(after);
            if (p >= 0) {
                at = p + static_cast<int>(qstrlen(after));
                break;
            }
        }
        if (at < 0)
            return fail(QStringLiteral("ブック「%1」の形式が正しくありません。").arg(m_path));
        m_workbookXml.insert(at, "<calcPr fullCalcOnLoad=\"1\"/>");
        m_workbookDirty = true;
        return true;
    }
    const bool changed = editTagAt(&m_workbookXml, calc, [](StartTag& t) { return t.set("fullCalcOnLoad", "1"); });
    m_workbookDirty = m_workbookDirty || changed;
    return true;
}

bool XlsxWorkbook::formulaCells(const QString& sheetName, QVector<CellRef>* out)
{
    out->clear();
    Sheet* s = sheet(sheetName);
    if (!s)
        return false;
    if (!s->parseRows())
        return fail(QStringLiteral("シート「%1」の形式が正しくありません。").arg(sheetName));
    for (Sheet::Row& row : s->rows) {
        if (!row.open && !row.raw.contains("<f"))
            continue;
        if (!row.openCells())
            return fail(QStringLiteral("シート「%1」の %2 行目の形式が正しくありません。").arg(sheetName).arg(row.r));
        for (const Sheet::Cell& c : row.cells)
            if (findStartTag(c.raw, "f", 0) >= 0)
                out->append({row.r, c.col});
    }
    return true;
}

QStringList XlsxWorkbook::changedParts() const
{
    QStringList out;
    if (m_workbookDirty)
        out << m_workbookPath;
    if (m_styles && m_styles->isDirty())
        out << m_stylesPath;
    for (const auto& s : m_sheets)
        if (s->dirty)
            out << s->path;
    for (const auto& p : m_partStore)
        if (p->dirty)
            out << p->name;
    for (const QString& d : m_deleted)
        out << d;
    return out;
}

bool XlsxWorkbook::save()
{
    return write(QString(), false);
}

bool XlsxWorkbook::saveAs(const QString& path)
{
    return write(path, true);
}

bool XlsxWorkbook::write(const QString& target, bool always)
{
    if (!m_zip)
        return fail(QStringLiteral("ブックが開かれていません。"));
    std::vector<QByteArray> buffers;  // libzip reads them when the archive is closed
    buffers.reserve(m_sheets.size() + m_partStore.size() + 1);
    auto replace = [&](const QString& name, QByteArray data) {
        const QByteArray n = name.toUtf8();
        const zip_int64_t index = zip_name_locate(m_zip, n.constData(), 0);
        buffers.push_back(std::move(data));
        const QByteArray& b = buffers.back();
        zip_source_t* src = zip_source_buffer(m_zip, b.constData(), static_cast<zip_uint64_t>(b.size()), 0);
        if (!src)
            return fail(QStringLiteral("ブック「%1」を保存できません（%2）。").arg(m_path, name));
        const zip_int64_t at = index >= 0
            ? (zip_file_replace(m_zip, static_cast<zip_uint64_t>(index), src, 0) == 0 ? index : -1)
            : zip_file_add(m_zip, n.constData(), src, ZIP_FL_ENC_UTF_8);
        if (at < 0) {
            zip_source_free(src);
            return fail(QStringLiteral("ブック「%1」を保存できません（%2）。").arg(m_path, name));
        }
        // Fast deflate: the parts are rewritten on every output. libzip
        // forgets the level when the method asked for is the one the entry
        // already has (deflate, in any xlsx) and then deflates at level 9,
        // four times slower; ZIP_CM_DEFAULT is deflate too, and keeps it.
        zip_set_file_compression(m_zip, static_cast<zip_uint64_t>(at), ZIP_CM_DEFAULT, kCompressionLevel);
        return true;
    };
    bool any = false;
    if (m_workbookDirty) {
        if (!replace(m_workbookPath, m_workbookXml))
            return false;
        any = true;
    }
    for (const auto& s : m_sheets) {
        if (!s->dirty)
            continue;
        if (!replace(s->path, s->serialize()))
            return false;
        any = true;
    }
    if (m_styles && m_styles->isDirty()) {
        if (!replace(m_stylesPath, m_styles->serialize()))
            return false;
        any = true;
    }
    for (const auto& p : m_partStore) {
        if (!p->dirty)
            continue;
        if (!replace(p->name, p->data))
            return false;
        any = true;
    }
    for (const QString& d : m_deleted) {
        const zip_int64_t index = zip_name_locate(m_zip, d.toUtf8().constData(), 0);
        if (index >= 0 && zip_delete(m_zip, static_cast<zip_uint64_t>(index)) == 0)
            any = true;
    }
    if (!any && !always) {
        close();
        return true;
    }

    QByteArray result;
    if (any) {
        if (zip_close(m_zip) != 0) {
            const QString why = QString::fromLocal8Bit(zip_strerror(m_zip));
            close();
            return fail(QStringLiteral("ブック「%1」を保存できません（%2）。").arg(m_path, why));
        }
        m_zip = nullptr;
        // The new archive is now the content of the in-memory source (its
        // size as reported by a stat may still be the old one: read to the end).
        if (zip_source_open(m_source) != 0) {
            qCWarning(lcOutput).noquote() << m_path << "libzip:" << zip_error_strerror(zip_source_error(m_source));
            close();
            return fail(QStringLiteral("ブック「%1」を保存できません。").arg(m_path));
        }
        result.reserve(m_fileData.size() + m_fileData.size() / 4);
        char chunk[65536];
        zip_int64_t got = 0;
        while ((got = zip_source_read(m_source, chunk, sizeof chunk)) > 0)
            result.append(chunk, static_cast<int>(got));
        zip_source_close(m_source);
        if (got < 0 || result.isEmpty()) {
            close();
            return fail(QStringLiteral("ブック「%1」を保存できません。").arg(m_path));
        }
    } else {
        result = m_fileData;
    }

    const QString path = target.isEmpty() ? m_path : target;
    close();
    // In place or at a new target: a file already there stays whole until
    // the new one is complete, and a failure names its cause.
    return SafeFile::write(path, result, &m_error);
}
