#pragma once

#include <QProcessEnvironment>
#include <QString>

// What the program needs to run LibreOffice on its own terms: the
// executable, a profile of its own (so that a LibreOffice the user already
// runs neither receives our files nor blocks our conversions) and the font
// that the forms ask for.
namespace LibreOffice {

// The soffice/libreoffice executable on the PATH, empty when not installed.
QString executable();
// The message shown when LibreOffice is missing.
QString notInstalledMessage();

// Makes `dir` a LibreOffice user profile that opens without first-start
// dialogs and recalculates every workbook on load; returns the
// -env:UserInstallation argument for it.
QString prepareProfile(const QString& dir);

// The environment for a LibreOffice process: the forms are set in
// "ＭＳ 明朝", which Linux systems do not have; a font configuration in
// `dir` maps it (and the other Windows Japanese fonts) to IPA or Noto fonts.
QProcessEnvironment environment(const QString& dir);

}  // namespace LibreOffice
