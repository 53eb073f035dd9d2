#pragma once

#include "PhotoFolder.h"

#include <QPixmap>
#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class QTreeWidget;

// The photo tab of the main window: the pictures of the current project's
// photo folder, a preview, copying a picture to the clipboard and adding
// pictures to the folder.
class PhotoPage : public QWidget {
    Q_OBJECT
public:
    static inline const QString kHint = QStringLiteral(
        "【画像コピー】を押すと、システムメモリにコピーされます。　Excelシートの指定場所で貼付けを行うことができます。"
        "　　Excelシート貼付けは、保存されませんので、その都度ハリ付けしてください。");

    explicit PhotoPage(QWidget* parent = nullptr);

    // The folder of the current project; empty when none is loaded.
    void setFolder(const QString& folderPath);
    QString folder() const { return m_folder; }
    // Gives the folder a project without one gets when a picture is added.
    void setFolderMaker(std::function<QString()> maker) { m_folderMaker = std::move(maker); }

    void refresh();
    void selectPicture(int row);
    void copyToClipboard();
    // Copies a picture file into the folder and lists it.
    bool addPicture(const QString& file);

    QTreeWidget* list() const { return m_list; }
    const QPixmap& picture() const { return m_picture; }
    QLabel* preview() const { return m_image; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void choosePicture();
    void showPreview();

    QString m_folder;
    QVector<PhotoFolder::Picture> m_pictures;
    QPixmap m_picture;
    std::function<QString()> m_folderMaker;
    QTreeWidget* m_list;
    QLabel* m_image;
    QPushButton* m_copyBtn;
    QPushButton* m_addBtn;
};
