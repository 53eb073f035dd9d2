#include "FileDialogs.h"

#include "AppDir.h"
#include "Prompter.h"

#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QDir>
#include <QFileSystemModel>
#include <QLocale>
#include <QSortFilterProxyModel>
#include <QStyle>

namespace FileDialogs {

namespace {

// Icons and type names from the name alone. Qt's default provider asks the
// MIME database, which opens a file to read its first bytes.
class NameOnlyIconProvider : public QAbstractFileIconProvider {
public:
    // Made once in the GUI thread; the dialog's file-information thread
    // only copies them.
    NameOnlyIconProvider()
    {
        QStyle* style = QApplication::style();
        m_file = style->standardIcon(QStyle::SP_FileIcon);
        m_folder = style->standardIcon(QStyle::SP_DirIcon);
        m_drive = style->standardIcon(QStyle::SP_DriveHDIcon);
        m_computer = style->standardIcon(QStyle::SP_ComputerIcon);
        m_desktop = style->standardIcon(QStyle::SP_DesktopIcon);
        m_trash = style->standardIcon(QStyle::SP_TrashIcon);
        m_network = style->standardIcon(QStyle::SP_DriveNetIcon);
    }

    QIcon icon(IconType type) const override
    {
        switch (type) {
        case Computer: return m_computer;
        case Desktop: return m_desktop;
        case Trashcan: return m_trash;
        case Network: return m_network;
        case Drive: return m_drive;
        case Folder: return m_folder;
        case File: break;
        }
        return m_file;
    }

    QIcon icon(const QFileInfo& info) const override
    {
        if (info.isRoot())
            return m_drive;
        return info.isDir() ? m_folder : m_file;
    }

    QString type(const QFileInfo& info) const override
    {
        if (info.isRoot())
            return QStringLiteral("ドライブ");
        if (info.isDir())
            return QStringLiteral("フォルダ");
        const QString suffix = info.suffix();
        return suffix.isEmpty() ? QStringLiteral("ファイル") : QStringLiteral("%1 ファイル").arg(suffix.toUpper());
    }

private:
    QIcon m_file, m_folder, m_drive, m_computer, m_desktop, m_trash, m_network;
};

constexpr int kTypeColumn = 2;  // QFileSystemModel's columns: name, size, type, date
constexpr int kDateColumn = 3;

// One for the whole run: dialogs do not own their icon provider, and the
// file-information thread of a closed dialog may still be using it.
QAbstractFileIconProvider* iconProvider()
{
    static auto* provider = new NameOnlyIconProvider;
    return provider;
}

// Leaves the application directory's databases out of the listing, and
// speaks Japanese whatever the system's locale: the file model dates its
// entries in the system locale ("6 Dec" under C), and the entries it read
// before our icon provider was set keep the type names of Qt's own.
class HideDatabases : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (!files || role != Qt::DisplayRole)
            return QSortFilterProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        switch (index.column()) {
        case kTypeColumn:
            return iconProvider()->type(files->fileInfo(source));
        case kDateColumn:
            return QLocale().toString(files->lastModified(source), QStringLiteral("yyyy/MM/dd HH:mm"));
        default:
            return QSortFilterProxyModel::data(index, role);
        }
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (!files)
            return true;
        const QModelIndex index = files->index(row, 0, parent);
        return files->isDir(index) || !AppDir::isDatabaseFile(files->filePath(index));
    }
};

void warn(const QString& text)
{
    Prompter::current().show({PromptTitle::Warning, text, Prompter::Icon::Warning, Prompter::Ok, Prompter::Ok});
}

// Runs the dialog until the user cancels or picks files the rule allows.
QStringList run(QFileDialog& dialog, bool (*refused)(const QString&, const QString&), const QString& message)
{
    while (dialog.exec() == QDialog::Accepted) {
        const QStringList chosen = dialog.selectedFiles();
        QString bad;
        for (const QString& f : chosen)
            if (refused(f, AppDir::path()))
                bad = f;
        if (bad.isEmpty())
            return chosen;
        warn(message.isEmpty() ? AppDir::ownFileMessage(bad) : message.arg(QDir::toNativeSeparators(bad)));
    }
    return {};
}

const QString kDatabaseRefusal =
    QStringLiteral("「%1」はこのプログラムのデータベースです。データベースはプログラムの外からは開けません。");

}  // namespace

std::unique_ptr<QFileDialog> make(QWidget* parent, const QString& caption, const QString& dir, const QString& filter,
                                  QFileDialog::FileMode mode, QFileDialog::AcceptMode accept)
{
    auto dialog = std::make_unique<QFileDialog>(parent, caption, dir, filter);
    // Before anything else: the options decide which dialog is built.
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setIconProvider(iconProvider());
    dialog->setProxyModel(new HideDatabases(dialog.get()));
    dialog->setFileMode(mode);
    dialog->setAcceptMode(accept);
    if (mode == QFileDialog::Directory)
        dialog->setOption(QFileDialog::ShowDirsOnly, true);
    return dialog;
}

QString openFile(QWidget* parent, const QString& caption, const QString& dir, const QString& filter)
{
    auto dialog = make(parent, caption, dir, filter, QFileDialog::ExistingFile, QFileDialog::AcceptOpen);
    return run(*dialog, AppDir::isDatabaseFile, kDatabaseRefusal).value(0);
}

QStringList openFiles(QWidget* parent, const QString& caption, const QString& dir, const QString& filter)
{
    auto dialog = make(parent, caption, dir, filter, QFileDialog::ExistingFiles, QFileDialog::AcceptOpen);
    return run(*dialog, AppDir::isDatabaseFile, kDatabaseRefusal);
}

QString saveFile(QWidget* parent, const QString& caption, const QString& dir, const QString& filter,
                 QString* selectedFilter, bool confirmOverwrite)
{
    auto dialog = make(parent, caption, dir, filter, QFileDialog::AnyFile, QFileDialog::AcceptSave);
    dialog->setOption(QFileDialog::DontConfirmOverwrite, !confirmOverwrite);
    if (selectedFilter && !selectedFilter->isEmpty())
        dialog->selectNameFilter(*selectedFilter);
    const QString path = run(*dialog, AppDir::isOwnFile, QString()).value(0);
    if (selectedFilter && !path.isEmpty())
        *selectedFilter = dialog->selectedNameFilter();
    return path;
}

QString folder(QWidget* parent, const QString& caption, const QString& dir)
{
    auto dialog = make(parent, caption, dir, QString(), QFileDialog::Directory, QFileDialog::AcceptOpen);
    return run(*dialog, [](const QString&, const QString&) { return false; }, QString()).value(0);
}

bool refuseOwnFile(const QString& path)
{
    if (!AppDir::isOwnFile(path))
        return false;
    warn(AppDir::ownFileMessage(path));
    return true;
}

}  // namespace FileDialogs
