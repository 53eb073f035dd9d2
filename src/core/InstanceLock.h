#pragma once

#include <QString>

#include <memory>

class QLockFile;

// The lock of one application directory on this computer: the running
// program holds it, and tools that replace the database files take it too,
// so that neither works on files the other is changing. The system
// releases it when its process ends, even by a crash.
class InstanceLock {
public:
    explicit InstanceLock(const QString& appDir);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when this process now holds the lock.
    bool acquire();
    void release();
    bool isHeld() const;
    QString lockFilePath() const { return m_path; }

    // The lock file of an application directory (the same for every
    // spelling of the folder's path).
    static QString lockFilePath(const QString& appDir);

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};
