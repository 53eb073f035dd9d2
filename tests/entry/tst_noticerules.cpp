#include "BusinessRules.h"
#include "FlagRules.h"

#include <QtTest>

// The rules of the construction-notice boxes and of the business record's
// cost totals, without any window.
class TestNoticeRules : public QObject {
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
    static QStringList tickedOf(const FlagState& s, const QString& prefix)
    {
        QStringList out;
        for (auto it = s.checked.cbegin(); it != s.checked.cend(); ++it)
            if (it.value() && it.key().startsWith(prefix))
                out << it.key();
        out.sort();
        return out;
    }
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

QTEST_GUILESS_MAIN(TestNoticeRules)
#include "tst_noticerules.moc"
