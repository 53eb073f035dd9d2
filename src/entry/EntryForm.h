#pragma once

#include "FieldTable.h"
#include "FlagRules.h"
#include "MasterPickResult.h"

#include <QColor>
#include <QHash>
#include <QPointer>
#include <QStringList>
#include <QVariant>
#include <QWidget>

class AddressChooser;
class EnterOrder;
class FocusHighlight;
class QButtonGroup;
class HelpForm;
class QBoxLayout;
class QGridLayout;
class QGroupBox;
class QLabel;
class QPushButton;
class QTabWidget;
class RowsEditor;
class Storage;

// The machinery every entry window shares, driven by the window's field
// table: the widgets and their layout, loading by B_ID, the edited state
// (the enabled state of Apply), Apply writing only changed columns, OK with
// the closing prompt, focus highlight, the Enter order, numeric filters and
// number formats, postal look-ups, code lists and master picks. A window's
// own class adds only its own rules through the protected hooks.
class EntryForm : public QWidget {
    Q_OBJECT
public:
    // flags: a window of its own unless it stands inside another one.
    EntryForm(Storage& storage, qint64 bid, FieldTable table, QWidget* parent = nullptr,
              Qt::WindowFlags flags = Qt::Window);
    ~EntryForm() override;

    qint64 bid() const { return m_bid; }
    const FieldTable& table() const { return m_table; }
    Storage& storage() const { return m_storage; }
    // Where the e-mail buttons of a master opened from here as a picker lead.
    void setMailComposer(MailComposer composer) { m_mailComposer = std::move(composer); }
    const MailComposer& mailComposer() const { return m_mailComposer; }

    // There are unsaved edits exactly when Apply is enabled.
    bool isEdited() const;
    bool isLoading() const { return m_loading; }

    // Saves and disables Apply; false (Apply stays on) when a database
    // operation failed, after telling the user.
    bool apply();

    // Fields by column name; the widget's objectName is the column.
    QWidget* field(const QString& column) const { return m_fields.value(column); }
    // Brings the tab that holds a column's field to the front and puts the
    // focus in it (a check that names the field sends the user here);
    // false when the window has no such field.
    bool showField(const QString& column);
    QString text(const QString& column) const;
    // Sets a field's text (a check box: "1" ticks it) as the program does:
    // an edit unless the window is loading.
    void setText(const QString& column, const QString& text);
    bool isChecked(const QString& column) const;
    void setChecked(const QString& column, bool on);
    // What the column of a field saves: 0/1 for a check box, else its text.
    QVariant value(const QString& column) const;

    // The items of a drop-down and the code or ID kept beside each.
    QStringList items(const QString& column) const;
    QString keptCode(const QString& column, int index) const;

    QTabWidget* tabs() const { return m_tabs; }
    QPushButton* applyButton() const { return m_applyBtn; }
    QPushButton* okButton() const { return m_okBtn; }
    QPushButton* helpButton() const { return m_helpBtn; }
    // What the field being typed in will look like on the printed form,
    // when it will not fit its box as typed (empty otherwise).
    QLabel* fitNote() const { return m_fitNote; }
    QString fitNoteOf(const QString& column) const { return m_fitNotes.value(column); }
    HelpForm* helpForm() const;

    // Tests answer the address choice instead of the choice window.
    void setAddressChooser(AddressChooser* chooser) { m_chooser = chooser; }
    // How often a filter has sounded the beep (the user hears it; tests count it).
    int beepCount() const { return m_beeps; }

    // The postal look-ups of a pair, as its buttons run them.
    void lookUpAddress(int pair);
    void lookUpPostalCode(int pair);

signals:
    // Apply has written the window's rows.
    void applied();

protected:
    // Reads the window's rows and shows them. The default reads the single
    // row of the table by B_ID: every non-null column in table order.
    virtual bool loadRecords(QString* error);
    // Writes what changed. The default compares each column of the single
    // row with its field and updates the row once.
    virtual bool saveRecords(QString* error);
    // A field's value changed by the user or by the window's own rules
    // (not by loading or showing a record).
    virtual void fieldChanged(const QString& column) { Q_UNUSED(column) }
    // A field lost the focus, after its number was formatted.
    virtual void fieldLeft(const QString& column) { Q_UNUSED(column) }
    // Enter in a field; true when the window handled it itself.
    virtual bool enterPressed(const QString& column)
    {
        Q_UNUSED(column)
        return false;
    }

    // Builds the widgets (call from the constructor's end, after adding
    // to the layout) and loads: the window is then ready.
    void open();

    // The check-box groups of the window.
    void setFlagRules(FlagRules rules) { m_flagRules = std::move(rules); }
    // Puts fields to stored values without counting edits or running the
    // check-box rules, then settles which boxes are enabled (showing one of
    // several records).
    void showValues(const QHash<QString, QVariant>& values, const QStringList& columns);
    // Shows a value in a field, null as empty; quiet while loading.
    void setFieldValue(const QString& column, const QVariant& value);

    void setEdited(bool edited);
    void setHelpPage(const QString& page) { m_helpPage = page; }
    // Windows whose OK means "save and close": OK saves without asking
    // and closes once the save has succeeded. Closing by other ways still
    // asks as every entry window does.
    void setOkSaves(bool saves) { m_okSaves = saves; }
    // The background a text field shows while it has no focus (invalid:
    // the normal one); the focus highlight goes over it.
    void setRestingBackground(const QString& column, const QColor& color);

    // Fills the drop-downs of a code list again from its table.
    bool fillList(const QString& listName, QString* error);
    // Moves on in the Enter order from a field, as Enter does.
    void focusNext(const QString& column);
    void focusField(const QString& column, bool selectAll = false);

    // A list of child rows on one of the window's tabs: loaded with the
    // window, and written by Apply in one transaction with its columns.
    void addRowsEditor(RowsEditor* editor);

    // Layout places for a window's own widgets.
    QBoxLayout* topLayout() const { return m_top; }
    QBoxLayout* bodyLayout() const { return m_body; }
    // Appends a widget after a field, in the field's cell.
    void addAfterField(const QString& column, QWidget* widget);
    // Appends a widget as a row of its own under a group's fields.
    void addGroupRow(int group, QWidget* widget);

    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    bool m_loading = false;
    bool m_showing = false;  // putting a stored record into the fields

private:
    void buildLayout();
    void fitToContent();
    QWidget* makeField(const FieldDef& f);
    void connectField(const FieldDef& f, QWidget* w);
    bool fillLists(QString* error);
    void onTextChanged(const QString& column);
    void onFlagToggled(const QString& column);
    void onOptionToggled(const QString& column);
    void settleEnabled();
    void onChoice(const QString& column, int index);
    void onTabChanged(int index);
    void onEnter(const QString& column);
    void onFocusOut(const QString& column);
    void pickFromMaster(const MasterPick& pick, int index);
    bool filterRejects(const FieldDef& f, QWidget* w);
    bool loadRows(QString* error);
    bool saveWithRows(QString* error);
    void showHelp();
    void onOk();
    // Judges a text field against the printed boxes that show it; given
    // the text before a change, takes back what no box could print.
    void checkFit(const QString& column, const QString* before);
    QString columnOf(QObject* o) const { return m_columnOf.value(o); }

    Storage& m_storage;
    MailComposer m_mailComposer;
    qint64 m_bid;
    FieldTable m_table;
    FlagRules m_flagRules;
    QHash<QString, QWidget*> m_fields;
    QHash<QObject*, QString> m_columnOf;  // a field and its inner editors
    QHash<QString, QWidget*> m_cells;
    QHash<QString, QStringList> m_kept;   // column → code kept per item
    QHash<int, QButtonGroup*> m_optionGroups;  // group → its options
    EnterOrder* m_enter = nullptr;
    FocusHighlight* m_highlight = nullptr;
    QVector<RowsEditor*> m_rowsEditors;
    QVector<QGroupBox*> m_groupBoxes;
    QVector<QGridLayout*> m_groupGrids;
    QBoxLayout* m_top = nullptr;
    QBoxLayout* m_body = nullptr;
    QTabWidget* m_tabs = nullptr;
    QPushButton* m_applyBtn = nullptr;
    QPushButton* m_okBtn = nullptr;
    QPushButton* m_helpBtn = nullptr;
    QLabel* m_fitNote = nullptr;
    QHash<QString, QString> m_fitNotes;
    QHash<QString, QString> m_textNow;  // each field's text as last seen
    bool m_cutting = false;
    QPointer<HelpForm> m_help;
    QString m_helpPage;
    AddressChooser* m_chooser = nullptr;
    bool m_settingFlags = false;
    bool m_okSaves = false;
    bool m_sized = false;
    int m_beeps = 0;
};
