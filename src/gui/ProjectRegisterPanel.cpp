#include "ProjectRegisterPanel.h"

#include "FolderMakeForm.h"
#include "GuiCommon.h"
#include "MenuCommands.h"
#include "Storage.h"
#include "SubmissionHistory.h"
#include "common.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDrag>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <utility>

namespace {

const char* const kProjectMime = "application/x-shinseidesk-projects";

QTreeWidget* makeList(const char* name, const QStringList& columns)
{
    QTreeWidget* list = GuiCommon::namedList(name, columns);
    list->setAlternatingRowColors(true);
    return list;
}

// Whether a drag carries projects, and whether it copies them.
bool carriesProjects(const QMimeData* mime, bool* copy)
{
    if (!mime->hasFormat(QString::fromLatin1(kProjectMime)))
        return false;
    *copy = mime->data(QString::fromLatin1(kProjectMime)) == "copy";
    return true;
}

}  // namespace

ProjectRegisterPanel::ProjectRegisterPanel(Storage& storage, QWidget* parent)
    : QWidget(parent)
    , m_storage(storage)
{
    m_folderList = makeList("ListView1", {QStringLiteral("フォルダ")});
    m_projectList = makeList("UserListView", {QStringLiteral("工事名"), QStringLiteral("建築物の名称")});
    m_projectList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // The widths are the user's, kept from run to run; stretching the last
    // column would overrule them.
    m_projectList->header()->setStretchLastSection(false);

    auto* lists = new QSplitter(Qt::Vertical);
    lists->setObjectName(QStringLiteral("ListSplitter"));
    lists->addWidget(m_folderList);
    lists->addWidget(m_projectList);
    lists->setStretchFactor(0, 1);
    lists->setStretchFactor(1, 2);
    lists->setChildrenCollapsible(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(lists);

    // Finding a customer's project by the telephone number on a call.
    m_telText = new QLineEdit;
    m_telText->setObjectName(QStringLiteral("TelText"));
    m_telText->setPlaceholderText(QStringLiteral("電話番号"));
    m_telText->installEventFilter(this);
    const auto request = [this](const QString& key) { emit commandRequested(key); };
    m_searchBox = new QGroupBox(QStringLiteral("電話番号検索"));
    auto* sl = new QHBoxLayout(m_searchBox);
    sl->addWidget(m_telText, 1);
    sl->addWidget(MenuCommands::makeButton("SrchBtn2", request));
    sl->addWidget(MenuCommands::makeButton("SrchBtn", request));

    connect(m_folderList, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (m_filling)
            return;
        QTreeWidgetItem* item = m_folderList->currentItem();
        if (item && item->isSelected())
            selectFolder(m_folderList->indexOfTopLevelItem(item));
    });
    connect(m_projectList, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (m_filling)
            return;
        QTreeWidgetItem* item = m_projectList->currentItem();
        // Extending a multiple selection keeps the loaded project.
        if (item && item->isSelected() && m_projectList->selectedItems().size() == 1)
            loadProject(m_projectList->indexOfTopLevelItem(item));
    });
    // Dragging projects onto a folder: the left button moves, the right
    // copies. The right button's menu opens on a release without a drag
    // (see projectListEvent), and from the keyboard's menu key.
    m_projectList->installEventFilter(this);
    m_projectList->viewport()->installEventFilter(this);
    m_projectList->setContextMenuPolicy(Qt::DefaultContextMenu);
    m_folderList->viewport()->installEventFilter(this);
    m_folderList->setAcceptDrops(true);
    m_folderList->viewport()->setAcceptDrops(true);
}

void ProjectRegisterPanel::refreshFolders()
{
    QString error;
    if (!FolderStore(m_storage, FolderStore::Kind::Projects).list(&m_folders, &error)) {
        common::ErrorBox(error);
        m_folders.clear();
    }
    m_filling = true;
    m_folderList->clear();
    int current = -1;
    for (int i = 0; i < m_folders.size(); ++i) {
        m_folderList->addTopLevelItem(new QTreeWidgetItem({m_folders[i].name}));
        if (m_folders[i].fid == m_currentFolder)
            current = i;
    }
    if (current >= 0) {
        m_folderList->setCurrentItem(m_folderList->topLevelItem(current));
        m_folderList->topLevelItem(current)->setSelected(true);
    }
    m_filling = false;
}

void ProjectRegisterPanel::selectFolder(int row)
{
    if (row < 0 || row >= m_folders.size())
        return;
    if (!canLeave())
        return;
    m_currentFolder = m_folders[row].fid;
    m_selectedIndex = 0;
    m_filling = true;
    m_folderList->setCurrentItem(m_folderList->topLevelItem(row));
    m_folderList->topLevelItem(row)->setSelected(true);
    m_filling = false;
    fillProjectList();
}

void ProjectRegisterPanel::fillProjectList()
{
    BusyCursor busy;
    QString error;
    if (!ProjectRegister(m_storage).projectsInFolder(m_currentFolder, &m_projects, &error)) {
        common::ErrorBox(error);
        m_projects.clear();
    }
    m_filling = true;
    m_projectList->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(m_projects.size());
    for (const ProjectItem& p : std::as_const(m_projects))
        items.append(new QTreeWidgetItem({p.kouji, p.buken}));
    m_projectList->addTopLevelItems(items);
    m_filling = false;
    if (m_projects.isEmpty()) {
        // An empty folder: nothing is loaded, nothing can be edited.
        emit projectChosen(ProjectData());
        return;
    }
    loadProject(qBound(0, m_selectedIndex, static_cast<int>(m_projects.size()) - 1));
}

void ProjectRegisterPanel::selectProject(int row)
{
    loadProject(row);
}

void ProjectRegisterPanel::loadProject(int row)
{
    if (row < 0 || row >= m_projects.size())
        return;
    if (!canLeave()) {
        // Put the selection back on the project with the unsaved edits.
        m_filling = true;
        m_projectList->clearSelection();
        if (QTreeWidgetItem* item = m_projectList->topLevelItem(m_selectedIndex)) {
            m_projectList->setCurrentItem(item);
            item->setSelected(true);
        }
        m_filling = false;
        return;
    }
    // Saving refills the list; the row may have moved.
    if (row >= m_projects.size())
        return;
    BusyCursor busy;
    m_selectedIndex = row;
    ProjectData data;
    QString error;
    if (!ProjectData::load(m_storage, m_projects[row].bid, &data, &error)) {
        common::ErrorBox(error);
        return;
    }
    m_filling = true;
    m_projectList->clearSelection();
    QTreeWidgetItem* item = m_projectList->topLevelItem(row);
    m_projectList->setCurrentItem(item);
    item->setSelected(true);
    m_projectList->scrollToItem(item);
    m_filling = false;
    emit projectChosen(data);
}

QVector<qint64> ProjectRegisterPanel::selectedBids() const
{
    QVector<qint64> bids;
    for (int i = 0; i < m_projectList->topLevelItemCount() && i < m_projects.size(); ++i)
        if (m_projectList->topLevelItem(i)->isSelected())
            bids.append(m_projects[i].bid);
    return bids;
}

void ProjectRegisterPanel::newProject()
{
    if (m_folders.isEmpty()) {
        common::WarningBox(QStringLiteral("物件フォルダがありません。「フォルダ」メニューの「作成」でフォルダを作成してください。"));
        return;
    }
    if (!canLeave())
        return;
    if (m_currentFolder == 0)
        m_currentFolder = m_folders.first().fid;
    qint64 bid = 0;
    QString error;
    {
        BusyCursor busy;
        if (!ProjectRegister(m_storage).createProject(m_currentFolder, &bid, &error)) {
            common::ErrorBox(error);
            return;
        }
    }
    QString ignored;
    ProjectRegister(m_storage).projectsInFolder(m_currentFolder, &m_projects, &ignored);
    for (int i = 0; i < m_projects.size(); ++i)
        if (m_projects[i].bid == bid)
            m_selectedIndex = i;
    fillProjectList();
}

void ProjectRegisterPanel::deleteSelectedProjects()
{
    const QVector<qint64> bids = selectedBids();
    if (bids.isEmpty())
        return;
    if (common::ConfirmBox(QStringLiteral("%1件の別件を削除します。　よろしいですか？").arg(bids.size())) != 0)
        return;
    // The office's submissions never vanish with a project: say where they go.
    int history = 0;
    for (qint64 bid : bids)
        history += SubmissionHistory::count(m_storage, bid);
    const QString kept = history == 0 ? QString()
                                      : QStringLiteral("\n提出履歴（%1件）のファイルは「%2/%3」に残します。")
                                            .arg(history)
                                            .arg(SubmissionHistory::kFolder, SubmissionHistory::kDeletedFolder);
    if (common::ConfirmBox(QStringLiteral("本当によろしいですか？") + kept) != 0)
        return;
    QString error;
    QStringList keptAt;
    {
        BusyCursor busy;
        if (!ProjectRegister(m_storage).deleteProjects(bids, &error, &keptAt)) {
            common::ErrorBox(error);
            return;
        }
    }
    if (!keptAt.isEmpty())
        common::ConfirmBoxTitled(QStringLiteral("削除した物件の提出履歴は次のフォルダに残しました。\n%1")
                                     .arg(QDir::toNativeSeparators(keptAt.join(QLatin1Char('\n')))),
                                 QStringLiteral("提出履歴"));
    emit editsDropped();
    m_selectedIndex = qMax(0, m_selectedIndex - 1);
    refreshFolders();
    fillProjectList();
}

void ProjectRegisterPanel::phoneSearch()
{
    if (m_telText->text().isEmpty())
        return;
    ProjectItem found;
    qint64 folder = 0;
    QString error;
    if (!ProjectRegister(m_storage).findByPhone(m_telText->text(), &found, &folder, &error)) {
        if (!error.isEmpty())
            common::ErrorBox(error);
        else
            emit note(QStringLiteral("該当する電話番号の物件はありません。"));
        return;
    }
    for (int i = 0; i < m_folders.size(); ++i) {
        if (m_folders[i].fid != folder)
            continue;
        selectFolder(i);
        if (m_currentFolder != folder)
            return;  // the user kept unsaved edits
        for (int r = 0; r < m_projects.size(); ++r) {
            if (m_projects[r].kouji == found.kouji) {
                loadProject(r);
                break;
            }
        }
        return;
    }
}

void ProjectRegisterPanel::dropProjectsOnFolder(int folderRow, bool copy)
{
    if (folderRow < 0 || folderRow >= m_folders.size())
        return;
    const QVector<qint64> bids = selectedBids();
    if (bids.isEmpty())
        return;
    const qint64 target = m_folders[folderRow].fid;
    if (!copy && target == m_currentFolder)
        return;
    if (!canLeave())
        return;
    QString error;
    ProjectRegister reg(m_storage);
    const bool ok = copy ? reg.copyProjects(bids, target, &error) : reg.moveProjects(bids, m_currentFolder, target, &error);
    if (!ok)
        common::ErrorBox(error);
    else
        emit note(QStringLiteral("%1件の物件を「%2」に%3しました。")
                      .arg(bids.size())
                      .arg(m_folders[folderRow].name, copy ? QStringLiteral("コピー") : QStringLiteral("移動")));
    fillProjectList();
}

void ProjectRegisterPanel::fillFolderMenu(QMenu* menu, bool copy)
{
    menu->clear();
    if (selectedBids().isEmpty()) {
        menu->addAction(QStringLiteral("（物件が選択されていません）"))->setEnabled(false);
        return;
    }
    for (int row = 0; row < m_folders.size(); ++row) {
        if (!copy && m_folders[row].fid == m_currentFolder)
            continue;
        QAction* a = menu->addAction(m_folders[row].name);
        a->setData(m_folders[row].fid);
        connect(a, &QAction::triggered, this, [this, row, copy] { dropProjectsOnFolder(row, copy); });
    }
}

void ProjectRegisterPanel::addFolderMenus(QMenu* folderMenu)
{
    for (const bool copy : {false, true}) {
        QMenu* to = folderMenu->addMenu(copy ? QStringLiteral("選択した物件を別のフォルダへコピー(&C)")
                                             : QStringLiteral("選択した物件を別のフォルダへ移動(&M)"));
        to->setObjectName(copy ? QStringLiteral("mnCopyProjects") : QStringLiteral("mnMoveProjects"));
        connect(to, &QMenu::aboutToShow, this, [this, to, copy] { fillFolderMenu(to, copy); });
    }
}

void ProjectRegisterPanel::openFolderWindow()
{
    if (!canLeave())
        return;
    FolderMakeForm form(m_storage, FolderStore::Kind::Projects, window());
    form.exec();
    refreshFolders();
    bool stillThere = false;
    for (const FolderItem& f : std::as_const(m_folders))
        stillThere = stillThere || f.fid == m_currentFolder;
    if (!stillThere && !m_folders.isEmpty())
        selectFolder(0);
    else
        fillProjectList();
}

// Columns narrower together than the list are widened in their own
// proportion until they fill it, so that no name is cut short while the
// list has room; wider ones are the user's choice and scroll.
void ProjectRegisterPanel::fillColumns()
{
    if (!m_projectList->isVisible())
        return;
    QHeaderView* header = m_projectList->header();
    const int room = m_projectList->viewport()->width();
    const int used = header->sectionSize(0) + header->sectionSize(1);
    if (used <= 0 || used >= room)
        return;
    const int first = static_cast<int>(static_cast<qint64>(header->sectionSize(0)) * room / used);
    header->resizeSection(0, first);
    header->resizeSection(1, room - first);
}

int ProjectRegisterPanel::folderRowAt(const QPoint& viewportPos) const
{
    QTreeWidgetItem* item = m_folderList->itemAt(viewportPos);
    return item ? m_folderList->indexOfTopLevelItem(item) : -1;
}

void ProjectRegisterPanel::startProjectDrag(Qt::MouseButton button)
{
    if (selectedBids().isEmpty())
        return;
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kProjectMime), button == Qt::RightButton ? "copy" : "move");
    auto* drag = new QDrag(m_projectList);
    drag->setMimeData(mime);
    const QStyle::StandardPixmap icon = button == Qt::RightButton ? QStyle::SP_FileDialogNewFolder : QStyle::SP_FileIcon;
    drag->setPixmap(style()->standardIcon(icon).pixmap(32, 32));
    drag->exec(button == Qt::RightButton ? Qt::CopyAction : Qt::MoveAction);
}

bool ProjectRegisterPanel::projectListEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* me = static_cast<QMouseEvent*>(event);
        m_dragButton = (me->button() == Qt::LeftButton || me->button() == Qt::RightButton) ? me->button() : Qt::NoButton;
        m_dragStart = me->position().toPoint();
        return false;
    }
    case QEvent::MouseMove: {
        const auto* me = static_cast<QMouseEvent*>(event);
        if (m_dragButton == Qt::NoButton || !(me->buttons() & m_dragButton)
            || (me->position().toPoint() - m_dragStart).manhattanLength() < QApplication::startDragDistance())
            return false;
        const Qt::MouseButton button = m_dragButton;
        m_dragButton = Qt::NoButton;
        startProjectDrag(button);
        return true;
    }
    case QEvent::MouseButtonRelease: {
        // A right click that did not become a copying drag opens the project's menu.
        const auto* me = static_cast<QMouseEvent*>(event);
        const bool menu = me->button() == Qt::RightButton && m_dragButton == Qt::RightButton
                          && m_projectList->itemAt(me->position().toPoint());
        m_dragButton = Qt::NoButton;
        if (menu)
            emit projectMenuRequested(me->globalPosition().toPoint());
        return menu;
    }
    case QEvent::ContextMenu:
        return true;  // the release above opens it: no menu of the main window
    case QEvent::Resize:
        fillColumns();
        return false;
    default:
        return false;
    }
}

bool ProjectRegisterPanel::folderListEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* de = static_cast<QDropEvent*>(event);
        bool copy = false;
        // The drag is taken as soon as it enters the list, wherever it
        // enters: a refused entry gets no further move events, so a drag
        // coming in between rows could never reach a folder.
        const bool overRow = folderRowAt(de->position().toPoint()) >= 0;
        if (carriesProjects(de->mimeData(), &copy) && (overRow || event->type() == QEvent::DragEnter)) {
            de->setDropAction(copy ? Qt::CopyAction : Qt::MoveAction);
            de->accept();
            if (!overRow)
                de->setDropAction(Qt::IgnoreAction);
        } else {
            de->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto* de = static_cast<QDropEvent*>(event);
        bool copy = false;
        if (!carriesProjects(de->mimeData(), &copy))
            return false;
        const int row = folderRowAt(de->position().toPoint());
        if (row < 0) {
            de->ignore();
            return true;
        }
        de->acceptProposedAction();
        // After the drag's own event loop has ended.
        QTimer::singleShot(0, this, [this, row, copy] { dropProjectsOnFolder(row, copy); });
        return true;
    }
    default:
        return false;
    }
}

bool ProjectRegisterPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_projectList && event->type() == QEvent::ContextMenu) {
        // The menu key (Shift+F10) opens the project's menu at the current project.
        if (QTreeWidgetItem* item = m_projectList->currentItem())
            emit projectMenuRequested(
                m_projectList->viewport()->mapToGlobal(m_projectList->visualItemRect(item).bottomLeft()));
        return true;
    }
    if (watched == m_projectList->viewport() && projectListEvent(event))
        return true;
    if (watched == m_folderList->viewport() && folderListEvent(event))
        return true;
    if (watched == m_telText && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            emit commandRequested(QStringLiteral("SrchBtn2"));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
