#pragma once

#include "ProjectData.h"

#include <QStringList>

class Storage;

// The record book of a project: 90 lines in StrIntTable, made with the
// office's default titles the first time the project is opened.
namespace RecordBook {

inline constexpr int kLines = 90;

// The titles new record books start with.
QStringList builtInTitles();
// kirokubo_tl.ini of the application directory when it exists, otherwise
// the built-in titles; always kLines entries.
QStringList defaultTitles();
// Writes the titles so that record books made later start with them.
bool saveDefaultTitles(const QStringList& titles, QString* error);

// Adds the 90 lines of a project that has none yet, in one transaction.
bool ensureLines(Storage& storage, qint64 bid, QString* error);
// The first 90 lines of the project in row order (fewer when fewer exist).
bool load(Storage& storage, qint64 bid, QVector<RecordBookLine>* lines, QString* error);
// Writes the lines over the project's rows in row order, line 1 onto the
// first row, never more than 90; a row takes only the columns that differ,
// and all rows are written or none.
bool save(Storage& storage, qint64 bid, const QVector<RecordBookLine>& lines, QString* error);

}  // namespace RecordBook
