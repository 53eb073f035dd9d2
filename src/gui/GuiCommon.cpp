#include "GuiCommon.h"

#include "Prompter.h"
#include "common.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QStyleHints>
#include <QTranslator>
#include <QUrl>

namespace GuiCommon {

void setupApplication(QApplication& app)
{
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    auto* qtTr = new QTranslator(&app);
    if (qtTr->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qtTr);

    // Layouts and label settings name the fonts of Japanese Windows; map them
    // to the Japanese fonts of this system so that print and screen agree.
    const QStringList mincho{QStringLiteral("IPAMincho"), QStringLiteral("IPA明朝"),
                             QStringLiteral("Noto Serif CJK JP")};
    const QStringList gothic{QStringLiteral("IPAGothic"), QStringLiteral("IPAゴシック"),
                             QStringLiteral("Noto Sans CJK JP")};
    const QStringList pGothic{QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")};
    const QStringList pMincho{QStringLiteral("IPAPMincho"), QStringLiteral("Noto Serif CJK JP")};
    QFont::insertSubstitutions(QStringLiteral("ＭＳ 明朝"), mincho);
    QFont::insertSubstitutions(QStringLiteral("MS Mincho"), mincho);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ ゴシック"), gothic);
    QFont::insertSubstitutions(QStringLiteral("MS Gothic"), gothic);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"), pGothic);
    QFont::insertSubstitutions(QStringLiteral("MS PGothic"), pGothic);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐ明朝"), pMincho);
    QFont::insertSubstitutions(QStringLiteral("MS PMincho"), pMincho);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ ＵＩ Ｇothic"), pGothic);

    common::setDoubleClickInterval(QGuiApplication::styleHints()->mouseDoubleClickInterval());
}

bool OpenInBrowser(const QString& target)
{
    QUrl url = QUrl::fromUserInput(target, QString(), QUrl::AssumeLocalFile);
    if (QFileInfo::exists(target))
        url = QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath());
    if (url.isValid() && QDesktopServices::openUrl(url))
        return true;
    Prompter::current().show({PromptTitle::Error,
                              QStringLiteral("インターネットエクスプローラーが存在しません。　システムを確認してください。"),
                              Prompter::Icon::Critical, Prompter::Ok, Prompter::Ok});
    return false;
}

}  // namespace GuiCommon
