// The site face as the forms in force print it: figures in one shape
// (areas and lengths with two decimals, no zeros), the fourth zone, the
// rows of the areas added since, and the choices in the form's wording.
#include "CellMapSupport.h"
#include "SinseiCellMap.h"

#include <QRegularExpression>

using namespace CellMapSupport;
using FormText::boxLine;

namespace SinseiCellMap {

namespace {

QString area(const RowValues& k, const QString& column)
{
    return FormText::decimal(val(k, column), 2, true);
}

// A permitted percentage prints as the zoning plan states it (200, 60,
// 2.5): the entry window's two decimals are dropped where they are zero.
QString permitted(const RowValues& k, const QString& column)
{
    static const QRegularExpression number(QStringLiteral("^-?[0-9,]+\\.[0-9]+$"));
    QString t = FormText::decimal(val(k, column), 2, true);
    if (number.match(t).hasMatch()) {
        while (t.endsWith(u'0'))
            t.chop(1);
        if (t.endsWith(u'.'))
            t.chop(1);
    }
    return t;
}

}  // namespace

void fillSiteFigures(const ProjectData& p, InputSheet& s)
{
    const RowValues& k = p.shikichi;
    const auto c = [](const char* name) { return QString::fromLatin1(name); };

    put(s, 'C', 1900,
        boxLine({{raw(k, "Tosi1"), QStringLiteral("都市計画区域内（")},
                 {raw(k, "Tosi2"), QStringLiteral("市街化区域　")},
                 {raw(k, "Tosi3"), QStringLiteral("市街化調整区域　")},
                 {raw(k, "Tosi4"), QStringLiteral("区域区分非設定）")}}));
    put(s, 'C', 1901,
        boxLine({{raw(k, "Tosi5"), QStringLiteral("準都市計画区域内　　")},
                 {raw(k, "Tosi6"), QStringLiteral("都市計画区域及び準都市計画区域外")}}));

    put(s, 'G', 95, area(k, c("Size1")));
    put(s, 'K', 95, area(k, c("Size2")));
    put(s, 'G', 96, area(k, c("Size3")));
    put(s, 'K', 96, area(k, c("Size4")));

    // Zones 1 to 3 keep their columns; the fourth has a row of its own.
    const char zoneCols[3] = {'E', 'G', 'I'};
    for (int z = 0; z < 3; ++z) {
        put(s, zoneCols[z], 98, area(k, col("Size", 5 + z)));
        put(s, zoneCols[z], 99, area(k, col("Size", 9 + z)));
        put(s, zoneCols[z], 102, permitted(k, col("Par", 1 + z)));
        put(s, zoneCols[z], 104, permitted(k, col("Par", 5 + z)));
    }
    put(s, 'C', 1903, area(k, c("Size8")));
    put(s, 'D', 1903, area(k, c("Size12")));
    put(s, 'E', 1903, val(k, "Size16"));
    put(s, 'F', 1903, permitted(k, c("Par4")));
    put(s, 'G', 1903, permitted(k, c("Par8")));
    put(s, 'C', 1904, val(k, "SikiBikou"));
    put(s, 'E', 105, area(k, c("Size17")));
    put(s, 'E', 106, area(k, c("Size18")));
    put(s, 'I', 107, permitted(k, c("Par9")));
    put(s, 'I', 108, permitted(k, c("Par10")));

    const char areaCols[3] = {'G', 'I', 'K'};
    for (int i = 0; i < 3; ++i) {
        put(s, areaCols[i], 124, area(k, col("Men", 1 + i)));
        put(s, areaCols[i], 1906, area(k, col("Men", 20 + i)));
    }
    for (int i = 0; i < 15; ++i)
        put(s, areaCols[i % 3], 128 + i / 3, area(k, col("Men", 4 + i)));
    // Men23 to Men49 are the later rows of the total floor area in the
    // form's order, three columns each.
    for (int i = 0; i < 27; ++i)
        put(s, areaCols[i % 3], 1908 + i / 3, area(k, col("Men", 23 + i)));
    put(s, 'G', 133, area(k, c("Men19")));
    // Ratios the window computed keep their two decimals (49.93).
    put(s, 'G', 125, FormText::decimal(val(k, "Par11"), 2, true));
    put(s, 'G', 134, FormText::decimal(val(k, "Par12"), 2, true));

    put(s, 'E', 151, area(k, c("Taka1")));
    put(s, 'I', 151, area(k, c("Taka2")));
    // The highest eaves of the buildings applied for: the building pages
    // hold each one's.
    QString eaves;
    double highest = 0;
    for (int b = 0; b < qBound(1, p.buildingCount, ProjectTables::kBuildings); ++b) {
        const QString e = val(p.buildings[b], "Takasa31");
        const double v = FormText::leadingNumber(e);
        if (!e.trimmed().isEmpty() && (eaves.isEmpty() || v > highest)) {
            eaves = e;
            highest = v;
        }
    }
    put(s, 'E', 1918, FormText::decimal(eaves, 2, true));
}

}  // namespace SinseiCellMap
