#pragma once

#include "DbFile.h"

#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

// Where the databases live. Without database.ini the SQLite files of the
// application directory are used; with it, one PostgreSQL database.
struct StorageConfig {
    enum class Engine { SQLite, PostgreSQL };

    QString appDir;
    Engine engine = Engine::SQLite;
    QString host;
    int port = 5432;
    QString database;
    QString user;
    QString password;  // never read from a file of ours; libpq also reads ~/.pgpass
    int busyTimeoutMs = 10000;

    // Reads appDir/database.ini when present. An unreadable or incomplete
    // file is an error rather than a silent fall-back to the local files,
    // which would split the office's register in two.
    static bool fromAppDir(const QString& appDir, StorageConfig* out, QString* error);
    QString describe() const;
    // "host:port" of the server, for messages.
    QString serverName() const;
    // The desktop keyring entry that holds this account's password.
    QString keyringKey() const;
    // Writes appDir/database.ini for a PostgreSQL configuration (never the
    // password).
    bool writeIni(const QString& appDir, QString* error) const;
};

// Connections to the seven databases of one application directory. Each
// database has one connection that stays open for the life of the object;
// an operation that fails leaves a Japanese message naming the file.
class Storage {
public:
    explicit Storage(StorageConfig config);
    ~Storage();
    Storage(const Storage&) = delete;
    Storage& operator=(const Storage&) = delete;

    const StorageConfig& config() const { return m_config; }
    bool isPostgres() const { return m_config.engine == StorageConfig::Engine::PostgreSQL; }
    QString appDir() const { return m_config.appDir; }
    QString filePath(DbFile db) const;

    // Creates what is missing: database files, tables, columns, indexes and
    // the seeded rows of new code lists, as upgrade(true) does. Existing
    // rows are never touched.
    bool initialize(QString* error);

    // Brings every database up to this program's layout version in place,
    // one transaction per database; a database already there is only read.
    // Refused, with nothing changed, when any database is newer than the
    // program. With create, missing databases are made; without, they are
    // left to "init".
    bool upgrade(bool create, QString* error);

    // The open connection of a database, or an invalid one with *error set.
    // On SQLite it knows digits_of(text), the digits of a text, which
    // PostgreSQL spells regexp_replace(text, '[^0-9]', '', 'g').
    QSqlDatabase connection(DbFile db, QString* error);

    // Opens d (a QPSQL connection of the caller's) on this storage's server
    // with the same account and password: sessions that must outlive or
    // stand apart from the storage's own.
    bool openSideConnection(QSqlDatabase& d, QString* error) { return openServerConnection(d, false, error); }

    // Closes every connection (checkpointing SQLite's journal into the
    // files); the next operation opens them again.
    void closeAll();

    bool beginTransaction(DbFile db, QString* error);
    bool commit(DbFile db, QString* error);
    void rollback(DbFile db);
    bool inTransaction(DbFile db) const { return m_txDepth.value(db) > 0; }

    // Turns a driver error into the message a user reads.
    QString describeError(DbFile db, const class QSqlError& e) const;

    // Adds many rows at once (the national postal table, migrations): COPY
    // on PostgreSQL, one prepared INSERT on SQLite, in one transaction
    // (joining the caller's). Values follow columns, which may include "ID".
    bool bulkInsert(DbFile db, const QString& table, const QStringList& columns,
                    const QVector<QVector<QVariant>>& rows, QString* error);

    // SQLite's integrity check of a database file; *problems gets what it
    // reports. The server checks its own files, so PostgreSQL passes.
    bool checkIntegrity(DbFile db, QStringList* problems, QString* error);

    // Identifier quoting for SQL text (names keep their case on both engines).
    static QString quote(const QString& identifier);

private:
    bool openConnection(DbFile db, bool create, QString* error);
    // The file (or folder) that keeps SQLite from writing a database, as a
    // sentence naming it; empty when every one is writable.
    QString unwritablePart(DbFile db) const;
    bool openServerConnection(QSqlDatabase& d, bool create, QString* error);
    bool createServerDatabase(QString* error);

    StorageConfig m_config;
    QString m_prefix;
    QHash<DbFile, QString> m_names;
    QHash<DbFile, int> m_txDepth;
    QHash<DbFile, bool> m_txAborted;
    bool m_keyringTried = false;
    // Why a database was opened read-only (a folder or file we may not write).
    QHash<DbFile, QString> m_readOnly;
};

// Runs the writes of one operation all or nothing: rolls back unless
// commit() was called and succeeded.
class Transaction {
public:
    Transaction(Storage& storage, DbFile db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    bool isActive() const { return m_active; }
    const QString& errorString() const { return m_error; }
    bool commit();

private:
    Storage& m_storage;
    DbFile m_db;
    bool m_active = false;
    QString m_error;
};

inline uint qHash(DbFile db, uint seed = 0) { return ::qHash(static_cast<int>(db), seed); }
