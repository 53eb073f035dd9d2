#include "LibreOffice.h"

#include "SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

namespace LibreOffice {

QString executable()
{
    for (const char* name : {"soffice", "libreoffice"}) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!path.isEmpty())
            return path;
    }
    return QString();
}

QString notInstalledMessage()
{
    return QStringLiteral("LibreOffice がインストールされていません。　PDF の作成と帳票の表示には LibreOffice Calc"
                          "（パッケージ libreoffice-calc）が必要です。");
}

namespace {

QString profileArgument(const QString& dir)
{
    return QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(QDir(dir).absolutePath()).toString(QUrl::FullyEncoded);
}

}  // namespace

QString prepareProfile(const QString& dir)
{
    static const QByteArray settings = R"(<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="FirstRun" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="ShowTipOfTheDay" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Setup/Office"><prop oor:name="ShowTipOfTheDay" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Calc/Formula/Load"><prop oor:name="OOXMLRecalcMode" oor:op="fuse"><value>0</value></prop></item>
<item oor:path="/org.openoffice.Office.Calc/Formula/Load"><prop oor:name="ODFRecalcMode" oor:op="fuse"><value>0</value></prop></item>
</oor:items>
)";
    // Japanese whatever the system's locale (LibreOffice would follow
    // LANG): the menus (as long as the Japanese language pack is
    // installed), the language of the documents' Japanese text (else
    // Chinese, with Chinese glyph forms of the same characters), and the
    // locale of dates and numbers. The documents' language for Latin
    // script, which the status bar shows, stays LibreOffice's: it turns
    // any language of another script there into English.
    struct Setting {
        const char* path;
        const char* name;
        const char* value;
    };
    static const Setting japanese[] = {
        {"/org.openoffice.Office.Linguistic/General", "UILocale", "ja"},
        {"/org.openoffice.Office.Linguistic/General", "DefaultLocale_CJK", "ja-JP"},
        {"/org.openoffice.Setup/L10N", "ooSetupSystemLocale", "ja-JP"},
    };
    // LibreOffice keeps what it finds in the file when it writes it back,
    // so each setting is added once: to a new profile, and to a profile
    // from an earlier release that lacks it. One the user has changed in
    // LibreOffice since is left as it is.
    const QString path = dir + QStringLiteral("/user/registrymodifications.xcu");
    const bool fresh = !QFile::exists(path);
    QByteArray xml = settings;
    if (!fresh) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return profileArgument(dir);
        xml = f.readAll();
    }
    const int end = xml.lastIndexOf("</oor:items>");
    QByteArray missing;
    for (const Setting& s : japanese)
        if (!xml.contains(QByteArray("oor:name=\"") + s.name + '"'))
            missing += QByteArray("<item oor:path=\"") + s.path + "\"><prop oor:name=\"" + s.name
                + "\" oor:op=\"fuse\"><value>" + s.value + "</value></prop></item>\n";
    if (end >= 0 && (fresh || !missing.isEmpty())) {
        xml.insert(end, missing);
        QDir().mkpath(QFileInfo(path).absolutePath());
        SafeFile::write(path, xml, nullptr);
    }
    return profileArgument(dir);
}

QProcessEnvironment environment(const QString& dir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("PGPASSWORD"));  // the office's database password is none of its business
    QByteArray conf = R"(<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
)";
    const QString path = dir + QStringLiteral("/fonts.conf");
    QString system = env.value(QStringLiteral("FONTCONFIG_FILE"), QStringLiteral("/etc/fonts/fonts.conf"));
    if (QFileInfo(system).absoluteFilePath() == QFileInfo(path).absoluteFilePath())
        system = QStringLiteral("/etc/fonts/fonts.conf");
    conf += "  <include ignore_missing=\"yes\">" + system.toUtf8() + "</include>\n";
    const char* const mincho[] = {"ＭＳ 明朝", "ＭＳ Ｐ明朝", "MS Mincho", "MS PMincho", "游明朝"};
    const char* const gothic[] = {"ＭＳ ゴシック", "ＭＳ Ｐゴシック", "MS Gothic", "MS PGothic", "游ゴシック"};
    for (const char* f : mincho)
        conf += QByteArray("  <alias binding=\"same\"><family>") + f
            + "</family><prefer><family>IPAMincho</family><family>Noto Serif CJK JP</family></prefer></alias>\n";
    for (const char* f : gothic)
        conf += QByteArray("  <alias binding=\"same\"><family>") + f
            + "</family><prefer><family>IPAGothic</family><family>Noto Sans CJK JP</family></prefer></alias>\n";
    conf += "</fontconfig>\n";
    QDir().mkpath(dir);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(conf) == conf.size()) {
        f.close();
        env.insert(QStringLiteral("FONTCONFIG_FILE"), path);
    }
    return env;
}

}  // namespace LibreOffice
