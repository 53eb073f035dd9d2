#include "BenchProject.h"
#include "LibreOffice.h"
#include "PdfPages.h"
#include "PortalItems.h"
#include "ShiftJis.h"
#include "TestSupport.h"
#include "SinseiExcelOutRtn.h"
#include "XlsxWorkbook.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// The faces of the forms as LibreOffice prints them: each item in the
// form's order with the project's value on its line, and nothing printed
// off its page or over another text. Two projects: one filled in memory
// for the people, inspection and notice faces, one typed in through the
// batch tool for the site, building, floor and part faces.
class TestPdfForms : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_xlsx;
    ProjectData m_project;
    CliProject m_p;

    static QString joined(const QVector<QStringList>& pages)
    {
        QString all;
        for (const QStringList& page : pages)
            all += page.join(QString());
        return all;
    }
    static int printed(const QVector<QStringList>& pages)
    {
        return static_cast<int>(std::count_if(pages.begin(), pages.end(), [](const QStringList& p) { return !p.isEmpty(); }));
    }

    // Every (item, value) in turn: the item on a line at or after the
    // previous one's, the value on that same line (or the next, for an
    // item whose value the form puts below it).
    static void expectInOrder(const QStringList& lines, const QVector<QPair<QString, QString>>& items)
    {
        int at = 0;
        for (const auto& [item, value] : items) {
            while (at < lines.size() && !lines[at].contains(item))
                ++at;
            QVERIFY2(at < lines.size(), qPrintable(QStringLiteral("item missing or out of order: ") + item));
            const QString rest = lines[at].mid(lines[at].indexOf(item) + item.size())
                + (at + 1 < lines.size() ? lines[at + 1] : QString());
            QVERIFY2(value.isEmpty() || rest.contains(value),
                     qPrintable(QStringLiteral("%1 is not beside %2: %3").arg(value, item, lines[at])));
            ++at;
        }
    }
    // No text leaves its page or lies over another on a line.
    static void expectPlaced(const QVector<PdfPage>& pages, int first, int last)
    {
        for (int n = first; n <= last && n < pages.size(); ++n)
            QVERIFY2(pages[n].misplaced(1.0).isEmpty(),
                     qPrintable(QStringLiteral("page %1: %2").arg(n + 1).arg(pages[n].misplaced(1.0))));
    }

    static RowValues person(int kubun, const QString& name, const QString& tosho)
    {
        RowValues r;
        put(r, {{"Kubun", kubun}, {"Name", name}, {"Kyu", "一級"}, {"Tiji", "大臣"}, {"Gou", "223344"},
                {"JimuName", name + QStringLiteral("設計室")}, {"Addr", "東京都千代田区丸の内一丁目"}, {"Tel", "03-5555-0000"},
                {"Tosho", tosho}});
        return r;
    }

    QString render(int doc, const QString& xlsx = QString())
    {
        const QString pdf = m_dir.filePath(QStringLiteral("doc%1%2.pdf").arg(doc).arg(xlsx.isEmpty() ? "" : "b"));
        QString error;
        return SinseiExcelOutRtn::renderPdf(xlsx.isEmpty() ? m_xlsx : xlsx, pdf, doc, &error) ? pdf : QString();
    }

    // A document of the typed-in project as a PDF, by the batch tool; empty on failure.
    QString renderTyped(const QString& document, const QString& name)
    {
        const QString pdf = m_dir.filePath(name + QStringLiteral(".pdf"));
        const CliRun r = m_p.run({"output", m_p.bid, document, "--out", m_dir.filePath(name + ".xlsx"), "--pdf", pdf}, 300000);
        if (r.code != 0)
            qWarning("%s", qPrintable(r.err));
        return r.code == 0 ? pdf : QString();
    }
    // The text of the pages that carry `heading`, line by line as printed,
    // without spaces or line breaks.
    static QString pagesText(const QString& pdf, const QString& heading)
    {
        QString out;
        for (const QStringList& page : pdfLayoutLines(pdf))
            if (page.join(QString()).contains(heading))
                out += page.join(QString());
        return out;
    }
    // Every caption in turn, each value after its caption and before the next one.
    static void checkOrder(const QString& text, const QList<QPair<const char*, const char*>>& items)
    {
        qsizetype from = 0;
        for (int i = 0; i < items.size(); ++i) {
            const QString caption = QString::fromUtf8(items[i].first);
            const qsizetype at = text.indexOf(caption, from);
            QVERIFY2(at >= 0, qPrintable(QStringLiteral("missing or out of order: ") + caption));
            from = at + caption.size();
            if (!*items[i].second)
                continue;
            const QString value = QString::fromUtf8(items[i].second);
            const qsizetype v = text.indexOf(value, from);
            const qsizetype next =
                i + 1 < items.size() ? text.indexOf(QString::fromUtf8(items[i + 1].first), from) : text.size();
            QVERIFY2(v >= 0 && (next < 0 || v < next), qPrintable(caption + QStringLiteral(" lacks ") + value));
        }
    }
    // Words of the pages carrying `heading`: each inside its page, none over another.
    static void checkPlacement(const QString& pdf, const QString& heading, int expectedPages)
    {
        int checked = 0;
        for (const PdfPage& page : readPdfPages(pdf)) {
            if (!page.text().contains(heading))
                continue;
            ++checked;
            QVERIFY(page.words.size() > 20);
            QCOMPARE(page.misplaced(0.5, 0.3), QString());
        }
        QCOMPARE(checked, expectedPages);
    }

    // Each text in turn, on the page's reading order: the next one after the previous.
    static QString missingFrom(const PdfPage* page, const QStringList& texts)
    {
        if (!page)
            return QStringLiteral("no such page");
        const QString all = page->text();
        int at = 0;
        for (const QString& t : texts) {
            const int found = all.indexOf(t, at);
            if (found < 0)
                return t + QStringLiteral(" (after position ") + QString::number(at) + QStringLiteral(") in: ") + all;
            at = found + t.size();
        }
        return QString();
    }
    static const PdfPage* pageWith(const QVector<PdfPage>& pages, const QString& title, const QString& number, int nth = 0)
    {
        for (const PdfPage& p : pages) {
            const QStringList lines = p.lines();
            if ((lines.value(0).contains(title) || lines.value(1).contains(title))
                && p.text().contains(QStringLiteral("【１．番号】") + number) && nth-- == 0)
                return &p;
        }
        return nullptr;
    }

private slots:
    void initTestCase()
    {
        SD_START_PDF_PROJECT(m_p, m_dir);
        QVERIFY(m_p.set(QStringLiteral("GAIYOU"), {"Kouji=山田邸新築工事", "Name7=山田太郎"}));
        QVERIFY(m_p.set(QStringLiteral("TATEMONOBETU"), {"Kai30=2", "Takasa31=6.5"}));
        QVERIFY(m_p.set(QStringLiteral("TATEMONOBETU"), {"Kai30=1", "Takasa31=3.2"}, 2));
        ProjectData p;
        p.bid = 1;
        p.buildingCount = 2;
        p.shikichi.insert(QStringLiteral("Tou1"), QStringLiteral("2"));
        put(p.gaiyou, {
            {"Furi2", "ヤマダタロウ"}, {"Name7", "山田太郎"}, {"Post6", "101-0047"},
            {"Addr6", "東京都千代田区内神田一丁目1番1号"}, {"Tel4", "03-1111-2222"}, {"Name5", "代理次郎"},
            {"Kyu5", "二級"}, {"Tiji5", "東京都"}, {"Gou5", "55555"}, {"Name2", "設計一郎"}, {"Kyu2", "一級"},
            {"Tiji2", "大臣"}, {"Gou2", "345678"}, {"Name1", "アトリエ設計"}, {"Tel1", "03-3333-4444"},
            {"Tosho1", "意匠図、設備図"}, {"HyoujiName1", "構造三郎"}, {"HyoujiGou1", "4567"},
            {"Name12", "設備次郎"}, {"Name13", "設備設計株式会社"}, {"Gou8", "建築設備士第1234号"},
            {"Tosho3", "空調設備図"}, {"Name3", "監理花子"}, {"Tosho2", "意匠図"}, {"Name9", "施工建設株式会社"},
            {"TekihanKikan", "日本判定機関　東京都港区"}, {"ShoeneRiyu", "第1号イに該当"}, {"Bikou", "備考の文"},
            {"Hyouji1", 1}, {"Tekihan1", 1}, {"Shoene3", 1}});
        put(p.kanryou, {
            {"Gou2", "R07確認00123"}, {"Tan1", "日本確認機構"}, {"Bikou3", "外壁の仕上げを変更する。"}, {"Gou1", "増築"}, {"Day5", "令和8年3月20日"}, {"Kou1", "２階の床及びこれを支持するはりの配筋工事"},
            {"Kai1", "1"}, {"Kai3", "基礎の配筋工事"}, {"Kai7", "R07中間00045"}, {"KanriKek6", "適（F☆☆☆☆）"},
            {"ChuKanriKek6", "中間時点で未施工"}, {"Kai17", "2"}, {"Nin1", "TBN-0001"}, {"Shin1", 1}});
        p.buildings[0].insert(QStringLiteral("Tokurei40"), QStringLiteral("令第10条第3号"));
        p.persons = {person(1, "構造三郎", "構造図"), person(2, "監理五郎", "構造図"), person(1, "設備四郎", "設備図"),
                     person(4, "設備監理一", "空調設備図")};
        put(p.kouji, {
            {"Bukken1", "アトリエ棟"}, {"KoujiHi1", "3000"}, {"Gen1", "老朽化して危険があるため"}, {"Kouz1", "木造"},
            {"HyoukaGaku", "120.5"}, {"Seko1", "解体工業株式会社"}, {"Seko6", "解体一郎"}, {"JBukken", "旧山田邸"},
            {"Ko1", "1"}, {"IninSonota", "工事届の提出"}, {"ShuyouCHK1", 1}, {"Zeikomi1", 1}, {"JokyoChk2", 1},
            {"Shurui11", 1}, {"Shurui12", 1}, {"RiyouKan1", 1}});
        put(p.inin, {{"Inin1", 1}, {"Inin3", 1}, {"Inin11", 1}, {"IninSonota", "工事届の提出"}});
        m_project = p;
        m_xlsx = m_dir.filePath(QStringLiteral("filled.xlsx"));
        QString error;
        QVERIFY2(SinseiExcelOutRtn::fillWorkbook(p, 0, QStringLiteral(SD_TEMPLATE_PATH), m_xlsx, &error),
                 qPrintable(error));
    }

    // Every value that the filled workbook carries for viewers that do not
    // calculate is the one LibreOffice computes from the same cells: the
    // copy without them is recalculated and saved by LibreOffice, and each
    // formula cell of each sheet compared. A cell has no value only when
    // its text has spaces at an end.
    void cachedValuesAreLibreOfficesOwn_data()
    {
        QTest::addColumn<int>("which");
        QTest::newRow("every column filled") << 0;
        QTest::newRow("the forms' project") << 1;
        QTest::newRow("nothing entered") << 2;
    }

    void cachedValuesAreLibreOfficesOwn()
    {
        QFETCH(int, which);
        ProjectData project = which == 0 ? BenchProject::fullProject() : m_project;
        if (which == 2)
            project = ProjectData{};
        project.bid = 1;
        QTemporaryDir work;
        const QString ours = work.filePath(QStringLiteral("ours.xlsx"));
        const QString bare = work.filePath(QStringLiteral("bare.xlsx"));
        QString error;
        QVERIFY2(SinseiExcelOutRtn::fillWorkbook(project, 0, QStringLiteral(SD_TEMPLATE_PATH), ours, &error),
                 qPrintable(error));
        QVERIFY(QFile::copy(ours, bare));
        {
            XlsxWorkbook book;
            QVERIFY(book.open(bare));
            QVERIFY(book.requestFullRecalculation(XlsxWorkbook::CachedValues::Drop));
            QVERIFY(book.save());
        }
        const QString outDir = work.filePath(QStringLiteral("lo"));
        QProcess soffice;
        soffice.setProcessEnvironment(LibreOffice::environment(work.path()));
        soffice.start(LibreOffice::executable(), {LibreOffice::prepareProfile(work.filePath("profile")), "--headless",
                                                  "--norestore", "--convert-to", "xlsx:Calc MS Excel 2007 XML",
                                                  "--outdir", outDir, bare});
        QVERIFY(soffice.waitForFinished(300000));
        const QString theirs = outDir + QStringLiteral("/bare.xlsx");
        QVERIFY2(QFile::exists(theirs), soffice.readAllStandardError().constData());

        XlsxWorkbook a, b;
        QVERIFY(a.open(ours));
        QVERIFY(b.open(theirs));
        int compared = 0;
        int leftOpen = 0;
        QStringList differences;
        for (const QString& sheet : a.sheetNames()) {
            QVector<CellRef> cells;
            QVERIFY2(a.formulaCells(sheet, &cells), qPrintable(a.errorString()));
            for (CellRef ref : cells) {
                XlsxCell mine, lo;
                QVERIFY(a.readCell(sheet, ref, &mine));
                QVERIFY(b.readCell(sheet, ref, &lo));
                ++compared;
                // Spaces at either end do not survive as a cached value: that cell is left to the program.
                if (mine.kind == XlsxCell::Kind::Empty && lo.kind == XlsxCell::Kind::Text
                    && lo.value != lo.value.trimmed()) {
                    ++leftOpen;
                    continue;
                }
                const bool same = mine.kind == lo.kind
                    && (mine.kind == XlsxCell::Kind::Number ? mine.value.toDouble() == lo.value.toDouble()
                                                            : mine.value == lo.value);
                if (!same && differences.size() < 10)
                    differences << QStringLiteral("%1!%2: %3 「%4」, LibreOffice %5 「%6」")
                                       .arg(sheet, ref.name(), QString::number(int(mine.kind)), mine.value,
                                            QString::number(int(lo.kind)), lo.value);
            }
        }
        QVERIFY(compared > 5000);
        QVERIFY(leftOpen < compared / 100);
        QVERIFY2(differences.isEmpty(), qPrintable(differences.join(u'\n')));
    }

    // The items for typing the application into a portal: in form order,
    // each caption and its value as the PDF of the same workbook prints
    // them, the items of pages that do not print left out.
    void portalItems()
    {
        QVector<PortalItems::Item> items;
        QString error;
        const QString application = QStringLiteral("確認申請");
        QVERIFY2(PortalItems::read(m_xlsx, QStringLiteral(SD_TEMPLATE_PATH), {application}, &items, &error),
                 qPrintable(error));
        QVERIFY(items.size() > 100);
        const QString printed = joined(pdfLayoutLines(render(0)));
        int previous = 0;
        for (const PortalItems::Item& i : items) {
            const QString caption = QStringLiteral("【%1．%2】").arg(i.number.section(u'．', -1), i.caption);
            const int at = printed.indexOf(caption, previous);
            QVERIFY2(at >= 0, qPrintable(QStringLiteral("%1 %2 %3 is not printed after the item before it")
                                             .arg(i.face, i.number, i.caption)));
            // A ticked box's wording stands before the caption on its line.
            for (QString piece : i.value.split(u' ')) {
                piece.remove(u'\u3000');
                QVERIFY2(printed.indexOf(piece, previous) >= 0,
                         qPrintable(QStringLiteral("%1 %2: %3 is not printed").arg(i.number, i.caption, piece)));
            }
            previous = at + caption.size();
        }
        QVERIFY(std::any_of(items.begin(), items.end(), [](const PortalItems::Item& i) {
            return i.face == QStringLiteral("第二面") && i.number == QStringLiteral("１．ロ") && i.caption == QStringLiteral("氏名")
                && i.value == QStringLiteral("山田太郎");
        }));

        // The Shift_JIS list names what it cannot hold; UTF-8 and JSON keep it.
        const QVector<PortalItems::Item> odd = {{application, QStringLiteral("第二面"), QStringLiteral("１．ロ"),
                                                 QStringLiteral("氏名"), QStringLiteral("髙橋\U00020BB7子, \"様\"")}};
        QStringList replaced;
        QString sjis;
        QVERIFY(ShiftJis::decode(PortalItems::toCsv(odd, true, &replaced), &sjis));
        QCOMPARE(replaced, QStringList{"\U00020BB7"});
        QVERIFY(sjis.endsWith(QStringLiteral("\"氏名\",\"髙橋?子, \"\"様\"\"\"\r\n")));
        const QByteArray utf8 = PortalItems::toCsv(odd, false);
        QVERIFY(utf8.startsWith("\xEF\xBB\xBF") && utf8.contains(odd[0].value.toUtf8().replace("\"", "\"\"")));
        const QJsonObject json = QJsonDocument::fromJson(PortalItems::toJson(odd)).object();
        QCOMPARE(json.value(QLatin1String("items")).toArray().at(0).toObject().value(QLatin1String("value")).toString(),
                 odd[0].value);
    }

    void peopleFaces()
    {
        const QVector<QPair<QString, QString>> owner = {
            {"【１．建築主】", ""}, {"【イ．氏名のフリガナ】", "ヤマダタロウ"}, {"【ロ．氏名】", "山田太郎"},
            {"【ハ．郵便番号】", "101-0047"}, {"【ニ．住所】", "東京都千代田区内神田一丁目1番1号"}};
        const QVector<QPair<QString, QString>> designers = {
            {"【２．代理者】", ""}, {"【イ．資格】", "（二級）建築士（東京都）登録第55555号"}, {"【ロ．氏名】", "代理次郎"},
            {"【３．設計者】", ""}, {"（代表となる設計者）", ""}, {"【イ．資格】", "（一級）建築士（大臣）登録第345678号"},
            {"【ロ．氏名】", "設計一郎"}, {"【ハ．建築士事務所名】", ""}, {"", "アトリエ設計"}, {"【ニ．郵便番号】", ""},
            {"【ホ．所在地】", ""}, {"【ヘ．電話番号】", "03-3333-4444"},
            {"【ト．作成又は確認した設計図書】", "意匠図、設備図"}, {"（その他の設計者）", ""},
            {"【ロ．氏名】", "構造三郎"}, {"【ハ．建築士事務所名】", ""}, {"", "構造三郎設計室"},
            {"【ト．作成又は確認した設計図書】", "構造図"},
            {"■建築士法第20条の２第１項の表示をした者", "構造三郎"}, {"【ロ．資格】", "構造設計一級建築士交付第4567号"},
            {"□建築士法第20条の３第３項の表示をした者", ""}};
        const QVector<QPair<QString, QString>> rest = {
            {"【４．建築設備の設計に関し意見を聴いた者】", ""}, {"【イ．氏名】", "設備次郎"},
            {"【ロ．勤務先】", "設備設計株式会社"}, {"【ヘ．登録番号】", "建築設備士第1234号"},
            {"【ト．意見を聴いた設計図書】", "空調設備図"}, {"【５．工事監理者】", ""}, {"【ロ．氏名】", "監理花子"},
            {"【ト．工事と照合する設計図書】", "意匠図"}, {"（その他の工事監理者）", ""}, {"【ロ．氏名】", "監理五郎"},
            {"【６．工事施工者】", ""}, {"【イ．氏名】", "施工建設株式会社"}};
        const QVector<QPair<QString, QString>> choices = {
            {"【７．構造計算適合性判定の申請】", ""}, {"■申請済", "日本判定機関東京都港区"}, {"□未申請", ""},
            {"□申請不要", ""}, {"【８．建築物エネルギー消費性能確保計画の提出】", ""}, {"□提出済", ""},
            {"□未提出", ""}, {"■提出不要", "第1号イに該当"}, {"【９．備考】", "備考の文"},
            // The second further designer goes to a continuation page.
            {"（その他の設計者）", ""}, {"【ロ．氏名】", "設備四郎"}};

        const QString application = render(0);
        QVERIFY(!application.isEmpty());
        const QVector<QStringList> pages = pdfLayoutLines(application);
        QVERIFY(pages.size() > 8);
        QVERIFY(pages[0].join(QString()).contains(QStringLiteral("建築主事等又は指定確認検査機関")));
        const QStringList faceTwo = pages[1] + pages[2] + pages[3];
        expectInOrder(faceTwo, owner + QVector<QPair<QString, QString>>{{"【ホ．電話番号】", "03-1111-2222"}}
                                            + designers + rest + choices);
        // Only the one supervisor entered: no continuation page, no empty block.
        QCOMPARE(faceTwo.join(QString()).count(QStringLiteral("（その他の工事監理者）")), 1);
        QCOMPARE(faceTwo.join(QString()).count(QStringLiteral("（その他の設計者）")), 2);
        QVERIFY(pages[4].join(QString()).contains(QStringLiteral("（第三面）")));
        expectPlaced(readPdfPages(application), 0, 3);

        // The outline: open to inspection, so no telephone of the owner,
        // and its remarks are item 7.
        const QString outline = render(1);
        const QVector<QStringList> o = pdfLayoutLines(outline);
        const QStringList outlineFace = o[0] + o[1] + o[2];
        expectInOrder(outlineFace, owner + designers + rest + QVector<QPair<QString, QString>>{{"【７．備考】", "備考の文"}});
        QVERIFY(!outlineFace.join(QString()).contains(QStringLiteral("03-1111-2222")));
        QVERIFY(!outlineFace.join(QString()).contains(QStringLiteral("構造計算適合性判定")));
        expectPlaced(readPdfPages(outline), 0, 2);

        // The plan change: its own first face, then the application's faces
        // from the second on, both buildings included.
        const QString change = render(4);
        const QVector<QStringList> c = pdfLayoutLines(change);
        expectInOrder(c[0], {{"第四号様式", ""}, {"計画変更確認申請書（建築物）", ""}, {"申請者氏名", "山田太郎"},
                              {"【計画を変更する建築物の直前の確認】", ""}, {"【確認済証番号】", "第R07確認00123号"},
                              {"【確認済証交付者】", "日本確認機構"}, {"【計画変更の概要】", "外壁の仕上げを変更する。"},
                              {"※手数料欄", ""}});
        expectInOrder(c[1] + c[2] + c[3], owner + designers + rest + choices);
        QCOMPARE(joined(c).count(QStringLiteral("建築物別概要")), 2);
        expectPlaced(readPdfPages(change), 0, 3);
    }

    void inspectionFaces()
    {
        using Items = QVector<QPair<QString, QString>>;
        const Items people = {
            {"【１．建築主、設置者又は築造主】", ""}, {"【ロ．氏名】", "山田太郎"}, {"【２．代理者】", ""},
            {"【３．設計者】", ""}, {"（代表となる設計者）", ""}, {"【ロ．氏名】", "設計一郎"}, {"（その他の設計者）", ""},
            {"【ロ．氏名】", "構造三郎"}, {"【４．工事監理者】", ""}, {"【ロ．氏名】", "監理花子"},
            {"【ト．工事と照合した設計図書】", "意匠図"}, {"（その他の工事監理者）", ""}, {"【ロ．氏名】", "監理五郎"},
            {"【５．建築設備の工事監理に関し意見を聴いた者】", ""},
            {"（代表となる建築設備の工事監理に関し意見を聴いた者）", ""}, {"【イ．氏名】", "設備監理一"},
            {"【ト．意見を聴いた設計図書】", "空調設備図"}, {"【６．工事施工者】", "施工建設株式会社"},
            {"【７．備考】", ""},
            // The second further designer on the continuation page; no page for the supervisors' or consultants'.
            {"（その他の設計者）", ""}, {"【ロ．氏名】", "設備四郎"}, {"（第三面）", ""}};
        for (const bool completion : {false, true}) {
            const QString pdf = render(completion ? 6 : 5);
            QVERIFY(!pdf.isEmpty());
            const QVector<QStringList> pages = pdfLayoutLines(pdf);
            const QString all = joined(pages);
            const QVector<PdfPage> words = readPdfPages(pdf);
            QCOMPARE(words.size(), 6);
            expectInOrder(pages[0], {{completion ? "第十九号様式" : "第二十六号様式", ""},
                                              {completion ? "完了検査申請書" : "中間検査申請書", ""},
                                              {"申請者氏名", "山田太郎"}, {"工事監理者氏名", "監理花子"},
                                              {"【検査を申請する建築物等】", ""}, {"■建築物□建築設備（昇降機）", ""},
                                              {"□工作物（昇降機）", ""}, {"※手数料欄", ""}});
            // Only the completion covers the structures of 法第88条第２項.
            QCOMPARE(pages[0].join(QString()).contains(QStringLiteral("工作物（法第88条第２項）")), completion);
            expectInOrder(pages[1] + pages[2] + pages[3] + pages[4], people);
            QVERIFY(!all.contains(QStringLiteral("設計に関し意見を聴いた者")));
            QCOMPARE(all.count(QStringLiteral("（その他の工事監理者）")), 1);
            // The items both print, then each its own.
            const Items third = Items{{"【２．工事種別】", ""}, {"□新築■増築", ""},
                                      {"令第10条各号に掲げる建築物の区分】", "令第10条第3号"},
                                      {"【ハ．建築基準法第68条の20第２項の検査の特例に係る認証番号】", "TBN-0001"},
                                      {"【３．確認済証番号】", "R07確認00123"}}
                + (completion
                ? Items{{"【５．確認済証交付者】", "日本確認機構"}, {"【７．工事完了年月日】", "令和8年3月20日"},
                        {"【９．検査経過】", ""}, {"（第1回）", ""}, {"【イ．特定工程】", "基礎の配筋工事"},
                        {"【ハ．中間検査合格証番号】", "R07中間00045"}, {"【１０．確認以降の軽微な変更の概要】", ""},
                        {"【ロ．変更の概要】", "外壁の仕上げを変更する。"}, {"【１１．備考】", ""}}
                : Items{{"【８．特定工程】", "（第2回）２階の床及びこれを支持するはりの配筋工事"}, {"【１１．検査経過】", ""},
                        {"（今回申請以前の中間検査）", ""}, {"（第1回）", ""}, {"【イ．特定工程】", "基礎の配筋工事"},
                        {"（今回申請以降の中間検査）", ""}, {"【１２．備考】", ""}});
            expectInOrder(pages[4], third);
            // No empty count where no inspection was entered.
            QVERIFY(!all.contains(QStringLiteral("（第回）")));
            // Each application prints its own 工事監理の状況.
            const QString own = completion ? QStringLiteral("適（F☆☆☆☆）") : QStringLiteral("中間時点で未施工");
            expectInOrder(pages[5], {{"（第四面）", ""}, {"工事監理の状況", ""}, {"照合方法", ""},
                                      {"居室の内装仕上げ", ""}, {own, ""}, {"天井及び壁", ""}});
            QVERIFY(!pages[5].join(QString()).contains(completion ? QStringLiteral("中間時点で未施工")
                                                                  : QStringLiteral("適（F☆☆☆☆）")));
            expectPlaced(words, 0, 5);
            // The specified process of the history prints in the value face, not shrunk out of sight.
            for (const PdfWord& w : words[4].words)
                if (w.text.contains(QStringLiteral("基礎の配筋工事")))
                    QVERIFY2(w.box.height() > 7.0, qPrintable(QString::number(w.box.height())));
        }
    }

    // 第四十号・第四十一号様式 and the power of attorney: items in order with
    // their values, nothing of the replaced edition, the removal on the
    // notice when the project also builds, and no third face without a
    // housing part or a removal.
    void noticeFaces()
    {
        const QString notice = render(2);
        const QVector<QStringList> n = pdfLayoutLines(notice);
        QCOMPARE(printed(n), 3);
        expectInOrder(n[0], {{"第四十号様式", ""}, {"建築工事届", ""}, {"【建築主】", ""}, {"【氏名】", "山田太郎"},
                                      {"【工事施工者（設計者又は代理者）】", ""}, {"【氏名】", "施工建設株式会社"},
                                      {"【工事監理者】", ""}, {"【建築確認】", ""}, {"【除却工事施工者】", ""},
                                      {"【氏名】", "解体工業株式会社"}, {"【担当者氏名】", "解体一郎"}, {"※受付経由機関記載欄", ""}});
        expectInOrder(n[1], {{"【１．建築主】", ""}, {"【イ．種別】", "(3)市区町村"}, {"【２．敷地の位置】", ""},
                              {"【５．主要用途】", "●(1)居住専用"}, {"【６．一の建築物ごとの内容】", ""},
                              {"【ロ．物件名】", "アトリエ棟"}, {"【ハ．用途】", ""}, {"【ニ．工事部分の構造】", ""},
                              {"【ト．用途ごとの", ""}, {"【チ．建築工事費予定額】", "3,000"}, {"", "■消費税込み"}});
        expectInOrder(n[2], {{"【１．住宅部分の概要】", ""}, {"【ホ．住宅の種類】", "●(1)専用住宅"},
                              {"【ヘ．住宅の建て方】", "●(1)一戸建住宅"}, {"【ト．利用関係】", "■持家"},
                              {"【ヌ．新設住宅の資金】", ""}, {"【２．除却予定建築物の概要】", ""}, {"【ロ．構造】", "木造"},
                              {"【チ．建築物の評価額】", "121"}, {"【リ．除却原因】", "老朽化して危険があるため"}});
        const QString all = (n[0] + n[1] + n[2]).join(QString());
        for (const char* gone : {"業種", "住宅金融公庫", "都市基盤整備公団", "(3)市町村", "多用途"})
            QVERIFY2(!all.contains(QString::fromUtf8(gone)), gone);
        expectPlaced(readPdfPages(notice), 0, 2);

        // The removal alone: notified by the one who removes.
        const QVector<QStringList> r = pdfLayoutLines(render(7));
        QCOMPARE(printed(r), 2);
        QVERIFY(!r[0].join(QString()).contains(QStringLiteral("建築主")));
        expectInOrder(r[0] + r[1], {{"第四十一号様式", ""}, {"建築物除却届", ""}, {"【除却工事施工者】", ""},
                                     {"【氏名】", "解体工業株式会社"}, {"【１．物件名】", "旧山田邸"}, {"【４．構造】", "木造"},
                                     {"【９．除却原因】", "老朽化"}, {"【１０．建築物の評価額】", "121"}});

        const QVector<QStringList> a = pdfLayoutLines(render(3));
        QCOMPARE(printed(a), 1);
        expectInOrder(a[0], {{"（代理者）", ""}, {"氏名", "代理次郎"}, {"１．委任事項", ""}, {"■確認申請に関する一切の件", ""},
                              {"□計画変更確認申請に関する一切の件", ""}, {"□中間検査申請に関する一切の件", ""},
                              {"■完了検査申請に関する一切の件", ""}, {"■その他（工事届の提出）", ""},
                              {"（委任者）建築主", ""}, {"氏名", "山田太郎"}});

        // A notice with neither a housing part nor a removal: two faces.
        ProjectData plain = m_project;
        plain.kouji.clear();
        const QString xlsx = m_dir.filePath(QStringLiteral("plain.xlsx"));
        QString error;
        QVERIFY2(SinseiExcelOutRtn::fillWorkbook(plain, 2, QStringLiteral(SD_TEMPLATE_PATH), xlsx, &error),
                 qPrintable(error));
        const QVector<QStringList> b = pdfLayoutLines(render(2, xlsx));
        QCOMPARE(printed(b), 2);
        QVERIFY(!b[0].join(QString()).contains(QStringLiteral("【除却工事施工者】")));
    }

    void siteFace()
    {
        QVERIFY(m_p.set(QStringLiteral("SHIKICHI"),
                    {"Tou1=2", "Tou2=1", "Tiban=千代田区神田一丁目2番", "Jdisp=神田一丁目2番3号", "Tosi1=1", "Tosi2=1",
                     "Bou2=1", "Sonota1=第二種高度地区", "Size1=6.00", "Size2=12.50", "Size5=100.50", "Size6=200.00",
                     "Size7=30.00", "Size8=50.00", "Size13=第一種低層住居専用地域", "Size14=第二種中高層住居専用地域",
                     "Size15=近隣商業地域", "Size16=商業地域", "Par1=100.00", "Par2=200.00", "Par3=300.00", "Par4=400.00",
                     "Par5=50.00", "Par6=60.00", "Par7=80.00", "Par8=90.00", "Size17=380.50", "Par9=183.50",
                     "Par10=61.25", "SikiBikou=用途地域の境界は道路中心線から30ｍ", "Kubun=08010",
                     "KubunDisp=一戸建ての住宅", "Shubetu1=1", "Men1=100.00", "Men3=100", "Men20=95.00",
                     "Men22=95.00", "Par11=26.28", "Men4=150.00", "Men6=150", "Men19=150.00", "Men23=4.00",
                     "Men47=8.00", "Par12=39.42", "Taka1=9.50", "Kai1=2", "Kai3=1", "Zou1=木造", "Zou2=鉄骨",
                     "Kai2=1", "Umu2=1", "Kyoka10=法第43条第2項第2号の許可", "Day1=令和9年1月10日",
                     "Day2=令和9年8月31日", "Dai1=1", "Day3=令和9年3月1日", "Koutei1=2階床の配筋工事",
                     "Jikou10=その他の事項", "Bikou10=備考の記載"}));
        const QString pdf = renderTyped(QStringLiteral("0"), QStringLiteral("site"));
        QVERIFY(!pdf.isEmpty());
        const QString heading = QStringLiteral("建築物及びその敷地に関する事項");
        const QString text = pagesText(pdf, heading);
        checkOrder(text, {
            {"（第三面）", ""}, {"【１．地名地番】", "千代田区神田一丁目2番"}, {"【２．住居表示】", "神田一丁目2番3号"},
            {"【３．都市計画区域及び準都市計画区域の内外の別等】", "■都市計画区域内（■市街化区域□市街化調整区域"},
            {"【４．防火地域】", "□防火地域■準防火地域□指定なし"},
            {"【５．その他の区域、地域、地区又は街区】", "第二種高度地区"}, {"【イ．幅員】", "6.00"},
            {"【ロ．敷地と接している部分の長さ】", "12.50"}, {"【イ．敷地面積】（１）", "100.50"},
            {"【ロ．用途地域等】", "商業地域"},
            {"【ハ．建築基準法第52条第１項及び第２項の規定による建築物の容積率】", "400"},
            {"【ニ．建築基準法第53条第１項の規定による建築物の建蔽率】", "90"}, {"【ホ．敷地面積の合計】", "380.50"},
            {"【ヘ．敷地に建築可能な延べ面積を敷地面積で除した数値】", "183.5"},
            {"【チ．備考】", "用途地域の境界は道路中心線から30ｍ"}, {"【８．主要用途】", "08010"},
            {"【９．工事種別】", "■新築"}, {"【10．建築面積】", ""}, {"【イ．建築面積】", "100.00"},
            {"【ロ．建蔽率の算定の基礎となる建築面積】", "95.00"}, {"【ハ．建蔽率】", "26.28"},
            {"【11．延べ面積】", ""}, {"【イ．建築物全体】", "150.00"}, {"【ハ．エレベーターの昇降路の部分】", "4.00"},
            {"【ヲ．その他の不算入部分】", ""}, {"【カ．老人ホーム", "8.00"}, {"【ヨ．延べ面積】", "150.00"},
            {"【タ．容積率】", "39.42"}, {"【イ．申請に係る建築物の数】", "2"}, {"【13．建築物の高さ等】", ""},
            {"【イ．最高の高さ】", "9.50"}, {"【ロ．最高の軒の高さ】", "6.50"},
            {"【ハ．階数】", "地上（2）地下（1）地上（1）地下（"}, {"【ニ．構造】", "木造鉄骨造"},
            {"【ホ．建築基準法第56条第７項の規定による特例の適用の有無】", "□有■無"},
            {"【14．許可・認定等】", "法第43条第2項第2号の許可"}, {"【16．工事完了予定年月日】", "令和9年8月31日"},
            {"【17．特定工程工事終了予定年月日】", "（第1回）令和9年3月1日2階床の配筋工事"},
            {"【18．その他必要な事項】", "その他の事項"}, {"【19．備考】", "備考の記載"}});
        if (QTest::currentTestFailed())
            return;
        // Whole figures only: no area printed without its decimals, no zero row.
        QVERIFY(!text.contains(QRegularExpression(QStringLiteral("(?<![0-9.,])[0-9,]+㎡"))));
        QVERIFY(!text.contains(QRegularExpression(QStringLiteral("(?<![0-9.,])0\\.00㎡"))));
        QVERIFY(!text.contains(QStringLiteral("造造")));
        // Stages not entered print nothing of their own.
        QCOMPARE(text.count(QStringLiteral("回）")), 1);
        checkPlacement(pdf, heading, 2);
        if (QTest::currentTestFailed())
            return;

        // The outline's second face is the same block.
        const QString outline = renderTyped(QStringLiteral("1"), QStringLiteral("outline"));
        QVERIFY(!outline.isEmpty());
        const QString outlineText = pagesText(outline, heading);
        checkOrder(outlineText, {{"（第二面）", ""}, {"【１．地名地番】", "千代田区神田一丁目2番"},
                                 {"【ロ．用途地域等】", "商業地域"}, {"【19．備考】", "備考の記載"}});
        checkPlacement(outline, heading, 2);
    }

    void buildingFloorAndPartFaces()
    {
        QVERIFY(m_p.set(QStringLiteral("TATEMONOBETU"),
                    {"Kubun30=08010", "KubunDisp30=一戸建ての住宅", "Youto30=専用住宅", "shubetu31=1", "Zou31=木造",
                     "Kouzoubu4=1", "Jou21_5=1", "Jou61_3=1", "Kai30=2", "Takasa30=7.50", "Kai40=1F", "Kai41=2F",
                     "Men40=60.5", "Men43=45.25", "Men42=60.50", "Men45=45.25", "Men58=105.75", "Men60=105.75",
                     "Yane40=ガルバリウム鋼板葺", "Bikou40=延焼のおそれのある部分の外壁は防火構造とする。",
                     "Bikou41=二棟目は物置。"}));
        QVERIFY(m_p.set(QStringLiteral("TATEMONOBETU"), {"Zou31=鉄骨造", "Kai30=1", "Kai40=1F", "Men40=30"}, 2));
        QVERIFY(m_p.set(QStringLiteral("KAIBETU"), {"F1Kai60=1F", "F1Takasa=2.90", "F1Tokutei2=1", "F1Kubun60=08010",
                                                    "F1Kubun60Disp=一戸建ての住宅", "F1Mei60=居間", "F1Men60=60.5"}));
        QCOMPARE(m_p.run({"project", "add", m_p.bid, "DOKURITSU", "SU_NO=1", "Ban=1-1", "NobeMen=105.75",
                          "Takasa1=7.50", "Kai1=2", "Zou1=木造", "Kijun1=1", "Keisan1=1", "Prog=構造計算ソフトA",
                          "ProgKubun1=1", "ProgNintei=P-123", "Rei137=1",
                          "Bikou=エキスパンションジョイントで分離"}).code, 0);

        const QString pdf = renderTyped(QStringLiteral("確認申請"), QStringLiteral("faces"));
        QVERIFY(!pdf.isEmpty());
        const QVector<PdfPage> pages = readPdfPages(pdf);

        const PdfPage* fourth = pageWith(pages, QStringLiteral("（第四面）"), QStringLiteral("1"));
        QCOMPARE(missingFrom(fourth,
                         {"【１．番号】1", "【２．用途】", "（区分08010）一戸建ての住宅専用住宅", "【３．工事種別】■新築",
                          "【４．構造】木造", "【５．主要構造部】", "■準耐火構造", "【６．建築基準法第21条及び第27条の規定の適用】",
                          "■その他", "【７．建築基準法第61条の規定の適用】", "■準耐火建築物", "【８．階数】",
                          "【イ．地階を除く階数】2", "【９．高さ】", "【イ．最高の高さ】7.50ｍ", "【１０．建築設備の種類】",
                          "【１１．確認の特例】", "【１２．床面積】", "1F60.50㎡60.50㎡", "2F45.25㎡45.25㎡",
                          "合計105.75㎡105.75㎡", "【１３．屋根】ガルバリウム鋼板葺", "【１４．外壁】", "【１５．軒裏】",
                          "【１６．居室の床の高さ】", "【１７．便所の種類】", "【１８．その他必要な事項】",
                          "延焼のおそれのある部分の外壁は防火構造とする。", "【１９．備考】", "二棟目は物置。"}),
                 QString());
        // Only the floors that have an area print, and a structure never reads 「木造造」.
        QCOMPARE(fourth->text().count(QStringLiteral("㎡")), 6);
        QVERIFY(!fourth->text().contains(QStringLiteral("造造")));

        const PdfPage* fifth = pageWith(pages, QStringLiteral("（第五面）"), QStringLiteral("1"));
        QCOMPARE(missingFrom(fifth, {"【１．番号】1", "【２．階】1F", "【３．柱の小径】", "【４．横架材間の垂直距離】",
                                      "【５．階の高さ】2.90ｍ", "【６．天井】", "【イ．居室の天井の高さ】",
                                      "【ロ．建築基準法施行令第39条第３項に規定する特定天井】□有■無",
                                      "【７．用途別床面積】", "08010一戸建ての住宅居間60.50㎡",
                                      "【８．その他必要な事項】", "【９．備考】"}), QString());

        const PdfPage* sixth = pageWith(pages, QStringLiteral("（第六面）"), QStringLiteral("1-1"));
        QCOMPARE(missingFrom(sixth,
                         {"【１．番号】1-1", "【２．延べ面積】105.75㎡", "【３．建築物の高さ等】", "【イ．最高の高さ】7.50ｍ",
                          "【ハ．階数】地上2", "【ニ．構造】木造", "【４．特定構造計算基準又は特定増改築構造計算基準の別】",
                          "■特定構造計算基準□特定増改築構造計算基準", "【５．構造計算の区分】",
                          "■建築基準法施行令第81条第１項各号に掲げる基準に従った構造計算", "【６．構造計算に用いたプログラム】",
                          "【イ．名称】構造計算ソフトA", "【ロ．区分】■建築基準法第20条第１項第２号イ及び第３号イの認定",
                          "（大臣認定番号P-123）", "□その他のプログラム", "【７．建築基準法施行令第137条の２各号に定める基準の区分】",
                          "第1号", "【８．備考】", "エキスパンションジョイントで分離"}),
                 QString());

        // Building 2: its own fourth face, one floor and one sixth face carrying its number.
        const PdfPage* second = pageWith(pages, QStringLiteral("（第四面）"), QStringLiteral("2"));
        QCOMPARE(missingFrom(second, {"【４．構造】鉄骨造", "1F30.00㎡30.00㎡"}), QString());
        QVERIFY(pageWith(pages, QStringLiteral("（第五面）"), QStringLiteral("2")));
        QVERIFY(pageWith(pages, QStringLiteral("（第六面）"), QStringLiteral("2")));
        QVERIFY(!pageWith(pages, QStringLiteral("（第五面）"), QStringLiteral("1"), 2));

        for (const PdfPage* page : {fourth, fifth, sixth, second})
            QCOMPARE(page->misplaced(), QString());
    }
};

QTEST_GUILESS_MAIN(TestPdfForms)
#include "tst_pdf_forms.moc"
