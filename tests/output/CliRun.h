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
    return runProgram(cliPath, QStringList{"--appdir", appDir} + args, timeout);
}

inline bool setColumns(const QString& cliPath, const QString& appDir, const QString& bid, const QString& table,
                       const QStringList& assignments, int row = 1)
{
    const CliRun r = runCli(cliPath, appDir, QStringList{"project", "set", bid, table, "--row",
                                                         QString::number(row)} + assignments);
    if (r.code != 0)
        qWarning("%s", qPrintable(r.err));
    return r.code == 0;
}

// A fresh application directory made by `init`, with one new project in it.
struct CliProject {
    QString cliPath;
    QString app;
    QString bid;
    // Empty when both commands ran, otherwise what the failing one said.
    QString create(const QString& cli, const QString& appDir)
    {
        cliPath = cli;
        app = appDir;
        const CliRun init = run({"init"}, 300000);
        if (init.code != 0)
            return init.err;
        const CliRun created = run({"project", "new"});
        bid = created.out.trimmed();
        return created.code == 0 ? QString() : created.err;
    }
    CliRun run(const QStringList& args, int timeout = 60000) const { return runCli(cliPath, app, args, timeout); }
    bool set(const QString& table, const QStringList& assignments, int row = 1) const
    {
        return setColumns(cliPath, app, bid, table, assignments, row);
    }
};
