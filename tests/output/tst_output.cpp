#include "FakeViewer.h"
#include "LibreOffice.h"
#include "ProjectData.h"
#include "Recordset.h"
#include "PageConditions.h"
#include "SafeFile.h"
#include "ShikkuHuseExcel.h"
#include "SinseiExcelOutRtn.h"
#include "TestSupport.h"
#include "XlsxWorkbook.h"
#include "ZipEntries.h"

#include <QtTest>

namespace {

using ZipEntries::entry;

void touch(const QString& path, const QByteArray& content = "x")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    writeBytes(path, content);
}

// The mark LibreOffice leaves beside a file it has open.
void lock(const QString& path)
{
    const QFileInfo fi(path);
    touch(fi.absolutePath() + QStringLiteral("/.~lock.") + fi.fileName() + QLatin1Char('#'));
}

QString sickCell(const QString& path, const QString& address)
{
    XlsxWorkbook book;
    XlsxCell c;
    if (!book.open(path) || !book.readCell(ShikkuHuseExcel::kSheet, address, &c))
        return QStringLiteral("<%1>").arg(book.errorString());
    return c.value;
}

ProjectData sickProject()
{
    ProjectData p;
    p.bid = 7;
    put(p.gaiyou, {{"Buken", "山田邸"}, {"Name1", "青空設計事務所"}, {"Name2", "設計　太郎"}});
    return p;
}

}  // namespace

// The output driver on the real template: the project comes from the
// database, the result is read back from the saved copy.
class TestOutput : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TempAppDir> m_app;
    QString m_template;

    bool set(qint64 bid, const QString& table, int row, const QVariantHash& values)
    {
        Recordset rs(m_app->storage(), DbFile::Kakunin);
        if (!rs.open(table, QStringLiteral("B_ID"), bid))
            return false;
        rs.moveTo(row - 1);
        for (auto it = values.begin(); it != values.end(); ++it)
            if (!rs.setValue(it.key(), it.value()))
                return false;
        return rs.update();
    }

    qint64 newProject(int buildings)
    {
        const qint64 bid = ::newProject(m_app->storage());
        set(bid, QStringLiteral("GAIYOU"), 1,
            {{"Kouji", "出力試験工事"}, {"Buken", "試験邸"}, {"Name7", "試験太郎"}, {"Addr6", "東京都千代田区1-1"}});
        set(bid, QStringLiteral("SHIKICHI"), 1, {{"Tou1", QString::number(buildings)}});
        for (int b = 1; b <= 3; ++b)
            set(bid, QStringLiteral("TATEMONOBETU"), b, {{"Kai30", QString::number(b * 2)}, {"Kai31", "1"}});
        return bid;
    }

    ProjectData load(qint64 bid)
    {
        ProjectData p;
        QString error;
        if (!ProjectData::load(m_app->storage(), bid, &p, &error))
            qFatal("load: %s", qPrintable(error));
        return p;
    }

    static QString text(XlsxWorkbook& book, const QString& sheet, const char* address)
    {
        XlsxCell c;
        book.readCell(sheet, QString::fromLatin1(address), &c);
        return c.formula.isEmpty() ? c.value : QLatin1Char('=') + c.formula;
    }

private slots:
    void init()
    {
        m_app = std::make_unique<TempAppDir>();
        QVERIFY(m_app->isValid());
        m_template = SinseiExcelOutRtn::templatePath();
        QVERIFY(QFile::copy(QStringLiteral(SD_TEMPLATE_PATH), m_template));
    }
    void cleanup() { m_app.reset(); }

    void fillsTheWorkbook_data()
    {
        QTest::addColumn<int>("buildings");
        QTest::addColumn<QString>("i215");
        QTest::newRow("one building") << 1 << "=G215";
        QTest::newRow("two buildings") << 2 << "4";
        QTest::newRow("three buildings") << 3 << "6";
    }
    void fillsTheWorkbook()
    {
        QFETCH(int, buildings);
        QFETCH(QString, i215);
        const ProjectData p = load(newProject(buildings));
        QCOMPARE(p.buildingCount, buildings);
        const QString out = m_app->file(QStringLiteral("out.xlsx"));
        QString error;
        QVERIFY2(SinseiExcelOutRtn::fillWorkbook(p, 0, m_template, out, &error), qPrintable(error));

        XlsxWorkbook book;
        QVERIFY(book.open(out));
        QStringList cells;
        for (const char* address : {"C39", "D44", "I215", "G993", "C301", "C857"})
            cells << text(book, QStringLiteral("データ入力１"), address);
        // The last two are floor page flags: building 1 has 2 + 1 floors.
        QCOMPARE(cells, (QStringList{"出力試験工事", "試験太郎", i215, buildings >= 2 ? "4" : "", "0", "1"}));
        // Every conditional page is hidden exactly when the project lacks
        // what it is for; the first building's pages always print.
        PageConditions pages;
        QVERIFY2(pages.load(book, &error), qPrintable(error));
        QVERIFY(pages.pages().size() > 30);
        int shownBuildingPages = 0;
        for (const PageConditions::Page& page : pages.pages()) {
            bool first = false, last = true;
            QVERIFY(book.isRowHidden(page.sheet, page.first, &first) && book.isRowHidden(page.sheet, page.last, &last));
            QVERIFY2(first == !PageConditions::holds(page.key, p) && last == first, qPrintable(page.key));
            // The plan change repeats the application's building pages.
            if (page.key.startsWith(QLatin1String("building:")) && !first && page.sheet == QStringLiteral("確認申請"))
                ++shownBuildingPages;
        }
        QCOMPARE(shownBuildingPages, buildings);
        QCOMPARE(book.activeSheet(), QStringLiteral("確認申請"));
        // Excel computes afresh on opening; a viewer that does not finds the values.
        QVERIFY(entry(out, "xl/workbook.xml").contains("fullCalcOnLoad=\"1\""));
        QVERIFY(entry(out, "xl/worksheets/sheet2.xml").contains("</f><v>"));
    }

    void selectsTheDocumentsSheet()
    {
        const ProjectData p = load(newProject(1));
        QByteArray inputOfFirst;
        for (int d = 0; d < SinseiExcelOutRtn::documentNames().size(); ++d) {
            const QString out = m_app->file(QStringLiteral("doc%1.xlsx").arg(d));
            QString error;
            QVERIFY2(SinseiExcelOutRtn::fillWorkbook(p, d, m_template, out, &error), qPrintable(error));
            XlsxWorkbook book;
            QVERIFY(book.open(out));
            QCOMPARE(book.activeSheet(), SinseiExcelOutRtn::documentNames().at(d));
            // Every document fills the same input sheet; only the shown sheet differs.
            if (d == 0)
                inputOfFirst = entry(out, "xl/worksheets/sheet1.xml");
            QCOMPARE(entry(out, "xl/worksheets/sheet1.xml"), inputOfFirst);
        }
        for (const auto& [name, index] : {std::pair{"記録", 11}, {"3", 3}, {"12", -1}, {"シックハウスExcel", -1}})
            QCOMPARE(SinseiExcelOutRtn::documentIndex(QString::fromUtf8(name)), index);
        const QStringList all{"データ入力１", "完了申請", "完了申請四面"};
        QCOMPARE(SinseiExcelOutRtn::printedSheets(6, all), (QStringList{"完了申請", "完了申請四面"}));
        QCOMPARE(SinseiExcelOutRtn::printedSheets(-1, all), (QStringList{"完了申請", "完了申請四面"}));
        const QStringList withAnnex = all + QStringList{"別紙", "頁条件", "枠", "様式一覧"};
        QCOMPARE(SinseiExcelOutRtn::printedSheets(0, withAnnex), (QStringList{"確認申請", "別紙"}));
        QCOMPARE(SinseiExcelOutRtn::printedSheets(-1, withAnnex), (QStringList{"完了申請", "完了申請四面", "別紙"}));
    }

    void outputShowsTheCopyAndClosesTheEarlierOne()
    {
        ScriptedPrompter prompter;
        FakeViewer viewer;
        SinseiExcelOutRtn out(&viewer);
        const ProjectData p = load(newProject(2));
        QString error;
        QVERIFY2(out.output(p, 2, &error), qPrintable(error));
        QCOMPARE(viewer.shown, QStringList{SinseiExcelOutRtn::outputPath()});
        QCOMPARE(out.lastOutputPath(), SinseiExcelOutRtn::outputPath());
        QVERIFY(prompter.shown.isEmpty());

        // The user closed the viewer: nothing to close before the next output.
        QVERIFY(out.output(p, 0, &error));
        QCOMPARE(viewer.closed, 0);
        // Still open: the viewer is closed (nothing saved) and a fresh copy opened.
        lock(SinseiExcelOutRtn::outputPath());
        QVERIFY2(out.output(p, 11, &error), qPrintable(error));
        QCOMPARE(viewer.closed, 1);
        QCOMPARE(viewer.shown.size(), 3);
        XlsxWorkbook book;
        QVERIFY(book.open(SinseiExcelOutRtn::outputPath()));
        QCOMPARE(book.activeSheet(), QStringLiteral("記録"));
        QVERIFY(prompter.shown.isEmpty());
    }

    void failuresAreReported()
    {
        ScriptedPrompter prompter;
        FakeViewer viewer;
        const ProjectData p = load(newProject(1));
        QString error;
        auto failsWithEngineError = [&]() {
            SinseiExcelOutRtn out(&viewer);
            QVERIFY(!out.output(p, 0, &error));
            QCOMPARE(prompter.texts(), QStringList{"Excelがインストールされていません。　処理を中断します。"});
            QCOMPARE(prompter.shown[0].title, QStringLiteral("EXCELエラー"));
            prompter.clear();
        };

        // A copy that another program holds open.
        lock(SinseiExcelOutRtn::outputPath());
        QFile(SinseiExcelOutRtn::outputPath()).open(QIODevice::WriteOnly);
        failsWithEngineError();
        QVERIFY(error.contains(QStringLiteral("開かれています")));
        QCOMPARE(viewer.closed, 0);
        QFile::remove(m_app->file(QStringLiteral(".~lock.確認申請書.xlsx#")));

        // The viewer does not start.
        viewer.fail = true;
        failsWithEngineError();
        viewer.fail = false;

        // A template that is not a workbook, or lacks the input sheet.
        writeBytes(m_template, "broken");
        failsWithEngineError();
        const QString renamed = m_app->file(QStringLiteral("renamed.xlsx"));
        ZipEntries::Entries parts = ZipEntries::read(QStringLiteral(SD_TEMPLATE_PATH), false);
        parts[QStringLiteral("xl/workbook.xml")].replace("name=\"データ入力１\"", "name=\"入力\"");
        QVERIFY(ZipEntries::write(renamed, parts));
        QVERIFY(!SinseiExcelOutRtn::fillWorkbook(p, 0, renamed, m_app->file(QStringLiteral("x.xlsx")), &error)
                && error.contains(QStringLiteral("データ入力１")));

        // No template at all: the warning, and nothing else happens.
        QFile::remove(m_template);
        const int shownBefore = viewer.shown.size();
        {
            SinseiExcelOutRtn out(&viewer);
            QVERIFY(!out.output(p, 0, &error));
        }
        QCOMPARE(prompter.texts(), QStringList{"必要とするシステムファイルが存在しません。"});
        QCOMPARE(prompter.shown[0].title, QStringLiteral("警告"));
        QCOMPARE(viewer.shown.size(), shownBefore);
    }

    void pdfWithoutLibreOffice()
    {
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", m_app->path().toLocal8Bit());
        QString error;
        const bool ok = SinseiExcelOutRtn::renderPdf(m_template, m_app->file(QStringLiteral("a.pdf")), 0, &error);
        qputenv("PATH", path);
        QVERIFY2(!ok && error.contains(QStringLiteral("LibreOffice がインストールされていません")), qPrintable(error));
    }

    void libreOfficeProfileIsJapanese()
    {
        const QString dir = m_app->file(QStringLiteral("lo-profile"));
        const QString xcu = dir + QStringLiteral("/user/registrymodifications.xcu");
        auto read = [&] { return QString::fromUtf8(readBytes(xcu)); };
        auto value = [](const QString& xml, const QString& path, const QString& name) {
            const QRegularExpression item(QStringLiteral("<item oor:path=\"%1\"><prop oor:name=\"%2\" oor:op=\"fuse\"><value>([^<]*)</value>")
                                              .arg(QRegularExpression::escape(path), name));
            QStringList found;
            for (auto it = item.globalMatch(xml); it.hasNext();)
                found << it.next().captured(1);
            return found;
        };
        const QString linguistic = QStringLiteral("/org.openoffice.Office.Linguistic/General");
        const QString l10n = QStringLiteral("/org.openoffice.Setup/L10N");
        QVERIFY(LibreOffice::prepareProfile(dir).endsWith(QStringLiteral("/lo-profile")));
        QString xml = read();
        auto locales = [&] {
            return value(xml, linguistic, QStringLiteral("UILocale")) + value(xml, linguistic, QStringLiteral("DefaultLocale_CJK"))
                + value(xml, l10n, QStringLiteral("ooSetupSystemLocale"));
        };
        QCOMPARE(locales(), (QStringList{"ja", "ja-JP", "ja-JP"}));

        // A profile of an earlier release, since written back by LibreOffice
        // with the user's own choice of locale: what is missing comes in
        // once, the choice stays.
        xml.remove(QRegularExpression(QStringLiteral("<item [^\\n]*DefaultLocale_CJK[^\\n]*\\n")));
        xml.replace(QStringLiteral("<value>ja-JP</value>"), QStringLiteral("<value>en-US</value>"));
        QVERIFY(SafeFile::write(xcu, xml.toUtf8(), nullptr));
        LibreOffice::prepareProfile(dir);
        LibreOffice::prepareProfile(dir);
        xml = read();
        QCOMPARE(locales(), (QStringList{"ja", "ja-JP", "en-US"}));
        QCOMPARE(xml.count(QStringLiteral("\"FirstRun\"")), 1);
        QVERIFY(xml.trimmed().endsWith(QStringLiteral("</oor:items>")));
    }

    void commandLine()
    {
        const qint64 bid = newProject(1);
        m_app->storage().closeAll();
        auto run = [&](const QStringList& args) {
            return runProcess(QStringLiteral(SD_CLI_PATH), QStringList{"--appdir", m_app->path()} + args);
        };
        const QString out = m_app->file(QStringLiteral("cli.xlsx"));
        auto r = run({"output", QString::number(bid), "工事届", "--out", out});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        XlsxWorkbook book;
        QVERIFY(book.open(out));
        QCOMPARE(book.activeSheet(), QStringLiteral("工事届"));
        QCOMPARE(text(book, QStringLiteral("データ入力１"), "C40"), QStringLiteral("試験邸"));
        book.close();

        r = run({"output", QString::number(bid), "台帳２", "--out", out});
        QVERIFY2(r.code == 2 && r.err.contains(QStringLiteral("台帳２")), qPrintable(r.err));
        QCOMPARE(run({"output", QString::number(bid), "0"}).code, 2);
        QCOMPARE(run({"output", "9999", "0", "--out", out}).code, 1);
        // A template lost from the folder comes back from the program's own.
        QFile::remove(m_template);
        r = run({"output", QString::number(bid), "0", "--out", out});
        QVERIFY2(r.code == 0 && r.err.contains(QStringLiteral("を用意しました")), qPrintable(r.err));
        QVERIFY(QFile::exists(m_template));
    }

    // The sick-house check workbook: numbered copies of its template, filled from the project.
    void aNewCopyGetsTheProjectsData()
    {
        QVERIFY(QFile::copy(QStringLiteral(SD_SICK_TEMPLATE_PATH), ShikkuHuseExcel::templatePath()));
        QCOMPARE(QFileInfo(ShikkuHuseExcel::nextCopyPath(m_app->file(QStringLiteral("無い")))).fileName(),
                 QStringLiteral("シックハウス基準001.xlsx"));
        // An earlier copy 002 stays as it is; the new one takes the first free number.
        const QString earlier = ShikkuHuseExcel::copyPath(ShikkuHuseExcel::copyFolder(), 2);
        touch(earlier, "earlier");
        FakeViewer viewer;
        ShikkuHuseExcel sick(&viewer);
        QString created;
        QString error;
        QVERIFY2(sick.createNew(sickProject(), QDate(2005, 4, 1), &created, &error), qPrintable(error));
        QCOMPARE(created, ShikkuHuseExcel::copyPath(ShikkuHuseExcel::copyFolder(), 1));
        QCOMPARE(viewer.shown, QStringList{created});
        QCOMPARE(sick.lastCopyPath(), created);
        QString filled;
        for (const char* address : {"E3", "E5", "I4", "I5"})
            filled += sickCell(created, QString::fromLatin1(address)) + u'|';
        QCOMPARE(filled, QStringLiteral("平成17年04月01日|山田邸|青空設計事務所|設計　太郎|"));
        QCOMPARE(readBytes(earlier), QByteArray("earlier"));
        // The template itself is never written, and ships with the filled cells empty.
        for (const char* address : {"E3", "E5", "I4", "I5"})
            QVERIFY2(sickCell(ShikkuHuseExcel::templatePath(), QString::fromLatin1(address)).isEmpty(), address);

        // Still open in the viewer: the next new copy closes it first.
        lock(created);
        QVERIFY(sick.createNew(sickProject(), QDate(2019, 5, 1), &created, &error));
        QCOMPARE(viewer.closed, 1);
        QCOMPARE(QFileInfo(created).fileName(), QStringLiteral("シックハウス基準003.xlsx"));
        QCOMPARE(sickCell(created, QStringLiteral("E3")), QStringLiteral("令和元年05月01日"));
    }

    void aSavedCopyOpensAsItIs()
    {
        QVERIFY(QFile::copy(QStringLiteral(SD_SICK_TEMPLATE_PATH), ShikkuHuseExcel::templatePath()));
        FakeViewer viewer;
        ShikkuHuseExcel sick(&viewer);
        QString created;
        QString error;
        QVERIFY(sick.createNew(sickProject(), QDate(2024, 6, 3), &created, &error));
        const QByteArray bytes = readBytes(created);
        QVERIFY(!bytes.isEmpty());
        viewer.shown.clear();

        QVERIFY2(sick.run(sickProject(), created, QDate(2030, 1, 1), &error), qPrintable(error));
        QCOMPARE(viewer.shown, QStringList{created});
        QCOMPARE(readBytes(created), bytes);

        QVERIFY(!sick.openSaved(m_app->file(QStringLiteral("SHIC/ない.xlsx")), &error) && error.contains(QStringLiteral("見つかりません")));
        QCOMPARE(viewer.shown.size(), 1);
    }

    void aMissingTemplateWarnsAndMakesNothing()
    {
        ScriptedPrompter prompter;
        FakeViewer viewer;
        ShikkuHuseExcel sick(&viewer);
        QString error;
        QVERIFY(!sick.run(sickProject(), QString(), QDate(2024, 6, 3), &error));
        QCOMPARE(prompter.texts(), QStringList{"必要とするシステムファイルが存在しません。"});
        QCOMPARE(prompter.shown.first().title, QStringLiteral("警告"));
        QVERIFY(viewer.shown.isEmpty());
        QVERIFY(!QFileInfo::exists(ShikkuHuseExcel::copyPath(ShikkuHuseExcel::copyFolder(), 1)));
    }

    void theTemplateIsACheckSheet()
    {
        XlsxWorkbook book;
        QVERIFY(book.open(QStringLiteral(SD_SICK_TEMPLATE_PATH)));
        QCOMPARE(book.sheetNames().value(0), ShikkuHuseExcel::kSheet);
        QCOMPARE(book.activeSheet(), ShikkuHuseExcel::kSheet);
        for (const char* s : {"換気計算", "内装仕上げ", "建材一覧", "チェックリスト"})
            QVERIFY2(book.hasSheet(QString::fromUtf8(s)), s);
        XlsxCell c;
        // The required ventilation and the formaldehyde area check compute from the entries.
        for (const auto& [sheet, address, part] : {std::tuple{"換気計算", "I8", "G8*H8"}, {"換気計算", "H8", "0.5"},
                                                   {"換気計算", "H8", "0.3"}, {"内装仕上げ", "L8", "J8<=D8"}})
            QVERIFY2(book.readCell(QString::fromUtf8(sheet), QString::fromLatin1(address), &c)
                         && c.formula.contains(QLatin1String(part)), address);
    }
};

QTEST_GUILESS_MAIN(TestOutput)
#include "tst_output.moc"
