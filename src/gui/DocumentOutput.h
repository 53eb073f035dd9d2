#pragma once

#include "ShikkuHuseExcel.h"
#include "SinseiExcelOutRtn.h"
#include "WorkbookViewer.h"

#include <QString>

class CommandRegistry;
class MenuForm;

// The documents of the main window's output drop-down: fills the
// application workbook and opens it in the spreadsheet program, or renders
// a document to a PDF file the user chooses. One instance lives for the
// whole run, so that the viewer of the last output can be closed before
// the next one and when the program ends.
class DocumentOutput {
public:
    DocumentOutput();
    ~DocumentOutput();
    DocumentOutput(const DocumentOutput&) = delete;
    DocumentOutput& operator=(const DocumentOutput&) = delete;

    // Hooks the output and PDF items of the main window onto this instance.
    void install(CommandRegistry& commands);

    void showDocument(MenuForm& menu, int sheet);
    void savePdf(MenuForm& menu, int sheet, const QString& documentName);
    // "シックハウスExcel": the choice window, then a saved or a new copy.
    void showSickHouse(MenuForm& menu);
    // Closes the workbooks of both outputs that are still open, without
    // saving them (before the template is formatted).
    void closeAll();

    // The file name offered for a PDF: the project's name and the
    // document, without characters that file systems refuse.
    static QString suggestedPdfName(const ProjectData& project, const QString& documentName);

private:
    DesktopWorkbookViewer m_viewer;
    SinseiExcelOutRtn m_output;
    // The sick-house copy has a viewer of its own, so that each output
    // closes only its own workbook.
    DesktopWorkbookViewer m_sickViewer{QStringLiteral("sickhouse-viewer-profile")};
    ShikkuHuseExcel m_sickHouse;
    QString m_lastPdfFolder;
};
