#pragma once

#include "WorkbookViewer.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

// Stands in for the desktop viewer: records what it was asked to do, and
// on closing releases the file as the real viewer's end does.
class FakeViewer : public WorkbookViewer {
public:
    bool show(const QString& path, QString* error) override
    {
        shown << path;
        if (fail && error)
            *error = QStringLiteral("viewer failed");
        return !fail;
    }
    void close() override
    {
        ++closed;
        if (!shown.isEmpty()) {
            const QFileInfo fi(shown.last());
            QFile::remove(fi.absolutePath() + QStringLiteral("/.~lock.") + fi.fileName() + QLatin1Char('#'));
        }
    }
    QStringList shown;
    int closed = 0;
    bool fail = false;
};
