#include "MailDataStore.h"

#include "RowFields.h"
#include "Storage.h"

namespace {

const QString kTable = QStringLiteral("MailData");

const RowField<StoredMail> kColumns[] = {
    {"header", &StoredMail::header}, {"subject_dt", &StoredMail::subject}, {"dateStr", &StoredMail::date},
    {"from_dt", &StoredMail::from},  {"to_dt", &StoredMail::to},           {"cc_dt", &StoredMail::cc},
    {"bcc_dt", &StoredMail::bcc},    {"body", &StoredMail::body},          {"Folder", &StoredMail::folder},
};

StoredMail mailOf(const Recordset& rs)
{
    StoredMail m;
    m.id = rs.id();
    readRow(rs, &m, kColumns);
    m.attachFlag = static_cast<int>(rs.integer(QStringLiteral("Attach_flg")));
    m.attachments = rs.text(QStringLiteral("dmy_str01")).split(QLatin1Char('\t'), Qt::SkipEmptyParts);
    return m;
}

}  // namespace

MailDataStore::MailDataStore(Storage& storage)
    : m_storage(storage)
{
}

bool MailDataStore::fail(const QString& message)
{
    m_error = message;
    return false;
}

qint64 MailDataStore::store(const StoredMail& m)
{
    Recordset rs(m_storage, DbFile::MailData);
    const qint64 id = rs.openNew(kTable);
    const QVector<QPair<const char*, QVariant>> values{
        {"D_ID", id},
        {"Attach_name", QString()},
        {"ReadFlg", 0},
        {"Attach_flg", m.attachments.isEmpty() ? 0 : 1},
        {"dmy_str01", m.attachments.join(QLatin1Char('\t'))},
    };
    bool assigned = id > 0 && assignRow(rs, m, kColumns);
    for (const auto& [column, value] : values)
        assigned = assigned && rs.setValue(QString::fromLatin1(column), value);
    if (!assigned || !rs.update()) {
        fail(rs.errorString());
        return 0;
    }
    return id;
}

bool MailDataStore::read(qint64 id, StoredMail* out, bool* found)
{
    *found = false;
    Recordset rs(m_storage, DbFile::MailData);
    if (!rs.open(kTable, QStringLiteral("ID"), id))
        return fail(rs.errorString());
    if (rs.eof())
        return true;
    *found = true;
    *out = mailOf(rs);
    return true;
}

bool MailDataStore::list(int folder, QVector<StoredMail>* out)
{
    out->clear();
    Recordset rs(m_storage, DbFile::MailData);
    if (!rs.open(kTable, QStringLiteral("Folder"), folder))
        return fail(rs.errorString());
    for (; !rs.eof(); rs.moveNext())
        out->append(mailOf(rs));
    return true;
}
