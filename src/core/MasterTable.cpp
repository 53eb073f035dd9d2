#include "MasterTable.h"

#include "Storage.h"
#include "WindowSettings.h"

#include <algorithm>

namespace {

const QString kNewName = QStringLiteral("<新規>");

QStringList latin(std::initializer_list<const char*> names)
{
    QStringList out;
    for (const char* n : names)
        out << QString::fromLatin1(n);
    return out;
}

bool failWith(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return false;
}

// A new master row: "<新規>" in nameColumn, the other columns empty texts
// (not NULL), in the order given.
qint64 createNamed(Storage& storage, const QString& table, const char* nameColumn,
                   std::initializer_list<const char*> columns, QString* error)
{
    ColumnValues initial;
    for (const char* c : columns)
        initial.append({QString::fromLatin1(c), qstrcmp(c, nameColumn) == 0 ? kNewName : QString(QLatin1String(""))});
    MasterTable t(storage, DbFile::MasterData, table);
    const qint64 id = t.create(initial);
    if (id <= 0)
        failWith(error, t.errorString());
    return id;
}

}  // namespace

QString MasterRow::text(const QString& column) const
{
    const QVariant v = value(column);
    return v.isNull() ? QString() : v.toString();
}

MasterTable::MasterTable(Storage& storage, DbFile db, const QString& table)
    : m_storage(storage)
    , m_db(db)
    , m_table(table)
{
}

bool MasterTable::fail(const QString& message)
{
    m_error = message;
    return false;
}

bool MasterTable::list(const QVector<Condition>& where, QVector<MasterRow>* out)
{
    out->clear();
    Recordset rs(m_storage, m_db);
    if (!rs.open(m_table, where))
        return fail(rs.errorString());
    const QStringList columns = rs.columns();
    out->reserve(rs.recordCount());
    for (; !rs.eof(); rs.moveNext()) {
        MasterRow row;
        row.id = rs.id();
        for (const QString& c : columns)
            row.values.insert(c.toLower(), rs.value(c));
        out->append(std::move(row));
    }
    return true;
}

bool MasterTable::read(qint64 id, MasterRow* out, bool* found)
{
    QVector<MasterRow> rows;
    if (!list({{QStringLiteral("ID"), id}}, &rows))
        return false;
    *found = !rows.isEmpty();
    if (*found)
        *out = rows.first();
    return true;
}

qint64 MasterTable::create(const ColumnValues& initial)
{
    Recordset rs(m_storage, m_db);
    const qint64 id = rs.openNew(m_table);
    if (id <= 0) {
        fail(rs.errorString());
        return 0;
    }
    for (const auto& [column, value] : initial) {
        if (!rs.setValue(column, value)) {
            fail(rs.errorString());
            rs.cancelUpdate();
            return 0;
        }
    }
    if (!rs.update()) {
        fail(rs.errorString());
        rs.cancelUpdate();
        return 0;
    }
    return id;
}

bool MasterTable::write(qint64 id, const ColumnValues& values, bool* found)
{
    *found = false;
    Recordset rs(m_storage, m_db);
    if (!rs.open(m_table, QStringLiteral("ID"), id))
        return fail(rs.errorString());
    if (rs.eof())
        return true;
    *found = true;
    for (const auto& [column, value] : values)
        if (!rs.setValue(column, value))
            return fail(rs.errorString());
    if (!rs.update())
        return fail(rs.errorString());
    return true;
}

bool MasterTable::remove(qint64 id)
{
    Recordset rs(m_storage, m_db);
    if (!rs.open(m_table, QStringLiteral("ID"), id))
        return fail(rs.errorString());
    for (; !rs.eof(); rs.moveNext())
        if (!rs.deleteCurrent())
            return fail(rs.errorString());
    return true;
}

// ---------------------------------------------------------------- Architect

namespace ArchitectTable {

const QStringList& roleColumns()
{
    static const QStringList c = latin({"A_FLG", "S_FLG", "K_FLG", "D_FLG", "M_FLG"});
    return c;
}

const QStringList& textColumns()
{
    static const QStringList c = latin({"U_NAME",   "U_POST1",  "U_ADDR1", "U_ADDR2", "U_ADDR3", "U_CLASS1",
                                        "U_CLASS2", "U_CLASS3", "U_TEL",   "U_FAX",   "U_E_MAIL", "U_URL",
                                        "C_NAME",   "C_POST1",  "C_ADDR1", "C_ADDR2", "C_ADDR3", "C_CLASS1",
                                        "C_CLASS2", "C_CLASS3", "C_TEL",   "C_FAX",   "C_E_MAIL", "C_URL"});
    return c;
}

bool list(Storage& storage, bool designersOnly, QVector<MasterRow>* out, QString* error)
{
    MasterTable t(storage, DbFile::MasterData, kTable);
    if (!t.list({}, out))
        return failWith(error, t.errorString());
    if (designersOnly) {
        // A_FLG = 1 OR S_FLG = 1: a condition the equality queries cannot say.
        out->erase(std::remove_if(out->begin(), out->end(),
                                  [](const MasterRow& r) {
                                      return r.value(QStringLiteral("A_FLG")).toLongLong() != 1
                                             && r.value(QStringLiteral("S_FLG")).toLongLong() != 1;
                                  }),
                   out->end());
    }
    return true;
}

qint64 create(Storage& storage, QString* error)
{
    return createNamed(storage, kTable, "U_NAME",
                       {"U_NAME", "U_POST1", "U_ADDR1", "U_ADDR2", "U_ADDR3", "U_CLASS1", "U_CLASS2", "U_CLASS3", "U_TEL",
                        "U_FAX", "C_NAME", "C_POST1", "C_ADDR1", "C_ADDR2", "C_ADDR3", "C_CLASS1", "C_CLASS2", "C_CLASS3",
                        "C_TEL", "C_FAX"},
                       error);
}

}  // namespace ArchitectTable

// ---------------------------------------------------------------- ConnectCorp

namespace ConnectCorpTable {

const QStringList& tradeColumns()
{
    static const QStringList c = latin({"E_FLG", "K_FLG", "A_FLG", "S_FLG"});
    return c;
}

const QStringList& entryColumns()
{
    static const QStringList c = latin({"FURI", "Name", "POST", "Adr_ID", "Addr1", "Addr2", "Addr3", "Tel", "Fax",
                                        "FLACK_NAME", "POST_AREA", "STATUS_POS", "E_MAIL", "URL", "ANOTHER"});
    return c;
}

bool list(Storage& storage, int trade, QVector<MasterRow>* out, QString* error)
{
    QVector<Condition> where;
    if (trade >= 1 && trade <= 6)
        where.append({tradeColumns().at(qMin(trade, 4) - 1), 1});
    MasterTable t(storage, DbFile::MasterData, kTable);
    if (!t.list(where, out))
        return failWith(error, t.errorString());
    return true;
}

qint64 create(Storage& storage, QString* error)
{
    return createNamed(storage, kTable, "Name",
                       {"FURI", "Name", "POST_AREA", "STATUS_POS", "FLACK_NAME", "POST", "Addr1", "Addr2", "Addr3", "Tel",
                        "Fax", "E_MAIL", "URL", "ANOTHER"},
                       error);
}

}  // namespace ConnectCorpTable

// ---------------------------------------------------------------- OptionMaster

namespace OptionColumns {

bool read(Storage& storage, const QStringList& columns, QHash<QString, qint64>* out, QString* error)
{
    out->clear();
    Recordset rs(storage, DbFile::OptionData);
    if (!rs.open(QStringLiteral("OptionMaster")))
        return failWith(error, rs.errorString());
    if (rs.eof())
        return true;
    for (const QString& c : columns)
        if (!rs.isNull(c))
            out->insert(c, rs.integer(c));
    return true;
}

bool write(Storage& storage, const QVector<QPair<QString, qint64>>& values, QString* error)
{
    Recordset rs(storage, DbFile::OptionData);
    if (!rs.open(QStringLiteral("OptionMaster")))
        return failWith(error, rs.errorString());
    if (rs.eof()) {
        if (rs.addNew() <= 0)
            return failWith(error, rs.errorString());
        WindowSettings::applyOptionDefaults(rs);
    } else {
        rs.moveFirst();
    }
    for (const auto& [column, value] : values)
        if (!rs.setValue(column, value))
            return failWith(error, rs.errorString());
    if (!rs.update())
        return failWith(error, rs.errorString());
    return true;
}

}  // namespace OptionColumns
