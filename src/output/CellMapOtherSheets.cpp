// The cells of the other documents: inspection applications, the
// construction and removal notices, the fire-prevention object, the power
// of attorney, the business record and the record book.
#include "CellMapSupport.h"
#include "SinseiCellMap.h"

using namespace CellMapSupport;
using FormText::boxLine;
using FormText::flagSet;
using FormText::markChoice;

namespace SinseiCellMap {

namespace {

// 1-based position of the first set flag among the columns, 0 when none is set.
int firstSet(const RowValues& r, std::initializer_list<const char*> columns)
{
    int n = 1;
    for (const char* c : columns) {
        if (flagSet(raw(r, c)))
            return n;
        ++n;
    }
    return 0;
}

QString marked(const QString& line, int option, int from = 0)
{
    return option > 0 ? markChoice(line, option, from) : line;
}

}  // namespace

void fillInspection(const ProjectData& p, InputSheet& s)
{
    const RowValues& k = p.kanryou;
    int object = 5;
    for (int i = 0; i < 5; ++i) {
        if (flagSet(k.value(col("Shin", 1 + i)))) {
            object = i;
            break;
        }
    }
    s.setNumber(InputSheet::at("E335"), object);
    static const QString kBuilding[4] = {
        QStringLiteral("　■建築物　　　　　　　　　□建築設備（昇降機）　　　　 □建築設備（昇降機以外）"),
        QStringLiteral("　□建築物　　　　　　　　　■建築設備（昇降機）　　　　 □建築設備（昇降機以外）"),
        QStringLiteral("　□建築物　　　　　　　　　□建築設備（昇降機）　　　　 ■建築設備（昇降機以外）"),
        QStringLiteral("　□建築物　　　　　　　　　□建築設備（昇降機）　　　　 □建築設備（昇降機以外）"),
    };
    static const QString kStructure[4] = {
        QStringLiteral("　□工作物（昇降機）　　　　□工作物（法第88条第１項）　 □工作物（法第88条第２項）"),
        QStringLiteral("　■工作物（昇降機）　　　　□工作物（法第88条第１項）　 □工作物（法第88条第２項）"),
        QStringLiteral("　□工作物（昇降機）　　　　■工作物（法第88条第１項）　 □工作物（法第88条第２項）"),
        QStringLiteral("　□工作物（昇降機）　　　　□工作物（法第88条第１項）　 ■工作物（法第88条第２項）"),
    };
    put(s, 'E', 336, kBuilding[object <= 2 ? object : 3]);
    put(s, 'E', 337, kStructure[object >= 3 ? object - 2 : 0]);

    put(s, 'H', 342, val(k, "Gou1"));
    put(s, 'F', 344, val(k, "Gou2"));
    put(s, 'E', 344, val(k, "Gou2"));
    put(s, 'G', 344, QStringLiteral("第　") + val(k, "Gou2") + QStringLiteral("　号"));
    put(s, 'D', 346, val(k, "Day1"));
    put(s, 'D', 348, val(k, "Tan1"));
    put(s, 'D', 350, val(k, "Day2"));
    put(s, 'D', 352, val(k, "Day3"));
    put(s, 'D', 354, val(k, "Kou1"));
    put(s, 'F', 355, val(k, "Day4"));
    s.setText(kInspectionAreaCell, val(k, "Men1"));
    // Earlier intermediate inspections: two columns, G and J.
    put(s, 'G', 358, val(k, "Kai1"));
    put(s, 'J', 358, val(k, "Kai2"));
    for (int i = 0; i < 4; ++i) {
        put(s, 'G', 359 + i, FormText::centred(val(k, col("Kai", 3 + 2 * i)), 40));
        put(s, 'J', 359 + i, val(k, col("Kai", 4 + 2 * i)));
    }
    // Later ones.
    put(s, 'G', 364, val(k, "Kai11"));
    put(s, 'J', 364, val(k, "Kai12"));
    put(s, 'G', 365, FormText::centred(val(k, "Kai13"), 40));
    put(s, 'G', 366, FormText::centred(val(k, "Kai15"), 40));
    put(s, 'J', 365, val(k, "Kai14"));
    put(s, 'J', 366, val(k, "Kai16"));
    put(s, 'D', 368, val(k, "Bikou1"));
    put(s, 'E', 373, val(k, "Bikou2"));
    put(s, 'E', 374, val(k, "Bikou3"));
    put(s, 'D', 376, val(k, "Day5"));
    put(s, 'D', 378, val(k, "Bikou4"));
    put(s, 'D', 380, val(k, "Gai1"));
    fillInspectionFaces(p, s);
}

void fillInspectionFaces(const ProjectData& p, InputSheet& s)
{
    const RowValues& k = p.kanryou;
    auto mark = [](bool set) { return set ? QStringLiteral("■") : QStringLiteral("□"); };
    // The faces mark only what is chosen; an application with no object
    // chosen prints every box empty.
    int chosen = -1;
    for (int i = 0; i < kInspectionObjects && chosen < 0; ++i)
        if (flagSet(k.value(col("Shin", 1 + i))))
            chosen = i;
    for (int i = 0; i < kInspectionObjects; ++i)
        put(s, 'C', kInspectionObjectRow + i, mark(i == chosen));
    // The kind of work is a list item, or typed text naming more than one.
    static const char* const kWorks[] = {"新築", "増築", "改築", "移転", "用途変更", "大規模の修繕", "大規模の模様替"};
    const QString work = val(k, "Gou1");
    for (int i = 0; i < 7; ++i)
        put(s, 'C', kInspectionWorkRow + i, mark(work.contains(QString::fromUtf8(kWorks[i]))));
    // The earlier and later intermediate inspections as typed, one pair a row.
    for (int i = 0; i < 8; ++i) {
        put(s, 'C', kInspectionHistoryRow + i, val(k, col("Kai", 1 + 2 * i)));
        put(s, 'D', kInspectionHistoryRow + i, val(k, col("Kai", 2 + 2 * i)));
    }
    put(s, 'C', kInspectionCountRow, val(k, "Kai17"));
    // 確認の特例 and 型式適合認定 are the buildings' own, as the application
    // gave them; an application of several buildings names each once.
    QStringList classes, approvals;
    for (int b = 0; b < p.buildingCount && b < int(p.buildings.size()); ++b) {
        const RowValues& t = p.buildings[b];
        const QString c = val(t, "Tokurei40"), a = val(t, "Tokurei41");
        if (!c.isEmpty() && !classes.contains(c))
            classes << c;
        if (!a.isEmpty() && !approvals.contains(a))
            approvals << a;
    }
    put(s, 'C', kInspectionExemptionRow, classes.join(QStringLiteral("、")));
    put(s, 'C', kInspectionExemptionRow + 1, approvals.join(QStringLiteral("、")));
    put(s, 'C', kInspectionExemptionRow + 2, val(k, "Nin1"));

    // Each application reports its own 工事監理の状況.
    const struct {
        const char* prefix;
        int row;
    } reports[] = {{"ChuKanri", kIntermediateSupervisionRow}, {"Kanri", kSupervisionRow}};
    for (const auto& report : reports) {
        const QString prefix = QLatin1String(report.prefix);
        for (int i = 0; i < kSupervisionParts; ++i) {
            const int row = report.row + i;
            const QString n = QString::number(i + 1);
            put(s, 'C', row, val(k, prefix + QLatin1String("Nai") + n));
            put(s, 'D', row, val(k, prefix + QLatin1String("Tosho") + n));
            put(s, 'E', row, val(k, prefix + QLatin1String("Kaku") + n));
            put(s, 'F', row, val(k, prefix + QLatin1String("Hou") + n));
            put(s, 'G', row, val(k, prefix + QLatin1String("Kek") + n));
        }
        put(s, 'C', report.row + kSupervisionParts, val(k, prefix + QLatin1String("Bikou")));
    }

    const QVector<RowValues> consulted = p.personsOf(kSupervisionConsulted);
    for (int i = 0; i < kSupervisionConsultedSlots; ++i) {
        static const RowValues none;
        const RowValues& r = i < consulted.size() ? consulted[i] : none;
        putBlock(s, kSupervisionConsultedRow + 2 * i, r,
                 {{'D', 0, "Name"}, {'H', 0, "Gou"}, {'I', 0, "Post"}, {'J', 0, "Tel"}, {'D', 1, "JimuName"},
                  {'I', 1, "Addr"}, {'J', 1, "Tosho"}});
    }
}

void fillConstructionNotice(const ProjectData& p, InputSheet& s)
{
    const RowValues& k = p.kouji;
    const char useCols[3] = {'E', 'G', 'I'};
    const char textCols[3] = {'D', 'F', 'H'};
    put(s, 'E', 429, val(k, "Ban1"));
    put(s, 'G', 429, val(k, "Ban2"));
    put(s, 'I', 429, val(k, "Ban3"));
    auto flagName = [](const char* prefix, int building, int i) {
        return QLatin1String(prefix) + QString::number(building) + QString::number(i);
    };
    for (int b = 0; b < 3; ++b)
        for (int i = 1; i <= 7; ++i)
            putStored(s, useCols[b], 430 + i, k.value(flagName("YoutoCHK", b, i)));

    for (int i = 0; i < 3; ++i) {
        const QString youto = val(k, col("Youto", 1 + i));
        put(s, 'E', 424 + i, QStringLiteral("（   ") + youto + QStringLiteral("   ）"));
        put(s, 'E', 424 + i,
            QStringLiteral("（　　") + (youto.isEmpty() ? QStringLiteral("  ") : youto) + QStringLiteral("　　）"));
    }

    static const char* const kUses[7] = {"(1) 事務所等", "(2) 物品販売業を", "(3) 工場、作業場", "(4) 倉庫",
                                         "(5) 学校",     "(6) 病院、診療所", "(9) その他"};
    static const char* const kStructures[6] = {"(1)木造", "(2)鉄骨鉄筋ｺﾝｸﾘｰﾄ造", "(3)鉄筋ｺﾝｸﾘｰﾄ造",
                                               "(4)鉄骨造", "(5)ｺﾝｸﾘｰﾄﾌﾞﾛｯｸ造", "(6)その他"};
    auto option = [](bool set, const char* text) {
        return (set ? QStringLiteral("●") : QStringLiteral(" ")) + QString::fromUtf8(text);
    };
    for (int b = 0; b < 3; ++b) {
        double sum = 0;
        for (int i = 1; i <= 7; ++i)
            sum += FormText::leadingNumber(k.value(flagName("YoutoCHK", b, i)));
        put(s, useCols[b], 430,
            sum > 1 ? QStringLiteral("（   ●多用途     ）") : QStringLiteral("（     多用途     ）"));
    }
    for (int b = 0; b < 3; ++b)
        for (int i = 0; i < 7; ++i)
            put(s, textCols[b], 431 + i, option(flagSet(k.value(flagName("YoutoCHK", b, i + 1))), kUses[i]));
    for (int b = 0; b < 3; ++b)
        for (int i = 0; i < 6; ++i)
            put(s, useCols[b], 439 + i, option(flagSet(k.value(flagName("KouzoCHK", b, i + 1))), kStructures[i]));

    put(s, 'D', 447, val(k, "Ban4"));

    // 新設 / その他
    const QString newLine = QStringLiteral("新設     （ (1) 新築     (2) 増設     (3) 改築）");
    const QString otherLine = QStringLiteral("その他   （              (2) 増設     (3) 改築）");
    if (flagSet(raw(k, "Betu10"))) {
        put(s, 'G', 449, marked(newLine, firstSet(k, {"Betu11", "Betu12", "Betu13"})));
        put(s, 'G', 450, otherLine);
    } else {
        const int at = flagSet(raw(k, "Betu21")) ? 2 : (flagSet(raw(k, "Betu22")) ? 3 : 0);
        put(s, 'G', 449, newLine);
        put(s, 'G', 450, marked(otherLine, at));
    }

    // 資金
    const int fund = firstSet(k, {"Kin1", "Kin2", "Kin3", "Kin4"});
    put(s, 'G', 457,
        marked(QStringLiteral(" (1) 民間資金    (2) 公営     (3) 住宅金融公庫    (4) 都市基盤整備公団"), fund));
    put(s, 'G', 458,
        fund == 0 && flagSet(raw(k, "Kin5")) ? QStringLiteral("●(5) その他") : QStringLiteral(" (5) その他"));

    // 建築工法
    put(s, 'G', 465,
        marked(QStringLiteral(" (1) 在来工法    (2) プレハブ工法     (3) 枠組壁工法"),
               firstSet(k, {"Kouhou1", "Kouhou2", "Kouhou3"})));

    // 種類: only the choice inside the brackets is marked.
    QString kinds[3] = {
        QStringLiteral(" (1) 専用住宅      （ (1) 一戸建住宅    (2) 長屋建住宅    (3) 共同住宅）"),
        QStringLiteral(" (2) 併用住宅      （ (1) 一戸建住宅    (2) 長屋建住宅    (3) 共同住宅）"),
        QStringLiteral(" (3) その他の住宅  （ (1) 一戸建住宅    (2) 長屋建住宅    (3) 共同住宅）"),
    };
    int line = 2;
    int at = 0;
    if (flagSet(raw(k, "Shurui11"))) {
        line = 0;
        at = firstSet(k, {"Shurui12", "Shurui13", "Shurui14"});
    } else if (flagSet(raw(k, "Shurui21"))) {
        line = 1;
        at = firstSet(k, {"Shurui22", "Shurui23", "Shurui24"});
    } else {
        at = firstSet(k, {"Shurui31", "Shurui32", "Shurui33"});
    }
    kinds[line] = marked(kinds[line], at, kinds[line].indexOf(u'（'));
    for (int i = 0; i < 3; ++i)
        put(s, 'G', 470 + i, kinds[i]);

    // 利用関係
    put(s, 'G', 476,
        marked(QStringLiteral("（ (1) 持家 　）  （ (2) 貸家  　）  （ (3) 給与住宅）   （ (4) 分譲住宅）"),
               firstSet(k, {"RiyouKan1", "RiyouKan2", "RiyouKan3", "RiyouKan4"})));

    // 戸数 and 床面積 in their bracketed columns.
    const int widths[4] = {9, 10, 9, 10};
    QString dwellings;
    QString areas;
    for (int i = 0; i < 4; ++i) {
        dwellings += FormText::paddedCount(val(k, col("Ko", 1 + i)), widths[i], QStringLiteral("戸）"));
        areas += FormText::paddedCount(val(k, col("Gou", 1 + i)), widths[i], QStringLiteral("㎡）"));
    }
    put(s, 'E', 478, dwellings);
    put(s, 'E', 480, areas);

    // The removal part prints only when a removal is declared.
    if (flagSet(raw(k, "JokyoChk2"))) {
        put(s, 'D', 484, val(k, "Gen1"));
        put(s, 'D', 488, val(k, "Kouz1"));
        put(s, 'D', 492, val(k, "Ksu1"));
        put(s, 'D', 494, val(k, "Jsu1"));
        put(s, 'E', 496, val(k, "Riyou2"));
        put(s, 'E', 501, val(k, "Men1"));
        put(s, 'E', 503, val(k, "HyoukaGaku"));
        for (int i = 0; i < 4; ++i)
            put(s, 'D', 506 + i, val(k, col("Seko", 1 + i)));
        put(s, 'D', 511, val(k, "Basho1"));
        put(s, 'D', 514, val(k, "Day1"));
        put(s, 'G', 516, val(k, "Youto7"));
        put(s, 'G', 517, val(k, "Youto8"));
        put(s, 'G', 518, val(k, "Youto9"));
    } else {
        for (int r = 484; r <= 518; ++r)
            for (char c = 'D'; c <= 'G'; ++c)
                s.clear(InputSheet::at(c, r));
    }
    fillNoticeInForce(p, s);
}

void fillFireObject(const ProjectData& p, InputSheet& s)
{
    const RowValues& k = p.bouka;
    put(s, 'D', 632, val(k, "Tel1"));
    put(s, 'D', 634, val(k, "Day1"));
    put(s, 'D', 636, val(k, "Nin1"));
    put(s, 'D', 638, val(k, "Time1"));
    put(s, 'D', 640, val(k, "Gai1"));
    put(s, 'D', 641, val(k, "Gai2"));
    put(s, 'D', 642, val(k, "Gai3"));
    put(s, 'D', 645, val(k, "Sonota1"));
}

void fillPowerOfAttorney(const ProjectData& p, InputSheet& s)
{
    const RowValues& k = p.inin;
    QString text;
    if (flagSet(raw(k, "Inin1")))
        text = QStringLiteral("■　建築確認　　　□　中間検査　　　　□　完了検査");
    else if (flagSet(raw(k, "Inin2")))
        text = QStringLiteral("□　建築確認　　　■　中間検査　　　　□　完了検査");
    else
        text = QStringLiteral("□　建築確認　　　□　中間検査　　　　■　完了検査");
    put(s, 'D', 520, text);
    fillAttorneyMatters(p, s);
}

void fillBusinessRecord(const ProjectData& p, InputSheet& s)
{
    const RowValues& k = p.gyoumu;
    for (int i = 0; i < 5; ++i) {
        const QString v = val(k, col("Name", 1 + i));
        put(s, 'E', 557 + i, v);
        put(s, 'J', 43 + i, v);
    }
    put(s, 'D', 563, val(k, "Day1"));
    put(s, 'D', 565,
        boxLine({{FormText::leadingNumber(raw(k, "Shu1")), QStringLiteral("企画・調査　　")},
                 {FormText::leadingNumber(raw(k, "Shu2")), QStringLiteral("基本設計　　")},
                 {FormText::leadingNumber(raw(k, "Shu3")), QStringLiteral("実施設計　　")},
                 {FormText::leadingNumber(raw(k, "Shu4")), QStringLiteral("工事監理　　")},
                 {FormText::leadingNumber(raw(k, "Shu5")), QStringLiteral("その他")}}));
    for (int i = 0; i < 5; ++i)
        putStored(s, 'F', 565 + i, k.value(col("Shu", 1 + i)));
    put(s, 'D', 572, val(k, "Kin1"));
    put(s, 'D', 573, val(k, "Kin2"));
    put(s, 'D', 575, val(k, "Day2"));
    putNumbered(s, 577, 3, k, {{'F', "Tori"}});
    putNumbered(s, 581, 6, k, {{'F', "Sekei"}});
    putNumbered(s, 587, 6, k, {{'F', "Kanri"}});
    putNumbered(s, 595, 6, k, {{'C', "Kou"}, {'E', "Yosan"}, {'G', "Keiy"}, {'I', "Ed"}});
    putNumbered(s, 595, 7, k, {{'K', "Ttl"}});
    putNumbered(s, 604, 7, k, {{'C', "Corp"}, {'E', "Addr"}, {'I', "Tel"}, {'K', "Tan"}});
}

void fillRecordBook(const ProjectData& p, InputSheet& s)
{
    for (int i = 0; i < kRecordBookLines; ++i) {
        const RecordBookLine line = i < p.recordBook.size() ? p.recordBook[i] : RecordBookLine();
        const int r = kRecordBookFirstRow + i;
        put(s, 'C', r, line.title);
        put(s, 'D', r, line.year);
        put(s, 'E', r, line.month);
        put(s, 'F', r, line.day);
        put(s, 'G', r, line.content);
    }
}

}  // namespace SinseiCellMap
