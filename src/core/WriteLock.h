#pragma once

#include "Storage.h"

#include <QString>

#include <memory>

// The readers/writer lock of one register. Every program that writes holds
// it shared: the window program for its whole life, each command of the
// command-line tool while it runs. Restoring a backup and moving the
// register take it exclusively, so that they never replace data under a
// writer, and a writer never saves into a register that is being replaced.
//
// SQLite: flock() on a lock file of its own in the application directory
// (never on a database file: closing any descriptor of a database file
// drops SQLite's own locks). PostgreSQL: a session-level advisory lock on
// the server, held on a connection of its own, so that it covers every
// computer of the office. Either is released by the system when the
// process ends, even by a crash.
class WriteLock {
public:
    enum class Mode { Shared, Exclusive };

    // What the holder is doing, shown to whoever is refused ("restore",
    // "project set", "window").
    WriteLock(const StorageConfig& config, const QString& purpose);
    ~WriteLock();
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;

    // Exclusive refuses at once while anyone holds the lock. Shared waits up
    // to waitMs for an exclusive holder to finish, then refuses. *error
    // names who holds the lock.
    bool acquire(Mode mode, int waitMs, QString* error);
    void release();
    bool isHeld() const { return m_held; }

    // A writer's wait for a restore or move to finish before it gives up.
    static constexpr int kWriterWaitMs = 5000;
    // The lock file of a SQLite application directory.
    static QString lockFilePath(const QString& appDir);

private:
    bool tryLock(Mode mode, QString* error);
    QString holders() const;

    StorageConfig m_config;
    QString m_purpose;
    int m_fd = -1;
    QString m_connection;
    std::unique_ptr<Storage> m_storage;
    bool m_held = false;
};
