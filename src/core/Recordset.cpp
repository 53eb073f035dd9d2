#include "Recordset.h"

#include "Logging.h"
#include "Schema.h"
#include "Storage.h"
#include "TableIo.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

Recordset::Recordset(Storage& storage, DbFile db)
    : m_storage(storage)
    , m_db(db)
{
}

Recordset::~Recordset()
{
    close();
}

bool Recordset::fail(const QString& message)
{
    qCWarning(lcStorage).noquote() << m_table << message;
    m_error = message;
    return false;
}

bool Recordset::failSql(const QSqlError& e)
{
    return fail(m_storage.describeError(m_db, e));
}

bool Recordset::open(const QString& table, const QVector<Condition>& where)
{
    close();
    m_error.clear();
    m_table = table;
    const DatabaseSchema& schema = DatabaseSchema::builtIn(m_db);
    const TableDef* def = schema.table(table);
    if (!def)
        return fail(QStringLiteral("テーブル %1 はデータベース「%2」にありません。").arg(table, dbBaseName(m_db)));
    m_table = def->name;

    QSqlDatabase d = m_storage.connection(m_db, &m_error);
    if (!d.isValid())
        return false;

    QString columns = QStringLiteral("*");
    if (!m_select.isEmpty()) {
        QStringList quoted{QStringLiteral("\"ID\"")};
        for (const QString& c : m_select) {
            const ColumnDef* col = def->column(c);
            if (!col)
                return fail(QStringLiteral("テーブル %1 に列 %2 はありません。").arg(m_table, c));
            quoted << Storage::quote(col->name);
        }
        columns = quoted.join(QLatin1String(", "));
    }
    QString sql = QStringLiteral("SELECT %1 FROM %2").arg(columns, Storage::quote(m_table));
    QStringList conds;
    QVector<QVariant> binds;
    for (const Condition& c : where) {
        const bool isId = c.column.compare(QLatin1String("ID"), Qt::CaseInsensitive) == 0;
        const ColumnDef* colDef = def->column(c.column);
        const QString col = isId ? QStringLiteral("ID") : (colDef ? colDef->name : QString());
        if (col.isEmpty())
            return fail(QStringLiteral("テーブル %1 に列 %2 はありません。").arg(m_table, c.column));
        if (c.value.isNull()) {
            conds << Storage::quote(col) + QStringLiteral(" IS NULL");
            continue;
        }
        // The value is bound as the column's own type, so that both engines
        // compare alike: "12" finds 12 in an integer column, 12 finds "12"
        // in a text column. PostgreSQL refuses to compare across types, so
        // a value that is no number of the column's kind is compared as
        // text, where it matches nothing, as on SQLite.
        const ColumnType type = isId ? ColumnType::Integer : colDef->type;
        bool ok = true;
        const QVariant v = TableIo::storedValue(c.value, type, &ok);
        if (ok && type == ColumnType::Integer && !v.isNull() && c.value.typeId() != QMetaType::Bool)
            ok = c.value.toString().trimmed().toDouble() == static_cast<double>(v.toLongLong());  // 1.5 is not 1
        if (!ok || (v.isNull() && type != ColumnType::Text)) {
            conds << QStringLiteral("CAST(%1 AS TEXT) = ?").arg(Storage::quote(col));
            binds << c.value.toString();
        } else {
            conds << Storage::quote(col) + QStringLiteral(" = ?");
            binds << v;
        }
    }
    if (!conds.isEmpty())
        sql += QStringLiteral(" WHERE ") + conds.join(QStringLiteral(" AND "));
    sql += QStringLiteral(" ORDER BY \"ID\"");
    // Read-then-write inside a transaction: on PostgreSQL the rows stay
    // locked until it ends, so another computer's save waits instead of
    // slipping in between (SQLite's write transaction already excludes it).
    if (m_lockRows && m_storage.isPostgres() && m_storage.inTransaction(m_db))
        sql += QStringLiteral(" FOR UPDATE");

    QSqlQuery q(d);
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        return failSql(q.lastError());
    for (const QVariant& v : binds)
        q.addBindValue(v);
    if (!q.exec())
        return failSql(q.lastError());

    const QSqlRecord rec = q.record();
    for (int i = 0; i < rec.count(); ++i) {
        m_columnNames << rec.fieldName(i);
        m_columns.insert(rec.fieldName(i).toLower(), i);
    }
    const int n = rec.count();
    while (q.next()) {
        QVector<QVariant> row(n);
        for (int i = 0; i < n; ++i)
            row[i] = q.value(i);
        m_rows.append(std::move(row));
    }
    if (q.lastError().isValid())
        return failSql(q.lastError());
    m_open = true;
    m_pos = 0;
    return true;
}

void Recordset::close()
{
    if (m_newId > 0)
        cancelUpdate();
    m_open = false;
    m_rows.clear();
    m_columns.clear();
    m_columnNames.clear();
    m_pending.clear();
    m_pendingRow = -1;
    m_pos = 0;
    m_afterDelete = false;
}

QVariant Recordset::value(const QString& column) const
{
    if (!current())
        return {};
    const int c = columnIndex(column);
    if (c < 0)
        return {};
    if (m_pendingRow == m_pos && m_pending.contains(c))
        return m_pending.value(c);
    return m_rows[m_pos][c];
}

QString Recordset::text(const QString& column) const
{
    const QVariant v = value(column);
    return v.isNull() ? QString() : v.toString();
}

qint64 Recordset::integer(const QString& column, qint64 fallback) const
{
    const QVariant v = value(column);
    if (v.isNull())
        return fallback;
    bool ok = false;
    const qint64 n = v.toLongLong(&ok);
    if (ok)
        return n;
    const double d = v.toString().trimmed().toDouble(&ok);
    return ok ? static_cast<qint64>(d) : fallback;
}

bool Recordset::setValue(const QString& column, const QVariant& value)
{
    if (!current())
        return fail(QStringLiteral("現在の行がありません。"));
    const int c = columnIndex(column);
    if (c < 0)
        return fail(QStringLiteral("テーブル %1 に列 %2 はありません。").arg(m_table, column));
    if (m_columnNames[c].compare(QLatin1String("ID"), Qt::CaseInsensitive) == 0)
        return fail(QStringLiteral("ID は自動採番のため変更できません。"));
    if (m_pendingRow != m_pos) {
        m_pending.clear();
        m_pendingRow = m_pos;
    }
    m_pending.insert(c, value);
    return true;
}

qint64 Recordset::addNew()
{
    if (!m_open) {
        fail(QStringLiteral("レコードセットが開かれていません。"));
        return 0;
    }
    if (m_newId > 0)
        cancelUpdate();
    QSqlDatabase d = m_storage.connection(m_db, &m_error);
    if (!d.isValid())
        return 0;
    QSqlQuery q(d);
    if (!q.exec(QStringLiteral("INSERT INTO %1 DEFAULT VALUES RETURNING \"ID\"").arg(Storage::quote(m_table))) || !q.next()) {
        failSql(q.lastError());
        return 0;
    }
    const qint64 id = q.value(0).toLongLong();
    QVector<QVariant> row(m_columnNames.size());
    const int idCol = columnIndex(QStringLiteral("ID"));
    if (idCol >= 0)
        row[idCol] = id;
    m_rows.append(row);
    m_pos = m_rows.size() - 1;
    m_pending.clear();
    m_pendingRow = m_pos;
    m_newId = id;
    m_afterDelete = false;
    return id;
}

bool Recordset::update()
{
    if (!current())
        return fail(QStringLiteral("現在の行がありません。"));
    if (m_pendingRow != m_pos || m_pending.isEmpty()) {
        m_newId = 0;
        return true;
    }
    QSqlDatabase d = m_storage.connection(m_db, &m_error);
    if (!d.isValid())
        return false;
    QStringList sets;
    QVector<QVariant> values;
    const TableDef* def = DatabaseSchema::builtIn(m_db).table(m_table);
    for (auto it = m_pending.cbegin(); it != m_pending.cend(); ++it) {
        const QString& name = m_columnNames[it.key()];
        sets << Storage::quote(name) + QStringLiteral(" = ?");
        QVariant v = it.value();
        // Keep each column's type on both engines: PostgreSQL refuses text in
        // an integer column, and an empty text there means "no value".
        const ColumnDef* col = def ? def->column(name) : nullptr;
        if (col) {
            bool ok = true;
            const QVariant stored = TableIo::storedValue(v, col->type, &ok);
            if (!ok)
                return fail(TableIo::numberRefusal(name, col->type, v));
            v = stored;
        }
        values << v;
    }
    QSqlQuery q(d);
    if (!q.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE \"ID\" = ?")
                       .arg(Storage::quote(m_table), sets.join(QLatin1String(", ")))))
        return failSql(q.lastError());
    for (const QVariant& v : values)
        q.addBindValue(v);
    q.addBindValue(id());
    if (!q.exec())
        return failSql(q.lastError());
    int i = 0;
    for (auto it = m_pending.cbegin(); it != m_pending.cend(); ++it)
        m_rows[m_pos][it.key()] = values[i++];
    m_pending.clear();
    m_pendingRow = -1;
    m_newId = 0;
    return true;
}

void Recordset::cancelUpdate()
{
    m_pending.clear();
    m_pendingRow = -1;
    if (m_newId <= 0)
        return;
    const qint64 newId = m_newId;
    m_newId = 0;
    QString ignored;
    QSqlDatabase d = m_storage.connection(m_db, &ignored);
    if (d.isValid()) {
        QSqlQuery q(d);
        q.prepare(QStringLiteral("DELETE FROM %1 WHERE \"ID\" = ?").arg(Storage::quote(m_table)));
        q.addBindValue(newId);
        q.exec();
    }
    const int idCol = columnIndex(QStringLiteral("ID"));
    for (int r = m_rows.size() - 1; r >= 0 && idCol >= 0; --r) {
        if (m_rows[r][idCol].toLongLong() == newId) {
            m_rows.remove(r);
            break;
        }
    }
    if (m_pos > m_rows.size())
        m_pos = m_rows.size();
}

bool Recordset::deleteCurrent()
{
    if (!current())
        return fail(QStringLiteral("現在の行がありません。"));
    QSqlDatabase d = m_storage.connection(m_db, &m_error);
    if (!d.isValid())
        return false;
    QSqlQuery q(d);
    q.prepare(QStringLiteral("DELETE FROM %1 WHERE \"ID\" = ?").arg(Storage::quote(m_table)));
    const qint64 rowId = m_rows[m_pos][columnIndex(QStringLiteral("ID"))].toLongLong();
    q.addBindValue(rowId);
    if (!q.exec())
        return failSql(q.lastError());
    if (rowId == m_newId)
        m_newId = 0;
    // The following row moves up into the current position; the next
    // moveNext() stays there, so "delete, move next" visits every row.
    m_rows.remove(m_pos);
    m_afterDelete = true;
    m_pending.clear();
    m_pendingRow = -1;
    return true;
}

void Recordset::moveNext()
{
    if (m_afterDelete) {
        m_afterDelete = false;
        return;
    }
    if (m_pos < m_rows.size())
        ++m_pos;
}
