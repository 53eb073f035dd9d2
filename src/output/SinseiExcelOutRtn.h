#pragma once

#include "ProjectData.h"

#include <QString>
#include <QStringList>

#include <functional>

class WorkbookViewer;

// The output of the application documents: copies the template workbook
// 確認申請.xlsx to 確認申請書.xlsx, writes the project into its input
// sheet, shows or hides the pages of buildings 2 and 3, makes the chosen
// document's sheet the active one and opens the copy in the viewer.
//
// The main window keeps one instance for the whole run; it remembers the
// copy it opened last and closes that viewer before the next output.
class SinseiExcelOutRtn {
public:
    // Documents 0 to 11; the names are also the sheet names of the template.
    static const QStringList& documentNames();
    // The index of a document given by its name or by its number ("3"), -1 when neither.
    static int documentIndex(const QString& nameOrNumber);
    // The template and the output copy in the application directory.
    static QString templatePath();
    static QString outputPath();

    // viewer: not owned; null shows nothing (tests, batch use).
    explicit SinseiExcelOutRtn(WorkbookViewer* viewer = nullptr);

    // The output drop-down of the main window: fills the copy for
    // document docIndex and shows it. Tells the user through Prompter
    // when the template is missing ("警告") or anything else fails
    // ("EXCELエラー"); *error then holds the reason in detail.
    bool output(const ProjectData& project, int docIndex, QString* error = nullptr);
    // Closes the viewer of the last copy when that copy is still open
    // (before the next output and at the end of the program).
    void closeEarlier();
    QString lastOutputPath() const { return m_lastOutput; }

    // The fill itself, without messages or viewer: template → outPath,
    // saved. docIndex outside 0..11 leaves the active sheet as in the
    // template.
    static bool fillWorkbook(const ProjectData& project, int docIndex, const QString& templatePath,
                             const QString& outPath, QString* error);

    // Renders a filled workbook to PDF with LibreOffice: the sheet of
    // document docIndex (with its continuation sheet), or with docIndex -1
    // every printed sheet. The workbook itself is not changed.
    static bool renderPdf(const QString& workbookPath, const QString& pdfPath, int docIndex, QString* error);
    // The same for any choice of sheets: sheetsOf gets every sheet of the
    // workbook and answers those to print (an unused 別紙 is left out).
    // With bookmarks the PDF has one outline entry per printed sheet.
    static bool renderSheets(const QString& workbookPath, const QString& pdfPath,
                             const std::function<QStringList(const QStringList&)>& sheetsOf, bool bookmarks,
                             QString* error);
    // The PDF of a document straight from the project: filled into a
    // temporary copy (the shown copy may be open in the viewer), rendered,
    // the copy removed.
    static bool exportPdf(const ProjectData& project, int docIndex, const QString& pdfPath, QString* error);
    // The sheets that the PDF of a document holds.
    static QStringList printedSheets(int docIndex, const QStringList& allSheets);

private:
    WorkbookViewer* m_viewer;
    QString m_lastOutput;
};
