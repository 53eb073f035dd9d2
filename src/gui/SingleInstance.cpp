#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLockFile>

SingleInstance::SingleInstance(const QString& appDir)
{
    const QByteArray key = QCryptographicHash::hash(QDir::cleanPath(QDir(appDir).absolutePath()).toUtf8(),
                                                    QCryptographicHash::Sha1).toHex().left(16);
    m_path = QDir::temp().filePath(QStringLiteral("shinseidesk-%1.lock").arg(QString::fromLatin1(key)));
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::acquire()
{
    if (m_lock && m_lock->isLocked())
        return true;
    m_lock = std::make_unique<QLockFile>(m_path);
    m_lock->setStaleLockTime(0);  // only a dead owner makes the lock stale
    return m_lock->tryLock(0);
}
