#include "PhotoFolder.h"

#include "SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace PhotoFolder {

namespace {

QStringList& formats()
{
    static QStringList f{QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("png"), QStringLiteral("gif"),
                         QStringLiteral("bmp")};
    return f;
}

}  // namespace

void setPictureFormats(const QStringList& suffixes)
{
    QStringList f;
    for (const QString& s : suffixes)
        if (!s.isEmpty() && !f.contains(s.toLower()))
            f << s.toLower();
    formats() = f;
}

QStringList pictureFormats()
{
    return formats();
}

bool isListed(const QString& fileName)
{
    const int dot = static_cast<int>(fileName.lastIndexOf(QLatin1Char('.')));
    return dot > 0 && formats().contains(fileName.mid(dot + 1).toLower());
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
    if (!isListed(src.fileName())) {
        if (error)
            *error = QStringLiteral("「%1」は写真として表示できない形式のため、追加できません。\n表示できる形式: %2")
                         .arg(src.fileName(), formats().join(QStringLiteral(", ")));
        return false;
    }
    QDir dir(folderPath);
    if (!dir.exists() && !QDir().mkpath(folderPath)) {
        if (error)
            *error = QStringLiteral("写真フォルダ「%1」を作成できません。").arg(folderPath);
        return false;
    }
    const QString base = src.completeBaseName();
    const QString suffix = QLatin1Char('.') + src.suffix();
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
