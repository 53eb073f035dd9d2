#pragma once

#include "CustomerStore.h"
#include "MasterForm.h"

class QCheckBox;
class QPlainTextEdit;

// The related companies "取引先登録": the companies the office works with
// on a project, above all the equipment contractors, with their four trade
// flags. The business-record window opens it to pick a company of a trade.
class M_ConnectCorpForm : public MasterForm {
    Q_OBJECT
public:
    // trade: the first listing shows only the companies of that trade
    // (1 電気, 2 給排, 3 空調, 4–6 その他; 0 all); after an Apply every
    // company shows.
    explicit M_ConnectCorpForm(Storage& storage, QWidget* parent = nullptr, int trade = 0);

    const QVector<MasterRow>& rows() const { return m_rows; }
    // The zone identifier of the chosen prefecture (Adr_ID).
    qint64 zoneId() const { return m_zoneId; }

protected:
    void listRecords() override;
    void showRecord(qint64 id) override;
    void clearFields() override;
    qint64 createRecord() override;
    bool writeRecord(qint64 id, bool* found) override;
    bool removeRecords(const QVector<qint64>& ids) override;
    void fillPick(MasterPickResult& result, bool onlyShown) override;
    QStringList listTextsOf(qint64 id) override;
    QString storageError() const override { return m_error; }
    void afterCreate(qint64 id) override;
    void afterApply(qint64 id) override;
    void afterDelete(int firstDeletedRow) override;

private:

    QVector<MasterRow> m_rows;  // the listed companies, in list order
    QVector<qint64> m_deleted;  // by the last Delete
    QVector<Zone> m_zones;
    QComboBox* m_prefecture = nullptr;
    int m_trade;
    qint64 m_zoneId = 0;
    QString m_error;
};
