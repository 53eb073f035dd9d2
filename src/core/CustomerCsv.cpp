#include "CustomerCsv.h"

#include "AppDir.h"
#include "Logging.h"
#include "SafeFile.h"

#include "Storage.h"

#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>

#include <limits>

namespace {

constexpr int kBatchRows = 2000;  // customers written per insert

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// Position of the first non-blank character at or after i.
qsizetype skipBlanks(const QString& s, qsizetype i)
{
    while (i < s.size() && isBlank(s.at(i)))
        ++i;
    return i;
}

bool endsField(const QString& s, qsizetype i)
{
    i = skipBlanks(s, i);
    return i >= s.size() || s.at(i) == QLatin1Char(',');
}

QString trimBlanks(const QString& s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && isBlank(s.at(b)))
        ++b;
    while (e > b && isBlank(s.at(e - 1)))
        --e;
    return s.mid(b, e - b);
}

}  // namespace

namespace CustomerCsv {

const QStringList& exportHeader()
{
    static const QStringList header{
        QStringLiteral("姓ふりがな"), QStringLiteral("名ふりがな"), QStringLiteral("姓"),       QStringLiteral("名"),
        QStringLiteral("性別"),       QStringLiteral("生年月日"),   QStringLiteral("会社名"),   QStringLiteral("部署"),
        QStringLiteral("郵便番号"),   QStringLiteral("住所1"),      QStringLiteral("住所2"),    QStringLiteral("住所3"),
        QStringLiteral("電話番号"),   QStringLiteral("FAX番号"),    QStringLiteral("携帯電話番号"),
        QStringLiteral("E_Mail"),     QStringLiteral("URL"),
    };
    return header;
}

bool splitLine(const QString& line, QStringList* fields, QString* problem)
{
    fields->clear();
    const QChar quote(QLatin1Char('"'));
    const QChar comma(QLatin1Char(','));
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (true) {
        const qsizetype start = skipBlanks(line, i);
        if (start < n && line.at(start) == quote) {
            QString value;
            qsizetype k = start + 1;
            bool closed = false;
            while (k < n) {
                const qsizetype next = line.indexOf(quote, k);
                if (next < 0) {
                    k = n;
                    break;
                }
                value += QStringView(line).mid(k, next - k);
                k = next;
                const QChar c = line.at(k);
                if (endsField(line, k + 1)) {
                    closed = true;
                    ++k;
                    break;
                }
                if (k + 1 < n && line.at(k + 1) == quote) {
                    value += quote;
                    // A doubled quote right before the field's end: a quote
                    // that was never doubled, then the closing one.
                    if (endsField(line, k + 2)) {
                        closed = true;
                        k += 2;
                        break;
                    }
                    k += 2;
                    continue;
                }
                value += c;  // a lone quote inside the value
                ++k;
            }
            if (!closed) {
                if (problem)
                    *problem = QStringLiteral("%1 列目の引用符（\"）が閉じていません。").arg(fields->size() + 1);
                return false;
            }
            fields->append(value);
            k = skipBlanks(line, k);
            if (k >= n)
                return true;
            i = k + 1;  // past the comma
            continue;
        }
        const qsizetype end = line.indexOf(comma, start);
        if (end < 0) {
            fields->append(trimBlanks(line.mid(start)));
            return true;
        }
        fields->append(trimBlanks(line.mid(start, end - start)));
        i = end + 1;
    }
}

bool exportFile(Storage& storage, const QString& path, bool utf8, int* rows, int* unmappable, QString* error)
{
    *rows = 0;
    if (unmappable)
        *unmappable = 0;
    if (AppDir::isOwnFile(path)) {
        if (error)
            *error = AppDir::ownFileMessage(path);
        return false;
    }
    QSqlDatabase d = storage.connection(DbFile::SaleData, error);
    if (!d.isValid())
        return false;
    static const char* const columns[] = {"Furi1",  "Furi2", "Name1", "Name2", "SEX",  "BTHDAY",  "Corp1",  "POSITION1", "Post1",
                                          "ADR11",  "ADR12", "ADR13", "Tel1",  "Fax1", "HDYTEL1", "EMAIL1", "URL1"};
    QStringList quoted;
    for (const char* c : columns)
        quoted << Storage::quote(QString::fromLatin1(c));
    QSqlQuery query(d);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY \"ID\"")
                        .arg(quoted.join(QLatin1String(", ")), Storage::quote(QStringLiteral("UserMaster"))))) {
        if (error)
            *error = storage.describeError(DbFile::SaleData, query.lastError());
        return false;
    }
    const QLatin1String crlf("\r\n");
    auto quoteAll = [](const QStringList& values) {
        QString line;
        for (qsizetype i = 0; i < values.size(); ++i) {
            if (i > 0)
                line += QLatin1Char(',');
            line += QLatin1Char('"') + values[i] + QLatin1Char('"');
        }
        return line;
    };
    QString text = quoteAll(exportHeader()) + crlf;
    const int sexColumn = 4;
    QStringList values;
    while (query.next()) {
        values.clear();
        for (int i = 0; i < 17; ++i) {
            const QVariant v = query.value(i);
            if (i == sexColumn) {
                const qint64 sex = v.isNull() ? 0 : v.toLongLong();
                values << (sex == 1 ? QStringLiteral("女性") : sex == 2 ? QStringLiteral("男性") : QString());
            } else {
                values << (v.isNull() ? QString() : v.toString());
            }
        }
        text += quoteAll(values) + crlf;
        ++*rows;
    }
    if (*rows == 0)
        return true;
    const QByteArray bytes = utf8 ? QByteArray("\xEF\xBB\xBF") + text.toUtf8() : ShiftJis::encode(text, unmappable);
    return SafeFile::write(path, bytes, error);
}


// ---------------------------------------------------------------- reading

namespace {

constexpr qint64 kPiece = 64 * 1024;  // bytes read at a time

bool isControl(QChar c)
{
    return c.unicode() < 0x20 && c != QLatin1Char('\t');
}

}  // namespace

RecordReader::RecordReader(const QString& path)
    : m_path(path)
    , m_file(path)
{
    if (!m_file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("ファイル「%1」を開けません: %2").arg(path, m_file.errorString()));
}

bool RecordReader::fail(const QString& message)
{
    if (m_error.isEmpty()) {
        qCWarning(lcImport).noquote() << m_path << message;
        m_error = message;
    }
    return false;
}

bool RecordReader::fill()
{
    while (m_error.isEmpty()) {
        if (m_undecodable) {
            // Everything before the bad bytes has been consumed: they lie on this line.
            const QString what = m_decoder.encoding() == ShiftJis::Encoding::Utf8Bom
                                     ? QStringLiteral("UTF-8 として読めない文字があります（ファイルの先頭に UTF-8 の印（BOM）が"
                                                      "ありますが、本文は UTF-8 ではありません）。")
                                     : QStringLiteral("文字コード（Shift_JIS または UTF-8）として読めない文字があります。");
            return fail(QStringLiteral("%1 行目: %2").arg(m_line).arg(what));
        }
        if (m_eof)
            return false;
        // Consumed text goes, so the buffer holds about one piece and one record.
        if (m_pos > kPiece) {
            m_text.remove(0, m_pos);
            m_pos = 0;
        }
        const QByteArray piece = m_file.read(kPiece);
        if (piece.isEmpty() && m_file.error() != QFileDevice::NoError)
            return fail(QStringLiteral("ファイル「%1」を読めません: %2").arg(m_path, m_file.errorString()));
        const qsizetype before = m_text.size();
        if (!m_decoder.decode(piece, &m_text))
            m_undecodable = true;
        if (piece.isEmpty()) {
            m_eof = true;
            if (!m_decoder.finish())
                m_undecodable = true;  // the file ends inside a character
        }
        if (m_text.size() > before)
            return true;
    }
    return false;
}

int RecordReader::peek(qsizetype offset)
{
    while (m_pos + offset >= m_text.size())
        if (!fill())
            return -1;
    return m_text.at(m_pos + offset).unicode();
}

bool RecordReader::next(QString* record, int* line)
{
    record->clear();
    const int quoteChar = '"';
    auto endsField = [this](qsizetype from) {
        int c = peek(from);
        while (c == ' ' || c == '\t')
            c = peek(++from);
        return c == -1 || c == ',' || c == '\r' || c == '\n';
    };
    // Consumes the line break at m_pos; CRLF is one.
    auto lineBreak = [this]() {
        const bool cr = m_text.at(m_pos) == QLatin1Char('\r');
        ++m_pos;
        if (m_line == std::numeric_limits<int>::max()) {
            fail(QStringLiteral("%1 行を超えるファイルは読み込めません。ファイルを分けてください。").arg(m_line));
            m_pos = m_text.size();
            return;
        }
        ++m_line;
        if (cr && peek(0) == '\n')
            ++m_pos;
    };
    *line = m_line;
    // Characters read for this record, the removed ones too: a file of
    // nothing but NUL bytes must end as surely as one of letters.
    qsizetype read = 0;
    bool quoted = false;
    bool fieldStart = true;
    for (;;) {
        if (read > kMaxRecord)
            return fail(QStringLiteral("%1 行目: 1 件のデータが長すぎます（%2 文字を超えています）。改行のないファイルや、"
                                       "閉じていない引用符（\"）がないか確かめてください。")
                            .arg(*line)
                            .arg(kMaxRecord));
        const int c = peek(0);
        if (c == -1) {
            if (!m_error.isEmpty())
                return false;
            return !record->isEmpty();
        }
        ++read;
        const QChar ch(static_cast<char16_t>(c));
        if (c == '\r' || c == '\n') {
            lineBreak();
            if (!quoted) {
                if (!record->isEmpty())
                    return true;
                *line = m_line;  // an empty line is no customer
                read = 0;
                fieldStart = true;
                continue;
            }
            record->append(QLatin1Char('\n'));
            continue;
        }
        ++m_pos;
        if (isControl(ch)) {
            ++m_removed;
            continue;
        }
        if (!quoted) {
            if (c == quoteChar && fieldStart)
                quoted = true;
            else if (c == ',')
                fieldStart = true;
            else if (c != ' ' && c != '\t')
                fieldStart = false;
            record->append(ch);
            continue;
        }
        record->append(ch);
        if (c != quoteChar)
            continue;
        // The rules of splitLine(): a quote before the field's end closes
        // it, "" is one quote (and may close it too), any other is kept.
        if (endsField(0)) {
            quoted = false;
            fieldStart = false;
        } else if (peek(0) == quoteChar) {
            record->append(QLatin1Char('"'));
            ++m_pos;
            ++read;
            if (endsField(0)) {
                quoted = false;
                fieldStart = false;
            }
        }
    }
}

}  // namespace CustomerCsv

// ---------------------------------------------------------------- import

const QVector<ImportTarget>& CustomerImport::targets()
{
    static const QVector<ImportTarget> all{
        {1, QStringLiteral("姓ふりがな"), QStringLiteral("Furi1")},
        {2, QStringLiteral("名ふりがな"), QStringLiteral("Furi2")},
        {3, QStringLiteral("姓"), QStringLiteral("Name1")},
        {4, QStringLiteral("名"), QStringLiteral("Name2")},
        {5, QStringLiteral("生年月日"), QStringLiteral("BTHDAY")},
        {6, QStringLiteral("会社名"), QStringLiteral("Corp1")},
        {7, QStringLiteral("部署"), QStringLiteral("POSITION1")},
        {8, QStringLiteral("郵便番号"), QStringLiteral("Post1")},
        {9, QStringLiteral("住所1(都道府県)"), QStringLiteral("ADR11")},
        {10, QStringLiteral("住所2(市区町村)"), QStringLiteral("ADR12")},
        {11, QStringLiteral("住所3(番地)"), QStringLiteral("ADR13")},
        {12, QStringLiteral("電話番号"), QStringLiteral("Tel1")},
        {13, QStringLiteral("FAX番号"), QStringLiteral("Fax1")},
        {14, QStringLiteral("携帯電話番号"), QStringLiteral("HDYTEL1")},
        {15, QStringLiteral("E_Mail"), QStringLiteral("EMAIL1")},
        {16, QStringLiteral("URL"), QStringLiteral("URL1")},
    };
    return all;
}

const ImportTarget* CustomerImport::target(int code)
{
    const QVector<ImportTarget>& all = targets();
    return code >= 1 && code <= all.size() ? &all[code - 1] : nullptr;
}

int CustomerImport::recognize(const QString& h)
{
    struct Rule {
        int code;
        QStringList words;
        bool singleCharacter;
    };
    static const QVector<Rule> rules{
        {3, {QStringLiteral("姓")}, true},
        {4, {QStringLiteral("名")}, true},
        {5, {QStringLiteral("生年月日"), QStringLiteral("誕生日")}, false},
        {6, {QStringLiteral("会社名")}, false},
        {7, {QStringLiteral("部署")}, false},
        {8, {QStringLiteral("郵便"), QStringLiteral("〒")}, false},
        {9, {QStringLiteral("住所1"), QStringLiteral("住所１"), QStringLiteral("都道府県")}, false},
        {10, {QStringLiteral("住所2"), QStringLiteral("住所２"), QStringLiteral("市区町村")}, false},
        {11, {QStringLiteral("住所3"), QStringLiteral("住所３"), QStringLiteral("番地")}, false},
        {12,
         {QStringLiteral("Tel"), QStringLiteral("TEL"), QStringLiteral("tel"), QStringLiteral("ＴＥＬ"), QStringLiteral("ｔｅｌ"),
          QStringLiteral("電話番号")},
         false},
        {13,
         {QStringLiteral("Fax"), QStringLiteral("FAX"), QStringLiteral("fax"), QStringLiteral("ＦＡＸ"), QStringLiteral("ｆａｘ"),
          QStringLiteral("ファックス"), QStringLiteral("ﾌｧｯｸｽ")},
         false},
        {14,
         {QStringLiteral("portable"), QStringLiteral("Portable"), QStringLiteral("handy"), QStringLiteral("Handy"),
          QStringLiteral("携帯")},
         false},
        {15,
         {QStringLiteral("E_Mail"), QStringLiteral("e_mail"), QStringLiteral("Email"), QStringLiteral("メール"),
          QStringLiteral("ﾒｰﾙ")},
         false},
        {16, {QStringLiteral("url"), QStringLiteral("Url"), QStringLiteral("URL"), QStringLiteral("ホームページ")}, false},
    };
    int code = 0;
    for (const Rule& r : rules) {
        if (r.singleCharacter && h.size() != 1)
            continue;
        for (const QString& w : r.words) {
            if (h.contains(w)) {
                code = r.code;
                break;
            }
        }
    }
    return code;
}

CustomerImport::CustomerImport(Storage& storage)
    : m_storage(storage)
{
}

bool CustomerImport::fail(const QString& message)
{
    qCWarning(lcImport).noquote() << "customers:" << message;
    m_error = message;
    return false;
}

bool CustomerImport::load(const QString& path)
{
    m_path.clear();
    m_records = 0;
    m_removed = 0;
    m_first.clear();
    m_targets.clear();
    m_ticked.clear();
    m_headerRecognised = false;
    m_skipFirst = false;
    m_error.clear();

    // Reading a live database outside SQLite would drop this process's locks on it.
    if (AppDir::isDatabaseFile(path))
        return fail(QStringLiteral("「%1」はこのプログラムのデータベースです。CSVファイルを指定してください。").arg(path));
    CustomerCsv::RecordReader reader(path);
    QString record;
    int line = 0;
    QStringList fields;
    while (reader.next(&record, &line)) {
        QString problem;
        if (!CustomerCsv::splitLine(record, &fields, &problem)) {
            m_first.clear();
            m_records = 0;
            return fail(QStringLiteral("%1 行目: %2").arg(line).arg(problem));
        }
        if (m_records == 0)
            m_first = fields;
        if (m_records == std::numeric_limits<int>::max())
            return fail(QStringLiteral("%1 行目: 行が多すぎます。ファイルを分けて読み込んでください。").arg(line));
        ++m_records;
    }
    m_encoding = reader.encoding();
    if (!reader.errorString().isEmpty()) {
        m_first.clear();
        m_records = 0;
        return fail(reader.errorString());
    }
    m_path = path;
    m_removed = reader.removedControls();
    if (m_records == 0)
        return true;
    // The assignment list is built from the file's first line; an empty
    // first line has nothing to assign, so the first line with text serves.
    m_targets.fill(0, m_first.size());
    m_ticked.fill(false, m_first.size());
    for (qsizetype c = 0; c < m_first.size(); ++c) {
        const int code = recognize(m_first[c]);
        if (code > 0) {
            m_targets[c] = code;
            m_ticked[c] = true;
            m_headerRecognised = true;
        }
    }
    m_skipFirst = m_headerRecognised;
    return true;
}

void CustomerImport::assign(int column, int code)
{
    if (column < 0 || column >= m_targets.size())
        return;
    m_targets[column] = target(code) ? code : 0;
    m_ticked[column] = m_targets[column] > 0;
}

void CustomerImport::setTicked(int column, bool ticked)
{
    if (column < 0 || column >= m_ticked.size())
        return;
    m_ticked[column] = ticked && m_targets[column] > 0;
}

int CustomerImport::rowsToImport() const
{
    return m_skipFirst && m_records > 0 ? m_records - 1 : m_records;
}

bool CustomerImport::run(qint64 folderId, int* added)
{
    *added = 0;
    m_skippedEmpty = 0;
    m_error.clear();
    if (rowsToImport() == 0)
        return true;
    // Target column of each ticked file column; a later column with the
    // same target overwrites an earlier one, as writing them in turn would.
    QStringList columns;
    QHash<QString, int> slotOf;
    QVector<QPair<int, int>> sources;  // file column → slot in the row
    for (int c = 0; c < m_targets.size(); ++c) {
        const ImportTarget* t = m_ticked[c] ? target(m_targets[c]) : nullptr;
        if (!t)
            continue;
        if (!slotOf.contains(t->column)) {
            slotOf.insert(t->column, static_cast<int>(columns.size()));
            columns << t->column;
        }
        sources.append({c, slotOf.value(t->column)});
    }
    const int name1 = slotOf.value(QStringLiteral("Name1"), -1);
    const int name2 = slotOf.value(QStringLiteral("Name2"), -1);
    const int nameSlot = static_cast<int>(columns.size());
    columns << QStringLiteral("Name");
    if (folderId > 0)
        columns << QStringLiteral("U_No");

    // One transaction around every batch: all customers or none.
    Transaction tx(m_storage, DbFile::SaleData);
    if (!tx.isActive())
        return fail(tx.errorString());
    CustomerCsv::RecordReader reader(m_path);
    QVector<QVector<QVariant>> rows;
    rows.reserve(kBatchRows);
    int count = 0;
    QString error;
    auto flush = [&]() {
        if (!rows.isEmpty() && !m_storage.bulkInsert(DbFile::SaleData, QStringLiteral("UserMaster"), columns, rows, &error))
            return false;
        count += static_cast<int>(rows.size());
        rows.clear();
        return true;
    };
    QString record;
    int line = 0;
    QStringList fields;
    bool first = true;
    while (reader.next(&record, &line)) {
        QString problem;
        // The file was read through once; it may have changed since.
        if (!CustomerCsv::splitLine(record, &fields, &problem))
            return fail(QStringLiteral("%1 行目: %2").arg(line).arg(problem));
        if (first && m_skipFirst) {
            first = false;
            continue;
        }
        first = false;
        QVector<QVariant> row(columns.size(), QString());
        bool anything = false;
        for (const auto& [fileColumn, slot] : sources) {
            row[slot] = fields.value(fileColumn);
            anything = anything || !fields.value(fileColumn).trimmed().isEmpty();
        }
        if (!anything) {
            ++m_skippedEmpty;
            continue;
        }
        row[nameSlot] = (name1 >= 0 ? row[name1].toString() : QString()) + (name2 >= 0 ? row[name2].toString() : QString());
        if (folderId > 0)
            row[nameSlot + 1] = folderId;
        rows.append(std::move(row));
        if (rows.size() >= kBatchRows && !flush())
            return fail(error);
    }
    if (!reader.errorString().isEmpty())
        return fail(reader.errorString());
    if (!flush())
        return fail(error);
    if (!tx.commit())
        return fail(tx.errorString());
    *added = count;
    return true;
}
