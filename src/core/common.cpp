#include "common.h"

#include "AppDir.h"
#include "Prompter.h"

#include <QFile>
#include <QFileInfo>

namespace common {

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

QString DigitsOnly(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            out.append(c);
    return out;
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
