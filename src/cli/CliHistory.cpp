#include "CliCommands.h"

#include "Storage.h"
#include "SubmissionHistory.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

int usage(CliContext& c)
{
    c.err << s("使い方: history B_ID [--json]\n"
               "        history attach B_ID FILE --kind 種類 [--date YYYY-MM-DD] [--note 備考]\n"
               "        history diff B_ID 回A 回B [--kind 提出の種類]\n"
               "受領書類の種類は %1 のいずれかです。")
                 .arg(SubmissionHistory::receivedKinds().join(s("、")))
          << Qt::endl;
    return 2;
}

// The options a history command takes with a value; the rest are positional.
bool split(const QStringList& args, const QStringList& valued, const QStringList& flags, QHash<QString, QString>* options,
           QStringList* positional, CliContext& c)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (valued.contains(a) && i + 1 < args.size()) {
            options->insert(a, args[++i]);
        } else if (flags.contains(a)) {
            options->insert(a, QString());
        } else if (a.startsWith(QLatin1String("--"))) {
            c.err << s("不明なオプションです: %1").arg(a) << Qt::endl;
            return false;
        } else {
            *positional << a;
        }
    }
    return true;
}

QDate parseDate(const QString& text)
{
    for (const char* format : {"yyyy-MM-dd", "yyyy/M/d", "yyyy-M-d", "yyyyMMdd"}) {
        const QDate d = QDate::fromString(text.trimmed(), QLatin1String(format));
        if (d.isValid())
            return d;
    }
    return {};
}

int list(CliContext& c, qint64 bid, bool json)
{
    QVector<SubmissionHistory::Entry> entries;
    QString error;
    if (!SubmissionHistory::list(c.storage, bid, &entries, &error)) {
        c.err << error << Qt::endl;
        return 1;
    }
    const QString appDir = c.storage.appDir();
    auto exists = [&](const QString& rel) { return QFileInfo(SubmissionHistory::absolutePath(appDir, rel)).isFile(); };
    if (json) {
        QJsonArray out;
        for (const auto& e : entries) {
            QJsonArray files;
            for (const auto& f : e.files)
                files.append(QJsonObject{{QStringLiteral("document"), f.document},
                                         {QStringLiteral("path"), f.path},
                                         {QStringLiteral("size"), f.size},
                                         {QStringLiteral("sha256"), f.sha256},
                                         {QStringLiteral("exists"), exists(f.path)}});
            out.append(QJsonObject{{QStringLiteral("id"), e.id},
                                   {QStringLiteral("received"), e.received},
                                   {QStringLiteral("kind"), e.kind},
                                   {QStringLiteral("round"), e.round},
                                   {QStringLiteral("date"), e.date.toString(Qt::ISODate)},
                                   {QStringLiteral("note"), e.note},
                                   {QStringLiteral("folder"), e.folder},
                                   {QStringLiteral("recordedAt"), e.recordedAt},
                                   {QStringLiteral("host"), e.host},
                                   {QStringLiteral("files"), files}});
        }
        c.out << QString::fromUtf8(QJsonDocument(out).toJson(QJsonDocument::Indented));
        return 0;
    }
    for (const auto& e : entries) {
        c.out << e.id << '\t' << e.date.toString(Qt::ISODate) << '\t' << escapedValue(e.title()) << '\t'
              << escapedValue(e.note) << '\t' << escapedValue(e.folder) << Qt::endl;
        for (const auto& f : e.files)
            c.out << '\t' << escapedValue(f.document) << '\t' << f.size << '\t' << f.sha256 << '\t' << escapedValue(f.path)
                  << (exists(f.path) ? QString() : s("\t見つかりません")) << Qt::endl;
    }
    return 0;
}

int attach(CliContext& c, const QStringList& args)
{
    QHash<QString, QString> o;
    QStringList pos;
    if (!split(args, {QStringLiteral("--kind"), QStringLiteral("--date"), QStringLiteral("--note")}, {}, &o, &pos, c))
        return 2;
    qint64 bid = 0;
    if (pos.size() != 2 || !o.contains(QStringLiteral("--kind")))
        return usage(c);
    if (!parseProjectId(pos[0], &bid, c.err))
        return 2;
    const QString kind = o.value(QStringLiteral("--kind"));
    if (!SubmissionHistory::receivedKinds().contains(kind)) {
        c.err << s("受領書類の種類「%1」はありません。　%2 のいずれかを指定してください。")
                     .arg(kind, SubmissionHistory::receivedKinds().join(s("、")))
              << Qt::endl;
        return 2;
    }
    const QDate date = o.contains(QStringLiteral("--date")) ? parseDate(o.value(QStringLiteral("--date"))) : QDate::currentDate();
    if (!date.isValid()) {
        c.err << s("日付「%1」を読めません（YYYY-MM-DD で指定してください）。").arg(o.value(QStringLiteral("--date")))
              << Qt::endl;
        return 2;
    }
    SubmissionHistory::Entry e;
    QString error;
    if (!SubmissionHistory::attachReceived(c.storage, bid, kind, date, o.value(QStringLiteral("--note")),
                                           QFileInfo(pos[1]).absoluteFilePath(), &e, &error)) {
        c.err << error << Qt::endl;
        return 1;
    }
    c.out << e.id << '\t' << escapedValue(e.folder) << Qt::endl;
    return 0;
}

int diff(CliContext& c, const QStringList& args)
{
    QHash<QString, QString> o;
    QStringList pos;
    if (!split(args, {QStringLiteral("--kind")}, {}, &o, &pos, c))
        return 2;
    qint64 bid = 0;
    bool okA = false, okB = false;
    if (pos.size() != 3)
        return usage(c);
    if (!parseProjectId(pos[0], &bid, c.err))
        return 2;
    const int roundA = pos[1].toInt(&okA), roundB = pos[2].toInt(&okB);
    if (!okA || !okB || roundA < 1 || roundB < 1) {
        c.err << s("回は 1 以上の整数で指定してください。") << Qt::endl;
        return 2;
    }
    QVector<SubmissionHistory::Entry> entries;
    QString error;
    if (!SubmissionHistory::list(c.storage, bid, &entries, &error)) {
        c.err << error << Qt::endl;
        return 1;
    }
    // Without --kind: the kind of the project's latest submission.
    QString kind = o.value(QStringLiteral("--kind"));
    for (int i = entries.size() - 1; kind.isEmpty() && i >= 0; --i)
        if (!entries[i].received)
            kind = entries[i].kind;
    const SubmissionHistory::Entry* found[2] = {nullptr, nullptr};
    for (const auto& e : entries)
        for (int k = 0; k < 2; ++k)
            if (!e.received && e.kind == kind && e.round == (k == 0 ? roundA : roundB))
                found[k] = &e;
    for (int k = 0; k < 2; ++k) {
        if (!found[k]) {
            c.err << s("物件 %1 に「%2」の第%3回の提出はありません。").arg(bid).arg(kind.isEmpty() ? s("提出") : kind).arg(k == 0 ? roundA : roundB)
                  << Qt::endl;
            return 1;
        }
    }
    for (const auto& ch : SubmissionHistory::compare(*found[0], *found[1]))
        c.out << SubmissionHistory::statusText(ch.status) << '\t' << escapedValue(ch.document) << '\t'
              << (ch.before.sha256.isEmpty() ? QStringLiteral("-") : ch.before.sha256) << '\t'
              << (ch.after.sha256.isEmpty() ? QStringLiteral("-") : ch.after.sha256) << Qt::endl;
    return 0;
}

}  // namespace

// history B_ID [--json] | history attach … | history diff …
int cliHistory(CliContext& c)
{
    const QString sub = c.args.value(0);
    if (sub == QLatin1String("attach"))
        return attach(c, c.args.mid(1));
    if (sub == QLatin1String("diff"))
        return diff(c, c.args.mid(1));
    QHash<QString, QString> o;
    QStringList pos;
    if (!split(c.args, {}, {QStringLiteral("--json")}, &o, &pos, c))
        return 2;
    qint64 bid = 0;
    if (pos.size() != 1)
        return usage(c);
    if (!parseProjectId(pos[0], &bid, c.err))
        return 2;
    return list(c, bid, o.contains(QStringLiteral("--json")));
}
