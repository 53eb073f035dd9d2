#pragma once

#include "TableMasterForm.h"

class QCheckBox;
class QPlainTextEdit;

// The related companies "取引先登録": the companies the office works with
// on a project, above all the equipment contractors, with their four trade
// flags. The business-record window opens it to pick a company of a trade.
class M_ConnectCorpForm : public TableMasterForm {
    Q_OBJECT
public:
    // trade: the first listing shows only the companies of that trade
    // (1 電気, 2 給排, 3 空調, 4–6 その他; 0 all); after an Apply every
    // company shows.
    explicit M_ConnectCorpForm(Storage& storage, QWidget* parent = nullptr, int trade = 0);

    // The zone identifier of the chosen prefecture (Adr_ID).
    qint64 zoneId() const { return m_zoneId; }

protected:
    bool readRows(QVector<MasterRow>* rows, QString* error) override;
    // The zone goes with the prefecture.
    void showRow(const MasterRow& row) override;
    void clearFields() override;
    ColumnValues valuesToWrite() const override;
    qint64 createRecord() override;
    bool removeRecords(const QVector<qint64>& ids) override;
    void fillPick(MasterPickResult& result, bool onlyShown) override;
    void afterCreate(qint64 id) override;
    void afterApply(qint64 id) override;
    void afterDelete(int firstDeletedRow) override;

private:
    QVector<qint64> m_deleted;  // by the last Delete
    QComboBox* m_prefecture = nullptr;
    int m_trade;
    qint64 m_zoneId = 0;
};
