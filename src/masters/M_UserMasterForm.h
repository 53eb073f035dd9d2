#pragma once

#include "CustomerStore.h"
#include "MasterForm.h"

#include <functional>

class QButtonGroup;
class QGroupBox;
class QMenuBar;
class QRadioButton;

// The customer master "顧客登録": customers filed in customer folders (up
// to five each), edited on the right, moved and copied between folders by
// dragging, found by telephone or by condition, printed, exported to and
// imported from CSV. Opened as a picker for one of the composer's address
// fields (pickFor) it hands the chosen customers back.
class M_UserMasterForm : public MasterForm {
    Q_OBJECT
public:
    explicit M_UserMasterForm(Storage& storage, QWidget* parent = nullptr);

    // What the opener asks for before the window is shown: the customers of
    // a folder, or a customer found by the search window.
    void openWithFolder(qint64 folderId);
    void openWithFound(const CustomerHit& hit);
    // Pick mode for a field of the composer; only MailTarget::To hands over.
    void pickFor(int mailTarget);

    QTreeWidget* folderList() const { return m_folderList; }
    // UserFolder.ID of the listed folder, 0 before one is chosen.
    qint64 currentFolder() const { return m_currentFolder; }
    // The folder row a click selects: save prompt, then its customers.
    void selectFolder(int row);
    void refreshFolders();

    // Drops the selected customers on a folder row: moving with the left
    // button, copying with the right.
    void dropOnFolder(int folderRow, bool copy);

    // "実行": the first customer whose telephone begins with the digits typed.
    void searchByPhone();
    // "条件検索": the search window, then the customer it hands back.
    void conditionSearch();
    // Switches to the found customer's first folder and selects it there.
    void selectFound(const CustomerHit& hit);

    // "印刷": the data sheet of the shown customer.
    void printSheet();
    // The file menu: CSV export and import, the folder editor.
    void exportCsv();
    void importCsv();
    void openFolderEditor();

    // The fields as they stand.
    CustomerEntry entry() const;

    // The file dialogs of export and import; tests answer them. The save
    // dialog's answer carries the chosen encoding.
    struct FileChoice {
        QString path;
        bool utf8 = false;
    };
    using FileChooser = std::function<FileChoice(QWidget* parent, bool save, const QString& startPath)>;
    void setFileChooser(FileChooser chooser) { m_fileChooser = std::move(chooser); }

protected:
    void listRecords() override;
    void showRecord(qint64 id) override;
    void clearFields() override;
    qint64 createRecord() override;
    bool writeRecord(qint64 id, bool* found) override;
    bool removeRecords(const QVector<qint64>& ids) override;
    void fillPick(MasterPickResult& result, bool onlyShown) override;
    QStringList listTextsOf(qint64 id) override;
    QString storageError() const override { return m_store.errorString(); }

    QVector<QTreeWidgetItem*> selectedForDelete() const override;
    QString deleteQuestion(const QVector<QTreeWidgetItem*>& items) const override;
    void afterCreate(qint64 id) override;
    bool asksBeforeSwitching() const override { return true; }
    QWidget* nextField(QWidget* from) const override;
    bool canTransfer() const override;

    bool eventFilter(QObject* watched, QEvent* event) override;
    void firstShown() override;

private:
    QWidget* buildFields();
    void restorePlacement();
    void setSex(int sex);
    void startDrag(Qt::MouseButton button);
    int folderRowAt(const QPoint& viewportPos) const;
    void highlightFolder(int row);
    int folderRowOf(qint64 folderId) const;

    CustomerStore m_store;
    FileChooser m_fileChooser;
    QVector<Zone> m_zones;
    qint64 m_currentFolder = 0;
    qint64 m_openFolder = 0;
    bool m_openFound = false;
    CustomerHit m_found;
    int m_mailTarget = MailTarget::None;

    QMenuBar* m_menuBar = nullptr;
    QTreeWidget* m_folderList = nullptr;
    QLineEdit* m_name[2] = {};
    QLineEdit* m_furi[2] = {};
    QGroupBox* m_sexFrame = nullptr;
    QRadioButton* m_sexFlg[2] = {};
    QButtonGroup* m_sexGroup = nullptr;
    QLineEdit* m_bornDay = nullptr;
    QLineEdit* m_corp = nullptr;
    QLineEdit* m_position = nullptr;
    QGroupBox* m_adrFrame = nullptr;
    QLineEdit* m_post = nullptr;
    QComboBox* m_addr11 = nullptr;
    QLineEdit* m_addr12 = nullptr;
    QLineEdit* m_addr13 = nullptr;
    QLineEdit* m_tel = nullptr;
    QLineEdit* m_fax = nullptr;
    QLineEdit* m_handy = nullptr;
    QLineEdit* m_mail = nullptr;
    QLineEdit* m_url = nullptr;
    QPushButton* m_mailTo = nullptr;
    QPushButton* m_urlTo = nullptr;
    QLineEdit* m_telSearch = nullptr;
    QPushButton* m_srchBtn2 = nullptr;
    QPushButton* m_srchBtn = nullptr;
    QPushButton* m_prnBtn = nullptr;

    Qt::MouseButton m_dragButton = Qt::NoButton;
    QPoint m_dragStart;
    int m_highlighted = -1;
};
