#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

// The pictures kept in a project's photo folder.
namespace PhotoFolder {

struct Picture {
    QString name;
    QDateTime modified;
    qint64 size = 0;
};

// The file name endings (lower case, no dot) of the pictures the program
// can show. The window sets what its image library reads (PNG, WebP, HEIC
// where a plug-in is installed …); until then JPEG, PNG, GIF and BMP.
void setPictureFormats(const QStringList& suffixes);
QStringList pictureFormats();

// The picture files of the folder that the photo tab lists (any case of
// the endings above), by name; an empty list when the folder is missing.
QVector<Picture> list(const QString& folderPath);
bool isListed(const QString& fileName);

// Copies a picture into the folder (made when missing). A file of the same
// name already there is kept: the copy gets a numbered name instead.
// *storedName is the name it was stored under. A file that would not be
// listed is refused with the reason: nothing is copied out of sight.
bool addPicture(const QString& folderPath, const QString& source, QString* storedName, QString* error);

}  // namespace PhotoFolder
