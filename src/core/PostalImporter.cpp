#include "PostalImporter.h"

#include "AppDir.h"

#include "Storage.h"

#include <QFile>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringDecoder>

namespace {

constexpr int kColumns = 15;
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
// CP932) and, since 2023, a UTF-8 edition; a file saved by a spreadsheet
// may carry a BOM. A file that reads cleanly as UTF-8 is UTF-8: Shift_JIS
// kanji almost never form valid UTF-8 sequences.
bool decodeLines(const QByteArray& data, QStringList* lines, QString* error)
{
    static const QByteArray bom("\xEF\xBB\xBF");
    const bool hasBom = data.startsWith(bom);
    const QByteArray bytes = hasBom ? data.mid(bom.size()) : data;
    bool utf8 = hasBom;
    if (!utf8) {
        QStringDecoder probe(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        const QString text = probe.decode(bytes);
        if (!probe.hasError()) {
            *lines = text.split(QLatin1Char('\n'));
            return true;
        }
    }
    const char* encoding = utf8 ? "UTF-8" : "Shift_JIS";
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    if (!decoder.isValid()) {
        *error = QStringLiteral("文字コード %1 の変換表がないため、ファイルを読み込めません。").arg(QLatin1String(encoding));
        return false;
    }
    const QString text = decoder.decode(bytes);
    if (!decoder.hasError()) {
        *lines = text.split(QLatin1Char('\n'));
        return true;
    }
    // Name the line that does not decode, so the user can look at it. A
    // Shift_JIS trail byte is never a line feed, so lines split safely.
    const QList<QByteArray> raw = bytes.split('\n');
    for (int i = 0; i < raw.size(); ++i) {
        QStringDecoder line(encoding, QStringConverter::Flag::Stateless);
        (void)line.decode(raw[i]);
        if (line.hasError()) {
            *error = QStringLiteral("%1 行目: %2 として読めない文字があります。").arg(i + 1).arg(QLatin1String(encoding));
            return false;
        }
    }
    *error = QStringLiteral("ファイルを %1 として読めません。").arg(QLatin1String(encoding));
    return false;
}

// One CSV record: fields in double quotes ("" for a quote) or bare.
bool splitCsv(const QString& line, QStringList* fields)
{
    fields->clear();
    QString field;
    bool quoted = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < line.size() && line[i + 1] == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            fields->append(field);
            field.clear();
        } else {
            field += c;
        }
    }
    fields->append(field);
    return !quoted;
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

PostalImporter::PostalImporter(Storage& storage)
    : m_storage(storage)
{
}

bool PostalImporter::fail(const QString& message)
{
    m_error = message;
    return false;
}

bool PostalImporter::importFile(const QString& path)
{
    // Reading a live database outside SQLite would drop this process's locks on it.
    if (AppDir::isDatabaseFile(path))
        return fail(QStringLiteral("「%1」はこのプログラムのデータベースです。郵便番号データのファイルを指定してください。").arg(path));
    QFile f(path);
    if (!f.exists())
        return fail(QStringLiteral("郵便番号データのファイル「%1」が見つかりません。").arg(path));
    if (!f.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("郵便番号データのファイル「%1」を開けません。\n%2").arg(path, f.errorString()));
    return importData(f.readAll());
}

bool PostalImporter::importData(const QByteArray& data)
{
    QVector<PostalEntry> rows;
    if (!parse(data, &rows))
        return false;
    return store(rows);
}

bool PostalImporter::parse(const QByteArray& data, QVector<PostalEntry>* out)
{
    m_error.clear();
    out->clear();
    QStringList lines;
    if (!decodeLines(data, &lines, &m_error))
        return false;

    m_sourceLines.clear();
    QSet<QString> seen;
    auto add = [&](PostalEntry e, int lineNo) {
        e.town = cleanTown(e.town, e.municipality);
        const QString key = e.code + QLatin1Char('\t') + e.prefecture + QLatin1Char('\t') + e.municipality
                            + QLatin1Char('\t') + e.town;
        if (seen.contains(key))
            return;  // rows that differed only in a dropped qualifier
        seen.insert(key);
        out->append(e);
        m_sourceLines.append(lineNo);
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
        if (!splitCsv(line, &fields))
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
                add(open, openLine);
                openLine = 0;
            }
            continue;
        }
        if (e.town.contains(kOpen) && !e.town.contains(kClose)) {
            open = e;
            openLine = lineNo;
            continue;
        }
        add(e, lineNo);
    }
    if (openLine > 0)
        return fail(QStringLiteral("%1 行目から続く町域名「%2」の「）」がないままファイルが終わっています。")
                        .arg(openLine)
                        .arg(open.town));
    if (out->isEmpty())
        return fail(QStringLiteral("郵便番号データが1件もありません。"));
    return true;
}

bool PostalImporter::store(const QVector<PostalEntry>& rows)
{
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
    if (!q.exec(QStringLiteral("DELETE FROM %1").arg(table)))
        return fail(m_storage.describeError(db, q.lastError()));
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
    if (!tx.commit())
        return fail(tx.errorString());
    if (m_progress)
        m_progress(total, total);
    m_rowCount = total;
    return true;
}
