#include "ShinseiCheck.h"

#include "CheckSupport.h"

#include "BoxFit.h"
#include "PostalLookup.h"
#include "SiteRules.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>

namespace ShinseiCheck {

using namespace detail;

// ------------------------------------------------------------ the check

namespace {

class Checker {
public:
    Checker(const ProjectData& p, const Context& c) : m_p(p), m_c(c) {}

    Report run();

private:
    Finding& add(const char* id, const QString& message, const QString& field = QString(), int building = 0,
                 const QString& table = QString())
    {
        const Rule* r = rule(QLatin1String(id));
        Finding f;
        f.ruleId = QLatin1String(id);
        f.severity = r->severity;
        f.rule = s(r->text);
        f.basis = s(r->basis);
        f.message = message;
        f.table = table.isEmpty() ? QLatin1String(r->table) : table;
        f.field = field.isEmpty() ? QLatin1String(r->field) : field;
        f.building = building;
        f.docs = r->docs;
        m_report.findings.append(f);
        return m_report.findings.last();
    }

    void classification();
    void floorAreas();
    void ratios();
    void heightsAndStoreys();
    void dates();
    void people();
    void reviews();
    void siteAndBuildings();
    void inspection();
    void notices();
    void postalCodes();
    void boxes();

    const ProjectData& m_p;
    const Context& m_c;
    Report m_report;
    QVector<BuildingFacts> m_facts;
};

Report Checker::run()
{
    classification();
    floorAreas();
    ratios();
    heightsAndStoreys();
    dates();
    siteAndBuildings();
    people();
    reviews();
    inspection();
    notices();
    postalCodes();
    boxes();
    return m_report;
}

void Checker::classification()
{
    const QString startText = text(m_p.shikichi, s("Day1"));
    const QDate start = SiteRules::parseDate(startText);
    m_report.ruleSet = ruleSetFor(start);
    if (!start.isValid())
        add("CL-START", startText.isEmpty() ? s("工事着手予定年月日が未入力です。現行の規定で判定しました。")
                                            : s("工事着手予定年月日「%1」を日付として読めません。現行の規定で判定しました。").arg(startText));
    add("CL-RULESET", s("%1で判定しました。").arg(ruleSetName(m_report.ruleSet)));
    const int count = std::clamp(m_p.buildingCount, 1, ProjectTables::kBuildings);
    for (int b = 0; b < count; ++b) {
        BuildingFacts f = factsOf(m_p, b);
        // 構造計算の区分 of the independent parts: a 特定構造計算基準 calls for the review whatever the size.
        bool specified = false;
        for (const RowValues& part : m_p.partsOf(b))
            specified = specified || ticked(part, s("Kijun1")) || ticked(part, s("Keisan2")) || ticked(part, s("Keisan3"))
                        || ticked(part, s("Keisan4")) || (ticked(part, s("Keisan5")) && ticked(part, s("ProgKubun1")));
        Classification c = classify(f, m_report.ruleSet);
        if (specified && !c.suitability) {
            c.suitability = true;
            c.suitabilityText = s("独立部分の構造計算の区分（特定構造計算基準・大臣認定プログラム）により構造計算適合性判定が必要です。");
        }
        m_facts.append(f);
        m_report.buildings.append(c);
        const int n = b + 1;
        const QString who = count > 1 ? s("（%1棟目）").arg(n) : QString();
        add("CL-ITEM", itemName(c.item, c.ruleSet) + s("：") + c.itemText + who, QString(), n).basis = c.itemBasis;
        add("CL-EXEMPT", c.exemptionText + who, QString(), n).basis = c.exemptionBasis;
        add("CL-STRUCT", c.structureText + who, QString(), n).basis = c.structureBasis;
        add("CL-TEKIHAN", c.suitabilityText + who).basis = c.suitabilityBasis;
        add("CL-SHOENE", c.energyText + who).basis = c.energyBasis;
        add("CL-ARCHITECT", c.architectText + who).basis = c.architectBasis;
    }
}

void Checker::floorAreas()
{
    const int count = m_report.buildings.size();
    double appliedAll = 0, totalAll = 0;
    bool anyBuildingArea = false;
    for (int b = 0; b < count; ++b) {
        const RowValues& row = m_p.buildings[b];
        double applied = 0, other = 0;
        bool anyFloor = false;
        for (int i = 0; i < ProjectTables::kFloorSlots; ++i) {
            anyFloor = anyFloor || given(row, col("Men", 40 + 3 * i)) || given(row, col("Men", 41 + 3 * i));
            applied += number(row, col("Men", 40 + 3 * i));
            other += number(row, col("Men", 41 + 3 * i));
        }
        const int n = b + 1;
        if (anyFloor && given(row, s("Men58")) && !same(applied, number(row, s("Men58"))))
            add("N-FLOOR-SUM", s("%1棟目：各階の申請部分の和 %2㎡ ≠ 合計欄 %3㎡")
                                   .arg(n).arg(area(applied), area(number(row, s("Men58")))), s("Men58"), n);
        if (anyFloor && given(row, s("Men59")) && !same(other, number(row, s("Men59"))))
            add("N-FLOOR-SUM", s("%1棟目：各階の申請以外の部分の和 %2㎡ ≠ 合計欄 %3㎡")
                                   .arg(n).arg(area(other), area(number(row, s("Men59")))), s("Men59"), n);
        if (given(row, s("Men60"))
            && !same(number(row, s("Men58")) + number(row, s("Men59")), number(row, s("Men60"))))
            add("N-FLOOR-SUM", s("%1棟目：申請部分と申請以外の部分の和 %2㎡ ≠ 合計 %3㎡")
                                   .arg(n).arg(area(number(row, s("Men58")) + number(row, s("Men59"))),
                                              area(number(row, s("Men60")))), s("Men58"), n);
        anyBuildingArea = anyBuildingArea || given(row, s("Men58")) || anyFloor;
        appliedAll += m_facts[b].workArea;
        totalAll += m_facts[b].totalArea;

        // The per-floor faces' areas by use against the floor's line.
        for (int slot = 0; slot < ProjectTables::kFloorSlots; ++slot) {
            const RowValues& fl = m_p.floors[b * ProjectTables::kFloorSlots + slot];
            double byUse = 0;
            bool any = false;
            for (int u = 60; u <= 65; ++u) {
                any = any || given(fl, col("F1Men", u));
                byUse += number(fl, col("F1Men", u));
            }
            if (!any)
                continue;
            const double line = number(row, col("Men", 40 + 3 * slot)) + number(row, col("Men", 41 + 3 * slot));
            if (!same(byUse, line)) {
                const QString name = text(row, col("Kai", 40 + slot));
                Finding& f = add("N-FLOOR-USE", s("%1棟目 %2：用途別床面積の和 %3㎡ ≠ 第四面の床面積 %4㎡")
                                                    .arg(n).arg(name.isEmpty() ? s("%1行目").arg(slot + 1) : name,
                                                               area(byUse), area(line)),
                                 s("F1Men60"), n);
                f.floor = slot;
            }
        }
    }
    const RowValues& site = m_p.shikichi;
    if (anyBuildingArea && given(site, s("Men4")) && !same(appliedAll, number(site, s("Men4"))))
        add("N-SITE-SUM", s("建築物別の申請部分の和 %1㎡ ≠ 第三面 延べ面積（申請部分）%2㎡")
                              .arg(area(appliedAll), area(number(site, s("Men4")))));
    if (given(site, s("Men6")) && !same(number(site, s("Men4")) + number(site, s("Men5")), number(site, s("Men6"))))
        add("N-SITE-SUM", s("第三面 延べ面積：申請部分と申請以外の部分の和 %1㎡ ≠ 合計 %2㎡")
                              .arg(area(number(site, s("Men4")) + number(site, s("Men5"))), area(number(site, s("Men6")))),
            s("Men5"));
    if (anyBuildingArea && given(site, s("Men6")) && totalAll > number(site, s("Men6")) + 0.005)
        add("N-SITE-SUM", s("建築物別の合計の和 %1㎡ が第三面 延べ面積の合計 %2㎡ を超えています")
                              .arg(area(totalAll), area(number(site, s("Men6")))),
            s("Men5"));
}

void Checker::ratios()
{
    const RowValues& site = m_p.shikichi;
    double siteArea = 0, coverageAllowed = 0, farAllowed = 0;
    bool coverageKnown = true, farKnown = true;
    for (int z = 0; z < 4; ++z) {
        const double a = number(site, col("Size", 5 + z));
        if (a <= 0)
            continue;
        siteArea += a;
        if (!given(site, col("Par", 1 + z))) {
            farKnown = false;
            add("N-RATIO-LIMIT", s("区域%1：容積率が未入力です。").arg(z + 1), col("Par", 1 + z));
        }
        if (!given(site, col("Par", 5 + z))) {
            coverageKnown = false;
            add("N-RATIO-LIMIT", s("区域%1：建蔽率が未入力です。").arg(z + 1), col("Par", 5 + z));
        }
        farAllowed += a * number(site, col("Par", 1 + z)) / 100;
        coverageAllowed += a * number(site, col("Par", 5 + z)) / 100;
    }
    if (siteArea <= 0)
        return;
    // ヘ and ト, where given, are the ratios after 第52条第2項 and 第53条第3項:
    // a figure such as 0.6 or 2.0, read as a percentage when above 20.
    const auto fraction = [](double v) { return v > 20 ? v / 100 : v; };
    if (given(site, s("Par10"))) {
        coverageAllowed = siteArea * fraction(number(site, s("Par10")));
        coverageKnown = true;
    }
    if (given(site, s("Par9"))) {
        farAllowed = siteArea * fraction(number(site, s("Par9")));
        farKnown = true;
    }

    const bool coverageBase = number(site, s("Men20")) + number(site, s("Men21")) > 0;
    const double building = coverageBase ? number(site, s("Men20")) + number(site, s("Men21"))
                                         : number(site, s("Men1")) + number(site, s("Men2"));
    if (coverageKnown && building > coverageAllowed + 0.005)
        add("N-COVERAGE", s("建築面積 %1㎡（建蔽率 %2％）＞ 敷地面積 %3㎡ × %4％ ＝ %5㎡")
                              .arg(area(building), percent(building / siteArea * 100), area(siteArea),
                                   percent(coverageAllowed / siteArea * 100), area(coverageAllowed)),
            coverageBase ? s("Men20") : s("Men1"));

    // The base of 容積率: the whole floor area less the parts that row ロ to ヲ leave out.
    double total = number(site, s("Men4")) + number(site, s("Men5"));
    double excluded = 0;
    for (int first : {7, 23, 10, 26, 13, 29, 32, 35, 38, 41, 44})
        excluded += number(site, col("Men", first)) + number(site, col("Men", first + 1));
    const double base = total - excluded;
    if (farKnown && base > farAllowed + 0.005)
        add("N-FAR", s("容積率の算定の基礎となる延べ面積 %1㎡（容積率 %2％）＞ 敷地面積 %3㎡ × %4％ ＝ %5㎡")
                         .arg(area(base), percent(base / siteArea * 100), area(siteArea),
                              percent(farAllowed / siteArea * 100), area(farAllowed)));

    // The printed ratios, as the site window computes them, against the areas as they are now.
    const QString siteText = given(site, s("Size17")) ? text(site, s("Size17")) : QString::number(siteArea, 'f', 6);
    const QString coverage = SiteRules::coverageRatio(QString::number(building, 'f', 6), siteText);
    if (given(site, s("Par11")) && !same(number(site, s("Par11")), number(coverage)))
        add("N-RATIO-SHOWN", s("建蔽率の欄 %1％ ≠ 面積から計算した %2％").arg(text(site, s("Par11")), coverage),
            coverageBase ? s("Men20") : s("Men1"));
    const QString far = SiteRules::floorAreaRatio(text(site, s("Men4")), text(site, s("Men5")), siteText);
    if (given(site, s("Par12")) && !same(number(site, s("Par12")), number(far)))
        add("N-RATIO-SHOWN", s("容積率の欄 %1％ ≠ 面積から計算した %2％").arg(text(site, s("Par12")), far), s("Men4"));
}

void Checker::heightsAndStoreys()
{
    double highest = 0;
    int most = 0, deepest = 0;
    for (int b = 0; b < m_report.buildings.size(); ++b) {
        const RowValues& row = m_p.buildings[b];
        const int n = b + 1;
        if (given(row, s("Takasa30")) && given(row, s("Takasa31"))
            && number(row, s("Takasa31")) > number(row, s("Takasa30")) + 1e-9)
            add("N-HEIGHT", s("%1棟目：最高の高さ %2m ＜ 最高の軒の高さ %3m")
                                .arg(n).arg(text(row, s("Takasa30")), text(row, s("Takasa31"))), s("Takasa31"), n);
        for (const RowValues& part : m_p.partsOf(b))
            if (given(part, s("Takasa1")) && given(part, s("Takasa2"))
                && number(part, s("Takasa2")) > number(part, s("Takasa1")) + 1e-9)
                add("N-HEIGHT", s("%1棟目 独立部分 %2：最高の高さ %3m ＜ 最高の軒の高さ %4m")
                                    .arg(n).arg(text(part, s("Ban")), text(part, s("Takasa1")), text(part, s("Takasa2"))),
                    s("Takasa30"), n);
        highest = std::max(highest, number(row, s("Takasa30")));
        most = std::max(most, m_facts[b].aboveGround);
        deepest = std::max(deepest, m_facts[b].storeys - m_facts[b].aboveGround);

        int named = 0;
        for (int i = 0; i < ProjectTables::kFloorSlots; ++i)
            if (given(row, col("Kai", 40 + i)))
                ++named;
        const int storeys = m_facts[b].storeys;
        if ((given(row, s("Kai30")) || given(row, s("Kai31"))) && named > 0
            && named != std::min(storeys, ProjectTables::kFloorSlots))
            add("N-STOREYS", s("%1棟目：階数 地上%2階・地階%3階に対し、床面積の階は%4階分です。")
                                 .arg(n).arg(m_facts[b].aboveGround).arg(storeys - m_facts[b].aboveGround).arg(named),
                s("Kai30"), n);
        // The per-floor faces (第五面) of floors the building does not have.
        if (given(row, s("Kai30")) || given(row, s("Kai31"))) {
            for (int slot = std::max(storeys, 0); slot < ProjectTables::kFloorSlots; ++slot) {
                const RowValues& fl = m_p.floors[b * ProjectTables::kFloorSlots + slot];
                bool typed = false;
                for (const char* c : {"F1Shoukei", "F1Suityoku", "F1Takasa", "F1Tenjo", "F1Men60", "F1Men61", "F1Men62"})
                    typed = typed || given(fl, s(c));
                if (typed) {
                    add("N-STOREYS", s("%1棟目：階数は%2ですが、階別概要の%3階目にも記載があります。").arg(n).arg(storeys).arg(slot + 1),
                        s("Kai30"), n);
                    break;
                }
            }
        }
    }
    const RowValues& site = m_p.shikichi;
    if (given(site, s("Taka1")) && highest > 0 && !same(number(site, s("Taka1")), highest))
        add("N-SITE-BUILDING", s("第三面の最高の高さ %1m ≠ 第四面の最高の高さ %2m").arg(text(site, s("Taka1"))).arg(highest));
    if (given(site, s("Kai1")) && most > 0 && static_cast<int>(number(site, s("Kai1"))) != most)
        add("N-SITE-BUILDING", s("第三面の地上階数 %1 ≠ 第四面の地上階数 %2").arg(text(site, s("Kai1"))).arg(most), s("Kai1"));
    if (given(site, s("Kai3")) && static_cast<int>(number(site, s("Kai3"))) != deepest)
        add("N-SITE-BUILDING", s("第三面の地下階数 %1 ≠ 第四面の地階の階数 %2").arg(text(site, s("Kai3"))).arg(deepest), s("Kai3"));
}

void Checker::dates()
{
    const RowValues& site = m_p.shikichi;
    struct Named {
        QString column, caption;
        QDate date;
    };
    QVector<Named> all;
    const auto read = [&](const QString& column, const QString& caption) {
        const QString t = text(site, column);
        if (t.isEmpty())
            return;
        const QDate d = SiteRules::parseDate(t);
        if (!d.isValid()) {
            add("N-DATE-FORMAT", s("%1「%2」を日付として読めません。").arg(caption, t), column);
            return;
        }
        all.append({column, caption, d});
    };
    read(s("Day1"), s("工事着手予定年月日"));
    for (int k = 0; k < 3; ++k)
        read(col("Day", 3 + k), s("特定工程工事終了予定年月日（第%1回）").arg(k + 1));
    read(s("Day2"), s("工事完了予定年月日"));
    // In the order of the list: start, the stages, completion.
    for (int i = 0; i + 1 < all.size(); ++i)
        for (int j = i + 1; j < all.size(); ++j)
            if (all[i].date > all[j].date)
                add("N-DATES", s("%1 %2 が %3 %4 より後です。")
                                   .arg(all[i].caption, all[i].date.toString(QStringLiteral("yyyy/MM/dd")), all[j].caption,
                                        all[j].date.toString(QStringLiteral("yyyy/MM/dd"))),
                    all[j].column);
}

void Checker::siteAndBuildings()
{
    const RowValues& site = m_p.shikichi;
    if (!given(site, s("Tiban")))
        add("D-SITE", s("地名地番が未入力です。"), s("Tiban"));
    double siteArea = 0;
    for (int z = 0; z < 4; ++z)
        siteArea += number(site, col("Size", 5 + z));
    if (siteArea <= 0)
        add("D-SITE", s("敷地面積が未入力です。"), s("Size5"));
    if (!given(site, s("Kubun")))
        add("D-SITE", s("主要用途（区分）が未入力です。"), s("Kubun"));
    bool kind = ticked(site, s("Shubetu1"));
    for (int i = 2; i <= 7; ++i)
        kind = kind || ticked(site, col("shubetu", i));
    if (!kind)
        add("D-SITE", s("工事種別が選ばれていません。"), s("Shubetu1"));

    for (int b = 0; b < m_report.buildings.size(); ++b) {
        const RowValues& row = m_p.buildings[b];
        const int n = b + 1;
        const struct {
            const char* column;
            const char* caption;
        } needed[] = {{"Kubun30", "主要用途"}, {"Zou31", "構造"}, {"Kai30", "地上の階数"}, {"Men58", "床面積"}};
        for (const auto& item : needed)
            if (!given(row, s(item.column)) && !(QLatin1String(item.column) == QLatin1String("Men58") && m_facts[b].workArea > 0))
                add("D-BUILDING", s("%1棟目：%2が未入力です。").arg(n).arg(s(item.caption)), s(item.column), n);

        // 確認の特例 as declared on 第四面 11.
        const Classification& c = m_report.buildings[b];
        if (ticked(row, s("Umu40")) && !c.exemption && !given(row, s("Tokurei41")))
            add("D-TOKUREI", s("%1棟目：%2は審査省略の対象外ですが、確認の特例「有」になっています。")
                                 .arg(n).arg(itemName(c.item, c.ruleSet)), s("Umu40"), n);
        else if (ticked(row, s("Umu40")) && !given(row, s("Tokurei40")))
            add("D-TOKUREI", s("%1棟目：確認の特例「有」ですが、令第10条各号の区分が未記入です。").arg(n), s("Tokurei40"), n);
    }
}

void Checker::people()
{
    const RowValues& g = m_p.gaiyou;
    if (!given(g, s("Name7")))
        add("D-OWNER", s("建築主の氏名が未入力です。"), s("Name7"));
    if (!given(g, s("Addr6")))
        add("D-OWNER", s("建築主の住所が未入力です。"), s("Addr6"));
    const struct {
        const char* column;
        const char* caption;
    } designer[] = {{"Name2", "設計者の氏名"}, {"Kyu2", "設計者の資格"}, {"Gou2", "設計者の登録番号"}};
    for (const auto& item : designer)
        if (!given(g, s(item.column)))
            add("D-DESIGNER", s("%1が未入力です。").arg(s(item.caption)), s(item.column));
    if (given(g, s("Name2")) && !given(g, s("Name1")))
        add("D-OFFICE", s("建築士事務所名が未入力です。"), s("Name1"));
    if (given(g, s("Name2")) && !given(g, s("Gou1")))
        add("D-OFFICE", s("建築士事務所の登録番号が未入力です。"), s("Gou1"));

    // The strictest class any building asks for.
    Architect needed = Architect::Anyone;
    QString basis;
    for (const Classification& c : m_report.buildings)
        if (rank(c.architect) > rank(needed)) {
            needed = c.architect;
            basis = c.architectBasis;
        }
    const struct {
        const char* cls;
        const char* name;
        const char* who;
    } roles[] = {{"Kyu2", "Name2", "設計者"}, {"Kyu3", "Name3", "工事監理者"}};
    for (const auto& p : roles) {
        if (!given(g, s(p.name)) || !given(g, s(p.cls)))
            continue;
        if (rank(architectOf(text(g, s(p.cls)))) < rank(needed))
            add("D-ARCH-CLASS", s("%1は%2建築士ですが、この建築物は%3でなければ設計・工事監理できません。")
                                    .arg(s(p.who), text(g, s(p.cls)), architectName(needed)),
                s(p.cls))
                .basis = basis;
    }
    // A 新2号 (and 第1号) building is reviewed in full: the agencies ask for
    // its supervisor even where no architect is required by law.
    bool reviewed = false;
    for (const Classification& c : m_report.buildings)
        reviewed = reviewed
                   || (c.ruleSet == RuleSet::From2025 && (c.item == ReviewItem::Item1 || c.item == ReviewItem::Item2));
    if (needed != Architect::Anyone || reviewed) {
        if (!given(g, s("Name3")))
            add("D-SUPERVISOR", needed != Architect::Anyone
                                    ? s("%1による工事監理を要する建築物ですが、工事監理者が未入力です。").arg(architectName(needed))
                                    : s("確認審査の省略がない建築物（第6条第1項第1号・第2号）ですが、工事監理者が未入力です。"));
        else if (!given(g, s("Gou3")))
            add("D-SUPERVISOR", s("工事監理者の登録番号が未入力です。"), s("Gou3"));
    }

    // 委任状: the agent and what is entrusted.
    if (!given(g, s("Name5")))
        add("D-AGENT", s("代理者の氏名が未入力です。"), s("Name5"));
    else if (!given(g, s("Gou5")))
        add("D-AGENT", s("代理者の登録番号が未入力です。"), s("Gou5"));
    bool matter = given(m_p.inin, s("IninSonota"));
    for (int i = 1; i <= 11; ++i)
        matter = matter || ticked(m_p.inin, col("Inin", i));
    if (!matter)
        add("D-AGENT", s("委任する事項が選ばれていません。"), s("Inin1"), 0, s("ININ"));
}

void Checker::reviews()
{
    const RowValues& g = m_p.gaiyou;
    bool suitability = false, energy = false;
    for (const Classification& c : m_report.buildings) {
        suitability = suitability || c.suitability;
        energy = energy || c.energyReview;
    }
    const bool t1 = ticked(g, s("Tekihan1")), t2 = ticked(g, s("Tekihan2")), t3 = ticked(g, s("Tekihan3"));
    if (!t1 && !t2 && !t3)
        add("D-TEKIHAN", suitability ? s("構造計算適合性判定を要する建築物ですが、欄7が選ばれていません。")
                                     : s("欄7（構造計算適合性判定の申請）が選ばれていません。"));
    else if (suitability && t3)
        add("D-TEKIHAN", s("構造計算適合性判定を要する建築物ですが、欄7が「申請不要」です。"));
    else if ((t1 || t2) && !given(g, s("TekihanKikan")))
        add("D-TEKIHAN", s("欄7の申請先（都道府県名又は指定構造計算適合性判定機関の名称及び事務所の所在地）が未記入です。"),
            s("TekihanKikan"));

    const bool e1 = ticked(g, s("Shoene1")), e2 = ticked(g, s("Shoene2")), e3 = ticked(g, s("Shoene3"));
    if (!e1 && !e2 && !e3)
        add("D-SHOENE", s("欄8（建築物エネルギー消費性能確保計画の提出）が選ばれていません。"));
    else if (e3 && !given(g, s("ShoeneRiyu")))
        add("D-SHOENE", energy ? s("省エネ適合性判定を要する規模ですが「提出不要」で、その理由が未記入です。")
                               : s("欄8が「提出不要」ですが、その理由が未記入です。"),
            s("ShoeneRiyu"));
    else if ((e1 || e2) && !given(g, s("ShoeneKikan")))
        add("D-SHOENE", s("欄8の提出先（所管行政庁又は登録建築物エネルギー消費性能判定機関）が未記入です。"), s("ShoeneKikan"));
}

void Checker::inspection()
{
    const RowValues& k = m_p.kanryou;
    bool started = false;
    for (const QString& column : {s("Gou2"), s("Day1"), s("Tan1"), s("Day2"), s("Day4"), s("Day5"), s("Men1")})
        started = started || given(k, column);
    if (!started)
        return;  // no inspection applied for yet
    const struct {
        const char* column;
        const char* caption;
    } needed[] = {{"Gou2", "確認済証番号"}, {"Day1", "確認済証交付年月日"}, {"Day2", "工事着手年月日"}};
    for (const auto& item : needed)
        if (!given(k, s(item.column)))
            add("D-INSPECTION", s("%1が未入力です。").arg(s(item.caption)), s(item.column));
    struct Named {
        QString column, caption;
        QDate date;
    };
    QVector<Named> all;
    for (const auto& d : {std::pair<const char*, const char*>{"Day1", "確認済証交付年月日"}, {"Day2", "工事着手年月日"},
                          {"Day4", "特定工程工事終了年月日"}, {"Day5", "工事完了年月日"}}) {
        const QString t = text(k, s(d.first));
        const QDate date = SiteRules::parseDate(t);
        if (!t.isEmpty() && !date.isValid())
            add("D-INSPECTION", s("%1「%2」を日付として読めません。").arg(s(d.second), t), s(d.first));
        else if (date.isValid())
            all.append({s(d.first), s(d.second), date});
    }
    for (int i = 0; i + 1 < all.size(); ++i)
        for (int j = i + 1; j < all.size(); ++j)
            if (all[i].date > all[j].date)
                add("D-INSPECTION", s("%1 %2 が %3 %4 より後です。")
                                        .arg(all[i].caption, all[i].date.toString(QStringLiteral("yyyy/MM/dd")),
                                             all[j].caption, all[j].date.toString(QStringLiteral("yyyy/MM/dd"))),
                    all[j].column);
}

void Checker::notices()
{
    const RowValues& k = m_p.kouji;
    const RowValues& site = m_p.shikichi;
    const struct {
        const RowValues& row;
        const char* table;
        const char* column;
        const char* caption;
    } dates[] = {{site, "SHIKICHI", "Day1", "着工予定期日（工事着手予定年月日）"},
                 {site, "SHIKICHI", "Day2", "完了予定期日（工事完了予定年月日）"}};
    for (const auto& d : dates)
        if (!given(d.row, s(d.column)))
            add("D-NOTICE", s("工事届の%1が未入力です。").arg(s(d.caption)), s(d.column), 0, s(d.table));
    if (!ticked(k, s("ShuyouCHK1")) && !ticked(k, s("ShuyouCHK2")) && !ticked(k, s("ShuyouCHK3")))
        add("D-NOTICE", s("工事届の【５．主要用途】（居住専用・居住産業併用・産業専用）が選ばれていません。"));
    // The application's 工事予算額 stands for the cost of a single building.
    for (int b = 0; b < m_p.buildingCount && b < ProjectTables::kBuildings; ++b) {
        const QString column = col("KoujiHi", b + 1);
        if (!given(k, column) && !(b == 0 && m_p.buildingCount == 1 && given(site, s("Kin1"))))
            add("D-NOTICE", s("工事届の%1棟目の建築工事費予定額が未入力です。").arg(b + 1), column);
    }
    if (!ticked(k, s("JokyoChk2")))
        return;
    for (const auto& [column, caption] : {std::pair<const char*, const char*>{"Seko1", "氏名（事業者名）"},
                                          {"Seko3", "所在地"}})
        if (!given(k, s(column)))
            add("D-REMOVAL", s("除却工事施工者の%1が未入力です。").arg(s(caption)), s(column));
}

void Checker::postalCodes()
{
    if (!m_c.postal)
        return;
    const struct {
        const char* code;
        const char* address;
        const char* who;
    } pairs[] = {
        {"Post6", "Addr6", "建築主"},        {"Post1", "Addr1", "設計者の事務所"}, {"Post4", "Addr4", "工事監理者の事務所"},
        {"Post3", "Addr3", "工事監理者個人"}, {"Post5", "Addr5", "代理者"},         {"Post8", "Addr8", "工事施工者"},
        {"Post9", "Addr9", "設備の意見を聴いた者"},
    };
    const RowValues& g = m_p.gaiyou;
    for (const auto& pair : pairs) {
        const QString code = text(g, s(pair.code));
        const QString address = normalizedAddress(text(g, s(pair.address)));
        if (code.isEmpty() || address.isEmpty())
            continue;
        QVector<PostalEntry> rows;
        if (!m_c.postal->codeCandidates(code, &rows))
            return;  // no table to compare with: nothing to say
        if (rows.isEmpty()) {
            add("D-POSTAL", s("%1の郵便番号 %2 は郵便番号表にありません。").arg(s(pair.who), code), s(pair.code));
            continue;
        }
        bool fits = false;
        for (const PostalEntry& e : rows) {
            const QString municipality = normalizedAddress(e.municipality);
            const QString town = normalizedAddress(e.addressTown());
            const bool place = address.startsWith(normalizedAddress(e.prefecture) + municipality)
                               || address.startsWith(municipality);
            fits = fits || (place && (town.isEmpty() || address.contains(town)));
        }
        if (!fits)
            add("D-POSTAL", s("%1の郵便番号 %2（%3）と住所「%4」が一致しません。")
                                .arg(s(pair.who), code, rows.first().prefecture + rows.first().municipality + rows.first().addressTown(),
                                     text(g, s(pair.address))),
                s(pair.code));
    }
}

void Checker::boxes()
{
    if (!m_c.fit)
        return;
    const auto judge = [this](const QString& table, const RowValues& row, int building, int floor) {
        QStringList columns = row.keys();
        columns.sort();
        for (const QString& column : columns) {
            const QString t = text(row, column);
            if (t.isEmpty() || !m_c.fit->knows(table, column))
                continue;
            const BoxFit::Result r = m_c.fit->judge(table, column, t);
            if (r.verdict == BoxFit::Verdict::TooLong)
                add("D-FIT", BoxFit::describe(r), column, building, table).floor = floor;
            else if (r.verdict == BoxFit::Verdict::Annex)
                add("D-FIT-ANNEX", BoxFit::describe(r), column, building, table).floor = floor;
        }
    };
    judge(s("GAIYOU"), m_p.gaiyou, 0, -1);
    judge(s("SHIKICHI"), m_p.shikichi, 0, -1);
    judge(s("KANRYOU"), m_p.kanryou, 0, -1);
    judge(s("KOUJI"), m_p.kouji, 0, -1);
    judge(s("BOUKA"), m_p.bouka, 0, -1);
    judge(s("ININ"), m_p.inin, 0, -1);
    for (int b = 0; b < m_report.buildings.size(); ++b) {
        judge(s("TATEMONOBETU"), m_p.buildings[b], b + 1, -1);
        for (int slot = 0; slot < ProjectTables::kFloorSlots; ++slot)
            judge(s("KAIBETU"), m_p.floors[b * ProjectTables::kFloorSlots + slot], b + 1, slot);
    }
}

}  // namespace

int Report::count(Severity sev, int document) const
{
    int n = 0;
    for (const Finding& f : findings)
        if (f.severity == sev && f.affects(document))
            ++n;
    return n;
}

Report check(const ProjectData& p, const Context& context)
{
    return Checker(p, context).run();
}

// ------------------------------------------------------------ output

namespace {

QString place(const Finding& f)
{
    QString where = f.table;
    if (f.building > 0 && (f.table == QLatin1String("TATEMONOBETU") || f.table == QLatin1String("KAIBETU")))
        where += QStringLiteral("[%1]").arg(f.building);
    if (f.floor >= 0)
        where += QStringLiteral("[%1]").arg(f.floor + 1);
    return where + QLatin1Char('.') + f.field;
}

QStringList documentNames(unsigned docs)
{
    QStringList names;
    for (int i = 0; !documentName(i).isEmpty(); ++i)
        if (docs & (1u << i))
            names << documentName(i);
    return names;
}

}  // namespace

QString findingLine(const Finding& f)
{
    return QStringList{severityName(f.severity), f.ruleId, place(f), f.message, f.rule, f.basis}.join(QLatin1Char('\t'));
}

QByteArray findingsJson(const QVector<Finding>& findings)
{
    QJsonArray array;
    for (const Finding& f : findings) {
        QJsonObject o;
        o.insert(QStringLiteral("id"), f.ruleId);
        o.insert(QStringLiteral("severity"), severityKey(f.severity));
        o.insert(QStringLiteral("rule"), f.rule);
        o.insert(QStringLiteral("basis"), f.basis);
        o.insert(QStringLiteral("message"), f.message);
        o.insert(QStringLiteral("table"), f.table);
        o.insert(QStringLiteral("field"), f.field);
        o.insert(QStringLiteral("building"), f.building);
        o.insert(QStringLiteral("floor"), f.floor >= 0 ? f.floor + 1 : 0);
        o.insert(QStringLiteral("documents"), QJsonArray::fromStringList(documentNames(f.docs)));
        array.append(o);
    }
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

QString rulesMarkdown()
{
    QString out = s("| ID | 区分 | 規則 | 根拠 | 項目 | 書類 |\n|---|---|---|---|---|---|\n");
    for (const Rule& r : rules()) {
        const QStringList docs = documentNames(r.docs);
        out += QStringLiteral("| %1 | %2 | %3 | %4 | %5.%6 | %7 |\n")
                   .arg(QLatin1String(r.id), severityName(r.severity), s(r.text), s(r.basis), QLatin1String(r.table),
                        QLatin1String(r.field), docs.isEmpty() ? s("すべて") : docs.join(s("・")));
    }
    return out;
}

}  // namespace ShinseiCheck
