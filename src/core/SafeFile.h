#pragma once

#include <QByteArray>
#include <QString>

// Files the program writes appear only complete: the content goes to a
// temporary file in the target's folder, is synced to disk and then
// renamed over the target. Any failure (disk full, no permission, a file
// size limit) leaves the earlier file at the target untouched, and the
// message names the cause in Japanese.
namespace SafeFile {

bool write(const QString& path, const QByteArray& data, QString* error);

// Copies the file from to path. The source is never a database of the
// application directory: reading one outside SQLite would drop the
// process's locks on it.
bool copy(const QString& from, const QString& path, QString* error);

// Puts the finished file from at path: a rename on the same file system,
// otherwise a copy as above and removal of from.
bool move(const QString& from, const QString& path, QString* error);

// The SHA-256 of a file (lowercase hex) and its size, read in one pass;
// false when it cannot be read. Never a database of the application
// directory, for the reason given at copy().
bool sha256(const QString& path, QByteArray* hex, qint64* size);

// The cause of a failed system call, in Japanese ("ディスクの空き容量が
// 足りません" …), followed by the system's own text.
QString reason(int errnum);

}  // namespace SafeFile
