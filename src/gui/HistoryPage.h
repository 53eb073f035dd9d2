#pragma once

#include "SubmissionHistory.h"

#include <QDialog>
#include <QWidget>

#include <functional>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class Storage;

// The 提出履歴 tab of the main window: the current project's submissions
// and documents received, each with its files; opens a file or folder,
// attaches a document received, and compares two submissions file by file.
class HistoryPage : public QWidget {
    Q_OBJECT
public:
    explicit HistoryPage(Storage& storage, QWidget* parent = nullptr);

    // The project shown; 0 for none.
    void setProject(qint64 bid);
    void refresh();

    // Compares the two selected submissions, older first; false with a
    // message when two are not selected.
    bool compareSelected();
    // Keeps a document received for the project, as the dialog does.
    bool attach(const QString& kind, const QDate& date, const QString& note, const QString& file);
    // The file or folder an item of the list stands for.
    QString pathOf(const QTreeWidgetItem* item) const;

    QTreeWidget* list() const { return m_list; }
    QTreeWidget* comparison() const { return m_compare; }
    const QVector<SubmissionHistory::Entry>& entries() const { return m_entries; }

    // What opens a file or folder (the desktop's program); tests replace it.
    static void setOpener(std::function<bool(const QString&)> opener);

private:
    void openCurrent();
    void chooseAndAttach();
    void updateButtons();

    Storage& m_storage;
    qint64 m_bid = 0;
    QVector<SubmissionHistory::Entry> m_entries;
    QTreeWidget* m_list;
    QTreeWidget* m_compare;
    QLabel* m_compareTitle;
    QPushButton* m_openBtn;
    QPushButton* m_attachBtn;
    QPushButton* m_compareBtn;
};

// 受領書類の登録: the file, its kind, the date on it and a note.
class HistoryAttachForm : public QDialog {
    Q_OBJECT
public:
    explicit HistoryAttachForm(QWidget* parent = nullptr);

    QString file() const;
    QString kind() const;
    QDate date() const;
    QString note() const;

private:
    void browse();
    void accept() override;

    QLineEdit* m_file;
    QComboBox* m_kind;
    QDateEdit* m_date;
    QLineEdit* m_note;
};
