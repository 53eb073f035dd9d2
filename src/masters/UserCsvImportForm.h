#pragma once

#include "CustomerCsv.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class Storage;

// The customer CSV import "顧客マスターCSVインポート": one row per column of
// the file's first line, each with the customer field it goes into (a first
// guess from the header, changed through Combo1) and a tick that says
// whether it is imported. "登録" adds one customer per line.
class UserCsvImportForm : public QDialog {
    Q_OBJECT
public:
    // folderId: the folder the customers go into unless the user picks
    // another (the folder being viewed, so that they show at once).
    explicit UserCsvImportForm(Storage& storage, QWidget* parent = nullptr, qint64 folderId = 0);

    // Reads the file; false with the reason (line number included) in errorString().
    bool load(const QString& path);
    const QString& errorString() const { return m_import.errorString(); }

    CustomerImport& import() { return m_import; }
    QTreeWidget* columnList() const { return m_list; }
    QComboBox* targetCombo() const { return m_combo; }
    QComboBox* folderCombo() const { return m_folderCombo; }
    QCheckBox* headerCheck() const { return m_headerCheck; }

    // "登録": imports, then closes. The number added is added().
    void save();
    int added() const { return m_added; }
    // What the run did, for the user: how many were added and where, and
    // which lines were not imported and why. Empty before a run.
    const QString& report() const { return m_report; }

    // Loads the file and runs the window modally. -1 when the file could
    // not be read (the reason has been shown), else the customers added
    // (0 after "キャンセル"), with the report in *report.
    static int run(Storage& storage, const QString& path, QWidget* parent, qint64 folderId = 0,
                   QString* report = nullptr);

private:
    void refreshRow(int column);
    void rowSelected();
    void targetChosen(int comboIndex);
    void updateCount();

    Storage& m_storage;
    CustomerImport m_import;
    QLabel* m_fileLabel;
    QTreeWidget* m_list;
    QComboBox* m_combo;
    QComboBox* m_folderCombo;
    QCheckBox* m_headerCheck;
    QLabel* m_countLabel;
    QPushButton* m_saveBtn;
    QPushButton* m_cancelBtn;
    int m_added = 0;
    QString m_report;
    bool m_filling = false;
};
