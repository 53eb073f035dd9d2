#include "AddressBook.h"

#include "CustomerStore.h"
#include "FolderStore.h"
#include "MasterTable.h"

#include <QHash>

AddressBook::AddressBook(Storage& storage)
    : m_storage(storage)
{
}

bool AddressBook::fail(const QString& message)
{
    m_error = message;
    return false;
}

bool AddressBook::sources(QVector<AddressSource>* out)
{
    out->clear();
    out->append({AddressSource::Kind::AllCustomers, 0, kAll});
    QVector<FolderItem> folders;
    QString error;
    if (!FolderStore(m_storage, FolderStore::Kind::Customers).list(&folders, &error))
        return fail(error);
    for (const FolderItem& f : folders)
        out->append({AddressSource::Kind::CustomerFolder, f.id, f.name});
    out->append({AddressSource::Kind::Architects, 0, kArchitects});
    out->append({AddressSource::Kind::Companies, 0, kCompanies});
    return true;
}

bool AddressBook::search(const QString& name, const QString& mail, const QString& tel,
                         QVector<AddressCandidate>* out)
{
    out->clear();
    CustomerStore customers(m_storage);
    QVector<CustomerHit> hits;
    if (!customers.search(name, mail, tel, &hits))
        return fail(customers.errorString());
    for (const CustomerHit& h : hits)
        out->append({h.name, h.email, h.telephone, h.prefecture});
    return true;
}

bool AddressBook::candidates(const AddressSource& source, QVector<AddressCandidate>* out)
{
    out->clear();
    switch (source.kind) {
    case AddressSource::Kind::AllCustomers:
        return search({}, {}, {}, out);
    case AddressSource::Kind::CustomerFolder: {
        CustomerStore customers(m_storage);
        QVector<CustomerListItem> items;
        QVector<CustomerHit> all;
        if (!customers.listFolder(source.folderId, &items) || !customers.search({}, {}, {}, &all))
            return fail(customers.errorString());
        // The folder listing has no telephone; the full listing does.
        QHash<qint64, QString> telephones;
        for (const CustomerHit& h : all)
            telephones.insert(h.id, h.telephone);
        for (const CustomerListItem& i : items)
            out->append({i.name, i.email, telephones.value(i.id), i.prefecture});
        return true;
    }
    case AddressSource::Kind::Architects:
    case AddressSource::Kind::Companies: {
        const bool offices = source.kind == AddressSource::Kind::Architects;
        MasterTable table(m_storage, DbFile::MasterData,
                          offices ? QStringLiteral("Architect") : QStringLiteral("ConnectCorp"));
        QVector<MasterRow> rows;
        if (!table.list({}, &rows))
            return fail(table.errorString());
        for (const MasterRow& r : rows) {
            if (offices)
                out->append({r.text(QStringLiteral("C_NAME")), r.text(QStringLiteral("C_E_MAIL")),
                             r.text(QStringLiteral("C_TEL")), r.text(QStringLiteral("C_ADDR1"))});
            else
                out->append({r.text(QStringLiteral("Name")), r.text(QStringLiteral("E_MAIL")),
                             r.text(QStringLiteral("Tel")), r.text(QStringLiteral("Addr1"))});
        }
        return true;
    }
    }
    return true;
}
