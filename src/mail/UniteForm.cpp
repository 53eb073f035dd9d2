#include "UniteForm.h"

#include "AppDir.h"
#include "FileDialogs.h"
#include "GuiCommon.h"
#include "Prompter.h"
#include "SafeFile.h"
#include "common.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>

UniteForm::UniteForm(Mode mode, QWidget* parent)
    : QDialog(parent)
    , m_mode(mode)
{
    setObjectName(QStringLiteral("UniteForm"));
    setWindowTitle(mode == Mode::Attach ? kAttachCaption : kSaveCaption);
    setModal(true);
    resize(560, 340);

    m_list = new QListWidget;
    m_list->setObjectName(QStringLiteral("FileList"));
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setToolTip(QStringLiteral("ダブルクリックするとファイルを開きます。Delete キーで一覧から外します。"));
    m_list->installEventFilter(this);

    using GuiCommon::namedButton;
    QPushButton* choose = namedButton("FileBtn", QStringLiteral("ファイルの選択"));
    m_sendBtn = namedButton("SendBtn", mode == Mode::Attach ? QStringLiteral("転送") : QStringLiteral("保存(&A)"));
    QPushButton* close = namedButton("CloseBtn", QStringLiteral("閉じる"));
    choose->setVisible(mode == Mode::Attach);
    m_sendBtn->setToolTip(mode == Mode::Attach ? QStringLiteral("一覧のファイルをメールに添付します。")
                                               : QStringLiteral("選んだファイルを保存先のフォルダにコピーします。"));

    auto* note = new QLabel(mode == Mode::Attach
                                ? QStringLiteral("「ファイルの選択」で添付するファイルを選び、「転送」を押してください。")
                                : QStringLiteral("保存するファイルを選び、「保存」を押して保存先のフォルダを選んでください。"));
    note->setWordWrap(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(choose);
    buttons->addStretch(1);
    buttons->addWidget(m_sendBtn);
    buttons->addWidget(close);
    auto* root = new QVBoxLayout(this);
    root->addWidget(note);
    root->addWidget(m_list, 1);
    root->addLayout(buttons);

    connect(choose, &QPushButton::clicked, this, &UniteForm::chooseFiles);
    connect(m_sendBtn, &QPushButton::clicked, this, &UniteForm::transfer);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { openItem(m_list->row(item)); });
}

void UniteForm::setFiles(const QStringList& files)
{
    m_files.clear();
    m_list->clear();
    addFiles(files);
}

void UniteForm::addFiles(const QStringList& paths)
{
    for (const QString& p : paths) {
        if (p.isEmpty())
            continue;
        if (AppDir::isDatabaseFile(p)) {
            common::ErrorBox(QStringLiteral("「%1」はこのプログラムのデータベースのため、添付できません。")
                                 .arg(QDir::toNativeSeparators(p)));
            continue;
        }
        m_files << p;
        auto* item = new QListWidgetItem(style()->standardIcon(QStyle::SP_FileIcon), QFileInfo(p).fileName(), m_list);
        item->setToolTip(QDir::toNativeSeparators(p));
    }
}

void UniteForm::removeSelected()
{
    for (int row = m_list->count() - 1; row >= 0; --row) {
        if (m_list->item(row)->isSelected()) {
            delete m_list->takeItem(row);
            m_files.removeAt(row);
        }
    }
}

void UniteForm::chooseFiles()
{
    const QStringList paths =
        FileDialogs::openFiles(this, QStringLiteral("ファイルの選択"), QString(), QStringLiteral("すべてのファイル (*)"));
    addFiles(paths);
}

void UniteForm::openItem(int row)
{
    if (row < 0 || row >= m_files.size())
        return;
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(m_files.at(row))))
        common::ErrorBox(QStringLiteral("ファイルを開けませんでした。（%1）").arg(m_files.at(row)));
}

int UniteForm::saveInto(const QString& folder)
{
    QVector<int> rows;
    for (int row = 0; row < m_list->count(); ++row)
        if (m_list->item(row)->isSelected())
            rows << row;
    if (rows.isEmpty())
        for (int row = 0; row < m_files.size(); ++row)
            rows << row;
    int written = 0;
    for (int row : rows) {
        const QString source = m_files.at(row);
        const QString target = QDir(folder).filePath(QFileInfo(source).fileName());
        if (QFileInfo(source).absoluteFilePath() == QFileInfo(target).absoluteFilePath())
            continue;
        if (QFileInfo::exists(target)) {
            const Prompter::Button answer = Prompter::current().show(
                {kOverwriteTitle, kOverwriteQuestion + QStringLiteral("\n") + QDir::toNativeSeparators(target),
                 Prompter::Icon::Question, Prompter::Yes | Prompter::No, Prompter::No});
            if (answer != Prompter::Yes)
                continue;
        }
        if (AppDir::isOwnFile(target)) {
            common::ErrorBox(AppDir::ownFileMessage(target));
            continue;
        }
        // The file already there is replaced only by a complete copy.
        QString why;
        if (!SafeFile::copy(source, target, &why)) {
            common::ErrorBox(QStringLiteral("ファイルを保存できませんでした。\n%1").arg(why));
            continue;
        }
        ++written;
    }
    return written;
}

void UniteForm::transfer()
{
    if (m_mode == Mode::Save) {
        const QString folder = FileDialogs::folder(this, QStringLiteral("保存先のフォルダ"), QString());
        if (folder.isEmpty())
            return;
        saveInto(folder);
        return;
    }
    m_transferred = true;
    accept();
}

bool UniteForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete) {
            removeSelected();
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            openItem(m_list->currentRow());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
