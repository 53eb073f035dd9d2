#pragma once

#include "TestSupport.h"

#include <QStringList>

// What a program run by a test printed, and how it ended.
using CliRun = ProcessRun;

// A fresh application directory made by `init`, with one new project in
// it: the rendering tests type their projects in as a user's script would.
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
    CliRun run(const QStringList& args, int timeout = 60000) const
    {
        return runProcess(cliPath, QStringList{"--appdir", app} + args, timeout);
    }
    bool set(const QString& table, const QStringList& assignments, int row = 1) const
    {
        const CliRun r = run(QStringList{"project", "set", bid, table, "--row", QString::number(row)} + assignments);
        if (r.code != 0)
            qWarning("%s", qPrintable(r.err));
        return r.code == 0;
    }
};
