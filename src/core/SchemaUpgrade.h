#pragma once

#include "DbFile.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <functional>

// Brings a database made by an earlier release up to this program's layout
// in place: missing tables (with their code lists), columns and indexes,
// then the data steps of the versions in between, then the new version
// recorded in SchemaInfo. A database that a newer program has upgraded is
// never touched.
namespace SchemaUpgrade {

// The layout version this program writes. Raise it whenever data/schema/
// changes or a data step is added. Release 0.1 recorded no version: its
// databases count as version 1.
inline constexpr int kCurrentVersion = 6;
inline constexpr int kUnrecordedVersion = 1;

struct State {
    bool empty = true;  // none of the program's tables exist yet
    int version = 0;    // 0 for an empty database
    QString layout;     // fingerprint of the table layout recorded with the version
    QString program;    // the program that recorded it
    bool complete = false;  // every built-in table, column and index is there
};

// What the database is at; only reads. schema is the PostgreSQL schema, or
// empty for the connection's own (SQLite, or Storage's search_path).
bool readState(QSqlDatabase& d, DbFile db, const QString& schema, State* out, QSqlError* error);

// A fingerprint of the built-in tables, columns and indexes of db,
// recorded with each upgrade so that a support request can tell layouts apart.
QString layoutFingerprint(DbFile db);

// At this program's version with nothing missing: a start only reads. A
// table or column lost at the current version (or added to the schema
// without raising the version) is put back all the same.
bool isCurrent(const State& s);
bool isNewer(const State& s);
// The refusal a user reads for a database that a newer program upgraded.
QString newerMessage(DbFile db, const State& s);

// A step that converts existing rows on the way to version. Runs once, in
// the upgrade's transaction, for databases older than version.
struct DataStep {
    int version = 0;
    DbFile db = DbFile::Kakunin;
    QString what;
    std::function<bool(QSqlDatabase& d, const QString& schema, QSqlError* error)> run;
};
// The program's own steps, in version order.
const QVector<DataStep>& dataSteps();

// The upgrade itself, inside the caller's transaction (which the caller
// rolls back when this fails). from is what readState() found under that
// transaction; steps are normally dataSteps().
bool apply(QSqlDatabase& d, DbFile db, const QString& schema, const State& from, const QVector<DataStep>& steps,
           QSqlError* error);

// readState(), the refusal of a newer database, and apply() in a
// transaction of its own, for a connection outside Storage (a backup's
// files). *message gets a Japanese explanation when it fails.
bool upgradeConnection(QSqlDatabase& d, DbFile db, QString* message);

// The seed rows of a code list (data/seed/<db>/<table>.tsv): false with
// *error when the file is unreadable or names an unknown column; true
// with no columns when the table has no seed.
bool readSeed(DbFile db, const QString& table, QStringList* columns, QVector<QVector<QVariant>>* rows, QString* error);

}  // namespace SchemaUpgrade
