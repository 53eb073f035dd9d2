#pragma once

// A fully populated three-building project (every column of every table
// filled, text of some length, every flag and choice set, further persons
// and independent parts entered): the load the output benchmarks measure,
// and the project the output tests fill every cell of the forms with.
#include "ProjectData.h"
#include "Schema.h"

namespace BenchProject {

// How long the texts are: of some length, the load of the output, or short
// enough that every value fits its box on the forms.
enum class Texts { OfSomeLength, Fitting };

// Every column of a table filled: integers 1 or 2, so that no flag or
// choice is left unset.
inline RowValues fullRow(const QString& table, int salt, Texts texts = Texts::OfSomeLength)
{
    RowValues row;
    const TableDef* def = DatabaseSchema::builtIn(DbFile::Kakunin).table(table);
    if (!def)
        return row;
    for (const ColumnDef& c : def->columns) {
        if (c.type == ColumnType::Integer)
            row.insert(c.name, 1 + (c.name.size() + salt) % 2);
        else
            row.insert(c.name, (texts == Texts::Fitting ? QStringLiteral("%1%2")
                                                        : QStringLiteral("%1の値%2　東京都千代田区一番町"))
                                   .arg(c.name)
                                   .arg(salt));
    }
    return row;
}

inline ProjectData fullProject(Texts texts = Texts::OfSomeLength)
{
    ProjectData p;
    p.bid = 1;
    p.buildingCount = 3;
    p.gaiyou = fullRow(QStringLiteral("GAIYOU"), 0, texts);
    p.shikichi = fullRow(QStringLiteral("SHIKICHI"), 0, texts);
    p.shikichi.insert(QStringLiteral("Tou1"), QStringLiteral("3"));
    p.kanryou = fullRow(QStringLiteral("KANRYOU"), 0, texts);
    p.kouji = fullRow(QStringLiteral("KOUJI"), 0, texts);
    p.bouka = fullRow(QStringLiteral("BOUKA"), 0, texts);
    p.inin = fullRow(QStringLiteral("ININ"), 0, texts);
    p.gyoumu = fullRow(QStringLiteral("GYOUMU"), 0, texts);
    // Five floors above ground and one below: all six floor pages of each building.
    for (int b = 0; b < 3; ++b) {
        p.buildings[b] = fullRow(QStringLiteral("TATEMONOBETU"), b, texts);
        p.buildings[b].insert(QStringLiteral("Kai30"), QStringLiteral("5"));
        p.buildings[b].insert(QStringLiteral("Kai31"), QStringLiteral("1"));
    }
    for (int i = 0; i < 18; ++i)
        p.floors[i] = fullRow(QStringLiteral("KAIBETU"), i, texts);
    // Three further designers, supervisors and persons consulted; two
    // independent parts of each building.
    for (int k = 1; k <= 3; ++k)
        for (int n = 0; n < 3; ++n) {
            RowValues r = fullRow(QStringLiteral("SEKKEIKANRI"), n, texts);
            r.insert(QStringLiteral("Kubun"), k);
            p.persons << r;
        }
    for (int b = 1; b <= 3; ++b)
        for (int n = 0; n < 2; ++n) {
            RowValues r = fullRow(QStringLiteral("DOKURITSU"), n, texts);
            r.insert(QStringLiteral("SU_NO"), b);
            p.parts << r;
        }
    p.recordBook.resize(90);
    for (int i = 0; i < 90; ++i)
        p.recordBook[i] = {i + 1, QStringLiteral("項目%1").arg(i), QStringLiteral("2024"), QStringLiteral("4"),
                           QString::number(i % 28 + 1), QStringLiteral("記録の内容 %1").arg(i)};
    return p;
}

}  // namespace BenchProject
