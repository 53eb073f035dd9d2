#pragma once

#include "Storage.h"

#include <QString>
#include <QStringList>

// Backups of the seven databases as one zip archive: each as a SQLite file
// (a consistent copy even while the program works on them) and
// "manifest.txt" with the size and SHA-256 of every file, so that a damaged
// archive is noticed before anything is replaced.
namespace Backup {

inline const QString kManifest = QStringLiteral("manifest.txt");
inline const QString kFormat = QStringLiteral("ShinseiDesk backup 1");

// Writes the archive (replacing an older file of that name only once the
// new one is complete). On PostgreSQL the server's data is exported from
// one snapshot into the same SQLite form.
bool create(const StorageConfig& config, const QString& archive, QStringList* report, QString* error);

// Replaces the seven databases with those of the archive, all or none.
// Refused while the program runs on this application directory. On SQLite
// the replaced files stay in a folder "before-restore-…" of the
// application directory; on PostgreSQL the server takes the archive's
// rows in one transaction.
bool restore(const StorageConfig& config, const QString& archive, QStringList* report, QString* error);

}  // namespace Backup
