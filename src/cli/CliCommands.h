#pragma once

#include <QStringList>
#include <QTextStream>

// The batch tool's commands on the same core code as the windows.
// Returns the process exit code: 0 success, 1 failure, 2 usage error.
int runCli(const QStringList& arguments, QTextStream& out, QTextStream& err);
