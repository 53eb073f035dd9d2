#include "Storage.h"

#include "Schema.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

QAtomicInt g_storageCounter;
Storage* g_default = nullptr;

QString sqlType(ColumnType t, bool postgres)
{
    switch (t) {
    case ColumnType::Integer: return postgres ? QStringLiteral("BIGINT") : QStringLiteral("INTEGER");
    case ColumnType::Real: return postgres ? QStringLiteral("DOUBLE PRECISION") : QStringLiteral("REAL");
    case ColumnType::Text: break;
    }
    return QStringLiteral("TEXT");
}

// SQLite result codes (the low byte of an extended code).
enum : int {
    kSqliteBusy = 5, kSqliteLocked = 6, kSqliteReadonly = 8, kSqliteIoerr = 10, kSqliteCorrupt = 11,
    kSqliteFull = 13, kSqliteCantopen = 14, kSqliteNotadb = 26,
};

// The columns of a table as the engine has them; empty when the table is missing.
bool existingColumns(const QSqlDatabase& d, const QString& table, QStringList* out)
{
    QSqlQuery q(d);
    const bool postgres = d.driverName() == QLatin1String("QPSQL");
    if (postgres) {
        q.prepare(QStringLiteral("SELECT column_name FROM information_schema.columns "
                                 "WHERE table_schema = current_schema() AND table_name = ? ORDER BY ordinal_position"));
        q.addBindValue(table);
    } else {
        q.prepare(QStringLiteral("SELECT name FROM pragma_table_info(?)"));
        q.addBindValue(table);
    }
    if (!q.exec())
        return false;
    out->clear();
    while (q.next())
        out->append(q.value(0).toString());
    return true;
}

}  // namespace

bool StorageConfig::fromAppDir(const QString& appDir, StorageConfig* out, QString* error)
{
    StorageConfig c;
    c.appDir = QDir::cleanPath(appDir);
    const QString ini = QDir(c.appDir).filePath(QStringLiteral("database.ini"));
    if (QFileInfo::exists(ini)) {
        QSettings s(ini, QSettings::IniFormat);
        if (s.status() != QSettings::NoError) {
            if (error)
                *error = QStringLiteral("設定ファイル「%1」を読み込めません。").arg(ini);
            return false;
        }
        s.beginGroup(QStringLiteral("postgresql"));
        c.engine = StorageConfig::Engine::PostgreSQL;
        c.host = s.value(QStringLiteral("host"), QStringLiteral("localhost")).toString();
        c.port = s.value(QStringLiteral("port"), 5432).toInt();
        c.database = s.value(QStringLiteral("database")).toString();
        c.user = s.value(QStringLiteral("user")).toString();
        s.endGroup();
        if (c.database.isEmpty()) {
            if (error)
                *error = QStringLiteral("設定ファイル「%1」に [postgresql] の database がありません。").arg(ini);
            return false;
        }
        c.password = qEnvironmentVariable("PGPASSWORD");
    }
    *out = c;
    return true;
}

QString StorageConfig::describe() const
{
    if (engine == Engine::PostgreSQL)
        return QStringLiteral("PostgreSQL %1@%2:%3/%4").arg(user, host).arg(port).arg(database);
    return QStringLiteral("SQLite %1").arg(appDir);
}

Storage::Storage(StorageConfig config)
    : m_config(std::move(config))
    , m_prefix(QStringLiteral("sd%1_").arg(g_storageCounter.fetchAndAddRelaxed(1)))
{
}

Storage::~Storage()
{
    closeAll();
    if (g_default == this)
        g_default = nullptr;
}

void Storage::closeAll()
{
    m_txDepth.clear();
    m_txAborted.clear();
    const auto names = m_names.values();
    m_names.clear();
    for (const QString& n : names) {
        {
            QSqlDatabase db = QSqlDatabase::database(n, false);
            if (db.isOpen())
                db.close();
        }
        QSqlDatabase::removeDatabase(n);
    }
}

Storage* Storage::defaultStorage() { return g_default; }
void Storage::setDefaultStorage(Storage* storage) { g_default = storage; }

QString Storage::quote(const QString& identifier)
{
    QString q = identifier;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

QString Storage::filePath(DbFile db) const
{
    return QDir(m_config.appDir).filePath(dbFileName(db));
}

QString Storage::describeError(DbFile db, const QSqlError& e) const
{
    const QString name = isPostgres() ? QStringLiteral("%1（%2）").arg(dbBaseName(db), m_config.describe())
                                      : dbFileName(db);
    if (!isPostgres()) {
        bool ok = false;
        const int code = e.nativeErrorCode().toInt(&ok) & 0xff;
        const QString text = e.text();
        if (ok || !text.isEmpty()) {
            if (code == kSqliteBusy || code == kSqliteLocked || text.contains(QLatin1String("locked")))
                return QStringLiteral("データベースファイル「%1」は他のコンピュータまたはプログラムが使用中です。"
                                      "しばらく待ってからもう一度操作してください。").arg(name);
            if (code == kSqliteReadonly || text.contains(QLatin1String("readonly")))
                return QStringLiteral("データベースファイル「%1」に書き込めません（読み取り専用です）。"
                                      "ファイルの属性と保存先の権限を確認してください。").arg(name);
            if (code == kSqliteCorrupt || code == kSqliteNotadb || text.contains(QLatin1String("not a database"))
                || text.contains(QLatin1String("malformed")))
                return QStringLiteral("データベースファイル「%1」が壊れているか、データベースではありません。"
                                      "バックアップから復元してください。").arg(name);
            if (code == kSqliteFull || text.contains(QLatin1String("disk is full")))
                return QStringLiteral("ディスクの空き容量が足りないため、データベースファイル「%1」に保存できませんでした。"
                                      "保存済みのデータはそのままです。").arg(name);
            if (code == kSqliteCantopen)
                return QStringLiteral("データベースファイル「%1」を開けません。").arg(name);
            if (code == kSqliteIoerr)
                return QStringLiteral("データベースファイル「%1」の読み書きでエラーが発生しました。").arg(name);
        }
    }
    return QStringLiteral("データベース「%1」の操作に失敗しました。\n%2").arg(name, e.text().trimmed());
}

bool Storage::openConnection(DbFile db, bool create, QString* error)
{
    const QString connName = m_prefix + dbBaseName(db);
    if (m_names.contains(db) && QSqlDatabase::database(connName, false).isOpen())
        return true;

    if (!isPostgres()) {
        const QString path = filePath(db);
        if (!create && !QFileInfo::exists(path)) {
            if (error)
                *error = QStringLiteral("データベースファイル「%1」が見つかりません。\n%2")
                             .arg(dbFileName(db), QDir::toNativeSeparators(path));
            return false;
        }
        QSqlDatabase d = QSqlDatabase::contains(connName) ? QSqlDatabase::database(connName, false)
                                                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connName);
        d.setDatabaseName(path);
        d.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(m_config.busyTimeoutMs));
        if (!d.open()) {
            if (error)
                *error = describeError(db, d.lastError());
            return false;
        }
        m_names.insert(db, connName);
        // The first statement is where SQLite finds out that a file is not a
        // database, so check here rather than in the middle of a save.
        QSqlQuery q(d);
        if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !q.exec(QStringLiteral("PRAGMA synchronous=NORMAL"))
            || !q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
            if (error)
                *error = describeError(db, q.lastError());
            d.close();
            m_names.remove(db);
            return false;
        }
        return true;
    }

    QSqlDatabase d = QSqlDatabase::contains(connName) ? QSqlDatabase::database(connName, false)
                                                      : QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connName);
    d.setHostName(m_config.host);
    d.setPort(m_config.port);
    d.setDatabaseName(m_config.database);
    d.setUserName(m_config.user);
    if (!m_config.password.isEmpty())
        d.setPassword(m_config.password);
    d.setConnectOptions(QStringLiteral("connect_timeout=10"));
    if (!d.open()) {
        if (error)
            *error = QStringLiteral("データベースサーバー %1 に接続できません。\n%2")
                         .arg(m_config.describe(), d.lastError().text().trimmed());
        return false;
    }
    m_names.insert(db, connName);
    QSqlQuery q(d);
    const QString schema = quote(dbBaseName(db));
    if ((create && !q.exec(QStringLiteral("CREATE SCHEMA IF NOT EXISTS %1").arg(schema)))
        || !q.exec(QStringLiteral("SET search_path TO %1").arg(schema))) {
        if (error)
            *error = describeError(db, q.lastError());
        d.close();
        m_names.remove(db);
        return false;
    }
    return true;
}

QSqlDatabase Storage::connection(DbFile db, QString* error)
{
    if (!openConnection(db, false, error))
        return {};
    return QSqlDatabase::database(m_names.value(db), false);
}

bool Storage::beginTransaction(DbFile db, QString* error)
{
    QSqlDatabase d = connection(db, error);
    if (!d.isValid())
        return false;
    int& depth = m_txDepth[db];
    if (depth > 0) {  // nested operations join the outer one
        ++depth;
        return true;
    }
    m_txAborted[db] = false;
    if (!d.transaction()) {
        if (error)
            *error = describeError(db, d.lastError());
        return false;
    }
    depth = 1;
    return true;
}

bool Storage::commit(DbFile db, QString* error)
{
    int& depth = m_txDepth[db];
    if (depth <= 0) {
        // An inner step rolled the whole operation back: the outer commit must not report success.
        if (m_txAborted.value(db)) {
            m_txAborted[db] = false;
            if (error)
                *error = QStringLiteral("データベース「%1」への保存は取り消されました。").arg(dbBaseName(db));
            return false;
        }
        return true;
    }
    if (--depth > 0)
        return true;
    QSqlDatabase d = QSqlDatabase::database(m_names.value(db), false);
    if (!d.commit()) {
        if (error)
            *error = describeError(db, d.lastError());
        d.rollback();
        return false;
    }
    return true;
}

void Storage::rollback(DbFile db)
{
    int& depth = m_txDepth[db];
    if (depth <= 0)
        return;
    m_txAborted[db] = depth > 1;
    depth = 0;
    QSqlDatabase d = QSqlDatabase::database(m_names.value(db), false);
    d.rollback();
}

bool Storage::initialize(QString* error)
{
    if (!isPostgres() && !QDir().mkpath(m_config.appDir)) {
        if (error)
            *error = QStringLiteral("フォルダ「%1」を作成できません。").arg(m_config.appDir);
        return false;
    }
    for (DbFile db : allDbFiles) {
        if (!openConnection(db, true, error) || !createTables(db, error) || !seedTables(db, error))
            return false;
    }
    return true;
}

bool Storage::createTables(DbFile db, QString* error)
{
    QSqlDatabase d = QSqlDatabase::database(m_names.value(db), false);
    const DatabaseSchema& schema = DatabaseSchema::builtIn(db);
    if (!beginTransaction(db, error))
        return false;
    QSqlQuery q(d);
    auto run = [&](const QString& sql) {
        if (q.exec(sql))
            return true;
        if (error)
            *error = describeError(db, q.lastError());
        return false;
    };
    for (const TableDef& t : schema.tables) {
        QStringList have;
        if (!existingColumns(d, t.name, &have)) {
            if (error)
                *error = describeError(db, d.lastError());
            rollback(db);
            return false;
        }
        if (have.isEmpty()) {
            QStringList cols;
            cols << (isPostgres() ? QStringLiteral("\"ID\" BIGSERIAL PRIMARY KEY")
                                  : QStringLiteral("\"ID\" INTEGER PRIMARY KEY AUTOINCREMENT"));
            for (const ColumnDef& c : t.columns)
                cols << quote(c.name) + QLatin1Char(' ') + sqlType(c.type, isPostgres());
            if (!run(QStringLiteral("CREATE TABLE %1 (%2)").arg(quote(t.name), cols.join(QLatin1String(", "))))) {
                rollback(db);
                return false;
            }
        } else {
            // An older install: add the columns a newer version knows.
            for (const ColumnDef& c : t.columns) {
                if (have.contains(c.name, Qt::CaseInsensitive))
                    continue;
                if (!run(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3")
                             .arg(quote(t.name), quote(c.name), sqlType(c.type, isPostgres())))) {
                    rollback(db);
                    return false;
                }
            }
        }
        for (const ColumnDef& c : t.columns) {
            if (!c.indexed)
                continue;
            const QString ix = quote(QStringLiteral("ix_%1_%2").arg(t.name, c.name));
            if (!run(QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)").arg(ix, quote(t.name), quote(c.name)))) {
                rollback(db);
                return false;
            }
        }
    }
    return commit(db, error);
}

bool Storage::seedTables(DbFile db, QString* error)
{
    QSqlDatabase d = QSqlDatabase::database(m_names.value(db), false);
    const DatabaseSchema& schema = DatabaseSchema::builtIn(db);
    for (const TableDef& t : schema.tables) {
        QFile f(QStringLiteral(":/seed/%1/%2.tsv").arg(dbBaseName(db), t.name));
        if (!f.exists())
            continue;
        QSqlQuery q(d);
        if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(quote(t.name))) || !q.next()) {
            if (error)
                *error = describeError(db, q.lastError());
            return false;
        }
        if (q.value(0).toLongLong() > 0)
            continue;  // the office's own list: never overwritten
        if (!f.open(QIODevice::ReadOnly)) {
            if (error)
                *error = QStringLiteral("初期データ %1 を読み込めません。").arg(f.fileName());
            return false;
        }
        const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
        if (lines.isEmpty())
            continue;
        const QStringList header = lines.first().trimmed().split(QLatin1Char('\t'));
        QStringList quoted, marks;
        for (const QString& h : header) {
            if (!t.column(h)) {
                if (error)
                    *error = QStringLiteral("初期データ %1 の列 %2 はテーブルにありません。").arg(f.fileName(), h);
                return false;
            }
            quoted << quote(h);
            marks << QStringLiteral("?");
        }
        if (!beginTransaction(db, error))
            return false;
        QSqlQuery ins(d);
        ins.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                        .arg(quote(t.name), quoted.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
        for (int i = 1; i < lines.size(); ++i) {
            QString line = lines[i];
            if (line.endsWith(QLatin1Char('\r')))
                line.chop(1);
            if (line.isEmpty())
                continue;
            const QStringList values = line.split(QLatin1Char('\t'));
            for (int c = 0; c < header.size(); ++c) {
                const QString v = c < values.size() ? values[c] : QString();
                const ColumnDef* col = t.column(header[c]);
                if (v.isEmpty())
                    ins.bindValue(c, QVariant());
                else if (col->type == ColumnType::Integer)
                    ins.bindValue(c, v.toLongLong());
                else if (col->type == ColumnType::Real)
                    ins.bindValue(c, v.toDouble());
                else
                    ins.bindValue(c, v);
            }
            if (!ins.exec()) {
                if (error)
                    *error = describeError(db, ins.lastError());
                rollback(db);
                return false;
            }
        }
        if (!commit(db, error))
            return false;
    }
    return true;
}

Transaction::Transaction(Storage& storage, DbFile db)
    : m_storage(storage)
    , m_db(db)
{
    m_active = m_storage.beginTransaction(db, &m_error);
}

Transaction::~Transaction()
{
    if (m_active)
        m_storage.rollback(m_db);
}

bool Transaction::commit()
{
    if (!m_active)
        return false;
    m_active = false;
    return m_storage.commit(m_db, &m_error);
}
