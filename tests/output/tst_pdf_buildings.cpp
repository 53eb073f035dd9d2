#include "CliRun.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

// The faces of the application as printed: a two-building project typed
// in through the batch tool, rendered by LibreOffice, read back word by
// word with the words' boxes. Slow (LibreOffice starts for every output).
class TestPdfBuildings : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_app;
    QString m_bid;

    using Run = CliRun;
    static Run run(const QString& program, const QStringList& args, int timeout = 60000)
    {
        return runProgram(program, args, timeout);
    }
    Run cli(const QStringList& args, int timeout = 60000)
    {
        return runCli(QStringLiteral(SD_CLI_PATH), m_app, args, timeout);
    }
    bool set(const QString& table, const QStringList& assignments, int row = 1)
    {
        return setColumns(QStringLiteral(SD_CLI_PATH), m_app, m_bid, table, assignments, row);
    }
    // A word of the PDF with its box, in points from the page's top left.
    struct Word {
        double x1, y1, x2, y2;
        QString text;
    };
    struct Page {
        double width = 0, height = 0;
        QVector<Word> words;
        // The page's lines top to bottom, each left to right, spaces dropped.
        QStringList lines;
        QString text() const { return lines.join(QString()); }
    };
    static QVector<Page> readPages(const QString& pdf)
    {
        const QString html = run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")}).out;
        static const QRegularExpression pageTag(QStringLiteral("<page width=\"([\\d.]+)\" height=\"([\\d.]+)\">"));
        static const QRegularExpression wordTag(QStringLiteral(
            "<word xMin=\"([\\d.-]+)\" yMin=\"([\\d.-]+)\" xMax=\"([\\d.-]+)\" yMax=\"([\\d.-]+)\">([^<]*)</word>"));
        QVector<Page> pages;
        for (const QString& chunk : html.split(QStringLiteral("</page>"))) {
            const QRegularExpressionMatch pm = pageTag.match(chunk);
            if (!pm.hasMatch())
                continue;
            Page page;
            page.width = pm.captured(1).toDouble();
            page.height = pm.captured(2).toDouble();
            for (auto it = wordTag.globalMatch(chunk); it.hasNext();) {
                const QRegularExpressionMatch m = it.next();
                QString text = m.captured(5);
                text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
                page.words.append({m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                                   m.captured(4).toDouble(), text});
            }
            // Lines: words whose middles lie within a few points, whatever their font size.
            QVector<Word> sorted = page.words;
            std::sort(sorted.begin(), sorted.end(),
                      [](const Word& a, const Word& b) { return a.y1 + a.y2 < b.y1 + b.y2; });
            QVector<QVector<Word>> rows;
            for (const Word& w : sorted) {
                const double mid = (w.y1 + w.y2) / 2;
                if (rows.isEmpty() || mid - (rows.last().first().y1 + rows.last().first().y2) / 2 > 4)
                    rows.append(QVector<Word>());
                rows.last().append(w);
            }
            for (QVector<Word>& row : rows) {
                std::sort(row.begin(), row.end(), [](const Word& a, const Word& b) { return a.x1 < b.x1; });
                QString line;
                for (const Word& w : row)
                    line += w.text;
                page.lines << line.remove(u' ').remove(u'\u3000');
            }
            pages.append(page);
        }
        return pages;
    }
    // Each text in turn, on the page's reading order: the next one after the previous.
    static bool inOrder(const Page& page, const QStringList& texts, QString* missing)
    {
        const QString all = page.text();
        int at = 0;
        for (const QString& t : texts) {
            const int found = all.indexOf(t, at);
            if (found < 0) {
                *missing = t + QStringLiteral(" (after position ") + QString::number(at) + QStringLiteral(") in: ") + all;
                return false;
            }
            at = found + t.size();
        }
        return true;
    }
    // No word leaves its page, and no two words overlap.
    static bool wordsFit(const Page& page, QString* why)
    {
        for (const Word& w : page.words) {
            if (w.x1 < 0 || w.y1 < 0 || w.x2 > page.width || w.y2 > page.height) {
                *why = QStringLiteral("off the page: ") + w.text;
                return false;
            }
        }
        for (int i = 0; i < page.words.size(); ++i) {
            for (int j = i + 1; j < page.words.size(); ++j) {
                const Word& a = page.words[i];
                const Word& b = page.words[j];
                const double dx = std::min(a.x2, b.x2) - std::max(a.x1, b.x1);
                const double dy = std::min(a.y2, b.y2) - std::max(a.y1, b.y1);
                // A font's box is taller than its glyphs: lines touch, text collides only past half a line.
                if (dx > 0.5 && dy > 0.5 * std::min(a.y2 - a.y1, b.y2 - b.y1)) {
                    *why = QStringLiteral("overlap: ") + a.text + QStringLiteral(" / ") + b.text;
                    return false;
                }
            }
        }
        return true;
    }
    static const Page* pageWith(const QVector<Page>& pages, const QString& title, const QString& number, int nth = 0)
    {
        for (const Page& p : pages) {
            if (p.lines.value(0).contains(title) || p.lines.value(1).contains(title)) {
                if (p.text().contains(QStringLiteral("【１．番号】") + number) && nth-- == 0)
                    return &p;
            }
        }
        return nullptr;
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty())
            QSKIP("LibreOffice is not installed");
        m_app = m_dir.filePath(QStringLiteral("app"));
        const Run init = cli({QStringLiteral("init")}, 300000);
        QVERIFY2(init.code == 0, qPrintable(init.err));
        const Run created = cli({QStringLiteral("project"), QStringLiteral("new")});
        QVERIFY2(created.code == 0, qPrintable(created.err));
        m_bid = created.out.trimmed();
        QVERIFY(set(QStringLiteral("GAIYOU"), {QStringLiteral("Kouji=山田邸新築工事"), QStringLiteral("Name7=山田太郎")}));
        QVERIFY(set(QStringLiteral("SHIKICHI"), {QStringLiteral("Tou1=2")}));
    }

    void buildingFloorAndPartFaces()
    {
        QVERIFY(set(QStringLiteral("TATEMONOBETU"),
                    {"Kubun30=08010", "KubunDisp30=一戸建ての住宅", "Youto30=専用住宅", "shubetu31=1", "Zou31=木造",
                     "Kouzoubu4=1", "Jou21_5=1", "Jou61_3=1", "Kai30=2", "Takasa30=7.50", "Kai40=1F", "Kai41=2F",
                     "Men40=60.5", "Men43=45.25", "Men42=60.50", "Men45=45.25", "Men58=105.75", "Men60=105.75",
                     "Yane40=ガルバリウム鋼板葺", "Bikou40=延焼のおそれのある部分の外壁は防火構造とする。",
                     "Bikou41=二棟目は物置。"}));
        QVERIFY(set(QStringLiteral("TATEMONOBETU"), {"Zou31=鉄骨造", "Kai30=1", "Kai40=1F", "Men40=30"}, 2));
        QVERIFY(set(QStringLiteral("KAIBETU"),
                    {"F1Kai60=1F", "F1Takasa=2.90", "F1Tokutei2=1", "F1Kubun60=08010",
                     "F1Kubun60Disp=一戸建ての住宅", "F1Mei60=居間", "F1Men60=60.5"}));
        QCOMPARE(cli({QStringLiteral("project"), QStringLiteral("add"), m_bid, QStringLiteral("DOKURITSU"),
                      QStringLiteral("SU_NO=1"), QStringLiteral("Ban=1-1"), QStringLiteral("NobeMen=105.75"),
                      QStringLiteral("Takasa1=7.50"), QStringLiteral("Kai1=2"), QStringLiteral("Zou1=木造"),
                      QStringLiteral("Kijun1=1"), QStringLiteral("Keisan1=1"), QStringLiteral("Prog=構造計算ソフトA"),
                      QStringLiteral("ProgKubun1=1"), QStringLiteral("ProgNintei=P-123"), QStringLiteral("Rei137=1"),
                      QStringLiteral("Bikou=エキスパンションジョイントで分離")})
                     .code,
                 0);

        const QString xlsx = m_dir.filePath(QStringLiteral("faces.xlsx"));
        const QString pdf = m_dir.filePath(QStringLiteral("faces.pdf"));
        const Run r = cli({QStringLiteral("output"), m_bid, QStringLiteral("確認申請"), QStringLiteral("--out"), xlsx,
                           QStringLiteral("--pdf"), pdf},
                          300000);
        QVERIFY2(r.code == 0, qPrintable(r.err));
        const QVector<Page> pages = readPages(pdf);

        const Page* fourth = pageWith(pages, QStringLiteral("（第四面）"), QStringLiteral("1"));
        QVERIFY(fourth);
        QString missing;
        QVERIFY2(inOrder(*fourth,
                         {"【１．番号】1", "【２．用途】", "（区分08010）一戸建ての住宅専用住宅", "【３．工事種別】■新築",
                          "【４．構造】木造", "【５．主要構造部】", "■準耐火構造", "【６．建築基準法第21条及び第27条の規定の適用】",
                          "■その他", "【７．建築基準法第61条の規定の適用】", "■準耐火建築物", "【８．階数】",
                          "【イ．地階を除く階数】2", "【９．高さ】", "【イ．最高の高さ】7.50ｍ", "【１０．建築設備の種類】",
                          "【１１．確認の特例】", "【１２．床面積】", "1F60.50㎡60.50㎡", "2F45.25㎡45.25㎡",
                          "合計105.75㎡105.75㎡", "【１３．屋根】ガルバリウム鋼板葺", "【１４．外壁】", "【１５．軒裏】",
                          "【１６．居室の床の高さ】", "【１７．便所の種類】", "【１８．その他必要な事項】",
                          "延焼のおそれのある部分の外壁は防火構造とする。", "【１９．備考】", "二棟目は物置。"},
                         &missing),
                 qPrintable(missing));
        // Only the floors that have an area print, and a structure never reads 「木造造」.
        QCOMPARE(fourth->text().count(QStringLiteral("㎡")), 6);
        QVERIFY(!fourth->text().contains(QStringLiteral("造造")));

        const Page* fifth = pageWith(pages, QStringLiteral("（第五面）"), QStringLiteral("1"));
        QVERIFY(fifth);
        QVERIFY2(inOrder(*fifth,
                         {"【１．番号】1", "【２．階】1F", "【３．柱の小径】", "【４．横架材間の垂直距離】", "【５．階の高さ】2.90ｍ",
                          "【６．天井】", "【イ．居室の天井の高さ】",
                          "【ロ．建築基準法施行令第39条第３項に規定する特定天井】□有■無", "【７．用途別床面積】",
                          "08010一戸建ての住宅居間60.50㎡", "【８．その他必要な事項】", "【９．備考】"},
                         &missing),
                 qPrintable(missing));

        const Page* sixth = pageWith(pages, QStringLiteral("（第六面）"), QStringLiteral("1-1"));
        QVERIFY(sixth);
        QVERIFY2(inOrder(*sixth,
                         {"【１．番号】1-1", "【２．延べ面積】105.75㎡", "【３．建築物の高さ等】", "【イ．最高の高さ】7.50ｍ",
                          "【ハ．階数】地上2", "【ニ．構造】木造", "【４．特定構造計算基準又は特定増改築構造計算基準の別】",
                          "■特定構造計算基準□特定増改築構造計算基準", "【５．構造計算の区分】",
                          "■建築基準法施行令第81条第１項各号に掲げる基準に従った構造計算", "【６．構造計算に用いたプログラム】",
                          "【イ．名称】構造計算ソフトA", "【ロ．区分】■建築基準法第20条第１項第２号イ及び第３号イの認定",
                          "（大臣認定番号P-123）", "□その他のプログラム", "【７．建築基準法施行令第137条の２各号に定める基準の区分】",
                          "第1号", "【８．備考】", "エキスパンションジョイントで分離"},
                         &missing),
                 qPrintable(missing));

        // Building 2: its own fourth face, one floor and one sixth face carrying its number.
        const Page* second = pageWith(pages, QStringLiteral("（第四面）"), QStringLiteral("2"));
        QVERIFY(second);
        QVERIFY(inOrder(*second, {"【４．構造】鉄骨造", "1F30.00㎡30.00㎡"}, &missing));
        QVERIFY(pageWith(pages, QStringLiteral("（第五面）"), QStringLiteral("2")));
        QVERIFY(pageWith(pages, QStringLiteral("（第六面）"), QStringLiteral("2")));
        QVERIFY(!pageWith(pages, QStringLiteral("（第五面）"), QStringLiteral("1"), 2));

        for (const Page* page : {fourth, fifth, sixth, second}) {
            QString why;
            QVERIFY2(wordsFit(*page, &why), qPrintable(why));
        }
    }
};

QTEST_GUILESS_MAIN(TestPdfBuildings)
#include "tst_pdf_buildings.moc"
