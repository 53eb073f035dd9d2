#pragma once

#include <QString>

class QApplication;

namespace GuiCommon {

// Japanese standard buttons, printer fonts for the Windows font names our
// users type, the double-click time for the short wait. Call once after the
// QApplication exists.
void setupApplication(QApplication& app);

// Opens a file path or a web address with the desktop's default browser.
// When no browser can be started: "インターネットエクスプローラーが存在しません。
// システムを確認してください。" under "エラー", and false.
bool OpenInBrowser(const QString& target);

}  // namespace GuiCommon
