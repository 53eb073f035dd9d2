#pragma once

#include <QString>

#include <functional>
#include <memory>

class QPainter;
class QPrinter;

// Text printing through the system's printers. Without any printer the
// output becomes a PDF file, so that an office without a printer nearby
// still gets its sheet.
namespace PrnCommon {

inline const QString kNoPrinterMessage = QStringLiteral("プリンタが接続されていません。");

// Where print goes. An empty target means the default printer, or a PDF
// file from the PDF path provider when the system has no printer.
struct Target {
    QString printerName;
    QString pdfPath;
};

// Asks for the PDF file when there is no printer; returns an empty path to
// cancel. The windows install a save dialog; tests give a fixed path.
using PdfPathProvider = std::function<QString(const QString& suggestedName)>;
void setPdfPathProvider(PdfPathProvider provider);

// Prints the text in "ＭＳ 明朝" 10.5 pt, wrapped and paged, and ends the
// document. A failure shows the no-printer message under "印刷警告".
// Returns false on failure or when the user cancelled the PDF file.
bool PrintText(const QString& text, const Target& target = {}, const QString& documentName = {});

// One print job for placing text at character cells (a cell is 120 twips
// wide and 240 twips high, counted from the paper's top-left corner).
class Session {
public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    bool begin(const Target& target = {}, const QString& documentName = {});
    // 0 on success; on failure the no-printer message is shown and 1 returned.
    int PrintTextAt(double column, double line, const QString& text, double fontSize, const QString& fontName);
    bool newPage();
    bool end();
    bool isActive() const;
    QPrinter* printer() const;
    QPainter* painter() const;
    // The output file when printing went to PDF.
    QString pdfPath() const;
    // Why end() failed when the finished PDF could not take its name.
    QString errorString() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace PrnCommon
