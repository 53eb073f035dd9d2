#pragma once

#include "XlsxWorkbook.h"

#include <QHash>
#include <QString>
#include <QVector>

#include <functional>
#include <map>

// The picture in memory of what an output writes into the input sheet
// "データ入力１": cell → value, a later write replacing an earlier one.
// Reading a cell back gives what the sheet will show once the values are
// in: the written value, or else what the template holds there (a
// constant, or a plain reference such as "=G215" to another cell of the
// same sheet, followed).
class InputSheet {
public:
    struct Value {
        XlsxCellWrite::Kind kind = XlsxCellWrite::Kind::Clear;
        QString text;
    };

    void setText(CellRef ref, const QString& text);
    // A number as the file stores it ("-1", "5").
    void setNumber(CellRef ref, double value);
    void setBoolean(CellRef ref, bool value);
    void clear(CellRef ref);
    void set(CellRef ref, const Value& value);

    // Convenience for the cell maps: "D2" style addresses.
    void setText(const char* address, const QString& text) { setText(at(address), text); }
    static CellRef at(const char* address);
    static CellRef at(char column, int row) { return CellRef{row, column - 'A' + 1}; }

    // What the template's input sheet holds in a cell: a constant, or a
    // formula with its leading '='.
    void setTemplateCell(CellRef ref, const QString& content);
    // Where to look for the template's content of cells not given with
    // setTemplateCell; asked once per cell.
    void setTemplateReader(std::function<QString(CellRef)> reader) { m_reader = std::move(reader); }

    bool isWritten(CellRef ref) const { return m_cells.find(ref) != m_cells.end(); }
    Value value(CellRef ref) const;
    // The text the cell shows after the fill (empty for an empty cell).
    QString read(CellRef ref) const;
    QString text(const char* address) const { return read(at(address)); }

    // Compares two cell values as the spreadsheet does: numbers (numeric
    // text included) by value, below any other text; an empty cell counts
    // as 0 against a number and as "" against text. Negative, 0, positive.
    static int compare(const QString& a, const QString& b);

    const std::map<CellRef, Value>& cells() const { return m_cells; }
    // The writes in sheet order (rows ascending, columns within a row);
    // an empty text clears the cell.
    QVector<XlsxCellWrite> writes() const;

private:
    QString resolve(CellRef ref, int depth) const;

    std::map<CellRef, Value> m_cells;
    mutable QHash<CellRef, QString> m_template;
    std::function<QString(CellRef)> m_reader;
};
