#include "MailCommon.h"
#include "MailTestSupport.h"
#include "TestSupport.h"
#include "nMail.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

QStringList addresses(const QJsonValue& list)
{
    QStringList out;
    for (const QJsonValue& pair : list.toArray())
        out << pair.toArray().at(1).toString();
    return out;
}

QString sha256(const QByteArray& data)
{
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
}

QByteArray randomBytes(int n)
{
    QByteArray b(n, Qt::Uninitialized);
    for (int i = 0; i < n; ++i)
        b[i] = static_cast<char>(QRandomGenerator::global()->bounded(256));
    // Lines that begin with a dot must survive the SMTP dot rule.
    b.prepend(".\r\n..\r\n.");
    return b;
}

const QString kRcpt = QStringLiteral("<owner@example.jp>");
const QString kFrom = QStringLiteral("me<me@example.jp>");

// A short message from me to the owner; the result text as SendMail gives it.
QString sendNote(const QString& server, const nMail::Connection& c = {})
{
    return nMail::SendMail(server, kRcpt, kFrom, QStringLiteral("s"), QStringLiteral("b"), {}, c);
}

}  // namespace

// The mail library against a real SMTP server on this computer: what a
// Japanese mail program finds in the message, who receives it, and the
// error texts of every way a sending goes wrong.
class SmtpTest : public QObject {
    Q_OBJECT
private slots:
    void japaneseMessageArrivesWhole()
    {
        SmtpSink sink;
        QTemporaryDir files;
        const QByteArray pdf = randomBytes(150000);
        const QByteArray text = u("敷地図の補足です。\r\n").toUtf8();
        const QString longName = u("山田邸新築工事　確認申請用　敷地配置図および各階平面図（第２版・最終）.pdf");
        const QString pdfPath = writeFile(files.path(), longName, pdf);
        const QString txtPath = writeFile(files.path(), QStringLiteral("note.txt"), text);
        // A file name is whatever the sender's disk holds: quotes, backslashes
        // and control characters arrive as the name and never as header syntax.
        const QStringList forged{"report.pdf\"; filename=\"invoice.exe", "a\\b \"c\".txt", "ctl\x01name.txt",
                                 u("見積\"書\".pdf")};
        QStringList paths{pdfPath, txtPath};
        for (const QString& n : forged)
            paths << writeFile(files.path(), n, n.toUtf8());

        const QString subject = u("【見積】山田邸新築工事の確認申請手数料とお見積りについて（第２版）");
        const QString body = u("山田様\n\nいつもお世話になっております。\n"
                               ".\n"
                               ".このように点で始まる行も、そのまま届きます。\n"
                               "～ − ‖ ¢ ¬ ― ¥ ①②③ ㈱ 髙橋 﨑\n\n"
                               "以上、よろしくお願いいたします。");
        const QString recipients = MailCommon::recipientsText(QStringLiteral("owner@example.jp, wife@example.jp"),
                                                              QStringLiteral("office@example.jp"),
                                                              QStringLiteral("archive@example.jp"));
        const QString result =
            nMail::SendMail(sink.server(), recipients, u("山田設計事務所<yamada@example.jp>"), subject, body,
                            MailCommon::attachmentsText(paths));
        QCOMPARE(result, QString());
        QCOMPARE(MailCommon::resultCode(result), 0);

        const QStringList got = sink.messages();
        QCOMPARE(got.size(), 1);
        const QJsonObject m = decodeMail(got.first());
        QVERIFY2(!m.contains(QStringLiteral("error")), qPrintable(m.value(QStringLiteral("error")).toString()));
        QCOMPARE(m.value(QStringLiteral("subject")).toString(), subject);
        QCOMPARE(m.value(QStringLiteral("from")).toArray().at(0).toArray().at(0).toString(), u("山田設計事務所"));
        QCOMPARE(addresses(m.value(QStringLiteral("from"))), QStringList{"yamada@example.jp"});
        QCOMPARE(addresses(m.value(QStringLiteral("to"))), (QStringList{"owner@example.jp", "wife@example.jp"}));
        QCOMPARE(addresses(m.value(QStringLiteral("cc"))), QStringList{"office@example.jp"});
        QString decodedBody = m.value(QStringLiteral("body")).toString();
        decodedBody.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        QCOMPARE(decodedBody, body);
        QCOMPARE(m.value(QStringLiteral("charset")).toString(), QStringLiteral("utf-8"));

        const QJsonArray attachments = m.value(QStringLiteral("attachments")).toArray();
        QCOMPARE(attachments.size(), 2 + forged.size());
        QCOMPARE(attachments.at(0)[QStringLiteral("filename")].toString(), longName);
        QCOMPARE(attachments.at(0)[QStringLiteral("content_type")].toString(), QStringLiteral("application/pdf"));
        QCOMPARE(attachments.at(0)[QStringLiteral("sha256")].toString(), sha256(pdf));
        QCOMPARE(attachments.at(1)[QStringLiteral("filename")].toString(), QStringLiteral("note.txt"));
        QCOMPARE(attachments.at(1)[QStringLiteral("sha256")].toString(), sha256(text));
        for (int i = 0; i < forged.size(); ++i)
            QCOMPARE(attachments.at(2 + i)[QStringLiteral("filename")].toString(), forged.at(i));
        QVERIFY(!readBytes(got.first()).contains("filename=\"invoice.exe"));

        // What old and strict mail programs need besides.
        QVERIFY(m.value(QStringLiteral("date_valid")).toBool());
        QVERIFY(m.value(QStringLiteral("message_id")).toString().endsWith(QStringLiteral("@example.jp>")));
        QCOMPARE(m.value(QStringLiteral("mime_version")).toString(), QStringLiteral("1.0"));
        QVERIFY(m.value(QStringLiteral("raw_is_ascii")).toBool());
        QVERIFY(!m.value(QStringLiteral("bare_lf")).toBool());
        QVERIFY2(m.value(QStringLiteral("longest_line")).toInt() <= 78,
                 qPrintable(QString::number(m.value(QStringLiteral("longest_line")).toInt())));
        QCOMPARE(m.value(QStringLiteral("defects")).toArray().size(), 0);

        const QJsonObject env = sink.envelope(got.first());
        QCOMPARE(env.value(QStringLiteral("mail_from")).toString(), QStringLiteral("yamada@example.jp"));
    }

    void blindCopiesOnlyReachTheEnvelope()
    {
        SmtpSink sink;
        // Two To addresses, one CC, two blind copies (one typed in full-width
        // letters through the input method, one a duplicate of a To address).
        const QString recipients = MailCommon::recipientsText(
            QStringLiteral("a@example.jp,b@example.jp"), QStringLiteral("c@example.jp"),
            u("ｂｃｃ１＠ｅｘａｍｐｌｅ．ｊｐ, a@example.jp"));
        QCOMPARE(nMail::SendMail(sink.server(), recipients, QStringLiteral("<me@example.jp>"), u("件名"), u("本文"), {}),
                 QString());
        const QStringList got = sink.messages();
        QCOMPARE(got.size(), 1);
        QCOMPARE(sink.envelope(got.first()).value(QStringLiteral("rcpt_tos")).toVariant().toStringList(),
                 (QStringList{"a@example.jp", "b@example.jp", "c@example.jp", "bcc1@example.jp"}));
        const QByteArray bytes = readBytes(got.first());
        QVERIFY(!bytes.contains("bcc1"));
        QVERIFY(!bytes.toLower().contains("\r\nbcc:"));
        // The sender without a name goes out as the bare address.
        const QJsonObject m = decodeMail(got.first());
        QCOMPARE(addresses(m.value(QStringLiteral("from"))), QStringList{"me@example.jp"});

        // Blind copies alone: the headers still name no one.
        QCOMPARE(nMail::SendMail(sink.server(), MailCommon::recipientsText({}, {}, QStringLiteral("x@example.jp")),
                                 QStringLiteral("me<me@example.jp>"), QStringLiteral("bcc only"), QStringLiteral("."), {}),
                 QString());
        const QStringList both = sink.messages(2);
        QCOMPARE(both.size(), 2);
        const QJsonObject only = decodeMail(both.at(1));
        QVERIFY(!addresses(only.value(QStringLiteral("to"))).contains(QStringLiteral("x@example.jp")));
        QVERIFY(!readBytes(both.at(1)).contains("x@example.jp"));
        QVERIFY(!only.value(QStringLiteral("header_names")).toVariant().toStringList().contains(QStringLiteral("Bcc")));
    }

    void loginWithTheAccountsPassword()
    {
        SmtpSink::Options o;
        o.user = QStringLiteral("yamada");
        o.password = u("正しいpass");
        SmtpSink sink(o);

        // A server without TLS never sees the password unless the account allows it.
        nMail::Connection good;
        good.user = o.user;
        good.password = o.password;
        const QString withheld = sendNote(sink.server(), good);
        QVERIFY2(withheld.contains(nMail::kCantConnect), qPrintable(withheld));
        QVERIFY2(withheld.contains(u("パスワードを送信せず")), qPrintable(withheld));
        QVERIFY2(withheld.contains(u("暗号化されていない接続でもパスワードを送信する")), qPrintable(withheld));
        QCOMPARE(sink.messages(1, 500).size(), 0);

        good.allowPlainAuth = true;
        QCOMPARE(sendNote(sink.server(), good), QString());
        QCOMPARE(sink.messages().size(), 1);
        QCOMPARE(sink.envelope(sink.messages().first()).value(QStringLiteral("login")).toString(), o.user);

        nMail::Connection wrong = good;
        wrong.password = QStringLiteral("guess");
        const QString refused = sendNote(sink.server(), wrong);
        QVERIFY(!refused.isEmpty());
        QVERIFY2(refused.contains(nMail::kBadServer), qPrintable(refused));
        QVERIFY2(refused.contains(u("パスワード")), qPrintable(refused));
        QCOMPARE(MailCommon::resultCode(refused), -3);

        // No login at all on a server that wants one.
        const QString anonymous = sendNote(sink.server());
        QVERIFY2(!anonymous.isEmpty(), "a server that requires AUTH took an anonymous message");
        QCOMPARE(sink.messages(2, 500).size(), 1);
    }

    void unreachableServersAreTheConnectClass()
    {
        const QString closed = sendNote(QStringLiteral("127.0.0.1:%1").arg(closedPort()));
        QVERIFY2(closed.contains(nMail::kCantConnect), qPrintable(closed));
        QCOMPARE(MailCommon::resultCode(closed), -4);
        for (const QString& server : {QStringLiteral("no-such-server.invalid"), QString()})
            QVERIFY2(sendNote(server).contains(nMail::kCantConnect), qPrintable(server));

        // A server that takes the connection and then says nothing.
        SmtpSink::Options o;
        o.hang = true;
        SmtpSink dead(o);
        nMail::Connection impatient;
        impatient.responseTimeoutSeconds = 2;
        const QString silent = sendNote(dead.server(), impatient);
        QVERIFY2(silent.contains(nMail::kCantConnect), qPrintable(silent));
    }

    void refusedAndMalformedRecipientsAreTheToClass()
    {
        SmtpSink::Options o;
        o.rejectRecipient = QStringLiteral("nobody");
        SmtpSink sink(o);
        const QString from = kFrom;
        const QString refused = nMail::SendMail(
            sink.server(), MailCommon::recipientsText(QStringLiteral("owner@example.jp, nobody@example.jp"), {}, {}), from,
            QStringLiteral("s"), QStringLiteral("b"), {});
        QVERIFY2(refused.contains(nMail::kToFieldInvalid), qPrintable(refused));
        QVERIFY2(refused.contains(QStringLiteral("550")), qPrintable(refused));
        QCOMPARE(MailCommon::resultCode(refused), -2);
        QCOMPARE(sink.messages(1, 500).size(), 0);

        // An attachment gone from the disk: nothing is sent, the file is named.
        const QString missing = QDir::temp().filePath(u("消えた図面.pdf"));
        const QString gone = nMail::SendMail(sink.server(), kRcpt, from, QStringLiteral("s"), QStringLiteral("b"), missing);
        QVERIFY2(gone.contains(missing), qPrintable(gone));
        QCOMPARE(MailCommon::resultCode(gone), -1);
        QCOMPARE(sink.messages(1, 500).size(), 0);

        // Typing mistakes are caught before anything is sent anywhere.
        // (Which addresses are wrong: tst_mailtext.)
        for (const QString& bad : {QStringLiteral("owner@@example.jp"), u("山田@example.jp")}) {
            const QString r = nMail::SendMail(QStringLiteral("127.0.0.1:%1").arg(closedPort()),
                                              MailCommon::recipientsText(bad, {}, {}), from, QStringLiteral("s"), {}, {});
            QVERIFY2(r.contains(nMail::kToFieldInvalid), qPrintable(bad + QStringLiteral(": ") + r));
        }
        // A Japanese domain goes out in its ACE form.
        QCOMPARE(nMail::SendMail(sink.server(), MailCommon::recipientsText(u("info@例え.jp"), {}, {}), from,
                                 QStringLiteral("s"), QStringLiteral("b"), {}),
                 QString());
        const QStringList got = sink.messages();
        QCOMPARE(got.size(), 1);
        QCOMPARE(sink.envelope(got.first()).value(QStringLiteral("rcpt_tos")).toArray().at(0).toString(),
                 QStringLiteral("info@xn--r8jz45g.jp"));
    }

    void certificatesAreVerified()
    {
        SmtpSink::Options o;
        o.user = QStringLiteral("yamada");
        o.password = u("正しいpass");
        o.startTls = true;
        SmtpSink starttls(o);

        // Offered STARTTLS is taken, with the certificate checked, and the
        // login goes over it with no option needed.
        nMail::Connection trusting;
        trusting.user = o.user;
        trusting.password = o.password;
        trusting.caFile = starttls.certificate();
        QCOMPARE(sendNote(starttls.server(), trusting), QString());
        QCOMPARE(starttls.messages().size(), 1);
        const QJsonObject env = starttls.envelope(starttls.messages().first());
        QVERIFY(env.value(QStringLiteral("tls")).toBool());
        QCOMPARE(env.value(QStringLiteral("login")).toString(), o.user);

        // A certificate nobody vouches for stops the sending, rather than
        // handing the message (and the password) to whoever answered.
        nMail::Connection untrusting = trusting;
        untrusting.caFile.clear();
        const QString untrusted = sendNote(starttls.server(), untrusting);
        QVERIFY2(untrusted.contains(nMail::kCantConnect), qPrintable(untrusted));
        QCOMPARE(starttls.messages(2, 500).size(), 1);

        // TLS from the first byte.
        o.startTls = false;
        o.implicitTls = true;
        SmtpSink smtps(o);
        trusting.caFile = smtps.certificate();
        QCOMPARE(sendNote(QStringLiteral("smtps://") + smtps.server(), trusting), QString());
        QCOMPARE(smtps.messages().size(), 1);
        QVERIFY(smtps.envelope(smtps.messages().first()).value(QStringLiteral("tls")).toBool());
        // Plain SMTP against that port gets nowhere.
        nMail::Connection plain;
        plain.responseTimeoutSeconds = 3;
        QVERIFY(!sendNote(smtps.server(), plain).isEmpty());
    }
};

QTEST_GUILESS_MAIN(SmtpTest)
#include "tst_smtp.moc"
