#pragma once

#include "nMail.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

struct MailAccount;

// A stored message of MailData.
struct StoredMail {
    qint64 id = 0;
    QString header;
    QString subject;
    QString date;
    QString from;
    QString to;
    QString cc;
    QString bcc;
    QString body;
    int folder = 0;
    int attachFlag = 0;
    QStringList attachments;
};

// What the composer's fields hold.
struct MailDraft {
    QString from;  // the sender address chosen from the accounts
    QString to;    // addresses separated by commas, as typed
    QString cc;
    QString bcc;
    QString subject;
    QString body;
    QStringList attachments;  // file paths
};

// How the composer is opened.
struct ComposeRequest {
    static inline const QString kReply = QStringLiteral("返信メッセージ");
    static inline const QString kStored = QStringLiteral("送信メッセージ");
    static inline const QString kNew = QStringLiteral("メッセージ作成");

    QString recipient;  // from a master's e-mail button
    QString subject;    // from the schedule's message button
    QString body;
    std::optional<StoredMail> earlier;  // reply, forward or a stored message sent again
    QString mode = kNew;                // kReply, kStored, anything else: forward
    bool quote = false;                 // the earlier body follows two empty lines
};

// The texts and rules the composer works by.
namespace MailCommon {

inline const QString kNoSender = QStringLiteral("送信者が設定されていません");
inline const QString kNoRecipient = QStringLiteral("宛先が設定されていません");
inline const QString kSendFailed = QStringLiteral("送信できませんでした。　回線接続状況を確認してください。");
inline const QString kSendErrorTitle = QStringLiteral("メール送信エラー");
inline const QString kQuoteCaption = QStringLiteral("返信記号");
inline const QString kUnquoteCaption = QStringLiteral("記号解除");
constexpr int kSentFolder = 2;

// Result classes of a sending: 0 sent, -2 invalid recipient, -3 bad server
// or recipient, -4 server not reached, -1 any other failure.
int resultCode(const QString& resultText);

// A field of addresses split at commas (also the Japanese 、 and ，),
// trimmed, empty pieces dropped.
QStringList splitAddresses(const QString& field);

// The recipients text of SendMail: To addresses separated by tabs, then a
// tab, "cc" and each Cc address after a tab, then likewise "bcc"; enclosed
// in "<" and ">" when no address carries angle brackets.
QString recipientsText(const QString& to, const QString& cc, const QString& bcc);
// "name<address>", the name being the part before the at sign when the
// account has none.
QString senderText(const QString& name, const QString& address);
QString attachmentsText(const QStringList& paths);

// The server text for an account: its SMTP server with the account's port
// (unless the server name already carries one).
QString serverText(const QString& smtp, const QString& port);

// Quote marks: ">" before every line, and taken off again.
QString quoteLines(const QString& body);
QString unquoteLines(const QString& body);

// The fields a composer starts with; currentSender is the sender address
// shown when the window opens.
MailDraft initialDraft(const ComposeRequest& request, const QString& currentSender);

// What went out: the text the message printout shows.
QString printText(const MailDraft& draft);

// The message stored after a sending attempt.
StoredMail storedFrom(const MailDraft& draft, const QDateTime& when);

// The six texts and the login for one sending, worked out on the window's
// thread (the password may come from the keyring); SendMail then runs on
// any thread.
struct Outgoing {
    QString server;
    QString recipients;
    QString sender;
    QString subject;
    QString body;
    QString attachments;
    nMail::Connection connection;

    QString send() const;
};
Outgoing outgoing(const MailDraft& draft, const MailAccount& account, const QString& password);

}  // namespace MailCommon
