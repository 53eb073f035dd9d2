#pragma once

#include "DbFile.h"
#include "Recordset.h"

#include <QHash>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

class Storage;

// One row of a master table, as a master window keeps its listed rows.
struct MasterRow {
    qint64 id = 0;
    QHash<QString, QVariant> values;  // by lower-case column name

    QVariant value(const QString& column) const { return values.value(column.toLower()); }
    bool isNull(const QString& column) const { return value(column).isNull(); }
    // Null reads as empty text.
    QString text(const QString& column) const;
    void set(const QString& column, const QVariant& v) { values.insert(column.toLower(), v); }
};

// Column values in the order they are written.
using ColumnValues = QVector<QPair<QString, QVariant>>;

// The rows of one master table (Architect, ConnectCorp, MailAcountMaster,
// SignMaster, …): list, read, add, write, delete by ID. A master window
// keeps its rows through this and nothing else.
class MasterTable {
public:
    MasterTable(Storage& storage, DbFile db, const QString& table);

    // The rows that match every condition, in table order.
    bool list(const QVector<Condition>& where, QVector<MasterRow>* out);
    // *found is false when the row is gone.
    bool read(qint64 id, MasterRow* out, bool* found);
    // Adds a row with these values; returns its ID, 0 on failure.
    qint64 create(const ColumnValues& initial);
    // Writes the values in order; *found is false, and nothing is written,
    // when the row is gone (deleted on another computer).
    bool write(qint64 id, const ColumnValues& values, bool* found);
    bool remove(qint64 id);

    const QString& table() const { return m_table; }
    const QString& errorString() const { return m_error; }

private:
    bool fail(const QString& message);

    Storage& m_storage;
    DbFile m_db;
    QString m_table;
    QString m_error;
};

// The architect master's table and the role lists read from it.
namespace ArchitectTable {
inline const QString kTable = QStringLiteral("Architect");
// 建築士, 設計者, 監理者, 代理者, 施工者: the role flags in check-box order.
const QStringList& roleColumns();
// The texts, in the order Apply writes them.
const QStringList& textColumns();
// All entries, or only the designers (建築士 or 設計者 ticked).
bool list(Storage& storage, bool designersOnly, QVector<MasterRow>* out, QString* error);
// A new entry "<新規>" with empty texts; its flags, e-mail and web columns
// stay unset until the first Apply.
qint64 create(Storage& storage, QString* error);
}  // namespace ArchitectTable

// The related companies and the trades they are listed for.
namespace ConnectCorpTable {
inline const QString kTable = QStringLiteral("ConnectCorp");
// 電気, 給排, 空調, その他: the trade flags in check-box order.
const QStringList& tradeColumns();
// FURI … ANOTHER (the zone Adr_ID among them), in the order Apply writes
// them after the flags.
const QStringList& entryColumns();
// Companies of a trade request: 1 電気, 2 給排, 3 空調, 4–6 その他; any
// other number lists all companies.
bool list(Storage& storage, int trade, QVector<MasterRow>* out, QString* error);
// A new company "<新規>" with empty texts; flags and zone stay unset.
qint64 create(Storage& storage, QString* error);
}  // namespace ConnectCorpTable

// The window position columns of OptionMaster (optiondata). A missing row
// is added with the option defaults before writing.
namespace OptionColumns {
// Values of the columns that are not null.
bool read(Storage& storage, const QStringList& columns, QHash<QString, qint64>* out, QString* error);
bool write(Storage& storage, const QVector<QPair<QString, qint64>>& values, QString* error);
}  // namespace OptionColumns
