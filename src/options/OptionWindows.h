#pragma once

#include "OptionStore.h"

#include <functional>

class CommandRegistry;
class MenuForm;
class OptionSet;
class Storage;

// The options window on the main window's keys, and what the options
// change on the main window itself.
namespace OptionWindows {

// Hooks the options window onto the toolbar key KanSet (環境) and the menu
// mnOption (オプション).
// closeWorkbooks closes the workbooks the program shows (before the
// template is formatted).
void registerOpeners(Storage& storage, CommandRegistry& commands, std::function<void()> closeWorkbooks);

// Opens the options window, or brings the open one to the front.
OptionSet* open(Storage& storage, MenuForm& menu, const std::function<void()>& closeWorkbooks);

// Shows or hides the main window's toolbar buttons as the check boxes of
// "メイン画面ボタン表示指定" say. Buttons the main window does not have
// are passed over; the menus keep their items, so a hidden button's
// function (and the options window itself) stays within reach.
void applyButtonSwitches(MenuForm& menu, const OptionValues& values);
// The same with the stored options (at start); a table that cannot be read
// is reported and leaves every button shown.
void applyButtonSwitches(MenuForm& menu, Storage& storage);

// The toolbar key of check box i (0 to 11), empty where there is no button.
QString buttonKey(int index);

}  // namespace OptionWindows
