#pragma once

#include "BuildingRules.h"
#include "EntryForm.h"
#include "ProjectData.h"

#include <QVector>

#include <array>

class QLabel;
class RowsEditor;
class QSpinBox;

// 建築物別概要: one TATEMONOBETU row per building. The window holds every
// building in memory while it is open, shows one at a time and saves all
// of them at once; its floor counts also name the floors of the per-floor
// window.
class P_TatemonoBetuForm : public EntryForm {
    Q_OBJECT
public:
    // buildingCount: the number of buildings applied for, as last set in the
    // main window (the chooser runs from 1 to it).
    P_TatemonoBetuForm(Storage& storage, qint64 bid, int buildingCount, QWidget* parent = nullptr);

    static FieldTable fieldTable();

    int buildingCount() const { return m_count; }
    // The building shown, 1-based.
    int shownBuilding() const { return m_shown + 1; }
    void showBuilding(int number);
    // Shows a building when the window first comes up, with the focus in
    // its above-ground floor count: for a building whose counts are missing.
    void requestBuilding(int number);
    // The in-memory record of a building (1-based).
    RowValues record(int number) const { return m_records.value(number - 1); }
    QSpinBox* chooser() const { return m_chooser; }
    // 独立部分: the independent parts of the building shown.
    RowsEditor* parts() const { return m_parts; }

signals:
    // Apply wrote new floor names for a building (1-based) because its
    // floor counts changed.
    void floorsRenamed(int building, const std::array<QString, BuildingRules::kFloorLines>& names);

protected:
    bool loadRecords(QString* error) override;
    bool saveRecords(QString* error) override;
    void fieldChanged(const QString& column) override;
    void fieldLeft(const QString& column) override;
    bool enterPressed(const QString& column) override;
    void showEvent(QShowEvent* event) override;

private:
    void nameFloorLines();
    void computeTotals();
    bool addToCodeList(const QString& column);
    void showCounts();

    int m_count;
    int m_rows = 0;  // rows the project has in the table
    int m_shown = 0;
    int m_requested = 0;
    QVector<RowValues> m_records;
    QSpinBox* m_chooser = nullptr;
    QLabel* m_above = nullptr;
    QLabel* m_below = nullptr;
    RowsEditor* m_parts = nullptr;
};
