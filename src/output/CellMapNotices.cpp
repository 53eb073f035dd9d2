// The construction notice and the removal notice as revised for works from
// 2025-01-01, and the matters of the power of attorney. What the notice
// asks and the project already knows (owner, designer, contractor, site,
// use class, storeys, areas, dates) is taken from the application's data;
// the notice's own row adds or overrides the rest.
#include "CellMapSupport.h"
#include "SinseiCellMap.h"

#include <QMap>

#include <algorithm>
#include <cmath>

using namespace CellMapSupport;
using FormText::boxMark;
using FormText::flagSet;
using FormText::markChoice;

namespace SinseiCellMap {

namespace {

constexpr char kBuildingCols[3] = {'E', 'G', 'I'};

const char* const kStructures[6] = {"木造", "鉄骨鉄筋コンクリート造", "鉄筋コンクリート造", "鉄骨造",
                                    "コンクリートブロック造", "その他"};

QString u8(const char* text)
{
    return QString::fromUtf8(text);
}

// The forms of this edition print figures as whole numbers, rounded half up
// from the figure at the six decimals decimal() reads.
QString whole(const QString& text)
{
    return FormText::printedNumber(text, [](double v) {
        return FormText::decimal(QString::number(std::llround(QString::number(v, 'f', 6).toDouble())), 0);
    });
}

double number(const QString& text)
{
    return FormText::decimal(text, 6).remove(QLatin1Char(',')).toDouble();
}

// 1-based position of the first set flag among the columns, 0 when none is.
int firstSet(const RowValues& r, const QStringList& columns)
{
    for (int i = 0; i < columns.size(); ++i)
        if (flagSet(r.value(columns[i])))
            return i + 1;
    return 0;
}

QStringList numbered(const QString& stem, int first, int last)
{
    QStringList out;
    for (int i = first; i <= last; ++i)
        out << stem + QString::number(i);
    return out;
}

QString mark(const QString& line, int option)
{
    return option > 0 ? markChoice(line, option) : line;
}

// Marks option n on whichever of several lines holds "(n)".
void putChoiceLines(InputSheet& s, const std::initializer_list<const char*> cells,
                    const std::initializer_list<const char*> lines, int option)
{
    auto cell = cells.begin();
    for (const char* line : lines)
        s.setText(*cell++, mark(u8(line), option));
}

// The structure a building's own entry names, as one of the survey's six
// kinds: 0 for none.
int structureKind(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return 0;
    if (t.contains(u8("鉄骨鉄筋")) || t.contains(u8("SRC")))
        return 2;
    if (t.contains(u8("鉄筋")) || t.startsWith(u8("RC")))
        return 3;
    if (t.contains(u8("鉄骨")) || t.startsWith(u8("S造")) || t == u8("S"))
        return 4;
    if (t.contains(u8("ブロック")) || t.contains(u8("ﾌﾞﾛｯｸ")))
        return 5;
    if (t.startsWith(u8("木")))
        return 1;
    return 6;
}

// Building b's structure kind: ticked on the notice, else its entry's structure.
int buildingStructure(const ProjectData& p, int b)
{
    const int ticked = firstSet(p.kouji, numbered(QStringLiteral("KouzoCHK%1").arg(b), 1, 6));
    return ticked ? ticked : structureKind(val(p.buildings[b], "Zou31"));
}

struct UseArea {
    QString use;
    double area = 0;
};

// The three largest uses of building b: those typed on the notice, else
// the per-floor areas by use class, summed over the building's floors.
QVector<UseArea> largestUses(const ProjectData& p, int b)
{
    QVector<UseArea> out;
    for (int i = 1; i <= 3; ++i) {
        const QString use = val(p.kouji, QStringLiteral("BYouto%1%2").arg(b + 1).arg(i)).trimmed();
        const QString area = val(p.kouji, QStringLiteral("BMen%1%2").arg(b + 1).arg(i)).trimmed();
        if (!use.isEmpty() || !area.isEmpty())
            out.append({use, number(area)});
    }
    if (!out.isEmpty())
        return out;
    QMap<QString, double> byUse;
    QStringList order;
    const int floors = std::max(1, floorCount(p.buildings[b]));
    for (int f = 0; f < std::min(floors, ProjectTables::kFloorSlots); ++f) {
        const RowValues& floor = p.floors[b * ProjectTables::kFloorSlots + f];
        for (int i = 60; i <= 65; ++i) {
            QString use = val(floor, QStringLiteral("F1Kubun%1Disp").arg(i)).trimmed();
            if (use.isEmpty())
                use = val(floor, QStringLiteral("F1Kubun%1").arg(i)).trimmed();
            const double area = number(val(floor, QStringLiteral("F1Men%1").arg(i)));
            if (use.isEmpty() || area <= 0)
                continue;
            if (!byUse.contains(use))
                order << use;
            byUse[use] += area;
        }
    }
    for (const QString& use : order)
        out.append({use, byUse.value(use)});
    std::stable_sort(out.begin(), out.end(), [](const UseArea& a, const UseArea& b) { return a.area > b.area; });
    return out.mid(0, 3);
}

QString areaText(double area)
{
    return area > 0 ? whole(QString::number(area, 'f', 4)) : QString();
}

// Total floor area of the works in building b: the sum the per-building
// window keeps, else its floor lines.
QString worksArea(const ProjectData& p, int b)
{
    const RowValues& t = p.buildings[b];
    for (const char* c : {"Men58", "Men60"})
        if (number(val(t, c)) > 0)
            return whole(val(t, c));
    double sum = 0;
    for (const UseArea& u : largestUses(p, b))
        sum += u.area;
    return areaText(sum);
}

void fillFirstFace(const ProjectData& p, InputSheet& s)
{
    const RowValues& g = p.gaiyou;
    const RowValues& k = p.kouji;
    // Until a contractor is chosen, the designer files the notice.
    const bool contractor = !val(g, "Name9").trimmed().isEmpty();
    const QString designer[5] = {s.text("D9"), s.text("D2"), s.text("D11"), s.text("D12"), s.text("D6")};
    const char* const own[5] = {"Name9", "Name10", "Post8", "Addr8", "Tel6"};
    for (int i = 0; i < 5; ++i)
        put(s, 'D', 3290 + i, contractor ? val(g, own[i]) : designer[i]);
    QString inCharge = val(k, "Tanto1");
    if (inCharge.isEmpty() && contractor)
        inCharge = val(g, "Name11");
    put(s, 'D', 3200, inCharge);
    put(s, 'E', 3200, val(k, "Tanto2"));

    const char* const removal[5] = {"Seko1", "Seko5", "Seko2", "Seko3", "Seko4"};
    for (int i = 0; i < 5; ++i)
        put(s, 'D', 3201 + i, val(k, removal[i]));
    put(s, 'D', 3206, val(k, "Seko6"));
    put(s, 'E', 3206, val(k, "Seko7"));
}

void fillSecondFace(const ProjectData& p, InputSheet& s)
{
    const RowValues& k = p.kouji;
    const RowValues& site = p.shikichi;
    QString kind = val(p.gaiyou, "Shu1").trimmed();
    if (kind == u8("市町村"))  // the code list's older name of the same kind
        kind = u8("市区町村");
    put(s, 'D', 3210,
        FormText::markChoiceWord(u8(" (1)国    (2)都道府県    (3)市区町村    (4)会社    (5)会社でない団体    (6)個人"), kind));
    const int zone = firstSet(site, numbered(QStringLiteral("Tosi"), 2, 6));
    putChoiceLines(s, {"D3211", "E3211", "F3211"},
                   {" (1)市街化区域    (2)市街化調整区域", " (3)区域区分非設定都市計画区域    (4)準都市計画区域",
                    " (5)都市計画区域及び準都市計画区域外"},
                   zone);
    QString works = u8(" (1)新築    (2)増築    (3)改築    (4)移転");
    const QStringList kinds{QStringLiteral("Shubetu1"), QStringLiteral("shubetu2"), QStringLiteral("shubetu3"),
                            QStringLiteral("shubetu4")};
    for (int i = 0; i < kinds.size(); ++i)
        if (flagSet(site.value(kinds[i])))
            works = markChoice(works, i + 1);
    put(s, 'D', 3212, works);
    put(s, 'D', 3213, mark(u8(" (1)居住専用    (2)居住産業併用    (3)産業専用"),
                           firstSet(k, {QStringLiteral("ShuyouCHK1"), QStringLiteral("ShuyouCHK2"),
                                        QStringLiteral("ShuyouCHK3")})));
    const QString start = val(site, "Day1");
    const QString end = val(site, "Day2");
    put(s, 'D', 3214, start);
    put(s, 'D', 3215, end);

    for (int b = 0; b < ProjectTables::kBuildings; ++b) {
        const char c = kBuildingCols[b];
        const bool applied = b < p.buildingCount;
        const RowValues& t = p.buildings[b];
        const QString n = QString::number(b + 1);
        auto own = [&](const char* stem) { return val(k, QLatin1String(stem) + n); };
        auto out = [&](int row, const QString& v) { put(s, c, row, applied ? v : QString()); };

        out(3220, own("Ban").isEmpty() ? n : own("Ban"));
        out(3221, own("Bukken").isEmpty() ? val(p.gaiyou, "Buken") : own("Bukken"));
        const bool typed = !own("BKubun").isEmpty() || !own("BKubunDisp").isEmpty();
        const QString code = typed ? own("BKubun") : val(t, "Kubun30");
        out(3222, code.isEmpty() ? QString() : QStringLiteral("（") + code + QStringLiteral("）"));
        out(3223, typed ? own("BKubunDisp") : val(t, "KubunDisp30"));
        const int structure = buildingStructure(p, b);
        for (int i = 0; i < 6; ++i)
            out(3224 + i, (structure == i + 1 ? QStringLiteral("●") : QStringLiteral(" "))
                              + QStringLiteral("(%1)").arg(i + 1) + u8(kStructures[i]));
        out(3230, start.isEmpty() ? QString() : u8("着工 ") + start);
        out(3231, end.isEmpty() ? QString() : u8("完了 ") + end);
        out(3232, whole(val(t, "Kai30")));
        out(3233, whole(val(t, "Kai31")));
        out(3234, whole(val(site, "Size17")));
        out(3235, worksArea(p, b));
        const QVector<UseArea> uses = largestUses(p, b);
        for (int i = 0; i < 3; ++i) {
            out(3236 + 2 * i, i < uses.size() ? uses[i].use : QString());
            const QString area = i < uses.size() ? areaText(uses[i].area) : QString();
            out(3237 + 2 * i, area.isEmpty() ? area : area + QStringLiteral("㎡"));
        }
        QString cost = own("KoujiHi");
        if (cost.isEmpty() && b == 0 && p.buildingCount == 1)
            cost = val(site, "Kin1");  // the application's 工事予算額 (万円)
        out(3242, whole(cost));
        out(3243, boxMark(k.value(QStringLiteral("Zeikomi") + n)) + u8("消費税込み"));
    }
}

void fillHousing(const ProjectData& p, InputSheet& s)
{
    const RowValues& k = p.kouji;
    put(s, 'D', 3250, val(k, "Ban4"));
    put(s, 'D', 3251, mark(u8(" (1)新設    (2)その他"),
                           flagSet(raw(k, "Betu10")) ? 1 : (flagSet(raw(k, "Betu20")) ? 2 : 0)));
    int structure = firstSet(k, numbered(QStringLiteral("JKouzoCHK"), 1, 6));
    if (!structure)
        structure = buildingStructure(p, 0);
    putChoiceLines(s, {"D3252", "D3253"},
                   {" (1)木造    (2)鉄骨鉄筋コンクリート造    (3)鉄筋コンクリート造",
                    " (4)鉄骨造    (5)コンクリートブロック造    (6)その他"},
                   structure);
    put(s, 'D', 3254, mark(u8(" (1)在来工法    (2)プレハブ工法    (3)枠組壁工法"),
                           firstSet(k, numbered(QStringLiteral("Kouhou"), 1, 3))));
    // 種類 and 建て方 are the head and the item of one group of boxes.
    int kind = 0, build = 0;
    for (int g = 1; g <= 3 && !kind; ++g) {
        if (flagSet(k.value(QStringLiteral("Shurui%1").arg(10 * g + 1)))) {
            kind = g;
            build = firstSet(k, numbered(QStringLiteral("Shurui%1").arg(g), 2, 4));
        }
    }
    put(s, 'D', 3255, mark(u8(" (1)専用住宅    (2)併用住宅    (3)その他の住宅"), kind));
    put(s, 'D', 3256, mark(u8(" (1)一戸建住宅    (2)長屋建住宅    (3)共同住宅"), build));
    const char* const tenures[4] = {"持家", "貸家", "給与住宅", "分譲住宅"};
    double dwellings = 0, area = 0;
    bool anyDwelling = false, anyArea = false;
    for (int i = 0; i < 4; ++i) {
        const char c = static_cast<char>('D' + i);
        put(s, c, 3257, boxMark(k.value(col("RiyouKan", i + 1))) + u8(tenures[i]));
        const QString ko = val(k, col("Ko", i + 1));
        const QString gou = val(k, col("Gou", i + 1));
        put(s, c, 3258, whole(ko));
        put(s, c, 3259, whole(gou));
        anyDwelling |= !ko.trimmed().isEmpty();
        anyArea |= !gou.trimmed().isEmpty();
        dwellings += number(ko);
        area += number(gou);
    }
    put(s, 'H', 3258, anyDwelling ? whole(QString::number(dwellings)) : QString());
    put(s, 'H', 3259, anyArea ? whole(QString::number(area, 'f', 4)) : QString());
    putChoiceLines(s, {"D3260", "D3261"},
                   {" (1)民間資金住宅    (2)公営住宅    (3)住宅金融支援機構住宅", " (4)都市再生機構住宅    (5)その他"},
                   firstSet(k, numbered(QStringLiteral("Kin"), 1, 5)));
}

void fillRemoval(const ProjectData& p, InputSheet& s)
{
    const RowValues& k = p.kouji;
    put(s, 'D', 3270, val(k, "JBukken"));
    put(s, 'D', 3271, val(k, "Day1"));
    const QString place = val(k, "Basho1");
    put(s, 'D', 3272, place.isEmpty() ? val(p.shikichi, "Tiban") : place);
    put(s, 'D', 3273, val(k, "Kouz1"));
    const int use = firstSet(k, {QStringLiteral("ShuyouCHK11"), QStringLiteral("ShuyouCHK12"),
                                 QStringLiteral("ShuyouCHK13")});
    put(s, 'D', 3274, mark(u8(" (1)居住専用    (2)居住産業併用    (3)産業専用"), use));
    const char* const useText[3] = {"Youto7", "Youto8", "Youto9"};
    put(s, 'D', 3275, use ? val(k, useText[use - 1]) : QString());
    put(s, 'D', 3276, whole(val(k, "Jsu1")));
    put(s, 'D', 3277, val(k, "Riyou2"));
    put(s, 'D', 3278, whole(val(k, "Ksu1")));
    put(s, 'D', 3279, whole(val(k, "Men1")));
    put(s, 'D', 3280, whole(val(k, "HyoukaGaku")));
    put(s, 'D', 3281, val(k, "Gen1"));
}

}  // namespace

bool noticeHasRemoval(const ProjectData& p)
{
    return flagSet(raw(p.kouji, "JokyoChk2"));
}

bool noticeHasHousing(const ProjectData& p)
{
    const RowValues& k = p.kouji;
    if (!val(k, "Ban4").trimmed().isEmpty())
        return true;
    for (const char* c : {"ShuyouCHK1", "ShuyouCHK2", "Betu10", "Betu20", "Shurui11", "Shurui21", "Shurui31",
                          "RiyouKan1", "RiyouKan2", "RiyouKan3", "RiyouKan4"})
        if (flagSet(raw(k, c)))
            return true;
    for (int i = 1; i <= 4; ++i)
        if (number(val(k, col("Ko", i))) > 0)
            return true;
    return false;
}

void fillNoticeInForce(const ProjectData& p, InputSheet& s)
{
    fillFirstFace(p, s);
    fillSecondFace(p, s);
    fillHousing(p, s);
    fillRemoval(p, s);
}

void fillAttorneyMatters(const ProjectData& p, InputSheet& s)
{
    // (column, matter) in the order the sheet lists them.
    static const std::pair<const char*, const char*> kMatters[] = {
        {"Inin1", "確認申請に関する一切の件"},
        {"Inin4", "計画変更確認申請に関する一切の件"},
        {"Inin2", "中間検査申請に関する一切の件"},
        {"Inin3", "完了検査申請に関する一切の件"},
        {"Inin5", "構造計算適合性判定の申請に関する一切の件"},
        {"Inin6", "省エネ適合性判定に係る計画書の提出に関する一切の件"},
        {"Inin7", "軽微な変更の届出（軽微変更説明書等の提出）に関する一切の件"},
        {"Inin8", "申請の取下げに関する一切の件"},
        {"Inin9", "申請書及び図書の補正並びに追加説明書の提出に関する一切の件"},
        {"Inin10", "確認済証、検査済証その他の交付文書の受領に関する一切の件"},
        {"Inin11", "その他（"},
    };
    int row = 3300;
    for (const auto& [column, matter] : kMatters) {
        QString line = boxMark(p.inin.value(QLatin1String(column))) + QStringLiteral("　") + u8(matter);
        if (row == 3310) {
            const QString other = val(p.inin, "IninSonota").trimmed();
            line += (other.isEmpty() ? QStringLiteral("　　　　　　　　　　　　") : other) + QStringLiteral("）");
        }
        put(s, 'D', row++, line);
    }
}

}  // namespace SinseiCellMap
