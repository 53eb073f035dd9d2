#include "AppDir.h"

#include "Storage.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace AppDir {

namespace {
QString g_dir;

// Folders and files that travel with the program and that a new
// application directory gets a copy of.
const char* const kDataEntries[] = {"MANUAL", "templates", "icons"};

bool copyMissing(const QString& from, const QString& to, QString* error)
{
    const QFileInfo src(from);
    if (!src.exists())
        return true;
    if (src.isFile()) {
        if (QFileInfo::exists(to))
            return true;
        QDir().mkpath(QFileInfo(to).absolutePath());
        if (!QFile::copy(from, to)) {
            if (error)
                *error = QStringLiteral("ファイル「%1」を「%2」にコピーできません。").arg(from, to);
            return false;
        }
        return true;
    }
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString f = it.next();
        if (!copyMissing(f, to + f.mid(from.size()), error))
            return false;
    }
    return true;
}
}  // namespace

void set(const QString& dir)
{
    g_dir = QDir::cleanPath(QDir(dir).absolutePath());
}

QString path()
{
    return g_dir;
}

QString file(const QString& name)
{
    return g_dir + QLatin1Char('/') + name;
}

bool initialize(Storage& storage, const QString& programDir, QString* error)
{
    const QString target = QDir::cleanPath(QDir(storage.appDir()).absolutePath());
    if (!QDir().mkpath(target)) {
        if (error)
            *error = QStringLiteral("フォルダ「%1」を作成できません。").arg(target);
        return false;
    }
    if (!storage.initialize(error))
        return false;
    const QString source = QDir::cleanPath(QDir(programDir).absolutePath());
    if (source != target) {
        for (const char* entry : kDataEntries) {
            const QString name = QString::fromLatin1(entry);
            if (!copyMissing(source + QLatin1Char('/') + name, target + QLatin1Char('/') + name, error))
                return false;
        }
    }
    // The workbook templates are used (and reformatted by the user) in the
    // application directory itself; templates/ keeps the shipped originals.
    const QDir templates(target + QStringLiteral("/templates"));
    for (const QString& name : templates.entryList({QStringLiteral("*.xlsx")}, QDir::Files)) {
        if (!copyMissing(templates.filePath(name), target + QLatin1Char('/') + name, error))
            return false;
    }
    return true;
}

}  // namespace AppDir
