#include "PhotoFolder.h"

#include "SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace PhotoFolder {

bool isListed(const QString& fileName)
{
    // Exactly the spellings the office's cameras and scanners produce; a
    // mixed-case ".Jpg" is not among them.
    static const char* const kEndings[] = {".gif", ".GIF", ".jpg", ".JPG", ".jpeg", ".JPEG", ".bmp", ".BMP"};
    for (const char* e : kEndings)
        if (fileName.endsWith(QLatin1String(e)))
            return true;
    return false;
}

QVector<Picture> list(const QString& folderPath)
{
    QVector<Picture> out;
    if (folderPath.isEmpty())
        return out;
    const QDir dir(folderPath);
    if (!dir.exists())
        return out;
    const QFileInfoList files = dir.entryInfoList(QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    for (const QFileInfo& f : files)
        if (isListed(f.fileName()))
            out.append({f.fileName(), f.lastModified(), f.size()});
    return out;
}

bool addPicture(const QString& folderPath, const QString& source, QString* storedName, QString* error)
{
    const QFileInfo src(source);
    if (!src.isFile()) {
        if (error)
            *error = QStringLiteral("ファイル「%1」が見つかりません。").arg(source);
        return false;
    }
    QDir dir(folderPath);
    if (!dir.exists() && !QDir().mkpath(folderPath)) {
        if (error)
            *error = QStringLiteral("写真フォルダ「%1」を作成できません。").arg(folderPath);
        return false;
    }
    const QString base = src.completeBaseName();
    QString suffix = src.suffix().isEmpty() ? QString() : QLatin1Char('.') + src.suffix();
    // A ".Jpg" from some camera would be stored but never listed.
    if (!isListed(base + suffix) && isListed(base + suffix.toLower()))
        suffix = suffix.toLower();
    QString name = base + suffix;
    for (int n = 2; dir.exists(name); ++n)
        name = QStringLiteral("%1_%2%3").arg(base).arg(n).arg(suffix);
    if (!SafeFile::copy(source, dir.filePath(name), error))
        return false;
    if (storedName)
        *storedName = name;
    return true;
}

}  // namespace PhotoFolder
