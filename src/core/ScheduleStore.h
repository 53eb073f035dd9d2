#pragma once

#include "ProjectData.h"

#include <QDate>

class Storage;

// The dated entries of a project's schedule (SCHEDULE rows in list order).
namespace ScheduleStore {

// Every column an entry carries and writes back.
const QStringList& columns();

bool load(Storage& storage, qint64 bid, QVector<RowValues>* entries, QString* error);
// Adds an entry dated today titled "<新規>".
bool addEntry(Storage& storage, qint64 bid, const QDate& today, QString* error);
// Writes the entries over the stored rows in order, deleting the rows left
// over and adding the missing ones, in one transaction.
bool save(Storage& storage, qint64 bid, const QVector<RowValues>& entries, QString* error);
// "2026/12/5 10:30" as the schedule list shows an entry.
QString listText(const RowValues& entry);

}  // namespace ScheduleStore
