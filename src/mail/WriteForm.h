#pragma once

#include "BusyCursor.h"
#include "MailAccountStore.h"
#include "MailCommon.h"
#include "MimeMessage.h"

#include <QDialog>
#include <QPointer>

#include <optional>

class QAction;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QToolBar;
class HelpForm;
class MailSession;
class Storage;

// The composer "メッセージ作成": one message from one of the accounts to
// the addresses in To, CC and BCC, with subject, text, signature and
// attachments. Sending runs off the window's thread; the message is stored
// in MailData after the attempt, whatever came of it, and the window closes.
class WriteForm : public QDialog {
    Q_OBJECT
public:
    // session: where the sender last chosen is kept for the next composer
    // and where e-mail buttons of the windows opened from here lead; none
    // for a composer on its own.
    WriteForm(Storage& storage, const ComposeRequest& request, QWidget* parent = nullptr,
              PasswordVault* vault = nullptr, MailSession* session = nullptr);
    ~WriteForm() override;

    MailDraft draft() const;
    // Anything typed or chosen since the window opened.
    bool isEdited() const { return m_edited; }
    bool isSending() const { return m_sending; }
    const QVector<MailAccount>& accounts() const { return m_accounts; }
    QStringList attachments() const { return m_attachments; }
    // After a sending: the mail library's answer and the stored row.
    QString lastResult() const { return m_result; }
    qint64 storedId() const { return m_storedId; }

    // The toolbar's commands.
    void send();
    void toggleQuote();
    void chooseSignature();
    void insertSignature(const QString& text);
    void chooseAttachments();
    void addAttachments(const QStringList& paths);
    void removeSelectedAttachments();
    void saveAttachments();
    void printMessage();
    void abandon();
    void showHelp();
    // "宛先", "CC", "BCC": the address book for that field (MailTarget::To …).
    void openAddressBook(int target);
    // What the address book hands over, appended to the fields.
    void addRecipients(const QVector<MailAddress>& to, const QVector<MailAddress>& cc,
                       const QVector<MailAddress>& bcc);

    QAction* action(const QString& key) const;

signals:
    // The attempt is over and the message stored; the window closes next.
    void sendFinished(const QString& result);

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void loadAccounts();
    void fill(const MailDraft& draft);
    void senderChosen();
    void keepSender(const QString& address);
    void setSending(bool sending);
    void finishSending(const MailDraft& draft, const QString& result);
    void markEdited();
    bool askAbandon();

    Storage& m_storage;
    MailAccountStore m_store;
    MailSession* m_session;
    ComposeRequest m_request;
    QVector<MailAccount> m_accounts;
    QStringList m_attachments;
    QToolBar* m_toolbar = nullptr;
    QHash<QString, QAction*> m_actions;
    QComboBox* m_from = nullptr;
    QLineEdit* m_to = nullptr;
    QLineEdit* m_cc = nullptr;
    QLineEdit* m_bcc = nullptr;
    QLineEdit* m_subject = nullptr;
    QPlainTextEdit* m_body = nullptr;
    QListWidget* m_files = nullptr;
    QStatusBar* m_status = nullptr;
    QPointer<HelpForm> m_help;
    QString m_result;
    qint64 m_storedId = 0;
    bool m_edited = false;
    bool m_loading = false;
    bool m_sending = false;
    std::optional<BusyCursor> m_busy;  // while sending
    bool m_quoted = false;
    bool m_done = false;
};
