#include "nMail.h"

#include "Logging.h"
#include "MimeMessage.h"

#include <QSet>
#include <QStringList>
#include <QUrl>

#include <curl/curl.h>

#include <mutex>

namespace nMail {

namespace {

struct Endpoint {
    QString host;
    int port = 25;
    bool implicitTls = false;
};

constexpr int kSmtpsPort = 465;

bool parseServer(const QString& text, Endpoint* out)
{
    QString t = text.trimmed();
    if (t.startsWith(QLatin1String("smtps://"), Qt::CaseInsensitive)) {
        out->implicitTls = true;
        t = t.mid(8);
    } else if (t.startsWith(QLatin1String("smtp://"), Qt::CaseInsensitive)) {
        t = t.mid(7);
    }
    while (t.endsWith(QLatin1Char('/')))
        t.chop(1);
    QString portText;
    if (t.startsWith(QLatin1Char('['))) {
        const int close = static_cast<int>(t.indexOf(QLatin1Char(']')));
        if (close < 0)
            return false;
        out->host = t.mid(1, close - 1);
        if (t.mid(close + 1).startsWith(QLatin1Char(':')))
            portText = t.mid(close + 2);
    } else if (t.count(QLatin1Char(':')) == 1) {
        out->host = t.section(QLatin1Char(':'), 0, 0);
        portText = t.section(QLatin1Char(':'), 1);
    } else {
        out->host = t;  // a name, or a bare IPv6 address
    }
    out->host = out->host.trimmed();
    if (!portText.trimmed().isEmpty()) {
        bool ok = false;
        const int port = portText.trimmed().toInt(&ok);
        if (!ok || port <= 0 || port > 65535)
            return false;
        out->port = port;
    }
    if (out->port == kSmtpsPort)
        out->implicitTls = true;
    return !out->host.isEmpty();
}

QByteArray urlOf(const Endpoint& e)
{
    QByteArray host = e.host.contains(QLatin1Char(':')) ? '[' + e.host.toLatin1() + ']' : QUrl::toAce(e.host);
    if (host.isEmpty())
        host = e.host.toUtf8();
    return (e.implicitTls ? "smtps://" : "smtp://") + host + ':' + QByteArray::number(e.port);
}

struct Upload {
    const QByteArray* data = nullptr;
    qsizetype position = 0;
};

size_t readMessage(char* buffer, size_t size, size_t count, void* user)
{
    auto* up = static_cast<Upload*>(user);
    const qsizetype room = static_cast<qsizetype>(size * count);
    const qsizetype n = qMin(room, up->data->size() - up->position);
    if (n <= 0)
        return 0;
    memcpy(buffer, up->data->constData() + up->position, static_cast<size_t>(n));
    up->position += n;
    return static_cast<size_t>(n);
}

// Keeps the server's last reply: it says in its own words why it refused.
// Only what the server sends is kept; our own lines carry the login.
int traceReplies(CURL*, curl_infotype type, char* data, size_t size, void* user)
{
    if (type == CURLINFO_HEADER_IN) {
        const QByteArray line = QByteArray(data, static_cast<qsizetype>(size)).trimmed();
        // The farewell to our QUIT says nothing about what went wrong.
        if (!line.isEmpty() && !line.startsWith("221"))
            *static_cast<QByteArray*>(user) = line;
    }
    return 0;
}

void globalInit()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

QString withReply(const QString& text, const QByteArray& reply)
{
    return reply.isEmpty() ? text : text + QStringLiteral("（サーバーの応答: %1）").arg(QString::fromUtf8(reply));
}

QString describe(CURLcode code, const char* errorBuffer, const QByteArray& reply, const Endpoint& e, bool login)
{
    const QString where = e.host + QLatin1Char(':') + QString::number(e.port);
    const QString detail = QString::fromUtf8(*errorBuffer ? errorBuffer : curl_easy_strerror(code));
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
        return kCantConnect + QStringLiteral(" - SMTPサーバー「%1」が見つかりません").arg(e.host);
    case CURLE_COULDNT_CONNECT:
        return kCantConnect + QStringLiteral(" - %1 に接続できません。SMTPサーバー名とポート番号を確認してください").arg(where);
    case CURLE_OPERATION_TIMEDOUT:
        return kCantConnect + QStringLiteral(" - %1 が時間内に応答しません").arg(where);
    case CURLE_USE_SSL_FAILED:
        // The server offers no STARTTLS (or refused it): the login was never sent.
        if (!e.implicitTls && login)
            return kCantConnect
                   + QStringLiteral(" - %1 は暗号化（STARTTLS）に対応していないため、パスワードを送信せずに中止しました。"
                                    "プロバイダの案内で暗号化できるポート（587 または 465）を確認してください。"
                                    "暗号化なしで送るしかない場合は、メールアドレス設定で"
                                    "「暗号化されていない接続でもパスワードを送信する」をオンにしてください")
                         .arg(where);
        return kCantConnect + QStringLiteral(" - %1 と安全な接続（TLS）ができません（%2）").arg(where, detail);
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        return kCantConnect + QStringLiteral(" - %1 と安全な接続（TLS）ができません。サーバー証明書を確認できません（%2）")
                                  .arg(where, detail);
    case CURLE_LOGIN_DENIED:
        return withReply(kBadServer + QStringLiteral(" - ログインできません。アカウント名とパスワードを確認してください"),
                         reply);
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR:
        if (reply.isEmpty())
            return kCantConnect + QStringLiteral(" - %1 が接続を切りました（%2）").arg(where, detail);
        break;
    default:
        break;
    }
    if (detail.startsWith(QLatin1String("RCPT failed")))
        return withReply(kToFieldInvalid + QStringLiteral(" - サーバーが宛先を受け付けません"), reply);
    if (detail.startsWith(QLatin1String("MAIL failed")))
        return withReply(kBadServer + QStringLiteral(" - サーバーが送信者のアドレスを受け付けません"), reply);
    return withReply(kBadServer + QStringLiteral(" - 送信できません（%1）").arg(detail), reply);
}

}  // namespace

QString SendMail(const QString& server, const QString& recipients, const QString& sender, const QString& subject,
                 const QString& body, const QString& attachments, const Connection& connection)
{
    Endpoint endpoint;
    if (server.trimmed().isEmpty())
        return kCantConnect + QStringLiteral(" - SMTPサーバー名が設定されていません");
    if (!parseServer(server, &endpoint))
        return kCantConnect + QStringLiteral(" - SMTPサーバー名「%1」が正しくありません").arg(server.trimmed());

    const MailAddress from = MailText::parseAddress(sender);
    QString fromEnvelope;
    if (!MailText::isDeliverable(from.address, &fromEnvelope))
        return kBadServer + QStringLiteral(" - 送信者のメールアドレス「%1」が正しくありません").arg(from.address);

    const MailRecipients rcpt = MailText::parseRecipients(recipients);
    QStringList envelopes;
    QSet<QString> seen;
    for (const QVector<MailAddress>* list : {&rcpt.to, &rcpt.cc, &rcpt.bcc}) {
        for (const MailAddress& a : *list) {
            QString envelope;
            if (!MailText::isDeliverable(a.address, &envelope))
                return kToFieldInvalid + QStringLiteral(" - 宛先のメールアドレス「%1」が正しくありません").arg(a.address);
            if (!seen.contains(envelope.toLower())) {
                seen.insert(envelope.toLower());
                envelopes << envelope;
            }
        }
    }
    if (envelopes.isEmpty())
        return kToFieldInvalid + QStringLiteral(" - 宛先がありません");

    MimeMessage message;
    message.from = from;
    message.to = rcpt.to;
    message.cc = rcpt.cc;
    message.subject = subject;
    message.body = body;
    for (const QString& path : attachments.split(QLatin1Char('\t'), Qt::SkipEmptyParts))
        if (!path.trimmed().isEmpty())
            message.attachments << path.trimmed();
    QByteArray data;
    QString buildError;
    if (!message.build(&data, &buildError))
        return buildError;

    globalInit();
    CURL* curl = curl_easy_init();
    if (!curl)
        return kCantConnect + QStringLiteral(" - 通信機能を初期化できません");
    char errorBuffer[CURL_ERROR_SIZE] = {0};
    QByteArray reply;
    Upload upload{&data, 0};
    const QByteArray url = urlOf(endpoint);
    const QByteArray mailFrom = '<' + fromEnvelope.toUtf8() + '>';
    const QByteArray user = connection.user.toUtf8();
    const QByteArray password = connection.password.toUtf8();
    const QByteArray caFile = connection.caFile.toLocal8Bit();
    curl_slist* rcptList = nullptr;
    for (const QString& e : envelopes)
        rcptList = curl_slist_append(rcptList, ('<' + e.toUtf8() + '>').constData());

    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
    // A login never goes out in clear unless the account asked for it;
    // without one, a server lacking STARTTLS still takes the message.
    const bool requireTls = endpoint.implicitTls || (!user.isEmpty() && !connection.allowPlainAuth);
    curl_easy_setopt(curl, CURLOPT_USE_SSL, static_cast<long>(requireTls ? CURLUSESSL_ALL : CURLUSESSL_TRY));
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!caFile.isEmpty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, caFile.constData());
    if (!user.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, password.constData());
    }
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, mailFrom.constData());
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, rcptList);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, readMessage);
    curl_easy_setopt(curl, CURLOPT_READDATA, &upload);
    curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(data.size()));
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(connection.connectTimeoutSeconds));
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, static_cast<long>(connection.responseTimeoutSeconds));
    // A line that stalls (a dropped mobile connection) ends the attempt
    // instead of holding the user's message for ever.
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(connection.responseTimeoutSeconds));
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, traceReplies);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, &reply);

    const CURLcode code = curl_easy_perform(curl);
    QString result;
    if (code != CURLE_OK) {
        result = describe(code, errorBuffer, reply, endpoint, !user.isEmpty());
        qCWarning(lcMail).noquote() << endpoint.host << endpoint.port << "curl" << int(code)
                                    << (*errorBuffer ? errorBuffer : curl_easy_strerror(code)) << "server:" << reply.trimmed();
    }
    curl_slist_free_all(rcptList);
    curl_easy_cleanup(curl);
    return result;
}

}  // namespace nMail
