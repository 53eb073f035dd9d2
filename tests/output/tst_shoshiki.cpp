#include "AppDir.h"
#include "LibreOffice.h"
#include "OptionStore.h"
#include "ShoshikiSet.h"
#include "SinseiExcelOutRtn.h"
#include "TestSupport.h"
#include "XlsxWorkbook.h"
#include "ZipEntries.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QtTest>

// The formatting of the application workbook's template with the office's
// font sets, on a copy of the real template.
class TestShoshiki : public QObject {
    Q_OBJECT

private:
    // The application directory of a test: the template and its cell list
    // where the program keeps them.
    static bool installTemplate(const TempAppDir& dir)
    {
        QDir().mkpath(dir.file(QStringLiteral("templates")));
        return QFile::copy(QStringLiteral(SD_TEMPLATE_PATH), dir.file(QStringLiteral("確認申請.xlsx")))
            && QFile::copy(QStringLiteral(SD_CELLS_PATH), dir.file(QStringLiteral("templates/確認申請.cells.json")));
    }

    static QJsonObject cellList()
    {
        return QJsonDocument::fromJson(readBytes(QStringLiteral(SD_CELLS_PATH))).object().value(QStringLiteral("sheets")).toObject();
    }

    static QStringList ranges(const QString& sheet, const QString& role)
    {
        QStringList out;
        for (const QJsonValue& v : cellList().value(sheet).toObject().value(QStringLiteral("cells")).toObject().value(role).toArray())
            out << v.toString();
        return out;
    }

    // Every cell of a range, rows first.
    static QStringList cellsOf(const QString& range)
    {
        const CellRef a = CellRef::parse(range.section(u':', 0, 0));
        const CellRef b = range.contains(u':') ? CellRef::parse(range.section(u':', 1)) : a;
        QStringList out;
        for (int r = a.row; r <= b.row; ++r)
            for (int c = a.col; c <= b.col; ++c)
                out << CellRef{r, c}.name();
        return out;
    }

    static QString anchor(const QString& range)
    {
        return range.section(u':', 0, 0);
    }

    static XlsxCellStyle style(XlsxWorkbook& book, const QString& sheet, const QString& address)
    {
        XlsxCellStyle s;
        if (!book.readCellStyle(sheet, address, &s))
            qWarning("%s", qPrintable(book.errorString()));
        return s;
    }
    // A cell's font: name, size, bold and italic, colour.
    static QString font(XlsxWorkbook& book, const QString& sheet, const QString& address)
    {
        const XlsxCellStyle s = style(book, sheet, address);
        return QStringList{s.fontName, QString::number(s.fontSize),
                           QLatin1String(s.bold ? "b" : "-") + QLatin1String(s.italic ? "i" : "-"), s.fontColor}
            .join(u'|');
    }

    // Set 1 gothic italic red with dotted underlines, set 2 upright with
    // swatch 13 (light grey), set 3 bold, which prints italic, in black.
    static OptionValues officeOptions()
    {
        OptionValues v;
        v.fonts[0].name = QStringLiteral("ＭＳ ゴシック");
        v.fonts[0].style = QStringLiteral("斜体");
        v.fonts[0].colorIndex = 1;
        v.fonts[1].name = QStringLiteral("IPAexゴシック");
        v.fonts[1].style = QStringLiteral("標準");
        v.fonts[1].size = QStringLiteral("16");
        v.fonts[1].colorIndex = 13;
        v.fonts[2].name = QStringLiteral("游明朝");
        v.fonts[2].style = QStringLiteral("太字");
        v.fonts[2].colorIndex = 0;
        v.lineStyleIndex = 3;
        return v;
    }

    static QString python()
    {
        return QFileInfo::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3") : QString();
    }

private slots:
    void colourNumbers()
    {
        // 2 keeps the template's colour; numbers outside the palette give none.
        for (const auto& [number, rgb] : {std::pair{15, 0xC8CCC8u}, {1, 0x000000u}, {3, 0xF80000u}, {16, 0x989898u}})
            QCOMPARE(ShoshikiSet::colourFor(number).value_or(1), rgb);
        for (int n : {-1, 0, 2, 17, 99})
            QVERIFY(!ShoshikiSet::colourFor(n));
        // The picker's swatches (black, red, blue, light grey, grey, none) reach the colours of the same look.
        for (const auto& [swatch, number] : {std::pair{0, 1}, {1, 3}, {3, 5}, {13, 15}, {14, 16}, {15, 0}})
            QCOMPARE(ShoshikiSet::colourNumberOfSwatch(swatch), number);
    }

    void whatASetWrites()
    {
        ShoshikiSet::Setting s;
        s.fontName = QStringLiteral("ＭＳ ゴシック");
        s.style = QStringLiteral("標準");
        s.size = 14;
        s.color = 2;
        XlsxFormat f = ShoshikiSet::formatFor(s);
        QCOMPARE(f.fontName.value_or(QString()), QStringLiteral("ＭＳ ゴシック"));
        QCOMPARE(f.italic, std::optional<bool>(false));
        QCOMPARE(f.fontSize, std::optional<double>(10));
        QVERIFY(!f.fontColor);
        QVERIFY(!f.bottomBorder);
        for (const char* style : {"斜体", "太字", "太字 斜体", ""}) {
            s.style = QString::fromUtf8(style);
            QCOMPARE(ShoshikiSet::formatFor(s).italic, std::optional<bool>(true));
        }
        s.color = 15;
        QCOMPARE(ShoshikiSet::formatFor(s).fontColor.value_or(0), 0xC8CCC8u);

        // Line styles by number: 0 none, 1 thin … 6 double, nothing past the list.
        for (const auto& [number, name] : {std::pair{0, ""}, {1, "thin"}, {6, "double"}, {7, "?"}, {-1, "?"}})
            QCOMPARE(ShoshikiSet::lineStyleName(number).value_or(QStringLiteral("?")), QString::fromLatin1(name));
    }

    void formatsTheTemplateInPlace()
    {
        TempAppDir dir;
        QVERIFY(installTemplate(dir));
        const QString path = dir.file(QStringLiteral("確認申請.xlsx"));
        const QString original = dir.file(QStringLiteral("original.xlsx"));
        QVERIFY(QFile::copy(path, original));

        // The underlined input cells and those whose bottom edge is a box line.
        const QString sheet = QStringLiteral("確認申請");
        const QStringList underline = ranges(sheet, QStringLiteral("underline"));
        QVERIFY(!underline.isEmpty());
        QSet<QString> underlined;
        for (const QString& u : underline)
            for (const QString& c : cellsOf(u))
                underlined.insert(c);
        QString boxed;  // an input cell whose bottom edge belongs to a box
        for (const QString& r : ranges(sheet, QStringLiteral("input"))) {
            const QStringList cells = cellsOf(r);
            if (!underlined.contains(cells.last())) {
                boxed = cells.last();
                break;
            }
        }
        QVERIFY(!boxed.isEmpty());
        XlsxCellStyle boxedBefore;
        {
            XlsxWorkbook book;
            QVERIFY(book.open(path));
            boxedBefore = style(book, sheet, boxed);
        }

        ScriptedPrompter prompter;
        int closed = 0;
        QString error;
        QVERIFY2(ShoshikiSet::run(officeOptions(), [&closed] { ++closed; }, &error), qPrintable(error));
        QCOMPARE(closed, 1);
        QVERIFY(prompter.shown.isEmpty());

        XlsxWorkbook book;
        QVERIFY(book.open(path));
        for (const QString& name : ShoshikiSet::sheetOrder()) {
            const QString input = anchor(ranges(name, QStringLiteral("input")).value(0));
            const QString item = anchor(ranges(name, QStringLiteral("item")).value(0));
            const QString title = anchor(ranges(name, QStringLiteral("title")).value(0));
            QVERIFY2(!input.isEmpty() && !item.isEmpty() && !title.isEmpty(), qPrintable(name));
            QCOMPARE((QStringList{name, font(book, name, input), font(book, name, item), font(book, name, title)}),
                     (QStringList{name, "ＭＳ ゴシック|10|-i|FFF80000", "游明朝|10|-i|FF000000", "IPAexゴシック|10|b-|FFC8CCC8"}));
        }
        // Underlines in the chosen style across the whole run; box lines stay.
        const QString run = underline.first();
        const CellRef first = CellRef::parse(anchor(run));
        const CellRef last = CellRef::parse(run.section(u':', 1));
        for (int c = first.col; c <= last.col; ++c)
            QCOMPARE(style(book, sheet, CellRef{first.row, c}.name()).borderBottom, QStringLiteral("dotted"));
        QCOMPARE(style(book, sheet, boxed).borderBottom, boxedBefore.borderBottom);

        // The input sheet is no printed form: untouched.
        QCOMPARE(font(book, QStringLiteral("データ入力１"), QStringLiteral("A1")), QStringLiteral("ＭＳ 明朝|11|b-|"));
        book.close();
        for (const char* part : {"xl/worksheets/sheet1.xml", "xl/workbook.xml", "docProps/core.xml", "xl/theme/theme1.xml"})
            QVERIFY2(ZipEntries::entry(path, part, true) == ZipEntries::entry(original, part, true), part);

        // Every value, formula, merge, row height and print area as before.
        if (python().isEmpty())
            QSKIP("/usr/bin/python3 is not installed");
        const ProcessRun check = runProcess(python(), {"-c", QStringLiteral(R"(
import sys, openpyxl
a = openpyxl.load_workbook(sys.argv[1]); b = openpyxl.load_workbook(sys.argv[2])
assert a.sheetnames == b.sheetnames
bad = []
for n in a.sheetnames:
    x, y = a[n], b[n]
    for row in x.iter_rows():
        for c in row:
            if c.value != y[c.coordinate].value: bad.append((n, c.coordinate))
    for r, d in x.row_dimensions.items():
        if d.height != y.row_dimensions[r].height or d.hidden != y.row_dimensions[r].hidden: bad.append((n, r))
    if sorted(map(str, x.merged_cells.ranges)) != sorted(map(str, y.merged_cells.ranges)): bad.append((n, 'merged'))
    if str(x.print_area) != str(y.print_area): bad.append((n, 'print area'))
    if x.sheet_state != y.sheet_state: bad.append((n, 'state'))
print('same' if not bad else bad[:10])
)"), original, path});
        QVERIFY2(!check.err.contains(QLatin1String("No module named")), "python3-openpyxl is missing");
        QCOMPARE(check.out.trimmed(), QStringLiteral("same"));
    }

    void formattingAgainWithTheSameSetsChangesNothing()
    {
        TempAppDir dir;
        QVERIFY(installTemplate(dir));
        const QString path = dir.file(QStringLiteral("確認申請.xlsx"));
        QString error;
        QVERIFY2(ShoshikiSet::run(officeOptions(), {}, &error), qPrintable(error));
        const QByteArray once = readBytes(path);
        QVERIFY(ShoshikiSet::run(officeOptions(), {}, &error));
        QCOMPARE(readBytes(path), once);

        // Other sets: the template takes them over the earlier ones.
        OptionValues other = officeOptions();
        other.fonts[0].name = QStringLiteral("ＭＳ 明朝");
        other.fonts[0].style = QStringLiteral("標準");
        other.lineStyleIndex = 0;
        QVERIFY(ShoshikiSet::run(other, {}, &error));
        XlsxWorkbook book;
        QVERIFY(book.open(path));
        const QString run = ranges(QStringLiteral("確認申請"), QStringLiteral("underline")).first();
        QCOMPARE(font(book, QStringLiteral("確認申請"), anchor(run)), QStringLiteral("ＭＳ 明朝|10|--|FFF80000"));
        QVERIFY(style(book, QStringLiteral("確認申請"), anchor(run)).borderBottom.isEmpty());  // 線なし
    }

    void colourTwoKeepsTheTemplatesColour()
    {
        TempAppDir dir;
        QVERIFY(installTemplate(dir));
        const QString path = dir.file(QStringLiteral("確認申請.xlsx"));
        ShoshikiSet::CellList cells;
        QString error;
        QVERIFY2(ShoshikiSet::loadCellList(path, &cells, &error), qPrintable(error));
        std::array<ShoshikiSet::Setting, 4> sets;
        for (auto& s : sets) {
            s.fontName = QStringLiteral("ＭＳ 明朝");
            s.style = QStringLiteral("標準");
            s.color = 2;
            s.lineStyle = 1;
        }
        sets[1].color = 15;
        QVERIFY2(ShoshikiSet::formatWorkbook(path, sets, cells, &error), qPrintable(error));
        XlsxWorkbook book;
        QVERIFY(book.open(path));
        const QString sheet = QStringLiteral("概要書");
        QCOMPARE((QStringList{font(book, sheet, anchor(cells[sheet].input.first())),
                              font(book, sheet, anchor(cells[sheet].item.first())),
                              font(book, sheet, anchor(cells[sheet].title.first()))}),
                 (QStringList{"ＭＳ 明朝|10|--|", "ＭＳ 明朝|10|--|", "ＭＳ 明朝|10|b-|FFC8CCC8"}));
        QCOMPARE(style(book, sheet, anchor(cells[sheet].underline.first())).borderBottom, QStringLiteral("thin"));
    }

    void aMissingOrHeldTemplateIsNotFormatted()
    {
        TempAppDir dir;
        ScriptedPrompter prompter;
        int closed = 0;
        QString error;
        QVERIFY(!ShoshikiSet::run({}, [&closed] { ++closed; }, &error));
        QCOMPARE(closed, 1);
        QCOMPARE(prompter.texts(), QStringList{"必要とするシステムファイルが存在しません。"});
        QCOMPARE(prompter.shown.first().title, QStringLiteral("警告"));

        // Open in a spreadsheet program: left alone.
        QVERIFY(installTemplate(dir));
        const QString path = dir.file(QStringLiteral("確認申請.xlsx"));
        writeBytes(dir.file(QStringLiteral(".~lock.確認申請.xlsx#")), "user,host,/tmp,01.01.2024 00:00,file:///tmp;");
        const QByteArray before = readBytes(path);
        QVERIFY(!ShoshikiSet::run({}, {}, &error));
        QVERIFY(error.contains(QStringLiteral("他のプログラムで開かれています")));
        QCOMPARE(readBytes(path), before);
    }

    // The whole road: format, output a document, open the output in
    // LibreOffice and read what it shows.
    void theNextOutputCarriesTheFontInLibreOffice()
    {
        const QString office = LibreOffice::executable();
        if (office.isEmpty() || python().isEmpty())
            QSKIP("LibreOffice or /usr/bin/python3 is not installed");
        TempAppDir dir;
        QVERIFY(installTemplate(dir));
        OptionValues v;
        v.fonts[0].name = QStringLiteral("ＭＳ ゴシック");
        v.fonts[0].style = QStringLiteral("斜体");
        QString error;
        QVERIFY2(ShoshikiSet::run(v, {}, &error), qPrintable(error));

        ProjectData project;
        project.bid = 1;
        project.gaiyou.insert(QStringLiteral("Name2"), QStringLiteral("設計　太郎"));
        project.gaiyou.insert(QStringLiteral("Kouji"), QStringLiteral("山田邸新築工事"));
        const QString filled = dir.file(QStringLiteral("確認申請書.xlsx"));
        QVERIFY2(SinseiExcelOutRtn::fillWorkbook(project, 0, SinseiExcelOutRtn::templatePath(), filled, &error),
                 qPrintable(error));
        {
            // N16 of the first face is the designer's name.
            XlsxWorkbook book;
            QVERIFY(book.open(filled));
            XlsxCell c;
            QVERIFY(book.readCell(QStringLiteral("確認申請"), QStringLiteral("N16"), &c));
            QVERIFY2(c.formula.contains(QLatin1String("D9")), qPrintable(c.formula));
        }

        const QString out = dir.file(QStringLiteral("lo"));
        QDir().mkpath(out);
        QProcess soffice;
        soffice.setProcessEnvironment(LibreOffice::environment(dir.file(QStringLiteral("lo-env"))));
        soffice.start(office, {LibreOffice::prepareProfile(dir.file("lo-profile")), "--headless", "--norestore",
                               "--convert-to", "xlsx", "--outdir", out, filled});
        QVERIFY(soffice.waitForFinished(300000));
        const QString converted = out + QStringLiteral("/確認申請書.xlsx");
        QVERIFY2(QFileInfo::exists(converted), soffice.readAllStandardError().constData());

        const ProcessRun read = runProcess(python(), {"-c", QStringLiteral(R"(
import sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1], data_only=True)['確認申請']
c = ws['N16']
t = ws['A3']
print(c.value, c.font.name, c.font.i, c.font.sz, '|', t.value, t.font.i)
)"), converted});
        QCOMPARE(read.out.trimmed(), QStringLiteral("設計　太郎 ＭＳ ゴシック True 10.0 | 確認申請書（建築物） False"));
    }
};

QTEST_GUILESS_MAIN(TestShoshiki)
#include "tst_shoshiki.moc"
