#pragma once

#include "FolderStore.h"
#include "ProjectData.h"
#include "ProjectRegister.h"

#include <QPoint>
#include <QVector>
#include <QWidget>

#include <functional>
#include <utility>

class QGroupBox;
class QLineEdit;
class QMenu;
class QTreeWidget;
class Storage;

// The register of projects on the main window's project tab: the folders,
// the projects of the chosen folder, moving and copying projects between
// folders by dragging or by menu, and finding a project by a customer's
// telephone number. Whatever replaces the shown project asks the leave
// guard first, so that unsaved edits are saved or dropped.
class ProjectRegisterPanel : public QWidget {
    Q_OBJECT
public:
    explicit ProjectRegisterPanel(Storage& storage, QWidget* parent = nullptr);

    // False keeps the shown project (the user chose to stay with its edits).
    void setLeaveGuard(std::function<bool()> canLeave) { m_canLeave = std::move(canLeave); }

    const QVector<FolderItem>& folders() const { return m_folders; }
    const QVector<ProjectItem>& projects() const { return m_projects; }
    qint64 currentFolderId() const { return m_currentFolder; }
    QTreeWidget* folderList() const { return m_folderList; }
    QTreeWidget* projectList() const { return m_projectList; }
    // The telephone search, laid out by the window beside the header.
    QGroupBox* searchBox() const { return m_searchBox; }

    void refreshFolders();
    void selectFolder(int row);
    void selectProject(int row);
    // Reads the folder's projects again and shows the selected one.
    void fillProjectList();
    void newProject();
    void deleteSelectedProjects();
    void phoneSearch();
    // Moves (or copies) the selected projects into the folder of a row of
    // the folder list, as dropping them there with the left (right) button.
    void dropProjectsOnFolder(int folderRow, bool copy);
    // Lists the folders the selected projects can be moved (copied) into.
    void fillFolderMenu(QMenu* menu, bool copy);
    // Moving and copying projects without the mouse: submenus of the
    // window's folder menu doing the same as dropping the selected projects
    // on a folder with the left or right button.
    void addFolderMenus(QMenu* folderMenu);
    void openFolderWindow();
    // Widens the columns to the list (see the definition).
    void fillColumns();

signals:
    // The project chosen, as read from the database; an empty one when the
    // folder has none.
    void projectChosen(const ProjectData& project);
    // The shown project was deleted with its unsaved edits.
    void editsDropped();
    // A button or key of the panel asks for a command of the main window.
    void commandRequested(const QString& key);
    void note(const QString& text);
    void projectMenuRequested(const QPoint& globalPos);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool canLeave() const { return !m_canLeave || m_canLeave(); }
    void loadProject(int row);
    QVector<qint64> selectedBids() const;
    void startProjectDrag(Qt::MouseButton button);
    int folderRowAt(const QPoint& viewportPos) const;
    bool projectListEvent(QEvent* event);
    bool folderListEvent(QEvent* event);

    Storage& m_storage;
    std::function<bool()> m_canLeave;
    QTreeWidget* m_folderList = nullptr;
    QTreeWidget* m_projectList = nullptr;
    QGroupBox* m_searchBox = nullptr;
    QLineEdit* m_telText = nullptr;

    QVector<FolderItem> m_folders;
    qint64 m_currentFolder = 0;
    QVector<ProjectItem> m_projects;
    int m_selectedIndex = 0;
    bool m_filling = false;  // selection changes made by the program itself
    Qt::MouseButton m_dragButton = Qt::NoButton;
    QPoint m_dragStart;
};
