#include "AppDir.h"
#include "Backup.h"
#include "BenchSupport.h"
#include "DataTransfer.h"
#include "ProjectRegister.h"
#include "Storage.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

// A whole office's databases on each engine: the first start (which seeds
// the national postal table), the move to a server and back, and a backup.
// The server figures need SHINSEIDESK_BENCH_PG naming a database that the
// benchmark may empty, e.g. "host=127.0.0.1 port=55432 user=sdtest dbname=sdbench".
namespace {

using BenchSupport::fail;

bool serverConfig(StorageConfig* out)
{
    const QString conninfo = qEnvironmentVariable("SHINSEIDESK_BENCH_PG");
    if (conninfo.isEmpty())
        return false;
    StorageConfig c;
    c.engine = StorageConfig::Engine::PostgreSQL;
    c.host = QStringLiteral("127.0.0.1");
    for (const QString& part : conninfo.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString key = part.section(QLatin1Char('='), 0, 0), value = part.section(QLatin1Char('='), 1);
        if (key == QLatin1String("host"))
            c.host = value;
        else if (key == QLatin1String("port"))
            c.port = value.toInt();
        else if (key == QLatin1String("user"))
            c.user = value;
        else if (key == QLatin1String("dbname"))
            c.database = value;
    }
    *out = c;
    return !c.database.isEmpty();
}

// The office as it moves: its SQLite files with a few hundred projects.
struct Office {
    QTemporaryDir dir;
    StorageConfig cfg;

    Office()
    {
        cfg.appDir = dir.path();
        AppDir::set(dir.path());
        Storage s(cfg);
        QString error;
        if (!s.initialize(&error))
            fail(error);
        ProjectRegister reg(s);
        const QDateTime start = QDateTime::currentDateTime();
        for (int i = 0; i < 300; ++i) {
            qint64 bid = 0;
            if (!reg.createProject(1, &bid, &error, start.addSecs(i)))
                fail(error);
        }
    }
};

Office& office()
{
    static Office o;
    return o;
}

void emptyServer(const StorageConfig& c)
{
    Storage s(c);
    QString error;
    QSqlDatabase d = s.connection(DbFile::Kakunin, &error);
    if (!d.isValid())
        fail(error);
    QSqlQuery q(d);
    for (DbFile db : allDbFiles)
        if (!q.exec(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(Storage::quote(dbBaseName(db)))))
            fail(q.lastError().text());
}

// The server of SHINSEIDESK_BENCH_PG in *c; false, the benchmark skipped, without one.
bool serverOrSkip(benchmark::State& state, StorageConfig* c)
{
    if (serverConfig(c))
        return true;
    state.SkipWithError("SHINSEIDESK_BENCH_PG is not set");
    return false;
}

// A program's first start on an empty office: every database made.
void firstStart(benchmark::State& state, bool server)
{
    StorageConfig c;
    if (server && !serverOrSkip(state, &c))
        return;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        if (server)
            emptyServer(c);
        else
            c.appDir = dir.path();
        state.ResumeTiming();
        Storage s(c);
        QString error;
        if (!s.initialize(&error))
            fail(error);
    }
}

void firstStartSqlite(benchmark::State& state)
{
    firstStart(state, false);
}

void firstStartServer(benchmark::State& state)
{
    firstStart(state, true);
}

void migrateToServer(benchmark::State& state)
{
    StorageConfig c;
    if (!serverOrSkip(state, &c))
        return;
    Office& o = office();
    for (auto _ : state) {
        DataTransfer t;
        if (!t.toPostgres(o.dir.path(), c, true))
            fail(t.errorString());
    }
}

void exportFromServer(benchmark::State& state)
{
    StorageConfig c;
    if (!serverOrSkip(state, &c))
        return;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir out;
        state.ResumeTiming();
        DataTransfer t;
        if (!t.toSqlite(c, out.path()))
            fail(t.errorString());
    }
}

void backupSqlite(benchmark::State& state)
{
    Office& o = office();
    QTemporaryDir out;
    for (auto _ : state) {
        QString error;
        if (!Backup::create(o.cfg, out.filePath(QStringLiteral("b.zip")), nullptr, &error))
            fail(error);
    }
}

}  // namespace

BENCHMARK(firstStartSqlite)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(firstStartServer)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(migrateToServer)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(exportFromServer)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(backupSqlite)->Unit(benchmark::kMillisecond)->Iterations(3);
