#include "ProjectRegister.h"
#include "Recordset.h"
#include "TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

// The batch tool as a user runs it: a process with arguments and exit codes.
class TestCli : public QObject {
    Q_OBJECT

private:
    using Run = ProcessRun;
    static Run run(const QStringList& args) { return runProcess(QStringLiteral(SD_CLI_PATH), args); }

private slots:
    void initMakesAReadyApplicationDirectory()
    {
        QTemporaryDir tmp;
        const QString dir = tmp.filePath(QStringLiteral("新しい事務所/data"));
        const Run r = run({QStringLiteral("--appdir"), dir, QStringLiteral("init")});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        for (const char* f : {"kakunin.db", "masterdata.db", "saledata.db", "optiondata.db", "anotheroption.db",
                              "postdb.db", "maildata.db"})
            QVERIFY2(QFile::exists(QDir(dir).filePath(QString::fromLatin1(f))), f);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
            db.setDatabaseName(QDir(dir).filePath(QStringLiteral("kakunin.db")));
            QVERIFY(db.open());
            QStringList tables = db.tables();
            tables.removeAll(QStringLiteral("sqlite_sequence"));
            tables.sort();
            QCOMPARE(tables, (QStringList{"BOUKA", "GAIYOU", "GYOUMU", "ININ", "KAIBETU", "KANRYOU", "KOUJI",
                                          "SCHEDULE", "SHIKICHI", "TATEMONOBETU"}));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("check"));
        // A second init leaves everything as it is and succeeds.
        const Run again = run({QStringLiteral("--appdir"), dir, QStringLiteral("init")});
        QCOMPARE(again.code, 0);
    }

    void usageAndErrors()
    {
        const Run help = run({QStringLiteral("--help")});
        QCOMPARE(help.code, 0);
        QVERIFY(help.out.contains(QStringLiteral("init")));
        const Run none = run({});
        QVERIFY(none.code != 0);
        QVERIFY(!none.err.isEmpty());
        const Run bad = run({QStringLiteral("--appdir"), QDir::tempPath(), QStringLiteral("frobnicate")});
        QVERIFY(bad.code != 0);
        QVERIFY(bad.err.contains(QStringLiteral("frobnicate")));
        const Run noDir = run({QStringLiteral("--appdir")});
        QVERIFY(noDir.code != 0);
        // A folder that cannot be created is reported, not ignored.
        QTemporaryDir tmp;
        QFile blocker(tmp.filePath(QStringLiteral("file")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const Run blocked = run({QStringLiteral("--appdir"), tmp.filePath(QStringLiteral("file/sub")), QStringLiteral("init")});
        QVERIFY(blocked.code != 0);
        QVERIFY(!blocked.err.isEmpty());
    }

    // Number columns take what a user could mean and refuse the rest,
    // keeping the stored value: no wrap-around, no silent rounding.
    void numberColumnsRefuseWhatTheyCannotHold()
    {
        TempAppDir dir;
        qint64 bid = 0;
        QString error;
        QVERIFY2(ProjectRegister(dir.storage()).createProject(1, &bid, &error), qPrintable(error));
        auto set = [&](const QString& value) {
            return run({QStringLiteral("--appdir"), dir.path(), QStringLiteral("project"), QStringLiteral("set"),
                        QString::number(bid), QStringLiteral("SHIKICHI"), QStringLiteral("Tosi1=") + value});
        };
        auto stored = [&] {
            Recordset rs(dir.storage(), DbFile::Kakunin);
            return rs.open(QStringLiteral("SHIKICHI"), QStringLiteral("B_ID"), bid) ? rs.value(QStringLiteral("Tosi1"))
                                                                                      : QVariant(QStringLiteral("?"));
        };
        const QVector<QPair<QString, qint64>> good{{QStringLiteral("42"), 42},
                                                   {QStringLiteral(" -7 "), -7},
                                                   {QStringLiteral("＋１２３"), 123},
                                                   {QStringLiteral("9223372036854775807"), 9223372036854775807LL},
                                                   {QStringLiteral("-9223372036854775808"), qint64(-9223372036854775807LL - 1)},
                                                   {QStringLiteral("5.00"), 5}};
        for (const auto& [text, value] : good) {
            const Run r = set(text);
            QVERIFY2(r.code == 0, qPrintable(text + QLatin1Char(' ') + r.err));
            QCOMPARE(stored().toLongLong(), value);
        }
        for (const QString& bad : {QStringLiteral("1e308"), QStringLiteral("NaN"), QStringLiteral("inf"),
                                   QStringLiteral("9223372036854775808"), QStringLiteral("-9223372036854775809"),
                                   QStringLiteral("1.9"), QStringLiteral("0x10"), QStringLiteral("1,000")}) {
            const Run r = set(bad);
            QVERIFY2(r.code == 2, qPrintable(bad + QLatin1Char(' ') + r.err));
            QVERIFY2(r.err.contains(QStringLiteral("Tosi1")) && r.err.contains(bad), qPrintable(r.err));
            QCOMPARE(stored().toLongLong(), 5);
        }

        // Area text: what the site window's decimal filter would refuse.
        auto setArea = [&](const QString& value) {
            return run({QStringLiteral("--appdir"), dir.path(), QStringLiteral("project"), QStringLiteral("set"),
                        QString::number(bid), QStringLiteral("SHIKICHI"), QStringLiteral("Size1=") + value});
        };
        QCOMPARE(setArea(QStringLiteral("1,234.50")).code, 0);
        for (const QString& bad : {QStringLiteral("NaN ㎡"), QStringLiteral("1e308"), QStringLiteral("12-3"), QStringLiteral("１２")}) {
            const Run r = setArea(bad);
            QVERIFY2(r.code == 2 && r.err.contains(QStringLiteral("Size1")), qPrintable(bad + QLatin1Char(' ') + r.err));
        }
        QVERIFY(setArea(QStringLiteral("-0.5")).code == 0);
        Recordset site(dir.storage(), DbFile::Kakunin);
        QVERIFY(site.open(QStringLiteral("SHIKICHI"), QStringLiteral("B_ID"), bid));
        QCOMPARE(site.text(QStringLiteral("Size1")), QStringLiteral("-0.5"));

        // Real columns: finite decimals only, through the storage API every window uses.
        Recordset label(dir.storage(), DbFile::AnotherOption);
        QVERIFY(label.open(QStringLiteral("DMlabel")) && !label.eof());
        for (const QString& bad : {QStringLiteral("NaN"), QStringLiteral("-inf"), QStringLiteral("1e999"), QStringLiteral("12.5mm")}) {
            label.setValue(QStringLiteral("MUp"), bad);
            QVERIFY(!label.update());
            QVERIFY2(label.errorString().contains(QStringLiteral("MUp")), qPrintable(label.errorString()));
        }
        label.setValue(QStringLiteral("MUp"), QStringLiteral("１２．２５"));
        QVERIFY2(label.update(), qPrintable(label.errorString()));
        QVERIFY(label.open(QStringLiteral("DMlabel")));
        QCOMPARE(label.value(QStringLiteral("MUp")).toDouble(), 12.25);
        qInfo("%s: %lld integer texts stored exactly, 8 refused with exit 2 and the value kept; reals refuse NaN/inf/overflow",
              qPrintable(TempAppDir::engineName()), static_cast<long long>(good.size()));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
