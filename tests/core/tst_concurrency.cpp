#include "Recordset.h"
#include "TestSupport.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>

// Two programs editing the same project at the same time, as two computers
// of an office do: each saves the header 1,000 times and applies entry
// windows in between. Run on whichever engine the test run uses.
class TestConcurrency : public QObject {
    Q_OBJECT

private:
    struct Save {
        QString loaded;
        QString mine;
        bool written = false;
    };
    struct Worker {
        QString role;
        QVector<Save> saves;
        QHash<QString, QString> last;  // "TABLE.Column" → last value it wrote
        int keptCount = 0, prompts = 0, applies = 0;
    };

    static bool parse(const QString& role, const QByteArray& output, Worker* w)
    {
        w->role = role;
        for (const QByteArray& raw : output.split('\n')) {
            const QStringList f = QString::fromUtf8(raw).split(QLatin1Char(' '));
            if (f.value(0) == QLatin1String("H") && f.size() == 5)
                w->saves.append({f[2], f[3], f[4] == QLatin1String("written")});
            else if (f.value(0) == QLatin1String("F") && f.size() == 3)
                w->last.insert(f[1], f[2]);
            else if (f.value(0) == QLatin1String("S") && f.size() == 5) {
                w->keptCount = f[2].toInt();
                w->prompts = f[3].toInt();
                w->applies = f[4].toInt();
            }
        }
        return !w->saves.isEmpty();
    }

    static QString stored(Storage& s, qint64 bid, const QString& tableDotColumn)
    {
        Recordset rs(s, DbFile::Kakunin);
        if (!rs.open(tableDotColumn.section(QLatin1Char('.'), 0, 0), QStringLiteral("B_ID"), bid) || rs.eof())
            return QStringLiteral("<missing row>");
        return rs.text(tableDotColumn.section(QLatin1Char('.'), 1));
    }

private slots:
    void twoProgramsEditingOneProjectLoseNothing()
    {
        TempAppDir dir;
        const qint64 bid = newProject(dir.storage());
        setColumns(dir.storage(), DbFile::Kakunin, "GAIYOU", "B_ID", bid, {{"Kouji", QStringLiteral("start")}});
        setColumns(dir.storage(), DbFile::Kakunin, "SHIKICHI", "B_ID", bid, {{"Tou1", QStringLiteral("1")}});
        dir.storage().closeAll();

        const int iterations = 1000;
        const quint32 seed = QRandomGenerator::global()->generate();
        qInfo("seed %u", seed);  // the writers' random order, to repeat a failing run
        QProcess a, b;
        QProcess* procs[] = {&a, &b};
        const char* roles[] = {"A", "B"};
        for (int i = 0; i < 2; ++i) {
            procs[i]->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            procs[i]->start(QStringLiteral(SD_WRITER_PATH),
                            {dir.path(), "edit", QString::number(bid), QString::fromLatin1(roles[i]),
                             QString::number(iterations), QString::number(seed + i)});
        }
        for (QProcess* p : procs) {
            QVERIFY(p->waitForStarted());
            QTRY_VERIFY_WITH_TIMEOUT(p->canReadLine(), 30000);
            QCOMPARE(p->readLine().trimmed(), QByteArray("ready"));
        }
        for (QProcess* p : procs)  // both start together
            p->write("go\n");
        for (QProcess* p : procs)
            QVERIFY(p->waitForBytesWritten(10000));
        Worker w[2];
        for (int i = 0; i < 2; ++i) {
            QVERIFY2(procs[i]->waitForFinished(600000), "the writers did not finish");
            QCOMPARE(procs[i]->exitStatus(), QProcess::NormalExit);
            QCOMPARE(procs[i]->exitCode(), 0);
            QVERIFY(parse(QString::fromLatin1(roles[i]), procs[i]->readAllStandardOutput(), &w[i]));
        }

        // Columns each program owns: the stored value is its last write,
        // whatever the other program applied from its older snapshots.
        Storage& s = dir.storage();
        int ownChecked = 0;
        for (const Worker& wk : w) {
            QCOMPARE(wk.saves.size(), iterations);
            for (auto it = wk.last.cbegin(); it != wk.last.cend(); ++it, ++ownChecked)
                QVERIFY2(stored(s, bid, it.key()) == it.value(),
                         qPrintable(QStringLiteral("%1: %2 stored, %3 last written by %4")
                                        .arg(it.key(), stored(s, bid, it.key()), it.value(), wk.role)));
        }

        // The shared field: every save that wrote started from the value
        // that the previous write left, so the writes form one chain from
        // the first value to the stored one. A silent overwrite would be a
        // second write from the same starting value (a fork).
        QHash<QString, QString> successor;
        int written = 0, kept = 0;
        for (const Worker& wk : w) {
            for (const Save& sv : wk.saves) {
                if (!sv.written) {
                    ++kept;
                    continue;
                }
                ++written;
                QVERIFY2(!successor.contains(sv.loaded),
                         qPrintable(QStringLiteral("both %1 and %2 overwrote %3").arg(successor.value(sv.loaded), sv.mine, sv.loaded)));
                successor.insert(sv.loaded, sv.mine);
            }
        }
        QString value = QStringLiteral("start");
        int chain = 0;
        while (successor.contains(value) && chain <= written) {
            value = successor.value(value);
            ++chain;
        }
        QCOMPARE(chain, written);
        QCOMPARE(stored(s, bid, QStringLiteral("GAIYOU.Kouji")), value);
        // A save that kept the other's value did so because that value had
        // really moved on from what it loaded.
        for (const Worker& wk : w)
            for (const Save& sv : wk.saves)
                if (!sv.written)
                    QVERIFY2(successor.contains(sv.loaded),
                             qPrintable(QStringLiteral("%1 reported a change of %2 that never happened").arg(sv.mine, sv.loaded)));
        QCOMPARE(w[0].keptCount + w[1].keptCount, kept);
        QCOMPARE(w[0].prompts + w[1].prompts, kept);  // one "更新警告" per kept field
        // Saves that overlapped are what the check is about; two programs
        // saving 1,000 times each always overlap somewhere.
        QVERIFY2(kept > 0, "the two programs never saved the header concurrently");
        QCOMPARE(stored(s, bid, QStringLiteral("SHIKICHI.Tou1")), QStringLiteral("1"));

        QVERIFY2(ownChecked > 0 && written > 0, "the programs saved nothing of their own");
    }
};

QTEST_GUILESS_MAIN(TestConcurrency)
#include "tst_concurrency.moc"
