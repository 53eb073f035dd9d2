#pragma once

#include "DbFile.h"
#include "Schema.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <functional>

// Whole-table work on one open connection, the same on SQLite and
// PostgreSQL: creating the portable schema, streaming rows in and out with
// their IDs, fingerprints for comparing two copies, and the auto-number
// counters. Storage uses it for set-up and seeding; migration and backup
// use it on connections of their own (one PostgreSQL session for all
// seven schemas, so that a migration is one server transaction).
namespace TableIo {

bool isPostgres(const QSqlDatabase& d);

// "schema"."table", or "table" when schema is empty (SQLite).
QString qualifiedName(const QString& schema, const QString& table);

// What a database (a schema on PostgreSQL, the file on SQLite) already
// holds: the columns of each table in lower case, and the index names.
// One catalog query each, so a start that finds everything in place stays
// cheap.
struct ExistingLayout {
    QHash<QString, QSet<QString>> columns;
    QSet<QString> indexes;
    // The columns of a table, or null when there is no such table.
    const QSet<QString>* columnsOf(const QString& table) const;
};
bool readExistingLayout(QSqlDatabase& d, const QString& schema, ExistingLayout* out, QSqlError* error);

// Creates the missing tables, columns and indexes of one database in
// schema (PostgreSQL) or in the file (SQLite, schema empty). Runs in the
// caller's transaction. *created gets the names of the tables it made.
bool ensureTables(QSqlDatabase& d, DbFile db, const QString& schema, QSqlError* error,
                  QStringList* created = nullptr);
// The same for the tables of layout.
bool ensureTables(QSqlDatabase& d, const DatabaseSchema& layout, const QString& schema, QSqlError* error,
                  QStringList* created = nullptr);

// The columns of a table: "ID" first, then the schema's columns.
QStringList columnNames(const TableDef& t);

// The value as the column stores it: text for text columns, qint64 for
// integers (empty text is null), double for reals. *ok is false when a
// value cannot be stored in a number column.
// Text is taken as a user means it: plain decimal digits with an optional
// sign (full-width ones too), a point only for reals (or followed by zeros
// only, "7.0", for integers); exponents, NaN,
// infinities, fractions in integer columns and integers beyond 64 bits are
// refused rather than rounded or wrapped.
QVariant storedValue(const QVariant& v, ColumnType type, bool* ok);
// The message for a value that storedValue refused in column `column`.
QString numberRefusal(const QString& column, ColumnType type, const QVariant& value);

// Adds rows; values in the order of columns (which may include "ID").
// PostgreSQL streams them with COPY, SQLite repeats one prepared INSERT.
// Runs in the caller's transaction.
bool insertRows(QSqlDatabase& d, const QString& schema, const TableDef& t, const QStringList& columns,
                const QVector<QVector<QVariant>>& rows, QSqlError* error);

// Calls visit for every row in ID order with the values of columnNames(t);
// visit returns false to stop early.
bool readRows(QSqlDatabase& d, const QString& schema, const TableDef& t,
              const std::function<bool(const QVector<QVariant>&)>& visit, QSqlError* error);

// A fingerprint of a table's content: the number of rows and a SHA-256
// over every value in ID order, each in the form its column stores it, so
// that the same rows give the same fingerprint on either engine.
struct Digest {
    qint64 rows = 0;
    QByteArray sha256;
    bool operator==(const Digest& o) const { return rows == o.rows && sha256 == o.sha256; }
    bool operator!=(const Digest& o) const { return !(*this == o); }
    QString hex() const { return QString::fromLatin1(sha256.toHex().left(16)); }
};

class Digester {
public:
    explicit Digester(const TableDef& t);
    ~Digester();
    Digester(const Digester&) = delete;
    Digester& operator=(const Digester&) = delete;
    void add(const QVector<QVariant>& row);  // values of columnNames(t)
    Digest result();

private:
    struct Private;
    Private* d;
};

bool digest(QSqlDatabase& d, const QString& schema, const TableDef& t, Digest* out, QSqlError* error);

// The highest auto number the table has ever handed out (a deleted last
// row still counts: IDs are never given twice).
bool idCounter(QSqlDatabase& d, const QString& schema, const QString& table, qint64* highest, QSqlError* error);
// Makes the next auto number highest + 1.
bool setIdCounter(QSqlDatabase& d, const QString& schema, const QString& table, qint64 highest, QSqlError* error);

// SQLite's own check of a file ("ok" when sound); *problems lists what it
// found. PostgreSQL keeps its files itself: always sound here.
bool integrityCheck(QSqlDatabase& d, QStringList* problems, QSqlError* error);

}  // namespace TableIo
