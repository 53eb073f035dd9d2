// One output of the application workbook for a fully populated project
// (three buildings, every table filled), against two references measured
// in the same run:
//   floor       - reading the template zip and writing it again unchanged
//                 (what any program that rewrites an xlsx pays at least);
//   LibreOffice - loading the filled workbook in LibreOffice headless and
//                 saving it (what driving a spreadsheet application costs).
// Prints the medians and the ratios that the targets are set in.
#include "BenchProject.h"
#include "BenchSupport.h"
#include "LibreOffice.h"
#include "SinseiExcelOutRtn.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

namespace {

QTemporaryDir& workDir()
{
    static QTemporaryDir dir;
    return dir;
}

QString templatePath()
{
    return QStringLiteral(SD_TEMPLATE_PATH);
}

const ProjectData& project()
{
    static const ProjectData p = BenchProject::fullProject();
    return p;
}

QString filledWorkbook()
{
    static QString path;
    if (path.isEmpty()) {
        path = workDir().filePath(QStringLiteral("filled.xlsx"));
        QString error;
        if (!SinseiExcelOutRtn::fillWorkbook(project(), 0, templatePath(), path, &error))
            BenchSupport::fail(error);
    }
    return path;
}

void BM_FullOutput(benchmark::State& state)
{
    const QString out = workDir().filePath(QStringLiteral("output.xlsx"));
    for (auto _ : state) {
        QString error;
        if (!SinseiExcelOutRtn::fillWorkbook(project(), 0, templatePath(), out, &error)) {
            state.SkipWithError(qPrintable(error));
            break;
        }
    }
}

// Every entry read (inflated) and written again (deflated) into a new file.
void BM_ZipRewriteFloor(benchmark::State& state)
{
    const QByteArray in = QFile::encodeName(templatePath());
    const QByteArray out = QFile::encodeName(workDir().filePath(QStringLiteral("floor.xlsx")));
    for (auto _ : state) {
        int code = 0;
        zip_t* src = zip_open(in.constData(), ZIP_RDONLY, &code);
        zip_t* dst = zip_open(out.constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
        if (!src || !dst) {
            state.SkipWithError("cannot open the zip files");
            break;
        }
        std::vector<QByteArray> buffers;
        const zip_int64_t n = zip_get_num_entries(src, 0);
        buffers.reserve(static_cast<size_t>(n));
        for (zip_int64_t i = 0; i < n; ++i) {
            zip_stat_t st;
            zip_stat_index(src, i, 0, &st);
            QByteArray data(static_cast<int>(st.size), '\0');
            zip_file_t* f = zip_fopen_index(src, i, 0);
            zip_fread(f, data.data(), st.size);
            zip_fclose(f);
            buffers.push_back(data);
            zip_source_t* s = zip_source_buffer(dst, buffers.back().constData(), buffers.back().size(), 0);
            const zip_int64_t at = zip_file_add(dst, st.name, s, ZIP_FL_ENC_UTF_8);
            zip_set_file_compression(dst, at, ZIP_CM_DEFLATE, 6);
        }
        zip_close(dst);
        zip_discard(src);
    }
}

// LibreOffice loads the filled workbook and saves it again as xlsx.
void BM_LibreOfficeRoundTrip(benchmark::State& state)
{
    const QString office = LibreOffice::executable();
    if (office.isEmpty()) {
        state.SkipWithError("LibreOffice is not installed");
        return;
    }
    const QString source = filledWorkbook();
    const QString outDir = workDir().filePath(QStringLiteral("lo-out"));
    QDir().mkpath(outDir);
    const QString profile = LibreOffice::prepareProfile(workDir().filePath(QStringLiteral("lo-profile")));
    const QProcessEnvironment env = LibreOffice::environment(workDir().path());
    for (auto _ : state) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(office, {profile, QStringLiteral("--headless"), QStringLiteral("--norestore"),
                         QStringLiteral("--convert-to"), QStringLiteral("xlsx:Calc MS Excel 2007 XML"),
                         QStringLiteral("--outdir"), outDir, source});
        if (!p.waitForFinished(300000) || !QFile::exists(outDir + QStringLiteral("/filled.xlsx"))) {
            state.SkipWithError("LibreOffice did not save the workbook");
            break;
        }
        QFile::remove(outDir + QStringLiteral("/filled.xlsx"));
    }
}

BENCHMARK(BM_FullOutput)->Unit(benchmark::kMillisecond)->Repetitions(9)->UseRealTime();
BENCHMARK(BM_ZipRewriteFloor)->Unit(benchmark::kMillisecond)->Repetitions(9)->UseRealTime();
BENCHMARK(BM_LibreOfficeRoundTrip)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->UseRealTime();

// Keeps every repetition's wall time per benchmark, to print medians and ratios.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration && !r.error_occurred)
                times[r.run_name.function_name].push_back(r.GetAdjustedRealTime());
        ConsoleReporter::ReportRuns(runs);
    }
    double median(const std::string& name) const
    {
        const auto it = times.find(name);
        if (it == times.end() || it->second.empty())
            return 0;
        std::vector<double> v = it->second;
        std::sort(v.begin(), v.end());
        return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    }
    std::map<std::string, std::vector<double>> times;
};

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double fill = reporter.median("BM_FullOutput");
    const double floor = reporter.median("BM_ZipRewriteFloor");
    const double office = reporter.median("BM_LibreOfficeRoundTrip");
    std::printf("\nmedian full output        %9.2f ms\n", fill);
    std::printf("median zip rewrite floor  %9.2f ms\n", floor);
    std::printf("median LibreOffice load+save %6.0f ms\n", office);
    if (fill > 0 && floor > 0)
        std::printf("output / floor            %9.2f x   (target: within 2x)\n", fill / floor);
    if (fill > 0 && office > 0)
        std::printf("LibreOffice / output      %9.1f x   (target: at least 50x)\n", office / fill);
    benchmark::Shutdown();
    return 0;
}
