#include "PostalLookup.h"

#include "Recordset.h"
#include "Storage.h"
#include "common.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <numeric>

const QString PostalLookup::kCatchAllMark = QStringLiteral("以下に掲載");
const QString PostalLookup::kCatchAllTown = QStringLiteral("以下に掲載がない場合");

namespace {

const QString kTable = QStringLiteral("POST_DB");

// Characters that end the municipality part of an address, in the order in
// which the first one found is taken: a village or town inside a district
// ends before the district's own "郡", and a ward after its city's "市".
const QChar kMunicipalityEnds[] = {u'村', u'町', u'郡', u'区', u'市'};

QString dashed(const QString& code)
{
    return code.left(3) + QLatin1Char('-') + code.mid(3, 4);
}

// The position that ends the municipality the way users have always been
// matched: the first 村, else the first 町, else 郡, 区, 市; -1 when none.
int firstMunicipalityEnd(const QString& rest)
{
    for (QChar mark : kMunicipalityEnds) {
        const int i = rest.indexOf(mark);
        if (i >= 0)
            return i;
    }
    return -1;
}

// The first rule fails where a town's own name holds one of the marks after
// the real municipality ("千代田区神田神保町", "京都市中京区河原町通…"). Then
// every other mark is tried, the longest municipality first, so that a
// ward is preferred to its city.
QVector<int> municipalityEnds(const QString& rest)
{
    QVector<int> ends;
    const int first = firstMunicipalityEnd(rest);
    if (first < 0)
        return ends;
    ends << first;
    for (int i = rest.size() - 1; i >= 0; --i) {
        if (i == first)
            continue;
        if (std::find(std::begin(kMunicipalityEnds), std::end(kMunicipalityEnds), rest[i])
            != std::end(kMunicipalityEnds))
            ends << i;
    }
    return ends;
}

// Rows whose municipality holds the address's municipality and whose town
// appears in the address (any town when the address stops at the
// municipality). Catch-all rows name no town and never fit. The first
// municipality end has always looked for the town in the whole rest; the
// other ends look only after the municipality, or "千代田区神田神保町"
// would also fit the town "千代田".
enum class Fit { FirstEnd, OtherEnd, ExactMunicipality };

// The text a row's town must appear in; empty when the address stops at
// the municipality, where any town fits.
QString townTextOf(const QString& rest, int end, Fit fit)
{
    if (end + 1 == rest.size())
        return QString();
    return fit == Fit::FirstEnd ? rest : rest.mid(end + 1);
}

QVector<PostalEntry> fitting(const QVector<PostalEntry>& rows, const QString& rest, int end, Fit fit)
{
    QVector<PostalEntry> out;
    const QString municipality = rest.left(end + 1);
    const bool onlyMunicipality = end + 1 == rest.size();
    const QString townText = fit == Fit::FirstEnd ? rest : rest.mid(end + 1);
    for (const PostalEntry& e : rows) {
        if (e.isCatchAll())
            continue;
        const bool municipalityFits = fit == Fit::ExactMunicipality || e.municipality.contains(municipality);
        if (municipalityFits && (onlyMunicipality || townText.contains(e.town)))
            out << e;
    }
    return out;
}

// "東京都", "北海道", "京都府", "神奈川県" …: every prefecture's name is three
// or four characters and ends in one of the marks. Used when the position
// rule lands on a later mark ("東京都府中市" gives 3 | 4 = 7).
QString leadingPrefecture(const QString& address)
{
    static const QString marks = QStringLiteral("都道府県");
    if (address.size() > 3 && marks.contains(address[2]))
        return address.left(3);
    if (address.size() > 4 && address[3] == u'県')
        return address.left(4);
    return {};
}

// The municipality names (A_ADR) of the prefectures looked up so far, for
// one postal table, with the largest ID the table had when they were read.
struct KnownNames {
    qint64 stamp = -1;
    QHash<QString, QStringList> byPrefecture;
};

// By database: a program may hold more than one (tests, migration).
QHash<QString, KnownNames>& knownNames()
{
    static QHash<QString, KnownNames> all;
    return all;
}

}  // namespace

QString PostalEntry::listItem() const
{
    return code + QLatin1Char(' ') + prefecture + municipality + addressTown();
}

QString PostalEntry::addressTown() const
{
    return isCatchAll() ? QString() : town;
}

bool PostalEntry::isCatchAll() const
{
    return town.contains(PostalLookup::kCatchAllMark);
}

PostalLookup::PostalLookup(Storage& storage, AddressChooser* chooser)
    : m_storage(storage)
    , m_chooser(chooser)
{
}

bool PostalLookup::readRows(const QVector<Condition>& where, QVector<PostalEntry>* out, QVector<qint64>* ids)
{
    Recordset rs(m_storage, DbFile::PostDb);
    if (!rs.open(kTable, where)) {
        m_error = rs.errorString();
        return false;
    }
    out->reserve(out->size() + rs.recordCount());
    for (; !rs.eof(); rs.moveNext()) {
        PostalEntry e;
        e.code = rs.text(QStringLiteral("P_PST"));
        e.oldCode = rs.text(QStringLiteral("O_PST"));
        e.prefecture = rs.text(QStringLiteral("P_ADR1"));
        e.municipality = rs.text(QStringLiteral("P_ADR2"));
        e.town = rs.text(QStringLiteral("P_ADR3"));
        out->append(e);
        if (ids)
            ids->append(rs.id());
    }
    return true;
}

bool PostalLookup::municipalityNames(const QString& prefecture, QStringList* out)
{
    out->clear();
    QSqlDatabase d = m_storage.connection(DbFile::PostDb, &m_error);
    if (!d.isValid())
        return false;
    QSqlQuery q(d);
    q.setForwardOnly(true);
    // The names of a prefecture are read once per run. The table changes
    // only through an import, which writes its rows anew, so a different
    // largest ID says that the names read earlier may no longer hold.
    if (!q.exec(QStringLiteral("SELECT MAX(%1) FROM %2").arg(Storage::quote(QStringLiteral("ID")), Storage::quote(kTable)))) {
        m_error = m_storage.describeError(DbFile::PostDb, q.lastError());
        return false;
    }
    const qint64 stamp = q.next() && !q.value(0).isNull() ? q.value(0).toLongLong() : 0;
    KnownNames& known = knownNames()[m_storage.isPostgres() ? m_storage.config().describe()
                                                            : m_storage.filePath(DbFile::PostDb)];
    if (known.stamp != stamp) {
        known.stamp = stamp;
        known.byPrefecture.clear();
    }
    if (const auto it = known.byPrefecture.constFind(prefecture); it != known.byPrefecture.constEnd()) {
        *out = it.value();
        return true;
    }
    if (!q.prepare(QStringLiteral("SELECT DISTINCT %1 FROM %2 WHERE %3 = ?")
                       .arg(Storage::quote(QStringLiteral("A_ADR")), Storage::quote(kTable),
                            Storage::quote(QStringLiteral("P_ADR1"))))) {
        m_error = m_storage.describeError(DbFile::PostDb, q.lastError());
        return false;
    }
    q.addBindValue(prefecture);
    if (!q.exec()) {
        m_error = m_storage.describeError(DbFile::PostDb, q.lastError());
        return false;
    }
    while (q.next())
        out->append(q.value(0).toString());
    known.byPrefecture.insert(prefecture, *out);
    return true;
}

bool PostalLookup::rowsOfMunicipality(const QString& prefecture, const QStringList& names,
                                      const QString& municipality, const QString& townText, QVector<PostalEntry>* out)
{
    out->clear();
    QSqlDatabase d = m_storage.connection(DbFile::PostDb, &m_error);
    if (!d.isValid())
        return false;
    // Only the rows whose town the address holds travel (a city has up to
    // a thousand); what fits is still decided by fitting().
    const QString townHeld = townText.isEmpty() ? QString()
                             : m_storage.isPostgres()
                                 ? QStringLiteral(" AND strpos(?, COALESCE(%1, '')) > 0").arg(Storage::quote(QStringLiteral("P_ADR3")))
                                 : QStringLiteral(" AND instr(?, COALESCE(%1, '')) > 0").arg(Storage::quote(QStringLiteral("P_ADR3")));
    QSqlQuery q(d);
    q.setForwardOnly(true);
    if (!q.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ? AND %4 = ?%5 ORDER BY %6")
                       .arg(QStringLiteral("\"P_PST\", \"O_PST\", \"P_ADR1\", \"P_ADR2\", \"P_ADR3\", \"ID\""), Storage::quote(kTable),
                            Storage::quote(QStringLiteral("P_ADR1")), Storage::quote(QStringLiteral("A_ADR")), townHeld,
                            Storage::quote(QStringLiteral("ID"))))) {
        m_error = m_storage.describeError(DbFile::PostDb, q.lastError());
        return false;
    }
    QVector<PostalEntry> rows;
    QVector<qint64> ids;
    for (const QString& name : names) {
        if (!name.contains(municipality))
            continue;
        q.bindValue(0, prefecture);
        q.bindValue(1, name);
        if (!townText.isEmpty())
            q.bindValue(2, townText);
        if (!q.exec()) {
            m_error = m_storage.describeError(DbFile::PostDb, q.lastError());
            return false;
        }
        while (q.next()) {
            PostalEntry e;
            e.code = q.value(0).toString();
            e.oldCode = q.value(1).toString();
            e.prefecture = q.value(2).toString();
            e.municipality = q.value(3).toString();
            e.town = q.value(4).toString();
            rows.append(e);
            ids.append(q.value(5).toLongLong());
        }
    }
    // Several municipalities may hold the name ("中区"): back into table order.
    QVector<int> order(rows.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int x, int y) { return ids[x] < ids[y]; });
    out->reserve(rows.size());
    for (int i : order)
        out->append(rows[i]);
    return true;
}

bool PostalLookup::codeCandidates(const QString& codeText, QVector<PostalEntry>* out)
{
    m_error.clear();
    out->clear();
    QString digits = common::DigitsOnly(codeText);
    // Six digits are a five-digit old code typed with one digit too many.
    if (digits.size() == 6)
        digits.truncate(5);
    if (digits.isEmpty())
        return true;
    QVector<PostalEntry> rows;
    if (!readRows({{digits.size() < 6 ? QStringLiteral("O_PST") : QStringLiteral("P_PST"), digits}}, &rows))
        return false;
    for (const PostalEntry& e : rows)
        if (!e.isCatchAll())
            out->append(e);
    // A code that only names municipalities (498-0000 spans two
    // prefectures) still has to offer them.
    if (out->isEmpty())
        *out = rows;
    return true;
}

bool PostalLookup::addressCandidates(const QString& address, QVector<PostalEntry>* out)
{
    m_error.clear();
    return matchAddress(address, out);
}

bool PostalLookup::matchAddress(const QString& address, QVector<PostalEntry>* out)
{
    out->clear();
    QString prefecture, rest;
    splitPrefecture(address, &prefecture, &rest);
    const QVector<int> ends = municipalityEnds(rest);

    // Only the rows of municipalities whose name holds the address's
    // municipality are read: a prefecture has up to 8,000 rows (北海道), an
    // address names one municipality, and the index finds its rows.
    QStringList names;
    QVector<PostalEntry> rows;
    if (!prefecture.isEmpty() && !ends.isEmpty()) {
        if (!municipalityNames(prefecture, &names))
            return false;
        for (int end : ends) {
            const Fit fit = end == ends.first() ? Fit::FirstEnd : Fit::OtherEnd;
            if (!rowsOfMunicipality(prefecture, names, rest.left(end + 1), townTextOf(rest, end, fit), &rows))
                return false;
            *out = fitting(rows, rest, end, fit);
            if (!out->isEmpty())
                return true;
        }
    }

    // The position rule split at a mark inside the municipality ("東京都府中市",
    // "広島県府中市"): split after the prefecture's own name instead.
    const QString leading = leadingPrefecture(address);
    if (!leading.isEmpty()) {
        if (leading == prefecture)
            return true;
        const QString leadingRest = address.mid(leading.size());
        if (!municipalityNames(leading, &names))
            return false;
        for (int end : municipalityEnds(leadingRest)) {
            if (!rowsOfMunicipality(leading, names, leadingRest.left(end + 1),
                                    townTextOf(leadingRest, end, Fit::OtherEnd), &rows))
                return false;
            *out = fitting(rows, leadingRest, end, Fit::OtherEnd);
            if (!out->isEmpty())
                return true;
        }
        return true;
    }

    // No prefecture typed ("千代田区千代田"): find the municipality by its
    // exact name, which the index answers without reading the whole country.
    for (int end : municipalityEnds(address)) {
        rows.clear();
        if (!readRows({{QStringLiteral("A_ADR"), address.left(end + 1)}}, &rows))
            return false;
        if (rows.isEmpty())
            continue;
        *out = fitting(rows, address, end, Fit::ExactMunicipality);
        if (!out->isEmpty())
            return true;
    }
    return true;
}

int PostalLookup::choose(const QVector<PostalEntry>& rows)
{
    if (!m_chooser || rows.isEmpty())
        return -1;
    QStringList items;
    items.reserve(rows.size());
    for (const PostalEntry& e : rows)
        items << e.listItem();
    const int chosen = m_chooser->choose(items);
    return chosen >= 0 && chosen < rows.size() ? chosen : -1;
}

int PostalLookup::codeToAddress(bool forceList, QString* codeField, QString* firstPart, QString* secondPart)
{
    firstPart->clear();
    secondPart->clear();
    QVector<PostalEntry> rows;
    if (!codeCandidates(*codeField, &rows)) {
        common::ErrorBox(m_error);
        return -1;
    }
    if (rows.isEmpty())
        return 0;
    const PostalEntry* hit = &rows.first();
    if (rows.size() > 1 || forceList) {
        const int chosen = choose(rows);
        if (chosen < 0)
            return -1;
        hit = &rows[chosen];
        *codeField = dashed(hit->code);
    }
    *firstPart = hit->prefecture;
    *secondPart = hit->municipality + hit->addressTown();
    return 0;
}

QString PostalLookup::addressToCode(bool forceList, const QString& address)
{
    m_error.clear();
    QVector<PostalEntry> rows;
    if (!matchAddress(address, &rows)) {
        common::ErrorBox(m_error);
        return {};
    }
    if (rows.isEmpty())
        return {};
    if (rows.size() == 1 && !forceList)
        return dashed(rows.first().code);
    const int chosen = choose(rows);
    return chosen < 0 ? QString() : dashed(rows[chosen].code);
}

void PostalLookup::splitPrefecture(const QString& address, QString* prefecture, QString* rest)
{
    int pos = 0;
    for (QChar mark : {u'都', u'道', u'府', u'県'})
        pos |= address.indexOf(mark) + 1;
    if (pos > 0) {
        *prefecture = address.left(pos);
        *rest = address.mid(pos);
    } else {
        prefecture->clear();
        *rest = address;
    }
}

QString PostalLookup::formatCode(const QString& text)
{
    // An empty code stays empty rather than printing "-0000" on a label.
    if (text.isEmpty())
        return text;
    QString t = text;
    if (t.contains(u'〒'))
        t.remove(0, 1);
    if (t.contains(QLatin1Char('-')))
        return t;
    if (t.size() >= 4)
        return t.left(3) + QLatin1Char('-') + t.mid(3);
    return t + QStringLiteral("-0000");
}
