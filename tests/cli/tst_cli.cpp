#include "Recordset.h"
#include "TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

// The batch tool as a user runs it: a process with arguments and exit codes.
class TestCli : public QObject {
    Q_OBJECT

private:
    using Run = ProcessRun;
    static Run run(const QStringList& args) { return runProcess(QStringLiteral(SD_CLI_PATH), args); }

    // The tool run by an ordinary user, for whom file permissions count:
    // root (as the tests run here) writes anything, so it runs as nobody.
    static Run runUnprivileged(const QStringList& args)
    {
        if (geteuid() != 0)
            return run(args);
        return runProcess(QStringLiteral("runuser"), QStringList{"-u", "nobody", "--",
                                                                 QStringLiteral(SD_CLI_PATH)} + args);
    }
    static void giveToUnprivileged(const QString& path)
    {
        if (geteuid() != 0)
            return;
        QVERIFY(::chown(QFile::encodeName(path).constData(), 65534, 65534) == 0);
        QDirIterator it(path, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            QVERIFY(::chown(QFile::encodeName(it.next()).constData(), 65534, 65534) == 0);
    }
    static void chmodPath(const QString& path, mode_t mode)
    {
        QVERIFY(::chmod(QFile::encodeName(path).constData(), mode) == 0);
    }
    // An application directory made by init, in a folder that others may
    // enter, with one project when its number is asked for.
    static QString makeAppDir(QTemporaryDir& tmp, QString* bid, const char* name = "app")
    {
        chmodPath(tmp.path(), 0755);
        const QString dir = tmp.filePath(QString::fromLatin1(name));
        const Run init = run({"--appdir", dir, "init"});
        if (init.code != 0)
            qWarning("%s", qPrintable(init.err));
        if (bid)
            *bid = run({"--appdir", dir, "project", "new"}).out.trimmed();
        return dir;
    }
    // "customers import" and "customers export" as a batch job runs them: the count on a line of its own.
    static Run customers(const QString& dir, const QStringList& args)
    {
        Run r = run(QStringList{"--appdir", dir, "customers"} + args);
        r.out = r.out.trimmed();
        return r;
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

private slots:
    void initMakesAReadyApplicationDirectory()
    {
        QTemporaryDir tmp;
        const QString dir = tmp.filePath(QStringLiteral("新しい事務所/data"));
        const Run r = run({"--appdir", dir, "init"});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        for (const char* f : {"kakunin.db", "masterdata.db", "saledata.db", "optiondata.db", "anotheroption.db",
                              "postdb.db", "maildata.db"})
            QVERIFY2(QFile::exists(QDir(dir).filePath(QString::fromLatin1(f))), f);
        QCOMPARE(run({"--appdir", dir, "init"}).code, 0);  // a second init leaves everything as it is
    }

    void usageAndErrors()
    {
        const Run help = run({"--help"});
        QVERIFY2(help.code == 0 && help.out.contains(QStringLiteral("init")), qPrintable(help.err));
        QVERIFY(run({"--appdir", QDir::tempPath(), "frobnicate"}).err.contains(QStringLiteral("frobnicate")));
        // The last: a folder that cannot be created is reported, not ignored.
        QTemporaryDir tmp;
        writeBytes(tmp.filePath(QStringLiteral("file")), {});
        for (const QStringList& args : {QStringList{}, QStringList{"--appdir", QDir::tempPath(), "frobnicate"},
                                        QStringList{"--appdir"}, QStringList{"--appdir", tmp.filePath("file/sub"), "init"}}) {
            const Run r = run(args);
            QVERIFY2(r.code != 0 && !r.err.isEmpty(), qPrintable(args.join(QLatin1Char(' '))));
        }
    }

    // get and list print one line per value whatever the value holds; set
    // reads the same escapes, so a value goes out and back unchanged.
    void valuesAreEscapedAndRoundTrip()
    {
        QTemporaryDir tmp;
        QString bid;
        const QString dir = makeAppDir(tmp, &bid);
        const QStringList at{"--appdir", dir, "project"};
        const QString forged = QStringLiteral("山田邸\nBuken=偽物");
        // Typed for set: the backslash doubled, the control characters as they are.
        const QString awkward = QStringLiteral("C:\\\\図面\t1階\r\x01") + QChar(0x2028) + QStringLiteral("終");
        QCOMPARE(run(at + QStringList{"set", bid, "GAIYOU", "Kouji=" + forged, "Buken=" + awkward}).code, 0);
        const Run got = run(at + QStringList{"get", bid, "GAIYOU", "Kouji", "Buken"});
        QCOMPARE(got.code, 0);
        QCOMPARE(got.out, QStringLiteral("Kouji=山田邸\\nBuken=偽物\nBuken=C:\\\\図面\\t1階\\r\\x01\\u2028終\n"));
        const Run listed = run(at + QStringList{"list"});
        QCOMPARE(listed.out.count(QLatin1Char('\n')), 1);
        QVERIFY(listed.out.endsWith(QStringLiteral("\t山田邸\\nBuken=偽物\n")));

        // What get printed, given to set, stores the same value again.
        const QString asKouji = QStringLiteral("Kouji=") + got.out.split(QLatin1Char('\n')).at(1).mid(6);
        QCOMPARE(run(at + QStringList{"set", bid, "GAIYOU", asKouji}).code, 0);
        QCOMPARE(run(at + QStringList{"get", bid, "GAIYOU", "Kouji"}).out, asKouji + QLatin1Char('\n'));
        // A backslash that starts no escape is refused, not stored half-read.
        const Run bad = run(at + QStringList{"set", bid, "GAIYOU", "Kouji=C:\\foo"});
        QVERIFY2(bad.code == 2 && bad.err.contains(QStringLiteral("バックスラッシュ")), qPrintable(bad.err));

        // A project goes only into a folder that exists.
        const Run nowhere = run(at + QStringList{"new", "--folder", "999"});
        QVERIFY2(nowhere.code == 1 && nowhere.err.contains(QStringLiteral("F_ID=999")), qPrintable(nowhere.err));
        QCOMPARE(run(at + QStringList{"list"}).out.count(QLatin1Char('\n')), 1);
    }

    void emptyAppDirAndDamagedDatabasesStopTheCommand()
    {
        for (const QStringList& args : {QStringList{"--appdir", QString(), "init"},
                                        QStringList{"--appdir=", "project", "list"}}) {
            const Run r = run(args);
            QVERIFY2(r.code == 2 && r.err.contains(QStringLiteral("--appdir に空のフォルダ名")), qPrintable(r.err));
        }

        QTemporaryDir tmp;
        QString bid;
        const QString dir = makeAppDir(tmp, &bid);
        const QString kakunin = QDir(dir).filePath(QStringLiteral("kakunin.db"));
        {
            // A damaged b-tree page behind an intact first page.
            QFile f(kakunin);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.seek(4096));
            f.write(QByteArray("\x0d\xff\xff\xff\xff\xff\xff\xff", 8));
        }
        const Run init = run({"--appdir", dir, "init"});
        QVERIFY2(init.code == 1 && init.err.contains(kakunin) && init.err.contains(QStringLiteral("壊れて")), qPrintable(init.err));
        QVERIFY(!init.out.contains(QStringLiteral("初期化しました")));
    }

    // A folder or file the user may not write: reading goes on, writing
    // fails naming what is in the way; a -shm left read-only by a read-only
    // database does not block writes once the database is writable again.
    void readOnlyFoldersAndFiles()
    {
        QTemporaryDir tmp;
        QString bid;
        const QString dir = makeAppDir(tmp, &bid);
        QVERIFY(run({"--appdir", dir, "project", "set", bid, "GAIYOU", "Kouji=読める"}).code == 0);
        const QStringList project{"--appdir", dir, "project"};
        const QStringList write = project + QStringList{"set", bid, "GAIYOU", "Kouji=書く"};

        chmodPath(dir, 0555);
        const Run listed = runUnprivileged(project + QStringList{"list"});
        QVERIFY2(listed.code == 0 && listed.out.contains(QStringLiteral("読める")), qPrintable(listed.err));
        QCOMPARE(runUnprivileged(project + QStringList{"get", bid, "GAIYOU", "Kouji"}).out,
                 QStringLiteral("Kouji=読める\n"));
        const Run refused = runUnprivileged(write);
        QVERIFY2(refused.code == 1 && refused.err.contains(QStringLiteral("アプリケーションフォルダ「%1」に書き込めない").arg(dir)),
                 qPrintable(refused.err));
        QVERIFY(!refused.err.contains(QStringLiteral("init")));
        chmodPath(dir, 0755);

        giveToUnprivileged(dir);
        const QString kakunin = QDir(dir).filePath(QStringLiteral("kakunin.db"));
        const QString shm = kakunin + QStringLiteral("-shm");
        chmodPath(kakunin, 0444);
        QCOMPARE(runUnprivileged(project + QStringList{"list"}).code, 0);
        QVERIFY(!QFileInfo::exists(shm) || (QFileInfo(shm).permissions() & QFile::WriteOwner));
        chmodPath(kakunin, 0644);
        // As an older version left it: the -shm with the file's read-only mode.
        writeBytes(shm, {});
        giveToUnprivileged(dir);
        chmodPath(shm, 0444);
        const Run written = runUnprivileged(write);
        QVERIFY2(written.code == 0, qPrintable(written.err));

        if (geteuid() != 0)
            QSKIP("a -shm of another owner needs root to set up");
        writeBytes(shm, {});
        QVERIFY(::chown(QFile::encodeName(shm).constData(), 0, 0) == 0);
        chmodPath(shm, 0444);
        const Run blocked = runUnprivileged(write);
        QVERIFY2(blocked.code == 1 && blocked.err.contains(QStringLiteral("「%1」に書き込めません").arg(shm)), qPrintable(blocked.err));
    }

    // Outputs never replace the office's databases, templates or settings,
    // however the path reaches them; a failed write keeps the earlier file.
    void outputsKeepTheOfficesFilesAndEarlierOutputs()
    {
        TempAppDir app;
        const QString appDir = app.path();
        QVERIFY(QFile::copy(QStringLiteral(SD_TEMPLATE_PATH), app.file(QStringLiteral("確認申請.xlsx"))));
        const Run created = run({"--appdir", appDir, "project", "new"});
        QVERIFY2(created.code == 0, qPrintable(created.err));
        const QString bid = created.out.trimmed();
        QTemporaryDir out;
        const QString link = out.filePath(QStringLiteral("link"));
        QVERIFY(QFile::link(appDir, link));
        QVERIFY(QDir(out.path()).mkdir(QStringLiteral("sub")));
        // A link into a folder of the application folder: ".." goes up from its target.
        QVERIFY(QDir(appDir).mkdir(QStringLiteral("Photo")));
        QVERIFY(QFile::link(app.file(QStringLiteral("Photo")), out.filePath(QStringLiteral("photos"))));
        const QString viaUp = out.filePath(QStringLiteral("photos/../kakunin.db"));
        const QList<QStringList> refused{
            {"output", bid, "0", "--out", app.file("kakunin.db")},
            {"output", bid, "0", "--out", out.filePath("a.xlsx"), "--pdf", link + "/postdb.db"},
            {"output", bid, "0", "--out", link + "/確認申請.xlsx"},
            {"output", bid, "0", "--out", viaUp},
            {"customers", "export", out.filePath("sub/../link/saledata.db")},
            {"customers", "export", link + "/database.ini"},
            {"backup", app.file("KAKUNIN.DB-wal")},
        };
        for (const QStringList& args : refused) {
            const Run r = run(QStringList{"--appdir", appDir} + args);
            QVERIFY2(r.code == 2, qPrintable(args.join(QLatin1Char(' ')) + QLatin1Char('\n') + r.err));
            QVERIFY2(r.err.contains(QStringLiteral("このプログラムのデータファイル")), qPrintable(r.err));
        }
        QVERIFY(!QFile::exists(out.filePath(QStringLiteral("a.xlsx"))));
        const Run list = run({"--appdir", appDir, "project", "list"});
        QVERIFY2(list.code == 0 && list.out.startsWith(bid + QLatin1Char('\t')), qPrintable(list.err));

        // A file size limit stands for a full disk: write() fails with EFBIG.
        const QString earlier = out.filePath(QStringLiteral("earlier.xlsx"));
        writeBytes(earlier, "earlier");
        QVERIFY(QFileInfo(QStringLiteral(SD_TEMPLATE_PATH)).size() > 96 * 1024);
        const Run full = runProcess(QStringLiteral("/bin/bash"),
                                    {"-c", "trap '' XFSZ; ulimit -f 64; exec \"$0\" \"$@\"",
                                     QStringLiteral(SD_CLI_PATH), "--appdir", appDir, "output", bid,
                                     "0", "--out", earlier});
        QVERIFY2(full.code == 1 && full.err.contains(QStringLiteral("ファイルの大きさが上限を超えました")), qPrintable(full.err));
        QCOMPARE(readBytes(earlier), QByteArray("earlier"));
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"earlier.xlsx"});
        // Without the limit the same command replaces it.
        const Run ok = run({"--appdir", appDir, "output", bid, "0", "--out", earlier});
        QVERIFY2(ok.code == 0, qPrintable(ok.err));
        QVERIFY(QFileInfo(earlier).size() > 96 * 1024);
    }

    // Rows of the lists: appended, listed and removed by their ID.
    void childRowsAreAddedListedAndRemoved()
    {
        TempAppDir dir;
        const qint64 bid = newProject(dir.storage());
        const QStringList at{"--appdir", dir.path(), "project"};
        auto add = [&](const QStringList& args) {
            return run(at + QStringList{"add", QString::number(bid)} + args);
        };
        const Run first = add({"SEKKEIKANRI", "Kubun=2", "Name=監理 一郎"});
        const Run second = add({"sekkeikanri", "Kubun=2", "Name=監理 二郎"});
        QVERIFY2(first.code == 0 && second.code == 0, qPrintable(first.err + second.err));
        QVERIFY(second.out.trimmed().toLongLong() > first.out.trimmed().toLongLong());
        QCOMPARE(add({"DOKURITSU", "SU_NO=1", "NobeMen=120.50"}).code, 0);
        // What no window would store, or a row outside every list, is refused.
        for (const QStringList& bad : {QStringList{"DOKURITSU", "SU_NO=1", "Kai1=3階"},
                                       QStringList{"DOKURITSU", "NobeMen=1"},
                                       QStringList{"SEKKEIKANRI", "Kubun=5"},
                                       QStringList{"GAIYOU", "Kouji=x"}}) {
            const Run r = add(bad);
            QVERIFY2(r.code == 2 && !r.err.isEmpty(), qPrintable(bad.join(QLatin1Char(' ')) + r.out));
        }
        const Run listed = run(at + QStringList{"get", QString::number(bid), "SEKKEIKANRI", "--all", "Name"});
        QCOMPARE(listed.out, QStringLiteral("Name=監理 一郎\n\nName=監理 二郎\n"));

        const auto remove = [&](const QString& id) {
            return run(at + QStringList{"remove", QString::number(bid), "SEKKEIKANRI", id});
        };
        QCOMPARE(remove(first.out.trimmed()).code, 0);
        QCOMPARE(remove(first.out.trimmed()).code, 1);  // gone already
        QCOMPARE(run(at + QStringList{"get", QString::number(bid), "SEKKEIKANRI", "--all", "Name"}).out, QStringLiteral("Name=監理 二郎\n"));
        QCOMPARE(run(at + QStringList{"get", QString::number(bid), "DOKURITSU", "--all", "SU_NO"}).out, QStringLiteral("SU_NO=1\n"));
    }

    // Number columns take what a user could mean and refuse the rest,
    // keeping the stored value: no wrap-around, no silent rounding.
    void numberColumnsRefuseWhatTheyCannotHold()
    {
        TempAppDir dir;
        const qint64 bid = newProject(dir.storage());
        auto set = [&](const QString& value, const char* column = "Tosi1") {
            return run({"--appdir", dir.path(), "project", "set", QString::number(bid), "SHIKICHI",
                        QLatin1String(column) + QLatin1Char('=') + value});
        };
        auto stored = [&](const char* column = "Tosi1") {
            Recordset rs(dir.storage(), DbFile::Kakunin);
            return rs.open(QStringLiteral("SHIKICHI"), QStringLiteral("B_ID"), bid) ? rs.value(QLatin1String(column))
                                                                                      : QVariant(QStringLiteral("?"));
        };
        const QVector<QPair<QString, qint64>> good{{"42", 42}, {" -7 ", -7}, {"＋１２３", 123},
                                                   {"9223372036854775807", 9223372036854775807LL},
                                                   {"-9223372036854775808", qint64(-9223372036854775807LL - 1)}, {"5.00", 5}};
        for (const auto& [text, value] : good) {
            const Run r = set(text);
            QVERIFY2(r.code == 0, qPrintable(text + QLatin1Char(' ') + r.err));
            QCOMPARE(stored().toLongLong(), value);
        }
        for (const QString& bad : {QStringLiteral("1e308"), QStringLiteral("NaN"), QStringLiteral("inf"),
                                   QStringLiteral("9223372036854775808"), QStringLiteral("-9223372036854775809"),
                                   QStringLiteral("1.9"), QStringLiteral("0x10"), QStringLiteral("1,000")}) {
            const Run r = set(bad);
            QVERIFY2(r.code == 2, qPrintable(bad + QLatin1Char(' ') + r.err));
            QVERIFY2(r.err.contains(QStringLiteral("Tosi1")) && r.err.contains(bad), qPrintable(r.err));
            QCOMPARE(stored().toLongLong(), 5);
        }

        // Area text: what the site window's decimal filter would refuse.
        QCOMPARE(set(QStringLiteral("1,234.50"), "Size1").code, 0);
        for (const QString& bad : {QStringLiteral("NaN ㎡"), QStringLiteral("1e308"), QStringLiteral("12-3"), QStringLiteral("１２")}) {
            const Run r = set(bad, "Size1");
            QVERIFY2(r.code == 2 && r.err.contains(QStringLiteral("Size1")), qPrintable(bad + QLatin1Char(' ') + r.err));
        }
        QVERIFY(set(QStringLiteral("-0.5"), "Size1").code == 0);
        QCOMPARE(stored("Size1").toString(), QStringLiteral("-0.5"));
    }
    // 申請前チェック: one line per finding, the same as JSON, exit 1 while
    // errors remain and 0 once the project is complete; 2 for bad arguments.
    void checkListsFindingsAndSaysWhetherAnyIsAnError()
    {
        QTemporaryDir tmp;
        QString bid;
        const QString dir = makeAppDir(tmp, &bid);
        const QStringList base{"--appdir", dir};
        auto set = [&](const QString& table, const QStringList& values) {
            const Run r = run(base + QStringList{"project", "set", bid, table} + values);
            QVERIFY2(r.code == 0, qPrintable(r.err));
        };
        for (const QStringList& bad : {QStringList{"check"}, QStringList{"check", "x"},
                                       QStringList{"check", bid, "--xml"},
                                       QStringList{"check", "99999"}})
            QCOMPARE(run(base + bad).code, 2);

        Run r = run(base + QStringList{"check", bid});
        QVERIFY2(r.code == 1 && r.out.contains(QStringLiteral("エラー\tD-DESIGNER\tGAIYOU.Gou2\t")), qPrintable(r.out));

        set(QStringLiteral("GAIYOU"), {"Name7=山田太郎", "Post6=160-0023", "Addr6=東京都新宿区西新宿二丁目8番1号",
                                       "Name2=設計一郎", "Kyu2=一級", "Gou2=12345", "Name1=設計事務所", "Gou1=678",
                                       "Name3=設計一郎", "Kyu3=一級", "Gou3=12345", "Name5=代理三郎", "Gou5=111",
                                       "Tekihan3=1", "Shoene3=1", "ShoeneRiyu=第1号イに該当"});
        set(QStringLiteral("ININ"), {"Inin1=1"});
        set(QStringLiteral("SHIKICHI"), {"Tiban=新宿区西新宿二丁目8番1", "Tosi1=1", "Size5=150", "Par1=200", "Par5=60",
                                         "Kubun=08010", "Shubetu1=1", "Men1=70", "Men4=170", "Day1=2025/06/01",
                                         "Day2=2025/05/01", "Kin1=2500"});
        set(QStringLiteral("KOUJI"), {"ShuyouCHK1=1"});
        set(QStringLiteral("TATEMONOBETU"), {"Kubun30=08010", "Zou31=木造", "Kai30=1", "Takasa30=5", "Takasa31=4",
                                             "shubetu31=1", "Umu40=1", "Tokurei40=令第10条第3号", "Kai40=1階",
                                             "Men40=170", "Men58=170"});
        // A single-storey wooden house of 170 ㎡ is a 新3号 building: the
        // 特例 applies; only the dates are the wrong way round.
        r = run(base + QStringList{"check", bid, "--json"});
        QCOMPARE(r.code, 1);
        const QJsonArray all = QJsonDocument::fromJson(r.out.toUtf8()).array();
        QStringList errors, ids;
        for (const QJsonValue& v : all) {
            const QJsonObject o = v.toObject();
            for (const char* key : {"id", "severity", "rule", "basis", "message", "table", "field"})
                QVERIFY2(!o.value(QLatin1String(key)).toString().isEmpty(), key);
            ids << o.value(QStringLiteral("id")).toString();
            if (o.value(QStringLiteral("severity")).toString() == QLatin1String("error"))
                errors << o.value(QStringLiteral("id")).toString() + QLatin1Char('.') + o.value(QStringLiteral("field")).toString();
            if (o.value(QStringLiteral("id")).toString() == QLatin1String("CL-ITEM"))
                QCOMPARE(o.value(QStringLiteral("basis")).toString(), QStringLiteral("建築基準法第6条第1項第3号"));
        }
        QCOMPARE(errors, QStringList{"N-DATES.Day2"});
        QVERIFY(ids.contains(QStringLiteral("CL-EXEMPT")) && !ids.contains(QStringLiteral("D-POSTAL")));

        set(QStringLiteral("SHIKICHI"), {"Day2=2025/12/01"});
        r = run(base + QStringList{"check", bid});
        QVERIFY2(r.code == 0, qPrintable(r.out));
        QCOMPARE(r.out.count(QLatin1Char('\n')), all.size() - 1);  // one line per finding
    }

    void exportThenImportElsewhere()
    {
        QTemporaryDir tmp;
        const QString a = makeAppDir(tmp, nullptr, "a");
        const QString csv = tmp.filePath(QStringLiteral("顧客.csv"));
        Run r = customers(a, {"import", SD_TEST_DATA_DIR "/customers_excel_sjis.csv", "--folder", "1", "--column",
                              "4=姓ふりがな", "--column", "5=2"});
        QVERIFY2(r.code == 0 && r.out == QLatin1String("3"), qPrintable(r.err + r.out));
        r = customers(a, {"export", csv});
        QVERIFY2(r.code == 0 && r.out == QLatin1String("3"), qPrintable(r.err + r.out));
        const QStringList lines = fromCp932(readBytes(csv)).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 5);  // the header's text is CustomerCsv's, tested there
        QVERIFY2(lines[1].startsWith(QStringLiteral("\"やまだ\",\"たろう\",\"山田\",\"太郎\",\"\",\"1970/4/1\"")), qPrintable(lines[1]));
        QVERIFY(lines[3].contains(QStringLiteral("\"５～７丁目 ①号棟\"")));

        // Into a second office: the same number of customers arrives.
        const QString b = makeAppDir(tmp, nullptr, "b");
        r = customers(b, {"import", csv});
        QVERIFY2(r.code == 0 && r.out == QLatin1String("3"), qPrintable(r.err + r.out));
        r = customers(b, {"export", tmp.filePath(QStringLiteral("b.csv")), "--utf8"});
        QCOMPARE(r.out, QStringLiteral("3"));
        const QByteArray raw = readBytes(tmp.filePath(QStringLiteral("b.csv")));
        QVERIFY(raw.startsWith("\xEF\xBB\xBF"));
        const QString utf8 = QString::fromUtf8(raw);
        // The readings were not assigned this time: the header guess leaves them out.
        QVERIFY(utf8.contains(QStringLiteral("\"\",\"\",\"山田\",\"太郎\"")));
    }

    void badInputIsRefusedAndLeavesNothing()
    {
        QTemporaryDir tmp;
        const QString dir = makeAppDir(tmp, nullptr, "d");
        const QString broken = tmp.filePath(QStringLiteral("broken.csv"));
        writeBytes(broken, "姓,名\n一,二\n\"三,四\n");
        Run r = customers(dir, {"import", broken});
        QVERIFY2(r.code != 0 && r.err.contains(QStringLiteral("3 行目")), qPrintable(r.err));
        QCOMPARE(customers(dir, {"export", tmp.filePath(QStringLiteral("x.csv"))}).out, QStringLiteral("0"));
        r = customers(dir, {"import", SD_TEST_DATA_DIR "/customers_excel_sjis.csv", "--folder", "99"});
        QVERIFY2(r.code != 0 && r.err.contains(QStringLiteral("F_ID=99")), qPrintable(r.err));
        QCOMPARE(customers(dir, {"import", SD_TEST_DATA_DIR "/customers_excel_sjis.csv", "--column", "40=姓"}).code, 2);
        r = customers(dir, {"frobnicate", "x"});
        QVERIFY2(r.code == 2 && r.err.contains(QStringLiteral("customers import")), qPrintable(r.err));
        // A file with no header the rules know, and no columns assigned.
        QVERIFY(customers(dir, {"import", writeBytes(tmp.filePath(QStringLiteral("bare.csv")), "a,b\nc,d\n")}).code != 0);
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
