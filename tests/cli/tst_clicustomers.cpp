#include "TestSupport.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <iconv.h>

// "customers import" and "customers export" as a batch job runs them.
class TestCliCustomers : public QObject {
    Q_OBJECT

private:
    using Run = ProcessRun;
    static Run run(const QStringList& args)
    {
        Run r = runProcess(QStringLiteral(SD_CLI_PATH), args);
        r.out = r.out.trimmed();
        return r;
    }
    static Run customers(const QString& dir, const QStringList& args)
    {
        return run(QStringList{"--appdir", dir, "customers"} + args);
    }
    // CP932 → UTF-8 with the system's own converter, independent of the program's.
    static QString fromCp932(const QByteArray& bytes)
    {
        iconv_t cd = iconv_open("UTF-8", "CP932");
        QByteArray out(bytes.size() * 3 + 16, '\0');
        char* in = const_cast<char*>(bytes.constData());
        size_t inLeft = static_cast<size_t>(bytes.size());
        char* dst = out.data();
        size_t dstLeft = static_cast<size_t>(out.size());
        const size_t r = iconv(cd, &in, &inLeft, &dst, &dstLeft);
        iconv_close(cd);
        if (r == static_cast<size_t>(-1))
            return QStringLiteral("<not CP932>");
        out.resize(out.size() - static_cast<qsizetype>(dstLeft));
        return QString::fromUtf8(out);
    }
    static QString initDir(QTemporaryDir& tmp, const char* name)
    {
        const QString dir = tmp.filePath(QString::fromLatin1(name));
        const Run r = run({"--appdir", dir, "init"});
        if (r.code != 0)
            qFatal("init failed: %s", qPrintable(r.err));
        return dir;
    }

private slots:
    void exportThenImportElsewhere()
    {
        QTemporaryDir tmp;
        const QString a = initDir(tmp, "a");
        const QString csv = tmp.filePath(QStringLiteral("顧客.csv"));

        // Nothing to write: no file, and the count says so.
        Run r = customers(a, {QStringLiteral("export"), csv});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QStringLiteral("0"));
        QVERIFY(!QFile::exists(csv));

        r = customers(a, {QStringLiteral("import"), QStringLiteral(SD_TEST_DATA_DIR "/customers_excel_sjis.csv"),
                          QStringLiteral("--folder"), QStringLiteral("1"), QStringLiteral("--column"),
                          QStringLiteral("4=姓ふりがな"), QStringLiteral("--column"), QStringLiteral("5=2")});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(r.out, QStringLiteral("3"));

        r = customers(a, {QStringLiteral("export"), csv});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(r.out, QStringLiteral("3"));
        const QStringList lines = fromCp932(readTestFile(csv)).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines[0], QStringLiteral("\"姓ふりがな\",\"名ふりがな\",\"姓\",\"名\",\"性別\",\"生年月日\",\"会社名\",\"部署\","
                                          "\"郵便番号\",\"住所1\",\"住所2\",\"住所3\",\"電話番号\",\"FAX番号\","
                                          "\"携帯電話番号\",\"E_Mail\",\"URL\""));
        QVERIFY2(lines[1].startsWith(QStringLiteral("\"やまだ\",\"たろう\",\"山田\",\"太郎\",\"\",\"1970/4/1\"")), qPrintable(lines[1]));
        QVERIFY(lines[3].contains(QStringLiteral("\"５～７丁目 ①号棟\"")));

        // Into a second office: the same number of customers arrives.
        const QString b = initDir(tmp, "b");
        r = customers(b, {QStringLiteral("import"), csv});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(r.out, QStringLiteral("3"));
        r = customers(b, {QStringLiteral("export"), tmp.filePath(QStringLiteral("b.csv")), QStringLiteral("--utf8")});
        QCOMPARE(r.out, QStringLiteral("3"));
        const QByteArray raw = readTestFile(tmp.filePath(QStringLiteral("b.csv")));
        QVERIFY(raw.startsWith("\xEF\xBB\xBF"));
        const QString utf8 = QString::fromUtf8(raw);
        // The readings were not assigned this time: the header guess leaves them out.
        QVERIFY(utf8.contains(QStringLiteral("\"\",\"\",\"山田\",\"太郎\"")));
    }

    void badInputIsRefusedAndLeavesNothing()
    {
        QTemporaryDir tmp;
        const QString dir = initDir(tmp, "d");
        const QString broken = tmp.filePath(QStringLiteral("broken.csv"));
        QVERIFY(writeTestFile(broken, "姓,名\n一,二\n\"三,四\n"));
        Run r = customers(dir, {QStringLiteral("import"), broken});
        QVERIFY(r.code != 0);
        QVERIFY2(r.err.contains(QStringLiteral("3 行目")), qPrintable(r.err));
        r = customers(dir, {QStringLiteral("export"), tmp.filePath(QStringLiteral("x.csv"))});
        QCOMPARE(r.out, QStringLiteral("0"));

        r = customers(dir, {QStringLiteral("import"), QStringLiteral(SD_TEST_DATA_DIR "/customers_excel_sjis.csv"),
                            QStringLiteral("--folder"), QStringLiteral("99")});
        QVERIFY(r.code != 0);
        QVERIFY(r.err.contains(QStringLiteral("F_ID=99")));
        r = customers(dir, {QStringLiteral("import"), QStringLiteral(SD_TEST_DATA_DIR "/customers_excel_sjis.csv"),
                            QStringLiteral("--column"), QStringLiteral("40=姓")});
        QCOMPARE(r.code, 2);
        r = customers(dir, {QStringLiteral("frobnicate"), QStringLiteral("x")});
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains(QStringLiteral("customers import")));
        // A file with no header the rules know, and no columns assigned.
        const QString bare = tmp.filePath(QStringLiteral("bare.csv"));
        QVERIFY(writeTestFile(bare, "a,b\nc,d\n"));
        r = customers(dir, {QStringLiteral("import"), bare});
        QVERIFY(r.code != 0);
        r = customers(dir, {QStringLiteral("import"), bare, QStringLiteral("--column"), QStringLiteral("1=3")});
        QCOMPARE(r.out, QStringLiteral("2"));  // no header recognised: the first line is a customer too
    }
};

QTEST_GUILESS_MAIN(TestCliCustomers)
#include "tst_clicustomers.moc"
