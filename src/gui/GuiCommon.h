#pragma once

#include <QString>

class QApplication;
class QWidget;
class QAbstractButton;
class QComboBox;
class QObject;
class QValidator;

namespace GuiCommon {

// Japanese standard buttons, printer fonts for the Windows font names our
// users type, the double-click time for the short wait. Call once after the
// QApplication exists.
void setupApplication(QApplication& app);

// Opens a file path or a web address with the desktop's default browser.
// When no browser can be started: "インターネットエクスプローラーが存在しません。
// システムを確認してください。" under "エラー", and false.
bool OpenInBrowser(const QString& target);

// An editable drop-down whose items are suggestions: typing shows the
// matching items in a pop-up instead of completing the text in place, so
// that Enter keeps exactly what was typed. Enter on a suggestion the user
// moved to takes that suggestion; Enter otherwise closes the pop-up and
// reaches the field as if there were none.
void suggestWithoutCompleting(QComboBox* combo);

// A validator for whole-number fields: digits only, full-width digits
// (typed with the input method on) taken as the digits they are.
QValidator* digitsValidator(QObject* parent);

// Ctrl+S in a window presses its save (apply) button, when that is enabled.
void saveShortcut(QWidget* window, QAbstractButton* saveButton);

}  // namespace GuiCommon
