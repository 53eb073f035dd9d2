#include "XlsxStyleSheet.h"

#include <QString>

#include <algorithm>
#include <cstring>

using namespace XlsxXml;

namespace {

const std::vector<const char*> kFontOrder{"b", "i", "strike", "condense", "extend", "outline", "shadow", "u",
                                          "vertAlign", "sz", "color", "name", "family", "charset", "scheme"};
const std::vector<const char*> kBorderOrder{"left", "start", "right", "end", "top", "bottom", "diagonal",
                                            "vertical", "horizontal"};

pugi::xml_node childNamed(pugi::xml_node parent, const char* local)
{
    return parent.find_child([local](const pugi::xml_node& c) { return std::strcmp(localName(c), local) == 0; });
}

// The child `local` emptied of what it had, or a new one; `prefix` spells
// the namespace of a new one.
pugi::xml_node freshChild(pugi::xml_node parent, const std::string& prefix, const char* local)
{
    pugi::xml_node c = childNamed(parent, local);
    if (!c)
        return parent.append_child((prefix + local).c_str());
    c.remove_children();
    c.remove_attributes();
    return c;
}

void dropChild(pugi::xml_node parent, const char* local)
{
    parent.remove_child(childNamed(parent, local));
}

// The order in which the file format lists the children; children it does
// not know keep their place after the known ones.
void sortChildren(pugi::xml_node parent, const std::vector<const char*>& order)
{
    auto rank = [&order](const pugi::xml_node& c) {
        const auto it =
            std::find_if(order.begin(), order.end(), [&c](const char* n) { return std::strcmp(n, localName(c)) == 0; });
        return static_cast<int>(it - order.begin());
    };
    std::vector<pugi::xml_node> children;
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element)
            children.push_back(c);
    std::stable_sort(children.begin(), children.end(),
                     [&rank](const pugi::xml_node& a, const pugi::xml_node& b) { return rank(a) < rank(b); });
    for (const pugi::xml_node& c : children)
        parent.append_move(c);
}

// A flag element (<b/>, <i val="0"/>) is on unless its value says otherwise.
bool isOn(const pugi::xml_node& flag)
{
    const pugi::xml_attribute v = flag.attribute("val");
    return !v || isTrue(v);
}

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

int XlsxStyleSheet::add(List* list, pugi::xml_node element)
{
    const QByteArray key = text(element);
    const auto it = list->index.constFind(key);
    if (it != list->index.constEnd())
        return it.value();
    list->items.push_back(list->node.append_copy(element));
    const int at = static_cast<int>(list->items.size()) - 1;
    list->index.insert(key, at);
    setAttr(list->node, "count", QByteArray::number(at + 1).constData());
    list->dirty = true;
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

bool XlsxStyleSheet::parseList(List* list, const char* name, const char* child)
{
    *list = List();
    list->node = m_xml.root().child((m_p + name).c_str());
    if (!list->node)
        return false;
    const std::string childName = m_p + child;
    for (const pugi::xml_node item : list->node.children(childName.c_str())) {
        list->items.push_back(item);
        const QByteArray key = text(item);
        if (!list->index.contains(key))
            list->index.insert(key, static_cast<int>(list->items.size()) - 1);
    }
    return true;
}

bool XlsxStyleSheet::parse(const QByteArray& xml)
{
    m_derived.clear();
    if (!m_xml.parse(xml))
        return false;
    m_p = m_xml.prefix(kMain);
    return parseList(&m_fonts, "fonts", "font") && parseList(&m_borders, "borders", "border")
        && parseList(&m_xfs, "cellXfs", "xf");
}

pugi::xml_node XlsxStyleSheet::font(int fontId) const
{
    return fontId >= 0 && fontId < static_cast<int>(m_fonts.items.size()) ? m_fonts.items[static_cast<size_t>(fontId)]
                                                                          : pugi::xml_node();
}

pugi::xml_node XlsxStyleSheet::border(int borderId) const
{
    return borderId >= 0 && borderId < static_cast<int>(m_borders.items.size())
        ? m_borders.items[static_cast<size_t>(borderId)]
        : pugi::xml_node();
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

    m_scratch.reset();
    pugi::xml_node format = m_scratch.append_copy(m_xfs.items[static_cast<size_t>(xf)]);
    if (change.fontName || change.fontSize || change.italic || change.fontColor) {
        const pugi::xml_node old = font(format.attribute("fontId").as_int());
        pugi::xml_node f = old ? m_scratch.append_copy(old) : m_scratch.append_child((m_p + "font").c_str());
        if (change.fontName) {
            freshChild(f, m_p, "name").append_attribute("val").set_value(change.fontName->toUtf8().constData());
            // A theme font would win over the name.
            dropChild(f, "scheme");
        }
        if (change.fontSize)
            freshChild(f, m_p, "sz").append_attribute("val").set_value(numberText(*change.fontSize).constData());
        if (change.italic) {
            if (*change.italic)
                freshChild(f, m_p, "i");
            else
                dropChild(f, "i");
        }
        if (change.fontColor) {
            const QByteArray rgb = QByteArray::number(*change.fontColor & 0xFFFFFFu, 16).toUpper().rightJustified(6, '0');
            freshChild(f, m_p, "color").append_attribute("rgb").set_value(("FF" + rgb).constData());
        }
        sortChildren(f, kFontOrder);
        setAttr(format, "fontId", QByteArray::number(add(&m_fonts, f)).constData());
        setAttr(format, "applyFont", "1");
    }
    if (change.bottomBorder) {
        const pugi::xml_node old = border(format.attribute("borderId").as_int());
        pugi::xml_node b = old ? m_scratch.append_copy(old) : m_scratch.append_child((m_p + "border").c_str());
        pugi::xml_node bottom = childNamed(b, "bottom");
        if (!bottom)
            bottom = b.append_child((m_p + "bottom").c_str());
        // The line keeps its colour when only its style changes.
        bottom.remove_attributes();
        if (change.bottomBorder->isEmpty())
            bottom.remove_children();
        else
            bottom.append_attribute("style").set_value(change.bottomBorder->toUtf8().constData());
        sortChildren(b, kBorderOrder);
        setAttr(format, "borderId", QByteArray::number(add(&m_borders, b)).constData());
        setAttr(format, "applyBorder", "1");
    }
    const int at = add(&m_xfs, format);
    m_derived.insert(key, at);
    return at;
}

bool XlsxStyleSheet::describe(int xf, XlsxCellStyle* out) const
{
    *out = XlsxCellStyle();
    if (xf < 0 || xf >= formatCount())
        return false;
    const pugi::xml_node format = m_xfs.items[static_cast<size_t>(xf)];
    for (const pugi::xml_node c : font(format.attribute("fontId").as_int()).children()) {
        const char* name = localName(c);
        if (std::strcmp(name, "name") == 0)
            out->fontName = QString::fromUtf8(c.attribute("val").value());
        else if (std::strcmp(name, "sz") == 0)
            out->fontSize = c.attribute("val").as_double();
        else if (std::strcmp(name, "b") == 0)
            out->bold = isOn(c);
        else if (std::strcmp(name, "i") == 0)
            out->italic = isOn(c);
        else if (std::strcmp(name, "color") == 0)
            out->fontColor = QString::fromUtf8(c.attribute("rgb").value()).toUpper();
    }
    for (const pugi::xml_node c : border(format.attribute("borderId").as_int()).children()) {
        const QString style = QString::fromUtf8(c.attribute("style").value());
        const QString line = style == QLatin1String("none") ? QString() : style;
        const char* name = localName(c);
        if (std::strcmp(name, "left") == 0 || std::strcmp(name, "start") == 0)
            out->borderLeft = line;
        else if (std::strcmp(name, "right") == 0 || std::strcmp(name, "end") == 0)
            out->borderRight = line;
        else if (std::strcmp(name, "top") == 0)
            out->borderTop = line;
        else if (std::strcmp(name, "bottom") == 0)
            out->borderBottom = line;
    }
    return true;
}
