#include "ProjectData.h"

#include "Recordset.h"
#include "RecordBook.h"
#include "ScheduleStore.h"
#include "Storage.h"

namespace {

RowValues rowOf(const Recordset& rs)
{
    RowValues row;
    for (const QString& c : rs.columns())
        row.insert(c, rs.value(c));
    return row;
}

bool readRows(Storage& storage, const QString& table, qint64 bid, QVector<RowValues>* rows, QString* error)
{
    Recordset rs(storage, DbFile::Kakunin);
    if (!rs.open(table, QStringLiteral("B_ID"), bid)) {
        if (error)
            *error = rs.errorString();
        return false;
    }
    rows->clear();
    for (; !rs.eof(); rs.moveNext())
        rows->append(rowOf(rs));
    return true;
}

}  // namespace

int buildingCountFromText(const QString& text)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    if (!ok)
        return 1;
    return qBound(1, n, ProjectTables::kBuildings);
}

bool ProjectData::load(Storage& storage, qint64 bid, ProjectData* out, QString* error)
{
    ProjectData p;
    p.bid = bid;
    QVector<RowValues> rows;
    if (!readRows(storage, QStringLiteral("GAIYOU"), bid, &rows, error))
        return false;
    if (rows.isEmpty()) {
        if (error)
            *error = QStringLiteral("物件（B_ID=%1）が見つかりません。他のコンピュータで削除された可能性があります。").arg(bid);
        return false;
    }
    p.gaiyou = rows.first();

    struct Single {
        const char* table;
        RowValues* row;
    };
    const Single singles[] = {{"SHIKICHI", &p.shikichi}, {"KANRYOU", &p.kanryou}, {"KOUJI", &p.kouji},
                              {"BOUKA", &p.bouka},       {"ININ", &p.inin},       {"GYOUMU", &p.gyoumu}};
    for (const Single& s : singles) {
        if (!readRows(storage, QString::fromLatin1(s.table), bid, &rows, error))
            return false;
        if (!rows.isEmpty())
            *s.row = rows.first();
    }
    if (!readRows(storage, QStringLiteral("TATEMONOBETU"), bid, &rows, error))
        return false;
    for (int i = 0; i < rows.size() && i < ProjectTables::kBuildings; ++i)
        p.buildings[i] = rows[i];
    if (!readRows(storage, QStringLiteral("KAIBETU"), bid, &rows, error))
        return false;
    for (int i = 0; i < rows.size() && i < static_cast<int>(p.floors.size()); ++i)
        p.floors[i] = rows[i];
    if (!readRows(storage, QStringLiteral("SEKKEIKANRI"), bid, &p.persons, error)
        || !readRows(storage, QStringLiteral("DOKURITSU"), bid, &p.parts, error))
        return false;
    p.buildingCount = buildingCountFromText(p.text(p.shikichi, QStringLiteral("Tou1")));

    if (!ScheduleStore::load(storage, bid, &p.schedule, error))
        return false;
    if (!RecordBook::ensureLines(storage, bid, error) || !RecordBook::load(storage, bid, &p.recordBook, error))
        return false;
    *out = p;
    return true;
}

QVector<RowValues> ProjectData::personsOf(int kubun) const
{
    QVector<RowValues> out;
    for (const RowValues& r : persons)
        if (r.value(QStringLiteral("Kubun")).toInt() == kubun)
            out.append(r);
    return out;
}

QVector<RowValues> ProjectData::partsOf(int building) const
{
    QVector<RowValues> out;
    const QString number = QString::number(building + 1);
    for (const RowValues& r : parts)
        if (r.value(QStringLiteral("SU_NO")).toString().trimmed() == number)
            out.append(r);
    return out;
}
