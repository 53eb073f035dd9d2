#include "TestSupport.h"

#include "AppDir.h"

#include <QtTest>

QStringList ScriptedPrompter::texts() const
{
    QStringList out;
    for (const Message& m : shown)
        out << m.text;
    return out;
}

TempAppDir::TempAppDir()
{
    if (!m_dir.isValid())
        qFatal("cannot create a temporary folder");
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
