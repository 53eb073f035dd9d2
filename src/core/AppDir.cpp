#include "AppDir.h"

#include "Storage.h"
#include "WriteLock.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include "DbFile.h"
#include "SafeFile.h"

#include <climits>
#include <cstdlib>
#include <sys/stat.h>

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
        return SafeFile::copy(from, to, error);
    }
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString f = it.next();
        if (!copyMissing(f, to + f.mid(from.size()), error))
            return false;
    }
    return true;
}

// The path with symbolic links and ".." resolved. For a file that does not
// exist yet, its nearest existing folder is resolved and the rest appended;
// a dangling link is followed to where it points.
QString resolved(const QString& path, int depth = 0)
{
    const QFileInfo fi(QDir::cleanPath(QDir(path).absolutePath()));
    if (fi.exists())
        return fi.canonicalFilePath();
    if (fi.isSymLink() && depth < 16)
        return resolved(fi.symLinkTarget(), depth + 1);
    const QString parent = fi.absolutePath();
    if (parent == fi.absoluteFilePath())
        return parent;
    return QDir::cleanPath(resolved(parent, depth + 1) + QLatin1Char('/') + fi.fileName());
}

// The same as the kernel sees it: ".." after a symbolic link goes up from
// the link's target, not from the link (QFileInfo cleans it away first).
QString kernelResolved(const QString& absolute)
{
    char buffer[PATH_MAX];
    if (::realpath(QFile::encodeName(absolute).constData(), buffer))
        return QFile::decodeName(buffer);
    const qsizetype slash = absolute.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0)
        return absolute;
    return kernelResolved(absolute.left(slash)) + absolute.mid(slash);
}

// Names compare without case: a portable installation on a FAT or exFAT
// stick reaches kakunin.db as KAKUNIN.DB too.
bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QStringList databaseNames()
{
    QStringList names;
    for (DbFile db : allDbFiles)
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            names << dbFileName(db) + QLatin1String(suffix);
    return names;
}

// A second name of an existing file (hard link, bind mount) is the same
// device and inode; stat() opens nothing.
bool sameInode(const struct stat& a, const QString& b)
{
    struct stat sb {};
    return ::stat(QFile::encodeName(b).constData(), &sb) == 0 && a.st_dev == sb.st_dev && a.st_ino == sb.st_ino;
}

bool matchesResolved(const QString& file, const QString& dir, const QStringList& names);

// names are relative to the application directory ("kakunin.db",
// "templates/確認申請.xlsx").
bool matches(const QString& path, const QString& appDir, const QStringList& names)
{
    if (path.isEmpty() || appDir.isEmpty())
        return false;
    const QString dir = resolved(appDir);
    const QString raw = QDir::isAbsolutePath(path) ? path : QDir::currentPath() + QLatin1Char('/') + path;
    for (const QString& file : {resolved(path), kernelResolved(raw)})
        if (matchesResolved(file, dir, names))
            return true;
    return false;
}

bool matchesResolved(const QString& file, const QString& dir, const QStringList& names)
{
    if (file.startsWith(dir + QLatin1Char('/'), Qt::CaseInsensitive)) {
        const QString relative = file.mid(dir.size() + 1);
        for (const QString& n : names)
            if (sameName(relative, n))
                return true;
    }
    struct stat st {};
    if (::stat(QFile::encodeName(file).constData(), &st) == 0 && S_ISREG(st.st_mode)) {
        for (const QString& n : names)
            if (sameInode(st, dir + QLatin1Char('/') + n))
                return true;
    }
    return false;
}

}  // namespace

bool isDatabaseFile(const QString& path, const QString& appDir)
{
    return matches(path, appDir, databaseNames());
}

bool isOwnFile(const QString& path, const QString& appDir)
{
    QStringList names = databaseNames();
    // Every shipped template is also used from the folder itself.
    const QStringList shipped = QDir(appDir + QStringLiteral("/templates")).entryList(QDir::Files);
    for (const QString& t : shipped)
        names << t << QStringLiteral("templates/") + t;
    names << QStringLiteral("確認申請.xlsx") << QStringLiteral("シックハウス基準.xlsx")
          << QStringLiteral("database.ini") << QStringLiteral("kirokubo_tl.ini");
    // A file renamed over the write lock would leave its holders locking a
    // name nobody else opens any more.
    names << QFileInfo(WriteLock::lockFilePath(appDir)).fileName();
    return matches(path, appDir, names);
}

QString ownFileMessage(const QString& path)
{
    return QStringLiteral("「%1」はこのプログラムのデータファイル（データベース・テンプレート・設定）です。"
                          "上書きすると事務所のデータが失われるため、保存できません。別の場所か別の名前を指定してください。")
        .arg(QDir::toNativeSeparators(path));
}

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
