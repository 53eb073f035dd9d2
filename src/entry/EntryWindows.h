#pragma once

class Storage;

// Hooks the entry windows onto the main window's toolbar keys and data-entry
// menu. Each kind of window is open at most once; every Apply reloads the
// main window's current project so that what it keeps follows the rows the
// window saved.
namespace EntryWindows {

void registerOpeners(Storage& storage);

}  // namespace EntryWindows
