#pragma once

#include "EntryForm.h"

struct MasterPickResult;

// 業務内容: the office's business record of the project on its GYOUMU row:
// the contract and its client, services and fees, responsible architects,
// the construction cost by item with its totals, and the companies on site.
class P_GyoumuForm : public EntryForm {
    Q_OBJECT
public:
    P_GyoumuForm(Storage& storage, qint64 bid, QWidget* parent = nullptr);

    static FieldTable fieldTable();
    // Rows of 【工事関係者】, captioned 【建築】 … 【その他】.
    static constexpr int kCompanies = 7;

    // CorpPopN: the related-companies master as a picker for row N (1-based),
    // listing the companies of that row's trade.
    void pickCompany(int row);
    // A company handed back by the master goes into row N.
    void takeCompany(int row, const MasterPickResult& company);
    // 工事費: the column totals, row totals and grand total again.
    void computeTotals();

protected:
    void fieldLeft(const QString& column) override;
};
