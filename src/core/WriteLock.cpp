#include "WriteLock.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QThread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

QAtomicInt g_locks;

// One fixed key for every ShinseiDesk register: advisory locks are kept per
// server database, and one database holds one office's register.
constexpr int kKeyClass = 0x53440000;  // "SD"
constexpr int kKeyObject = 1;

// "shinseidesk-cli project set" from /proc/PID/cmdline, without the
// folder option, so that a refusal names the command that holds the lock.
QString describeProcess(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("PID %1").arg(pid);
    const QList<QByteArray> parts = f.readAll().split('\0');
    QStringList words;
    for (int i = 0; i < parts.size() && words.size() < 4; ++i) {
        const QString w = QString::fromLocal8Bit(parts[i]);
        if (w.isEmpty())
            continue;
        if (w == QLatin1String("--appdir")) {
            ++i;
            continue;
        }
        if (words.isEmpty())
            words << QFileInfo(w).fileName();
        else if (!w.startsWith(QLatin1Char('-')) && !w.contains(QLatin1Char('/')))
            words << w;
    }
    return QStringLiteral("%1（PID %2）").arg(words.join(QLatin1Char(' '))).arg(pid);
}

}  // namespace

QString WriteLock::lockFilePath(const QString& appDir)
{
    return QDir(appDir).filePath(QStringLiteral(".shinseidesk-write.lock"));
}

WriteLock::WriteLock(const StorageConfig& config, const QString& purpose)
    : m_config(config)
    , m_purpose(purpose)
{
}

WriteLock::~WriteLock()
{
    release();
}

void WriteLock::release()
{
    if (m_fd >= 0) {
        ::close(m_fd);  // drops the flock
        m_fd = -1;
    }
    if (!m_connection.isEmpty()) {
        {
            QSqlDatabase d = QSqlDatabase::database(m_connection, false);
            d.close();  // the session's advisory locks end with it
        }
        QSqlDatabase::removeDatabase(m_connection);
        m_connection.clear();
    }
    m_storage.reset();
    m_held = false;
}

bool WriteLock::acquire(Mode mode, int waitMs, QString* error)
{
    if (m_held)
        return true;
    const QDeadlineTimer deadline(mode == Mode::Shared ? qMax(0, waitMs) : 0);
    for (;;) {
        QString why;
        if (tryLock(mode, &why))
            return true;
        // Nothing to wait for when the lock could not even be asked for.
        if (m_fd < 0 && m_connection.isEmpty()) {
            if (error)
                *error = why;
            return false;
        }
        if (deadline.hasExpired()) {
            if (error)
                *error = why;
            release();
            return false;
        }
        QThread::msleep(100);
    }
}

bool WriteLock::tryLock(Mode mode, QString* error)
{
    const bool exclusive = mode == Mode::Exclusive;
    const QString busy = exclusive ? QStringLiteral("データを書き込み中のプログラムがあるため、%1 を実行できません。"
                                                    "次のプログラムを終了してから、もう一度実行してください。\n使用中: %2")
                                   : QStringLiteral("バックアップからの復元またはデータの移行が実行中のため、%1 を実行できません。"
                                                    "終わってから、もう一度実行してください。\n実行中: %2");
    if (m_config.engine == StorageConfig::Engine::SQLite) {
        if (m_fd < 0) {
            const QString path = lockFilePath(m_config.appDir);
            // A folder that does not exist holds no register to protect.
            if (!QFileInfo(m_config.appDir).isDir()) {
                m_held = true;
                return true;
            }
            m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
            // flock() needs no write access: an existing lock file serves a
            // process that may only read the folder.
            if (m_fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM))
                m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
            // No lock file and no right to make one: this process cannot
            // change the register, so there is nothing for a restore to wait for.
            if (m_fd < 0 && errno == ENOENT && !QFileInfo(m_config.appDir).isWritable()) {
                m_held = true;
                return true;
            }
            if (m_fd < 0) {
                if (error)
                    *error = QStringLiteral("ロックファイル「%1」を作成できません（%2）。フォルダの書き込み権限を確認してください。")
                                 .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(strerror(errno)));
                return false;
            }
        }
        if (::flock(m_fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0) {
            m_held = true;
            return true;
        }
        if (error)
            *error = busy.arg(m_purpose, holders());
        return false;
    }

    if (m_connection.isEmpty()) {
        m_storage = std::make_unique<Storage>(m_config);
        m_connection = QStringLiteral("sdwritelock%1").arg(g_locks.fetchAndAddRelaxed(1));
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connection);
        if (!m_storage->openSideConnection(d, error)) {
            d = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_connection);
            m_connection.clear();
            return false;
        }
        // Who holds the lock is read from the server's list of sessions.
        QSqlQuery name(d);
        name.prepare(QStringLiteral("SELECT set_config('application_name', ?, false)"));
        name.addBindValue(QStringLiteral("%1 %2@%3")
                              .arg(QCoreApplication::applicationName(), m_purpose, QSysInfo::machineHostName())
                              .left(63));
        name.exec();
    }
    QSqlDatabase d = QSqlDatabase::database(m_connection, false);
    QSqlQuery q(d);
    q.prepare(exclusive ? QStringLiteral("SELECT pg_try_advisory_lock(?, ?)")
                        : QStringLiteral("SELECT pg_try_advisory_lock_shared(?, ?)"));
    q.addBindValue(kKeyClass);
    q.addBindValue(kKeyObject);
    if (!q.exec() || !q.next()) {
        if (error)
            *error = m_storage->describeError(DbFile::Kakunin, q.lastError());
        release();
        return false;
    }
    if (q.value(0).toBool()) {
        m_held = true;
        return true;
    }
    if (error)
        *error = busy.arg(m_purpose, holders());
    return false;
}

QString WriteLock::holders() const
{
    QStringList out;
    if (m_config.engine == StorageConfig::Engine::SQLite) {
        // The kernel's list of locks names the processes on this file.
        struct stat st{};
        if (m_fd < 0 || ::fstat(m_fd, &st) != 0)
            return QStringLiteral("不明なプログラム");
        QFile locks(QStringLiteral("/proc/locks"));
        if (locks.open(QIODevice::ReadOnly)) {
            const QByteArray inode = ':' + QByteArray::number(static_cast<qulonglong>(st.st_ino));
            for (const QByteArray& line : locks.readAll().split('\n')) {
                const QList<QByteArray> f = line.simplified().split(' ');
                // "1: FLOCK ADVISORY READ 1234 08:01:5678 0 EOF"
                if (f.size() < 6 || f[1] != "FLOCK" || !f[5].endsWith(inode))
                    continue;
                const qint64 pid = f[4].toLongLong();
                if (pid != QCoreApplication::applicationPid())
                    out << describeProcess(pid);
            }
        }
    } else {
        QSqlQuery q(QSqlDatabase::database(m_connection, false));
        q.prepare(QStringLiteral("SELECT a.application_name, COALESCE(host(a.client_addr), 'local'), a.pid "
                                 "FROM pg_locks l JOIN pg_stat_activity a ON a.pid = l.pid "
                                 "WHERE l.locktype = 'advisory' AND l.granted AND l.classid::bigint = ? AND l.objid::bigint = ? "
                                 "AND l.objsubid = 2 AND l.database = (SELECT oid FROM pg_database WHERE datname = current_database()) "
                                 "AND l.pid <> pg_backend_pid() ORDER BY a.pid"));
        q.addBindValue(static_cast<qint64>(kKeyClass));
        q.addBindValue(kKeyObject);
        if (q.exec())
            while (q.next())
                out << QStringLiteral("%1（%2、サーバーのプロセス %3）")
                           .arg(q.value(0).toString(), q.value(1).toString())
                           .arg(q.value(2).toLongLong());
    }
    out.removeDuplicates();
    return out.isEmpty() ? QStringLiteral("不明なプログラム") : out.join(QStringLiteral("、"));
}
