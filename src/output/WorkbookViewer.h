#pragma once

#include <QString>

#include <memory>

class QProcess;

// Shows a filled workbook to the user. The output driver remembers the
// viewer it started, so that the next output (or the end of the program)
// can close it without saving.
class WorkbookViewer {
public:
    virtual ~WorkbookViewer() = default;
    // Opens the file for the user; false with *error when no viewer starts.
    virtual bool show(const QString& path, QString* error) = 0;
    // Ends the viewer started last, discarding unsaved edits.
    virtual void close() = 0;
};

// Closes `viewer` while `path`, the workbook it showed last, is still open
// (a user who closed the workbook keeps the spreadsheet program).
void closeViewerOf(WorkbookViewer* viewer, const QString& path);

// Whether the template of a workbook is there; when it is not, warns the
// user ("警告") and gives the reason in *reason.
bool templateFound(const QString& path, QString* reason);

// The desktop's spreadsheet program: LibreOffice Calc as a child process
// with a profile of its own, or the desktop's default application
// (xdg-open) when LibreOffice is not installed.
class DesktopWorkbookViewer : public WorkbookViewer {
public:
    // Each viewer that may be open beside another needs a profile of its
    // own: LibreOffice hands a file to a running instance of the same
    // profile, and closing one viewer would then close both workbooks.
    explicit DesktopWorkbookViewer(const QString& profileName = QStringLiteral("viewer-profile"));
    ~DesktopWorkbookViewer() override;

    bool show(const QString& path, QString* error) override;
    void close() override;
    bool isRunning() const;

private:
    std::unique_ptr<QProcess> m_process;
    QString m_path;
    QString m_profileName;
};
