#include "SafeFile.h"

#include "AppDir.h"

#include <QDir>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SafeFile {

namespace {

bool fail(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return false;
}

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// The file a path stands for: a symbolic link is written through, as
// the user who chose it expects, not replaced by a plain file.
QString finalTarget(const QString& path)
{
    const QFileInfo fi(QFileInfo(path).absoluteFilePath());
    if (fi.isSymLink()) {
        const QString target = fi.canonicalFilePath();
        return target.isEmpty() ? fi.symLinkTarget() : target;
    }
    return fi.absoluteFilePath();
}

bool writeAll(int fd, const char* data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(qMin<qint64>(size, 1 << 20)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

// Temporary files are made private (0600): a new file gets the usual mode
// instead, a replaced one keeps its own.
mode_t modeFor(const QString& path)
{
    struct stat old {};
    mode_t mode = 0666;
    if (::stat(QFile::encodeName(path).constData(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    return mode | S_IRUSR | S_IWUSR;
}

// A temporary file beside the target, filled by fill(fd), synced and
// renamed over the target. fill returns false with errno set.
template <typename Fill>
bool replaceWith(const QString& pathIn, QString* error, Fill fill)
{
    const QString path = finalTarget(pathIn);
    const QFileInfo target(path);
    const QString folder = target.absolutePath();
    if (!QDir().mkpath(folder))
        return fail(error, QStringLiteral("フォルダ「%1」を作成できません。").arg(shown(folder)));
    QByteArray temp = QFile::encodeName(QDir(folder).filePath(QStringLiteral(".%1.XXXXXX").arg(target.fileName())));
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        const int e = errno;
        return fail(error, QStringLiteral("「%1」を保存できません。保存先のフォルダに一時ファイルを作成できません：%2")
                               .arg(shown(path), reason(e)));
    }
    ::fchmod(fd, modeFor(path));
    if (!fill(fd) || ::fsync(fd) != 0) {
        const int e = errno;
        ::close(fd);
        ::unlink(temp.constData());
        return fail(error, QStringLiteral("「%1」を保存できません（元のファイルはそのままです）：%2").arg(shown(path), reason(e)));
    }
    if (::close(fd) != 0 || std::rename(temp.constData(), QFile::encodeName(path).constData()) != 0) {
        const int e = errno;
        ::unlink(temp.constData());
        return fail(error, QStringLiteral("「%1」を保存できません（元のファイルはそのままです）：%2").arg(shown(path), reason(e)));
    }
    // The rename itself reaches the disk with the folder's entry.
    const int dirFd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

}  // namespace

QString reason(int errnum)
{
    QString cause;
    switch (errnum) {
    case ENOSPC: cause = QStringLiteral("ディスクの空き容量が足りません"); break;
    case EFBIG: cause = QStringLiteral("ファイルの大きさが上限を超えました"); break;
#ifdef EDQUOT
    case EDQUOT: cause = QStringLiteral("ディスクの使用量の上限（クォータ）を超えました"); break;
#endif
    case EACCES:
    case EPERM: cause = QStringLiteral("書き込む権限がありません"); break;
    case EROFS: cause = QStringLiteral("読み取り専用のドライブです"); break;
    case ENOENT: cause = QStringLiteral("ファイルまたはフォルダが見つかりません"); break;
    case EISDIR: cause = QStringLiteral("同じ名前のフォルダがあります"); break;
    case EIO: cause = QStringLiteral("ディスクの読み書きに失敗しました"); break;
    default: break;
    }
    const QString system = QString::fromLocal8Bit(std::strerror(errnum));
    return cause.isEmpty() ? system : QStringLiteral("%1（%2）").arg(cause, system);
}

bool write(const QString& path, const QByteArray& data, QString* error)
{
    return replaceWith(path, error, [&data](int fd) { return writeAll(fd, data.constData(), data.size()); });
}

bool copy(const QString& from, const QString& path, QString* error)
{
    if (AppDir::isDatabaseFile(from))
        return fail(error, QStringLiteral("「%1」はこのプログラムのデータベースです。コピーできません。").arg(shown(from)));
    const int in = ::open(QFile::encodeName(from).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        const int e = errno;
        return fail(error, QStringLiteral("「%1」を読めません：%2").arg(shown(from), reason(e)));
    }
    int readErrno = 0;
    const bool ok = replaceWith(path, error, [in, &readErrno](int fd) {
        char buffer[1 << 16];
        for (;;) {
            const ssize_t n = ::read(in, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                readErrno = errno;
                return false;
            }
            if (n == 0)
                return true;
            if (!writeAll(fd, buffer, n))
                return false;
        }
    });
    ::close(in);
    if (!ok && readErrno != 0)
        return fail(error, QStringLiteral("「%1」を読めません：%2").arg(shown(from), reason(readErrno)));
    return ok;
}

bool move(const QString& from, const QString& path, QString* error)
{
    const QString target = finalTarget(path);
    QDir().mkpath(QFileInfo(target).absolutePath());
    // A renamed file must be on the disk before its name is.
    const int fd = ::open(QFile::encodeName(from).constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::fchmod(fd, modeFor(target));
        ::fsync(fd);
        ::close(fd);
    }
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(target).constData()) == 0)
        return true;
    const int e = errno;
    if (e != EXDEV)
        return fail(error, QStringLiteral("「%1」を保存できません（元のファイルはそのままです）：%2").arg(shown(target), reason(e)));
    if (!copy(from, target, error))
        return false;
    QFile::remove(from);
    return true;
}

bool sha256(const QString& path, QByteArray* hex, qint64* size)
{
    QFile f(path);
    QCryptographicHash h(QCryptographicHash::Sha256);
    if (!f.open(QIODevice::ReadOnly) || !h.addData(&f))
        return false;
    *hex = h.result().toHex();
    *size = f.size();
    return true;
}

}  // namespace SafeFile
