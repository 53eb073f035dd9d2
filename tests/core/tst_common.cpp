#include "TestSupport.h"
#include "common.h"

#include <QElapsedTimer>
#include <QFile>
#include <QtTest>

class TestCommon : public QObject {
    Q_OBJECT

private slots:
    void daysInMonth_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("days");
        QTest::newRow("1900 Feb (century)") << 1900 << 2 << 28;
        QTest::newRow("2000 Feb (400)") << 2000 << 2 << 29;
        QTest::newRow("2004 Feb (leap)") << 2004 << 2 << 29;
        QTest::newRow("2005 Feb") << 2005 << 2 << 28;
        QTest::newRow("Jan") << 2005 << 1 << 31;
        QTest::newRow("Apr") << 2005 << 4 << 30;
        QTest::newRow("Dec") << 2005 << 12 << 31;
        QTest::newRow("Nov") << 2005 << 11 << 30;
    }
    void daysInMonth()
    {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, days);
        QCOMPARE(common::DaysInMonth(year, month), days);
    }

    void dateFromText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("date");
        QTest::newRow("year and month: last day") << "2005/2" << QDate(2005, 2, 28);
        QTest::newRow("leap February") << "2004/02" << QDate(2004, 2, 29);
        QTest::newRow("full date keeps its day") << "2005/02/15" << QDate(2005, 2, 15);
        QTest::newRow("short digits") << "2019/5/1" << QDate(2019, 5, 1);
        QTest::newRow("hyphens") << "2019-05-01" << QDate(2019, 5, 1);
        QTest::newRow("month 13") << "2005/13" << QDate();
        QTest::newRow("no slash") << "平成17年" << QDate();
        QTest::newRow("empty") << "" << QDate();
    }
    void dateFromText()
    {
        QFETCH(QString, text);
        QFETCH(QDate, date);
        QCOMPARE(common::DateFromText(text), date);
    }

    void textAndPathRoutines()
    {
        QCOMPARE(common::DigitsOnly(QStringLiteral("03-1234-5678")), QStringLiteral("0312345678"));
        QCOMPARE(common::DigitsOnly(QStringLiteral("０３(1234)５６78")), QStringLiteral("123478"));
        QCOMPARE(common::DigitsOnly(QString()), QString());
        QCOMPARE(common::LastPosOf(QStringLiteral("C:\\a\\b.txt"), QLatin1Char('\\')), 5);
        QCOMPARE(common::LastPosOf(QStringLiteral("abc"), QLatin1Char('/')), 0);
        QCOMPARE(common::FileNameOf(QStringLiteral("C:\\a\\b.txt")), QStringLiteral("b.txt"));
        QCOMPARE(common::FolderOf(QStringLiteral("C:\\a\\b.txt")), QStringLiteral("C:\\a"));
        QCOMPARE(common::FileNameOf(QStringLiteral("/home/office/写真/p1.jpg")), QStringLiteral("p1.jpg"));
        QCOMPARE(common::FolderOf(QStringLiteral("/home/office/写真/p1.jpg")), QStringLiteral("/home/office/写真"));
        QCOMPARE(common::FileNameOf(QStringLiteral("plain.txt")), QStringLiteral("plain.txt"));
        QCOMPARE(common::AddBackslash(QStringLiteral("C:\\a")), QStringLiteral("C:\\a\\"));
        QCOMPARE(common::AddBackslash(QStringLiteral("C:\\a\\")), QStringLiteral("C:\\a\\"));
        QCOMPARE(common::AddBackslash(QStringLiteral("/srv/office")), QStringLiteral("/srv/office/"));
        QCOMPARE(common::AddBackslash(QStringLiteral("/srv/office/")), QStringLiteral("/srv/office/"));
    }

    void messageBoxesUseTheFixedTitlesAndDefaults()
    {
        ScriptedPrompter p;
        p.answers.enqueue(Prompter::Yes);
        QCOMPARE(common::ConfirmBox(QStringLiteral("削除しますか？")), 0);
        p.answers.enqueue(Prompter::Cancel);  // anything but Yes counts as No
        QCOMPARE(common::ConfirmBox(QStringLiteral("削除しますか？")), 1);
        QCOMPARE(common::ConfirmBox(QStringLiteral("既定の答え")), 1);  // No is preselected
        common::ConfirmBoxTitled(QStringLiteral("これ以上コピー移動できません(MAX5件まで)"), QStringLiteral("確認"));
        common::WarningBox(QStringLiteral("注意"));
        common::ErrorBox(QStringLiteral("失敗"));
        QCOMPARE(p.shown.size(), 6);
        QCOMPARE(p.shown[0].title, QStringLiteral("確認画面"));
        QCOMPARE(p.shown[0].buttons, Prompter::Yes | Prompter::No);
        QCOMPARE(p.shown[0].defaultButton, Prompter::No);
        QCOMPARE(p.shown[3].title, QStringLiteral("確認"));
        QCOMPARE(p.shown[4].title, QStringLiteral("警告"));
        QCOMPARE(p.shown[5].title, QStringLiteral("エラー"));
    }

    void fileInUse()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("確認申請書.xlsx"));
        QVERIFY(!common::FileInUse(QString()));
        QVERIFY(!common::FileInUse(path));  // missing
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("x");
        }
        QVERIFY(!common::FileInUse(path));
        QVERIFY(!common::FileInUse(dir.path()));  // a folder is not an open workbook
        // LibreOffice's lock file beside the workbook.
        const QString lo = dir.filePath(QStringLiteral(".~lock.確認申請書.xlsx#"));
        QFile(lo).open(QIODevice::WriteOnly);
        QVERIFY(common::FileInUse(path));
        QFile::remove(lo);
        // Excel's owner file.
        const QString xl = dir.filePath(QStringLiteral("~$確認申請書.xlsx"));
        QFile(xl).open(QIODevice::WriteOnly);
        QVERIFY(common::FileInUse(path));
        QFile::remove(xl);
        QVERIFY(!common::FileInUse(path));
    }

    void waitShortLetsEventsRun()
    {
        common::setDoubleClickInterval(600);
        QElapsedTimer t;
        t.start();
        common::WaitShort();
        QVERIFY(t.elapsed() >= 15);
    }
};

QTEST_GUILESS_MAIN(TestCommon)
#include "tst_common.moc"
