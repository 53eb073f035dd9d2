#pragma once

#include "FolderStore.h"

#include <QDialog>
#include <QVector>

class QLineEdit;
class QPushButton;
class QTreeWidget;
class Storage;

// Keeps the folder names of the project register or, in customer mode, of
// the customer master: new, rename, delete.
class FolderMakeForm : public QDialog {
    Q_OBJECT
public:
    FolderMakeForm(Storage& storage, FolderStore::Kind kind, QWidget* parent = nullptr);

    QTreeWidget* list() const { return m_list; }
    QLineEdit* nameField() const { return m_text; }
    // The folder rows as listed, by key.
    const QVector<FolderItem>& folders() const { return m_folders; }

    void selectRow(int row);
    void newFolder();
    void applyName();
    void deleteFolder();

private:
    void refill(int selectRow);
    void rowSelected();
    int currentRow() const;

    FolderStore m_store;
    FolderStore::Kind m_kind;
    QVector<FolderItem> m_folders;
    QTreeWidget* m_list;
    QLineEdit* m_text;
    QPushButton* m_newBtn;
    QPushButton* m_editBtn;
    QPushButton* m_delBtn;
    QPushButton* m_closeBtn;
    QPushButton* m_helpBtn;
};
