#include "FormText.h"
#include "InputSheet.h"
#include "PageConditions.h"
#include "SinseiCellMap.h"
#include "TestSupport.h"
#include "XlsxWorkbook.h"

#include <QtTest>

// The cell map of the input sheet, checked in memory: a project goes in,
// the cells that the printed sheets read come out.
class TestCellMap : public QObject {
    Q_OBJECT

private:
    static ProjectData project(int buildingCount = 1)
    {
        ProjectData p;
        p.bid = 1;
        p.buildingCount = buildingCount;
        p.shikichi.insert(QStringLiteral("Tou1"), QString::number(buildingCount));
        return p;
    }
    static InputSheet filled(const ProjectData& p)
    {
        InputSheet s;
        SinseiCellMap::fillAll(p, s);
        return s;
    }
    // Cell by cell: each address with the text the sheet shows there.
    static void expect(const InputSheet& s, std::initializer_list<std::pair<const char*, const char*>> cells)
    {
        for (const auto& [address, text] : cells)
            QVERIFY2(s.text(address) == QString::fromUtf8(text),
                     qPrintable(QStringLiteral("%1: \"%2\", expected \"%3\"").arg(QLatin1String(address), s.text(address),
                                                                                 QString::fromUtf8(text))));
    }

private slots:
    void textPieces()
    {
        for (const auto& [value, rounded] : {std::pair{3.5, 4}, {2.5, 2}, {-0.5, 0}})
            QCOMPARE(FormText::roundHalfEven(value), rounded);
        QCOMPARE((QList<double>{FormText::leadingNumber(QStringLiteral(" 12.5m")), FormText::leadingNumber(QStringLiteral("abc"))}),
                 (QList<double>{12.5, 0.0}));
        QVERIFY(FormText::flagSet(QVariant(1)) && FormText::flagSet(QStringLiteral("1")));
        QVERIFY(!FormText::flagSet(QVariant(-1)) && !FormText::flagSet(QVariant()));
        // Areas print with grouping and two decimals whatever way they were typed.
        for (const auto& [typed, printed] : {std::pair{"1234.5", "1,234.50"}, {"１，２３４", "1,234.00"}, {"150", "150.00"},
                                             {"150.00", "150.00"}, {"", ""}, {"別紙", "別紙"}})
            QCOMPARE(FormText::decimal(QString::fromUtf8(typed)), QString::fromUtf8(printed));
        QCOMPARE(FormText::decimal(QStringLiteral("0.00"), 2, true), QString());

        // The mark takes the two spaces before the option, the single one at
        // the start of a line or after a bracket; (1) is not found in (10).
        const QString line = QStringLiteral(" (1)国    (2)都道府県");
        QCOMPARE(FormText::markChoice(line, 1), QStringLiteral("●(1)国    (2)都道府県"));
        QCOMPARE(FormText::markChoice(line, 2), QStringLiteral(" (1)国  ●(2)都道府県"));
        QCOMPARE(FormText::markChoice(QStringLiteral("（ (1) 持家）"), 1), QStringLiteral("（●(1) 持家）"));
        QCOMPARE(FormText::markChoice(QStringLiteral(" (10)飲食店"), 1), QStringLiteral(" (10)飲食店"));

        QCOMPARE(FormText::centred(QStringLiteral("ABCD"), 40),
                 QStringLiteral("（") + QString(18, u' ') + QStringLiteral("ABCD") + QString(18, u' ') + QStringLiteral("）"));
        QCOMPARE(FormText::centred(QString(41, u'x'), 40), QStringLiteral("（") + QString(41, u'x') + QStringLiteral("）"));
        QCOMPARE(FormText::paddedCount(QStringLiteral("12"), 9, QStringLiteral("戸）")), QStringLiteral("（    12    戸）"));
        QCOMPARE(FormText::paddedCount(QString(12, u'9'), 9, QStringLiteral("戸）")),
                 QStringLiteral("（ ") + QString(12, u'9') + QStringLiteral("戸）"));
    }

    void readBackComparesNumbersAsNumbers()
    {
        for (const auto& [a, b, sign] : {std::tuple{"9.5", "12.0", -1}, {"1,200", "999", 1}, {"", "0", 0}, {"12", "abc", -1},
                                         {"abc", "abd", -1}})
            QCOMPARE(qBound(-1, InputSheet::compare(QString::fromLatin1(a), QString::fromLatin1(b)), 1), sign);

        // A template cell "=G215" shows what the fill wrote into G215.
        InputSheet s;
        s.setTemplateCell(InputSheet::at("I215"), QStringLiteral("=G215"));
        s.setText("G215", QStringLiteral("4"));
        QCOMPARE(s.text("I215"), QStringLiteral("4"));
        s.setTemplateCell(InputSheet::at("I216"), QStringLiteral("=SUM(G1:G2)"));
        QCOMPARE(s.text("I216"), QString());
    }

    void overviewAndChoiceLines()
    {
        ProjectData p = project();
        put(p.gaiyou, {{"Kyu1", "一級"}, {"Tiji1", "東京都"}, {"Gou1", "12345"}, {"Kyoka1", "東京都知事"}, {"Toku1", "般-5"},
                       {"Gou7", "999"}, {"Shu1", "市町村"}, {"Shu2", "運輸業"}, {"Name7", "建築主"}});
        const InputSheet s = filled(p);
        expect(s, {{"D3", "一級建築士事務所　東京都知事登録　第12345号"}, {"G3", "東京都"},
                   {"D60", "建設業の許可　東京都知事　第　般-5999号"},
                   {"G416", " (1)国    (2)都道府県  ●(3)市町村    (4)会社    (5)会社でない団体    (6)個人"},
                   {"D416", "市町村"},
                   {"G418", " (5)情報通信業 ●(6)運輸業     (7)卸売・小売業   (8)金融・保険業   (9)不動産業"}});
        for (const char* plain : {"G417", "G419", "G420"})
            QVERIFY2(!s.text(plain).contains(QStringLiteral("●")), plain);
        // The owner's block of the ledger is taken over by the business record.
        expect(s, {{"D44", "建築主"}, {"J44", ""}});

        put(p.gaiyou, {{"Shu1", "法人"}, {"Shu2", "他に分類されないもの"}});
        const InputSheet t = filled(p);
        QVERIFY(!t.text("G416").contains(QStringLiteral("●")));
        QVERIFY(t.text("G420").endsWith(QStringLiteral("●(15)他に分類されないもの")));
    }

    void siteBoxLines()
    {
        ProjectData p = project();
        put(p.shikichi, {{"Shubetu1", 1}, {"shubetu5", 1}, {"Kubun12", "1"}, {"Dai2", "3"}});
        p.buildings[2].insert(QStringLiteral("Ben41"), 1);
        const InputSheet s = filled(p);
        expect(s, {{"C113", "■新築  □増築  □改築  □移転  ■用途変更  □大規模の修繕  □大規模の模様替"},
                   {"D160", "□道路高さ制限不適用　     □隣地高さ制限不適用　     ■北側高さ制限不適用"},
                   {"C173", "（第  3  回）"},
                   {"C1366", "□水洗　（■公共下水道　　□浄化槽）　　□くみ取り　　□くみ取り（改良）"},
                   {"C255", "□水洗　（□公共下水道　　□浄化槽）　　□くみ取り　　□くみ取り（改良）"}});
    }

    void siteFaceFiguresAndLaterItems()
    {
        ProjectData p = project(2);
        put(p.shikichi, {{"Tosi1", 1}, {"Tosi3", 1}, {"Size5", "100.5"}, {"Size6", "1,200"}, {"Size8", "50"},
                         {"Size16", "第一種低層住居専用地域"}, {"Par1", "200.00"}, {"Par2", "2.50"}, {"Par4", "400"},
                         {"Par11", "49.9"}, {"Par12", "0.00"}, {"Men4", "0"}, {"Men6", "150"}, {"Men19", "150.00"},
                         {"Men21", "12.3"}, {"Men23", "4"}, {"Men46", "7"}, {"Men47", "8"}});
        for (int b = 0; b < 3; ++b)
            p.buildings[b].insert(QStringLiteral("Takasa31"), QStringList{"6.5", "7.25", "9"}[b]);
        const InputSheet s = filled(p);

        expect(s, {{"C1900", "■都市計画区域内（□市街化区域　■市街化調整区域　□区域区分非設定）"},
                   {"C1901", "□準都市計画区域内　　□都市計画区域及び準都市計画区域外"},
                   // Areas and lengths in one shape, zero as blank; totals never mix 150 and 150.00.
                   {"E98", "100.50"}, {"G98", "1,200.00"}, {"K128", "150.00"}, {"G133", "150.00"}, {"G128", ""},
                   // The fourth zone is printed from its own row.
                   {"C1903", "50.00"}, {"E1903", "第一種低層住居専用地域"}, {"F1903", "400"},
                   // Permitted percentages as the plan states them, computed ratios with two decimals.
                   {"E102", "200"}, {"G102", "2.5"}, {"G125", "49.90"}, {"G134", ""},
                   // Later rows: the coverage base, then the floor-area rows three columns each in the form's order.
                   {"I1906", "12.30"}, {"G1908", "4.00"}, {"K1915", "7.00"}, {"G1916", "8.00"},
                   // The highest eaves among the buildings applied for, not building 3's.
                   {"E1918", "7.25"}});
        p.buildingCount = 1;
        QCOMPARE(filled(p).text("E1918"), QStringLiteral("6.50"));
    }

    void equipmentText()
    {
        ProjectData p = project(2);
        put(p.buildings[0], {{"Setu2", 1}, {"Setu4", 1}, {"Setubi40", "太陽光発電"}});
        p.buildings[1].insert(QStringLiteral("Setubi40"), QStringLiteral("蓄電池"));
        const InputSheet s = filled(p);
        QCOMPARE(s.value(InputSheet::at("E225")).kind, XlsxCellWrite::Kind::Number);
        expect(s, {{"D224", "給排水衛生・排煙・太陽光発電"}, {"E225", "-1"}, {"E224", "0"},
                   // No flag: the equipment text stays empty, the other equipment is still there.
                   {"D1002", ""}, {"E1007", "蓄電池"}, {"C1002", "蓄電池"}});
    }

    void buildingsTwoAndThreeUseTheirOffsets()
    {
        ProjectData p = project(3);
        for (int b = 0; b < 3; ++b) {
            put(p.buildings[b], {{"Kubun30", QStringLiteral("0801%1").arg(b)},
                                 {"KubunDisp30", QStringLiteral("用途%1").arg(b)}, {"Taika30", 1},
                                 {"Men40", QStringLiteral("%1.00").arg(10 * (b + 1))}});
        }
        const InputSheet s = filled(p);
        expect(s, {{"C189", "（区分  08010   ）"}, {"C967", "（区分  08011   ）"}, {"D1300", "08012"},
                   {"F967", "用途1"}, {"G1017", "20.00"}, {"G1350", "30.00"}});
        QVERIFY(!s.isWritten(InputSheet::at("D189")));  // building 1 has no separate code cell
        QVERIFY(s.text("D206").startsWith(QStringLiteral("■耐火建築物")));
        QVERIFY(!s.isWritten(InputSheet::at("D984")));  // fire resistance prints for building 1 only
    }

    void floorPagesAndBlanking()
    {
        ProjectData p = project(2);
        p.buildings[0].insert(QStringLiteral("Kai30"), QStringLiteral("3"));
        put(p.buildings[1], {{"Kai30", "2"}, {"Kai31", "1"}, {"Kai40", "B1"}});
        for (int i = 0; i < 18; ++i)
            put(p.floors[i], {{"F1Kai60", QStringLiteral("%1F").arg(i % 6 + 1)}, {"F1Shoukei", QStringLiteral("1%1").arg(i)}});
        const InputSheet s = filled(p);
        // Building 1: floor pages 1..3 in use, 4..6 flagged and unlabelled.
        const int* base = SinseiCellMap::kFloorBase[0];
        for (int f = 0; f < 6; ++f) {
            const CellRef flag{base[f] + 3, 3};
            QCOMPARE(s.value(flag).kind, XlsxCellWrite::Kind::Boolean);
            QCOMPARE((QStringList{s.read(flag), s.read(CellRef{base[f] + 2, 3}), s.read(CellRef{base[f] + 4, 4})}),
                     (QStringList{f < 3 ? "FALSE" : "TRUE", f < 3 ? QStringLiteral("%1F").arg(f + 1) : "", QStringLiteral("1%1").arg(f)}));
        }
        // Building 2 with 2 + 1 floors keeps slots 1 to 3; its floor names
        // of the area table are also the default labels, overwritten by KAIBETU.
        // Building 3 has no floors at all.
        expect(s, {{"D1017", "B1"}, {"C1078", "1F"}, {"C1152", "3F"}, {"C1189", ""}, {"C1190", "TRUE"}, {"C1412", "TRUE"}});

        // The blanking happens on a copy only.
        const ProjectData blanked = SinseiCellMap::withUnusedFloorsBlanked(p);
        QCOMPARE(blanked.floors[4].value(QStringLiteral("F1Kai60")).toString(), QString());
        QCOMPARE(p.floors[4].value(QStringLiteral("F1Kai60")).toString(), QStringLiteral("5F"));
        QCOMPARE(SinseiCellMap::floorCount(p.buildings[1]), 3);
    }

    void buildingFacesOfTheFormsInForce()
    {
        ProjectData p = project(2);
        RowValues& b1 = p.buildings[0];
        put(b1, {{"Zou31", "木造"}, {"Zou32", "鉄骨"}, {"Kubun30", "08010"}, {"KubunDisp30", "一戸建ての住宅"},
                 {"Youto30", "専用住宅"}, {"Kouzoubu2", 1}, {"Jou21_3", 1}, {"Jou61_5", 1}, {"Kai30", "2"}, {"Kai40", "1F"},
                 {"Kai41", "2F"}, {"Men40", "1234.5"}, {"Men41", "0"}, {"Men43", "0.00"}, {"Men58", "1234.5"}});
        put(p.buildings[1], {{"Zou31", "鉄筋コンクリート"}, {"Kai30", "5"}, {"Kai31", "2"}});
        put(p.floors[0], {{"F1Tokutei1", 1}, {"F1Men60", "50"}});
        p.floors[2].insert(QStringLiteral("F1Men60"), QStringLiteral("70"));  // a third floor building 1 lacks
        auto part = [](const char* building, const char* number) {
            return RowValues{{QStringLiteral("SU_NO"), building}, {QStringLiteral("Ban"), QString::fromUtf8(number)}};
        };
        p.parts = {part("1", "1-A"), part("1", ""), part("1", ""), part("1", ""), part("1", ""), part("3", "3-1")};
        put(p.parts[0], {{"NobeMen", "100"}, {"Zou1", "鉄骨造"}, {"Keisan3", 1}, {"Rei137", "2"}});
        const InputSheet s = filled(p);

        // Building 1: its number, the used use line only, a structure never "造造".
        expect(s, {{"C2000", "1"}, {"C2001", "（区分　08010　）"}, {"D2001", "一戸建ての住宅"}, {"C2002", ""},
                   {"C2006", "木造　一部鉄骨造"}, {"C2106", "鉄筋コンクリート造"},
                   // Choices: one box per option, the chosen one filled.
                   {"C2010", "□"}, {"C2011", "■"}, {"C2019", "■"}, {"C2026", "■"}, {"C2022", "□"},
                   // Areas formatted; zeros blank; the row of a floor without area is empty, name included.
                   {"C2030", "1F"}, {"D2030", "1,234.50"}, {"E2030", ""}, {"F2030", "1,234.50"}, {"C2031", ""},
                   {"D2031", ""}, {"D2036", "1,234.50"}, {"F2036", "1,234.50"},
                   // Fifth face: suspended ceiling marks, areas of the floors the building has only.
                   {"C2400", "■"}, {"D2400", "□"}, {"C2401", "50.00"}, {"C2421", ""},
                   // Sixth face: entered numbers, numbered slots for the rest, the building's own number without parts.
                   {"C2600", "1-A"}, {"C2601", "100.00"}, {"C2605", "鉄骨造"}, {"C2610", "■"}, {"C2615", "第2号"},
                   {"C2620", "1-2"}, {"C2680", "2"}});

        // What does not fit is told, once per cause.
        const QStringList notes = SinseiCellMap::outputNotes(p);
        QVERIFY2(notes.size() == 3 && notes[0].startsWith(QStringLiteral("建築物1の独立部分は4つまで印刷します"))
                     && notes[1].startsWith(QStringLiteral("建築物2は7階あります")) && notes[2].contains(QStringLiteral("3-1")),
                 qPrintable(notes.join(u'\n')));

        // Every input cell that a building's page of the template reads is written by the map.
        XlsxWorkbook book;
        QVERIFY2(book.open(QStringLiteral(SD_TEMPLATE_PATH)), qPrintable(book.errorString()));
        PageConditions pages;
        QString error;
        QVERIFY2(pages.load(book, &error), qPrintable(error));
        const InputSheet all = filled(project(3));
        static const QRegularExpression ref(QStringLiteral("'データ入力１'!\\$?([A-Z]+)\\$?(\\d+)"));
        int checked = 0;
        for (const PageConditions::Page& page : pages.pages()) {
            if (page.sheet != SinseiCellMap::kApplicationSheet || page.key == QLatin1String("annex"))
                continue;
            for (int row = page.first; row <= page.last; ++row) {
                for (int c = 1; c <= 24; ++c) {
                    XlsxCell x;
                    QVERIFY(book.readCell(page.sheet, CellRef{row, c}, &x));
                    for (auto it = ref.globalMatch(x.formula); it.hasNext();) {
                        const QRegularExpressionMatch m = it.next();
                        const CellRef read = CellRef::parse(m.captured(1) + m.captured(2));
                        QVERIFY2(all.isWritten(read), qPrintable(page.key + QLatin1Char(' ') + m.captured(0)));
                        ++checked;
                    }
                }
            }
        }
        QVERIFY(checked > 500);
    }

    void largestOfAllBuildings_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("values");  // I215, I993, I1326
        QTest::addColumn<QString>("expected");
        QTest::newRow("three") << 3 << QStringList{"9.5", "12.0", "10.0"} << "12.0";
        QTest::newRow("three, tie keeps the first") << 3 << QStringList{"12", "12.0", "3"} << "12";
        QTest::newRow("two ignores building 3") << 2 << QStringList{"9.5", "9", "99"} << "9.5";
        QTest::newRow("two, second larger") << 2 << QStringList{"2", "10", ""} << "10";
        QTest::newRow("one leaves it") << 1 << QStringList{"2", "10", "30"} << "2";
    }
    void largestOfAllBuildings()
    {
        QFETCH(int, count);
        QFETCH(QStringList, values);
        QFETCH(QString, expected);
        InputSheet s;
        for (int b = 0; b < 3; ++b)
            s.setTemplateCell(CellRef{215 + SinseiCellMap::kBuildingOffset[b], 9}, values[b]);
        SinseiCellMap::fillAll(project(count), s);
        QCOMPARE(s.text("I215"), expected);
    }

    void floorCountsOfAbsentBuildingsAreCleared()
    {
        // The template repeats each building's floor counts in I215/I216;
        // buildings that are not applied for must not win the maximum.
        for (int count = 1; count <= 3; ++count) {
            ProjectData p = project(count);
            for (int b = 0; b < 3; ++b)
                p.buildings[b].insert(QStringLiteral("Kai30"), QString::number(b + 2));
            InputSheet s;
            for (int off : SinseiCellMap::kBuildingOffset)
                s.setTemplateCell(CellRef{215 + off, 9}, QStringLiteral("=G%1").arg(215 + off));
            SinseiCellMap::fillAll(p, s);
            QCOMPARE((QStringList{s.text("G993"), s.text("G1326"), s.text("I215")}),
                     (QStringList{count >= 2 ? "3" : "", count == 3 ? "4" : "", QString::number(count + 1)}));
        }
    }

    void inspection()
    {
        ProjectData p = project();
        put(p.kanryou, {{"Kai3", "基礎配筋"}, {"Gou2", "H17-123"}, {"Men1", "120.50"}});
        InputSheet s = filled(p);
        QCOMPARE(s.value(InputSheet::at("E335")).kind, XlsxCellWrite::Kind::Number);
        expect(s, {{"E335", "5"},
                   {"E336", "　□建築物　　　　　　　　　□建築設備（昇降機）　　　　 □建築設備（昇降機以外）"},
                   {"E337", "　□工作物（昇降機）　　　　□工作物（法第88条第１項）　 ■工作物（法第88条第２項）"},
                   {"G344", "第　H17-123　号"}, {"G359", "（                  基礎配筋                  ）"},
                   {SinseiCellMap::kInspectionAreaCell, "120.50"}});
        QVERIFY(!s.isWritten(InputSheet::at("G128")) || s.text("G128").isEmpty());
        // The faces in force mark nothing that was not chosen.
        auto marks = [&s](int row, int count) {
            QString out;
            for (int i = 0; i < count; ++i)
                out += s.text(QByteArray("C" + QByteArray::number(row + i)).constData());
            return out;
        };
        QCOMPARE(marks(3000, 6), QStringLiteral("□□□□□□"));
        expect(s, {{"C3017", "基礎配筋"}});

        put(p.kanryou, {{"Shin2", 1}, {"Shin4", 1}, {"Gou1", "増築・改築"}});
        for (int i = 1; i <= 6; ++i)
            p.persons << RowValues{{QStringLiteral("Kubun"), 4}, {QStringLiteral("Name"), QStringLiteral("設備%1").arg(i)}};
        s = filled(p);
        QCOMPARE(marks(3000, 6), QStringLiteral("□■□□□□"));
        QCOMPARE(marks(3008, 7), QStringLiteral("□■■□□□□"));
        expect(s, {{"D3050", "設備1"}, {"D3058", "設備5"}, {"E335", "1"}});
        QVERIFY(SinseiCellMap::outputNotes(p).last().contains(QStringLiteral("6人目以降は印刷されません")));
        QVERIFY(s.text("E336").contains(QStringLiteral("■建築設備（昇降機）")));
        QVERIFY(!s.text("E337").contains(QStringLiteral("■")));
        p.kanryou.insert(QStringLiteral("Shin2"), 0);
        s = filled(p);
        QCOMPARE(s.text("E335"), QStringLiteral("3"));
        QVERIFY(s.text("E337").startsWith(QStringLiteral("　■工作物（昇降機）")));
    }

    void constructionNotice()
    {
        ProjectData p = project();
        RowValues& k = p.kouji;
        put(k, {{"YoutoCHK01", 1}, {"YoutoCHK04", 1}, {"YoutoCHK12", 1}, {"KouzoCHK23", 1}, {"Youto1", "一戸建ての住宅"},
                {"Ko1", "12"}, {"Gou2", "100.00"}, {"Betu10", 1}, {"Betu12", 1}, {"Kin5", 1}, {"Shurui21", 1},
                {"Shurui23", 1}, {"RiyouKan3", 1}, {"Gen1", "老朽化"}, {"Youto9", "倉庫"}});
        InputSheet s = filled(p);
        expect(s, {{"E430", "（   ●多用途     ）"}, {"G430", "（     多用途     ）"}, {"D431", "●(1) 事務所等"},
                   {"D432", " (2) 物品販売業を"}, {"D434", "●(4) 倉庫"}, {"F432", "●(2) 物品販売業を"},
                   {"I441", "●(3)鉄筋ｺﾝｸﾘｰﾄ造"},
                   // Written twice; the second spelling stays, two spaces for an empty use.
                   {"E424", "（　　一戸建ての住宅　　）"}, {"E425", "（　　  　　）"},
                   {"E478", "（    12    戸）（           戸）（          戸）（           戸）"},
                   {"G449", "新設     （ (1) 新築   ●(2) 増設     (3) 改築）"},
                   {"G450", "その他   （              (2) 増設     (3) 改築）"}, {"G458", "●(5) その他"},
                   {"G471", " (2) 併用住宅      （ (1) 一戸建住宅  ●(2) 長屋建住宅    (3) 共同住宅）"},
                   {"G476", "（ (1) 持家 　）  （ (2) 貸家  　）  （●(3) 給与住宅）   （ (4) 分譲住宅）"},
                   // Without a declared removal the removal block ends empty.
                   {"D484", ""}});
        QCOMPARE(s.value(InputSheet::at("E431")).kind, XlsxCellWrite::Kind::Number);
        QCOMPARE(s.value(InputSheet::at("G518")).kind, XlsxCellWrite::Kind::Clear);
        QVERIFY(s.text("E480").startsWith(QStringLiteral("（          ㎡）（   100.00  ㎡）")));
        QVERIFY(!s.text("G470").contains(QStringLiteral("●")));

        put(k, {{"JokyoChk2", 1}, {"Betu10", 0}, {"Betu22", 1}, {"Kin2", 1}, {"Shurui21", 0}, {"Shurui32", 1}});
        s = filled(p);
        expect(s, {{"D484", "老朽化"}, {"G518", "倉庫"}, {"G450", "その他   （              (2) 増設   ●(3) 改築）"},
                   {"G458", " (5) その他"}});
        QVERIFY(s.text("G457").contains(QStringLiteral("  ●(2) 公営")));
        QVERIFY(s.text("G472").contains(QStringLiteral("（ (1) 一戸建住宅  ●(2) 長屋建住宅")));
    }

    // The notice in force takes what the application already holds, prints
    // figures as whole numbers rounded half up, and has its third face's
    // parts only for a housing part and a removal.
    void constructionNoticeInForce()
    {
        ProjectData p = project();
        put(p.gaiyou, {{"Shu1", "市町村"}, {"Buken", "山田邸"}, {"Name2", "設計一郎"}});
        put(p.shikichi, {{"Tosi4", 1}, {"Kin1", "2,500.5"}});
        put(p.buildings[0], {{"Kubun30", "08010"}, {"KubunDisp30", "一戸建ての住宅"}, {"Zou31", "鉄筋コンクリート造"}, {"Kai30", "2"}});
        auto floorUse = [&p](int f, int i, const char* use, const char* area) {
            p.floors[f].insert(QStringLiteral("F1Kubun%1Disp").arg(60 + i), QString::fromUtf8(use));
            p.floors[f].insert(QStringLiteral("F1Men%1").arg(60 + i), QString::fromUtf8(area));
        };
        for (const auto& [f, i, use, area] : {std::tuple{0, 0, "車庫", "30.50"}, {0, 1, "一戸建ての住宅", "40.25"},
                                              {1, 0, "一戸建ての住宅", "50.25"}, {1, 1, "物置", "2.00"}, {1, 2, "倉庫", "1.00"}})
            floorUse(f, i, use, area);
        InputSheet s = filled(p);
        QCOMPARE(s.text("D3210"), QStringLiteral(" (1)国    (2)都道府県  ●(3)市区町村    (4)会社    (5)会社でない団体    (6)個人"));
        QVERIFY(s.text("E3211").startsWith(QStringLiteral("●(3)区域区分非設定")));
        expect(s, {{"D3290", "設計一郎"},  // no contractor yet: the designer files it
                   {"E3221", "山田邸"}, {"E3222", "（08010）"}, {"E3226", "●(3)鉄筋コンクリート造"},
                   {"G3221", ""},  // building 2 is not applied for
                   {"E3236", "一戸建ての住宅"}, {"E3237", "91㎡"},  // 40.25 + 50.25, rounded half up
                   {"E3240", "物置"},                                  // the three largest only
                   {"E3242", "2,501"}, {"E3243", "□消費税込み"}});
        QVERIFY(!PageConditions::holds(QStringLiteral("housing|removal"), p));

        RowValues& k = p.kouji;
        put(k, {{"BYouto11", "共同住宅"}, {"BMen11", "300.4"}, {"Zeikomi1", 1}, {"Shurui21", 1}, {"Shurui23", 1},
                {"Kin3", 1}, {"Ko2", "2"}, {"Ko4", "3"}, {"HyoukaGaku", "1,234.5"}});
        put(p.gaiyou, {{"Name9", "施工建設"}, {"Name11", "現場太郎"}});
        s = filled(p);
        expect(s, {{"D3290", "施工建設"}, {"D3200", "現場太郎"},
                   {"E3236", "共同住宅"},  // typed on the notice, nothing else
                   {"E3237", "300㎡"}, {"E3238", ""}, {"E3243", "■消費税込み"},
                   {"D3255", " (1)専用住宅  ●(2)併用住宅    (3)その他の住宅"},
                   {"D3256", " (1)一戸建住宅  ●(2)長屋建住宅    (3)共同住宅"},
                   {"D3252", " (1)木造    (2)鉄骨鉄筋コンクリート造  ●(3)鉄筋コンクリート造"},
                   {"D3260", " (1)民間資金住宅    (2)公営住宅  ●(3)住宅金融支援機構住宅"}, {"H3258", "5"},
                   {"D3280", "1,235"}});
        QVERIFY(PageConditions::holds(QStringLiteral("housing"), p));
        QVERIFY(!PageConditions::holds(QStringLiteral("removal"), p));
        k.insert(QStringLiteral("JokyoChk2"), 1);
        QVERIFY(PageConditions::holds(QStringLiteral("removal"), p));
    }

    void powerOfAttorneyBusinessRecordAndRecordBook()
    {
        ProjectData p = project();
        p.gaiyou.insert(QStringLiteral("Name7"), QStringLiteral("建築主"));
        put(p.gyoumu, {{"Name2", "契約者"}, {"Shu3", 1}, {"Ttl7", "3,000"}});
        p.bouka.insert(QStringLiteral("Nin1"), QStringLiteral("25"));
        p.recordBook.resize(90);
        p.recordBook[0].title = QStringLiteral("見積書提出");
        p.recordBook[89].content = QStringLiteral("最後");
        InputSheet s = filled(p);
        expect(s, {{"D520", "□　建築確認　　　□　中間検査　　　　■　完了検査"}, {"J44", "契約者"}, {"E558", "契約者"},
                   {"D44", "建築主"}, {"D565", "□企画・調査　　□基本設計　　■実施設計　　□工事監理　　□その他"},
                   {"K601", "3,000"}, {"D636", "25"}, {"C1630", "見積書提出"}, {"G1719", "最後"}});
        QCOMPARE(s.value(InputSheet::at("F567")).kind, XlsxCellWrite::Kind::Number);
        QVERIFY(!s.isWritten(InputSheet::at("C1720")));

        p.inin.insert(QStringLiteral("Inin2"), 1);
        QCOMPARE(filled(p).text("D520"), QStringLiteral("□　建築確認　　　■　中間検査　　　　□　完了検査"));
        p.inin.insert(QStringLiteral("Inin1"), 1);
        QCOMPARE(filled(p).text("D520"), QStringLiteral("■　建築確認　　　□　中間検査　　　　□　完了検査"));
        // Any number of matters at once; その他 with its own words.
        put(p.inin, {{"Inin11", 1}, {"IninSonota", "建築工事届の提出"}});
        s = filled(p);
        expect(s, {{"D3300", "■　確認申請に関する一切の件"}, {"D3302", "■　中間検査申請に関する一切の件"},
                   {"D3303", "□　完了検査申請に関する一切の件"}, {"D3310", "■　その他（建築工事届の提出）"}});
    }

    void peopleOfTheFormsInForce()
    {
        ProjectData p = project();
        put(p.gaiyou, {{"Tosho1", "意匠図、構造図"}, {"Gou8", "建築設備士第12号"}, {"Hyouji3", 1}, {"HyoujiName3", "設備一郎"},
                       {"HyoujiGou3", "456"}, {"Tekihan2", 1}, {"TekihanKikan", "日本判定機関　東京都港区"}, {"Shoene3", 1},
                       {"ShoeneKikan", "残った機関名"}, {"ShoeneRiyu", "第1号イに該当"}});
        auto person = [](int kubun, const char* name, const char* tosho) {
            RowValues r;
            put(r, {{"Kubun", kubun}, {"Name", QString::fromUtf8(name)}, {"Kyu", "一級"}, {"Tiji", "大臣"}, {"Gou", "111"},
                    {"JimuName", QStringLiteral("事務所") + QString::fromUtf8(name)},
                    {"Addr", QStringLiteral("所在地") + QString::fromUtf8(name)}, {"Tosho", QString::fromUtf8(tosho)}});
            return r;
        };
        // Kinds interleaved in entry order: each keeps its own order.
        p.persons = {person(1, "構造", "構造図"), person(2, "監理", "意匠図"), person(1, "設備", "設備図"), person(3, "意見", "空調図")};
        const InputSheet s = filled(p);
        expect(s, {{"D1800", "意匠図、構造図"}, {"D1802", "建築設備士第12号"}, {"C1804", "□"}, {"C1806", "■"},
                   {"D1806", "設備一郎"}, {"E1806", "456"},
                   // The authority goes in the brackets of the marked option only.
                   {"C1808", "□"}, {"C1809", "■"}, {"C1810", "□"}, {"D1809", "日本判定機関　東京都港区"}, {"D1808", ""},
                   // No plan needed: the reason, not the authority left from before.
                   {"C1811", "□"}, {"C1812", "□"}, {"C1813", "■"}, {"D1813", "第1号イに該当"}, {"D1811", ""}, {"D1812", ""},
                   // Persons of each kind in their own order.
                   {"D1820", "構造"}, {"D1822", "設備"}, {"D1823", "事務所設備"}, {"J1823", "設備図"}, {"F1820", "一級"},
                   {"G1820", "大臣"}, {"H1820", "111"}, {"E1820", "一級建築士　大臣登録　第111号"}, {"D1824", ""},
                   {"D1840", "監理"}, {"I1841", "所在地監理"}, {"J1841", "意匠図"}, {"D1850", "意見"},
                   {"D1851", "事務所意見"}, {"J1851", "空調図"},
                   {"E1850", ""}});  // a person consulted has no architect's registration line
        QVERIFY(PageConditions::holds(QStringLiteral("persons:1:2"), p));
        QVERIFY(!PageConditions::holds(QStringLiteral("persons:2:2"), p));

        // Nothing marked: a typed authority still prints, in the first brackets.
        p.gaiyou.remove(QStringLiteral("Tekihan2"));
        p.gaiyou.remove(QStringLiteral("Shoene3"));
        const InputSheet t = filled(p);
        expect(t, {{"C1808", "□"}, {"C1809", "□"}, {"C1810", "□"}, {"D1808", "日本判定機関　東京都港区"},
                   {"D1811", "残った機関名"}, {"D1813", "第1号イに該当"}});
    }

    void writesComeInSheetOrder()
    {
        ProjectData p = project(3);
        const QVector<XlsxCellWrite> w = filled(p).writes();
        QVERIFY(w.size() > 1500);
        for (int i = 1; i < w.size(); ++i)
            QVERIFY(w[i - 1].ref < w[i].ref);
        for (const XlsxCellWrite& c : w)
            QVERIFY(c.kind != XlsxCellWrite::Kind::Text || !c.value.isEmpty());
    }

    void pagesPrintOnlyForWhatTheProjectHas()
    {
        ProjectData p = project(2);
        put(p.buildings[0], {{"Kai30", "2"}, {"Kai31", "1"}});
        put(p.buildings[1], {{"Kai30", QString()}, {"Kai31", QString()}});
        const QString su = QStringLiteral("SU_NO");
        p.parts = {RowValues{{su, "1"}}, RowValues{{su, "1"}}, RowValues{{su, "2"}}};
        p.persons = {RowValues{{QStringLiteral("Kubun"), 1}}};
        const std::pair<const char*, bool> cases[] = {
            {"building:1", true}, {"building:2", true}, {"building:3", false}, {"building:0", false},
            // Floors: building 1 has 2 + 1; building 2 none entered still prints one.
            {"floor:1:3", true}, {"floor:1:4", false}, {"floor:2:1", true}, {"floor:2:2", false},
            {"floor:3:1", false}, {"floor:1:7", false},
            {"part:1:2", true}, {"part:1:3", false}, {"part:2:1", true}, {"part:3:1", false},
            {"persons:1:1", true}, {"persons:1:2", false}, {"persons:2:1", false},
            {"annex", false}, {"building", false}, {"floor:x:1", false}, {"unknown:1", false},
        };
        for (const auto& [key, holds] : cases)
            QVERIFY2(PageConditions::holds(QString::fromLatin1(key), p) == holds, key);
        QVERIFY(PageConditions::holds(QStringLiteral("annex"), p, {QStringLiteral("annex")}));
    }
};

QTEST_GUILESS_MAIN(TestCellMap)
#include "tst_cellmap.moc"
