#include "AddressBook.h"
#include "FolderStore.h"
#include "MailAccountStore.h"
#include "MailCommon.h"
#include "MailDataStore.h"
#include "MailTestSupport.h"
#include "MasterTable.h"
#include "Recordset.h"
#include "SignatureStore.h"
#include "TestSupport.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

// A login on the office's server, as the account window writes it.
MailAccount login(MailAccountStore& store, const char* address = "")
{
    MailAccount a;
    a.id = store.create();
    a.account = QStringLiteral("yamada");
    a.smtp = QStringLiteral("smtp.yamada.jp");
    a.address = QString::fromLatin1(address);
    return a;
}

}  // namespace

// What the mail windows keep: accounts (with the password out of the
// table wherever a keyring exists), sent messages, signatures, and the
// address book's reading of the masters. Runs on SQLite and PostgreSQL.
class MailStoresTest : public QObject {
    Q_OBJECT
private slots:
    void init() { m_dir = std::make_unique<TempAppDir>(); QVERIFY(m_dir->isValid()); }
    void cleanup() { m_dir.reset(); }

    // The account window shows a new account's defaults (tst_mailwindows);
    // its flags are stored as integers 0, not left null.
    void newAccountStoresZeroFlags()
    {
        MemoryVault vault;
        const qint64 id = MailAccountStore(m_dir->storage(), &vault).create();
        QVERIFY(id > 0);
        QCOMPARE(stored(m_dir->storage(), DbFile::MasterData, QStringLiteral("MailAcountMaster"), id, "APOP"), QVariant(0));
    }

    void passwordsGoToTheKeyringWhenThereIsOne()
    {
        Storage& s = m_dir->storage();
        MemoryVault vault;
        MailAccountStore store(s, &vault);
        MailAccount a = login(store, "info@yamada.jp");
        a.name = u("山田設計");
        a.smtpPort = QStringLiteral("587");
        a.setFlg = 1;
        bool found = false, inKeyring = false;
        QVERIFY(store.write(a, u("秘密pass"), &found, &inKeyring));
        QVERIFY(found && inKeyring);
        expectStored(s, DbFile::MasterData, "MailAcountMaster", a.id, {{"Pass", QString()}, {"SMTP_PORT", QStringLiteral("587")}});
        QCOMPARE(vault.entries.value(MailAccountStore::keyringKey(QStringLiteral("yamada"), QStringLiteral("smtp.yamada.jp"))),
                 u("秘密pass"));

        // Another computer of the office reads the account from the server
        // and the password from its own keyring.
        std::unique_ptr<Storage> other = m_dir->openAnother();
        MailAccountStore there(*other, &vault);
        MailAccount read;
        QVERIFY(there.findByAddress(QStringLiteral("info@yamada.jp"), &read, &found));
        QVERIFY(found);
        QCOMPARE(read.setFlg, 1);
        QCOMPARE(there.password(read), u("秘密pass"));
        // A computer whose keyring lacks the entry has no password to offer.
        MemoryVault empty;
        QCOMPARE(MailAccountStore(*other, &empty).password(read), QString());

        // A password written in the table on a computer without a keyring
        // (quotes and all) moves into the keyring with the next Apply where there is one.
        MemoryVault none(false);
        const QString moved = QStringLiteral("p'ass\"word");
        QVERIFY(MailAccountStore(s, &none).write(a, moved, &found, &inKeyring));
        QVERIFY(!inKeyring);
        expectStored(s, DbFile::MasterData, "MailAcountMaster", a.id, {{"Pass", moved}});
        QVERIFY(MailAccountStore(s, &none).findByAddress(QStringLiteral("info@yamada.jp"), &read, &found));
        QCOMPARE(read.password, moved);
        QVERIFY(store.write(a, moved, &found, &inKeyring));
        QVERIFY(inKeyring);
        expectStored(s, DbFile::MasterData, "MailAcountMaster", a.id, {{"Pass", QString()}});

        // Taking the password away leaves none behind in the keyring.
        QVERIFY(store.write(a, QString(), &found, &inKeyring));
        QVERIFY(vault.entries.isEmpty());

        // An account deleted meanwhile: nothing written, and the caller knows.
        a.id = 99999;
        QVERIFY(store.write(a, QStringLiteral("x"), &found));
        QVERIFY(!found);
    }

    void deletingAccounts()
    {
        MemoryVault vault;
        MailAccountStore store(m_dir->storage(), &vault);
        bool found = false;
        // Two accounts share a login on one server (two addresses of one mailbox).
        QVector<qint64> ids;
        for (const char* address : {"info@yamada.jp", "sekkei@yamada.jp"}) {
            MailAccount a = login(store, address);
            QVERIFY(store.write(a, QStringLiteral("pw"), &found));
            ids << a.id;
        }
        QVERIFY(store.remove(ids.first()));
        QCOMPARE(vault.entries.size(), 1);  // still needed by the other account
        QVERIFY(store.remove(ids.last()));
        QVERIFY(vault.entries.isEmpty());
        // The last account gone: nothing left to offer as a sender.
        QVector<MailAccount> all;
        QVERIFY(store.list(&all));
        QVERIFY(all.isEmpty());
        MailAccount none;
        QVERIFY(store.findByAddress(QStringLiteral("info@yamada.jp"), &none, &found));
        QVERIFY(!found);
    }

    void olderInstallGainsThePlainAuthColumn()
    {
        MemoryVault vault;
        MailAccountStore store(m_dir->storage(), &vault);
        MailAccount a = login(store);
        bool found = false;
        QVERIFY(store.write(a, {}, &found, nullptr) && found);
        QString error;
        QSqlDatabase d = m_dir->storage().connection(DbFile::MasterData, &error);
        QVERIFY2(d.isValid(), qPrintable(error));
        QSqlQuery q(d);
        QVERIFY2(q.exec(QStringLiteral("ALTER TABLE \"MailAcountMaster\" DROP COLUMN \"PlainAuth\"")),
                 qPrintable(q.lastError().text()));
        q.finish();
        m_dir->storage().closeAll();

        std::unique_ptr<Storage> later = m_dir->openAnother();
        QVERIFY2(later->initialize(&error), qPrintable(error));
        MailAccountStore upgraded(*later, &vault);
        QVector<MailAccount> all;
        QVERIFY2(upgraded.list(&all), qPrintable(upgraded.errorString()));
        QCOMPARE(all.size(), 1);
        QCOMPARE(all.first().plainAuth, 0);
        QCOMPARE(MailCommon::outgoing({}, all.first(), QStringLiteral("p")).connection.allowPlainAuth, false);

        MailAccount allowed = all.first();
        allowed.plainAuth = 1;
        QVERIFY(upgraded.write(allowed, {}, &found, nullptr) && found);
        QVERIFY(upgraded.list(&all));
        QCOMPARE(all.first().plainAuth, 1);
        QVERIFY(MailCommon::outgoing({}, all.first(), QStringLiteral("p")).connection.allowPlainAuth);
    }

    void sentMessageIsStoredAsGiven()
    {
        Storage& s = m_dir->storage();
        const MailDraft d = sampleDraft();
        MailDataStore mails(s);
        const qint64 id = mails.store(MailCommon::storedFrom(d, QDateTime(QDate(2025, 7, 1), QTime(9, 30))));
        QVERIFY2(id > 0, qPrintable(mails.errorString()));

        expectStored(s, DbFile::MailData, "MailData", id,
                     {{"D_ID", QString::number(id)}, {"header", QStringLiteral("To:a@x.jp, b@y.jp\r\nFrom:info@yamada.jp")},
                      {"dateStr", QStringLiteral("2025/07/01 09:30:00")}, {"Folder", QStringLiteral("2")},
                      {"ReadFlg", QStringLiteral("0")}, {"Attach_flg", QStringLiteral("1")}, {"Attach_name", QString()},
                      {"dmy_str01", u("/home/office/図面 1.pdf\t/home/office/b.txt")}});

        StoredMail back;
        bool found = false;
        QVERIFY(mails.read(id, &back, &found));
        QVERIFY(found);
        QCOMPARE((QStringList{back.subject, back.body, back.to, back.cc, back.bcc}),
                 (QStringList{d.subject, d.body, d.to, d.cc, d.bcc}));
        QCOMPARE(back.attachments, d.attachments);
        MailDraft plain = d;
        plain.attachments.clear();
        const qint64 without = mails.store(MailCommon::storedFrom(plain, QDateTime::currentDateTime()));
        expectStored(s, DbFile::MailData, "MailData", without, {{"Attach_flg", QStringLiteral("0")}});
        QVector<StoredMail> sent;
        QVERIFY(mails.list(MailCommon::kSentFolder, &sent));
        QCOMPARE(sent.size(), 2);
    }

    // The signature window creates, writes, lists and deletes
    // (tst_mailwindows); one deleted meanwhile is not written again.
    void signatureDeletedMeanwhile()
    {
        SignatureStore store(m_dir->storage());
        const qint64 id = store.create();
        QVERIFY(id > 0 && store.remove(id));
        bool found = true;
        QVERIFY(store.write(id, u("消えた署名"), QString(), &found));
        QVERIFY(!found);
    }

    void addressBookSources()
    {
        Storage& s = m_dir->storage();
        FolderStore folders(s, FolderStore::Kind::Customers);
        QVector<FolderItem> before;
        QString error;
        QVERIFY(folders.list(&before, &error));
        qint64 folder = 0;
        QVERIFY(folders.add(&folder, &error));
        QVERIFY(folders.rename(folder, u("見込み客"), &error));
        addCustomer(s, folder, u("佐藤"), QStringLiteral("sato@example.jp"), QStringLiteral("03-1111-2222"));
        addCustomer(s, 0, u("鈴木"), QString(), QStringLiteral("045-333-4444"));
        addCustomer(s, folder, u("佐々木"), QStringLiteral("sasaki@example.jp"), QStringLiteral("090-5555-6666"));

        const qint64 architect = ArchitectTable::create(s, &error);
        bool found = false;
        QVERIFY(MasterTable(s, DbFile::MasterData, ArchitectTable::kTable)
                    .write(architect,
                           {{QStringLiteral("C_NAME"), u("田中建築設計事務所")}, {QStringLiteral("C_E_MAIL"), QStringLiteral("tanaka@arch.jp")},
                            {QStringLiteral("C_TEL"), QStringLiteral("06-7777-8888")}, {QStringLiteral("C_ADDR1"), u("大阪府")}},
                           &found));
        const qint64 company = ConnectCorpTable::create(s, &error);
        QVERIFY(MasterTable(s, DbFile::MasterData, ConnectCorpTable::kTable)
                    .write(company,
                           {{QStringLiteral("Name"), u("高橋電気工業")}, {QStringLiteral("E_MAIL"), QStringLiteral("info@takahashi.jp")},
                            {QStringLiteral("Tel"), QStringLiteral("011-999-0000")}, {QStringLiteral("Addr1"), u("北海道")}},
                           &found));

        AddressBook book(s);
        QVector<AddressSource> sources;
        QVERIFY2(book.sources(&sources), qPrintable(book.errorString()));
        QStringList captions;
        for (const AddressSource& src : sources)
            captions << src.caption;
        QCOMPARE(captions.first(), u("全表示"));
        QCOMPARE(captions.at(captions.size() - 2), u("業者"));
        QCOMPARE(captions.last(), u("取引先"));
        QCOMPARE(captions.size(), before.size() + 4);
        QVERIFY(captions.contains(u("見込み客")));

        QVector<AddressCandidate> c;
        QVERIFY(book.candidates(sources.first(), &c));
        QCOMPARE(c.size(), 3);
        QCOMPARE((QStringList{c.at(1).name, c.at(1).telephone, c.at(1).prefecture}), (QStringList{u("鈴木 様"), QStringLiteral("045-333-4444"), u("東京都")}));

        QVERIFY(book.candidates(sources.at(captions.indexOf(u("見込み客"))), &c));
        QCOMPARE(c.size(), 2);
        QCOMPARE((QStringList{c.last().email, c.last().telephone}), (QStringList{QStringLiteral("sasaki@example.jp"), QStringLiteral("090-5555-6666")}));

        QVERIFY(book.candidates(sources.at(sources.size() - 2), &c));
        QCOMPARE(c.size(), 1);
        QCOMPARE((QStringList{c.first().name, c.first().email, c.first().prefecture}),
                 (QStringList{u("田中建築設計事務所"), QStringLiteral("tanaka@arch.jp"), u("大阪府")}));
        QVERIFY(book.candidates(sources.last(), &c));
        QCOMPARE((QStringList{c.first().name, c.first().telephone}), (QStringList{u("高橋電気工業"), QStringLiteral("011-999-0000")}));

        // Search: every filled field must match; the telephone by its digits.
        QVERIFY(book.search(u("佐"), {}, {}, &c));
        QCOMPARE(c.size(), 2);
        QVERIFY(book.search(u("佐"), QStringLiteral("sasaki"), {}, &c));
        QCOMPARE(c.size(), 1);
        QVERIFY(book.search({}, {}, QStringLiteral("(045)333"), &c));
        QCOMPARE(c.size(), 1);
        QCOMPARE(c.first().name, u("鈴木 様"));
        QVERIFY(book.search(u("高橋"), {}, {}, &c));
        QVERIFY(c.isEmpty());  // customers only
    }

private:
    std::unique_ptr<TempAppDir> m_dir;
};

// An application directory from before the clear-text option: the column
// arrives on start, and its accounts keep the safe default.
QTEST_GUILESS_MAIN(MailStoresTest)
#include "tst_mailstores.moc"
