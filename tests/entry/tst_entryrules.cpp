#include "BuildingRules.h"
#include "BusinessRules.h"
#include "FieldTable.h"
#include "FlagRules.h"
#include "NumberText.h"
#include "SiteRules.h"

#include <QtTest>

// The rules of the entry windows that need no widget, the construction
// notice's boxes and the business record's cost totals among them.
class TestEntryRules : public QObject {
    Q_OBJECT

private:
    static QString u(const char* s) { return QString::fromUtf8(s); }

    static FlagState ticked(const QStringList& on)
    {
        FlagState s;
        for (const QString& c : on)
            s.checked.insert(c, true);
        return s;
    }
    static QStringList tickedOf(const FlagState& s)
    {
        QStringList out;
        for (auto it = s.checked.cbegin(); it != s.checked.cend(); ++it)
            if (it.value())
                out << it.key();
        out.sort();
        return out;
    }
    static std::array<QString, BusinessRules::kCostItems> amounts(const QStringList& texts)
    {
        std::array<QString, BusinessRules::kCostItems> a;
        for (int i = 0; i < texts.size() && i < BusinessRules::kCostItems; ++i)
            a[i] = texts[i];
        return a;
    }

private slots:
    void numberFormats_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("decimal");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("normalized");
        QTest::newRow("grouping and two decimals") << "1234.5" << "1,234.50" << "1,235" << "1234.50";
        QTest::newRow("point at the end") << "1." << "1.00" << "1" << "1.00";
        QTest::newRow("point first") << ".5" << "0.50" << "1" << "0.50";
        QTest::newRow("already formatted") << "1,234.50" << "1,234.50" << "1,235" << "1234.50";
        QTest::newRow("rounds half away from zero") << "0.125" << "0.13" << "0" << "0.13";
        QTest::newRow("carry into the whole part") << "999.999" << "1,000.00" << "1,000" << "1000.00";
        QTest::newRow("negative") << "-1234567.891" << "-1,234,567.89" << "-1,234,568" << "-1234567.89";
        QTest::newRow("leading zeros") << "007" << "7.00" << "7" << "7.00";
        QTest::newRow("empty stays empty") << "" << "" << "" << "";
        QTest::newRow("not a number stays") << "12.5.3" << "12.5.3" << "12.5.3" << "12.5.3";
    }
    void numberFormats()
    {
        QFETCH(QString, typed);
        QFETCH(QString, decimal);
        QFETCH(QString, amount);
        QFETCH(QString, normalized);
        QCOMPARE(NumberText::formatDecimal(typed), decimal);
        QCOMPARE(NumberText::formatAmount(typed), amount);
        QCOMPARE(NumberText::normalized(typed), normalized);
    }

    void readingTakesTheLeadingNumberOfTheNormalizedText()
    {
        QCOMPARE(NumberText::read(u("1,234.50")), 1234.5);
        QCOMPARE(NumberText::read(u("")), 0.0);
        QCOMPARE(NumberText::read(u("abc")), 0.0);
        QCOMPARE(NumberText::read(u("12.5.3")), 12.5);  // not a number: the leading part counts
        QCOMPARE(NumberText::read(u("-3")), -3.0);
        QCOMPARE(NumberText::read(u("0.125")), 0.13);  // read after rounding to two places
        QCOMPARE(NumberText::leadingNumber(u("  42m")), 42.0);
        QCOMPARE(NumberText::leadingNumber(u("-.5")), -0.5);
        QCOMPARE(NumberText::leadingNumber(u("-")), 0.0);
        QCOMPARE((QStringList{NumberText::plainText(100.0), NumberText::plainText(0.1 + 0.2), NumberText::plainText(123.5),
                              NumberText::decimalText(0.1 + 0.2)}),
                 (QStringList{u("100"), u("0.3"), u("123.5"), u("0.30")}));
    }

    // Letters, blanks, slashes, a point in a digits-only field and the
    // grouping comma are tst_shikichiform's numericFiltersAndFormats.
    void filtersFindTheFirstDisallowedCharacter()
    {
        using NumberText::Filter;
        QCOMPARE(NumberText::firstRejected(u("-12.5"), Filter::Decimal), -1);
        QCOMPARE(NumberText::firstRejected(u("1-2"), Filter::Decimal), 1);
        QCOMPARE(NumberText::firstRejected(u("１2"), Filter::Decimal), 0);  // full-width digit
        QCOMPARE(NumberText::firstRejected(u("あ"), Filter::Decimal), 0);
        QCOMPARE(NumberText::firstRejected(u("0123"), Filter::Digit), -1);
        QCOMPARE(NumberText::firstRejected(u("-1"), Filter::Digit), 0);
        QCOMPARE(NumberText::firstRejected(QString(), Filter::Digit), -1);
    }

    void siteSumsAndRatios()
    {
        const QString site = SiteRules::sumText({u("100.50"), u("200.00"), QString(), QString()});
        QCOMPARE(site, u("300.5"));
        QCOMPARE(SiteRules::sumText({u("50"), u("50")}), u("100"));
        QCOMPARE(SiteRules::sumText({QString(), QString()}), u("0"));
        QCOMPARE(SiteRules::coverageRatio(u("150.25"), site), u("50.00"));
        QCOMPARE(SiteRules::floorAreaRatio(u("120.00"), u("30.00"), site), u("49.92"));
        QCOMPARE(SiteRules::floorAreaRatio(u("1,200.00"), u("300"), u("1,000")), u("150.00"));
        // No site area yet, or a nonsensical one: 0.
        QCOMPARE(SiteRules::coverageRatio(u("150.25"), QString()), u("0.00"));
        QCOMPARE(SiteRules::coverageRatio(u("150.25"), u("-10")), u("0.00"));
    }

    void datesAsOfficesTypeThem_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("date");
        QTest::newRow("slashes") << "2005/1/20" << QDate(2005, 1, 20);
        QTest::newRow("padded") << "2005/01/20" << QDate(2005, 1, 20);
        QTest::newRow("hyphens") << "2005-01-20" << QDate(2005, 1, 20);
        QTest::newRow("kanji") << "2005年1月20日" << QDate(2005, 1, 20);
        QTest::newRow("full width") << "２００５／０１／２０" << QDate(2005, 1, 20);
        QTest::newRow("two-digit year") << "05/1/20" << QDate(2005, 1, 20);
        QTest::newRow("heisei") << "平成17年1月20日" << QDate(2005, 1, 20);
        QTest::newRow("heisei letter") << "H17.1.20" << QDate(2005, 1, 20);
        QTest::newRow("reiwa first year") << "令和元年5月1日" << QDate(2019, 5, 1);
        QTest::newRow("reiwa letter") << "R1/5/1" << QDate(2019, 5, 1);
        QTest::newRow("showa") << "昭和64年1月7日" << QDate(1989, 1, 7);
        QTest::newRow("no such day") << "2005/2/30" << QDate();
        // Forms printed before the change of era still say 平成: the day is clear.
        QTest::newRow("heisei after its end") << "平成31年5月1日" << QDate(2019, 5, 1);
        QTest::newRow("words") << "来年の春" << QDate();
        QTest::newRow("empty") << "" << QDate();
    }
    void datesAsOfficesTypeThem()
    {
        QFETCH(QString, text);
        QFETCH(QDate, date);
        QCOMPARE(SiteRules::parseDate(text), date);
    }

    void constructionPeriod()
    {
        using SiteRules::PeriodResult;
        auto period = [](const char* a, const char* b) { return SiteRules::constructionPeriod(u(a), u(b)); };
        QCOMPARE(period("2005/01/20", "2005/03/10").text, u("1ヶ月18日"));  // February 2005: 28 − 20 + 10
        QCOMPARE(period("2005/04/01", "2006/06/01").text, u("1年2ヶ月"));
        QCOMPARE(period("2004/01/20", "2004/03/10").text, u("1ヶ月19日"));  // leap year
        QCOMPARE(period("2005/04/10", "2005/04/25").text, u("15日"));
        QCOMPARE(period("2005/04/01", "2007/04/01").text, u("2年"));
        QCOMPARE(period("2005/01/31", "2005/03/01").text, u("1ヶ月1日"));  // never a negative day count
        const PeriodResult same = period("2005/04/10", "2005/04/10");
        QVERIFY(same.ok);
        QCOMPARE(same.text, QString());

        const PeriodResult reversed = period("2005/05/01", "2005/04/01");
        QVERIFY(!reversed.ok);
        QCOMPARE(reversed.focus, PeriodResult::Focus::Start);
        QCOMPARE(period("2005/04/01", "いつか").focus, PeriodResult::Focus::Completion);
        QCOMPARE(period("いつか", "いつか").focus, PeriodResult::Focus::Completion);
        QCOMPARE(period("いつか", "2005/04/01").focus, PeriodResult::Focus::Start);
        QCOMPARE(period("", "2005/04/01").focus, PeriodResult::Focus::None);  // an empty field gets no focus
        QCOMPARE(period("2005/04/01", "").focus, PeriodResult::Focus::None);
        QVERIFY(!period("", "").ok);
    }

    void floorNamesAndCounts()
    {
        auto names = [](const char* above, const char* below) {
            const auto n = BuildingRules::floorNames(u(above), u(below));
            return QStringList(n.begin(), n.end());
        };
        QCOMPARE(names("3", "1"), (QStringList{u("B1"), u("1F"), u("2F"), u("3F"), QString(), QString()}));
        QCOMPARE(names("5", "2"), (QStringList{u("B2"), u("B1"), u("1F"), u("2F"), u("3F"), u("4F")}));
        QCOMPARE(names("2", ""), (QStringList{u("1F"), u("2F"), QString(), QString(), QString(), QString()}));
        QCOMPARE(names("", ""), QStringList(6, QString()));
        QCOMPARE(names("0", "0"), QStringList(6, QString()));
        QCOMPARE(names("1", "9"), (QStringList{u("B9"), u("B8"), u("B7"), u("B6"), u("B5"), u("B4")}));

        QCOMPARE(BuildingRules::listedFloors(u("2"), u("1")), 3);
        QCOMPARE(BuildingRules::listedFloors(QString(), QString()), 0);
        QCOMPARE(BuildingRules::listedFloors(u("10"), u("2")), 6);  // never past the six floor slots
    }

    void floorAreaTotals()
    {
        std::array<QString, 6> applied{u("50.00"), u(""), u("1,000.25"), u(""), u(""), u("")};
        std::array<QString, 6> other{u("0"), u(""), u("20"), u(""), u("-5"), u("")};
        const BuildingRules::FloorAreaTotals t = BuildingRules::floorAreaTotals(applied, other);
        // Line 2 has no areas, so no total; line 5's is below zero and not
        // shown. The total of all is the sum of the shown line totals.
        QCOMPARE(QStringList(t.lines.begin(), t.lines.end()) << t.applied << t.other << t.all,
                 (QStringList{"50.00", "", "1,020.25", "", "", "", "1,050.25", "15.00", "1,070.25"}));
        const auto none = BuildingRules::floorAreaTotals({}, {});
        QCOMPARE(none.all, QString());
    }

    // The boxes of a group, clicked in turn: "+X" ticks and "-X" unticks X
    // and lets its group react; "=A,B" names every box left ticked ("=":
    // none); "?X" and "!X" say X can or cannot be used; "~" settles which
    // boxes can be used from the ticked ones, as loading does.
    void boxGroups_data()
    {
        QTest::addColumn<QString>("rules");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("script");
        const auto row = [](const char* name, const char* rules, const char* start, const char* script) {
            QTest::newRow(name) << u(rules) << u(start) << u(script);
        };
        row("city planning", "site", "",
            "+Tosi3 =Tosi1,Tosi3 +Tosi2 =Tosi1,Tosi2 +Tosi6 =Tosi6 +Tosi1 =Tosi1,Tosi2 -Tosi1 =");  // 市街化区域 by default
        row("another planning kind", "site", "Tosi1 Tosi4", "+Tosi5 =Tosi5");
        row("kind of work", "site", "shubetu3 shubetu5",
            "+Shubetu1 =Shubetu1 !shubetu2 !shubetu7 -Shubetu1 ?shubetu2 ?shubetu7 +shubetu2 +shubetu4 =shubetu2,shubetu4");
        row("exceptions", "site", "Umu1 Kubun11", "+Umu2 =Umu2 !Kubun10 +Umu1 =Umu1 ?Kubun10 ?Kubun12");
        row("stored site boxes", "site", "Shubetu1 Umu2", "~ !shubetu4 !Kubun12 ?Tosi1");
        row("fire resistance", "building", "",
            "+Taika31 =Taika31,Taika32 +Taika34 =Taika31,Taika34 +Taika30 =Taika30 +Taika35 =Taika31,Taika35 +Taika36 =Taika36");
        row("fire resistance head", "building", "Taika31 Taika33", "-Taika31 =");
        row("toilets", "building", "", "+Ben40 =Ben40,Ben41 +Ben42 =Ben40,Ben42 +Ben44 =Ben44 +Ben41 =Ben40,Ben41 -Ben40 =");
        row("building exceptions", "building", "", "+Umu40 +Umu41 =Umu41 +shubetu33 +shubetu31 =Umu41,shubetu31 !shubetu37");
        // その他 takes every 新設 box away; a head with an item under it keeps the item.
        row("new and other work", "notice", "Betu10 Betu12",
            "+Betu23 =Betu20,Betu23 -Betu20 = +Betu20 =Betu20,Betu22 +Betu10 =Betu10,Betu11 +Betu13 =Betu10,Betu13 -Betu13 =Betu10");
        row("head ticked again", "notice", "Betu10 Betu12", "+Betu10 =Betu10,Betu12");
        row("kinds of housing", "notice", "Shurui20 Shurui21 Shurui30 Shurui33",
            "+Shurui12 =Shurui10,Shurui12 +Shurui11 =Shurui10,Shurui11 +Shurui30 =Shurui30,Shurui31 -Shurui30 = "
            "+Shurui23 =Shurui20,Shurui23");
        row("funds and methods", "notice", "", "+Kin2 +Kin5 =Kin5 +Kouhou1 +Kouhou3 =Kin5,Kouhou3");
        row("uses are not single choices", "notice", "",
            "+YoutoCHK01 +YoutoCHK03 +KouzoCHK11 +RiyouKan1 +RiyouKan2 +JokyoChk1 +JokyoChk2 "
            "=JokyoChk1,JokyoChk2,KouzoCHK11,RiyouKan1,RiyouKan2,YoutoCHK01,YoutoCHK03");
        // The removed building's main use is a group of its own.
        row("main use", "notice", "ShuyouCHK1",
            "+ShuyouCHK2 =ShuyouCHK2 ?Youto2 !Youto0 !Youto1 !Youto3 +ShuyouCHK1 ?Youto0 ?Youto1 !Youto2 ?Youto8 "
            "+ShuyouCHK13 =ShuyouCHK1,ShuyouCHK13 ?Youto9 !Youto7 !Youto72");
        row("stored main use", "notice", "ShuyouCHK3 ShuyouCHK11", "~ ?Youto3 !Youto1 !Youto2 ?Youto72 !Youto9");
    }
    void boxGroups()
    {
        QFETCH(QString, rules);
        QFETCH(QString, start);
        QFETCH(QString, script);
        const FlagRules r = rules == u("site")       ? FlagRules::site()
                            : rules == u("building") ? FlagRules::building()
                                                     : FlagRules::constructionNotice();
        FlagState s = ticked(start.split(u' ', Qt::SkipEmptyParts));
        for (const QString& step : script.split(u' ', Qt::SkipEmptyParts)) {
            const QString column = step.mid(1);
            if (step[0] == u'+' || step[0] == u'-') {
                s.checked.insert(column, step[0] == u'+');
                r.react(column, s);
            } else if (step[0] == u'=') {
                QStringList want = column.split(u',', Qt::SkipEmptyParts);
                want.sort();
                QCOMPARE(tickedOf(s), want);
            } else if (step[0] == u'~') {
                r.settleEnabled(s);
            } else {
                QVERIFY2(s.isEnabled(column) == (step[0] == u'?'), qPrintable(step));
            }
        }
    }

    void fieldTablePlacesRowsAndKeepsOrders()
    {
        FieldTable t;
        t.addTab(u("一"));
        t.addGroup(u("甲"));
        t.add(u("A"), FieldKind::Text).withCaption(u("【Ａ】")).enter(2);
        t.add(u("B"), FieldKind::Decimal).enter(1);
        t.add(u("C"), FieldKind::Decimal).inCell(3).enter(4);
        t.add(u("D"), FieldKind::Flag).flagged(FieldFlag::NewRow);
        t.addTab(u("二"));
        t.addGroup(u("乙"));
        t.add(u("E"), FieldKind::Text).at(2, 1).enter(3);
        t.place();
        QCOMPARE(t.columns(), (QStringList{u("A"), u("B"), u("C"), u("D"), u("E")}));
        // "column row/cell" of each field, then the enter order and each tab's first field.
        QStringList placed;
        for (const char* c : {"A", "B", "C", "D", "E"})
            placed << QStringLiteral("%1 %2/%3").arg(QLatin1String(c)).arg(t.field(u(c))->row).arg(t.field(u(c))->cell);
        for (const FieldDef* f : t.enterOrder())
            placed << f->column;
        QCOMPARE(placed << t.firstOfTab(0) << t.firstOfTab(1), (QStringList{"A 0/0", "B 0/1", "C 0/3", "D 1/0", "E 2/1", "B", "A", "E", "C", "B", "E"}));
        QCOMPARE(t.missingFrom({u("A"), u("B"), u("C"), u("D")}), QStringList{u("E")});
    }

    void storedValuesCompareAsShown()
    {
        // A null column next to typed text or an empty field: tst_shikichiform's applyWritesOnlyTheChangedColumns.
        QVERIFY(!storedDiffers(u("1,234.50"), u("1,234.50"), FieldKind::Decimal));
        QVERIFY(storedDiffers(u("1,234.50"), u("1234.50"), FieldKind::Decimal));
        QVERIFY(!storedDiffers(QVariant(), 0, FieldKind::Flag));
        QVERIFY(storedDiffers(QVariant(), 1, FieldKind::Flag));
        QVERIFY(!storedDiffers(1, u("1"), FieldKind::Flag));
        QCOMPARE(fieldValueOf(QVariant(), FieldKind::Flag), QVariant(0));
    }

    void costTotals()
    {
        using BusinessRules::costTotals;
        // Ttl1 … Ttl6, then Yosan7, Keiy7, Ed7 and Ttl7.
        const auto shown = [](const BusinessRules::CostTotals& t) {
            return QStringList(t.rows.begin(), t.rows.end()) << t.budget << t.contract << t.changes << t.all;
        };
        QCOMPARE(shown(costTotals(amounts({u("1,000"), u("250")}), amounts({u("2,000"), u("")}), amounts({u(""), u("1,234,567")}))),
                 (QStringList{"3,000", "1,234,817", "", "", "", "", "1,250", "2,000", "1,234,567", "1,237,817"}));
        // Nothing entered: every total empty.
        QCOMPARE(shown(costTotals(amounts({}), amounts({}), amounts({}))), QStringList(10, QString()));
        // A reduction alone: its column and its row show nothing, and it
        // takes nothing off the other rows' grand total.
        QCOMPARE(shown(costTotals(amounts({u("800")}), amounts({}), amounts({u(""), u("-500")}))),
                 (QStringList{"800", "", "", "", "", "", "800", "", "", "800"}));
        // A reduction inside a row counts against that row.
        QCOMPARE(shown(costTotals(amounts({u("1,000")}), amounts({}), amounts({u("-300")}))),
                 (QStringList{"700", "", "", "", "", "", "1,000", "", "", "700"}));
        // Amounts with decimals round to whole yen once summed.
        QCOMPARE(costTotals(amounts({u("0.4"), u("0.4")}), amounts({}), amounts({})).budget, u("1"));
    }
};

QTEST_GUILESS_MAIN(TestEntryRules)
#include "tst_entryrules.moc"
