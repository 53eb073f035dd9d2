#include "InstanceLock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>

QString InstanceLock::lockFilePath(const QString& appDir)
{
    QString dir = QDir::cleanPath(QDir(appDir).absolutePath());
    // A symbolic link to the folder is the same program.
    const QString canonical = QFileInfo(dir).canonicalFilePath();
    if (!canonical.isEmpty())
        dir = canonical;
    const QByteArray key = QCryptographicHash::hash(dir.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QDir::temp().filePath(QStringLiteral("shinseidesk-%1.lock").arg(QString::fromLatin1(key)));
}

InstanceLock::InstanceLock(const QString& appDir)
    : m_path(lockFilePath(appDir))
{
}

InstanceLock::~InstanceLock() = default;

bool InstanceLock::acquire()
{
    if (isHeld())
        return true;
    m_lock = std::make_unique<QLockFile>(m_path);
    m_lock->setStaleLockTime(0);  // only a dead owner makes the lock stale
    return m_lock->tryLock(0);
}

void InstanceLock::release()
{
    if (m_lock)
        m_lock->unlock();
    m_lock.reset();
}

bool InstanceLock::isHeld() const
{
    return m_lock && m_lock->isLocked();
}
