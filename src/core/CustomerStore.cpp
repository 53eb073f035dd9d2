#include "CustomerStore.h"

#include "Recordset.h"
#include "RowFields.h"
#include "ShiftJis.h"
#include "Storage.h"
#include "common.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>

namespace {

const QString kTable = QStringLiteral("UserMaster");
const std::array<QString, Customer::kSlots> kSlotColumns{
    QStringLiteral("U_No"), QStringLiteral("FLD2"), QStringLiteral("FLD3"), QStringLiteral("FLD4"), QStringLiteral("FLD5")};

// The entry's columns stored just as the window shows them; the names,
// readings, sex and zone are stored in more than one shape.
const RowField<CustomerEntry> kEntryColumns[] = {
    {"BTHDAY", &CustomerEntry::birthday}, {"Corp1", &CustomerEntry::company},   {"POSITION1", &CustomerEntry::department},
    {"Post1", &CustomerEntry::postalCode}, {"ADR11", &CustomerEntry::prefecture}, {"ADR12", &CustomerEntry::address2},
    {"ADR13", &CustomerEntry::address3},  {"Tel1", &CustomerEntry::telephone},  {"Fax1", &CustomerEntry::fax},
    {"HDYTEL1", &CustomerEntry::mobile},  {"EMAIL1", &CustomerEntry::email},    {"URL1", &CustomerEntry::url},
};
// The columns a customer is read with besides the entry's; SEX reads -1
// when null and the folder slots kNoFolder.
const RowField<Customer> kCustomerColumns[] = {
    {"U_ID", &Customer::uid},     {"Name", &Customer::name},       {"FURI", &Customer::reading},
    {"Name1", &Customer::name1},  {"Name2", &Customer::name2},     {"Furi1", &Customer::furi1},
    {"Furi2", &Customer::furi2},  {"Adr2_ID", &Customer::zoneId},  {"ADR21", &Customer::prefecture2},
};

QString q(const char* column)
{
    return Storage::quote(QString::fromLatin1(column));
}

// The columns a scan reads, quoted, in the order given.
QString columnList(std::initializer_list<const char*> columns)
{
    QStringList out;
    for (const char* c : columns)
        out << q(c);
    return out.join(QLatin1String(", "));
}

QString textAt(const QSqlQuery& query, int i)
{
    const QVariant v = query.value(i);
    return v.isNull() ? QString() : v.toString();
}

// Whether the digits of a telephone number, in order, begin with `digits`
// (which holds digits only); no copy of the number is made.
bool digitsBeginWith(const QString& telephone, const QString& digits)
{
    qsizetype matched = 0;
    for (QChar c : telephone) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            continue;
        if (c != digits.at(matched))
            return false;
        if (++matched == digits.size())
            return true;
    }
    return false;
}

// Prefecture as lists show it: ADR11, or ADR21 when ADR11 is empty.
QString listPrefecture(const QString& adr11, const QString& adr21)
{
    return adr11.isEmpty() ? adr21 : adr11;
}

}  // namespace

CustomerEntry Customer::shown() const
{
    CustomerEntry e = entry;
    e.surname = entry.surname.isEmpty() ? name : entry.surname;
    e.surnameReading = entry.surnameReading.isEmpty() ? reading : entry.surnameReading;
    e.sex = (sexCode == CustomerEntry::Female || sexCode == CustomerEntry::Male) ? static_cast<int>(sexCode)
                                                                                 : CustomerEntry::NotSpecified;
    return e;
}

qint64 Customer::firstFolder() const
{
    for (qint64 f : folders)
        if (f != kNoFolder)
            return f;
    return kNoFolder;
}

// ---------------------------------------------------------------- folder slots

namespace FolderSlots {

Slots move(Slots held, qint64 current, qint64 target)
{
    const bool alreadyThere = std::find(held.begin(), held.end(), target) != held.end();
    for (qint64& s : held) {
        if (s != current)
            continue;
        if (!alreadyThere)
            s = target;
        else if (current != target)
            s = Customer::kNoFolder;
        break;
    }
    return held;
}

bool copy(Slots* held, qint64 target)
{
    bool seen = false;
    for (qint64& s : *held) {
        if (s != target)
            continue;
        if (seen)
            s = Customer::kNoFolder;
        seen = true;
    }
    if (seen)
        return true;
    for (qint64& s : *held) {
        if (s == Customer::kNoFolder) {
            s = target;
            return true;
        }
    }
    return false;
}

}  // namespace FolderSlots

// ---------------------------------------------------------------- store

CustomerStore::CustomerStore(Storage& storage)
    : m_storage(storage)
{
}

bool CustomerStore::fail(const QString& message)
{
    m_error = message;
    return false;
}

bool CustomerStore::run(QSqlQuery& query, const QString& sql, const QVariantList& values)
{
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        return fail(m_storage.describeError(DbFile::SaleData, query.lastError()));
    for (const QVariant& v : values)
        query.addBindValue(v);
    if (!query.exec())
        return fail(m_storage.describeError(DbFile::SaleData, query.lastError()));
    return true;
}

bool CustomerStore::loadZones(QVector<Zone>* out)
{
    Recordset rs(m_storage, DbFile::MasterData);
    if (!rs.open(QStringLiteral("Zonemaster")))
        return fail(rs.errorString());
    out->clear();
    for (; !rs.eof(); rs.moveNext())
        out->append({rs.id(), rs.text(QStringLiteral("ADR_NAME"))});
    return true;
}

qint64 CustomerStore::zoneIdOf(const QString& prefecture, const QVector<Zone>& zones)
{
    qint64 id = 0;
    for (const Zone& z : zones)
        if (!z.name.isEmpty() && prefecture.contains(z.name))
            id = z.id;
    return id;
}

qint64 CustomerStore::uidOf(const QString& surname)
{
    return ShiftJis::firstCharCode(surname);
}

QString CustomerStore::listName(const QString& name, const QString& name1, const QString& name2)
{
    return name.isEmpty() ? name1 + name2 : name;
}

bool CustomerStore::listFolder(qint64 folderId, QVector<CustomerListItem>* out)
{
    out->clear();
    QSqlDatabase d = m_storage.connection(DbFile::SaleData, &m_error);
    if (!d.isValid())
        return false;
    const QString cols = columnList({"ID", "Name", "Name1", "Name2", "ADR11", "ADR21", "EMAIL1"});
    for (const QString& slot : kSlotColumns) {
        QSqlQuery query(d);
        if (!run(query,
                 QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ? ORDER BY \"ID\"")
                     .arg(cols, Storage::quote(kTable), Storage::quote(slot)),
                 {folderId}))
            return false;
        while (query.next()) {
            CustomerListItem item;
            item.id = query.value(0).toLongLong();
            item.name = listName(textAt(query, 1), textAt(query, 2), textAt(query, 3));
            item.prefecture = listPrefecture(textAt(query, 4), textAt(query, 5));
            item.email = textAt(query, 6);
            out->append(item);
        }
    }
    return true;
}

bool CustomerStore::read(qint64 id, Customer* out, bool* found, int* familyRows)
{
    *found = false;
    Recordset rs(m_storage, DbFile::SaleData);
    if (!rs.open(kTable, QStringLiteral("ID"), id))
        return fail(rs.errorString());
    if (rs.eof())
        return true;
    Customer c;
    c.id = rs.id();
    readRow(rs, &c, kCustomerColumns);
    c.sexCode = rs.integer(QStringLiteral("SEX"), -1);
    for (int i = 0; i < Customer::kSlots; ++i)
        c.folders[i] = rs.integer(kSlotColumns[i], Customer::kNoFolder);
    CustomerEntry& e = c.entry;
    e.surname = c.name1;
    e.givenName = c.name2;
    e.surnameReading = c.furi1;
    e.givenReading = c.furi2;
    e.sex = static_cast<int>(c.sexCode);
    readRow(rs, &e, kEntryColumns);
    if (familyRows) {
        Recordset family(m_storage, DbFile::SaleData);
        if (!family.open(QStringLiteral("FamilyForm"), QStringLiteral("U_ID"), id))
            return fail(family.errorString());
        *familyRows = family.recordCount();
    }
    *out = c;
    *found = true;
    return true;
}

qint64 CustomerStore::create(qint64 folderId)
{
    Recordset rs(m_storage, DbFile::SaleData);
    const qint64 id = rs.openNew(kTable);
    if (id <= 0) {
        fail(rs.errorString());
        return 0;
    }
    rs.setValue(QStringLiteral("U_ID"), 0);
    rs.setValue(QStringLiteral("Name"), kNewName);
    rs.setValue(QStringLiteral("Name1"), kNewName);
    rs.setValue(QStringLiteral("Name2"), QString());
    rs.setValue(QStringLiteral("SEX"), -1);
    rs.setValue(QStringLiteral("MARY"), -1);
    // The last slot, as the customer window always did: the listing reads
    // all five, and a later copy fills the first free one.
    if (folderId > 0)
        rs.setValue(QStringLiteral("FLD5"), folderId);
    if (!rs.update()) {
        fail(rs.errorString());
        return 0;
    }
    return id;
}

bool CustomerStore::apply(qint64 id, const CustomerEntry& entry, const QVector<Zone>& zones, bool* found)
{
    *found = false;
    Recordset rs(m_storage, DbFile::SaleData);
    if (!rs.open(kTable, QStringLiteral("ID"), id))
        return fail(rs.errorString());
    if (rs.eof())
        return true;
    *found = true;
    const QString surname = entry.surname.trimmed();
    if (!surname.isEmpty())
        rs.setValue(QStringLiteral("U_ID"), uidOf(surname));
    rs.setValue(QStringLiteral("Name"), surname + QLatin1Char(' ') + entry.givenName);
    rs.setValue(QStringLiteral("Name1"), surname);
    rs.setValue(QStringLiteral("Name2"), entry.givenName);
    rs.setValue(QStringLiteral("FURI"), entry.surnameReading + QLatin1Char(' ') + entry.givenReading);
    rs.setValue(QStringLiteral("Furi1"), entry.surnameReading);
    rs.setValue(QStringLiteral("Furi2"), entry.givenReading);
    const int sex = (entry.sex == CustomerEntry::Female || entry.sex == CustomerEntry::Male) ? entry.sex : 0;
    rs.setValue(QStringLiteral("SEX"), sex);
    rs.setValue(QStringLiteral("Adr2_ID"), zoneIdOf(entry.prefecture, zones));
    if (!assignRow(rs, entry, kEntryColumns) || !rs.update())
        return fail(rs.errorString());
    return true;
}

bool CustomerStore::remove(const QVector<qint64>& ids)
{
    Transaction tx(m_storage, DbFile::SaleData);
    if (!tx.isActive())
        return fail(tx.errorString());
    for (qint64 id : ids) {
        for (const auto& [table, column] : {std::pair{kTable, QStringLiteral("ID")},
                                            std::pair{QStringLiteral("FamilyForm"), QStringLiteral("U_ID")}}) {
            Recordset rs(m_storage, DbFile::SaleData);
            if (!rs.open(table, column, id))
                return fail(rs.errorString());
            for (rs.moveFirst(); !rs.eof(); rs.moveNext())
                if (!rs.deleteCurrent())
                    return fail(rs.errorString());
        }
    }
    if (!tx.commit())
        return fail(tx.errorString());
    return true;
}

bool CustomerStore::folderSlots(qint64 id, FolderSlots::Slots* out)
{
    Recordset rs(m_storage, DbFile::SaleData);
    if (!rs.open(kTable, QStringLiteral("ID"), id))
        return fail(rs.errorString());
    if (rs.eof())
        return fail(QStringLiteral("顧客が見つかりません。他のコンピュータで削除された可能性があります。"));
    for (int i = 0; i < Customer::kSlots; ++i)
        (*out)[i] = rs.integer(kSlotColumns[i], Customer::kNoFolder);
    return true;
}

bool CustomerStore::dropOnFolder(const QVector<qint64>& ids, qint64 currentFolder, qint64 target, bool copy,
                                 int* refused)
{
    if (refused)
        *refused = 0;
    for (qint64 id : ids) {
        Recordset rs(m_storage, DbFile::SaleData);
        if (!rs.open(kTable, QStringLiteral("ID"), id))
            return fail(rs.errorString());
        if (rs.eof())
            continue;  // deleted meanwhile on another computer
        FolderSlots::Slots held;
        for (int i = 0; i < Customer::kSlots; ++i)
            held[i] = rs.integer(kSlotColumns[i], Customer::kNoFolder);
        if (copy) {
            if (!FolderSlots::copy(&held, target)) {
                if (refused)
                    ++*refused;
                continue;
            }
        } else {
            held = FolderSlots::move(held, currentFolder, target);
        }
        for (int i = 0; i < Customer::kSlots; ++i)
            rs.setValue(kSlotColumns[i], held[i]);
        if (!rs.update())
            return fail(rs.errorString());
    }
    return true;
}

bool CustomerStore::findByPhonePrefix(const QString& text, CustomerHit* out, bool* found)
{
    *found = false;
    const QString digits = common::DigitsOnly(text);
    if (digits.isEmpty())
        return true;
    QSqlDatabase d = m_storage.connection(DbFile::SaleData, &m_error);
    if (!d.isValid())
        return false;
    // Only the numbers are scanned; the one customer found is read whole.
    QSqlQuery query(d);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY \"ID\"").arg(columnList({"ID", "Tel1"}), Storage::quote(kTable))))
        return fail(m_storage.describeError(DbFile::SaleData, query.lastError()));
    qint64 id = 0;
    while (query.next()) {
        if (digitsBeginWith(query.value(1).toString(), digits)) {
            id = query.value(0).toLongLong();
            break;
        }
    }
    query.finish();
    if (id == 0)
        return true;
    Customer c;
    if (!read(id, &c, found))
        return false;
    if (!*found)
        return true;
    out->id = id;
    out->firstFolder = c.firstFolder();
    out->name = listName(c.name, c.name1, c.name2);
    out->email = c.entry.email;
    out->telephone = c.entry.telephone;
    out->prefecture = listPrefecture(c.entry.prefecture, c.prefecture2);
    return true;
}

QString CustomerStore::searchFilter(const QString& name, const QString& mail, const QString& tel, QVariantList* values) const
{
    const bool postgres = m_storage.isPostgres();
    // Both compare exactly, as QString::contains does.
    const QString holds = postgres ? QStringLiteral("strpos(%1, ?) > 0") : QStringLiteral("instr(%1, ?) > 0");
    QStringList where;
    if (!name.isEmpty()) {
        where << holds.arg(q("Name"));
        *values << name;
    }
    if (!mail.isEmpty()) {
        where << holds.arg(q("EMAIL1"));
        *values << mail;
    }
    // A telephone text without digits asks for nothing, as an empty one.
    const QString telDigits = common::DigitsOnly(tel);
    if (!telDigits.isEmpty()) {
        const QString digits = postgres ? QStringLiteral("regexp_replace(%1, '[^0-9]', '', 'g')") : QStringLiteral("digits_of(%1)");
        where << holds.arg(digits.arg(q("Tel1")));
        *values << telDigits;
    }
    return where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where.join(QLatin1String(" AND "));
}

bool CustomerStore::readHits(const QString& sql, const QVariantList& values, QVector<CustomerHit>* out)
{
    QSqlDatabase d = m_storage.connection(DbFile::SaleData, &m_error);
    if (!d.isValid())
        return false;
    // The engine works out what the list shows, so that only six values
    // of each customer travel.
    const QString firstFolder = QStringLiteral("COALESCE(NULLIF(%1, %6), NULLIF(%2, %6), NULLIF(%3, %6), NULLIF(%4, %6), NULLIF(%5, %6))")
                                    .arg(q("U_No"), q("FLD2"), q("FLD3"), q("FLD4"), q("FLD5"))
                                    .arg(Customer::kNoFolder);
    const QString listedName = QStringLiteral("CASE WHEN COALESCE(%1, '') = '' THEN COALESCE(%2, '') || COALESCE(%3, '') ELSE %1 END")
                                   .arg(q("Name"), q("Name1"), q("Name2"));
    const QString prefecture = QStringLiteral("CASE WHEN COALESCE(%1, '') = '' THEN %2 ELSE %1 END").arg(q("ADR11"), q("ADR21"));
    const QString columns = QStringList{q("ID"), listedName, q("EMAIL1"), q("Tel1"), prefecture, firstFolder}.join(QLatin1String(", "));
    QSqlQuery query(d);
    if (!run(query, sql.arg(columns, Storage::quote(kTable)), values))
        return false;
    while (query.next()) {
        CustomerHit hit;
        hit.id = query.value(0).toLongLong();
        hit.name = textAt(query, 1);
        hit.email = textAt(query, 2);
        hit.telephone = textAt(query, 3);
        hit.prefecture = textAt(query, 4);
        const QVariant folder = query.value(5);
        if (!folder.isNull())
            hit.firstFolder = folder.toLongLong();
        out->append(hit);
    }
    return true;
}

bool CustomerStore::search(const QString& name, const QString& mail, const QString& tel, QVector<CustomerHit>* out)
{
    out->clear();
    QVariantList values;
    const QString where = searchFilter(name, mail, tel, &values);
    return readHits(QStringLiteral("SELECT %1 FROM %2") + where + QStringLiteral(" ORDER BY \"ID\""), values, out);
}

bool CustomerStore::searchIds(const QString& name, const QString& mail, const QString& tel, QVector<qint64>* out)
{
    out->clear();
    QSqlDatabase d = m_storage.connection(DbFile::SaleData, &m_error);
    if (!d.isValid())
        return false;
    QVariantList values;
    QSqlQuery query(d);
    // No ORDER BY: SQLite then reads the IDs from the narrowest index that
    // holds the columns asked about instead of every customer's whole row.
    const QString where = searchFilter(name, mail, tel, &values);
    if (!run(query, QStringLiteral("SELECT %1 FROM %2%3").arg(q("ID"), Storage::quote(kTable), where), values))
        return false;
    while (query.next())
        out->append(query.value(0).toLongLong());
    std::sort(out->begin(), out->end());
    return true;
}

bool CustomerStore::hitsOf(const QVector<qint64>& ids, QVector<CustomerHit>* out)
{
    out->clear();
    if (ids.isEmpty())
        return true;
    QVector<CustomerHit> read;
    read.reserve(ids.size());
    // A few hundred IDs a statement keeps well inside both engines' limits
    // of bound values.
    constexpr qsizetype kChunk = 500;
    for (qsizetype from = 0; from < ids.size(); from += kChunk) {
        const qsizetype n = std::min(kChunk, ids.size() - from);
        QVariantList values;
        values.reserve(n);
        for (qsizetype i = from; i < from + n; ++i)
            values << ids.at(i);
        QStringList marks(n, QStringLiteral("?"));
        if (!readHits(QStringLiteral("SELECT %1 FROM %2 WHERE \"ID\" IN (") + marks.join(QLatin1Char(',')) + QLatin1Char(')'), values,
                      &read))
            return false;
    }
    QHash<qint64, qsizetype> at;
    at.reserve(read.size());
    for (qsizetype i = 0; i < read.size(); ++i)
        at.insert(read.at(i).id, i);
    out->reserve(ids.size());
    for (qint64 id : ids) {
        const auto it = at.constFind(id);
        out->append(it == at.constEnd() ? CustomerHit{} : read.at(*it));
    }
    return true;
}

QString CustomerStore::dataSheet(const CustomerEntry& e)
{
    const QString indent(15, QLatin1Char(' '));
    QString sex;
    switch (e.sex) {
    case CustomerEntry::Female:
        sex = QStringLiteral("女性");
        break;
    case CustomerEntry::Male:
        sex = QStringLiteral("男性");
        break;
    default:
        sex = QStringLiteral("指定なし");
        break;
    }
    QStringList lines(5);
    auto item = [&](const QString& caption, const QString& value) { lines << indent + caption + value; };
    item(QStringLiteral("顧客名 　： "), e.surname + e.givenName);
    item(QStringLiteral("ふりがな ： "), e.surnameReading + e.givenReading);
    lines << QString();
    item(QStringLiteral("性別　　 ： "), sex);
    item(QStringLiteral("生年月日 ： "), e.birthday);
    lines << QString();
    item(QStringLiteral("会社名　 ： "), e.company);
    item(QStringLiteral("部署　　 ： "), e.department);
    item(QStringLiteral("郵便番号 ： "), e.postalCode);
    item(QStringLiteral("住所　　 ： "), e.prefecture);
    item(QStringLiteral("　　　　　  "), e.address2);
    item(QStringLiteral("　　　　　  "), e.address3);
    item(QStringLiteral("電話番号 ： "), e.telephone);
    item(QStringLiteral("FAX番号  ： "), e.fax);
    item(QStringLiteral("携帯電話 ： "), e.mobile);
    item(QStringLiteral("E_Mail   ： "), e.email);
    item(QStringLiteral("URL      ： "), e.url);
    lines << QString() << QString();
    return lines.join(QLatin1String("\r\n")) + QLatin1String("\r\n");
}
