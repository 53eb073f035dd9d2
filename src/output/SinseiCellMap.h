#pragma once

#include "InputSheet.h"
#include "ProjectData.h"

#include <array>

// The cell map of the input sheet "データ入力１": which value of a project
// goes into which cell. The template's printed sheets read these cells
// through formulas, so the map is the whole contract between the program
// and the template. Each section is a plain function so that it can be
// checked without any file.
namespace SinseiCellMap {

inline const QString kInputSheet = QStringLiteral("データ入力１");
inline const QString kApplicationSheet = QStringLiteral("確認申請");

// Rows of the input sheet are those of building 1; buildings 2 and 3 sit
// this many rows further down.
inline constexpr std::array<int, 3> kBuildingOffset{0, 778, 1111};
// First row of each floor page of the input sheet, by building and floor slot.
inline constexpr int kFloorBase[3][6] = {
    {298, 780, 817, 854, 891, 928},
    {1076, 1113, 1150, 1187, 1224, 1261},
    {1409, 1446, 1483, 1520, 1557, 1594},
};
// The input cell of the inspection block that holds the floor area under
// inspection (KANRYOU.Men1).
inline const char* const kInspectionAreaCell = "D356";
// The record book: line i on row kRecordBookFirstRow + i, columns C to G.
inline constexpr int kRecordBookFirstRow = 1630;
inline constexpr int kRecordBookLines = 90;

// Further persons of kinds 1 designers, 2 supervisors, 3 persons
// consulted: two input rows each from the first row, as many as the
// printed pages hold.
inline constexpr int kFurtherPersonFirstRow[3] = {1820, 1840, 1850};
inline constexpr int kFurtherPersonSlots[3] = {9, 5, 5};

// Floors of a building: above-ground plus below-ground count, each read
// as a number (empty = 0), whole floors only.
int floorCount(const RowValues& building);
// The project with the floor label of every slot beyond its building's
// floor count made empty, so that those floor pages print empty. The
// database keeps its values.
ProjectData withUnusedFloorsBlanked(const ProjectData& project);

// The application proper.
void fillOverview(const ProjectData& p, InputSheet& sheet);       // GAIYOU
void fillPeople(const ProjectData& p, InputSheet& sheet);         // GAIYOU's later items, SEKKEIKANRI
void fillSite(const ProjectData& p, InputSheet& sheet);           // SHIKICHI, and per building: 工事種別, 特例, 便所
// The figures of the site face in the printed shape and the items the forms in force added.
void fillSiteFigures(const ProjectData& p, InputSheet& sheet);
void fillBuildings(const ProjectData& p, InputSheet& sheet);      // TATEMONOBETU, then the cross-building cells
void fillFloors(const ProjectData& p, InputSheet& sheet);         // KAIBETU
// The buildings' pages in the shape of the forms in force (第四面 choices
// and areas, 第五面 ceilings and areas, 第六面 per independent part);
// fillFloors ends with it.
void fillBuildingPages(const ProjectData& p, InputSheet& sheet);
// Independent parts printed per building; the template has this many sixth faces.
inline constexpr int kPartSlots = 4;
// What the printed pages cannot hold (a seventh floor, a fifth part), as
// sentences to show the user after the output.
QStringList outputNotes(const ProjectData& p);
// The other documents.
void fillInspection(const ProjectData& p, InputSheet& sheet);     // KANRYOU, ending with the next
// The inspection applications' faces in the shape of the forms in force:
// marked choices, the inspection history as typed, 工事監理の状況 and
// the persons consulted on the supervision of the building equipment.
void fillInspectionFaces(const ProjectData& p, InputSheet& sheet);
inline constexpr int kInspectionObjectRow = 3000;  // C: mark, one row per object (Shin1-6)
inline constexpr int kInspectionObjects = 6;
inline constexpr int kInspectionWorkRow = 3008;    // C: mark per kind of work
inline constexpr int kInspectionHistoryRow = 3016; // C, D: Kai1/Kai2 … Kai15/Kai16
inline constexpr int kInspectionCountRow = 3024;   // C: n of the intermediate inspection applied for
// C: 工事種別's イ (the buildings' 令第10条 classes), ロ (their type approvals)
// and ハ (the certification number of the inspection exemption).
inline constexpr int kInspectionExemptionRow = 3025;
inline constexpr int kSupervisionRow = 3030;       // C-G per part checked, then the remarks (completion)
inline constexpr int kIntermediateSupervisionRow = 3448;  // the same for the intermediate inspection
inline constexpr int kSupervisionParts = 9;
// SEKKEIKANRI.Kubun of the persons consulted on the supervision of the
// building equipment; the first is the representative. Two rows each.
inline constexpr int kSupervisionConsulted = 4;
inline constexpr int kSupervisionConsultedRow = 3050;
inline constexpr int kSupervisionConsultedSlots = 5;
void fillConstructionNotice(const ProjectData& p, InputSheet& sheet);  // KOUJI
void fillFireObject(const ProjectData& p, InputSheet& sheet);     // BOUKA
void fillPowerOfAttorney(const ProjectData& p, InputSheet& sheet);  // ININ
// The notices of the edition in force (rows 3200 on) and the matters of the
// power of attorney (rows 3300 on); the two sections above end with them.
void fillNoticeInForce(const ProjectData& p, InputSheet& sheet);
void fillAttorneyMatters(const ProjectData& p, InputSheet& sheet);
// Whether the construction notice has a housing part, and a removal.
bool noticeHasHousing(const ProjectData& p);
bool noticeHasRemoval(const ProjectData& p);
void fillBusinessRecord(const ProjectData& p, InputSheet& sheet);  // GYOUMU
void fillRecordBook(const ProjectData& p, InputSheet& sheet);     // record book lines

// Every section in the fixed order; later sections overwrite cells that
// earlier ones also wrote. The floor slots are blanked first.
void fillAll(const ProjectData& p, InputSheet& sheet);

}  // namespace SinseiCellMap
