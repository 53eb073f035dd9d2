#pragma once

#include <QString>

#include <memory>

class QLockFile;

// One running copy per application directory on this computer. The lock is
// a file that the system releases when the process ends, even by a crash.
class SingleInstance {
public:
    explicit SingleInstance(const QString& appDir);
    ~SingleInstance();

    // True when this process now holds the lock.
    bool acquire();
    QString lockFilePath() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};
