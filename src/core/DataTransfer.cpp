#include "DataTransfer.h"

#include "Logging.h"
#include "Schema.h"
#include "SchemaUpgrade.h"
#include "TableIo.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

namespace {

QAtomicInt g_connections;

// Rows travel in batches so that the national postal table never sits in
// memory twice over.
constexpr int kBatchRows = 5000;

// A new SQLite file written by a transfer, or (readOnly) a source file
// that nothing may change; the connection goes with the object.
class NewSqliteFile {
public:
    explicit NewSqliteFile(const QString& path, bool readOnly = false)
        : m_name(QStringLiteral("sdtransfer_%1").arg(g_connections.fetchAndAddRelaxed(1)))
    {
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        m_db.setDatabaseName(path);
        if (readOnly)
            m_db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        m_open = m_db.open();
    }
    ~NewSqliteFile()
    {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }
    NewSqliteFile(const NewSqliteFile&) = delete;
    NewSqliteFile& operator=(const NewSqliteFile&) = delete;
    bool isOpen() const { return m_open; }
    QSqlDatabase& db() { return m_db; }

private:
    QString m_name;
    QSqlDatabase m_db;
    bool m_open = false;
};

// Copies one table from a source connection to a target connection in
// batches, fingerprinting the rows as they are read.
bool copyTable(QSqlDatabase& from, const QString& fromSchema, QSqlDatabase& to, const QString& toSchema,
               const TableDef& t, TableIo::Digest* sourceDigest, QSqlError* readError, QSqlError* writeError)
{
    const QStringList columns = TableIo::columnNames(t);
    TableIo::Digester digester(t);
    QVector<QVector<QVariant>> batch;
    batch.reserve(kBatchRows);
    bool writeFailed = false;
    const bool read = TableIo::readRows(
        from, fromSchema, t,
        [&](const QVector<QVariant>& row) {
            digester.add(row);
            batch.append(row);
            if (batch.size() < kBatchRows)
                return true;
            writeFailed = !TableIo::insertRows(to, toSchema, t, columns, batch, writeError);
            batch.clear();
            return !writeFailed;
        },
        readError);
    if (!read || writeFailed)
        return false;
    if (!TableIo::insertRows(to, toSchema, t, columns, batch, writeError))
        return false;
    *sourceDigest = digester.result();
    return true;
}

QString describePlain(const QString& where, const QSqlError& e)
{
    return QStringLiteral("%1: %2").arg(where, e.text().trimmed());
}

}  // namespace

DataTransfer::DataTransfer(Progress progress)
    : m_progress(std::move(progress))
{
}

bool DataTransfer::fail(const QString& message)
{
    qCWarning(lcImport).noquote() << "data transfer:" << message;
    m_error = message;
    return false;
}

void DataTransfer::note(const QString& line) const
{
    if (m_progress)
        m_progress(line);
}

bool DataTransfer::toPostgres(const QString& sourceDir, const StorageConfig& targetConfig, bool replace)
{
    m_results.clear();
    m_error.clear();
    StorageConfig sourceConfig;
    sourceConfig.appDir = QDir::cleanPath(QDir(sourceDir).absolutePath());
    Storage source(sourceConfig);
    QString error;
    // A damaged file is not copied onto the server: the office would lose
    // its last good copy without noticing.
    for (DbFile db : allDbFiles) {
        QStringList problems;
        if (!source.connection(db, &error).isValid() || !source.checkIntegrity(db, &problems, &error))
            return fail(error);
    }
    if (!source.upgrade(false, &error))
        return fail(error);

    Storage target(targetConfig);
    QSqlDatabase t = target.connection(DbFile::Kakunin, &error);
    if (!t.isValid())
        return fail(error);
    note(QStringLiteral("移行元: %1").arg(sourceConfig.describe()));
    note(QStringLiteral("移行先: %1").arg(targetConfig.describe()));
    if (!t.transaction())
        return fail(target.describeError(DbFile::Kakunin, t.lastError()));

    auto abandon = [&](const QString& message) {
        t.rollback();
        m_results.clear();
        return fail(message + QStringLiteral("\n移行先は何も変更されていません。"));
    };
    QSqlQuery q(t);
    QSqlError e;
    for (DbFile db : allDbFiles) {
        // A newer program's server data is not replaced by an older layout.
        SchemaUpgrade::State state;
        if (!SchemaUpgrade::readState(t, db, dbBaseName(db), &state, &e))
            return abandon(target.describeError(db, e));
        if (SchemaUpgrade::isNewer(state))
            return abandon(SchemaUpgrade::newerMessage(db, state));
    }
    for (DbFile db : allDbFiles) {
        const QString schema = dbBaseName(db);
        if (!q.exec(QStringLiteral("CREATE SCHEMA IF NOT EXISTS %1").arg(Storage::quote(schema)))
            || !TableIo::ensureTables(t, db, schema, &e))
            return abandon(target.describeError(db, e.isValid() ? e : q.lastError()));
    }
    if (!replace) {
        const QVector<QPair<DbFile, QString>> owned{{DbFile::Kakunin, QStringLiteral("GAIYOU")},
                                                    {DbFile::SaleData, QStringLiteral("UserMaster")}};
        QStringList found;
        for (const auto& o : owned) {
            if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(TableIo::qualifiedName(dbBaseName(o.first), o.second)))
                || !q.next())
                return abandon(target.describeError(o.first, q.lastError()));
            if (q.value(0).toLongLong() > 0)
                found << QStringLiteral("%1 %2 行").arg(o.second).arg(q.value(0).toLongLong());
        }
        if (!found.isEmpty())
            return abandon(QStringLiteral("移行先のデータベースには既にデータがあります（%1）。"
                                          "置き換える場合は --replace を指定してください。")
                               .arg(found.join(QStringLiteral("、"))));
    }
    for (DbFile db : allDbFiles) {
        QStringList tables;
        for (const TableDef& def : DatabaseSchema::builtIn(db).tables)
            tables << TableIo::qualifiedName(dbBaseName(db), def.name);
        if (!q.exec(QStringLiteral("TRUNCATE %1").arg(tables.join(QLatin1String(", ")))))
            return abandon(target.describeError(db, q.lastError()));
    }

    for (DbFile db : allDbFiles) {
        const QString schema = dbBaseName(db);
        QSqlDatabase s = source.connection(db, &error);
        if (!s.isValid())
            return abandon(error);
        // One read transaction per file: its tables come from one moment.
        QSqlQuery snapshot(s);
        if (!snapshot.exec(QStringLiteral("BEGIN")))
            return abandon(source.describeError(db, snapshot.lastError()));
        for (const TableDef& def : DatabaseSchema::builtIn(db).tables) {
            TableIo::Digest before, after;
            QSqlError readError, writeError;
            qint64 counter = 0;
            if (!copyTable(s, QString(), t, schema, def, &before, &readError, &writeError)) {
                snapshot.exec(QStringLiteral("ROLLBACK"));
                return abandon(readError.isValid() ? source.describeError(db, readError)
                                                   : target.describeError(db, writeError));
            }
            if (!TableIo::idCounter(s, QString(), def.name, &counter, &readError)
                || !TableIo::setIdCounter(t, schema, def.name, counter, &writeError)
                || !TableIo::digest(t, schema, def, &after, &writeError)) {
                snapshot.exec(QStringLiteral("ROLLBACK"));
                return abandon(readError.isValid() ? source.describeError(db, readError)
                                                   : target.describeError(db, writeError));
            }
            if (before != after) {
                snapshot.exec(QStringLiteral("ROLLBACK"));
                return abandon(QStringLiteral("テーブル %1.%2 の照合に失敗しました（移行元 %3 行 %4、移行先 %5 行 %6）。")
                                   .arg(schema, def.name)
                                   .arg(before.rows)
                                   .arg(before.hex())
                                   .arg(after.rows)
                                   .arg(after.hex()));
            }
            m_results.append({db, def.name, after.rows, after.hex()});
        }
        snapshot.exec(QStringLiteral("COMMIT"));
        note(QStringLiteral("%1: %2 テーブルを照合しました").arg(schema).arg(DatabaseSchema::builtIn(db).tables.size()));
    }
    if (!t.commit()) {
        const QString message = target.describeError(DbFile::Kakunin, t.lastError());
        return abandon(message);
    }
    return true;
}

bool DataTransfer::toSqlite(const StorageConfig& sourceConfig, const QString& targetDir)
{
    m_results.clear();
    m_error.clear();
    const QString dir = QDir::cleanPath(QDir(targetDir).absolutePath());
    if (!QDir().mkpath(dir))
        return fail(QStringLiteral("フォルダ「%1」を作成できません。").arg(dir));
    for (DbFile db : allDbFiles)
        if (QFileInfo::exists(QDir(dir).filePath(dbFileName(db))))
            return fail(QStringLiteral("フォルダ「%1」には既に %2 があります。空のフォルダを指定してください。")
                            .arg(dir, dbFileName(db)));

    Storage source(sourceConfig);
    QString error;
    if (!source.upgrade(false, &error))
        return fail(error);
    QSqlDatabase p = source.connection(DbFile::Kakunin, &error);
    if (!p.isValid())
        return fail(error);
    note(QStringLiteral("移行元: %1").arg(sourceConfig.describe()));
    note(QStringLiteral("移行先: %1").arg(dir));
    // Every table from one snapshot, while other computers may go on working.
    QSqlQuery snapshot(p);
    if (!snapshot.exec(QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY")))
        return fail(source.describeError(DbFile::Kakunin, snapshot.lastError()));

    QTemporaryDir work(dir + QStringLiteral("/.shinseidesk-transfer-XXXXXX"));
    if (!work.isValid()) {
        snapshot.exec(QStringLiteral("ROLLBACK"));
        return fail(QStringLiteral("フォルダ「%1」に作業用フォルダを作成できません。").arg(dir));
    }
    for (DbFile db : allDbFiles) {
        const QString schema = dbBaseName(db);
        const QString file = work.filePath(dbFileName(db));
        NewSqliteFile f(file);
        QSqlError e;
        auto stop = [&](const QString& message) {
            snapshot.exec(QStringLiteral("ROLLBACK"));
            m_results.clear();
            return fail(message);
        };
        if (!f.isOpen())
            return stop(describePlain(file, f.db().lastError()));
        if (!f.db().transaction() || !TableIo::ensureTables(f.db(), db, QString(), &e))
            return stop(describePlain(dbFileName(db), e.isValid() ? e : f.db().lastError()));
        QVector<TableResult> written;
        for (const TableDef& def : DatabaseSchema::builtIn(db).tables) {
            TableIo::Digest before;
            QSqlError readError, writeError;
            qint64 counter = 0;
            if (!copyTable(p, schema, f.db(), QString(), def, &before, &readError, &writeError)
                || !TableIo::idCounter(p, schema, def.name, &counter, &readError)
                || !TableIo::setIdCounter(f.db(), QString(), def.name, counter, &writeError))
                return stop(readError.isValid() ? source.describeError(db, readError)
                                                : describePlain(dbFileName(db), writeError));
            written.append({db, def.name, before.rows, before.hex()});
        }
        if (!f.db().commit())
            return stop(describePlain(dbFileName(db), f.db().lastError()));
        for (const TableResult& r : written) {
            TableIo::Digest after;
            const TableDef* def = DatabaseSchema::builtIn(db).table(r.table);
            if (!TableIo::digest(f.db(), QString(), *def, &after, &e))
                return stop(describePlain(dbFileName(db), e));
            if (after.rows != r.rows || after.hex() != r.digest)
                return stop(QStringLiteral("テーブル %1.%2 の照合に失敗しました（移行元 %3 行 %4、移行先 %5 行 %6）。")
                                .arg(schema, r.table)
                                .arg(r.rows)
                                .arg(r.digest)
                                .arg(after.rows)
                                .arg(after.hex()));
        }
        m_results += written;
        note(QStringLiteral("%1: %2 テーブルを照合しました").arg(dbFileName(db)).arg(written.size()));
    }
    snapshot.exec(QStringLiteral("COMMIT"));

    // The seven files appear together or not at all.
    QStringList moved;
    for (DbFile db : allDbFiles) {
        const QString to = QDir(dir).filePath(dbFileName(db));
        if (!QFile::rename(work.filePath(dbFileName(db)), to)) {
            for (const QString& m : moved)
                QFile::remove(m);
            m_results.clear();
            return fail(QStringLiteral("%1 を「%2」に置けません。").arg(dbFileName(db), dir));
        }
        moved << to;
    }
    return true;
}

bool DataTransfer::copyOwnSchema(const QString& sourceDir, const QString& targetDir, QStringList* leftOut)
{
    m_results.clear();
    m_error.clear();
    QStringList left;
    for (DbFile db : allDbFiles) {
        const QString name = dbFileName(db);
        NewSqliteFile from(QDir(sourceDir).filePath(name), true);
        if (!from.isOpen())
            return fail(describePlain(name, from.db().lastError()));
        NewSqliteFile to(QDir(targetDir).filePath(name));
        if (!to.isOpen())
            return fail(describePlain(QDir(targetDir).filePath(name), to.db().lastError()));

        // What the source holds: its tables (by name, as SQLite compares
        // them) with their columns, and everything else by kind.
        QSqlQuery q(from.db());
        QHash<QString, QString> tableOf;          // lower-case name → name
        QHash<QString, QStringList> columnsOf;    // name → columns
        QVector<QPair<QString, QString>> others;  // type, name
        if (!q.exec(QStringLiteral("SELECT type, name FROM sqlite_master WHERE name NOT LIKE 'sqlite\\_%' ESCAPE '\\' "
                                   "ORDER BY type, name")))
            return fail(describePlain(name, q.lastError()));
        while (q.next()) {
            const QString type = q.value(0).toString();
            const QString n = q.value(1).toString();
            if (type == QLatin1String("table"))
                tableOf.insert(n.toLower(), n);
            else
                others.append({type, n});
        }
        for (const QString& t : tableOf) {
            QSqlQuery c(from.db());
            c.prepare(QStringLiteral("SELECT name FROM pragma_table_info(?)"));
            c.addBindValue(t);
            if (!c.exec())
                return fail(describePlain(name, c.lastError()));
            while (c.next())
                columnsOf[t] << c.value(0).toString();
        }

        QSqlError e;
        if (!to.db().transaction() || !TableIo::ensureTables(to.db(), db, QString(), &e))
            return fail(describePlain(name, e.isValid() ? e : to.db().lastError()));
        QSet<QString> known;
        for (const TableDef& def : DatabaseSchema::builtIn(db).tables) {
            known.insert(def.name.toLower());
            const QString source = tableOf.value(def.name.toLower());
            if (source.isEmpty())
                continue;
            const QStringList have = columnsOf.value(source);
            auto has = [&have](const QString& column) {
                for (const QString& h : have)
                    if (h.compare(column, Qt::CaseInsensitive) == 0)
                        return true;
                return false;
            };
            if (!has(QStringLiteral("ID")))
                return fail(QStringLiteral("%1 のテーブル %2 に列 ID がありません（ShinseiDesk のデータベースではないか、"
                                           "壊れています）。").arg(name, def.name));
            TableDef present{def.name, {}};
            for (const ColumnDef& c : def.columns)
                if (has(c.name))
                    present.columns << c;
            for (const QString& h : have)
                if (h.compare(QLatin1String("ID"), Qt::CaseInsensitive) != 0 && !def.column(h))
                    left << QStringLiteral("%1: 列 %2.%3").arg(name, def.name, h);
            TableIo::Digest before, after;
            QSqlError readError, writeError;
            qint64 counter = 0;
            if (!copyTable(from.db(), QString(), to.db(), QString(), present, &before, &readError, &writeError)
                || !TableIo::idCounter(from.db(), QString(), source, &counter, &readError)
                || !TableIo::setIdCounter(to.db(), QString(), def.name, counter, &writeError)
                || !TableIo::digest(to.db(), QString(), present, &after, &writeError))
                return fail(describePlain(name, readError.isValid() ? readError : writeError));
            if (before != after)
                return fail(QStringLiteral("テーブル %1.%2 の照合に失敗しました（%3 行 %4、%5 行 %6）。")
                                .arg(name, def.name)
                                .arg(before.rows)
                                .arg(before.hex())
                                .arg(after.rows)
                                .arg(after.hex()));
            m_results.append({db, def.name, after.rows, after.hex()});
        }
        for (const QString& t : tableOf)
            if (!known.contains(t.toLower()))
                left << QStringLiteral("%1: テーブル %2").arg(name, t);
        // Indexes the program makes itself are made afresh; any other
        // index, and every trigger and view, stays behind.
        QSet<QString> ownIndexes;
        QSqlQuery own(to.db());
        if (own.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index'")))
            while (own.next())
                ownIndexes.insert(own.value(0).toString().toLower());
        for (const auto& [type, n] : others) {
            if (type == QLatin1String("index") && ownIndexes.contains(n.toLower()))
                continue;
            const QString kind = type == QLatin1String("index")     ? QStringLiteral("インデックス")
                                 : type == QLatin1String("trigger") ? QStringLiteral("トリガー")
                                 : type == QLatin1String("view")    ? QStringLiteral("ビュー")
                                                                    : type;
            left << QStringLiteral("%1: %2 %3").arg(name, kind, n);
        }
        if (!to.db().commit())
            return fail(describePlain(name, to.db().lastError()));
    }
    if (leftOut)
        *leftOut = left;
    return true;
}
