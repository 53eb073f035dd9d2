#include "PostalImporter.h"

#include "AppDir.h"
#include "CustomerCsv.h"
#include "Logging.h"
#include "ShiftJis.h"
#include "Storage.h"

#include <QFile>
#include <QHash>
#include <QMap>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>

namespace {

constexpr int kColumns = 15;
constexpr int kLocalCode = 0;  // 全国地方公共団体コード: prefecture code and municipality
constexpr int kOldCode = 1;
constexpr int kCode = 2;
constexpr int kPrefecture = 6;
constexpr int kMunicipality = 7;
constexpr int kTown = 8;
constexpr int kProgressStep = 2000;

const QChar kOpen = u'（';
const QChar kClose = u'）';

bool allDigits(const QString& s)
{
    for (QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return !s.isEmpty();
}

// The file's lines as text. Japan Post publishes Shift_JIS (in practice
// CP932); a file saved again by a user's editor may be UTF-8, with or
// without a BOM.
bool decodeLines(const QByteArray& data, QStringList* lines, QString* error)
{
    QString text;
    ShiftJis::Encoding encoding = ShiftJis::Encoding::Utf8;
    int badLine = 0;
    if (!ShiftJis::decodeFile(data, &text, &encoding, &badLine)) {
        *error = QStringLiteral("%1 行目: %2 として読めない文字があります。")
                     .arg(badLine)
                     .arg(encoding == ShiftJis::Encoding::Cp932 ? QStringLiteral("Shift_JIS") : QStringLiteral("UTF-8"));
        return false;
    }
    *lines = text.split(QLatin1Char('\n'));
    return true;
}

// The town as an address needs it. Japan Post marks a municipality's own
// code in three ways; all become the one catch-all text that look-ups
// know. Qualifiers in parentheses ("（１〜１９丁目）", "（その他）") never
// appear in a typed address, so they are dropped.
QString cleanTown(const QString& town, const QString& municipality)
{
    if (town.contains(PostalLookup::kCatchAllTown) || town.endsWith(QStringLiteral("の次に番地がくる場合")))
        return PostalLookup::kCatchAllTown;
    // "奥多摩町一円" is the whole town, but 多賀町's "一円" is a real place.
    static const QString whole = QStringLiteral("一円");
    if (town.size() > whole.size() && town.endsWith(whole) && municipality.endsWith(town.chopped(whole.size())))
        return PostalLookup::kCatchAllTown;
    const int open = town.indexOf(kOpen);
    return open > 0 ? town.left(open) : town;
}

}  // namespace

const QStringList& PostalImporter::prefectureNames()
{
    static const QStringList names = QStringLiteral(
        ",北海道,青森県,岩手県,宮城県,秋田県,山形県,福島県,茨城県,栃木県,群馬県,埼玉県,千葉県,東京都,神奈川県,"
        "新潟県,富山県,石川県,福井県,山梨県,長野県,岐阜県,静岡県,愛知県,三重県,滋賀県,京都府,大阪府,兵庫県,"
        "奈良県,和歌山県,鳥取県,島根県,岡山県,広島県,山口県,徳島県,香川県,愛媛県,高知県,福岡県,佐賀県,長崎県,"
        "熊本県,大分県,宮崎県,鹿児島県,沖縄県").split(QLatin1Char(','));
    return names;
}

PostalImporter::PostalImporter(Storage& storage)
    : m_storage(storage)
{
}

bool PostalImporter::fail(const QString& message)
{
    qCWarning(lcImport).noquote() << "postal data:" << message;
    m_error = message;
    return false;
}

bool PostalImporter::importFile(const QString& path, bool wholeCountry)
{
    // Reading a live database outside SQLite would drop this process's locks on it.
    if (AppDir::isDatabaseFile(path))
        return fail(QStringLiteral("「%1」はこのプログラムのデータベースです。郵便番号データのファイルを指定してください。").arg(path));
    QFile f(path);
    if (!f.exists())
        return fail(QStringLiteral("郵便番号データのファイル「%1」が見つかりません。").arg(path));
    if (!f.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("郵便番号データのファイル「%1」を開けません。\n%2").arg(path, f.errorString()));
    return importData(f.readAll(), wholeCountry);
}

bool PostalImporter::importData(const QByteArray& data, bool wholeCountry)
{
    QVector<PostalEntry> rows;
    if (!parse(data, &rows))
        return false;
    return store(rows, wholeCountry);
}

bool PostalImporter::parse(const QByteArray& data, QVector<PostalEntry>* out)
{
    m_error.clear();
    out->clear();
    QStringList lines;
    if (!decodeLines(data, &lines, &m_error))
        return false;

    m_sourceLines.clear();
    m_prefectures.clear();
    QSet<QString> seen;
    int prefecture = 0;
    int openPrefecture = 0;
    auto add = [&](PostalEntry e, int lineNo, int pref) {
        e.town = cleanTown(e.town, e.municipality);
        const QString key = e.code + QLatin1Char('\t') + e.prefecture + QLatin1Char('\t') + e.municipality
                            + QLatin1Char('\t') + e.town;
        if (seen.contains(key))
            return;  // rows that differed only in a dropped qualifier
        seen.insert(key);
        out->append(e);
        m_sourceLines.append(lineNo);
        m_prefectures.append(pref);
    };

    // A town too long for one record continues on the next rows of the same
    // code; its "（" opens on the first row and "）" closes on the last.
    PostalEntry open;
    int openLine = 0;
    QStringList fields;
    for (int i = 0; i < lines.size(); ++i) {
        const int lineNo = i + 1;
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        if (!CustomerCsv::splitLine(line, &fields))
            return fail(QStringLiteral("%1 行目: 「\"」が閉じていません。").arg(lineNo));
        if (fields.size() != kColumns)
            return fail(QStringLiteral("%1 行目: 項目の数が %2 です（郵便番号データは %3 項目です）。")
                            .arg(lineNo)
                            .arg(fields.size())
                            .arg(kColumns));
        PostalEntry e;
        e.code = fields[kCode].trimmed();
        e.oldCode = fields[kOldCode].trimmed();
        e.prefecture = fields[kPrefecture].trimmed();
        e.municipality = fields[kMunicipality].trimmed();
        e.town = fields[kTown].trimmed();
        if (e.code.size() != 7 || !allDigits(e.code))
            return fail(QStringLiteral("%1 行目: 郵便番号「%2」が7桁の数字ではありません。").arg(lineNo).arg(e.code));
        if (!e.oldCode.isEmpty() && !allDigits(e.oldCode))
            return fail(QStringLiteral("%1 行目: 旧郵便番号「%2」が数字ではありません。").arg(lineNo).arg(e.oldCode));
        if (e.prefecture.isEmpty() || e.municipality.isEmpty())
            return fail(QStringLiteral("%1 行目: 都道府県名または市区町村名がありません。").arg(lineNo));
        // The rows a file replaces are found by prefecture, so its code and
        // its name must agree.
        const QString local = fields[kLocalCode].trimmed();
        prefecture = local.size() == 5 && allDigits(local) ? local.left(2).toInt() : 0;
        if (prefecture < 1 || prefecture > 47)
            return fail(QStringLiteral("%1 行目: 全国地方公共団体コード「%2」が正しくありません（5桁、先頭2桁が都道府県コード 01〜47）。")
                            .arg(lineNo)
                            .arg(local));
        if (prefectureNames().at(prefecture) != e.prefecture)
            return fail(QStringLiteral("%1 行目: 都道府県コード %2 は%3ですが、都道府県名が「%4」です。")
                            .arg(lineNo)
                            .arg(local.left(2), prefectureNames().at(prefecture), e.prefecture));
        // Without an old code, the first three digits of the new one name
        // the same district, so old-code look-ups still find the row.
        if (e.oldCode.isEmpty())
            e.oldCode = e.code.left(3);

        if (openLine > 0) {
            if (e.code != open.code || e.municipality != open.municipality)
                return fail(QStringLiteral("%1 行目: %2 行目から続く町域名「%3」の「）」がありません。")
                                .arg(lineNo)
                                .arg(openLine)
                                .arg(open.town));
            open.town += e.town;
            if (e.town.contains(kClose)) {
                add(open, openLine, openPrefecture);
                openLine = 0;
            }
            continue;
        }
        if (e.town.contains(kOpen) && !e.town.contains(kClose)) {
            open = e;
            openLine = lineNo;
            openPrefecture = prefecture;
            continue;
        }
        add(e, lineNo, prefecture);
    }
    if (openLine > 0)
        return fail(QStringLiteral("%1 行目から続く町域名「%2」の「）」がないままファイルが終わっています。")
                        .arg(openLine)
                        .arg(open.town));
    if (out->isEmpty())
        return fail(QStringLiteral("郵便番号データが1件もありません。"));
    return true;
}

bool PostalImporter::store(const QVector<PostalEntry>& rows, bool wholeCountry)
{
    QMap<int, int> incoming;  // prefecture code → rows of the file
    for (int p : m_prefectures)
        ++incoming[p];
    if (wholeCountry && incoming.size() != 47) {
        QStringList missing;
        for (int p = 1; p <= 47; ++p)
            if (!incoming.contains(p))
                missing << prefectureNames().at(p);
        return fail(QStringLiteral("全国の郵便番号を置き換えるには47都道府県すべてのデータが必要ですが、"
                                   "このファイルには %1 都道府県分しかありません（ない都道府県: %2）。"
                                   "ファイルが途中で切れていないか確認してください。郵便番号データは変更していません。")
                        .arg(incoming.size())
                        .arg(missing.mid(0, 10).join(QStringLiteral("、")) + (missing.size() > 10 ? QStringLiteral(" …") : QString())));
    }

    const DbFile db = DbFile::PostDb;
    Transaction tx(m_storage, db);
    if (!tx.isActive())
        return fail(tx.errorString());
    QString error;
    QSqlDatabase d = m_storage.connection(db, &error);
    if (!d.isValid())
        return fail(error);

    const QString table = Storage::quote(QStringLiteral("POST_DB"));
    QSqlQuery q(d);
    auto counts = [&](QHash<QString, int>* out) {
        if (!q.exec(QStringLiteral("SELECT %1, COUNT(*) FROM %2 GROUP BY %1").arg(Storage::quote(QStringLiteral("P_ADR1")), table)))
            return false;
        while (q.next())
            out->insert(q.value(0).toString(), q.value(1).toInt());
        return true;
    };
    QHash<QString, int> before;
    if (!counts(&before))
        return fail(m_storage.describeError(db, q.lastError()));
    if (wholeCountry) {
        if (!q.exec(QStringLiteral("DELETE FROM %1").arg(table)))
            return fail(m_storage.describeError(db, q.lastError()));
    } else {
        if (!q.prepare(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(table, Storage::quote(QStringLiteral("P_ADR1")))))
            return fail(m_storage.describeError(db, q.lastError()));
        for (auto it = incoming.cbegin(); it != incoming.cend(); ++it) {
            q.bindValue(0, prefectureNames().at(it.key()));
            if (!q.exec())
                return fail(m_storage.describeError(db, q.lastError()));
        }
    }
    QStringList columns;
    for (const char* c : {"P_PST", "O_PST", "P_ADR1", "P_ADR2", "P_ADR3", "A_ADR"})
        columns << Storage::quote(QString::fromLatin1(c));
    if (!q.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (?, ?, ?, ?, ?, ?)")
                       .arg(table, columns.join(QLatin1String(", ")))))
        return fail(m_storage.describeError(db, q.lastError()));

    const int total = rows.size();
    for (int i = 0; i < total; ++i) {
        const PostalEntry& e = rows[i];
        q.bindValue(0, e.code);
        q.bindValue(1, e.oldCode);
        q.bindValue(2, e.prefecture);
        q.bindValue(3, e.municipality);
        q.bindValue(4, e.town);
        q.bindValue(5, e.municipality);
        if (!q.exec())
            return fail(QStringLiteral("%1 行目: 郵便番号 %2 を保存できませんでした。郵便番号データは取り込み前のままです。\n%3")
                            .arg(i < m_sourceLines.size() ? m_sourceLines[i] : i + 1)
                            .arg(e.code, m_storage.describeError(db, q.lastError())));
        if (m_progress && (i + 1) % kProgressStep == 0)
            m_progress(i + 1, total);
    }
    QHash<QString, int> after;
    if (!counts(&after))
        return fail(m_storage.describeError(db, q.lastError()));
    if (!tx.commit())
        return fail(tx.errorString());
    if (m_progress)
        m_progress(total, total);
    m_rowCount = total;
    m_changes.clear();
    for (int p = 1; p <= 47; ++p) {
        const QString& name = prefectureNames().at(p);
        if (incoming.contains(p) || (wholeCountry && before.value(name) > 0))
            m_changes.append({p, name, before.value(name), after.value(name)});
    }
    return true;
}
