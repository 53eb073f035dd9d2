#include "TableIo.h"

#include <QCryptographicHash>
#include <QHash>
#include <QSet>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QSqlRecord>

#include <cmath>
#include <limits>

#include <libpq-fe.h>

namespace TableIo {

namespace {

QString quote(const QString& identifier)
{
    QString q = identifier;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

QString sqlType(ColumnType t, bool postgres)
{
    switch (t) {
    case ColumnType::Integer: return postgres ? QStringLiteral("BIGINT") : QStringLiteral("INTEGER");
    case ColumnType::Real: return postgres ? QStringLiteral("DOUBLE PRECISION") : QStringLiteral("REAL");
    case ColumnType::Text: break;
    }
    return QStringLiteral("TEXT");
}

// "NAME TYPE [DEFAULT literal]"; the parser has checked that a number
// column's default is a number.
QString columnSql(const ColumnDef& c, bool postgres)
{
    QString sql = quote(c.name) + QLatin1Char(' ') + sqlType(c.type, postgres);
    if (c.defaultValue.isEmpty())
        return sql;
    QString literal = c.defaultValue;
    if (c.type == ColumnType::Text)
        literal = QLatin1Char('\'') + literal.replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\'');
    return sql + QStringLiteral(" DEFAULT ") + literal;
}

ColumnType typeOf(const TableDef& t, const QString& column)
{
    if (column.compare(QLatin1String("ID"), Qt::CaseInsensitive) == 0)
        return ColumnType::Integer;
    const ColumnDef* c = t.column(column);
    return c ? c->type : ColumnType::Text;
}

bool fail(QSqlError* error, const QSqlError& e)
{
    if (error)
        *error = e;
    return false;
}

bool failText(QSqlError* error, const QString& text)
{
    return fail(error, QSqlError(QString(), text, QSqlError::UnknownError));
}

PGconn* pgHandle(const QSqlDatabase& d)
{
    const QVariant v = d.driver() ? d.driver()->handle() : QVariant();
    // Qt names the type by libpq's struct tag.
    if (v.isValid() && (qstrcmp(v.typeName(), "PGconn*") == 0 || qstrcmp(v.typeName(), "pg_conn*") == 0))
        return *static_cast<PGconn* const*>(v.constData());
    return nullptr;
}

QSqlError pgError(PGconn* conn, PGresult* res, const QString& what)
{
    const char* state = res ? PQresultErrorField(res, PG_DIAG_SQLSTATE) : nullptr;
    const QString message = QString::fromUtf8(res ? PQresultErrorMessage(res) : PQerrorMessage(conn)).trimmed();
    return QSqlError(what, message, QSqlError::StatementError, QString::fromLatin1(state ? state : ""));
}

// COPY's text format: tab between values, \N for null, backslash escapes.
void appendCopyValue(QByteArray* out, const QVariant& v)
{
    if (v.isNull()) {
        out->append("\\N");
        return;
    }
    QByteArray raw;
    switch (v.typeId()) {
    case QMetaType::LongLong: raw = QByteArray::number(v.toLongLong()); break;
    case QMetaType::Double: raw = QByteArray::number(v.toDouble(), 'g', 17); break;
    default: raw = v.toString().toUtf8(); break;
    }
    for (char c : raw) {
        switch (c) {
        case '\\': out->append("\\\\"); break;
        case '\t': out->append("\\t"); break;
        case '\n': out->append("\\n"); break;
        case '\r': out->append("\\r"); break;
        default: out->append(c); break;
        }
    }
}

bool copyIn(QSqlDatabase& d, const QString& target, const QStringList& columns, const QVector<ColumnType>& types,
            const QVector<QVector<QVariant>>& rows, const QString& tableName, QSqlError* error)
{
    PGconn* conn = pgHandle(d);
    if (!conn)
        return failText(error, QStringLiteral("PostgreSQL の接続を取得できません。"));
    QStringList quoted;
    for (const QString& c : columns)
        quoted << quote(c);
    const QByteArray sql = QStringLiteral("COPY %1 (%2) FROM STDIN").arg(target, quoted.join(QLatin1String(", "))).toUtf8();
    PGresult* res = PQexec(conn, sql.constData());
    if (PQresultStatus(res) != PGRES_COPY_IN) {
        const QSqlError e = pgError(conn, res, QStringLiteral("COPY"));
        PQclear(res);
        return fail(error, e);
    }
    PQclear(res);

    QString conversionError;
    QByteArray buffer;
    buffer.reserve(1 << 20);
    bool sendFailed = false;
    // A refused value is named by its row, so that it can be found and
    // mended at the source: the server's own message names neither.
    qsizetype idColumn = -1;
    for (qsizetype c = 0; c < columns.size() && idColumn < 0; ++c)
        if (columns[c].compare(QLatin1String("ID"), Qt::CaseInsensitive) == 0)
            idColumn = c;
    qint64 rowNumber = 0;
    auto rowName = [&](const QVector<QVariant>& row) {
        return idColumn >= 0 && idColumn < row.size() ? QStringLiteral("ID %1 の行").arg(row[idColumn].toString())
                                                      : QStringLiteral("%1 行目").arg(rowNumber);
    };
    for (const QVector<QVariant>& row : rows) {
        ++rowNumber;
        for (int c = 0; c < columns.size(); ++c) {
            bool ok = true;
            const QVariant v = storedValue(c < row.size() ? row[c] : QVariant(), types[c], &ok);
            if (!ok && conversionError.isEmpty())
                conversionError = QStringLiteral("テーブル %1 の%2、列 %3 に数値でない値「%4」があります。")
                                      .arg(tableName, rowName(row), columns[c], row[c].toString());
            if (conversionError.isEmpty() && v.typeId() == QMetaType::QString && v.toString().contains(QChar(0)))
                conversionError = QStringLiteral("テーブル %1 の%2、列 %3 の値に NUL 文字があります。PostgreSQL は文字列の中の "
                                                 "NUL 文字を保存できません。移行元のこの値を直してから、もう一度実行してください。")
                                      .arg(tableName, rowName(row), columns[c]);
            if (c > 0)
                buffer.append('\t');
            appendCopyValue(&buffer, v);
        }
        buffer.append('\n');
        if (!conversionError.isEmpty())
            break;
        if (buffer.size() >= (1 << 20)) {
            if (PQputCopyData(conn, buffer.constData(), static_cast<int>(buffer.size())) != 1) {
                sendFailed = true;
                break;
            }
            buffer.clear();
        }
    }
    if (!sendFailed && conversionError.isEmpty() && !buffer.isEmpty()
        && PQputCopyData(conn, buffer.constData(), static_cast<int>(buffer.size())) != 1)
        sendFailed = true;
    // Ending with an error message makes the server throw the partial copy away.
    const bool abandon = sendFailed || !conversionError.isEmpty();
    PQputCopyEnd(conn, abandon ? "abandoned" : nullptr);
    QSqlError serverError;
    bool ok = true;
    while (PGresult* r = PQgetResult(conn)) {
        if (PQresultStatus(r) != PGRES_COMMAND_OK && ok) {
            serverError = pgError(conn, r, QStringLiteral("COPY"));
            ok = false;
        }
        PQclear(r);
    }
    if (!conversionError.isEmpty())
        return failText(error, conversionError);
    if (!ok || sendFailed)
        return fail(error, ok ? pgError(conn, nullptr, QStringLiteral("COPY")) : serverError);
    return true;
}

}  // namespace

bool isPostgres(const QSqlDatabase& d)
{
    return d.driverName() == QLatin1String("QPSQL");
}

QString qualifiedName(const QString& schema, const QString& table)
{
    return schema.isEmpty() ? quote(table) : quote(schema) + QLatin1Char('.') + quote(table);
}

QStringList columnNames(const TableDef& t)
{
    QStringList out{QStringLiteral("ID")};
    for (const ColumnDef& c : t.columns)
        out << c.name;
    return out;
}

namespace {

// A number as a user types it: full-width digits, signs and point become
// half-width (what an input method gives), surrounding spaces go. Nothing
// else is forgiven: no exponent, no "NaN" or "inf", no grouping commas.
QString numberText(const QString& s)
{
    QString t = s.trimmed();
    for (QChar& c : t) {
        const char16_t u = c.unicode();
        if (u >= 0xFF10 && u <= 0xFF19)
            c = QChar(u - 0xFF10 + '0');
        else if (u == 0xFF0B)
            c = QLatin1Char('+');
        else if (u == 0xFF0D || u == 0x2212)
            c = QLatin1Char('-');
        else if (u == 0xFF0E)
            c = QLatin1Char('.');
    }
    return t;
}

bool isDecimalText(const QString& t, bool integer)
{
    int i = (t.startsWith(QLatin1Char('+')) || t.startsWith(QLatin1Char('-'))) ? 1 : 0;
    int digits = 0;
    bool point = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            ++digits;
        else if (c == QLatin1Char('.') && !point && !integer)
            point = true;
        else
            return false;
    }
    return digits > 0;
}

}  // namespace

QVariant storedValue(const QVariant& v, ColumnType type, bool* ok)
{
    *ok = true;
    if (v.isNull())
        return QVariant();
    if (type == ColumnType::Text) {
        if (v.typeId() == QMetaType::Bool)
            return QString(v.toBool() ? QStringLiteral("1") : QStringLiteral("0"));
        return v.toString();
    }
    if (v.typeId() == QMetaType::Bool)
        return type == ColumnType::Integer ? QVariant(qint64(v.toBool() ? 1 : 0)) : QVariant(v.toBool() ? 1.0 : 0.0);
    *ok = false;
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Char:
    case QMetaType::SChar:
        *ok = true;
        return type == ColumnType::Integer ? QVariant(v.toLongLong()) : QVariant(v.toDouble());
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::UShort:
    case QMetaType::UChar:
        if (v.toULongLong() > static_cast<qulonglong>(std::numeric_limits<qint64>::max()))
            return v;
        *ok = true;
        return type == ColumnType::Integer ? QVariant(v.toLongLong()) : QVariant(v.toDouble());
    case QMetaType::Double:
    case QMetaType::Float: {
        const double x = v.toDouble();
        if (!std::isfinite(x))
            return v;
        if (type == ColumnType::Real) {
            *ok = true;
            return x;
        }
        // 2^63 itself is out of range; every smaller whole double converts exactly.
        if (x != std::trunc(x) || x < -9223372036854775808.0 || x >= 9223372036854775808.0)
            return v;
        *ok = true;
        return static_cast<qint64>(x);
    }
    default:
        break;
    }
    QString s = numberText(v.toString());
    if (s.isEmpty()) {
        *ok = true;
        return QVariant();
    }
    // "7.0" is exactly 7; "1.9" would have to be rounded, which is refused.
    if (type == ColumnType::Integer && s.contains(QLatin1Char('.'))) {
        const qsizetype point = s.indexOf(QLatin1Char('.'));
        for (qsizetype i = point + 1; i < s.size(); ++i)
            if (s[i] != QLatin1Char('0'))
                return v;
        s.truncate(point);
    }
    if (!isDecimalText(s, type == ColumnType::Integer))
        return v;
    bool good = false;
    if (type == ColumnType::Integer) {
        const qint64 n = s.toLongLong(&good);  // fails beyond the range instead of wrapping
        if (!good)
            return v;
        *ok = true;
        return n;
    }
    const double x = s.toDouble(&good);
    if (!good || !std::isfinite(x))
        return v;
    *ok = true;
    return x;
}

QString numberRefusal(const QString& column, ColumnType type, const QVariant& value)
{
    if (type == ColumnType::Integer)
        return QStringLiteral("列 %1 には整数（-9223372036854775808〜9223372036854775807）を入力してください"
                              "（「%2」は保存できません）。保存済みの値はそのままです。").arg(column, value.toString().trimmed());
    return QStringLiteral("列 %1 には数値（例: 123.45）を入力してください（「%2」は保存できません）。"
                          "保存済みの値はそのままです。").arg(column, value.toString().trimmed());
}

const QSet<QString>* ExistingLayout::columnsOf(const QString& table) const
{
    if (const auto it = columns.constFind(table); it != columns.constEnd())
        return &it.value();
    // SQLite compares table names without case.
    for (auto it = columns.constBegin(); it != columns.constEnd(); ++it)
        if (it.key().compare(table, Qt::CaseInsensitive) == 0)
            return &it.value();
    return nullptr;
}

bool readExistingLayout(QSqlDatabase& d, const QString& schema, ExistingLayout* out, QSqlError* error)
{
    QSqlQuery q(d);
    const bool postgres = isPostgres(d);
    const QString where = schema.isEmpty() ? QStringLiteral("current_schema()") : QStringLiteral("?");
    if (postgres)
        q.prepare(QStringLiteral("SELECT c.relname, a.attname FROM pg_catalog.pg_class c "
                                 "JOIN pg_catalog.pg_namespace n ON c.relnamespace = n.oid "
                                 "LEFT JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 "
                                 "AND NOT a.attisdropped WHERE n.nspname = %1 AND c.relkind = 'r'").arg(where));
    else
        q.prepare(QStringLiteral("SELECT m.name, p.name FROM sqlite_master m LEFT JOIN pragma_table_info(m.name) p "
                                 "WHERE m.type = 'table'"));
    if (postgres && !schema.isEmpty())
        q.addBindValue(schema);
    if (!q.exec())
        return fail(error, q.lastError());
    while (q.next()) {
        QSet<QString>& cols = out->columns[q.value(0).toString()];
        if (!q.value(1).isNull())
            cols.insert(q.value(1).toString().toLower());
    }
    if (postgres) {
        q.prepare(QStringLiteral("SELECT c.relname FROM pg_catalog.pg_class c "
                                 "JOIN pg_catalog.pg_namespace n ON c.relnamespace = n.oid "
                                 "WHERE n.nspname = %1 AND c.relkind = 'i'").arg(where));
        if (!schema.isEmpty())
            q.addBindValue(schema);
    } else {
        q.prepare(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index'"));
    }
    if (!q.exec())
        return fail(error, q.lastError());
    while (q.next())
        out->indexes.insert(q.value(0).toString());
    return true;
}

bool ensureTables(QSqlDatabase& d, DbFile db, const QString& schema, QSqlError* error, QStringList* created)
{
    return ensureTables(d, DatabaseSchema::builtIn(db), schema, error, created);
}

bool ensureTables(QSqlDatabase& d, const DatabaseSchema& layout, const QString& schema, QSqlError* error,
                  QStringList* created)
{
    const bool postgres = isPostgres(d);
    QSqlQuery q(d);
    auto run = [&](const QString& sql) { return q.exec(sql) || fail(error, q.lastError()); };
    ExistingLayout existing;
    if (!readExistingLayout(d, schema, &existing, error))
        return false;
    for (const TableDef& t : layout.tables) {
        const QString name = qualifiedName(schema, t.name);
        const QSet<QString>* have = existing.columnsOf(t.name);
        if (!have) {
            QStringList cols;
            cols << (postgres ? QStringLiteral("\"ID\" BIGSERIAL PRIMARY KEY")
                              : QStringLiteral("\"ID\" INTEGER PRIMARY KEY AUTOINCREMENT"));
            for (const ColumnDef& c : t.columns)
                cols << columnSql(c, postgres);
            if (!run(QStringLiteral("CREATE TABLE %1 (%2)").arg(name, cols.join(QLatin1String(", ")))))
                return false;
            if (created)
                created->append(t.name);
        } else {
            // An older install: add the columns a newer version knows.
            for (const ColumnDef& c : t.columns) {
                if (have->contains(c.name.toLower()))
                    continue;
                if (!run(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2").arg(name, columnSql(c, postgres))))
                    return false;
            }
        }
        for (const QStringList& columns : t.indexesOn(postgres)) {
            // The index lands in its table's schema, so its name is never qualified.
            const QString ixName = t.indexName(columns);
            if (existing.indexes.contains(ixName))
                continue;
            QStringList quoted;
            for (const QString& c : columns)
                quoted << quote(c);
            if (!run(QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)")
                         .arg(quote(ixName), name, quoted.join(QLatin1String(", ")))))
                return false;
        }
    }
    return true;
}

bool insertRows(QSqlDatabase& d, const QString& schema, const TableDef& t, const QStringList& columns,
                const QVector<QVector<QVariant>>& rows, QSqlError* error)
{
    if (rows.isEmpty())
        return true;
    QVector<ColumnType> types;
    for (const QString& c : columns) {
        if (c.compare(QLatin1String("ID"), Qt::CaseInsensitive) != 0 && !t.column(c))
            return failText(error, QStringLiteral("テーブル %1 に列 %2 はありません。").arg(t.name, c));
        types << typeOf(t, c);
    }
    const QString target = qualifiedName(schema, t.name);
    if (isPostgres(d))
        return copyIn(d, target, columns, types, rows, t.name, error);

    QStringList quoted, marks;
    for (const QString& c : columns) {
        quoted << quote(c);
        marks << QStringLiteral("?");
    }
    QSqlQuery ins(d);
    if (!ins.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                         .arg(target, quoted.join(QLatin1Char(',')), marks.join(QLatin1Char(',')))))
        return fail(error, ins.lastError());
    for (const QVector<QVariant>& row : rows) {
        for (int c = 0; c < columns.size(); ++c) {
            bool ok = true;
            const QVariant v = storedValue(c < row.size() ? row[c] : QVariant(), types[c], &ok);
            if (!ok)
                return failText(error, QStringLiteral("テーブル %1 の列 %2 に数値でない値「%3」があります。")
                                           .arg(t.name, columns[c], row[c].toString()));
            ins.bindValue(c, v);
        }
        if (!ins.exec())
            return fail(error, ins.lastError());
    }
    return true;
}

bool readRows(QSqlDatabase& d, const QString& schema, const TableDef& t,
              const std::function<bool(const QVector<QVariant>&)>& visit, QSqlError* error)
{
    const QStringList cols = columnNames(t);
    QStringList quoted;
    for (const QString& c : cols)
        quoted << quote(c);
    QSqlQuery q(d);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY \"ID\"")
                    .arg(quoted.join(QLatin1String(", ")), qualifiedName(schema, t.name))))
        return fail(error, q.lastError());
    QVector<QVariant> row(cols.size());
    while (q.next()) {
        for (int i = 0; i < cols.size(); ++i)
            row[i] = q.value(i);
        if (!visit(row)) {
            q.finish();
            return true;
        }
    }
    if (q.lastError().isValid())
        return fail(error, q.lastError());
    return true;
}

struct Digester::Private {
    QVector<ColumnType> types;
    QCryptographicHash hash{QCryptographicHash::Sha256};
    qint64 rows = 0;
};

Digester::Digester(const TableDef& t)
    : d(new Private)
{
    for (const QString& c : columnNames(t))
        d->types << typeOf(t, c);
}

Digester::~Digester()
{
    delete d;
}

void Digester::add(const QVector<QVariant>& row)
{
    for (int i = 0; i < d->types.size(); ++i) {
        bool ok = true;
        const QVariant v = storedValue(i < row.size() ? row[i] : QVariant(), d->types[i], &ok);
        QByteArray item;
        if (v.isNull())
            item = "N";
        else if (!ok)
            item = "?" + v.toString().toUtf8();
        else if (v.typeId() == QMetaType::LongLong)
            item = "I" + QByteArray::number(v.toLongLong());
        else if (v.typeId() == QMetaType::Double)
            item = "R" + QByteArray::number(v.toDouble(), 'g', 17);
        else
            item = "T" + v.toString().toUtf8();
        const quint32 n = static_cast<quint32>(item.size());
        const char len[4] = {char(n >> 24), char(n >> 16), char(n >> 8), char(n)};
        d->hash.addData(QByteArrayView(len, 4));
        d->hash.addData(item);
    }
    ++d->rows;
}

Digest Digester::result()
{
    return {d->rows, d->hash.result()};
}

bool digest(QSqlDatabase& d, const QString& schema, const TableDef& t, Digest* out, QSqlError* error)
{
    Digester dg(t);
    if (!readRows(d, schema, t, [&](const QVector<QVariant>& row) { dg.add(row); return true; }, error))
        return false;
    *out = dg.result();
    return true;
}

bool idCounter(QSqlDatabase& d, const QString& schema, const QString& table, qint64* highest, QSqlError* error)
{
    QSqlQuery q(d);
    const QString name = qualifiedName(schema, table);
    if (!q.exec(QStringLiteral("SELECT MAX(\"ID\") FROM %1").arg(name)) || !q.next())
        return fail(error, q.lastError());
    qint64 high = q.value(0).isNull() ? 0 : q.value(0).toLongLong();
    if (isPostgres(d)) {
        q.prepare(QStringLiteral("SELECT pg_sequence_last_value(CAST(pg_get_serial_sequence(?, 'ID') AS regclass))"));
        q.addBindValue(name);
    } else {
        q.prepare(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = ?"));
        q.addBindValue(table);
    }
    if (!q.exec())
        return fail(error, q.lastError());
    if (q.next() && !q.value(0).isNull())
        high = qMax(high, q.value(0).toLongLong());
    *highest = high;
    return true;
}

bool setIdCounter(QSqlDatabase& d, const QString& schema, const QString& table, qint64 highest, QSqlError* error)
{
    QSqlQuery q(d);
    if (isPostgres(d)) {
        q.prepare(QStringLiteral("SELECT setval(CAST(pg_get_serial_sequence(?, 'ID') AS regclass), ?, ?)"));
        q.addBindValue(qualifiedName(schema, table));
        q.addBindValue(qMax<qint64>(highest, 1));
        q.addBindValue(highest > 0);
        return q.exec() || fail(error, q.lastError());
    }
    q.prepare(QStringLiteral("UPDATE sqlite_sequence SET seq = ? WHERE name = ?"));
    q.addBindValue(highest);
    q.addBindValue(table);
    if (!q.exec())
        return fail(error, q.lastError());
    if (q.numRowsAffected() > 0)
        return true;
    q.prepare(QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES (?, ?)"));
    q.addBindValue(table);
    q.addBindValue(highest);
    return q.exec() || fail(error, q.lastError());
}

bool integrityCheck(QSqlDatabase& d, QStringList* problems, QSqlError* error)
{
    if (problems)
        problems->clear();
    if (isPostgres(d))
        return true;
    QSqlQuery q(d);
    if (!q.exec(QStringLiteral("PRAGMA integrity_check")))
        return fail(error, q.lastError());
    QStringList found;
    while (q.next())
        found << q.value(0).toString();
    const bool sound = found == QStringList{QStringLiteral("ok")};
    if (problems && !sound)
        *problems = found;
    return sound;
}

}  // namespace TableIo
