// The cells of the buildings' own pages as the forms in force print them:
// the fourth face's choices and formatted area table, the fifth face's
// suspended ceiling and areas, and the sixth face of every independent
// part. The rows mirror tools/template-layout/input_buildings.py.
#include "CellMapSupport.h"
#include "SinseiCellMap.h"

using namespace CellMapSupport;
using FormText::boxMark;

namespace SinseiCellMap {

namespace {

constexpr int kBuildingBase[3] = {2000, 2100, 2200};
constexpr int kNumber = 0;
constexpr int kUses = 1;
constexpr int kStructure = 6;
constexpr int kMainStructure = 10;
constexpr int kArt21 = 17;
constexpr int kArt61 = 22;
constexpr int kAreas = 30;
constexpr int kAreaTotal = 36;

constexpr int kFloorNewBase = 2400;
constexpr int kFloorRows = 10;
constexpr int kCeiling = 0;
constexpr int kFloorAreas = 1;

constexpr int kPartBase = 2600;
constexpr int kPartRows = 20;
constexpr int kPartNumber = 0;
constexpr int kPartArea = 1;
constexpr int kPartHeight = 2;
constexpr int kPartEaves = 3;
constexpr int kPartStoreys = 4;
constexpr int kPartStructure = 5;
constexpr int kPartBasis = 6;
constexpr int kPartCalc = 8;
constexpr int kPartProgram = 13;
constexpr int kPartProgramKind = 14;
constexpr int kPartRei137 = 15;
constexpr int kPartRemarks = 16;

int floorRow(int b, int f, int offset)
{
    return kFloorNewBase + (b * ProjectTables::kFloorSlots + f) * kFloorRows + offset;
}

int partRow(int b, int p, int offset)
{
    return kPartBase + (b * kPartSlots + p) * kPartRows + offset;
}

QString area(const RowValues& r, const QString& column)
{
    return FormText::decimal(val(r, column), 2, true);
}

// A total the entry window computes; a row that never passed through the
// window (typed in by the batch tool, an older release) gets it here.
QString total(const RowValues& r, const QString& column, const QStringList& parts)
{
    const QString stored = area(r, column);
    if (!stored.isEmpty())
        return stored;
    double sum = 0;
    bool any = false;
    for (const QString& c : parts) {
        const QString v = val(r, c).trimmed();
        if (!v.isEmpty()) {
            any = true;
            sum += FormText::leadingNumber(FormText::decimal(v).remove(QLatin1Char(',')));
        }
    }
    return any ? FormText::decimal(QString::number(sum, 'f', 2), 2, true) : QString();
}

// "鉄骨" reads "鉄骨造"; a structure that already names 造 stays as it is.
QString withZou(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.contains(QStringLiteral("造")))
        return t;
    return t + QStringLiteral("造");
}

QString structure(const RowValues& r, const char* main, const char* partial)
{
    QString out = withZou(val(r, main));
    const QString other = withZou(val(r, partial));
    if (!other.isEmpty())
        out += (out.isEmpty() ? QString() : QStringLiteral("　")) + QStringLiteral("一部") + other;
    return out;
}

void marks(InputSheet& s, int firstRow, const RowValues& r, const char* prefix, int count)
{
    for (int i = 0; i < count; ++i)
        put(s, 'C', firstRow + i, boxMark(r.value(col(prefix, i + 1))));
}

void fillBuilding(const ProjectData& p, int b, InputSheet& s)
{
    const RowValues& t = p.buildings[b];
    const int base = kBuildingBase[b];
    put(s, 'C', base + kNumber, QString::number(b + 1));
    for (int i = 0; i < 5; ++i) {
        const QString code = val(t, col("Kubun", 30 + i)).trimmed();
        const QString kind = val(t, col("KubunDisp", 30 + i)).trimmed();
        const QString use = val(t, col("Youto", 30 + i)).trimmed();
        const bool used = !code.isEmpty() || !kind.isEmpty() || !use.isEmpty();
        put(s, 'C', base + kUses + i, used ? QStringLiteral("（区分　") + code + QStringLiteral("　）") : QString());
        put(s, 'D', base + kUses + i, kind);
        put(s, 'E', base + kUses + i, use);
    }
    put(s, 'C', base + kStructure, structure(t, "Zou31", "Zou32"));
    marks(s, base + kMainStructure, t, "Kouzoubu", 7);
    marks(s, base + kArt21, t, "Jou21_", 5);
    marks(s, base + kArt61, t, "Jou61_", 5);

    // The area table prints the floors that have an area; a floor named
    // but without any area is left out rather than printed as 0.
    for (int i = 0; i < 6; ++i) {
        const int m = 40 + 3 * i;
        const QString applied = area(t, col("Men", m));
        const QString other = area(t, col("Men", m + 1));
        const QString sum = total(t, col("Men", m + 2), {col("Men", m), col("Men", m + 1)});
        const bool any = !applied.isEmpty() || !other.isEmpty() || !sum.isEmpty();
        const int row = base + kAreas + i;
        put(s, 'C', row, any ? val(t, col("Kai", 40 + i)) : QString());
        put(s, 'D', row, applied);
        put(s, 'E', row, other);
        put(s, 'F', row, sum);
    }
    QStringList applied, other, all;
    for (int i = 0; i < 6; ++i) {
        applied << col("Men", 40 + 3 * i);
        other << col("Men", 41 + 3 * i);
        all << col("Men", 40 + 3 * i) << col("Men", 41 + 3 * i);
    }
    const int row = base + kAreaTotal;
    put(s, 'D', row, total(t, QStringLiteral("Men58"), applied));
    put(s, 'E', row, total(t, QStringLiteral("Men59"), other));
    put(s, 'F', row, total(t, QStringLiteral("Men60"), all));
}

void fillFloorExtras(const ProjectData& p, int b, InputSheet& s)
{
    const int floors = floorCount(p.buildings[b]);
    for (int f = 0; f < ProjectTables::kFloorSlots; ++f) {
        const RowValues& fl = p.floors[b * ProjectTables::kFloorSlots + f];
        const bool used = f < floors;
        const RowValues none;
        const RowValues& r = used ? fl : none;
        put(s, 'C', floorRow(b, f, kCeiling), boxMark(r.value(QStringLiteral("F1Tokutei1"))));
        put(s, 'D', floorRow(b, f, kCeiling), boxMark(r.value(QStringLiteral("F1Tokutei2"))));
        for (int i = 0; i < 6; ++i)
            put(s, 'C', floorRow(b, f, kFloorAreas + i), area(r, col("F1Men", 60 + i)));
    }
}

// A storey count of 0 is no storey: it prints empty like a count never entered.
QString count(const QString& stored)
{
    const QString t = stored.trimmed();
    return FormText::decimal(t, 0, true).isEmpty() ? QString() : t;
}

QString rei137(const QString& stored)
{
    QString t = stored.trimmed();
    if (t.isEmpty())
        return t;
    if (!t.startsWith(QStringLiteral("第")))
        t.prepend(QStringLiteral("第"));
    if (!t.endsWith(QStringLiteral("号")))
        t.append(QStringLiteral("号"));
    return t;
}

void fillParts(const ProjectData& p, int b, InputSheet& s)
{
    const QVector<RowValues> parts = p.partsOf(b);
    for (int slot = 0; slot < kPartSlots; ++slot) {
        const RowValues none;
        const RowValues& r = slot < parts.size() ? parts[slot] : none;
        auto row = [&](int offset) { return partRow(b, slot, offset); };
        // A building without entered parts is one part: its number is the building's.
        QString number = val(r, "Ban").trimmed();
        if (number.isEmpty())
            number = parts.size() > 1 ? QStringLiteral("%1-%2").arg(b + 1).arg(slot + 1) : QString::number(b + 1);
        put(s, 'C', row(kPartNumber), number);
        put(s, 'C', row(kPartArea), area(r, QStringLiteral("NobeMen")));
        put(s, 'C', row(kPartHeight), val(r, "Takasa1").trimmed());
        put(s, 'C', row(kPartEaves), val(r, "Takasa2").trimmed());
        put(s, 'C', row(kPartStoreys), count(val(r, "Kai1")));
        put(s, 'D', row(kPartStoreys), count(val(r, "Kai2")));
        put(s, 'C', row(kPartStructure), structure(r, "Zou1", "Zou2"));
        marks(s, row(kPartBasis), r, "Kijun", 2);
        marks(s, row(kPartCalc), r, "Keisan", 5);
        put(s, 'C', row(kPartProgram), val(r, "Prog"));
        put(s, 'C', row(kPartProgramKind), boxMark(r.value(QStringLiteral("ProgKubun1"))));
        put(s, 'D', row(kPartProgramKind), boxMark(r.value(QStringLiteral("ProgKubun2"))));
        put(s, 'E', row(kPartProgramKind), val(r, "ProgNintei"));
        put(s, 'C', row(kPartRei137), rei137(val(r, "Rei137")));
        put(s, 'C', row(kPartRemarks), val(r, "Bikou"));
    }
}

}  // namespace

void fillBuildingPages(const ProjectData& p, InputSheet& s)
{
    for (int b = 0; b < ProjectTables::kBuildings; ++b) {
        fillBuilding(p, b, s);
        fillFloorExtras(p, b, s);
        fillParts(p, b, s);
    }
}

QStringList outputNotes(const ProjectData& p)
{
    QStringList notes;
    const int buildings = qBound(1, p.buildingCount, ProjectTables::kBuildings);
    for (int b = 0; b < buildings; ++b) {
        const int floors = floorCount(p.buildings[b]);
        if (floors > ProjectTables::kFloorSlots)
            notes << QStringLiteral("建築物%1は%2階ありますが、階別概要（第五面）と床面積の表は%3階分まで印刷します（%4階目以降は印刷されません）。")
                         .arg(b + 1)
                         .arg(floors)
                         .arg(ProjectTables::kFloorSlots)
                         .arg(ProjectTables::kFloorSlots + 1);
        const int parts = p.partsOf(b).size();
        if (parts > kPartSlots)
            notes << QStringLiteral("建築物%1の独立部分は%2つまで印刷します（%3つ目以降は印刷されません）。")
                         .arg(b + 1)
                         .arg(kPartSlots)
                         .arg(kPartSlots + 1);
    }
    for (const RowValues& r : p.parts) {
        const QString su = val(r, "SU_NO").trimmed();
        bool known = false;
        for (int b = 0; b < buildings; ++b)
            known = known || su == QString::number(b + 1);
        if (!known)
            notes << QStringLiteral("独立部分「%1」は建築物の番号（%2）が申請する建築物にないため印刷されません。")
                         .arg(val(r, "Ban").trimmed(), val(r, "SU_NO").trimmed());
    }
    if (p.personsOf(kSupervisionConsulted).size() > kSupervisionConsultedSlots)
        notes << QStringLiteral("建築設備の工事監理に関し意見を聴いた者は%1人まで印刷します（%2人目以降は印刷されません）。")
                     .arg(kSupervisionConsultedSlots)
                     .arg(kSupervisionConsultedSlots + 1);
    return notes;
}

}  // namespace SinseiCellMap
