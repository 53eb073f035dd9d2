#pragma once

#include "ProjectData.h"

#include <QWidget>

class QCalendarWidget;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTreeWidget;
class Storage;

// The schedule tab of the main window: the dated entries of the current
// project, edited in memory and saved with the project, beside a month
// calendar that marks the days with entries and the national holidays.
class SchedulePage : public QWidget {
    Q_OBJECT
public:
    explicit SchedulePage(Storage& storage, QWidget* parent = nullptr);

    // The entries to show and edit (the project's, kept by the main
    // window); nullptr when no project is loaded.
    void setProject(ProjectData* project);

    void selectEntry(int row);
    void addEntry();
    void deleteEntry();
    int currentRow() const { return m_row; }

    QTreeWidget* list() const { return m_list; }
    QCalendarWidget* calendar() const { return m_calendar; }

signals:
    // An entry was edited, added or removed in memory.
    void changed();
    // "メール伝言": a message about the selected entry.
    void mailRequested(const QString& subject, const QString& body);

private:
    void fillList();
    void showEntry();
    void fieldEdited();
    void setFieldsEnabled(bool on);
    void markCalendar();
    void showMonth(int year, int month);
    QString itemText(const RowValues& e) const;

    Storage& m_storage;
    ProjectData* m_project = nullptr;
    int m_row = -1;
    bool m_loading = false;

    QTreeWidget* m_list;
    QLineEdit* m_year;
    QLineEdit* m_month;
    QLineEdit* m_day;
    QLineEdit* m_hour;
    QLineEdit* m_minute;
    QLineEdit* m_title;
    QPlainTextEdit* m_body;
    QCheckBox* m_kinds[5];
    QGroupBox* m_kindFrame;
    QGroupBox* m_bodyFrame;
    QPushButton* m_addBtn;
    QPushButton* m_delBtn;
    QPushButton* m_mailBtn;
    QCalendarWidget* m_calendar;
    QSpinBox* m_calYear;
    QSpinBox* m_calMonth;
    QVector<QDate> m_marked;
};
