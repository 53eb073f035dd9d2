#include "SubmissionHistory.h"

#include "SafeFile.h"
#include "Storage.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <cstdio>

namespace SubmissionHistory {

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

bool fail(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return false;
}

const QString kEntries = QStringLiteral("RIREKI");
const QString kFiles = QStringLiteral("RIREKIFILE");

// A file or folder name every file system takes and no line of the record
// file can be forged with.
QString cleanName(const QString& name)
{
    static const QString kRefused = QStringLiteral("/\\:*?\"<>|");
    QString out;
    for (const QChar c : name)
        out += (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator
                || kRefused.contains(c))
                   ? QChar('_')
                   : c;
    out = out.trimmed();
    while (out.startsWith(QLatin1Char('.')))
        out.remove(0, 1);
    while (out.endsWith(QLatin1Char('.')))
        out.chop(1);
    return out.isEmpty() ? QStringLiteral("_") : out;
}

QString oneLine(const QString& text)
{
    QString out = text;
    for (QChar& c : out)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    return out;
}

bool sha256Of(const QString& path, QString* hex, qint64* size)
{
    QByteArray digest;
    if (!SafeFile::sha256(path, &digest, size))
        return false;
    *hex = QString::fromLatin1(digest);
    return true;
}

QString projectFolder(qint64 bid)
{
    return kFolder + QLatin1Char('/') + QString::number(bid);
}

bool exec(QSqlQuery& q, Storage& storage, QString* error)
{
    return q.exec() || fail(error, storage.describeError(DbFile::Kakunin, q.lastError()));
}

bool projectExists(QSqlDatabase& d, Storage& storage, qint64 bid, QString* error)
{
    QSqlQuery q(d);
    q.prepare(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 = ?")
                  .arg(Storage::quote(QStringLiteral("GAIYOU")), Storage::quote(QStringLiteral("B_ID"))));
    q.addBindValue(bid);
    if (!exec(q, storage, error))
        return false;
    if (!q.next() || q.value(0).toLongLong() == 0)
        return fail(error, s("物件（B_ID %1）がありません。").arg(bid));
    return true;
}

// The record file of an entry: what it is in comment lines, then its files
// as sha256sum writes them, so "sha256sum -c 記録.txt" checks the folder.
QByteArray recordText(const Entry& e, const QString& folderAbs)
{
    QByteArray out = "# " + s("提出履歴").toUtf8() + ": " + oneLine(e.title()).toUtf8() + '\n';
    out += "# B_ID: " + QByteArray::number(e.bid) + '\n';
    out += "# " + s("日付").toUtf8() + ": " + e.date.toString(Qt::ISODate).toUtf8() + '\n';
    out += "# " + s("備考").toUtf8() + ": " + oneLine(e.note).toUtf8() + '\n';
    out += "# " + s("記録").toUtf8() + ": " + e.recordedAt.toUtf8() + ' ' + oneLine(e.host).toUtf8() + '\n';
    for (const File& f : e.files)
        out += f.sha256.toLatin1() + "  " + QDir(folderAbs).relativeFilePath(f.path).toUtf8() + '\n';
    return out;
}

// Writes the entry's files into a hidden folder beside its final place,
// then renames it there; files get their paths relative to appDir.
bool placeFiles(const QString& appDir, Entry* e, const QVector<Source>& sources, const QString& folderName, QString* error)
{
    const QString parentRel = projectFolder(e->bid);
    const QString parent = QDir(appDir).filePath(parentRel);
    if (!QDir().mkpath(parent))
        return fail(error, s("フォルダ「%1」を作成できません。").arg(QDir::toNativeSeparators(parent)));
    QTemporaryDir staging(parent + QStringLiteral("/.new-XXXXXX"));
    if (!staging.isValid())
        return fail(error, s("フォルダ「%1」に書き込めません。").arg(QDir::toNativeSeparators(parent)));

    QString name = folderName;
    for (int n = 2; QFileInfo::exists(QDir(parent).filePath(name)); ++n)
        name = folderName + QStringLiteral("_%1").arg(n);
    const QString finalRel = parentRel + QLatin1Char('/') + name;
    const QString finalAbs = QDir(appDir).filePath(finalRel);

    QSet<QString> taken;
    QVector<File> files;
    for (const Source& src : sources) {
        const QString sub = src.drawing ? s("図面/") : QString();
        const QFileInfo fi(src.path);
        QString file = cleanName(fi.fileName());
        for (int n = 2; taken.contains(sub + file); ++n)
            file = cleanName(QStringLiteral("%1 (%2)%3")
                                 .arg(fi.completeBaseName())
                                 .arg(n)
                                 .arg(fi.suffix().isEmpty() ? QString() : QLatin1Char('.') + fi.suffix()));
        taken.insert(sub + file);
        const QString staged = staging.filePath(sub + file);
        if (!SafeFile::copy(src.path, staged, error))
            return false;
        File f;
        f.document = src.document;
        f.path = finalRel + QLatin1Char('/') + sub + file;
        if (!sha256Of(staged, &f.sha256, &f.size))
            return fail(error, s("「%1」を読めません。").arg(QDir::toNativeSeparators(staged)));
        files << f;
    }
    e->files = files;
    e->folder = finalRel;
    QVector<File> absolute = files;
    for (File& f : absolute)
        f.path = QDir(appDir).filePath(f.path);
    Entry forRecord = *e;
    forRecord.files = absolute;
    if (!SafeFile::write(staging.filePath(kRecordFile), recordText(forRecord, finalAbs), error))
        return false;
    // The folder appears complete under its name, or not at all.
    if (std::rename(QFile::encodeName(staging.path()).constData(), QFile::encodeName(finalAbs).constData()) != 0)
        return fail(error, s("フォルダ「%1」を作成できません：%2").arg(QDir::toNativeSeparators(finalAbs), SafeFile::reason(errno)));
    staging.setAutoRemove(false);
    return true;
}

bool insertRows(Storage& storage, QSqlDatabase& d, Entry* e, QString* error)
{
    QSqlQuery q(d);
    q.prepare(QStringLiteral("INSERT INTO %1 (\"B_ID\", \"Received\", \"Kind\", \"Round\", \"Day\", \"Note\", \"Folder\", "
                             "\"RecordedAt\", \"Host\") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)%2")
                  .arg(Storage::quote(kEntries), storage.isPostgres() ? QStringLiteral(" RETURNING \"ID\"") : QString()));
    for (const QVariant& v : {QVariant(e->bid), QVariant(e->received ? 1 : 0), QVariant(e->kind), QVariant(e->round),
                              QVariant(e->date.toString(Qt::ISODate)), QVariant(e->note), QVariant(e->folder),
                              QVariant(e->recordedAt), QVariant(e->host)})
        q.addBindValue(v);
    if (!exec(q, storage, error))
        return false;
    e->id = storage.isPostgres() ? (q.next() ? q.value(0).toLongLong() : 0) : q.lastInsertId().toLongLong();
    if (e->id <= 0)
        return fail(error, s("提出履歴の行番号を読み取れません。"));
    for (const File& f : std::as_const(e->files)) {
        QSqlQuery fq(d);
        fq.prepare(QStringLiteral("INSERT INTO %1 (\"RIREKI_ID\", \"B_ID\", \"Document\", \"Path\", \"Size\", \"Sha256\") "
                                  "VALUES (?, ?, ?, ?, ?, ?)")
                       .arg(Storage::quote(kFiles)));
        for (const QVariant& v : {QVariant(e->id), QVariant(e->bid), QVariant(f.document), QVariant(f.path),
                                  QVariant(f.size), QVariant(f.sha256)})
            fq.addBindValue(v);
        if (!exec(fq, storage, error))
            return false;
    }
    return true;
}

// The rows of a new entry and its folder, all or nothing: the folder is
// made inside the transaction and removed again when the rows fail.
bool record(Storage& storage, Entry* e, const QVector<Source>& sources, const QString& folderName, QString* error)
{
    const QString appDir = QDir(storage.appDir()).absolutePath();
    QSqlDatabase d = storage.connection(DbFile::Kakunin, error);
    if (!d.isValid())
        return false;
    Transaction tx(storage, DbFile::Kakunin);
    if (!tx.isActive())
        return fail(error, tx.errorString());
    if (!projectExists(d, storage, e->bid, error))
        return false;
    if (!e->received) {
        QSqlQuery q(d);
        q.prepare(QStringLiteral("SELECT MAX(\"Round\") FROM %1 WHERE \"B_ID\" = ? AND \"Received\" = 0 AND \"Kind\" = ?")
                      .arg(Storage::quote(kEntries)));
        q.addBindValue(e->bid);
        q.addBindValue(e->kind);
        if (!exec(q, storage, error))
            return false;
        e->round = (q.next() ? q.value(0).toInt() : 0) + 1;
    }
    const QDateTime now = QDateTime::currentDateTime();
    e->recordedAt = now.toString(Qt::ISODate);
    e->host = QSysInfo::machineHostName();
    QString name = now.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QLatin1Char(' ') + cleanName(folderName);
    if (!e->received)
        name += s(" 第%1回").arg(e->round);
    if (!placeFiles(appDir, e, sources, name, error))
        return false;
    if (!insertRows(storage, d, e, error) || !tx.commit()) {
        if (error && error->isEmpty())
            *error = tx.errorString();
        QDir(QDir(appDir).filePath(e->folder)).removeRecursively();
        return false;
    }
    return true;
}

}  // namespace

const QStringList& receivedKinds()
{
    static const QStringList kinds{s("確認済証"), s("中間検査合格証"), s("検査済証"), s("補正依頼"), s("その他")};
    return kinds;
}

QString Entry::title() const
{
    return received ? s("受領 %1").arg(kind) : s("%1 第%2回").arg(kind).arg(round);
}

bool recordSubmission(Storage& storage, qint64 bid, const QString& kind, const QString& note,
                      const QVector<Source>& files, Entry* out, QString* error, const QDate& date)
{
    if (kind.trimmed().isEmpty())
        return fail(error, s("提出の種類がありません。"));
    if (files.isEmpty())
        return fail(error, s("記録するファイルがありません。"));
    for (const Source& f : files)
        if (!QFileInfo(f.path).isFile())
            return fail(error, s("ファイル「%1」が見つかりません。").arg(QDir::toNativeSeparators(f.path)));
    Entry e;
    e.bid = bid;
    e.kind = kind.trimmed();
    e.date = date;
    e.note = note.trimmed();
    if (!record(storage, &e, files, e.kind, error))
        return false;
    if (out)
        *out = e;
    return true;
}

bool attachReceived(Storage& storage, qint64 bid, const QString& kind, const QDate& date, const QString& note,
                    const QString& file, Entry* out, QString* error)
{
    if (!receivedKinds().contains(kind))
        return fail(error, s("受領書類の種類「%1」はありません。　%2 のいずれかを指定してください。")
                               .arg(kind, receivedKinds().join(s("、"))));
    if (!date.isValid())
        return fail(error, s("受領日を正しく入力してください。"));
    if (!QFileInfo(file).isFile())
        return fail(error, s("ファイル「%1」が見つかりません。").arg(QDir::toNativeSeparators(file)));
    Entry e;
    e.bid = bid;
    e.received = true;
    e.kind = kind;
    e.date = date;
    e.note = note.trimmed();
    if (!record(storage, &e, {{kind, file, false}}, s("受領 ") + kind, error))
        return false;
    if (out)
        *out = e;
    return true;
}

bool list(Storage& storage, qint64 bid, QVector<Entry>* out, QString* error)
{
    out->clear();
    QSqlDatabase d = storage.connection(DbFile::Kakunin, error);
    if (!d.isValid())
        return false;
    QSqlQuery q(d);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT \"ID\", \"Received\", \"Kind\", \"Round\", \"Day\", \"Note\", \"Folder\", \"RecordedAt\", "
                             "\"Host\" FROM %1 WHERE \"B_ID\" = ? ORDER BY \"ID\"")
                  .arg(Storage::quote(kEntries)));
    q.addBindValue(bid);
    if (!exec(q, storage, error))
        return false;
    QHash<qint64, int> index;
    while (q.next()) {
        Entry e;
        e.id = q.value(0).toLongLong();
        e.bid = bid;
        e.received = q.value(1).toInt() != 0;
        e.kind = q.value(2).toString();
        e.round = q.value(3).toInt();
        e.date = QDate::fromString(q.value(4).toString(), Qt::ISODate);
        e.note = q.value(5).toString();
        e.folder = q.value(6).toString();
        e.recordedAt = q.value(7).toString();
        e.host = q.value(8).toString();
        index.insert(e.id, out->size());
        out->append(e);
    }
    QSqlQuery f(d);
    f.setForwardOnly(true);
    f.prepare(QStringLiteral("SELECT \"RIREKI_ID\", \"Document\", \"Path\", \"Size\", \"Sha256\" FROM %1 WHERE \"B_ID\" = ? "
                             "ORDER BY \"ID\"")
                  .arg(Storage::quote(kFiles)));
    f.addBindValue(bid);
    if (!exec(f, storage, error))
        return false;
    while (f.next()) {
        const auto it = index.constFind(f.value(0).toLongLong());
        if (it == index.constEnd())
            continue;
        (*out)[*it].files.append({f.value(1).toString(), f.value(2).toString(), f.value(3).toLongLong(), f.value(4).toString()});
    }
    return true;
}

int count(Storage& storage, qint64 bid)
{
    QString ignored;
    QSqlDatabase d = storage.connection(DbFile::Kakunin, &ignored);
    if (!d.isValid())
        return 0;
    QSqlQuery q(d);
    q.prepare(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE \"B_ID\" = ?").arg(Storage::quote(kEntries)));
    q.addBindValue(bid);
    return q.exec() && q.next() ? q.value(0).toInt() : 0;
}

QString absolutePath(const QString& appDir, const QString& relative)
{
    if (relative.isEmpty() || QDir::isAbsolutePath(relative) || relative.contains(QLatin1Char('\\')))
        return {};
    const QString root = QDir::cleanPath(QDir(appDir).absolutePath());
    const QString path = QDir::cleanPath(root + QLatin1Char('/') + relative);
    return path.startsWith(root + QLatin1Char('/')) ? path : QString();
}

QVector<Change> compare(const Entry& before, const Entry& after)
{
    QVector<Change> out;
    QSet<QString> seen;
    for (const File& a : after.files) {
        Change c;
        c.document = a.document;
        c.after = a;
        c.status = Change::Added;
        for (const File& b : before.files) {
            if (b.document == a.document) {
                c.before = b;
                c.status = b.sha256 == a.sha256 ? Change::Same : Change::Changed;
                break;
            }
        }
        seen.insert(a.document);
        out << c;
    }
    for (const File& b : before.files) {
        if (seen.contains(b.document))
            continue;
        Change c;
        c.document = b.document;
        c.before = b;
        c.status = Change::Gone;
        out << c;
    }
    return out;
}

QString statusText(Change::Status status)
{
    switch (status) {
    case Change::Same: return s("同じ");
    case Change::Changed: return s("変更");
    case Change::Added: return s("追加");
    case Change::Gone: return s("なし");
    }
    return {};
}

bool deleteRows(Storage& storage, qint64 bid, QString* error)
{
    QSqlDatabase d = storage.connection(DbFile::Kakunin, error);
    if (!d.isValid())
        return false;
    for (const QString& table : {kFiles, kEntries}) {
        QSqlQuery q(d);
        q.prepare(QStringLiteral("DELETE FROM %1 WHERE \"B_ID\" = ?").arg(Storage::quote(table)));
        q.addBindValue(bid);
        if (!exec(q, storage, error))
            return false;
    }
    return true;
}

bool setAsideFolder(const QString& appDir, qint64 bid, const QString& projectName, QString* keptAt, QString* error)
{
    if (keptAt)
        keptAt->clear();
    const QString from = QDir(appDir).filePath(projectFolder(bid));
    if (!QFileInfo(from).isDir())
        return true;
    // An emptied folder says nothing worth keeping.
    if (QDir(from).rmdir(from))
        return true;
    const QString parent = QDir(appDir).filePath(kFolder + QLatin1Char('/') + kDeletedFolder);
    if (!QDir().mkpath(parent))
        return fail(error, s("フォルダ「%1」を作成できません。").arg(QDir::toNativeSeparators(parent)));
    QString base = QString::number(bid);
    if (!projectName.trimmed().isEmpty())
        base += QLatin1Char(' ') + cleanName(projectName.left(60));
    base += QLatin1Char(' ') + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString to = QDir(parent).filePath(base);
    for (int n = 2; QFileInfo::exists(to); ++n)
        to = QDir(parent).filePath(base + QStringLiteral("_%1").arg(n));
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        return fail(error, s("提出履歴のフォルダ「%1」を移動できません：%2").arg(QDir::toNativeSeparators(from), SafeFile::reason(errno)));
    if (keptAt)
        *keptAt = to;
    return true;
}

}  // namespace SubmissionHistory
