#include "TestSupport.h"
#include "XlsxWorkbook.h"
#include "ZipEntries.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

// Cell formatting in the xlsx engine, on small workbooks written here entry
// by entry so that every byte that must be kept is known.
class TestXlsxStyle : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    using Entries = ZipEntries::Entries;


    static const QByteArray& stylesXml()
    {
        static const QByteArray xml =
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
            "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
            "<numFmts count=\"1\"><numFmt numFmtId=\"164\" formatCode=\"0.0\"/></numFmts>"
            "<fonts count=\"2\"><font><sz val=\"11\"/><color theme=\"1\"/><name val=\"Calibri\"/><family val=\"2\"/>"
            "<scheme val=\"minor\"/></font><font><b/><sz val=\"14\"/><name val=\"ＭＳ 明朝\"/></font></fonts>"
            "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill><fill><patternFill "
            "patternType=\"gray125\"/></fill></fills>"
            "<borders count=\"2\"><border><left/><right/><top/><bottom/><diagonal/></border>"
            "<border><left style=\"thin\"><color rgb=\"FF112233\"/></left><right/><top/>"
            "<bottom style=\"hair\"><color rgb=\"FF445566\"/></bottom><diagonal/></border></borders>"
            "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>"
            "<cellXfs count=\"3\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
            "<xf numFmtId=\"0\" fontId=\"1\" fillId=\"0\" borderId=\"1\" xfId=\"0\" applyFont=\"1\" applyBorder=\"1\">"
            "<alignment horizontal=\"center\"/></xf>"
            "<xf numFmtId=\"164\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\"/></cellXfs>"
            "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
            "<dxfs count=\"1\"><dxf><font><i/></font></dxf></dxfs></styleSheet>";
        return xml;
    }

    static Entries sample(bool withStyles)
    {
        Entries e;
        e[QStringLiteral("[Content_Types].xml")] =
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
            "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"><Default Extension=\"rels\" "
            "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/><Default Extension=\"xml\" "
            "ContentType=\"application/xml\"/><Override PartName=\"/xl/workbook.xml\" "
            "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/><Override "
            "PartName=\"/xl/worksheets/sheet1.xml\" "
            "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
            + QByteArray(withStyles ? "<Override PartName=\"/xl/styles.xml\" "
                                      "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
                                    : "")
            + "</Types>";
        e[QStringLiteral("_rels/.rels")] =
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
            "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId1\" "
            "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
            "Target=\"xl/workbook.xml\"/></Relationships>";
        e[QStringLiteral("xl/workbook.xml")] =
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?><workbook "
            "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
            "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets><sheet "
            "name=\"表\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
        e[QStringLiteral("xl/_rels/workbook.xml.rels")] =
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
            "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId1\" "
            "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
            "Target=\"worksheets/sheet1.xml\"/>"
            + QByteArray(withStyles ? "<Relationship Id=\"rId2\" "
                                      "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
                                      "Target=\"styles.xml\"/>"
                                    : "")
            + "</Relationships>";
        e[QStringLiteral("xl/worksheets/sheet1.xml")] =
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><cols><col min=\"5\" "
            "max=\"6\" width=\"9\" style=\"1\" customWidth=\"1\"/></cols><sheetData>"
            "<row r=\"1\" spans=\"1:2\"><c r=\"A1\" s=\"1\" t=\"inlineStr\"><is><t>題名</t></is></c><c r=\"B1\" "
            "s=\"1\"/></row>"
            "<row r=\"2\"><c r=\"A2\" s=\"2\"><v>3.5</v></c><c r=\"C2\"><f>A2*2</f><v>7</v></c></row>"
            "<row r=\"3\" s=\"2\" customFormat=\"1\" hidden=\"1\"><c r=\"A3\"><v>1</v></c></row>"
            "</sheetData></worksheet>";
        if (withStyles) {
            e[QStringLiteral("xl/styles.xml")] = stylesXml();
        } else {
            // Without a style part no cell can name a format.
            QByteArray& sheet = e[QStringLiteral("xl/worksheets/sheet1.xml")];
            for (const char* attr : {" s=\"1\"", " s=\"2\"", " style=\"1\"", " customFormat=\"1\""})
                sheet.replace(attr, "");
        }
        return e;
    }

    QString make(const QString& name, bool withStyles = true)
    {
        const QString path = m_dir.filePath(name);
        if (!ZipEntries::write(path, sample(withStyles)))
            qFatal("cannot write the sample workbook");
        return path;
    }

    static XlsxCellStyle styleOf(XlsxWorkbook& book, const QString& address)
    {
        XlsxCellStyle s;
        if (!book.readCellStyle(QStringLiteral("表"), address, &s))
            qWarning("%s", qPrintable(book.errorString()));
        return s;
    }

    static XlsxFormat gothicItalicRed()
    {
        XlsxFormat f;
        f.fontName = QStringLiteral("ＭＳ ゴシック");
        f.italic = true;
        f.fontSize = 10;
        f.fontColor = 0xF80000;
        return f;
    }

    static int styleIndex(const QByteArray& sheetXml, const QByteArray& ref)
    {
        const int at = sheetXml.indexOf("<c r=\"" + ref + '"');
        if (at < 0)
            return -1;
        const int end = sheetXml.indexOf('>', at);
        const QByteArray tag = sheetXml.mid(at, end - at);
        const int s = tag.indexOf(" s=\"");
        return s < 0 ? 0 : tag.mid(s + 4, tag.indexOf('"', s + 4) - s - 4).toInt();
    }

private slots:
    void formattingChangesOnlyWhatItNames()
    {
        const QString path = make(QStringLiteral("format.xlsx"));
        const Entries before = ZipEntries::read(path, true);
        {
            XlsxWorkbook book;
            QVERIFY(book.open(path));
            // A cell that is not in the file shows its row's or column's format.
            QCOMPARE(styleOf(book, QStringLiteral("E9")).fontName, QStringLiteral("ＭＳ 明朝"));
            QCOMPARE(styleOf(book, QStringLiteral("Z9")).fontName, QStringLiteral("Calibri"));
            QVERIFY(book.changedParts().isEmpty());  // reading changes nothing
            QVERIFY(book.formatCells(QStringLiteral("表"), QStringLiteral("A1"), gothicItalicRed()));
            QCOMPARE(book.changedParts(),
                     (QStringList{QStringLiteral("xl/styles.xml"), QStringLiteral("xl/worksheets/sheet1.xml")}));
            QVERIFY(book.save());
        }
        XlsxWorkbook book;
        QVERIFY(book.open(path));
        const XlsxCellStyle a1 = styleOf(book, QStringLiteral("A1"));
        QCOMPARE(a1.fontName, QStringLiteral("ＭＳ ゴシック"));
        QVERIFY(a1.italic);
        QCOMPARE(a1.fontSize, 10.0);
        QCOMPARE(a1.fontColor, QStringLiteral("FFF80000"));
        QVERIFY(a1.bold);  // not named by the change
        QCOMPARE(a1.borderLeft, QStringLiteral("thin"));
        QCOMPARE(a1.borderBottom, QStringLiteral("hair"));
        // B1 shared A1's format and keeps it.
        const XlsxCellStyle b1 = styleOf(book, QStringLiteral("B1"));
        QCOMPARE(b1.fontName, QStringLiteral("ＭＳ 明朝"));
        QCOMPARE(b1.fontSize, 14.0);
        QVERIFY(!b1.italic);
        XlsxCell c;
        QVERIFY(book.readCell(QStringLiteral("表"), QStringLiteral("A1"), &c));
        QCOMPARE(c.value, QStringLiteral("題名"));
        book.close();

        const Entries after = ZipEntries::read(path, false);
        const Entries raw = ZipEntries::read(path, true);
        for (const QString& name : before.keys()) {
            if (!name.endsWith(QLatin1String("styles.xml")) && !name.endsWith(QLatin1String("sheet1.xml")))
                QVERIFY2(raw[name] == before[name], qPrintable(name));
        }
        // Existing formats keep their place and text: cells elsewhere that
        // use them look as before. The new format keeps the alignment.
        const QByteArray styles = after[QStringLiteral("xl/styles.xml")];
        const QByteArray original = stylesXml();
        const int oldXfs = original.indexOf("<cellXfs");
        QCOMPARE(styles.left(original.indexOf("<fonts")), original.left(original.indexOf("<fonts")));
        const int oldItems = original.indexOf('>', oldXfs) + 1;
        QVERIFY(styles.contains(original.mid(oldItems, original.indexOf("</cellXfs>") - oldItems)));
        QVERIFY(styles.contains("<cellXfs count=\"4\">"));
        QVERIFY(styles.contains("<alignment horizontal=\"center\"/></xf></cellXfs>"));
        QVERIFY(styles.contains("<dxfs count=\"1\"><dxf><font><i/></font></dxf></dxfs>"));
        QCOMPARE(styleIndex(after[QStringLiteral("xl/worksheets/sheet1.xml")], "A1"), 3);
        QCOMPARE(styleIndex(after[QStringLiteral("xl/worksheets/sheet1.xml")], "B1"), 1);
    }

    // A name replaces a theme font; an underline keeps the other edges and its colour.
    void fontNamesAndUnderlines()
    {
        const QString path = make(QStringLiteral("border.xlsx"));
        {
            XlsxWorkbook book;
            QVERIFY(book.open(path));
            XlsxFormat f;
            f.fontName = QStringLiteral("IPAexゴシック");
            f.bottomBorder = QStringLiteral("dashed");
            QVERIFY(book.formatCells(QStringLiteral("表"), QStringLiteral("C2"), f));
            XlsxFormat dotted;
            dotted.bottomBorder = QStringLiteral("dotted");
            QVERIFY(book.formatCells(QStringLiteral("表"), QStringLiteral("B1"), dotted));
            XlsxFormat none;
            none.bottomBorder = QString();
            QVERIFY(book.formatCells(QStringLiteral("表"), QStringLiteral("A2"), none));
            QVERIFY(book.save());
        }
        XlsxWorkbook book;
        QVERIFY(book.open(path));
        const XlsxCellStyle b1 = styleOf(book, QStringLiteral("B1"));
        QCOMPARE(b1.borderBottom, QStringLiteral("dotted"));
        QCOMPARE(b1.borderLeft, QStringLiteral("thin"));
        QCOMPARE(styleOf(book, QStringLiteral("A1")).borderBottom, QStringLiteral("hair"));
        QVERIFY(styleOf(book, QStringLiteral("A2")).borderBottom.isEmpty());
        QCOMPARE(styleOf(book, QStringLiteral("C2")).borderBottom, QStringLiteral("dashed"));
        XlsxCell c;
        QVERIFY(book.readCell(QStringLiteral("表"), QStringLiteral("C2"), &c));
        QCOMPARE(c.formula, QStringLiteral("A2*2"));
        book.close();
        const QByteArray styles = ZipEntries::read(path, false)[QStringLiteral("xl/styles.xml")];
        QVERIFY(styles.contains("<bottom style=\"dotted\"><color rgb=\"FF445566\"/></bottom>"));
        QVERIFY(styles.contains("<font><sz val=\"11\"/><color theme=\"1\"/><name val=\"IPAexゴシック\"/><family "
                                "val=\"2\"/></font>"));
    }

    void rangesReachCellsTheFileDoesNotHold()
    {
        const QString path = make(QStringLiteral("range.xlsx"));
        {
            XlsxWorkbook book;
            QVERIFY(book.open(path));
            XlsxFormat f;
            f.italic = true;
            QVERIFY(book.formatCells(QStringLiteral("表"), QStringLiteral("D1:F1"), f));
            QVERIFY(book.formatCells(QStringLiteral("表"), QStringLiteral("B3"), f));
            QVERIFY(!book.formatCells(QStringLiteral("表"), QStringLiteral("B3:"), f));
            QVERIFY(book.save());
        }
        XlsxWorkbook book;
        QVERIFY(book.open(path));
        const XlsxCellStyle d1 = styleOf(book, QStringLiteral("D1"));
        QVERIFY(d1.italic);
        QCOMPARE(d1.fontName, QStringLiteral("Calibri"));
        // E1 and F1 start from their column's format.
        const XlsxCellStyle e1 = styleOf(book, QStringLiteral("F1"));
        QVERIFY(e1.italic);
        QVERIFY(e1.bold);
        QCOMPARE(e1.fontName, QStringLiteral("ＭＳ 明朝"));
        QVERIFY(styleOf(book, QStringLiteral("B3")).italic);
        bool hidden = false;
        QVERIFY(book.isRowHidden(QStringLiteral("表"), 3, &hidden));
        QVERIFY(hidden);
        XlsxCell c;
        QVERIFY(book.readCell(QStringLiteral("表"), QStringLiteral("D1"), &c));
        QCOMPARE(c.kind, XlsxCell::Kind::Empty);
        book.close();
        // B3 came from the row's number format.
        const QByteArray styles = ZipEntries::read(path, false)[QStringLiteral("xl/styles.xml")];
        const QByteArray sheet = ZipEntries::read(path, false)[QStringLiteral("xl/worksheets/sheet1.xml")];
        QVERIFY(sheet.contains("<c r=\"B3\" s=\""));
        QVERIFY(styles.count("numFmtId=\"164\"") >= 3);  // the definition, the old and the new format
    }

    void valuesWrittenLaterKeepTheFormat()
    {
        const QString path = make(QStringLiteral("write.xlsx"));
        XlsxWorkbook book;
        QVERIFY(book.open(path));
        QVERIFY(book.formatCells(QStringLiteral("表"), QStringLiteral("A1"), gothicItalicRed()));
        QVERIFY(book.setText(QStringLiteral("表"), QStringLiteral("A1"), QStringLiteral("新しい題名")));
        QVERIFY(book.save());
        QVERIFY(book.open(path));
        QCOMPARE(styleOf(book, QStringLiteral("A1")).fontName, QStringLiteral("ＭＳ ゴシック"));
        XlsxCell c;
        QVERIFY(book.readCell(QStringLiteral("表"), QStringLiteral("A1"), &c));
        QCOMPARE(c.value, QStringLiteral("新しい題名"));
        // The same change again finds the format it made: only B1 changes.
        QVERIFY(book.formatCells(QStringLiteral("表"), QStringLiteral("A1:B1"), gothicItalicRed()));
        QCOMPARE(book.changedParts(), QStringList{QStringLiteral("xl/worksheets/sheet1.xml")});
    }

    void aWorkbookWithoutStylesGetsThem()
    {
        const QString path = make(QStringLiteral("bare.xlsx"), false);
        {
            XlsxWorkbook book;
            QVERIFY(book.open(path));
            QVERIFY2(book.formatCells(QStringLiteral("表"), QStringLiteral("A2"), gothicItalicRed()),
                     qPrintable(book.errorString()));
            QVERIFY(book.save());
        }
        const Entries after = ZipEntries::read(path, false);
        QVERIFY(after.contains(QStringLiteral("xl/styles.xml")));
        QVERIFY(after[QStringLiteral("xl/_rels/workbook.xml.rels")].contains("relationships/styles\" Target=\"styles.xml\""));
        QVERIFY(after[QStringLiteral("[Content_Types].xml")].contains("PartName=\"/xl/styles.xml\""));
        XlsxWorkbook book;
        QVERIFY(book.open(path));
        QCOMPARE(styleOf(book, QStringLiteral("A2")).fontName, QStringLiteral("ＭＳ ゴシック"));
        book.close();

        // Another reader sees the same.
        const QString python = QStringLiteral("/usr/bin/python3");
        if (QFileInfo::exists(python)) {
            const ProcessRun run = runProcess(
                python, {QStringLiteral("-c"),
                         QStringLiteral("import sys, openpyxl\n"
                                        "c = openpyxl.load_workbook(sys.argv[1])['表']['A2']\n"
                                        "print(c.font.name, c.font.i, c.font.color.rgb, c.value)"),
                         path});
            if (!run.err.contains(QLatin1String("No module named")))
                QVERIFY2(run.out.trimmed() == QStringLiteral("ＭＳ ゴシック True FFF80000 3.5"), qPrintable(run.err));
        }
    }
};

QTEST_GUILESS_MAIN(TestXlsxStyle)
#include "tst_xlsxstyle.moc"
