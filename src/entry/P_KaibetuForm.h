#pragma once

#include "BuildingRules.h"
#include "EntryForm.h"
#include "ProjectData.h"

#include <QVector>

#include <array>
#include <functional>

class QSpinBox;
class QTreeWidget;

// 建築物の階別概要: the six KAIBETU rows of each building (one per floor
// slot). All rows are held in memory while the window is open; one
// building and one floor are shown at a time and all are saved at once.
class P_KaibetuForm : public EntryForm {
    Q_OBJECT
public:
    using BuildingRecords = std::array<RowValues, ProjectTables::kBuildings>;

    // buildingCount as last set in the main window. buildings gives the
    // per-building records whose floor counts decide how many floors each
    // building lists; without it the window reads them from the database.
    P_KaibetuForm(Storage& storage, qint64 bid, int buildingCount,
                  std::function<BuildingRecords()> buildings = {}, QWidget* parent = nullptr);

    static FieldTable fieldTable();

    int shownBuilding() const { return m_building + 1; }
    int shownFloor() const { return m_floor; }
    void showBuilding(int number);
    void showFloor(int floor);
    // The in-memory record of a building's floor slot (building 1-based, floor 0-based).
    RowValues record(int building, int floor) const;
    QTreeWidget* floorList() const { return m_list; }
    QSpinBox* chooser() const { return m_chooser; }

    // Lists the floors of the shown building again from the floor counts.
    void refreshFloorList();
    // The per-building window saved new floor names for a building: they
    // are stored already, so they replace the names held here.
    void renameFloors(int building, const std::array<QString, BuildingRules::kFloorLines>& names);

protected:
    bool loadRecords(QString* error) override;
    bool saveRecords(QString* error) override;
    void fieldChanged(const QString& column) override;

private:
    int recordIndex(int building, int floor) const;
    BuildingRecords buildingRecords() const;

    int m_count;
    std::function<BuildingRecords()> m_buildings;
    BuildingRecords m_readBuildings;  // when no source was given
    QVector<RowValues> m_records;
    int m_building = 0;
    int m_floor = 0;
    bool m_fillingList = false;
    QSpinBox* m_chooser = nullptr;
    QTreeWidget* m_list = nullptr;
};
