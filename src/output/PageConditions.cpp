#include "PageConditions.h"

#include "SinseiCellMap.h"
#include "XlsxWorkbook.h"

#include <algorithm>

const QString PageConditions::kSheet = QStringLiteral("頁条件");

namespace {

bool fail(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return false;
}

}  // namespace

bool PageConditions::load(XlsxWorkbook& book, QString* error)
{
    m_pages.clear();
    if (!book.hasSheet(kSheet))
        return true;
    for (int row = 2;; ++row) {
        XlsxCell cells[4];
        for (int c = 0; c < 4; ++c)
            if (!book.readCell(kSheet, CellRef{row, c + 1}, &cells[c]))
                return fail(error, book.errorString());
        if (cells[0].value.isEmpty())
            break;
        Page p{cells[0].value, cells[1].value.toInt(), cells[2].value.toInt(), cells[3].value.trimmed()};
        if (p.first < 1 || p.last < p.first || p.key.isEmpty())
            return fail(error, QStringLiteral("テンプレートの頁条件（%1行目）が正しくありません。").arg(row));
        m_pages << p;
    }
    return true;
}

bool PageConditions::holds(const QString& key, const ProjectData& project, const QSet<QString>& facts)
{
    if (facts.contains(key))
        return true;
    if (key.contains(QLatin1Char('|'))) {
        const QStringList any = key.split(QLatin1Char('|'));
        return std::any_of(any.begin(), any.end(), [&](const QString& k) { return holds(k, project, facts); });
    }
    if (key == QLatin1String("housing"))
        return SinseiCellMap::noticeHasHousing(project);
    if (key == QLatin1String("removal"))
        return SinseiCellMap::noticeHasRemoval(project);
    const QStringList part = key.split(QLatin1Char(':'));
    QVector<int> n;
    for (int i = 1; i < part.size(); ++i) {
        bool ok = false;
        n << part[i].toInt(&ok);
        if (!ok || n.last() < 1)
            return false;
    }
    const QString kind = part.first();
    auto applied = [&project](int building) {
        return building >= 1 && building <= ProjectTables::kBuildings && building <= project.buildingCount;
    };
    if (kind == QLatin1String("building") && n.size() == 1)
        return applied(n[0]);
    // A building applied for has at least one floor and one (whole) part,
    // so their first pages print even before anything is entered.
    if (kind == QLatin1String("floor") && n.size() == 2)
        return applied(n[0]) && n[1] <= ProjectTables::kFloorSlots
            && (n[1] == 1 || n[1] <= SinseiCellMap::floorCount(project.buildings[n[0] - 1]));
    if (kind == QLatin1String("part") && n.size() == 2)
        return applied(n[0]) && (n[1] == 1 || n[1] <= project.partsOf(n[0] - 1).size());
    if (kind == QLatin1String("persons") && n.size() == 2)
        return n[1] <= project.personsOf(n[0]).size();
    return false;
}

bool PageConditions::apply(XlsxWorkbook& book, const ProjectData& project, const QSet<QString>& facts,
                           QString* error) const
{
    for (const Page& p : m_pages) {
        if (!book.hasSheet(p.sheet))
            continue;
        if (!book.setRowsHidden(p.sheet, p.first, p.last, !holds(p.key, project, facts)))
            return fail(error, book.errorString());
    }
    return true;
}
