#include "AppDir.h"
#include "TestSupport.h"
#include "HistoryPage.h"
#include "PhotoPage.h"
#include "Recordset.h"
#include "SchedulePage.h"
#include "SubmissionHistory.h"
#include "cal1.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QUrl>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

// The schedule, photo and submission-history tabs and the calculator, used through their windows.
class TestDeskTabs : public QObject {
    Q_OBJECT

private:
    static int storedEntries(Storage& s, qint64 bid, QStringList* titles = nullptr)
    {
        Recordset rs(s, DbFile::Kakunin);
        rs.open(QStringLiteral("SCHEDULE"), QStringLiteral("B_ID"), bid);
        if (titles) {
            titles->clear();
            for (; !rs.eof(); rs.moveNext())
                *titles << rs.text(QStringLiteral("SCJ_TITLE"));
        }
        return rs.recordCount();
    }
    static QString makePicture(const QString& path, int w, int h, const char* format = "JPG")
    {
        QImage img(w, h, QImage::Format_RGB32);
        img.fill(Qt::darkGreen);
        img.save(path, format);
        return path;
    }

private slots:
    void scheduleEditsAreSavedWithTheProject()
    {
        Desk d;
        const qint64 bid = d.form.currentProject().bid;
        SchedulePage* page = d.form.schedulePage();
        QCOMPARE(page->list()->topLevelItemCount(), 1);  // a new project starts with this month
        auto* title = child<QLineEdit>(d.form, "TitleText");
        title->setText(QStringLiteral("一番目"));
        QVERIFY(d.form.isEdited());
        child<QPushButton>(d.form, "LineAddBtn")->click();
        title->setText(QStringLiteral("二番目"));
        child<QPushButton>(d.form, "LineAddBtn")->click();
        title->setText(QStringLiteral("三番目"));
        child<QPlainTextEdit>(d.form, "BodyText")->setPlainText(QStringLiteral("現場で配筋検査"));
        child<QLineEdit>(d.form, "DayInText")->setText(QStringLiteral("1x5"));
        QCOMPARE(child<QLineEdit>(d.form, "DayInText")->text(), QStringLiteral("15"));
        QCOMPARE(page->list()->topLevelItemCount(), 3);

        page->selectEntry(1);
        QCOMPARE(title->text(), QStringLiteral("二番目"));
        d.prompter.answers.enqueue(Prompter::No);
        child<QPushButton>(d.form, "LineDelBtn")->click();
        QCOMPARE(page->list()->topLevelItemCount(), 3);
        d.prompter.answers.enqueue(Prompter::Yes);
        child<QPushButton>(d.form, "LineDelBtn")->click();
        QCOMPARE((QStringList{d.prompter.shown.last().title, d.prompter.shown.last().text}),
                 (QStringList{"行の削除確認", "2行目を削除します。"}));
        QCOMPARE(page->list()->topLevelItemCount(), 2);

        d.form.action(QStringLiteral("VoucherSave"))->trigger();
        QVERIFY(!d.form.isEdited());
        QStringList titles;
        QCOMPARE(storedEntries(d.dir.storage(), bid, &titles), 2);
        QCOMPARE(titles, (QStringList{"一番目", "三番目"}));

        // Reading the project again shows what was saved, with the day marked.
        MenuForm again(d.dir.storage());
        again.show();
        QCOMPARE(again.schedulePage()->list()->topLevelItemCount(), 2);
        again.schedulePage()->selectEntry(1);
        QCOMPARE(child<QPlainTextEdit>(again, "BodyText")->toPlainText(), QStringLiteral("現場で配筋検査"));
        const QDate day(QDate::currentDate().year(), QDate::currentDate().month(), 15);
        QCOMPARE(again.calendar()->dateTextFormat(day).fontWeight(), int(QFont::Bold));
    }

    void aProjectWithoutEntriesDisablesTheFields()
    {
        Desk d;
        d.prompter.answers.enqueue(Prompter::Yes);
        child<QPushButton>(d.form, "LineDelBtn")->click();
        d.form.saveProject();
        QCOMPARE(storedEntries(d.dir.storage(), d.form.currentProject().bid), 0);
        d.form.selectProject(0);
        QVERIFY(!child<QLineEdit>(d.form, "TitleText")->isEnabled() && !child<QPushButton>(d.form, "LineDelBtn")->isEnabled() &&
                child<QPushButton>(d.form, "LineAddBtn")->isEnabled());
        child<QPushButton>(d.form, "LineAddBtn")->click();
        QVERIFY(child<QLineEdit>(d.form, "TitleText")->isEnabled());
        QCOMPARE(child<QLineEdit>(d.form, "TitleText")->text(), QStringLiteral("<新規>"));
        QCOMPARE(storedEntries(d.dir.storage(), d.form.currentProject().bid), 1);  // stored at once
    }

    void photosAreListedPreviewedCopiedAndAdded()
    {
        Desk d;
        PhotoPage* page = d.form.photoPage();
        const QString folder = page->folder();
        QVERIFY(QDir(folder).exists());
        QCOMPARE(page->list()->topLevelItemCount(), 0);
        QTemporaryDir source;
        const QString wide = makePicture(source.filePath(QStringLiteral("GAIKAN.JPG")), 400, 200);
        QVERIFY(page->addPicture(wide));
        QVERIFY(page->addPicture(wide));
        // Every format the image library reads is listed, PNG among them;
        // a file that is no picture is refused with a message, not copied.
        QVERIFY(page->addPicture(makePicture(source.filePath(QStringLiteral("haichi.png")), 30, 20, "PNG")));
        QVERIFY(d.prompter.shown.isEmpty());
        for (const char* name : {"memo.png", "memo.txt"})
            QVERIFY(!page->addPicture(writeFile(source.path(), QString::fromLatin1(name), "not a picture")));
        QCOMPARE(d.prompter.shown.size(), 2);
        QVERIFY(d.prompter.shown[0].text.contains(QStringLiteral("memo.png")));
        d.prompter.clear();
        QCOMPARE(columnTexts(page->list()), (QStringList{"GAIKAN.JPG", "GAIKAN_2.JPG", "haichi.png"}));
        page->list()->setCurrentItem(page->list()->topLevelItem(0));
        QVERIFY(!page->picture().isNull());
        const QPixmap shown = page->preview()->pixmap();
        QVERIFY(!shown.isNull());
        QCOMPARE(shown.width(), shown.height() * 2);  // proportions kept
        child<QPushButton>(d.form, "CopyBtn")->click();
        QCOMPARE(QApplication::clipboard()->image().size(), QSize(400, 200));

        // The folder removed behind the program's back: an empty list, no error.
        QVERIFY(QDir(folder).removeRecursively());
        d.form.selectProject(0);
        QCOMPARE(page->list()->topLevelItemCount(), 0);
        QVERIFY(d.prompter.shown.isEmpty());
    }

    void historyListsOpensAndComparesRounds()
    {
        Desk d;
        const qint64 bid = d.form.currentProject().bid;
        HistoryPage* page = d.form.historyPage();

        // Two rounds: the application the same, the drawing revised, the
        // outline dropped and a calculation added.
        QTemporaryDir source;
        auto file = [&](const QString& name, const QByteArray& content) { return writeFile(source.path(), name, content); };
        using Src = SubmissionHistory::Source;
        QString error;
        QVERIFY2(SubmissionHistory::recordSubmission(
                     d.dir.storage(), bid, QStringLiteral("確認申請"), QString(),
                     {Src{QStringLiteral("確認申請"), file(QStringLiteral("a1.pdf"), "A"), false},
                      Src{QStringLiteral("概要書"), file(QStringLiteral("o1.pdf"), "O"), false},
                      Src{QStringLiteral("配置図.pdf"), file(QStringLiteral("配置図.pdf"), "D1"), true}},
                     nullptr, &error),
                 qPrintable(error));
        QVERIFY(page->attach(QStringLiteral("補正依頼"), QDate(2026, 12, 3), QStringLiteral("配置図"),
                             file(QStringLiteral("依頼.pdf"), "R")));
        QVERIFY(SubmissionHistory::recordSubmission(
            d.dir.storage(), bid, QStringLiteral("確認申請"), QStringLiteral("補正"),
            {Src{QStringLiteral("確認申請"), file(QStringLiteral("a2.pdf"), "A"), false},
             Src{QStringLiteral("配置図.pdf"), file(QStringLiteral("配置図.pdf"), "D2"), true},
             Src{QStringLiteral("構造計算書.pdf"), file(QStringLiteral("構造計算書.pdf"), "S"), true}},
            nullptr, &error));
        page->refresh();
        QTreeWidget* list = page->list();
        QCOMPARE(columnTexts(list, 1), (QStringList{"確認申請 第2回", "受領 補正依頼", "確認申請 第1回"}));

        // Enter on a file opens it; the same file name in two rounds stays two files.
        QStringList opened;
        HistoryPage::setOpener([&opened](const QString& path) { opened << path; return true; });
        list->setFocus();
        list->setCurrentItem(list->topLevelItem(0)->child(1));
        QTest::keyClick(list, Qt::Key_Return);
        list->setCurrentItem(list->topLevelItem(2)->child(2));
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(opened.size(), 2);
        QVERIFY(opened[0] != opened[1]);
        for (const QString& path : opened) {
            QVERIFY(path.startsWith(d.dir.path() + QStringLiteral("/提出履歴/%1/").arg(bid)));
            QVERIFY(path.endsWith(QStringLiteral("/図面/配置図.pdf")));
        }
        QCOMPARE(readBytes(opened[1]), QByteArray("D1"));

        // A received document and a submission cannot be compared; two rounds can.
        list->clearSelection();
        list->topLevelItem(0)->setSelected(true);
        list->topLevelItem(1)->setSelected(true);
        QVERIFY(!page->compareSelected());
        QCOMPARE(d.prompter.shown.size(), 1);
        list->topLevelItem(1)->setSelected(false);
        list->topLevelItem(2)->setSelected(true);
        QVERIFY(page->compareSelected());
        QStringList changes;
        for (int i = 0; i < page->comparison()->topLevelItemCount(); ++i)
            changes << page->comparison()->topLevelItem(i)->text(0) + QLatin1Char(' ') + page->comparison()->topLevelItem(i)->text(1);
        QCOMPARE(changes, (QStringList{"確認申請 同じ", "配置図.pdf 変更", "構造計算書.pdf 追加", "概要書 なし"}));
        HistoryPage::setOpener([](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); });
    }

    void calculatorWindowWorksFromKeysAndKeyboard()
    {
        Desk d(false);
        MenuForm& form = d.form;
        form.action(QStringLiteral("CalBtn"))->trigger();
        cal1* calc = form.calculatorWindow();
        QVERIFY(calc && calc->isVisible());
        auto press = [&](const char* name) { child<QPushButton>(*calc, name)->click(); };
        press("Numkey1");
        press("Opkey1");
        press("Numkey2");
        press("Opkey0");
        QCOMPARE(calc->display()->text(), QStringLiteral("3"));
        press("CLRkey0");
        calc->setDecimals(2);
        QTest::keyClicks(calc, QStringLiteral("1/3="));
        QCOMPARE(calc->display()->text(), QStringLiteral("0.33"));
        QTest::keyClicks(calc, QStringLiteral("*3"));
        QTest::keyClick(calc, Qt::Key_Return);
        QCOMPARE(calc->display()->text(), QStringLiteral("1"));
        child<QWidget>(*calc, "Option1_2")->setProperty("checked", true);
        QTest::keyClicks(calc, QStringLiteral("2.345="));
        QCOMPARE(calc->display()->text(), QStringLiteral("2.34"));  // errors and rounding: tst_desktools
        QVERIFY(d.prompter.shown.isEmpty());
        form.action(QStringLiteral("CalBtn"))->trigger();
        QCOMPARE(form.calculatorWindow(), calc);  // one calculator, brought to the front
    }
};

QTEST_MAIN(TestDeskTabs)
#include "tst_desktabs.moc"
