#include "ScheduleStore.h"

#include "Recordset.h"
#include "Schema.h"
#include "Storage.h"

namespace ScheduleStore {

const QStringList& columns()
{
    static const QStringList cols = [] {
        QStringList c;
        for (const ColumnDef& d : DatabaseSchema::builtIn(DbFile::Kakunin).table(QStringLiteral("SCHEDULE"))->columns)
            if (d.name != QLatin1String("B_ID"))
                c << d.name;
        return c;
    }();
    return cols;
}

bool load(Storage& storage, qint64 bid, QVector<RowValues>* entries, QString* error)
{
    Recordset rs(storage, DbFile::Kakunin);
    if (!rs.open(QStringLiteral("SCHEDULE"), QStringLiteral("B_ID"), bid)) {
        if (error)
            *error = rs.errorString();
        return false;
    }
    entries->clear();
    for (; !rs.eof(); rs.moveNext()) {
        RowValues e;
        e.insert(QStringLiteral("ID"), rs.id());
        for (const QString& c : columns())
            e.insert(c, rs.value(c));
        entries->append(e);
    }
    return true;
}

bool addEntry(Storage& storage, qint64 bid, const QDate& today, QString* error)
{
    Recordset rs(storage, DbFile::Kakunin);
    if (!rs.open(QStringLiteral("SCHEDULE"), QStringLiteral("B_ID"), bid) || rs.addNew() <= 0) {
        if (error)
            *error = rs.errorString();
        return false;
    }
    rs.setValue(QStringLiteral("B_ID"), bid);
    rs.setValue(QStringLiteral("SCJ_YEAR"), today.year());
    rs.setValue(QStringLiteral("SCJ_MONTH"), today.month());
    rs.setValue(QStringLiteral("SCJ_DAY"), today.day());
    rs.setValue(QStringLiteral("SCJ_TITLE"), QStringLiteral("<新規>"));
    if (!rs.update()) {
        if (error)
            *error = rs.errorString();
        return false;
    }
    return true;
}

bool save(Storage& storage, qint64 bid, const QVector<RowValues>& entries, QString* error)
{
    Transaction tx(storage, DbFile::Kakunin);
    Recordset rs(storage, DbFile::Kakunin);
    auto fail = [&](const QString& message) {
        if (error)
            *error = message;
        return false;
    };
    if (!tx.isActive())
        return fail(tx.errorString());
    if (!rs.open(QStringLiteral("SCHEDULE"), QStringLiteral("B_ID"), bid))
        return fail(rs.errorString());
    auto write = [&](const RowValues& e) {
        for (const QString& c : columns())
            if (!rs.setValue(c, e.value(c)))
                return false;
        return rs.update();
    };
    int i = 0;
    for (rs.moveFirst(); !rs.eof() && i < entries.size(); rs.moveNext(), ++i)
        if (!write(entries[i]))
            return fail(rs.errorString());
    while (!rs.eof()) {  // rows left over after the last entry
        if (!rs.deleteCurrent())
            return fail(rs.errorString());
        rs.moveNext();
    }
    for (; i < entries.size(); ++i) {
        if (rs.addNew() <= 0 || !rs.setValue(QStringLiteral("B_ID"), bid) || !write(entries[i]))
            return fail(rs.errorString());
    }
    if (!tx.commit())
        return fail(tx.errorString());
    return true;
}

QString listText(const RowValues& e)
{
    auto t = [&](const char* c) {
        const QVariant v = e.value(QString::fromLatin1(c));
        return v.isNull() ? QString() : v.toString();
    };
    return t("SCJ_YEAR") + QLatin1Char('/') + t("SCJ_MONTH") + QLatin1Char('/') + t("SCJ_DAY") + QLatin1Char(' ')
           + t("SCJ_HOUR") + QLatin1Char(':') + t("SCJ_MINUT");
}

}  // namespace ScheduleStore
