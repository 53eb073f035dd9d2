#pragma once

#include "AddressBook.h"
#include "MasterPickResult.h"
#include "MimeMessage.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QTreeWidget;
class Storage;

// The address book "メールアドレス帳": candidates from the customers (all
// or of a folder), the architects' offices and the related companies,
// moved into the To, CC and BCC lists and handed to the composer.
class MailAddPopForm : public QDialog {
    Q_OBJECT
public:
    // target: the field whose button opened the book (MailTarget::To, Cc,
    // Bcc); a double click on a candidate moves it there.
    // mail: where the e-mail buttons of the customer master opened from
    // here lead.
    MailAddPopForm(Storage& storage, int target, QWidget* parent = nullptr, MailComposer mail = {});
    int target() const { return m_target; }

    // The candidates of the source at this index of FolderCombo.
    void showSource(int index);
    // "検索開始": customers matching the filled search fields.
    void search();
    // "宛先->", "CC", "BCC": the marked candidates into that list.
    void moveSelected(int target);
    // The Delete key in a target list.
    void removeSelected(int target);
    // "転送": hands the three lists over and closes.
    void transfer();
    // "アドレス帳 (顧客登録)": the customer master for editing.
    void editCustomers();

    bool transferred() const { return m_transferred; }
    QVector<MailAddress> targets(int target) const;
    const QVector<AddressCandidate>& candidates() const { return m_candidates; }
    const QVector<AddressSource>& sources() const { return m_sources; }
    QTreeWidget* candidateList() const { return m_users; }
    QTreeWidget* targetList(int target) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void listCandidates();

    Storage& m_storage;
    MailComposer m_composer;
    AddressBook m_book;
    int m_target;
    QVector<AddressSource> m_sources;
    QVector<AddressCandidate> m_candidates;
    QComboBox* m_folder = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_mail = nullptr;
    QLineEdit* m_tel = nullptr;
    QTreeWidget* m_users = nullptr;
    QTreeWidget* m_to = nullptr;
    QTreeWidget* m_cc = nullptr;
    QTreeWidget* m_bcc = nullptr;
    bool m_transferred = false;
};
