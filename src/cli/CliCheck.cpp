#include "CliCommands.h"

#include "BoxFit.h"
#include "PostalLookup.h"
#include "ProjectData.h"
#include "ShinseiCheck.h"
#include "Storage.h"

// check B_ID [--json]: the 申請前チェック of the window, one line per
// finding (or a JSON array); the exit code tells a script whether anything
// would be sent back.
int cliCheck(CliContext& c)
{
    bool json = false;
    QStringList positional;
    if (c.args == QStringList{QStringLiteral("--rules")}) {
        // README's table of the rules comes from here.
        c.out << ShinseiCheck::rulesMarkdown();
        return 0;
    }
    for (const QString& a : c.args) {
        if (a == QLatin1String("--json"))
            json = true;
        else if (a.startsWith(QLatin1String("--"))) {
            c.err << QStringLiteral("不明なオプションです: %1").arg(a) << Qt::endl;
            return 2;
        } else {
            positional << a;
        }
    }
    if (positional.size() != 1) {
        c.err << QStringLiteral("使い方: check B_ID [--json]") << Qt::endl;
        return 2;
    }
    qint64 bid = 0;
    ProjectData project;
    if (!loadProject(c, positional[0], &bid, &project))
        return 2;
    PostalLookup postal(c.storage);
    const ShinseiCheck::Report report = ShinseiCheck::check(project, {&postal, &BoxFit::shared()});
    if (json) {
        c.out << QString::fromUtf8(ShinseiCheck::findingsJson(report.findings));
    } else {
        for (const ShinseiCheck::Finding& f : report.findings)
            c.out << ShinseiCheck::findingLine(f) << Qt::endl;
    }
    c.out.flush();
    const int errors = report.count(ShinseiCheck::Severity::Error);
    c.err << QStringLiteral("エラー %1件、警告 %2件、情報 %3件（%4）")
                 .arg(errors)
                 .arg(report.count(ShinseiCheck::Severity::Warning))
                 .arg(report.count(ShinseiCheck::Severity::Info))
                 .arg(ShinseiCheck::ruleSetName(report.ruleSet))
          << Qt::endl;
    return errors > 0 ? 1 : 0;
}
