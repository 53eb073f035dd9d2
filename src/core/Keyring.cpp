#include "Keyring.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <qt6keychain/keychain.h>

#include <memory>

namespace Keyring {

namespace {

WaitNote& waitNote()
{
    static WaitNote note;
    return note;
}

bool runJob(QKeychain::Job& job, QString* error)
{
    if (!QCoreApplication::instance()) {
        if (error)
            *error = QStringLiteral("キーリングを利用できません。");
        return false;
    }
    job.setAutoDelete(false);
    job.setInsecureFallback(false);
    const bool finished = waitFor([&job](const std::function<void()>& done) {
        QObject::connect(&job, &QKeychain::Job::finished, done);
        job.start();
    });
    if (!finished) {
        if (error)
            *error = QStringLiteral("キーリングが %1 秒以内に応答しません。").arg(kWaitMs / 1000);
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

void setWaitNote(WaitNote note)
{
    waitNote() = std::move(note);
}

bool waitFor(const std::function<void(const std::function<void()>& finished)>& start, int timeoutMs)
{
    // The work may finish after a timeout, when this frame is gone.
    struct State {
        bool finished = false;
        QEventLoop* loop = nullptr;
    };
    const auto state = std::make_shared<State>();
    start([state] {
        state->finished = true;
        if (state->loop)
            state->loop->quit();
    });
    if (state->finished)
        return true;
    QEventLoop loop;
    state->loop = &loop;
    bool timedOut = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        loop.quit();
    });
    const WaitNote note = waitNote();
    if (note)
        note(true);
    timer.start(timeoutMs);
    while (!state->finished && !timedOut)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    state->loop = nullptr;
    if (note)
        note(false);
    return state->finished;
}

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
