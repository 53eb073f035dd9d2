#pragma once

#include "BusyCursor.h"

#include <QApplication>
#include <QMargins>
#include <QObject>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>

class QWidget;
class QAbstractButton;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QValidator;

namespace GuiCommon {

// Japanese standard buttons, printer fonts for the Windows font names our
// users type, the causes of failures kept for the message boxes' details.
// Call once after the QApplication exists.
void setupApplication(QApplication& app);

// Opens a file path or a web address with the desktop's default browser.
// When no browser can be started: a message under "エラー" that names the
// page, and false.
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

// A named line edit, and a named button that Enter never presses for
// being the default (Enter belongs to the window's EnterOrder); the tool
// tip is left unset when empty.
QLineEdit* namedEdit(const char* name);
QPushButton* namedButton(const char* name, const QString& caption, const QString& tip = {});
// A named list of rows under column headers: flat, rows of one height,
// the whole row marked as current.
QTreeWidget* namedList(const char* name, const QStringList& headers);

// Ctrl+S in a window presses its save (apply) button, when that is enabled.
void saveShortcut(QWidget* window, QAbstractButton* saveButton);

// What a desktop adds around a window: its border and title bar.
inline constexpr QMargins kWindowFrame{4, 32, 4, 4};

// Sizes a window as designed, but never beyond the usable part of its
// screen once the desktop's frame is added, so that its title bar and its
// buttons stay within reach on a small screen; what does not fit then
// scrolls or closes up inside the window.
void fitToScreen(QWidget* window, QSize designed);
// Moves a window to a place kept from an earlier run, pulled back as far
// as needed for the whole window and its frame to lie on the screen.
void placeOnScreen(QWidget* window, QPoint topLeft);

// The window of a kind that `owner` (the main window) has open: a shown
// direct child, not one that is closing. The windows themselves are the
// record of what is open, so no opener keeps a pointer between calls.
template <typename Window>
Window* openWindow(const QObject& owner)
{
    for (Window* w : owner.findChildren<Window*>(QString(), Qt::FindDirectChildrenOnly))
        if (w->isVisible())
            return w;
    return nullptr;
}

}  // namespace GuiCommon
