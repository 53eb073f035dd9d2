#include "MailCommon.h"
#include "MailTestSupport.h"
#include "MimeMessage.h"
#include "TestSupport.h"

#include <QJsonArray>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QtTest>

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

QJsonObject decoded(const MimeMessage& m)
{
    static QTemporaryDir dir;
    static int n = 0;
    QByteArray bytes;
    QString error;
    if (!m.build(&bytes, &error))
        return {{QStringLiteral("error"), error}};
    return decodeMail(writeFile(dir.path(), QStringLiteral("m%1.eml").arg(++n), bytes));
}

}  // namespace

// The texts the composer hands to the mail library and the message that
// comes out of them, checked without a server.
class MailTextTest : public QObject {
    Q_OBJECT
private slots:
    void recipientsTextAsTheLibraryReadsIt()
    {
        // Two To addresses and one CC address.
        QCOMPARE(MailCommon::recipientsText(QStringLiteral("a@x.jp, b@y.jp"), QStringLiteral(" c@z.jp "), {}),
                 QStringLiteral("<a@x.jp\tb@y.jp\tcc\tc@z.jp>"));
        QCOMPARE(MailCommon::recipientsText(QStringLiteral("a@x.jp"), QStringLiteral("c@z.jp,d@z.jp"), QStringLiteral("e@w.jp")),
                 QStringLiteral("<a@x.jp\tcc\tc@z.jp\td@z.jp\tbcc\te@w.jp>"));
        // Names with angle brackets: the text is not enclosed again.
        const QString named = MailCommon::recipientsText(u("山田 <a@x.jp>、b@y.jp"), {}, QStringLiteral("e@w.jp"));
        QCOMPARE(named, u("山田 <a@x.jp>\tb@y.jp\tbcc\te@w.jp"));
        // Empty pieces from a trailing comma or doubled separators vanish.
        QCOMPARE(MailCommon::splitAddresses(QStringLiteral(" a@x.jp,, ;b@y.jp, ")), (QStringList{"a@x.jp", "b@y.jp"}));

        // What the library reads back out of these texts.
        MailRecipients r = MailText::parseRecipients(QStringLiteral("<a@x.jp\tb@y.jp\tcc\tc@z.jp>"));
        QCOMPARE(r.to.size(), 2);
        QCOMPARE(r.to.at(1).address, QStringLiteral("b@y.jp"));
        QCOMPARE(r.cc.size(), 1);
        QCOMPARE(r.cc.first().address, QStringLiteral("c@z.jp"));
        QVERIFY(r.bcc.isEmpty());
        r = MailText::parseRecipients(named);
        QCOMPARE(r.to.first(), (MailAddress{u("山田"), QStringLiteral("a@x.jp")}));
        QCOMPARE(r.bcc.first().address, QStringLiteral("e@w.jp"));
        // A single address in its own brackets, and CC without any To.
        QCOMPARE(MailText::parseRecipients(QStringLiteral("<a@x.jp>")).to.first().address, QStringLiteral("a@x.jp"));
        r = MailText::parseRecipients(MailCommon::recipientsText({}, QStringLiteral("c@z.jp"), {}));
        QVERIFY(r.to.isEmpty());
        QCOMPARE(r.cc.first().address, QStringLiteral("c@z.jp"));
    }

    void senderTextAndServerText()
    {
        QCOMPARE(MailCommon::senderText(u("山田設計"), QStringLiteral("info@yamada.jp")), u("山田設計<info@yamada.jp>"));
        // An account without display name sends with its address's local part.
        QCOMPARE(MailCommon::senderText(QStringLiteral("  "), QStringLiteral("info@yamada.jp")),
                 QStringLiteral("info<info@yamada.jp>"));
        const MailAddress parsed = MailText::parseAddress(MailCommon::senderText({}, QStringLiteral("info@yamada.jp")));
        QCOMPARE(parsed, (MailAddress{QStringLiteral("info"), QStringLiteral("info@yamada.jp")}));

        for (auto [host, port, want] : {std::tuple{"smtp.yamada.jp", "587", "smtp.yamada.jp:587"},
                                        {"smtp.yamada.jp:2525", "25", "smtp.yamada.jp:2525"},
                                        {"smtps://smtp.yamada.jp", "465", "smtps://smtp.yamada.jp:465"},
                                        {"::1", "25", "[::1]:25"}, {"[::1]:26", "25", "[::1]:26"},
                                        {"smtp.yamada.jp", "", "smtp.yamada.jp"}})
            QCOMPARE(MailCommon::serverText(QString::fromLatin1(host), QString::fromLatin1(port)), QString::fromLatin1(want));

        // The composer's texts for an account.
        MailAccount a;
        a.account = QStringLiteral(" yamada ");
        a.smtp = QStringLiteral("smtp.yamada.jp");
        a.smtpPort = QStringLiteral("587");
        const MailCommon::Outgoing o = MailCommon::outgoing(
            {QStringLiteral("info@yamada.jp"), QStringLiteral("a@x.jp"), {}, {}, {}, {}, {"/tmp/a b.pdf", "/tmp/c.txt"}}, a,
            QStringLiteral("secret"));
        QCOMPARE((QStringList{o.server, o.sender, o.recipients, o.attachments, o.connection.user, o.connection.password}),
                 (QStringList{"smtp.yamada.jp:587", "info<info@yamada.jp>", "<a@x.jp>", "/tmp/a b.pdf\t/tmp/c.txt", "yamada",
                              "secret"}));
    }

    void addressesAsClerksTypeThem()
    {
        QCOMPARE(MailText::parseAddress(u("ｙａｍａｄａ＠ｅｘａｍｐｌｅ．ｊｐ")).address, QStringLiteral("yamada@example.jp"));
        QCOMPARE(MailText::parseAddress(u("\"山田 太郎\" ＜ yamada@example.jp ＞")),
                 (MailAddress{u("山田 太郎"), QStringLiteral("yamada@example.jp")}));
        QString envelope;
        QVERIFY(MailText::isDeliverable(QStringLiteral("o'brien+info@mail.example.co.jp"), &envelope));
        QCOMPARE(envelope, QStringLiteral("o'brien+info@mail.example.co.jp"));
        QVERIFY(MailText::isDeliverable(u("info@例え.jp"), &envelope));
        QCOMPARE(envelope, QStringLiteral("info@xn--r8jz45g.jp"));
        QVERIFY(MailText::isDeliverable(QStringLiteral("root@[127.0.0.1]")));
        for (const char* bad : {"", "yamada", "@example.jp", "yamada@", "ya mada@example.jp", "yamada@@example.jp",
                                ".yamada@example.jp", "ya..mada@example.jp", "yamada@example..jp", "yamada@exa_mple.jp",
                                "山田@example.jp", "yamada@example.jp>"})
            QVERIFY2(!MailText::isDeliverable(u(bad)), bad);
    }

    void quoteMarksComeAndGo()
    {
        const QString body = u("お世話になります。\n\n>既に引用された行\n以上");
        const QString quoted = MailCommon::quoteLines(body);
        QCOMPARE(quoted, u(">お世話になります。\n>\n>>既に引用された行\n>以上"));
        QCOMPARE(MailCommon::unquoteLines(quoted), body);
        QCOMPARE(MailCommon::quoteLines(QStringLiteral("a\r\nb")), QStringLiteral(">a\n>b"));
    }

    // Replies, stored messages and forwards; opened from a master or the
    // schedule the composer shows what it was given (tst_mailwindows).
    void openingModes()
    {
        QTemporaryDir dir;
        const QString kept = writeFile(dir.path(), QStringLiteral("plan.pdf"), "%PDF");
        // An earlier message as the sent folder keeps it, one attachment since gone.
        const StoredMail earlier = MailCommon::storedFrom(
            {QStringLiteral("owner@example.jp"), QStringLiteral("me@example.jp"), QStringLiteral("office@example.jp"), {}, u("見積"),
             u("見積書を送ります。"), {kept, dir.filePath(QStringLiteral("gone.pdf"))}},
            QDateTime::currentDateTime());

        ComposeRequest reply;
        reply.earlier = earlier;
        reply.mode = ComposeRequest::kReply;
        MailDraft d = MailCommon::initialDraft(reply, {});
        QCOMPARE((QStringList{d.subject, d.to, d.body} + d.attachments), (QStringList{u("Re:見積"), QStringLiteral("owner@example.jp"), QString()}));
        reply.quote = true;
        QCOMPARE(MailCommon::initialDraft(reply, {}).body, u("\n\n見積書を送ります。"));

        ComposeRequest stored;
        stored.earlier = earlier;
        stored.mode = ComposeRequest::kStored;
        d = MailCommon::initialDraft(stored, {});
        // Only the attachments that still exist go out again.
        QCOMPARE((QStringList{d.subject, d.to, d.cc, d.body} + d.attachments),
                 (QStringList{u("見積"), QStringLiteral("me@example.jp"), QStringLiteral("office@example.jp"), u("見積書を送ります。"), kept}));

        ComposeRequest forward;
        forward.earlier = earlier;
        forward.mode = QStringLiteral("転送メッセージ");
        forward.quote = true;
        d = MailCommon::initialDraft(forward, {});
        QCOMPARE(d.subject, u("Fw:見積"));
        QVERIFY(d.to.isEmpty());
        QCOMPARE(d.body, u("\n\n見積書を送ります。"));
    }

    // What storedFrom keeps is checked in the stored row (tst_mailstores).
    void printoutLeavesBlindCopiesOff()
    {
        const MailDraft d = sampleDraft();
        const QString printed = MailCommon::printText(d);
        QVERIFY(printed.contains(u("件名　：") + d.subject));
        QVERIFY(printed.contains(u("添付　：図面 1.pdf、b.txt")));
        QVERIFY(printed.endsWith(d.body));
        // Blind copies stay off paper as they stay out of the headers.
        QVERIFY(!printed.contains(d.bcc));
    }

    void headersFoldAndDecode()
    {
        MimeMessage m;
        m.from = {u("株式会社　山田建築設計事務所　一級建築士事務所　代表取締役　山田太郎"), QStringLiteral("yamada@example.jp")};
        m.to = {{QStringLiteral("Sato, Hanako (Owner)"), QStringLiteral("sato@example.jp")}, {{}, u("ｔａｎａｋａ＠ｅｘａｍｐｌｅ．ｊｐ")}};
        m.subject = u("件名がとても長い場合にも正しく折り返されて、受信したメールソフトで一つの件名として読めることの確認\n（改行入り）");
        m.body = QStringLiteral("ascii only");
        m.date = QDateTime(QDate(2025, 1, 2), QTime(3, 4, 5), QTimeZone(9 * 3600));
        m.messageId = QStringLiteral("<fixed@example.jp>");
        const QJsonObject j = decoded(m);
        QVERIFY2(!j.contains(QStringLiteral("error")), qPrintable(j.value(QStringLiteral("error")).toString()));
        QCOMPARE(j.value(QStringLiteral("subject")).toString(),
                 u("件名がとても長い場合にも正しく折り返されて、受信したメールソフトで一つの件名として読めることの確認 （改行入り）"));
        QCOMPARE(j.value(QStringLiteral("from")).toArray().at(0).toArray().at(0).toString(), m.from.name);
        const QJsonArray to = j.value(QStringLiteral("to")).toArray();
        QCOMPARE(to.at(0).toArray().at(0).toString(), QStringLiteral("Sato, Hanako (Owner)"));
        QCOMPARE(to.at(1).toArray().at(1).toString(), QStringLiteral("tanaka@example.jp"));
        QCOMPARE((QStringList{j.value(QStringLiteral("date")).toString(), j.value(QStringLiteral("message_id")).toString(), j.value(QStringLiteral("body")).toString()}),
                 (QStringList{QStringLiteral("Thu, 02 Jan 2025 03:04:05 +0900"), QStringLiteral("<fixed@example.jp>"), QStringLiteral("ascii only")}));
        QVERIFY(j.value(QStringLiteral("longest_line")).toInt() <= 78);
        QCOMPARE(j.value(QStringLiteral("defects")).toArray().size(), 0);

        // An ASCII subject stays readable as it is; one that looks like an
        // encoded word is encoded so that it is not taken for one.
        QCOMPARE(MailText::encodeWords(QStringLiteral("Plan v2")), QByteArray("Plan v2"));
        QVERIFY(MailText::encodeWords(QStringLiteral("=?x?")).startsWith("=?UTF-8?B?"));
        m.subject = QStringLiteral("=?UTF-8?B?not-really?=");
        QCOMPARE(decoded(m).value(QStringLiteral("subject")).toString(), m.subject);

        // A timezone west of Greenwich.
        QCOMPARE(MailText::dateHeader(QDateTime(QDate(2025, 12, 31), QTime(23, 0), QTimeZone(-5 * 3600 - 1800))),
                 QByteArray("Wed, 31 Dec 2025 23:00:00 -0530"));
    }
};

QTEST_GUILESS_MAIN(MailTextTest)
#include "tst_mailtext.moc"
