#include "BoxFit.h"

#include "DbFile.h"
#include "InputSheet.h"
#include "Schema.h"
#include "SinseiCellMap.h"
#include "SinseiExcelOutRtn.h"
#include "XlsxWorkbook.h"

#include <QDateTime>
#include <QFileInfo>

namespace {

QString key(const QString& table, const QString& column)
{
    return table.toUpper() + QLatin1Char('.') + column;
}

// One private-use character per column: no cell map makes it out of
// anything else, and each box shows it where the column's text goes.
constexpr char16_t kFirstMark = 0xE000;
constexpr char16_t kLastMark = 0xF8FF;

bool isMark(QChar c)
{
    return c.unicode() >= kFirstMark && c.unicode() <= kLastMark;
}

QString withoutMarks(QString s)
{
    s.removeIf(isMark);
    return s;
}

}  // namespace

const BoxFit& BoxFit::shared()
{
    // Read again when the template changes (an office's own edits, the
    // format settings, a new release).
    static BoxFit fit;
    static QString loaded;
    const QString path = SinseiExcelOutRtn::templatePath();
    const QFileInfo file(path);
    const QString stamp = file.exists() ? path + QLatin1Char('|') + file.lastModified().toString(Qt::ISODateWithMs)
                                              + QLatin1Char('|') + QString::number(file.size())
                                        : QString();
    if (stamp != loaded) {
        loaded = stamp;
        fit = BoxFit();
        QString ignored;
        if (!stamp.isEmpty() && !fit.load(path, &ignored))
            fit = BoxFit();  // without boxes nothing is judged
    }
    return fit;
}

bool BoxFit::load(const QString& templatePath, QString* error)
{
    m_places.clear();
    m_hasAnnex = false;
    XlsxWorkbook book;
    if (!book.open(templatePath)) {
        *error = book.errorString();
        return false;
    }
    TextFit fit;
    if (!fit.load(book, error))
        return false;

    // Building 1 and its first floor stand for the others: their pages
    // are laid out alike.
    ProjectData p;
    p.bid = 1;
    QHash<QChar, QString> columnOf;
    char16_t next = kFirstMark;
    const auto mark = [&](RowValues& row, const QString& table) {
        const TableDef* def = DatabaseSchema::builtIn(DbFile::Kakunin).table(table);
        if (!def)
            return;
        for (const ColumnDef& c : def->columns) {
            if (c.type != ColumnType::Text || next > kLastMark)
                continue;
            const QChar m(next++);
            row.insert(c.name, QString(m));
            columnOf.insert(m, key(table, c.name));
        }
    };
    mark(p.gaiyou, QStringLiteral("GAIYOU"));
    mark(p.shikichi, QStringLiteral("SHIKICHI"));
    mark(p.kanryou, QStringLiteral("KANRYOU"));
    mark(p.kouji, QStringLiteral("KOUJI"));
    mark(p.bouka, QStringLiteral("BOUKA"));
    mark(p.gyoumu, QStringLiteral("GYOUMU"));
    mark(p.buildings[0], QStringLiteral("TATEMONOBETU"));
    mark(p.floors[0], QStringLiteral("KAIBETU"));
    // The floor pages print only for the floors a building has.
    p.buildings[0].insert(QStringLiteral("Kai30"), QStringLiteral("1"));
    p.buildings[0].insert(QStringLiteral("Kai31"), QStringLiteral("0"));
    p.shikichi.insert(QStringLiteral("Tou1"), QStringLiteral("1"));

    InputSheet input;
    SinseiCellMap::fillAll(p, input);
    for (const TextFit::Box& b : fit.boxes()) {
        if (b.sheet == TextFit::kAnnexSheet) {
            if (b.pattern == QStringLiteral("{D%1}").arg(TextFit::annexRow(0) + 1)) {
                m_annex = b;
                m_hasAnnex = true;
            }
            continue;
        }
        if (b.pattern.isEmpty())
            continue;
        const QString shown = TextFit::shownText(b.pattern, input);
        for (int i = 0; i < shown.size(); ++i) {
            const auto it = columnOf.constFind(shown[i]);
            if (it == columnOf.cend())
                continue;
            Place place;
            place.box = b;
            place.before = withoutMarks(shown.left(i));
            place.after = withoutMarks(shown.mid(i + 1));
            place.annexable = shown.size() == 1 && b.pattern.count(QLatin1Char('{')) == 1
                              && !b.pattern.contains(QLatin1Char('|')) && b.pattern.startsWith(QLatin1Char('{'))
                              && b.pattern.endsWith(QLatin1Char('}'));
            m_places[it.value()] << place;
        }
    }
    return true;
}

bool BoxFit::knows(const QString& table, const QString& column) const
{
    return m_places.contains(key(table, column));
}

BoxFit::Result BoxFit::judge(const QString& table, const QString& column, const QString& text) const
{
    Result worst;
    if (text.isEmpty())
        return worst;
    for (const Place& place : m_places.value(key(table, column))) {
        const TextFit::Box& b = place.box;
        Result r;
        const double size = TextFit::fittingSize(place.before + text + place.after, b.width, b.height, b.size, b.wrap);
        if (size >= b.size)
            continue;
        if (size > 0) {
            r.verdict = Verdict::Smaller;
            r.size = size;
        } else if (place.annexable && m_hasAnnex
                   && TextFit::annexPieces(text, &m_annex).size() <= TextFit::kAnnexSlotsPerText) {
            r.verdict = Verdict::Annex;
        } else {
            r.verdict = Verdict::TooLong;
        }
        r.where = b.caption.isEmpty() ? b.sheet : b.sheet + QStringLiteral("の") + b.caption;
        if (r.verdict > worst.verdict || (r.verdict == worst.verdict && r.verdict == Verdict::Smaller && r.size < worst.size))
            worst = r;
    }
    return worst;
}

QString BoxFit::longestPrintable(const QString& table, const QString& column, const QString& text) const
{
    if (judge(table, column, text).verdict != Verdict::TooLong)
        return text;
    qsizetype lo = 0;
    qsizetype hi = text.size();  // judge(left(lo)) prints, judge(left(hi)) does not
    while (hi - lo > 1) {
        const qsizetype mid = (lo + hi) / 2;
        if (judge(table, column, text.left(mid)).verdict == Verdict::TooLong)
            hi = mid;
        else
            lo = mid;
    }
    return text.left(lo);
}

QString BoxFit::describe(const Result& r)
{
    switch (r.verdict) {
    case Verdict::Fits:
        return {};
    case Verdict::Smaller:
        return QStringLiteral("印刷の枠（%1）に収めるため、小さな文字（%2ポイント）で印刷されます。").arg(r.where).arg(r.size);
    case Verdict::Annex:
        return QStringLiteral("印刷の枠（%1）に入りきらないため、別紙に印刷され、枠には「別紙のとおり」と印刷されます。").arg(r.where);
    case Verdict::TooLong:
        return QStringLiteral("印刷の枠（%1）に入りきりません。").arg(r.where);
    }
    return {};
}
