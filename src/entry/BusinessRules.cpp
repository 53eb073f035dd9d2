#include "BusinessRules.h"

#include "NumberText.h"

namespace BusinessRules {

QString totalText(double value)
{
    // Six places first, so that the rounding to whole yen is that of the
    // sum and not of its binary noise.
    return value > 0 ? NumberText::formatAmount(QString::number(value, 'f', 6)) : QString();
}

CostTotals costTotals(const std::array<QString, kCostItems>& budget, const std::array<QString, kCostItems>& contract,
                      const std::array<QString, kCostItems>& changes)
{
    CostTotals t;
    double b = 0, c = 0, e = 0, rows = 0;
    for (int i = 0; i < kCostItems; ++i) {
        const double bi = NumberText::read(budget[i]);
        const double ci = NumberText::read(contract[i]);
        const double ei = NumberText::read(changes[i]);
        b += bi;
        c += ci;
        e += ei;
        t.rows[i] = totalText(bi + ci + ei);
        rows += NumberText::read(t.rows[i]);
    }
    t.budget = totalText(b);
    t.contract = totalText(c);
    t.changes = totalText(e);
    t.all = totalText(rows);
    return t;
}

}  // namespace BusinessRules
