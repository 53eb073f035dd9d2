#pragma once

#include "XlsxWorkbook.h"

#include <QByteArray>
#include <QHash>

#include <vector>

// The style part of a workbook (styles.xml) as the engine changes it: the
// lists of fonts, borders and cell formats are split into their elements,
// new elements are only ever appended, and a list that gains nothing is
// written back with its own bytes. Cells refer to formats by index, so an
// index that exists keeps its meaning for every cell that uses it.
class XlsxStyleSheet {
public:
    // False when the part lacks one of the three lists or cannot be split.
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
    QByteArray serialize() const;

private:
    struct List {
        QByteArray name;  // "fonts", "borders", "cellXfs"
        int begin = -1;   // the list's start tag
        int end = -1;     // just past its end tag
        QByteArray startTag;
        std::vector<QByteArray> items;
        QHash<QByteArray, int> index;  // element text → first index
        bool dirty = false;

        int add(const QByteArray& element);
    };
    bool parseList(List* list, const QByteArray& name, const QByteArray& child);
    static QByteArray listText(const List& list);

    QByteArray m_xml;
    List m_fonts;
    List m_borders;
    List m_xfs;
    QHash<QByteArray, int> m_derived;  // "xf|change" → derived format
};
