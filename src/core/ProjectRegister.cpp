#include "ProjectRegister.h"

#include "AppDir.h"
#include "Prompter.h"
#include "Recordset.h"
#include "Storage.h"
#include "SubmissionHistory.h"
#include "common.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSqlQuery>

#include <functional>

namespace {

const QStringList kFolderColumns{QStringLiteral("FLD"), QStringLiteral("FLD2"), QStringLiteral("FLD3"),
                                 QStringLiteral("FLD4"), QStringLiteral("FLD5")};

bool failWith(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return false;
}

// Adds one row with B_ID and the given values.
bool addRow(Recordset& rs, qint64 bid, const QVector<QPair<QString, QVariant>>& values = {})
{
    if (rs.addNew() <= 0 || !rs.setValue(QStringLiteral("B_ID"), bid))
        return false;
    for (const auto& v : values)
        if (!rs.setValue(v.first, v.second))
            return false;
    return rs.update();
}

// Ends a change: the rows let go, then the transaction committed.
bool finish(Transaction& tx, Recordset& rs, QString* error)
{
    rs.close();
    return tx.commit() || failWith(error, tx.errorString());
}

// Changes the folder slots of each project's GAIYOU row in one transaction;
// change says whether it assigned anything to write.
bool editFolderSlots(Storage& storage, const QVector<qint64>& bids, const std::function<bool(Recordset&)>& change,
                     QString* error)
{
    Transaction tx(storage, DbFile::Kakunin);
    if (!tx.isActive())
        return failWith(error, tx.errorString());
    Recordset rs(storage, DbFile::Kakunin);
    for (qint64 bid : bids) {
        if (!rs.open(QStringLiteral("GAIYOU"), QStringLiteral("B_ID"), bid))
            return failWith(error, rs.errorString());
        if (rs.eof() || !change(rs))
            continue;
        if (!rs.update())
            return failWith(error, rs.errorString());
    }
    return finish(tx, rs, error);
}

}  // namespace

ProjectRegister::ProjectRegister(Storage& storage)
    : m_storage(storage)
{
}

QString ProjectRegister::photoFolderName(const QDateTime& when)
{
    const QDate d = when.date();
    const QTime t = when.time();
    return QStringLiteral("PHOTOFLD%1%2%3%4%5%6")
        .arg(d.year())
        .arg(d.month())
        .arg(d.day())
        .arg(t.hour())
        .arg(t.minute(), 2, 10, QLatin1Char('0'))
        .arg(t.second(), 2, 10, QLatin1Char('0'));
}

bool ProjectRegister::projectsInFolder(qint64 folderId, QVector<ProjectItem>* out, QString* error) const
{
    out->clear();
    // Each slot is an indexed equality look-up; a project sits in a folder
    // through at most one of its slots.
    QVector<ProjectItem> found;
    for (const QString& col : kFolderColumns) {
        Recordset rs(m_storage, DbFile::Kakunin);
        rs.selectColumns({QStringLiteral("B_ID"), QStringLiteral("Kouji"), QStringLiteral("Buken")});
        if (!rs.open(QStringLiteral("GAIYOU"), col, folderId))
            return failWith(error, rs.errorString());
        for (; !rs.eof(); rs.moveNext())
            found.append({rs.id(), rs.integer(QStringLiteral("B_ID")), rs.text(QStringLiteral("Kouji")),
                          rs.text(QStringLiteral("Buken"))});
    }
    std::sort(found.begin(), found.end(), [](const ProjectItem& a, const ProjectItem& b) { return a.id < b.id; });
    for (const ProjectItem& p : found)
        if (out->isEmpty() || out->last().id != p.id)
            out->append(p);
    return true;
}

bool ProjectRegister::createProject(qint64 folderId, qint64* newBid, QString* error, const QDateTime& now)
{
    // Two projects made within one second would share a folder name.
    const QString base = photoFolderName(now);
    QString photo = base;
    for (int n = 2; QFileInfo::exists(AppDir::file(photo)); ++n)
        photo = base + QLatin1Char('_') + QString::number(n);
    QDir app(AppDir::path());
    if (!app.mkpath(photo))
        return failWith(error, QStringLiteral("写真フォルダ「%1」を作成できません。").arg(AppDir::file(photo)));

    auto undoFolder = [&] { app.rmdir(photo); };
    Transaction tx(m_storage, DbFile::Kakunin);
    if (!tx.isActive()) {
        undoFolder();
        return failWith(error, tx.errorString());
    }
    Recordset rs(m_storage, DbFile::Kakunin);
    qint64 bid = 0;
    bool ok = rs.open(QStringLiteral("GAIYOU"), QStringLiteral("ID"), 0);
    if (ok) {
        bid = rs.addNew();
        ok = bid > 0 && rs.setValue(QStringLiteral("B_ID"), bid) && rs.setValue(QStringLiteral("FLD"), folderId)
             && rs.setValue(QStringLiteral("Kouji"), kNewName) && rs.setValue(QStringLiteral("PHOTO_FLD"), photo)
             && rs.update();
    }
    auto single = [&](const char* table) {
        return ok && rs.open(QString::fromLatin1(table), QStringLiteral("ID"), 0) && addRow(rs, bid);
    };
    ok = single("BOUKA") && single("GYOUMU") && single("ININ");
    if (ok && rs.open(QStringLiteral("KAIBETU"), QStringLiteral("ID"), 0)) {
        for (int b = 1; ok && b <= ProjectTables::kBuildings; ++b)
            for (int f = 1; ok && f <= ProjectTables::kFloorSlots; ++f)
                ok = addRow(rs, bid,
                            {{QStringLiteral("T_KAI"), 6},
                             {QStringLiteral("B_SU"), 0},
                             {QStringLiteral("F_SU"), 6},
                             {QStringLiteral("SU_NO"), QString::number(b)},
                             {QStringLiteral("F1Ban60"), QString::number(f)},
                             {QStringLiteral("F1Kai60"), QString::number(f) + QLatin1Char('F')}});
    } else {
        ok = false;
    }
    ok = single("KANRYOU") && single("KOUJI") && single("SHIKICHI");
    if (ok && rs.open(QStringLiteral("TATEMONOBETU"), QStringLiteral("ID"), 0)) {
        for (int b = 0; ok && b < ProjectTables::kBuildings; ++b)
            ok = addRow(rs, bid);
    } else {
        ok = false;
    }
    ok = ok && rs.open(QStringLiteral("SCHEDULE"), QStringLiteral("ID"), 0)
         && addRow(rs, bid, {{QStringLiteral("SCJ_YEAR"), now.date().year()}, {QStringLiteral("SCJ_MONTH"), now.date().month()}});
    if (!ok) {
        const QString message = rs.errorString();
        rs.close();
        m_storage.rollback(DbFile::Kakunin);
        undoFolder();
        return failWith(error, message);
    }
    rs.close();
    if (!tx.commit()) {
        undoFolder();
        return failWith(error, tx.errorString());
    }
    if (newBid)
        *newBid = bid;
    return true;
}

bool ProjectRegister::deleteProjects(const QVector<qint64>& bids, QString* error, QStringList* keptHistory)
{
    QStringList photoFolders;
    QHash<qint64, QString> names;
    {
        Transaction tx(m_storage, DbFile::Kakunin);
        if (!tx.isActive())
            return failWith(error, tx.errorString());
        Recordset rs(m_storage, DbFile::Kakunin);
        for (qint64 bid : bids) {
            for (const QString& table : ProjectTables::all) {
                if (!rs.open(table, QStringLiteral("B_ID"), bid))
                    return failWith(error, rs.errorString());
                while (!rs.eof()) {
                    if (table == QLatin1String("GAIYOU") && !rs.text(QStringLiteral("PHOTO_FLD")).isEmpty())
                        photoFolders << rs.text(QStringLiteral("PHOTO_FLD"));
                    if (table == QLatin1String("GAIYOU"))
                        names.insert(bid, rs.text(QStringLiteral("Kouji")));
                    if (!rs.deleteCurrent())
                        return failWith(error, rs.errorString());
                    rs.moveNext();
                }
            }
            if (!SubmissionHistory::deleteRows(m_storage, bid, error))
                return false;
        }
        if (!finish(tx, rs, error))
            return false;
    }
    // The files of the submissions and documents received are the office's
    // records: they move aside under a name that says whose they were.
    for (qint64 bid : bids) {
        QString kept;
        if (!SubmissionHistory::setAsideFolder(m_storage.appDir(), bid, names.value(bid), &kept, error))
            return false;
        if (keptHistory && !kept.isEmpty())
            *keptHistory << kept;
    }
    {
        // The record book lives in another database; its lines are useless
        // without the project. The two databases cannot share a
        // transaction, so a deletion that was cut off between them (power
        // cut, killed program) left lines behind: they go now as well.
        QVector<qint64> gone = bids;
        orphanedRecordBooks(&gone);
        Transaction tx(m_storage, DbFile::AnotherOption);
        Recordset rs(m_storage, DbFile::AnotherOption);
        for (qint64 bid : gone) {
            if (!tx.isActive() || !rs.open(QStringLiteral("StrIntTable"), QStringLiteral("F_INT01"), bid))
                return failWith(error, tx.isActive() ? rs.errorString() : tx.errorString());
            while (!rs.eof()) {
                if (!rs.deleteCurrent())
                    return failWith(error, rs.errorString());
                rs.moveNext();
            }
        }
        if (!finish(tx, rs, error))
            return false;
    }
    // A folder that still holds photographs stays: they are the office's records.
    QDir app(AppDir::path());
    for (const QString& f : photoFolders)
        if (!f.contains(QLatin1Char('/')) && !f.contains(QLatin1String("..")))
            app.rmdir(f);
    return true;
}

void ProjectRegister::orphanedRecordBooks(QVector<qint64>* bids) const
{
    QString ignored;
    QSqlDatabase projects = m_storage.connection(DbFile::Kakunin, &ignored);
    QSqlDatabase books = m_storage.connection(DbFile::AnotherOption, &ignored);
    if (!projects.isValid() || !books.isValid())
        return;
    QSet<qint64> existing;
    QSqlQuery q(projects);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT %1 FROM %2").arg(Storage::quote(QStringLiteral("B_ID")), Storage::quote(QStringLiteral("GAIYOU")))))
        return;
    while (q.next())
        existing.insert(q.value(0).toLongLong());
    QSqlQuery b(books);
    b.setForwardOnly(true);
    if (!b.exec(QStringLiteral("SELECT DISTINCT %1 FROM %2")
                    .arg(Storage::quote(QStringLiteral("F_INT01")), Storage::quote(QStringLiteral("StrIntTable")))))
        return;
    while (b.next()) {
        if (b.value(0).isNull())
            continue;
        const qint64 bid = b.value(0).toLongLong();
        if (!existing.contains(bid) && !bids->contains(bid))
            bids->append(bid);
    }
}

bool ProjectRegister::folderSlots(qint64 bid, QVector<qint64>* folderIds, QString* error) const
{
    Recordset rs(m_storage, DbFile::Kakunin);
    if (!rs.open(QStringLiteral("GAIYOU"), QStringLiteral("B_ID"), bid))
        return failWith(error, rs.errorString());
    folderIds->clear();
    if (rs.eof())
        return true;
    for (const QString& c : kFolderColumns)
        folderIds->append(rs.integer(c, 0));
    return true;
}

bool ProjectRegister::moveProjects(const QVector<qint64>& bids, qint64 fromFolder, qint64 toFolder, QString* error)
{
    return editFolderSlots(
        m_storage, bids,
        [&](Recordset& rs) {
            int source = 0;
            for (int i = 0; i < kFolderColumns.size(); ++i)
                if (rs.integer(kFolderColumns[i], 0) == fromFolder && fromFolder != 0) {
                    source = i;
                    break;
                }
            rs.setValue(kFolderColumns[source], toFolder);
            // The project already in the target through another slot: keep one.
            for (int i = 0; i < kFolderColumns.size(); ++i)
                if (i != source && rs.integer(kFolderColumns[i], 0) == toFolder)
                    rs.setValue(kFolderColumns[i], QVariant());
            return true;
        },
        error);
}

bool ProjectRegister::copyProjects(const QVector<qint64>& bids, qint64 toFolder, QString* error)
{
    return editFolderSlots(
        m_storage, bids,
        [&](Recordset& rs) {
            int empty = -1;
            bool already = false;
            for (int i = 0; i < kFolderColumns.size(); ++i) {
                const qint64 f = rs.integer(kFolderColumns[i], 0);
                already = already || f == toFolder;
                if (f == 0 && empty < 0)
                    empty = i;
            }
            if (already)
                return false;
            if (empty < 0) {
                common::ConfirmBoxTitled(kFolderLimitMessage, QStringLiteral("確認"));
                return false;
            }
            rs.setValue(kFolderColumns[empty], toFolder);
            return true;
        },
        error);
}

bool ProjectRegister::saveHeader(const ProjectData& loaded, const RowValues& edited, int buildingCount,
                                 QStringList* keptFields, QString* error)
{
    if (keptFields)
        keptFields->clear();
    Transaction tx(m_storage, DbFile::Kakunin);
    if (!tx.isActive())
        return failWith(error, tx.errorString());
    Recordset rs(m_storage, DbFile::Kakunin);
    // The compare and the write must see the same stored row: another
    // computer's save of this header waits until ours is committed.
    rs.setLockRows(true);
    if (!rs.open(QStringLiteral("GAIYOU"), QStringLiteral("ID"), loaded.gaiyouId()))
        return failWith(error, rs.errorString());
    rs.setLockRows(false);
    if (!rs.eof()) {
        bool changed = false;
        for (const QString& f : ProjectHeader::fields) {
            if (!edited.contains(f))
                continue;
            const QString mine = edited.value(f).toString();
            const QString before = loaded.text(loaded.gaiyou, f);
            if (mine == before)
                continue;
            if (rs.text(f) == before) {
                rs.setValue(f, mine);
                changed = true;
                continue;
            }
            // Someone else saved this field after we loaded it: theirs stays.
            if (keptFields)
                keptFields->append(f);
            Prompter::current().show({PromptTitle::ConcurrentEdit,
                                      f == QLatin1String("Kouji") ? QStringLiteral("他の方が、編集中に名前を変更しています。")
                                                                  : QStringLiteral("他の方が、編集中にふりがなを変更しています。"),
                                      Prompter::Icon::Warning, Prompter::Ok, Prompter::Ok});
        }
        if (changed && !rs.update())
            return failWith(error, rs.errorString());
    }
    if (!rs.open(QStringLiteral("SHIKICHI"), QStringLiteral("B_ID"), loaded.bid))
        return failWith(error, rs.errorString());
    if (!rs.eof() && rs.text(QStringLiteral("Tou1")) != QString::number(buildingCount)) {
        rs.setValue(QStringLiteral("Tou1"), QString::number(buildingCount));
        if (!rs.update())
            return failWith(error, rs.errorString());
    }
    return finish(tx, rs, error);
}

bool ProjectRegister::findByPhone(const QString& phone, ProjectItem* found, qint64* folderId, QString* error) const
{
    const QString digits = common::DigitsOnly(phone);
    if (digits.isEmpty())
        return false;
    Recordset rs(m_storage, DbFile::Kakunin);
    rs.selectColumns({QStringLiteral("B_ID"), QStringLiteral("FLD"), QStringLiteral("Kouji"), QStringLiteral("Buken"),
                      QStringLiteral("Tel4")});
    if (!rs.open(QStringLiteral("GAIYOU"))) {
        failWith(error, rs.errorString());
        return false;
    }
    for (; !rs.eof(); rs.moveNext()) {
        if (!common::DigitsOnly(rs.text(QStringLiteral("Tel4"))).contains(digits))
            continue;
        if (found)
            *found = {rs.id(), rs.integer(QStringLiteral("B_ID")), rs.text(QStringLiteral("Kouji")),
                      rs.text(QStringLiteral("Buken"))};
        if (folderId)
            *folderId = rs.integer(QStringLiteral("FLD"));
        return true;
    }
    return false;
}
