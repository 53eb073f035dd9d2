#pragma once

#include "DbFile.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <utility>

class Storage;

// An equality condition of a query ("column = value"); several are joined by AND.
struct Condition {
    QString column;
    QVariant value;
};

// The rows of one table that match a query, held in ID order, with a
// current-row cursor. Reads never lock; writes go to the database at once
// and touch only the columns that were assigned, so two computers editing
// different columns of one row both keep their values.
class Recordset {
public:
    Recordset(Storage& storage, DbFile db);
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    // "SELECT * FROM table [WHERE column = value [AND …]]" in ID order.
    bool open(const QString& table, const QVector<Condition>& where = {});
    bool open(const QString& table, const QString& column, const QVariant& value)
    {
        return open(table, QVector<Condition>{{column, value}});
    }
    void close();
    bool isOpen() const { return m_open; }
    // Reads only these columns (and ID) on the next open: listing a large
    // register needs four columns of a wide table, not all of them.
    void selectColumns(const QStringList& columns) { m_select = columns; }
    // Rows opened inside a transaction stay locked against other writers
    // until it ends: for a read-compare-write such as the header's save.
    void setLockRows(bool lock) { m_lockRows = lock; }

    int recordCount() const { return static_cast<int>(m_rows.size()); }
    bool eof() const { return m_pos >= m_rows.size() || m_rows.isEmpty(); }
    int position() const { return m_pos; }
    void moveFirst() { m_afterDelete = false; m_pos = 0; }
    void moveLast() { m_afterDelete = false; m_pos = m_rows.isEmpty() ? 0 : m_rows.size() - 1; }
    void moveNext();
    void moveTo(int index) { m_afterDelete = false; m_pos = index; }

    bool hasColumn(const QString& column) const { return m_columns.contains(column.toLower()); }
    QStringList columns() const { return m_columnNames; }

    // Field of the current row; an unknown column or no current row reads as null.
    QVariant value(const QString& column) const;
    bool isNull(const QString& column) const { return value(column).isNull(); }
    // The text of a field; null reads as empty text.
    QString text(const QString& column) const;
    // The integer of a field; null or non-numeric text reads as fallback.
    qint64 integer(const QString& column, qint64 fallback = 0) const;
    qint64 id() const { return integer(QStringLiteral("ID")); }

    // Assigns a field of the current row; written by update().
    bool setValue(const QString& column, const QVariant& value);

    // Inserts an empty row and makes it current; its auto number is
    // returned at once (0 on failure). update() writes the assigned fields;
    // a new row that is never updated is removed again by close().
    qint64 addNew();
    // Opens the table without its rows and adds one, as a store creates a
    // record: the new ID, or 0 with errorString().
    qint64 openNew(const QString& table)
    {
        return open(table, QStringLiteral("ID"), 0) ? addNew() : 0;
    }
    bool update();
    // Cancels assignments since the last update (and a pending new row).
    void cancelUpdate();
    bool deleteCurrent();

    const QString& errorString() const { return m_error; }
    Storage& storage() const { return m_storage; }
    DbFile db() const { return m_db; }
    const QString& table() const { return m_table; }

private:
    bool fail(const QString& message);
    bool failSql(const class QSqlError& e);
    bool current() const { return m_open && m_pos >= 0 && m_pos < m_rows.size(); }
    int columnIndex(const QString& column) const { return m_columns.value(column.toLower(), -1); }

    Storage& m_storage;
    DbFile m_db;
    QString m_table;
    QStringList m_select;
    bool m_open = false;
    QStringList m_columnNames;
    QHash<QString, int> m_columns;  // lower-case name → index
    QVector<QVector<QVariant>> m_rows;
    int m_pos = 0;
    QHash<int, QVariant> m_pending;  // column index → assigned value of the current row
    int m_pendingRow = -1;
    qint64 m_newId = 0;  // inserted by addNew() and not yet updated
    bool m_afterDelete = false;  // the row after a deleted one is already current
    bool m_lockRows = false;
    QString m_error;
};
