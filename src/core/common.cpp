#include "common.h"

#include "AppDir.h"
#include "Prompter.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>

namespace common {

namespace {
int g_doubleClickMs = 400;
}

int ConfirmBox(const QString& message)
{
    const Prompter::Button b = Prompter::current().show(
        {PromptTitle::Confirm, message, Prompter::Icon::Question, Prompter::Yes | Prompter::No, Prompter::No});
    return b == Prompter::Yes ? 0 : 1;
}

void ConfirmBoxTitled(const QString& message, const QString& title)
{
    Prompter::current().show({title, message, Prompter::Icon::Warning, Prompter::Ok, Prompter::Ok});
}

void WarningBox(const QString& message)
{
    Prompter::current().show({PromptTitle::Warning, message, Prompter::Icon::Warning, Prompter::Ok, Prompter::Ok});
}

void ErrorBox(const QString& message)
{
    Prompter::current().show({PromptTitle::Error, message, Prompter::Icon::Critical, Prompter::Ok, Prompter::Ok});
}

void setDoubleClickInterval(int milliseconds)
{
    g_doubleClickMs = milliseconds > 0 ? milliseconds : 400;
}

void WaitShort()
{
    // The double-click time in ms divided by 30000 gives seconds.
    QDeadlineTimer deadline(qMax(1, g_doubleClickMs / 30));
    do {
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    } while (!deadline.hasExpired());
}

QString DigitsOnly(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            out.append(c);
    return out;
}

int LastPosOf(const QString& text, QChar ch)
{
    return text.lastIndexOf(ch) + 1;
}

namespace {
int lastSeparator(const QString& path)
{
    return qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
}
}  // namespace

QString FileNameOf(const QString& path)
{
    return path.mid(lastSeparator(path) + 1);
}

QString FolderOf(const QString& path)
{
    const int i = lastSeparator(path);
    return i < 0 ? QString() : path.left(i);
}

QString AddBackslash(const QString& path)
{
    if (path.endsWith(QLatin1Char('/')) || path.endsWith(QLatin1Char('\\')))
        return path;
    // Keep the separator style the path already uses.
    const QChar sep = path.contains(QLatin1Char('\\')) && !path.contains(QLatin1Char('/')) ? QLatin1Char('\\')
                                                                                             : QLatin1Char('/');
    return path + sep;
}

int DaysInMonth(int year, int month)
{
    switch (month) {
    case 1: case 3: case 5: case 7: case 8: case 10: case 12: return 31;
    case 4: case 6: case 9: case 11: return 30;
    default: break;
    }
    if (year % 4 != 0)
        return 28;
    if (year % 100 != 0)
        return 29;
    return year % 400 == 0 ? 29 : 28;
}

QDate DateFromText(const QString& text)
{
    const QString t = text.trimmed();
    static const QRegularExpression full(QStringLiteral("^(\\d{1,4})[/\\-.](\\d{1,2})[/\\-.](\\d{1,2})$"));
    const auto m = full.match(t);
    if (m.hasMatch()) {
        const QDate d(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        if (d.isValid())
            return d;
    }
    const int slash = t.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return {};
    bool okYear = false, okMonth = false;
    const int year = t.left(slash).trimmed().toInt(&okYear);
    const int month = t.mid(slash + 1).trimmed().toInt(&okMonth);
    if (!okYear || !okMonth || month < 1 || month > 12)
        return {};
    return QDate(year, month, DaysInMonth(year, month));
}

bool FileInUse(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo fi(path);
    if (!fi.exists() || !fi.isFile())
        return false;
    // The open below would drop SQLite's locks of a database: it is in use.
    if (AppDir::isDatabaseFile(path))
        return true;
    const QString dir = fi.absolutePath() + QLatin1Char('/');
    if (QFileInfo::exists(dir + QStringLiteral(".~lock.") + fi.fileName() + QLatin1Char('#'))
        || QFileInfo::exists(dir + QStringLiteral("~$") + fi.fileName()))
        return true;
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite))
        return true;
    f.close();
    return false;
}

}  // namespace common
