#include "CliCommands.h"

#include "PortalItems.h"
#include "ProjectData.h"
#include "SafeFile.h"
#include "SinseiExcelOutRtn.h"
#include "Storage.h"
#include "SubmissionRecord.h"
#include "SubmissionSet.h"

#include <QDir>
#include <QFileInfo>

namespace {

// The kinds of submission; an unknown one is a usage error naming them.
bool knownKind(const QString& kind, QTextStream& err)
{
    if (SubmissionSet::kindNames().contains(kind))
        return true;
    err << QStringLiteral("種類「%1」はありません。　%2 のいずれかを指定してください。")
               .arg(kind, SubmissionSet::kindNames().join(QStringLiteral("、")))
        << Qt::endl;
    return false;
}

// The usage of a command on a kind of submission set, with the kinds there are.
int kindUsage(QTextStream& err, const QString& usage)
{
    err << usage + QStringLiteral("\n種類は %1 のいずれかです。").arg(SubmissionSet::kindNames().join(QStringLiteral("、")))
        << Qt::endl;
    return 2;
}

// The B_ID and the kind a command names: false after telling why on err.
bool projectAndKind(const QString& text, const QString& kind, qint64* bid, QTextStream& err)
{
    return parseProjectId(text, bid, err) && knownKind(kind, err);
}

}  // namespace

// submit B_ID --kind KIND [--docs a,b,…] [--drawings f.pdf …] [--items] --out DIR:
// the submission set of the window, written into DIR (--items: with the
// list of printed items for a portal) and kept in the project's submission
// history (--note, unless --no-history).
int cliSubmit(CliContext& c)
{
    const QStringList& args = c.args;
    QString kind, out, docs, note;
    bool docsGiven = false, history = true;
    bool items = false;
    QStringList drawings, positional;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--note") && i + 1 < args.size()) {
            note = args[++i];
        } else if (a == QLatin1String("--no-history")) {
            history = false;
        } else if ((a == QLatin1String("--kind") || a == QLatin1String("--out") || a == QLatin1String("--docs"))
                   && i + 1 < args.size()) {
            if (a == QLatin1String("--docs"))
                docsGiven = true;
            (a == QLatin1String("--kind") ? kind : a == QLatin1String("--out") ? out : docs) = args[++i];
        } else if (a == QLatin1String("--items")) {
            items = true;
        } else if (a == QLatin1String("--drawings")) {
            // Every following argument up to the next option is a drawing.
            while (i + 1 < args.size() && !args[i + 1].startsWith(QLatin1String("--")))
                drawings << args[++i];
        } else if (a.startsWith(QLatin1String("--"))) {
            c.err << QStringLiteral("不明なオプションです: %1").arg(a) << Qt::endl;
            return 2;
        } else {
            positional << a;
        }
    }
    if (positional.size() != 1 || kind.isEmpty() || out.isEmpty())
        return kindUsage(c.err, QStringLiteral("使い方: submit B_ID --kind 種類 [--docs 書類,書類,…] [--drawings 図面.pdf …] [--items]"
                                               " --out フォルダ [--note 備考] [--no-history]"));
    qint64 bid = 0;
    if (!projectAndKind(positional[0], kind, &bid, c.err))
        return 2;
    if (!QFileInfo(out).isDir()) {
        c.err << QStringLiteral("出力先フォルダ「%1」がありません。").arg(out) << Qt::endl;
        return 2;
    }
    const QStringList known = SinseiExcelOutRtn::documentNames();
    QStringList chosen;
    for (const QString& d : docs.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        chosen << d.trimmed();
        if (!known.contains(chosen.back())) {
            c.err << QStringLiteral("書類「%1」はありません。　%2 のいずれかを指定してください。")
                         .arg(chosen.back(), known.join(QStringLiteral("、")))
                  << Qt::endl;
            return 2;
        }
    }
    QString error;
    if (!SubmissionSet::checkDrawings(drawings, &error)) {
        c.err << error << Qt::endl;
        return 1;
    }

    ProjectData project;
    if (!ProjectData::load(c.storage, bid, &project, &error)) {
        c.err << error << Qt::endl;
        return 1;
    }
    SubmissionSet::Request request;
    request.kind = kind;
    request.documents = docsGiven ? chosen : SubmissionSet::proposedDocuments(kind, project);
    request.drawings = drawings;
    request.outDir = QDir(out).absolutePath();
    request.exportItems = items;
    SubmissionSet::Result result;
    if (!SubmissionSet::make(project, request, &result, &error)) {
        c.err << error << Qt::endl;
        return 1;
    }
    c.out << result.combined << '\t' << result.pages << Qt::endl;
    for (const QString& f : result.documentFiles + result.itemFiles)
        c.out << f << Qt::endl;
    if (!result.warning.isEmpty())
        c.err << result.warning << Qt::endl;
    if (!history)
        return 0;
    SubmissionHistory::Entry entry;
    if (!SubmissionRecord::record(c.storage, project, request, result, note, &entry, &error)) {
        c.err << QStringLiteral("提出書類は作成しましたが、提出履歴に記録できませんでした: %1").arg(error) << Qt::endl;
        return 1;
    }
    c.out << QStringLiteral("提出履歴: %1\t%2").arg(entry.title(), entry.folder) << Qt::endl;
    return 0;
}

// export-items B_ID --kind KIND [--format csv|json] [--utf8] [--out FILE]:
// every printed item of the kind's documents with its value as printed,
// one per line in form order. Without --out the list goes to standard
// output in UTF-8; a CSV file is Shift_JIS unless --utf8 is given.
int cliExportItems(CliContext& c)
{
    const QStringList& args = c.args;
    QString kind, out, format = QStringLiteral("csv");
    bool utf8 = false;
    QStringList positional;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if ((a == QLatin1String("--kind") || a == QLatin1String("--out") || a == QLatin1String("--format"))
            && i + 1 < args.size()) {
            (a == QLatin1String("--kind") ? kind : a == QLatin1String("--out") ? out : format) = args[++i];
        } else if (a == QLatin1String("--utf8")) {
            utf8 = true;
        } else if (a.startsWith(QLatin1String("--"))) {
            c.err << QStringLiteral("不明なオプションです: %1").arg(a) << Qt::endl;
            return 2;
        } else {
            positional << a;
        }
    }
    if (positional.size() != 1 || kind.isEmpty()
        || (format != QLatin1String("csv") && format != QLatin1String("json")))
        return kindUsage(c.err, QStringLiteral("使い方: export-items B_ID --kind 種類 [--format csv|json] [--utf8] [--out ファイル]"));
    qint64 bid = 0;
    if (!projectAndKind(positional[0], kind, &bid, c.err))
        return 2;
    if (!out.isEmpty() && refusedAsOwnFile(out, c.storage.appDir(), c.err))
        return 2;
    QString error;
    ProjectData project;
    QVector<PortalItems::Item> items;
    if (!ProjectData::load(c.storage, bid, &project, &error)
        || !PortalItems::forProject(project, SubmissionSet::proposedDocuments(kind, project), &items, &error)) {
        c.err << error << Qt::endl;
        return 1;
    }
    const bool json = format == QLatin1String("json");
    if (out.isEmpty()) {
        QByteArray text = json ? PortalItems::toJson(items) : PortalItems::toCsv(items, false);
        if (text.startsWith("\xEF\xBB\xBF"))
            text.remove(0, 3);
        c.out << QString::fromUtf8(text);
        c.out.flush();
        return 0;
    }
    QStringList replaced;
    const QByteArray data = json ? PortalItems::toJson(items) : PortalItems::toCsv(items, !utf8, &replaced);
    if (!SafeFile::write(QFileInfo(out).absoluteFilePath(), data, &error)) {
        c.err << error << Qt::endl;
        return 1;
    }
    if (!replaced.isEmpty())
        c.err << PortalItems::replacedMessage(replaced) << Qt::endl;
    return 0;
}
