#pragma once

#include "MasterPickResult.h"

#include <QString>

class CommandRegistry;
class MenuForm;
class Storage;

// Hooks the entry windows onto the main window's toolbar keys and data-entry
// menu. Each kind of window is open at most once; every Apply reloads the
// main window's current project so that what it keeps follows the rows the
// window saved.
namespace EntryWindows {

// mail: where the e-mail buttons of the masters the windows open as
// pickers lead (empty: the desktop's mail program).
void registerOpeners(Storage& storage, CommandRegistry& commands, const MailComposer& mail = {});

// Opens (or brings up) the entry window that shows a column of a project
// table for the main window's current project, with the building (1–3) and
// floor slot (0–5) the value belongs to, and puts the focus in the field.
// The header fields of GAIYOU are the main window's own. False when no
// window shows the column or the window could not be opened.
bool showField(MenuForm& menu, const QString& table, const QString& column, int building = 0, int floor = -1);

}  // namespace EntryWindows
