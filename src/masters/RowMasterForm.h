#pragma once

#include "MasterForm.h"

#include <utility>

// A master window that keeps its listed records in memory, in list order
// (architects, related companies, mail accounts, signatures). Listing,
// showing and refreshing a row go through those rows; the window says how
// they are read, what a row shows in the list and how it fills the fields.
template <typename Row>
class RowMasterForm : public MasterForm {
public:
    using MasterForm::MasterForm;

    // The listed records, in list order.
    const QVector<Row>& rows() const { return m_rows; }

protected:
    // Reads every record to list; false with *error when the read failed.
    virtual bool readRows(QVector<Row>* rows, QString* error) = 0;
    // The list texts of a record, one a column.
    virtual QStringList rowTexts(const Row& row) const = 0;
    virtual void showRow(const Row& row) = 0;

    void listRecords() override
    {
        listRows(readRows(&m_rows, &m_error), m_rows, m_error, [this](const Row& r) { return rowTexts(r); });
    }
    void showRecord(qint64 id) override
    {
        const int i = shownRowOf(m_rows, id);
        if (i >= 0)
            showRow(m_rows[i]);
    }
    QStringList listTextsOf(qint64 id) override
    {
        const int i = rowIndexOf(m_rows, id);
        return i < 0 ? QStringList() : rowTexts(m_rows[i]);
    }
    QString storageError() const override { return m_error; }

    QVector<Row> m_rows;
    QString m_error;  // of the last failed storage call
};

// A RowMasterForm over a store that lists, creates and removes its records
// (list(&rows), create(), remove(id), errorString()); the window writes
// them itself, since every store takes a record differently.
template <typename Row, typename Store>
class StoreMasterForm : public RowMasterForm<Row> {
public:
    template <typename... StoreArgs>
    StoreMasterForm(Storage& storage, const QString& closeButtonName, const QString& closeCaption,
                    const QString& closeToolTip, QWidget* parent, StoreArgs&&... storeArgs)
        : RowMasterForm<Row>(storage, closeButtonName, closeCaption, closeToolTip, parent)
        , m_store(storage, std::forward<StoreArgs>(storeArgs)...)
    {
    }

protected:
    bool readRows(QVector<Row>* rows, QString* error) override
    {
        if (m_store.list(rows))
            return true;
        *error = m_store.errorString();
        return false;
    }
    qint64 createRecord() override
    {
        const qint64 id = m_store.create();
        if (id <= 0)
            this->m_error = m_store.errorString();
        return id;
    }
    bool removeRecords(const QVector<qint64>& ids) override
    {
        return MasterForm::removeEach(m_store, ids, &this->m_error);
    }

    Store m_store;
};
