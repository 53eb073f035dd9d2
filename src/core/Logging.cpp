#include "Logging.h"

#include <QDateTime>
#include <QMutex>
#include <QMutexLocker>
#include <QVector>

#include <cstdio>

Q_LOGGING_CATEGORY(lcStorage, "sd.storage")
Q_LOGGING_CATEGORY(lcOutput, "sd.output")
Q_LOGGING_CATEGORY(lcMail, "sd.mail")
Q_LOGGING_CATEGORY(lcImport, "sd.import")

namespace {

constexpr int kMaxCauses = 20;
constexpr qint64 kCauseLifetimeMs = 60 * 1000;

struct Cause {
    qint64 at;
    QString text;
};

QMutex g_mutex;
QVector<Cause> g_causes;
QtMessageHandler g_previous = nullptr;
bool g_installed = false;

void keepAndPassOn(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtDebugMsg && type != QtInfoMsg && context.category
        && qstrncmp(context.category, "sd.", 3) == 0) {
        QMutexLocker lock(&g_mutex);
        g_causes.append({QDateTime::currentMSecsSinceEpoch(),
                         QStringLiteral("[%1] %2").arg(QLatin1String(context.category), message)});
        if (g_causes.size() > kMaxCauses)
            g_causes.remove(0, g_causes.size() - kMaxCauses);
    }
    if (g_previous)
        g_previous(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

}  // namespace

namespace Logging {

void keepCauses()
{
    QMutexLocker lock(&g_mutex);
    if (g_installed)
        return;
    g_installed = true;
    g_previous = qInstallMessageHandler(keepAndPassOn);
}

QStringList takeCauses()
{
    QMutexLocker lock(&g_mutex);
    const qint64 oldest = QDateTime::currentMSecsSinceEpoch() - kCauseLifetimeMs;
    QStringList out;
    for (const Cause& c : std::as_const(g_causes))
        if (c.at >= oldest)
            out << c.text;
    g_causes.clear();
    return out;
}

}  // namespace Logging
