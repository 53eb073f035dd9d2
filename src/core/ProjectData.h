#pragma once

#include <QHash>
#include <QString>
#include <QVariant>
#include <QVector>

#include <array>

class Storage;

// One row of a table: column name (as the schema spells it) → value.
using RowValues = QHash<QString, QVariant>;

// The tables that hold one set of rows per project, keyed by B_ID, in the
// order their rows are created.
namespace ProjectTables {
inline const QStringList all{
    QStringLiteral("GAIYOU"), QStringLiteral("BOUKA"), QStringLiteral("GYOUMU"), QStringLiteral("ININ"),
    QStringLiteral("KAIBETU"), QStringLiteral("KANRYOU"), QStringLiteral("KOUJI"), QStringLiteral("SCHEDULE"),
    QStringLiteral("SHIKICHI"), QStringLiteral("TATEMONOBETU"), QStringLiteral("SEKKEIKANRI"), QStringLiteral("DOKURITSU"),
};
inline constexpr int kBuildings = 3;
inline constexpr int kFloorSlots = 6;  // floor slots per building
}  // namespace ProjectTables

// A line of the record book (業務記録簿).
struct RecordBookLine {
    qint64 id = 0;
    QString title;    // F_STR01
    QString year;     // F_STR02
    QString month;    // F_STR03
    QString day;      // F_STR04
    QString content;  // F_STR05
};

// Everything of one project that windows and output read: the loaded rows
// of every per-project table, the building count, the schedule and the
// record book.
struct ProjectData {
    qint64 bid = 0;
    RowValues gaiyou;
    RowValues shikichi;
    RowValues kanryou;
    RowValues kouji;
    RowValues bouka;
    RowValues inin;
    RowValues gyoumu;
    std::array<RowValues, ProjectTables::kBuildings> buildings;  // TATEMONOBETU in row order
    // KAIBETU in row order: building b, floor slot f at b * 6 + f.
    std::array<RowValues, ProjectTables::kBuildings * ProjectTables::kFloorSlots> floors;
    // SEKKEIKANRI in row order: further designers, supervisors and persons consulted (column Kubun 1, 2, 3).
    QVector<RowValues> persons;
    // DOKURITSU in row order: the structurally independent parts; SU_NO names the building (1 to 3).
    QVector<RowValues> parts;
    QVector<RowValues> schedule;
    QVector<RecordBookLine> recordBook;  // 90 lines
    int buildingCount = 1;

    // The further persons of one kind, and the independent parts of building b (0-based), in row order.
    QVector<RowValues> personsOf(int kubun) const;
    QVector<RowValues> partsOf(int building) const;

    bool isLoaded() const { return bid > 0; }
    qint64 gaiyouId() const { return gaiyou.value(QStringLiteral("ID")).toLongLong(); }
    QString text(const RowValues& row, const QString& column) const
    {
        const QVariant v = row.value(column);
        return v.isNull() ? QString() : v.toString();
    }

    // Reads every per-project row of B_ID; the record book lines are made
    // on the first load. False with *error when the project is gone or a
    // database fails.
    static bool load(Storage& storage, qint64 bid, ProjectData* out, QString* error);
};

// The building count as stored in SHIKICHI.Tou1: empty or unreadable text is 1.
int buildingCountFromText(const QString& text);
