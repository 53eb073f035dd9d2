#include "BenchSupport.h"
#include "PostalLookup.h"
#include "Storage.h"

#include <QCoreApplication>
#include <QSet>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

// Look-ups as a user triggers them from a postal or address field, on the
// national table that a fresh application directory is seeded with.
namespace {

struct NationalTable {
    QTemporaryDir dir;
    std::unique_ptr<Storage> storage;

    NationalTable()
    {
        storage = BenchSupport::newOffice(dir.path());
    }
};

NationalTable& table()
{
    static NationalTable t;
    return t;
}

void lookUpCode(benchmark::State& state, const char* code)
{
    PostalLookup lookup(*table().storage);
    const QString text = QString::fromUtf8(code);
    for (auto _ : state) {
        QString field = text, first, second;
        lookup.codeToAddress(false, &field, &first, &second);
        benchmark::DoNotOptimize(second);
    }
}

void lookUpAddress(benchmark::State& state, const char* address)
{
    PostalLookup lookup(*table().storage);
    const QString text = QString::fromUtf8(address);
    for (auto _ : state) {
        QString code = lookup.addressToCode(false, text);
        benchmark::DoNotOptimize(code);
    }
}

// One address in every prefecture, taken from the table: the town of the
// prefecture's most populous municipality (most rows), so that each
// look-up lists that prefecture's municipalities and reads a large one.
void lookUpEveryPrefecture(benchmark::State& state)
{
    Storage& storage = *table().storage;
    QString error;
    QSqlQuery q(storage.connection(DbFile::PostDb, &error));
    QStringList addresses;
    if (!q.exec(QStringLiteral("SELECT \"P_ADR1\", \"P_ADR2\", MIN(\"P_ADR3\"), COUNT(*) AS n FROM \"POST_DB\" "
                               "WHERE \"P_ADR3\" NOT LIKE '%以下に掲載%' GROUP BY \"P_ADR1\", \"P_ADR2\" ORDER BY n DESC"))) {
        state.SkipWithError("cannot read the table");
        return;
    }
    QSet<QString> seen;
    while (q.next())
        if (!seen.contains(q.value(0).toString())) {
            seen.insert(q.value(0).toString());
            addresses << q.value(0).toString() + q.value(1).toString() + q.value(2).toString();
        }
    if (addresses.size() != 47) {
        state.SkipWithError("not 47 prefectures");
        return;
    }
    PostalLookup lookup(storage);
    int found = 0;
    for (auto _ : state) {
        for (const QString& a : std::as_const(addresses))
            found += lookup.addressToCode(false, a).isEmpty() ? 0 : 1;
    }
    state.counters["per_lookup_us"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * 47, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["found"] = static_cast<double>(found) / static_cast<double>(state.iterations());
}

}  // namespace

BENCHMARK(lookUpEveryPrefecture)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK_CAPTURE(lookUpCode, tokyo, "〒100-0001")->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK_CAPTURE(lookUpCode, sapporo, "0600042")->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly();
// Tokyo: the municipality names of about 3,700 rows are scanned, then one ward's rows read.
BENCHMARK_CAPTURE(lookUpAddress, tokyo, "東京都千代田区千代田1-1")->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
// Hokkaido has the most rows and municipalities of any prefecture (about 8,000 rows).
BENCHMARK_CAPTURE(lookUpAddress, hokkaido, "北海道札幌市中央区大通西5丁目")->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
// A town with 町 after the ward: the first municipality end fails, the next one fits.
BENCHMARK_CAPTURE(lookUpAddress, kanda, "東京都千代田区神田神保町1-1")->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
// No prefecture typed: found through the municipality's name.
BENCHMARK_CAPTURE(lookUpAddress, noPrefecture, "千代田区千代田1-1")->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
