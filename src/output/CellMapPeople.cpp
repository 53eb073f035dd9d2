// The items of 建築主等の概要 that the forms in force added: the drawings
// each representative prepared or checks against, the marks of the
// structural and equipment first-class architects, the review and the
// energy plan, and every further designer, supervisor and person
// consulted.
#include "CellMapSupport.h"
#include "SinseiCellMap.h"

using namespace CellMapSupport;
using FormText::boxMark;
using FormText::flagSet;

namespace SinseiCellMap {

namespace {

QString mark(bool set)
{
    return set ? QStringLiteral("■") : QStringLiteral("□");
}

// Marked options each on their input row: C the mark, D what the
// brackets of the form hold. The authority goes to the first marked
// option that has brackets for it, or to the first one when none is
// marked, so that a typed authority is never dropped.
void putChoices(InputSheet& s, int firstRow, const RowValues& g, const char* prefix, const char* authority,
                int authorityOptions)
{
    int target = -1;
    bool any = false;
    for (int i = 0; i < 3; ++i) {
        const bool set = flagSet(g.value(col(prefix, i + 1)));
        any = any || set;
        put(s, 'C', firstRow + i, mark(set));
        put(s, 'D', firstRow + i, QString());
        if (set && target < 0 && i < authorityOptions)
            target = i;
    }
    if (target < 0 && !any)
        target = 0;
    if (target >= 0)
        put(s, 'D', firstRow + target, val(g, authority));
}

// "一級建築士　大臣登録　第123456号", as the representative's D10.
QString registration(const RowValues& r, const char* kyu, const char* tiji, const char* gou, const QString& what,
                     const QString& authority)
{
    if (val(r, kyu).isEmpty() && val(r, tiji).isEmpty() && val(r, gou).isEmpty())
        return QString();
    return val(r, kyu) + what + QStringLiteral("　") + val(r, tiji) + authority + QStringLiteral("　第") + val(r, gou)
        + QStringLiteral("号");
}

}  // namespace

void fillPeople(const ProjectData& p, InputSheet& s)
{
    const RowValues& g = p.gaiyou;
    put(s, 'D', 1800, val(g, "Tosho1"));
    put(s, 'D', 1801, val(g, "Tosho2"));
    put(s, 'D', 1802, val(g, "Gou8"));
    put(s, 'D', 1803, val(g, "Tosho3"));
    for (int i = 0; i < 4; ++i) {
        const int row = 1804 + i;
        put(s, 'C', row, boxMark(g.value(col("Hyouji", i + 1))));
        put(s, 'D', row, val(g, col("HyoujiName", i + 1)));
        put(s, 'E', row, val(g, col("HyoujiGou", i + 1)));
    }
    putChoices(s, 1808, g, "Tekihan", "TekihanKikan", 2);
    putChoices(s, 1811, g, "Shoene", "ShoeneKikan", 2);
    // Why no plan is needed (e.g. 「第1号イに該当」) goes in the brackets of 提出不要.
    const bool submitted = flagSet(raw(g, "Shoene1")) || flagSet(raw(g, "Shoene2"));
    if (flagSet(raw(g, "Shoene3")) || (!submitted && !val(g, "ShoeneRiyu").isEmpty()))
        put(s, 'D', 1813, val(g, "ShoeneRiyu"));

    for (int kind = 1; kind <= 3; ++kind) {
        const QVector<RowValues> people = p.personsOf(kind);
        for (int k = 0; k < kFurtherPersonSlots[kind - 1]; ++k) {
            const int row = kFurtherPersonFirstRow[kind - 1] + 2 * k;
            static const RowValues none;
            const RowValues& r = k < people.size() ? people[k] : none;
            putBlock(s, row, r,
                     {{'D', 0, "Name"}, {'F', 0, "Kyu"}, {'G', 0, "Tiji"}, {'H', 0, "Gou"}, {'I', 0, "Post"},
                      {'J', 0, "Tel"}, {'D', 1, "JimuName"}, {'F', 1, "JimuKyu"}, {'G', 1, "JimuTiji"},
                      {'H', 1, "JimuGou"}, {'I', 1, "Addr"}, {'J', 1, "Tosho"}});
            if (kind != 3) {
                put(s, 'E', row, registration(r, "Kyu", "Tiji", "Gou", QStringLiteral("建築士"), QStringLiteral("登録")));
                put(s, 'E', row + 1,
                    registration(r, "JimuKyu", "JimuTiji", "JimuGou", QStringLiteral("建築士事務所"),
                                 QStringLiteral("知事登録")));
            }
        }
    }
}

}  // namespace SinseiCellMap
