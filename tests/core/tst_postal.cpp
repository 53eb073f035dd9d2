#include "PostalImporter.h"
#include "PostalLookup.h"
#include "Recordset.h"
#include "TestSupport.h"

#include <QFile>
#include <QSqlQuery>
#include <QStringDecoder>
#include <QtTest>

namespace {

// Answers the choice window from a script and remembers what it offered.
class ScriptedChooser : public AddressChooser {
public:
    int choose(const QStringList& items) override
    {
        offered.append(items);
        return answers.isEmpty() ? -1 : answers.dequeue();
    }
    QQueue<int> answers;
    QVector<QStringList> offered;
};

QString u(const char* s) { return QString::fromUtf8(s); }

QByteArray fixture() { return readBytes(QStringLiteral(SD_TEST_DATA_DIR "/ken_all_sample.csv")); }

QByteArray asUtf8(const QByteArray& shiftJis, bool bom)
{
    QStringDecoder sjis("Shift_JIS");
    const QByteArray utf8 = QString(sjis.decode(shiftJis)).toUtf8();
    return bom ? QByteArray("\xEF\xBB\xBF") + utf8 : utf8;
}

// Empties the postal table, so that a test sees only the rows it imports.
void emptyTable(Storage& storage)
{
    QString error;
    QSqlQuery q(storage.connection(DbFile::PostDb, &error));
    if (!q.exec(QStringLiteral("DELETE FROM \"POST_DB\"")))
        qFatal("cannot empty POST_DB: %s", qPrintable(error));
}

int tableRows(Storage& storage)
{
    Recordset rs(storage, DbFile::PostDb);
    return rs.open(QStringLiteral("POST_DB")) ? rs.recordCount() : -1;
}

QStringList rowsOf(Storage& storage, const QString& code)
{
    Recordset rs(storage, DbFile::PostDb);
    QStringList out;
    if (!rs.open(QStringLiteral("POST_DB"), QStringLiteral("P_PST"), code))
        return {QStringLiteral("error: ") + rs.errorString()};
    for (; !rs.eof(); rs.moveNext()) {
        QStringList cols;
        for (const char* c : {"O_PST", "P_ADR1", "P_ADR2", "P_ADR3", "A_ADR"})
            cols << rs.text(QString::fromLatin1(c));
        out << cols.join(QLatin1Char('|'));
    }
    return out;
}

}  // namespace

class TestPostal : public QObject {
    Q_OBJECT

private:
    // An application directory whose postal table holds only the fixture.
    struct FixtureDir {
        TempAppDir app;
        FixtureDir()
        {
            emptyTable(app.storage());
            PostalImporter importer(app.storage());
            if (!importer.importData(fixture()))
                qFatal("fixture import failed: %s", qPrintable(importer.errorString()));
        }
    };

    std::unique_ptr<FixtureDir> m_shared;  // read-only cases share one import

private slots:
    void initTestCase() { m_shared = std::make_unique<FixtureDir>(); }
    void cleanupTestCase() { m_shared.reset(); }

    void importerJoinsCleansAndFillsOldCodes()
    {
        TempAppDir app;
        emptyTable(app.storage());
        PostalImporter importer(app.storage());
        QVector<QPair<int, int>> progress;
        importer.setProgress([&](int done, int total) { progress.append({done, total}); });
        QVERIFY2(importer.importData(fixture()), qPrintable(importer.errorString()));

        // 19 lines: the split town is one row, and the two 大通西 rows that
        // differed only in their qualifier are one.
        QCOMPARE(importer.rowCount(), 17);
        QCOMPARE(tableRows(app.storage()), 17);
        QCOMPARE(progress.value(progress.size() - 1), qMakePair(17, 17));  // an empty list gives (0, 0)

        QCOMPARE(rowsOf(app.storage(), u("1000000")), QStringList{u("100|東京都|千代田区|以下に掲載がない場合|千代田区")});
        QCOMPARE(rowsOf(app.storage(), u("1006001")), QStringList{u("100|東京都|千代田区|霞が関霞が関ビル|千代田区")});
        QCOMPARE(rowsOf(app.storage(), u("6048024")), QStringList{u("604|京都府|京都市中京区|山崎町|京都市中京区")});
        QCOMPARE(rowsOf(app.storage(), u("0600042")), QStringList{u("060|北海道|札幌市中央区|大通西|札幌市中央区")});
        QCOMPARE(rowsOf(app.storage(), u("6048005")), QStringList{u("60480|京都府|京都市中京区|恵比須町|京都市中京区")});
        // No old code in the file: the new code's first three digits.
        QCOMPARE(rowsOf(app.storage(), u("2200012")), QStringList{u("220|神奈川県|横浜市西区|みなとみらい|横浜市西区")});
        // "…の次に番地がくる場合" and "<municipality>一円" are the municipality's own
        // code; 多賀町's "一円" is a real place and stays.
        QCOMPARE(rowsOf(app.storage(), u("3060433")), QStringList{u("306|茨城県|猿島郡境町|以下に掲載がない場合|猿島郡境町")});
        QCOMPARE(rowsOf(app.storage(), u("9071801")), QStringList{u("90718|沖縄県|八重山郡与那国町|以下に掲載がない場合|八重山郡与那国町")});
        QCOMPARE(rowsOf(app.storage(), u("5220317")), QStringList{u("522|滋賀県|犬上郡多賀町|一円|犬上郡多賀町")});
        QCOMPARE(rowsOf(app.storage(), u("4980000")).size(), 2);

        // The UTF-8 edition, with or without BOM, gives the same rows.
        QVector<PostalEntry> fromSjis, fromUtf8, fromBom;
        QVERIFY(importer.parse(fixture(), &fromSjis));
        QVERIFY2(importer.parse(asUtf8(fixture(), false), &fromUtf8), qPrintable(importer.errorString()));
        QVERIFY2(importer.parse(asUtf8(fixture(), true), &fromBom), qPrintable(importer.errorString()));
        auto lines = [](const QVector<PostalEntry>& entries) {
            QStringList out;
            for (const PostalEntry& e : entries)
                out << e.oldCode + QLatin1Char(' ') + e.listItem();
            return out;
        };
        QCOMPARE(lines(fromUtf8), lines(fromSjis));
        QCOMPARE(lines(fromBom), lines(fromSjis));
    }

    void failedImportKeepsTheOldRows_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("message");
        const QByteArray good = asUtf8(fixture(), false);
        QList<QByteArray> lines = good.split('\n');

        QList<QByteArray> shortRow = lines;
        shortRow[4] = "13101,\"101  \",\"1010051\",\"x\",\"y\",\"z\",\"東京都\",\"千代田区\"\r";
        QTest::newRow("columns") << shortRow.join('\n') << u("5 行目");

        QList<QByteArray> badCode = lines;
        badCode[10] = "13101,\"100  \",\"100-001\",\"a\",\"b\",\"c\",\"東京都\",\"千代田区\",\"丸の内\",0,0,0,0,0,0\r";
        QTest::newRow("code") << badCode.join('\n') << u("11 行目");

        // The town opened on the last line never closes.
        QTest::newRow("unclosed") << good.trimmed() + "\r\n" + QString(u("26104,\"604  \",\"6048099\",\"a\",\"b\",\"c\","
                                                                          "\"京都府\",\"京都市中京区\",\"長い町（一、\",0,0,0,0,0,0")).toUtf8()
                                  << u("20 行目");
        QTest::newRow("empty") << QByteArray("\r\n") << u("1件もありません");
        QTest::newRow("missing file") << QByteArray() << u("見つかりません");
    }

    void failedImportKeepsTheOldRows()
    {
        QFETCH(QByteArray, data);
        QFETCH(QString, message);
        FixtureDir dir;
        PostalImporter importer(dir.app.storage());
        QVERIFY(!importer.importFile(data.isEmpty() ? dir.app.file(QStringLiteral("no-such-KEN_ALL.CSV"))
                                                    : writeBytes(dir.app.file(QStringLiteral("KEN_ALL.CSV")), data)));
        QVERIFY2(importer.errorString().contains(message), qPrintable(importer.errorString()));
        QCOMPARE(tableRows(dir.app.storage()), 17);
        QCOMPARE(rowsOf(dir.app.storage(), u("1000001")).size(), 1);
    }

    void codeToAddressFindsAndAsks()
    {
        ScriptedChooser chooser;
        PostalLookup lookup(m_shared->app.storage(), &chooser);
        QString first, second;  // kept between calls: each must refill or empty them
        // "result|field|prefecture|rest" after typing `typed`.
        auto ask = [&](const char* typed, bool forced = false) {
            QString field = u(typed);
            const int rc = lookup.codeToAddress(forced, &field, &first, &second);
            return QStringLiteral("%1|%2|%3|%4").arg(rc).arg(field, first, second);
        };

        // 〒 and hyphens are dropped: 1000001 in the new codes, no question.
        QCOMPARE(ask("〒100-0001"), u("0|〒100-0001|東京都|千代田区千代田"));
        QVERIFY(chooser.offered.isEmpty());
        // Forced: even one hit is confirmed, and the field is rewritten.
        chooser.answers.enqueue(0);
        QCOMPARE(ask("1000001", true), u("0|100-0001|東京都|千代田区千代田"));
        QCOMPARE(chooser.offered.last(), QStringList{u("1000001 東京都千代田区千代田")});
        // Six digits are read as the five-digit old code.
        QCOMPARE(ask("604800"), u("0|604800|京都府|京都市中京区恵比須町"));

        // An old three-digit code fits several rows; the list never has the
        // catch-all row, and the choice rewrites the field.
        chooser.offered.clear();
        chooser.answers.enqueue(1);
        QCOMPARE(ask("100"), u("0|100-0002|東京都|千代田区皇居外苑"));
        QCOMPARE(chooser.offered, (QVector<QStringList>{{u("1000001 東京都千代田区千代田"), u("1000002 東京都千代田区皇居外苑"),
                                                         u("1006001 東京都千代田区霞が関霞が関ビル")}}));
        // Cancelling keeps the caller's field and gives nothing to fill.
        chooser.answers.enqueue(-1);
        QCOMPARE(ask("100"), u("-1|100||"));
        // A municipality's own code fills no town; one not in the table empties the address.
        QCOMPARE(ask("060-0000"), u("0|060-0000|北海道|札幌市中央区"));
        QCOMPARE(ask("9999999"), u("0|9999999||"));
        // A code shared by two municipalities offers both, without the catch-all text.
        chooser.answers.enqueue(1);
        QCOMPARE(ask("4980000"), u("0|498-0000|三重県|桑名郡木曽岬町"));
        QCOMPARE(chooser.offered.last(), (QStringList{u("4980000 愛知県弥富市"), u("4980000 三重県桑名郡木曽岬町")}));
    }

    void prefectureSplit_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("prefecture");
        QTest::addColumn<QString>("rest");
        QTest::newRow("都") << u("東京都千代田区千代田") << u("東京都") << u("千代田区千代田");
        QTest::newRow("道") << u("北海道札幌市中央区") << u("北海道") << u("札幌市中央区");
        QTest::newRow("府") << u("大阪府大阪市北区") << u("大阪府") << u("大阪市北区");
        QTest::newRow("県") << u("神奈川県横浜市西区") << u("神奈川県") << u("横浜市西区");
        QTest::newRow("京都府: 2|3") << u("京都府京都市中京区") << u("京都府") << u("京都市中京区");
        // 都 at 3 and 府 at 4: the OR is 7, not the first mark.
        QTest::newRow("東京都府中市: 3|4") << u("東京都府中市宮西町") << u("東京都府中市宮") << u("西町");
        QTest::newRow("none") << u("千代田区千代田") << QString() << u("千代田区千代田");
    }

    void prefectureSplit()
    {
        QFETCH(QString, address);
        QFETCH(QString, prefecture);
        QFETCH(QString, rest);
        QString p, r;
        PostalLookup::splitPrefecture(address, &p, &r);
        QCOMPARE(p, prefecture);
        QCOMPARE(r, rest);
    }

    void formatter_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("7 digits") << u("1234567") << u("123-4567");
        QTest::newRow("3 digits") << u("123") << u("123-0000");
        QTest::newRow("〒 and hyphen") << u("〒123-4567") << u("123-4567");
        QTest::newRow("〒 no hyphen") << u("〒1234567") << u("123-4567");
        QTest::newRow("5 digits") << u("12345") << u("123-45");
        QTest::newRow("hyphen kept") << u("12-34") << u("12-34");
        QTest::newRow("empty") << QString() << QString();
    }

    void formatter()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(PostalLookup::formatCode(text), expected);
    }

    void addressToCode_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("code");
        QTest::newRow("ward and town") << u("東京都千代田区千代田1-1") << u("100-0001");
        QTest::newRow("村 before 郡") << u("長野県北安曇郡白馬村北城1") << u("399-9301");
        QTest::newRow("qualifier dropped") << u("北海道札幌市中央区大通西5丁目") << u("060-0042");
        QTest::newRow("ward in city") << u("神奈川県横浜市西区みなとみらい2-2-1") << u("220-0012");
        // 町 in the town name: the first end gives "千代田区神田神保町", which is no municipality.
        QTest::newRow("町 after ward") << u("東京都千代田区神田神保町1-1") << u("101-0051");
        QTest::newRow("町 in Kyoto street") << u("京都府京都市中京区河原町通三条上る恵比須町") << u("604-8005");
        // The position rule cuts "東京都府中市宮"; the prefecture's own name fits.
        QTest::newRow("府 in municipality") << u("東京都府中市宮西町1") << u("183-0022");
        QTest::newRow("no prefecture") << u("府中市宮西町1") << u("183-0022");
        QTest::newRow("no 村町郡区市") << u("東京都千代田") << QString();
        QTest::newRow("unknown town") << u("北海道札幌市中央区旭ケ丘1") << QString();
        QTest::newRow("unknown prefecture") << u("埼玉県さいたま市") << QString();
    }

    void addressToCode()
    {
        QFETCH(QString, address);
        QFETCH(QString, code);
        ScriptedChooser chooser;
        PostalLookup lookup(m_shared->app.storage(), &chooser);
        QCOMPARE(lookup.addressToCode(false, address), code);
        QVERIFY(chooser.offered.isEmpty());
    }

    void addressToCodeAsks()
    {
        ScriptedChooser chooser;
        PostalLookup lookup(m_shared->app.storage(), &chooser);

        // The municipality alone fits every town of it, never the catch-all.
        const QStringList towns{u("1000001 東京都千代田区千代田"), u("1000002 東京都千代田区皇居外苑"),
                                u("1006001 東京都千代田区霞が関霞が関ビル"), u("1010051 東京都千代田区神田神保町")};
        chooser.answers.enqueue(3);
        QCOMPARE(lookup.addressToCode(false, u("東京都千代田区")), u("101-0051"));
        QCOMPARE(chooser.offered.last(), towns);
        chooser.answers.enqueue(-1);
        QCOMPARE(lookup.addressToCode(false, u("東京都千代田区")), QString());

        // Forced: one hit is still confirmed.
        chooser.answers.enqueue(0);
        QCOMPARE(lookup.addressToCode(true, u("東京都千代田区千代田")), u("100-0001"));
        QCOMPARE(chooser.offered.last(), QStringList{u("1000001 東京都千代田区千代田")});
        // Nothing fits: nothing to ask.
        const int asked = chooser.offered.size();
        QCOMPARE(lookup.addressToCode(true, u("東京都千代田")), QString());
        QCOMPARE(chooser.offered.size(), asked);
        // Without a chooser a question counts as cancelled.
        PostalLookup silent(m_shared->app.storage());
        QCOMPARE(silent.addressToCode(false, u("東京都千代田区")), QString());
    }

    void quotesAreValuesNotSql()
    {
        PostalLookup lookup(m_shared->app.storage());
        QVector<PostalEntry> rows;
        QVERIFY(lookup.addressCandidates(u("東京都' OR '1'='1区千代田"), &rows));
        QVERIFY(rows.isEmpty());
        QVERIFY(lookup.errorString().isEmpty());
    }

    void unreadableTableIsReportedAndKeepsTheField()
    {
        if (TempAppDir::usingPostgres())
            QSKIP("removes the SQLite file; a missing table on the server is tst_storage's case");
        TempAppDir app;
        ScriptedPrompter prompter;
        ScriptedChooser chooser;
        app.storage().closeAll();
        for (const char* f : {"postdb.db", "postdb.db-wal", "postdb.db-shm"})
            QFile::remove(app.file(QString::fromLatin1(f)));
        PostalLookup lookup(app.storage(), &chooser);
        QString field = u("1000001"), first = u("old"), second = u("old");
        QCOMPARE(lookup.codeToAddress(false, &field, &first, &second), -1);
        QCOMPARE(field, u("1000001"));
        QCOMPARE(lookup.addressToCode(false, u("東京都千代田区千代田")), QString());
        QCOMPARE(prompter.shown.size(), 2);
        QCOMPARE(prompter.shown[0].title, PromptTitle::Error);
        QVERIFY2(prompter.shown[0].text.contains(u("postdb.db")), qPrintable(prompter.shown[0].text));
        QVector<PostalEntry> rows;
        QVERIFY(!lookup.codeCandidates(u("1000001"), &rows));
        QVERIFY(!lookup.errorString().isEmpty());
        QVERIFY(chooser.offered.isEmpty());
    }

    void nationalTable()
    {
        TempAppDir app;
        QVERIFY(tableRows(app.storage()) > 110000);
        QCOMPARE(PostalLookup(app.storage()).addressToCode(false, u("大阪府大阪市北区梅田3丁目")), u("530-0001"));
        // The code's own reading (〒, hyphens) is codeToAddressFindsAndAsks'.
        auto cli = [&](const QStringList& args) {
            return runProcess(QStringLiteral(SD_CLI_PATH), QStringList{"--appdir", app.path(), "postal"} + args);
        };
        ProcessRun r = cli({"code", u("〒100-0001")});
        QCOMPARE(QStringLiteral("%1 %2").arg(r.code).arg(r.out), u("0 1000001\t東京都\t千代田区\t千代田\n"));
        r = cli({"address", u("東京都千代田区千代田")});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.out.startsWith(u("100-0001\t東京都\t千代田区\t千代田")), qPrintable(r.out));
        r = cli({"code", u("0000000")});
        QVERIFY2(r.code != 0 && r.out.isEmpty() && r.err.contains(u("該当する住所がありません")), qPrintable(r.err));
    }

    // A file replaces the prefectures it holds and nothing else; the whole
    // country only on request and from a file that has all of it.
    void importReplacesOnlyThePrefecturesOfTheFile()
    {
        TempAppDir app;
        auto count = [&](const QString& prefecture) {
            Recordset rs(app.storage(), DbFile::PostDb);
            return rs.open(QStringLiteral("POST_DB"), QStringLiteral("P_ADR1"), prefecture) ? rs.recordCount() : -1;
        };
        auto write = [&](const QString& name, const QByteArray& data) { return writeBytes(app.file(name), data); };
        auto cli = [&](const QStringList& args) {
            app.storage().closeAll();
            return runProcess(QStringLiteral(SD_CLI_PATH),
                              QStringList{"--appdir", app.path(), "postal", "import"} + args);
        };
        const int national = tableRows(app.storage());
        const int tokyo = count(u("東京都")), osaka = count(u("大阪府")), kyoto = count(u("京都府"));
        QVERIFY(tokyo > 1000 && osaka > 1000 && kyoto > 1000);

        // A Tokyo file cut after its first lines: only Tokyo changes, and the report says so.
        const QByteArray lines = asUtf8(fixture(), false);
        const QByteArray tokyoCut = lines.split('\n').mid(0, 3).join('\n');
        const QString cut = write(QStringLiteral("13TOKYO.CSV"), tokyoCut);
        ProcessRun r = cli({cut});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY2(r.out.contains(u("13 東京都\t%1 → 3 行").arg(tokyo)), qPrintable(r.out));
        QVERIFY2(!r.out.contains(u("大阪府")), qPrintable(r.out));
        QCOMPARE((QList<int>{count(u("東京都")), count(u("大阪府")), tableRows(app.storage())}),
                 (QList<int>{3, osaka, national - tokyo + 3}));

        // --all from a file that lacks prefectures: refused, nothing changed.
        r = cli({write("KEN_ALL.CSV", lines), "--all"});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(u("47都道府県")) && r.err.contains(u("青森県")), qPrintable(r.err));
        QCOMPARE(count(u("京都府")), kyoto);

        // A code that contradicts the prefecture's name is refused with its line.
        QByteArray wrong = tokyoCut;
        wrong.replace("13101,", "27101,");
        r = cli({write("WRONG.CSV", wrong)});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(u("1 行目")) && r.err.contains(u("大阪府")), qPrintable(r.err));
        QCOMPARE(count(u("東京都")), 3);

        // All 47 prefectures: --all replaces the country, rows of no prefecture included.
        QByteArray country;
        for (int p = 1; p <= 47; ++p)
            country += QStringLiteral("%1,\"100  \",\"%2\",\"a\",\"b\",\"c\",\"%3\",\"中央市\",\"本町\",0,0,0,0,0,0\r\n")
                           .arg(p * 1000 + 101, 5, 10, QLatin1Char('0'))
                           .arg(1000000 + p)
                           .arg(PostalImporter::prefectureNames().at(p))
                           .toUtf8();
        // The look-up's municipality names follow an import by another program.
        PostalLookup lookup(app.storage());
        QCOMPARE(lookup.addressToCode(false, u("東京都中央市本町")), QString());
        r = cli({write("ALL.CSV", country), "--all"});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY2(r.out.contains(u("47 都道府県、47 行")), qPrintable(r.out));
        QCOMPARE(tableRows(app.storage()), 47);
        QCOMPARE(lookup.addressToCode(false, u("東京都中央市本町")), u("100-0013"));
    }
};

QTEST_GUILESS_MAIN(TestPostal)
#include "tst_postal.moc"
