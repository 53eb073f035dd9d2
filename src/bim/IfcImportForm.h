#pragma once

#include "IfcForms.h"
#include "IfcSummary.h"
#include "ProjectData.h"

#include <QDialog>

class CommandRegistry;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class Storage;

// BIMデータ読込（IFC）: the model's values beside the project's, item by
// item with where in the model each comes from; what the user ticks is
// taken into the project as the entry windows save it. Opened again with a
// newer model of the same building, it shows what has changed since.
class IfcImportForm : public QDialog {
    Q_OBJECT
public:
    IfcImportForm(Storage& storage, const ProjectData& project, QWidget* parent = nullptr);

    // Reads a model and lists its items; false (after telling the user) when
    // the file cannot be read.
    bool loadFile(const QString& path);
    // Takes the ticked items; false when nothing was taken.
    bool applyTicked();

    // Hooks the window onto the main window's project menu ("IfcBtn").
    static void registerOpener(Storage& storage, CommandRegistry& commands);

signals:
    // The project's rows changed: the main window reloads them.
    void applied();

private:
    void chooseFile();
    void fillTable();
    void updateApplyButton();

    Storage& m_storage;
    ProjectData m_project;
    QString m_path;
    IfcSummary::Summary m_summary;
    QVector<IfcForms::FormItem> m_items;
    QLineEdit* m_file;
    QLabel* m_info;
    QTableWidget* m_table;
    QPlainTextEdit* m_warnings;
    QPushButton* m_apply;
};
