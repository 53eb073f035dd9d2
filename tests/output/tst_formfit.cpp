#include "BenchProject.h"
#include "BoxFit.h"
#include "FormEditions.h"
#include "InputSheet.h"
#include "Schema.h"
#include "SafeFile.h"
#include "SinseiCellMap.h"
#include "SinseiExcelOutRtn.h"
#include "TestSupport.h"
#include "TextFit.h"
#include "XlsxWorkbook.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

// The template and the cell map as one contract, the fitting of long
// values into their boxes, and the refresh of an office's template copy.
class TestFormFit : public QObject {
    Q_OBJECT

private:
    const QString m_template = QStringLiteral(SD_TEMPLATE_PATH);
    QTemporaryDir m_dir;

private slots:
    void templateAndMapAgree()
    {
        // Cells of the older layout that the map fills and no sheet reads
        // yet: the inspection, notice and removal sheets are redrawn to
        // their editions in force next, and take these up or drop them.
        const QStringList knownGapRanges{
            "C41", "D3:D5", "D7", "D10", "D13", "D15:D17", "D19", "D25", "D27", "D60", "D416", "D485:D487", "D489:D491",
            "D493", "D495:D505", "D510", "D512:D513", "D515:D518", "D967:D971", "D1300:D1304", "E224:E229", "E335",
            "E344", "E431:E437", "E484:E495", "E497:E500", "E502", "E504:E518", "E1002:E1007", "F48", "F50", "F344",
            "F484:F518", "F565:F569", "G431:G437", "G484:G515", "I431:I437", "J43", "J45", "J47", "K228", "K1006",
            "E1335:E1340", "K1339"};
        QSet<QString> knownGaps;
        for (const QString& range : knownGapRanges) {
            const CellRef a = CellRef::parse(range.section(u':', 0, 0));
            const CellRef b = CellRef::parse(range.section(u':', -1));
            for (int r = a.row; r <= b.row; ++r)
                for (int c = a.col; c <= b.col; ++c)
                    knownGaps << CellRef{r, c}.name();
        }
        InputSheet sheet;
        XlsxWorkbook book;
        QVERIFY(book.open(m_template));
        sheet.setTemplateReader([&book](CellRef ref) {
            XlsxCell c;
            book.readCell(SinseiCellMap::kInputSheet, ref, &c);
            return c.formula.isEmpty() ? c.value : QLatin1Char('=') + c.formula;
        });
        SinseiCellMap::fillAll(BenchProject::fullProject(), sheet);

        const QJsonObject list =
            QJsonDocument::fromJson(readBytes(QString(m_template).replace(QStringLiteral(".xlsx"), QStringLiteral(".cells.json")))).object();
        QSet<QString> read;
        QStringList unwritten;
        const QJsonObject sheets = list.value(QStringLiteral("sheets")).toObject();
        QVERIFY(sheets.contains(QStringLiteral("確認申請")));
        for (auto it = sheets.begin(); it != sheets.end(); ++it) {
            // The 別紙 reads cells that the output itself fills.
            if (it.key() == TextFit::kAnnexSheet)
                continue;
            for (const QJsonValue v : it.value().toObject().value(QStringLiteral("reads")).toArray()) {
                const QString ref = v.toString();
                read << ref;
                XlsxCell own;
                book.readCell(SinseiCellMap::kInputSheet, ref, &own);
                const bool filled = sheet.isWritten(CellRef::parse(ref)) || !own.formula.isEmpty();
                if (!filled && !knownGaps.contains(ref))
                    unwritten << it.key() + QLatin1Char('!') + ref;
            }
        }
        QVERIFY2(unwritten.isEmpty(), qPrintable(QStringLiteral("read, never written: ") + unwritten.join(u' ')));

        QSet<QString> unread;
        for (const QJsonValue v : list.value(QStringLiteral("unread")).toArray())
            unread << v.toString();
        QStringList stray;
        for (const auto& [ref, value] : sheet.cells()) {
            const QString name = ref.name();
            if (!read.contains(name) && !unread.contains(name) && !knownGaps.contains(name))
                stray << name;
        }
        QVERIFY2(stray.isEmpty(), qPrintable(QStringLiteral("written, never read: ") + stray.join(u' ')));

        // Every column the map names by its text is one of the project's
        // tables; numbered families (col("Kai", n)) by their stem.
        QSet<QString> columns;
        for (const QString& table : ProjectTables::all)
            if (const TableDef* def = DatabaseSchema::builtIn(DbFile::Kakunin).table(table))
                for (const ColumnDef& c : def->columns)
                    columns << c.name;
        // A text literal names a column when the call it is an argument of
        // reads a row (val, raw and the map's helpers), a stem in col().
        static const QSet<QString> readers{QStringLiteral("val"), QStringLiteral("raw"), QStringLiteral("value"),
                                           QStringLiteral("officeRegistration"), QStringLiteral("architectRegistration"),
                                           QStringLiteral("workKinds")};
        const QRegularExpression literal(QStringLiteral("\"([A-Za-z][A-Za-z0-9_]*)\""));
        const QRegularExpression callee(QStringLiteral("([A-Za-z_]\\w*)\\s*$"));
        QStringList unknown;
        QDirIterator files(QStringLiteral(SD_SOURCE_DIR "/src/output"), {QStringLiteral("CellMap*.cpp")});
        int scanned = 0, named = 0;
        while (files.hasNext()) {
            const QString code = QString::fromUtf8(readBytes(files.next()));
            QVERIFY(!code.isEmpty());
            ++scanned;
            for (auto m = literal.globalMatch(code); m.hasNext();) {
                const QRegularExpressionMatch hit = m.next();
                int depth = 0, at = hit.capturedStart() - 1;
                for (; at >= 0; --at) {
                    if (code[at] == u')')
                        ++depth;
                    else if (code[at] == u'(' && depth-- == 0)
                        break;
                    else if (code[at] == u';' || code[at] == u'{')
                        at = 0;
                }
                if (at <= 0)
                    continue;
                const QString name = callee.match(code.left(at)).captured(1);
                const QString c = hit.captured(1);
                named += readers.contains(name) || name == QLatin1String("col");
                const bool isStem = std::any_of(columns.begin(), columns.end(), [&c](const QString& k) {
                    return k.startsWith(c) && k.mid(c.size()).toInt() > 0;
                });
                // workKinds takes the first column and the stem of the rest.
                if (readers.contains(name) && !columns.contains(c) && !(name == QLatin1String("workKinds") && isStem))
                    unknown << c;
                if (name == QLatin1String("col") && !isStem)
                    unknown << c + QStringLiteral("*");
            }
        }
        QVERIFY(scanned >= 2 && named > 200);
        QVERIFY2(unknown.isEmpty(), qPrintable(QStringLiteral("not in the schema: ") + unknown.join(u' ')));
    }

    void longValuesFitOrGoToTheAnnex()
    {
        // Sizes: a short text keeps the template's, a longer one shrinks in
        // half points, one too long even at the minimum gets none.
        QCOMPARE(TextFit::fittingSize(QStringLiteral("山田太郎"), 200, 14, 10, false), 10.0);
        const double smaller = TextFit::fittingSize(QString(30, u'字'), 250, 14, 10, false);
        QVERIFY(smaller >= TextFit::kMinPoints && smaller < 10);
        QVERIFY(TextFit::fittingSize(QString(30, u'a'), 250, 14, 10, false) > smaller);  // half-width letters
        QCOMPARE(TextFit::fittingSize(QString(60, u'字'), 250, 14, 10, false), 0.0);
        QVERIFY(TextFit::fittingSize(QString(60, u'字'), 250, 60, 10, true) >= TextFit::kMinPoints);  // wraps
        QVERIFY(TextFit::fittingSize(QStringLiteral("一\n二\n三\n四"), 250, 30, 10, true) == 0.0);

        InputSheet in;
        in.setText("D4", QStringLiteral("東京"));
        QCOMPARE(TextFit::shownText(QStringLiteral("（{D4}）{E9|D4}"), in), QStringLiteral("（東京）東京"));

        // A 2,500-character text of the application goes whole to the 別紙,
        // over consecutive slots in its own order, and its box says so.
        XlsxWorkbook book;
        QVERIFY(book.open(m_template));
        TextFit fit;
        QString error;
        QVERIFY2(fit.load(book, &error), qPrintable(error));
        QVERIFY(fit.boxes().size() > 500);
        for (const TextFit::Box& b : fit.boxes())
            QVERIFY2(book.hasSheet(b.sheet) && b.width > 0 && b.height > 0, qPrintable(b.sheet + b.cell.name()));
        ProjectData p = BenchProject::fullProject(BenchProject::Texts::Fitting);
        p.buildingCount = 1;
        QString longText;
        for (int i = 0; longText.size() < 2500; ++i)
            longText += QStringLiteral("その他必要な事項の記載%1。").arg(i);
        p.shikichi.insert(QStringLiteral("Jikou10"), longText);
        InputSheet sheet;
        SinseiCellMap::fillAll(p, sheet);
        const QSet<QString> facts = fit.planAnnex(sheet, SinseiExcelOutRtn::printedSheets(0, book.sheetNames()));
        QVERIFY(facts.contains(QStringLiteral("annex")) && facts.contains(QStringLiteral("annex:1")));
        QCOMPARE(sheet.text("C177"), TextFit::kAnnexNote);
        int first = -1, pieces = 0;
        QString joined;
        for (int slot = 0; slot < TextFit::kAnnexSlots; ++slot) {
            const QString caption = sheet.read(CellRef{TextFit::annexRow(slot), 4});
            if (!caption.contains(QStringLiteral("その他必要な事項")))
                continue;
            if (first < 0)
                first = slot;
            QCOMPARE(slot, first + pieces++);
            QCOMPARE(caption.endsWith(QStringLiteral("（続き）")), pieces > 1);
            joined += sheet.read(CellRef{TextFit::annexRow(slot) + 1, 4});
        }
        QVERIFY2(pieces >= 2, qPrintable(QString::number(pieces)));
        QCOMPARE(joined, longText);

        // The boxes that stay get a smaller font, never below the minimum.
        QVERIFY(book.writeCells(SinseiCellMap::kInputSheet, sheet.writes()));
        QVERIFY2(fit.applySizes(book, sheet, &error), qPrintable(error));
        for (const TextFit::Box& b : fit.boxes()) {
            XlsxCellStyle style;
            QVERIFY(book.readCellStyle(b.sheet, b.cell.name(), &style));
            QVERIFY2(style.fontSize >= TextFit::kMinPoints, qPrintable(b.sheet + b.cell.name()));
        }
    }

    // What the windows tell while typing comes from the same boxes: the
    // building's name fits, then shrinks, then goes to the 別紙, and a text
    // too long even for the 別紙 is cut to what prints.
    void typedTextsAreJudgedByTheirBoxes()
    {
        BoxFit fit;
        QString error;
        QVERIFY2(fit.load(m_template, &error), qPrintable(error));
        const QString t = QStringLiteral("GAIYOU");
        const QString c = QStringLiteral("Buken");
        QVERIFY(fit.knows(t, c));
        QVERIFY(fit.knows(QStringLiteral("BOUKA"), QStringLiteral("Tel1")));
        QVERIFY(!fit.knows(t, QStringLiteral("PHOTO_FLD")));
        QCOMPARE(fit.judge(t, c, QStringLiteral("山田邸新築工事")).verdict, BoxFit::Verdict::Fits);
        QList<int> seen;
        QString name;
        const int tooLong = static_cast<int>(BoxFit::Verdict::TooLong);
        for (int n = 1; n <= 20000 && !seen.contains(tooLong); n += 1 + n / 40) {
            name = QString(n, u'館');
            const int v = static_cast<int>(fit.judge(t, c, name).verdict);
            QVERIFY2(seen.isEmpty() || v >= seen.last(), qPrintable(QString::number(n)));  // only ever worse
            if (seen.isEmpty() || seen.last() != v)
                seen << v;
        }
        QCOMPARE(seen, (QList<int>{0, 1, 2, 3}));  // fits, smaller, 別紙, too long
        const QString kept = fit.longestPrintable(t, c, name);
        QVERIFY(kept.size() > 100 && kept.size() < name.size());
        QVERIFY(fit.judge(t, c, kept).verdict == BoxFit::Verdict::Annex);
        QVERIFY(BoxFit::describe(fit.judge(t, c, kept)).contains(QStringLiteral("別紙")));
    }

    void officeTemplateFollowsTheRelease()
    {
        // Against the shipped R2-abc: no stamp, an older release or another build of it is behind.
        for (const auto& [stamp, behind] : {std::pair{"", true}, {"R1-abc", true}, {"R2-abd", true}, {"R3-abd", false},
                                            {"R2-abc", false}})
            QVERIFY2(FormEditions::isBehind(QString::fromLatin1(stamp), QStringLiteral("R2-abc")) == behind, stamp);

        // The program beside its shipped templates; an office of release 0.1.
        const QString program = m_dir.filePath(QStringLiteral("program"));
        const QString app = m_dir.filePath(QStringLiteral("app"));
        QVERIFY(QDir().mkpath(program + QStringLiteral("/templates")) && QDir().mkpath(app));
        QString error;
        QVERIFY(SafeFile::copy(m_template, program + QStringLiteral("/templates/確認申請.xlsx"), &error));
        QVERIFY(SafeFile::copy(QString(m_template).replace(QStringLiteral(".xlsx"), QStringLiteral(".cells.json")),
                               program + QStringLiteral("/templates/確認申請.cells.json"), &error));
        for (const QString& f : QDir(QStringLiteral(SD_FIXTURE_DIR)).entryList(QDir::Files))
            QVERIFY(SafeFile::copy(QStringLiteral(SD_FIXTURE_DIR "/") + f, app + QLatin1Char('/') + f, &error));

        QVector<FormEditions::Document> docs;
        QString shippedStamp;
        QVERIFY(FormEditions::read(m_template, &docs, &shippedStamp, &error));
        QCOMPARE(docs.size(), SinseiExcelOutRtn::documentNames().size());
        for (const FormEditions::Document& d : docs) {
            QCOMPARE(SinseiExcelOutRtn::documentNames().value(d.index), d.name);
            QVERIFY(!d.form.isEmpty() && !d.edition.isEmpty());
        }
        QCOMPARE(docs.first().form, QStringLiteral("第二号様式"));

        // Release 0.1's template: no stamp, reformatted by the office.
        const QString target = app + QStringLiteral("/確認申請.xlsx");
        QVERIFY(SafeFile::copy(m_template, target, &error));
        ShoshikiSet::CellList cells;
        QVERIFY(ShoshikiSet::loadCellList(program + QStringLiteral("/templates/確認申請.xlsx"), &cells, &error));
        const QString first = cells.value(QStringLiteral("確認申請")).input.first().section(u':', 0, 0);
        {
            XlsxWorkbook old;
            QVERIFY(old.open(target));
            QVERIFY(old.setText(FormEditions::kSheet, QStringLiteral("F2"), QString()));
            XlsxFormat office;
            office.fontName = QStringLiteral("ＭＳ ゴシック");
            QVERIFY(old.formatCells(QStringLiteral("確認申請"), first, office) && old.save());
        }
        std::array<ShoshikiSet::Setting, 4> sets;
        for (auto& s : sets) {
            s.fontName = QStringLiteral("ＭＳ ゴシック");
            s.style = QStringLiteral("標準");
        }
        const auto office = [&sets] { return sets; };
        QString said;
        QVERIFY2(FormEditions::refreshTemplate(app, program, office, &said, &error), qPrintable(error));
        QVERIFY2(said.contains(QStringLiteral("旧版")), qPrintable(said));
        QString stamp;
        QVERIFY(FormEditions::read(target, &docs, &stamp, &error));
        QCOMPARE(stamp, shippedStamp);
        const QStringList kept = QDir(app).entryList({QStringLiteral("確認申請.xlsx.旧版-*")});
        QCOMPARE(kept.size(), 1);
        QVERIFY(FormEditions::read(app + QLatin1Char('/') + kept.first(), &docs, &stamp, &error) && stamp.isEmpty());
        QVERIFY(FormEditions::read(app + QStringLiteral("/templates/確認申請.xlsx"), &docs, &stamp, &error));
        QCOMPARE(stamp, shippedStamp);
        XlsxWorkbook now;
        XlsxCellStyle look;
        QVERIFY(now.open(target) && now.readCellStyle(QStringLiteral("確認申請"), first, &look));
        QCOMPARE(look.fontName, QStringLiteral("ＭＳ ゴシック"));
        now.close();

        // Up to date: nothing more happens, but a cell list of the same
        // edition that a release describes more fully follows the program's.
        const QString ownCells = app + QStringLiteral("/templates/確認申請.cells.json");
        const QByteArray fuller = readBytes(program + QStringLiteral("/templates/確認申請.cells.json"));
        QJsonObject older = QJsonDocument::fromJson(fuller).object();
        QJsonObject sheets = older.value(QStringLiteral("sheets")).toObject();
        for (const QString& name : sheets.keys()) {
            QJsonObject sheet = sheets.value(name).toObject();
            sheet.remove(QStringLiteral("items"));
            sheets.insert(name, sheet);
        }
        older.insert(QStringLiteral("sheets"), sheets);
        QVERIFY(SafeFile::write(ownCells, QJsonDocument(older).toJson(), &error));
        QVERIFY(FormEditions::refreshTemplate(app, program, office, &said, &error) && said.isEmpty());
        QCOMPARE(QDir(app).entryList({QStringLiteral("確認申請.xlsx.旧版-*")}).size(), 1);
        QCOMPARE(readBytes(ownCells), fuller);
    }
};

QTEST_GUILESS_MAIN(TestFormFit)
#include "tst_formfit.moc"
