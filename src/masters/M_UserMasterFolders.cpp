// The customer master's folders: the folder list, the folder editor and
// moving or copying customers onto a folder by dragging.
#include "M_UserMasterForm.h"

#include "AppDir.h"
#include "FolderMakeForm.h"
#include "FolderStore.h"
#include "GuiCommon.h"
#include "common.h"

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QTimer>
#include <QTreeWidget>

namespace {
const char kCustomerMime[] = "application/x-shinseidesk-customers";
}  // namespace

// ---------------------------------------------------------------- folders

void M_UserMasterForm::refreshFolders()
{
    QVector<FolderItem> folders;
    QString error;
    FolderStore store(storage(), FolderStore::Kind::Customers);
    if (!store.list(&folders, &error)) {
        common::ErrorBox(error);
        return;
    }
    m_folderList->clear();
    for (const FolderItem& f : folders) {
        auto* item = new QTreeWidgetItem(QStringList{f.name});
        item->setData(0, Qt::UserRole, f.id);
        m_folderList->addTopLevelItem(item);
    }
    const int row = folderRowOf(m_currentFolder);
    if (row >= 0) {
        m_folderList->setCurrentItem(m_folderList->topLevelItem(row));
    } else if (m_currentFolder > 0) {
        // The listed folder was deleted in the folder editor.
        m_currentFolder = 0;
        relist(0);
    }
}

int M_UserMasterForm::folderRowOf(qint64 folderId) const
{
    for (int i = 0; i < m_folderList->topLevelItemCount(); ++i)
        if (m_folderList->topLevelItem(i)->data(0, Qt::UserRole).toLongLong() == folderId)
            return i;
    return -1;
}

void M_UserMasterForm::selectFolder(int row)
{
    QTreeWidgetItem* item = m_folderList->topLevelItem(row);
    if (!item)
        return;
    if (!askToSave()) {
        // キャンセル: the folder being viewed stays chosen.
        if (const int shown = folderRowOf(m_currentFolder); shown >= 0) {
            QSignalBlocker block(m_folderList);
            m_folderList->setCurrentItem(m_folderList->topLevelItem(shown));
        }
        return;
    }
    m_folderList->setCurrentItem(item);
    m_currentFolder = item->data(0, Qt::UserRole).toLongLong();
    relist(0);
}

void M_UserMasterForm::openFolderEditor()
{
    if (!askToSave())
        return;
    FolderMakeForm editor(storage(), FolderStore::Kind::Customers, this);
    editor.exec();
    refreshFolders();
}

// ---------------------------------------------------------------- drag and drop

int M_UserMasterForm::folderRowAt(const QPoint& viewportPos) const
{
    QTreeWidgetItem* item = m_folderList->itemAt(viewportPos);
    return item ? m_folderList->indexOfTopLevelItem(item) : -1;
}

void M_UserMasterForm::highlightFolder(int row)
{
    if (row == m_highlighted)
        return;
    if (QTreeWidgetItem* old = m_folderList->topLevelItem(m_highlighted))
        old->setBackground(0, QBrush());
    m_highlighted = row;
    if (QTreeWidgetItem* item = m_folderList->topLevelItem(row))
        item->setBackground(0, palette().brush(QPalette::Highlight).color().lighter(160));
}

void M_UserMasterForm::startDrag(Qt::MouseButton button)
{
    if (selectedForDelete().isEmpty())
        return;
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kCustomerMime), button == Qt::RightButton ? "copy" : "move");
    auto* drag = new QDrag(recordList());
    drag->setMimeData(mime);
    // The office's own cursor pictures, when they lie in the application folder.
    const QPixmap over(AppDir::file(QStringLiteral("DRAG3PG.ICO")));
    const QPixmap elsewhere(AppDir::file(QStringLiteral("SECRECL.ICO")));
    if (!over.isNull()) {
        drag->setDragCursor(over, Qt::MoveAction);
        drag->setDragCursor(over, Qt::CopyAction);
    }
    if (!elsewhere.isNull())
        drag->setDragCursor(elsewhere, Qt::IgnoreAction);
    drag->exec(button == Qt::RightButton ? Qt::CopyAction : Qt::MoveAction);
    highlightFolder(-1);
}

void M_UserMasterForm::dropOnFolder(int folderRow, bool copy)
{
    QTreeWidgetItem* folder = m_folderList->topLevelItem(folderRow);
    if (!folder || m_currentFolder <= 0)
        return;
    QVector<qint64> ids;
    for (QTreeWidgetItem* item : selectedForDelete())
        if (!ids.contains(itemId(item)))
            ids << itemId(item);
    if (ids.isEmpty())
        return;
    if (!askToSave())
        return;
    int refused = 0;
    bool ok = false;
    {
        BusyCursor busy;
        ok = m_store.dropOnFolder(ids, m_currentFolder, folder->data(0, Qt::UserRole).toLongLong(), copy, &refused);
    }
    if (!ok)
        common::ErrorBox(m_store.errorString());
    if (refused > 0)
        common::ConfirmBoxTitled(CustomerStore::kFolderLimitMessage, QStringLiteral("確認"));
    relist(shownId());
}

bool M_UserMasterForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == recordList()->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            const auto* me = static_cast<QMouseEvent*>(event);
            m_dragButton = (me->button() == Qt::LeftButton || me->button() == Qt::RightButton) ? me->button() : Qt::NoButton;
            m_dragStart = me->position().toPoint();
            // A right press on an unselected row takes that row, as a left one does.
            if (me->button() == Qt::RightButton) {
                if (QTreeWidgetItem* item = recordList()->itemAt(m_dragStart); item && !item->isSelected()) {
                    recordList()->clearSelection();
                    recordList()->setCurrentItem(item);
                }
                return true;
            }
            break;
        }
        case QEvent::MouseMove: {
            const auto* me = static_cast<QMouseEvent*>(event);
            if (m_dragButton != Qt::NoButton && (me->buttons() & m_dragButton)
                && (me->position().toPoint() - m_dragStart).manhattanLength() >= QApplication::startDragDistance()) {
                const Qt::MouseButton b = m_dragButton;
                m_dragButton = Qt::NoButton;
                startDrag(b);
                return true;
            }
            break;
        }
        case QEvent::MouseButtonRelease: {
            const auto* me = static_cast<QMouseEvent*>(event);
            const bool popup = me->button() == Qt::RightButton && m_dragButton == Qt::RightButton;
            m_dragButton = Qt::NoButton;
            if (popup) {
                showPopup(me->globalPosition().toPoint());
                return true;
            }
            break;
        }
        default:
            break;
        }
        return MasterForm::eventFilter(watched, event);
    }
    if (watched == m_folderList->viewport()) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* de = static_cast<QDropEvent*>(event);
            if (!de->mimeData()->hasFormat(QString::fromLatin1(kCustomerMime))) {
                de->ignore();
                return true;
            }
            const int row = folderRowAt(de->position().toPoint());
            const bool copy = de->mimeData()->data(QString::fromLatin1(kCustomerMime)) == "copy";
            de->setDropAction(copy ? Qt::CopyAction : Qt::MoveAction);
            highlightFolder(row);
            // The list takes our drag wherever it enters (an ignored enter
            // would hide the moves that follow); only a folder row takes the drop.
            if (row >= 0 || event->type() == QEvent::DragEnter)
                de->accept();
            else
                de->ignore();
            if (row < 0 && event->type() == QEvent::DragEnter)
                de->setDropAction(Qt::IgnoreAction);
            return true;
        }
        case QEvent::DragLeave:
            highlightFolder(-1);
            return true;
        case QEvent::Drop: {
            auto* de = static_cast<QDropEvent*>(event);
            if (!de->mimeData()->hasFormat(QString::fromLatin1(kCustomerMime)))
                return false;
            const bool copy = de->mimeData()->data(QString::fromLatin1(kCustomerMime)) == "copy";
            const int row = folderRowAt(de->position().toPoint());
            de->acceptProposedAction();
            highlightFolder(-1);
            // After the drag's own event loop has ended.
            QTimer::singleShot(0, this, [this, row, copy] { dropOnFolder(row, copy); });
            return true;
        }
        default:
            break;
        }
    }
    return MasterForm::eventFilter(watched, event);
}
