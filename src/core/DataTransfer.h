#pragma once

#include "DbFile.h"
#include "Storage.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

// Moves the seven databases between the SQLite files of a folder and a
// PostgreSQL server: every table with its ID values and its auto-number
// counter, checked afterwards by row count and fingerprint per table.
// Either the whole copy arrives or nothing changes at the target.
class DataTransfer {
public:
    struct TableResult {
        DbFile db = DbFile::Kakunin;
        QString table;
        qint64 rows = 0;
        QString digest;  // first hex digits of the SHA-256 over the rows
    };
    // Called with a short line per step (for the command line).
    using Progress = std::function<void(const QString&)>;

    explicit DataTransfer(Progress progress = {});

    // The SQLite files of sourceDir → the server of target, in one server
    // transaction. A target that already holds projects or customers is
    // refused unless replace is set; its tables are then emptied first.
    bool toPostgres(const QString& sourceDir, const StorageConfig& target, bool replace);

    // The server of source → new SQLite files in targetDir, read from one
    // consistent snapshot. targetDir must not hold any of the seven files.
    bool toSqlite(const StorageConfig& source, const QString& targetDir);

    // The SQLite files of sourceDir (opened read-only) → new files in
    // targetDir that hold the program's own schema and nothing else: the
    // built-in tables and columns, with the source's rows, IDs and
    // auto-number counters, checked by fingerprint. Whatever else the
    // source holds — tables and columns the program does not know,
    // triggers, views, indexes of its own — stays behind and is named in
    // *leftOut. A built-in table or column the source lacks (an older
    // file) starts empty.
    bool copyOwnSchema(const QString& sourceDir, const QString& targetDir, QStringList* leftOut);

    const QVector<TableResult>& results() const { return m_results; }
    const QString& errorString() const { return m_error; }

private:
    bool fail(const QString& message);
    void note(const QString& line) const;

    Progress m_progress;
    QVector<TableResult> m_results;
    QString m_error;
};
