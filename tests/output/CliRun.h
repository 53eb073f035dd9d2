#pragma once

#include <QProcess>
#include <QStringList>

// What a program run by a test printed, and how it ended (-1: it crashed
// or did not finish).
struct CliRun {
    int code = -1;
    QString out;
    QString err;
};

inline CliRun runProgram(const QString& program, const QStringList& args, int timeout = 60000)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(timeout);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// The batch tool on one application directory and one of its projects:
// the rendering tests type their projects in as a user's script would.
inline CliRun runCli(const QString& cliPath, const QString& appDir, const QStringList& args, int timeout = 60000)
{
    return runProgram(cliPath, QStringList{QStringLiteral("--appdir"), appDir} + args, timeout);
}

inline bool setColumns(const QString& cliPath, const QString& appDir, const QString& bid, const QString& table,
                       const QStringList& assignments, int row = 1)
{
    const CliRun r = runCli(cliPath, appDir,
                            QStringList{QStringLiteral("project"), QStringLiteral("set"), bid, table,
                                        QStringLiteral("--row"), QString::number(row)}
                                + assignments);
    if (r.code != 0)
        qWarning("%s", qPrintable(r.err));
    return r.code == 0;
}
