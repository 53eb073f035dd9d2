#include "MimeMessage.h"

#include "AppDir.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMimeDatabase>
#include <QUrl>
#include <QUuid>

namespace {

const QByteArray kCrLf = QByteArrayLiteral("\r\n");
// An encoded word may be 75 characters long; 39 bytes of UTF-8 make 52
// base64 characters, so "Subject: " and the first word still fit in 78.
constexpr int kWordBytes = 39;
constexpr int kBase64Line = 76;
// RFC 2231 pieces short enough that " filename*0*=UTF-8''" and one fit in 78.
constexpr int kParameterChunk = 50;

// Full-width ASCII (ＡＢＣ＠．) and the ideographic space as typed through a
// Japanese input method, read as what the user meant.
QString halfWidth(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const ushort u = c.unicode();
        if (u >= 0xFF01 && u <= 0xFF5E)
            out += QChar(static_cast<ushort>(u - 0xFF01 + 0x21));
        else if (u == 0x3000)
            out += QLatin1Char(' ');
        else
            out += c;
    }
    return out;
}

bool isPlainAscii(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            return false;
    return true;
}

bool isAtext(QChar c)
{
    const ushort u = c.unicode();
    if (u > 0x7E || u <= 0x20)
        return false;
    return c.isLetterOrNumber() || QByteArrayLiteral("!#$%&'*+-/=?^_`{|}~").contains(static_cast<char>(u));
}

QByteArray base64Lines(const QByteArray& data)
{
    const QByteArray b64 = data.toBase64();
    QByteArray out;
    out.reserve(b64.size() + b64.size() / kBase64Line * 2 + 2);
    for (int i = 0; i < b64.size(); i += kBase64Line) {
        out += b64.mid(i, kBase64Line);
        out += kCrLf;
    }
    return out;
}

// Text parts are canonical with CRLF line ends (RFC 2046).
QByteArray crlfText(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text.toUtf8();
}

// Header texts are one line: pasted line breaks become blanks.
QString oneLine(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return text;
}

QByteArray quotedString(const QString& text)
{
    QByteArray out = "\"";
    for (char c : text.toLatin1()) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + '"';
}

// RFC 2231 extended value, split into continuations when long; a %XX
// triplet is never split.
QByteArray extendedParameter(const QByteArray& name, const QString& value)
{
    static const QByteArray attrChars = QByteArrayLiteral("!#$&+-.^_`|~");
    QByteArray encoded;
    for (unsigned char c : value.toUtf8()) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')
            || attrChars.contains(static_cast<char>(c)))
            encoded += static_cast<char>(c);
        else
            encoded += '%' + QByteArray::number(c, 16).toUpper().rightJustified(2, '0');
    }
    if (encoded.size() <= kParameterChunk + 6)
        return name + "*=UTF-8''" + encoded;
    QByteArrayList chunks;
    int i = 0;
    while (i < encoded.size()) {
        int n = qMin(kParameterChunk, static_cast<int>(encoded.size()) - i);
        // Step back off a triplet that would be cut.
        if (i + n < encoded.size()) {
            if (encoded.at(i + n - 1) == '%')
                n -= 1;
            else if (encoded.at(i + n - 2) == '%')
                n -= 2;
        }
        chunks << encoded.mid(i, n);
        i += n;
    }
    QByteArray out;
    for (int k = 0; k < chunks.size(); ++k) {
        if (k > 0)
            out += ";\r\n ";
        out += name + '*' + QByteArray::number(k) + '*' + '=' + (k == 0 ? "UTF-8''" : "") + chunks[k];
    }
    return out;
}

QByteArray addressList(const QVector<MailAddress>& list)
{
    QByteArrayList parts;
    for (const MailAddress& a : list)
        parts << MailText::mailboxHeader(a);
    return parts.join(",\r\n ");
}

}  // namespace

namespace MailText {

MailAddress parseAddress(const QString& text)
{
    MailAddress out;
    const QString t = text.trimmed();
    int open = qMax(t.lastIndexOf(QLatin1Char('<')), t.lastIndexOf(QChar(0xFF1C)));
    int close = -1;
    if (open >= 0) {
        close = t.indexOf(QLatin1Char('>'), open);
        if (close < 0)
            close = t.indexOf(QChar(0xFF1E), open);
    }
    if (open >= 0 && close > open) {
        out.address = halfWidth(t.mid(open + 1, close - open - 1)).trimmed();
        QString name = t.left(open).trimmed();
        if (name.size() >= 2 && name.startsWith(QLatin1Char('"')) && name.endsWith(QLatin1Char('"')))
            name = name.mid(1, name.size() - 2);
        out.name = name.trimmed();
    } else {
        out.address = halfWidth(t).trimmed();
    }
    return out;
}

MailRecipients parseRecipients(const QString& text)
{
    QString t = text;
    // The whole text enclosed once ("<a@x\tb@y>"), as opposed to brackets
    // that belong to single addresses.
    if (t.startsWith(QLatin1Char('<')) && t.endsWith(QLatin1Char('>')) && t.count(QLatin1Char('<')) == 1
        && t.count(QLatin1Char('>')) == 1)
        t = t.mid(1, t.size() - 2);
    MailRecipients out;
    QVector<MailAddress>* list = &out.to;
    for (const QString& token : t.split(QLatin1Char('\t'))) {
        const QString trimmed = token.trimmed();
        if (trimmed.isEmpty())
            continue;
        if (trimmed.compare(QLatin1String("cc"), Qt::CaseInsensitive) == 0) {
            list = &out.cc;
            continue;
        }
        if (trimmed.compare(QLatin1String("bcc"), Qt::CaseInsensitive) == 0) {
            list = &out.bcc;
            continue;
        }
        list->append(parseAddress(trimmed));
    }
    return out;
}

bool isDeliverable(const QString& address, QString* envelope)
{
    const int at = static_cast<int>(address.lastIndexOf(QLatin1Char('@')));
    if (at <= 0 || at == address.size() - 1)
        return false;
    const QString local = address.left(at);
    const QString domain = address.mid(at + 1);
    for (QChar c : local)
        if (!isAtext(c) && c != QLatin1Char('.'))
            return false;
    if (local.startsWith(QLatin1Char('.')) || local.endsWith(QLatin1Char('.')) || local.contains(QLatin1String("..")))
        return false;
    QString ace;
    if (domain.startsWith(QLatin1Char('[')) && domain.endsWith(QLatin1Char(']'))) {
        ace = domain;  // an address literal, as intranet servers use
        for (QChar c : domain.mid(1, domain.size() - 2))
            if (!(c.isDigit() || c == QLatin1Char('.') || c == QLatin1Char(':') || c.isLetter()))
                return false;
    } else {
        ace = QString::fromLatin1(QUrl::toAce(domain));
        if (ace.isEmpty() || ace.startsWith(QLatin1Char('.')) || ace.endsWith(QLatin1Char('.'))
            || ace.contains(QLatin1String("..")))
            return false;
        for (QChar c : ace)
            if (!(c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('.')) || c.unicode() > 0x7E)
                return false;
    }
    if (envelope)
        *envelope = local + QLatin1Char('@') + ace;
    return true;
}

QByteArray encodeWords(const QString& text, bool always)
{
    if (!always && isPlainAscii(text) && !text.contains(QLatin1String("=?")))
        return text.toLatin1();
    QByteArrayList words;
    QByteArray chunk;
    const QVector<uint> points = text.toUcs4();
    for (uint cp : points) {
        const QByteArray bytes = QString::fromUcs4(reinterpret_cast<const char32_t*>(&cp), 1).toUtf8();
        if (chunk.size() + bytes.size() > kWordBytes) {
            words << "=?UTF-8?B?" + chunk.toBase64() + "?=";
            chunk.clear();
        }
        chunk += bytes;
    }
    if (!chunk.isEmpty())
        words << "=?UTF-8?B?" + chunk.toBase64() + "?=";
    return words.join("\r\n ");
}

QByteArray mailboxHeader(const MailAddress& mailbox)
{
    QString envelope;
    const QString typed = halfWidth(mailbox.address).trimmed();
    const QByteArray address = (isDeliverable(typed, &envelope) ? envelope : typed).toUtf8();
    const QString name = oneLine(mailbox.name).trimmed();
    if (name.isEmpty())
        return address;
    QByteArray shown;
    if (!isPlainAscii(name)) {
        shown = encodeWords(name);
    } else {
        bool atoms = true;
        for (QChar c : name)
            if (!isAtext(c) && c != QLatin1Char(' '))
                atoms = false;
        shown = atoms ? name.toLatin1() : quotedString(name);
    }
    return shown + " <" + address + '>';
}

QByteArray dateHeader(const QDateTime& when)
{
    const QDateTime local = when.isValid() ? when : QDateTime::currentDateTime();
    const int offset = local.offsetFromUtc() / 60;
    const int a = qAbs(offset);
    return QLocale::c().toString(local, QStringLiteral("ddd, dd MMM yyyy hh:mm:ss")).toLatin1() + ' '
           + (offset < 0 ? '-' : '+') + QByteArray::number(a / 60).rightJustified(2, '0')
           + QByteArray::number(a % 60).rightJustified(2, '0');
}

}  // namespace MailText

QString MimeMessage::makeMessageId(const QString& senderAddress)
{
    QString domain = senderAddress.mid(senderAddress.lastIndexOf(QLatin1Char('@')) + 1);
    QString envelope;
    if (!senderAddress.contains(QLatin1Char('@')) || !MailText::isDeliverable(senderAddress, &envelope))
        domain = QStringLiteral("shinseidesk.invalid");
    else
        domain = envelope.mid(envelope.lastIndexOf(QLatin1Char('@')) + 1);
    return QLatin1Char('<') + QUuid::createUuid().toString(QUuid::Id128) + QLatin1Char('@') + domain
           + QLatin1Char('>');
}

QByteArray MimeMessage::attachmentHeaders(const QString& fileName, const QString& mimeType)
{
    const QString name = oneLine(fileName);
    // A file name is the sender's to choose, not ours to trust: a quote in
    // it must not close the parameter and start another one. The RFC 2231
    // form percent-encodes every byte that could; the plain parameter for
    // older readers is the name itself only when it is printable ASCII
    // without quotes or backslashes, else the encoded word (base64: nothing
    // in it can end the quoted string).
    bool plain = isPlainAscii(name) && !name.contains(QLatin1String("=?"));
    for (QChar c : name)
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            plain = false;
    QByteArray fallback = plain ? name.toLatin1() : MailText::encodeWords(name, true);
    fallback = '"' + fallback + '"';
    QByteArray out = "Content-Type: " + mimeType.toLatin1() + ";\r\n name=" + fallback + kCrLf;
    out += "Content-Disposition: attachment;\r\n filename=" + fallback + ";\r\n " + extendedParameter("filename", name)
           + kCrLf;
    out += "Content-Transfer-Encoding: base64\r\n";
    return out;
}

bool MimeMessage::build(QByteArray* out, QString* error) const
{
    // Read every attachment first: nothing goes out when one is missing.
    struct Part {
        QString name;
        QString type;
        QByteArray data;
    };
    QVector<Part> parts;
    QMimeDatabase mimes;
    for (const QString& path : attachments) {
        // Reading a live database outside SQLite would drop this process's
        // locks on it; the office's data goes out as a backup, not as a file.
        if (AppDir::isDatabaseFile(path)) {
            if (error)
                *error = QStringLiteral("「%1」はこのプログラムのデータベースのため、添付できません。"
                                        "送るときはバックアップを作成して添付してください。").arg(path);
            return false;
        }
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            if (error)
                *error = QStringLiteral("添付ファイルを読み込めません（%1）").arg(path);
            return false;
        }
        Part p;
        p.name = QFileInfo(path).fileName();
        p.type = mimes.mimeTypeForFile(path, QMimeDatabase::MatchExtension).name();
        if (p.type.isEmpty() || p.type == QLatin1String("application/x-zerosize"))
            p.type = QStringLiteral("application/octet-stream");
        p.data = f.readAll();
        parts.append(p);
    }

    QByteArray m;
    m += "Date: " + MailText::dateHeader(date) + kCrLf;
    m += "From: " + MailText::mailboxHeader(from) + kCrLf;
    // Only blind copies: the message still says it has recipients.
    m += to.isEmpty() && cc.isEmpty() ? QByteArray("To: undisclosed-recipients:;\r\n")
                                      : (to.isEmpty() ? QByteArray() : "To: " + addressList(to) + kCrLf);
    if (!cc.isEmpty())
        m += "Cc: " + addressList(cc) + kCrLf;
    m += "Subject: " + MailText::encodeWords(oneLine(subject)) + kCrLf;
    m += "Message-ID: " + (messageId.isEmpty() ? makeMessageId(from.address) : messageId).toLatin1() + kCrLf;
    m += "MIME-Version: 1.0\r\n";
    m += "X-Mailer: ShinseiDesk\r\n";

    const QByteArray textHeaders =
        "Content-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: base64\r\n";
    const QByteArray text = base64Lines(crlfText(body));
    if (parts.isEmpty()) {
        m += textHeaders + kCrLf + text;
    } else {
        const QByteArray boundary = "=_ShinseiDesk_" + QUuid::createUuid().toString(QUuid::Id128).toLatin1();
        m += "Content-Type: multipart/mixed;\r\n boundary=\"" + boundary + "\"\r\n\r\n";
        m += "This is a multi-part message in MIME format.\r\n";
        m += "--" + boundary + kCrLf + textHeaders + kCrLf + text;
        for (const Part& p : parts) {
            m += "--" + boundary + kCrLf;
            m += attachmentHeaders(p.name, p.type) + kCrLf;
            m += base64Lines(p.data);
        }
        m += "--" + boundary + "--\r\n";
    }
    *out = m;
    return true;
}
