#pragma once

#include "PostalLookup.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

class Storage;

// Takes Japan Post's list (KEN_ALL.CSV: Shift_JIS as published, or the
// UTF-8 edition, with or without BOM) into the postal-code table. Japan
// Post also publishes one file per prefecture, so a file replaces the rows
// of the prefectures it holds and keeps the others: a file cut short never
// empties the rest of the country.
class PostalImporter {
public:
    // One prefecture's rows before and after an import.
    struct Change {
        int code = 0;  // 1–47, JIS X 0401
        QString prefecture;
        int before = 0;
        int after = 0;
    };
    // The 47 prefecture names by code (index 0 is empty).
    static const QStringList& prefectureNames();

    // Called while rows are written: rows done so far and the total.
    using Progress = std::function<void(int done, int total)>;

    explicit PostalImporter(Storage& storage);

    void setProgress(Progress progress) { m_progress = std::move(progress); }

    // Reads the file and, in one transaction, replaces the rows of every
    // prefecture in it. With wholeCountry the table is emptied first, which
    // a file must earn by holding all 47 prefectures. On any error the
    // table keeps its old rows and errorString() says what went wrong and
    // on which line of the file.
    bool importFile(const QString& path, bool wholeCountry = false);
    bool importData(const QByteArray& data, bool wholeCountry = false);

    // The rows the file gives, joined and cleaned, without touching the
    // table. False with errorString() on a malformed file.
    bool parse(const QByteArray& data, QVector<PostalEntry>* out);

    // Rows stored by the last successful import.
    int rowCount() const { return m_rowCount; }
    // What the last successful import changed, by prefecture code.
    const QVector<Change>& changes() const { return m_changes; }
    const QString& errorString() const { return m_error; }

private:
    bool fail(const QString& message);
    bool store(const QVector<PostalEntry>& rows, bool wholeCountry);

    Storage& m_storage;
    Progress m_progress;
    QVector<int> m_sourceLines;  // file line of each parsed row, for messages
    QVector<int> m_prefectures;  // prefecture code of each parsed row
    QVector<Change> m_changes;
    int m_rowCount = 0;
    QString m_error;
};
