#pragma once

#include "EnterOrder.h"
#include "GuiCommon.h"
#include "WindowPlacement.h"

#include "CustomerStore.h"
#include "MasterPickResult.h"
#include "MasterTable.h"

#include <QDialog>
#include <QHash>
#include <QPointer>
#include <QVector>

#include <functional>
#include <optional>

class AddressChooser;
class HelpForm;
class QAction;
class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class QVBoxLayout;
class Storage;

// The master-window protocol: a list of records on the left, the fields of
// the shown record on the right, and New / Delete / Apply / Close (plus
// "転送" when the window was opened as a picker). Every master window of the
// program (customers, architects, related companies, mail accounts,
// signatures) is a MasterForm; the base runs the protocol and a concrete
// window supplies its storage and fields.
//
// What the base does
//  - Buttons and pop-up items with the program's names: NewMakeBtn/pNew
//    "新規作成", DelBtn/pDel "削除", UpDateBtn/pUpdate "適用", SendBtn
//    "転送", the close button (name and tool tip given to the constructor),
//    HelpBtn, and the label KeikokuLabel "新規ボタンを押してください。" shown
//    while the list is empty. The window lays them out itself.
//  - Edited state: the enabled state of UpDateBtn and pUpdate, nothing
//    else. watch() (or bindField()) makes every change of a field set it;
//    changes the program makes inside a LoadScope do not.
//  - Save prompt: askToSave() asks "内容が変更されていますが、登録しますか？"
//    under "登録確認" while edited; Yes applies, No discards. It runs before
//    closing, before a transfer, and before showing another record when
//    asksBeforeSwitching() says so.
//  - Enter order: setEnterOrder() lists the fields (an EnterOrder); Enter
//    moves the focus to the next one with its whole text selected, and
//    presses a button that ends the order. Enter in a postal block's code field first fills its
//    prefecture and address line 2, then goes to the end of address line 2
//    (the clerk types the block number after the town). copyOnLeave()
//    copies a telephone into an empty fax field when the telephone is left.
//  - Postal look-ups through addPostalBlock(): "住所" (code → address) and
//    the 〒 button (address → code), with the address choice window.
//  - Pick mode: setPickMode(true) shows SendBtn; transfer() asks the window
//    to fill its MasterPickResult (pickResult()), marks it picked and
//    closes with Accepted. A double click on the list transfers
//    the shown record; Escape in the list closes the window.
//  - E-mail and web buttons: openMail() hands the address to the mail
//    composer given with setMailComposer (without one the desktop's mail
//    program is started with a mailto: address), openUrl()
//    starts the web browser. Empty addresses do nothing.
//
// What a concrete window provides (virtual functions below)
//  listRecords()     fill the list with addListItem(), in its order
//  showRecord(id)    put the record's values into the fields
//  clearFields()     empty every field (no record, or an empty list)
//  createRecord()    insert a new row, return its ID (the New button)
//  writeRecord(id)   write the fields (Apply); *found false when it vanished
//  removeRecords()   delete rows (after the question of deleteQuestion())
//  fillPick()        put the shown record into the pick result
//  listTextsOf(id)   the list texts of a record, to refresh its rows
// and optionally afterCreate/afterApply/afterDelete for a different
// reselection, nextField() for a conditional Enter order, canTransfer(),
// selectedForDelete(), firstShown() (what the first showing does besides
// listing) and beforeClose(). keepPlace() keeps the window's position and
// column widths from one opening to the next.
//
// A window that keeps its listed rows in memory derives from RowMasterForm
// (RowMasterForm.h) and gives readRows/rowTexts/showRow instead of the
// listing, showing and list texts; TableMasterForm does the rest for a
// window bound onto one table.
//
// Field tables: a window whose fields map one to one onto columns binds
// them with bindField(); loadBound() then shows a row and boundValues()
// gives the values in bind order, which is the order Apply writes them.
class MasterForm : public QDialog {
    Q_OBJECT
public:
    // closeButtonName: "CloseBtn" or "CancelCommand"; closeToolTip may be empty.
    MasterForm(Storage& storage, const QString& closeButtonName, const QString& closeCaption,
               const QString& closeToolTip, QWidget* parent = nullptr);
    ~MasterForm() override;

    Storage& storage() const { return m_storage; }

    // The protocol's steps; the buttons and pop-up items run these.
    void newRecord();
    void deleteSelected();
    // Writes the shown record; false when nothing is shown or the write failed.
    bool apply();
    // The save prompt. Always lets the caller go on (there is no cancel).
    // Asks before the edits of the record shown would be left; false after
    // キャンセル (the caller then leaves things as they are).
    bool askToSave();
    // Hands the shown record to the opener and closes (pick mode only).
    // onlyShown: a double click or Enter takes the shown record alone even
    // where the window could hand over a whole selection.
    void transfer(bool onlyShown = false);
    // Close button: save prompt, beforeClose(), close.
    // false when the user chose to stay.
    bool closeWindow();

    bool isEdited() const;
    void setEdited(bool edited);
    bool isPickMode() const { return m_pickMode; }
    void setPickMode(bool pick);
    // True once a transfer filled the pick result.
    bool picked() const { return m_picked; }
    // What the last transfer handed back; empty before one.
    const MasterPickResult& pickResult() const { return m_pickResult; }
    // ID of the record whose fields are shown, 0 for none.
    qint64 shownId() const { return m_shownId; }

    QTreeWidget* recordList() const { return m_list; }
    // Selects a list row (or the first row holding the ID) and shows it as
    // a click does, save prompt included.
    void selectRow(int row);
    bool selectId(qint64 id);
    // Lists again and selects the ID (or the first row when it is gone).
    void relist(qint64 selectId = 0);

    // Tests answer the address choice window through this.
    void setAddressChooser(AddressChooser* chooser) { m_chooser = chooser; }

    // Where the e-mail buttons send their address: the mail module's
    // composer, handed in by whoever opens the window. Without one, the
    // desktop's mail program opens.
    void setMailComposer(MailComposer composer) { m_mailComposer = std::move(composer); }
    void openMail(const QString& address);
    static void openUrl(const QString& url);

protected:
    // Where the record id sits in a window's listed rows (-1 when it is not
    // listed); every master keeps its rows in list order with an id member.
    template <typename Rows>
    static int rowIndexOf(const Rows& rows, qint64 id)
    {
        for (int i = 0; i < static_cast<int>(rows.size()); ++i)
            if (rows[i].id == id)
                return i;
        return -1;
    }

    // The row of the record among the listed rows; -1, with the fields
    // cleared, when it is not listed.
    template <typename Rows>
    int shownRowOf(const Rows& rows, qint64 id)
    {
        const int i = rowIndexOf(rows, id);
        if (i < 0)
            clearFields();
        return i;
    }
    // Lists the rows just read with their list texts; a failed read shows
    // its error and leaves the list empty.
    template <typename Rows, typename Texts>
    void listRows(bool read, Rows& rows, const QString& error, Texts texts)
    {
        if (!read) {
            rows.clear();
            showError(error);
            return;
        }
        for (const auto& r : rows)
            addListItem(texts(r), r.id);
    }
    static void showError(const QString& error);

    // Deletes the records one at a time through a store's remove(id); the
    // first failure stops there and leaves the store's error in *error.
    template <typename Store>
    static bool removeEach(Store& store, const QVector<qint64>& ids, QString* error)
    {
        for (qint64 id : ids) {
            if (!store.remove(id)) {
                *error = store.errorString();
                return false;
            }
        }
        return true;
    }

    // ---- what a concrete master window provides
    virtual void listRecords() = 0;
    virtual void showRecord(qint64 id) = 0;
    virtual void clearFields() = 0;
    virtual qint64 createRecord() = 0;
    virtual bool writeRecord(qint64 id, bool* found) = 0;
    virtual bool removeRecords(const QVector<qint64>& ids) = 0;
    virtual void fillPick(MasterPickResult& result, bool onlyShown) = 0;
    // The list texts of a record as stored now (empty when it is gone), to
    // refresh its rows after a write.
    virtual QStringList listTextsOf(qint64 id) = 0;

    // ---- what it may change
    // The records Delete works on: the current item by default.
    virtual QVector<QTreeWidgetItem*> selectedForDelete() const;
    // "<list text>を削除します。　よろしいですか？" by default.
    virtual QString deleteQuestion(const QVector<QTreeWidgetItem*>& items) const;
    // After New: list again, select the new record, focus the first field.
    virtual void afterCreate(qint64 id);
    // After Apply: list again and select the same record.
    virtual void afterApply(qint64 id);
    // After Delete: list again and select the row nearest to where the
    // deleted ones stood.
    virtual void afterDelete(int firstDeletedRow);
    // Runs when the window is first shown: lists the records.
    virtual void firstShown() { relist(0); }
    // Whether showing another record asks about unsaved edits first.
    virtual bool asksBeforeSwitching() const { return false; }
    // The field after `from` in the Enter order (nullptr: stay).
    virtual QWidget* nextField(QWidget* from) const;
    // Whether the pick can be handed over now (SendBtn, double click).
    virtual bool canTransfer() const { return true; }
    // Runs after the save prompt when the window closes, before its place
    // (keepPlace) is written.
    virtual void beforeClose() {}
    // The error text of the last failed storage call, for the error box.
    virtual QString storageError() const = 0;

    // ---- building blocks for the concrete window
    QPushButton* newButton() const { return m_newBtn; }
    QPushButton* deleteButton() const { return m_delBtn; }
    QPushButton* applyButton() const { return m_updateBtn; }
    QPushButton* sendButton() const { return m_sendBtn; }
    QPushButton* closeButton() const { return m_closeBtn; }
    QPushButton* helpButton() const { return m_helpBtn; }
    QLabel* emptyLabel() const { return m_keikoku; }
    // The usual layout pieces: the list over the empty-list label, and the
    // button row with New / Delete / Apply (and `more`) on the left and
    // `right` (Transfer / Help / Close when empty) at the right end.
    QVBoxLayout* listColumn() const;
    QHBoxLayout* buttonRow(const QVector<QPushButton*>& more = {}, QVector<QPushButton*> right = {}) const;
    // The text of the named line edit or drop-down (empty for other widgets).
    QString fieldText(const char* name) const;
    QAction* popupAction(const QString& name) const;
    // The pop-up menu at a screen position (a right click on the list).
    void showPopup(const QPoint& globalPos);

    // A list row with its texts and record ID.
    QTreeWidgetItem* addListItem(const QStringList& texts, qint64 id);
    static qint64 itemId(const QTreeWidgetItem* item);

    // Program changes inside this scope do not count as edits.
    class LoadScope {
    public:
        explicit LoadScope(MasterForm& form)
            : m_form(form)
            , m_was(form.m_loading)
        {
            form.m_loading = true;
        }
        ~LoadScope() { m_form.m_loading = m_was; }
        LoadScope(const LoadScope&) = delete;
        LoadScope& operator=(const LoadScope&) = delete;

    private:
        MasterForm& m_form;
        bool m_was;
    };
    bool isLoading() const { return m_loading; }

    // A change of the widget sets the edited state.
    void watch(QWidget* field);
    // A field shown from and written to a column (QLineEdit, QComboBox,
    // QCheckBox as 0/1, QPlainTextEdit); also watched.
    void bindField(const QString& column, QWidget* field);
    void loadBound(const MasterRow& row);
    ColumnValues boundValues() const;
    void clearBound();

    void setEnterOrder(const QVector<QWidget*>& fields);
    const QVector<QWidget*>& enterOrder() const { return m_enter->fields(); }
    void copyOnLeave(QLineEdit* telephone, QLineEdit* fax);
    // A postal block: its code field, prefecture drop-down and address lines.
    void addPostalBlock(QLineEdit* code, QComboBox* prefecture, QLineEdit* line2, QLineEdit* line3,
                        QPushButton* toAddress, QPushButton* toCode);
    // The window's place and column widths: restored now, written when it closes.
    bool keepPlace(const WindowPlacement& placement, QString* error);
    // The manual page the help button shows (a file name under MANUAL).
    void setHelpPage(const QString& fileName);
    // Widgets disabled while the list is empty.
    void setEntryWidgets(const QVector<QWidget*>& widgets) { m_entryWidgets = widgets; }
    // Shows the empty-list label and disables Delete and the entry widgets,
    // or the reverse.
    virtual void setEmptyState(bool empty);
    // No record to show: the empty state with cleared fields.
    void showEmpty();
    // The prefecture drop-down: the 47 prefectures, typed text accepted.
    static void fillPrefectures(QComboBox* combo, const QVector<Zone>& zones);
    // Puts a text into a drop-down: its item when it has one, else as typed.
    static void setComboText(QComboBox* combo, const QString& text);

    // The focus goes to the field with its whole text selected.
    static void focusField(QWidget* field);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void itemActivated(QTreeWidgetItem* item);
    void showById(qint64 id);
    bool writeShown();
    void refreshItems(qint64 id);
    void postalToAddress(int block, bool moveOn);
    void addressToPostal(int block);
    bool enterInPostalCode(QWidget* field);
    // Closing: the window's own last steps, then its place is kept.
    void leave();
    void showHelp();

    struct PostalBlock {
        QLineEdit* code;
        QComboBox* prefecture;
        QLineEdit* line2;
        QLineEdit* line3;
    };

    Storage& m_storage;
    QTreeWidget* m_list = nullptr;
    QLabel* m_keikoku = nullptr;
    QPushButton* m_newBtn = nullptr;
    QPushButton* m_delBtn = nullptr;
    QPushButton* m_updateBtn = nullptr;
    QPushButton* m_sendBtn = nullptr;
    QPushButton* m_closeBtn = nullptr;
    QPushButton* m_helpBtn = nullptr;
    QMenu* m_popup = nullptr;
    QHash<QString, QAction*> m_actions;
    QVector<QPair<QString, QWidget*>> m_bound;
    EnterOrder* m_enter = nullptr;
    std::optional<WindowPlacement> m_place;
    QVector<QWidget*> m_entryWidgets;
    QHash<QLineEdit*, QLineEdit*> m_faxOf;
    QVector<PostalBlock> m_postal;
    QString m_helpPage;
    QPointer<HelpForm> m_help;
    AddressChooser* m_chooser = nullptr;
    MailComposer m_mailComposer;
    qint64 m_shownId = 0;
    bool m_loading = false;
    bool m_filling = false;  // the list is being rebuilt
    bool m_pickMode = false;
    bool m_picked = false;
    MasterPickResult m_pickResult;
    bool m_closed = false;
    bool m_shownOnce = false;
};

