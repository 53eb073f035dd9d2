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

    // Outputs never replace the office's databases, templates or settings,
    // however the path reaches them; a failed write keeps the earlier file.
    void outputsKeepTheOfficesFilesAndEarlierOutputs()
    {
        TempAppDir app;
        const QString appDir = app.path();
        QVERIFY(QFile::copy(QStringLiteral(SD_TEMPLATE_PATH), app.file(QStringLiteral("確認申請.xlsx"))));
        const Run created = run({QStringLiteral("--appdir"), appDir, QStringLiteral("project"), QStringLiteral("new")});
        QVERIFY2(created.code == 0, qPrintable(created.err));
        const QString bid = created.out.trimmed();
        QTemporaryDir out;
        const QString link = out.filePath(QStringLiteral("link"));
        QVERIFY(QFile::link(appDir, link));
        QVERIFY(QDir(out.path()).mkdir(QStringLiteral("sub")));
        // A link into a folder of the application folder: ".." goes up from its target.
        QVERIFY(QDir(appDir).mkdir(QStringLiteral("Photo")));
        QVERIFY(QFile::link(app.file(QStringLiteral("Photo")), out.filePath(QStringLiteral("photos"))));
        const QString viaUp = out.filePath(QStringLiteral("photos/../kakunin.db"));
        const QList<QStringList> refused{
            {QStringLiteral("output"), bid, QStringLiteral("0"), QStringLiteral("--out"), app.file(QStringLiteral("kakunin.db"))},
            {QStringLiteral("output"), bid, QStringLiteral("0"), QStringLiteral("--out"), out.filePath(QStringLiteral("a.xlsx")),
             QStringLiteral("--pdf"), link + QStringLiteral("/postdb.db")},
            {QStringLiteral("output"), bid, QStringLiteral("0"), QStringLiteral("--out"), link + QStringLiteral("/確認申請.xlsx")},
            {QStringLiteral("output"), bid, QStringLiteral("0"), QStringLiteral("--out"), viaUp},
            {QStringLiteral("customers"), QStringLiteral("export"), out.filePath(QStringLiteral("sub/../link/saledata.db"))},
            {QStringLiteral("customers"), QStringLiteral("export"), link + QStringLiteral("/database.ini")},
            {QStringLiteral("backup"), app.file(QStringLiteral("KAKUNIN.DB-wal"))},
        };
        for (const QStringList& args : refused) {
            const Run r = run(QStringList{QStringLiteral("--appdir"), appDir} + args);
            QVERIFY2(r.code == 2, qPrintable(args.join(QLatin1Char(' ')) + QLatin1Char('\n') + r.err));
            QVERIFY2(r.err.contains(QStringLiteral("このプログラムのデータファイル")), qPrintable(r.err));
        }
        QVERIFY(!QFile::exists(out.filePath(QStringLiteral("a.xlsx"))));
        const Run list = run({QStringLiteral("--appdir"), appDir, QStringLiteral("project"), QStringLiteral("list")});
        QVERIFY2(list.code == 0 && list.out.startsWith(bid + QLatin1Char('\t')), qPrintable(list.err));

        // A file size limit stands for a full disk: write() fails with EFBIG.
        const QString earlier = out.filePath(QStringLiteral("earlier.xlsx"));
        QFile f(earlier);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("earlier") == 7);
        f.close();
        QVERIFY(QFileInfo(QStringLiteral(SD_TEMPLATE_PATH)).size() > 96 * 1024);
        const Run full = runProcess(QStringLiteral("/bin/bash"),
                                    {QStringLiteral("-c"), QStringLiteral("trap '' XFSZ; ulimit -f 64; exec \"$0\" \"$@\""),
                                     QStringLiteral(SD_CLI_PATH), QStringLiteral("--appdir"), appDir, QStringLiteral("output"), bid,
                                     QStringLiteral("0"), QStringLiteral("--out"), earlier});
        QCOMPARE(full.code, 1);
        QVERIFY2(full.err.contains(QStringLiteral("ファイルの大きさが上限を超えました")), qPrintable(full.err));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("earlier"));
        f.close();
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("earlier.xlsx")});
        // Without the limit the same command replaces it.
        const Run ok = run({QStringLiteral("--appdir"), appDir, QStringLiteral("output"), bid, QStringLiteral("0"),
                            QStringLiteral("--out"), earlier});
        QVERIFY2(ok.code == 0, qPrintable(ok.err));
        QVERIFY(QFileInfo(earlier).size() > 96 * 1024);
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
