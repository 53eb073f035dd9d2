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
    static QString cell(const InputSheet& s, const char* address) { return s.text(address); }

private slots:
    void textPieces()
    {
        QCOMPARE(FormText::roundHalfEven(3.5), 4);
        QCOMPARE(FormText::roundHalfEven(2.5), 2);
        QCOMPARE(FormText::roundHalfEven(-0.5), 0);
        QCOMPARE(FormText::leadingNumber(QStringLiteral(" 12.5m")), 12.5);
        QCOMPARE(FormText::leadingNumber(QStringLiteral("abc")), 0.0);
        QVERIFY(FormText::flagSet(QVariant(1)) && FormText::flagSet(QStringLiteral("1")));
        QVERIFY(!FormText::flagSet(QVariant(-1)) && !FormText::flagSet(QVariant()));
        // Areas print with grouping and two decimals whatever way they were typed.
        QCOMPARE(FormText::decimal(QStringLiteral("1234.5")), QStringLiteral("1,234.50"));
        QCOMPARE(FormText::decimal(QStringLiteral("１，２３４")), QStringLiteral("1,234.00"));
        QCOMPARE(FormText::decimal(QStringLiteral("150")), FormText::decimal(QStringLiteral("150.00")));
        QCOMPARE(FormText::decimal(QString()), QString());
        QCOMPARE(FormText::decimal(QStringLiteral("0.00"), 2, true), QString());
        QCOMPARE(FormText::decimal(QStringLiteral("別紙")), QStringLiteral("別紙"));

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
        QVERIFY(InputSheet::compare(QStringLiteral("9.5"), QStringLiteral("12.0")) < 0);
        QVERIFY(InputSheet::compare(QStringLiteral("1,200"), QStringLiteral("999")) > 0);
        QVERIFY(InputSheet::compare(QString(), QStringLiteral("0")) == 0);
        QVERIFY(InputSheet::compare(QStringLiteral("12"), QStringLiteral("abc")) < 0);
        QVERIFY(InputSheet::compare(QStringLiteral("abc"), QStringLiteral("abd")) < 0);

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
        QCOMPARE(cell(s, "D3"), QStringLiteral("一級建築士事務所　東京都知事登録　第12345号"));
        QCOMPARE(cell(s, "G3"), QStringLiteral("東京都"));
        QCOMPARE(cell(s, "D60"), QStringLiteral("建設業の許可　東京都知事　第　般-5999号"));
        QCOMPARE(cell(s, "G416"), QStringLiteral(" (1)国    (2)都道府県  ●(3)市町村    (4)会社    (5)会社でない団体    (6)個人"));
        QCOMPARE(cell(s, "D416"), QStringLiteral("市町村"));
        QCOMPARE(cell(s, "G418"), QStringLiteral(" (5)情報通信業 ●(6)運輸業     (7)卸売・小売業   (8)金融・保険業   (9)不動産業"));
        for (const char* plain : {"G417", "G419", "G420"})
            QVERIFY2(!cell(s, plain).contains(QStringLiteral("●")), plain);
        // The owner's block of the ledger is taken over by the business record.
        QCOMPARE(cell(s, "D44"), QStringLiteral("建築主"));
        QCOMPARE(cell(s, "J44"), QString());

        p.gaiyou.insert(QStringLiteral("Shu1"), QStringLiteral("法人"));
        p.gaiyou.insert(QStringLiteral("Shu2"), QStringLiteral("他に分類されないもの"));
        const InputSheet t = filled(p);
        QVERIFY(!cell(t, "G416").contains(QStringLiteral("●")));
        QVERIFY(cell(t, "G420").endsWith(QStringLiteral("●(15)他に分類されないもの")));
    }

    void siteBoxLines()
    {
        ProjectData p = project();
        put(p.shikichi, {{"Shubetu1", 1}, {"shubetu5", 1}, {"Kubun12", "1"}, {"Dai2", "3"}});
        p.buildings[2].insert(QStringLiteral("Ben41"), 1);
        const InputSheet s = filled(p);
        QCOMPARE(cell(s, "C113"), QStringLiteral("■新築  □増築  □改築  □移転  ■用途変更  □大規模の修繕  □大規模の模様替"));
        QCOMPARE(cell(s, "D160"), QStringLiteral("□道路高さ制限不適用　     □隣地高さ制限不適用　     ■北側高さ制限不適用"));
        QCOMPARE(cell(s, "C173"), QStringLiteral("（第  3  回）"));
        QCOMPARE(cell(s, "C1366"), QStringLiteral("□水洗　（■公共下水道　　□浄化槽）　　□くみ取り　　□くみ取り（改良）"));
        QCOMPARE(cell(s, "C255"), QStringLiteral("□水洗　（□公共下水道　　□浄化槽）　　□くみ取り　　□くみ取り（改良）"));
    }

    void siteFaceFiguresAndLaterItems()
    {
        ProjectData p = project(2);
        put(p.shikichi, {{"Tosi1", 1}, {"Tosi3", 1}, {"Size5", "100.5"}, {"Size6", "1,200"}, {"Size8", "50"},
                         {"Size16", "第一種低層住居専用地域"}, {"Par1", "200.00"}, {"Par2", "2.50"}, {"Par4", "400"},
                         {"Par11", "49.9"}, {"Par12", "0.00"}, {"Men4", "0"}, {"Men6", "150"}, {"Men19", "150.00"},
                         {"Men21", "12.3"}, {"Men23", "4"}, {"Men46", "7"}, {"Men47", "8"}});
        p.buildings[0].insert(QStringLiteral("Takasa31"), QStringLiteral("6.5"));
        p.buildings[1].insert(QStringLiteral("Takasa31"), QStringLiteral("7.25"));
        p.buildings[2].insert(QStringLiteral("Takasa31"), QStringLiteral("9"));
        const InputSheet s = filled(p);

        QCOMPARE(cell(s, "C1900"), QStringLiteral("■都市計画区域内（□市街化区域　■市街化調整区域　□区域区分非設定）"));
        QCOMPARE(cell(s, "C1901"), QStringLiteral("□準都市計画区域内　　□都市計画区域及び準都市計画区域外"));
        // Areas and lengths in one shape, zero as blank; totals never mix 150 and 150.00.
        QCOMPARE(cell(s, "E98"), QStringLiteral("100.50"));
        QCOMPARE(cell(s, "G98"), QStringLiteral("1,200.00"));
        QCOMPARE(cell(s, "K128"), cell(s, "G133"));
        QCOMPARE(cell(s, "G133"), QStringLiteral("150.00"));
        QCOMPARE(cell(s, "G128"), QString());
        // The fourth zone is printed from its own row.
        QCOMPARE(cell(s, "C1903"), QStringLiteral("50.00"));
        QCOMPARE(cell(s, "E1903"), QStringLiteral("第一種低層住居専用地域"));
        QCOMPARE(cell(s, "F1903"), QStringLiteral("400"));
        // Permitted percentages as the plan states them, computed ratios with two decimals.
        QCOMPARE(cell(s, "E102"), QStringLiteral("200"));
        QCOMPARE(cell(s, "G102"), QStringLiteral("2.5"));
        QCOMPARE(cell(s, "G125"), QStringLiteral("49.90"));
        QCOMPARE(cell(s, "G134"), QString());
        // Later rows: the coverage base, then the floor-area rows three columns each in the form's order.
        QCOMPARE(cell(s, "I1906"), QStringLiteral("12.30"));
        QCOMPARE(cell(s, "G1908"), QStringLiteral("4.00"));
        QCOMPARE(cell(s, "K1915"), QStringLiteral("7.00"));
        QCOMPARE(cell(s, "G1916"), QStringLiteral("8.00"));
        // The highest eaves among the buildings applied for, not building 3's.
        QCOMPARE(cell(s, "E1918"), QStringLiteral("7.25"));
        p.buildingCount = 1;
        QCOMPARE(cell(filled(p), "E1918"), QStringLiteral("6.50"));
    }

    void equipmentText()
    {
        ProjectData p = project(2);
        RowValues& b = p.buildings[0];
        put(b, {{"Setu2", 1}, {"Setu4", 1}, {"Setubi40", "太陽光発電"}});
        p.buildings[1].insert(QStringLiteral("Setubi40"), QStringLiteral("蓄電池"));
        const InputSheet s = filled(p);
        QCOMPARE(cell(s, "D224"), QStringLiteral("給排水衛生・排煙・太陽光発電"));
        QCOMPARE(s.value(InputSheet::at("E225")).kind, XlsxCellWrite::Kind::Number);
        QCOMPARE(cell(s, "E225"), QStringLiteral("-1"));
        QCOMPARE(cell(s, "E224"), QStringLiteral("0"));
        // No flag: the equipment text stays empty, the other equipment is still there.
        QCOMPARE(cell(s, "D1002"), QString());
        QCOMPARE(cell(s, "E1007"), QStringLiteral("蓄電池"));
        QCOMPARE(cell(s, "C1002"), QStringLiteral("蓄電池"));
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
        QCOMPARE(cell(s, "C189"), QStringLiteral("（区分  08010   ）"));
        QCOMPARE(cell(s, "C967"), QStringLiteral("（区分  08011   ）"));
        QCOMPARE(cell(s, "D1300"), QStringLiteral("08012"));
        QCOMPARE(cell(s, "F967"), QStringLiteral("用途1"));
        QVERIFY(!s.isWritten(InputSheet::at("D189")));  // building 1 has no separate code cell
        QCOMPARE(cell(s, "G1017"), QStringLiteral("20.00"));
        QCOMPARE(cell(s, "G1350"), QStringLiteral("30.00"));
        QVERIFY(cell(s, "D206").startsWith(QStringLiteral("■耐火建築物")));
        QVERIFY(!s.isWritten(InputSheet::at("D984")));  // fire resistance prints for building 1 only
    }

    void floorPagesAndBlanking()
    {
        ProjectData p = project(2);
        p.buildings[0].insert(QStringLiteral("Kai30"), QStringLiteral("3"));
        put(p.buildings[1], {{"Kai30", "2"}, {"Kai31", "1"}, {"Kai40", "B1"}});
        for (int i = 0; i < 18; ++i) {
            p.floors[i].insert(QStringLiteral("F1Kai60"), QStringLiteral("%1F").arg(i % 6 + 1));
            p.floors[i].insert(QStringLiteral("F1Shoukei"), QStringLiteral("1%1").arg(i));
        }
        const InputSheet s = filled(p);
        // Building 1: floor pages 1..3 in use, 4..6 flagged and unlabelled.
        const int* base = SinseiCellMap::kFloorBase[0];
        for (int f = 0; f < 6; ++f) {
            const CellRef flag{base[f] + 3, 3};
            QCOMPARE(s.value(flag).kind, XlsxCellWrite::Kind::Boolean);
            QCOMPARE(s.read(flag), f < 3 ? QStringLiteral("FALSE") : QStringLiteral("TRUE"));
            QCOMPARE(s.read(CellRef{base[f] + 2, 3}), f < 3 ? QStringLiteral("%1F").arg(f + 1) : QString());
            QCOMPARE(s.read(CellRef{base[f] + 4, 4}), QStringLiteral("1%1").arg(f));
        }
        // Building 2 with 2 + 1 floors keeps slots 1 to 3; its floor names
        // of the area table are also the default labels, overwritten by KAIBETU.
        QCOMPARE(cell(s, "D1017"), QStringLiteral("B1"));
        QCOMPARE(s.read(CellRef{1076 + 2, 3}), QStringLiteral("1F"));
        QCOMPARE(s.read(CellRef{1150 + 2, 3}), QStringLiteral("3F"));
        QCOMPARE(s.read(CellRef{1187 + 2, 3}), QString());
        QCOMPARE(s.read(CellRef{1187 + 3, 3}), QStringLiteral("TRUE"));
        // Building 3 has no floors at all.
        QCOMPARE(s.read(CellRef{1409 + 3, 3}), QStringLiteral("TRUE"));

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
        p.floors[0].insert(QStringLiteral("F1Tokutei1"), 1);
        p.floors[0].insert(QStringLiteral("F1Men60"), QStringLiteral("50"));
        p.floors[2].insert(QStringLiteral("F1Men60"), QStringLiteral("70"));  // a third floor building 1 lacks
        auto part = [](const char* building, const char* number) {
            RowValues r;
            r.insert(QStringLiteral("SU_NO"), QString::fromUtf8(building));
            r.insert(QStringLiteral("Ban"), QString::fromUtf8(number));
            return r;
        };
        p.parts = {part("1", "1-A"), part("1", ""), part("1", ""), part("1", ""), part("1", ""), part("3", "3-1")};
        put(p.parts[0], {{"NobeMen", "100"}, {"Zou1", "鉄骨造"}, {"Keisan3", 1}, {"Rei137", "2"}});
        const InputSheet s = filled(p);

        // Building 1: its number, the used use line only, a structure never "造造".
        QCOMPARE(cell(s, "C2000"), QStringLiteral("1"));
        QCOMPARE(cell(s, "C2001"), QStringLiteral("（区分　08010　）"));
        QCOMPARE(cell(s, "D2001"), QStringLiteral("一戸建ての住宅"));
        QCOMPARE(cell(s, "C2002"), QString());
        QCOMPARE(cell(s, "C2006"), QStringLiteral("木造　一部鉄骨造"));
        QCOMPARE(cell(s, "C2106"), QStringLiteral("鉄筋コンクリート造"));
        // Choices: one box per option, the chosen one filled.
        QCOMPARE(cell(s, "C2010") + cell(s, "C2011"), QStringLiteral("□■"));
        QCOMPARE(cell(s, "C2019"), QStringLiteral("■"));
        QCOMPARE(cell(s, "C2026") + cell(s, "C2022"), QStringLiteral("■□"));
        // Areas formatted; zeros blank; the row of a floor without area is empty, name included.
        QCOMPARE(cell(s, "C2030"), QStringLiteral("1F"));
        QCOMPARE(cell(s, "D2030") + "|" + cell(s, "E2030") + "|" + cell(s, "F2030"),
                 QStringLiteral("1,234.50||1,234.50"));
        QCOMPARE(cell(s, "C2031") + cell(s, "D2031"), QString());
        QCOMPARE(cell(s, "D2036") + "|" + cell(s, "F2036"), QStringLiteral("1,234.50|1,234.50"));

        // Fifth face: suspended ceiling marks, areas of the floors the building has only.
        QCOMPARE(cell(s, "C2400") + cell(s, "D2400"), QStringLiteral("■□"));
        QCOMPARE(cell(s, "C2401"), QStringLiteral("50.00"));
        QCOMPARE(cell(s, "C2421"), QString());

        // Sixth face: entered numbers, numbered slots for the rest, the building's own number without parts.
        QCOMPARE(cell(s, "C2600"), QStringLiteral("1-A"));
        QCOMPARE(cell(s, "C2601"), QStringLiteral("100.00"));
        QCOMPARE(cell(s, "C2605"), QStringLiteral("鉄骨造"));
        QCOMPARE(cell(s, "C2610"), QStringLiteral("■"));
        QCOMPARE(cell(s, "C2615"), QStringLiteral("第2号"));
        QCOMPARE(cell(s, "C2620"), QStringLiteral("1-2"));
        QCOMPARE(cell(s, "C2680"), QStringLiteral("2"));

        // What does not fit is told, once per cause.
        const QStringList notes = SinseiCellMap::outputNotes(p);
        QCOMPARE(notes.size(), 3);
        QVERIFY2(notes[0].startsWith(QStringLiteral("建築物1の独立部分は4つまで印刷します")), qPrintable(notes[0]));
        QVERIFY2(notes[1].startsWith(QStringLiteral("建築物2は7階あります")), qPrintable(notes[1]));
        QVERIFY2(notes[2].contains(QStringLiteral("3-1")), qPrintable(notes[2]));

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
        s.setTemplateCell(InputSheet::at("I215"), values[0]);
        s.setTemplateCell(InputSheet::at("I993"), values[1]);
        s.setTemplateCell(InputSheet::at("I1326"), values[2]);
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
            QCOMPARE(s.text("G993"), count >= 2 ? QStringLiteral("3") : QString());
            QCOMPARE(s.text("G1326"), count == 3 ? QStringLiteral("4") : QString());
            QCOMPARE(s.text("I215"), QString::number(count + 1));
        }
    }

    void inspection()
    {
        ProjectData p = project();
        put(p.kanryou, {{"Kai3", "基礎配筋"}, {"Gou2", "H17-123"}, {"Men1", "120.50"}});
        InputSheet s = filled(p);
        QCOMPARE(cell(s, "E335"), QStringLiteral("5"));
        QCOMPARE(s.value(InputSheet::at("E335")).kind, XlsxCellWrite::Kind::Number);
        QCOMPARE(cell(s, "E336"), QStringLiteral("　□建築物　　　　　　　　　□建築設備（昇降機）　　　　 □建築設備（昇降機以外）"));
        QCOMPARE(cell(s, "E337"), QStringLiteral("　□工作物（昇降機）　　　　□工作物（法第88条第１項）　 ■工作物（法第88条第２項）"));
        QCOMPARE(cell(s, "G344"), QStringLiteral("第　H17-123　号"));
        QCOMPARE(cell(s, "G359"), QStringLiteral("（") + QString(18, u' ') + QStringLiteral("基礎配筋") + QString(18, u' ')
                                      + QStringLiteral("）"));
        QCOMPARE(cell(s, SinseiCellMap::kInspectionAreaCell), QStringLiteral("120.50"));
        QVERIFY(!s.isWritten(InputSheet::at("G128")) || cell(s, "G128").isEmpty());
        // The faces in force mark nothing that was not chosen.
        auto marks = [&s](int row, int count) {
            QString out;
            for (int i = 0; i < count; ++i)
                out += cell(s, QByteArray("C" + QByteArray::number(row + i)).constData());
            return out;
        };
        QCOMPARE(marks(3000, 6), QStringLiteral("□□□□□□"));
        QCOMPARE(cell(s, "C3017"), QStringLiteral("基礎配筋"));

        put(p.kanryou, {{"Shin2", 1}, {"Shin4", 1}, {"Gou1", "増築・改築"}});
        for (int i = 1; i <= 6; ++i)
            p.persons << RowValues{{QStringLiteral("Kubun"), 4}, {QStringLiteral("Name"), QStringLiteral("設備%1").arg(i)}};
        s = filled(p);
        QCOMPARE(marks(3000, 6), QStringLiteral("□■□□□□"));
        QCOMPARE(marks(3008, 7), QStringLiteral("□■■□□□□"));
        QCOMPARE(cell(s, "D3050") + cell(s, "D3058"), QStringLiteral("設備1設備5"));
        QVERIFY(SinseiCellMap::outputNotes(p).last().contains(QStringLiteral("6人目以降は印刷されません")));
        QCOMPARE(cell(s, "E335"), QStringLiteral("1"));
        QVERIFY(cell(s, "E336").contains(QStringLiteral("■建築設備（昇降機）")));
        QVERIFY(!cell(s, "E337").contains(QStringLiteral("■")));
        p.kanryou.insert(QStringLiteral("Shin2"), 0);
        s = filled(p);
        QCOMPARE(cell(s, "E335"), QStringLiteral("3"));
        QVERIFY(cell(s, "E337").startsWith(QStringLiteral("　■工作物（昇降機）")));
    }

    void constructionNotice()
    {
        ProjectData p = project();
        RowValues& k = p.kouji;
        put(k, {{"YoutoCHK01", 1}, {"YoutoCHK04", 1}, {"YoutoCHK12", 1}, {"KouzoCHK23", 1}, {"Youto1", "一戸建ての住宅"},
                {"Ko1", "12"}, {"Gou2", "100.00"}, {"Betu10", 1}, {"Betu12", 1}, {"Kin5", 1}, {"Shurui21", 1},
                {"Shurui23", 1}, {"RiyouKan3", 1}, {"Gen1", "老朽化"}, {"Youto9", "倉庫"}});
        InputSheet s = filled(p);
        QCOMPARE(cell(s, "E430"), QStringLiteral("（   ●多用途     ）"));
        QCOMPARE(cell(s, "G430"), QStringLiteral("（     多用途     ）"));
        QCOMPARE(cell(s, "D431"), QStringLiteral("●(1) 事務所等"));
        QCOMPARE(cell(s, "D432"), QStringLiteral(" (2) 物品販売業を"));
        QCOMPARE(cell(s, "D434"), QStringLiteral("●(4) 倉庫"));
        QCOMPARE(cell(s, "F432"), QStringLiteral("●(2) 物品販売業を"));
        QCOMPARE(cell(s, "I441"), QStringLiteral("●(3)鉄筋ｺﾝｸﾘｰﾄ造"));
        QCOMPARE(s.value(InputSheet::at("E431")).kind, XlsxCellWrite::Kind::Number);
        // Written twice; the second spelling stays, two spaces for an empty use.
        QCOMPARE(cell(s, "E424"), QStringLiteral("（　　一戸建ての住宅　　）"));
        QCOMPARE(cell(s, "E425"), QStringLiteral("（　　  　　）"));
        QCOMPARE(cell(s, "E478"), QStringLiteral("（    12    戸）（           戸）（          戸）（           戸）"));
        QVERIFY(cell(s, "E480").startsWith(QStringLiteral("（          ㎡）（   100.00  ㎡）")));
        QCOMPARE(cell(s, "G449"), QStringLiteral("新設     （ (1) 新築   ●(2) 増設     (3) 改築）"));
        QCOMPARE(cell(s, "G450"), QStringLiteral("その他   （              (2) 増設     (3) 改築）"));
        QCOMPARE(cell(s, "G458"), QStringLiteral("●(5) その他"));
        QCOMPARE(cell(s, "G471"), QStringLiteral(" (2) 併用住宅      （ (1) 一戸建住宅  ●(2) 長屋建住宅    (3) 共同住宅）"));
        QVERIFY(!cell(s, "G470").contains(QStringLiteral("●")));
        QCOMPARE(cell(s, "G476"), QStringLiteral("（ (1) 持家 　）  （ (2) 貸家  　）  （●(3) 給与住宅）   （ (4) 分譲住宅）"));
        // Without a declared removal the removal block ends empty.
        QCOMPARE(cell(s, "D484"), QString());
        QCOMPARE(s.value(InputSheet::at("G518")).kind, XlsxCellWrite::Kind::Clear);

        put(k, {{"JokyoChk2", 1}, {"Betu10", 0}, {"Betu22", 1}, {"Kin2", 1}, {"Shurui21", 0}, {"Shurui32", 1}});
        s = filled(p);
        QCOMPARE(cell(s, "D484"), QStringLiteral("老朽化"));
        QCOMPARE(cell(s, "G518"), QStringLiteral("倉庫"));
        QCOMPARE(cell(s, "G450"), QStringLiteral("その他   （              (2) 増設   ●(3) 改築）"));
        QCOMPARE(cell(s, "G458"), QStringLiteral(" (5) その他"));
        QVERIFY(cell(s, "G457").contains(QStringLiteral("  ●(2) 公営")));
        QVERIFY(cell(s, "G472").contains(QStringLiteral("（ (1) 一戸建住宅  ●(2) 長屋建住宅")));
    }

    // The notice in force takes what the application already holds, prints
    // figures as whole numbers rounded half up, and has its third face's
    // parts only for a housing part and a removal.
    void constructionNoticeInForce()
    {
        ProjectData p = project();
        p.buildingCount = 1;
        put(p.gaiyou, {{"Shu1", "市町村"}, {"Buken", "山田邸"}, {"Name2", "設計一郎"}});
        p.shikichi.insert(QStringLiteral("Tosi4"), 1);
        p.shikichi.insert(QStringLiteral("Kin1"), QStringLiteral("2,500.5"));
        put(p.buildings[0], {{"Kubun30", "08010"}, {"KubunDisp30", "一戸建ての住宅"}, {"Zou31", "鉄筋コンクリート造"}, {"Kai30", "2"}});
        auto floorUse = [&p](int f, int i, const char* use, const char* area) {
            p.floors[f].insert(QStringLiteral("F1Kubun%1Disp").arg(60 + i), QString::fromUtf8(use));
            p.floors[f].insert(QStringLiteral("F1Men%1").arg(60 + i), QString::fromUtf8(area));
        };
        floorUse(0, 0, "車庫", "30.50");
        floorUse(0, 1, "一戸建ての住宅", "40.25");
        floorUse(1, 0, "一戸建ての住宅", "50.25");
        floorUse(1, 1, "物置", "2.00");
        floorUse(1, 2, "倉庫", "1.00");
        InputSheet s = filled(p);
        QCOMPARE(cell(s, "D3210"), QStringLiteral(" (1)国    (2)都道府県  ●(3)市区町村    (4)会社    (5)会社でない団体    (6)個人"));
        QVERIFY(cell(s, "E3211").startsWith(QStringLiteral("●(3)区域区分非設定")));
        QCOMPARE(cell(s, "D3290"), QStringLiteral("設計一郎"));  // no contractor yet: the designer files it
        QCOMPARE(cell(s, "E3221"), QStringLiteral("山田邸"));
        QCOMPARE(cell(s, "E3222"), QStringLiteral("（08010）"));
        QCOMPARE(cell(s, "E3226"), QStringLiteral("●(3)鉄筋コンクリート造"));
        QCOMPARE(cell(s, "G3221"), QString());  // building 2 is not applied for
        QCOMPARE(cell(s, "E3236"), QStringLiteral("一戸建ての住宅"));
        QCOMPARE(cell(s, "E3237"), QStringLiteral("91㎡"));  // 40.25 + 50.25, rounded half up
        QCOMPARE(cell(s, "E3240"), QStringLiteral("物置"));   // the three largest only
        QCOMPARE(cell(s, "E3242"), QStringLiteral("2,501"));
        QCOMPARE(cell(s, "E3243"), QStringLiteral("□消費税込み"));
        QVERIFY(!PageConditions::holds(QStringLiteral("housing|removal"), p));

        RowValues& k = p.kouji;
        put(k, {{"BYouto11", "共同住宅"}, {"BMen11", "300.4"}, {"Zeikomi1", 1}, {"Shurui21", 1}, {"Shurui23", 1},
                {"Kin3", 1}, {"Ko2", "2"}, {"Ko4", "3"}, {"HyoukaGaku", "1,234.5"}});
        p.gaiyou.insert(QStringLiteral("Name9"), QStringLiteral("施工建設"));
        p.gaiyou.insert(QStringLiteral("Name11"), QStringLiteral("現場太郎"));
        s = filled(p);
        QCOMPARE(cell(s, "D3290"), QStringLiteral("施工建設"));
        QCOMPARE(cell(s, "D3200"), QStringLiteral("現場太郎"));
        QCOMPARE(cell(s, "E3236"), QStringLiteral("共同住宅"));  // typed on the notice, nothing else
        QCOMPARE(cell(s, "E3237"), QStringLiteral("300㎡"));
        QCOMPARE(cell(s, "E3238"), QString());
        QCOMPARE(cell(s, "E3243"), QStringLiteral("■消費税込み"));
        QCOMPARE(cell(s, "D3255"), QStringLiteral(" (1)専用住宅  ●(2)併用住宅    (3)その他の住宅"));
        QCOMPARE(cell(s, "D3256"), QStringLiteral(" (1)一戸建住宅  ●(2)長屋建住宅    (3)共同住宅"));
        QCOMPARE(cell(s, "D3252"), QStringLiteral(" (1)木造    (2)鉄骨鉄筋コンクリート造  ●(3)鉄筋コンクリート造"));
        QCOMPARE(cell(s, "D3260"), QStringLiteral(" (1)民間資金住宅    (2)公営住宅  ●(3)住宅金融支援機構住宅"));
        QCOMPARE(cell(s, "H3258"), QStringLiteral("5"));
        QCOMPARE(cell(s, "D3280"), QStringLiteral("1,235"));
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
        QCOMPARE(cell(s, "D520"), QStringLiteral("□　建築確認　　　□　中間検査　　　　■　完了検査"));
        QCOMPARE(cell(s, "J44"), QStringLiteral("契約者"));
        QCOMPARE(cell(s, "E558"), QStringLiteral("契約者"));
        QCOMPARE(cell(s, "D44"), QStringLiteral("建築主"));
        QCOMPARE(cell(s, "D565"), QStringLiteral("□企画・調査　　□基本設計　　■実施設計　　□工事監理　　□その他"));
        QCOMPARE(s.value(InputSheet::at("F567")).kind, XlsxCellWrite::Kind::Number);
        QCOMPARE(cell(s, "K601"), QStringLiteral("3,000"));
        QCOMPARE(cell(s, "D636"), QStringLiteral("25"));
        QCOMPARE(cell(s, "C1630"), QStringLiteral("見積書提出"));
        QCOMPARE(cell(s, "G1719"), QStringLiteral("最後"));
        QVERIFY(!s.isWritten(InputSheet::at("C1720")));

        p.inin.insert(QStringLiteral("Inin2"), 1);
        QCOMPARE(filled(p).text("D520"), QStringLiteral("□　建築確認　　　■　中間検査　　　　□　完了検査"));
        p.inin.insert(QStringLiteral("Inin1"), 1);
        QCOMPARE(filled(p).text("D520"), QStringLiteral("■　建築確認　　　□　中間検査　　　　□　完了検査"));
        // Any number of matters at once; その他 with its own words.
        p.inin.insert(QStringLiteral("Inin11"), 1);
        p.inin.insert(QStringLiteral("IninSonota"), QStringLiteral("建築工事届の提出"));
        s = filled(p);
        QCOMPARE(cell(s, "D3300"), QStringLiteral("■　確認申請に関する一切の件"));
        QCOMPARE(cell(s, "D3302"), QStringLiteral("■　中間検査申請に関する一切の件"));
        QCOMPARE(cell(s, "D3303"), QStringLiteral("□　完了検査申請に関する一切の件"));
        QCOMPARE(cell(s, "D3310"), QStringLiteral("■　その他（建築工事届の提出）"));
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
        QCOMPARE(cell(s, "D1800"), QStringLiteral("意匠図、構造図"));
        QCOMPARE(cell(s, "D1802"), QStringLiteral("建築設備士第12号"));
        QCOMPARE(cell(s, "C1804") + cell(s, "C1806"), QStringLiteral("□■"));
        QCOMPARE(cell(s, "D1806") + cell(s, "E1806"), QStringLiteral("設備一郎456"));
        // The authority goes in the brackets of the marked option only.
        QCOMPARE(cell(s, "C1808") + cell(s, "C1809") + cell(s, "C1810"), QStringLiteral("□■□"));
        QCOMPARE(cell(s, "D1809"), QStringLiteral("日本判定機関　東京都港区"));
        QCOMPARE(cell(s, "D1808"), QString());
        // No plan needed: the reason, not the authority left from before.
        QCOMPARE(cell(s, "C1811") + cell(s, "C1812") + cell(s, "C1813"), QStringLiteral("□□■"));
        QCOMPARE(cell(s, "D1813"), QStringLiteral("第1号イに該当"));
        QCOMPARE(cell(s, "D1811") + cell(s, "D1812"), QString());

        QCOMPARE(cell(s, "D1820") + cell(s, "D1822"), QStringLiteral("構造設備"));
        QCOMPARE(cell(s, "D1823") + cell(s, "J1823"), QStringLiteral("事務所設備設備図"));
        QCOMPARE(cell(s, "F1820") + cell(s, "G1820") + cell(s, "H1820"), QStringLiteral("一級大臣111"));
        QCOMPARE(cell(s, "E1820"), QStringLiteral("一級建築士　大臣登録　第111号"));
        QCOMPARE(cell(s, "D1824"), QString());
        QCOMPARE(cell(s, "D1840") + cell(s, "I1841") + cell(s, "J1841"), QStringLiteral("監理所在地監理意匠図"));
        QCOMPARE(cell(s, "D1850") + cell(s, "D1851") + cell(s, "J1851"), QStringLiteral("意見事務所意見空調図"));
        QCOMPARE(cell(s, "E1850"), QString());  // a person consulted has no architect's registration line
        QVERIFY(PageConditions::holds(QStringLiteral("persons:1:2"), p));
        QVERIFY(!PageConditions::holds(QStringLiteral("persons:2:2"), p));

        // Nothing marked: a typed authority still prints, in the first brackets.
        p.gaiyou.remove(QStringLiteral("Tekihan2"));
        p.gaiyou.remove(QStringLiteral("Shoene3"));
        const InputSheet t = filled(p);
        QCOMPARE(cell(t, "C1808") + cell(t, "C1809") + cell(t, "C1810"), QStringLiteral("□□□"));
        QCOMPARE(cell(t, "D1808"), QStringLiteral("日本判定機関　東京都港区"));
        QCOMPARE(cell(t, "D1811") + cell(t, "D1813"), QStringLiteral("残った機関名第1号イに該当"));
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
        p.buildings[0].insert(QStringLiteral("Kai30"), QStringLiteral("2"));
        p.buildings[0].insert(QStringLiteral("Kai31"), QStringLiteral("1"));
        p.buildings[1].insert(QStringLiteral("Kai30"), QString());
        p.buildings[1].insert(QStringLiteral("Kai31"), QString());
        auto part = [](const char* building) {
            RowValues r;
            r.insert(QStringLiteral("SU_NO"), QString::fromLatin1(building));
            return r;
        };
        p.parts = {part("1"), part("1"), part("2")};
        RowValues designer;
        designer.insert(QStringLiteral("Kubun"), 1);
        p.persons = {designer};
        const struct {
            const char* key;
            bool holds;
        } cases[] = {
            {"building:1", true}, {"building:2", true}, {"building:3", false}, {"building:0", false},
            // Floors: building 1 has 2 + 1; building 2 none entered still prints one.
            {"floor:1:3", true}, {"floor:1:4", false}, {"floor:2:1", true}, {"floor:2:2", false},
            {"floor:3:1", false}, {"floor:1:7", false},
            {"part:1:2", true}, {"part:1:3", false}, {"part:2:1", true}, {"part:3:1", false},
            {"persons:1:1", true}, {"persons:1:2", false}, {"persons:2:1", false},
            {"annex", false}, {"building", false}, {"floor:x:1", false}, {"unknown:1", false},
        };
        for (const auto& c : cases)
            QVERIFY2(PageConditions::holds(QString::fromLatin1(c.key), p) == c.holds, c.key);
        QVERIFY(PageConditions::holds(QStringLiteral("annex"), p, {QStringLiteral("annex")}));
    }
};

QTEST_GUILESS_MAIN(TestCellMap)
#include "tst_cellmap.moc"
