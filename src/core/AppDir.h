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

// Whether path names a database of the application directory appDir, or
// its -wal, -shm or -journal file: files that only SQLite may open inside
// the program, since closing any other descriptor of them drops the
// process's SQLite locks. Symbolic links, "..", hard links and a path
// whose file does not exist yet are seen through.
bool isDatabaseFile(const QString& path, const QString& appDir = AppDir::path());
// Whether path names any file the program keeps in appDir: the databases
// as above, the template workbooks (also the originals in templates/) and
// the settings files (database.ini, kirokubo_tl.ini). No output may go there.
bool isOwnFile(const QString& path, const QString& appDir = AppDir::path());
// The refusal a user reads when an output would replace one of those files.
QString ownFileMessage(const QString& path);

}  // namespace AppDir
