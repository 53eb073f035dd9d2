#include "BenchSupport.h"
#include "ProjectData.h"
#include "ProjectRegister.h"
#include "Storage.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

// The register as an office that has used the program for years sees it:
// ten thousand projects in one folder.
namespace {

constexpr int kProjects = 10000;

struct Register {
    QTemporaryDir dir;
    std::unique_ptr<Storage> storage;
    QVector<qint64> bids;

    Register()
    {
        storage = BenchSupport::newOffice(dir.path());
        QString error;
        ProjectRegister reg(*storage);
        QElapsedTimer t;
        t.start();
        const QDateTime start = QDateTime::currentDateTime();
        for (int i = 0; i < kProjects; ++i) {
            qint64 bid = 0;
            if (!reg.createProject(1, &bid, &error, start.addSecs(i)))
                BenchSupport::fail(error);
            bids.append(bid);
        }
        std::fprintf(stderr, "made %d projects in %.1f s\n", kProjects, t.elapsed() / 1000.0);
    }
};

Register& reg()
{
    static Register r;
    return r;
}

// Selecting a project reads every per-project table and the record book.
void BM_SelectProject(benchmark::State& state)
{
    Register& r = reg();
    int i = 0;
    // Record books are made on first selection; measure the everyday case.
    for (int k = 0; k < 200; ++k) {
        ProjectData p;
        QString error;
        ProjectData::load(*r.storage, r.bids[(k * 7919) % kProjects], &p, &error);
    }
    for (auto _ : state) {
        ProjectData p;
        QString error;
        if (!ProjectData::load(*r.storage, r.bids[((i++ % 200) * 7919) % kProjects], &p, &error))
            state.SkipWithError(qPrintable(error));
        benchmark::DoNotOptimize(p.bid);
    }
}
BENCHMARK(BM_SelectProject)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Opening a folder lists its projects.
void BM_RefillFolder(benchmark::State& state)
{
    Register& r = reg();
    ProjectRegister pr(*r.storage);
    for (auto _ : state) {
        QVector<ProjectItem> items;
        QString error;
        if (!pr.projectsInFolder(1, &items, &error) || items.size() != kProjects)
            state.SkipWithError("folder listing failed");
        benchmark::DoNotOptimize(items.data());
    }
}
BENCHMARK(BM_RefillFolder)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The phone search scans the whole register.
void BM_PhoneSearchMiss(benchmark::State& state)
{
    Register& r = reg();
    ProjectRegister pr(*r.storage);
    for (auto _ : state) {
        ProjectItem found;
        qint64 folder = 0;
        QString error;
        benchmark::DoNotOptimize(pr.findByPhone(QStringLiteral("0999999999"), &found, &folder, &error));
    }
}
BENCHMARK(BM_PhoneSearchMiss)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
