#include "XlsxStyleSheet.h"

#include "XlsxXml.h"

#include <QString>

#include <algorithm>

using namespace XlsxXml;

namespace {

// One child element of a font or border: its name and its whole text.
struct Child {
    QByteArray name;
    QByteArray text;
};

// The child elements of the element `element` (its start tag, children and
// end tag), in order; false when they cannot be told apart.
bool splitChildren(const QByteArray& element, StartTag* tag, std::vector<Child>* children)
{
    children->clear();
    const int open = tagEnd(element, 0);
    if (open < 0 || !StartTag::parse(element.left(open), tag))
        return false;
    if (tag->selfClosing)
        return true;
    const int close = element.lastIndexOf("</");
    if (close < open)
        return false;
    int pos = open;
    while (pos < close) {
        while (pos < close && isSpace(element[pos]))
            ++pos;
        if (pos >= close)
            break;
        if (element[pos] != '<')
            return false;
        const int end = tagEnd(element, pos);
        if (end < 0 || end > close)
            return false;
        StartTag child;
        if (!StartTag::parse(element.mid(pos, end - pos), &child))
            return false;
        int next = end;
        if (!child.selfClosing) {
            const int childClose = element.indexOf("</" + child.name + '>', end);
            if (childClose < 0 || childClose > close)
                return false;
            next = childClose + child.name.size() + 3;
        }
        children->push_back({child.name, element.mid(pos, next - pos)});
        pos = next;
    }
    return true;
}

QByteArray joinElement(StartTag tag, const std::vector<Child>& children)
{
    if (children.empty()) {
        tag.selfClosing = true;
        return tag.toBytes();
    }
    tag.selfClosing = false;
    QByteArray out = tag.toBytes();
    for (const Child& c : children)
        out += c.text;
    return out + "</" + tag.name + '>';
}

// The order in which the file format lists the children; children it does
// not know keep their place after the known ones.
void sortChildren(std::vector<Child>* children, const std::vector<QByteArray>& order)
{
    auto rank = [&order](const Child& c) {
        const auto it = std::find(order.begin(), order.end(), c.name);
        return it == order.end() ? static_cast<int>(order.size()) : static_cast<int>(it - order.begin());
    };
    std::stable_sort(children->begin(), children->end(),
                     [&rank](const Child& a, const Child& b) { return rank(a) < rank(b); });
}

void putChild(std::vector<Child>* children, const QByteArray& name, const QByteArray& text)
{
    for (Child& c : *children) {
        if (c.name == name) {
            c.text = text;
            return;
        }
    }
    children->push_back({name, text});
}

void dropChild(std::vector<Child>* children, const QByteArray& name)
{
    children->erase(std::remove_if(children->begin(), children->end(), [&name](const Child& c) { return c.name == name; }),
                    children->end());
}

QByteArray attributeValue(const QString& text)
{
    QString out = text;
    out.replace(u'&', QLatin1String("&amp;"));
    out.replace(u'<', QLatin1String("&lt;"));
    out.replace(u'>', QLatin1String("&gt;"));
    out.replace(u'"', QLatin1String("&quot;"));
    return out.toUtf8();
}

QString unescape(const QByteArray& value)
{
    QString s = QString::fromUtf8(value);
    s.replace(QLatin1String("&quot;"), QLatin1String("\""));
    s.replace(QLatin1String("&apos;"), QLatin1String("'"));
    s.replace(QLatin1String("&lt;"), QLatin1String("<"));
    s.replace(QLatin1String("&gt;"), QLatin1String(">"));
    s.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return s;
}

QByteArray childAttribute(const Child& c, const char* key)
{
    StartTag t;
    const int end = tagEnd(c.text, 0);
    if (end < 0 || !StartTag::parse(c.text.left(end), &t))
        return QByteArray();
    const QByteArray* v = t.attr(key);
    return v ? *v : QByteArray();
}

bool isTrue(const Child& c)
{
    const QByteArray v = childAttribute(c, "val");
    return v.isEmpty() || v == "1" || v == "true";
}

const std::vector<QByteArray> kFontOrder{"b", "i", "strike", "condense", "extend", "outline", "shadow", "u",
                                         "vertAlign", "sz", "color", "name", "family", "charset", "scheme"};
const std::vector<QByteArray> kBorderOrder{"left", "start", "right", "end", "top", "bottom", "diagonal",
                                           "vertical", "horizontal"};

QByteArray numberText(double value)
{
    return QByteArray::number(value, 'g', 10);
}

QByteArray changeKey(int xf, const XlsxFormat& f)
{
    QByteArray key = QByteArray::number(xf);
    key += "|n" + (f.fontName ? f.fontName->toUtf8() : QByteArray("-"));
    key += "|s" + (f.fontSize ? numberText(*f.fontSize) : QByteArray("-"));
    key += "|i" + (f.italic ? QByteArray(*f.italic ? "1" : "0") : QByteArray("-"));
    key += "|c" + (f.fontColor ? QByteArray::number(*f.fontColor, 16) : QByteArray("-"));
    key += "|b" + (f.bottomBorder ? f.bottomBorder->toUtf8() : QByteArray("-"));
    return key;
}

}  // namespace

int XlsxStyleSheet::List::add(const QByteArray& element)
{
    const auto it = index.constFind(element);
    if (it != index.constEnd())
        return it.value();
    items.push_back(element);
    const int at = static_cast<int>(items.size()) - 1;
    index.insert(element, at);
    dirty = true;
    return at;
}

QByteArray XlsxStyleSheet::minimal()
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
           "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
           "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"ＭＳ Ｐゴシック\"/><family val=\"3\"/>"
           "<charset val=\"128\"/></font></fonts>"
           "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
           "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
           "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
           "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>"
           "<cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/></cellXfs>"
           "<cellStyles count=\"1\"><cellStyle name=\"標準\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
           "</styleSheet>";
}

bool XlsxStyleSheet::parseList(List* list, const QByteArray& name, const QByteArray& child)
{
    list->name = name;
    list->items.clear();
    list->index.clear();
    list->dirty = false;
    const int begin = findStartTag(m_xml, name, 0);
    if (begin < 0)
        return false;
    const int open = tagEnd(m_xml, begin);
    if (open < 0)
        return false;
    list->begin = begin;
    list->startTag = m_xml.mid(begin, open - begin);
    if (isSelfClosing(m_xml, open)) {
        list->end = open;
        return true;
    }
    const int close = m_xml.indexOf("</" + name + '>', open);
    if (close < 0)
        return false;
    list->end = close + name.size() + 3;
    for (int p = findStartTag(m_xml, child, open, close); p >= 0;) {
        const int end = tagEnd(m_xml, p);
        if (end < 0 || end > close)
            return false;
        int next = end;
        if (!isSelfClosing(m_xml, end)) {
            const int c = m_xml.indexOf("</" + child + '>', end);
            if (c < 0 || c > close)
                return false;
            next = c + child.size() + 3;
        }
        const QByteArray element = m_xml.mid(p, next - p);
        list->items.push_back(element);
        if (!list->index.contains(element))
            list->index.insert(element, static_cast<int>(list->items.size()) - 1);
        p = findStartTag(m_xml, child, next, close);
    }
    return true;
}

bool XlsxStyleSheet::parse(const QByteArray& xml)
{
    m_xml = xml;
    m_derived.clear();
    if (!parseList(&m_fonts, "fonts", "font") || !parseList(&m_borders, "borders", "border")
        || !parseList(&m_xfs, "cellXfs", "xf"))
        return false;
    // Edited from the back, the lists must not overlap.
    return m_fonts.end <= m_borders.begin && m_borders.end <= m_xfs.begin;
}

QByteArray XlsxStyleSheet::listText(const List& list)
{
    StartTag tag;
    StartTag::parse(list.startTag, &tag);
    tag.set("count", QByteArray::number(static_cast<int>(list.items.size())));
    tag.selfClosing = false;
    QByteArray out = tag.toBytes();
    for (const QByteArray& item : list.items)
        out += item;
    return out + "</" + list.name + '>';
}

QByteArray XlsxStyleSheet::serialize() const
{
    QByteArray out = m_xml;
    for (const List* list : {&m_xfs, &m_borders, &m_fonts}) {
        if (list->dirty)
            out.replace(list->begin, list->end - list->begin, listText(*list));
    }
    return out;
}

int XlsxStyleSheet::derive(int xf, const XlsxFormat& change)
{
    if (xf < 0 || xf >= formatCount())
        return -1;
    if (change.isEmpty())
        return xf;
    const QByteArray key = changeKey(xf, change);
    if (const auto it = m_derived.constFind(key); it != m_derived.constEnd())
        return it.value();

    const QByteArray& element = m_xfs.items[static_cast<size_t>(xf)];
    const int open = tagEnd(element, 0);
    StartTag tag;
    if (open < 0 || !StartTag::parse(element.left(open), &tag))
        return -1;

    if (change.fontName || change.fontSize || change.italic || change.fontColor) {
        const QByteArray* fontId = tag.attr("fontId");
        const int font = fontId ? fontId->toInt() : 0;
        StartTag fontTag;
        std::vector<Child> children;
        if (font >= 0 && font < static_cast<int>(m_fonts.items.size())) {
            if (!splitChildren(m_fonts.items[static_cast<size_t>(font)], &fontTag, &children))
                return -1;
        } else {
            fontTag.name = "font";
        }
        if (change.fontName) {
            putChild(&children, "name", "<name val=\"" + attributeValue(*change.fontName) + "\"/>");
            // A theme font would win over the name.
            dropChild(&children, "scheme");
        }
        if (change.fontSize)
            putChild(&children, "sz", "<sz val=\"" + numberText(*change.fontSize) + "\"/>");
        if (change.italic) {
            if (*change.italic)
                putChild(&children, "i", "<i/>");
            else
                dropChild(&children, "i");
        }
        if (change.fontColor) {
            const QByteArray rgb = QByteArray::number(*change.fontColor & 0xFFFFFFu, 16).toUpper().rightJustified(6, '0');
            putChild(&children, "color", "<color rgb=\"FF" + rgb + "\"/>");
        }
        sortChildren(&children, kFontOrder);
        tag.set("fontId", QByteArray::number(m_fonts.add(joinElement(fontTag, children))));
        tag.set("applyFont", "1");
    }

    if (change.bottomBorder) {
        const QByteArray* borderId = tag.attr("borderId");
        const int border = borderId ? borderId->toInt() : 0;
        StartTag borderTag;
        std::vector<Child> children;
        if (border >= 0 && border < static_cast<int>(m_borders.items.size())) {
            if (!splitChildren(m_borders.items[static_cast<size_t>(border)], &borderTag, &children))
                return -1;
        } else {
            borderTag.name = "border";
        }
        QByteArray colour;  // the line keeps its colour when only its style changes
        for (const Child& c : children) {
            if (c.name == "bottom") {
                const int cOpen = tagEnd(c.text, 0);
                const int cClose = c.text.lastIndexOf("</bottom>");
                if (cOpen > 0 && cClose > cOpen)
                    colour = c.text.mid(cOpen, cClose - cOpen);
            }
        }
        const QByteArray style = change.bottomBorder->toUtf8();
        QByteArray bottom;
        if (style.isEmpty())
            bottom = "<bottom/>";
        else if (colour.isEmpty())
            bottom = "<bottom style=\"" + style + "\"/>";
        else
            bottom = "<bottom style=\"" + style + "\">" + colour + "</bottom>";
        putChild(&children, "bottom", bottom);
        sortChildren(&children, kBorderOrder);
        tag.set("borderId", QByteArray::number(m_borders.add(joinElement(borderTag, children))));
        tag.set("applyBorder", "1");
    }

    const QByteArray derived = tag.toBytes() + element.mid(open);
    const int at = m_xfs.add(derived);
    m_derived.insert(key, at);
    return at;
}

bool XlsxStyleSheet::describe(int xf, XlsxCellStyle* out) const
{
    *out = XlsxCellStyle();
    if (xf < 0 || xf >= formatCount())
        return false;
    const QByteArray& element = m_xfs.items[static_cast<size_t>(xf)];
    StartTag tag;
    const int open = tagEnd(element, 0);
    if (open < 0 || !StartTag::parse(element.left(open), &tag))
        return false;
    const QByteArray* fontId = tag.attr("fontId");
    const int font = fontId ? fontId->toInt() : 0;
    if (font >= 0 && font < static_cast<int>(m_fonts.items.size())) {
        StartTag ft;
        std::vector<Child> children;
        if (splitChildren(m_fonts.items[static_cast<size_t>(font)], &ft, &children)) {
            for (const Child& c : children) {
                if (c.name == "name")
                    out->fontName = unescape(childAttribute(c, "val"));
                else if (c.name == "sz")
                    out->fontSize = childAttribute(c, "val").toDouble();
                else if (c.name == "b")
                    out->bold = isTrue(c);
                else if (c.name == "i")
                    out->italic = isTrue(c);
                else if (c.name == "color")
                    out->fontColor = QString::fromLatin1(childAttribute(c, "rgb")).toUpper();
            }
        }
    }
    const QByteArray* borderId = tag.attr("borderId");
    const int border = borderId ? borderId->toInt() : 0;
    if (border >= 0 && border < static_cast<int>(m_borders.items.size())) {
        StartTag bt;
        std::vector<Child> children;
        if (splitChildren(m_borders.items[static_cast<size_t>(border)], &bt, &children)) {
            for (const Child& c : children) {
                const QString style = QString::fromLatin1(childAttribute(c, "style"));
                const QString line = style == QLatin1String("none") ? QString() : style;
                if (c.name == "left" || c.name == "start")
                    out->borderLeft = line;
                else if (c.name == "right" || c.name == "end")
                    out->borderRight = line;
                else if (c.name == "top")
                    out->borderTop = line;
                else if (c.name == "bottom")
                    out->borderBottom = line;
            }
        }
    }
    return true;
}
