#include "PdfPages.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// The faces of the application as printed: a two-building project typed
// in through the batch tool, rendered by LibreOffice, read back word by
// word with the words' boxes. Slow (LibreOffice starts for every output).
class TestPdfBuildings : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    CliProject m_p;

    // Each text in turn, on the page's reading order: the next one after the previous.
    static QString missingFrom(const PdfPage& page, const QStringList& texts)
    {
        const QString all = page.text();
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
        if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty())
            QSKIP("LibreOffice is not installed");
        const QString failed = m_p.create(QStringLiteral(SD_CLI_PATH), m_dir.filePath(QStringLiteral("app")));
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        QVERIFY(m_p.set(QStringLiteral("GAIYOU"), {"Kouji=山田邸新築工事", "Name7=山田太郎"}));
        QVERIFY(m_p.set(QStringLiteral("SHIKICHI"), {"Tou1=2"}));
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
        QVERIFY(fourth);
        QCOMPARE(missingFrom(*fourth,
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
        QVERIFY(fifth);
        QCOMPARE(missingFrom(*fifth, {"【１．番号】1", "【２．階】1F", "【３．柱の小径】", "【４．横架材間の垂直距離】",
                                      "【５．階の高さ】2.90ｍ", "【６．天井】", "【イ．居室の天井の高さ】",
                                      "【ロ．建築基準法施行令第39条第３項に規定する特定天井】□有■無",
                                      "【７．用途別床面積】", "08010一戸建ての住宅居間60.50㎡",
                                      "【８．その他必要な事項】", "【９．備考】"}), QString());

        const PdfPage* sixth = pageWith(pages, QStringLiteral("（第六面）"), QStringLiteral("1-1"));
        QVERIFY(sixth);
        QCOMPARE(missingFrom(*sixth,
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
        QVERIFY(second);
        QCOMPARE(missingFrom(*second, {"【４．構造】鉄骨造", "1F30.00㎡30.00㎡"}), QString());
        QVERIFY(pageWith(pages, QStringLiteral("（第五面）"), QStringLiteral("2")));
        QVERIFY(pageWith(pages, QStringLiteral("（第六面）"), QStringLiteral("2")));
        QVERIFY(!pageWith(pages, QStringLiteral("（第五面）"), QStringLiteral("1"), 2));

        for (const PdfPage* page : {fourth, fifth, sixth, second})
            QCOMPARE(page->misplaced(), QString());
    }
};

QTEST_GUILESS_MAIN(TestPdfBuildings)
#include "tst_pdf_buildings.moc"
