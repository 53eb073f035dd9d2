#pragma once

#include "FolderStore.h"
#include "ProjectData.h"
#include "ProjectRegister.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QVector>

#include <functional>

class AddressChooser;
class HistoryPage;
class PhotoPage;
class SchedulePage;
class cal1;
class HelpForm;
class QAction;
class QCalendarWidget;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
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
    qint64 currentFolderId() const { return m_currentFolder; }
    const QVector<FolderItem>& folders() const { return m_folders; }
    const QVector<ProjectItem>& projects() const { return m_projects; }

    // The register: what the toolbar, the lists and the search do.
    void refreshFolders();
    void selectFolder(int row);
    void selectProject(int row);
    void newProject();
    void deleteSelectedProjects();
    void phoneSearch();
    // Moves (or copies) the selected projects into the folder of a row of
    // the folder list, as dropping them there with the left (right) button.
    void dropProjectsOnFolder(int folderRow, bool copy);
    void openFolderWindow();
    // Lists the folders the selected projects can be moved (copied) into.
    void fillFolderMenu(QMenu* menu, bool copy);
    // Postal look-ups of the header: code → address, address → code.
    void lookUpAddress();
    void lookUpPostalCode();
    // Tests answer the address choice instead of the choice window.
    void setAddressChooser(AddressChooser* chooser) { m_chooser = chooser; }
    // 申請棟数, 1 to 3: an up-down field in the header's Enter order, typed
    // into or stepped with the arrow keys.
    int buildingCount() const { return m_buildingCount; }
    void setBuildingCount(int count);

    // Writes the header of the current project and clears the edited flag.
    void saveProject();

    // The exit command: asks about unsaved edits, keeps the window's place
    // for the next start and ends the program.
    void exitApplication();

    // Windows of other parts of the program hook themselves onto a toolbar
    // key or menu item here (the executable registers them at start), so
    // that this window needs to know none of them. An entry-window key
    // still runs the project checks before its opener is called.
    using WindowOpener = std::function<void(MenuForm&)>;
    static void registerOpener(const QString& key, WindowOpener opener);
    static void clearOpeners();
    // The document output of the drop-down: sheet 0–11 of the application
    // workbook, or -1 for the sick-house workbook. Called with the project
    // freshly read back from the database.
    using OutputHandler = std::function<void(MenuForm&, int sheet)>;
    static void setOutputHandler(OutputHandler handler);
    // "PDF出力" of the drop-down: sheet 0–11, or -1 for every printed
    // sheet of the workbook. Called like the output handler; the handler
    // asks where to save. Without a handler the PDF items are not shown.
    using PdfHandler = std::function<void(MenuForm&, int sheet, const QString& documentName)>;
    static void setPdfHandler(PdfHandler handler);
    // "メール伝言" of the schedule tab: opens a message with this subject and body.
    using MailHandler = std::function<void(MenuForm&, const QString& subject, const QString& body)>;
    static void setMailHandler(MailHandler handler);

    // The action of a toolbar key or menu item by its name (nullptr if unknown).
    QAction* action(const QString& key) const;

    QTabWidget* tabs() const { return m_tabs; }
    QToolBar* toolbar() const { return m_toolbar; }
    QToolButton* salesMakeButton() const { return m_salesButton; }
    QMenu* outputMenu() const { return m_outputMenu; }
    // The project list's context menu (申請前チェック).
    QMenu* projectMenu() const { return m_projectMenu; }
    // The errors of the 申請前チェック that concern an output document
    // (0–11; -1: every document), for the current project as loaded.
    int checkErrors(int sheet) const;
    // Writes that count into the check's menu item.
    void updateCheckCount();
    QTreeWidget* folderList() const { return m_folderList; }
    QTreeWidget* projectList() const { return m_projectList; }
    QTreeWidget* photoList() const { return m_photoList; }
    SchedulePage* schedulePage() const { return m_scheduleTab; }
    PhotoPage* photoPage() const { return m_photoTab; }
    HistoryPage* historyPage() const { return m_historyTab; }
    Storage& storage() const { return m_storage; }
    cal1* calculatorWindow() const;
    QCalendarWidget* calendar() const { return m_calendar; }
    QSpinBox* buildingCountBox() const { return m_tousu; }
    // The header fields in their Enter order.
    const QVector<QWidget*>& headerFields() const { return m_headerFields; }
    // The help viewer, once it has been opened.
    HelpForm* helpForm() const;

signals:
    // A project was loaded (or reloaded) into the current project state.
    void projectLoaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildActions();
    void buildMenus();
    void buildToolbar();
    QWidget* buildProjectTab();
    QWidget* buildScheduleTab();
    QWidget* buildPhotoTab();

    void fillCodeLists();
    void restoreWindowSettings();
    void saveWindowSettings();
    void fillProjectColumns();
    // false when the user chose to stay (キャンセル, or a save that failed).
    bool runExitSteps();

    void runCommand(const QString& key);
    void runOutput(int sheet, const QString& name);
    void runPdf(int sheet, const QString& name);
    bool prepareOutput();
    // Asks before a document with errors of the check is made; No opens the check.
    bool confirmPrintWithErrors(int sheet);
    bool checkProjectExists();
    void showUnavailable(const QString& feature);
    void showHelp();
    void showManualPage(const QString& page);
    void showVersion();
    void showCalculator();
    QString makePhotoFolder();

    void fillProjectList();
    void loadProject(int row);
    void showProject();
    bool askToSaveEdits();
    QVector<qint64> selectedBids() const;
    bool checkFloorCounts();
    void startProjectDrag(Qt::MouseButton button);
    int folderRowAt(const QPoint& viewportPos) const;

    void headerFieldChanged();
    void buildingCountChanged(int count);
    void checkHeaderFit(QLineEdit* field);
    void moveToNextField(QWidget* from);
    void setHighlighted(QWidget* field, bool on);

    int toTwipsX(int px) const;
    int toTwipsY(int px) const;
    int toPixelsX(int twips) const;
    int toPixelsY(int twips) const;

    Storage& m_storage;

    QHash<QString, QAction*> m_actions;
    QToolBar* m_toolbar = nullptr;
    QToolButton* m_salesButton = nullptr;
    QMenu* m_outputMenu = nullptr;
    QMenu* m_projectMenu = nullptr;
    QTabWidget* m_tabs = nullptr;

    QTreeWidget* m_folderList = nullptr;
    QTreeWidget* m_projectList = nullptr;
    QTreeWidget* m_scheduleList = nullptr;
    QTreeWidget* m_photoList = nullptr;
    QCalendarWidget* m_calendar = nullptr;

    QLineEdit* m_kouji = nullptr;
    QLineEdit* m_buken = nullptr;
    QLineEdit* m_furi1 = nullptr;
    QLineEdit* m_furi2 = nullptr;
    QLineEdit* m_name7 = nullptr;
    QLineEdit* m_post6 = nullptr;
    QLineEdit* m_addr6 = nullptr;
    QLineEdit* m_tel4 = nullptr;
    QComboBox* m_shu1 = nullptr;
    QComboBox* m_shu2 = nullptr;
    QLineEdit* m_kin1 = nullptr;
    QVector<QWidget*> m_headerFields;
    QPushButton* m_postBtn = nullptr;
    QPushButton* m_addrBtn = nullptr;
    QSpinBox* m_tousu = nullptr;
    QHash<QLineEdit*, QString> m_fitNow;     // a header field's text as last seen
    QHash<QLineEdit*, QString> m_fitBefore;  // and before its last change
    QLineEdit* m_telText = nullptr;
    QPushButton* m_srchBtn2 = nullptr;
    QPushButton* m_srchBtn = nullptr;

    QPointer<HelpForm> m_help;
    QPointer<cal1> m_calculator;
    SchedulePage* m_scheduleTab = nullptr;
    PhotoPage* m_photoTab = nullptr;
    HistoryPage* m_historyTab = nullptr;

    QVector<FolderItem> m_folders;
    qint64 m_currentFolder = 0;
    QVector<ProjectItem> m_projects;
    int m_selectedIndex = 0;
    ProjectData m_project;
    bool m_scheduleChanged = false;
    bool m_started = false;
    bool m_filling = false;  // selection changes made by the program itself
    AddressChooser* m_chooser = nullptr;
    Qt::MouseButton m_dragButton = Qt::NoButton;
    QPoint m_dragStart;

    bool m_loading = false;
    bool m_headerChanged = false;
    int m_buildingCount = 1;
    bool m_exitDone = false;
};
