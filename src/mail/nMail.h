#pragma once

#include <QString>

// The mail library: one message out through an SMTP server, behind the
// six texts the composer has always handed over.
namespace nMail {

// The phrases a caller tells failures apart by; every error text contains
// exactly one of them, followed by a Japanese explanation.
inline const QString kToFieldInvalid = QStringLiteral("TO field invalid");
inline const QString kBadServer = QStringLiteral("BAD Server or TO field");
inline const QString kCantConnect = QStringLiteral("Cant connect Server");

// What the six texts do not carry: the login of the account and how long
// to wait. The password travels only in memory.
struct Connection {
    QString user;      // empty: no AUTH
    QString password;
    // A login goes only over an encrypted connection (TLS from the first
    // byte or STARTTLS); true lets it go in clear to a server without TLS,
    // which the account must ask for explicitly.
    bool allowPlainAuth = false;
    QString caFile;    // PEM certificates to trust instead of the system's (a private CA)
    int connectTimeoutSeconds = 20;
    int responseTimeoutSeconds = 60;
};

// Sends one message and returns an empty text on success, else the error
// text. Safe to call on any thread (it touches no Qt object but its
// arguments); it blocks until the server has answered.
//  server       "host", "host:port" or "[v6]:port"; "smtps://" before it
//               forces TLS from the first byte, as does port 465. Other
//               ports upgrade with STARTTLS whenever the server offers it;
//               with a login, a server that offers no STARTTLS is refused
//               unless connection.allowPlainAuth. Certificates are always
//               verified.
//  recipients   To addresses separated by tabs, then "cc" and the Cc
//               addresses, then "bcc" and the blind copies, each separated
//               by a tab; optionally the whole text in "<" … ">".
//  sender       "display name<address>"
//  subject, body as typed (UTF-8 on the wire)
//  attachments  file paths separated by tabs; empty for none
QString SendMail(const QString& server, const QString& recipients, const QString& sender, const QString& subject,
                 const QString& body, const QString& attachments, const Connection& connection = {});

}  // namespace nMail
