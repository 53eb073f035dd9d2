#include "XlsxFormula.h"

#include <cmath>

struct XlsxFormula::Parser {
    const QString& s;
    int pos = 0;
    std::vector<Node>& nodes;

    bool at(QChar c) const { return pos < s.size() && s[pos] == c; }
    bool atEnd() const { return pos >= s.size(); }

    int add(Node n)
    {
        nodes.push_back(std::move(n));
        return static_cast<int>(nodes.size()) - 1;
    }

    // comparison := concat (("=" | "<>") concat)*
    int comparison()
    {
        int left = concat();
        while (left >= 0) {
            Node::Type type;
            if (at(u'=')) {
                type = Node::Type::Equal;
                pos += 1;
            } else if (at(u'<') && pos + 1 < s.size() && s[pos + 1] == u'>') {
                type = Node::Type::NotEqual;
                pos += 2;
            } else {
                break;
            }
            const int right = concat();
            if (right < 0)
                return -1;
            Node n;
            n.type = type;
            n.args = {left, right};
            left = add(std::move(n));
        }
        return left;
    }

    // concat := primary ("&" primary)*
    int concat()
    {
        const int first = primary();
        if (first < 0 || !at(u'&'))
            return first;
        Node n;
        n.type = Node::Type::Concat;
        n.args.push_back(first);
        while (at(u'&')) {
            ++pos;
            const int next = primary();
            if (next < 0)
                return -1;
            n.args.push_back(next);
        }
        return add(std::move(n));
    }

    static bool isNameChar(QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'.'; }

    int primary()
    {
        if (atEnd())
            return -1;
        const QChar c = s[pos];
        if (c == u'"')
            return text();
        if (c == u'(') {
            ++pos;
            const int inner = comparison();
            if (inner < 0 || !at(u')'))
                return -1;
            ++pos;
            return inner;
        }
        if (c.isDigit())
            return number();
        QString sheet;
        if (c == u'\'') {
            // 'Sheet name'!A1, a quote inside doubled
            ++pos;
            while (true) {
                if (atEnd())
                    return -1;
                if (s[pos] == u'\'') {
                    if (pos + 1 < s.size() && s[pos + 1] == u'\'') {
                        sheet += u'\'';
                        pos += 2;
                        continue;
                    }
                    ++pos;
                    break;
                }
                sheet += s[pos++];
            }
            if (!at(u'!') || sheet.isEmpty())
                return -1;
            ++pos;
            return reference(sheet);
        }
        if (c != u'$' && !isNameChar(c))
            return -1;
        const int start = pos;
        while (!atEnd() && (isNameChar(s[pos]) || s[pos] == u'$'))
            ++pos;
        const QString word = s.mid(start, pos - start);
        if (at(u'!')) {
            if (word.contains(u'$'))
                return -1;
            ++pos;
            return reference(word);
        }
        if (at(u'('))
            return function(word);
        pos = start;
        return reference(QString());
    }

    int text()
    {
        ++pos;  // the opening quote
        QString value;
        while (true) {
            if (atEnd())
                return -1;
            if (s[pos] == u'"') {
                if (pos + 1 < s.size() && s[pos + 1] == u'"') {
                    value += u'"';
                    pos += 2;
                    continue;
                }
                ++pos;
                break;
            }
            value += s[pos++];
        }
        Node n;
        n.type = Node::Type::Text;
        n.text = value;
        return add(std::move(n));
    }

    int number()
    {
        const int start = pos;
        while (!atEnd() && s[pos].isDigit() && s[pos].unicode() < 128)
            ++pos;
        if (at(u'.')) {
            ++pos;
            const int fraction = pos;
            while (!atEnd() && s[pos].isDigit() && s[pos].unicode() < 128)
                ++pos;
            if (pos == fraction)
                return -1;
        }
        if (!atEnd() && isNameChar(s[pos]))
            return -1;
        bool ok = false;
        Node n;
        n.type = Node::Type::Number;
        n.number = s.mid(start, pos - start).toDouble(&ok);
        return ok ? add(std::move(n)) : -1;
    }

    // $A$1, A1 … one cell; ranges and whole columns are outside the language.
    int reference(const QString& sheet)
    {
        const int start = pos;
        if (at(u'$'))
            ++pos;
        int letters = 0;
        while (!atEnd() && s[pos] >= u'A' && s[pos] <= u'Z') {
            ++pos;
            ++letters;
        }
        if (letters < 1 || letters > 3)
            return -1;
        if (at(u'$'))
            ++pos;
        int digits = 0;
        while (!atEnd() && s[pos] >= u'0' && s[pos] <= u'9') {
            ++pos;
            ++digits;
        }
        if (digits < 1 || (!atEnd() && (isNameChar(s[pos]) || s[pos] == u':' || s[pos] == u'$' || s[pos] == u'(')))
            return -1;
        Node n;
        n.type = Node::Type::Ref;
        n.text = sheet;
        n.ref = CellRef::parse(QStringView(s).mid(start, pos - start));
        if (!n.ref.isValid() || n.ref.row > 1048576 || n.ref.col > 16384)
            return -1;
        return add(std::move(n));
    }

    int function(const QString& name)
    {
        Node n;
        int least = 1, most = 255;
        if (name == QLatin1String("IF")) {
            n.type = Node::Type::If;
            least = 2;
            most = 3;
        } else if (name == QLatin1String("AND")) {
            n.type = Node::Type::And;
        } else if (name == QLatin1String("OR")) {
            n.type = Node::Type::Or;
        } else if (name == QLatin1String("RIGHT")) {
            n.type = Node::Type::Right;
            most = 2;
        } else {
            return -1;
        }
        ++pos;  // "("
        while (true) {
            const int arg = comparison();
            if (arg < 0)
                return -1;
            n.args.push_back(arg);
            if (at(u',')) {
                ++pos;
                continue;
            }
            if (!at(u')'))
                return -1;
            ++pos;
            break;
        }
        const int count = static_cast<int>(n.args.size());
        if (count < least || count > most)
            return -1;
        return add(std::move(n));
    }
};

bool XlsxFormula::parse(const QString& formula)
{
    m_nodes.clear();
    m_root = -1;
    Parser p{formula, 0, m_nodes};
    const int root = p.comparison();
    if (root < 0 || !p.atEnd()) {
        m_nodes.clear();
        return false;
    }
    m_root = root;
    return true;
}

std::optional<QString> XlsxFormula::numberText(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    if (value == 0)
        return QStringLiteral("0");
    // The general format writes up to 15 significant digits, switching to
    // an exponent for large and small numbers at limits that differ between
    // programs; numbers near those limits are left to them.
    const double magnitude = std::fabs(value);
    if (magnitude >= 1e11 || magnitude < 1e-4)
        return std::nullopt;
    QString text = QString::number(value, 'g', 15);
    if (text.contains(u'e') || text.contains(u'E'))
        return std::nullopt;
    return text;
}

namespace {

// The text of a value inside a concatenation or a text function.
std::optional<QString> asText(const FormulaValue& v)
{
    switch (v.kind) {
    case FormulaValue::Kind::Empty:
        return QString();
    case FormulaValue::Kind::Text:
        return v.text;
    case FormulaValue::Kind::Number:
        return XlsxFormula::numberText(v.number);
    case FormulaValue::Kind::Boolean:
        // TRUE or 1, in the language of the program: not certain.
        return std::nullopt;
    }
    return std::nullopt;
}

// A condition: FALSE for an empty cell, a number is true unless 0; a text
// is an error in one program and read as a word in another.
std::optional<bool> asCondition(const FormulaValue& v)
{
    switch (v.kind) {
    case FormulaValue::Kind::Empty:
        return false;
    case FormulaValue::Kind::Number:
    case FormulaValue::Kind::Boolean:
        return v.number != 0;
    case FormulaValue::Kind::Text:
        return std::nullopt;
    }
    return std::nullopt;
}

// Whether two values are equal as "=" compares them: an empty cell equals
// "", 0 and FALSE; values of different kinds are never equal; texts are
// equal regardless of case (which is left undecided: the programs fold
// case by different tables).
std::optional<bool> equal(FormulaValue a, FormulaValue b)
{
    using K = FormulaValue::Kind;
    if (a.kind == K::Empty && b.kind == K::Empty)
        return true;
    if (a.kind == K::Empty)
        std::swap(a, b);
    if (b.kind == K::Empty) {
        b.kind = a.kind;
        b.number = 0;
        b.text.clear();
    }
    if (a.kind != b.kind)
        return false;
    switch (a.kind) {
    case K::Number: {
        if (a.number == b.number)
            return true;
        // Excel calls numbers equal that differ in the 16th digit.
        const double scale = std::max(std::fabs(a.number), std::fabs(b.number));
        if (std::fabs(a.number - b.number) <= scale * 1e-14)
            return std::nullopt;
        return false;
    }
    case K::Boolean:
        return a.number == b.number;
    case K::Text:
        if (a.text == b.text)
            return true;
        if (a.text.compare(b.text, Qt::CaseInsensitive) == 0 || a.text.toCaseFolded() == b.text.toCaseFolded())
            return std::nullopt;
        return false;
    case K::Empty:
        return true;
    }
    return std::nullopt;
}

}  // namespace

std::optional<FormulaValue> XlsxFormula::evaluate(const Lookup& lookup) const
{
    if (m_root < 0)
        return std::nullopt;
    std::optional<FormulaValue> v = eval(m_root, lookup);
    if (v && v->kind == FormulaValue::Kind::Empty)
        return FormulaValue::fromNumber(0);
    return v;
}

std::optional<FormulaValue> XlsxFormula::eval(int index, const Lookup& lookup) const
{
    const Node& n = m_nodes[static_cast<size_t>(index)];
    switch (n.type) {
    case Node::Type::Text:
        return FormulaValue::fromText(n.text);
    case Node::Type::Number:
        return FormulaValue::fromNumber(n.number);
    case Node::Type::Ref:
        return lookup(n.text, n.ref);
    case Node::Type::Concat: {
        QString out;
        for (int a : n.args) {
            const std::optional<FormulaValue> v = eval(a, lookup);
            if (!v)
                return std::nullopt;
            const std::optional<QString> t = asText(*v);
            if (!t)
                return std::nullopt;
            out += *t;
        }
        return FormulaValue::fromText(out);
    }
    case Node::Type::Equal:
    case Node::Type::NotEqual: {
        const std::optional<FormulaValue> a = eval(n.args[0], lookup);
        const std::optional<FormulaValue> b = a ? eval(n.args[1], lookup) : std::nullopt;
        if (!b)
            return std::nullopt;
        const std::optional<bool> same = equal(*a, *b);
        if (!same)
            return std::nullopt;
        return FormulaValue::fromBoolean(n.type == Node::Type::Equal ? *same : !*same);
    }
    case Node::Type::If: {
        const std::optional<FormulaValue> c = eval(n.args[0], lookup);
        const std::optional<bool> yes = c ? asCondition(*c) : std::nullopt;
        if (!yes)
            return std::nullopt;
        if (*yes)
            return eval(n.args[1], lookup);
        if (n.args.size() < 3)
            return FormulaValue::fromBoolean(false);
        return eval(n.args[2], lookup);
    }
    case Node::Type::And:
    case Node::Type::Or: {
        // Empty cells are passed over; a text is an error in a constant and
        // passed over in a cell, so it is not decided here.
        bool any = false;
        bool result = n.type == Node::Type::And;
        for (int a : n.args) {
            const std::optional<FormulaValue> v = eval(a, lookup);
            if (!v || v->kind == FormulaValue::Kind::Text)
                return std::nullopt;
            if (v->kind == FormulaValue::Kind::Empty)
                continue;
            any = true;
            if (n.type == Node::Type::And)
                result = result && v->number != 0;
            else
                result = result || v->number != 0;
        }
        if (!any)
            return std::nullopt;
        return FormulaValue::fromBoolean(result);
    }
    case Node::Type::Right: {
        const std::optional<FormulaValue> v = eval(n.args[0], lookup);
        const std::optional<QString> t = v ? asText(*v) : std::nullopt;
        if (!t)
            return std::nullopt;
        double count = 1;
        if (n.args.size() > 1) {
            const std::optional<FormulaValue> c = eval(n.args[1], lookup);
            if (!c || c->kind == FormulaValue::Kind::Text || c->kind == FormulaValue::Kind::Boolean)
                return std::nullopt;
            count = c->kind == FormulaValue::Kind::Empty ? 0 : std::floor(c->number);
        }
        // Characters outside the basic plane count as one in one program
        // and as two in the other.
        if (count < 0 || count > 32767)
            return std::nullopt;
        for (QChar ch : *t)
            if (ch.isSurrogate())
                return std::nullopt;
        return FormulaValue::fromText(t->right(static_cast<int>(count)));
    }
    }
    return std::nullopt;
}
