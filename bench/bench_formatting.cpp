// The template formatting of the options window ("書式設定"): the four font
// sets applied to every printed sheet of the application workbook's
// template, and the save in place. The window tells the user it takes a
// moment; this is the moment.
#include "OptionStore.h"
#include "ShoshikiSet.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

void formatTemplate(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("確認申請.xlsx"));
    ShoshikiSet::CellList cells;
    QString error;
    if (!ShoshikiSet::loadCellList(QStringLiteral(SD_TEMPLATE_PATH), &cells, &error)) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    OptionValues options;
    options.fonts[0].name = QStringLiteral("ＭＳ ゴシック");
    options.fonts[0].style = QStringLiteral("斜体");
    options.fonts[0].colorIndex = 1;
    options.fonts[1].colorIndex = 13;
    options.lineStyleIndex = 3;
    const auto sets = ShoshikiSet::settingsFrom(options);
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(path);
        QFile::copy(QStringLiteral(SD_TEMPLATE_PATH), path);
        state.ResumeTiming();
        if (!ShoshikiSet::formatWorkbook(path, sets, cells, &error)) {
            state.SkipWithError(qPrintable(error));
            return;
        }
    }
}
BENCHMARK(formatTemplate)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
