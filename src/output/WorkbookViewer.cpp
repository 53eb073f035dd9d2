#include "WorkbookViewer.h"

#include "LibreOffice.h"
#include "Prompter.h"
#include "common.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

DesktopWorkbookViewer::DesktopWorkbookViewer(const QString& profileName)
    : m_profileName(profileName)
{
}

DesktopWorkbookViewer::~DesktopWorkbookViewer()
{
    close();
}

bool DesktopWorkbookViewer::isRunning() const
{
    return m_process && m_process->state() != QProcess::NotRunning;
}

bool DesktopWorkbookViewer::show(const QString& path, QString* error)
{
    close();
    const QString file = QFileInfo(path).absoluteFilePath();
    auto process = std::make_unique<QProcess>();
    const QString office = LibreOffice::executable();
    if (!office.isEmpty()) {
        QString base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
        if (base.isEmpty())
            base = QDir::tempPath();
        const QString profile = base + QStringLiteral("/shinseidesk/") + m_profileName;
        process->setProcessEnvironment(LibreOffice::environment(base + QStringLiteral("/shinseidesk")));
        process->setProgram(office);
        process->setArguments({LibreOffice::prepareProfile(profile), QStringLiteral("--calc"),
                               QStringLiteral("--norestore"), file});
    } else {
        const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
        if (opener.isEmpty()) {
            if (error)
                *error = LibreOffice::notInstalledMessage();
            return false;
        }
        process->setProgram(opener);
        process->setArguments({file});
    }
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->setStandardOutputFile(QProcess::nullDevice());
    process->start();
    if (!process->waitForStarted(15000)) {
        if (error)
            *error = QStringLiteral("表計算ソフトを起動できません（%1）。").arg(process->errorString());
        return false;
    }
    m_process = std::move(process);
    m_path = file;
    return true;
}

void DesktopWorkbookViewer::close()
{
    if (!m_process)
        return;
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(10000)) {
            m_process->kill();
            m_process->waitForFinished(5000);
        }
        // A viewer ended from outside leaves its lock file behind, which
        // would make the next opening of the copy ask about a foreign lock.
        const QFileInfo fi(m_path);
        QFile::remove(fi.absolutePath() + QStringLiteral("/.~lock.") + fi.fileName() + QLatin1Char('#'));
    }
    m_process.reset();
}

void closeViewerOf(WorkbookViewer* viewer, const QString& path)
{
    if (viewer && !path.isEmpty() && QFile::exists(path) && common::FileInUse(path))
        viewer->close();
}

bool templateFound(const QString& path, QString* reason)
{
    if (QFile::exists(path))
        return true;
    Prompter::current().show({PromptTitle::Warning, QStringLiteral("必要とするシステムファイルが存在しません。"),
                              Prompter::Icon::Warning, Prompter::Ok, Prompter::Ok});
    if (reason)
        *reason = QStringLiteral("テンプレート「%1」がありません。").arg(path);
    return false;
}
