#include "HelpForm.h"
#include "MailAddPopForm.h"
#include "MailAddSet.h"
#include "MailDataStore.h"
#include "MailSession.h"
#include "MailTestSupport.h"
#include "MailWindows.h"
#include "MasterPickResult.h"
#include "MasterTable.h"
#include "MenuForm.h"
#include "Recordset.h"
#include "SchedulePage.h"
#include "SignForm.h"
#include "SignatureStore.h"
#include "TestSupport.h"
#include "UniteForm.h"
#include "WriteForm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextCursor>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

// Runs once the next modal window is open, inside its own event loop. A
// window may spin a short loop of its own while it opens (the keyring is
// asked over D-Bus), so wait until it really is the modal one.
template <class F>
void whenModal(F f, QWidget* previous = nullptr, int tries = 300)
{
    QTimer::singleShot(10, [f, previous, tries] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || w == previous || !w->isVisible()) {
            if (tries <= 0)
                qFatal("no modal window opened");
            whenModal(f, previous, tries - 1);
            return;
        }
        f(w);
    });
}

// Messages kept as sent.
int sentRows(Storage& s)
{
    Recordset rs(s, DbFile::MailData);
    rs.open(QStringLiteral("MailData"));
    return rs.recordCount();
}

// An account as the user sets it up in the account window.
qint64 addAccount(Storage& s, MemoryVault& vault, const QString& address, const QString& server,
                  const QString& login = {}, const QString& password = {}, const QString& name = u("山田設計"))
{
    MailAccountStore store(s, &vault);
    MailAccount a;
    a.id = store.create();
    a.name = name;
    a.address = address;
    a.account = login;
    a.smtp = server.section(QLatin1Char(':'), 0, 0);
    a.smtpPort = server.section(QLatin1Char(':'), 1);
    a.setFlg = 1;
    a.plainAuth = 1;  // the test servers speak no TLS
    bool found = false;
    if (a.id <= 0 || !store.write(a, password, &found))
        qFatal("account: %s", qPrintable(store.errorString()));
    return a.id;
}

template <class T>
T* as(QWidget* w)
{
    auto* t = qobject_cast<T*>(w);
    if (!t)
        qFatal("not the expected window: %s", qPrintable(w->objectName()));
    return t;
}

bool showsHelp(QObject& w, const char* page)
{
    auto* h = w.findChild<HelpForm*>();
    return h && h->pageFound() && h->page().endsWith(QStringLiteral("MANUAL/") + QLatin1String(page));
}

}  // namespace

// The mail windows as office staff use them: a message written in the
// composer reaches a real SMTP server and reads correctly in a Japanese
// mail program; accounts, signatures, the address book and attachments.
class MailWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_dir = std::make_unique<TempAppDir>();
        QVERIFY(m_dir->isValid());
        vault.entries.clear();
        prompter.clear();
        prompter.answers.clear();
    }
    void cleanup()
    {
        m_dir.reset();
    }

    void composedMessageArrivesAndIsStored();
    void sendingNeedsSenderAndRecipient();
    void openingModesQuotesAndHelp();
    void abandoningAsksOnlyAfterTyping();
    void enterMovesThroughTheHeader();
    void signatureWindowAndInsertion();
    void attachmentsWindow();
    void addressBookFillsTheFields();
    void accountWindow();
    void accountTestMail();
    void mainWindowAndMastersOpenTheMailWindows();

private:
    std::unique_ptr<TempAppDir> m_dir;
    // Every window runs against an empty keyring and answers scripted by
    // the test, so no real dialog can block a run.
    MemoryVault vault;
    ScriptedPrompter prompter;
};

// A first try through a server that cannot be reached keeps everything
// for the second, which goes out once and is stored once.
void MailWindowsTest::composedMessageArrivesAndIsStored()
{
    SmtpSink::Options o;
    o.user = QStringLiteral("yamada");
    o.password = u("鍵pass");
    SmtpSink sink(o);
    Storage& s = m_dir->storage();
    addAccount(s, vault, QStringLiteral("other@yamada.jp"), QStringLiteral("127.0.0.1:%1").arg(closedPort()));
    addAccount(s, vault, QStringLiteral("info@yamada.jp"), sink.server(), o.user, o.password);
    QTemporaryDir files;
    const QString pdf = writeFile(files.path(), u("配置図（最終版）.pdf"), QByteArray("%PDF-1.4\n") + QByteArray(40000, '\x89'));

    ComposeRequest fromMaster;
    fromMaster.recipient = QStringLiteral("owner@example.jp");
    MailSession session(s);
    WriteForm form(s, fromMaster, nullptr, &vault, &session);
    QVERIFY(showAndWait(form));
    auto* from = child<QComboBox>(form, "FromText");
    QCOMPARE(from->count(), 2);
    from->setCurrentIndex(from->findText(QStringLiteral("other@yamada.jp")));
    QCOMPARE(child(form, "ToText")->text(), QStringLiteral("owner@example.jp"));
    QTest::keyClicks(child(form, "ToText"), QStringLiteral(", wife@example.jp"));
    child(form, "CCText")->setText(QStringLiteral("office@example.jp"));
    child(form, "BCCText")->setText(QStringLiteral("archive@example.jp"));
    const QString subject = u("配置図をお送りします");
    const QString body = u("山田様\n\n配置図の最終版を添付いたします。\nご確認ください。");
    child(form, "SubjectText")->setText(subject);
    child<QPlainTextEdit>(form, "BodyText")->setPlainText(body);
    form.addAttachments({pdf});
    QCOMPARE(child<QListWidget>(form, "List1")->item(0)->text(), u("配置図（最終版）.pdf"));

    QSignalSpy finished(&form, &WriteForm::sendFinished);
    form.send();
    QVERIFY(finished.wait(30000));
    QCOMPARE(prompter.shown.size() == 1 ? prompter.shown.first().title : QString(), u("メール送信エラー"));
    const QString error = prompter.shown.first().text;
    QVERIFY2(error.startsWith(u("送信できませんでした。　回線接続状況を確認してください。(Cant connect Server")) && error.endsWith(u(")")),
             qPrintable(error));
    QCOMPARE(MailCommon::resultCode(form.lastResult()), -4);
    // Nothing went out: nothing is stored as sent, the composer stays with
    // what was typed and can send again.
    QVERIFY(form.isVisible() && form.action(QStringLiteral("SendBtn"))->isEnabled());
    QCOMPARE(form.storedId(), 0);
    QCOMPARE(sentRows(s), 0);
    QCOMPARE(child(form, "SubjectText")->text(), subject);

    from->setCurrentIndex(from->findText(QStringLiteral("info@yamada.jp")));
    form.action(QStringLiteral("SendBtn"))->trigger();
    // While the server talks, the window waits with the hourglass and
    // takes no edits, but it keeps drawing.
    QVERIFY(form.isSending());
    QVERIFY(QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor);
    QVERIFY(!child(form, "SubjectText")->isEnabled());
    QVERIFY(!form.action(QStringLiteral("SendBtn"))->isEnabled());
    QVERIFY(finished.wait(30000));
    QCOMPARE(finished.last().first().toString(), QString());
    QVERIFY(!QApplication::overrideCursor() && !form.isVisible() && form.result() == QDialog::Accepted);
    QCOMPARE(prompter.shown.size(), 1);

    // What the mail program reads is the library's part (tst_smtp); here,
    // that the window's fields and account went into it.
    const QStringList got = sink.messages();
    QCOMPARE(got.size(), 1);
    const QJsonObject m = decodeMail(got.first());
    QCOMPARE(m.value(QStringLiteral("attachments")).toArray().size(), 1);
    const QJsonObject env = sink.envelope(got.first());
    QCOMPARE((QStringList{m.value(QStringLiteral("subject")).toString(), env.value(QStringLiteral("login")).toString()}), (QStringList{subject, "yamada"}));
    QCOMPARE(env.value(QStringLiteral("rcpt_tos")).toArray().size(), 4);
    QCOMPARE(sentRows(s), 1);
    expectStored(s, DbFile::MailData, "MailData", form.storedId(),
                 {{"to_dt", QStringLiteral("owner@example.jp, wife@example.jp")}, {"bcc_dt", QStringLiteral("archive@example.jp")},
                  {"from_dt", QStringLiteral("info@yamada.jp")}, {"subject_dt", subject}, {"body", body},
                  {"Attach_flg", QStringLiteral("1")}, {"dmy_str01", pdf}, {"Folder", QStringLiteral("2")}});
    // The next composer offers the sender chosen this time.
    QCOMPARE(session.lastSender(), QStringLiteral("info@yamada.jp"));
    WriteForm next(s, {}, nullptr, &vault, &session);
    QCOMPARE(child<QComboBox>(next, "FromText")->currentText(), QStringLiteral("info@yamada.jp"));
}

void MailWindowsTest::sendingNeedsSenderAndRecipient()
{
    Storage& s = m_dir->storage();
    {
        // No account at all: nobody to send as.
        WriteForm form(s, {}, nullptr, &vault);
        QVERIFY(showAndWait(form));
        child(form, "ToText")->setText(QStringLiteral("owner@example.jp"));
        QCOMPARE(child<QComboBox>(form, "FromText")->count(), 0);
        form.send();
        QCOMPARE(prompter.texts(), QStringList{u("送信者が設定されていません")});
        QCOMPARE(QApplication::focusWidget(), child<QComboBox>(form, "FromText"));
        QVERIFY(form.isVisible() && !form.isSending());
        prompter.answers.enqueue(Prompter::Yes);
        form.abandon();
    }
    prompter.clear();
    addAccount(s, vault, QStringLiteral("info@yamada.jp"), QStringLiteral("127.0.0.1:1"));
    WriteForm form(s, {}, nullptr, &vault);
    QVERIFY(showAndWait(form));
    child(form, "CCText")->setText(QStringLiteral(" , "));
    form.send();
    QCOMPARE(prompter.texts(), QStringList{u("宛先が設定されていません")});
    QCOMPARE(QApplication::focusWidget(), child(form, "ToText"));
    QCOMPARE(sentRows(s), 0);
}

void MailWindowsTest::openingModesQuotesAndHelp()
{
    Storage& s = m_dir->storage();
    ComposeRequest fromSchedule;
    fromSchedule.subject = u("配筋検査");
    fromSchedule.body = u("2025/07/01 10:00\n\n現場にて");
    WriteForm form(s, fromSchedule, nullptr, &vault);
    QCOMPARE(child(form, "SubjectText")->text(), u("配筋検査"));
    auto* body = child<QPlainTextEdit>(form, "BodyText");
    QCOMPARE(body->toPlainText(), u("2025/07/01 10:00\n\n現場にて"));
    QVERIFY(!form.isEdited());

    QAction* quote = form.action(QStringLiteral("ReSendBtn"));
    quote->trigger();
    QCOMPARE((QStringList{quote->text(), body->toPlainText()}), (QStringList{u("記号解除"), u(">2025/07/01 10:00\n>\n>現場にて")}));
    quote->trigger();
    QCOMPARE((QStringList{quote->text(), body->toPlainText()}), (QStringList{u("返信記号"), u("2025/07/01 10:00\n\n現場にて")}));

    // Each window's help button shows its page of the manual, and the
    // contents page leads to all four.
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("MANUAL")));
    for (const QString& page : QDir(QStringLiteral(SD_MANUAL_DIR)).entryList({QStringLiteral("*.html")}))
        QFile::copy(QStringLiteral(SD_MANUAL_DIR "/") + page, m_dir->file(QStringLiteral("MANUAL/") + page));
    const QString contents = QString::fromUtf8(readBytes(m_dir->file(QStringLiteral("MANUAL/index.html"))));
    for (const char* page : {"mail_set.html", "msg02.html", "msg03.html", "sgin.html"})
        QVERIFY2(contents.contains(QStringLiteral("href=\"%1\"").arg(QString::fromLatin1(page))), page);
    {
        MailAddSet accounts(s, nullptr, &vault);
        clickButton(accounts, "HelpBtn");
        QVERIFY(showsHelp(accounts, "mail_set.html"));
        SignForm signatures(s);
        clickButton(signatures, "HelpBtn");
        QVERIFY(showsHelp(signatures, "sgin.html"));
    }
    form.action(QStringLiteral("HelpBtn"))->trigger();
    QVERIFY(showsHelp(form, "msg02.html"));

    StoredMail earlier;
    earlier.from = QStringLiteral("owner@example.jp");
    earlier.subject = u("見積");
    earlier.body = u("見積書です。");
    ComposeRequest reply;
    reply.earlier = earlier;
    reply.mode = ComposeRequest::kReply;
    reply.quote = true;
    WriteForm answer(s, reply, nullptr, &vault);
    QCOMPARE(answer.windowTitle(), u("返信メッセージ"));
    answer.action(QStringLiteral("HelpBtn"))->trigger();
    QVERIFY(showsHelp(answer, "msg03.html"));
}

void MailWindowsTest::abandoningAsksOnlyAfterTyping()
{
    Storage& s = m_dir->storage();
    ComposeRequest fromMaster;
    fromMaster.recipient = QStringLiteral("owner@example.jp");
    {
        WriteForm untouched(s, fromMaster, nullptr, &vault);
        untouched.show();
        untouched.action(QStringLiteral("CancelBtn"))->trigger();
        QVERIFY(!untouched.isVisible() && prompter.shown.isEmpty());
    }
    WriteForm form(s, fromMaster, nullptr, &vault);
    QVERIFY(showAndWait(form));
    QTest::keyClicks(child<QPlainTextEdit>(form, "BodyText"), QStringLiteral("abc"));
    prompter.answers.enqueue(Prompter::No);
    form.action(QStringLiteral("CancelBtn"))->trigger();
    QCOMPARE(prompter.texts(), QStringList{u("メール作成を中止してもよろしいですか？")});
    QCOMPARE(prompter.shown.first().defaultButton, Prompter::No);
    QVERIFY(form.isVisible());
    // Closing the window asks the same; Escape too.
    prompter.answers.enqueue(Prompter::No);
    QTest::keyClick(&form, Qt::Key_Escape);
    QVERIFY(prompter.shown.size() == 2 && form.isVisible());
    prompter.answers.enqueue(Prompter::Yes);
    form.close();
    QVERIFY(!form.isVisible());
    QCOMPARE(sentRows(s), 0);

    // Printing asks first; No prints nothing.
    WriteForm printing(s, fromMaster, nullptr, &vault);
    prompter.clear();
    prompter.answers.enqueue(Prompter::No);
    printing.action(QStringLiteral("MailPrint"))->trigger();
    QCOMPARE(prompter.texts(), QStringList{u("印刷してもよろしいですか？")});
}

void MailWindowsTest::enterMovesThroughTheHeader()
{
    Storage& s = m_dir->storage();
    addAccount(s, vault, QStringLiteral("info@yamada.jp"), QStringLiteral("127.0.0.1:1"));
    WriteForm form(s, {}, nullptr, &vault);
    QVERIFY(showAndWait(form));
    QCOMPARE(QApplication::focusWidget(), child(form, "ToText"));
    const char* order[] = {"ToText", "CCText", "BCCText", "SubjectText", "BodyText"};
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(child<QWidget>(form, order[i]), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), child<QWidget>(form, order[i + 1]));
    }
    auto* body = child<QPlainTextEdit>(form, "BodyText");
    QTest::keyClicks(body, QStringLiteral("a"));
    QTest::keyClick(body, Qt::Key_Return);
    QTest::keyClicks(body, QStringLiteral("b"));
    QCOMPARE(body->toPlainText(), QStringLiteral("a\nb"));
}

void MailWindowsTest::signatureWindowAndInsertion()
{
    Storage& s = m_dir->storage();
    {
        SignForm edit(s);
        QVERIFY(showAndWait(edit));
        QVERIFY(!child<QPushButton>(edit, "SendBtn")->isVisible());
        QVERIFY(child<QLabel>(edit, "KeikokuLabel")->isVisible());
        clickButton(edit, "NewMakeBtn");
        auto* list = child<QTreeWidget>(edit, "SignListView");
        QCOMPARE(columnTexts(list, 0) << child<QPlainTextEdit>(edit, "BodyText")->toPlainText(), (QStringList{u("#署名"), QString()}));
        QVERIFY(!child<QPushButton>(edit, "UpDateBtn")->isEnabled());
        child(edit, "TitleText")->setText(u("通常の署名"));
        child<QPlainTextEdit>(edit, "BodyText")->setPlainText(u("--\n山田設計\nTEL 03-1234-5678"));
        QVERIFY(child<QPushButton>(edit, "UpDateBtn")->isEnabled());
        clickButton(edit, "UpDateBtn");
        QCOMPARE(columnTexts(list, 0), QStringList{u("通常の署名")});
        clickButton(edit, "NewMakeBtn");
        child(edit, "TitleText")->setText(u("消す署名"));
        // Closing with an edit asks to save it.
        prompter.answers.enqueue(Prompter::Yes);
        clickButton(edit, "CancelCommand");
        QCOMPARE(prompter.texts(), QStringList{u("内容が変更されていますが、登録しますか？")});
    }
    {
        SignForm edit(s);
        edit.show();
        edit.selectRow(1);
        prompter.clear();
        prompter.answers.enqueue(Prompter::Yes);
        clickButton(edit, "DelBtn");
        QCOMPARE(prompter.texts(), QStringList{u("消す署名を削除します。　よろしいですか？")});
        QCOMPARE(columnTexts(child<QTreeWidget>(edit, "SignListView"), 0), QStringList{u("通常の署名")});
    }

    // The composer takes a signature in at its caret.
    WriteForm form(s, {}, nullptr, &vault);
    form.show();
    auto* body = child<QPlainTextEdit>(form, "BodyText");
    body->setPlainText(u("本文です。\n\n以上"));
    QTextCursor caret = body->textCursor();
    caret.setPosition(u("本文です。\n").size());
    body->setTextCursor(caret);
    QGuiApplication::clipboard()->setText(QStringLiteral("the user's own clipboard"));
    whenModal([](QWidget* w) {
        auto* pick = as<SignForm>(w);
        QVERIFY(child<QPushButton>(*pick, "SendBtn")->isVisible());
        pick->selectRow(0);
        clickButton(*pick, "SendBtn");
    }, &form);
    form.action(QStringLiteral("SignBtn"))->trigger();
    QCOMPARE(body->toPlainText(), u("本文です。\n--\n山田設計\nTEL 03-1234-5678\n以上"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("the user's own clipboard"));
    QVERIFY(form.isEdited());

    // Closed without a transfer: nothing goes in.
    whenModal([](QWidget* w) { clickButton(*w, "CancelCommand"); }, &form);
    form.action(QStringLiteral("SignBtn"))->trigger();
    QCOMPARE(body->toPlainText(), u("本文です。\n--\n山田設計\nTEL 03-1234-5678\n以上"));
}

void MailWindowsTest::attachmentsWindow()
{
    Storage& s = m_dir->storage();
    QTemporaryDir files;
    const QString a = writeFile(files.path(), u("図面A.pdf"), "A");
    const QString b = writeFile(files.path(), u("図面B.dxf"), "B");
    WriteForm form(s, {}, nullptr, &vault);
    form.show();
    whenModal([a, b](QWidget* w) {
        auto* files = as<UniteForm>(w);
        files->addFiles({a, b, a});
        // The third was one too many.
        files->fileList()->item(2)->setSelected(true);
        QTest::keyClick(files->fileList(), Qt::Key_Delete);
        clickButton(*files, "SendBtn");
    }, &form);
    form.action(QStringLiteral("ClipBtn"))->trigger();
    QCOMPARE(form.attachments(), (QStringList{a, b}));
    auto* list = child<QListWidget>(form, "List1");
    QCOMPARE(list->item(1)->text(), u("図面B.dxf"));
    list->setFocus();
    list->item(0)->setSelected(true);
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(form.attachments(), QStringList{b});

    // Closed without "転送": nothing is added.
    whenModal([a](QWidget* w) {
        as<UniteForm>(w)->addFiles({a});
        clickButton(*w, "CloseBtn");
    }, &form);
    form.action(QStringLiteral("ClipBtn"))->trigger();
    QCOMPARE(form.attachments(), QStringList{b});

    // Saving copies elsewhere asks before replacing a file.
    QTemporaryDir target;
    writeFile(target.path(), u("図面B.dxf"), "old");
    UniteForm save(UniteForm::Mode::Save);
    save.setFiles({a, b});
    prompter.answers.enqueue(Prompter::No);
    QCOMPARE(save.saveInto(target.path()), 1);
    QCOMPARE(prompter.shown.size(), 1);
    QVERIFY(prompter.shown.first().text.startsWith(u("ファイルが存在します、上書きしてもよろしいですか？")));
    const QString kept = QDir(target.path()).filePath(u("図面B.dxf"));
    QCOMPARE(readBytes(kept), QByteArray("old"));
    prompter.answers.enqueue(Prompter::Yes);
    prompter.answers.enqueue(Prompter::Yes);
    QCOMPARE(save.saveInto(target.path()), 2);
    QCOMPARE(readBytes(kept), QByteArray("B"));
}

void MailWindowsTest::addressBookFillsTheFields()
{
    Storage& s = m_dir->storage();
    for (auto [name, mail] : {std::pair{"佐藤", "sato@example.jp"}, std::pair{"鈴木", ""}, std::pair{"高橋", "takahashi@example.jp"}})
        addCustomer(s, 0, u(name), QString::fromLatin1(mail));
    QString error;
    const qint64 corp = ConnectCorpTable::create(s, &error);
    bool found = false;
    QVERIFY(MasterTable(s, DbFile::MasterData, ConnectCorpTable::kTable)
                .write(corp, {{QStringLiteral("Name"), u("高橋電気")}, {QStringLiteral("E_MAIL"), QStringLiteral("denki@example.jp")}},
                       &found));

    WriteForm form(s, {}, nullptr, &vault);
    form.show();
    child(form, "ToText")->setText(QStringLiteral("first@example.jp"));
    int targetWhileOpen = -1;
    whenModal([&targetWhileOpen](QWidget* w) {
        auto* book = as<MailAddPopForm>(w);
        targetWhileOpen = book->target();
        QTreeWidget* users = book->candidateList();
        QCOMPARE(columnTexts(users, 0).size(), 3);
        // 佐藤 and 鈴木 (no address) to To, 高橋 to CC by double click.
        users->topLevelItem(0)->setSelected(true);
        users->topLevelItem(1)->setSelected(true);
        clickButton(*book, "TObtn");
        QCOMPARE(columnTexts(book->targetList(MailTarget::To), 1), QStringList{QStringLiteral("sato@example.jp")});
        users->clearSelection();
        users->topLevelItem(2)->setSelected(true);
        emit users->itemDoubleClicked(users->topLevelItem(2), 0);
        QCOMPARE(columnTexts(book->targetList(MailTarget::Cc), 1), QStringList{QStringLiteral("takahashi@example.jp")});
        // The related companies, into BCC; one taken back with Delete.
        auto* folder = child<QComboBox>(*book, "FolderCombo");
        folder->setCurrentIndex(folder->findText(u("取引先")));
        QCOMPARE(columnTexts(users, 0), QStringList{u("高橋電気")});
        users->topLevelItem(0)->setSelected(true);
        clickButton(*book, "BCCbtn");
        clickButton(*book, "BCCbtn");
        QTreeWidget* bcc = book->targetList(MailTarget::Bcc);
        QCOMPARE(bcc->topLevelItemCount(), 2);
        bcc->setFocus();
        bcc->topLevelItem(1)->setSelected(true);
        QTest::keyClick(bcc, Qt::Key_Delete);
        QCOMPARE(bcc->topLevelItemCount(), 1);
        // A search lists the matching customers.
        folder->setCurrentIndex(0);
        child(*book, "NameText")->setText(u("高橋"));
        clickButton(*book, "SrchBtn");
        QCOMPARE(columnTexts(users, 0).size(), 1);
        clickButton(*book, "SendBtn");
    }, &form);
    clickButton(form, "Command2");
    QCOMPARE(targetWhileOpen, int(MailTarget::Cc));
    QCOMPARE(child(form, "ToText")->text(), QStringLiteral("first@example.jp, sato@example.jp"));
    QCOMPARE(child(form, "CCText")->text(), QStringLiteral("takahashi@example.jp"));
    QCOMPARE(child(form, "BCCText")->text(), QStringLiteral("denki@example.jp"));

    // Empty target lists leave the fields as they were.
    whenModal([](QWidget* w) { clickButton(*w, "SendBtn"); }, &form);
    clickButton(form, "Command1");
    QCOMPARE(child(form, "ToText")->text(), QStringLiteral("first@example.jp, sato@example.jp"));
    QCOMPARE(child(form, "CCText")->text(), QStringLiteral("takahashi@example.jp"));
}

void MailWindowsTest::accountWindow()
{
    Storage& s = m_dir->storage();
    qint64 id = 0;
    {
        MailAddSet form(s, nullptr, &vault);
        QVERIFY(showAndWait(form));
        QVERIFY(child<QLabel>(form, "KeikokuLabel")->isVisible());
        QVERIFY(!child<QLabel>(form, "KeyringLabel")->text().contains(u("そのまま")));
        auto* list = child<QTreeWidget>(form, "MailListView");

        clickButton(form, "NewMakeBtn");
        QCOMPARE(columnTexts(list, 0), QStringList{u("<新規>")});
        QCOMPARE((QStringList{child(form, "SmptPort")->text(), child(form, "PopPort")->text()}), (QStringList{"25", "110"}));
        for (const char* c : {"ApopCheck", "ReadFlg", "CopyCheck", "PlainAuthCheck"})
            QVERIFY(!child<QCheckBox>(form, c)->isChecked());
        QVERIFY(!form.plainAuthWarning()->isVisible());
        QCOMPARE(QApplication::focusWidget(), child(form, "NameText"));

        // Typed the way a clerk types: Enter moves on.
        child(form, "NameText")->setText(u("山田設計"));
        QTest::keyClick(child(form, "NameText"), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), child(form, "MailText"));
        QTest::keyClicks(child(form, "MailText"), QStringLiteral("info@yamada.jp"));
        child(form, "IDText")->setText(QStringLiteral("yamada"));
        child(form, "PassText")->setText(u("秘密"));
        QCOMPARE(child(form, "PassText")->echoMode(), QLineEdit::Password);
        child(form, "SmtpText")->setText(QStringLiteral("smtp.yamada.jp"));
        auto* port = child(form, "SmptPort");
        port->selectAll();
        QTest::keyClicks(port, QStringLiteral("5a8-7"));
        QCOMPARE(port->text(), QStringLiteral("587"));
        child<QCheckBox>(form, "ReadFlg")->setChecked(true);
        // Letting the password go out unencrypted is said to be a risk.
        child<QCheckBox>(form, "PlainAuthCheck")->setChecked(true);
        QVERIFY(form.plainAuthWarning()->isVisible() && form.plainAuthWarning()->text().contains(u("盗み見られる")));
        QVERIFY(child<QPushButton>(form, "UpDateBtn")->isEnabled());
        clickButton(form, "UpDateBtn");
        QVERIFY(!child<QPushButton>(form, "UpDateBtn")->isEnabled());
        QCOMPARE(columnTexts(list, 1), QStringList{QStringLiteral("info@yamada.jp")});
        id = form.accounts().first().id;
        form.move(140, 90);
        list->header()->resizeSection(0, 171);
        child(form, "Pop3Text")->setText(QStringLiteral("pop.yamada.jp"));
        prompter.answers.enqueue(Prompter::Yes);
        clickButton(form, "CancelCommand");
        QCOMPARE(prompter.texts(), QStringList{u("内容が変更されていますが、登録しますか？")});
    }
    expectStored(s, DbFile::MasterData, "MailAcountMaster", id,
                 {{"Name", u("山田設計")}, {"SMTP_PORT", QStringLiteral("587")}, {"SetFlg", QStringLiteral("1")},
                  {"PlainAuth", QStringLiteral("1")}, {"Pop3", QStringLiteral("pop.yamada.jp")}, {"Pass", QString()}});
    QCOMPARE(vault.entries.value(MailAccountStore::keyringKey(QStringLiteral("yamada"), QStringLiteral("smtp.yamada.jp"))),
             u("秘密"));

    // Opened again: where it was left, the password from the keyring.
    {
        MailAddSet form(s, nullptr, &vault);
        QVERIFY(showAndWait(form));
        QCOMPARE(form.pos(), QPoint(140, 90));
        QCOMPARE(child<QTreeWidget>(form, "MailListView")->header()->sectionSize(0), 171);
        QCOMPARE(child(form, "PassText")->text(), u("秘密"));
        QVERIFY(!child<QPushButton>(form, "UpDateBtn")->isEnabled());
        prompter.clear();
        prompter.answers.enqueue(Prompter::Yes);
        clickButton(form, "DelBtn");
        QCOMPARE(prompter.texts(), QStringList{u("山田設計を削除します。　よろしいですか？")});
        QCOMPARE(child<QTreeWidget>(form, "MailListView")->topLevelItemCount(), 0);
        QVERIFY(child<QLabel>(form, "KeikokuLabel")->isVisible() && child(form, "NameText")->text().isEmpty());
    }
    // Without a keyring the window says where the password goes.
    MemoryVault none(false);
    MailAddSet bare(s, nullptr, &none);
    QVERIFY(showAndWait(bare));
    QVERIFY(child<QLabel>(bare, "KeyringLabel")->text().contains(u("データベースにそのまま保存")));
}

void MailWindowsTest::accountTestMail()
{
    SmtpSink sink;
    Storage& s = m_dir->storage();
    addAccount(s, vault, QStringLiteral("info@yamada.jp"), sink.server());
    MailAddSet form(s, nullptr, &vault);
    QVERIFY(showAndWait(form));
    QSignalSpy done(&form, &MailAddSet::testFinished);
    clickButton(form, "TestBtn");
    QVERIFY(done.wait(30000));
    QVERIFY(done.first().first().toString().isEmpty() && prompter.shown.size() == 1 && prompter.shown.first().text.contains(QStringLiteral("info@yamada.jp")));
    const QStringList got = sink.messages();
    QCOMPARE(got.size(), 1);
    QCOMPARE(sink.envelope(got.first()).value(QStringLiteral("rcpt_tos")).toArray().at(0).toString(),
             QStringLiteral("info@yamada.jp"));
    // A test is not a message: nothing is stored.
    QCOMPARE(sentRows(s), 0);

    // A wrong port tells what went wrong with the failure message.
    child(form, "SmptPort")->setText(QString::number(closedPort()));
    prompter.clear();
    clickButton(form, "TestBtn");
    QVERIFY(done.wait(30000));
    QCOMPARE(prompter.shown.first().title, u("メール送信エラー"));
    QVERIFY(prompter.shown.first().text.contains(nMail::kCantConnect));
}

void MailWindowsTest::mainWindowAndMastersOpenTheMailWindows()
{
    Storage& s = m_dir->storage();
    CommandRegistry commands;
    const MailComposer masters = MailWindows::registerOpeners(s, commands);
    MenuForm menu(s, commands);
    // What the window that `open` brings up shows, told by `seen`.
    auto opened = [](auto open, auto seen) {
        QString what;
        whenModal([&what, seen](QWidget* w) {
            what = seen(w);
            w->close();
        });
        open();
        return what;
    };
    auto name = [](QWidget* w) { return w->objectName() + QLatin1Char(' ') + w->windowTitle(); };
    QVERIFY(opened([&] { menu.action(QStringLiteral("AcountSet"))->trigger(); }, name).startsWith(u("MailAddSet ")));
    QCOMPARE(opened([&] { menu.action(QStringLiteral("SignRtn"))->trigger(); }, name), u("SignForm 署名登録"));
    // The schedule's "メール伝言" and a master's E-mail button.
    QCOMPARE(opened([&] { emit menu.schedulePage()->mailRequested(u("現場"), u("本文")); },
                    [](QWidget* w) {
                        return child(*w, "SubjectText")->text() + QLatin1Char('|') +
                               child<QPlainTextEdit>(*w, "BodyText")->toPlainText();
                    }),
             u("現場|本文"));
    QCOMPARE(opened([&] { masters(&menu, QStringLiteral("owner@example.jp")); },
                    [](QWidget* w) { return child(*w, "ToText")->text(); }),
             QStringLiteral("owner@example.jp"));
}

QTEST_MAIN(MailWindowsTest)
#include "tst_mailwindows.moc"
