// A new application directory gets every table and code list; one made by
// an earlier release (tests/data/appdir-0.1 … -0.4) is upgraded in place by
// the current program, on SQLite and on PostgreSQL, keeping every value.
#include "AppDir.h"
#include "Backup.h"
#include "DataTransfer.h"
#include "Schema.h"
#include "SchemaUpgrade.h"
#include "SinseiCellMap.h"
#include "Recordset.h"
#include "Storage.h"
#include "TableIo.h"
#include "TestSupport.h"
#include "XlsxWorkbook.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

namespace {

// table → ID → column → value as text ("∅" for null)
using Dump = QMap<QString, QMap<qint64, QMap<QString, QString>>>;

Dump dump(QSqlDatabase& d, const QString& schema, const QStringList& tables)
{
    Dump out;
    for (const QString& t : tables) {
        QSqlQuery q(d);
        if (!q.exec(QStringLiteral("SELECT * FROM %1 ORDER BY \"ID\"").arg(TableIo::qualifiedName(schema, t))))
            qFatal("cannot read %s: %s", qPrintable(t), qPrintable(q.lastError().text()));
        auto& rows = out[t];
        while (q.next()) {
            const QSqlRecord r = q.record();
            auto& row = rows[q.value(QStringLiteral("ID")).toLongLong()];
            for (int i = 0; i < r.count(); ++i)
                row[r.fieldName(i)] = r.isNull(i) ? QStringLiteral("∅") : r.value(i).toString();
        }
    }
    return out;
}

// Every row and value of before is in after, unchanged, and no row came or
// went but the upgrade's own version row.
void expectKept(const Dump& before, const Dump& after, const QString& db)
{
    for (auto t = before.begin(); t != before.end(); ++t) {
        QVERIFY2(after.contains(t.key()), qPrintable(db + "." + t.key()));
        const auto& rows = after[t.key()];
        QCOMPARE(t.key() == kSchemaInfoTable ? rows.keys().mid(0, t.value().size()) : rows.keys(), t.value().keys());
        for (auto r = t.value().begin(); r != t.value().end(); ++r)
            for (auto c = r.value().begin(); c != r.value().end(); ++c)
                QVERIFY2(rows[r.key()].value(c.key()) == c.value(),
                         qPrintable(QStringLiteral("%1.%2 ID %3 %4: %5 → %6")
                                        .arg(db, t.key())
                                        .arg(r.key())
                                        .arg(c.key(), c.value(), rows[r.key()].value(c.key()))));
    }
}

// A plain SQLite connection on one file, outside Storage.
class RawFile {
public:
    explicit RawFile(const QString& path)
    {
        static int n = 0;
        m_name = QStringLiteral("raw%1").arg(++n);
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        m_db.setDatabaseName(path);
        if (!m_db.open())
            qFatal("cannot open %s", qPrintable(path));
    }
    ~RawFile()
    {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }
    QSqlDatabase& db() { return m_db; }
    bool exec(const QString& sql)
    {
        QSqlQuery q(m_db);
        if (!q.exec(sql))
            qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return true;
    }
    QStringList tables()
    {
        QStringList out;
        QSqlQuery q(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' "
                                   "ORDER BY name"),
                    m_db);
        while (q.next())
            out << q.value(0).toString();
        return out;
    }

private:
    QString m_name;
    QSqlDatabase m_db;
};

QString fixtureFile(const QString& fixture, DbFile db)
{
    return QStringLiteral(SD_DATA_DIR "/%1/%2").arg(fixture, dbFileName(db));
}

void copyFixture(const QString& to, const QString& fixture = QStringLiteral("appdir-0.1"))
{
    for (DbFile db : allDbFiles)
        QVERIFY(QFile::copy(fixtureFile(fixture, db), QDir(to).filePath(dbFileName(db))));
}

// The tables and columns of a fixture's file, read from a copy.
TableIo::ExistingLayout fixtureLayout(const QString& fixture, DbFile db)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(dbFileName(db));
    QFile::copy(fixtureFile(fixture, db), path);
    RawFile f(path);
    TableIo::ExistingLayout out;
    QSqlError e;
    if (!TableIo::readExistingLayout(f.db(), QString(), &out, &e))
        qFatal("%s", qPrintable(e.text()));
    return out;
}

QByteArray hashFiles(const QString& dir)
{
    QCryptographicHash h(QCryptographicHash::Sha256);
    for (DbFile db : allDbFiles) {
        QFile f(QDir(dir).filePath(dbFileName(db)));
        if (f.open(QIODevice::ReadOnly))
            h.addData(&f);
    }
    return h.result();
}

ProcessRun cli(const QString& appDir, const QStringList& args)
{
    return runProcess(QStringLiteral(SD_CLI_PATH), QStringList{"--appdir", appDir} + args);
}

// The confirmation application of project bid, through the CLI as a user runs it.
void expectOutput(const QString& appDir, int bid, const QString& kouji)
{
    QFile::remove(QDir(appDir).filePath(QStringLiteral("確認申請.xlsx")));
    QVERIFY(QFile::copy(QStringLiteral(SD_TEMPLATE_PATH), QDir(appDir).filePath(QStringLiteral("確認申請.xlsx"))));
    const QString xlsx = QDir(appDir).filePath(QStringLiteral("out.xlsx"));
    const ProcessRun out = cli(appDir, {"output", QString::number(bid), "0", "--out", xlsx});
    QVERIFY2(out.code == 0, qPrintable(out.err));
    XlsxWorkbook wb;
    QVERIFY(wb.open(xlsx));
    XlsxCell cell;
    QVERIFY(wb.readCell(SinseiCellMap::kInputSheet, QStringLiteral("C39"), &cell));
    QCOMPARE(cell.value, kouji);
    // The completion application reads the inspection's new items too.
    const ProcessRun done = cli(appDir, {"output", QString::number(bid), "完了申請", "--out", xlsx});
    QVERIFY2(done.code == 0, qPrintable(done.err));
}

// The fixture with a column and a code list taken out, as if this program
// had added both since release 0.1.
const QString kDroppedColumn = QStringLiteral("F1Tenjo");  // KAIBETU, "2.40" in the fixture
const QString kDroppedTable = QStringLiteral("Kouzou");     // masterdata, a seeded code list

// A mail account as release 0.1 saved it, before the clear-text login option.
const QString kOldAccount = QStringLiteral(
    "INSERT INTO \"MailAcountMaster\" (\"ID\", \"Name\", \"Acount\", \"SMPT\", \"APOP\", \"SetFlg\", \"DelFlg\", "
    "\"SMTP_PORT\", \"POP3_PORT\") VALUES (1, '山田設計', 'yamada', 'smtp.yamada.jp', 0, 1, 0, '587', '110')");

// Two of the new items answered before the upgrade converts the old rows:
// the conversion of the fire-resistance choice and of the building area
// leaves them as they are.
const QStringList kAnsweredNewItems{
    "ALTER TABLE \"TATEMONOBETU\" ADD COLUMN \"Jou61_5\" BIGINT DEFAULT 0",
    "UPDATE \"TATEMONOBETU\" SET \"Jou61_5\" = 1 WHERE \"ID\" = 5",
    "ALTER TABLE \"SHIKICHI\" ADD COLUMN \"Men21\" TEXT",
    "UPDATE \"SHIKICHI\" SET \"Men21\" = '0.00' WHERE \"B_ID\" = 2",
};

// The fixtures' layout versions; 0.3's had the new items already.
int fixtureVersion(const QString& fixture)
{
    return fixture == QStringLiteral("appdir-0.4") ? 5
           : fixture == QStringLiteral("appdir-0.3") ? 4
           : fixture == QStringLiteral("appdir-0.2") ? 2
                                                     : 1;
}

QStringList answeredNewItems(const QString& fixture)
{
    QStringList out;
    for (const QString& sql : kAnsweredNewItems)
        if (fixtureVersion(fixture) < 3 || !sql.startsWith(QLatin1String("ALTER")))
            out << sql;
    return out;
}

// Takes a fixture's database back to before this program's column, code
// list and clear-text login option, with two new items answered.
void makeEarlier(DbFile db, const QString& fixture, const std::function<bool(const QString&)>& exec)
{
    QStringList sql;
    if (db == DbFile::Kakunin)
        sql << QStringLiteral("ALTER TABLE \"KAIBETU\" DROP COLUMN \"%1\"").arg(kDroppedColumn) << answeredNewItems(fixture);
    if (db == DbFile::MasterData)
        sql << QStringLiteral("DROP TABLE \"%1\"").arg(kDroppedTable) << kOldAccount;
    for (const QString& statement : sql)
        QVERIFY2(exec(statement), qPrintable(statement));
}

// After the upgrade: TATEMONOBETU ID → the ticked boxes of 【５】【６】【７】,
// and SHIKICHI B_ID → Men20-22.
void expectConverted(const QString& fixture, const Dump& after)
{
    using L = QStringList;
    const QString n = QStringLiteral("∅");
    const int version = fixtureVersion(fixture);
    // 0.1's projects have no fire choices; 0.3 converted them itself.
    const bool choices = version == 2;
    QMap<qint64, L> ticks{{5, {QStringLiteral("Jou61_5=1")}}};
    if (choices)  // ID 1 is その他, not carried over
        ticks = {{2, {QStringLiteral("Jou61_3=1"), QStringLiteral("Kouzoubu6=1")}},   // 準耐火 ロ－２
                 {4, {QStringLiteral("Jou61_1=1")}},                                  // 耐火建築物
                 {5, {QStringLiteral("Jou61_5=1"), QStringLiteral("Kouzoubu4=1")}}};  // 準耐火 イ－１, 【７】 answered
    const auto& buildings = after[QStringLiteral("TATEMONOBETU")];
    for (auto r = buildings.begin(); r != buildings.end(); ++r) {
        L got;
        for (auto c = r.value().begin(); c != r.value().end(); ++c)
            if ((c.key().startsWith(QLatin1String("Jou")) || c.key().startsWith(QLatin1String("Kouzoubu")))
                && c.value() != QStringLiteral("0"))
                got << c.key() + QLatin1Char('=') + c.value();
        QCOMPARE(got, ticks.value(r.key()));
    }
    const QMap<qint64, L> base{{1, choices ? L{QStringLiteral("66.12"), n, QStringLiteral("66.12")} : L{n, n, n}},
                               {2, {n, QStringLiteral("0.00"), n}},
                               {3, {n, n, n}}};
    // 工事監理の状況 arrives empty before 0.3; 0.3's one report, of project 1,
    // is the completion's and the intermediate's after. 0.4 kept them apart.
    for (const auto& row : after[QStringLiteral("KANRYOU")]) {
        const bool reported = version >= 4 && row.value(QStringLiteral("B_ID")) == QStringLiteral("1");
        for (const char* c : {"KanriNai1", "KanriTosho1", "KanriKek9", "KanriBikou", "KanriKaku5"}) {
            const QString completion = QString::fromLatin1(c);
            if (version < 5)
                QCOMPARE(row.value(QStringLiteral("Chu") + completion), row.value(completion));
            QCOMPARE(row.value(completion) != n, reported && completion != QStringLiteral("KanriKaku5"));
        }
    }
    for (const auto& site : after[QStringLiteral("SHIKICHI")]) {
        L got;
        for (int i = 20; i <= 22; ++i)
            got << site.value(QStringLiteral("Men%1").arg(i));
        QCOMPARE(got, base.value(site.value(QStringLiteral("B_ID")).toLongLong()));
    }
    // ININ ID → its chosen matters: 建築確認 as chosen, 完了検査 where none was.
    const QMap<qint64, QString> matters{{1, QStringLiteral("Inin1")},
                                        {2, version < 4 ? QStringLiteral("Inin3") : QString()},
                                        {3, version < 4 ? QStringLiteral("Inin3") : QString()}};
    const auto& attorneys = after[QStringLiteral("ININ")];
    QCOMPARE(attorneys.size(), 3);
    for (auto r = attorneys.begin(); r != attorneys.end(); ++r)
        for (int i = 1; i <= 11; ++i) {
            const QString c = QStringLiteral("Inin%1").arg(i);
            const bool chosen = r.value().value(c) == QStringLiteral("1");
            QVERIFY2(chosen == (c == matters.value(r.key())), qPrintable(QStringLiteral("ININ %1 %2").arg(r.key()).arg(c)));
        }
}

// What the upgrade changes in rows that were there: a power of attorney
// with no matter chosen, which printed 完了検査, has it chosen.
Dump convertedBefore(Dump before, const QString& fixture)
{
    if (!before.contains(QStringLiteral("ININ")) || fixtureVersion(fixture) >= 4)
        return before;
    for (auto& row : before[QStringLiteral("ININ")]) {
        bool none = true;
        for (int i = 1; i <= 3; ++i) {
            const QString v = row.value(QStringLiteral("Inin%1").arg(i));
            none = none && (v == QStringLiteral("∅") || v == QStringLiteral("0"));
        }
        if (none)
            row[QStringLiteral("Inin3")] = QStringLiteral("1");
    }
    return before;
}

// One database after the upgrade, on either engine: every row kept, the
// version current, the column and the code list there, old rows converted.
void expectUpgraded(QSqlDatabase& d, DbFile db, const QString& fixture, const Dump& before, const Dump& after)
{
    expectKept(convertedBefore(before, fixture), after, dbBaseName(db));
    SchemaUpgrade::State state;
    QSqlError e;
    QVERIFY(SchemaUpgrade::readState(d, db, QString(), &state, &e));
    QVERIFY(SchemaUpgrade::isCurrent(state));
    QCOMPARE(state.version, SchemaUpgrade::kCurrentVersion);
    if (db == DbFile::Kakunin) {
        for (const auto& row : after[QStringLiteral("KAIBETU")])
            QCOMPARE(row.value(kDroppedColumn), QStringLiteral("∅"));
        expectConverted(fixture, after);
    }
    if (db == DbFile::MasterData) {
        QCOMPARE(after[kDroppedTable].size(), 19);  // the new code list arrives seeded
        QCOMPARE(after[QStringLiteral("MailAcountMaster")][1].value(QStringLiteral("PlainAuth")), QStringLiteral("0"));
    }
}

}  // namespace

class TestUpgrade : public QObject {
    Q_OBJECT

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

    static void fixtures()
    {
        QTest::addColumn<QString>("fixture");
        for (const char* name : {"appdir-0.1", "appdir-0.2", "appdir-0.3", "appdir-0.4"})
            QTest::newRow(name) << QString::fromLatin1(name);
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
        QCOMPARE(stored(s, DbFile::MasterData, QStringLiteral("Zonemaster"), 1, "ADR_NAME").toString()
                     + stored(s, DbFile::MasterData, QStringLiteral("Zonemaster"), 47, "ADR_NAME").toString(),
                 QStringLiteral("北海道沖縄県"));
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
        QStringList rows;
        while (q.next())
            rows << QStringLiteral("%1|%2|%3|%4").arg(q.value(0).toString()).arg(q.value(1).toLongLong())
                        .arg(q.value(2).toString()).arg(q.value(3).toDouble());
        QCOMPARE(rows, (QStringList{"旧|587|未設定|0.5", "新|587|未設定|0.5"}));
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

    void sqliteDirectoryOfAnEarlierReleaseIsUpgradedByAnyCommand_data() { fixtures(); }
    void sqliteDirectoryOfAnEarlierReleaseIsUpgradedByAnyCommand()
    {
        QFETCH(QString, fixture);
        QTemporaryDir app;
        copyFixture(app.path(), fixture);
        QMap<DbFile, Dump> before;
        for (DbFile db : allDbFiles) {
            RawFile f(QDir(app.path()).filePath(dbFileName(db)));
            makeEarlier(db, fixture, [&](const QString& sql) { return f.exec(sql); });
            before[db] = dump(f.db(), QString(), f.tables());
        }
        // A command, not init, is the first thing the new program does here.
        const ProcessRun first = cli(app.path(), {"project", "list"});
        QVERIFY2(first.code == 0, qPrintable(first.err));
        QVERIFY(first.out.contains(QStringLiteral("髙橋ビル増築工事（仮称）")));

        for (DbFile db : allDbFiles) {
            RawFile f(QDir(app.path()).filePath(dbFileName(db)));
            const Dump after = dump(f.db(), QString(), f.tables());
            expectUpgraded(f.db(), db, fixture, before[db], after);
            for (const TableDef& t : DatabaseSchema::builtIn(db).tables)
                for (const QString& c : TableIo::columnNames(t))
                    QVERIFY2(after[t.name].isEmpty() || after[t.name].first().contains(c), qPrintable(t.name + "." + c));
        }

        // Up to date: a read-only command and a second upgrade write nothing.
        const QByteArray upgraded = hashFiles(app.path());
        const ProcessRun list = cli(app.path(), {"project", "list"});
        QVERIFY2(list.code == 0, qPrintable(list.err));
        QCOMPARE(hashFiles(app.path()), upgraded);
        StorageConfig cfg;
        cfg.appDir = app.path();
        QString error;
        QVERIFY2(Storage(cfg).initialize(&error), qPrintable(error));
        QCOMPARE(hashFiles(app.path()), upgraded);

        // Documents come out of the upgraded register, and its projects
        // take a submission history at once.
        expectOutput(app.path(), 1, QStringLiteral("山田邸新築工事"));
        const QString certificate = writeBytes(QDir(app.path()).filePath(QStringLiteral("受領.pdf")), "%PDF-1.4\n");
        const ProcessRun attached = cli(app.path(), {"history", "attach", "1", certificate, "--kind", "確認済証"});
        QVERIFY2(attached.code == 0, qPrintable(attached.err));
        const ProcessRun listed = cli(app.path(), {"history", "1"});
        QVERIFY2(listed.out.contains(QStringLiteral("受領 確認済証")), qPrintable(listed.out + listed.err));
    }

    void newerDatabaseIsRefusedBeforeAnythingChanges()
    {
        QTemporaryDir app;
        copyFixture(app.path());
        {
            // A later program has upgraded maildata; kakunin … are still 0.1's.
            RawFile f(app.filePath(QStringLiteral("maildata.db")));
            f.exec(QStringLiteral("CREATE TABLE SchemaInfo (ID INTEGER PRIMARY KEY AUTOINCREMENT, Version INTEGER, "
                                  "Program TEXT, UpgradedAt TEXT, Layout TEXT, Later TEXT)"));
            f.exec(QStringLiteral("INSERT INTO SchemaInfo (Version, Program) VALUES (%1, 'ShinseiDesk 9.0')")
                       .arg(SchemaUpgrade::kCurrentVersion + 1));
        }
        const QByteArray untouched = hashFiles(app.path());
        const QString expected = QStringLiteral("このデータベース（maildata）はこのプログラムより新しい版（版 %1、このプログラムは版 %2）")
                                     .arg(SchemaUpgrade::kCurrentVersion + 1)
                                     .arg(SchemaUpgrade::kCurrentVersion);
        for (const QStringList& args : {QStringList{"project", "list"},
                                        QStringList{"init"}}) {
            const ProcessRun run = cli(app.path(), args);
            QCOMPARE(run.code, 1);
            QVERIFY2(run.err.contains(expected) && run.err.contains(QStringLiteral("ShinseiDesk 9.0")),
                     qPrintable(run.err));
            QCOMPARE(hashFiles(app.path()), untouched);
        }

        // Nor does a backup of it replace an office's databases.
        QTemporaryDir other;
        const QString archive = other.filePath(QStringLiteral("newer.zip"));
        StorageConfig newer, office;
        newer.appDir = app.path();
        office.appDir = other.filePath(QStringLiteral("office"));
        QString error;
        QVERIFY2(Backup::create(newer, archive, nullptr, &error), qPrintable(error));
        QVERIFY2(Storage(office).initialize(&error), qPrintable(error));
        const QByteArray officeFiles = hashFiles(office.appDir);
        QVERIFY(!Backup::restore(office, archive, nullptr, &error));
        QVERIFY2(error.contains(expected), qPrintable(error));
        QCOMPARE(hashFiles(office.appDir), officeFiles);
    }

    void dataStepsRunOnceInsideTheUpgradeTransaction()
    {
        for (const SchemaUpgrade::DataStep& s : SchemaUpgrade::dataSteps())
            QVERIFY(s.version > SchemaUpgrade::kUnrecordedVersion && s.version <= SchemaUpgrade::kCurrentVersion);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("kakunin.db"));
        QVERIFY(QFile::copy(fixtureFile(QStringLiteral("appdir-0.1"), DbFile::Kakunin), path));
        RawFile f(path);
        f.exec(QStringLiteral("ALTER TABLE KAIBETU DROP COLUMN %1").arg(kDroppedColumn));
        int runs = 0;
        auto step = [&](bool succeed) {
            return SchemaUpgrade::DataStep{SchemaUpgrade::kCurrentVersion, DbFile::Kakunin, QStringLiteral("敬称"),
                                           [&runs, succeed](QSqlDatabase& d, const QString&, QSqlError* e) {
                                               ++runs;
                                               QSqlQuery q(d);
                                               q.exec(QStringLiteral("UPDATE GAIYOU SET Name7 = Name7 || ' 様'"));
                                               if (!succeed)
                                                   *e = QSqlError(QString(), QStringLiteral("途中で失敗"));
                                               return succeed;
                                           }};
        };
        auto upgrade = [&](const SchemaUpgrade::DataStep& s, QSqlError* e) {
            SchemaUpgrade::State state;
            if (!f.db().transaction() || !SchemaUpgrade::readState(f.db(), DbFile::Kakunin, QString(), &state, e))
                return false;
            if (SchemaUpgrade::apply(f.db(), DbFile::Kakunin, QString(), state, {s}, e))
                return f.db().commit();
            f.db().rollback();
            return false;
        };
        auto name7 = [&] {
            QSqlQuery q(QStringLiteral("SELECT Name7 FROM GAIYOU WHERE ID = 1"), f.db());
            return q.next() ? q.value(0).toString() : QString();
        };
        const QStringList tablesBefore = f.tables();

        // A failing step takes the whole upgrade back with it.
        QSqlError e;
        QVERIFY(!upgrade(step(false), &e));
        QVERIFY2(e.text().contains(QStringLiteral("版 %1 への変換（敬称）").arg(SchemaUpgrade::kCurrentVersion)),
                 qPrintable(e.text()));
        QCOMPARE(f.tables(), tablesBefore);
        QCOMPARE(name7(), QStringLiteral("山田 太郎"));

        QVERIFY2(upgrade(step(true), &e), qPrintable(e.text()));
        QCOMPARE(runs, 2);
        QCOMPARE(name7(), QStringLiteral("山田 太郎 様"));
        QVERIFY(f.tables().contains(kSchemaInfoTable));
        QVERIFY(dump(f.db(), QString(), {QStringLiteral("KAIBETU")})[QStringLiteral("KAIBETU")].first().contains(kDroppedColumn));

        // Once at the version, the step is behind it.
        QVERIFY2(upgrade(step(true), &e), qPrintable(e.text()));
        QCOMPARE(runs, 2);
    }

    void postgresServerLaidOutByAnEarlierReleaseIsUpgraded_data() { fixtures(); }
    void postgresServerLaidOutByAnEarlierReleaseIsUpgraded()
    {
        QFETCH(QString, fixture);
        if (!TempAppDir::usingPostgres())
            QSKIP("PostgreSQL runs only (SHINSEIDESK_TEST_PG)");
        TempAppDir host;
        StorageConfig cfg;
        QString error;
        QVERIFY2(host.makeEmptyServerDatabase(&cfg, &error), qPrintable(error));
        QTemporaryDir app;
        cfg.appDir = app.path();
        QVERIFY2(cfg.writeIni(app.path(), &error), qPrintable(error));

        // The fixture's rows and IDs moved to the server, then the server put
        // back into the release's layout: only its tables, columns and
        // version rows, and without the column and the code list that came
        // later still.
        QTemporaryDir source;
        copyFixture(source.path(), fixture);
        DataTransfer transfer;
        QVERIFY2(transfer.toPostgres(source.path(), cfg, false), qPrintable(transfer.errorString()));
        QMap<DbFile, Dump> before;
        QMap<DbFile, int> versionRowsBefore;
        {
            Storage server(cfg);
            for (DbFile db : allDbFiles) {
                QSqlDatabase p = server.connection(db, &error);
                QVERIFY2(p.isValid(), qPrintable(error));
                QSqlQuery q(p);
                const TableIo::ExistingLayout layout = fixtureLayout(fixture, db);
                for (const TableDef& t : DatabaseSchema::builtIn(db).tables) {
                    if (!layout.columnsOf(t.name)) {
                        QVERIFY(q.exec(QStringLiteral("DROP TABLE \"%1\"").arg(t.name)));
                        continue;
                    }
                    for (const ColumnDef& c : t.columns)
                        if (!layout.columnsOf(t.name)->contains(c.name.toLower()))
                            QVERIFY(q.exec(QStringLiteral("ALTER TABLE \"%1\" DROP COLUMN \"%2\"").arg(t.name, c.name)));
                }
                if (layout.columnsOf(kSchemaInfoTable)) {
                    QVERIFY(q.exec(QStringLiteral("DELETE FROM \"SchemaInfo\" WHERE \"Version\" = %1")
                                       .arg(SchemaUpgrade::kCurrentVersion)));
                    QVERIFY(q.exec(QStringLiteral("SELECT COUNT(*) FROM \"SchemaInfo\"")) && q.next());
                    versionRowsBefore[db] = q.value(0).toInt();
                }
                if (db == DbFile::MasterData)
                    QVERIFY(q.exec(QStringLiteral("ALTER TABLE \"MailAcountMaster\" DROP COLUMN IF EXISTS \"PlainAuth\"")));
                makeEarlier(db, fixture, [&](const QString& sql) { return q.exec(sql); });
                QStringList tables;
                for (const TableDef& t : DatabaseSchema::builtIn(db).tables)
                    if (layout.columnsOf(t.name) && t.name != kDroppedTable)
                        tables << t.name;
                before[db] = dump(p, QString(), tables);
            }
        }
        QCOMPARE(before[DbFile::Kakunin][QStringLiteral("GAIYOU")].size(), 3);

        const ProcessRun first = cli(app.path(), {"project", "list"});
        QVERIFY2(first.code == 0, qPrintable(first.err));

        auto versionRows = [&](Storage& s, DbFile db) {
            QString err;
            QSqlQuery q(s.connection(db, &err));
            return q.exec(QStringLiteral("SELECT COUNT(*) FROM \"SchemaInfo\"")) && q.next() ? q.value(0).toInt() : -1;
        };
        Storage s(cfg);
        for (DbFile db : allDbFiles) {
            QSqlDatabase d = s.connection(db, &error);
            QVERIFY2(d.isValid(), qPrintable(error));
            QStringList tables;
            for (const TableDef& t : DatabaseSchema::builtIn(db).tables)
                tables << t.name;
            expectUpgraded(d, db, fixture, before[db], dump(d, QString(), tables));
            QCOMPARE(versionRows(s, db), versionRowsBefore.value(db) + 1);
        }
        s.closeAll();

        // A second start finds nothing to do; a newer server is refused.
        const ProcessRun list = cli(app.path(), {"project", "list"});
        QVERIFY2(list.code == 0, qPrintable(list.err));
        for (DbFile db : allDbFiles)
            QCOMPARE(versionRows(s, db), versionRowsBefore.value(db) + 1);

        expectOutput(app.path(), 2, QStringLiteral("髙橋ビル増築工事（仮称）"));

        {
            QSqlQuery q(s.connection(DbFile::PostDb, &error));
            QVERIFY(q.exec(QStringLiteral("UPDATE \"SchemaInfo\" SET \"Version\" = %1").arg(SchemaUpgrade::kCurrentVersion + 1)));
        }
        const ProcessRun refused = cli(app.path(), {"project", "list"});
        QCOMPARE(refused.code, 1);
        QVERIFY2(refused.err.contains(QStringLiteral("このデータベース（postdb）はこのプログラムより新しい版")), qPrintable(refused.err));
    }
};

QTEST_GUILESS_MAIN(TestUpgrade)
#include "tst_upgrade.moc"
