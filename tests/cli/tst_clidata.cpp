#include "AppDir.h"
#include "InstanceLock.h"
#include "ProjectRegister.h"
#include "Recordset.h"
#include "Schema.h"
#include "SubmissionHistory.h"
#include "TableIo.h"
#include "TestSupport.h"
#include "WriteLock.h"
#include "output/ZipEntries.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QCryptographicHash>
#include <QThread>
#include <QtTest>

// The data commands as an office administrator runs them: backup and
// restore on either engine, the move to a PostgreSQL server and back.
class TestCliData : public QObject {
    Q_OBJECT

private:
    using Run = ProcessRun;
    static Run run(const QStringList& args) { return runProcess(QStringLiteral(SD_CLI_PATH), args); }

    // A fingerprint of every table of the seven databases: "db.table" → rows and SHA-256.
    static QHash<QString, TableIo::Digest> fingerprints(Storage& s)
    {
        QHash<QString, TableIo::Digest> out;
        for (DbFile db : allDbFiles) {
            QString error;
            QSqlDatabase d = s.connection(db, &error);
            if (!d.isValid())
                qFatal("%s", qPrintable(error));
            for (const TableDef& t : DatabaseSchema::builtIn(db).tables) {
                TableIo::Digest dg;
                QSqlError e;
                if (!TableIo::digest(d, QString(), t, &dg, &e))
                    qFatal("%s", qPrintable(e.text()));
                out.insert(dbBaseName(db) + QLatin1Char('.') + t.name, dg);
            }
        }
        return out;
    }

    static int differences(const QHash<QString, TableIo::Digest>& a, const QHash<QString, TableIo::Digest>& b,
                           bool expected = false)
    {
        int n = 0;
        for (auto it = a.cbegin(); it != a.cend(); ++it)
            if (b.value(it.key()) != it.value()) {
                if (!expected)
                    qWarning("%s differs: %lld rows %s / %lld rows %s", qPrintable(it.key()), it.value().rows,
                         qPrintable(it.value().hex()), b.value(it.key()).rows, qPrintable(b.value(it.key()).hex()));
                ++n;
            }
        return n + static_cast<int>(qAbs(a.size() - b.size()));
    }

    // A register with awkward values and a deleted last project, so that
    // the auto-number counter is ahead of the highest ID.
    static void fillRegister(Storage& s, int projects)
    {
        ProjectRegister reg(s);
        QString error;
        QVector<qint64> bids;
        for (int i = 0; i < projects; ++i) {
            qint64 bid = 0;
            QVERIFY2(reg.createProject(1, &bid, &error, QDateTime::currentDateTime().addSecs(i)), qPrintable(error));
            bids << bid;
            Recordset rs(s, DbFile::Kakunin);
            QVERIFY(rs.open(QStringLiteral("GAIYOU"), QStringLiteral("B_ID"), bid));
            rs.setValue(QStringLiteral("Kouji"), QStringLiteral("山田邸 O'Brien \"新築\" %1\n二行目\t\\").arg(i));
            QVERIFY(rs.update());
        }
        Recordset c(s, DbFile::SaleData);
        QVERIFY(c.open(QStringLiteral("UserMaster")));
        c.addNew();
        c.setValue(QStringLiteral("U_No"), 7);
        QVERIFY(c.update());
        QVERIFY2(reg.deleteProjects({bids.last()}, &error), qPrintable(error));
    }

    // The highest project number ever given.
    static qint64 projectCounter(Storage& s)
    {
        QString error;
        QSqlDatabase d = s.connection(DbFile::Kakunin, &error);
        qint64 highest = -1;
        QSqlError e;
        TableIo::idCounter(d, QString(), QStringLiteral("GAIYOU"), &highest, &e);
        return highest;
    }

    static qint64 nextProjectNumber(Storage& s)
    {
        Recordset rs(s, DbFile::Kakunin);
        if (!rs.open(QStringLiteral("GAIYOU")))
            return -1;
        const qint64 id = rs.addNew();
        rs.cancelUpdate();
        return id;
    }

    // A register of `projects` projects and its backup in `out`; the archive's path.
    static QString backedUp(TempAppDir& dir, int projects, const QTemporaryDir& out)
    {
        fillRegister(dir.storage(), projects);
        const QString archive = out.filePath(QStringLiteral("b.zip"));
        const Run r = run({"--appdir", dir.path(), "backup", archive});
        if (r.code != 0)
            qWarning("%s", qPrintable(r.err));
        return r.code == 0 ? archive : QString();
    }

    static QStringList serverOptions(const StorageConfig& c)
    {
        return {QStringLiteral("--host"), c.host, QStringLiteral("--port"), QString::number(c.port),
                QStringLiteral("--database"), c.database, QStringLiteral("--user"), c.user};
    }

private slots:
    void backupAndRestoreBringBackEveryTable()
    {
        TempAppDir dir;
        fillRegister(dir.storage(), 4);
        // Project 1's history: a certificate received and a correction request.
        QTemporaryDir received;
        const QString certificate = received.filePath(QStringLiteral("確認済証.pdf"));
        const QString request = received.filePath(QStringLiteral("補正依頼 第1回.pdf"));
        for (const QString& f : {certificate, request})
            writeBytes(f, f.toUtf8());
        QString error;
        QVERIFY2(SubmissionHistory::attachReceived(dir.storage(), 1, QStringLiteral("補正依頼"), QDate(2026, 11, 2),
                                                   QStringLiteral("2 件"), request, nullptr, &error),
                 qPrintable(error));
        QVERIFY2(SubmissionHistory::attachReceived(dir.storage(), 1, QStringLiteral("確認済証"), QDate(2026, 12, 1),
                                                   QString(), certificate, nullptr, &error),
                 qPrintable(error));
        const auto atBackup = fingerprints(dir.storage());
        QTemporaryDir out;
        const QString archive = out.filePath(QStringLiteral("事務所 バックアップ.zip"));
        {
            // The program goes on working meanwhile: another program is in
            // the middle of a write.
            auto other = dir.openAnother();
            WriteLockHolder busy(*other, DbFile::Kakunin);
            QVERIFY(busy.isHeld());
            const Run r = run({"--appdir", dir.path(), "backup", archive});
            QVERIFY2(r.code == 0, qPrintable(r.err));
            for (DbFile db : allDbFiles)
                QVERIFY2(r.out.contains(dbFileName(db)), qPrintable(r.out));
        }

        // Work after the backup that the restore takes back; the deleted
        // project's history files stay, aside.
        fillRegister(dir.storage(), 2);
        QVERIFY(SubmissionHistory::attachReceived(dir.storage(), 2, QStringLiteral("その他"), QDate(2026, 12, 6), QString(),
                                                  certificate, nullptr, &error));
        QStringList keptAside;
        QVERIFY(ProjectRegister(dir.storage()).deleteProjects({1}, &error, &keptAside));
        QCOMPARE(keptAside.size(), 1);
        QVERIFY(QFileInfo(keptAside.first()).isDir());
        QVERIFY(!QFileInfo::exists(dir.file(QStringLiteral("提出履歴/1"))));
        const auto changed = fingerprints(dir.storage());
        QVERIFY(differences(atBackup, changed, true) > 0);
        dir.storage().closeAll();

        const Run r = run({"--appdir", dir.path(), "restore", archive});
        QVERIFY2(r.code == 0 && r.out.contains(QStringLiteral("復元しました")), qPrintable(r.err + r.out));
        Storage after(dir.storage().config());
        QCOMPARE(differences(atBackup, fingerprints(after)), 0);
        // The history's files came back with its rows; what was recorded
        // after the backup is kept aside, not mixed in.
        QVector<SubmissionHistory::Entry> history;
        QVERIFY(SubmissionHistory::list(after, 1, &history, &error));
        QCOMPARE(history.size(), 2);
        for (const SubmissionHistory::Entry& e : history) {
            QCOMPARE(e.files.size(), 1);
            const QByteArray kept = readBytes(SubmissionHistory::absolutePath(dir.path(), e.files.first().path));
            QCOMPARE(QString::fromLatin1(QCryptographicHash::hash(kept, QCryptographicHash::Sha256).toHex()),
                     e.files.first().sha256);
        }
        QVERIFY(!QFileInfo::exists(dir.file(QStringLiteral("提出履歴/2"))));
        const QStringList aside = QDir(dir.path()).entryList({QStringLiteral("before-restore-*")}, QDir::Dirs);
        QCOMPARE(aside.size(), 1);
        QVERIFY(QFileInfo(dir.file(aside.first() + QStringLiteral("/提出履歴/2"))).isDir());
        if (!TempAppDir::usingPostgres()) {
            // The replaced files are kept, not thrown away.
            StorageConfig previous;
            previous.appDir = dir.file(aside.first());
            Storage old(previous);
            QCOMPARE(differences(changed, fingerprints(old)), 0);
        }
    }

    void restoreIsRefusedWhileTheProgramRunsAndForDamagedArchives()
    {
        TempAppDir dir;
        QTemporaryDir out;
        const QString archive = backedUp(dir, 2, out);
        QVERIFY(!archive.isEmpty());
        fillRegister(dir.storage(), 1);
        const auto current = fingerprints(dir.storage());
        dir.storage().closeAll();

        {
            InstanceLock program(dir.path());  // the program's window is open on this folder
            QVERIFY(program.acquire());
            const Run r = run({"--appdir", dir.path(), "restore", archive});
            QVERIFY2(r.code != 0 && r.err.contains(QStringLiteral("起動中")), qPrintable(r.err));
        }

        QByteArray bytes = readBytes(archive);
        for (qsizetype i = bytes.size() / 2; i < bytes.size() / 2 + 64; ++i)
            bytes[i] = static_cast<char>(~bytes[i]);
        const Run r = run({"--appdir", dir.path(), "restore", writeBytes(out.filePath(QStringLiteral("damaged.zip")), bytes)});
        QVERIFY(r.code != 0 && !r.err.isEmpty());
        QVERIFY(run({"--appdir", dir.path(), "restore", writeBytes(out.filePath(QStringLiteral("memo.zip")), "PK not a backup")})
                    .code != 0);

        Storage after(dir.storage().config());
        QCOMPARE(differences(current, fingerprints(after)), 0);
        QVERIFY(QDir(dir.path()).entryList({QStringLiteral("before-restore-*")}, QDir::Dirs).isEmpty());
        QVERIFY(QDir(dir.path()).entryList({QStringLiteral(".shinseidesk-*")}, QDir::Dirs | QDir::Hidden).isEmpty());
    }

    // The archive with some entries replaced, written anew.
    static bool replaceEntries(const QString& archive, const ZipEntries::Entries& replaced)
    {
        ZipEntries::Entries all = ZipEntries::read(archive, false);
        all.insert(replaced);
        return ZipEntries::write(archive, all);
    }

    void restoreBringsBackOnlyTheProgramsOwnSchema()
    {
        TempAppDir dir;
        QTemporaryDir out;
        const QString archive = backedUp(dir, 3, out);
        QVERIFY(!archive.isEmpty());
        const auto atBackup = fingerprints(dir.storage());

        // Someone adds to the backup's kakunin.db a trigger that empties the
        // site table on the next save, a table, a column, a view and an
        // index, and fixes up the manifest so that the archive looks sound.
        const QString db = out.filePath(QStringLiteral("kakunin.db"));
        writeBytes(db, ZipEntries::entry(archive, "kakunin.db"));
        {
            QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("craft"));
            d.setDatabaseName(db);
            QVERIFY(d.open());
            QSqlQuery q(d);
            for (const char* sql : {"CREATE TRIGGER evil AFTER UPDATE ON \"GAIYOU\" BEGIN DELETE FROM \"SHIKICHI\"; END",
                                    "CREATE TABLE \"Foreign\" (x TEXT)", "INSERT INTO \"Foreign\" VALUES ('x')",
                                    "ALTER TABLE \"GAIYOU\" ADD COLUMN \"Extra\" TEXT",
                                    "CREATE INDEX evil_idx ON \"GAIYOU\" (\"Extra\")", "CREATE VIEW peek AS SELECT 1"})
                QVERIFY2(q.exec(QString::fromLatin1(sql)), qPrintable(q.lastError().text()));
            d.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("craft"));
        const QByteArray bytes = readBytes(db);
        QByteArray manifest = ZipEntries::entry(archive, "manifest.txt");
        QStringList lines = QString::fromUtf8(manifest).split(QLatin1Char('\n'));
        for (QString& l : lines)
            if (l.startsWith(QStringLiteral("kakunin.db\t")))
                l = QStringLiteral("kakunin.db\t%1\t%2")
                        .arg(bytes.size())
                        .arg(QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()));
        manifest = lines.join(QLatin1Char('\n')).toUtf8();
        QVERIFY(replaceEntries(archive, {{QStringLiteral("kakunin.db"), bytes}, {QStringLiteral("manifest.txt"), manifest}}));

        dir.storage().closeAll();
        Run r = run({"--appdir", dir.path(), "restore", archive});
        QVERIFY2(r.code == 0, qPrintable(r.err + r.out));
        for (const QString& named : {QStringLiteral("トリガー evil"), QStringLiteral("テーブル Foreign"),
                                     QStringLiteral("GAIYOU.Extra"), QStringLiteral("ビュー peek"),
                                     QStringLiteral("インデックス evil_idx")})
            QVERIFY2(r.out.contains(named), qPrintable(r.out));
        {
            Storage after(dir.storage().config());
            QCOMPARE(differences(atBackup, fingerprints(after)), 0);
            // A save of every project: the site rows stay.
            QString error;
            QSqlDatabase d = after.connection(DbFile::Kakunin, &error);
            QSqlQuery q(d);
            QVERIFY(q.exec(QStringLiteral("UPDATE \"GAIYOU\" SET \"Kouji\" = 'x'")));
            QVERIFY(q.exec(QStringLiteral("SELECT COUNT(*) FROM \"SHIKICHI\"")) && q.next());
            QVERIFY(q.value(0).toLongLong() > 0);
            if (!TempAppDir::usingPostgres()) {
                QVERIFY(q.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type IN ('trigger', 'view') "
                                              "OR name IN ('Foreign', 'evil_idx')")) && q.next());
                QCOMPARE(q.value(0).toLongLong(), 0);
            }
        }

        // A zip bomb: a small manifest entry, a huge (highly compressible)
        // database. Refused by its size, before it is written out.
        const auto current = fingerprints(dir.storage());
        dir.storage().closeAll();
        const qint64 sizeBefore = QFileInfo(archive).size();
        const QByteArray zeros(64 << 20, '\0');
        QVERIFY(replaceEntries(archive, {{QStringLiteral("kakunin.db"), zeros}}));
        QVERIFY(QFileInfo(archive).size() < sizeBefore + (1 << 20));
        r = run({"--appdir", dir.path(), "restore", archive});
        QVERIFY2(r.code != 0 && r.err.contains(QStringLiteral("記録された大きさ")), qPrintable(r.err));
        Storage after(dir.storage().config());
        QCOMPARE(differences(current, fingerprints(after)), 0);
        QVERIFY(QDir(dir.path()).entryList({QStringLiteral(".shinseidesk-*")}, QDir::Dirs | QDir::Hidden).isEmpty());
    }

    // A restore never replaces the register under a command that writes,
    // and a command never writes into a register being restored.
    void writersAndRestoreExcludeEachOther()
    {
        TempAppDir dir;
        QTemporaryDir out;
        const QString archive = backedUp(dir, 2, out);
        QVERIFY(!archive.isEmpty());
        const StorageConfig cfg = dir.storage().config();
        auto customers = [&] {
            Storage s(cfg);
            Recordset rs(s, DbFile::SaleData);
            return rs.open(QStringLiteral("UserMaster")) ? rs.recordCount() : -1;
        };
        const int before = customers();
        dir.storage().closeAll();

        const int n = 30000;
        const QString csv = out.filePath(QStringLiteral("many.csv"));
        QByteArray data = "氏名,姓,名,〒,都道府県,市区町村\n";
        for (int i = 0; i < n; ++i)
            data += "山田 " + QByteArray::number(i) + ",山田,太郎,100-0001,東京都,千代田区\n";
        writeBytes(csv, data);
        QProcess writer;
        writer.start(QStringLiteral(SD_CLI_PATH), {"--appdir", dir.path(), "customers", "import", csv});
        QVERIFY(writer.waitForStarted());
        // Until the writer holds its lock (a probe that gets it lets go at once).
        bool writing = false;
        while (!writing && !writer.waitForFinished(10)) {
            WriteLock probe(cfg, QStringLiteral("probe"));
            writing = !probe.acquire(WriteLock::Mode::Exclusive, 0, nullptr);
        }
        QVERIFY2(writing, "the import ended before it was seen holding its lock");
        const Run refused = run({"--appdir", dir.path(), "restore", archive});
        const bool stillWriting = writer.state() == QProcess::Running;
        QVERIFY(writer.waitForFinished(120000));
        QVERIFY2(writer.exitCode() == 0, writer.readAllStandardError().constData());
        QCOMPARE(QString::fromUtf8(writer.readAllStandardOutput()).trimmed(), QString::number(n));
        QVERIFY2(refused.code == 1 && refused.err.contains(QStringLiteral("customers import")),
                 qPrintable(refused.out + refused.err));
        QVERIFY(stillWriting);
        QCOMPARE(customers(), before + n);

        // The other way round: a restore in progress holds the lock.
        {
            WriteLock restoring(cfg, QStringLiteral("restore"));
            QString error;
            QVERIFY2(restoring.acquire(WriteLock::Mode::Exclusive, 0, &error), qPrintable(error));
            const Run r = run({"--appdir", dir.path(), "project", "new"});
            QVERIFY2(r.code == 1 && r.err.contains(QStringLiteral("復元")) && r.out.isEmpty(), qPrintable(r.err));
        }
        const Run r = run({"--appdir", dir.path(), "restore", archive});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(customers(), before);
    }

    void migrationToTheServerAndBackKeepsEveryRowAndNumber()
    {
        if (!TempAppDir::usingPostgres())
            QSKIP("needs the PostgreSQL test server");
        QTemporaryDir local;
        StorageConfig localCfg;
        localCfg.appDir = local.path();
        TempAppDir server;  // its database is the target
        const StorageConfig serverCfg = server.storage().config();
        server.storage().closeAll();
        QHash<QString, TableIo::Digest> source;
        qint64 counter = 0;
        {
            Storage s(localCfg);
            QString error;
            QVERIFY2(s.initialize(&error), qPrintable(error));
            AppDir::set(local.path());
            fillRegister(s, 5);
            source = fingerprints(s);
            counter = projectCounter(s);
            Recordset g(s, DbFile::Kakunin);
            QVERIFY(g.open(QStringLiteral("GAIYOU")));
            g.moveLast();
            QVERIFY(g.id() < counter);  // the last project was deleted
        }
        AppDir::set(server.path());

        Run r = run(QStringList{"--appdir", local.path(), "migrate", "--to-postgres"} + serverOptions(serverCfg));
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY(r.out.contains(QStringLiteral("チェックサムが一致")));
        {
            Storage s(serverCfg);
            QCOMPARE(differences(source, fingerprints(s)), 0);
            QCOMPARE(projectCounter(s), counter);  // a deleted project's number is never given again
        }
        // A second run would overwrite the office's register: refused.
        r = run(QStringList{"--appdir", local.path(), "migrate", "--to-postgres"} + serverOptions(serverCfg));
        QVERIFY(r.code != 0);
        QVERIFY2(r.err.contains(QStringLiteral("--replace")), qPrintable(r.err));

        QTemporaryDir back;
        r = run(QStringList{"--appdir", server.path(), "migrate", "--to-sqlite", back.path()});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        StorageConfig backCfg;
        backCfg.appDir = back.path();
        for (const StorageConfig& c : {backCfg, serverCfg}) {
            Storage s(c);
            QCOMPARE(differences(source, fingerprints(s)), 0);
            QCOMPARE(nextProjectNumber(s), counter + 1);
        }
        r = run({"--appdir", server.path(), "migrate", "--to-sqlite", back.path()});
        QVERIFY(r.code != 0);  // never over existing files
    }

    void failedMigrationChangesNothingOnTheServer()
    {
        if (!TempAppDir::usingPostgres())
            QSKIP("needs the PostgreSQL test server");
        QTemporaryDir local;
        StorageConfig localCfg;
        localCfg.appDir = local.path();
        {
            Storage s(localCfg);
            QString error;
            QVERIFY(s.initialize(&error));
            AppDir::set(local.path());
            fillRegister(s, 3);
            // The last database holds a value the server cannot take.
            QSqlQuery q(s.connection(DbFile::MailData, &error));
            QVERIFY(q.exec(QStringLiteral("INSERT INTO \"MailData\" (\"D_ID\") VALUES ('kein Wert')")));
            // And a customer's name holds a NUL character (as older CSV imports stored them).
            QSqlQuery c(s.connection(DbFile::SaleData, &error));
            QVERIFY(c.exec(QStringLiteral("INSERT INTO \"UserMaster\" (\"ID\", \"Name\") VALUES (77, 'ok')")));
            QVERIFY(c.prepare(QStringLiteral("INSERT INTO \"UserMaster\" (\"ID\", \"Name1\") VALUES (78, ?)")));
            c.addBindValue(QStringLiteral("山") + QChar(0) + QStringLiteral("田"));
            QVERIFY(c.exec());
        }
        TempAppDir server;
        fillRegister(server.storage(), 2);
        const auto before = fingerprints(server.storage());
        server.storage().closeAll();
        const QStringList migrate = QStringList{"--appdir", local.path(), "migrate", "--to-postgres", "--replace"}
                                    + serverOptions(server.storage().config());
        Run r = run(migrate);
        QVERIFY(r.code != 0);
        // The refused value is named by database, table, row and column.
        for (const char* part : {"saledata", "UserMaster", "ID 78", "Name1", "NUL"})
            QVERIFY2(r.err.contains(QLatin1String(part)), qPrintable(r.err));
        {
            Storage s(localCfg);
            QString error;
            QSqlQuery c(s.connection(DbFile::SaleData, &error));
            QVERIFY(c.exec(QStringLiteral("DELETE FROM \"UserMaster\" WHERE \"ID\" = 78")));
        }
        r = run(migrate);
        QVERIFY(r.code != 0);
        QVERIFY2(r.err.contains(QStringLiteral("kein Wert")) && r.err.contains(QStringLiteral("何も変更されていません")),
                 qPrintable(r.err));
        Storage s(server.storage().config());
        QCOMPARE(differences(before, fingerprints(s)), 0);
    }

    void initMakesAReadyServerDatabase()
    {
        if (!TempAppDir::usingPostgres())
            QSKIP("needs the PostgreSQL test server");
        TempAppDir holder;
        StorageConfig cfg;
        QString error;
        QVERIFY2(holder.makeEmptyServerDatabase(&cfg, &error), qPrintable(error));
        QTemporaryDir app;
        QVERIFY(cfg.writeIni(app.path(), &error));
        for (int pass = 0; pass < 2; ++pass) {
            const Run r = run({"--appdir", app.path(), "init"});
            QVERIFY2(r.code == 0, qPrintable(r.err));
        }
        // The layout and code lists init makes, and that a second init adds
        // nothing to, are tst_upgrade's, on this engine as well.
        Storage s(cfg);
        Recordset rs(s, DbFile::PostDb);
        QVERIFY(rs.open(QStringLiteral("POST_DB"), QStringLiteral("P_PST"), QStringLiteral("1000001")));
        QCOMPARE(rs.recordCount(), 1);
        QSqlQuery q(s.connection(DbFile::PostDb, &error));
        QVERIFY(q.exec(QStringLiteral("SELECT COUNT(*) FROM \"POST_DB\"")) && q.next());
        QVERIFY(q.value(0).toLongLong() > 100000);
    }
};

QTEST_GUILESS_MAIN(TestCliData)
#include "tst_clidata.moc"
