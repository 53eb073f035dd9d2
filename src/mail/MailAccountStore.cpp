#include "MailAccountStore.h"

#include "Keyring.h"
#include "RowFields.h"
#include "Storage.h"

namespace {

const QString kTable = QStringLiteral("MailAcountMaster");

// Every column but Pass, whose text depends on the keyring.
const RowField<MailAccount> kColumns[] = {
    {"Name", &MailAccount::name},          {"Acount", &MailAccount::account},
    {"MailADDR", &MailAccount::address},   {"SMPT", &MailAccount::smtp},
    {"Pop3", &MailAccount::pop3},          {"APOP", &MailAccount::apop},
    {"SetFlg", &MailAccount::setFlg},      {"DelFlg", &MailAccount::delFlg},
    {"SMTP_PORT", &MailAccount::smtpPort}, {"POP3_PORT", &MailAccount::pop3Port},
    {"PlainAuth", &MailAccount::plainAuth},
};

MailAccount accountOf(const Recordset& rs)
{
    MailAccount a;
    a.id = rs.id();
    readRow(rs, &a, kColumns);
    a.password = rs.text(QStringLiteral("Pass"));
    a.plainAuth = a.plainAuth == 1 ? 1 : 0;
    return a;
}

}  // namespace

// ---------------------------------------------------------------- keyring

KeyringVault& KeyringVault::instance()
{
    static KeyringVault vault;
    return vault;
}

bool KeyringVault::available()
{
    if (m_available < 0)
        m_available = Keyring::isAvailable() ? 1 : 0;
    return m_available == 1;
}

bool KeyringVault::read(const QString& key, QString* password, QString* error)
{
    return available() && Keyring::readPassword(key, password, error);
}

bool KeyringVault::write(const QString& key, const QString& password, QString* error)
{
    return available() && Keyring::writePassword(key, password, error);
}

bool KeyringVault::remove(const QString& key, QString* error)
{
    return available() && Keyring::deletePassword(key, error);
}

// ---------------------------------------------------------------- accounts

MailAccountStore::MailAccountStore(Storage& storage, PasswordVault* vault)
    : m_storage(storage)
    , m_vault(vault ? vault : &KeyringVault::instance())
{
}

bool MailAccountStore::fail(const QString& message)
{
    m_error = message;
    return false;
}

QString MailAccountStore::keyringKey(const QString& login, const QString& server)
{
    return QStringLiteral("smtp://%1@%2").arg(login.trimmed(), server.trimmed().toLower());
}

bool MailAccountStore::keyringAvailable()
{
    return m_vault->available();
}

bool MailAccountStore::list(QVector<MailAccount>* out)
{
    out->clear();
    Recordset rs(m_storage, DbFile::MasterData);
    if (!rs.open(kTable))
        return fail(rs.errorString());
    for (; !rs.eof(); rs.moveNext())
        out->append(accountOf(rs));
    return true;
}

bool MailAccountStore::findByAddress(const QString& address, MailAccount* out, bool* found)
{
    *found = false;
    QVector<MailAccount> all;
    if (!list(&all))
        return false;
    for (const MailAccount& a : all) {
        if (a.address == address) {
            *out = a;
            *found = true;
            return true;
        }
    }
    return true;
}

qint64 MailAccountStore::create()
{
    Recordset rs(m_storage, DbFile::MasterData);
    const qint64 id = rs.openNew(kTable);
    MailAccount fresh;
    fresh.name = MailAccount::kNewName;
    if (id <= 0 || !assignRow(rs, fresh, kColumns) || !rs.setValue(QStringLiteral("Pass"), QString())
        || !rs.update()) {
        fail(rs.errorString());
        return 0;
    }
    return id;
}

bool MailAccountStore::write(const MailAccount& a, const QString& password, bool* found, bool* inKeyring)
{
    *found = false;
    bool keyring = false;
    // The keyring first: should it fail, the password is not lost but
    // written into the table as on a computer without one.
    if (!password.isEmpty() && !a.account.trimmed().isEmpty() && m_vault->available()) {
        QString error;
        keyring = m_vault->write(keyringKey(a.account, a.smtp), password, &error);
    } else if (password.isEmpty() && m_vault->available()) {
        // A password taken away: none stays behind in the keyring either.
        QString error;
        if (!a.account.trimmed().isEmpty())
            m_vault->remove(keyringKey(a.account, a.smtp), &error);
        keyring = true;
    }
    if (inKeyring)
        *inKeyring = keyring;

    Recordset rs(m_storage, DbFile::MasterData);
    if (!rs.open(kTable, QStringLiteral("ID"), a.id))
        return fail(rs.errorString());
    if (rs.eof())
        return true;
    *found = true;
    if (!assignRow(rs, a, kColumns) || !rs.setValue(QStringLiteral("Pass"), keyring ? QString() : password)
        || !rs.update())
        return fail(rs.errorString());
    return true;
}

bool MailAccountStore::remove(qint64 id)
{
    QVector<MailAccount> all;
    if (!list(&all))
        return false;
    MailAccount gone;
    bool shared = false;
    for (const MailAccount& a : all)
        if (a.id == id)
            gone = a;
    for (const MailAccount& a : all)
        if (a.id != id && keyringKey(a.account, a.smtp) == keyringKey(gone.account, gone.smtp))
            shared = true;

    Recordset rs(m_storage, DbFile::MasterData);
    if (!rs.open(kTable, QStringLiteral("ID"), id))
        return fail(rs.errorString());
    if (!rs.eof() && !rs.deleteCurrent())
        return fail(rs.errorString());
    if (gone.id > 0 && !shared && !gone.account.trimmed().isEmpty() && m_vault->available()) {
        QString error;
        m_vault->remove(keyringKey(gone.account, gone.smtp), &error);
    }
    return true;
}

QString MailAccountStore::password(const MailAccount& a)
{
    if (!a.password.isEmpty())
        return a.password;
    if (a.account.trimmed().isEmpty() || !m_vault->available())
        return {};
    QString password, error;
    if (!m_vault->read(keyringKey(a.account, a.smtp), &password, &error))
        return {};
    return password;
}
