#pragma once

#include "ProjectData.h"
#include "Recordset.h"

#include <QString>
#include <QStringList>
#include <QVector>

class Storage;

// The rows of a per-project table that a window edits as a list: one kind
// of further person, or the independent parts of one building. The list's
// order is what prints, and rows print in ID order: saving therefore gives
// the i-th row shown the i-th smallest ID among the stored ones, updates
// only the columns that differ, appends rows beyond them and deletes the
// stored rows left over. Moving a row thus needs no order column.
class ChildRows {
public:
    // `fixed`: the columns every row of the list holds besides B_ID (Kubun,
    // SU_NO); `columns`: the columns the user edits.
    ChildRows(QString table, QVector<Condition> fixed, QStringList columns);

    const QString& table() const { return m_table; }
    const QStringList& columns() const { return m_columns; }
    const QVector<Condition>& fixed() const { return m_fixed; }

    // Reads the project's rows of the list in ID order; forgets edits.
    bool load(Storage& storage, qint64 bid, QString* error);
    // Writes the list; run it inside the caller's transaction, and call
    // markSaved() once that has committed: until then the list still
    // counts as changed, so a rolled-back save is written by the next one.
    bool save(Storage& storage, qint64 bid, QString* error);
    void markSaved() { m_changed = false; }

    int count() const { return static_cast<int>(m_rows.size()); }
    const RowValues& row(int index) const { return m_rows.at(index); }
    QVariant value(int index, const QString& column) const;
    void setValue(int index, const QString& column, const QVariant& value);

    // Appends an empty row and returns its index.
    int add();
    bool remove(int index);
    // Exchanges a row with the one before or after it; false at an end.
    bool moveUp(int index);
    bool moveDown(int index);

    // Whether the list differs from what was loaded or last saved.
    bool isChanged() const { return m_changed; }

private:
    QString m_table;
    QVector<Condition> m_fixed;
    QStringList m_columns;
    QVector<RowValues> m_rows;
    bool m_changed = false;
};
