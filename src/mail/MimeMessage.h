#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

// One mailbox: a display name (may be empty) and an address.
struct MailAddress {
    QString name;
    QString address;

    bool operator==(const MailAddress& o) const { return name == o.name && address == o.address; }
};

// The recipients of one message, as the SMTP envelope needs them.
struct MailRecipients {
    QVector<MailAddress> to;
    QVector<MailAddress> cc;
    QVector<MailAddress> bcc;  // envelope only: never written into a header
};

namespace MailText {

// "山田 <yamada@example.jp>", "<yamada@example.jp>" or "yamada@example.jp".
// Full-width letters typed through a Japanese input method (ｙａｍａｄａ＠…)
// are read as their ASCII forms.
MailAddress parseAddress(const QString& text);

// The recipients text of SendMail: To addresses separated by tabs, then
// "cc" and its addresses, then "bcc" and its addresses, the whole text
// optionally enclosed in "<" and ">".
MailRecipients parseRecipients(const QString& text);

// A mailbox SMTP can carry: an ASCII local part, "@", a domain of letters,
// digits, hyphens and dots (an internationalised domain goes over in its
// ACE form). *envelope gets the address as it goes into MAIL FROM / RCPT TO.
bool isDeliverable(const QString& address, QString* envelope = nullptr);

// RFC 2047 "B" encoded words in UTF-8 for a header text that is not plain
// ASCII; ASCII text comes back as it is (unless always). Long texts become
// several words joined by a folding line break.
QByteArray encodeWords(const QString& text, bool always = false);

// A mailbox for a From, To or Cc header: the name quoted or encoded as
// needed, then the address in angle brackets.
QByteArray mailboxHeader(const MailAddress& mailbox);

// "Tue, 01 Jul 2025 09:30:00 +0900"
QByteArray dateHeader(const QDateTime& when);

}  // namespace MailText

// A whole Internet message ready for the DATA command: UTF-8 text with
// base64 transfer encoding, encoded subject and names, attachments as
// base64 parts whose file names are given both in RFC 2231 and RFC 2047
// form (Japanese mail programs read one or the other). Lines end in CRLF.
class MimeMessage {
public:
    MailAddress from;
    QVector<MailAddress> to;
    QVector<MailAddress> cc;
    QString subject;
    QString body;
    QStringList attachments;  // file paths
    QDateTime date;           // now when invalid
    QString messageId;        // made up from the sender's domain when empty

    // False with *error (naming the file) when an attachment cannot be read.
    bool build(QByteArray* out, QString* error) const;

    // The Content-Type and Content-Disposition lines of an attachment.
    static QByteArray attachmentHeaders(const QString& fileName, const QString& mimeType);
    // A fresh "<…@domain>" identifier.
    static QString makeMessageId(const QString& senderAddress);
};
