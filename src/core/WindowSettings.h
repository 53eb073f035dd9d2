#pragma once

#include <optional>

class QString;
class Storage;
class Recordset;

namespace WindowSettings {

// The main window's position and project-list column widths kept in the
// single row of OptionMaster (all values in twips).
struct Placement {
    std::optional<int> top;   // empty: keep the window's own position
    std::optional<int> left;
    int column1 = 0;
    int column2 = 0;
    int column3 = 0;
};

inline constexpr int kTwipsKeptOnScreen = 2000;

// The option values a new OptionMaster row starts with.
void applyOptionDefaults(Recordset& rs);

// Reads the row (adding it with defaults when the table is empty) and works
// out where the window goes. designLeft is the left edge the window has
// before restoring; screenWidth bounds how far right it may lie.
bool restore(Storage& storage, int listWidth, int windowWidth, int designLeft, int screenWidth,
             Placement* out, QString* error);

// Writes position and the first two widths at exit; adds the row with its
// defaults when it is missing.
bool save(Storage& storage, int top, int left, int column1, int column2, QString* error);

}  // namespace WindowSettings
