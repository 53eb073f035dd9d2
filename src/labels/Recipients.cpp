#include "Recipients.h"

#include "FolderStore.h"
#include "Recordset.h"
#include "Storage.h"

#include <QSet>

#include <algorithm>

namespace {

QString col(const char* name) { return QString::fromLatin1(name); }

const char* const kFolderColumns[] = {"U_No", "FLD2", "FLD3", "FLD4", "FLD5"};

}  // namespace

QString Recipient::sourceName() const
{
    switch (source) {
    case Source::Customer: return QStringLiteral("顧客");
    case Source::Architect: return QStringLiteral("業者");
    case Source::Company: return QStringLiteral("取引先");
    }
    return {};
}

QString Recipient::listName() const
{
    if (name2.isEmpty())
        return name1;
    if (name1.isEmpty())
        return name2;
    return name1 + QLatin1Char(' ') + name2;
}

bool Recipient::isAddressable() const
{
    return !name1.trimmed().isEmpty() && !address2.trimmed().isEmpty();
}

// ---------------------------------------------------------------- store

RecipientStore::RecipientStore(Storage& storage)
    : m_storage(storage)
{
}

bool RecipientStore::fail(const QString& message)
{
    m_error = message;
    return false;
}

bool RecipientStore::sources(QVector<RecipientSource>* out)
{
    out->clear();
    out->append({RecipientSource::Kind::AllCustomers, 0, QStringLiteral("全表示")});
    QVector<FolderItem> folders;
    if (!FolderStore(m_storage, FolderStore::Kind::Customers).list(&folders, &m_error))
        return false;
    for (const FolderItem& f : folders)
        out->append({RecipientSource::Kind::Folder, f.id, f.name});
    out->append({RecipientSource::Kind::Architects, 0, QStringLiteral("業者")});
    out->append({RecipientSource::Kind::Companies, 0, QStringLiteral("取引先")});
    return true;
}

// The architects' offices and the related companies keep the same facts
// of an addressee under their own column names.
struct RecipientStore::MasterColumns {
    const char* table;
    Recipient::Source source;
    const char* post;
    const char* address[3];
    const char* name;
    const char* email;
};

bool RecipientStore::candidates(const RecipientSource& source, QVector<Recipient>* out)
{
    out->clear();
    switch (source.kind) {
    case RecipientSource::Kind::AllCustomers:
        return customers(QString(), 0, out);
    case RecipientSource::Kind::Folder:
        for (const char* c : kFolderColumns)
            if (!customers(col(c), source.folderId, out))
                return false;
        return true;
    case RecipientSource::Kind::Architects:
        return masters({"Architect", Recipient::Source::Architect, "C_POST1", {"C_ADDR1", "C_ADDR2", "C_ADDR3"}, "C_NAME",
                        "C_E_MAIL"},
                       out);
    case RecipientSource::Kind::Companies:
        return masters({"ConnectCorp", Recipient::Source::Company, "POST", {"Addr1", "Addr2", "Addr3"}, "Name", "E_MAIL"},
                       out);
    }
    return true;
}

bool RecipientStore::customers(const QString& folderColumn, qint64 folderId, QVector<Recipient>* out)
{
    Recordset rs(m_storage, DbFile::SaleData);
    rs.selectColumns({col("Post1"), col("ADR11"), col("ADR12"), col("ADR13"), col("Corp1"), col("Name"),
                      col("Name1"), col("Name2"), col("EMAIL1")});
    const bool opened = folderColumn.isEmpty() ? rs.open(QStringLiteral("UserMaster"))
                                               : rs.open(QStringLiteral("UserMaster"), folderColumn, folderId);
    if (!opened)
        return fail(rs.errorString());
    out->reserve(out->size() + rs.recordCount());
    for (; !rs.eof(); rs.moveNext()) {
        Recipient r;
        r.key = rs.id();
        r.folder = folderId;
        r.source = Recipient::Source::Customer;
        r.postalCode = rs.text(col("Post1"));
        r.address1 = rs.text(col("ADR11"));
        r.address2 = rs.text(col("ADR12"));
        r.address3 = rs.text(col("ADR13"));
        r.company = rs.text(col("Corp1"));
        r.name1 = rs.text(col("Name1"));
        if (r.name1.isEmpty())
            r.name1 = rs.text(col("Name"));
        r.name2 = rs.text(col("Name2"));
        r.email = rs.text(col("EMAIL1"));
        out->append(std::move(r));
    }
    return true;
}

bool RecipientStore::masters(const MasterColumns& t, QVector<Recipient>* out)
{
    Recordset rs(m_storage, DbFile::MasterData);
    rs.selectColumns({col(t.post), col(t.address[0]), col(t.address[1]), col(t.address[2]), col(t.name), col(t.email)});
    if (!rs.open(col(t.table)))
        return fail(rs.errorString());
    for (; !rs.eof(); rs.moveNext()) {
        Recipient r;
        r.key = rs.id();
        r.source = t.source;
        r.postalCode = rs.text(col(t.post));
        r.address1 = rs.text(col(t.address[0]));
        r.address2 = rs.text(col(t.address[1]));
        r.address3 = rs.text(col(t.address[2]));
        r.name1 = rs.text(col(t.name));
        r.email = rs.text(col(t.email));
        out->append(std::move(r));
    }
    return true;
}

// ---------------------------------------------------------------- selection

namespace RecipientSelection {

AddResult add(QVector<Recipient>& selection, const QVector<Recipient>& candidates)
{
    AddResult result;
    QSet<QPair<int, qint64>> keys;
    const auto keyOf = [](const Recipient& r) { return qMakePair(static_cast<int>(r.source), r.key); };
    for (const Recipient& r : selection)
        keys.insert(keyOf(r));
    for (const Recipient& c : candidates) {
        if (!c.isAddressable()) {
            ++result.withoutNameOrAddress;
            continue;
        }
        if (keys.contains(keyOf(c))) {
            ++result.alreadySelected;
            continue;
        }
        keys.insert(keyOf(c));
        selection.append(c);
        ++result.added;
    }
    return result;
}

void remove(QVector<Recipient>& selection, QVector<int> positions)
{
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    for (auto it = positions.crbegin(); it != positions.crend(); ++it)
        if (*it >= 0 && *it < selection.size())
            selection.remove(*it);
}

QString describe(const AddResult& r)
{
    QString text = QStringLiteral("%1件を追加しました。").arg(r.added);
    if (r.withoutNameOrAddress > 0)
        text += QStringLiteral("　名前か住所2のない%1件は追加しません。").arg(r.withoutNameOrAddress);
    if (r.alreadySelected > 0)
        text += QStringLiteral("　選択済みの%1件は重ねて追加しません。").arg(r.alreadySelected);
    return text;
}

}  // namespace RecipientSelection
