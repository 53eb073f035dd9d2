#pragma once

#include "XlsxFormula.h"
#include "XlsxPackage.h"
#include "XlsxWorkbook.h"

#include <functional>
#include <optional>
#include <vector>

// One worksheet part, read and edited through the XML parser: rows and
// cells are found through an index of the parser's tree, and a change
// touches only the elements it concerns. What the engine does not know
// (comments, processing instructions, other namespaces, prefixed names)
// is written back as it was.
class XlsxWorksheet {
public:
    // False when the part is not XML, has no cell table, or holds its rows
    // out of order.
    bool load(QByteArray xml);
    QByteArray serialize() const { return m_xml.serialize(); }
    bool isDirty() const { return m_dirty; }
    // The row whose cells could not be told apart, after a call failed.
    int failedRow() const { return m_failedRow; }

    // A cell as the file holds it; the workbook turns it into a value.
    struct Cell {
        bool exists = false;
        QString type;  // the t attribute
        QString value;
        bool hasValue = false;
        QString inlineText;
        bool hasInline = false;
        QString formula;  // a shared formula's follower has "="
        bool hasFormula = false;
        // Written out in the cell itself: not shared, not an array or a data table.
        bool plainFormula = false;
    };
    // False (failedRow() set) when the cell's row cannot be read.
    bool readCell(CellRef ref, Cell* out);
    // Writes the value, keeping the cell's style; `hadFormula` tells
    // whether a formula was replaced. Numbers must be plain decimal text.
    bool writeCell(const XlsxCellWrite& write, bool* hadFormula);

    // Hides or shows the row, creating it to hide it.
    void setRowHidden(int row, bool hidden);
    bool isRowHidden(int row) const;

    // Marks the sheet's view as the selected tab, or unmarks it.
    void setTabSelected(bool selected);

    // The format a cell shows: its own, or for a cell not in the file the
    // format of its row or column.
    bool cellFormat(CellRef ref, int* xf);
    // Gives the cell format `xf`; a cell not in the file is only created
    // for a format other than the default one.
    bool setCellFormat(CellRef ref, int xf, int shown);

    bool formulaCells(QVector<CellRef>* out);
    // Removes the value that each formula cell keeps from its last calculation.
    void dropCachedValues();
    // Gives each formula cell the value `valueOf` computes for it; a
    // formula without one is left without a value.
    using ValueOf = std::function<std::optional<FormulaValue>(CellRef)>;
    bool setCachedValues(const ValueOf& valueOf);

    // The cell text as the file format spells it (_xHHHH_ for characters
    // XML cannot carry), and back.
    static QByteArray encodeText(const QString& text);
    static QString decodeText(const QString& text);

private:
    struct Row {
        int r = 0;
        pugi::xml_node node;
        std::vector<std::pair<int, pugi::xml_node>> cells;  // by column
        bool indexed = false;
    };
    struct Names {
        std::string sheetData, row, c, f, v, is, t, r, rPh, sheetViews, sheetView, sheetFormatPr, cols, col;
    };
    Row* findRow(int r);
    const Row* findRow(int r) const;
    Row& rowFor(int r);
    bool index(Row& row);
    pugi::xml_node cellIn(Row& row, int col);
    pugi::xml_node addCell(Row& row, int col);
    void readCellNode(pugi::xml_node c, Cell* out) const;
    bool setCachedValue(pugi::xml_node c, const std::optional<FormulaValue>& value);

    XlsxXmlPart m_xml;
    Names m_n;
    pugi::xml_node m_sheetData;
    std::vector<Row> m_rows;  // ascending
    bool m_dirty = false;
    int m_failedRow = 0;
};
