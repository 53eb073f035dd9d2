#pragma once

#include "PostalLookup.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <functional>

class Storage;

// Replaces the postal-code table with Japan Post's list (KEN_ALL.CSV:
// Shift_JIS as published, or the UTF-8 edition, with or without BOM).
class PostalImporter {
public:
    // Called while rows are written: rows done so far and the total.
    using Progress = std::function<void(int done, int total)>;

    explicit PostalImporter(Storage& storage);

    void setProgress(Progress progress) { m_progress = std::move(progress); }

    // Reads the file and replaces every row of POST_DB in one transaction.
    // On any error the table keeps its old rows and errorString() says what
    // went wrong and on which line of the file.
    bool importFile(const QString& path);
    bool importData(const QByteArray& data);

    // The rows the file gives, joined and cleaned, without touching the
    // table. False with errorString() on a malformed file.
    bool parse(const QByteArray& data, QVector<PostalEntry>* out);

    // Rows stored by the last successful import.
    int rowCount() const { return m_rowCount; }
    const QString& errorString() const { return m_error; }

private:
    bool fail(const QString& message);
    bool store(const QVector<PostalEntry>& rows);

    Storage& m_storage;
    Progress m_progress;
    QVector<int> m_sourceLines;  // file line of each parsed row, for messages
    int m_rowCount = 0;
    QString m_error;
};
