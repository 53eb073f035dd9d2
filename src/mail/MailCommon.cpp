#include "MailCommon.h"

#include "MailAccountStore.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace MailCommon {

int resultCode(const QString& resultText)
{
    if (resultText.isEmpty())
        return 0;
    if (resultText.contains(nMail::kToFieldInvalid))
        return -2;
    if (resultText.contains(nMail::kBadServer))
        return -3;
    if (resultText.contains(nMail::kCantConnect))
        return -4;
    return -1;
}

QStringList splitAddresses(const QString& field)
{
    // Clerks separate with whatever their fingers know: the comma, the
    // Japanese comma and the semicolon of other mail programs.
    static const QRegularExpression separators(QStringLiteral("[,;、，；]"));
    QStringList out;
    for (const QString& piece : field.split(separators)) {
        const QString t = piece.trimmed();
        if (!t.isEmpty())
            out << t;
    }
    return out;
}

QString recipientsText(const QString& to, const QString& cc, const QString& bcc)
{
    const QChar tab = QLatin1Char('\t');
    QString text = splitAddresses(to).join(tab);
    const QStringList ccs = splitAddresses(cc);
    if (!ccs.isEmpty())
        text += tab + QStringLiteral("cc") + tab + ccs.join(tab);
    const QStringList bccs = splitAddresses(bcc);
    if (!bccs.isEmpty())
        text += tab + QStringLiteral("bcc") + tab + bccs.join(tab);
    if (!text.contains(QLatin1Char('<')) && !text.contains(QLatin1Char('>')))
        text = QLatin1Char('<') + text + QLatin1Char('>');
    return text;
}

QString senderText(const QString& name, const QString& address)
{
    const QString a = address.trimmed();
    QString n = name.trimmed();
    if (n.isEmpty())
        n = a.left(a.indexOf(QLatin1Char('@')) < 0 ? a.size() : a.indexOf(QLatin1Char('@')));
    return n + QLatin1Char('<') + a + QLatin1Char('>');
}

QString attachmentsText(const QStringList& paths)
{
    return paths.join(QLatin1Char('\t'));
}

QString serverText(const QString& smtp, const QString& port)
{
    const QString s = smtp.trimmed();
    const QString p = port.trimmed();
    if (s.isEmpty() || p.isEmpty())
        return s;
    const int scheme = static_cast<int>(s.indexOf(QLatin1String("://")));
    const QString prefix = scheme < 0 ? QString() : s.left(scheme + 3);
    const QString host = scheme < 0 ? s : s.mid(scheme + 3);
    // A server name that carries its own port keeps it.
    if (host.startsWith(QLatin1Char('[')))
        return host.contains(QLatin1String("]:")) ? s : s + QLatin1Char(':') + p;
    const int colons = static_cast<int>(host.count(QLatin1Char(':')));
    if (colons == 1)
        return s;
    if (colons > 1)
        return prefix + QLatin1Char('[') + host + QStringLiteral("]:") + p;
    return s + QLatin1Char(':') + p;
}

namespace {

QStringList lines(const QString& body)
{
    QString t = body;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return t.split(QLatin1Char('\n'));
}

QStringList existingFiles(const QStringList& paths)
{
    QStringList out;
    for (const QString& p : paths)
        if (QFileInfo(p).isFile())
            out << p;
    return out;
}

}  // namespace

QString quoteLines(const QString& body)
{
    QStringList out;
    for (const QString& line : lines(body))
        out << QLatin1Char('>') + line;
    return out.join(QLatin1Char('\n'));
}

QString unquoteLines(const QString& body)
{
    QStringList out;
    for (const QString& line : lines(body))
        out << (line.startsWith(QLatin1Char('>')) ? line.mid(1) : line);
    return out.join(QLatin1Char('\n'));
}

MailDraft initialDraft(const ComposeRequest& request, const QString& currentSender)
{
    MailDraft d;
    d.from = currentSender;
    d.to = request.recipient;
    d.subject = request.subject;
    d.body = request.body;
    if (!request.earlier)
        return d;
    const StoredMail& e = *request.earlier;
    if (request.mode == ComposeRequest::kReply) {
        d.to = e.from.isEmpty() ? e.to : e.from;
        d.subject = QStringLiteral("Re:") + e.subject;
    } else if (request.mode == ComposeRequest::kStored) {
        d.to = e.to;
        d.cc = e.cc;
        d.bcc = e.bcc;
        d.subject = e.subject;
        d.attachments = existingFiles(e.attachments);
    } else {
        d.subject = QStringLiteral("Fw:") + e.subject;
        d.attachments = existingFiles(e.attachments);
    }
    if (request.quote)
        d.body = QStringLiteral("\n\n") + e.body;
    else if (request.mode != ComposeRequest::kReply)
        d.body = e.body;
    return d;
}

QString printText(const MailDraft& d)
{
    QStringList out;
    out << QStringLiteral("差出人：") + d.from;
    out << QStringLiteral("宛先　：") + d.to;
    if (!d.cc.trimmed().isEmpty())
        out << QStringLiteral("ＣＣ　：") + d.cc;
    out << QStringLiteral("件名　：") + d.subject;
    if (!d.attachments.isEmpty()) {
        QStringList names;
        for (const QString& p : d.attachments)
            names << QFileInfo(p).fileName();
        out << QStringLiteral("添付　：") + names.join(QStringLiteral("、"));
    }
    out << QString();
    out << lines(d.body);
    return out.join(QLatin1Char('\n'));
}

StoredMail storedFrom(const MailDraft& d, const QDateTime& when)
{
    StoredMail m;
    m.header = QStringLiteral("To:") + d.to + QStringLiteral("\r\nFrom:") + d.from;
    m.subject = d.subject;
    m.date = when.toString(QStringLiteral("yyyy/MM/dd hh:mm:ss"));
    m.from = d.from;
    m.to = d.to;
    m.cc = d.cc;
    m.bcc = d.bcc;
    m.body = d.body;
    m.folder = kSentFolder;
    m.attachFlag = d.attachments.isEmpty() ? 0 : 1;
    m.attachments = d.attachments;
    return m;
}

Outgoing outgoing(const MailDraft& d, const MailAccount& account, const QString& password)
{
    Outgoing o;
    o.server = serverText(account.smtp, account.smtpPort);
    o.recipients = recipientsText(d.to, d.cc, d.bcc);
    o.sender = senderText(account.name, d.from);
    o.subject = d.subject;
    o.body = d.body;
    o.attachments = attachmentsText(d.attachments);
    o.connection.user = account.account.trimmed();
    o.connection.password = password;
    o.connection.allowPlainAuth = account.plainAuth != 0;
    return o;
}

QString Outgoing::send() const
{
    return nMail::SendMail(server, recipients, sender, subject, body, attachments, connection);
}

}  // namespace MailCommon
