#include "CustomerCsv.h"
#include "CustomerStore.h"
#include "MasterTable.h"
#include "Recordset.h"
#include "ShiftJis.h"
#include "TestSupport.h"

#include <QFile>
#include <QStringDecoder>
#include <QtTest>

#include <tuple>

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

CustomerEntry named(const QString& surname, const QString& given, const QString& surnameReading = {},
                    const QString& givenReading = {})
{
    CustomerEntry e;
    e.surname = surname;
    e.givenName = given;
    e.surnameReading = surnameReading;
    e.givenReading = givenReading;
    return e;
}

qint64 newCustomer(CustomerStore& store, qint64 folder, const QString& surname, const QString& tel = {},
                   const QString& given = {})
{
    const qint64 id = store.create(folder);
    CustomerEntry e = named(surname, given);
    e.telephone = tel;
    bool found = false;
    if (id <= 0 || !store.apply(id, e, {}, &found) || !found)
        qFatal("could not create a customer: %s", qPrintable(store.errorString()));
    return id;
}

// A search window's lines, one "ID|first folder|name|e-mail|telephone" a hit.
QStringList texts(const QVector<CustomerHit>& hits)
{
    QStringList out;
    for (const CustomerHit& h : hits)
        out << QStringLiteral("%1|%2|%3|%4|%5").arg(h.id).arg(h.firstFolder).arg(h.name, h.email, h.telephone);
    return out;
}

QVector<qint64> idsIn(CustomerStore& store, qint64 folder)
{
    QVector<CustomerListItem> items;
    if (!store.listFolder(folder, &items))
        qFatal("%s", qPrintable(store.errorString()));
    QVector<qint64> ids;
    for (const CustomerListItem& i : items)
        ids << i.id;
    return ids;
}

int customerCount(Storage& s)
{
    Recordset rs(s, DbFile::SaleData);
    return rs.open(QStringLiteral("UserMaster")) ? rs.recordCount() : -1;
}

}  // namespace

// The customer master's logic without a window: codes, folders, searches,
// CSV files.
class TestCustomers : public QObject {
    Q_OBJECT

private slots:
    void shiftJisCodesAndRoundTrip()
    {
        // Kana and kanji give the negative 16-bit number of their two bytes.
        // 0x82A0, 0x8E52, 0xFBFC (an IBM extension), half-width kana in one
        // byte, ASCII, outside CP932, nothing.
        QVector<qint16> codes;
        for (const QString& s : {u("あべ"), u("山田"), u("髙橋"), u("ｱｲｳ"), u("Smith"), u("𠮷野"), QString()})
            codes << ShiftJis::firstCharCode(s);
        QCOMPARE(codes, (QVector<qint16>{-32096, -29102, -1028, 177, 83, 63, 0}));

        // What Japanese input methods type on Linux (U+301C, U+2212) goes
        // out as Windows writes it and comes back in Windows' form.
        int unmappable = -1;
        const QByteArray b = ShiftJis::encode(u("〜−‖髙①ｱ"), &unmappable);
        QCOMPARE(unmappable, 0);
        QCOMPARE(b, QByteArray("\x81\x60\x81\x7C\x81\x61\xFB\xFC\x87\x40\xB1"));
        QString back;
        QVERIFY(ShiftJis::decode(b, &back));
        QCOMPARE(back, u("～－∥髙①ｱ"));
        QCOMPARE(ShiftJis::encode(u("a𠮷b"), &unmappable), QByteArray("a?b"));
        QCOMPARE(unmappable, 1);

        QString text;
        ShiftJis::Encoding enc;
        int bad = -1;
        QVERIFY(ShiftJis::decodeFile(QByteArray("\xEF\xBB\xBF") + u("山田").toUtf8(), &text, &enc, &bad));
        QCOMPARE(text, u("山田"));
        QCOMPARE(enc, ShiftJis::Encoding::Utf8Bom);
        QVERIFY(ShiftJis::decodeFile(ShiftJis::encode(u("山田\r\n太郎")), &text, &enc, &bad));
        QCOMPARE(enc, ShiftJis::Encoding::Cp932);
        QCOMPARE(text, u("山田\r\n太郎"));
        // A lead byte without its trail byte on line 3.
        QVERIFY(!ShiftJis::decodeFile(ShiftJis::encode(u("一\n二\n")) + QByteArray("\x82\n"), &text, &enc, &bad));
        QCOMPARE(bad, 3);
        // Shift_JIS behind a UTF-8 BOM, lines ended by CR alone.
        QVERIFY(!ShiftJis::decodeFile(QByteArray("\xEF\xBB\xBF") + "a\rb\r" + ShiftJis::encode(u("山")), &text, &enc, &bad));
        QCOMPARE(bad, 3);
        QCOMPARE(enc, ShiftJis::Encoding::Utf8Bom);
    }

    void newApplyAndDeleteKeepTheRowsRight()
    {
        TempAppDir dir;
        CustomerStore store(dir.storage());
        QVector<Zone> zones;
        QVERIFY(store.loadZones(&zones));
        QCOMPARE(zones.size(), 47);

        const qint64 id = store.create(1);
        QVERIFY(id > 0);
        Customer c;
        bool found = false;
        // "name|name1|reading|U_ID|SEX|shown sex|zone|fifth folder" as read back.
        auto stored = [&] {
            if (!store.read(id, &c, &found) || !found)
                return QStringLiteral("unread");
            return QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8")
                .arg(c.name, c.name1, c.reading).arg(c.uid).arg(c.sexCode).arg(int(c.shown().sex)).arg(c.zoneId).arg(c.folders[4]);
        };
        QCOMPARE(stored(), u("<新規>|<新規>||0|-1|0|0|1"));
        QCOMPARE(idsIn(store, 1), QVector<qint64>{id});

        CustomerEntry e = named(u("  山田 "), u("太郎"), u("やまだ"), u("たろう"));
        e.prefecture = u("京都府");
        auto applied = [&] { return store.apply(id, e, zones, &found) ? stored() : QStringLiteral("refused"); };
        QCOMPARE(applied(), u("山田 太郎|山田|やまだ たろう|-29102|0|0|26|1"));  // applied without a sex; 京都府, not 東京都
        e.surname = u("あべ");
        e.prefecture = u("東京都");
        QCOMPARE(applied(), u("あべ 太郎|あべ|やまだ たろう|-32096|0|0|13|1"));
        // An empty surname leaves U_ID as it was.
        e.surname.clear();
        QCOMPARE(applied(), u(" 太郎||やまだ たろう|-32096|0|0|13|1"));

        // A customer stored with only its whole name shows it as surname.
        setColumns(dir.storage(), DbFile::SaleData, "UserMaster", "ID", id,
                   {{"Name1", QVariant()}, {"Name", u("鈴木一郎")}, {"FURI", u("すずきいちろう")}, {"Furi1", QString()}, {"SEX", 7}});
        QVERIFY(store.read(id, &c, &found));
        QCOMPARE(c.shown().surname, u("鈴木一郎"));
        QCOMPARE(c.shown().surnameReading, u("すずきいちろう"));
        QCOMPARE(c.shown().sex, int(CustomerEntry::NotSpecified));

        // Delete takes the family rows along, and only those.
        const qint64 other = newCustomer(store, 1, u("佐藤"));
        for (qint64 owner : {id, id, other}) {
            Recordset fam(dir.storage(), DbFile::SaleData);
            QVERIFY(fam.open(QStringLiteral("FamilyForm"), QStringLiteral("ID"), 0));
            QVERIFY(fam.addNew() > 0);
            fam.setValue(QStringLiteral("U_ID"), owner);
            QVERIFY(fam.update());
        }
        int family = 0;
        QVERIFY(store.read(id, &c, &found, &family));
        QCOMPARE(family, 2);
        QVERIFY(store.remove({id}));
        QVERIFY(store.read(id, &c, &found));
        QVERIFY(!found);
        QVERIFY(store.read(other, &c, &found, &family));
        QCOMPARE(family, 1);
        // Apply on a vanished row writes nothing and says so.
        QVERIFY(store.apply(id, e, zones, &found));
        QVERIFY(!found);
        QCOMPARE(customerCount(dir.storage()), 1);
    }

    void foldersMoveCopyAndStopAtFive()
    {
        TempAppDir dir;
        CustomerStore store(dir.storage());
        QVector<qint64> f{1};
        for (const char* n : {"二", "三", "四", "五", "六"})
            f << addFolder(dir.storage(), u(n));
        const qint64 a = newCustomer(store, f[0], u("甲"));
        const qint64 b = newCustomer(store, f[0], u("乙"));
        int refused = -1;

        // Move: out of the current folder into the target.
        QVERIFY(store.dropOnFolder({a}, f[0], f[1], false, &refused));
        QCOMPARE(idsIn(store, f[0]), QVector<qint64>{b});
        QCOMPARE(idsIn(store, f[1]), QVector<qint64>{a});

        // Copy: into the first free slot; the customer stands in both.
        QVERIFY(store.dropOnFolder({a}, f[1], f[0], true, &refused));
        QCOMPARE(idsIn(store, f[0]), (QVector<qint64>{a, b}));
        QCOMPARE(idsIn(store, f[1]), QVector<qint64>{a});
        // Copying onto a folder it already stands in changes nothing;
        // moving it there removes it from the current one.
        FolderSlots::Slots before, after;
        QVERIFY(store.folderSlots(a, &before));
        QVERIFY(store.dropOnFolder({a}, f[1], f[0], true, &refused));
        QVERIFY(store.folderSlots(a, &after));
        QCOMPARE(after, before);
        QVERIFY(store.dropOnFolder({a}, f[1], f[0], false, &refused));
        QCOMPARE(idsIn(store, f[1]), QVector<qint64>{});
        QCOMPARE(idsIn(store, f[0]), (QVector<qint64>{a, b}));

        // Standing twice in one folder lists twice; a copy there removes
        // the later duplicate.
        setColumns(dir.storage(), DbFile::SaleData, "UserMaster", "ID", b, {{"FLD3", f[0]}});
        QCOMPARE(idsIn(store, f[0]), (QVector<qint64>{a, b, b}));
        QVERIFY(store.dropOnFolder({b}, f[0], f[0], true, &refused));
        QCOMPARE(idsIn(store, f[0]), (QVector<qint64>{a, b}));

        // Five folders at most: the sixth is refused and nothing changes.
        for (int i = 1; i < 5; ++i)
            QVERIFY(store.dropOnFolder({b}, f[0], f[i], true, &refused));
        QCOMPARE(refused, 0);
        QVERIFY(store.folderSlots(b, &before));
        QVERIFY(store.dropOnFolder({a, b}, f[0], f[5], true, &refused));
        QCOMPARE(refused, 1);
        QVERIFY(store.folderSlots(b, &after));
        QCOMPARE(after, before);
        QCOMPARE(idsIn(store, f[5]), QVector<qint64>{a});
    }

    void telephoneSearchComparesLeadingDigits()
    {
        TempAppDir dir;
        CustomerStore store(dir.storage());
        newCustomer(store, 1, u("無番"));
        const qint64 hyphens = newCustomer(store, 1, u("東京"), u("03-1234-5678"));
        const qint64 parens = newCustomer(store, 1, u("大阪"), u("(06)6345-0000"));
        const qint64 mobile = newCustomer(store, 1, u("携帯"), u("090 3333 4444"));
        CustomerHit hit;
        auto byPhone = [&](const char* prefix) {
            bool found = false;
            return store.findByPhonePrefix(u(prefix), &hit, &found) ? (found ? hit.id : 0) : -1;
        };
        QCOMPARE(byPhone("03"), hyphens);
        QCOMPARE(hit.firstFolder, qint64(1));
        QCOMPARE(byPhone("０６-"), qint64(0));  // full-width digits are no digits
        QCOMPARE(byPhone("06-6345"), parens);
        QCOMPARE(byPhone("0903"), mobile);
        // A prefix, not a part: "3" is inside both numbers but starts neither.
        QCOMPARE(byPhone("3"), qint64(0));
        QCOMPARE(byPhone("ー"), qint64(0));
    }

    void conditionSearchNeedsEveryGivenText()
    {
        TempAppDir dir;
        CustomerStore store(dir.storage());
        const qint64 a = newCustomer(store, 1, u("山田"), u("03-1234-5678"), u("太郎"));
        const qint64 b = newCustomer(store, 1, u("山本"), u("06-1234-0000"), u("花子"));
        const qint64 c = store.create(0);  // in no folder at all
        QVector<CustomerHit> hits;
        using Ids = QVector<qint64>;
        auto found = [&](const QString& name, const QString& mail, const QString& tel) {
            Ids ids;
            if (store.search(name, mail, tel, &hits))
                for (const CustomerHit& h : hits)
                    ids << h.id;
            return ids;
        };
        QCOMPARE(found({}, {}, {}), (Ids{a, b, c}));
        QCOMPARE(hits[2].firstFolder, Customer::kNoFolder);
        QCOMPARE(found(u("山"), {}, u("(1234)")), (Ids{a, b}));
        QCOMPARE(found(u("山"), {}, u("5678")), Ids{a});
        QCOMPARE(hits[0].name, u("山田 太郎"));
        QCOMPARE(found(u("花子"), u("@"), {}), Ids{});  // b has no e-mail
        QCOMPARE(found(u("花子"), {}, {}), Ids{b});
        // Any separator and a quote in the name: the engine narrows, the digits decide.
        const qint64 d = newCustomer(store, 1, u("O'Neil"), u("TEL.03/1234/9999"), u("次郎"));
        QCOMPARE(found({}, {}, u("1234-9999")), Ids{d});
        QCOMPARE(found(u("O'N"), {}, u("1234")), Ids{d});
        // Full-width digits are no digits, on either engine.
        const qint64 e = newCustomer(store, 1, u("全角"), u("０３-1234"));
        QCOMPARE(found({}, {}, u("1234")), (Ids{a, b, d, e}));
        QCOMPARE(found({}, {}, u("031234")), (Ids{a, d}));

        // The search window's way: the IDs first, then the lines of the rows
        // shown, in the order asked for; a customer deleted meanwhile keeps
        // its place with ID 0. Long lists go to the engine in several parts.
        const std::tuple<QString, QString, QString> asked[] = {
            {{}, {}, {}}, {u("山"), {}, u("(1234)")}, {{}, {}, u("1234-9999")}, {u("花子"), u("@"), {}}};
        for (const auto& [name, mail, tel] : asked) {
            QVector<qint64> ids;
            QVERIFY(store.searchIds(name, mail, tel, &ids));
            QVERIFY(store.search(name, mail, tel, &hits));
            QVector<CustomerHit> lines;
            QVERIFY(store.hitsOf(ids, &lines));
            QCOMPARE(texts(lines), texts(hits));
        }
        QVector<qint64> many(1200, d + 1000);
        many[0] = e;
        many[499] = b;
        many[500] = c;
        many[1199] = a;
        QVERIFY(store.remove({b}));
        QVector<CustomerHit> lines;
        QVERIFY(store.hitsOf(many, &lines));
        const QStringList got = texts(lines);
        QCOMPARE(got.size(), 1200);
        QCOMPARE((QStringList{got[0], got[1], got[499], got[500], got[1199]}),
                 (QStringList{QStringLiteral("%1|1|全角 ||０３-1234").arg(e), QStringLiteral("0|%1|||").arg(Customer::kNoFolder),
                              QStringLiteral("0|%1|||").arg(Customer::kNoFolder), QStringLiteral("%1|%2|<新規>||").arg(c).arg(Customer::kNoFolder),
                              QStringLiteral("%1|1|山田 太郎||03-1234-5678").arg(a)}));
    }

    void dataSheetLayout()
    {
        CustomerEntry e = named(u("山田"), u("太郎"));
        e.prefecture = u("東京都");
        e.address2 = u("千代田区");
        const QString sheet = CustomerStore::dataSheet(e);
        const QStringList lines = sheet.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 5 + 19 + 1);
        QCOMPARE(lines.mid(0, 5), QStringList(5));
        QCOMPARE((QStringList{lines[5], lines[8], lines[14], lines[15], lines[21]}).replaceInStrings(QString(15, QLatin1Char(' ')), u("|")),
                 (QStringList{u("|顧客名 　： 山田太郎"), u("|性別　　 ： 指定なし"), u("|住所　　 ： 東京都"), u("|　　　　　  千代田区"), u("|URL      ： ")}));
        QVERIFY(sheet.endsWith(QStringLiteral("\r\n\r\n\r\n")));
        e.sex = CustomerEntry::Male;
        QVERIFY(CustomerStore::dataSheet(e).contains(u("性別　　 ： 男性")));
    }

    void splittingLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("plain, trimmed") << u(" a , b,c ") << QStringList{u("a"), u("b"), u("c")};
        QTest::newRow("empty fields") << u(",,") << QStringList{QString(), QString(), QString()};
        QTest::newRow("quoted comma") << u("\"1-1, 大和ビル\",x") << QStringList{u("1-1, 大和ビル"), u("x")};
        QTest::newRow("blanks kept inside quotes") << u(" \" a \" ,b") << QStringList{u(" a "), u("b")};
        QTest::newRow("doubled quotes") << u("\"株式会社\"\"大和\"\"\",y") << QStringList{u("株式会社\"大和\""), u("y")};
        QTest::newRow("quotes never doubled") << u("\"say \"hi\"\",z") << QStringList{u("say \"hi\""), u("z")};
        QTest::newRow("quote inside a bare field") << u("5'10\",x") << QStringList{u("5'10\""), u("x")};
        QTest::newRow("full-width blank kept") << u("　山田　,") << QStringList{u("　山田　"), QString()};
    }
    void splittingLines()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, fields);
        QStringList got;
        QVERIFY(CustomerCsv::splitLine(line, &got));
        QCOMPARE(got, fields);
    }

    void headerRecognition()
    {
        // 携帯電話番号 is rule 14, which replaces rule 12.
        QVector<int> codes;
        for (const char* h : {"携帯電話番号", "氏名", "名", "姓ふりがな", "会社名", "〒", "住所２", "ＦＡＸ", "Ｅメール",
                              "ホームページURL", "性別"})
            codes << CustomerImport::recognize(u(h));
        QCOMPARE(codes, (QVector<int>{14, 0, 4, 0, 6, 8, 10, 13, 15, 16, 0}));
        QStringList recognised;
        for (const QString& h : CustomerCsv::exportHeader())
            recognised << (CustomerImport::recognize(h) ? h : QString());
        QCOMPARE(recognised.count(QString()), 3);  // the readings and the sex
    }

    void exportThenImportRoundTrip()
    {
        TempAppDir dir;
        int rows = -1, unmappable = -1;
        QString error;
        // An empty master writes no file.
        QVERIFY(CustomerCsv::exportFile(dir.storage(), dir.file(QStringLiteral("x.csv")), false, &rows, nullptr, &error));
        QCOMPARE(rows, 0);
        QVERIFY(!QFile::exists(dir.file(QStringLiteral("x.csv"))));

        CustomerStore store(dir.storage());
        const qint64 id = store.create(1);
        // Every field, in the order of the struct.
        const CustomerEntry e{u("髙橋"), u("花子"), u("たかはし"), u("はなこ"), CustomerEntry::Female, u("1985/12/24"),
                              u("株式会社 大和"), u("設計部"), u("530-0001"), u("大阪府"), u("大阪市北区梅田"),
                              u("2-4-9, 梅田ビル〜3F"), u("06-6345-0000"), u("06-6345-0001"), u("080-3333-4444"),
                              u("hanako@example.jp"), u("https://example.jp/\"top\"")};
        bool found = false;
        QVERIFY(store.apply(id, e, {}, &found));
        newCustomer(store, 1, u("佐藤"));

        const QString sjisPath = dir.file(QStringLiteral("顧客マスター.csv"));
        QVERIFY2(CustomerCsv::exportFile(dir.storage(), sjisPath, false, &rows, &unmappable, &error), qPrintable(error));
        QCOMPARE(rows, 2);
        QCOMPARE(unmappable, 0);
        const QByteArray bytes = readBytes(sjisPath);
        QString text;
        QVERIFY(ShiftJis::decode(bytes, &text));
        const QStringList lines = text.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 4);  // header, two customers, the empty rest after the last CRLF
        QCOMPARE(lines[0], u("\"姓ふりがな\",\"名ふりがな\",\"姓\",\"名\",\"性別\",\"生年月日\",\"会社名\",\"部署\",\"郵便番号\","
                             "\"住所1\",\"住所2\",\"住所3\",\"電話番号\",\"FAX番号\",\"携帯電話番号\",\"E_Mail\",\"URL\""));
        QVERIFY(lines[1].startsWith(u("\"たかはし\",\"はなこ\",\"髙橋\",\"花子\",\"女性\",")));
        QVERIFY(lines[1].endsWith(u("\"https://example.jp/\"top\"\"")));
        QVERIFY(lines[2].contains(u("\"佐藤\",\"\",\"\",")));  // sex 0: empty

        CustomerImport import(dir.storage());
        QVERIFY2(import.load(sjisPath), qPrintable(import.errorString()));
        QCOMPARE(import.encoding(), ShiftJis::Encoding::Cp932);
        QVERIFY(import.headerRecognised());
        QCOMPARE(import.rowsToImport(), 2);
        for (int c : {0, 1, 4})
            QVERIFY(!import.isTicked(c));
        import.assign(0, 1);
        import.assign(1, 2);
        int added = 0;
        QVERIFY2(import.run(0, &added), qPrintable(import.errorString()));
        QCOMPARE(added, 2);

        Recordset rs(dir.storage(), DbFile::SaleData);
        QVERIFY(rs.open(QStringLiteral("UserMaster"), QStringLiteral("Name1"), u("髙橋")));
        QCOMPARE(rs.recordCount(), 2);
        rs.moveLast();
        expectStored(dir.storage(), DbFile::SaleData, "UserMaster", rs.value(QStringLiteral("ID")).toLongLong(),
                     {{"Name", u("髙橋花子")}, {"Furi2", u("はなこ")}, {"ADR13", u("2-4-9, 梅田ビル～3F")}, {"URL1", e.url}, {"HDYTEL1", e.mobile}});
        QVERIFY(rs.isNull(QStringLiteral("SEX")) && rs.isNull(QStringLiteral("U_No")));  // no sex, no folder

        // UTF-8 export carries a BOM and reads back the same.
        QVERIFY(CustomerCsv::exportFile(dir.storage(), dir.file(QStringLiteral("u.csv")), true, &rows, nullptr, &error));
        QVERIFY(readBytes(dir.file(QStringLiteral("u.csv"))).startsWith("\xEF\xBB\xBF\"\xE5\xA7\x93"));
        QVERIFY(import.load(dir.file(QStringLiteral("u.csv"))));
        QCOMPARE(import.encoding(), ShiftJis::Encoding::Utf8Bom);
        QCOMPARE(import.rowsToImport(), 4);
    }

    void importOfASpreadsheetFile()
    {
        TempAppDir dir;
        const qint64 folder = addFolder(dir.storage(), u("取込"));
        CustomerImport import(dir.storage());
        QVERIFY2(import.load(QStringLiteral(SD_TEST_DATA_DIR "/customers_excel_sjis.csv")), qPrintable(import.errorString()));
        QCOMPARE(import.encoding(), ShiftJis::Encoding::Cp932);
        QCOMPARE(import.columnCount(), 17);
        QVector<int> codes;
        for (int c = 0; c < import.columnCount(); ++c)
            codes << (import.isTicked(c) ? import.targetOf(c) : 0);
        QCOMPARE(codes, (QVector<int>{0, 3, 4, 0, 0, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
        import.assign(3, 1);
        import.assign(4, 2);
        int added = 0;
        QVERIFY(import.run(folder, &added));
        QCOMPARE(added, 3);

        CustomerStore store(dir.storage());
        QVector<CustomerListItem> items;
        QVERIFY(store.listFolder(folder, &items));
        QCOMPARE(items.size(), 3);
        QCOMPARE(items[1].name, u("髙橋花子"));
        Customer c;
        bool found = false;
        QVERIFY(store.read(items[0].id, &c, &found));
        QCOMPARE((QStringList{c.entry.company, c.entry.address3, c.entry.surnameReading, c.entry.telephone}),
                 (QStringList{u("株式会社\"大和\"建設"), u("1-1-1, 大和ビル3F"), u("やまだ"), u("03-1234-5678")}));
        QVERIFY(store.read(items[2].id, &c, &found));
        QCOMPARE((QStringList{c.entry.address3, c.entry.mobile, c.entry.url}), (QStringList{u("５～７丁目 ①号棟"), {}, {}}));
        CustomerHit hit;
        QVERIFY(store.findByPhonePrefix(u("066345"), &hit, &found));
        QCOMPARE(hit.id, items[1].id);
    }

    void importWithoutHeaderAndAWriteThatFails()
    {
        TempAppDir dir;
        // No recognisable header: the first line is a customer too.
        CustomerImport import(dir.storage());
        const QByteArray plain = u("山田,太郎,03-1111-2222\n佐藤,花子,06-3333-4444\n").toUtf8();
        QVERIFY(import.load(writeBytes(dir.file(QStringLiteral("plain.csv")), plain)));
        QVERIFY(!import.headerRecognised());
        QCOMPARE(import.encoding(), ShiftJis::Encoding::Utf8);
        import.assign(0, 3);
        import.assign(1, 4);
        import.assign(2, 12);
        import.setTicked(2, false);
        int added = 0;
        QVERIFY(import.run(0, &added));
        QCOMPARE(added, 2);
        CustomerStore store(dir.storage());
        QVector<CustomerHit> hits;
        QVERIFY(store.search(u("山田太郎"), {}, {}, &hits));
        QCOMPARE(hits.size(), 1);
        QCOMPARE(hits[0].telephone, QString());  // unticked

        // A write that fails half-way leaves nothing behind.
        QByteArray body = "姓,名\n";
        for (int i = 0; i < 50; ++i)
            body += "x,y\n";
        QVERIFY(import.load(writeBytes(dir.file(QStringLiteral("many.csv")), body)));
        QString error;
        QVERIFY(setReadOnly(dir.storage(), DbFile::SaleData, true, &error));
        QVERIFY(!import.run(0, &added));
        QVERIFY(!import.errorString().isEmpty());
        QVERIFY(setReadOnly(dir.storage(), DbFile::SaleData, false, &error));
        QCOMPARE(customerCount(dir.storage()), 2);
        QVERIFY(import.run(0, &added));
        QCOMPARE(customerCount(dir.storage()), 52);
    }

    void importReadsAnyLineEndAndRefusesWhatIsNotCsv()
    {
        TempAppDir dir;
        CustomerImport import(dir.storage());
        auto load = [&](const QByteArray& bytes) { return import.load(writeBytes(dir.file(QStringLiteral("in.csv")), bytes)); };
        auto names = [&]() {
            QStringList all;
            Recordset rs(dir.storage(), DbFile::SaleData);
            if (rs.open(QStringLiteral("UserMaster")))
                for (; !rs.eof(); rs.moveNext())
                    all << rs.text(QStringLiteral("Name"));
            return all;
        };
        int added = 0;

        // Old Mac files end lines with CR alone; all three kinds may mix.
        QVERIFY2(load(ShiftJis::encode(u("姓,名\r山田,太郎\r佐藤,花子\n\n鈴木,一郎\r\n高橋,二郎"))), qPrintable(import.errorString()));
        QCOMPARE(import.encoding(), ShiftJis::Encoding::Cp932);
        QCOMPARE(import.rowsToImport(), 4);
        QVERIFY(import.run(0, &added));
        QCOMPARE(names(), (QStringList{u("山田太郎"), u("佐藤花子"), u("鈴木一郎"), u("高橋二郎")}));

        // A cell with a line break (Alt+Enter in Excel) stays one customer,
        // and a later error still names the line it is on. NUL and other
        // control characters never reach the database.
        QByteArray controls = u("姓,名\r\n\"上\r\n下\",x\r\n\"中@央\",#y\r\n").toUtf8();
        controls.replace('@', '\0').replace('#', '\x01');
        QVERIFY(load(controls));
        QCOMPARE(import.rowsToImport(), 2);
        QCOMPARE(import.removedControls(), 2);
        QVERIFY(import.run(0, &added));
        QCOMPARE(names().mid(4), (QStringList{u("上\n下x"), u("中央y")}));
        QVERIFY(!load(u("姓,名\n\"一\n二\",三\n\"四,五\n").toUtf8()));
        QVERIFY2(import.errorString().startsWith(u("4 行目")), qPrintable(import.errorString()));

        // A BOM promises UTF-8: Shift_JIS text on line 3 is named with the cause.
        QVERIFY(!load(QByteArray("\xEF\xBB\xBF") + "a,b\rc,d\r" + ShiftJis::encode(u("山,田\r"))));
        QVERIFY2(import.errorString().startsWith(u("3 行目")), qPrintable(import.errorString()));
        QVERIFY(import.errorString().contains(QStringLiteral("BOM")));

        // Thousands of lines: an ASCII head longer than one read, then
        // Shift_JIS; a bad byte far down is reported on its own line.
        QByteArray many = "Tel,Fax\n";
        for (int i = 0; i < 5000; ++i)
            many += "Yamada" + QByteArray::number(i) + ",Taro\r\n";
        QVERIFY2(load(many + ShiftJis::encode(u("山田,花子\r\n"))), qPrintable(import.errorString()));
        QCOMPARE(import.encoding(), ShiftJis::Encoding::Cp932);
        QCOMPARE(import.rowsToImport(), 5001);
        QVERIFY(!load(many + "\x82,\x82\r\n"));
        QVERIFY2(import.errorString().startsWith(u("5002 行目")), qPrintable(import.errorString()));
        QVERIFY(load(many));
        QVERIFY(import.run(0, &added));
        QCOMPARE(added, 5000);
        QCOMPARE(customerCount(dir.storage()), 5006);

        // What is no CSV at all is refused with a reason, not a crash.
        QVERIFY(!load(QByteArray(300 * 1024, '\0')));
        QVERIFY2(import.errorString().startsWith(u("1 行目: 1 件のデータが長すぎます")), qPrintable(import.errorString()));
        QVERIFY(!load("a,b\n" + QByteArray(CustomerCsv::RecordReader::kMaxRecord + 10, 'x')));
        QVERIFY2(import.errorString().startsWith(u("2 行目: 1 件のデータが長すぎます")), qPrintable(import.errorString()));
        QByteArray garbage;
        quint32 x = 12345;
        for (int i = 0; i < 1 << 20; ++i) {
            x = x * 1103515245u + 12345u;
            garbage += static_cast<char>(x >> 24);
        }
        QVERIFY(!load(garbage));
        QVERIFY2(import.errorString().contains(u(" 行目: ")), qPrintable(import.errorString()));
        QCOMPARE(import.rowsToImport(), 0);
        QVERIFY(import.run(0, &added));
        QCOMPARE(added, 0);
        QCOMPARE(customerCount(dir.storage()), 5006);
    }

    void architectAndCompanyLists()
    {
        TempAppDir dir;
        QString error;
        QVector<qint64> ids;
        for (int i = 0; i < 4; ++i)
            ids << ArchitectTable::create(dir.storage(), &error);
        MasterTable architects(dir.storage(), DbFile::MasterData, ArchitectTable::kTable);
        bool found = false;
        QVERIFY(architects.write(ids[0], {{QStringLiteral("K_FLG"), 1}}, &found));
        QVERIFY(architects.write(ids[1], {{QStringLiteral("A_FLG"), 1}}, &found));
        QVERIFY(architects.write(ids[2], {{QStringLiteral("S_FLG"), 1}, {QStringLiteral("A_FLG"), 0}}, &found));
        QVector<MasterRow> rows;
        auto listed = [&](bool ok) {  // the IDs a list call gave; -1 when it failed
            QVector<qint64> out{-1};
            if (ok)
                out.clear();
            for (int i = 0; ok && i < rows.size(); ++i)
                out << rows[i].id;
            return out;
        };
        QCOMPARE(listed(ArchitectTable::list(dir.storage(), true, &rows, &error)), (QVector<qint64>{ids[1], ids[2]}));
        QVERIFY(ArchitectTable::list(dir.storage(), false, &rows, &error));
        QCOMPARE(rows.size(), 4);
        QCOMPARE(rows[3].text(QStringLiteral("U_NAME")), u("<新規>"));
        QCOMPARE(rows[3].text(QStringLiteral("C_FAX")), QString());
        QVERIFY(!rows[3].isNull(QStringLiteral("C_FAX")));
        QVERIFY(rows[3].isNull(QStringLiteral("A_FLG")));     // offered in no role list yet
        QVERIFY(rows[3].isNull(QStringLiteral("U_E_MAIL")));
        QVERIFY(architects.remove(ids[3]));
        QVERIFY(architects.write(ids[3], {{QStringLiteral("U_NAME"), u("x")}}, &found));
        QVERIFY(!found);

        const qint64 plumber = ConnectCorpTable::create(dir.storage(), &error);
        const qint64 other = ConnectCorpTable::create(dir.storage(), &error);
        ConnectCorpTable::create(dir.storage(), &error);
        MasterTable companies(dir.storage(), DbFile::MasterData, ConnectCorpTable::kTable);
        QVERIFY(companies.write(plumber, {{QStringLiteral("K_FLG"), 1}}, &found));
        QVERIFY(companies.write(other, {{QStringLiteral("S_FLG"), 1}}, &found));
        QCOMPARE(listed(ConnectCorpTable::list(dir.storage(), 2, &rows, &error)), QVector<qint64>{plumber});
        for (int trade : {4, 5, 6})
            QCOMPARE(listed(ConnectCorpTable::list(dir.storage(), trade, &rows, &error)), QVector<qint64>{other});
        QCOMPARE(listed(ConnectCorpTable::list(dir.storage(), 1, &rows, &error)), QVector<qint64>{});
        QVERIFY(ConnectCorpTable::list(dir.storage(), 0, &rows, &error));
        QCOMPARE(rows.size(), 3);
        QVERIFY(rows[2].isNull(QStringLiteral("E_FLG")));
        QCOMPARE(rows[2].text(QStringLiteral("Name")), u("<新規>"));
    }
};

QTEST_GUILESS_MAIN(TestCustomers)
#include "tst_customers.moc"
