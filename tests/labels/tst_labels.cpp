#include "LabelLayout.h"
#include "LabelSheet.h"
#include "LabelTestSupport.h"
#include "Recipients.h"
#include "ShiftJis.h"

#include <QtTest>

using namespace labeltest;

// Label sheets as an office prints them: which recipient lands on which
// label, how addresses wrap, who may be chosen, the layouts kept in the
// database.
class TestLabels : public QObject {
    Q_OBJECT

private slots:
    void pagesFollowTheFreeLabelsOfTheFirstSheet()
    {
        LabelPlan plan;
        plan.setLabelsPerSheet(12);  // 2 × 6

        // 指定位置 at the fifth label, 20 recipients: 8 on the first sheet.
        plan.setMode(LabelPlan::StartMode::Position);
        plan.clickLabel(4);
        QCOMPARE(plan.usedOnFirstSheet(), 8);
        QVERIFY(plan.startHint().startsWith(u("1枚目は 5 番目のラベルから印刷します（8枚）。")));
        QCOMPARE(plan.pageCount(20), 2);
        QCOMPARE((QList<int>{plan.recipientAt(0, 3, 20), plan.recipientAt(0, 4, 20), plan.recipientAt(0, 11, 20),
                             plan.recipientAt(1, 0, 20), plan.recipientAt(1, 11, 20), plan.recipientAt(2, 0, 21),
                             plan.recipientAt(2, 1, 21), plan.pageCount(21)}),
                 (QList<int>{-1, 0, 7, 8, 19, 20, -1, 3}));
        // Fewer recipients than free labels: one page.
        QCOMPARE(plan.pageCount(3), 1);
        QCOMPARE(plan.recipientAt(0, 7, 3), -1);

        // TOP位置 uses the whole first sheet again.
        plan.setMode(LabelPlan::StartMode::Top);
        plan.clickLabel(6);
        QCOMPARE(plan.usedOnFirstSheet(), 12);
        QCOMPARE(plan.pageCount(12), 1);
        QCOMPARE(plan.pageCount(13), 2);

        // ランダム: nothing until labels are clicked, a second click frees one.
        plan.setMode(LabelPlan::StartMode::Random);
        QCOMPARE(plan.usedOnFirstSheet(), 0);
        QCOMPARE(plan.pageCount(20), 0);
        plan.clickLabel(1);
        plan.clickLabel(9);
        plan.clickLabel(5);
        plan.clickLabel(5);
        QCOMPARE(plan.usedOnFirstSheet(), 2);
        QCOMPARE((QList<int>{plan.recipientAt(0, 1, 5), plan.recipientAt(0, 9, 5), plan.recipientAt(1, 0, 5), plan.pageCount(5)}),
                 (QList<int>{0, 1, 2, 2}));
        plan.clickLabel(12);  // no such label on a sheet of twelve
        QCOMPARE(plan.usedOnFirstSheet(), 2);

        // A smaller sheet: a start beyond it falls back to the first label.
        plan.setMode(LabelPlan::StartMode::Position);
        plan.clickLabel(10);
        plan.setLabelsPerSheet(8);
        QCOMPARE(plan.usedOnFirstSheet(), 8);
    }

    void sheetGeometryAndTheCharacterGrid()
    {
        const LabelLayout l = LabelLayout::standard();
        QCOMPARE(l.labelsPerSheet(), 12);
        QVERIFY2(l.problem().isEmpty(), qPrintable(l.problem()));
        // Row by row, left to right; the bottom and right margins place nothing.
        QCOMPARE(l.labelRect(0), QRectF(18.6, 21.5, 86.4, 42.3));
        QCOMPARE(l.labelRect(1).left(), 18.6 + 86.4);
        QCOMPARE(l.labelRect(3).top(), 21.5 + 42.3);
        QVERIFY(qAbs(l.labelRect(11).bottom() - (21.5 + 6 * 42.3)) < 1e-9);

        // Dropped elements snap to the nearest cell, halves to even.
        QCOMPARE((QList<int>{LabelGrid::rowFor(239.7 * 1.5), LabelGrid::rowFor(239.7 * 2.5), LabelGrid::rowFor(239.7 * 2.4),
                             LabelGrid::columnFor(126 * 0.5), LabelGrid::columnFor(126 * 3.51), LabelGrid::columnFor(0)}),
                 (QList<int>{2, 4, 3, 2, 5, 1}));

        // Element width: label width less offset and gap, in whole columns.
        LabelLayout m = l;
        m.element(LabelElement::Addr1).column = 5;
        // 86.4 mm = 4898.3 twips; 4898.3 − 4 × 126 − 150 = 4244.3 → 34 columns.
        QCOMPARE(m.elementWidthTwips(LabelElement::Addr1), 34 * 126.0);
        QCOMPARE(m.capacityBytes(LabelElement::Addr1), 38);  // 4284 / (10.5 × 10.5)
        m.element(LabelElement::Addr1).fontSize = 14;
        QCOMPARE(m.capacityBytes(LabelElement::Addr1), 29);
        // The widest element stays within its label.
        for (int c = 1; c <= m.maxColumn(); ++c) {
            m.element(LabelElement::Addr1).column = c;
            QVERIFY(m.elementOffset(LabelElement::Addr1).x() * LabelGrid::kTwipsPerMm + m.elementWidthTwips(LabelElement::Addr1)
                    <= m.labelWidth() * LabelGrid::kTwipsPerMm);
        }

        // A sheet that runs off the A4 paper: tst_labelforms' layout and print tests.
        m.rows = 40;  // more than thirty labels are never laid out
        QCOMPARE(m.labelsPerSheet(), 30);
        m.columns = 3;
        QCOMPARE(m.labelsPerSheet(), 30);
    }

    void spacingFieldsAreReadRoundedAndKeptOnThePaper_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("full-width") << int(LabelLayout::MLeft) << u("２０．５") << true << u("20.5");
        QTest::newRow("hundredths") << int(LabelLayout::MUp) << u(" 21.456 ") << true << u("21.46");
        QTest::newRow("as it was") << int(LabelLayout::MUp) << u("21.50") << false << u("21.5");
        QTest::newRow("negative") << int(LabelLayout::HBet) << u("−3") << false << u("0");
        QTest::newRow("tiny label") << int(LabelLayout::WLabel) << u("1") << true << u("5");
        QTest::newRow("wider than A4") << int(LabelLayout::WBet) << u("300") << true << u("210");
        QTest::newRow("higher than A4") << int(LabelLayout::HLabel) << u("400") << true << u("297");
        QTest::newRow("no number") << int(LabelLayout::MDown) << u("abc") << false << u("21.5");
    }

    void spacingFieldsAreReadRoundedAndKeptOnThePaper()
    {
        QFETCH(int, field);
        QFETCH(QString, typed);
        QFETCH(bool, changed);
        QFETCH(QString, shown);
        LabelLayout l = LabelLayout::standard();
        double v = 0;
        const bool read = LabelNumbers::read(typed, &v);
        QCOMPARE(read && l.setSpacing(field, v), changed);
        QCOMPARE(LabelNumbers::mmText(l.spacing[static_cast<size_t>(field)]), shown);
    }

    void sheetAndElementEditsStayInsideTheLimits()
    {
        LabelLayout l = LabelLayout::standard();
        // Three columns leave room for ten rows only.
        l.rows = 12;
        QVERIFY(l.setColumns(3));
        QCOMPARE(l.rows, 10);
        QVERIFY(!l.setColumns(7));  // taken as 3, as it is
        QVERIFY(l.setRows(0));
        QCOMPARE(l.rows, 1);

        // A drop outside the label lands on its last cell; the same cell again changes nothing.
        QVERIFY(l.placeElement(LabelElement::Name, 1e6, 1e6));
        QCOMPARE(l.element(LabelElement::Name).column, l.maxColumn());
        QCOMPARE(l.element(LabelElement::Name).row, l.maxRow(LabelElement::Name));
        QVERIFY(!l.placeElement(LabelElement::Name, 1e6, 1e6));

        // A larger font moves a low element up so that its text still ends inside the label.
        QVERIFY(l.placeElement(LabelElement::Post, 0, 1e6));
        QVERIFY(l.setFont(LabelElement::Post, u("ＭＳ ゴシック"), 30));
        QCOMPARE(l.element(LabelElement::Post).row, l.maxRow(LabelElement::Post));
        QVERIFY(!l.setFont(LabelElement::Post, QString(), 12));
        QCOMPARE(l.element(LabelElement::Post).fontSize, 30.0);
    }

    void addressLineOneWrapsAtTheFullWidthBlank()
    {
        const auto lines = [](const LabelText::Wrapped& w) { return QStringList{w.line1, w.line2}; };
        // Short enough: one line, address 3 below it.
        auto w = LabelText::wrapAddress(u("東京都"), u("港区芝5-1"), u("芝ビル3階"), 38);
        QCOMPARE(lines(w), (QStringList{u("東京都港区芝5-1"), u("芝ビル3階")}));

        // A half-width blank comes first, yet the full-width one decides.
        w = LabelText::wrapAddress(u("東京都"), u("千代田区 丸の内一丁目2番3号　丸の内パークビルディング"), u("5階"), 38);
        QCOMPARE(lines(w), (QStringList{u("東京都千代田区 丸の内一丁目2番3号"), u("丸の内パークビルディング5階")}));

        // Only a half-width blank: the break is there.
        w = LabelText::wrapAddress(u("神奈川県"), u("横浜市西区みなとみらい二丁目 横浜ランドマークタワー"), QString(), 38);
        QCOMPARE(lines(w), (QStringList{u("神奈川県横浜市西区みなとみらい二丁目"), u("横浜ランドマークタワー")}));

        // No blank: cut at the capacity, never through a character, and the
        // rest goes in front of address 3.
        const QString longTown = u("北海道札幌市中央区北一条西二丁目一番地札幌時計台前通り");
        w = LabelText::wrapAddress(u("北海道"), longTown.mid(3), u("3F"), 25);
        QVERIFY(ShiftJis::encode(w.line1).size() <= 25);
        QCOMPARE(lines(w), (QStringList{longTown.left(12), longTown.mid(12) + u("3F")}));  // twelve kanji, 24 bytes: the 13th would make 26
        w = LabelText::wrapAddress(u("Tokyo"), u("Minato-ku-Shiba-5-chome-1-1"), QString(), 20);
        QCOMPARE(lines(w), (QStringList{u("TokyoMinato-ku-Shiba"), u("-5-chome-1-1")}));

        // The label of a recipient wraps with the layout's own capacity.
        LabelLayout l = LabelLayout::standard();
        Recipient r = recipient(1, u("山田"), u("千代田区 丸の内一丁目2番3号　丸の内パークビルディング"));
        r.name2 = u("太郎");
        r.address3 = u("5階");
        r.company = u("山田工務店");
        r.postalCode = u("100-0005");
        const LabelTexts t = LabelText::forRecipient(r, u("様"), l);
        QCOMPARE(t.post, u("100-0005"));
        QCOMPARE(t.line1, u("東京都千代田区 丸の内一丁目2番3号"));
        QCOMPARE(t.line2, u("丸の内パークビルディング5階"));
        QCOMPARE(t.corp, u("山田工務店"));
        QCOMPARE(t.name, u("山田太郎 様"));
    }

    void recipientsWithoutAddressOrNameAndRepeatedKeysStayOut()
    {
        TempAppDir dir;
        Storage& s = dir.storage();
        const qint64 folder = addRow(s, DbFile::SaleData, u("UserFolder"), {{u("F_ID"), 7}, {u("Folder"), u("DM先")}});
        const qint64 a = addCustomer(s, {u("青木"), u("一郎"), u("100-0001"), u("東京都"), u("千代田区1-1"), QString(), QString(), u("a@example.jp"), folder});
        const qint64 noAddress = addCustomer(s, {u("伊藤"), u("二郎"), u("100-0002"), u("東京都"), QString(), u("3階"), QString(), QString(), folder});
        addCustomer(s, {QString(), QString(), u("100-0003"), u("東京都"), u("港区1-1"), QString(), QString(), QString(), -1});
        const qint64 c = addCustomer(s, {u("上田"), QString(), u("100-0004"), u("東京都"), u("港区2-2"), QString(), u("上田建設"), QString(), -1});
        // A customer standing in the folder through its third slot.
        const qint64 d = addCustomer(s, {u("江藤"), u("四郎"), u("100-0005"), u("東京都"), u("港区3-3"), QString(), QString(), QString(), -1});
        {
            Recordset rs(s, DbFile::SaleData);
            QVERIFY(rs.open(u("UserMaster"), u("ID"), d));
            rs.setValue(u("FLD3"), folder);
            QVERIFY(rs.update());
        }
        addRow(s, DbFile::MasterData, u("Architect"),
               {{u("U_NAME"), u("設計 一")}, {u("C_NAME"), u("設計一級建築士事務所")}, {u("C_POST1"), u("150-0001")},
                {u("C_ADDR1"), u("東京都")}, {u("C_ADDR2"), u("渋谷区神宮前1-1")}, {u("C_E_MAIL"), u("office@example.jp")}});
        // Companies: the first gets ID 1, the same key as the customer 青木.
        const qint64 company = addRow(s, DbFile::MasterData, u("ConnectCorp"),
                                      {{u("Name"), u("東西電設")}, {u("POST"), u("160-0001")}, {u("Addr1"), u("東京都")},
                                       {u("Addr2"), u("新宿区1-1")}, {u("E_MAIL"), u("info@tozai.jp")}});
        const qint64 company2 = addRow(s, DbFile::MasterData, u("ConnectCorp"),
                                       {{u("Name"), u("南北空調")}, {u("POST"), u("160-0002")}, {u("Addr1"), u("東京都")},
                                        {u("Addr2"), u("新宿区2-2")}});
        QCOMPARE(company, a);

        const auto counts = [](const RecipientSelection::AddResult& r) { return QList<int>{r.added, r.alreadySelected, r.withoutNameOrAddress}; };
        RecipientStore store(s);
        QVector<RecipientSource> sources;
        QVERIFY(store.sources(&sources));  // their captions: tst_labelforms' recipient test
        QCOMPARE(sources.size(), 5);

        // The folder lists its customers slot by slot (U_No first, then FLD3).
        QVector<Recipient> inFolder;
        QVERIFY(store.candidates(sources[2], &inFolder));
        QCOMPARE(inFolder.size(), 3);
        QCOMPARE((QList<qint64>{inFolder[0].key, inFolder[1].key, inFolder[2].key, inFolder[0].folder}),
                 (QList<qint64>{a, noAddress, d, folder}));
        QCOMPARE((QStringList{inFolder[0].postalCode, inFolder[0].email}), (QStringList{u("100-0001"), u("a@example.jp")}));

        // Marking every customer of 全表示 adds those with a name and an address 2.
        QVector<Recipient> all;
        QVERIFY(store.candidates(sources[0], &all));
        QCOMPARE(all.size(), 5);
        QCOMPARE(all[3].name1, u("上田"));
        QCOMPARE(all[3].company, u("上田建設"));
        QVector<Recipient> chosen;
        auto result = RecipientSelection::add(chosen, all);
        QCOMPARE(counts(result), (QList<int>{3, 0, 2}));
        QVector<qint64> keys;
        for (const Recipient& r : chosen)
            keys << r.key;
        QCOMPARE(keys, (QVector<qint64>{a, c, d}));

        // The same customer again, from its folder: one entry stays.
        result = RecipientSelection::add(chosen, inFolder);
        QCOMPARE(counts(result), (QList<int>{0, 2, 1}));
        QCOMPARE(chosen.size(), 3);

        // The office of an architect, and companies: a company whose ID
        // equals a chosen customer's is another recipient all the same; the
        // same company twice is one.
        QVector<Recipient> offices, companies;
        QVERIFY(store.candidates(sources[3], &offices));
        QCOMPARE(offices.size(), 1);
        QCOMPARE((QStringList{offices[0].name1, offices[0].address2, offices[0].sourceName()}), (QStringList{u("設計一級建築士事務所"), u("渋谷区神宮前1-1"), u("業者")}));
        QVERIFY(store.candidates(sources[4], &companies));
        QCOMPARE(companies.size(), 2);
        QCOMPARE(companies[1].key, company2);
        QVERIFY(std::any_of(chosen.cbegin(), chosen.cend(), [&](const Recipient& r) { return r.key == companies[0].key; }));
        result = RecipientSelection::add(chosen, companies);
        QCOMPARE(counts(result), (QList<int>{2, 0, 0}));
        QCOMPARE((QStringList{chosen.last().name1, chosen.last().sourceName()}), (QStringList{u("南北空調"), u("取引先")}));
        QCOMPARE(RecipientSelection::add(chosen, companies).alreadySelected, 2);

        // Removing entries: the later ones move up.
        RecipientSelection::remove(chosen, {2, 0, 2, 99});
        QCOMPARE(chosen.size(), 3);
        QCOMPARE((QList<qint64>{chosen[0].key, chosen[2].key}), (QList<qint64>{c, company2}));
        QCOMPARE(chosen[1].source, Recipient::Source::Company);
    }

    void layoutsAreSeededMadeAndSaved()
    {
        TempAppDir dir;
        Storage& s = dir.storage();
        LabelLayoutStore store(s);

        // A first start brings layouts for common A4 sheets.
        QVector<LayoutName> names;
        QVERIFY(store.list(&names));
        QVERIFY(names.size() >= 2);
        qint64 active = 0;
        QVERIFY(store.activeId(&active));
        QCOMPARE(active, names[0].id);
        for (const char* sheet : {"A4 12面", "A4 24面"}) {
            const LabelLayout l = seededLayout(s, u(sheet));
            QVERIFY2(l.problem().isEmpty(), qPrintable(l.problem()));
            for (int e = 0; e < kLabelElementCount; ++e)
                QVERIFY(l.elements[static_cast<size_t>(e)].row <= l.maxRow(static_cast<LabelElement>(e)));
        }
        QCOMPARE(seededLayout(s, u("A4 24面")).labelsPerSheet(), 24);  // A4 12面: tst_labelforms' layout test

        // New: "<新規>" after the others, from the geometry on the screen.
        LabelLayout shown = seededLayout(s, u("A4 24面"));
        const qint64 id = store.create(shown);
        QVERIFY2(id > 0, qPrintable(store.errorString()));
        QVERIFY(store.list(&names));
        QCOMPARE(names.last().id, id);
        QCOMPARE(names.last().name, u("<新規>"));
        LabelLayout made;
        bool found = false;
        QVERIFY(store.load(id, &made, &found) && found);
        QCOMPARE(made.columns, 3);
        QCOMPARE(made.spacing, shown.spacing);

        // Save writes every column and names it in ACT_DM.
        made.name = u("自社用 12面 'テスト'");
        made.columns = 2;
        made.rows = 5;
        made.spacing = {10.25, 11, 12, 13, 1.5, 2.5, 90.1, 50.2};
        made.element(LabelElement::Name) = {7, 8, 16, u("ＭＳ ゴシック")};
        made.element(LabelElement::Post).column = 2;
        QVERIFY(store.save(made, &found) && found);
        LabelLayout back;
        QVERIFY(store.load(id, &back, &found) && found);
        QCOMPARE(back.name, made.name);
        QCOMPARE(back.columns, 2);
        QCOMPARE(back.rows, 5);
        QCOMPARE(back.spacing, made.spacing);
        QVERIFY(back.elements == made.elements);
        QVERIFY(store.activeId(&active));
        QCOMPARE(active, id);
        {
            Recordset act(s, DbFile::AnotherOption);
            QVERIFY(act.open(u("ACT_DM")));
            QCOMPARE(act.recordCount(), 1);
            QCOMPARE(act.text(u("DM_NAME")), made.name);
        }

        // Deleting down to the last layout is tst_labelforms' layoutIsEditedOnThePreviewAndSaved.
        // A row gone from another computer is reported, not recreated.
        LabelLayout gone = made;
        gone.id = 9999;
        QVERIFY(store.save(gone, &found));
        QVERIFY(!found);
    }
};

QTEST_GUILESS_MAIN(TestLabels)

#include "tst_labels.moc"
