#include "TestSupport.h"

#include "AppDir.h"
#include "FolderStore.h"
#include "ProjectRegister.h"
#include "Recordset.h"
#include "Schema.h"

#include <QProcess>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

QStringList ScriptedPrompter::texts() const
{
    QStringList out;
    for (const Message& m : shown)
        out << m.text;
    return out;
}

namespace {

// Making the databases (the national postal table above all) takes a
// moment; each test process does it once and copies the files after that.
QString preparedDatabases()
{
    static QTemporaryDir cache;
    static bool ready = false;
    if (!ready) {
        StorageConfig cfg;
        cfg.appDir = cache.path();
        Storage s(cfg);
        QString error;
        if (!s.initialize(&error))
            qFatal("cannot initialise the test databases: %s", qPrintable(error));
        s.closeAll();
        ready = true;
    }
    return cache.path();
}

// The test server named by SHINSEIDESK_TEST_PG (libpq's key=value form).
struct TestServer {
    QString host = QStringLiteral("127.0.0.1");
    int port = 5432;
    QString user;
    QString adminDb = QStringLiteral("postgres");
};

bool testServer(TestServer* out)
{
    const QString conninfo = qEnvironmentVariable("SHINSEIDESK_TEST_PG").trimmed();
    if (conninfo.isEmpty())
        return false;
    TestServer t;
    for (const QString& part : conninfo.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString key = part.section(QLatin1Char('='), 0, 0);
        const QString value = part.section(QLatin1Char('='), 1);
        if (key == QLatin1String("host"))
            t.host = value;
        else if (key == QLatin1String("port"))
            t.port = value.toInt();
        else if (key == QLatin1String("user"))
            t.user = value;
        else if (key == QLatin1String("dbname"))
            t.adminDb = value;
        else
            qFatal("SHINSEIDESK_TEST_PG: unknown key %s (host, port, user, dbname)", qPrintable(key));
    }
    *out = t;
    return true;
}

const QString kAdminConnection = QStringLiteral("sdtest_admin");

// The administrator's session that creates and drops the tests' databases.
// Its password, like every other, comes from libpq's password file.
QSqlDatabase admin()
{
    if (QSqlDatabase::contains(kAdminConnection)) {
        QSqlDatabase d = QSqlDatabase::database(kAdminConnection);
        if (d.isOpen())
            return d;
    }
    TestServer t;
    testServer(&t);
    QSqlDatabase d = QSqlDatabase::contains(kAdminConnection)
                         ? QSqlDatabase::database(kAdminConnection, false)
                         : QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), kAdminConnection);
    d.setHostName(t.host);
    d.setPort(t.port);
    d.setUserName(t.user);
    d.setDatabaseName(t.adminDb);
    if (!d.open())
        qFatal("cannot reach the PostgreSQL test server (%s): %s", qPrintable(t.host),
               qPrintable(d.lastError().text()));
    return d;
}

bool adminExec(const QString& sql, QString* error)
{
    QSqlQuery q(admin());
    if (q.exec(sql))
        return true;
    if (error)
        *error = q.lastError().text();
    return false;
}

StorageConfig serverConfig(const QString& database)
{
    TestServer t;
    testServer(&t);
    StorageConfig c;
    c.engine = StorageConfig::Engine::PostgreSQL;
    c.host = t.host;
    c.port = t.port;
    c.user = t.user;
    c.database = database;
    return c;
}

QString databasePrefix()
{
    return QStringLiteral("sdt_%1_").arg(QCoreApplication::applicationPid());
}

// Databases left by test processes that died before they could drop them.
void dropStaleDatabases()
{
    QSqlQuery q(admin());
    if (!q.exec(QStringLiteral("SELECT datname FROM pg_database WHERE datname LIKE 'sdt\\_%'")))
        return;
    QStringList stale;
    while (q.next()) {
        const QString name = q.value(0).toString();
        const qint64 pid = name.section(QLatin1Char('_'), 1, 1).toLongLong();
        if (pid > 0 && !QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid)))
            stale << name;
    }
    for (const QString& name : stale)
        adminExec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(Storage::quote(name)), nullptr);
}

void dropProcessDatabases()
{
    if (!QSqlDatabase::contains(kAdminConnection))
        return;
    QSqlQuery q(admin());
    QStringList mine;
    if (q.exec(QStringLiteral("SELECT datname FROM pg_database")))
        while (q.next())
            if (q.value(0).toString().startsWith(databasePrefix()))
                mine << q.value(0).toString();
    for (const QString& name : mine)
        adminExec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(Storage::quote(name)), nullptr);
    QSqlDatabase::database(kAdminConnection, false).close();
}

// The server's counterpart of the file cache: one fully made database per
// test process, copied by CREATE DATABASE … TEMPLATE for each test.
QString preparedServerDatabase()
{
    static QString name;
    if (!name.isEmpty())
        return name;
    dropStaleDatabases();
    const QString tpl = databasePrefix() + QStringLiteral("template");
    QString error;
    if (!adminExec(QStringLiteral("CREATE DATABASE %1 ENCODING 'UTF8' TEMPLATE template0").arg(Storage::quote(tpl)), &error))
        qFatal("cannot create the test template database: %s", qPrintable(error));
    qAddPostRoutine(dropProcessDatabases);
    {
        Storage s(serverConfig(tpl));
        if (!s.initialize(&error))
            qFatal("cannot initialise the test databases: %s", qPrintable(error));
        s.closeAll();
    }
    name = tpl;
    return name;
}

QString newServerDatabase(const QString& templateName, QString* error)
{
    static int counter = 0;
    const QString name = databasePrefix() + QString::number(++counter);
    const QString from = templateName.isEmpty() ? QStringLiteral("template0") : templateName;
    const QString create = QStringLiteral("CREATE DATABASE %1 ENCODING 'UTF8' TEMPLATE %2").arg(Storage::quote(name), Storage::quote(from));
    // Copying the files is several times faster than logging every page
    // (PostgreSQL 15 and later know the choice).
    if (adminExec(create + QStringLiteral(" STRATEGY FILE_COPY"), nullptr) || adminExec(create, error))
        return name;
    return QString();
}

}  // namespace

bool TempAppDir::usingPostgres()
{
    TestServer t;
    return testServer(&t);
}

QString TempAppDir::engineName()
{
    return usingPostgres() ? QStringLiteral("PostgreSQL") : QStringLiteral("SQLite");
}

TempAppDir::TempAppDir()
{
    if (!m_dir.isValid())
        qFatal("cannot create a temporary folder");
    QString error;
    if (usingPostgres()) {
        const QString db = newServerDatabase(preparedServerDatabase(), &error);
        if (db.isEmpty())
            qFatal("cannot create a test database: %s", qPrintable(error));
        m_serverDatabases << db;
        if (!serverConfig(db).writeIni(m_dir.path(), &error))
            qFatal("%s", qPrintable(error));
    } else {
        const QString from = preparedDatabases();
        for (DbFile db : allDbFiles) {
            if (!QFile::copy(QDir(from).filePath(dbFileName(db)), m_dir.filePath(dbFileName(db))))
                qFatal("cannot copy the prepared test databases");
        }
    }
    AppDir::set(m_dir.path());
    StorageConfig cfg;
    if (!StorageConfig::fromAppDir(m_dir.path(), &cfg, &error))
        qFatal("%s", qPrintable(error));
    cfg.busyTimeoutMs = 200;
    m_storage = std::make_unique<Storage>(cfg);
    // The server's copy comes from a template made by initialize() itself.
    if (!usingPostgres() && !m_storage->initialize(&error))
        qFatal("cannot initialise the test databases: %s", qPrintable(error));
}

TempAppDir::~TempAppDir()
{
    m_storage.reset();
    for (const QString& db : m_serverDatabases)
        adminExec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(Storage::quote(db)), nullptr);
}

bool TempAppDir::makeEmptyServerDatabase(StorageConfig* config, QString* error)
{
    if (!usingPostgres()) {
        if (error)
            *error = QStringLiteral("no PostgreSQL test server");
        return false;
    }
    const QString db = newServerDatabase(QString(), error);
    if (db.isEmpty())
        return false;
    m_serverDatabases << db;
    *config = serverConfig(db);
    return true;
}

std::unique_ptr<Storage> TempAppDir::openAnother() const
{
    auto s = std::make_unique<Storage>(m_storage->config());
    return s;
}

WriteLockHolder::WriteLockHolder(Storage& other, DbFile db)
    : m_storage(other)
    , m_db(db)
{
    QSqlDatabase d = other.connection(db, &m_error);
    if (!d.isValid())
        return;
    QSqlQuery q(d);
    if (other.isPostgres()) {
        QStringList tables;
        for (const TableDef& t : DatabaseSchema::builtIn(db).tables)
            tables << Storage::quote(t.name);
        m_held = q.exec(QStringLiteral("BEGIN"))
                 && q.exec(QStringLiteral("LOCK TABLE %1 IN EXCLUSIVE MODE").arg(tables.join(QLatin1String(", "))));
    } else {
        m_held = q.exec(QStringLiteral("BEGIN IMMEDIATE"));
    }
    if (!m_held)
        m_error = q.lastError().text();
}

void WriteLockHolder::release()
{
    if (!m_held)
        return;
    m_held = false;
    QString ignored;
    QSqlQuery q(m_storage.connection(m_db, &ignored));
    q.exec(QStringLiteral("ROLLBACK"));
}

bool setReadOnly(Storage& storage, DbFile db, bool readOnly, QString* error)
{
    QSqlDatabase d = storage.connection(db, error);
    if (!d.isValid())
        return false;
    QSqlQuery q(d);
    const QString sql = storage.isPostgres()
                            ? QStringLiteral("SET default_transaction_read_only = %1").arg(readOnly ? "on" : "off")
                            : QStringLiteral("PRAGMA query_only = %1").arg(readOnly ? 1 : 0);
    if (q.exec(sql))
        return true;
    if (error)
        *error = q.lastError().text();
    return false;
}

ProcessRun runProcess(const QString& program, const QStringList& args, int timeoutMs)
{
    QProcess p;
    p.start(program, args);
    const bool finished = p.waitForFinished(timeoutMs);
    if (!finished)
        p.kill();
    ProcessRun r;
    r.code = finished && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

void put(RowValues& row, std::initializer_list<std::pair<const char*, QVariant>> values)
{
    for (const auto& [column, value] : values)
        row.insert(QString::fromLatin1(column), value);
}

qint64 addFolder(Storage& s, const QString& name)
{
    FolderStore folders(s, FolderStore::Kind::Customers);
    qint64 id = 0;
    QString error;
    if (!folders.add(&id, &error) || !folders.rename(id, name, &error))
        qFatal("%s", qPrintable(error));
    return id;
}

QVariant stored(Storage& s, DbFile db, const QString& table, qint64 id, const char* column)
{
    Recordset rs(s, db);
    rs.open(table, QStringLiteral("ID"), id);
    return rs.value(QString::fromLatin1(column));
}

void expectStored(Storage& s, DbFile db, const char* table, qint64 id,
                  std::initializer_list<std::pair<const char*, QString>> want)
{
    for (const auto& [c, v] : want)
        QCOMPARE(QString::fromLatin1(c) + QLatin1Char('=') + stored(s, db, QString::fromLatin1(table), id, c).toString(),
                 QString::fromLatin1(c) + QLatin1Char('=') + v);
}

QString writeFile(const QString& dir, const QString& name, const QByteArray& bytes)
{
    return writeBytes(QDir(dir).filePath(name), bytes);
}

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return f.readAll();
}

QString writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void setColumns(Storage& s, DbFile db, const char* table, const char* key, const QVariant& value,
                std::initializer_list<std::pair<const char*, QVariant>> columns)
{
    Recordset rs(s, db);
    if (!rs.open(QString::fromLatin1(table), QString::fromLatin1(key), value) || rs.eof())
        qFatal("no %s row with %s %s: %s", table, key, qPrintable(value.toString()), qPrintable(rs.errorString()));
    for (; !rs.eof(); rs.moveNext()) {
        for (const auto& [column, v] : columns)
            rs.setValue(QString::fromLatin1(column), v);
        if (!rs.update())
            qFatal("%s", qPrintable(rs.errorString()));
    }
}

qint64 newProject(Storage& s, qint64 folder, const QDateTime& when)
{
    qint64 bid = 0;
    QString error;
    if (!ProjectRegister(s).createProject(folder, &bid, &error, when))
        qFatal("cannot create a project: %s", qPrintable(error));
    return bid;
}
