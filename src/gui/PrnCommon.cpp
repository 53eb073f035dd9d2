#include "PrnCommon.h"

#include "FileDialogs.h"
#include "Prompter.h"
#include "SafeFile.h"
#include "WindowPlacement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTextDocument>
#include <QDateTime>

namespace PrnCommon {

namespace {

constexpr double kTwipsPerInch = WindowPlacement::kTwipsPerInch;
constexpr double kCellWidthTwips = 120.0;
constexpr double kCellHeightTwips = 240.0;

PdfPathProvider g_provider;

void showNoPrinter()
{
    Prompter::current().show(
        {PromptTitle::Print, kNoPrinterMessage, Prompter::Icon::Warning, Prompter::Ok, Prompter::Ok});
}

QString askPdfPath(const QString& suggestedName)
{
    if (g_provider)
        return g_provider(suggestedName);
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return FileDialogs::saveFile(nullptr, QStringLiteral("PDFファイルに保存（プリンタがありません）"),
                                 QDir(dir).filePath(suggestedName), QStringLiteral("PDFファイル (*.pdf)"));
}

// Sets the printer up for the target; false with *cancelled when the user
// declined to pick a PDF file.
// A PDF is drawn into a temporary file beside the chosen one (*part) and
// takes the chosen name (*pdfOut) only once complete: a failed or
// cancelled print leaves an earlier file of that name as it was.
bool setUp(QPrinter& printer, const Target& target, const QString& documentName, bool* cancelled, QString* pdfOut,
           QString* part)
{
    *cancelled = false;
    const QString name = documentName.isEmpty()
                             ? QStringLiteral("印刷_%1").arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmmss")))
                             : documentName;
    printer.setDocName(name);
    printer.setPageSize(QPageSize(QPageSize::A4));
    QString pdf = target.pdfPath;
    if (pdf.isEmpty()) {
        QPrinterInfo info = target.printerName.isEmpty() ? QPrinterInfo::defaultPrinter()
                                                         : QPrinterInfo::printerInfo(target.printerName);
        if (info.isNull() && target.printerName.isEmpty() && !QPrinterInfo::availablePrinters().isEmpty())
            info = QPrinterInfo::availablePrinters().first();
        if (!info.isNull()) {
            printer.setPrinterName(info.printerName());
            return printer.isValid();
        }
        if (!target.printerName.isEmpty())
            return false;
        pdf = askPdfPath(name + QStringLiteral(".pdf"));
        if (pdf.isEmpty()) {
            *cancelled = true;
            return false;
        }
    }
    if (FileDialogs::refuseOwnFile(pdf)) {
        *cancelled = true;
        return false;
    }
    const QFileInfo chosen(pdf);
    QTemporaryFile temp(chosen.absolutePath() + QStringLiteral("/.") + chosen.fileName() + QStringLiteral(".XXXXXX"));
    temp.setAutoRemove(false);
    if (!temp.open()) {
        Prompter::current().show({PromptTitle::Error,
                                  QStringLiteral("PDFファイル「%1」を作成できません：%2")
                                      .arg(QDir::toNativeSeparators(pdf), temp.errorString()),
                                  Prompter::Icon::Critical, Prompter::Ok, Prompter::Ok});
        *cancelled = true;
        return false;
    }
    temp.close();
    *pdfOut = chosen.absoluteFilePath();
    *part = temp.fileName();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(*part);
    return true;
}

// Gives a finished PDF its name, or throws away an unfinished one.
bool finishPdf(QString* part, const QString& pdf, bool printed, QString* error)
{
    if (part->isEmpty())
        return printed;
    bool ok = printed;
    if (ok && !SafeFile::move(*part, pdf, error))
        ok = false;
    QFile::remove(*part);
    part->clear();
    return ok;
}

}  // namespace

void setPdfPathProvider(PdfPathProvider provider)
{
    g_provider = std::move(provider);
}

bool PrintText(const QString& text, const Target& target, const QString& documentName)
{
    QPrinter printer(QPrinter::HighResolution);
    bool cancelled = false;
    QString pdf;
    QString part;
    if (!setUp(printer, target, documentName, &cancelled, &pdf, &part)) {
        if (!cancelled)
            showNoPrinter();
        return false;
    }
    QTextDocument doc;
    QFont font(QStringLiteral("ＭＳ 明朝"));
    font.setPointSizeF(10.5);
    doc.setDefaultFont(font);
    doc.setPlainText(text);
    QPainter probe;
    if (!probe.begin(&printer)) {
        finishPdf(&part, pdf, false, nullptr);
        showNoPrinter();
        return false;
    }
    probe.end();
    doc.print(&printer);
    const bool printed = printer.printerState() != QPrinter::Error;
    QString error;
    if (!finishPdf(&part, pdf, printed, &error)) {
        if (error.isEmpty())
            showNoPrinter();
        else
            Prompter::current().show({PromptTitle::Error, error, Prompter::Icon::Critical, Prompter::Ok, Prompter::Ok});
        return false;
    }
    return true;
}

struct Session::Impl {
    QPrinter printer{QPrinter::HighResolution};
    QPainter painter;
    QString pdf;
    QString part;  // the PDF being drawn, until it takes its name
    QString error;
};

Session::Session()
    : d(std::make_unique<Impl>())
{
}

Session::~Session()
{
    end();
    finishPdf(&d->part, d->pdf, false, nullptr);
}

bool Session::begin(const Target& target, const QString& documentName)
{
    bool cancelled = false;
    if (!setUp(d->printer, target, documentName, &cancelled, &d->pdf, &d->part)) {
        if (!cancelled)
            showNoPrinter();
        return false;
    }
    d->printer.setFullPage(true);
    if (!d->painter.begin(&d->printer)) {
        showNoPrinter();
        return false;
    }
    return true;
}

int Session::PrintTextAt(double column, double line, const QString& text, double fontSize, const QString& fontName)
{
    if (!d->painter.isActive()) {
        showNoPrinter();
        return 1;
    }
    QFont font(fontName.isEmpty() ? QStringLiteral("ＭＳ 明朝") : fontName);
    font.setPointSizeF(fontSize > 0 ? fontSize : 10.5);
    d->painter.setFont(font);
    const double dpiX = d->printer.logicalDpiX();
    const double dpiY = d->printer.logicalDpiY();
    const double x = column * kCellWidthTwips / kTwipsPerInch * dpiX;
    const double y = line * kCellHeightTwips / kTwipsPerInch * dpiY;
    // The cell position is the top of the text, as on a character printer.
    const QFontMetricsF fm(font, &d->printer);
    d->painter.drawText(QPointF(x, y + fm.ascent()), text);
    return 0;
}

bool Session::newPage()
{
    return d->painter.isActive() && d->printer.newPage();
}

bool Session::end()
{
    if (!d->painter.isActive())
        return false;
    const bool printed = d->painter.end() && d->printer.printerState() != QPrinter::Error
        && d->printer.printerState() != QPrinter::Aborted;
    return finishPdf(&d->part, d->pdf, printed, &d->error);
}

bool Session::isActive() const { return d->painter.isActive(); }
QPrinter* Session::printer() const { return &d->printer; }
QPainter* Session::painter() const { return &d->painter; }
QString Session::pdfPath() const { return d->pdf; }
QString Session::errorString() const { return d->error; }

}  // namespace PrnCommon
