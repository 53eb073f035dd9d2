#pragma once

#include <QString>
#include <QStringList>

#include <array>

class Storage;

// The computations of the per-building and per-floor windows.
namespace BuildingRules {

inline constexpr int kFloorLines = 6;  // floor lines of a building, and floor slots per building

// The floor names of a building from its floor counts: the basement floors
// first, deepest first ("B2", "B1"), then the floors above ground ("1F",
// "2F", …), until the six lines are used; unused lines are empty. An empty
// count names no floors.
std::array<QString, kFloorLines> floorNames(const QString& aboveGround, const QString& belowGround);

// The number of floors listed for a building (above ground plus below,
// each rounded to a whole number, empty as 0), never more than its slots.
int listedFloors(const QString& aboveGround, const QString& belowGround);

// 【１０．床面積】: six lines, each with the applied part and the other
// part. A total above 0 shows as "#,###,##0.00", otherwise empty.
struct FloorAreaTotals {
    std::array<QString, kFloorLines> lines;  // applied + other of each line
    QString applied;                         // sum of the applied parts
    QString other;                           // sum of the other parts
    QString all;                             // sum of the line totals
};
FloorAreaTotals floorAreaTotals(const std::array<QString, kFloorLines>& applied,
                                const std::array<QString, kFloorLines>& other);

// Gives building b's (0-based) per-floor rows the floor names of new
// floor counts, as saving the per-building window does: the names the user
// gave the floors are replaced; empty names leave a row as it is. Run it
// inside the caller's transaction.
bool nameFloorRows(Storage& storage, qint64 bid, int building, const std::array<QString, kFloorLines>& names, QString* error);

}  // namespace BuildingRules
