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
// off its page or over another text.
class TestPdfForms : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_xlsx;
    ProjectData m_project;

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

private slots:
    void initTestCase()
    {
        SD_SKIP_WITHOUT_LIBREOFFICE();
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
                                       .arg(sheet, ref.name())
                                       .arg(int(mine.kind))
                                       .arg(mine.value)
                                       .arg(int(lo.kind))
                                       .arg(lo.value);
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
        const auto owner = std::find_if(items.begin(), items.end(), [](const PortalItems::Item& i) {
            return i.face == QStringLiteral("第二面") && i.number == QStringLiteral("１．ロ");
        });
        QVERIFY(owner != items.end());
        QCOMPARE(owner->caption, QStringLiteral("氏名"));
        QCOMPARE(owner->value, QStringLiteral("山田太郎"));

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
            const Items third = completion
                ? Items{{"【２．工事種別】", ""}, {"□新築■増築", ""}, {"令第10条各号に掲げる建築物の区分】", "令第10条第3号"},
                        {"【ハ．建築基準法第68条の20第２項の検査の特例に係る認証番号】", "TBN-0001"},
                        {"【３．確認済証番号】", "R07確認00123"},
                        {"【５．確認済証交付者】", "日本確認機構"}, {"【７．工事完了年月日】", "令和8年3月20日"},
                        {"【９．検査経過】", ""}, {"（第1回）", ""}, {"【イ．特定工程】", "基礎の配筋工事"},
                        {"【ハ．中間検査合格証番号】", "R07中間00045"}, {"【１０．確認以降の軽微な変更の概要】", ""},
                        {"【ロ．変更の概要】", "外壁の仕上げを変更する。"}, {"【１１．備考】", ""}}
                : Items{{"【２．工事種別】", ""}, {"□新築■増築", ""}, {"令第10条各号に掲げる建築物の区分】", "令第10条第3号"},
                        {"【ハ．建築基準法第68条の20第２項の検査の特例に係る認証番号】", "TBN-0001"},
                        {"【３．確認済証番号】", "R07確認00123"},
                        {"【８．特定工程】", "（第2回）２階の床及びこれを支持するはりの配筋工事"}, {"【１１．検査経過】", ""},
                        {"（今回申請以前の中間検査）", ""}, {"（第1回）", ""}, {"【イ．特定工程】", "基礎の配筋工事"},
                        {"（今回申請以降の中間検査）", ""}, {"【１２．備考】", ""}};
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
};

QTEST_GUILESS_MAIN(TestPdfForms)
#include "tst_pdf_forms.moc"
