#pragma once

#include "MailAccountStore.h"
#include "MailCommon.h"

#include <QHash>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// A real SMTP server (aiosmtpd through tests/tools/smtp_sink.py) on
// 127.0.0.1 and a free port, saving every message it accepts. One that
// cannot start ends the run: no test means anything without it.
class SmtpSink {
public:
    struct Options {
        QString user;         // with a password: AUTH required
        QString password;
        bool startTls = false;  // offer STARTTLS with a fresh certificate
        bool implicitTls = false;
        QString rejectRecipient;
        bool hang = false;    // accept connections, never answer
    };

    explicit SmtpSink(const Options& options);
    SmtpSink() : SmtpSink(Options{}) {}
    ~SmtpSink();

    int port() const { return m_port; }
    QString server() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
    // The certificate the server shows (PEM), when it speaks TLS.
    QString certificate() const { return m_cert; }

    // Saved messages (.eml paths) in arrival order, waiting up to timeoutMs
    // for at least `count` of them.
    QStringList messages(int count = 1, int timeoutMs = 15000) const;
    // The envelope of a saved message: mail_from, rcpt_tos, tls, login.
    QJsonObject envelope(const QString& emlPath) const;

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
    QString m_cert;
};

// A message as Python's email package reads it (tests/tools/decode_mail.py).
QJsonObject decodeMail(const QString& emlPath);

// A port on 127.0.0.1 where nothing listens.
int closedPort();

// A keyring in memory, present or absent.
class MemoryVault : public PasswordVault {
public:
    explicit MemoryVault(bool present = true) : present(present) {}
    bool available() override { return present; }
    bool read(const QString& key, QString* password, QString* error) override;
    bool write(const QString& key, const QString& password, QString* error) override;
    bool remove(const QString& key, QString* error) override;

    bool present;
    QHash<QString, QString> entries;
};

// A message to two people with a copy, a blind copy, quotes in the body
// and two attachments, one with a space and kanji in its name.
MailDraft sampleDraft();

class Storage;
// A customer 様 in 東京都 in the folder (0: none); its id.
qint64 addCustomer(Storage& s, qint64 folder, const QString& surname, const QString& mail, const QString& tel = {});
