#include "PhotoPage.h"

#include "AppDir.h"
#include "BusyCursor.h"
#include "PhotoFolder.h"
#include "FileDialogs.h"
#include "GuiCommon.h"
#include "common.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImageReader>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

PhotoPage::PhotoPage(QWidget* parent)
    : QWidget(parent)
{
    // Every format the image library here reads is listed and can be added.
    QStringList formats;
    for (const QByteArray& f : QImageReader::supportedImageFormats())
        formats << QString::fromLatin1(f);
    PhotoFolder::setPictureFormats(formats);

    m_list = GuiCommon::namedList("ListView3", {QStringLiteral("写真ファイル一覧"), QStringLiteral("日付"), QStringLiteral("サイズ")});
    m_list->setAlternatingRowColors(true);
    // Date and size always show whole; the file name takes the rest.
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_list->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_list->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);

    auto* frame = new QFrame;
    frame->setObjectName(QStringLiteral("Picture1"));
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setMinimumSize(320, 240);
    m_image = new QLabel;
    m_image->setObjectName(QStringLiteral("Image1"));
    m_image->setAlignment(Qt::AlignCenter);
    m_image->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    auto* fl = new QVBoxLayout(frame);
    fl->addWidget(m_image);

    m_copyBtn = new QPushButton(QStringLiteral("画像コピー"));
    m_copyBtn->setObjectName(QStringLiteral("CopyBtn"));
    m_addBtn = new QPushButton(QStringLiteral("写真選択"));
    m_addBtn->setObjectName(QStringLiteral("Command10"));
    m_copyBtn->setEnabled(false);
    auto* hint = new QLabel(kHint);
    hint->setObjectName(QStringLiteral("Label1"));
    hint->setWordWrap(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_addBtn);
    buttons->addWidget(m_copyBtn);
    buttons->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addWidget(frame, 1);
    right->addLayout(buttons);
    right->addWidget(hint);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(m_list, 2);
    layout->addLayout(right, 3);

    connect(m_list, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item)
            selectPicture(m_list->indexOfTopLevelItem(item));
    });
    connect(m_copyBtn, &QPushButton::clicked, this, &PhotoPage::copyToClipboard);
    connect(m_addBtn, &QPushButton::clicked, this, &PhotoPage::choosePicture);
    setFolder(QString());
}

void PhotoPage::setFolder(const QString& folderPath)
{
    m_folder = folderPath;
    m_addBtn->setEnabled(!folderPath.isEmpty() || m_folderMaker);
    refresh();
}

void PhotoPage::refresh()
{
    m_pictures = PhotoFolder::list(m_folder);
    m_list->clear();
    const QLocale ja(QLocale::Japanese, QLocale::Japan);
    for (const PhotoFolder::Picture& p : std::as_const(m_pictures)) {
        auto* item = new QTreeWidgetItem(
            {p.name, p.modified.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")), ja.toString(p.size)});
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        m_list->addTopLevelItem(item);
    }
    m_picture = QPixmap();
    m_copyBtn->setEnabled(false);
    showPreview();
}

void PhotoPage::selectPicture(int row)
{
    if (row < 0 || row >= m_pictures.size())
        return;
    if (m_list->currentItem() != m_list->topLevelItem(row))
        m_list->setCurrentItem(m_list->topLevelItem(row));
    const QString path = QDir(m_folder).filePath(m_pictures[row].name);
    const bool ok = BusyCursor::during([&] { return m_picture.load(path); });
    if (!ok) {
        m_picture = QPixmap();
        common::ErrorBox(QStringLiteral("写真「%1」を読み込めません。").arg(m_pictures[row].name));
    }
    m_copyBtn->setEnabled(!m_picture.isNull());
    showPreview();
}

void PhotoPage::showPreview()
{
    if (m_picture.isNull()) {
        m_image->clear();
        return;
    }
    // The whole picture, as large as the frame allows, never distorted.
    m_image->setPixmap(m_picture.scaled(m_image->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void PhotoPage::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    showPreview();
}

void PhotoPage::copyToClipboard()
{
    if (m_picture.isNull())
        return;
    QClipboard* clip = QApplication::clipboard();
    clip->clear();
    clip->setPixmap(m_picture);
}

bool PhotoPage::addPicture(const QString& file)
{
    if (m_folder.isEmpty() && m_folderMaker)
        m_folder = m_folderMaker();
    if (m_folder.isEmpty())
        return false;
    QString stored, error;
    // The name may promise a picture that the file is not.
    if (PhotoFolder::isListed(file) && !QImageReader(file).canRead()) {
        common::ErrorBox(QStringLiteral("「%1」は画像として読み込めないため、追加できません。").arg(QFileInfo(file).fileName()));
        return false;
    }
    if (!PhotoFolder::addPicture(m_folder, file, &stored, &error)) {
        common::ErrorBox(error);
        return false;
    }
    refresh();
    for (int i = 0; i < m_pictures.size(); ++i)
        if (m_pictures[i].name == stored)
            selectPicture(i);
    return true;
}

void PhotoPage::choosePicture()
{
    QString start = AppDir::file(QStringLiteral("Photo"));
    if (!QDir(start).exists())
        start = QDir::homePath();
    QStringList patterns;
    for (const QString& f : PhotoFolder::pictureFormats())
        patterns << QStringLiteral("*.") + f << QStringLiteral("*.") + f.toUpper();
    const QString file = FileDialogs::openFile(this, QStringLiteral("写真選択"), start,
                                               QStringLiteral("写真 (%1);;すべてのファイル (*)").arg(patterns.join(QLatin1Char(' '))));
    if (!file.isEmpty())
        addPicture(file);
}
