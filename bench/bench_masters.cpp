#include "BenchSupport.h"
#include "CustomerCsv.h"
#include "CustomerStore.h"
#include "FolderStore.h"
#include "ShiftJis.h"
#include "Storage.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#ifdef SD_BENCH_WINDOWS
#include "M_UserMasterForm.h"
#include "Prompter.h"
#include "UserSearchForm.h"

#include <QApplication>
#include <QLineEdit>
#include <QTreeView>
#include <QTreeWidget>
#endif

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

// The customer master of a large office: a hundred thousand customers
// brought in from a spreadsheet, ten thousand of them in one folder.
namespace {

constexpr int kCustomers = 100000;
constexpr int kInFolder = 10000;

using BenchSupport::fail;

// A spreadsheet's CSV of n customers, CP932 with CRLF as Excel saves it.
QByteArray makeCsv(int n, int offset)
{
    static const char* const surnames[] = {"佐藤", "鈴木", "高橋", "田中", "伊藤", "渡辺", "山本", "中村", "小林", "加藤"};
    static const char* const given[] = {"太郎", "花子", "一郎", "美咲", "健", "陽子", "大輔", "直美"};
    static const char* const prefs[] = {"東京都", "大阪府", "北海道", "福岡県", "愛知県"};
    QString text = QStringLiteral("姓,名,セイ,メイ,生年月日,会社名,部署,郵便番号,都道府県,市区町村,番地,電話番号,FAX,携帯,メール,URL\r\n");
    text.reserve(n * 160);
    for (int k = 0; k < n; ++k) {
        const int i = offset + k;
        text += QString::fromUtf8(surnames[i % 10]) + QLatin1Char(',') + QString::fromUtf8(given[i % 8]) + QString::number(i)
                + QStringLiteral(",さとう,たろう,1970/4/1,\"株式会社 見本, 第%1営業所\",設計部,100-0001,").arg(i % 97)
                + QString::fromUtf8(prefs[i % 5])
                + QStringLiteral(",千代田区千代田,1-1-%1,03-%2-%3,03-0000-0000,090-0000-0000,c%4@example.jp,\r\n")
                      .arg(i % 50)
                      .arg(i / 10000, 4, 10, QLatin1Char('0'))
                      .arg(i % 10000, 4, 10, QLatin1Char('0'))
                      .arg(i);
    }
    return ShiftJis::encode(text);
}

struct Office {
    QTemporaryDir dir;
    std::unique_ptr<Storage> storage;
    QString bigCsv;
    QString folderCsv;
    qint64 folder = 0;

    Office()
    {
        storage = BenchSupport::newOffice(dir.path());
        QString error;
        FolderStore folders(*storage, FolderStore::Kind::Customers);
        qint64 empty = 0;
        if (!folders.add(&folder, &error) || !folders.rename(folder, QStringLiteral("得意先"), &error)
            || !folders.add(&empty, &error) || !folders.rename(empty, QStringLiteral("空"), &error))
            fail(error);
        bigCsv = dir.filePath(QStringLiteral("customers.csv"));
        folderCsv = dir.filePath(QStringLiteral("folder.csv"));
        for (const auto& [path, n, offset] : {std::tuple{bigCsv, kCustomers, 0},
                                              std::tuple{folderCsv, kInFolder, kCustomers}}) {
            QFile f(path);
            if (!f.open(QIODevice::WriteOnly) || f.write(makeCsv(n, offset)) < 0)
                fail(QStringLiteral("cannot write %1").arg(path));
        }
    }

    void clearCustomers()
    {
        QString error;
        QSqlDatabase d = storage->connection(DbFile::SaleData, &error);
        QSqlQuery q(d);
        if (!q.exec(QStringLiteral("DELETE FROM \"UserMaster\"")))
            fail(storage->describeError(DbFile::SaleData, q.lastError()));
    }

    int import(const QString& path, qint64 folderId)
    {
        CustomerImport imp(*storage);
        if (!imp.load(path))
            fail(imp.errorString());
        // The readings are assigned by hand, as in the import window.
        imp.assign(2, 1);
        imp.assign(3, 2);
        int added = 0;
        if (!imp.run(folderId, &added))
            fail(imp.errorString());
        return added;
    }

    // 100,000 customers in the first folder and 10,000 more in the second,
    // for the searches and the listing.
    void fill()
    {
        static bool filled = false;
        if (filled)
            return;
        clearCustomers();
        QElapsedTimer t;
        t.start();
        import(bigCsv, 1);
        import(folderCsv, folder);
        filled = true;
        std::fprintf(stderr, "filled %d customers in %.1f s\n", kCustomers + kInFolder, t.elapsed() / 1000.0);
    }
};

Office& office()
{
    static Office o;
    return o;
}

// Reading, decoding and splitting the file, then adding every customer in
// one transaction: what "登録" of the import window does.
void BM_ImportCsv100k(benchmark::State& state)
{
    Office& o = office();
    for (auto _ : state) {
        state.PauseTiming();
        o.clearCustomers();
        state.ResumeTiming();
        const int added = o.import(o.bigCsv, 1);
        if (added != kCustomers)
            state.SkipWithError("wrong count");
    }
    state.SetItemsProcessed(state.iterations() * kCustomers);
}
BENCHMARK(BM_ImportCsv100k)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);

// The file alone: reading, decoding (CP932) and splitting 100,000 lines.
void BM_ReadCsv100k(benchmark::State& state)
{
    Office& o = office();
    for (auto _ : state) {
        CustomerImport imp(*o.storage);
        if (!imp.load(o.bigCsv) || imp.rowsToImport() != kCustomers)
            state.SkipWithError("load failed");
    }
}
BENCHMARK(BM_ReadCsv100k)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);

// The telephone search when the customer is the last one, and when no one matches.
void BM_PhonePrefixSearch(benchmark::State& state)
{
    Office& o = office();
    o.fill();
    CustomerStore store(*o.storage);
    const QString wanted = state.range(0) ? QStringLiteral("03-0009-9999") : QStringLiteral("06-1234");
    for (auto _ : state) {
        CustomerHit hit;
        bool found = false;
        if (!store.findByPhonePrefix(wanted, &hit, &found))
            state.SkipWithError(qPrintable(store.errorString()));
        if (found != (state.range(0) == 1))
            state.SkipWithError("unexpected result");
        benchmark::DoNotOptimize(hit.id);
    }
}
BENCHMARK(BM_PhonePrefixSearch)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The search window: a part of a name with a telephone part, and all
// fields empty (everyone listed). What the user waits for: the IDs of
// every hit (the count) and the lines of the first page the list shows.
void BM_ConditionSearch(benchmark::State& state)
{
    Office& o = office();
    o.fill();
    CustomerStore store(*o.storage);
    const bool everyone = state.range(0) == 1;
    constexpr int kFirstPage = 100;
    for (auto _ : state) {
        QVector<qint64> ids;
        QVector<CustomerHit> lines;
        const bool ok = everyone ? store.searchIds({}, {}, {}, &ids)
                                 : store.searchIds(QStringLiteral("花子"), QStringLiteral("@example"), QStringLiteral("0005"), &ids);
        if (!ok || !store.hitsOf(ids.mid(0, kFirstPage), &lines))
            state.SkipWithError(qPrintable(store.errorString()));
        benchmark::DoNotOptimize(lines.size());
        state.counters["hits"] = static_cast<double>(ids.size());
    }
}
BENCHMARK(BM_ConditionSearch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Every line of the hits at once, as the address book reads them.
void BM_ConditionSearchAllLines(benchmark::State& state)
{
    Office& o = office();
    o.fill();
    CustomerStore store(*o.storage);
    const bool everyone = state.range(0) == 1;
    for (auto _ : state) {
        QVector<CustomerHit> hits;
        const bool ok = everyone ? store.search({}, {}, {}, &hits)
                                 : store.search(QStringLiteral("花子"), QStringLiteral("@example"), QStringLiteral("0005"), &hits);
        if (!ok)
            state.SkipWithError(qPrintable(store.errorString()));
        benchmark::DoNotOptimize(hits.size());
        state.counters["hits"] = static_cast<double>(hits.size());
    }
}
BENCHMARK(BM_ConditionSearchAllLines)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Listing a folder of 10,000 customers: the five slot queries.
void BM_ListFolder10k(benchmark::State& state)
{
    Office& o = office();
    o.fill();
    CustomerStore store(*o.storage);
    for (auto _ : state) {
        QVector<CustomerListItem> items;
        if (!store.listFolder(o.folder, &items) || items.size() != kInFolder)
            state.SkipWithError("listing failed");
        benchmark::DoNotOptimize(items.size());
    }
}
BENCHMARK(BM_ListFolder10k)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

#ifdef SD_BENCH_WINDOWS
// One application object for the windows' benchmarks.
QApplication& guiApp()
{
    static int argc = 1;
    static char name[] = "bench_masters";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

// The same folder chosen in the customer window: queries, list rows and
// the first customer shown.
void BM_ListFolder10kWindow(benchmark::State& state)
{
    Office& o = office();
    o.fill();
    guiApp();
    StderrPrompter prompter;
    Prompter::setCurrent(&prompter);
    M_UserMasterForm form(*o.storage);
    form.show();
    for (auto _ : state) {
        state.PauseTiming();
        form.selectFolder(2);  // the empty folder
        state.ResumeTiming();
        form.selectFolder(1);
        if (form.recordList()->topLevelItemCount() != kInFolder)
            state.SkipWithError("listing failed");
    }
    Prompter::setCurrent(nullptr);
}
BENCHMARK(BM_ListFolder10kWindow)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// "検索開始" in the search window, up to the first line on screen.
void BM_ConditionSearchWindow(benchmark::State& state)
{
    Office& o = office();
    o.fill();
    guiApp();
    StderrPrompter prompter;
    Prompter::setCurrent(&prompter);
    UserSearchForm form(*o.storage);
    form.show();
    if (state.range(0) == 0) {
        form.findChild<QLineEdit*>(QStringLiteral("NameText"))->setText(QStringLiteral("花子"));
        form.findChild<QLineEdit*>(QStringLiteral("MailText"))->setText(QStringLiteral("@example"));
        form.findChild<QLineEdit*>(QStringLiteral("TelText"))->setText(QStringLiteral("0005"));
    }
    for (auto _ : state) {
        form.search();
        form.resultList()->viewport()->repaint();  // lays out the rows, reads those shown
        const QAbstractItemModel* m = form.resultList()->model();
        if (m->rowCount() == 0 || m->index(0, 0).data().toString().isEmpty())
            state.SkipWithError("nothing listed");
        state.counters["hits"] = m->rowCount();
    }
    Prompter::setCurrent(nullptr);
}
BENCHMARK(BM_ConditionSearchWindow)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
#endif

}  // namespace
