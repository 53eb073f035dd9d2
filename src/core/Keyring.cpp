#include "Keyring.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <qt6keychain/keychain.h>

#include <memory>

namespace Keyring {

namespace {

// The keyring answers asynchronously over D-Bus; callers here need the
// answer before they go on, so wait for it in a local loop. A keyring
// that asks the user to unlock it may take a while, but not for ever.
bool runJob(QKeychain::Job& job, QString* error)
{
    if (!QCoreApplication::instance()) {
        if (error)
            *error = QStringLiteral("キーリングを利用できません。");
        return false;
    }
    job.setAutoDelete(false);
    job.setInsecureFallback(false);
    QEventLoop loop;
    bool finished = false;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    job.start();
    if (!finished)
        loop.exec();
    if (!finished) {
        if (error)
            *error = QStringLiteral("キーリングが応答しません。");
        return false;
    }
    if (job.error() != QKeychain::NoError) {
        if (error)
            *error = job.error() == QKeychain::EntryNotFound
                         ? QStringLiteral("キーリングにパスワードが登録されていません。")
                         : QStringLiteral("キーリングを利用できません（%1）。").arg(job.errorString());
        return false;
    }
    return true;
}

}  // namespace

bool readPassword(const QString& key, QString* password, QString* error)
{
    QKeychain::ReadPasswordJob job(kService);
    job.setKey(key);
    if (!runJob(job, error))
        return false;
    *password = job.textData();
    return true;
}

bool writePassword(const QString& key, const QString& password, QString* error)
{
    QKeychain::WritePasswordJob job(kService);
    job.setKey(key);
    job.setTextData(password);
    return runJob(job, error);
}

bool deletePassword(const QString& key, QString* error)
{
    QKeychain::DeletePasswordJob job(kService);
    job.setKey(key);
    return runJob(job, error);
}

bool isAvailable()
{
    QKeychain::ReadPasswordJob job(kService);
    job.setKey(QStringLiteral("availability-probe"));
    QString error;
    if (runJob(job, &error))
        return true;
    return job.error() == QKeychain::EntryNotFound;
}

}  // namespace Keyring
