#include "AppDir.h"
#include "SafeFile.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

// Which files are the office's own, and files that appear only complete.
class TestFileSafety : public QObject {
    Q_OBJECT

private:
    static bool put(const QString& path, const QByteArray& data)
    {
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
    }

private slots:
    void ownFilesAreKnownByEveryName()
    {
        QTemporaryDir tmp;
        const QString app = tmp.filePath(QStringLiteral("app"));
        QVERIFY(QDir().mkpath(app + QStringLiteral("/templates")) && QDir().mkpath(tmp.filePath(QStringLiteral("elsewhere"))));
        QVERIFY(put(app + QStringLiteral("/kakunin.db"), "x") && put(app + QStringLiteral("/templates/確認申請.xlsx"), "x"));
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
        for (const QString& p : databases) {
            QVERIFY2(AppDir::isDatabaseFile(p, app), qPrintable(p));
            QVERIFY2(AppDir::isOwnFile(p, app), qPrintable(p));
        }
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
        QVERIFY(put(source, QByteArray(256 * 1024, 'n')) && put(target, "earlier"));
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
        QVERIFY(put(source, "pdf") && QFile::setPermissions(source, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        const QString fresh = tmp.filePath(QStringLiteral("fresh.pdf"));
        QVERIFY2(SafeFile::move(source, fresh, &copyError), qPrintable(copyError));
        const mode_t mask = ::umask(0);
        ::umask(mask);
        QCOMPARE(QFile::permissions(fresh).testFlag(QFileDevice::ReadOther), !(mask & S_IROTH));
    }
};

QTEST_GUILESS_MAIN(TestFileSafety)
#include "tst_filesafety.moc"
