#pragma once

#include <QFileDialog>
#include <QString>
#include <QStringList>

#include <memory>

// Every file dialog of the program. The dialog is Qt's own (a native or
// portal dialog may read files to guess their type), its icons and type
// names come from the file name alone, and the databases of the
// application directory (with -wal, -shm, -journal) are not listed: a
// dialog that opened a database file to sniff it would drop, when closing
// it, every SQLite lock this process holds on that database, and another
// program would then delete the WAL this one still writes to.
//
// A save dialog refuses the program's own files (databases, templates,
// settings); an open dialog refuses the databases. Either asks again.
namespace FileDialogs {

QString openFile(QWidget* parent, const QString& caption, const QString& dir, const QString& filter);
QStringList openFiles(QWidget* parent, const QString& caption, const QString& dir, const QString& filter);
// selectedFilter (in: the one to preselect, out: the one chosen) may be null.
QString saveFile(QWidget* parent, const QString& caption, const QString& dir, const QString& filter,
                 QString* selectedFilter = nullptr, bool confirmOverwrite = true);
QString folder(QWidget* parent, const QString& caption, const QString& dir);

// The dialog the functions above run, set up but not shown.
std::unique_ptr<QFileDialog> make(QWidget* parent, const QString& caption, const QString& dir, const QString& filter,
                                  QFileDialog::FileMode mode, QFileDialog::AcceptMode accept);

// For save paths whose file name comes from elsewhere than a dialog: true,
// after telling the user why, when path is one of the program's own files.
bool refuseOwnFile(const QString& path);

}  // namespace FileDialogs
