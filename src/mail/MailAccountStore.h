#pragma once

#include <QString>
#include <QVector>

class Storage;

// One row of MailAcountMaster.
struct MailAccount {
    static inline const QString kNewName = QStringLiteral("<新規>");

    qint64 id = 0;
    QString name;       // shown in the list and as the sender name
    QString account;    // login name on the server (Acount)
    QString password;   // the Pass column as stored: empty when the keyring holds it
    QString address;    // MailADDR
    QString smtp;       // SMPT
    QString pop3;
    int apop = 0;
    int setFlg = 0;
    int delFlg = 0;
    QString smtpPort = QStringLiteral("25");
    QString pop3Port = QStringLiteral("110");
    int plainAuth = 0;  // 1: the password may go to a server without TLS in clear
};

// Where account passwords are kept instead of the database: the desktop
// keyring. Tests put a vault of their own in its place.
class PasswordVault {
public:
    virtual ~PasswordVault() = default;
    // Whether a keyring service answers on this computer.
    virtual bool available() = 0;
    // False with *error when the entry is missing or the keyring failed.
    virtual bool read(const QString& key, QString* password, QString* error) = 0;
    virtual bool write(const QString& key, const QString& password, QString* error) = 0;
    virtual bool remove(const QString& key, QString* error) = 0;
};

// The desktop keyring through QtKeychain (Secret Service, KWallet).
class KeyringVault : public PasswordVault {
public:
    bool available() override;
    bool read(const QString& key, QString* password, QString* error) override;
    bool write(const QString& key, const QString& password, QString* error) override;
    bool remove(const QString& key, QString* error) override;
    // The vault the windows use.
    static KeyringVault& instance();

private:
    int m_available = -1;  // not asked yet
};

// The mail accounts. A password goes into the keyring under the login and
// server it belongs to, and the Pass column stays empty; only on a computer
// without a keyring is it written into the table, and the window says so.
class MailAccountStore {
public:
    explicit MailAccountStore(Storage& storage, PasswordVault* vault = nullptr);

    // Every account in table order.
    bool list(QVector<MailAccount>* out);
    // The account whose address is this one (the first in table order).
    bool findByAddress(const QString& address, MailAccount* out, bool* found);
    // A new account "<新規>" with ports 25 and 110 and the switches off.
    qint64 create();
    // Writes every column. The password goes to the keyring when there is
    // one (*inKeyring true) and to the table otherwise. *found is false,
    // and nothing is written, when the row is gone.
    bool write(const MailAccount& account, const QString& password, bool* found, bool* inKeyring = nullptr);
    // Deletes the row. The keyring entry stays when another account uses
    // the same login and server.
    bool remove(qint64 id);
    // The password to log in with: the table's when it holds one, else the
    // keyring's; empty when neither has it.
    QString password(const MailAccount& account);
    bool keyringAvailable();

    // "smtp://login@server": one password per login and server.
    static QString keyringKey(const QString& login, const QString& server);

    const QString& errorString() const { return m_error; }

private:
    bool fail(const QString& message);

    Storage& m_storage;
    PasswordVault* m_vault;
    QString m_error;
};
