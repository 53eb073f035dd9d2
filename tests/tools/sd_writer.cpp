// A second program working on the same application directory, for the
// tests of concurrent editing and of processes killed in the middle of a
// write. It uses the program's own core code, exactly as a window would.
//
//   sd_writer APPDIR edit BID ROLE N SEED   two programs editing one project
//   sd_writer APPDIR create N               creates projects one after another
//   sd_writer APPDIR delete                 deletes every project, one by one
//   sd_writer APPDIR apply BID N TAG        whole-window saves of the floors
//
// Every mode prints "ready" once its databases are open; "edit" then waits
// for a line on standard input so that both programs start together.
// Lines after that report what was saved (see each mode).
#include "ProjectData.h"
#include "ProjectRegister.h"
#include "Prompter.h"
#include "Recordset.h"
#include "Storage.h"
#include "AppDir.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QTextStream>
#include <QThread>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

QTextStream out(stdout);

int die(const QString& message)
{
    QTextStream(stderr) << message << Qt::endl;
    return 1;
}

// Counts the "更新警告" messages the header save shows.
class CountingPrompter : public Prompter {
public:
    Button show(const Message& m) override
    {
        if (m.title == PromptTitle::ConcurrentEdit)
            ++concurrentEdit;
        return m.defaultButton;
    }
    int concurrentEdit = 0;
};

struct Column {
    QString table;
    QString name;
    bool integer;
};

// Each program owns its own columns; nobody else writes them.
QVector<Column> ownedColumns(const QString& role)
{
    if (role == QLatin1String("A"))
        return {{"SHIKICHI", "Tiban", false},  {"SHIKICHI", "Jdisp", false}, {"SHIKICHI", "Sonota1", false},
                {"SHIKICHI", "Tosi1", true},   {"KOUJI", "Youto1", false},   {"KOUJI", "Ban1", false},
                {"KOUJI", "ShuyouCHK1", true}};
    return {{"SHIKICHI", "Size1", false}, {"SHIKICHI", "Size2", false}, {"SHIKICHI", "Par1", false},
            {"SHIKICHI", "Bou1", true},   {"KOUJI", "Youto2", false},   {"KOUJI", "Ban2", false},
            {"KOUJI", "ShuyouCHK2", true}};
}

// An entry window: opened (its snapshot loaded) at one moment and applied
// a little later, writing only the fields that were changed in it.
struct EntryWindow {
    QString table;
    std::unique_ptr<Recordset> rs;
    int applyAt = 0;
};

int edit(Storage& storage, qint64 bid, const QString& role, int iterations, quint32 seed)
{
    CountingPrompter prompter;
    Prompter::setCurrent(&prompter);
    QRandomGenerator rng(seed);
    const QString ownHeader = role == QLatin1String("A") ? QStringLiteral("Buken") : QStringLiteral("Furi1");
    const QVector<Column> owned = ownedColumns(role);
    QHash<QString, QString> lastValue;  // "TABLE.Column" → last value written
    std::vector<EntryWindow> windows;
    int headerSaves = 0, kept = 0, applies = 0;

    out << "ready" << Qt::endl;
    std::string go;
    std::getline(std::cin, go);

    for (int i = 1; i <= iterations; ++i) {
        // Header: load, edit for a moment, save with the compare-before-write.
        ProjectData loaded;
        loaded.bid = bid;
        {
            Recordset g(storage, DbFile::Kakunin);
            if (!g.open(QStringLiteral("GAIYOU"), QStringLiteral("B_ID"), bid) || g.eof())
                return die(QStringLiteral("GAIYOU: %1").arg(g.errorString()));
            for (const QString& c : g.columns())
                loaded.gaiyou.insert(c, g.value(c));
        }
        const QString mine = QStringLiteral("%1-%2").arg(role).arg(i);
        RowValues edited{{QStringLiteral("Kouji"), mine}, {ownHeader, mine}};
        // The user types for a moment; the other program may save meanwhile.
        QThread::usleep(rng.bounded(3000));
        QStringList keptFields;
        QString error;
        if (!ProjectRegister(storage).saveHeader(loaded, edited, 1, &keptFields, &error))
            return die(QStringLiteral("saveHeader %1: %2").arg(i).arg(error));
        ++headerSaves;
        const bool koujiKept = keptFields.contains(QStringLiteral("Kouji"));
        kept += koujiKept ? 1 : 0;
        if (keptFields.contains(ownHeader))
            return die(QStringLiteral("own header field %1 was reported as changed by someone else").arg(ownHeader));
        lastValue[QStringLiteral("GAIYOU.") + ownHeader] = mine;
        out << "H " << i << ' ' << loaded.text(loaded.gaiyou, QStringLiteral("Kouji")) << ' ' << mine << ' '
            << (koujiKept ? "kept" : "written") << '\n';

        // Entry windows: open one now and then, apply each a few steps later.
        if (rng.bounded(2) == 0) {
            EntryWindow w;
            w.table = rng.bounded(2) ? QStringLiteral("SHIKICHI") : QStringLiteral("KOUJI");
            w.rs = std::make_unique<Recordset>(storage, DbFile::Kakunin);
            if (!w.rs->open(w.table, QStringLiteral("B_ID"), bid) || w.rs->eof())
                return die(QStringLiteral("%1: %2").arg(w.table, w.rs->errorString()));
            w.applyAt = i + static_cast<int>(rng.bounded(4));
            windows.push_back(std::move(w));
        }
        for (int k = static_cast<int>(windows.size()) - 1; k >= 0; --k) {
            EntryWindow& w = windows[k];
            if (w.applyAt > i && i < iterations)
                continue;
            QStringList changed;
            for (const Column& c : owned) {
                if (c.table != w.table || rng.bounded(2) == 0)
                    continue;
                const QVariant v = c.integer ? QVariant(qint64(i * 10 + k)) : QVariant(QStringLiteral("%1-%2-%3").arg(role).arg(i).arg(k));
                w.rs->setValue(c.name, v);
                changed << c.name;
                lastValue[c.table + QLatin1Char('.') + c.name] = v.toString();
            }
            if (!changed.isEmpty()) {
                if (!w.rs->update())
                    return die(QStringLiteral("apply %1: %2").arg(w.table, w.rs->errorString()));
                ++applies;
            }
            windows.erase(windows.begin() + k);
        }
    }
    for (auto it = lastValue.cbegin(); it != lastValue.cend(); ++it)
        out << "F " << it.key() << ' ' << it.value() << '\n';
    out << "S " << headerSaves << ' ' << kept << ' ' << prompter.concurrentEdit << ' ' << applies << Qt::endl;
    return 0;
}

int create(Storage& storage, int n)
{
    out << "ready" << Qt::endl;
    for (int i = 0; i < n; ++i) {
        qint64 bid = 0;
        QString error;
        if (!ProjectRegister(storage).createProject(1, &bid, &error))
            return die(error);
        out << "created " << bid << Qt::endl;
    }
    return 0;
}

int removeAll(Storage& storage)
{
    out << "ready" << Qt::endl;
    Recordset rs(storage, DbFile::Kakunin);
    if (!rs.open(QStringLiteral("GAIYOU")))
        return die(rs.errorString());
    QVector<qint64> bids;
    for (; !rs.eof(); rs.moveNext())
        bids << rs.integer(QStringLiteral("B_ID"));
    rs.close();
    for (qint64 bid : bids) {
        QString error;
        if (!ProjectRegister(storage).deleteProjects({bid}, &error))
            return die(error);
        out << "deleted " << bid << Qt::endl;
    }
    return 0;
}

// The per-floor window's Apply: eighteen floor rows and the site row in one
// transaction, each stamped with TAG-generation.
int apply(Storage& storage, qint64 bid, int n, const QString& tag)
{
    out << "ready" << Qt::endl;
    for (int g = 1; g <= n; ++g) {
        const QString stamp = tag + QLatin1Char('-') + QString::number(g);
        Transaction tx(storage, DbFile::Kakunin);
        if (!tx.isActive())
            return die(tx.errorString());
        Recordset rs(storage, DbFile::Kakunin);
        if (!rs.open(QStringLiteral("KAIBETU"), QStringLiteral("B_ID"), bid))
            return die(rs.errorString());
        for (; !rs.eof(); rs.moveNext()) {
            rs.setValue(QStringLiteral("F1Shoukei"), stamp);
            if (!rs.update())
                return die(rs.errorString());
        }
        if (!rs.open(QStringLiteral("SHIKICHI"), QStringLiteral("B_ID"), bid) || rs.eof())
            return die(rs.errorString());
        rs.setValue(QStringLiteral("Tiban"), stamp);
        rs.setValue(QStringLiteral("Jdisp"), stamp);
        if (!rs.update())
            return die(rs.errorString());
        rs.close();
        if (!tx.commit())
            return die(tx.errorString());
        out << "applied " << g << Qt::endl;
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() < 3)
        return die(QStringLiteral("usage: sd_writer APPDIR edit|create|delete|apply ..."));
    AppDir::set(a[1]);
    StorageConfig cfg;
    QString error;
    if (!StorageConfig::fromAppDir(a[1], &cfg, &error))
        return die(error);
    Storage storage(cfg);
    if (!storage.connection(DbFile::Kakunin, &error).isValid() || !storage.connection(DbFile::AnotherOption, &error).isValid())
        return die(error);
    const QString mode = a[2];
    if (mode == QLatin1String("edit") && a.size() == 7)
        return edit(storage, a[3].toLongLong(), a[4], a[5].toInt(), a[6].toUInt());
    if (mode == QLatin1String("create") && a.size() == 4)
        return create(storage, a[3].toInt());
    if (mode == QLatin1String("delete") && a.size() == 3)
        return removeAll(storage);
    if (mode == QLatin1String("apply") && a.size() == 6)
        return apply(storage, a[3].toLongLong(), a[4].toInt(), a[5]);
    return die(QStringLiteral("unknown mode or arguments: %1").arg(a.mid(2).join(QLatin1Char(' '))));
}
