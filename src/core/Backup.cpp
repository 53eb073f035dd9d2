#include "Backup.h"

#include "AppDir.h"
#include "DataTransfer.h"
#include "InstanceLock.h"
#include "Logging.h"
#include "SafeFile.h"
#include "SchemaUpgrade.h"
#include "SubmissionHistory.h"
#include "TableIo.h"
#include "WriteLock.h"

#include <QAtomicInt>
#include <QDateTime>
#include <QDirIterator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QStorageInfo>
#include <QTemporaryDir>

#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <limits>

namespace Backup {

namespace {

QAtomicInt g_connections;

bool fail(QString* error, const QString& message)
{
    qCWarning(lcStorage).noquote() << message;
    if (error)
        *error = message;
    return false;
}

struct FileEntry {
    QString name;
    qint64 size = 0;
    QByteArray sha256;  // hex
};

bool fileDigest(const QString& path, FileEntry* out)
{
    out->name = QFileInfo(path).fileName();
    return SafeFile::sha256(path, &out->sha256, &out->size);
}

// Checks a SQLite file of the archive the way the program would open it,
// and brings an older backup's tables up to the program's columns.
bool checkFile(const QString& path, DbFile db, bool upgrade, QString* error)
{
    const QString name = QStringLiteral("sdbackup_%1").arg(g_connections.fetchAndAddRelaxed(1));
    bool ok = false;
    {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        d.setDatabaseName(path);
        if (!upgrade)
            d.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        QStringList problems;
        QSqlError e;
        if (!d.open()) {
            fail(error, QStringLiteral("%1 を開けません: %2").arg(dbFileName(db), d.lastError().text()));
        } else if (!TableIo::integrityCheck(d, &problems, &e)) {
            fail(error, QStringLiteral("%1 が壊れています: %2")
                            .arg(dbFileName(db), e.isValid() ? e.text() : problems.mid(0, 5).join(QLatin1Char(' '))));
        } else if (upgrade && !SchemaUpgrade::upgradeConnection(d, db, error)) {
            // an older backup is brought up to this program; a newer one is refused
        } else {
            ok = true;
        }
        d.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

// A consistent copy of one SQLite database while others may write to it.
bool snapshotFile(Storage& storage, DbFile db, const QString& to, QString* error)
{
    QSqlDatabase d = storage.connection(db, error);
    if (!d.isValid())
        return false;
    QSqlQuery q(d);
    q.prepare(QStringLiteral("VACUUM INTO ?"));
    q.addBindValue(to);
    if (!q.exec())
        return fail(error, storage.describeError(db, q.lastError()));
    return true;
}

QString zipError(zip_t* z)
{
    return QString::fromUtf8(zip_strerror(z));
}

// A file of the application directory that the archive keeps besides the
// databases: its name in the archive ('/'-separated) and where it is.
struct ExtraFile {
    QString entry;
    QString path;
};

bool writeArchive(const QString& folder, const QString& archive, const QByteArray& manifest,
                  const QVector<ExtraFile>& extras, QString* error)
{
    const QString part = archive + QStringLiteral(".part");
    QFile::remove(part);
    int code = 0;
    zip_t* z = zip_open(QFile::encodeName(part).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!z) {
        zip_error_t ze;
        zip_error_init_with_code(&ze, code);
        const QString why = QString::fromUtf8(zip_error_strerror(&ze));
        zip_error_fini(&ze);
        return fail(error, QStringLiteral("バックアップファイル「%1」を作成できません: %2").arg(archive, why));
    }
    auto abandon = [&](const QString& why) {
        zip_discard(z);
        QFile::remove(part);
        return fail(error, QStringLiteral("バックアップファイル「%1」を作成できません: %2").arg(archive, why));
    };
    for (DbFile db : allDbFiles) {
        const QByteArray path = QFile::encodeName(QDir(folder).filePath(dbFileName(db)));
        zip_source_t* src = zip_source_file(z, path.constData(), 0, -1);
        if (!src)
            return abandon(zipError(z));
        const zip_int64_t index = zip_file_add(z, dbFileName(db).toUtf8().constData(), src, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
        if (index < 0) {
            zip_source_free(src);
            return abandon(zipError(z));
        }
        // The fastest deflate level: a backup while people wait, not an archive for the ages.
        zip_set_file_compression(z, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 1);
    }
    for (const ExtraFile& x : extras) {
        zip_source_t* src = zip_source_file(z, QFile::encodeName(x.path).constData(), 0, -1);
        if (!src)
            return abandon(zipError(z));
        const zip_int64_t index = zip_file_add(z, x.entry.toUtf8().constData(), src, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
        if (index < 0) {
            zip_source_free(src);
            return abandon(zipError(z));
        }
        // PDFs are compressed already.
        zip_set_file_compression(z, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
    }
    zip_source_t* man = zip_source_buffer(z, manifest.constData(), static_cast<zip_uint64_t>(manifest.size()), 0);
    if (!man || zip_file_add(z, kManifest.toUtf8().constData(), man, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE) < 0) {
        if (man)
            zip_source_free(man);
        return abandon(zipError(z));
    }
    if (zip_close(z) != 0)
        return abandon(zipError(z));
    // Only a complete archive takes the name, so an interrupted backup
    // never replaces the previous one.
    if (std::rename(QFile::encodeName(part).constData(), QFile::encodeName(archive).constData()) != 0) {
        QFile::remove(part);
        return fail(error, QStringLiteral("バックアップファイル「%1」を書き込めません。").arg(archive));
    }
    return true;
}

// Unpacks one entry, never more than limit bytes (the size the manifest
// records): an entry that claims or turns out to be larger is refused as
// soon as it says so or passes the limit, so a small archive cannot fill
// the disk.
bool extractEntry(zip_t* z, const QString& entry, const QString& to, qint64 limit, QString* error)
{
    const zip_int64_t index = zip_name_locate(z, entry.toUtf8().constData(), ZIP_FL_ENC_UTF_8);
    if (index < 0)
        return fail(error, QStringLiteral("バックアップに %1 がありません。").arg(entry));
    if (limit < 0)
        return fail(error, QStringLiteral("バックアップの %1 の記録が正しくありません。").arg(entry));
    auto tooLarge = [&]() {
        return fail(error, QStringLiteral("バックアップの %1 が記録された大きさ（%2 バイト）を超えるため、復元しません"
                                          "（壊れているか、書き換えられたファイルです）。").arg(entry).arg(limit));
    };
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(z, static_cast<zip_uint64_t>(index), 0, &st) == 0 && (st.valid & ZIP_STAT_SIZE)
        && st.size > static_cast<zip_uint64_t>(limit))
        return tooLarge();
    zip_file_t* f = zip_fopen_index(z, static_cast<zip_uint64_t>(index), 0);
    if (!f)
        return fail(error, QStringLiteral("バックアップの %1 を読めません: %2").arg(entry, zipError(z)));
    QFile out(to);
    if (!out.open(QIODevice::WriteOnly)) {
        zip_fclose(f);
        return fail(error, QStringLiteral("「%1」に書き込めません。").arg(to));
    }
    QByteArray buffer(1 << 16, Qt::Uninitialized);
    qint64 written = 0;
    bool ok = true;
    for (;;) {
        // One byte more than the limit allows shows that there is more.
        const qint64 want = qMin<qint64>(buffer.size(), limit - written + 1);
        const zip_int64_t n = zip_fread(f, buffer.data(), static_cast<zip_uint64_t>(want));
        if (n < 0) {
            ok = fail(error, QStringLiteral("バックアップの %1 が壊れています。").arg(entry));
            break;
        }
        if (n == 0)
            break;
        if (written + n > limit) {
            ok = tooLarge();
            break;
        }
        if (out.write(buffer.constData(), n) != n) {
            ok = fail(error, QStringLiteral("「%1」に書き込めません（ディスクの空き容量を確認してください）。").arg(to));
            break;
        }
        written += n;
    }
    zip_fclose(f);
    if (!out.flush())
        ok = fail(error, QStringLiteral("「%1」に書き込めません。").arg(to));
    return ok;
}

// The manifest: the format line, then one "name<TAB>size<TAB>sha256" per file.
bool readManifest(zip_t* z, QHash<QString, FileEntry>* entries, QString* error)
{
    const zip_int64_t index = zip_name_locate(z, kManifest.toUtf8().constData(), ZIP_FL_ENC_UTF_8);
    if (index < 0)
        return fail(error, QStringLiteral("ShinseiDesk のバックアップファイルではありません（%1 がありません）。").arg(kManifest));
    zip_stat_t st;
    zip_file_t* f = zip_fopen_index(z, static_cast<zip_uint64_t>(index), 0);
    if (zip_stat_index(z, static_cast<zip_uint64_t>(index), 0, &st) != 0 || !f || st.size > (1 << 20)) {
        if (f)
            zip_fclose(f);
        return fail(error, QStringLiteral("バックアップの %1 を読めません。").arg(kManifest));
    }
    QByteArray data(static_cast<qsizetype>(st.size), Qt::Uninitialized);
    const zip_int64_t n = zip_fread(f, data.data(), st.size);
    zip_fclose(f);
    if (n != static_cast<zip_int64_t>(st.size))
        return fail(error, QStringLiteral("バックアップの %1 を読めません。").arg(kManifest));
    const QStringList lines = QString::fromUtf8(data).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (lines.isEmpty() || lines.first().trimmed() != kFormat)
        return fail(error, QStringLiteral("このバックアップファイルの形式には対応していません。"));
    for (const QString& line : lines.mid(1)) {
        const QStringList parts = line.split(QLatin1Char('\t'));
        if (parts.size() == 3)
            entries->insert(parts[0], {parts[0], parts[1].toLongLong(), parts[2].trimmed().toLatin1()});
    }
    for (DbFile db : allDbFiles)
        if (!entries->contains(dbFileName(db)))
            return fail(error, QStringLiteral("バックアップに %1 がありません。").arg(dbFileName(db)));
    return true;
}

// The files of the submission history, hidden work folders left out.
QVector<ExtraFile> historyFiles(const QString& appDir)
{
    QVector<ExtraFile> out;
    const QString root = QDir(appDir).filePath(SubmissionHistory::kFolder);
    if (!QFileInfo(root).isDir())
        return out;
    QDirIterator it(root, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString rel = QDir(appDir).relativeFilePath(path);
        if (rel.contains(QLatin1String("/.")))
            continue;
        out.append({rel, path});
    }
    std::sort(out.begin(), out.end(), [](const ExtraFile& a, const ExtraFile& b) { return a.entry < b.entry; });
    return out;
}

// An archive entry that may come back into the history folder: below it,
// without "..", empty or hidden parts, backslashes or control characters.
bool isHistoryEntry(const QString& name)
{
    const QStringList parts = name.split(QLatin1Char('/'));
    if (parts.size() < 2 || parts.first() != SubmissionHistory::kFolder || name.contains(QLatin1Char('\\')))
        return false;
    for (const QString& p : parts) {
        if (p.isEmpty() || p.startsWith(QLatin1Char('.')))
            return false;
        for (const QChar c : p)
            if (c.category() == QChar::Other_Control)
                return false;
    }
    return true;
}

struct Move {
    QString from;
    QString to;
};

// Undoes renames in reverse order.
void undo(const QVector<Move>& moves)
{
    for (int i = moves.size() - 1; i >= 0; --i)
        QFile::rename(moves[i].to, moves[i].from);
}

}  // namespace

bool create(const StorageConfig& config, const QString& archiveIn, QStringList* report, QString* error)
{
    // Writers go on; only a restore in progress would give a half-replaced copy.
    WriteLock reader(config, QStringLiteral("backup"));
    QString busy;
    if (!reader.acquire(WriteLock::Mode::Shared, WriteLock::kWriterWaitMs, &busy))
        return fail(error, busy);
    const QString archive = QFileInfo(archiveIn).absoluteFilePath();
    if (AppDir::isOwnFile(archive, config.appDir))
        return fail(error, AppDir::ownFileMessage(archive));
    QTemporaryDir work;
    if (!work.isValid())
        return fail(error, QStringLiteral("作業用フォルダを作成できません。"));
    const QString folder = work.filePath(QStringLiteral("db"));
    if (config.engine == StorageConfig::Engine::PostgreSQL) {
        DataTransfer transfer;
        if (!transfer.toSqlite(config, folder))
            return fail(error, transfer.errorString());
    } else {
        QDir().mkpath(folder);
        Storage storage(config);
        for (DbFile db : allDbFiles)
            if (!snapshotFile(storage, db, QDir(folder).filePath(dbFileName(db)), error))
                return false;
    }
    QByteArray manifest = kFormat.toUtf8() + '\n';
    QStringList lines;
    for (DbFile db : allDbFiles) {
        const QString path = QDir(folder).filePath(dbFileName(db));
        if (!checkFile(path, db, false, error))
            return false;
        FileEntry e;
        if (!fileDigest(path, &e))
            return fail(error, QStringLiteral("「%1」を読めません。").arg(path));
        manifest += e.name.toUtf8() + '\t' + QByteArray::number(e.size) + '\t' + e.sha256 + '\n';
        lines << QStringLiteral("%1\t%2 バイト\tSHA-256 %3").arg(e.name).arg(e.size).arg(QString::fromLatin1(e.sha256.left(16)));
    }
    // After the databases: every history row of the snapshot already has
    // its files in place (they are placed before the row is added).
    QVector<ExtraFile> extras = historyFiles(config.appDir);
    qint64 historyBytes = 0;
    for (const ExtraFile& x : extras) {
        FileEntry e;
        if (!fileDigest(x.path, &e))
            return fail(error, QStringLiteral("「%1」を読めません。").arg(QDir::toNativeSeparators(x.path)));
        manifest += x.entry.toUtf8() + '\t' + QByteArray::number(e.size) + '\t' + e.sha256 + '\n';
        historyBytes += e.size;
    }
    if (!extras.isEmpty())
        lines << QStringLiteral("%1\t%2 ファイル\t%3 バイト").arg(SubmissionHistory::kFolder).arg(extras.size()).arg(historyBytes);
    manifest += "created\t" + QDateTime::currentDateTime().toString(Qt::ISODate).toUtf8() + '\n';
    manifest += "source\t" + config.describe().toUtf8() + '\n';
    if (!writeArchive(folder, archive, manifest, extras, error))
        return false;
    if (report)
        *report = lines;
    return true;
}

bool restore(const StorageConfig& config, const QString& archiveIn, QStringList* report, QString* error)
{
    const QString archive = QFileInfo(archiveIn).absoluteFilePath();
    const QString appDir = QDir::cleanPath(QDir(config.appDir).absolutePath());
    InstanceLock lock(appDir);
    if (!lock.acquire())
        return fail(error, QStringLiteral("ShinseiDesk がこのアプリケーションフォルダ（%1）で起動中のため、復元できません。"
                                          "プログラムを終了してから、もう一度実行してください。").arg(appDir));
    // No writer may save into the data that is about to be replaced.
    WriteLock writers(config, QStringLiteral("restore"));
    QString busy;
    if (!writers.acquire(WriteLock::Mode::Exclusive, 0, &busy))
        return fail(error, busy);
    int code = 0;
    zip_t* z = zip_open(QFile::encodeName(archive).constData(), ZIP_RDONLY, &code);
    if (!z)
        return fail(error, QStringLiteral("バックアップファイル「%1」を開けません。").arg(archive));
    QHash<QString, FileEntry> entries;
    // Unpacked beside the databases, so that putting them in place is a rename.
    QTemporaryDir staging(appDir + QStringLiteral("/.shinseidesk-restore-XXXXXX"));
    bool ok = staging.isValid() || fail(error, QStringLiteral("「%1」に作業用フォルダを作成できません。").arg(appDir));
    ok = ok && readManifest(z, &entries, error);
    if (ok) {
        // Unpacked, then copied into fresh files: twice the recorded sizes.
        const qint64 free = QStorageInfo(appDir).bytesAvailable();
        qint64 total = 0;
        for (DbFile db : allDbFiles) {
            const qint64 size = entries.value(dbFileName(db)).size;
            if (size < 0 || (free >= 0 && size > free)) {
                total = std::numeric_limits<qint64>::max() / 2;
                break;
            }
            total += size;
        }
        for (auto it = entries.constBegin(); it != entries.constEnd(); ++it)
            if (isHistoryEntry(it.key()))
                total += qMax<qint64>(0, it.value().size) / 2;  // unpacked once, then renamed
        if (free >= 0 && total * 2 > free)
            ok = fail(error, QStringLiteral("ディスクの空き容量が足りないため、復元できません（必要 %1 MB、空き %2 MB）。")
                                 .arg(total * 2 / (1 << 20) + 1)
                                 .arg(free / (1 << 20)));
    }
    for (DbFile db : allDbFiles) {
        if (!ok)
            break;
        const QString path = staging.filePath(dbFileName(db));
        FileEntry got;
        const FileEntry& want = entries.value(dbFileName(db));
        ok = extractEntry(z, dbFileName(db), path, want.size, error) && fileDigest(path, &got);
        if (ok && (got.size != want.size || got.sha256 != want.sha256))
            ok = fail(error, QStringLiteral("バックアップの %1 が記録と一致しません（破損しています）。").arg(dbFileName(db)));
        // The staged copy is brought up to this program (its data steps
        // included) before its rows are taken; a newer backup stops here.
        ok = ok && checkFile(path, db, true, error);
    }
    // The submission history as the archive keeps it, each file checked.
    const QString history = staging.filePath(SubmissionHistory::kFolder);
    int historyCount = 0;
    for (auto it = entries.constBegin(); ok && it != entries.constEnd(); ++it) {
        if (!isHistoryEntry(it.key()))
            continue;
        const QString path = staging.filePath(it.key());
        FileEntry got;
        ok = (QDir().mkpath(QFileInfo(path).absolutePath())
              || fail(error, QStringLiteral("「%1」に作業用フォルダを作成できません。").arg(appDir)))
             && extractEntry(z, it.key(), path, it.value().size, error) && fileDigest(path, &got);
        if (ok && (got.size != it.value().size || got.sha256 != it.value().sha256))
            ok = fail(error, QStringLiteral("バックアップの %1 が記録と一致しません（破損しています）。").arg(it.key()));
        ++historyCount;
    }
    zip_discard(z);
    if (!ok)
        return false;

    // Only the program's own schema comes back: the archive's files are
    // read, never put in place, so a trigger, view or table that someone
    // added to a backup cannot act on the office's data.
    const QString clean = staging.filePath(QStringLiteral("schema"));
    QStringList leftOut;
    {
        DataTransfer transfer;
        if (!QDir().mkpath(clean) || !transfer.copyOwnSchema(staging.path(), clean, &leftOut))
            return fail(error, QStringLiteral("バックアップのデータを取り出せません: %1").arg(transfer.errorString()));
    }
    QStringList lines;
    for (const QString& l : leftOut)
        lines << QStringLiteral("復元しなかったもの（このプログラムのものではありません）: %1").arg(l);
    const QString keep = QDir(appDir).filePath(
        QStringLiteral("before-restore-%1").arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"))));
    QVector<Move> moves;
    // The history folder goes aside whole and the archive's takes its place:
    // files recorded after the backup are kept, never mixed in.
    auto swapHistory = [&]() {
        const QString current = QDir(appDir).filePath(SubmissionHistory::kFolder);
        if (QFileInfo::exists(current)) {
            const QString to = QDir(keep).filePath(SubmissionHistory::kFolder);
            if (!QDir().mkpath(keep) || !QFile::rename(current, to))
                return fail(error, QStringLiteral("%1 を移動できません。何も変更していません。").arg(current));
            moves.append({current, to});
        }
        if (QFileInfo::exists(history)) {
            if (!QFile::rename(history, current))
                return fail(error, QStringLiteral("%1 を置けません。何も変更していません。").arg(current));
            moves.append({history, current});
        }
        return true;
    };
    if (historyCount > 0)
        lines << QStringLiteral("%1\t%2 ファイル").arg(SubmissionHistory::kFolder).arg(historyCount);
    if (config.engine == StorageConfig::Engine::PostgreSQL) {
        if (!swapHistory()) {
            undo(moves);
            QDir().rmdir(keep);
            return false;
        }
        DataTransfer transfer;
        if (!transfer.toPostgres(clean, config, true)) {
            undo(moves);
            QDir().rmdir(keep);
            return fail(error, transfer.errorString());
        }
        if (QFileInfo::exists(keep))
            lines << QStringLiteral("以前の提出履歴: %1").arg(QDir(keep).filePath(SubmissionHistory::kFolder));
        for (const DataTransfer::TableResult& r : transfer.results())
            if (r.rows > 0)
                lines << QStringLiteral("%1.%2\t%3 行").arg(dbBaseName(r.db), r.table).arg(r.rows);
        if (report)
            *report = lines;
        return true;
    }

    if (!QDir().mkpath(keep))
        return fail(error, QStringLiteral("フォルダ「%1」を作成できません。").arg(keep));
    for (DbFile db : allDbFiles) {
        for (const char* suffix : {"", "-wal", "-shm"}) {
            const QString name = dbFileName(db) + QLatin1String(suffix);
            const QString from = QDir(appDir).filePath(name);
            if (!QFileInfo::exists(from))
                continue;
            const QString to = QDir(keep).filePath(name);
            if (!QFile::rename(from, to)) {
                undo(moves);
                QDir().rmdir(keep);
                return fail(error, QStringLiteral("%1 を移動できません。何も変更していません。").arg(from));
            }
            moves.append({from, to});
        }
    }
    for (DbFile db : allDbFiles) {
        const QString from = QDir(clean).filePath(dbFileName(db));
        const QString to = QDir(appDir).filePath(dbFileName(db));
        if (!QFile::rename(from, to)) {
            undo(moves);
            QDir().rmdir(keep);
            return fail(error, QStringLiteral("%1 を置けません。何も変更していません。").arg(to));
        }
        moves.append({from, to});
        lines << QStringLiteral("%1\t%2 バイト").arg(dbFileName(db)).arg(QFileInfo(to).size());
    }
    if (!swapHistory()) {
        undo(moves);
        QDir().rmdir(keep);
        return false;
    }
    lines << QStringLiteral("以前のファイル: %1").arg(keep);
    if (report)
        *report = lines;
    return true;
}

}  // namespace Backup
