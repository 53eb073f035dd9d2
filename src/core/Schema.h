#pragma once

#include "DbFile.h"

#include <QString>
#include <QStringList>
#include <QVector>

// Column types that the portable schema knows. Values a user sees are text;
// flags, keys and counts are integers.
enum class ColumnType { Text, Integer, Real };

struct ColumnDef {
    QString name;
    ColumnType type = ColumnType::Text;
    bool indexed = false;
    // What existing rows get when the column is added to a table, and new
    // rows that leave it out; null when empty.
    QString defaultValue;
};

struct TableDef {
    QString name;
    QVector<ColumnDef> columns;  // without the implicit auto-numbered ID
    // Indexes over several columns, in their order, for look-ups that
    // filter by all of them at once.
    QVector<QStringList> indexes = {};
    // Indexes that only SQLite gets: narrow copies of free texts that a
    // search scans instead of the whole rows. PostgreSQL refuses a row
    // whose index entry passes about 2.7 kB, and would not read the
    // texts from such an index anyway.
    QVector<QStringList> sqliteIndexes = {};

    const ColumnDef* column(const QString& name) const;
    // "ix_TABLE_COLUMN[_COLUMN…]": how the engines know the program's own indexes.
    QString indexName(const QStringList& indexColumns) const;
    // Every index the table has on an engine, single columns first.
    QVector<QStringList> indexesOn(bool postgres) const;
};

// The program's own table in every database: one row per upgrade, the
// last one naming the layout version the database is at.
inline const QString kSchemaInfoTable = QStringLiteral("SchemaInfo");

// The tables of one database, parsed from data/schema/<name>.schema, plus
// kSchemaInfoTable.
struct DatabaseSchema {
    DbFile db = DbFile::Kakunin;
    QVector<TableDef> tables;

    const TableDef* table(const QString& name) const;

    // Parses the text format: "table NAME" lines followed by indented
    // "COLUMN TYPE [index] [default VALUE]" lines and "index COLUMN COLUMN…
    // [(sqlite)]" lines; '#' starts a comment.
    static bool parse(DbFile db, const QString& text, DatabaseSchema* out, QString* error);
    // The schema compiled into the program.
    static const DatabaseSchema& builtIn(DbFile db);
};

// Which database holds a table, looked up in the built-in schemas.
bool findTableDb(const QString& table, DbFile* db);
