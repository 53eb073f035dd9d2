#pragma once

#include "XlsxPackage.h"
#include "XlsxWorkbook.h"

#include <QByteArray>
#include <QHash>

#include <vector>

// The style part of a workbook (styles.xml) as the engine changes it: new
// fonts, borders and cell formats are only ever appended to their lists,
// and what is there stays as it is. Cells refer to formats by index, so an
// index that exists keeps its meaning for every cell that uses it.
class XlsxStyleSheet {
public:
    // False when the part lacks one of the three lists or is not XML.
    bool parse(const QByteArray& xml);
    // A style part with the one default format every workbook starts with.
    static QByteArray minimal();

    int formatCount() const { return static_cast<int>(m_xfs.items.size()); }
    // The index of a format that is format `xf` with the change applied;
    // added when no such format exists yet. -1 when `xf` does not exist.
    int derive(int xf, const XlsxFormat& change);
    // What format `xf` shows; false when it does not exist.
    bool describe(int xf, XlsxCellStyle* out) const;

    bool isDirty() const { return m_fonts.dirty || m_borders.dirty || m_xfs.dirty; }
    void markChanged() { m_xfs.dirty = true; }
    QByteArray serialize() const { return m_xml.serialize(); }

private:
    struct List {
        pugi::xml_node node;
        std::vector<pugi::xml_node> items;
        QHash<QByteArray, int> index;  // element text → first index
        bool dirty = false;
    };
    bool parseList(List* list, const char* name, const char* child);
    // The index of an element like `element` in the list, added when new.
    int add(List* list, pugi::xml_node element);
    pugi::xml_node font(int fontId) const;
    pugi::xml_node border(int borderId) const;

    XlsxXmlPart m_xml;
    std::string m_p;  // namespace prefix
    List m_fonts;
    List m_borders;
    List m_xfs;
    pugi::xml_document m_scratch;  // where a derived element is put together
    QHash<QByteArray, int> m_derived;  // "xf|change" → derived format
};
