#pragma once

#include <QString>

#include <array>

// The computations of the business-record window (業務内容).
namespace BusinessRules {

inline constexpr int kCostItems = 6;  // 工事費 rows: 建築主体, 電気設備, …

// 【工事費】: per item a budget, a contract sum and additions or changes.
// Every amount is read from its "#0.00" form (empty as 0); a total above 0
// shows as "#,###,##0", any other total (nothing entered, a net reduction)
// shows empty.
struct CostTotals {
    QString budget;                        // Yosan7
    QString contract;                      // Keiy7
    QString changes;                       // Ed7
    std::array<QString, kCostItems> rows;  // Ttl1 … Ttl6
    QString all;                           // Ttl7: the row totals as shown, added
};
CostTotals costTotals(const std::array<QString, kCostItems>& budget, const std::array<QString, kCostItems>& contract,
                      const std::array<QString, kCostItems>& changes);

// A total as shown: "#,###,##0" above 0, otherwise empty.
QString totalText(double value);

}  // namespace BusinessRules
