#include "IfcReader.h"

#include "ShiftJis.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <charconv>
#include <string>
#include <unordered_map>

namespace Ifc {

namespace {

constexpr int kMaxWarnings = 40;
constexpr int kMaxDepth = 64;  // nesting of lists and typed values

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool isNameChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}
bool isDigit(char c) { return c >= '0' && c <= '9'; }

int lineOf(const QByteArray& data, std::size_t pos)
{
    return 1 + static_cast<int>(std::count(data.constBegin(), data.constBegin() + std::min<std::size_t>(pos, data.size()), '\n'));
}

// Past whitespace and /* comments */; end when a comment does not close.
const char* skipSpace(const char* p, const char* end)
{
    while (p < end) {
        if (isSpace(*p)) {
            ++p;
        } else if (*p == '/' && p + 1 < end && p[1] == '*') {
            const char* close = std::search(p + 2, end, "*/", "*/" + 2);
            p = close == end ? end : close + 2;
        } else {
            break;
        }
    }
    return p;
}

// Past a quoted string starting at the quote; end when it does not close.
const char* skipString(const char* p, const char* end)
{
    for (++p; p < end; ++p) {
        if (*p == '\'') {
            if (p + 1 < end && p[1] == '\'')
                ++p;
            else
                return p + 1;
        }
    }
    return end;
}

int hexValue(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

// n hex digits at s[i…] as a number; -1 when they are not hex digits.
long long hexAt(const QString& s, int i, int n)
{
    if (i + n > s.size())
        return -1;
    long long v = 0;
    for (int k = 0; k < n; ++k) {
        const int h = hexValue(s[i + k]);
        if (h < 0)
            return -1;
        v = v * 16 + h;
    }
    return v;
}

// The escapes of a STEP string on text already decoded from its bytes.
QString unescape(const QString& s)
{
    QString out;
    out.reserve(s.size());
    for (int i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == QLatin1Char('\'') && i + 1 < s.size() && s[i + 1] == QLatin1Char('\'')) {
            out += c;
            ++i;
            continue;
        }
        if (c != QLatin1Char('\\') || i + 1 >= s.size()) {
            out += c;
            continue;
        }
        const QChar d = s[i + 1];
        if (d == QLatin1Char('\\')) {
            out += c;
            ++i;
        } else if (d == QLatin1Char('S') && i + 3 < s.size() && s[i + 2] == QLatin1Char('\\')) {
            out += QChar(ushort((s[i + 3].unicode() & 0x7F) + 0x80));
            i += 3;
        } else if (d == QLatin1Char('P') && i + 3 < s.size() && s[i + 3] == QLatin1Char('\\')) {
            i += 3;  // code page switch: ISO 8859-1 is all this reader maps
        } else if (d == QLatin1Char('X') && i + 2 < s.size() && s[i + 2] == QLatin1Char('\\')) {
            const long long h = hexAt(s, i + 3, 2);
            if (h < 0) {
                out += c;
                continue;
            }
            out += QChar(ushort(h));
            i += 4;
        } else if (d == QLatin1Char('X') && i + 3 < s.size() && (s[i + 2] == QLatin1Char('2') || s[i + 2] == QLatin1Char('4'))
                   && s[i + 3] == QLatin1Char('\\')) {
            const int width = s[i + 2] == QLatin1Char('2') ? 4 : 8;
            int j = i + 4;
            QString run;
            bool ok = true;
            while (j < s.size() && s[j] != QLatin1Char('\\')) {
                const long long v = hexAt(s, j, width);
                if (v < 0 || v > 0x10FFFF) {
                    ok = false;
                    break;
                }
                if (width == 4) {
                    run += QChar(ushort(v));
                } else {
                    const char32_t u = char32_t(v);
                    run += QString::fromUcs4(&u, 1);
                }
                j += width;
            }
            const bool closed = ok && s.mid(j, 4) == QLatin1String("\\X0\\");
            if (!closed) {
                out += c;
                continue;
            }
            out += run;
            i = j + 3;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

bool Value::toNumber(double* out) const
{
    if (isNumber()) {
        *out = number;
        return true;
    }
    if (kind == Kind::Typed && !items.empty())
        return items.front().toNumber(out);
    return false;
}

QString Value::toText() const
{
    switch (kind) {
    case Kind::String:
    case Kind::Enum:
        return text;
    case Kind::Integer:
    case Kind::Real:
        return QString::number(number, 'g', 12);
    case Kind::Typed:
        return items.empty() ? QString() : items.front().toText();
    default:
        return {};
    }
}

QString Model::decodeString(const char* begin, const char* end)
{
    const QByteArray body = QByteArray::fromRawData(begin, end - begin);
    bool ascii = true, plain = true;
    for (const char* p = begin; p < end; ++p) {
        if (static_cast<unsigned char>(*p) >= 0x80)
            ascii = false;
        else if (*p == '\\' || *p == '\'')
            plain = false;
    }
    if (ascii && plain)
        return QString::fromLatin1(begin, end - begin);
    QString text;
    if (ascii) {
        text = QString::fromLatin1(body);
    } else {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        text = utf8(body);
        // Files exported on Japanese Windows carry Shift_JIS bytes although
        // the format allows none.
        if (utf8.hasError() && !ShiftJis::decode(body, &text))
            text = QString::fromLatin1(body);
    }
    return unescape(text);
}

void Model::warn(const QString& text) const
{
    if (m_warnings.size() < kMaxWarnings)
        m_warnings << text;
    else if (m_warnings.size() == kMaxWarnings)
        m_warnings << QStringLiteral("ほかにも警告があります（省略）。");
}

bool Model::readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("ファイルを開けません: %1（%2）").arg(path, f.errorString());
        return false;
    }
    return parse(f.readAll());
}

bool Model::parse(QByteArray data)
{
    m_data = std::move(data);
    m_error.clear();
    m_warnings.clear();
    m_truncated = false;
    m_schema.clear();
    m_typeNames.clear();
    m_entities.clear();
    m_byId.clear();
    if (m_data.size() >= 0xFFFFFFF0LL) {
        m_error = QStringLiteral("ファイルが大きすぎます（4GB以上）。");
        return false;
    }

    const char* const base = m_data.constData();
    const char* const end = base + m_data.size();
    const char* p = base;
    if (m_data.startsWith("\xEF\xBB\xBF"))
        p += 3;
    p = skipSpace(p, end);
    static const char kMagic[] = "ISO-10303-21;";
    if (end - p < 13 || !std::equal(kMagic, kMagic + 13, p)) {
        m_error = QStringLiteral("IFCファイル（ISO 10303-21 形式の .ifc）ではありません。");
        return false;
    }

    auto findToken = [&](const char* from, const char* token) {
        const std::size_t n = std::char_traits<char>::length(token);
        return std::search(from, end, token, token + n);
    };
    const char* dataSection = findToken(p, "DATA;");
    if (dataSection == end) {
        m_truncated = true;
        m_error = QStringLiteral("IFCファイルのデータ部（DATA;）がありません。ファイルが途中で切れている可能性があります。");
        return false;
    }
    // FILE_SCHEMA(('IFC4')) in the header.
    const QByteArray header = QByteArray::fromRawData(p, dataSection - p);
    const qsizetype fs = header.indexOf("FILE_SCHEMA");
    if (fs >= 0) {
        const qsizetype q1 = header.indexOf('\'', fs);
        const qsizetype q2 = q1 < 0 ? -1 : header.indexOf('\'', q1 + 1);
        if (q2 > q1)
            m_schema = QString::fromLatin1(header.mid(q1 + 1, q2 - q1 - 1)).trimmed().toUpper();
    }
    if (m_schema.isEmpty())
        warn(QStringLiteral("ヘッダーにスキーマ名（FILE_SCHEMA）がありません。"));
    else if (!m_schema.startsWith(QLatin1String("IFC2X3")) && !m_schema.startsWith(QLatin1String("IFC4")))
        warn(QStringLiteral("対応していないスキーマです: %1（IFC2X3・IFC4・IFC4X3 として読みます）").arg(m_schema));

    std::unordered_map<std::string, std::uint32_t> types;
    std::string key;
    int garbage = 0;
    bool closedData = false;
    p = dataSection + 5;
    m_entities.reserve(static_cast<std::size_t>(m_data.size() / 60));
    while (true) {
        p = skipSpace(p, end);
        if (p >= end)
            break;
        if (*p == 'E' && end - p >= 7 && std::equal(p, p + 7, "ENDSEC;")) {
            closedData = true;
            p += 7;
            break;
        }
        const char* start = p;
        bool ok = false;
        EntityRef e;
        if (*p == '#') {
            ++p;
            std::int64_t id = 0;
            const auto r = std::from_chars(p, end, id);
            if (r.ec == std::errc() && id > 0) {
                p = skipSpace(r.ptr, end);
                if (p < end && *p == '=') {
                    p = skipSpace(p + 1, end);
                    const char* name = p;
                    while (p < end && isNameChar(*p))
                        ++p;
                    const char* nameEnd = p;
                    p = skipSpace(p, end);
                    if (p < end && *p == '(') {
                        // A complex instance "(IFCA() IFCB())" has no name of
                        // its own; it is indexed under an empty type.
                        const char* open = p;
                        int depth = 0;
                        for (; p < end; ++p) {
                            if (*p == '\'') {
                                p = skipString(p, end) - 1;
                            } else if (*p == '(') {
                                ++depth;
                            } else if (*p == ')' && --depth == 0) {
                                break;
                            }
                        }
                        if (p >= end) {
                            m_truncated = true;
                            break;
                        }
                        const char* close = p;
                        p = skipSpace(p + 1, end);
                        if (p < end && *p == ';') {
                            ++p;
                            key.assign(name, nameEnd);
                            for (char& ch : key)
                                if (ch >= 'a' && ch <= 'z')
                                    ch = char(ch - 'a' + 'A');
                            auto it = types.find(key);
                            if (it == types.end()) {
                                it = types.emplace(key, std::uint32_t(m_typeNames.size())).first;
                                m_typeNames.emplace_back(QByteArray::fromStdString(key));
                            }
                            e.id = id;
                            e.type = it->second;
                            e.begin = std::uint32_t(open + 1 - base);
                            e.end = std::uint32_t(close - base);
                            m_entities.push_back(e);
                            ok = true;
                        } else if (p >= end) {
                            m_truncated = true;
                            break;
                        }
                    }
                }
            }
        }
        if (!ok) {
            if (++garbage <= 5)
                warn(QStringLiteral("%1行目: 解釈できない記述を読み飛ばしました。").arg(lineOf(m_data, start - base)));
            // On to the next statement end outside a string.
            p = start + 1;
            while (p < end && *p != ';')
                p = *p == '\'' ? skipString(p, end) : p + 1;
            if (p >= end) {
                m_truncated = true;
                break;
            }
            ++p;
        }
    }
    if (garbage > 5)
        warn(QStringLiteral("解釈できない記述がほかに %1 か所あります。").arg(garbage - 5));
    if (!m_truncated && closedData) {
        const char* tail = skipSpace(p, end);
        static const char kEnd[] = "END-ISO-10303-21;";
        if (end - tail < 17 || !std::equal(kEnd, kEnd + 17, tail))
            m_truncated = true;
    } else {
        m_truncated = true;
    }
    if (m_truncated)
        warn(QStringLiteral("ファイルが途中で切れています（終わりの行がありません）。読めた部分だけを表示しますが、値が欠けている可能性があります。"));

    m_byId.resize(m_entities.size());
    for (std::uint32_t i = 0; i < m_byId.size(); ++i)
        m_byId[i] = i;
    std::stable_sort(m_byId.begin(), m_byId.end(),
                     [this](std::uint32_t a, std::uint32_t b) { return m_entities[a].id < m_entities[b].id; });
    int duplicates = 0;
    for (std::size_t i = 1; i < m_byId.size(); ++i) {
        if (m_entities[m_byId[i]].id == m_entities[m_byId[i - 1]].id && ++duplicates <= 5)
            warn(QStringLiteral("番号 #%1 が重複しています（最初のものを使います）。").arg(m_entities[m_byId[i]].id));
    }
    if (duplicates > 5)
        warn(QStringLiteral("重複した番号がほかに %1 個あります。").arg(duplicates - 5));
    if (m_entities.empty()) {
        m_error = QStringLiteral("IFCファイルに読めるデータがありません。");
        return false;
    }
    return true;
}

const EntityRef* Model::find(std::int64_t id) const
{
    const auto it = std::lower_bound(m_byId.begin(), m_byId.end(), id,
                                     [this](std::uint32_t i, std::int64_t v) { return m_entities[i].id < v; });
    if (it == m_byId.end() || m_entities[*it].id != id)
        return nullptr;
    return &m_entities[*it];
}

std::vector<const EntityRef*> Model::ofType(const char* upperName) const
{
    std::vector<const EntityRef*> out;
    std::uint32_t type = 0;
    for (; type < m_typeNames.size(); ++type)
        if (m_typeNames[type] == upperName)
            break;
    if (type == m_typeNames.size())
        return out;
    // A repeated id stands for its first entity only.
    for (const EntityRef& e : m_entities)
        if (e.type == type && find(e.id) == &e)
            out.push_back(&e);
    return out;
}

namespace {

class ArgParser {
public:
    ArgParser(const char* p, const char* end) : m_p(p), m_end(end) {}

    bool list(std::vector<Value>* out, int depth)
    {
        if (depth > kMaxDepth)
            return false;
        m_p = skipSpace(m_p, m_end);
        if (m_p < m_end && *m_p == ')')
            return ++m_p, true;
        while (true) {
            Value v;
            if (!value(&v, depth))
                return false;
            out->push_back(std::move(v));
            m_p = skipSpace(m_p, m_end);
            if (m_p >= m_end)
                return false;
            if (*m_p == ',') {
                ++m_p;
            } else if (*m_p == ')') {
                ++m_p;
                return true;
            } else {
                return false;
            }
        }
    }

    bool value(Value* v, int depth)
    {
        m_p = skipSpace(m_p, m_end);
        if (m_p >= m_end)
            return false;
        const char c = *m_p;
        if (c == '$' || c == '*') {
            v->kind = c == '$' ? Value::Kind::Null : Value::Kind::Derived;
            ++m_p;
            return true;
        }
        if (c == '#') {
            const auto r = std::from_chars(m_p + 1, m_end, v->ref);
            if (r.ec != std::errc())
                return false;
            v->kind = Value::Kind::Ref;
            m_p = r.ptr;
            return true;
        }
        if (c == '\'') {
            const char* close = skipString(m_p, m_end);
            if (close > m_end || close[-1] != '\'' || close - m_p < 2)
                return false;
            v->kind = Value::Kind::String;
            v->text = Model::decodeString(m_p + 1, close - 1);
            m_p = close;
            return true;
        }
        if (c == '.') {
            const char* q = std::find(m_p + 1, m_end, '.');
            if (q == m_end)
                return false;
            v->kind = Value::Kind::Enum;
            v->text = QString::fromLatin1(m_p + 1, q - m_p - 1);
            m_p = q + 1;
            return true;
        }
        if (c == '"') {
            const char* q = std::find(m_p + 1, m_end, '"');
            if (q == m_end)
                return false;
            v->kind = Value::Kind::Binary;
            v->text = QString::fromLatin1(m_p + 1, q - m_p - 1);
            m_p = q + 1;
            return true;
        }
        if (c == '(') {
            ++m_p;
            v->kind = Value::Kind::List;
            return list(&v->items, depth + 1);
        }
        if (isDigit(c) || c == '-' || c == '+') {
            const char* q = m_p;
            bool real = false;
            if (*q == '-' || *q == '+')
                ++q;
            const char* digits = q;
            while (q < m_end && (isDigit(*q) || *q == '.' || *q == 'E' || *q == 'e'
                                 || ((*q == '-' || *q == '+') && (q[-1] == 'E' || q[-1] == 'e')))) {
                real = real || !isDigit(*q);
                ++q;
            }
            if (q == digits)
                return false;
            // from_chars takes no '+' and reads "1." the same as the C library.
            const char* from = *m_p == '+' ? m_p + 1 : m_p;
            std::string text(from, q);
            const auto r = std::from_chars(text.data(), text.data() + text.size(), v->number);
            if (r.ec != std::errc() && r.ec != std::errc::result_out_of_range)
                return false;
            v->kind = real ? Value::Kind::Real : Value::Kind::Integer;
            m_p = q;
            return true;
        }
        if (isNameChar(c)) {
            const char* q = m_p;
            while (q < m_end && isNameChar(*q))
                ++q;
            v->kind = Value::Kind::Typed;
            v->text = QString::fromLatin1(m_p, q - m_p).toUpper();
            m_p = skipSpace(q, m_end);
            if (m_p >= m_end || *m_p != '(' || depth > kMaxDepth)
                return false;
            ++m_p;
            std::vector<Value> inner;
            if (!list(&inner, depth + 1))
                return false;
            v->items = std::move(inner);
            return true;
        }
        return false;
    }

    bool atEnd()
    {
        m_p = skipSpace(m_p, m_end);
        return m_p == m_end;
    }

private:
    const char* m_p;
    const char* m_end;
};

}  // namespace

std::vector<Value> Model::attributes(const EntityRef& e) const
{
    std::vector<Value> out;
    const char* base = m_data.constData();
    // The text between the parentheses, closed again so the list parser
    // reads it like a nested list.
    std::string text(base + e.begin, base + e.end);
    text += ')';
    ArgParser parser(text.data(), text.data() + text.size());
    if (m_typeNames[e.type].isEmpty() || !parser.list(&out, 0) || !parser.atEnd()) {
        warn(QStringLiteral("#%1 の属性を読めません（%2行目）。").arg(e.id).arg(lineOf(m_data, e.begin)));
        out.clear();
    }
    return out;
}

std::vector<Value> Model::attributes(std::int64_t id) const
{
    const EntityRef* e = find(id);
    return e ? attributes(*e) : std::vector<Value>{};
}

}  // namespace Ifc
