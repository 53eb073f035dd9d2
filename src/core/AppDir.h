#pragma once

#include <QString>

class Storage;

// The application directory: the folder of the running executable, fixed
// at start. Every data file of the program lies in it.
namespace AppDir {

// Sets the folder once at start (the executable's folder, or --appdir).
void set(const QString& dir);
QString path();
// path() + "/" + name
QString file(const QString& name);

// Makes dir a ready application directory: the databases with every table
// and seeded code list, and the data files (manual pages, templates)
// copied from the program's own folder when they are missing there.
bool initialize(Storage& storage, const QString& programDir, QString* error);

}  // namespace AppDir
