#pragma once

#include <QLoggingCategory>
#include <QStringList>

// The program's logging categories. Every failure logs its real cause
// (driver text, exit code, library error) under one of them, while the user
// reads the Japanese message; QT_LOGGING_RULES="sd.*=true" shows the rest.
Q_DECLARE_LOGGING_CATEGORY(lcStorage)  // sd.storage: SQL and database files
Q_DECLARE_LOGGING_CATEGORY(lcOutput)   // sd.output: workbooks, LibreOffice, PDF
Q_DECLARE_LOGGING_CATEGORY(lcMail)     // sd.mail: SMTP
Q_DECLARE_LOGGING_CATEGORY(lcImport)   // sd.import: postal data, CSV, data transfer

namespace Logging {

// Keeps the warnings of the sd.* categories, besides passing them on to the
// handler in place before, so that a message box can show the real cause
// under its details. Call once at start; later calls do nothing.
void keepCauses();
// The causes logged since the last call (at most the last 20, none older
// than a minute), oldest first; the list is empty afterwards.
QStringList takeCauses();

}  // namespace Logging
