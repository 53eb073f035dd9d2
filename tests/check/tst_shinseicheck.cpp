#include "BoxFit.h"
#include "PostalLookup.h"
#include "ShinseiCheck.h"
#include "TestSupport.h"

#include <QFile>
#include <QtTest>

#include <functional>

using namespace ShinseiCheck;

namespace {

QString u(const char* text)
{
    return QString::fromUtf8(text);
}

// A building as an office enters it: use, structure, storeys, area.
BuildingFacts building(const char* use, Material m, int above, double total, double height = 0)
{
    BuildingFacts b;
    b.useCode = QString::fromLatin1(use);
    b.material = m;
    b.aboveGround = above;
    b.storeys = above;
    b.totalArea = total;
    b.workArea = total;
    b.height = height > 0 ? height : 3.5 * above;
    b.eaves = b.height - 1;
    b.specialArea = specialUse(b.useCode) ? total : 0;
    b.residential = b.useCode == QLatin1String("08010");
    return b;
}

BuildingFacts extension(BuildingFacts b, double existing)
{
    b.newBuilding = false;
    b.workArea = b.totalArea;
    b.totalArea += existing;
    b.specialArea = specialUse(b.useCode) ? b.totalArea : 0;
    return b;
}

// A complete one-building project: a two-storey wooden house of 120 ㎡ on
// a site of 150 ㎡ in Shinjuku, works from May 2025.
ProjectData goodProject()
{
    ProjectData p;
    p.bid = 1;
    p.buildingCount = 1;
    put(p.gaiyou, {{"Name7", "山田太郎"}, {"Post6", "160-0023"}, {"Addr6", "東京都新宿区西新宿二丁目8番1号"},
                   {"Name2", "設計一郎"}, {"Kyu2", "二級"}, {"Gou2", "12345"}, {"Name1", "設計事務所"}, {"Gou1", "67890"},
                   {"Name3", "監理次郎"}, {"Kyu3", "一級"}, {"Gou3", "300001"}, {"Name5", "代理三郎"}, {"Gou5", "11111"},
                   {"Tekihan3", 1}, {"Shoene1", 1}, {"ShoeneKikan", "新宿区"}});
    put(p.inin, {{"Inin1", 1}});
    put(p.shikichi, {{"Tiban", "新宿区西新宿二丁目8番1"}, {"Tosi1", 1}, {"Tosi2", 1}, {"Bou2", 1}, {"Size5", "150.00"},
                     {"Size17", "150"}, {"Par1", "200"}, {"Par5", "60"}, {"Kubun", "08010"}, {"Shubetu1", 1},
                     {"Men1", "60.50"}, {"Men3", "60.50"}, {"Par11", "40.33"}, {"Men4", "120.00"}, {"Men6", "120.00"},
                     {"Par12", "80.00"}, {"Taka1", "8.5"}, {"Kai1", "2"}, {"Day1", "2025/05/01"},
                     {"Day3", "令和7年7月1日"}, {"Day2", "2025/10/31"}, {"Kin1", "2,500"}});
    put(p.kouji, {{"ShuyouCHK1", 1}});
    put(p.buildings[0], {{"Kubun30", "08010"}, {"Zou31", "木造"}, {"Kai30", "2"}, {"Takasa30", "8.5"}, {"Takasa31", "6.2"},
                         {"shubetu31", 1}, {"Umu41", 1}, {"Kai40", "1階"}, {"Kai41", "2階"}, {"Men40", "65.00"},
                         {"Men43", "55.00"}, {"Men58", "120.00"}, {"Men60", "120.00"}});
    return p;
}

QStringList idsOf(const Report& r, Severity atLeast = Severity::Info)
{
    QStringList ids;
    for (const Finding& f : r.findings)
        if (static_cast<int>(f.severity) <= static_cast<int>(atLeast))
            ids << f.ruleId;
    return ids;
}

using Change = std::function<void(ProjectData&)>;

}  // namespace

Q_DECLARE_METATYPE(ShinseiCheck::BuildingFacts)
Q_DECLARE_METATYPE(ShinseiCheck::RuleSet)
Q_DECLARE_METATYPE(ShinseiCheck::ReviewItem)
Q_DECLARE_METATYPE(ShinseiCheck::Architect)
Q_DECLARE_METATYPE(Change)

class TestShinseiCheck : public QObject {
    Q_OBJECT

private slots:
    // Each case names the article its conclusion rests on.
    void classification_data()
    {
        QTest::addColumn<BuildingFacts>("facts");
        QTest::addColumn<RuleSet>("rules");
        QTest::addColumn<ReviewItem>("item");
        QTest::addColumn<bool>("exemption");
        QTest::addColumn<bool>("calculation");
        QTest::addColumn<bool>("suitability");
        QTest::addColumn<Architect>("architect");
        QTest::addColumn<QString>("basis");

        const RuleSet now = RuleSet::From2025, before = RuleSet::Before2025;
        const auto W = Material::Wood, S = Material::Steel, RC = Material::Concrete, CB = Material::Masonry;
        using I = ReviewItem;
        const auto Mk = Architect::Mokuzo, Nk = Architect::Nikyu, Ik = Architect::Ikkyu, Any = Architect::Anyone;
        // needs: E 審査の特例, C 構造計算, S 構造計算適合性判定.
        auto row = [](const char* name, const BuildingFacts& f, RuleSet rules, ReviewItem item, Architect architect,
                      const char* basis, const char* needs = "") {
            const QByteArray n(needs);
            QTest::newRow(name) << f << rules << item << n.contains('E') << n.contains('C') << n.contains('S') << architect
                                << u(basis);
        };
        row("木造2階 120㎡ 専用住宅", building("08010", W, 2, 120), now, I::Item2, Mk, "建築基準法第6条第1項第2号");
        row("木造平屋 180㎡ 住宅", building("08010", W, 1, 180), now, I::Item3, Mk, "建築基準法第6条第1項第3号", "E");
        row("木造平屋 250㎡ 住宅", building("08010", W, 1, 250), now, I::Item2, Mk, "建築基準法第6条第1項第2号");
        row("木造平屋 90㎡ 住宅", building("08010", W, 1, 90), now, I::Item3, Any, "建築基準法第6条第1項第3号", "E");
        row("木造3階建て 150㎡ 住宅", building("08010", W, 3, 150, 9.8), now, I::Item2, Nk, "建築基準法第6条第1項第2号", "C");
        row("物販店舗 S造平屋 250㎡", building("08450", S, 1, 250), now, I::Item1, Nk, "建築基準法第6条第1項第1号", "C");
        row("事務所 RC 2階 400㎡", building("08470", RC, 2, 400), now, I::Item2, Ik, "建築士法第3条第1項第3号", "C");
        row("増築で200㎡を超える 木造平屋", extension(building("08010", W, 1, 60), 150), now, I::Item2, Any, "建築基準法第6条第1項第2号");
        row("増築後も200㎡以下 木造平屋", extension(building("08010", W, 1, 50), 120), now, I::Item3, Any, "建築基準法第6条の4第1項第3号", "E");
        BuildingFacts small = extension(building("08010", W, 1, 8), 120);
        row("防火地域外の8㎡の増築", small, now, I::NotRequired, Any, "建築基準法第6条第2項");
        small.fireZone = true;
        row("準防火地域内の8㎡の増築", small, now, I::Item3, Any, "建築基準法第6条第1項第3号", "E");
        BuildingFacts outside = building("08010", W, 1, 100);
        outside.planningArea = false;
        row("都市計画区域外 木造平屋 100㎡", outside, now, I::NotRequired, Any, "建築基準法第6条第1項");
        outside = building("08010", W, 2, 120);
        outside.planningArea = false;
        row("都市計画区域外 木造2階", outside, now, I::Item2, Mk, "建築基準法第6条第1項第2号");
        row("木造平屋 350㎡ 倉庫", building("08520", W, 1, 350), now, I::Item1, Nk, "建築基準法第20条第1項第3号", "C");
        row("木造4階建て 事務所", building("08470", W, 4, 480, 14), now, I::Item2, Ik, "建築基準法第20条第1項第2号", "CS");
        row("RC 7階 24m 共同住宅", building("08030", RC, 7, 1800, 24), now, I::Item1, Ik, "建築基準法第20条第1項第2号", "CS");
        row("S造4階 事務所", building("08470", S, 4, 900, 15), now, I::Item2, Ik, "建築基準法第20条第1項第2号", "CS");
        row("高さ65m 事務所", building("08470", S, 16, 20000, 65), now, I::Item2, Ik, "建築基準法第20条第1項第1号", "C");
        row("木造2階 病院 600㎡", building("08270", W, 2, 600), now, I::Item1, Ik, "建築士法第3条第1項第1号", "C");
        row("木造2階 事務所 1100㎡", building("08470", W, 2, 1100), now, I::Item2, Ik, "建築士法第3条第1項第4号", "C");
        row("CB造平屋 40㎡ 倉庫", building("08520", CB, 1, 40), now, I::Item3, Nk, "建築士法第3条の2第1項", "E");
        // The rules before 2025-04-01.
        row("改正前 木造2階 120㎡ 住宅", building("08010", W, 2, 120), before, I::Item4, Mk, "建築基準法第6条第1項第4号（改正前）", "E");
        row("改正前 木造平屋 250㎡ 住宅", building("08010", W, 1, 250), before, I::Item4, Mk, "建築基準法第6条の4第1項第3号（改正前）", "E");
        row("改正前 木造3階建て 住宅", building("08010", W, 3, 150, 9.8), before, I::Item2, Nk, "建築基準法第6条第1項第2号（改正前）", "C");
        row("改正前 RC 2階 事務所 300㎡", building("08470", RC, 2, 300), before, I::Item3, Nk, "建築基準法第20条第1項第3号（改正前）", "C");
        row("改正前 木造平屋 350㎡ 倉庫", building("08520", W, 1, 350), before, I::Item1, Nk, "建築基準法第20条第1項第4号（改正前）");
        BuildingFacts eaves = building("08010", W, 2, 160, 12);
        eaves.eaves = 9.5;
        row("改正前 木造2階 軒の高さ9.5m", eaves, before, I::Item2, Ik, "建築士法第3条第1項第2号（改正前）", "CS");
    }
    void classification()
    {
        QFETCH(BuildingFacts, facts);
        QFETCH(RuleSet, rules);
        QFETCH(ReviewItem, item);
        QFETCH(bool, exemption);
        QFETCH(bool, calculation);
        QFETCH(bool, suitability);
        QFETCH(Architect, architect);
        QFETCH(QString, basis);
        const Classification c = classify(facts, rules);
        QCOMPARE(c.item, item);
        QCOMPARE(c.exemption, exemption);
        QCOMPARE(c.calculation, calculation);
        QCOMPARE(c.suitability, suitability);
        QCOMPARE(c.architect, architect);
        const QStringList bases{c.itemBasis, c.exemptionBasis, c.structureBasis, c.suitabilityBasis, c.architectBasis};
        QVERIFY2(bases.join(u(" / ")).contains(basis), qPrintable(bases.join(u(" / "))));
    }

    void ruleSetFollowsTheStartOfWorks()
    {
        QCOMPARE(ruleSetFor(QDate(2025, 3, 31)), RuleSet::Before2025);
        QCOMPARE(ruleSetFor(QDate(2025, 4, 1)), RuleSet::From2025);
        QCOMPARE(ruleSetFor(QDate()), RuleSet::From2025);
        ProjectData p = goodProject();
        p.shikichi[u("Day1")] = u("令和7年3月1日");
        p.shikichi[u("Day3")] = QVariant();
        const Report r = check(p, {});
        QCOMPARE(r.ruleSet, RuleSet::Before2025);
        QCOMPARE(r.buildings.value(0).item, ReviewItem::Item4);
        // Energy: a house is no 適合性判定 before the reform, and is after it.
        QVERIFY(!r.buildings.value(0).energyReview);
        QVERIFY(check(goodProject(), {}).buildings.value(0).energyReview);
    }

    // Every number and completeness rule: silent on the complete project,
    // raised by one typical fault.
    void numbersAndCompleteness_data()
    {
        QTest::addColumn<Change>("change");
        auto g = [](const char* c, QVariant v) { return Change([c, v](ProjectData& p) { p.gaiyou[u(c)] = v; }); };
        auto s = [](const char* c, QVariant v) { return Change([c, v](ProjectData& p) { p.shikichi[u(c)] = v; }); };
        auto b = [](const char* c, QVariant v) { return Change([c, v](ProjectData& p) { p.buildings[0][u(c)] = v; }); };
        QTest::newRow("CL-START") << s("Day1", QVariant());
        QTest::newRow("N-FLOOR-SUM") << b("Men43", u("56.00"));
        QTest::newRow("N-SITE-SUM") << s("Men4", u("125.00"));
        QTest::newRow("N-FLOOR-USE") << Change([](ProjectData& p) { p.floors[0][u("F1Men60")] = u("60.00"); });
        QTest::newRow("N-COVERAGE") << Change([](ProjectData& p) { put(p.shikichi, {{"Men1", "90.01"}, {"Men3", "90.01"}}); });
        QTest::newRow("N-FAR") << s("Par1", u("50"));
        QTest::newRow("N-RATIO-LIMIT") << s("Par5", QVariant());
        QTest::newRow("N-RATIO-SHOWN") << s("Par11", u("45.00"));
        QTest::newRow("N-HEIGHT") << b("Takasa31", u("9.0"));
        QTest::newRow("N-STOREYS") << b("Kai30", u("3"));
        QTest::newRow("N-STOREYS 第五面") << Change([](ProjectData& p) { p.floors[2][u("F1Takasa")] = u("2.9"); });
        QTest::newRow("N-SITE-BUILDING") << s("Taka1", u("9.5"));
        QTest::newRow("N-DATE-FORMAT") << s("Day3", u("来年の夏"));
        QTest::newRow("N-DATES") << s("Day3", u("2025/11/30"));
        QTest::newRow("D-OWNER") << g("Name7", QVariant());
        QTest::newRow("D-DESIGNER") << g("Gou2", u(""));
        QTest::newRow("D-OFFICE") << g("Gou1", QVariant());
        QTest::newRow("D-ARCH-CLASS") << Change([](ProjectData& p) {
            p.gaiyou[u("Kyu2")] = u("木造");
            p.buildings[0][u("Zou31")] = u("鉄骨造");
        });
        QTest::newRow("D-SUPERVISOR") << g("Name3", QVariant());
        QTest::newRow("D-TEKIHAN") << g("Tekihan3", 0);
        QTest::newRow("D-TEKIHAN 4階") << Change([](ProjectData& p) { put(p.buildings[0], {{"Kai30", "4"}, {"Takasa30", "13"}}); });
        QTest::newRow("D-SHOENE") << Change([](ProjectData& p) { put(p.gaiyou, {{"Shoene1", 0}, {"Shoene3", 1}}); });
        QTest::newRow("D-TOKUREI") << b("Umu40", 1);
        QTest::newRow("D-SITE") << s("Tiban", QVariant());
        QTest::newRow("D-BUILDING") << b("Zou31", QVariant());
        QTest::newRow("D-AGENT") << g("Name5", QVariant());
        QTest::newRow("D-NOTICE") << Change([](ProjectData& p) { p.kouji[u("ShuyouCHK1")] = 0; });
        QTest::newRow("D-NOTICE 工事費") << s("Kin1", QVariant());
        QTest::newRow("D-REMOVAL") << Change([](ProjectData& p) { put(p.kouji, {{"JokyoChk2", 1}, {"Seko1", "解体工業株式会社"}}); });
        QTest::newRow("D-INSPECTION") << Change([](ProjectData& p) {  // works started before the certificate
            put(p.kanryou, {{"Gou2", "R07確認建築新宿000123"}, {"Day1", "2025/04/20"}, {"Day2", "2025/04/10"}});
        });
    }
    void numbersAndCompleteness()
    {
        QFETCH(Change, change);
        const QString id = QString::fromUtf8(QTest::currentDataTag()).section(u' ', 0, 0);  // the rule, then what varies
        const Report good = check(goodProject(), {});
        QVERIFY2(idsOf(good, Severity::Warning).isEmpty(), qPrintable(idsOf(good, Severity::Warning).join(u(" "))));
        QCOMPARE(good.count(Severity::Error), 0);
        ProjectData p = goodProject();
        change(p);
        const Report bad = check(p, {});
        QVERIFY2(idsOf(bad).contains(id), qPrintable(idsOf(bad, Severity::Warning).join(u(" "))));
        const Rule* r = rule(id);
        QVERIFY(r);
        for (const Finding& f : bad.findings)
            if (f.ruleId == id) {
                QVERIFY(!f.field.isEmpty());
                QVERIFY(!f.message.isEmpty());
                QCOMPARE(f.severity, r->severity);
            }
    }

    // Ratios from the unrounded areas, limits weighted by the zones' site areas.
    void ratiosOverSeveralZones()
    {
        ProjectData p = goodProject();
        // 100 ㎡ at 60 % and 50 ㎡ at 80 %: 100 ㎡ of building area allowed.
        put(p.shikichi, {{"Size6", "50.00"}, {"Par2", "300"}, {"Par6", "80"}, {"Size5", "100.00"}, {"Size17", "150"},
                         {"Par11", QVariant()}, {"Men1", "100.004"}, {"Men3", "100.004"}});
        QVERIFY(!idsOf(check(p, {})).contains(u("N-COVERAGE")));
        put(p.shikichi, {{"Men1", "100.006"}, {"Men3", "100.006"}});
        const Report r = check(p, {});
        QVERIFY(idsOf(r).contains(u("N-COVERAGE")));
        for (const Finding& f : r.findings)
            if (f.ruleId == u("N-COVERAGE"))  // areas truncated as the forms print them
                QVERIFY2(f.message.contains(u("100.00㎡")) && f.message.contains(u("66.66％")), qPrintable(f.message));
    }

    // Postal codes against the table, texts against the printed boxes.
    void postalCodesAndBoxes()
    {
        TempAppDir app;
        QVERIFY(app.isValid());
        PostalLookup postal(app.storage());
        ProjectData p = goodProject();
        QVERIFY(!idsOf(check(p, {&postal, nullptr})).contains(u("D-POSTAL")));
        p.gaiyou[u("Post6")] = u("100-0001");
        QVERIFY(idsOf(check(p, {&postal, nullptr})).contains(u("D-POSTAL")));

        BoxFit fit;
        QString error;
        QVERIFY2(fit.load(QStringLiteral(SD_TEMPLATE_PATH), &error), qPrintable(error));
        QVERIFY(fit.knows(u("GAIYOU"), u("Name7")));
        p = goodProject();
        QVERIFY(!idsOf(check(p, {nullptr, &fit})).contains(u("D-FIT")));
        p.gaiyou[u("Name7")] = u("株式会社").repeated(60);
        const QStringList ids = idsOf(check(p, {nullptr, &fit}));
        QVERIFY2(ids.contains(u("D-FIT")) || ids.contains(u("D-FIT-ANNEX")), qPrintable(ids.join(u(" "))));
    }

    // README's table is the one `check --rules` prints from the rule table.
    void readmeListsEveryRule()
    {
        QFile readme(QStringLiteral(SD_SOURCE_DIR "/README.md"));
        QVERIFY(readme.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(readme.readAll());
        for (const Rule& r : rules())
            QVERIFY2(text.contains(QStringLiteral("| %1 |").arg(QLatin1String(r.id))), r.id);
        QVERIFY2(text.contains(rulesMarkdown()), "README.md: regenerate the table with `shinseidesk-cli check --rules`");
    }
};

QTEST_GUILESS_MAIN(TestShinseiCheck)
#include "tst_shinseicheck.moc"
