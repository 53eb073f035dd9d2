#include "BenchSupport.h"
#include "CustomerCsv.h"
#include "ShiftJis.h"
#include "Storage.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

// Memory of a customer import of a million lines: the file is read in
// pieces and written in batches, so the peak stays far below the file's
// size in text. The figure is the process's peak resident set
// (getrusage ru_maxrss), printed once the import is done.
namespace {

using BenchSupport::fail;
using BenchSupport::peakMb;

constexpr int kLines = 1000000;

// CP932 with CRLF as Excel saves it, written in slices so that making the
// file does not itself raise the peak.
void writeCsv(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        fail(QStringLiteral("cannot write %1").arg(path));
    QString text = QStringLiteral("姓,名,郵便番号,都道府県,市区町村,番地,電話番号,メール\r\n");
    for (int i = 0; i < kLines; ++i) {
        text += QStringLiteral("佐藤,太郎%1,100-0001,東京都,千代田区千代田,\"1-1-%2, 見本ビル\",03-%3,c%1@example.jp\r\n")
                    .arg(i)
                    .arg(i % 50)
                    .arg(i % 10000, 4, 10, QLatin1Char('0'));
        if (text.size() > (1 << 20)) {
            f.write(ShiftJis::encode(text));
            text.clear();
        }
    }
    if (f.write(ShiftJis::encode(text)) < 0)
        fail(QStringLiteral("cannot write %1").arg(path));
}

void BM_ImportMillionLines(benchmark::State& state)
{
    QTemporaryDir dir;
    StorageConfig cfg;
    cfg.appDir = dir.path();
    const QString path = dir.filePath(QStringLiteral("million.csv"));
    // Setting up the application directory (the postal table) and making
    // the file happen in a child, so that its peak is not taken for the import's.
    BenchSupport::inChild(
        [&] {
            BenchSupport::newOffice(dir.path());
            writeCsv(path);
        },
        QStringLiteral("setting up the application directory"));
    Storage storage(cfg);
    const double before = peakMb();
    int added = 0;
    for (auto _ : state) {
        CustomerImport import(storage);
        if (!import.load(path) || !import.run(0, &added))
            fail(import.errorString());
    }
    if (added != kLines)
        state.SkipWithError("wrong count");
    const double peak = peakMb();
    state.counters["peak_rss_MB"] = peak;
    state.counters["before_import_MB"] = before;
    std::fprintf(stderr, "imported %d lines (%.0f MB file): peak RSS %.1f MB (%.1f MB before the import)\n", added,
                 static_cast<double>(QFile(path).size()) / (1 << 20), peak, before);
}
BENCHMARK(BM_ImportMillionLines)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
