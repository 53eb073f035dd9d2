#include "PdfPages.h"
#include "SinseiExcelOutRtn.h"
#include "ShiftJis.h"
#include "SubmissionSet.h"
#include "TestSupport.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFOutlineDocumentHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <map>
#include <memory>

// From a project typed in through the batch tool to the printed pages:
// the workbook filled by the CLI, rendered by LibreOffice, read back as
// text. Slow (LibreOffice starts for every conversion).
class TestPdf : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    CliProject m_p;

    static int pages(const QString& pdf) { return int(readPdfPages(pdf).size()); }
    static QString pdfText(const QString& pdf)
    {
        // Layout off: a value that a cell shrinks to fit comes out whole.
        return runProcess(QStringLiteral("pdftotext"), {pdf, "-"}).out.remove(u' ').remove(u'\u3000');
    }

private slots:
    void initTestCase()
    {
        SD_START_PDF_PROJECT(m_p, m_dir);
        QVERIFY2(QFile::exists(m_p.app + QStringLiteral("/確認申請.xlsx")), "init places the template in the application folder");
        QVERIFY(m_p.set(QStringLiteral("GAIYOU"), {"Kouji=山田邸新築工事", "Buken=山田ハウス", "Name7=山田太郎",
                                               "Addr6=東京都千代田区神田一丁目2番3号", "Name2=設計一郎", "Kyu2=一級",
                                               "Tiji2=大臣", "Gou2=345678"}));
        QVERIFY(m_p.set(QStringLiteral("SHIKICHI"), {"Tou1=1", "Tiban=千代田区神田一丁目2番", "Shubetu1=1"}));
        QVERIFY(m_p.set(QStringLiteral("TATEMONOBETU"), {"Kai30=2", "Setu1=1", "Setubi40=太陽光発電設備", "Yane40=ガルバリウム鋼板葺"}));
        QVERIFY(m_p.set(QStringLiteral("TATEMONOBETU"), {"Yane40=二棟目の屋根"}, 2));
        QVERIFY(m_p.set(QStringLiteral("KAIBETU"), {"F1Mei60=寝室階"}, 2));
        QVERIFY(m_p.set(QStringLiteral("KAIBETU"), {"F1Mei60=使わない階"}, 3));
    }

    void applicationPages()
    {
        const QString xlsx = m_dir.filePath(QStringLiteral("kakunin.xlsx"));
        const QString pdf = m_dir.filePath(QStringLiteral("kakunin.pdf"));
        const CliRun r = m_p.run({"output", m_p.bid, "確認申請", "--out", xlsx, "--pdf", pdf}, 300000);
        QVERIFY2(r.code == 0, qPrintable(r.err));
        // Faces one to three (the second and the third on two pages each), then building 1's
        // fourth face, one fifth face for each of its two floors and one
        // sixth face; buildings 2 and 3 and the floor slots it does not use
        // are hidden.
        QCOMPARE(pages(pdf), 9);
        const QString text = pdfText(pdf);
        for (const char* expected : {"山田太郎", "東京都千代田区神田一丁目2番3号",
                                     "確認申請書（建築物）", "（第五面）", "千代田区神田一丁目2番", "■新築",
                                     "（一級）建築士", "（大臣）登録第345678号", "電気・太陽光発電設備", "ガルバリウム鋼板葺",
                                     "寝室階"})
            QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
        for (const char* absent : {"二棟目の屋根", "使わない階", "データ入力１"})
            QVERIFY2(!text.contains(QString::fromUtf8(absent)), absent);
        // The forms are set in a Mincho face that Linux has, not a fallback.
        const CliRun fonts = runProcess(QStringLiteral("pdffonts"), {pdf});
        QVERIFY2(fonts.out.contains(QLatin1String("IPAMincho")) || fonts.out.contains(QLatin1String("NotoSerifCJK")),
                 qPrintable(fonts.out));
    }

    void secondBuildingAndOtherDocuments()
    {
        QVERIFY(m_p.set(QStringLiteral("SHIKICHI"), {"Tou1=2"}));
        const QString xlsx = m_dir.filePath(QStringLiteral("two.xlsx"));
        QVERIFY(m_p.run({"output", m_p.bid, "0", "--out", xlsx}).code == 0);
        QString error;
        const QString pdf = m_dir.filePath(QStringLiteral("two.pdf"));
        QVERIFY2(SinseiExcelOutRtn::renderPdf(xlsx, pdf, 0, &error), qPrintable(error));
        // Building 2 adds its fourth face, one floor and one sixth face.
        QCOMPARE(pages(pdf), 12);
        QVERIFY(pdfText(pdf).contains(QStringLiteral("二棟目の屋根")));

        // The power of attorney alone, and every printed sheet without the input sheet.
        const QString attorney = m_dir.filePath(QStringLiteral("inin.pdf"));
        QVERIFY2(SinseiExcelOutRtn::renderPdf(xlsx, attorney, 3, &error), qPrintable(error));
        QCOMPARE(pages(attorney), 1);
        QVERIFY(pdfText(attorney).contains(QStringLiteral("上記の者を代理者と定め")));
        const QString all = m_dir.filePath(QStringLiteral("all.pdf"));
        QVERIFY2(SinseiExcelOutRtn::renderPdf(xlsx, all, -1, &error), qPrintable(error));
        const QString text = pdfText(all);
        for (const char* title : {"山田邸新築工事", "山田ハウス", "建築計画概要書", "建築工事届", "計画変更確認申請書", "中間検査申請書", "完了検査申請書",
                                  "工事監理の状況", "建築物除却届", "防火対象物に関する事項", "工事監理報告書"})
            QVERIFY2(text.contains(QString::fromUtf8(title)), title);
        QVERIFY(!text.contains(QStringLiteral("各帳票のシートはこのシートの値を印刷します")));
        QVERIFY(pages(all) > 30);
    }

    void longTextsPrintWholeAndReadable()
    {
        QString other;
        for (int i = 0; other.size() < 600; ++i)
            other += QStringLiteral("敷地の状況%1について。").arg(i);
        // A three-line remark of the second face (the form in force has no 意見の概要 item).
        const QString opinion = QStringLiteral("空調設備の能力を確認した。\\n換気計算の方法を確認した。\\n給湯配管の経路を確認した。");
        QVERIFY(m_p.set(QStringLiteral("GAIYOU"), {"Bikou=" + opinion}));
        QVERIFY(m_p.set(QStringLiteral("SHIKICHI"), {"Tou1=2", "Jikou10=" + other}));
        const QString xlsx = m_dir.filePath(QStringLiteral("long.xlsx"));
        const QString pdf = m_dir.filePath(QStringLiteral("long.pdf"));
        const CliRun r = m_p.run({"output", m_p.bid, "確認申請", "--out", xlsx, "--pdf", pdf}, 300000);
        QVERIFY2(r.code == 0, qPrintable(r.err));
        // The two buildings' application (twelve pages) and one 別紙 page.
        QCOMPARE(pages(pdf), 13);
        const QString text = pdfText(pdf);
        for (const QString& line : opinion.split(QStringLiteral("\\n")))
            QVERIFY2(text.contains(line), qPrintable(line));
        QVERIFY(text.contains(QStringLiteral("別紙のとおり")));

        // Word by word: every word on its page and no smaller than 7 points
        // (a 7-point word's box is 9.2 points tall on the page scaled to A4);
        // the long text whole on the last page, the 別紙.
        const QVector<PdfPage> printed = readPdfPages(pdf);
        QCOMPARE(printed.size(), 13);
        for (const PdfPage& page : printed)
            for (const PdfWord& w : page.words)
                QVERIFY2(QRectF(QPointF(0, 0), page.size).contains(w.box) && w.box.height() >= 9.0, qPrintable(w.text));
        QString lastPage;
        for (const PdfWord& w : printed.last().words)
            lastPage += w.text;
        QVERIFY(lastPage.startsWith(QStringLiteral("別紙")));
        QVERIFY(lastPage.contains(QStringLiteral("その他必要な事項")));
        QVERIFY2(lastPage.contains(other), qPrintable(lastPage));
    }

    // Runs after the long texts: two buildings and a 別紙 page.
    void submissionSet()
    {
        QCOMPARE(SubmissionSet::fileName(QStringLiteral(" 山田/邸:*?\"<>|\t. "), QStringLiteral("確認申請"),
                                         QDate(2026, 12, 7)),
                 QStringLiteral("山田_邸_________確認申請_20261207.pdf"));
        QCOMPARE(SubmissionSet::fileName(QString(), QStringLiteral("概要書"), QDate(2026, 1, 2)),
                 QStringLiteral("名称未設定_概要書_20260102.pdf"));
        const QString longest = SubmissionSet::fileName(QString(300, QChar(0x9593)), QStringLiteral("委任状"), QDate(2026, 1, 2));
        QVERIFY(longest.toUtf8().size() <= 255);

        // An A3 drawing of three pages, each its own vector content.
        const QString drawing = m_dir.filePath(QStringLiteral("図面.pdf"));
        {
            QPDF pdf;
            pdf.emptyPDF();
            QPDFPageDocumentHelper pages(pdf);
            for (int i = 0; i < 3; ++i) {
                QPDFObjectHandle page = pdf.makeIndirectObject(QPDFObjectHandle::parse(
                    "<< /Type /Page /MediaBox [0 0 1190.55 841.89] /Resources << >> >>"));
                page.replaceKey("/Contents", QPDFObjectHandle::newStream(
                                                 &pdf, "0 0 m " + std::to_string(100 * (i + 1)) + " 500 l S\n"));
                pages.addPage(page, false);
            }
            QPDFWriter(pdf, QFile::encodeName(drawing).constData()).write();
        }
        const QByteArray bytes = readBytes(drawing);
        const QString broken = m_dir.filePath(QStringLiteral("broken.pdf"));
        writeBytes(broken, bytes.left(bytes.size() / 2));

        QVERIFY(m_p.set(QStringLiteral("GAIYOU"), {"Name5=代理次郎"}));
        const QString out = m_dir.filePath(QStringLiteral("set"));
        QVERIFY(QDir().mkpath(out));
        CliRun r = m_p.run({"submit", m_p.bid, "--kind", "確認申請", "--drawings", drawing, broken, "--out", out});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(QStringLiteral("broken.pdf")), qPrintable(r.err));
        QVERIFY(QDir(out).isEmpty());
        const QString locked = m_dir.filePath(QStringLiteral("locked.pdf"));
        QCOMPARE(runProcess(QStringLiteral("qpdf"), {"--encrypt", "u", "o", "256", "--", drawing, locked}).code, 0);
        r = m_p.run({"submit", m_p.bid, "--kind", "確認申請", "--drawings", locked, "--out", out});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(QStringLiteral("locked.pdf")) && r.err.contains(QStringLiteral("保護")), qPrintable(r.err));
        QVERIFY(QDir(out).isEmpty());
        r = m_p.run({"submit", m_p.bid, "--kind", "確認", "--out", out});
        QCOMPARE(r.code, 2);
        r = m_p.run({"submit", m_p.bid, "--kind", "確認申請", "--docs", "概要書,無い", "--out", out});
        QCOMPARE(r.code, 2);

        r = m_p.run({"submit", m_p.bid, "--kind", "確認申請", "--drawings", drawing, "--items", "--out", out}, 300000);
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QStringList lines = r.out.trimmed().split(u'\n');
        // The combined PDF, then 確認申請, 概要書, 委任状 (a 代理者 is entered) and the 別紙,
        // then the item lists for the portal (the same items as export-items gives),
        // then the entry of the submission history.
        QCOMPARE(lines.size(), 9);
        QVERIFY2(lines.takeLast().startsWith(QStringLiteral("提出履歴: 確認申請 第1回\t提出履歴/%1/").arg(m_p.bid)), qPrintable(r.out));
        const QStringList itemFiles = lines.mid(5);
        lines = lines.mid(0, 5);
        QVERIFY(itemFiles[0].endsWith(QStringLiteral("確認申請入力項目_") + QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".csv")));
        const QByteArray setJson = readBytes(itemFiles[2]);
        CliRun items = m_p.run({"export-items", m_p.bid, "--kind", "確認申請", "--format", "json"}, 300000);
        QVERIFY2(items.code == 0, qPrintable(items.err));
        QCOMPARE(items.out.toUtf8(), setJson);
        const QJsonArray list = QJsonDocument::fromJson(setJson).object().value(QLatin1String("items")).toArray();
        QStringList order;
        for (const QJsonValue& v : list)
            if (!order.contains(v.toObject().value(QLatin1String("document")).toString()))
                order << v.toObject().value(QLatin1String("document")).toString();
        QCOMPARE(order, (QStringList{"確認申請", "概要書"}));
        QString csv;
        QVERIFY(ShiftJis::decode(readBytes(itemFiles[0]), &csv));
        QCOMPARE(csv.count(QStringLiteral("\r\n")), list.size() + 1);
        QVERIFY(csv.startsWith(QStringLiteral("\"書類\",\"面\",\"番号\",\"項目\",\"値\"\r\n\"確認申請\",\"第二面\",\"１．イ\"")));
        QCOMPARE(m_p.run({"export-items", m_p.bid, "--kind", "確認申請", "--format", "xml"}).code, 2);
        const QString combined = lines[0].section(u'\t', 0, 0);
        QVERIFY(QFileInfo(combined).fileName().contains(QStringLiteral("確認申請一式")));
        int sum = 0;
        for (int i = 1; i < lines.size(); ++i)
            sum += pages(lines[i]);
        QCOMPARE(pages(lines[1]), 12);
        QCOMPARE(pages(combined), sum + 3);
        QCOMPARE(lines[0].section(u'\t', 1).toInt(), sum + 3);

        QPDF set;
        set.processFile(QFile::encodeName(combined).constData());
        QStringList titles;
        for (QPDFOutlineObjectHelper& o : QPDFOutlineDocumentHelper(set).getTopLevelOutlines())
            titles << QString::fromStdString(o.getTitle());
        QCOMPARE(titles, (QStringList{"確認申請", "概要書", "委任状", "別紙", "図面.pdf"}));
        // Under each document its faces, each at its first page; a face
        // printed again for the second building says so.
        auto faces = [](QPDF& pdf, bool underFirst) {
            std::map<QPDFObjGen, int> number;
            for (QPDFPageObjectHelper& p : QPDFPageDocumentHelper(pdf).getAllPages())
                number.emplace(p.getObjectHandle().getObjGen(), int(number.size()) + 1);
            std::vector<QPDFOutlineObjectHelper> level = QPDFOutlineDocumentHelper(pdf).getTopLevelOutlines();
            if (underFirst)
                level = level.front().getKids();
            QStringList out;
            for (QPDFOutlineObjectHelper& o : level)
                out << QStringLiteral("%1:%2").arg(QString::fromStdString(o.getTitle())).arg(number[o.getDestPage().getObjGen()]);
            return out.join(u' ');
        };
        const QString expected = QStringLiteral("第一面:1 第二面:2 第三面:4 第四面（1棟目）:6 第五面（1棟目）:7 "
                                                "第六面（1棟目）:9 第四面（2棟目）:10 第五面（2棟目）:11 第六面（2棟目）:12");
        QCOMPARE(faces(set, true), expected);
        QPDF application;
        application.processFile(QFile::encodeName(lines[1].section(u'\t', 0, 0)).constData());
        QCOMPARE(faces(application, false), expected);
        QPDF original;
        original.processFile(QFile::encodeName(drawing).constData());
        std::vector<QPDFPageObjectHelper> setPages = QPDFPageDocumentHelper(set).getAllPages();
        std::vector<QPDFPageObjectHelper> drawn = QPDFPageDocumentHelper(original).getAllPages();
        for (size_t i = 0; i < drawn.size(); ++i) {
            QPDFPageObjectHelper merged = setPages.at(setPages.size() - drawn.size() + i);
            const auto a = merged.getObjectHandle().getKey("/Contents").getStreamData();
            const auto b = drawn[i].getObjectHandle().getKey("/Contents").getStreamData();
            QCOMPARE(QByteArray(reinterpret_cast<const char*>(a->getBuffer()), int(a->getSize())),
                     QByteArray(reinterpret_cast<const char*>(b->getBuffer()), int(b->getSize())));
            QCOMPARE(merged.getMediaBox().unparse(), drawn[i].getMediaBox().unparse());
        }
        submissionHistory(drawing, out);
    }

private:
    // Two rounds of the same kind, the drawing revised in between: the
    // history keeps both sets whole, in their own folders, and tells the
    // revised drawing (and the set that holds it) from the documents that
    // came out the same.
    void submissionHistory(const QString& drawing, const QString& out)
    {
        // The revised drawing, under the same name, has lost its last sheet.
        const QString revised = m_dir.filePath(QStringLiteral("v2/図面.pdf"));
        QVERIFY(QDir().mkpath(QFileInfo(revised).absolutePath()));
        QCOMPARE(runProcess(QStringLiteral("qpdf"), {"--empty", "--pages", drawing, "1-2", "--", revised}).code, 0);
        CliRun r = m_p.run({"submit", m_p.bid, "--kind", "確認申請", "--drawings", revised, "--items", "--out", out, "--note",
                     "補正: 配置図差替え"}, 300000);
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY2(r.out.contains(QStringLiteral("提出履歴: 確認申請 第2回")), qPrintable(r.out));

        r = m_p.run({"history", m_p.bid, "--json"});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        const QJsonArray entries = QJsonDocument::fromJson(r.out.toUtf8()).array();
        QCOMPARE(entries.size(), 2);
        QStringList folders;
        for (int i = 0; i < 2; ++i) {
            const QJsonObject e = entries[i].toObject();
            QCOMPARE((QStringList{QString::number(e[QStringLiteral("round")].toInt()), e[QStringLiteral("kind")].toString(),
                                  e[QStringLiteral("note")].toString()}),
                     (QStringList{QString::number(i + 1), "確認申請", i == 0 ? "" : "補正: 配置図差替え"}));
            folders << e[QStringLiteral("folder")].toString();
            QStringList documents;
            for (const QJsonValue& v : e[QStringLiteral("files")].toArray()) {
                const QJsonObject f = v.toObject();
                documents << f[QStringLiteral("document")].toString();
                const QByteArray kept = readBytes(QDir(m_p.app).filePath(f[QStringLiteral("path")].toString()));
                QCOMPARE(QString::fromLatin1(QCryptographicHash::hash(kept, QCryptographicHash::Sha256).toHex()),
                         f[QStringLiteral("sha256")].toString());
            }
            QCOMPARE(documents, (QStringList{"一式", "確認申請", "概要書", "委任状", "別紙", "確認申請入力項目.csv",
                                             "確認申請入力項目_UTF-8.csv", "確認申請入力項目.json", "図面.pdf"}));
            // The folder checks itself: 記録.txt is sha256sum's list of its files.
            QProcess check;
            check.setWorkingDirectory(QDir(m_p.app).filePath(folders.last()));
            check.start(QStringLiteral("sha256sum"), {"--check", "--strict", "記録.txt"});
            QVERIFY(check.waitForFinished());
            QVERIFY2(check.exitCode() == 0, check.readAllStandardError().constData());
        }
        QVERIFY(folders[0] != folders[1]);

        r = m_p.run({"history", "diff", m_p.bid, "1", "2"});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QStringList changes;
        for (const QString& line : r.out.trimmed().split(u'\n'))
            changes << line.section(u'\t', 0, 1);
        QCOMPARE(changes, (QStringList{"変更\t一式", "同じ\t確認申請", "同じ\t概要書", "同じ\t委任状", "同じ\t別紙",
                                       "同じ\t確認申請入力項目.csv", "同じ\t確認申請入力項目_UTF-8.csv",
                                       "同じ\t確認申請入力項目.json", "変更\t図面.pdf"}));
    }
};

QTEST_GUILESS_MAIN(TestPdf)
#include "tst_pdf.moc"
