#pragma once

#include "CommandRegistry.h"
#include "MenuCommands.h"
#include "ProjectData.h"
#include "ProjectHeaderPanel.h"
#include "ProjectRegisterPanel.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QVector>

class AddressChooser;
class HistoryPage;
class PhotoPage;
class SchedulePage;
class cal1;
class HelpForm;
class QAction;
class QCalendarWidget;
class QMenu;
class QSpinBox;
class QTabWidget;
class QToolBar;
class QToolButton;
class QTreeWidget;
class Storage;

// The main window: the register of projects sorted into folders, the
// header of the current project, and the toolbar and menus from which every
// other function of the program is reached. It lives for the whole run.
class MenuForm : public QMainWindow {
    Q_OBJECT
public:
    // The windows of other parts of the program come through commands; it
    // must outlive the window. Without it, those commands only leave a note.
    MenuForm(Storage& storage, const CommandRegistry& commands, QWidget* parent = nullptr);
    MenuForm(Storage&, CommandRegistry&&, QWidget* = nullptr) = delete;
    explicit MenuForm(Storage& storage, QWidget* parent = nullptr);
    ~MenuForm() override;

    enum Tab { ProjectTab = 0, ScheduleTab = 1, PhotoTab = 2 };

    // The edited flag is the enabled state of the save button, so the two
    // can never disagree.
    bool isEdited() const;
    // True once a project has been loaded into the window.
    bool hasProject() const { return m_project.isLoaded(); }
    // The selected project as last loaded: every window and the output read it.
    const ProjectData& currentProject() const { return m_project; }
    // Reads the selected project again after another window saved it.
    bool reloadCurrentProject();
    qint64 currentFolderId() const { return m_register->currentFolderId(); }
    const QVector<FolderItem>& folders() const { return m_register->folders(); }
    const QVector<ProjectItem>& projects() const { return m_register->projects(); }

    // The register: what the toolbar, the lists and the search do.
    void refreshFolders() { m_register->refreshFolders(); }
    void selectFolder(int row) { m_register->selectFolder(row); }
    void selectProject(int row) { m_register->selectProject(row); }
    void newProject() { m_register->newProject(); }
    void deleteSelectedProjects() { m_register->deleteSelectedProjects(); }
    void phoneSearch() { m_register->phoneSearch(); }
    // Moves (or copies) the selected projects into the folder of a row of
    // the folder list, as dropping them there with the left (right) button.
    void dropProjectsOnFolder(int folderRow, bool copy) { m_register->dropProjectsOnFolder(folderRow, copy); }
    void openFolderWindow() { m_register->openFolderWindow(); }
    // Lists the folders the selected projects can be moved (copied) into.
    void fillFolderMenu(QMenu* menu, bool copy) { m_register->fillFolderMenu(menu, copy); }
    // Postal look-ups of the header: code → address, address → code.
    void lookUpAddress() { m_header->lookUpAddress(); }
    void lookUpPostalCode() { m_header->lookUpPostalCode(); }
    // Tests answer the address choice instead of the choice window.
    void setAddressChooser(AddressChooser* chooser) { m_header->setAddressChooser(chooser); }
    // 申請棟数, 1 to 3.
    int buildingCount() const { return m_header->buildingCount(); }
    void setBuildingCount(int count) { m_header->setBuildingCount(count); }

    // Writes the header of the current project and clears the edited flag.
    void saveProject();

    // The exit command: asks about unsaved edits, keeps the window's place
    // for the next start and ends the program.
    void exitApplication();

    // The action of a toolbar key or menu item by its name (nullptr if unknown).
    QAction* action(const QString& key) const;

    QTabWidget* tabs() const { return m_tabs; }
    QToolBar* toolbar() const { return m_bar.toolbar; }
    QToolButton* salesMakeButton() const { return m_bar.documentButton; }
    QMenu* outputMenu() const { return m_bar.outputMenu; }
    // The project list's context menu (申請前チェック).
    QMenu* projectMenu() const { return m_bar.projectMenu; }
    // The errors of the 申請前チェック that concern an output document
    // (0–11; -1: every document), for the current project as loaded.
    int checkErrors(int sheet) const;
    // Writes that count into the check's menu item.
    void updateCheckCount();
    QTreeWidget* folderList() const { return m_register->folderList(); }
    QTreeWidget* projectList() const { return m_register->projectList(); }
    QTreeWidget* photoList() const { return m_photoList; }
    SchedulePage* schedulePage() const { return m_scheduleTab; }
    PhotoPage* photoPage() const { return m_photoTab; }
    HistoryPage* historyPage() const { return m_historyTab; }
    Storage& storage() const { return m_storage; }
    cal1* calculatorWindow() const;
    QCalendarWidget* calendar() const { return m_calendar; }
    QSpinBox* buildingCountBox() const { return m_header->buildingCountBox(); }
    // The header fields in their Enter order.
    const QVector<QWidget*>& headerFields() const { return m_header->fields(); }
    // The help viewer, once it has been opened.
    HelpForm* helpForm() const;

signals:
    // A project was loaded (or reloaded) into the current project state.
    void projectLoaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildCommands();
    QWidget* buildProjectTab();
    QWidget* buildScheduleTab();
    QWidget* buildPhotoTab();

    void restoreWindowSettings();
    void saveWindowSettings();
    // false when the user chose to stay (キャンセル, or a save that failed).
    bool runExitSteps();

    void runCommand(const QString& key);
    void runOutput(int sheet, const QString& name);
    void runPdf(int sheet, const QString& name);
    bool prepareOutput();
    // Asks before a document with errors of the check is made; No opens the check.
    bool confirmPrintWithErrors(int sheet);
    bool checkProjectExists();
    bool checkFloorCounts();
    void showUnavailable(const QString& feature);
    void showNote(const QString& text);
    void showHelp();
    void showManualPage(const QString& page);
    void showVersion();
    void showCalculator();
    QString makePhotoFolder();

    void projectChosen(const ProjectData& project);
    void showProject();
    bool askToSaveEdits();
    void setEdited(bool on);
    void headerEdited(bool countChanged);

    Storage& m_storage;
    const CommandRegistry& m_commands;

    MenuCommands::Built m_bar;
    QTabWidget* m_tabs = nullptr;

    ProjectRegisterPanel* m_register = nullptr;
    ProjectHeaderPanel* m_header = nullptr;
    QTreeWidget* m_photoList = nullptr;
    QCalendarWidget* m_calendar = nullptr;

    QPointer<HelpForm> m_help;
    QPointer<cal1> m_calculator;
    SchedulePage* m_scheduleTab = nullptr;
    PhotoPage* m_photoTab = nullptr;
    HistoryPage* m_historyTab = nullptr;

    ProjectData m_project;
    bool m_headerChanged = false;
    bool m_scheduleChanged = false;
    bool m_started = false;
    bool m_exitDone = false;
};
