#pragma once

#include "EntryForm.h"

// 建築物及びその敷地に関する事項: the site and the building as a whole on the
// project's SHIKICHI row, with the sums of areas, the coverage and
// floor-area ratios and the construction period.
class P_ShikichiForm : public EntryForm {
    Q_OBJECT
public:
    P_ShikichiForm(Storage& storage, qint64 bid, QWidget* parent = nullptr);

    static FieldTable fieldTable();

    // 自動計算: the construction period from the planned start and completion.
    void computePeriod();

protected:
    void fieldLeft(const QString& column) override;
};
