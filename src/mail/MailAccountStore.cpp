#include "MailAccountStore.h"

#include "Keyring.h"
#include "Recordset.h"
#include "Storage.h"

namespace {

const QString kTable = QStringLiteral("MailAcountMaster");

MailAccount accountOf(const Recordset& rs)
{
    MailAccount a;
    a.id = rs.id();
    a.name = rs.text(QStringLiteral("Name"));
    a.account = rs.text(QStringLiteral("Acount"));
    a.password = rs.text(QStringLiteral("Pass"));
    a.address = rs.text(QStringLiteral("MailADDR"));
    a.smtp = rs.text(QStringLiteral("SMPT"));
    a.pop3 = rs.text(QStringLiteral("Pop3"));
    a.apop = static_cast<int>(rs.integer(QStringLiteral("APOP")));
    a.setFlg = static_cast<int>(rs.integer(QStringLiteral("SetFlg")));
    a.delFlg = static_cast<int>(rs.integer(QStringLiteral("DelFlg")));
    a.smtpPort = rs.text(QStringLiteral("SMTP_PORT"));
    a.pop3Port = rs.text(QStringLiteral("POP3_PORT"));
    a.plainAuth = rs.integer(QStringLiteral("PlainAuth")) == 1 ? 1 : 0;
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
    if (!rs.open(kTable, QStringLiteral("ID"), 0)) {
        fail(rs.errorString());
        return 0;
    }
    const qint64 id = rs.addNew();
    if (id <= 0) {
        fail(rs.errorString());
        return 0;
    }
    const MailAccount fresh;
    const QVector<QPair<const char*, QVariant>> values{
        {"Name", MailAccount::kNewName}, {"Acount", QString()},  {"Pass", QString()},
        {"MailADDR", QString()},         {"SMPT", QString()},    {"Pop3", QString()},
        {"APOP", 0},                     {"SetFlg", 0},          {"DelFlg", 0},
        {"SMTP_PORT", fresh.smtpPort},   {"POP3_PORT", fresh.pop3Port}, {"PlainAuth", 0}};
    for (const auto& [column, value] : values)
        rs.setValue(QString::fromLatin1(column), value);
    if (!rs.update()) {
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
    const QVector<QPair<const char*, QVariant>> values{
        {"Name", a.name},      {"Acount", a.account}, {"Pass", keyring ? QString() : password},
        {"MailADDR", a.address}, {"SMPT", a.smtp},    {"Pop3", a.pop3},
        {"APOP", a.apop},      {"SetFlg", a.setFlg},  {"DelFlg", a.delFlg},
        {"SMTP_PORT", a.smtpPort}, {"POP3_PORT", a.pop3Port}, {"PlainAuth", a.plainAuth}};
    for (const auto& [column, value] : values)
        rs.setValue(QString::fromLatin1(column), value);
    if (!rs.update())
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
