// A direct mail to a thousand addressees: every label printed to a PDF
// file through the same drawing the label window uses.

#include "LabelLayout.h"
#include "LabelPrint.h"
#include "Prompter.h"

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

LabelJob thousandLabels()
{
    LabelJob job;
    job.layout = LabelLayout::standard();
    job.plan.setLabelsPerSheet(job.layout.labelsPerSheet());
    job.honorific = QStringLiteral("様");
    for (int i = 1; i <= 1000; ++i) {
        Recipient r;
        r.key = i;
        r.postalCode = QStringLiteral("100-%1").arg(i, 4, 10, QLatin1Char('0'));
        r.address1 = QStringLiteral("東京都");
        r.address2 = QStringLiteral("千代田区丸の内%1-%2-%3").arg(i % 9 + 1).arg(i % 7 + 1).arg(i % 13 + 1);
        if (i % 3 == 0)
            r.address2 += QStringLiteral("　丸の内パークビルディング");
        r.address3 = i % 2 ? QStringLiteral("%1階").arg(i % 30 + 1) : QString();
        r.company = i % 4 ? QStringLiteral("株式会社 高橋設計事務所") : QString();
        r.name1 = QStringLiteral("顧客%1").arg(i);
        r.name2 = QStringLiteral("太郎");
        job.recipients.append(r);
    }
    return job;
}

// Answers the print question with Yes, as the user does.
class YesPrompter : public Prompter {
public:
    Button show(const Message& message) override { return message.buttons & Yes ? Yes : message.defaultButton; }
};

void BM_ThousandLabelsToPdf(benchmark::State& state)
{
    int argc = 1;
    char name[] = "bench_labels";
    char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static QApplication app(argc, argv);
    }
    static YesPrompter prompter;
    Prompter::setCurrent(&prompter);
    const LabelJob job = thousandLabels();
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("labels.pdf"));
    int pages = 0;
    for (auto _ : state) {
        const LabelPrint::Outcome outcome = LabelPrint::run(job, PrnCommon::Target{QString(), pdf}, {}, &pages);
        if (outcome != LabelPrint::Outcome::Printed) {
            state.SkipWithError("printing failed");
            return;
        }
    }
    state.counters["pages"] = pages;
    state.counters["labels"] = static_cast<double>(job.recipients.size());
    state.counters["pdf_kB"] = QFileInfo(pdf).size() / 1024.0;
}
BENCHMARK(BM_ThousandLabelsToPdf)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(7)->ReportAggregatesOnly(true);

}  // namespace
