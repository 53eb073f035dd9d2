#include "SignatureStore.h"

#include "MasterTable.h"

namespace {

const QString kTable = QStringLiteral("SignMaster");

Signature signatureOf(const MasterRow& row)
{
    return {row.id, row.text(QStringLiteral("Name")), row.text(QStringLiteral("body"))};
}

}  // namespace

SignatureStore::SignatureStore(Storage& storage)
    : m_storage(storage)
{
}

bool SignatureStore::list(QVector<Signature>* out)
{
    out->clear();
    MasterTable table(m_storage, DbFile::MasterData, kTable);
    QVector<MasterRow> rows;
    if (!table.list({}, &rows)) {
        m_error = table.errorString();
        return false;
    }
    for (const MasterRow& r : rows)
        out->append(signatureOf(r));
    return true;
}

bool SignatureStore::read(qint64 id, Signature* out, bool* found)
{
    MasterTable table(m_storage, DbFile::MasterData, kTable);
    MasterRow row;
    if (!table.read(id, &row, found)) {
        m_error = table.errorString();
        return false;
    }
    if (*found)
        *out = signatureOf(row);
    return true;
}

qint64 SignatureStore::create()
{
    MasterTable table(m_storage, DbFile::MasterData, kTable);
    const qint64 id = table.create({{QStringLiteral("Name"), Signature::kNewName}, {QStringLiteral("body"), QString()}});
    if (id <= 0)
        m_error = table.errorString();
    return id;
}

bool SignatureStore::write(qint64 id, const QString& name, const QString& body, bool* found)
{
    MasterTable table(m_storage, DbFile::MasterData, kTable);
    if (!table.write(id, {{QStringLiteral("Name"), name}, {QStringLiteral("body"), body}}, found)) {
        m_error = table.errorString();
        return false;
    }
    return true;
}

bool SignatureStore::remove(qint64 id)
{
    MasterTable table(m_storage, DbFile::MasterData, kTable);
    if (!table.remove(id)) {
        m_error = table.errorString();
        return false;
    }
    return true;
}
