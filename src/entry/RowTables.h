#pragma once

#include "FieldTable.h"
#include "FlagRules.h"
#include "ProjectData.h"

#include <QHash>

struct MasterPickResult;

// The fields of the child rows that the entry windows list: the further
// designers, supervisors and persons consulted on the building equipment
// (SEKKEIKANRI by Kubun), and the structurally independent parts of a
// building (DOKURITSU).
namespace RowTables {

// SupervisionConsulted: the persons consulted on the supervision of the
// building equipment of an inspection application, the first of them the
// representative.
enum PersonKind { FurtherDesigner = 1, FurtherSupervisor = 2, FurtherConsulted = 3, SupervisionConsulted = 4 };

// The fields of one kind of further person; only the consulted person
// lacks the architect's and the office's registrations.
FieldTable persons(int kubun);
// The line of a person in its list.
QString personLine(const RowValues& row);
// What a pick from the architect master puts into a person's fields.
QHash<QString, QString> architectValues(const MasterPickResult& picked);

FieldTable parts();
// 【４】, 【５】 and the program's 【ロ．区分】: one box of each at most.
FlagRules partRules();
QString partLine(const RowValues& row);

}  // namespace RowTables
