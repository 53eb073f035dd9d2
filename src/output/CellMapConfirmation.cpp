// The cells of the application proper: the people of the overview, the
// site, the buildings and their floors.
#include "CellMapSupport.h"
#include "SinseiCellMap.h"

#include <cmath>

using namespace CellMapSupport;
using FormText::boxLine;

namespace SinseiCellMap {

int floorCount(const RowValues& building)
{
    const double above = std::trunc(FormText::leadingNumber(raw(building, "Kai30")));
    const double below = std::trunc(FormText::leadingNumber(raw(building, "Kai31")));
    return static_cast<int>(above + below);
}

ProjectData withUnusedFloorsBlanked(const ProjectData& project)
{
    ProjectData p = project;
    for (int b = 0; b < ProjectTables::kBuildings; ++b) {
        const int n = floorCount(p.buildings[b]);
        for (int f = qMax(n, 0); f < ProjectTables::kFloorSlots; ++f)
            p.floors[b * ProjectTables::kFloorSlots + f].insert(QStringLiteral("F1Kai60"), QString());
    }
    return p;
}

namespace {

void putParts(InputSheet& s, int row, const RowValues& g, const QString& a, const QString& b, const QString& c)
{
    put(s, 'F', row, val(g, a));
    put(s, 'G', row, val(g, b));
    put(s, 'H', row, val(g, c));
}

// The designers, the supervisor, the agent and their offices as the form
// stacks them: the name, under it the registration ("一級建築士事務所　東京都
// 知事登録　第12345号" or "一級建築士　大臣登録　第123456号") with its parts
// beside it from the numbered Kyu/Tiji/Gou columns, then post code and address.
struct Person {
    int row;
    const char* name;
    bool office;
    int n;
    const char* post;  // none: the form has no address lines for this one
    const char* address;
};
const Person kPeople[] = {
    {2, "Name1", true, 1, "Post1", "Addr1"},
    {9, "Name2", false, 2, "Post1", "Addr1"},  // the designer is reached at the office
    {14, "Name3", false, 3, "Post3", "Addr3"},
    {18, "Name4", true, 4, "Post4", "Addr4"},
    {24, "Name5", false, 5, nullptr, nullptr},
    {26, "Name6", true, 6, "Post5", "Addr5"},
};

void putPerson(InputSheet& s, const RowValues& g, const Person& p)
{
    const QString kyu = col("Kyu", p.n), tiji = col("Tiji", p.n), gou = col("Gou", p.n);
    put(s, 'D', p.row, val(g, p.name));
    put(s, 'D', p.row + 1,
        val(g, kyu) + (p.office ? QStringLiteral("建築士事務所　") : QStringLiteral("建築士　")) + val(g, tiji)
            + (p.office ? QStringLiteral("知事登録　第") : QStringLiteral("登録　第")) + val(g, gou) + QStringLiteral("号"));
    putParts(s, p.row + 1, g, kyu, tiji, gou);
    if (p.post) {
        put(s, 'D', p.row + 2, val(g, p.post));
        put(s, 'D', p.row + 3, val(g, p.address));
    }
}

const QString kOwnerKinds =
    QStringLiteral(" (1)国    (2)都道府県    (3)市町村    (4)会社    (5)会社でない団体    (6)個人");
const QString kIndustryLines[4] = {
    QStringLiteral(" (1)農林水産業   (2)鉱業、建設業   (3)製造業     (4)電気・ガス・熱供給・水道業"),
    QStringLiteral(" (5)情報通信業   (6)運輸業     (7)卸売・小売業   (8)金融・保険業   (9)不動産業"),
    QStringLiteral(" (10)飲食店、宿泊業     (11)医療、福祉       (12)教育、学習支援業"),
    QStringLiteral(" (13)その他サービス業   (14)国家公務、地方公務       (15)他に分類されないもの"),
};

QString workKinds(const RowValues& r, const char* first, const char* rest, const QString& gap)
{
    return boxLine({{raw(r, first), QStringLiteral("新築") + gap},
                    {r.value(col(rest, 2)), QStringLiteral("増築") + gap},
                    {r.value(col(rest, 3)), QStringLiteral("改築") + gap},
                    {r.value(col(rest, 4)), QStringLiteral("移転") + gap},
                    {r.value(col(rest, 5)), QStringLiteral("用途変更") + gap},
                    {r.value(col(rest, 6)), QStringLiteral("大規模の修繕") + gap},
                    {r.value(col(rest, 7)), QStringLiteral("大規模の模様替")}});
}

}  // namespace

void fillOverview(const ProjectData& p, InputSheet& s)
{
    const RowValues& g = p.gaiyou;
    for (const Person& person : kPeople)
        putPerson(s, g, person);
    put(s, 'D', 6, val(g, "Tel1"));
    put(s, 'D', 7, val(g, "Fax1"));
    put(s, 'D', 22, val(g, "Tel2"));
    put(s, 'D', 30, val(g, "Tel3"));
    // The project and its owner.
    put(s, 'C', 39, val(g, "Kouji"));
    put(s, 'C', 40, val(g, "Buken"));
    put(s, 'C', 41, val(g, "Furi1"));
    const char* owner[] = {"Furi2", "Name7", "Post6", "Addr6", "Tel4"};
    for (int i = 0; i < 5; ++i) {
        const QString v = val(g, owner[i]);
        put(s, 'D', 43 + i, v);
        put(s, 'J', 43 + i, v);
        put(s, 'E', 557 + i, v);
    }
    put(s, 'F', 48, val(g, "Shu1"));
    put(s, 'D', 416, val(g, "Shu1"));
    put(s, 'F', 50, val(g, "Shu2"));
    put(s, 'E', 55, val(g, "Kin1"));
    // Contractor.
    put(s, 'D', 58, val(g, "Name9"));
    put(s, 'D', 59, val(g, "Name10"));
    put(s, 'D', 60, QStringLiteral("建設業の許可　") + val(g, "Kyoka1") + QStringLiteral("　第　") + val(g, "Toku1")
                        + val(g, "Gou7") + QStringLiteral("号"));
    putParts(s, 60, g, "Kyoka1", "Toku1", "Gou7");
    put(s, 'D', 61, val(g, "Post8"));
    put(s, 'D', 62, val(g, "Addr8"));
    put(s, 'D', 63, val(g, "Tel6"));
    put(s, 'D', 64, val(g, "Name11"));
    // The person consulted on the building equipment.
    put(s, 'D', 67, val(g, "Name12"));
    put(s, 'D', 68, val(g, "Name13"));
    put(s, 'D', 69, val(g, "Post9"));
    put(s, 'D', 70, val(g, "Addr9"));
    put(s, 'D', 71, val(g, "Tel7"));
    put(s, 'D', 72, val(g, "Date1"));
    put(s, 'I', 72, val(g, "Iken"));
    put(s, 'C', 73, val(g, "Bikou"));
    // The owner's kind and industry as marked choice lines of the notice.
    put(s, 'G', 416, FormText::markChoiceWord(kOwnerKinds, val(g, "Shu1")));
    const QString industry = val(g, "Shu2");
    for (int i = 0; i < 4; ++i)
        put(s, 'G', 417 + i, FormText::markChoiceWord(kIndustryLines[i], industry));
}

void fillSite(const ProjectData& p, InputSheet& s)
{
    const RowValues& k = p.shikichi;
    put(s, 'D', 76, val(k, "Tiban"));
    put(s, 'D', 77, val(k, "Jdisp"));
    put(s, 'C', 113, workKinds(k, "Shubetu1", "shubetu", QStringLiteral("  ")));
    put(s, 'C', 80,
        boxLine({{raw(k, "Tosi1"), QStringLiteral("都市計画区域内 （ ")},
                 {raw(k, "Tosi2"), QStringLiteral("市街化区域　  ")},
                 {raw(k, "Tosi3"), QStringLiteral("市街化調整区域　  ")},
                 {raw(k, "Tosi4"), QStringLiteral("区域区分非設定）")}}));
    put(s, 'C', 81,
        boxLine({{raw(k, "Tosi5"), QStringLiteral("準都市計画区域　  ")},
                 {raw(k, "Tosi6"), QStringLiteral("都市計画区域及び準都市計画区域外")}}));
    put(s, 'C', 88,
        boxLine({{raw(k, "Bou1"), QStringLiteral("防火地域　　　")},
                 {raw(k, "Bou2"), QStringLiteral("準防火地域　　　")},
                 {raw(k, "Bou3"), QStringLiteral("指定なし")}}));
    put(s, 'E', 93, val(k, "Sonota1"));
    // Road widths, site areas, zoning ratios, building and floor areas and
    // heights are the figures fillSiteFigures writes in their printed shape.
    const char zoneCols[3] = {'E', 'G', 'I'};
    for (int z = 0; z < 3; ++z)
        put(s, zoneCols[z], 100, val(k, col("Size", 13 + z)));
    put(s, 'C', 110, QStringLiteral("（区分  ") + val(k, "Kubun") + QStringLiteral("   ）"));
    put(s, 'D', 110, val(k, "KubunDisp"));
    put(s, 'D', 111, val(k, "Youto"));
    put(s, 'G', 136, val(k, "Tou1"));
    put(s, 'G', 137, val(k, "Tou2"));
    put(s, 'C', 139, val(k, "Kin1"));
    // Floors and structure of the building applied for and of the others.
    put(s, 'E', 152, val(k, "Kai1"));
    put(s, 'I', 152, val(k, "Kai2"));
    put(s, 'E', 153, val(k, "Kai3"));
    put(s, 'I', 153, val(k, "Kai4"));
    put(s, 'E', 154, val(k, "Zou1"));
    put(s, 'I', 154, val(k, "Zou2"));
    put(s, 'I', 155, boxLine({{raw(k, "Umu1"), QStringLiteral("有　　")}, {raw(k, "Umu2"), QStringLiteral("無")}}));
    for (int b = 0; b < ProjectTables::kBuildings; ++b) {
        const RowValues& t = p.buildings[b];
        const int off = kBuildingOffset[b];
        put(s, 'J', 228 + off,
            boxLine({{raw(t, "Umu40"), QStringLiteral("有　　")}, {raw(t, "Umu41"), QStringLiteral("無")}}));
        put(s, 'C', 255 + off,
            boxLine({{raw(t, "Ben40"), QStringLiteral("水洗　（")},
                     {raw(t, "Ben41"), QStringLiteral("公共下水道　　")},
                     {raw(t, "Ben42"), QStringLiteral("浄化槽）　　")},
                     {raw(t, "Ben43"), QStringLiteral("くみ取り　　")},
                     {raw(t, "Ben44"), QStringLiteral("くみ取り（改良）")}}));
    }
    put(s, 'D', 160,
        boxLine({{raw(k, "Kubun10"), QStringLiteral("道路高さ制限不適用　     ")},
                 {raw(k, "Kubun11"), QStringLiteral("隣地高さ制限不適用　     ")},
                 {FormText::leadingNumber(raw(k, "Kubun12")), QStringLiteral("北側高さ制限不適用")}}));
    put(s, 'D', 165, val(k, "Kyoka10"));
    put(s, 'D', 167, val(k, "Day1"));
    put(s, 'D', 169, val(k, "Day2"));
    put(s, 'I', 169, val(k, "KoujiKikan"));
    for (int i = 0; i < 3; ++i) {
        put(s, 'C', 172 + i, QStringLiteral("（第  ") + val(k, col("Dai", 1 + i)) + QStringLiteral("  回）"));
        put(s, 'D', 172 + i, val(k, col("Day", 3 + i)));
        put(s, 'G', 172 + i, val(k, col("Koutei", 1 + i)));
    }
    put(s, 'C', 177, val(k, "Jikou10"));
    put(s, 'C', 179, val(k, "Bikou10"));
    for (int b = 0; b < ProjectTables::kBuildings; ++b)
        put(s, 'C', 195 + kBuildingOffset[b], workKinds(p.buildings[b], "shubetu31", "shubetu3", QStringLiteral("   ")));
    fillSiteFigures(p, s);
}

void fillBuildings(const ProjectData& p, InputSheet& s)
{
    static const char* const kEquipment[5] = {"電気", "給排水衛生", "空調換気", "排煙", "非常用照明"};
    const char areaCols[3] = {'G', 'I', 'K'};
    for (int b = 0; b < ProjectTables::kBuildings; ++b) {
        const RowValues& t = p.buildings[b];
        const int off = kBuildingOffset[b];
        for (int i = 0; i < 5; ++i) {
            const QString kubun = val(t, col("Kubun", 30 + i));
            put(s, 'C', 189 + i + off, QStringLiteral("（区分  ") + kubun + QStringLiteral("   ）"));
            if (b > 0) {
                put(s, 'D', 189 + i + off, kubun);
                put(s, 'F', 189 + i + off, val(t, col("KubunDisp", 30 + i)));
            }
            put(s, 'E', 189 + i + off, val(t, col("Youto", 30 + i)));
        }
        put(s, 'C', 204 + off, val(t, "Zou31"));
        put(s, 'G', 204 + off, val(t, "Zou32"));
        for (int i = 0; i < 4; ++i)
            put(s, 'G', 215 + i + off, val(t, col("Kai", 30 + i)));
        put(s, 'E', 220 + off, val(t, "Takasa30"));
        put(s, 'E', 221 + off, val(t, "Takasa31"));

        QStringList equipment;
        for (int i = 0; i < 5; ++i) {
            const bool on = FormText::flagTrue(t.value(col("Setu", 1 + i)));
            s.setNumber(InputSheet::at('E', 224 + i + off), on ? -1 : 0);
            if (on)
                equipment << QString::fromUtf8(kEquipment[i]);
        }
        const QString other = val(t, "Setubi40");
        QString text = equipment.join(QStringLiteral("・"));
        if (!text.isEmpty() && !other.isEmpty())
            text += QStringLiteral("・") + other;
        s.clear(InputSheet::at('D', 224 + off));
        put(s, 'D', 224 + off, text);
        put(s, 'E', 229 + off, other);
        put(s, 'C', 224 + off, other);
        putStored(s, 'K', 228 + off, raw(t, "Umu40"));
        put(s, 'I', 232 + off, val(t, "Tokurei40"));
        put(s, 'I', 234 + off, val(t, "Tokurei41"));
        put(s, 'I', 236 + off, val(t, "Tokurei42"));

        // Floor-page flags: true marks a page that has no floor of the building.
        for (int f = 0; f < ProjectTables::kFloorSlots; ++f)
            s.setBoolean(InputSheet::at('C', kFloorBase[b][f] + 3), true);
        const int floors = qMin(floorCount(t), ProjectTables::kFloorSlots);
        for (int f = 0; f < floors; ++f)
            s.setBoolean(InputSheet::at('C', kFloorBase[b][f] + 3), false);

        for (int f = 0; f < 6; ++f) {
            const QString name = val(t, col("Kai", 40 + f));
            put(s, 'D', 239 + f + off, name);
            put(s, 'C', kFloorBase[b][f] + 2, name);
        }
        for (int i = 0; i < 18; ++i)
            put(s, areaCols[i % 3], 239 + i / 3 + off, val(t, col("Men", 40 + i)));
        for (int i = 0; i < 3; ++i)
            put(s, areaCols[i], 245 + off, val(t, col("Men", 58 + i)));
        put(s, 'C', 247 + off, val(t, "Yane40"));
        put(s, 'C', 249 + off, val(t, "Gai40"));
        put(s, 'C', 251 + off, val(t, "Ura40"));
        put(s, 'D', 253 + off, val(t, "Yuka40"));
        put(s, 'C', 262 + off, val(t, "Bikou40"));
        put(s, 'C', 264 + off, val(t, "Bikou41"));
        if (b == 0) {
            put(s, 'D', 206,
                boxLine({{raw(t, "Taika30"), QStringLiteral("耐火建築物   ")},
                         {raw(t, "Taika31"), QStringLiteral("準耐火建築物（")},
                         {raw(t, "Taika32"), QStringLiteral("イ－１   ")},
                         {raw(t, "Taika33"), QStringLiteral("イ－２   ")},
                         {raw(t, "Taika34"), QStringLiteral("ロ－１   ")},
                         {raw(t, "Taika35"), QStringLiteral("ロ－２）  ")},
                         {raw(t, "Taika36"), QStringLiteral("その他")}}));
        }
    }

    // Floor counts of buildings that are not applied for must not reach
    // the printed totals.
    const QString count = s.text("G136");
    if (InputSheet::compare(count, QStringLiteral("1")) == 0) {
        for (const char* a : {"G993", "G994", "G1326", "G1327"})
            s.clear(InputSheet::at(a));
    } else if (InputSheet::compare(count, QStringLiteral("2")) == 0) {
        for (const char* a : {"G1326", "G1327"})
            s.clear(InputSheet::at(a));
    }
    // Building 1's I215 and I216 end with the largest value of all buildings applied for.
    const struct {
        const char* first;
        const char* others[2];
    } maxima[] = {{"I215", {"I993", "I1326"}}, {"I216", {"I994", "I1327"}}};
    const int compared = p.buildingCount == 2 ? 1 : (p.buildingCount == 3 ? 2 : 0);
    for (const auto& m : maxima) {
        QString best = s.text(m.first);
        bool changed = false;
        for (int i = 0; i < compared; ++i) {
            const QString other = s.text(m.others[i]);
            if (InputSheet::compare(best, other) < 0) {
                best = other;
                changed = true;
            }
        }
        if (changed)
            s.setText(m.first, best);
    }
}

void fillFloors(const ProjectData& p, InputSheet& s)
{
    for (int b = 0; b < ProjectTables::kBuildings; ++b) {
        for (int f = 0; f < ProjectTables::kFloorSlots; ++f) {
            const RowValues& fl = p.floors[b * ProjectTables::kFloorSlots + f];
            const int r = kFloorBase[b][f];
            putBlock(s, r, fl,
                     {{'C', 0, "F1Ban60"}, {'C', 2, "F1Kai60"}, {'D', 4, "F1Shoukei"}, {'D', 6, "F1Suityoku"},
                      {'D', 8, "F1Takasa"}, {'D', 10, "F1Tenjo"}, {'C', 21, "F1Bikou60"}, {'C', 23, "F1Bikou61"}});
            for (int i = 0; i < 6; ++i) {
                const QString kubun = col("F1Kubun", 60 + i);
                put(s, 'E', r + 13 + i, val(fl, kubun));
                put(s, 'F', r + 13 + i, val(fl, kubun + QStringLiteral("Disp")));
                put(s, 'G', r + 13 + i, val(fl, col("F1Mei", 60 + i)));
                put(s, 'K', r + 13 + i, val(fl, col("F1Men", 60 + i)));
            }
        }
    }
    fillBuildingPages(p, s);
}

void fillAll(const ProjectData& project, InputSheet& s)
{
    const ProjectData p = withUnusedFloorsBlanked(project);
    fillOverview(p, s);
    fillPeople(p, s);
    fillSite(p, s);
    fillBuildings(p, s);
    fillFloors(p, s);
    fillInspection(p, s);
    fillConstructionNotice(p, s);
    fillFireObject(p, s);
    fillPowerOfAttorney(p, s);
    fillBusinessRecord(p, s);
    fillRecordBook(p, s);
}

}  // namespace SinseiCellMap
