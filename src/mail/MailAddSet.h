#pragma once

#include "MailAccountStore.h"
#include "RowMasterForm.h"

class QCheckBox;
class QLabel;
class QLineEdit;

// The mail account window "メールアドレス設定": the sender name and address,
// the login and the SMTP and POP3 servers of each account. The composer
// offers these accounts as senders.
class MailAddSet : public StoreMasterForm<MailAccount, MailAccountStore> {
    Q_OBJECT
public:
    explicit MailAddSet(Storage& storage, QWidget* parent = nullptr, PasswordVault* vault = nullptr);

    // The accounts as listed (the in-memory account table).
    const QVector<MailAccount>& accounts() const { return rows(); }
    // Shown while the account lets its password go out unencrypted.
    QLabel* plainAuthWarning() const { return m_plainAuthWarning; }

    // "送信テスト": a short message from the shown account to its own
    // address, with the fields as they stand. Runs off the window's thread;
    // the answer comes in a message box (and the testFinished signal).
    void sendTest();

signals:
    void testFinished(const QString& result);

protected:
    QStringList rowTexts(const MailAccount& a) const override;
    void showRow(const MailAccount& a) override;
    void clearFields() override;
    bool writeRecord(qint64 id, bool* found) override;
    void fillPick(MasterPickResult&, bool) override {}
    void afterApply(qint64 id) override;
    void firstShown() override;

private:
    MailAccount shownAccount() const;
    void showKeyringState();

    QLineEdit* m_name = nullptr;
    QLineEdit* m_account = nullptr;
    QLineEdit* m_password = nullptr;
    QLineEdit* m_address = nullptr;
    QLineEdit* m_smtp = nullptr;
    QLineEdit* m_pop3 = nullptr;
    QLineEdit* m_smtpPort = nullptr;
    QLineEdit* m_pop3Port = nullptr;
    QCheckBox* m_apop = nullptr;
    QCheckBox* m_send = nullptr;
    QCheckBox* m_copy = nullptr;
    QCheckBox* m_plainAuth = nullptr;
    QLabel* m_keyringLabel = nullptr;
    QLabel* m_plainAuthWarning = nullptr;
    QPushButton* m_testBtn = nullptr;
    bool m_keyring = false;
};
