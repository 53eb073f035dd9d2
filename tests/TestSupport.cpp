#include "TestSupport.h"

#include "AppDir.h"

#include <QDir>
#include <QFile>
#include <QtTest>

QStringList ScriptedPrompter::texts() const
{
    QStringList out;
    for (const Message& m : shown)
        out << m.text;
    return out;
}

namespace {

// Making the databases (the national postal table above all) takes a
// moment; each test process does it once and copies the files after that.
QString preparedDatabases()
{
    static QTemporaryDir cache;
    static bool ready = false;
    if (!ready) {
        StorageConfig cfg;
        cfg.appDir = cache.path();
        Storage s(cfg);
        QString error;
        if (!s.initialize(&error))
            qFatal("cannot initialise the test databases: %s", qPrintable(error));
        s.closeAll();
        ready = true;
    }
    return cache.path();
}

}  // namespace

TempAppDir::TempAppDir()
{
    if (!m_dir.isValid())
        qFatal("cannot create a temporary folder");
    const QString from = preparedDatabases();
    for (DbFile db : allDbFiles) {
        if (!QFile::copy(QDir(from).filePath(dbFileName(db)), m_dir.filePath(dbFileName(db))))
            qFatal("cannot copy the prepared test databases");
    }
    AppDir::set(m_dir.path());
    StorageConfig cfg;
    QString error;
    if (!StorageConfig::fromAppDir(m_dir.path(), &cfg, &error))
        qFatal("%s", qPrintable(error));
    cfg.busyTimeoutMs = 200;
    m_storage = std::make_unique<Storage>(cfg);
    if (!m_storage->initialize(&error))
        qFatal("cannot initialise the test databases: %s", qPrintable(error));
    Storage::setDefaultStorage(m_storage.get());
}

TempAppDir::~TempAppDir()
{
    if (Storage::defaultStorage() == m_storage.get())
        Storage::setDefaultStorage(nullptr);
}

std::unique_ptr<Storage> TempAppDir::openAnother() const
{
    auto s = std::make_unique<Storage>(m_storage->config());
    return s;
}
