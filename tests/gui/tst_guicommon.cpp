#include "EnterOrder.h"
#include "GuiCommon.h"
#include "Keyring.h"
#include "MessageBoxPrompter.h"
#include "PrnCommon.h"
#include "SingleInstance.h"
#include "WindowPlacement.h"
#include "WriteLock.h"
#include "TestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QProcess>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <csignal>

// Message boxes, printing and the single-instance rule, as the windows use them.
class TestGuiCommon : public QObject {
    Q_OBJECT

private:
    static QString pdfText(const QString& pdf, bool bbox = false)
    {
        const QStringList args{QStringLiteral("-bbox"), pdf, QStringLiteral("-")};
        return runProcess(QStringLiteral("pdftotext"), bbox ? args : args.mid(1)).out;
    }

private slots:
    void initTestCase()
    {
        GuiCommon::setupApplication(*qApp);
    }

    void messageBoxesHaveJapaneseButtonsAndTheGivenDefault()
    {
        MessageBoxPrompter prompter;
        QStringList buttonTexts;
        QString title;
        bool defaultWasNo = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            title = box->windowTitle();
            for (QAbstractButton* b : box->buttons())
                buttonTexts << b->text();
            defaultWasNo = static_cast<QAbstractButton*>(box->defaultButton()) == box->button(QMessageBox::No);
            box->button(QMessageBox::No)->click();
        });
        const auto answer = prompter.show({QStringLiteral("確認画面"), QStringLiteral("削除しますか？"),
                                           Prompter::Icon::Critical, Prompter::Yes | Prompter::No, Prompter::No});
        QCOMPARE(answer, Prompter::No);
        QCOMPARE(title, QStringLiteral("確認画面"));
        QVERIFY(defaultWasNo);
        QVERIFY2(buttonTexts.join(QLatin1Char(' ')).contains(QStringLiteral("はい")) && buttonTexts.join(QLatin1Char(' ')).contains(QStringLiteral("いいえ")),
                 qPrintable(buttonTexts.join(' ')));

        // Escape is the cautious answer: Cancel when offered.
        QTimer::singleShot(0, [] {
            QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape);
        });
        QCOMPARE(prompter.show({QStringLiteral("終了確認画面"), QStringLiteral("保存しますか？"), Prompter::Icon::Question,
                                Prompter::Yes | Prompter::No | Prompter::Cancel, Prompter::Yes}),
                 Prompter::Cancel);

        // A short message still leaves its title whole in the title bar.
        int width = 0, titleWidth = 0;
        QTimer::singleShot(0, [&] {
            QWidget* box = QApplication::activeModalWidget();
            width = box->width();
            titleWidth = box->fontMetrics().horizontalAdvance(box->windowTitle());
            QTest::keyClick(box, Qt::Key_Escape);
        });
        prompter.show({QStringLiteral("登録エラー警告"), QStringLiteral("済"), Prompter::Icon::Warning, Prompter::Ok, Prompter::Ok});
        QVERIFY2(width >= titleWidth + 130, qPrintable(QStringLiteral("%1 for a title of %2").arg(width).arg(titleWidth)));
    }

    void printTextGoesToPdfWhenThereIsNoPrinter()
    {
        ScriptedPrompter prompter;
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("顧客データ.pdf"));
        QString suggested;
        PrnCommon::setPdfPathProvider([&](const QString& name) {
            suggested = name;
            return pdf;
        });
        QString text;
        for (int i = 1; i <= 120; ++i)
            text += QStringLiteral("%1行目 株式会社山田設計 東京都千代田区千代田1-1\n").arg(i);
        QVERIFY(PrnCommon::PrintText(text, {}, QStringLiteral("顧客データ")));
        QVERIFY(prompter.shown.isEmpty());
        QCOMPARE(suggested, QStringLiteral("顧客データ.pdf"));
        const QString out = pdfText(pdf);
        QVERIFY2(out.contains(QStringLiteral("1行目 株式会社山田設計")), qPrintable(out.left(200)));
        QVERIFY(out.contains(QStringLiteral("120行目")));
        QVERIFY(out.count(QLatin1Char('\f')) >= 2);  // long text is paged, not cut off

        // Declining the PDF file is not a printer failure.
        PrnCommon::setPdfPathProvider([](const QString&) { return QString(); });
        QVERIFY(!PrnCommon::PrintText(QStringLiteral("x")));
        QVERIFY(prompter.shown.isEmpty());

        // A named printer that does not exist is.
        QVERIFY(!PrnCommon::PrintText(QStringLiteral("x"), {QStringLiteral("存在しないプリンタ"), {}}));
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("プリンタが接続されていません。")});

        // An unwritable PDF file is reported with its cause.
        prompter.clear();
        QVERIFY(!PrnCommon::PrintText(QStringLiteral("x"), {{}, QStringLiteral("/nonexistent/folder/x.pdf")}));
        QCOMPARE(prompter.shown.size(), 1);
        QVERIFY2(prompter.shown[0].text.contains(QStringLiteral("/nonexistent/folder/x.pdf")), qPrintable(prompter.shown[0].text));
        QVERIFY(!QFileInfo::exists(QStringLiteral("/nonexistent")));
        PrnCommon::setPdfPathProvider({});
    }

    void printTextAtPlacesTextOnCharacterCells()
    {
        ScriptedPrompter prompter;
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("labels.pdf"));
        PrnCommon::Session session;
        QVERIFY(session.begin({{}, pdf}));
        QCOMPARE(session.PrintTextAt(10, 5, QStringLiteral("山田太郎様"), 12, QStringLiteral("ＭＳ 明朝")), 0);
        QCOMPARE(session.PrintTextAt(0, 0, QStringLiteral("ORIGIN"), 10, QStringLiteral("ＭＳ ゴシック")), 0);
        QVERIFY(session.newPage());
        QCOMPARE(session.PrintTextAt(20, 10, QStringLiteral("PAGE2"), 10, QString()), 0);
        QVERIFY(session.end());
        QCOMPARE(session.PrintTextAt(1, 1, QStringLiteral("late"), 10, QString()), 1);
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("プリンタが接続されていません。")});

        // A cell is 120 × 240 twips: 6 pt across and 12 pt down from the
        // paper's corner; column 10, line 5 is 60 pt across and 60 pt down.
        const QString bbox = pdfText(pdf, true);
        const auto at = [&bbox](const QString& w) {
            const auto m = QRegularExpression(QStringLiteral("<word xMin=\"([-0-9.]+)\" yMin=\"([-0-9.]+)\"[^>]*>%1</word>").arg(w)).match(bbox);
            return m.hasMatch() ? QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()) : QPointF(-99, -99);
        };
        QVERIFY2(qAbs(at(QStringLiteral("ORIGIN")).x()) < 1.0, qPrintable(bbox.left(400)));
        const QPointF name = at(QStringLiteral("山田太郎様"));
        QVERIFY(qAbs(name.x() - 60.0) < 1.0 && qAbs(name.y() - 60.0) < 2.0);
        QVERIFY(qAbs(at(QStringLiteral("PAGE2")).x() - 120.0) < 1.0);
        QCOMPARE(bbox.count(QStringLiteral("<page ")), 2);
    }

    // A slow keyring (waiting for the user to unlock it) gets a modal note
    // over the windows, gone with the answer; a keyring that never answers
    // lets the program go on after the time limit.
    void keyringWaitIsModalAndEnds()
    {
        QWidget window;
        QVERIFY(showAndWait(window));
        QWidget* modalDuringWait = nullptr;
        QTimer::singleShot(800, [&] { modalDuringWait = QApplication::activeModalWidget(); });
        QVERIFY(Keyring::waitFor([](const std::function<void()>& finished) { QTimer::singleShot(1200, finished); }));
        QVERIFY(modalDuringWait);
        QCOMPARE(modalDuringWait->objectName(), QStringLiteral("KeyringWaitNote"));
        QTRY_COMPARE(QApplication::activeModalWidget(), nullptr);
        QVERIFY(!Keyring::waitFor([](const std::function<void()>&) {}, 300));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        // An answer that comes at once shows no note at all.
        QVERIFY(Keyring::waitFor([](const std::function<void()>& finished) { finished(); }));
    }

    // The Enter rules the windows share that no window test reaches (the
    // window's own default button, the Tab-order variant), and twips that
    // come back as they went.
    void windowBehaviour()
    {
        QWidget window;
        auto* name = new QLineEdit(QStringLiteral("山田"), &window);
        auto* kind = new QComboBox(&window);
        kind->setEditable(true);
        kind->setEditText(QStringLiteral("新築"));
        auto* last = new QLineEdit(&window);
        new EnterOrder(&window, {name, kind, last}, EnterOrder::SelectNext | EnterOrder::LastPasses);
        QVERIFY(showAndWait(window));
        name->setFocus();
        QTest::keyClick(name, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), kind);
        QCOMPARE(kind->lineEdit()->selectedText(), QStringLiteral("新築"));
        QTest::keyClick(kind, Qt::Key_Enter);
        QCOMPARE(QApplication::focusWidget(), last);
        QSignalSpy passed(last, &QLineEdit::returnPressed);
        QTest::keyClick(last, Qt::Key_Return);
        QCOMPARE(passed.size(), 1);

        QWidget tabbed;
        auto* first = new QLineEdit(&tabbed);
        auto* flag = new QCheckBox(&tabbed);
        auto* second = new QLineEdit(&tabbed);
        new EnterOrder(&tabbed, {first, second}, EnterOrder::PlainEnterOnly | EnterOrder::TabChain);
        QVERIFY(showAndWait(tabbed));
        first->setFocus();
        QTest::keyClick(first, Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), first);
        QTest::keyClick(first, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), flag);

        QCOMPARE(WindowPlacement::toTwips(100, 96), 1500);
        for (int dpi : {72, 96, 97, 120, 144})
            QCOMPARE(WindowPlacement::toPixels(WindowPlacement::toTwips(333, dpi), dpi), 333);
    }

    void openInBrowserReportsAMissingBrowser()
    {
        ScriptedPrompter prompter;
        // No program to hand the page to: the desktop services fail.
        const QByteArray path = qgetenv("PATH");
        QTemporaryDir empty;
        qputenv("PATH", empty.path().toLocal8Bit());
        const bool opened = GuiCommon::OpenInBrowser(QStringLiteral("https://www.example.jp/"));
        qputenv("PATH", path);
        QVERIFY(!opened);
        QCOMPARE(prompter.texts() << prompter.shown[0].title, (QStringList{QStringLiteral("ウェブブラウザを起動できません。既定のブラウザが設定されているか"
                                                                                           "確認してください。\nhttps://www.example.jp/"),
                                                                            QStringLiteral("エラー")}));
    }

    void startedProgramHoldsTheLockUntilItDies()
    {
        // A copy of the program in its own folder: that folder is its
        // application directory, so it makes its databases there.
        QTemporaryDir dir;
        const QString exe = dir.filePath(QStringLiteral("shinseidesk"));
        QVERIFY(QFile::copy(QStringLiteral(SD_APP_PATH), exe));
        QProcess app;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        app.setProcessEnvironment(env);
        app.start(exe, {});
        QVERIFY(app.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir.filePath(QStringLiteral("maildata.db"))), 30000);
        SingleInstance probe(dir.path());
        QTRY_VERIFY_WITH_TIMEOUT(!probe.acquire(), 5000);
        QCOMPARE(app.state(), QProcess::Running);
        QTemporaryDir otherOffice;
        QVERIFY(SingleInstance(otherOffice.path()).acquire());  // another office folder is another program
        // It also holds the register's write lock, so a restore is refused and told who writes.
        StorageConfig cfg;
        cfg.appDir = dir.path();
        WriteLock restore(cfg, QStringLiteral("restore"));
        QString why;
        QVERIFY(!restore.acquire(WriteLock::Mode::Exclusive, 0, &why));
        QVERIFY2(why.contains(QStringLiteral("shinseidesk（PID %1）").arg(app.processId())), qPrintable(why));
        // Killed without a chance to clean up: the next start must not be refused.
        ::kill(static_cast<pid_t>(app.processId()), SIGKILL);
        QVERIFY(app.waitForFinished());
        QVERIFY(probe.acquire());
        QVERIFY2(restore.acquire(WriteLock::Mode::Exclusive, 0, &why), qPrintable(why));
        for (const char* f : {"kakunin.db", "masterdata.db", "saledata.db", "anotheroption.db", "postdb.db",
                              "maildata.db"})
            QVERIFY2(QFile::exists(dir.filePath(QString::fromLatin1(f))), f);
    }
};

QTEST_MAIN(TestGuiCommon)
#include "tst_guicommon.moc"
