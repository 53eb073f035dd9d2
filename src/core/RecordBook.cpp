#include "RecordBook.h"

#include "AppDir.h"
#include "RowFields.h"
#include "Storage.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

namespace RecordBook {

namespace {
const QString kTitleFile = QStringLiteral("kirokubo_tl.ini");
const RowField<RecordBookLine> kColumns[] = {
    {"F_STR01", &RecordBookLine::title}, {"F_STR02", &RecordBookLine::year},   {"F_STR03", &RecordBookLine::month},
    {"F_STR04", &RecordBookLine::day},   {"F_STR05", &RecordBookLine::content},
};

bool failWith(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return false;
}

// The lines of the project `bid`, in the order they were made.
bool openLines(Recordset& rs, qint64 bid, QString* error)
{
    return rs.open(QStringLiteral("StrIntTable"), QStringLiteral("F_INT01"), bid) || failWith(error, rs.errorString());
}
}

QStringList builtInTitles()
{
    QStringList t;
    for (int i = 0; i < kLines; ++i)
        t << QString();
    const QPair<int, const char*> known[] = {
        {0, "見積書提出"},   {1, "設計契約"},     {2, "建築主打合"},   {3, "敷地調査"},     {4, "法令調査"},
        {7, "特定行政庁"},   {8, "消防"},         {9, "ガス"},         {10, "水道"},        {11, "電力"},
        {16, "申請先"},      {18, "着手"},        {19, "案提出"},      {26, "建築主承認"},  {27, "着手"},
        {33, "完了"},        {34, "建築主承認"},  {35, "設計図書管理"}, {37, "許認可申請"}, {39, "確認申請"},
        {40, "確認済証"},    {43, "確認返却"},    {45, "見積書提出"},  {46, "監理契約"},    {47, "現説"},
        {48, "入札（見積）"}, {49, "工事契約"},   {50, "地鎮祭"},      {51, "着工"},        {74, "監理者検査"},
        {75, "完了検査申請"}, {76, "主事検査"},   {77, "検査済証"},    {78, "消防検査"},    {79, "消防検査済証"},
        {80, "他検査"},      {85, "検査済証"},    {86, "消防検査済証"}, {88, "監理完了"},   {89, "監理報告書"},
    };
    for (const auto& k : known)
        t[k.first] = QString::fromUtf8(k.second);
    return t;
}

QStringList defaultTitles()
{
    QFile f(AppDir::file(kTitleFile));
    if (!f.open(QIODevice::ReadOnly))
        return builtInTitles();
    const QByteArray data = f.readAll();
    // Written by this program in UTF-8; a file brought from a Windows
    // office is Shift_JIS.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(data);
    if (utf8.hasError()) {
        QStringDecoder sjis("Shift_JIS");
        text = sjis(data);
    }
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& l : lines)
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
    while (lines.size() < kLines)
        lines << QString();
    return lines.mid(0, kLines);
}

bool saveDefaultTitles(const QStringList& titles, QString* error)
{
    QSaveFile f(AppDir::file(kTitleFile));
    if (!f.open(QIODevice::WriteOnly))
        return failWith(error, QStringLiteral("「%1」に書き込めません。").arg(kTitleFile));
    for (int i = 0; i < kLines; ++i) {
        QString title = i < titles.size() ? titles[i] : QString();
        title.remove(QLatin1Char('\n')).remove(QLatin1Char('\r'));
        f.write(title.toUtf8());
        f.write("\n");
    }
    if (!f.commit())
        return failWith(error, QStringLiteral("「%1」に書き込めません。").arg(kTitleFile));
    return true;
}

bool ensureLines(Storage& storage, qint64 bid, QString* error)
{
    Recordset rs(storage, DbFile::AnotherOption);
    if (!openLines(rs, bid, error))
        return false;
    if (rs.recordCount() > 0)
        return true;
    const QStringList titles = defaultTitles();
    Transaction tx(storage, DbFile::AnotherOption);
    if (!tx.isActive())
        return failWith(error, tx.errorString());
    for (int i = 0; i < kLines; ++i) {
        if (rs.addNew() <= 0 || !rs.setValue(QStringLiteral("F_INT01"), bid)
            || !rs.setValue(QStringLiteral("F_STR01"), titles[i]) || !rs.update())
            return failWith(error, rs.errorString());
    }
    if (!tx.commit())
        return failWith(error, tx.errorString());
    return true;
}

bool load(Storage& storage, qint64 bid, QVector<RecordBookLine>* lines, QString* error)
{
    Recordset rs(storage, DbFile::AnotherOption);
    if (!openLines(rs, bid, error))
        return false;
    lines->clear();
    for (; !rs.eof() && lines->size() < kLines; rs.moveNext()) {
        RecordBookLine l;
        l.id = rs.id();
        readRow(rs, &l, kColumns);
        lines->append(l);
    }
    return true;
}

bool save(Storage& storage, qint64 bid, const QVector<RecordBookLine>& lines, QString* error)
{
    Transaction tx(storage, DbFile::AnotherOption);
    if (!tx.isActive())
        return failWith(error, tx.errorString());
    Recordset rs(storage, DbFile::AnotherOption);
    if (!openLines(rs, bid, error))
        return false;
    for (int i = 0; !rs.eof() && i < lines.size() && i < kLines; ++i, rs.moveNext()) {
        const RecordBookLine& l = lines[i];
        bool changed = false;
        for (const RowField<RecordBookLine>& c : kColumns) {
            const QString column = QString::fromLatin1(c.column);
            const QString& text = l.*std::get<QString RecordBookLine::*>(c.member);
            // A null column and an empty line are the same to the user.
            if (rs.text(column) == text)
                continue;
            if (!rs.setValue(column, text))
                return failWith(error, rs.errorString());
            changed = true;
        }
        if (changed && !rs.update())
            return failWith(error, rs.errorString());
    }
    if (!tx.commit())
        return failWith(error, tx.errorString());
    return true;
}

}  // namespace RecordBook
