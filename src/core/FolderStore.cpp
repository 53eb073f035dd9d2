#include "FolderStore.h"

#include "Recordset.h"
#include "Storage.h"

#include <algorithm>

namespace {
bool failWith(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return false;
}
}  // namespace

FolderStore::FolderStore(Storage& storage, Kind kind)
    : m_storage(storage)
    , m_kind(kind)
{
}

QString FolderStore::table() const
{
    return m_kind == Kind::Projects ? QStringLiteral("KentikuNusiFlder") : QStringLiteral("UserFolder");
}

bool FolderStore::list(QVector<FolderItem>* out, QString* error) const
{
    Recordset rs(m_storage, DbFile::SaleData);
    if (!rs.open(table()))
        return failWith(error, rs.errorString());
    out->clear();
    for (; !rs.eof(); rs.moveNext())
        out->append({rs.id(), rs.integer(QStringLiteral("F_ID")), rs.text(QStringLiteral("Folder"))});
    return true;
}

bool FolderStore::listByKey(QVector<FolderItem>* out, QString* error) const
{
    if (!list(out, error))
        return false;
    std::stable_sort(out->begin(), out->end(), [](const FolderItem& a, const FolderItem& b) { return a.fid < b.fid; });
    return true;
}

bool FolderStore::add(qint64* newId, QString* error)
{
    QVector<FolderItem> all;
    if (!listByKey(&all, error))
        return false;
    const qint64 key = all.isEmpty() ? 1 : all.last().fid + 1;
    Recordset rs(m_storage, DbFile::SaleData);
    if (!rs.open(table(), QStringLiteral("ID"), 0))
        return failWith(error, rs.errorString());
    const qint64 id = rs.addNew();
    if (id <= 0 || !rs.setValue(QStringLiteral("F_ID"), key) || !rs.setValue(QStringLiteral("Folder"), QStringLiteral("<新規>"))
        || !rs.update())
        return failWith(error, rs.errorString());
    if (newId)
        *newId = id;
    return true;
}

bool FolderStore::rename(qint64 id, const QString& name, QString* error)
{
    QVector<FolderItem> all;
    if (!list(&all, error))
        return false;
    for (const FolderItem& f : all)
        if (f.name == name)
            return failWith(error, kDuplicateMessage);
    Recordset rs(m_storage, DbFile::SaleData);
    if (!rs.open(table(), QStringLiteral("ID"), id))
        return failWith(error, rs.errorString());
    if (rs.eof())
        return failWith(error, QStringLiteral("フォルダが見つかりません。他のコンピュータで削除された可能性があります。"));
    rs.setValue(QStringLiteral("Folder"), name);
    if (!rs.update())
        return failWith(error, rs.errorString());
    return true;
}

bool FolderStore::remove(qint64 id, QString* error)
{
    Recordset rs(m_storage, DbFile::SaleData);
    if (!rs.open(table(), QStringLiteral("ID"), id))
        return failWith(error, rs.errorString());
    if (!rs.eof() && !rs.deleteCurrent())
        return failWith(error, rs.errorString());
    return true;
}
