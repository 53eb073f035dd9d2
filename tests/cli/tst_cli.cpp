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
                                          "SCHEDULE", "SHIKICHI", "SchemaInfo", "TATEMONOBETU"}));
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
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
