#pragma once

// A fully populated three-building project (every column of every table
// filled, text of some length, flags set), the load the output benchmarks
// measure.
#include "ProjectData.h"
#include "Schema.h"

namespace BenchProject {

// Every column of a table filled: text as a value of some length, flags set.
inline RowValues fullRow(const QString& table, int salt)
{
    RowValues row;
    const TableDef* def = DatabaseSchema::builtIn(DbFile::Kakunin).table(table);
    if (!def)
        return row;
    for (const ColumnDef& c : def->columns) {
        if (c.type == ColumnType::Integer)
            row.insert(c.name, (c.name.size() + salt) % 2);
        else
            row.insert(c.name, QStringLiteral("%1の値%2　東京都千代田区一番町").arg(c.name).arg(salt));
    }
    return row;
}

inline ProjectData fullProject()
{
    ProjectData p;
    p.bid = 1;
    p.buildingCount = 3;
    p.gaiyou = fullRow(QStringLiteral("GAIYOU"), 0);
    p.shikichi = fullRow(QStringLiteral("SHIKICHI"), 0);
    p.shikichi.insert(QStringLiteral("Tou1"), QStringLiteral("3"));
    p.kanryou = fullRow(QStringLiteral("KANRYOU"), 0);
    p.kouji = fullRow(QStringLiteral("KOUJI"), 0);
    p.bouka = fullRow(QStringLiteral("BOUKA"), 0);
    p.inin = fullRow(QStringLiteral("ININ"), 0);
    p.gyoumu = fullRow(QStringLiteral("GYOUMU"), 0);
    for (int b = 0; b < 3; ++b) {
        p.buildings[b] = fullRow(QStringLiteral("TATEMONOBETU"), b);
        p.buildings[b].insert(QStringLiteral("Kai30"), QString::number(3 + b));
        p.buildings[b].insert(QStringLiteral("Kai31"), QStringLiteral("1"));
    }
    for (int i = 0; i < 18; ++i)
        p.floors[i] = fullRow(QStringLiteral("KAIBETU"), i);
    p.recordBook.resize(90);
    for (int i = 0; i < 90; ++i)
        p.recordBook[i] = {i + 1, QStringLiteral("項目%1").arg(i), QStringLiteral("2024"), QStringLiteral("4"),
                           QString::number(i % 28 + 1), QStringLiteral("記録の内容 %1").arg(i)};
    return p;
}

}  // namespace BenchProject
