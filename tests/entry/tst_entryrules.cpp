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
    static QStringList tickedOf(const FlagState& s, const QString& prefix = QString())
    {
        QStringList out;
        for (auto it = s.checked.cbegin(); it != s.checked.cend(); ++it)
            if (it.value() && it.key().startsWith(prefix))
                out << it.key();
        out.sort();
        return out;
    }
    // Ticks or unticks a box as the user does and lets its group react.
    static void click(const FlagRules& rules, FlagState& s, const QString& column, bool on)
    {
        s.checked.insert(column, on);
        rules.react(column, s);
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
        QCOMPARE(NumberText::plainText(100.0), u("100"));
        QCOMPARE(NumberText::plainText(0.1 + 0.2), u("0.3"));
        QCOMPARE(NumberText::plainText(123.5), u("123.5"));
        QCOMPARE(NumberText::decimalText(0.1 + 0.2), u("0.30"));
    }

    void filtersFindTheFirstDisallowedCharacter()
    {
        using NumberText::Filter;
        QCOMPARE(NumberText::firstRejected(u("12a.5"), Filter::Decimal), 2);
        QCOMPARE(NumberText::firstRejected(u("-12.5"), Filter::Decimal), -1);
        QCOMPARE(NumberText::firstRejected(u("1-2"), Filter::Decimal), 1);
        QCOMPARE(NumberText::firstRejected(u("1,234.50"), Filter::Decimal), -1);
        QCOMPARE(NumberText::firstRejected(u("1 2"), Filter::Decimal), 1);
        QCOMPARE(NumberText::firstRejected(u("１2"), Filter::Decimal), 0);  // full-width digit
        QCOMPARE(NumberText::firstRejected(u("1/2"), Filter::Decimal), 1);
        QCOMPARE(NumberText::firstRejected(u("あ"), Filter::Decimal), 0);
        QCOMPARE(NumberText::firstRejected(u("0123"), Filter::Digit), -1);
        QCOMPARE(NumberText::firstRejected(u("1.5"), Filter::Digit), 1);
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
        QCOMPARE(t.lines[0], u("50.00"));
        QCOMPARE(t.lines[1], QString());  // no areas: no total
        QCOMPARE(t.lines[2], u("1,020.25"));
        QCOMPARE(t.lines[4], QString());  // a total below zero is not shown
        QCOMPARE(t.applied, u("1,050.25"));
        QCOMPARE(t.other, u("15.00"));
        QCOMPARE(t.all, u("1,070.25"));  // the sum of the shown line totals
        const auto none = BuildingRules::floorAreaTotals({}, {});
        QCOMPARE(none.all, QString());
    }

    void cityPlanningBoxes()
    {
        const FlagRules rules = FlagRules::site();
        FlagState s;
        click(rules, s, u("Tosi3"), true);
        QCOMPARE(tickedOf(s), (QStringList{u("Tosi1"), u("Tosi3")}));
        click(rules, s, u("Tosi2"), true);
        QCOMPARE(tickedOf(s), (QStringList{u("Tosi1"), u("Tosi2")}));
        click(rules, s, u("Tosi6"), true);
        QCOMPARE(tickedOf(s), QStringList{u("Tosi6")});
        click(rules, s, u("Tosi1"), true);  // inside with no kind yet: 市街化区域
        QCOMPARE(tickedOf(s), (QStringList{u("Tosi1"), u("Tosi2")}));
        click(rules, s, u("Tosi1"), false);
        QCOMPARE(tickedOf(s), QStringList());
        s = ticked({u("Tosi1"), u("Tosi4")});
        click(rules, s, u("Tosi5"), true);
        QCOMPARE(tickedOf(s), QStringList{u("Tosi5")});
    }

    void kindOfWorkAndExceptionBoxes()
    {
        const FlagRules site = FlagRules::site();
        FlagState s = ticked({u("shubetu3"), u("shubetu5")});
        click(site, s, u("Shubetu1"), true);
        QCOMPARE(tickedOf(s), QStringList{u("Shubetu1")});
        QVERIFY(!s.isEnabled(u("shubetu2")) && !s.isEnabled(u("shubetu7")));
        click(site, s, u("Shubetu1"), false);
        QVERIFY(s.isEnabled(u("shubetu2")) && s.isEnabled(u("shubetu7")));
        click(site, s, u("shubetu2"), true);
        click(site, s, u("shubetu4"), true);  // other kinds go together
        QCOMPARE(tickedOf(s), (QStringList{u("shubetu2"), u("shubetu4")}));

        s = ticked({u("Umu1"), u("Kubun11")});
        click(site, s, u("Umu2"), true);
        QCOMPARE(tickedOf(s), QStringList{u("Umu2")});
        QVERIFY(!s.isEnabled(u("Kubun10")));
        click(site, s, u("Umu1"), true);
        QCOMPARE(tickedOf(s), QStringList{u("Umu1")});
        QVERIFY(s.isEnabled(u("Kubun10")) && s.isEnabled(u("Kubun12")));

        // Stored boxes settle which boxes can be used, as reacting to each would.
        FlagState stored = ticked({u("Shubetu1"), u("Umu2")});
        site.settleEnabled(stored);
        QVERIFY(!stored.isEnabled(u("shubetu4")));
        QVERIFY(!stored.isEnabled(u("Kubun12")));
        QVERIFY(stored.isEnabled(u("Tosi1")));
    }

    void fireResistanceAndToiletBoxes()
    {
        const FlagRules rules = FlagRules::building();
        FlagState s;
        click(rules, s, u("Taika31"), true);
        QCOMPARE(tickedOf(s), (QStringList{u("Taika31"), u("Taika32")}));
        click(rules, s, u("Taika34"), true);
        QCOMPARE(tickedOf(s), (QStringList{u("Taika31"), u("Taika34")}));
        click(rules, s, u("Taika30"), true);
        QCOMPARE(tickedOf(s), QStringList{u("Taika30")});
        click(rules, s, u("Taika35"), true);
        QCOMPARE(tickedOf(s), (QStringList{u("Taika31"), u("Taika35")}));
        click(rules, s, u("Taika36"), true);
        QCOMPARE(tickedOf(s), QStringList{u("Taika36")});
        s = ticked({u("Taika31"), u("Taika33")});
        click(rules, s, u("Taika31"), false);
        QCOMPARE(tickedOf(s), QStringList());

        click(rules, s, u("Ben40"), true);
        QCOMPARE(tickedOf(s), (QStringList{u("Ben40"), u("Ben41")}));
        click(rules, s, u("Ben42"), true);
        QCOMPARE(tickedOf(s), (QStringList{u("Ben40"), u("Ben42")}));
        click(rules, s, u("Ben44"), true);
        QCOMPARE(tickedOf(s), QStringList{u("Ben44")});
        click(rules, s, u("Ben41"), true);
        QCOMPARE(tickedOf(s), (QStringList{u("Ben40"), u("Ben41")}));
        click(rules, s, u("Ben40"), false);
        QCOMPARE(tickedOf(s), QStringList());

        click(rules, s, u("Umu40"), true);
        click(rules, s, u("Umu41"), true);
        QCOMPARE(tickedOf(s), QStringList{u("Umu41")});
        click(rules, s, u("shubetu33"), true);
        click(rules, s, u("shubetu31"), true);
        QVERIFY(!s.isChecked(u("shubetu33")) && !s.isEnabled(u("shubetu37")));
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
        QCOMPARE(t.field(u("B"))->row, 0);
        QCOMPARE(t.field(u("B"))->cell, 1);
        QCOMPARE(t.field(u("C"))->cell, 3);
        QCOMPARE(t.field(u("D"))->row, 1);
        QCOMPARE(t.field(u("E"))->row, 2);
        QStringList order;
        for (const FieldDef* f : t.enterOrder())
            order << f->column;
        QCOMPARE(order, (QStringList{u("B"), u("A"), u("E"), u("C")}));
        QCOMPARE(t.firstOfTab(0), u("B"));
        QCOMPARE(t.firstOfTab(1), u("E"));
        QCOMPARE(t.missingFrom({u("A"), u("B"), u("C"), u("D")}), QStringList{u("E")});
    }

    void storedValuesCompareAsShown()
    {
        // A null column counts as empty: typed text is written, an empty field is not.
        QVERIFY(storedDiffers(QVariant(), u("x"), FieldKind::Text));
        QVERIFY(!storedDiffers(QVariant(), QString(), FieldKind::Text));
        QVERIFY(!storedDiffers(u("1,234.50"), u("1,234.50"), FieldKind::Decimal));
        QVERIFY(storedDiffers(u("1,234.50"), u("1234.50"), FieldKind::Decimal));
        QVERIFY(!storedDiffers(QVariant(), 0, FieldKind::Flag));
        QVERIFY(storedDiffers(QVariant(), 1, FieldKind::Flag));
        QVERIFY(!storedDiffers(1, u("1"), FieldKind::Flag));
        QCOMPARE(fieldValueOf(QVariant(), FieldKind::Flag), QVariant(0));
    }

    void newAndOtherWorkExcludeEachOther()
    {
        const FlagRules rules = FlagRules::constructionNotice();
        FlagState s = ticked({u("Betu10"), u("Betu12")});
        // その他 改築: every 新設 box goes, その他 is ticked with it.
        click(rules, s, u("Betu23"), true);
        QCOMPARE(tickedOf(s, u("Betu")), (QStringList{u("Betu20"), u("Betu23")}));
        // The head with an item already under it keeps that item.
        click(rules, s, u("Betu20"), false);
        QCOMPARE(tickedOf(s, u("Betu")), QStringList());
        click(rules, s, u("Betu20"), true);
        QCOMPARE(tickedOf(s, u("Betu")), (QStringList{u("Betu20"), u("Betu22")}));
        click(rules, s, u("Betu10"), true);
        QCOMPARE(tickedOf(s, u("Betu")), (QStringList{u("Betu10"), u("Betu11")}));
        click(rules, s, u("Betu13"), true);
        QCOMPARE(tickedOf(s, u("Betu")), (QStringList{u("Betu10"), u("Betu13")}));
        // Unticking an item leaves the head; ticking the head again leaves
        // an item that is already there.
        click(rules, s, u("Betu13"), false);
        QCOMPARE(tickedOf(s, u("Betu")), QStringList{u("Betu10")});
        s = ticked({u("Betu10"), u("Betu12")});
        click(rules, s, u("Betu10"), true);
        QCOMPARE(tickedOf(s, u("Betu")), (QStringList{u("Betu10"), u("Betu12")}));
    }

    void kindsOfHousingKeepOneGroupAndOneItem()
    {
        const FlagRules rules = FlagRules::constructionNotice();
        FlagState s = ticked({u("Shurui20"), u("Shurui21"), u("Shurui30"), u("Shurui33")});
        click(rules, s, u("Shurui12"), true);
        QCOMPARE(tickedOf(s, u("Shurui")), (QStringList{u("Shurui10"), u("Shurui12")}));
        click(rules, s, u("Shurui11"), true);
        QCOMPARE(tickedOf(s, u("Shurui")), (QStringList{u("Shurui10"), u("Shurui11")}));
        // Another group's head: its first item, and nothing of the others.
        click(rules, s, u("Shurui30"), true);
        QCOMPARE(tickedOf(s, u("Shurui")), (QStringList{u("Shurui30"), u("Shurui31")}));
        click(rules, s, u("Shurui30"), false);
        QCOMPARE(tickedOf(s, u("Shurui")), QStringList());
        click(rules, s, u("Shurui23"), true);
        QCOMPARE(tickedOf(s, u("Shurui")), (QStringList{u("Shurui20"), u("Shurui23")}));
    }

    void fundsAndMethodsAreSingleChoicesAndUsesAreNot()
    {
        const FlagRules rules = FlagRules::constructionNotice();
        FlagState s;
        click(rules, s, u("Kin2"), true);
        click(rules, s, u("Kin5"), true);
        QCOMPARE(tickedOf(s, u("Kin")), QStringList{u("Kin5")});
        click(rules, s, u("Kouhou1"), true);
        click(rules, s, u("Kouhou3"), true);
        QCOMPARE(tickedOf(s, u("Kouhou")), QStringList{u("Kouhou3")});
        QCOMPARE(tickedOf(s, u("Kin")), QStringList{u("Kin5")});
        for (const char* c : {"YoutoCHK01", "YoutoCHK03", "KouzoCHK11", "RiyouKan1", "RiyouKan2", "JokyoChk1", "JokyoChk2"})
            click(rules, s, u(c), true);
        QCOMPARE(tickedOf(s, u("YoutoCHK")), (QStringList{u("YoutoCHK01"), u("YoutoCHK03")}));
        QCOMPARE(tickedOf(s, u("RiyouKan")), (QStringList{u("RiyouKan1"), u("RiyouKan2")}));
        QCOMPARE(tickedOf(s, u("JokyoChk")), (QStringList{u("JokyoChk1"), u("JokyoChk2")}));
    }

    void mainUseSwitchesItsUseFields()
    {
        const FlagRules rules = FlagRules::constructionNotice();
        FlagState s = ticked({u("ShuyouCHK1")});
        click(rules, s, u("ShuyouCHK2"), true);
        QCOMPARE(tickedOf(s, u("ShuyouCHK")), QStringList{u("ShuyouCHK2")});
        QVERIFY(s.isEnabled(u("Youto2")));
        for (const char* f : {"Youto0", "Youto1", "Youto3"})
            QVERIFY2(!s.isEnabled(u(f)), f);
        click(rules, s, u("ShuyouCHK1"), true);
        QVERIFY(s.isEnabled(u("Youto0")) && s.isEnabled(u("Youto1")));
        QVERIFY(!s.isEnabled(u("Youto2")));
        // The removed building's group is a group of its own.
        QVERIFY(s.isEnabled(u("Youto8")));
        click(rules, s, u("ShuyouCHK13"), true);
        QCOMPARE(tickedOf(s, u("ShuyouCHK")), (QStringList{u("ShuyouCHK1"), u("ShuyouCHK13")}));
        QVERIFY(s.isEnabled(u("Youto9")) && !s.isEnabled(u("Youto7")) && !s.isEnabled(u("Youto72")));

        FlagState stored = ticked({u("ShuyouCHK3"), u("ShuyouCHK11")});
        rules.settleEnabled(stored);
        QVERIFY(stored.isEnabled(u("Youto3")) && !stored.isEnabled(u("Youto1")) && !stored.isEnabled(u("Youto2")));
        QVERIFY(stored.isEnabled(u("Youto72")) && !stored.isEnabled(u("Youto9")));
    }

    void costTotals()
    {
        using BusinessRules::costTotals;
        BusinessRules::CostTotals t =
            costTotals(amounts({u("1,000"), u("250")}), amounts({u("2,000"), u("")}), amounts({u(""), u("1,234,567")}));
        QCOMPARE(t.rows[0], u("3,000"));
        QCOMPARE(t.rows[1], u("1,234,817"));
        QCOMPARE(t.rows[2], QString());
        QCOMPARE(t.budget, u("1,250"));
        QCOMPARE(t.contract, u("2,000"));
        QCOMPARE(t.changes, u("1,234,567"));
        QCOMPARE(t.all, u("1,237,817"));

        // Nothing entered: every total empty.
        t = costTotals(amounts({}), amounts({}), amounts({}));
        QCOMPARE(t.budget, QString());
        QCOMPARE(t.all, QString());
        for (const QString& r : t.rows)
            QCOMPARE(r, QString());

        // A reduction alone: its column and its row show nothing, and it
        // takes nothing off the other rows' grand total.
        t = costTotals(amounts({u("800")}), amounts({}), amounts({u(""), u("-500")}));
        QCOMPARE(t.changes, QString());
        QCOMPARE(t.rows[1], QString());
        QCOMPARE(t.all, u("800"));
        // A reduction inside a row counts against that row.
        t = costTotals(amounts({u("1,000")}), amounts({}), amounts({u("-300")}));
        QCOMPARE(t.rows[0], u("700"));
        QCOMPARE(t.budget, u("1,000"));
        QCOMPARE(t.changes, QString());
        // Amounts with decimals round to whole yen once summed.
        t = costTotals(amounts({u("0.4"), u("0.4")}), amounts({}), amounts({}));
        QCOMPARE(t.budget, u("1"));
    }
};

QTEST_GUILESS_MAIN(TestEntryRules)
#include "tst_entryrules.moc"
