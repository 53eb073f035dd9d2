#pragma once

#include "ProjectData.h"

#include <QDate>
#include <QString>

class WorkbookViewer;

// The sick-house check workbook: numbered copies of the template
// シックハウス基準.xlsx in the folder SHIC of the application directory.
// A new copy gets today's date, the project's name and its designer; the
// rest is filled in by the user in the spreadsheet program.
//
// The main window keeps one instance for the whole run, beside the output
// of the application workbook and with a viewer of its own.
class ShikkuHuseExcel {
public:
    static const QString kSheet;  // "基本データ入力"

    static QString templatePath();
    static QString copyFolder();
    // folder/シックハウス基準NNN.xlsx
    static QString copyPath(const QString& folder, int number);
    // The first number from 1 upward whose copy does not exist.
    static QString nextCopyPath(const QString& folder);

    // viewer: not owned; null shows nothing (tests).
    explicit ShikkuHuseExcel(WorkbookViewer* viewer = nullptr);

    // The choice of the choice window: a path opens that saved copy; the
    // empty text makes a new copy. Warns ("警告") when the template is
    // missing; *error holds the reason of any failure.
    bool run(const ProjectData& project, const QString& choice, const QDate& today, QString* error);
    bool openSaved(const QString& path, QString* error);
    // The new copy's path goes into *created.
    bool createNew(const ProjectData& project, const QDate& today, QString* created, QString* error);

    // Writes E3, E5, I4 and I5 of the input sheet of a copy and saves it.
    static bool fillCopy(const QString& path, const ProjectData& project, const QDate& today, QString* error);

    // Closes the viewer of the last copy while that copy is still open.
    void closeEarlier();
    QString lastCopyPath() const { return m_lastCopy; }

private:
    WorkbookViewer* m_viewer;
    QString m_lastCopy;
};
