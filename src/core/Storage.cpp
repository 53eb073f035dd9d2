#include "Storage.h"

#include "Keyring.h"
#include "Logging.h"
#include "Schema.h"
#include "SchemaUpgrade.h"
#include "TableIo.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>

#include <libpq-fe.h>
#include <sqlite3.h>

namespace {

QAtomicInt g_storageCounter;

// SQLite result codes (the low byte of an extended code).
enum : int {
    kSqliteBusy = 5, kSqliteLocked = 6, kSqliteReadonly = 8, kSqliteIoerr = 10, kSqliteCorrupt = 11,
    kSqliteFull = 13, kSqliteCantopen = 14, kSqliteNotadb = 26,
};

// PostgreSQL error classes (SQLSTATE) that a user can act on.
bool stateIn(const QString& state, std::initializer_list<const char*> codes)
{
    for (const char* c : codes)
        if (state == QLatin1String(c))
            return true;
    return false;
}

PGconn* pgHandle(const QSqlDatabase& d)
{
    const QVariant v = d.driver() ? d.driver()->handle() : QVariant();
    // Qt names the type by libpq's struct tag.
    if (v.isValid() && (qstrcmp(v.typeName(), "PGconn*") == 0 || qstrcmp(v.typeName(), "pg_conn*") == 0))
        return *static_cast<PGconn* const*>(v.constData());
    return nullptr;
}

// digits_of(text): the ASCII digits of a text, in order (NULL for NULL),
// what PostgreSQL gets from regexp_replace(text, '[^0-9]', '', 'g'). Every
// byte of a multi-byte UTF-8 character is above 0x7F, so a byte test is
// enough and full-width digits stay out, as in common::DigitsOnly.
void digitsOf(sqlite3_context* context, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto* text = sqlite3_value_text(argv[0]);
    const int size = sqlite3_value_bytes(argv[0]);
    char small[64];
    char* out = size <= static_cast<int>(sizeof small) ? small : static_cast<char*>(sqlite3_malloc(size));
    if (!out) {
        sqlite3_result_error_nomem(context);
        return;
    }
    int n = 0;
    for (int i = 0; i < size; ++i)
        if (text[i] >= '0' && text[i] <= '9')
            out[n++] = static_cast<char>(text[i]);
    sqlite3_result_text(context, out, n, out == small ? SQLITE_TRANSIENT : sqlite3_free);
}

// The program's own SQL functions on a SQLite connection. Qt's driver here
// runs on the system's libsqlite3, the library this program links.
bool addSqliteFunctions(const QSqlDatabase& d)
{
    const QVariant v = d.driver() ? d.driver()->handle() : QVariant();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        return false;
    sqlite3* handle = *static_cast<sqlite3* const*>(v.constData());
    return handle
        && sqlite3_create_function_v2(handle, "digits_of", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, digitsOf,
                                      nullptr, nullptr, nullptr)
               == SQLITE_OK;
}

// libpq's PGPASSWORD, moved from the environment into memory: every
// program started from here (LibreOffice, the desktop's file opener, a
// mail attachment's viewer) would inherit it otherwise. The password then
// reaches the server only through QSqlDatabase::setPassword.
QString takeEnvironmentPassword()
{
    static QString taken;
    if (qEnvironmentVariableIsSet("PGPASSWORD")) {
        taken = qEnvironmentVariable("PGPASSWORD");
        qunsetenv("PGPASSWORD");
    }
    return taken;
}

}  // namespace

bool StorageConfig::fromAppDir(const QString& appDir, StorageConfig* out, QString* error)
{
    const QString environmentPassword = takeEnvironmentPassword();
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
        c.password = environmentPassword;
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

QString StorageConfig::serverName() const
{
    return QStringLiteral("%1:%2").arg(host).arg(port);
}

QString StorageConfig::keyringKey() const
{
    return QStringLiteral("postgresql://%1@%2:%3/%4").arg(user, host).arg(port).arg(database);
}

bool StorageConfig::writeIni(const QString& dir, QString* error) const
{
    const QString ini = QDir(dir).filePath(QStringLiteral("database.ini"));
    QSettings s(ini, QSettings::IniFormat);
    s.beginGroup(QStringLiteral("postgresql"));
    s.setValue(QStringLiteral("host"), host);
    s.setValue(QStringLiteral("port"), port);
    s.setValue(QStringLiteral("database"), database);
    s.setValue(QStringLiteral("user"), user);
    s.endGroup();
    s.sync();
    if (s.status() != QSettings::NoError) {
        if (error)
            *error = QStringLiteral("設定ファイル「%1」を書き込めません。").arg(ini);
        return false;
    }
    return true;
}

Storage::Storage(StorageConfig config)
    : m_config(std::move(config))
    , m_prefix(QStringLiteral("sd%1_").arg(g_storageCounter.fetchAndAddRelaxed(1)))
{
}

Storage::~Storage()
{
    closeAll();
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
    // The user reads what to do; the log keeps what the engine said.
    qCWarning(lcStorage).noquote() << dbFileName(db) << "code" << e.nativeErrorCode() << "driver:" << e.driverText()
                                   << "database:" << e.databaseText();
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
            if (code == kSqliteReadonly || text.contains(QLatin1String("readonly"))) {
                if (m_readOnly.contains(db))
                    return m_readOnly.value(db) + QStringLiteral("保存はできません。");
                const QString part = unwritablePart(db);
                if (!part.isEmpty())
                    return part + QStringLiteral("保存はできません。");
                return QStringLiteral("データベースファイル「%1」に書き込めません（読み取り専用です）。"
                                      "ファイルの属性と保存先の権限を確認してください。").arg(name);
            }
            if (code == kSqliteCorrupt || code == kSqliteNotadb || text.contains(QLatin1String("not a database"))
                || text.contains(QLatin1String("malformed")))
                return QStringLiteral("データベースファイル「%1」が壊れているか、データベースではありません。"
                                      "バックアップから復元してください。").arg(name);
            if (code == kSqliteFull || text.contains(QLatin1String("disk is full")))
                return QStringLiteral("ディスクの空き容量が足りないため、データベースファイル「%1」に保存できませんでした。"
                                      "保存済みのデータはそのままです。").arg(name);
            if (text.contains(QLatin1String("no such table")) || text.contains(QLatin1String("no such column")))
                return QStringLiteral("データベースファイル「%1」にテーブルまたは列がありません。"
                                      "「shinseidesk-cli --appdir DIR init」で作成してください。\n%2").arg(name, text.trimmed());
            if (code == kSqliteCantopen) {
                const QString part = unwritablePart(db);
                return part.isEmpty() ? QStringLiteral("データベースファイル「%1」を開けません。").arg(name)
                                      : QStringLiteral("データベースファイル「%1」を開けません。").arg(name) + part;
            }
            if (code == kSqliteIoerr)
                return QStringLiteral("データベースファイル「%1」の読み書きでエラーが発生しました。").arg(name);
        }
    }
    if (isPostgres()) {
        const QString state = e.nativeErrorCode();
        const QString server = m_config.serverName();
        if (stateIn(state, {"55P03", "57014", "40P01", "40001", "55006"}))
            return QStringLiteral("データベース「%1」は他のコンピュータまたはプログラムが使用中です。"
                                  "しばらく待ってからもう一度操作してください。").arg(name);
        if (stateIn(state, {"25006", "42501"}))
            return QStringLiteral("データベース「%1」に書き込めません（読み取り専用か、書き込みの権限がありません）。"
                                  "サーバーの設定を確認してください。").arg(name);
        if (stateIn(state, {"53100", "53200"}))
            return QStringLiteral("データベースサーバー %1 のディスクの空き容量が足りないため、データベース「%2」に保存できませんでした。"
                                  "保存済みのデータはそのままです。").arg(server, name);
        // A session the server ended answers without a state; the driver
        // then closes it (and libpq marks it bad).
        bool sessionLost = false;
        if (state.isEmpty() && m_names.contains(db)) {
            const QSqlDatabase d = QSqlDatabase::database(m_names.value(db), false);
            PGconn* conn = pgHandle(d);
            sessionLost = !d.isOpen() || !conn || PQstatus(conn) == CONNECTION_BAD;
        }
        if (state.startsWith(QLatin1String("08")) || stateIn(state, {"57P01", "57P02", "57P03"}) || sessionLost
            || (state.isEmpty() && e.type() == QSqlError::ConnectionError))
            return QStringLiteral("データベースサーバー %1 との接続が切れました（%2）。"
                                  "サーバーとネットワークを確認してから、もう一度操作してください。\n%3")
                .arg(server, name, e.text().trimmed());
        if (stateIn(state, {"42P01", "3F000", "42703"}))
            return QStringLiteral("データベース「%1」にテーブルまたは列がありません。"
                                  "「shinseidesk-cli --appdir DIR init」で作成してください。\n%2").arg(name, e.text().trimmed());
        if (stateIn(state, {"XX001", "XX002"}))
            return QStringLiteral("データベース「%1」のデータが壊れています。"
                                  "サーバーの管理者に連絡し、バックアップから復元してください。").arg(name);
    }
    return QStringLiteral("データベース「%1」の操作に失敗しました。\n%2").arg(name, e.text().trimmed());
}

QString Storage::unwritablePart(DbFile db) const
{
    if (isPostgres())
        return {};
    const QString path = filePath(db);
    const QFileInfo file(path);
    if (!QFileInfo(file.absolutePath()).isWritable())
        return QStringLiteral("アプリケーションフォルダ「%1」に書き込めません（SQLite はこのフォルダに作業ファイル %2-wal と %2-shm を作ります）。"
                              "フォルダの権限を確認してください。")
            .arg(QDir::toNativeSeparators(file.absolutePath()), dbFileName(db));
    for (const QString& p : {path, path + QStringLiteral("-wal"), path + QStringLiteral("-shm")}) {
        const QFileInfo f(p);
        if (f.exists() && !f.isWritable())
            return QStringLiteral("ファイル「%1」に書き込めません（読み取り専用、または所有者「%2」以外は書き込めません）。"
                                  "ファイルの権限を確認してください。")
                .arg(QDir::toNativeSeparators(p), f.owner());
    }
    return {};
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
        // Only stat() and chmod() here: opening the file ourselves would drop
        // SQLite's locks of the whole process.
        const QFileInfo file(path);
        const QString folder = QDir::toNativeSeparators(file.absolutePath());
        if (file.exists() && file.isWritable()) {
            // SQLite gives a -wal or -shm it creates the database file's
            // permissions; one made while the file was read-only stays so
            // after the file is writable again, and then every write fails.
            for (const char* suffix : {"-wal", "-shm"}) {
                const QFileInfo work(path + QLatin1String(suffix));
                if (work.exists() && !work.isWritable())
                    QFile::setPermissions(work.filePath(), file.permissions());
            }
        }
        m_readOnly.remove(db);
        if (file.exists() && !QFileInfo(file.absolutePath()).isWritable())
            m_readOnly.insert(db, QStringLiteral("アプリケーションフォルダ「%1」に書き込めないため、「%2」を読み取り専用で開いています"
                                                 "（書き込むときは、SQLite がこのフォルダに作業ファイル %2-wal と %2-shm を作ります）。")
                                      .arg(folder, dbFileName(db)));
        else if (file.exists() && !file.isWritable())
            m_readOnly.insert(db, QStringLiteral("データベースファイル「%1」が読み取り専用のため、読み取り専用で開いています。")
                                      .arg(QDir::toNativeSeparators(path)));
        if (m_readOnly.contains(db)) {
            // Reading needs nothing written beside the file. Without a
            // journal to read, "immutable" opens it without a -shm (which
            // the folder may not take, and which would keep the file's
            // read-only permissions afterwards).
            QString uri = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) + QStringLiteral("?mode=ro");
            if (!QFileInfo::exists(path + QStringLiteral("-wal")))
                uri += QStringLiteral("&immutable=1");
            d.setDatabaseName(uri);
            d.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=%1")
                                    .arg(m_config.busyTimeoutMs));
        } else {
            d.setDatabaseName(path);
            d.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(m_config.busyTimeoutMs));
        }
        if (!d.open()) {
            if (error)
                *error = describeError(db, d.lastError());
            return false;
        }
        m_names.insert(db, connName);
        if (!addSqliteFunctions(d)) {
            if (error)
                *error = QStringLiteral("データベース「%1」を開けません（SQLite の関数を登録できません）。").arg(dbFileName(db));
            d.close();
            m_names.remove(db);
            return false;
        }
        // The first statement is where SQLite finds out that a file is not a
        // database, so check here rather than in the middle of a save.
        QSqlQuery q(d);
        const bool readOnly = m_readOnly.contains(db);
        if ((!readOnly && !q.exec(QStringLiteral("PRAGMA journal_mode=WAL")))
            || (!readOnly && !q.exec(QStringLiteral("PRAGMA synchronous=NORMAL")))
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
    if (!openServerConnection(d, create, error))
        return false;
    m_names.insert(db, connName);
    QSqlQuery q(d);
    const QString schema = quote(dbBaseName(db));
    // A lock that another computer holds is waited for as long as SQLite's
    // busy timeout would, then reported as "in use" instead of hanging.
    if (!q.exec(QStringLiteral("SET client_min_messages = warning"))
        || (create && !q.exec(QStringLiteral("CREATE SCHEMA IF NOT EXISTS %1").arg(schema)))
        || !q.exec(QStringLiteral("SET search_path TO %1").arg(schema))
        || !q.exec(QStringLiteral("SET lock_timeout = %1").arg(qMax(1, m_config.busyTimeoutMs)))) {
        if (error)
            *error = describeError(db, q.lastError());
        d.close();
        m_names.remove(db);
        return false;
    }
    return true;
}

bool Storage::openServerConnection(QSqlDatabase& d, bool create, QString* error)
{
    d.setHostName(m_config.host);
    d.setPort(m_config.port);
    d.setDatabaseName(m_config.database);
    d.setUserName(m_config.user);
    d.setPassword(m_config.password);
    d.setConnectOptions(QStringLiteral("connect_timeout=10;application_name=shinseidesk"));
    if (d.open())
        return true;
    QString failure = d.lastError().text().trimmed();
    // Without a password of ours libpq tried ~/.pgpass; the desktop keyring
    // is the other place a password may be kept. Asked once per storage.
    if (m_config.password.isEmpty() && !m_keyringTried) {
        m_keyringTried = true;
        QString password, ignored;
        if (Keyring::readPassword(m_config.keyringKey(), &password, &ignored) && !password.isEmpty()) {
            m_config.password = password;
            d.setPassword(password);
            if (d.open())
                return true;
            failure = d.lastError().text().trimmed();
        }
    }
    // "init" on a server whose database the administrator has not made yet.
    QString createError;
    if (create && createServerDatabase(&createError) && d.open())
        return true;
    qCWarning(lcStorage).noquote() << "cannot connect to" << m_config.serverName() << m_config.database << ":" << failure
                                   << createError;
    if (error) {
        *error = QStringLiteral("データベースサーバー %1 に接続できません（データベース「%2」、ユーザー「%3」）。\n"
                                "サーバーが起動していること、ネットワーク、database.ini の設定と、"
                                "パスワード（キーリングまたは ~/.pgpass）を確認してください。\n%4")
                     .arg(m_config.serverName(), m_config.database, m_config.user, failure);
        if (!createError.isEmpty())
            *error += QLatin1Char('\n') + createError;
    }
    return false;
}

bool Storage::createServerDatabase(QString* error)
{
    const QString name = m_prefix + QStringLiteral("maintenance");
    bool created = false;
    {
        QSqlDatabase m = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        m.setHostName(m_config.host);
        m.setPort(m_config.port);
        m.setDatabaseName(QStringLiteral("postgres"));
        m.setUserName(m_config.user);
        m.setPassword(m_config.password);
        m.setConnectOptions(QStringLiteral("connect_timeout=10"));
        if (m.open()) {
            {
                QSqlQuery q(m);
                q.prepare(QStringLiteral("SELECT 1 FROM pg_database WHERE datname = ?"));
                q.addBindValue(m_config.database);
                if (q.exec() && !q.next()) {
                    created = q.exec(QStringLiteral("CREATE DATABASE %1 ENCODING 'UTF8' TEMPLATE template0")
                                         .arg(quote(m_config.database)));
                    if (!created && error)
                        *error = QStringLiteral("データベース「%1」を作成できません。\n%2")
                                     .arg(m_config.database, q.lastError().text().trimmed());
                }
            }
            m.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return created;
}

QSqlDatabase Storage::connection(DbFile db, QString* error)
{
    // A server restart or a network break leaves a dead session behind;
    // outside a transaction nothing is lost by opening a new one.
    if (isPostgres() && m_names.contains(db) && !inTransaction(db)) {
        QSqlDatabase d = QSqlDatabase::database(m_names.value(db), false);
        PGconn* conn = pgHandle(d);
        if (d.isOpen() && conn && PQstatus(conn) == CONNECTION_BAD)
            d.close();
    }
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
    if (isPostgres()) {
        if (!d.transaction()) {
            if (error)
                *error = describeError(db, d.lastError());
            return false;
        }
    } else {
        // Every transaction of the program writes. Taking the write lock at
        // the start makes two programs queue up (busy timeout) instead of
        // one failing when it upgrades a read that the other's write made
        // stale, and a read inside the transaction sees the latest rows.
        QSqlQuery begin(d);
        if (!begin.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
            if (error)
                *error = describeError(db, begin.lastError());
            return false;
        }
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
    return upgrade(true, error);
}

namespace {

// Two programs starting on a new server at once must not both create or
// seed a database: the second waits for the first and then finds it done.
bool serializeSetUp(QSqlDatabase& d, DbFile db, QSqlError* error)
{
    if (!TableIo::isPostgres(d))
        return true;  // SQLite's write transaction already excludes the other program
    QSqlQuery q(d);
    q.prepare(QStringLiteral("SELECT pg_advisory_xact_lock(?, ?)"));
    q.addBindValue(0x5344);  // "SD"
    q.addBindValue(static_cast<int>(db));
    if (q.exec())
        return true;
    *error = q.lastError();
    return false;
}

}  // namespace

bool Storage::upgrade(bool create, QString* error)
{
    // First every database is looked at without writing: one that a newer
    // program upgraded stops the whole start before anything is changed.
    QVector<DbFile> pending;
    for (DbFile db : allDbFiles) {
        if (!isPostgres() && !QFileInfo::exists(filePath(db))) {
            if (create)
                pending.append(db);
            continue;
        }
        if (!openConnection(db, create, error))
            return false;
        QSqlDatabase d = QSqlDatabase::database(m_names.value(db), false);
        SchemaUpgrade::State state;
        QSqlError e;
        if (!SchemaUpgrade::readState(d, db, QString(), &state, &e)) {
            if (error)
                *error = describeError(db, e);
            return false;
        }
        if (SchemaUpgrade::isNewer(state)) {
            if (error)
                *error = SchemaUpgrade::newerMessage(db, state);
            return false;
        }
        // Only "init" and the window program make a database from nothing.
        if (!SchemaUpgrade::isCurrent(state) && (create || !state.empty))
            pending.append(db);
    }
    // Then one transaction per database; another program that started at
    // the same moment waits for it and finds the work done.
    for (DbFile db : pending) {
        if (!openConnection(db, create, error) || !beginTransaction(db, error))
            return false;
        QSqlDatabase d = QSqlDatabase::database(m_names.value(db), false);
        SchemaUpgrade::State state;
        QSqlError e;
        bool ok = serializeSetUp(d, db, &e) && SchemaUpgrade::readState(d, db, QString(), &state, &e);
        if (ok && !SchemaUpgrade::isCurrent(state))
            ok = SchemaUpgrade::apply(d, db, QString(), state, SchemaUpgrade::dataSteps(), &e);
        if (!ok) {
            if (error)
                *error = e.nativeErrorCode().isEmpty() && e.type() == QSqlError::UnknownError
                             ? QStringLiteral("データベース「%1」を更新できません。何も変更していません。\n%2")
                                   .arg(dbBaseName(db), e.text().trimmed())
                             : describeError(db, e);
            rollback(db);
            return false;
        }
        if (!commit(db, error))
            return false;
    }
    return true;
}

bool Storage::bulkInsert(DbFile db, const QString& table, const QStringList& columns,
                         const QVector<QVector<QVariant>>& rows, QString* error)
{
    const TableDef* t = DatabaseSchema::builtIn(db).table(table);
    if (!t) {
        if (error)
            *error = QStringLiteral("テーブル %1 はデータベース「%2」にありません。").arg(table, dbBaseName(db));
        return false;
    }
    QSqlDatabase d = connection(db, error);
    if (!d.isValid() || !beginTransaction(db, error))
        return false;
    QSqlError e;
    bool ok = TableIo::insertRows(d, QString(), *t, columns, rows, &e);
    // Rows brought in with their own IDs: new rows continue after them.
    if (ok && columns.contains(QStringLiteral("ID"), Qt::CaseInsensitive) && isPostgres()) {
        qint64 highest = 0;
        ok = TableIo::idCounter(d, QString(), t->name, &highest, &e)
             && TableIo::setIdCounter(d, QString(), t->name, highest, &e);
    }
    if (!ok) {
        if (error)
            *error = describeError(db, e);
        rollback(db);
        return false;
    }
    return commit(db, error);
}

bool Storage::checkIntegrity(DbFile db, QStringList* problems, QString* error)
{
    QSqlDatabase d = connection(db, error);
    if (!d.isValid())
        return false;
    QSqlError e;
    QStringList found;
    if (TableIo::integrityCheck(d, &found, &e))
        return true;
    if (problems)
        *problems = found;
    if (error)
        *error = e.isValid() ? describeError(db, e)
                             : QStringLiteral("データベースファイル「%1」に不整合があります。\n%2")
                                   .arg(dbFileName(db), found.mid(0, 10).join(QLatin1Char('\n')));
    return false;
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
