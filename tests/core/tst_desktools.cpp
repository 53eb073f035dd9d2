#include "Calculator.h"
#include "CustomerCsv.h"
#include "EraDate.h"
#include "JapaneseHolidays.h"
#include "Logging.h"
#include "PhotoFolder.h"
#include "Recordset.h"
#include "TestSupport.h"
#include "common.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

// Small rules of their own that every window uses: the calendar and era
// dates, message boxes, files in use, the causes kept for a message; and
// the main window's small tools: the calculator and the photo folder.
class TestDeskTools : public QObject {
    Q_OBJECT

private:
    static void keys(Calculator& c, const QString& seq)
    {
        const QString operators = QStringLiteral("=+-*/");  // in Calculator::Operator's order
        for (QChar ch : seq) {
            if (ch.isDigit())
                c.pressNumber(ch.digitValue());
            else if (ch == QLatin1Char('.'))
                c.pressNumber(10);
            else
                c.pressOperator(static_cast<Calculator::Operator>(operators.indexOf(ch)));
        }
    }

private slots:
    void calculatorCarriesTheUnroundedValue()
    {
        Calculator c;
        auto after = [&](const char* seq) {
            keys(c, QString::fromLatin1(seq));
            return c.display();
        };
        QCOMPARE(after("1+2="), QStringLiteral("3"));
        QCOMPARE(after("*4="), QStringLiteral("12"));
        c.clearAll();
        c.setDecimals(2);
        QCOMPARE(after("1/3="), QStringLiteral("0.33"));
        QCOMPARE(after("*3="), QStringLiteral("1"));
        QCOMPARE(after("7+1="), QStringLiteral("8"));  // a typed number after "=" starts afresh

        // Digits, the point and "00".
        c.clearAll();
        c.pressNumber(11);
        QCOMPARE(c.display(), QStringLiteral("0"));
        c.pressNumber(10);
        c.pressNumber(10);
        c.pressNumber(5);
        QCOMPARE(c.display(), QStringLiteral("0.5"));
        c.pressNumber(11);
        QCOMPARE(c.display(), QStringLiteral("0.500"));
        c.clearEntry();
        QCOMPARE(c.display(), QStringLiteral("0"));

        // Degrees, π as 3.14159.
        c.clearAll();
        c.setDecimals(3);
        keys(c, QStringLiteral("30"));
        c.pressOperator(Calculator::Sin);
        QCOMPARE(c.display(), QStringLiteral("0.5"));
        keys(c, QStringLiteral("2"));
        c.pressOperator(Calculator::Root);
        QCOMPARE(c.display(), QStringLiteral("1.414"));

        // Memory.
        keys(c, QStringLiteral("7.5"));
        c.memoryStore();
        c.clearAll();
        c.memoryRecall();
        QCOMPARE(c.display(), QStringLiteral("7.5"));
        c.memoryClear();
        c.memoryRecall();
        QCOMPARE(c.display(), QStringLiteral("0"));
    }

    void roundingModes_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("shown");
        QTest::newRow("2.345 half up") << 2.345 << 0 << "2.35";
        QTest::newRow("2.345 up") << 2.345 << 1 << "2.35";
        QTest::newRow("2.345 down") << 2.345 << 2 << "2.34";
        QTest::newRow("-2.345 half up") << -2.345 << 0 << "-2.35";
        QTest::newRow("-2.345 up") << -2.345 << 1 << "-2.35";
        QTest::newRow("-2.345 down") << -2.345 << 2 << "-2.34";
        QTest::newRow("exact stays") << 2.3 << 1 << "2.3";
        QTest::newRow("beyond 16-bit after scaling") << 30000.004 << 1 << "30000.01";
    }
    void roundingModes()
    {
        QFETCH(double, value);
        QFETCH(int, mode);
        QFETCH(QString, shown);
        // The running value is single precision, as the calculator keeps it.
        float r = 0;
        QVERIFY(Calculator::round(static_cast<float>(value), 2, static_cast<Calculator::Rounding>(mode), &r));
        QCOMPARE(Calculator::format(r), shown);
    }

    void calculatorErrorsKeepTheWindowUsable()
    {
        Calculator c;
        keys(c, QStringLiteral("5/0="));
        QVERIFY(c.hasError());
        QVERIFY(c.display().contains(QStringLiteral("0で割る")));
        keys(c, QStringLiteral("2+3="));
        QVERIFY(!c.hasError());
        QCOMPARE(c.display(), QStringLiteral("5"));
        c.setDecimals(4);
        QVERIFY(!c.pressOperator(Calculator::Equals));  // a digit error for the window to report
        QCOMPARE(c.display(), QStringLiteral("0"));
        float r = 1;
        QVERIFY(!Calculator::round(1.0, -1, Calculator::Rounding::HalfUp, &r));
        QCOMPARE(r, 0.0f);
    }

    // Day by day against the published table of holiday-jp (tests/data/holiday_jp),
    // from 1980 to the table's last year. The table writes a few names its own
    // way; those are mapped to the law's wording, which the schedule shows.
    void holidaysMatchPublishedTable()
    {
        QFile file(QStringLiteral(SD_TEST_DATA_DIR "/holiday_jp/holidays.tsv"));
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        QMap<QDate, QString> expected;
        const QMap<QString, QString> ownWording{
            {QStringLiteral("2019-05-01"), QStringLiteral("天皇の即位の日")},
            {QStringLiteral("2019-10-22"), QStringLiteral("即位礼正殿の儀の行われる日")},
        };
        for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
            if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
                continue;
            const QStringList f = line.split(QLatin1Char('\t'));
            QCOMPARE(f.size(), 2);
            QString name = f[1];
            if (name.endsWith(QStringLiteral(" 振替休日")))
                name = QStringLiteral("振替休日");
            else if (name == QStringLiteral("休日"))
                name = QStringLiteral("国民の休日");
            else if (name == QStringLiteral("体育の日（スポーツの日）"))
                name = QStringLiteral("体育の日");  // renamed only from 2020
            else if (name == QStringLiteral("休日（祝日扱い）"))
                name = ownWording.value(f[0]);
            QVERIFY2(!name.isEmpty(), qPrintable(line));
            expected.insert(QDate::fromString(f[0], Qt::ISODate), name);
        }
        QVERIFY(expected.size() > 1000);
        const QDate last(expected.lastKey().year(), 12, 31);
        int days = 0;
        for (QDate d(1980, 1, 1); d <= last; d = d.addDays(1), ++days)
            QVERIFY2(JapaneseHolidays::name(d) == expected.value(d),
                     qPrintable(d.toString(Qt::ISODate) + QStringLiteral(": ") + JapaneseHolidays::name(d)
                                + QStringLiteral(" / ") + expected.value(d)));
        QVERIFY(days > 365 * 70);
        QVERIFY(JapaneseHolidays::name(QDate(1979, 1, 1)).isEmpty());  // outside the rules' range: no guess
    }

    void photoFolderListsAndAddsPictures()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("PHOTOFLD20261205"));
        QVERIFY(PhotoFolder::list(folder).isEmpty());  // missing folder: nothing, no error
        QVERIFY(QDir().mkpath(folder));
        for (const char* n : {"a.JPG", "b.jpeg", "c.gif", "d.BMP", "e.png", "f.PNG", "g.txt", "h.Jpg"})
            writeBytes(folder + QLatin1Char('/') + QLatin1String(n), "picture");
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/sub.jpg")));
        QStringList names;
        for (const auto& p : PhotoFolder::list(folder))
            names << p.name;
        QCOMPARE(names, (QStringList{"a.JPG", "b.jpeg", "c.gif", "d.BMP", "e.png", "f.PNG", "h.Jpg"}));
        QCOMPARE(PhotoFolder::list(folder).first().size, qint64(7));

        // Adding keeps what is there and makes the folder when needed.
        const QString source = dir.filePath(QStringLiteral("現場.jpg"));
        writeBytes(source, "picture");
        const QString fresh = dir.filePath(QStringLiteral("PHOTOFLD_new"));
        QString stored, error;
        QVERIFY(PhotoFolder::addPicture(fresh, source, &stored, &error));
        QCOMPARE(stored, QStringLiteral("現場.jpg"));
        QVERIFY(PhotoFolder::addPicture(fresh, source, &stored, &error));
        QCOMPARE(stored, QStringLiteral("現場_2.jpg"));
        QCOMPARE(PhotoFolder::list(fresh).size(), 2);
        QVERIFY(!PhotoFolder::addPicture(fresh, dir.filePath(QStringLiteral("missing.jpg")), &stored, &error));
        QVERIFY(error.contains(QStringLiteral("missing.jpg")));
        // What would never be listed is not copied out of sight.
        QVERIFY(!PhotoFolder::addPicture(fresh, folder + QStringLiteral("/g.txt"), &stored, &error));
        QVERIFY2(error.contains(QStringLiteral("表示できる形式: jpg, jpeg, png, gif, bmp")), qPrintable(error));
        QCOMPARE(PhotoFolder::list(fresh).size(), 2);
    }

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
        QStringList titles;
        for (const Prompter::Message& m : p.shown)
            titles << m.title;
        QCOMPARE(titles, (QStringList{"確認画面", "確認画面", "確認画面", "確認", "警告", "エラー"}));
        QCOMPARE(p.shown[0].buttons, Prompter::Yes | Prompter::No);
        QCOMPARE(p.shown[0].defaultButton, Prompter::No);
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

QTEST_GUILESS_MAIN(TestDeskTools)
#include "tst_desktools.moc"
