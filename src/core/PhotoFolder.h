#pragma once

#include <QDateTime>
#include <QString>
#include <QVector>

// The pictures kept in a project's photo folder.
namespace PhotoFolder {

struct Picture {
    QString name;
    QDateTime modified;
    qint64 size = 0;
};

// The picture files of the folder that the photo tab lists (.gif, .jpg,
// .jpeg, .bmp in either case), by name; an empty list when the folder is
// missing.
QVector<Picture> list(const QString& folderPath);
bool isListed(const QString& fileName);

// Copies a picture into the folder (made when missing). A file of the same
// name already there is kept: the copy gets a numbered name instead.
// *storedName is the name it was stored under.
bool addPicture(const QString& folderPath, const QString& source, QString* storedName, QString* error);

}  // namespace PhotoFolder
