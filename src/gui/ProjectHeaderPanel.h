#pragma once

#include "ProjectData.h"

#include <QHash>
#include <QString>
#include <QVector>
#include <QWidget>

class AddressChooser;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class Storage;

// The header of the current project on the main window's project tab: the
// building and its owner, typed in a fixed Enter order, with the postal
// look-ups. What the user types is told as an edit; what a project shows
// when it is loaded is not.
class ProjectHeaderPanel : public QWidget {
    Q_OBJECT
public:
    explicit ProjectHeaderPanel(Storage& storage, QWidget* parent = nullptr);

    // The drop-downs of 建築主の種別 and 業種 from their code lists.
    void fillCodeLists();
    void showProject(const ProjectData& project);
    // No project: empty fields and one building.
    void clear();
    // The fields by column name of GAIYOU, as typed.
    RowValues values() const;
    // Puts the cursor in the first field with its text selected.
    void focusFirst();

    // 申請棟数, 1 to 3: an up-down field in the Enter order, typed into or
    // stepped with the arrow keys.
    int buildingCount() const { return m_buildingCount; }
    void setBuildingCount(int count);

    // Postal look-ups: code → address, address → code.
    void lookUpAddress();
    void lookUpPostalCode();
    // Tests answer the address choice instead of the choice window.
    void setAddressChooser(AddressChooser* chooser) { m_chooser = chooser; }

    // The fields in their Enter order.
    const QVector<QWidget*>& fields() const { return m_fields; }
    QSpinBox* buildingCountBox() const { return m_tousu; }

signals:
    // A text field or drop-down was changed by the user.
    void fieldsEdited();
    void buildingCountEdited();
    // A button or key of the panel asks for a command of the main window.
    void commandRequested(const QString& key);
    // A note for the status bar; an empty one clears it.
    void note(const QString& text);

private:
    void checkFit(QLineEdit* field);
    void buildingCountChanged(int count);

    Storage& m_storage;
    QLineEdit* m_kouji = nullptr;
    QLineEdit* m_post6 = nullptr;
    QLineEdit* m_addr6 = nullptr;
    QComboBox* m_shu1 = nullptr;
    QComboBox* m_shu2 = nullptr;
    QSpinBox* m_tousu = nullptr;
    QVector<QWidget*> m_fields;
    QHash<QLineEdit*, QString> m_fitNow;     // a field's text as last seen
    QHash<QLineEdit*, QString> m_fitBefore;  // and before its last change
    AddressChooser* m_chooser = nullptr;
    int m_buildingCount = 1;
    bool m_loading = false;  // changes made by the program itself
};
