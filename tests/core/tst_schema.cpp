#include "AppDir.h"
#include "Recordset.h"
#include "Schema.h"
#include "Storage.h"
#include "TableIo.h"
#include "TestSupport.h"

#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

// A new application directory gets every table and code list; an existing
// one keeps its data and gains what a newer version adds.
class TestSchema : public QObject {
    Q_OBJECT

private:
    static QStringList columnsOf(Storage& s, DbFile db, const QString& table)
    {
        QString error;
        const QSqlRecord rec = s.connection(db, &error).record(Storage::quote(table));
        QStringList out;
        for (int i = 0; i < rec.count(); ++i)
            out << rec.fieldName(i);
        return out;
    }

    static int count(Storage& s, DbFile db, const QString& table)
    {
        Recordset rs(s, db);
        return rs.open(table) ? rs.recordCount() : -1;
    }

private slots:
    void everyTableAndColumnExists()
    {
        TempAppDir dir;
        for (DbFile db : allDbFiles) {
            QVERIFY(TempAppDir::usingPostgres() || QFile::exists(dir.file(dbFileName(db))));
            const DatabaseSchema& schema = DatabaseSchema::builtIn(db);
            QVERIFY(!schema.tables.isEmpty());
            for (const TableDef& t : schema.tables) {
                const QStringList cols = columnsOf(dir.storage(), db, t.name);
                QVERIFY2(cols.contains(QStringLiteral("ID")), qPrintable(t.name));
                for (const ColumnDef& c : t.columns)
                    QVERIFY2(cols.contains(c.name), qPrintable(t.name + QLatin1Char('.') + c.name));
            }
        }
        const QStringList perProject{"BOUKA", "GAIYOU", "GYOUMU", "ININ", "KAIBETU", "KANRYOU",
                                     "KOUJI", "SCHEDULE", "SHIKICHI", "TATEMONOBETU"};
        for (const QString& t : perProject) {
            const TableDef* def = DatabaseSchema::builtIn(DbFile::Kakunin).table(t);
            QVERIFY2(def && def->column(QStringLiteral("B_ID")) && def->column(QStringLiteral("B_ID"))->indexed,
                     qPrintable(t));
        }
        QVERIFY(findTableDb(QStringLiteral("UserMaster"), nullptr));
        {
            // An index over several columns is made on either engine.
            QSqlError e;
            TableIo::ExistingLayout existing;
            QString error;
            QSqlDatabase d = dir.storage().connection(DbFile::PostDb, &error);
            QVERIFY(TableIo::readExistingLayout(d, QString(), &existing, &e));
            QVERIFY(existing.indexes.contains(QStringLiteral("ix_POST_DB_P_ADR1_A_ADR")));

            // The search's copy of the customers' texts is SQLite's alone; a
            // database that lost it, or never had it, gets it at the next
            // start without a new layout version.
            const QString searchIndex = QStringLiteral("ix_UserMaster_Name_EMAIL1_Tel1");
            d = dir.storage().connection(DbFile::SaleData, &error);
            QVERIFY(TableIo::readExistingLayout(d, QString(), &existing, &e));
            QCOMPARE(existing.indexes.contains(searchIndex), !TempAppDir::usingPostgres());
            if (!TempAppDir::usingPostgres()) {
                QSqlQuery q(d);
                QVERIFY(q.exec(QStringLiteral("DROP INDEX ") + Storage::quote(searchIndex)));
                Storage again(dir.storage().config());
                QVERIFY2(again.initialize(&error), qPrintable(error));
                QSqlDatabase d2 = again.connection(DbFile::SaleData, &error);
                QVERIFY(TableIo::readExistingLayout(d2, QString(), &existing, &e));
                QVERIFY(existing.indexes.contains(searchIndex));
            }
        }
        DbFile where = DbFile::Kakunin;
        QVERIFY(findTableDb(QStringLiteral("StrIntTable"), &where));
        QCOMPARE(where, DbFile::AnotherOption);
    }

    void codeListsAreSeededOnceAndKeepTheOfficesRows()
    {
        TempAppDir dir;
        Storage& s = dir.storage();
        QCOMPARE(count(s, DbFile::MasterData, QStringLiteral("Zonemaster")), 47);
        Recordset rs(s, DbFile::MasterData);
        QVERIFY(rs.open(QStringLiteral("Zonemaster")));
        QCOMPARE(rs.text(QStringLiteral("ADR_NAME")), QStringLiteral("北海道"));
        rs.moveLast();
        QCOMPARE(rs.text(QStringLiteral("ADR_NAME")), QStringLiteral("沖縄県"));
        QVERIFY(rs.open(QStringLiteral("ShuYouto"), QStringLiteral("S_ID"), QStringLiteral("08010")));
        QCOMPARE(rs.text(QStringLiteral("S_Name")), QStringLiteral("一戸建ての住宅"));
        for (const char* t : {"UserType", "JobType", "Kyu1", "Kyu2", "Tiki1", "Tiki2", "YoutoTiiki", "ShuYouto2",
                              "GutaiYouto", "Kouzou", "YaneData", "GaihekiData", "NokiuraData", "KenchikuButu",
                              "Class", "Capacity1", "Capacity2", "FontName", "FontStyle", "LineStyle"})
            QVERIFY2(count(s, DbFile::MasterData, QString::fromLatin1(t)) > 0, t);

        // The office adds its own entry and removes one; a later start must
        // not bring back the removed one or add a second set.
        QVERIFY(rs.open(QStringLiteral("Kouzou")));
        const int kouzou = rs.recordCount();
        rs.addNew();
        rs.setValue(QStringLiteral("KOUZOU"), QStringLiteral("事務所独自の構造"));
        QVERIFY2(rs.update(), qPrintable(rs.errorString()));
        QVERIFY(rs.open(QStringLiteral("Kouzou")));
        QVERIFY(rs.deleteCurrent());
        QString error;
        QVERIFY2(s.initialize(&error), qPrintable(error));
        Storage again(s.config());
        QVERIFY2(again.initialize(&error), qPrintable(error));
        QCOMPARE(count(again, DbFile::MasterData, QStringLiteral("Kouzou")), kouzou);
        QCOMPARE(count(again, DbFile::MasterData, QStringLiteral("Zonemaster")), 47);
    }

    void schemaTextIsCheckedLineByLine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("complaint");
        QTest::newRow("column before table") << "  A text\n" << "1行目";
        QTest::newRow("unknown type") << "table T\n  A money\n" << "2行目";
        QTest::newRow("duplicate column") << "table T\n  A text\n  a integer\n" << "3行目";
        QTest::newRow("explicit ID") << "table T\n  ID integer\n" << "2行目";
        QTest::newRow("duplicate table") << "table T\ntable T\n" << "2行目";
        QTest::newRow("unknown flag") << "table T\n  A text unique\n" << "2行目";
        QTest::newRow("default no number") << "table T\n  A integer default ja\n" << "2行目";
        QTest::newRow("default without value") << "table T\n  A text default\n" << "2行目";
        QTest::newRow("index of one column") << "table T\n  A text\n  index A\n" << "3行目";
        QTest::newRow("index of a later column") << "table T\n  A text\n  index A B\n  B text\n" << "3行目";
    }
    void schemaTextIsCheckedLineByLine()
    {
        QFETCH(QString, text);
        QFETCH(QString, complaint);
        DatabaseSchema s;
        QString error;
        QVERIFY(!DatabaseSchema::parse(DbFile::Kakunin, text, &s, &error));
        QVERIFY2(error.contains(complaint), qPrintable(error));

        QVERIFY(DatabaseSchema::parse(DbFile::Kakunin, QStringLiteral("# c\ntable T # x\n  A text index\n  B real\n  index B A\n"),
                                      &s, &error));
        QCOMPARE(s.tables.size(), 1);
        QCOMPARE(s.tables[0].indexes, QVector<QStringList>{QStringList({"B", "A"})});
        QVERIFY(s.table(QStringLiteral("t"))->column(QStringLiteral("a"))->indexed);
        QCOMPARE(s.table(QStringLiteral("T"))->column(QStringLiteral("B"))->type, ColumnType::Real);
    }

    void addedColumnsGiveExistingRowsTheirDefault()
    {
        TempAppDir dir;
        QString error;
        QSqlDatabase d = dir.storage().connection(DbFile::OptionData, &error);
        DatabaseSchema before, after;
        QVERIFY(DatabaseSchema::parse(DbFile::OptionData, QStringLiteral("table Extra\n  Name text\n"), &before, &error));
        QVERIFY(DatabaseSchema::parse(DbFile::OptionData,
                                      QStringLiteral("table Extra\n  Name text\n  Port integer index default 587\n"
                                                     "  Note text default 未設定\n  Rate real default 0.5\n"),
                                      &after, &error));
        QSqlError e;
        QStringList created;
        QVERIFY2(TableIo::ensureTables(d, before, QString(), &e, &created), qPrintable(e.text()));
        QCOMPARE(created, QStringList{"Extra"});
        QSqlQuery q(d);
        QVERIFY(q.exec(QStringLiteral("INSERT INTO \"Extra\" (\"Name\") VALUES ('旧')")));
        created.clear();
        QVERIFY2(TableIo::ensureTables(d, after, QString(), &e, &created), qPrintable(e.text()));
        QVERIFY(created.isEmpty());
        QVERIFY(q.exec(QStringLiteral("INSERT INTO \"Extra\" (\"Name\") VALUES ('新')")));
        QVERIFY(q.exec(QStringLiteral("SELECT \"Name\", \"Port\", \"Note\", \"Rate\" FROM \"Extra\" ORDER BY \"ID\"")));
        for (const char* name : {"旧", "新"}) {
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toString(), QString::fromUtf8(name));
            QCOMPARE(q.value(1).toLongLong(), 587);
            QCOMPARE(q.value(2).toString(), QStringLiteral("未設定"));
            QCOMPARE(q.value(3).toDouble(), 0.5);
        }
    }

    void initCopiesTheProgramsDataFilesWithoutOverwriting()
    {
        QTemporaryDir program;
        QVERIFY(QDir().mkpath(program.filePath(QStringLiteral("MANUAL"))));
        writeBytes(program.filePath(QStringLiteral("MANUAL/index.html")), "<p>new</p>");
        writeBytes(program.filePath(QStringLiteral("MANUAL/main.html")), "<p>main</p>");
        QTemporaryDir target;
        QVERIFY(QDir().mkpath(target.filePath(QStringLiteral("MANUAL"))));
        writeBytes(target.filePath(QStringLiteral("MANUAL/index.html")), "<p>edited by the office</p>");
        StorageConfig cfg;
        cfg.appDir = target.path();
        Storage s(cfg);
        QString error;
        QVERIFY2(AppDir::initialize(s, program.path(), &error), qPrintable(error));
        QCOMPARE(readBytes(target.filePath(QStringLiteral("MANUAL/index.html"))), QByteArray("<p>edited by the office</p>"));
        QVERIFY(QFile::exists(target.filePath(QStringLiteral("MANUAL/main.html"))));
        QVERIFY(QFile::exists(target.filePath(QStringLiteral("kakunin.db"))));
    }
};

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
