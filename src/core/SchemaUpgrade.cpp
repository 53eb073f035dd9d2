#include "SchemaUpgrade.h"

#include "Schema.h"
#include "TableIo.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QSqlQuery>

#include <map>

#ifndef SD_PROGRAM_VERSION
#define SD_PROGRAM_VERSION "unknown"
#endif

namespace SchemaUpgrade {

namespace {

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

QString programName()
{
    return QStringLiteral("ShinseiDesk %1").arg(QLatin1String(SD_PROGRAM_VERSION));
}

}  // namespace

QString layoutFingerprint(DbFile db)
{
    static std::map<DbFile, QString> cache;
    auto it = cache.find(db);
    if (it != cache.end())
        return it->second;
    QByteArray text;
    for (const TableDef& t : DatabaseSchema::builtIn(db).tables) {
        text += "table " + t.name.toUtf8() + '\n';
        for (const ColumnDef& c : t.columns)
            text += c.name.toUtf8() + ' ' + QByteArray::number(static_cast<int>(c.type)) + (c.indexed ? " index" : "")
                    + " default " + c.defaultValue.toUtf8() + '\n';
    }
    const QString hex = QString::fromLatin1(QCryptographicHash::hash(text, QCryptographicHash::Sha256).toHex().left(16));
    return cache.emplace(db, hex).first->second;
}

bool readState(QSqlDatabase& d, DbFile db, const QString& schema, State* out, QSqlError* error)
{
    State s;
    TableIo::ExistingLayout existing;
    if (!TableIo::readExistingLayout(d, schema, &existing, error))
        return false;
    s.complete = true;
    for (const TableDef& t : DatabaseSchema::builtIn(db).tables) {
        const QSet<QString>* have = existing.columnsOf(t.name);
        if (!have) {
            s.complete = false;
            continue;
        }
        if (t.name != kSchemaInfoTable)
            s.empty = false;
        for (const ColumnDef& c : t.columns) {
            if (!have->contains(c.name.toLower())
                || (c.indexed && !existing.indexes.contains(QStringLiteral("ix_%1_%2").arg(t.name, c.name))))
                s.complete = false;
        }
    }
    if (existing.columnsOf(kSchemaInfoTable)) {
        QSqlQuery q(d);
        if (!q.exec(QStringLiteral("SELECT \"Version\", \"Layout\", \"Program\" FROM %1 ORDER BY \"ID\" DESC LIMIT 1")
                        .arg(TableIo::qualifiedName(schema, kSchemaInfoTable))))
            return fail(error, q.lastError());
        if (q.next()) {
            s.version = q.value(0).toInt();
            s.layout = q.value(1).toString();
            s.program = q.value(2).toString();
            s.empty = false;
        }
    }
    if (s.version == 0 && !s.empty)
        s.version = kUnrecordedVersion;
    *out = s;
    return true;
}

bool isCurrent(const State& s)
{
    return s.version == kCurrentVersion && s.complete;
}

bool isNewer(const State& s)
{
    return s.version > kCurrentVersion;
}

QString newerMessage(DbFile db, const State& s)
{
    QString text = QStringLiteral("このデータベース（%1）はこのプログラムより新しい版（版 %2、このプログラムは版 %3）で作られています。"
                                  "新しい版のプログラムを使ってください。")
                       .arg(dbBaseName(db))
                       .arg(s.version)
                       .arg(kCurrentVersion);
    if (!s.program.isEmpty())
        text += QStringLiteral("\n（最後に更新したプログラム: %1）").arg(s.program);
    return text + QStringLiteral("\nデータベースは何も変更していません。");
}

const QVector<DataStep>& dataSteps()
{
    // Version 2 only adds tables and columns.
    static const QVector<DataStep> steps;
    return steps;
}

bool readSeed(DbFile db, const QString& table, QStringList* columns, QVector<QVector<QVariant>>* rows, QString* error)
{
    columns->clear();
    rows->clear();
    QFile f(QStringLiteral(":/seed/%1/%2.tsv").arg(dbBaseName(db), table));
    if (!f.exists())
        return true;
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("初期データ %1 を読み込めません。").arg(f.fileName());
        return false;
    }
    const TableDef* t = DatabaseSchema::builtIn(db).table(table);
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    const QStringList header = lines.value(0).trimmed().split(QLatin1Char('\t'));
    for (const QString& h : header) {
        if (!t || !t->column(h)) {
            if (error)
                *error = QStringLiteral("初期データ %1 の列 %2 はテーブルにありません。").arg(f.fileName(), h);
            return false;
        }
    }
    rows->reserve(lines.size());
    for (int i = 1; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty())
            continue;
        const QStringList values = line.split(QLatin1Char('\t'));
        QVector<QVariant> row(header.size());
        for (int c = 0; c < header.size(); ++c) {
            const QString v = c < values.size() ? values[c] : QString();
            if (!v.isEmpty())
                row[c] = v;
        }
        rows->append(std::move(row));
    }
    *columns = header;
    return true;
}

bool apply(QSqlDatabase& d, DbFile db, const QString& schema, const State& from, const QVector<DataStep>& steps,
           QSqlError* error)
{
    if (isNewer(from))
        return failText(error, newerMessage(db, from));
    QStringList created;
    if (!TableIo::ensureTables(d, db, schema, error, &created))
        return false;
    // Only a code list that this upgrade created gets its seed rows: a list
    // the office has emptied stays empty.
    const DatabaseSchema& layout = DatabaseSchema::builtIn(db);
    for (const QString& name : created) {
        QStringList columns;
        QVector<QVector<QVariant>> rows;
        QString seedError;
        if (!readSeed(db, name, &columns, &rows, &seedError))
            return failText(error, seedError);
        if (!columns.isEmpty() && !TableIo::insertRows(d, schema, *layout.table(name), columns, rows, error))
            return false;
    }
    // A new database has no rows for the steps to convert.
    if (!from.empty) {
        for (const DataStep& step : steps) {
            if (step.db != db || step.version <= from.version || step.version > kCurrentVersion)
                continue;
            QSqlError e;
            if (!step.run(d, schema, &e)) {
                const QString what = QStringLiteral("版 %1 への変換（%2）に失敗しました。").arg(step.version).arg(step.what);
                return fail(error, QSqlError(e.driverText(), what + QLatin1Char('\n') + e.text().trimmed(), e.type(),
                                             e.nativeErrorCode()));
            }
        }
    }
    QSqlQuery q(d);
    q.prepare(QStringLiteral("INSERT INTO %1 (\"Version\", \"Program\", \"UpgradedAt\", \"Layout\") VALUES (?, ?, ?, ?)")
                  .arg(TableIo::qualifiedName(schema, kSchemaInfoTable)));
    q.addBindValue(kCurrentVersion);
    q.addBindValue(programName());
    q.addBindValue(QDateTime::currentDateTimeUtc().toString(Qt::ISODate));
    q.addBindValue(layoutFingerprint(db));
    return q.exec() || fail(error, q.lastError());
}

bool upgradeConnection(QSqlDatabase& d, DbFile db, QString* message)
{
    State s;
    QSqlError e;
    if (!readState(d, db, QString(), &s, &e)) {
        if (message)
            *message = QStringLiteral("%1 の版を読み取れません: %2").arg(dbFileName(db), e.text().trimmed());
        return false;
    }
    if (isNewer(s)) {
        if (message)
            *message = newerMessage(db, s);
        return false;
    }
    if (isCurrent(s))
        return true;
    if (!d.transaction() || !apply(d, db, QString(), s, dataSteps(), &e) || !d.commit()) {
        if (!e.isValid())
            e = d.lastError();
        d.rollback();
        if (message)
            *message = QStringLiteral("%1 をこのプログラムの版に更新できません: %2").arg(dbFileName(db), e.text().trimmed());
        return false;
    }
    return true;
}

}  // namespace SchemaUpgrade
