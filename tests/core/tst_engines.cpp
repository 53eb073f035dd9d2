#include "Recordset.h"
#include "Storage.h"
#include "TableIo.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

// What the office's choice of engine must not change: configuration,
// value binding, auto numbers, and the messages a user reads when the
// database cannot do what was asked.
class TestEngines : public QObject {
    Q_OBJECT

private:
    static int rows(Storage& s, DbFile db, const QString& table, const QString& column, const QVariant& value,
                    QString* error = nullptr)
    {
        Recordset rs(s, db);
        if (!rs.open(table, column, value)) {
            if (error)
                *error = rs.errorString();
            return -1;
        }
        return rs.recordCount();
    }

private slots:
    void databaseIniSelectsTheServerButNeverHoldsThePassword()
    {
        QTemporaryDir dir;
        StorageConfig c;
        QString error;
        QVERIFY(StorageConfig::fromAppDir(dir.path(), &c, &error));
        QCOMPARE(c.engine, StorageConfig::Engine::SQLite);

        qunsetenv("PGPASSWORD");
        const QString ini = writeBytes(dir.filePath(QStringLiteral("database.ini")),
                                       "[postgresql]\nhost=db.office.lan\nport=5433\ndatabase=shinsei\nuser=yamada\npassword=written-here\n");
        QVERIFY2(StorageConfig::fromAppDir(dir.path(), &c, &error), qPrintable(error));
        QCOMPARE(c.engine, StorageConfig::Engine::PostgreSQL);
        QCOMPARE(c.host, QStringLiteral("db.office.lan"));
        QCOMPARE(c.port, 5433);
        QCOMPARE(c.database, QStringLiteral("shinsei"));
        QCOMPARE(c.user, QStringLiteral("yamada"));
        QVERIFY(c.password.isEmpty());  // keyring or ~/.pgpass only
        QCOMPARE(c.keyringKey(), QStringLiteral("postgresql://yamada@db.office.lan:5433/shinsei"));

        // A password given in PGPASSWORD is used, and leaves the environment
        // that every program started from here (LibreOffice …) inherits.
        qputenv("PGPASSWORD", "from-the-shell");
        QVERIFY(StorageConfig::fromAppDir(dir.path(), &c, &error));
        QCOMPARE(c.password, QStringLiteral("from-the-shell"));
        const ProcessRun child = runProcess(QStringLiteral("/usr/bin/env"), {});
        QCOMPARE(child.code, 0);
        QVERIFY(child.out.contains(QStringLiteral("PATH=")));
        QVERIFY2(!child.out.contains(QStringLiteral("from-the-shell")), qPrintable(child.out));
        qputenv("PGPASSWORD", QByteArray());  // the other tests use ~/.pgpass
        QVERIFY(StorageConfig::fromAppDir(dir.path(), &c, &error));
        QVERIFY(c.password.isEmpty());

        // Written back, the file names the server and nothing secret.
        QTemporaryDir other;
        QVERIFY(c.writeIni(other.path(), &error));
        StorageConfig again;
        QVERIFY(StorageConfig::fromAppDir(other.path(), &again, &error));
        QCOMPARE(again.describe(), c.describe());
        QVERIFY(!readBytes(other.filePath(QStringLiteral("database.ini"))).contains("password"));

        // A file without its database is an error, not a silent fall-back.
        writeBytes(ini, "[postgresql]\nhost=db.office.lan\n");
        QVERIFY(!StorageConfig::fromAppDir(dir.path(), &c, &error));
        QVERIFY2(error.contains(QStringLiteral("database")), qPrintable(error));
    }

    void unreachableServerIsNamedInTheMessage()
    {
        StorageConfig c;
        c.engine = StorageConfig::Engine::PostgreSQL;
        c.host = QStringLiteral("127.0.0.1");
        c.port = 1;  // nothing listens there
        c.database = QStringLiteral("shinsei");
        c.user = QStringLiteral("yamada");
        Storage s(c);
        QString error;
        QVERIFY(!s.connection(DbFile::Kakunin, &error).isValid());
        QVERIFY2(error.contains(QStringLiteral("127.0.0.1:1")) && error.contains(QStringLiteral("接続できません")),
                 qPrintable(error));
        Recordset rs(s, DbFile::Kakunin);
        QVERIFY(!rs.open(QStringLiteral("GAIYOU")));
        QVERIFY(rs.errorString().contains(QStringLiteral("127.0.0.1:1")));
        QCOMPARE(rs.addNew(), 0);
    }

    void valuesBindAsTheColumnStoresThem()
    {
        TempAppDir dir;
        Storage& s = dir.storage();
        Recordset rs(s, DbFile::Kakunin);
        QVERIFY(rs.open(QStringLiteral("GAIYOU")));
        const qint64 id = rs.addNew();
        rs.setValue(QStringLiteral("B_ID"), 12);
        rs.setValue(QStringLiteral("Kouji"), QStringLiteral("12"));
        rs.setValue(QStringLiteral("FLD"), true);         // a check box into an integer column
        rs.setValue(QStringLiteral("Buken"), false);      // and into a text column
        rs.setValue(QStringLiteral("FLD2"), QStringLiteral(" 7.0 "));
        rs.setValue(QStringLiteral("FLD3"), QString());   // empty text is no number
        QVERIFY2(rs.update(), qPrintable(rs.errorString()));
        QVERIFY(rs.open(QStringLiteral("GAIYOU"), QStringLiteral("ID"), QString::number(id)));
        QCOMPARE(rs.recordCount(), 1);
        QCOMPARE(rs.integer(QStringLiteral("FLD")), 1);
        QCOMPARE(rs.text(QStringLiteral("Buken")), QStringLiteral("0"));
        QCOMPARE(rs.integer(QStringLiteral("FLD2")), 7);
        QVERIFY(rs.isNull(QStringLiteral("FLD3")));

        // An integer column found by every spelling of the number, and by
        // nothing that is not that number; never an error.
        QString error;
        auto gaiyou = [&](const char* column, const QVariant& v) {
            return rows(s, DbFile::Kakunin, QStringLiteral("GAIYOU"), QString::fromLatin1(column), v, &error);
        };
        for (const QVariant& v : {QVariant(12), QVariant(qint64(12)), QVariant(12u), QVariant(12.0), QVariant(QStringLiteral("12")),
                                  QVariant(QStringLiteral(" 12 "))})
            QVERIFY2(gaiyou("B_ID", v) == 1, qPrintable(v.toString()));
        for (const QVariant& v : {QVariant(QStringLiteral("abc")), QVariant(QStringLiteral("12abc")),
                                  QVariant(QStringLiteral("1.5")), QVariant(12.5), QVariant(QString()), QVariant(QStringLiteral(""))})
            QVERIFY2(gaiyou("B_ID", v) == 0, qPrintable(v.toString() + QLatin1Char(' ') + error));
        // A text column found by a number given as one.
        QCOMPARE(gaiyou("Kouji", 12), 1);
        QCOMPARE(gaiyou("Kouji", QStringLiteral("012")), 0);
        // Null finds the unset columns only.
        QCOMPARE(gaiyou("FLD3", QVariant()), 1);
        QCOMPARE(gaiyou("FLD2", QVariant()), 0);

        // Real columns (label layouts in millimetres).
        Recordset label(s, DbFile::AnotherOption);
        QVERIFY(label.open(QStringLiteral("DMlabel")));
        label.addNew();
        label.setValue(QStringLiteral("MUp"), QStringLiteral("12.25"));
        label.setValue(QStringLiteral("SIDE"), QStringLiteral("3"));
        QVERIFY2(label.update(), qPrintable(label.errorString()));
        QCOMPARE(rows(s, DbFile::AnotherOption, QStringLiteral("DMlabel"), QStringLiteral("MUp"), 12.25), 1);
        QCOMPARE(rows(s, DbFile::AnotherOption, QStringLiteral("DMlabel"), QStringLiteral("MUp"), QStringLiteral("12.25")), 1);
        QCOMPARE(rows(s, DbFile::AnotherOption, QStringLiteral("DMlabel"), QStringLiteral("MUp"), QStringLiteral("mm")), 0);
        QVERIFY(label.open(QStringLiteral("DMlabel"), {{QStringLiteral("SIDE"), 3}, {QStringLiteral("MUp"), 12.25}}));
        QCOMPARE(label.recordCount(), 1);
        QCOMPARE(label.value(QStringLiteral("MUp")).toDouble(), 12.25);
    }

    void rowsBroughtInKeepTheirIdsAndNumberingGoesOnAfterThem()
    {
        TempAppDir dir;
        Storage& s = dir.storage();
        const QString awkward = QStringLiteral("タブ\t改行\n復帰\r円記号\\と'引用符'\"二重\"");
        QString error;
        QVERIFY2(s.bulkInsert(DbFile::Kakunin, QStringLiteral("SCHEDULE"),
                              {QStringLiteral("ID"), QStringLiteral("B_ID"), QStringLiteral("SCJ_TITLE"), QStringLiteral("SCJ_DAY")},
                              {{5, 1, awkward, QStringLiteral("3")}, {9, 1, QVariant(), QVariant()}}, &error),
                 qPrintable(error));
        Recordset rs(s, DbFile::Kakunin);
        QVERIFY(rs.open(QStringLiteral("SCHEDULE"), QStringLiteral("B_ID"), 1));
        QCOMPARE(rs.recordCount(), 2);
        QCOMPARE(rs.id(), 5);
        QCOMPARE(rs.text(QStringLiteral("SCJ_TITLE")), awkward);
        QCOMPARE(rs.integer(QStringLiteral("SCJ_DAY")), 3);
        rs.moveNext();
        QCOMPARE(rs.id(), 9);
        QVERIFY(rs.isNull(QStringLiteral("SCJ_TITLE")));
        QCOMPARE(rs.addNew(), 10);
        QVERIFY(rs.update());

        // The counter remembers the highest number ever given, also after
        // the row that had it is gone; it can be moved on, never back.
        QVERIFY(rs.open(QStringLiteral("SCHEDULE"), QStringLiteral("ID"), 10));
        QVERIFY(rs.deleteCurrent());
        QSqlDatabase d = s.connection(DbFile::Kakunin, &error);
        QSqlError e;
        qint64 highest = 0;
        QVERIFY(TableIo::idCounter(d, QString(), QStringLiteral("SCHEDULE"), &highest, &e));
        QCOMPARE(highest, 10);
        QVERIFY(TableIo::setIdCounter(d, QString(), QStringLiteral("SCHEDULE"), 40, &e));
        QVERIFY(rs.open(QStringLiteral("SCHEDULE")));
        QCOMPARE(rs.addNew(), 41);
        rs.cancelUpdate();

        // A value that is no number stops the whole batch.
        QVERIFY(!s.bulkInsert(DbFile::Kakunin, QStringLiteral("SCHEDULE"), {QStringLiteral("B_ID")},
                              {{2}, {QStringLiteral("zwei")}}, &error));
        QVERIFY2(error.contains(QStringLiteral("zwei")), qPrintable(error));
        QCOMPARE(rows(s, DbFile::Kakunin, QStringLiteral("SCHEDULE"), QStringLiteral("B_ID"), 2), 0);
    }

    void missingTableIsReportedWithTheWayOut()
    {
        TempAppDir dir;
        QString error;
        QSqlQuery drop(dir.storage().connection(DbFile::MailData, &error));
        QVERIFY(drop.exec(QStringLiteral("DROP TABLE \"MailData\"")));
        Recordset rs(dir.storage(), DbFile::MailData);
        QVERIFY(!rs.open(QStringLiteral("MailData")));
        QVERIFY2(rs.errorString().contains(QStringLiteral("テーブルまたは列がありません"))
                     && rs.errorString().contains(QStringLiteral("init")),
                 qPrintable(rs.errorString()));
        QVERIFY(dir.storage().initialize(&error));  // and init brings it back
        QVERIFY2(rs.open(QStringLiteral("MailData")), qPrintable(rs.errorString()));
    }

    void conditionsTheUserCannotCauseHereStillGetClearMessages_data()
    {
        QTest::addColumn<bool>("postgres");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("expected");
        // The rest (lock timeout, read-only, full file, lost session …) are
        // caused for real in tst_storage, tst_datasafety and below.
        QTest::newRow("server statement timeout") << true << "57014" << "使用中";
        QTest::newRow("server deadlock") << true << "40P01" << "使用中";
        QTest::newRow("no write permission") << true << "42501" << "書き込めません";
        QTest::newRow("server disk full") << true << "53100" << "保存済みのデータはそのままです";
        QTest::newRow("network broke") << true << "08006" << "db.office.lan:5432 との接続が切れました";
        QTest::newRow("damaged server page") << true << "XX001" << "壊れています";
        QTest::newRow("busy snapshot") << false << "517" << "使用中";
    }
    void conditionsTheUserCannotCauseHereStillGetClearMessages()
    {
        QFETCH(bool, postgres);
        QFETCH(QString, code);
        QFETCH(QString, expected);
        StorageConfig c;
        c.appDir = QDir::tempPath();
        if (postgres) {
            c.engine = StorageConfig::Engine::PostgreSQL;
            c.host = QStringLiteral("db.office.lan");
            c.database = QStringLiteral("shinsei");
            c.user = QStringLiteral("yamada");
        }
        Storage s(c);
        const QString text = s.describeError(DbFile::Kakunin, QSqlError(QStringLiteral("driver"), QStringLiteral("server said no"),
                                                                         QSqlError::StatementError, code));
        QVERIFY2(text.contains(expected), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("kakunin")));
    }

    void lostServerSessionIsReportedOnceThenReopened()
    {
        if (!TempAppDir::usingPostgres())
            QSKIP("a server session only exists on PostgreSQL");
        TempAppDir dir;
        Recordset rs(dir.storage(), DbFile::Kakunin);
        QVERIFY(rs.open(QStringLiteral("GAIYOU")));
        // The server ends our sessions (a restart, a network break).
        auto other = dir.openAnother();
        QString error;
        QSqlQuery kill(other->connection(DbFile::MasterData, &error));
        QVERIFY(kill.exec(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                                         "WHERE datname = current_database() AND pid <> pg_backend_pid()")));
        QVERIFY(kill.next());
        QVERIFY(!rs.open(QStringLiteral("GAIYOU")));
        QVERIFY2(rs.errorString().contains(QStringLiteral("接続が切れました")), qPrintable(rs.errorString()));
        QVERIFY2(rs.open(QStringLiteral("GAIYOU")), qPrintable(rs.errorString()));
        QVERIFY(rs.addNew() > 0);
        QVERIFY(rs.update());
    }
};

QTEST_GUILESS_MAIN(TestEngines)
#include "tst_engines.moc"
