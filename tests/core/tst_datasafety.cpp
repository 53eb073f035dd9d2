#include "AppDir.h"
#include "ProjectData.h"
#include "ProjectRegister.h"
#include "Recordset.h"
#include "SafeFile.h"
#include "TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QThread>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

// Data safety on one computer: a program killed at any moment of a write
// and a full disk never leave half an operation or half a file behind nor
// lose what was saved before; nothing but SQLite opens a database file.
class TestDataSafety : public QObject {
    Q_OBJECT

private:
    QRandomGenerator m_rng;
    int m_rounds = 20;
    int m_kills = 0;

    // Runs sd_writer on cfg's directory until it has had a random part of
    // maxDelayMs to work, then kills it without warning, and checks the
    // databases it writes. *done gets what it reported done: its lines
    // that start with prefix, without the prefix.
    void killRound(const StorageConfig& cfg, const QStringList& args, int maxDelayMs, const QString& prefix,
                   QStringList* done)
    {
        done->clear();
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(QStringLiteral(SD_WRITER_PATH), QStringList{cfg.appDir} + args);
        QVERIFY(p.waitForStarted() && p.waitForReadyRead(30000));
        QThread::msleep(static_cast<unsigned long>(m_rng.bounded(maxDelayMs + 1)));
        if (p.state() == QProcess::Running) {
            ::kill(static_cast<pid_t>(p.processId()), SIGKILL);
            ++m_kills;
        }
        p.waitForFinished(30000);
        const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.value(0), QStringLiteral("ready"));
        for (const QString& l : lines)
            if (l.startsWith(prefix))
                *done << l.mid(prefix.size());
        checkIntegrity(cfg, written());
    }

    // Every database file passes SQLite's own check (the server keeps its own).
    static void checkIntegrity(const StorageConfig& cfg, const QVector<DbFile>& dbs)
    {
        Storage s(cfg);
        for (DbFile db : dbs) {
            QStringList problems;
            QString error;
            QVERIFY2(s.checkIntegrity(db, &problems, &error), qPrintable(dbBaseName(db) + QLatin1Char(' ') + error));
        }
    }

    // Every project has all its rows or none: B_ID → rows per table.
    static void checkProjectsWhole(Storage& s, QSet<qint64>* present)
    {
        QString error;
        QSqlDatabase d = s.connection(DbFile::Kakunin, &error);
        QVERIFY2(d.isValid(), qPrintable(error));
        QHash<qint64, QHash<QString, int>> counts;
        for (const QString& t : ProjectTables::all) {
            QSqlQuery q(d);
            QVERIFY(q.exec(QStringLiteral("SELECT \"B_ID\", COUNT(*) FROM \"%1\" GROUP BY \"B_ID\"").arg(t)));
            while (q.next())
                counts[q.value(0).toLongLong()][t] = q.value(1).toInt();
        }
        auto rows = [](qint64 bid, const QHash<QString, int>& perTable) {
            QStringList out{QStringLiteral("project %1:").arg(bid)};
            for (const QString& t : ProjectTables::all)
                out << QStringLiteral("%1=%2").arg(t).arg(perTable.value(t));
            return out.join(QLatin1Char(' '));
        };
        present->clear();
        for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
            QCOMPARE(rows(it.key(), it.value()), rows(it.key(), kNewProjectRows));
            present->insert(it.key());
        }
    }

    // Record-book lines per project: 90 or none. Lines of projects that are
    // gone are returned in *orphans.
    static void checkRecordBooks(Storage& s, const QSet<qint64>& projects, int* orphans)
    {
        QString error;
        QSqlQuery q(s.connection(DbFile::AnotherOption, &error));
        QVERIFY(q.exec(QStringLiteral("SELECT \"F_INT01\", COUNT(*) FROM \"StrIntTable\" GROUP BY \"F_INT01\"")));
        *orphans = 0;
        while (q.next()) {
            QVERIFY2(q.value(1).toInt() == 90, qPrintable(QStringLiteral("record book of %1 has %2 lines")
                                                              .arg(q.value(0).toLongLong())
                                                              .arg(q.value(1).toInt())));
            if (!projects.contains(q.value(0).toLongLong()))
                ++*orphans;
        }
    }

    static QVector<DbFile> written() { return {DbFile::Kakunin, DbFile::AnotherOption}; }
    static QVector<DbFile> all() { return QVector<DbFile>(allDbFiles.begin(), allDbFiles.end()); }

private slots:
    void initTestCase()
    {
        const quint32 seed = QRandomGenerator::global()->generate();
        m_rng.seed(seed);
        qInfo("engine %s, kill moments from seed %u", qPrintable(TempAppDir::engineName()), seed);
    }
    void init() { m_kills = 0; }

    void killedCreationLeavesWholeProjectsOnly()
    {
        TempAppDir dir;
        const StorageConfig cfg = dir.storage().config();
        dir.storage().closeAll();
        int reported = 0;
        QSet<qint64> present;
        QStringList created;
        for (int round = 0; round < m_rounds; ++round) {
            killRound(cfg, {QStringLiteral("create"), QStringLiteral("100000")}, 150, QStringLiteral("created "), &created);
            reported += created.size();
            Storage s(cfg);
            checkProjectsWhole(s, &present);
            // A reported creation is never lost; at most the one in flight
            // was committed before its report.
            QVERIFY2(present.size() == reported || present.size() == reported + 1,
                     qPrintable(QStringLiteral("%1 projects, %2 reported").arg(present.size()).arg(reported)));
            reported = present.size();
        }
        checkIntegrity(cfg, all());
        QVERIFY2(m_kills > 0 && reported > 0, "no program was killed while creating");
    }

    void killedDeletionLeavesWholeProjectsOnly()
    {
        TempAppDir dir;
        const StorageConfig cfg = dir.storage().config();
        auto stock = [&](int n) {
            for (int i = 0; i < n; ++i) {
                const qint64 bid = newProject(dir.storage());
                ProjectData p;
                QString error;
                QVERIFY(bid > 0 && ProjectData::load(dir.storage(), bid, &p, &error));  // makes its record book
            }
        };
        stock(25);
        dir.storage().closeAll();
        int deleted = 0;
        QSet<qint64> present;
        QStringList reported;
        {
            Storage s(cfg);
            checkProjectsWhole(s, &present);
        }
        for (int round = 0; round < m_rounds; ++round) {
            const int before = present.size();
            killRound(cfg, {QStringLiteral("delete")}, 120, QStringLiteral("deleted "), &reported);
            Storage s(cfg);
            checkProjectsWhole(s, &present);
            const int n = reported.size();
            QVERIFY2(present.size() == before - n || present.size() == before - n - 1,
                     qPrintable(QStringLiteral("%1 projects left of %2, %3 deletions reported").arg(present.size()).arg(before).arg(n)));
            for (const QString& bid : reported)
                QVERIFY(!present.contains(bid.toLongLong()));
            deleted += before - present.size();
            int orphans = 0;
            checkRecordBooks(s, present, &orphans);
            if (present.size() < 6) {
                stock(10);
                dir.storage().closeAll();
                checkProjectsWhole(s, &present);
            }
        }
        // A deletion cut off between the two databases left record-book
        // lines behind; the next deletion takes them away.
        Storage s(cfg);
        QString error;
        QVERIFY2(ProjectRegister(s).deleteProjects({}, &error), qPrintable(error));
        int orphans = 0;
        checkRecordBooks(s, present, &orphans);
        QCOMPARE(orphans, 0);
        checkIntegrity(cfg, all());
        QVERIFY2(m_kills > 0 && deleted > 0, "no program was killed while deleting");
    }

    void killedApplyLeavesOneWholeSave()
    {
        TempAppDir dir;
        const StorageConfig cfg = dir.storage().config();
        const qint64 bid = newProject(dir.storage());
        QVERIFY(bid > 0);
        dir.storage().closeAll();
        QString previous;  // the stamp that was stored before the round
        int saves = 0;
        QStringList applied;
        for (int round = 1; round <= m_rounds; ++round) {
            const QString tag = QStringLiteral("r%1").arg(round);
            killRound(cfg, {QStringLiteral("apply"), QString::number(bid), QStringLiteral("100000"), tag}, 100,
                      QStringLiteral("applied "), &applied);
            const int reported = applied.size();
            saves += reported;
            Storage s(cfg);
            QSet<QString> stamps;
            Recordset rs(s, DbFile::Kakunin);
            QVERIFY(rs.open(QStringLiteral("KAIBETU"), QStringLiteral("B_ID"), bid));
            QCOMPARE(rs.recordCount(), 18);
            for (; !rs.eof(); rs.moveNext())
                stamps << rs.text(QStringLiteral("F1Shoukei"));
            QVERIFY(rs.open(QStringLiteral("SHIKICHI"), QStringLiteral("B_ID"), bid));
            stamps << rs.text(QStringLiteral("Tiban")) << rs.text(QStringLiteral("Jdisp"));
            QVERIFY2(stamps.size() == 1, qPrintable(QStringList(stamps.values()).join(QLatin1Char(','))));
            const QString now = *stamps.begin();
            // The last reported save is stored, or the one after it that
            // committed just before the kill.
            QStringList allowed{tag + QLatin1Char('-') + QString::number(reported + 1)};
            allowed << (reported > 0 ? tag + QLatin1Char('-') + QString::number(reported) : previous);
            QVERIFY2(allowed.contains(now), qPrintable(QStringLiteral("stored %1, reported %2").arg(now).arg(reported)));
            previous = now;
        }
        checkIntegrity(cfg, all());
        QVERIFY2(m_kills > 0 && saves > 0, "no program was killed while applying");
    }

    void fullDiskDuringApplyLosesNothing()
    {
        if (TempAppDir::usingPostgres())
            QSKIP("a full disk of the server cannot be made from a client; its message is tst_storage's case");
        TempAppDir dir;
        const qint64 bid = newProject(dir.storage());
        setColumns(dir.storage(), DbFile::Kakunin, "SHIKICHI", "B_ID", bid, {{"Tiban", QStringLiteral("保存済みの地番")}});

        // The file may not grow by a single page: SQLite's "disk is full".
        QString error;
        QSqlQuery q(dir.storage().connection(DbFile::Kakunin, &error));
        QVERIFY(q.exec(QStringLiteral("PRAGMA page_count")) && q.next());
        const qint64 pages = q.value(0).toLongLong();
        QVERIFY(q.exec(QStringLiteral("PRAGMA max_page_count = %1").arg(pages)));
        const QString big(200000, QChar(0x5730));  // far more than a page

        auto applyFloors = [&](QString* message) {
            Transaction tx(dir.storage(), DbFile::Kakunin);
            Recordset floors(dir.storage(), DbFile::Kakunin);
            if (!tx.isActive() || !floors.open(QStringLiteral("KAIBETU"), QStringLiteral("B_ID"), bid))
                return false;
            for (; !floors.eof(); floors.moveNext()) {
                floors.setValue(QStringLiteral("F1Shoukei"), big);
                if (!floors.update()) {
                    *message = floors.errorString();
                    return false;
                }
            }
            floors.close();
            return tx.commit() || (*message = tx.errorString(), false);
        };
        QString message;
        QVERIFY(!applyFloors(&message));
        QVERIFY2(message.contains(QStringLiteral("ディスクの空き容量が足りない")) && message.contains(QStringLiteral("kakunin.db")),
                 qPrintable(message));
        Recordset rs(dir.storage(), DbFile::Kakunin);
        QVERIFY(rs.open(QStringLiteral("SHIKICHI"), QStringLiteral("B_ID"), bid));
        rs.setValue(QStringLiteral("Sonota1"), big);
        QVERIFY(!rs.update());
        QVERIFY2(rs.errorString().contains(QStringLiteral("保存済みのデータはそのままです")), qPrintable(rs.errorString()));

        // What was saved before is all there, and nothing of the failed saves.
        {
            StorageConfig cfg = dir.storage().config();
            Storage fresh(cfg);
            Recordset check(fresh, DbFile::Kakunin);
            QVERIFY(check.open(QStringLiteral("SHIKICHI"), QStringLiteral("B_ID"), bid));
            QCOMPARE(check.text(QStringLiteral("Tiban")), QStringLiteral("保存済みの地番"));
            QVERIFY(check.isNull(QStringLiteral("Sonota1")));
            QVERIFY(check.open(QStringLiteral("KAIBETU"), QStringLiteral("F1Shoukei"), big));
            QCOMPARE(check.recordCount(), 0);
            QStringList problems;
            QVERIFY2(fresh.checkIntegrity(DbFile::Kakunin, &problems, &error), qPrintable(error));
        }
        // With room again the same save goes through.
        QVERIFY(q.exec(QStringLiteral("PRAGMA max_page_count = 1073741823")));
        QVERIFY2(applyFloors(&message), qPrintable(message));
    }

    void ownFilesAreKnownByEveryName()
    {
        QTemporaryDir tmp;
        const QString app = tmp.filePath(QStringLiteral("app"));
        QVERIFY(QDir().mkpath(app + QStringLiteral("/templates")) && QDir().mkpath(tmp.filePath(QStringLiteral("elsewhere"))));
        writeBytes(app + QStringLiteral("/kakunin.db"), "x");
        writeBytes(app + QStringLiteral("/templates/確認申請.xlsx"), "x");
        QVERIFY(QFile::link(app, tmp.filePath(QStringLiteral("link"))));
        QVERIFY(QFile::link(app + QStringLiteral("/kakunin.db"), tmp.filePath(QStringLiteral("elsewhere/db-link"))));
        // A hard link is the same file under another name.
        QVERIFY(::link(QFile::encodeName(app + QStringLiteral("/kakunin.db")).constData(),
                       QFile::encodeName(tmp.filePath(QStringLiteral("elsewhere/copy.db"))).constData())
                == 0);
        const QStringList databases{
            app + "/kakunin.db",
            app + "/postdb.db-journal",  // not there yet
            tmp.filePath("link/maildata.db-shm"),
            tmp.filePath("elsewhere/../app/saledata.db-wal"),
            tmp.filePath("elsewhere/db-link"),
            tmp.filePath("elsewhere/copy.db"),
            app + "/MasterData.DB",  // a FAT stick ignores case
        };
        for (const QString& p : databases)
            QVERIFY2(AppDir::isDatabaseFile(p, app) && AppDir::isOwnFile(p, app), qPrintable(p));
        for (const char* name : {"database.ini", "kirokubo_tl.ini", "確認申請.xlsx", "templates/確認申請.xlsx",
                                 ".shinseidesk-write.lock"}) {
            const QString p = tmp.filePath(QStringLiteral("link/") + QString::fromUtf8(name));
            QVERIFY2(AppDir::isOwnFile(p, app) && !AppDir::isDatabaseFile(p, app), name);
        }
        for (const QString& p : {app + QStringLiteral("/確認申請書.xlsx"), app + QStringLiteral("/kakunin.db.csv"),
                                 tmp.filePath(QStringLiteral("elsewhere/kakunin.db")), app + QStringLiteral("/SHIC/a.xlsx")})
            QVERIFY2(!AppDir::isOwnFile(p, app), qPrintable(p));
        // Nothing copies the running program's database.
        AppDir::set(app);
        QString error;
        QVERIFY(!SafeFile::copy(tmp.filePath(QStringLiteral("link/kakunin.db")), tmp.filePath(QStringLiteral("x")), &error));
        QVERIFY(!QFile::exists(tmp.filePath(QStringLiteral("x"))));
    }

    void aFailedWriteKeepsTheEarlierFile()
    {
        QTemporaryDir tmp;
        const QString source = tmp.filePath(QStringLiteral("source.bin"));
        const QString target = tmp.filePath(QStringLiteral("target.pdf"));
        writeBytes(source, QByteArray(256 * 1024, 'n'));
        writeBytes(target, "earlier");
        QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);

        // A file size limit stands for a full disk: write() fails with EFBIG.
        rlimit old {};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 64 * 1024;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        QString copyError;
        QString writeError;
        const bool copied = SafeFile::copy(source, target, &copyError);
        const bool written = SafeFile::write(target, QByteArray(128 * 1024, 'w'), &writeError);
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, previous);

        QVERIFY(!copied && !written);
        for (const QString& e : {copyError, writeError})
            QVERIFY2(e.contains(QStringLiteral("ファイルの大きさが上限を超えました")) && e.contains(target), qPrintable(e));
        QCOMPARE(readBytes(target), QByteArray("earlier"));
        QCOMPARE(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);

        // Then it works, and the file keeps its permissions.
        QVERIFY2(SafeFile::copy(source, target, &copyError), qPrintable(copyError));
        QCOMPARE(QFileInfo(target).size(), 256 * 1024);
        const QFileDevice::Permissions mode = QFile::permissions(target);
        QVERIFY(mode.testFlag(QFileDevice::ReadGroup) && !mode.testFlag(QFileDevice::ReadOther));
        QVERIFY2(SafeFile::move(source, target, &copyError), qPrintable(copyError));
        QVERIFY(!QFile::exists(source));
        QCOMPARE(QFile::permissions(target), mode);
        // A private temporary file that takes a new name gets the usual mode.
        QVERIFY(QFile::setPermissions(writeBytes(source, "pdf"), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        const QString fresh = tmp.filePath(QStringLiteral("fresh.pdf"));
        QVERIFY2(SafeFile::move(source, fresh, &copyError), qPrintable(copyError));
        const mode_t mask = ::umask(0);
        ::umask(mask);
        QCOMPARE(QFile::permissions(fresh).testFlag(QFileDevice::ReadOther), !(mask & S_IROTH));
    }
};

QTEST_GUILESS_MAIN(TestDataSafety)
#include "tst_datasafety.moc"
