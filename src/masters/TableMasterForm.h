#pragma once

#include "RowMasterForm.h"

// A master window over one MasterData table whose fields are bound one to
// one onto its columns (architects, related companies): shown with
// loadBound, written from boundValues, removed row by row, listed by one
// column. Both open under the related companies' list and close button, and
// offer the prefectures in their address blocks.
class TableMasterForm : public RowMasterForm<MasterRow> {
public:
    // listColumn: the column the list shows, under the header listCaption.
    TableMasterForm(Storage& storage, QWidget* parent, const QString& table, const QString& listColumn,
                    const QString& listCaption);

protected:
    const QVector<Zone>& zones() const { return m_zones; }
    // The values Apply writes, in order: the bound ones by default.
    virtual ColumnValues valuesToWrite() const { return boundValues(); }

    QStringList rowTexts(const MasterRow& row) const override { return {row.text(m_listColumn)}; }
    void showRow(const MasterRow& row) override { loadBound(row); }
    void clearFields() override { clearBound(); }
    bool writeRecord(qint64 id, bool* found) override;
    bool removeRecords(const QVector<qint64>& ids) override;

private:
    QString m_table;
    QString m_listColumn;
    QVector<Zone> m_zones;
};
