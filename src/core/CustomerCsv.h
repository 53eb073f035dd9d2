#pragma once

#include "ShiftJis.h"

#include <QFile>
#include <QString>
#include <QStringList>
#include <QVector>

class Storage;

// Customer CSV files: the export of the whole customer master, and the
// import of a file whose columns are assigned to customer fields.
namespace CustomerCsv {

// The 17 header texts of an exported file, in column order.
const QStringList& exportHeader();

// Splits one line into its fields. A field is cut at commas and trimmed of
// blanks; a field in double quotes keeps its commas and blanks, "" inside
// it is one quote, and a quote that does not close the field (one not
// followed by a comma or the line's end) is kept as it is, so files whose
// quotes inside values were never doubled still read right. False with
// *problem set when a quoted field is not closed on its line.
bool splitLine(const QString& line, QStringList* fields, QString* problem = nullptr);

// Writes every customer in table order: the header line and one line per
// customer, every value in double quotes (quotes inside are not doubled),
// CRLF line ends. CP932 unless utf8 (then with a BOM, which Excel needs to
// tell UTF-8). *rows gets the number of customers; with none the file is
// not written. *unmappable counts characters CP932 cannot hold (written
// as '?').
bool exportFile(Storage& storage, const QString& path, bool utf8, int* rows, int* unmappable, QString* error);

// Reads a CSV file record by record, a piece at a time, so that a file of
// any size (or no file at all: a device, binary data) costs bounded memory.
// Records end at CR, LF or CRLF; a line break inside a quoted field (as
// Excel writes a cell with Alt+Enter) belongs to the field, by the same
// quote rules as splitLine(), and is kept as LF.
//
// Control characters other than tab and that line break are taken out of
// the text: no one types them, PostgreSQL refuses NUL in text, and the
// workbooks' XML cannot hold them, so a stored one would break a later
// migration or output far from its cause. They are counted, so that the
// user is told.
class RecordReader {
public:
    // A record longer than this is no customer but a file that is not CSV
    // (no line ends, or an unclosed quote that swallows the rest).
    static constexpr int kMaxRecord = 64 * 1024;  // characters

    explicit RecordReader(const QString& path);

    // The next non-empty record without its line end, and the 1-based line
    // of the file it starts on. False at the end of the file, or on an
    // error: then errorString() names the line.
    bool next(QString* record, int* line);

    ShiftJis::Encoding encoding() const { return m_decoder.encoding(); }
    int removedControls() const { return m_removed; }
    const QString& errorString() const { return m_error; }

private:
    int peek(qsizetype offset);  // the character at m_pos + offset, -1 at the end
    bool fill();
    bool fail(const QString& message);

    QString m_path;
    QFile m_file;
    ShiftJis::StreamDecoder m_decoder;
    QString m_text;  // decoded and not yet consumed from m_pos on
    qsizetype m_pos = 0;
    int m_line = 1;
    int m_removed = 0;
    bool m_eof = false;
    bool m_undecodable = false;
    QString m_error;
};

}  // namespace CustomerCsv

// A customer field a file column can go into.
struct ImportTarget {
    int code = 0;     // 1–16, the order of the drop-down
    QString caption;  // "姓ふりがな", …
    QString column;   // UserMaster column
};

// One import: the file read and split, the first line's columns with
// their assigned targets, and the run that adds the customers.
class CustomerImport {
public:
    // The 16 targets in drop-down order.
    static const QVector<ImportTarget>& targets();
    // The target of a code, nullptr for 0 or an unknown code.
    static const ImportTarget* target(int code);
    // The target a header text is taken for, 0 when none. The rules are
    // tried in order and a later match replaces an earlier one, so
    // "携帯電話番号" is the mobile telephone, not the telephone. The two
    // readings are never recognised: they are always assigned by hand.
    static int recognize(const QString& header);

    explicit CustomerImport(Storage& storage);

    // Reads a UTF-8 (with or without BOM) or CP932 file through to its end
    // and splits every record, keeping only the first one and the count. A
    // record that does not decode, split or fit fails the load with its
    // line number in errorString(). Assigns targets from the first record.
    bool load(const QString& path);

    ShiftJis::Encoding encoding() const { return m_encoding; }
    // The fields of the file's first line: one row of the assignment list each.
    const QStringList& firstLine() const { return m_first; }
    int columnCount() const { return static_cast<int>(m_first.size()); }
    int targetOf(int column) const { return m_targets.value(column); }
    bool isTicked(int column) const { return m_ticked.value(column); }
    // Assigns a target to a column and ticks it (code 0 unticks it).
    void assign(int column, int code);
    void setTicked(int column, bool ticked);
    // True when at least one column of the first line was recognised: the
    // first line is then a header and is not imported.
    bool headerRecognised() const { return m_headerRecognised; }
    bool skipsFirstLine() const { return m_skipFirst; }
    void setSkipFirstLine(bool skip) { m_skipFirst = skip; }
    // The lines the run would add.
    int rowsToImport() const;
    // Control characters the file's fields held, left out of the customers.
    int removedControls() const { return m_removed; }

    // Adds one customer per line, all in one transaction (a line whose
    // ticked columns are all empty, such as the ",,,," rows a spreadsheet
    // leaves under its data, adds nothing and is counted in skippedEmpty()): the ticked
    // columns into their targets (a later column wins over an earlier one
    // with the same target), Name = 姓 followed directly by 名, and the
    // folder in the first slot when folderId > 0. The file is read again,
    // in batches. Nothing stays behind when it fails.
    bool run(qint64 folderId, int* added);

    const QString& errorString() const { return m_error; }
    // Lines of the last run that held nothing to import.
    int skippedEmpty() const { return m_skippedEmpty; }

private:
    bool fail(const QString& message);

    Storage& m_storage;
    ShiftJis::Encoding m_encoding = ShiftJis::Encoding::Utf8;
    QString m_path;
    int m_records = 0;
    int m_removed = 0;
    QStringList m_first;
    QVector<int> m_targets;
    QVector<bool> m_ticked;
    bool m_headerRecognised = false;
    bool m_skipFirst = false;
    int m_skippedEmpty = 0;
    QString m_error;
};
