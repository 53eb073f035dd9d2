#pragma once

#include <QHash>
#include <QKeySequence>
#include <QString>

#include <functional>

class QAction;
class QMainWindow;
class QMenu;
class QPushButton;
class QToolBar;
class QToolButton;

// The main window's commands in one table: what each toolbar key, menu item
// and command button is called, where it shows, what it needs and what it
// does. The toolbar and the menus are built from the table, so a command's
// caption, tip and place are written once.
namespace MenuCommands {

// What a command does of itself.
enum class Run {
    Opener,  // the window another part of the program hooked onto the key; a note while there is none
    NewProject,
    DeleteProject,
    Save,
    FolderWindow,
    PostToAddress,
    AddressToPost,
    PhoneSearch,
    Exit,
    Calculator,
    Help,
    Manual,
    Questions,
    Version,
    Nothing,
};

// What has to be there before it runs.
enum class Needs {
    Nothing,
    Project,        // a loaded project
    FloorCounts,    // a loaded project whose buildings have their floor counts
    StoredProject,  // a loaded project with its edits saved or dropped, read back as stored
};

// Where a command shows; one action may show in several places.
enum Place : unsigned {
    Nowhere = 0,
    Toolbar = 1u << 0,
    FileMenu = 1u << 1,
    FolderMenu = 1u << 2,
    MasterMenu = 1u << 3,
    EntryMenu = 1u << 4,
    MailMenu = 1u << 5,
    ToolMenu = 1u << 6,
    HelpMenu = 1u << 7,
    OutputMenu = 1u << 8,   // the document button's drop-down
    ProjectMenu = 1u << 9,  // the project list's menu
    Button = 1u << 10,      // a push button of the project tab
};

struct Command {
    const char* key;  // the object name of its action or button
    unsigned places;
    bool separatorBefore;
    const char* text;
    const char* runs = nullptr;  // a menu item doing what this toolbar key does
    Run run = Run::Nothing;
    Needs needs = Needs::Nothing;
    const char* feature = nullptr;  // how a note names the function
    const char* tip = nullptr;      // the status tip; on the toolbar and a button also the tool tip
    const char* icon = nullptr;
    const char* toolTip = nullptr;  // where the tool tip says more than the status tip
    QKeySequence::StandardKey shortcut = QKeySequence::UnknownKey;
};

// The command of a key (nullptr if unknown).
const Command* find(const QString& key);

// The toolbar and the menus of the main window, its actions by key.
struct Built {
    QHash<QString, QAction*> actions;
    QToolBar* toolbar = nullptr;
    QToolButton* documentButton = nullptr;
    QMenu* folderMenu = nullptr;
    QMenu* outputMenu = nullptr;
    QMenu* projectMenu = nullptr;
};

// Builds them onto the window; each action calls run with its key.
Built build(QMainWindow& window, const std::function<void(const QString& key)>& run);

// A push button of the project tab (Place Button), calling run with its key when clicked.
QPushButton* makeButton(const char* key, const std::function<void(const QString& key)>& run);

// Makes a document: sheet 0–11 of the application workbook; -1 the
// sick-house workbook, or for a PDF every printed sheet.
using DocumentRun = std::function<void(int sheet, const QString& name)>;

// The documents of the output drop-down, after its commands; a "PDF出力"
// submenu of the same documents when pdf is set.
void addDocuments(QMenu* output, const DocumentRun& make, const DocumentRun& pdf);

}  // namespace MenuCommands
