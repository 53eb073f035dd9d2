// The submission set of a fully populated three-building project against
// LibreOffice run per document, measured in the same run:
//   single     - one document (the application) exported to PDF: one LibreOffice run;
//   one by one - every document of the 確認申請 set exported on its own;
//   set        - the whole set: one fill, one LibreOffice run, split and combined;
//   set + 50   - the same with a 50-page A3 drawing appended.
// Prints the medians and the ratios that the targets are set in.
// SD_BENCH_REPS sets the repetitions (default 3).
#include "AppDir.h"
#include "BenchProject.h"
#include "SinseiExcelOutRtn.h"
#include "SubmissionSet.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

// A 50-page A3 drawing of simple vector content.
void writeDrawing(const QString& path)
{
    QPDF pdf;
    pdf.emptyPDF();
    QPDFPageDocumentHelper pages(pdf);
    for (int i = 0; i < 50; ++i) {
        QPDFObjectHandle page = pdf.makeIndirectObject(
            QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 1190.55 841.89] /Resources << >> >>"));
        std::string content;
        for (int k = 0; k < 200; ++k)
            content += std::to_string(k * 5) + " 0 m " + std::to_string(1190 - k * 5) + " 841 l S\n";
        page.replaceKey("/Contents", QPDFObjectHandle::newStream(&pdf, content));
        pages.addPage(page, false);
    }
    QPDFWriter(pdf, QFile::encodeName(path).constData()).write();
}

double medianMs(int reps, const std::function<bool()>& run)
{
    std::vector<double> times;
    for (int i = 0; i < reps; ++i) {
        QElapsedTimer t;
        t.start();
        if (!run())
            return -1;
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int reps = std::max(1, qEnvironmentVariableIntValue("SD_BENCH_REPS") ? qEnvironmentVariableIntValue("SD_BENCH_REPS") : 3);
    QTemporaryDir work;
    // The documents come from the template of an application directory.
    AppDir::set(work.path());
    if (!QFile::copy(QStringLiteral(SD_TEMPLATE_PATH), SinseiExcelOutRtn::templatePath())) {
        std::fprintf(stderr, "cannot copy the template\n");
        return 1;
    }
    const ProjectData project = BenchProject::fullProject();
    const QString drawing = work.filePath(QStringLiteral("drawing.pdf"));
    writeDrawing(drawing);
    QString error;
    auto fail = [&error]() {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return false;
    };
    const QStringList docs = SubmissionSet::proposedDocuments(QStringLiteral("確認申請"), project);

    const double single = medianMs(reps, [&]() {
        return SinseiExcelOutRtn::exportPdf(project, 0, work.filePath(QStringLiteral("single.pdf")), &error) || fail();
    });
    const double oneByOne = medianMs(1, [&]() {
        for (const QString& d : docs)
            if (!SinseiExcelOutRtn::exportPdf(project, SinseiExcelOutRtn::documentIndex(d),
                                              work.filePath(d + QStringLiteral(".pdf")), &error))
                return fail();
        return true;
    });
    auto runSet = [&](const QStringList& drawings, const QString& dir) {
        QDir().mkpath(dir);
        SubmissionSet::Request r;
        r.kind = QStringLiteral("確認申請");
        r.documents = docs;
        r.drawings = drawings;
        r.outDir = dir;
        SubmissionSet::Result result;
        return SubmissionSet::make(project, r, &result, &error) || fail();
    };
    const double set = medianMs(reps, [&]() { return runSet({}, work.filePath(QStringLiteral("set"))); });
    const double withDrawings =
        medianMs(reps, [&]() { return runSet({drawing}, work.filePath(QStringLiteral("set50"))); });

    std::printf("documents of the set       %s\n", qPrintable(docs.join(QStringLiteral(", "))));
    std::printf("median single document     %9.0f ms\n", single);
    std::printf("one by one (%lld documents)  %9.0f ms\n", static_cast<long long>(docs.size()), oneByOne);
    std::printf("median set                 %9.0f ms\n", set);
    std::printf("median set + 50 pages      %9.0f ms\n", withDrawings);
    if (single > 0 && set > 0) {
        std::printf("set / single               %9.2f x   (target: at most 1.5x)\n", set / single);
        std::printf("one by one / set           %9.2f x   (target: at least 5x)\n", oneByOne / set);
    }
    if (set > 0 && withDrawings > 0)
        std::printf("50 drawing pages add       %9.0f ms  (target: at most 500 ms; difference of medians)\n",
                    withDrawings - set);
    return 0;
}
