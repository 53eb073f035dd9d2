#include "SchemaUpgrade.h"

#include "Schema.h"
#include "TableIo.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QSqlQuery>

#include <algorithm>
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
        for (const QStringList& ix : t.indexes)
            text += "index " + ix.join(QLatin1Char(' ')).toUtf8() + '\n';
        for (const QStringList& ix : t.sqliteIndexes)
            text += "index " + ix.join(QLatin1Char(' ')).toUtf8() + " (sqlite)\n";
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
    const bool postgres = TableIo::isPostgres(d);
    for (const TableDef& t : DatabaseSchema::builtIn(db).tables) {
        const QSet<QString>* have = existing.columnsOf(t.name);
        if (!have) {
            s.complete = false;
            continue;
        }
        if (t.name != kSchemaInfoTable)
            s.empty = false;
        for (const ColumnDef& c : t.columns)
            if (!have->contains(c.name.toLower()))
                s.complete = false;
        for (const QStringList& ix : t.indexesOn(postgres))
            if (!existing.indexes.contains(t.indexName(ix)))
                s.complete = false;
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

namespace {

QString quoted(const QString& identifier)
{
    return QLatin1Char('"') + identifier + QLatin1Char('"');
}

bool ticked(const QVariant& v)
{
    return !v.isNull() && v.toLongLong() != 0;
}

bool blank(const QVariant& v)
{
    return v.isNull() || v.toString().trimmed().isEmpty();
}

using Row = QHash<QString, QVariant>;
using Changes = QVector<QPair<QString, QVariant>>;

// Reads columns of every row of table, then writes what change() makes of
// each row. All rows are read before the first write so that no engine has
// to keep a cursor open over a table it is updating.
bool convertRows(QSqlDatabase& d, const QString& schema, const QString& table, const QStringList& columns,
                 const std::function<Changes(const Row&)>& change, QSqlError* error)
{
    QStringList select{quoted(QStringLiteral("ID"))};
    for (const QString& c : columns)
        select << quoted(c);
    const QString name = TableIo::qualifiedName(schema, table);
    QVector<QPair<qint64, Changes>> pending;
    {
        QSqlQuery q(d);
        q.setForwardOnly(true);
        if (!q.exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY \"ID\"").arg(select.join(QLatin1String(", ")), name)))
            return fail(error, q.lastError());
        while (q.next()) {
            Row row;
            for (int i = 0; i < columns.size(); ++i)
                row.insert(columns[i], q.value(i + 1));
            Changes c = change(row);
            if (!c.isEmpty())
                pending.append({q.value(0).toLongLong(), std::move(c)});
        }
        if (q.lastError().isValid())
            return fail(error, q.lastError());
    }
    for (const auto& [id, changes] : pending) {
        QStringList sets;
        for (const auto& c : changes)
            sets << quoted(c.first) + QStringLiteral(" = ?");
        QSqlQuery u(d);
        u.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE \"ID\" = ?").arg(name, sets.join(QLatin1String(", "))));
        for (const auto& c : changes)
            u.addBindValue(c.second);
        u.addBindValue(id);
        if (!u.exec())
            return fail(error, u.lastError());
    }
    return true;
}

QStringList numbered(const QString& prefix, int first, int last)
{
    QStringList out;
    for (int i = first; i <= last; ++i)
        out << prefix + QString::number(i);
    return out;
}

// Version 3 replaced the per-building item 【５．耐火建築物】 (Taika30-36) by
// three: 【５．主要構造部】 (Kouzoubu1-7), 【６．…第21条及び第27条…】
// (Jou21_1-5) and 【７．…第61条…】 (Jou61_1-5). The old choice named the kind
// of building, which is what 【７】 asks of a 耐火建築物 or a 準耐火建築物.
// Its "その他" is not carried over: since 延焼防止建築物 and 準延焼防止建築物
// exist, a building that was neither of the old two may be either of them,
// and a wrong tick on an application is worse than an empty item the office
// sees. Of 【５】 only the kinds of 準耐火建築物 speak: イ－１ and イ－２ rest
// on 準耐火構造, and ロ－１ and ロ－２ are the structures the new item lists
// under the same names. A 耐火建築物 may rest on 耐火構造 (now told apart by
// whether some parts need no fire or escape performance) or on the
// verification of 令第108条の4, so its 【５】 is left to the office; nothing
// in the old item bears on 【６】.
struct FireChoice {
    const char* old;
    const char* building;   // in 【７】
    const char* structure;  // in 【５】, or none
};
constexpr FireChoice kFireChoices[] = {
    {"Taika30", "Jou61_1", nullptr},      // 耐火建築物
    {"Taika31", "Jou61_3", nullptr},      // 準耐火建築物, its kind not ticked
    {"Taika32", "Jou61_3", "Kouzoubu4"},  // イ－１
    {"Taika33", "Jou61_3", "Kouzoubu4"},  // イ－２
    {"Taika34", "Jou61_3", "Kouzoubu5"},  // ロ－１
    {"Taika35", "Jou61_3", "Kouzoubu6"},  // ロ－２
};

// One box of a group, when the old choices point to exactly one and the
// office has ticked none of the group.
Changes tickOne(const Row& row, const QStringList& group, const QSet<QString>& targets)
{
    if (targets.size() != 1)
        return {};
    for (const QString& c : group)
        if (ticked(row.value(c)))
            return {};
    return {{*targets.begin(), 1}};
}

bool carryFireChoice(QSqlDatabase& d, const QString& schema, QSqlError* error)
{
    const QStringList buildings = numbered(QStringLiteral("Jou61_"), 1, 5);
    const QStringList structures = numbered(QStringLiteral("Kouzoubu"), 1, 7);
    QStringList columns = buildings + structures;
    for (const FireChoice& f : kFireChoices)
        columns << QLatin1String(f.old);
    return convertRows(d, schema, QStringLiteral("TATEMONOBETU"), columns,
                       [&](const Row& row) {
                           QSet<QString> building, structure;
                           for (const FireChoice& f : kFireChoices) {
                               if (!ticked(row.value(QLatin1String(f.old))))
                                   continue;
                               building << QLatin1String(f.building);
                               if (f.structure)
                                   structure << QLatin1String(f.structure);
                           }
                           return tickOne(row, buildings, building) + tickOne(row, structures, structure);
                       },
                       error);
}

// Version 3 added 【ロ．建蔽率の算定の基礎となる建築面積】 (Men20-22) beside the
// building area (Men1-3). Until then the one building area was the base of
// the coverage ratio the site window worked out and stored (Par11), so it is
// the base of the ratio an existing project already holds.
bool carryCoverageBase(QSqlDatabase& d, const QString& schema, QSqlError* error)
{
    const QStringList area = numbered(QStringLiteral("Men"), 1, 3);
    const QStringList base = numbered(QStringLiteral("Men"), 20, 22);
    return convertRows(d, schema, QStringLiteral("SHIKICHI"), area + base,
                       [&](const Row& row) {
                           Changes out;
                           if (std::all_of(area.begin(), area.end(), [&](const QString& c) { return blank(row.value(c)); })
                               || !std::all_of(base.begin(), base.end(), [&](const QString& c) { return blank(row.value(c)); }))
                               return out;
                           for (int i = 0; i < area.size(); ++i)
                               out.append({base[i], row.value(area[i])});
                           return out;
                       },
                       error);
}

// Until version 4 a power of attorney covered one of three procedures, and
// a row with none chosen printed 完了検査 as the covered one. The matters
// are now chosen each on its own and nothing chosen prints nothing, so the
// matter such a row has always printed is ticked.
bool carryAttorneyDefault(QSqlDatabase& d, const QString& schema, QSqlError* error)
{
    const QStringList chosen = numbered(QStringLiteral("Inin"), 1, 3);
    return convertRows(d, schema, QStringLiteral("ININ"), chosen,
                       [&](const Row& row) {
                           for (const QString& c : chosen)
                               if (ticked(row.value(c)))
                                   return Changes{};
                           return Changes{{QStringLiteral("Inin3"), 1}};
                       },
                       error);
}

// Until version 5 the two inspection applications printed one 工事監理の
// 状況 (Kanri…), so an office that filled it for the intermediate
// inspection and then for the completion one lost the first. The values a
// row holds are what both applications have printed so far; they stay the
// completion's, and the intermediate report, now its own, starts from the
// same text instead of empty.
bool splitSupervisionReport(QSqlDatabase& d, const QString& schema, QSqlError* error)
{
    QStringList completion;
    for (const char* stem : {"Nai", "Tosho", "Kaku", "Hou", "Kek"})
        completion += numbered(QStringLiteral("Kanri") + QLatin1String(stem), 1, 9);
    completion << QStringLiteral("KanriBikou");
    QStringList intermediate;
    for (const QString& c : completion)
        intermediate << QStringLiteral("Chu") + c;
    return convertRows(d, schema, QStringLiteral("KANRYOU"), completion + intermediate,
                       [&](const Row& row) {
                           Changes out;
                           for (const QString& c : intermediate)
                               if (!blank(row.value(c)))
                                   return out;
                           for (int i = 0; i < completion.size(); ++i)
                               if (!blank(row.value(completion[i])))
                                   out.append({intermediate[i], row.value(completion[i])});
                           return out;
                       },
                       error);
}

}  // namespace

const QVector<DataStep>& dataSteps()
{
    // Versions 2 and 6 only added tables and columns.
    static const QVector<DataStep> steps{
        {3, DbFile::Kakunin, QStringLiteral("耐火建築物の欄から第61条の規定の適用・主要構造部へ"), carryFireChoice},
        {3, DbFile::Kakunin, QStringLiteral("建築面積から建蔽率の算定の基礎となる建築面積へ"), carryCoverageBase},
        {4, DbFile::Kakunin, QStringLiteral("委任状の既定の委任事項（完了検査）を選択済みに"), carryAttorneyDefault},
        {5, DbFile::Kakunin, QStringLiteral("工事監理の状況を中間検査と完了検査に分ける"), splitSupervisionReport},
    };
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
