#include "CustomerCsv.h"
#include "EraDate.h"
#include "Logging.h"
#include "Recordset.h"
#include "TestSupport.h"
#include "common.h"

#include <QFile>
#include <QRegularExpression>
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

    void eraDates_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("text");
        QTest::newRow("平成17年") << QDate(2005, 4, 1) << QStringLiteral("平成17年04月01日");
        QTest::newRow("平成の終わり") << QDate(2019, 4, 30) << QStringLiteral("平成31年04月30日");
        // The first year of an era is written 元年 on official papers.
        QTest::newRow("令和元年") << QDate(2019, 5, 1) << QStringLiteral("令和元年05月01日");
        QTest::newRow("令和7年") << QDate(2025, 12, 31) << QStringLiteral("令和7年12月31日");
        QTest::newRow("昭和") << QDate(1989, 1, 7) << QStringLiteral("昭和64年01月07日");
        QTest::newRow("平成元年") << QDate(1989, 1, 8) << QStringLiteral("平成元年01月08日");
        QTest::newRow("no date") << QDate() << QString();
    }

    void eraDates()
    {
        QFETCH(QDate, date);
        QFETCH(QString, text);
        QCOMPARE(EraDate::text(date), text);
    }

    void digitsOnly()
    {
        QCOMPARE(common::DigitsOnly(QStringLiteral("03-1234-5678")), QStringLiteral("0312345678"));
        QCOMPARE(common::DigitsOnly(QStringLiteral("０３(1234)５６78")), QStringLiteral("123478"));
        QCOMPARE(common::DigitsOnly(QString()), QString());
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
        writeBytes(path, "x");
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

    // What the engine or the file system said is logged under the program's
    // categories and kept for the next message box's details, once.
    void failuresKeepTheirCauseForTheMessageBox()
    {
        Logging::keepCauses();
        Logging::takeCauses();
        TempAppDir dir;
        Recordset rs(dir.storage(), DbFile::Kakunin);
        QVERIFY(!rs.open(QStringLiteral("NoSuchTable")));
        CustomerImport import(dir.storage());
        QVERIFY(!import.load(dir.file(QStringLiteral("missing.csv"))));
        const QString causes = Logging::takeCauses().join(QLatin1Char('\n'));
        QVERIFY2(causes.contains(QRegularExpression(QStringLiteral("^\\[sd\\.storage\\].*NoSuchTable"), QRegularExpression::MultilineOption)),
                 qPrintable(causes));
        QVERIFY2(causes.contains(QRegularExpression(QStringLiteral("^\\[sd\\.import\\].*missing\\.csv"), QRegularExpression::MultilineOption)),
                 qPrintable(causes));
        QVERIFY(Logging::takeCauses().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCommon)
#include "tst_common.moc"
