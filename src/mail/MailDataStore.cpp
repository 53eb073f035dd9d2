#include "MailDataStore.h"

#include "Recordset.h"
#include "Storage.h"

namespace {

const QString kTable = QStringLiteral("MailData");

StoredMail mailOf(const Recordset& rs)
{
    StoredMail m;
    m.id = rs.id();
    m.header = rs.text(QStringLiteral("header"));
    m.subject = rs.text(QStringLiteral("subject_dt"));
    m.date = rs.text(QStringLiteral("dateStr"));
    m.from = rs.text(QStringLiteral("from_dt"));
    m.to = rs.text(QStringLiteral("to_dt"));
    m.cc = rs.text(QStringLiteral("cc_dt"));
    m.bcc = rs.text(QStringLiteral("bcc_dt"));
    m.body = rs.text(QStringLiteral("body"));
    m.folder = static_cast<int>(rs.integer(QStringLiteral("Folder")));
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
    if (!rs.open(kTable, QStringLiteral("ID"), 0)) {
        fail(rs.errorString());
        return 0;
    }
    const qint64 id = rs.addNew();
    if (id <= 0) {
        fail(rs.errorString());
        return 0;
    }
    const QVector<QPair<const char*, QVariant>> values{
        {"D_ID", id},
        {"header", m.header},
        {"subject_dt", m.subject},
        {"dateStr", m.date},
        {"from_dt", m.from},
        {"to_dt", m.to},
        {"cc_dt", m.cc},
        {"bcc_dt", m.bcc},
        {"body", m.body},
        {"Folder", m.folder},
        {"Attach_name", QString()},
        {"ReadFlg", 0},
        {"Attach_flg", m.attachments.isEmpty() ? 0 : 1},
        {"dmy_str01", m.attachments.join(QLatin1Char('\t'))},
    };
    for (const auto& [column, value] : values)
        rs.setValue(QString::fromLatin1(column), value);
    if (!rs.update()) {
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
