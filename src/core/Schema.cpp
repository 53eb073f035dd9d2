#include "Schema.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>

#include <map>

const ColumnDef* TableDef::column(const QString& n) const
{
    for (const ColumnDef& c : columns)
        if (c.name.compare(n, Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

QString TableDef::indexName(const QStringList& indexColumns) const
{
    return QStringLiteral("ix_%1_%2").arg(name, indexColumns.join(QLatin1Char('_')));
}

QVector<QStringList> TableDef::indexesOn(bool postgres) const
{
    QVector<QStringList> out;
    for (const ColumnDef& c : columns)
        if (c.indexed)
            out.append({c.name});
    out += indexes;
    if (!postgres)
        out += sqliteIndexes;
    return out;
}

const TableDef* DatabaseSchema::table(const QString& n) const
{
    for (const TableDef& t : tables)
        if (t.name.compare(n, Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

bool DatabaseSchema::parse(DbFile db, const QString& text, DatabaseSchema* out, QString* error)
{
    DatabaseSchema s;
    s.db = db;
    const QStringList lines = text.split(QLatin1Char('\n'));
    static const QRegularExpression ws(QStringLiteral("\\s+"));
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        const int hash = line.indexOf(QLatin1Char('#'));
        if (hash >= 0)
            line.truncate(hash);
        const QStringList words = line.trimmed().split(ws, Qt::SkipEmptyParts);
        if (words.isEmpty())
            continue;
        auto fail = [&](const QString& why) {
            if (error)
                *error = QStringLiteral("%1.schema %2行目: %3").arg(dbBaseName(db)).arg(i + 1).arg(why);
            return false;
        };
        if (words[0] == QLatin1String("table")) {
            if (words.size() != 2)
                return fail(QStringLiteral("table の後にはテーブル名を一つだけ書きます"));
            if (s.table(words[1]))
                return fail(QStringLiteral("テーブル %1 が二度定義されています").arg(words[1]));
            s.tables.append(TableDef{words[1], {}});
            continue;
        }
        if (s.tables.isEmpty())
            return fail(QStringLiteral("列の前に table 行が必要です"));
        if (words[0] == QLatin1String("index")) {
            TableDef& t = s.tables.last();
            QStringList columns = words.mid(1);
            const bool sqliteOnly = columns.endsWith(QStringLiteral("(sqlite)"));
            if (sqliteOnly)
                columns.removeLast();
            if (columns.size() < 2)
                return fail(QStringLiteral("index 行には列を二つ以上書きます（一つの列には列の行の index）"));
            for (const QString& c : columns)
                if (!t.column(c))
                    return fail(QStringLiteral("index の列 %1 はこのテーブルの前の行にありません").arg(c));
            if (t.indexes.contains(columns) || t.sqliteIndexes.contains(columns))
                return fail(QStringLiteral("index %1 が重複しています").arg(columns.join(QLatin1Char(' '))));
            (sqliteOnly ? t.sqliteIndexes : t.indexes).append(columns);
            continue;
        }
        if (words.size() < 2 || words.size() > 5)
            return fail(QStringLiteral("列は「名前 型 [index] [default 値]」で書きます"));
        ColumnDef c;
        c.name = words[0];
        const QString type = words[1].toLower();
        if (type == QLatin1String("text"))
            c.type = ColumnType::Text;
        else if (type == QLatin1String("integer"))
            c.type = ColumnType::Integer;
        else if (type == QLatin1String("real"))
            c.type = ColumnType::Real;
        else
            return fail(QStringLiteral("不明な型 %1").arg(words[1]));
        for (int w = 2; w < words.size(); ++w) {
            if (words[w] == QLatin1String("index") && !c.indexed) {
                c.indexed = true;
            } else if (words[w] == QLatin1String("default") && w + 1 < words.size() && c.defaultValue.isEmpty()) {
                c.defaultValue = words[++w];
                bool ok = true;
                if (c.type == ColumnType::Integer)
                    c.defaultValue.toLongLong(&ok);
                else if (c.type == ColumnType::Real)
                    c.defaultValue.toDouble(&ok);
                if (!ok)
                    return fail(QStringLiteral("既定値 %1 は %2 型の値ではありません").arg(c.defaultValue, words[1]));
            } else {
                return fail(QStringLiteral("不明な指定 %1").arg(words[w]));
            }
        }
        TableDef& t = s.tables.last();
        if (c.name.compare(QLatin1String("ID"), Qt::CaseInsensitive) == 0 || t.column(c.name))
            return fail(QStringLiteral("列 %1 が重複しています").arg(c.name));
        t.columns.append(c);
    }
    *out = s;
    return true;
}

const DatabaseSchema& DatabaseSchema::builtIn(DbFile db)
{
    static std::map<DbFile, DatabaseSchema> cache;
    auto it = cache.find(db);
    if (it != cache.end())
        return it->second;
    DatabaseSchema s;
    QFile f(QStringLiteral(":/schema/%1.schema").arg(dbBaseName(db)));
    QString error;
    if (!f.open(QIODevice::ReadOnly) || !parse(db, QString::fromUtf8(f.readAll()), &s, &error))
        qFatal("built-in schema %s is unreadable: %s", qPrintable(dbBaseName(db)), qPrintable(error));
    // Every database records the layout version it was last brought to, in
    // a table of the program's own that travels with its rows through
    // backups and migrations.
    if (s.table(kSchemaInfoTable))
        qFatal("schema %s must not define %s itself", qPrintable(dbBaseName(db)), qPrintable(kSchemaInfoTable));
    s.tables.append(TableDef{kSchemaInfoTable,
                             {{QStringLiteral("Version"), ColumnType::Integer, false, {}},
                              {QStringLiteral("Program"), ColumnType::Text, false, {}},
                              {QStringLiteral("UpgradedAt"), ColumnType::Text, false, {}},
                              {QStringLiteral("Layout"), ColumnType::Text, false, {}}}});
    return cache.emplace(db, s).first->second;
}

bool findTableDb(const QString& table, DbFile* db)
{
    for (DbFile d : allDbFiles) {
        if (DatabaseSchema::builtIn(d).table(table)) {
            if (db)
                *db = d;
            return true;
        }
    }
    return false;
}
