#include "TableMasterForm.h"

#include "common.h"

#include <QHeaderView>
#include <QTreeWidget>

TableMasterForm::TableMasterForm(Storage& storage, QWidget* parent, const QString& table, const QString& listColumn,
                                 const QString& listCaption)
    : RowMasterForm<MasterRow>(storage, QStringLiteral("CancelCommand"), QStringLiteral("閉じる"),
                               QStringLiteral("取引先登録を終了します。"), parent)
    , m_table(table)
    , m_listColumn(listColumn)
{
    QTreeWidget* list = recordList();
    list->setObjectName(QStringLiteral("ConnectListView"));
    list->setHeaderLabels({listCaption});
    list->header()->resizeSection(0, 180);
    CustomerStore zoneStore(storage);
    if (!zoneStore.loadZones(&m_zones))
        common::ErrorBox(zoneStore.errorString());
}

bool TableMasterForm::writeRecord(qint64 id, bool* found)
{
    const ColumnValues values = valuesToWrite();
    MasterTable table(storage(), DbFile::MasterData, m_table);
    if (!table.write(id, values, found)) {
        m_error = table.errorString();
        return false;
    }
    const int i = rowIndexOf(m_rows, id);
    if (*found && i >= 0)
        for (const auto& [column, value] : values)
            m_rows[i].set(column, value);
    return true;
}

bool TableMasterForm::removeRecords(const QVector<qint64>& ids)
{
    MasterTable table(storage(), DbFile::MasterData, m_table);
    return removeEach(table, ids, &m_error);
}
