#include "CliCommands.h"

#include "FolderStore.h"
#include "ProjectRegister.h"
#include "Recordset.h"
#include "Schema.h"
#include "Storage.h"
#include "TableIo.h"
#include "TextNumbers.h"

#include <algorithm>

namespace {

int usage(CliContext& c, const QString& message)
{
    c.err << message << Qt::endl;
    return 2;
}

// Values go out one per line, so a line break or tab inside a value must
// not become one in the output (a forged "COLUMN=" line, a shifted list
// column): backslash escapes, which `project set` reads back.
QString escaped(const QString& value)
{
    QString out;
    out.reserve(value.size());
    for (QChar ch : value) {
        const ushort u = ch.unicode();
        if (ch == QLatin1Char('\\'))
            out += QLatin1String("\\\\");
        else if (ch == QLatin1Char('\n'))
            out += QLatin1String("\\n");
        else if (ch == QLatin1Char('\r'))
            out += QLatin1String("\\r");
        else if (ch == QLatin1Char('\t'))
            out += QLatin1String("\\t");
        else if (u < 0x20 || (u >= 0x7F && u <= 0x9F))
            out += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
        else if (u == 0x2028 || u == 0x2029)  // line and paragraph separators
            out += QStringLiteral("\\u%1").arg(u, 4, 16, QLatin1Char('0'));
        else
            out += ch;
    }
    return out;
}

// The reverse of escaped(); false for a backslash that starts no escape.
bool unescaped(const QString& text, QString* out)
{
    out->clear();
    for (int i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch != QLatin1Char('\\')) {
            *out += ch;
            continue;
        }
        if (++i >= text.size())
            return false;
        const QChar e = text.at(i);
        if (e == QLatin1Char('\\'))
            *out += QLatin1Char('\\');
        else if (e == QLatin1Char('n'))
            *out += QLatin1Char('\n');
        else if (e == QLatin1Char('r'))
            *out += QLatin1Char('\r');
        else if (e == QLatin1Char('t'))
            *out += QLatin1Char('\t');
        else if (e == QLatin1Char('x') || e == QLatin1Char('u')) {
            const int digits = e == QLatin1Char('x') ? 2 : 4;
            bool ok = false;
            const uint code = text.mid(i + 1, digits).toUInt(&ok, 16);
            if (!ok || text.mid(i + 1, digits).size() != digits)
                return false;
            *out += QChar(static_cast<char16_t>(code));
            i += digits;
        } else {
            return false;
        }
    }
    return true;
}

// Which database holds a per-project table and which column keys it.
bool projectTable(const QString& name, QString* table, DbFile* db, QString* keyColumn)
{
    for (const QString& t : ProjectTables::all) {
        if (t.compare(name, Qt::CaseInsensitive) == 0) {
            *table = t;
            *db = DbFile::Kakunin;
            *keyColumn = QStringLiteral("B_ID");
            return true;
        }
    }
    if (name.compare(QLatin1String("StrIntTable"), Qt::CaseInsensitive) == 0) {
        *table = QStringLiteral("StrIntTable");
        *db = DbFile::AnotherOption;
        *keyColumn = QStringLiteral("F_INT01");
        return true;
    }
    return false;
}

// Why a typed value cannot go into a column, or empty when it can: what
// the column's type cannot hold, or what its entry window would refuse.
QString columnValueRefusal(const QString& table, const ColumnDef& col, const QString& value)
{
    if (col.type == ColumnType::Text)
        return TextNumbers::refusal(table, col.name, value);
    bool ok = true;
    (void)TableIo::storedValue(value, col.type, &ok);
    return ok ? QString() : TableIo::numberRefusal(col.name, col.type, value);
}

// Parses "B_ID TABLE [--row N] rest…" shared by set and get.
struct RowTarget {
    qint64 bid = 0;
    QString table;
    DbFile db = DbFile::Kakunin;
    QString key;
    int row = 1;
    QStringList rest;
};

bool parseTarget(CliContext& c, QStringList args, RowTarget* t, int* code)
{
    if (args.size() < 2) {
        *code = usage(c, QStringLiteral("B_ID と TABLE を指定してください。"));
        return false;
    }
    bool ok = false;
    t->bid = args.takeFirst().toLongLong(&ok);
    if (!ok || t->bid <= 0) {
        *code = usage(c, QStringLiteral("B_ID は正の整数で指定してください。"));
        return false;
    }
    const QString name = args.takeFirst();
    if (!projectTable(name, &t->table, &t->db, &t->key)) {
        *code = usage(c, QStringLiteral("物件ごとのテーブルではありません: %1").arg(name));
        return false;
    }
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--row")) {
            if (i + 1 >= args.size() || args[i + 1].toInt() < 1) {
                *code = usage(c, QStringLiteral("--row の後には 1 以上の行番号を指定してください。"));
                return false;
            }
            t->row = args[++i].toInt();
        } else {
            t->rest << args[i];
        }
    }
    return true;
}

bool openRow(CliContext& c, const RowTarget& t, Recordset& rs, int* code)
{
    if (!rs.open(t.table, t.key, t.bid)) {
        c.err << rs.errorString() << Qt::endl;
        *code = 1;
        return false;
    }
    if (t.row > rs.recordCount()) {
        c.err << QStringLiteral("物件 %1 の %2 に %3 行目はありません（%4 行）。")
                     .arg(t.bid)
                     .arg(t.table)
                     .arg(t.row)
                     .arg(rs.recordCount())
              << Qt::endl;
        *code = 1;
        return false;
    }
    rs.moveTo(t.row - 1);
    return true;
}

int projectNew(CliContext& c, QStringList args)
{
    qint64 folder = 0;
    if (!args.isEmpty()) {
        if (args.size() != 2 || args[0] != QLatin1String("--folder"))
            return usage(c, QStringLiteral("使い方: project new [--folder F_ID]"));
        bool ok = false;
        folder = args[1].toLongLong(&ok);
        if (!ok)
            return usage(c, QStringLiteral("F_ID は整数で指定してください。"));
    }
    QVector<FolderItem> folders;
    QString listError;
    if (!FolderStore(c.storage, FolderStore::Kind::Projects).list(&folders, &listError)) {
        c.err << listError << Qt::endl;
        return 1;
    }
    if (folder == 0) {
        if (folders.isEmpty()) {
            c.err << QStringLiteral("物件フォルダがありません。--folder で指定してください。") << Qt::endl;
            return 1;
        }
        folder = folders.first().fid;
    } else if (std::none_of(folders.cbegin(), folders.cend(), [folder](const FolderItem& f) { return f.fid == folder; })) {
        // A project filed into a folder that does not exist is shown nowhere.
        QStringList known;
        for (const FolderItem& f : std::as_const(folders))
            known << QStringLiteral("%1（%2）").arg(f.fid).arg(f.name);
        c.err << QStringLiteral("物件フォルダ F_ID=%1 はありません。").arg(folder) << Qt::endl
              << QStringLiteral("ある物件フォルダ: %1").arg(known.isEmpty() ? QStringLiteral("なし") : known.join(QStringLiteral("、")))
              << Qt::endl;
        return 1;
    }
    qint64 bid = 0;
    QString error;
    if (!ProjectRegister(c.storage).createProject(folder, &bid, &error)) {
        c.err << error << Qt::endl;
        return 1;
    }
    c.out << bid << Qt::endl;
    return 0;
}

int projectList(CliContext& c)
{
    Recordset rs(c.storage, DbFile::Kakunin);
    if (!rs.open(QStringLiteral("GAIYOU"))) {
        c.err << rs.errorString() << Qt::endl;
        return 1;
    }
    for (; !rs.eof(); rs.moveNext())
        c.out << rs.integer(QStringLiteral("B_ID")) << '\t' << escaped(rs.text(QStringLiteral("FLD"))) << '\t'
              << escaped(rs.text(QStringLiteral("Kouji"))) << Qt::endl;
    return 0;
}

// Reads COLUMN=VALUE arguments into (column as the schema spells it, value);
// refuses, before anything is written, what no entry window would store.
bool parseAssignments(CliContext& c, const RowTarget& t, QVector<QPair<QString, QString>>* out, int* code)
{
    const TableDef* def = DatabaseSchema::builtIn(t.db).table(t.table);
    for (const QString& a : t.rest) {
        const int eq = a.indexOf(QLatin1Char('='));
        if (eq <= 0) {
            *code = usage(c, QStringLiteral("COLUMN=VALUE の形で指定してください: %1").arg(a));
            return false;
        }
        const QString col = a.left(eq);
        const ColumnDef* cd = def->column(col);
        if (!cd || cd->name == QLatin1String("B_ID") || cd->name == t.key) {
            c.err << QStringLiteral("%1 に変更できる列 %2 はありません。").arg(t.table, col) << Qt::endl;
            *code = 1;
            return false;
        }
        QString value;
        if (!unescaped(a.mid(eq + 1), &value)) {
            *code = usage(c, QStringLiteral("%1 の値に使えないバックスラッシュがあります（使えるのは \\\\ \\n \\r \\t \\xHH \\uHHHH。"
                                            "バックスラッシュそのものは \\\\ と書きます）: %2")
                                 .arg(col, a.mid(eq + 1)));
            return false;
        }
        // A value the column cannot hold is the caller's mistake: nothing is written.
        if (const QString why = columnValueRefusal(t.table, *cd, value); !why.isEmpty()) {
            *code = usage(c, why);
            return false;
        }
        out->append({cd->name, value});
    }
    return true;
}

int projectSet(CliContext& c, const QStringList& args)
{
    RowTarget t;
    int code = 0;
    if (!parseTarget(c, args, &t, &code))
        return code;
    if (t.rest.isEmpty())
        return usage(c, QStringLiteral("COLUMN=VALUE を一つ以上指定してください。"));
    QVector<QPair<QString, QString>> values;
    if (!parseAssignments(c, t, &values, &code))
        return code;
    Recordset rs(c.storage, t.db);
    if (!openRow(c, t, rs, &code))
        return code;
    for (const auto& v : std::as_const(values))
        rs.setValue(v.first, v.second);
    if (!rs.update()) {
        c.err << rs.errorString() << Qt::endl;
        return 1;
    }
    return 0;
}

// The tables whose rows a project has as many of as the user enters.
bool isListTable(const QString& table)
{
    return table == QLatin1String("SEKKEIKANRI") || table == QLatin1String("DOKURITSU")
           || table == QLatin1String("SCHEDULE");
}

// The column that says which list a row belongs to, and the values it may take.
QString listColumn(const QString& table)
{
    if (table == QLatin1String("SEKKEIKANRI"))
        return QStringLiteral("Kubun");
    if (table == QLatin1String("DOKURITSU"))
        return QStringLiteral("SU_NO");
    return {};
}

int projectAdd(CliContext& c, const QStringList& args)
{
    RowTarget t;
    int code = 0;
    if (!parseTarget(c, args, &t, &code))
        return code;
    if (!isListTable(t.table))
        return usage(c, QStringLiteral("行を追加できるのは SEKKEIKANRI、DOKURITSU、SCHEDULE です: %1").arg(t.table));
    QVector<QPair<QString, QString>> values;
    if (!parseAssignments(c, t, &values, &code))
        return code;
    // A row outside the lists the windows show would print nowhere.
    if (const QString list = listColumn(t.table); !list.isEmpty()) {
        const auto it = std::find_if(values.cbegin(), values.cend(), [&](const auto& v) { return v.first == list; });
        const QString v = it == values.cend() ? QString() : it->second.trimmed();
        const bool person = list == QLatin1String("Kubun");
        if (v != QLatin1String("1") && v != QLatin1String("2") && v != QLatin1String("3")
            && !(person && v == QLatin1String("4")))
            return usage(c, person
                                ? QStringLiteral("Kubun=1（その他の設計者）、2（その他の工事監理者）、3（その他の建築設備の設計に関し意見を聴いた者）、"
                                                 "4（建築設備の工事監理に関し意見を聴いた者）のどれかを指定してください。")
                                : QStringLiteral("SU_NO=1〜3（建物の番号）を指定してください。"));
    }
    Recordset project(c.storage, DbFile::Kakunin);
    if (!project.open(QStringLiteral("GAIYOU"), QStringLiteral("B_ID"), t.bid)) {
        c.err << project.errorString() << Qt::endl;
        return 1;
    }
    if (project.recordCount() == 0) {
        c.err << QStringLiteral("物件 %1 はありません。").arg(t.bid) << Qt::endl;
        return 1;
    }
    Recordset rs(c.storage, DbFile::Kakunin);
    if (!rs.open(t.table, QStringLiteral("B_ID"), t.bid)) {
        c.err << rs.errorString() << Qt::endl;
        return 1;
    }
    const qint64 id = rs.addNew();
    bool ok = id > 0 && rs.setValue(QStringLiteral("B_ID"), t.bid);
    for (const auto& v : std::as_const(values))
        ok = ok && rs.setValue(v.first, v.second);
    if (!ok || !rs.update()) {
        c.err << rs.errorString() << Qt::endl;
        return 1;
    }
    c.out << id << Qt::endl;
    return 0;
}

int projectRemove(CliContext& c, const QStringList& args)
{
    RowTarget t;
    int code = 0;
    if (!parseTarget(c, args, &t, &code))
        return code;
    if (!isListTable(t.table))
        return usage(c, QStringLiteral("行を削除できるのは SEKKEIKANRI、DOKURITSU、SCHEDULE です: %1").arg(t.table));
    bool ok = false;
    const qint64 id = t.rest.size() == 1 ? t.rest.first().toLongLong(&ok) : 0;
    if (!ok || id <= 0)
        return usage(c, QStringLiteral("使い方: project remove B_ID TABLE ROW_ID（ROW_ID は project add が表示した ID）"));
    Recordset rs(c.storage, DbFile::Kakunin);
    if (!rs.open(t.table, {{QStringLiteral("ID"), id}, {QStringLiteral("B_ID"), t.bid}})) {
        c.err << rs.errorString() << Qt::endl;
        return 1;
    }
    if (rs.recordCount() == 0) {
        c.err << QStringLiteral("物件 %1 の %2 に ID=%3 の行はありません。").arg(t.bid).arg(t.table).arg(id) << Qt::endl;
        return 1;
    }
    if (!rs.deleteCurrent()) {
        c.err << rs.errorString() << Qt::endl;
        return 1;
    }
    return 0;
}

int projectGet(CliContext& c, const QStringList& args)
{
    RowTarget t;
    int code = 0;
    QStringList rest = args;
    const bool all = rest.removeAll(QStringLiteral("--all")) > 0;
    if (!parseTarget(c, rest, &t, &code))
        return code;
    Recordset rs(c.storage, t.db);
    if (all) {
        // Every row, a blank line between two: a project's list rows at once.
        if (!rs.open(t.table, t.key, t.bid)) {
            c.err << rs.errorString() << Qt::endl;
            return 1;
        }
    } else if (!openRow(c, t, rs, &code)) {
        return code;
    }
    const QStringList cols = t.rest.isEmpty() ? rs.columns() : t.rest;
    for (const QString& col : cols) {
        if (!rs.hasColumn(col)) {
            c.err << QStringLiteral("%1 に列 %2 はありません。").arg(t.table, col) << Qt::endl;
            return 1;
        }
    }
    const int first = all ? 0 : t.row - 1;
    const int last = all ? rs.recordCount() - 1 : first;
    for (int r = first; r <= last; ++r) {
        rs.moveTo(r);
        if (r > first)
            c.out << Qt::endl;
        for (const QString& col : cols)
            c.out << col << '=' << escaped(rs.text(col)) << Qt::endl;
    }
    return 0;
}

}  // namespace

QString escapedValue(const QString& value)
{
    return escaped(value);
}

int cliProject(CliContext& c)
{
    QStringList args = c.args;
    if (args.isEmpty())
        return usage(c, QStringLiteral("使い方: project new|list|set|get|add|remove …（--help を参照）"));
    const QString sub = args.takeFirst();
    if (sub == QLatin1String("new"))
        return projectNew(c, args);
    if (sub == QLatin1String("list"))
        return projectList(c);
    if (sub == QLatin1String("set"))
        return projectSet(c, args);
    if (sub == QLatin1String("get"))
        return projectGet(c, args);
    if (sub == QLatin1String("add"))
        return projectAdd(c, args);
    if (sub == QLatin1String("remove"))
        return projectRemove(c, args);
    return usage(c, QStringLiteral("不明な project コマンドです: %1").arg(sub));
}
