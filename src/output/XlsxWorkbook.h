#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>
#include <optional>
#include <vector>

class XlsxPackage;
class XlsxStyleSheet;

// A cell position, 1-based: row 1 and column 1 are "A1".
struct CellRef {
    int row = 0;
    int col = 0;

    bool isValid() const { return row > 0 && col > 0; }
    // "A1" style text; an empty string for an invalid reference.
    QString name() const;
    // Parses "D2", "$D$2" or "d2"; an invalid reference when it is none of these.
    static CellRef parse(QStringView address);
    static QString columnName(int col);

    friend bool operator==(CellRef a, CellRef b) { return a.row == b.row && a.col == b.col; }
    friend bool operator!=(CellRef a, CellRef b) { return !(a == b); }
    // Rows first, then columns: the order in which a sheet stores its cells.
    friend bool operator<(CellRef a, CellRef b) { return a.row != b.row ? a.row < b.row : a.col < b.col; }
};
inline size_t qHash(CellRef r, size_t seed = 0) { return ::qHash((static_cast<quint64>(r.row) << 20) ^ r.col, seed); }

// What a cell holds when it is read back.
struct XlsxCell {
    enum class Kind { Empty, Number, Text, Boolean, Error };
    Kind kind = Kind::Empty;
    QString value;    // the text, the number as written in the file, "1"/"0" for booleans
    QString formula;  // without the leading '=', empty when the cell holds a constant
};

// A value to write into one cell.
struct XlsxCellWrite {
    enum class Kind { Text, Number, Boolean, Clear };
    CellRef ref;
    Kind kind = Kind::Text;
    QString value;  // Number: decimal text as it goes into the file; Boolean: "1" or "0"
};

// How a cell is formatted, as far as the program reads it back.
struct XlsxCellStyle {
    QString fontName;
    double fontSize = 0;
    bool bold = false;
    bool italic = false;
    QString fontColor;  // "FFRRGGBB" when the font has a colour of its own, else empty
    // Line style names of the edges as the file spells them ("thin",
    // "hair", "dotted" …), empty where there is no line.
    QString borderLeft;
    QString borderRight;
    QString borderTop;
    QString borderBottom;
};

// A change of cell formatting; what is not set stays as each cell has it.
struct XlsxFormat {
    std::optional<QString> fontName;
    std::optional<double> fontSize;
    std::optional<bool> italic;
    std::optional<quint32> fontColor;     // 0xRRGGBB
    std::optional<QString> bottomBorder;  // line style name; empty removes the line

    bool isEmpty() const { return !fontName && !fontSize && !italic && !fontColor && !bottomBorder; }
};

// An Office Open XML workbook (.xlsx) opened in place and patched part by
// part: only the parts that an operation changes are rewritten when the
// workbook is saved, every other entry of the file keeps its bytes. A
// changed part is edited through an XML parser's tree, so the rows, cells
// and settings that were not touched (a user's own formatting of the
// template) stay as they were.
//
// The archive, relationships and content types are XlsxPackage's; the
// rows and cells of a sheet XlsxWorksheet's; this class keeps the sheets,
// the shared strings and the workbook-wide settings.
//
// Every operation returns false and sets errorString() when it fails; the
// texts are Japanese because they reach the user.
class XlsxWorkbook {
public:
    XlsxWorkbook();
    ~XlsxWorkbook();
    XlsxWorkbook(const XlsxWorkbook&) = delete;
    XlsxWorkbook& operator=(const XlsxWorkbook&) = delete;

    // Opens the file for reading and patching. A file that is not a zip
    // archive or not a spreadsheet workbook is refused.
    bool open(const QString& path);
    bool isOpen() const;
    QString path() const { return m_path; }
    // Drops every change and closes the file.
    void close();
    QString errorString() const { return m_error; }

    QStringList sheetNames() const;
    bool hasSheet(const QString& sheet) const;
    // Identifies the sheet's content as stored in the file (CRC-32 and
    // size of its part), so that what is derived from an unchanged sheet
    // can be kept between openings. 0 when the sheet is missing or has
    // changed since the file was opened.
    quint64 sheetFingerprint(const QString& sheet) const;

    bool readCell(const QString& sheet, CellRef ref, XlsxCell* out);
    bool readCell(const QString& sheet, const QString& address, XlsxCell* out);

    // Writes the cells in the order given; a cell named twice keeps the
    // last value. The cell's own style is kept. Text is stored inline, so
    // the file needs no shared-string table of its own.
    bool writeCells(const QString& sheet, const QVector<XlsxCellWrite>& cells);
    bool setText(const QString& sheet, const QString& address, const QString& text);
    bool setNumber(const QString& sheet, const QString& address, double value);
    bool clearCell(const QString& sheet, const QString& address);

    // Hides or shows whole rows first..last (inclusive). Hiding creates the
    // rows that the sheet does not hold yet.
    bool setRowsHidden(const QString& sheet, int firstRow, int lastRow, bool hidden);
    bool isRowHidden(const QString& sheet, int row, bool* hidden);

    // Makes the sheet the active, shown one (and the only selected tab).
    bool selectSheet(const QString& sheet);
    QString activeSheet() const;
    // Hides a sheet from the tab bar and from printing, or shows it again.
    bool setSheetHidden(const QString& sheet, bool hidden);
    bool isSheetHidden(const QString& sheet) const;
    // Drops the sheet's print area. LibreOffice prints a hidden sheet that
    // has one, so a copy meant to print only some sheets needs this.
    bool removePrintArea(const QString& sheet);

    // Formats every cell of a range ("B4" or "B4:X6") as a spreadsheet
    // program formats a selection: each cell keeps what the change does not
    // name. Cells that do not exist yet are created empty. The other cells
    // and the formats they use are not touched.
    bool formatCells(const QString& sheet, const QString& range, const XlsxFormat& format);
    bool readCellStyle(const QString& sheet, const QString& address, XlsxCellStyle* out);

    // Makes every formula compute afresh when the file is opened: asks
    // Excel for a full calculation on load and, as LibreOffice shows the
    // value that a formula cell keeps from its last calculation instead of
    // recalculating, either removes that value from every formula cell of
    // every sheet (Drop) or replaces it with the value computed now from
    // the cells as they are (Compute: the formulas XlsxFormula knows; any
    // other is left without a value, to be computed by the program that
    // opens the file). Computed values let viewers that never calculate
    // (previews, online drives, phones) show the filled forms.
    enum class CachedValues { Drop, Compute };
    bool requestFullRecalculation(CachedValues values = CachedValues::Drop);

    // The cells of the sheet that hold a formula, in the sheet's order.
    bool formulaCells(const QString& sheet, QVector<CellRef>* out);

    // Writes the changed parts back into the file and closes it. Without
    // any change the file is not touched at all.
    bool save();
    // Writes the workbook with its changes to another file (created or
    // overwritten) and closes it; the opened file is left as it was.
    bool saveAs(const QString& path);

    // Names of the entries that save() would rewrite (for diagnostics and tests).
    QStringList changedParts() const;

private:
    struct Sheet;
    struct Book;
    struct Evaluation;
    bool fail(const QString& message);
    bool parseWorkbook();
    Sheet* sheet(const QString& name);
    const Sheet* findSheet(const QString& name) const;
    int indexOf(const Sheet* s) const;
    bool loadSheet(Sheet* s);
    bool rowFailure(const Sheet* s);
    bool sharedString(const QString& index, QString* out);
    bool loadStyles();
    void dropCalcChain();
    bool write(const QString& target, bool always);

    QString m_path;
    QString m_error;
    std::unique_ptr<XlsxPackage> m_package;
    QString m_workbookPath;  // "xl/workbook.xml"
    std::unique_ptr<Book> m_book;
    std::vector<std::unique_ptr<Sheet>> m_sheets;
    bool m_sharedStringsLoaded = false;
    QVector<QString> m_sharedStrings;
    bool m_calcChainDropped = false;
    std::unique_ptr<XlsxStyleSheet> m_styles;
    QString m_stylesPath;
};
