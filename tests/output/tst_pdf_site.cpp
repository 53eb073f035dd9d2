#include "PdfPages.h"
#include "SinseiExcelOutRtn.h"

#include <QTemporaryDir>
#include <QtTest>

// The printed faces read back from the PDF that LibreOffice makes of a
// filled workbook: items in the form's order with the project's values
// beside them, and nothing printed off its page or over another text.
// One two-building project typed in through the batch tool serves the site
// faces and each building's, floor's and part's faces.
class TestPdfSite : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    CliProject m_p;

    // The document `index` of the project as a PDF; empty on failure.
    QString render(int index, const QString& name)
    {
        const QString xlsx = m_dir.filePath(name + QStringLiteral(".xlsx"));
        const QString pdf = m_dir.filePath(name + QStringLiteral(".pdf"));
        if (m_p.run({"output", m_p.bid, QString::number(index), "--out", xlsx}).code != 0)
            return QString();
        QString error;
        if (!SinseiExcelOutRtn::renderPdf(xlsx, pdf, index, &error)) {
            qWarning("%s", qPrintable(error));
            return QString();
        }
        return pdf;
    }
    // The text of the pages that carry `heading`, line by line as printed,
    // without spaces or line breaks.
    static QString pagesText(const QString& pdf, const QString& heading)
    {
        QString out;
        const CliRun text = runProgram(QStringLiteral("pdftotext"), {"-layout", pdf, "-"});
        for (const QString& page : text.out.split(u'\f'))
            if (page.contains(heading))
                out += page;
        return out.remove(QRegularExpression(QStringLiteral("[\\s\\x{3000}]")));
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
        const QString pdf = render(0, QStringLiteral("site"));
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
        const QString outline = render(1, QStringLiteral("outline"));
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

        const QString xlsx = m_dir.filePath(QStringLiteral("faces.xlsx"));
        const QString pdf = m_dir.filePath(QStringLiteral("faces.pdf"));
        const CliRun r = m_p.run({"output", m_p.bid, "確認申請", "--out", xlsx, "--pdf", pdf}, 300000);
        QVERIFY2(r.code == 0, qPrintable(r.err));
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

QTEST_GUILESS_MAIN(TestPdfSite)
#include "tst_pdf_site.moc"
