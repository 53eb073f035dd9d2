#include "SingleInstance.h"

#include "InstanceLock.h"

#include <QLockFile>

SingleInstance::SingleInstance(const QString& appDir)
{
    // The command-line tool checks the same lock before it replaces database files.
    m_path = InstanceLock::lockFilePath(appDir);
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
