#include "BuildingRules.h"

#include "NumberText.h"
#include "ProjectData.h"
#include "Recordset.h"

#include <cmath>

namespace BuildingRules {

namespace {

int count(const QString& text)
{
    return static_cast<int>(std::lround(NumberText::leadingNumber(NumberText::format(text, 0, false))));
}

QString totalText(double value)
{
    return value > 0 ? NumberText::decimalText(value) : QString();
}

}  // namespace

std::array<QString, kFloorLines> floorNames(const QString& aboveGround, const QString& belowGround)
{
    std::array<QString, kFloorLines> names;
    int line = 0;
    if (!belowGround.isEmpty())
        for (int b = count(belowGround); b >= 1 && line < kFloorLines; --b)
            names[line++] = QStringLiteral("B%1").arg(b);
    if (!aboveGround.isEmpty())
        for (int a = 1; a <= count(aboveGround) && line < kFloorLines; ++a)
            names[line++] = QStringLiteral("%1F").arg(a);
    return names;
}

int listedFloors(const QString& aboveGround, const QString& belowGround)
{
    const int n = qMax(0, count(aboveGround)) + qMax(0, count(belowGround));
    return qMin(n, kFloorLines);
}

FloorAreaTotals floorAreaTotals(const std::array<QString, kFloorLines>& applied,
                                const std::array<QString, kFloorLines>& other)
{
    FloorAreaTotals t;
    double sumApplied = 0, sumOther = 0, sumLines = 0;
    for (int i = 0; i < kFloorLines; ++i) {
        const double a = NumberText::read(applied[i]);
        const double o = NumberText::read(other[i]);
        sumApplied += a;
        sumOther += o;
        t.lines[i] = totalText(a + o);
        sumLines += NumberText::read(t.lines[i]);
    }
    t.applied = totalText(sumApplied);
    t.other = totalText(sumOther);
    t.all = totalText(sumLines);
    return t;
}

bool nameFloorRows(Storage& storage, qint64 bid, int building, const std::array<QString, kFloorLines>& names, QString* error)
{
    Recordset floors(storage, DbFile::Kakunin);
    if (!floors.open(QStringLiteral("KAIBETU"), QStringLiteral("B_ID"), bid)) {
        *error = floors.errorString();
        return false;
    }
    for (int f = 0; f < kFloorLines; ++f) {
        const int row = building * ProjectTables::kFloorSlots + f;
        if (names[f].isEmpty() || row >= floors.recordCount())
            continue;
        floors.moveTo(row);
        if (floors.text(QStringLiteral("F1Kai60")) == names[f])
            continue;
        if (!floors.setValue(QStringLiteral("F1Kai60"), names[f]) || !floors.update()) {
            *error = floors.errorString();
            return false;
        }
    }
    return true;
}

}  // namespace BuildingRules
