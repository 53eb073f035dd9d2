#include "TestSupport.h"
#include "XlsxWorkbook.h"
#include "ZipEntries.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

// The xlsx engine, reading, writing and formatting, on small workbooks
// written here entry by entry, so that every byte it must keep is known.
class TestXlsx : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    using Entries = ZipEntries::Entries;

    static Entries sample()
    {
        // The parts of a small workbook: two sheets, shared strings, a calculation chain.
        static const char* const parts[][2] = {
            {"[Content_Types].xml", "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
             "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"><Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/><Default Extension=\"xml\" ContentType=\"application/xml\"/><Override PartName=\"/xl/workbook.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/><Override PartName=\"/xl/worksheets/sheet1.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/><Override PartName=\"/xl/worksheets/sheet2.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/><Override PartName=\"/xl/sharedStrings.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/><Override PartName=\"/xl/calcChain.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.calcChain+xml\"/></Types>"},
            {"_rels/.rels", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
            {"xl/workbook.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><bookViews><workbookView xWindow=\"0\" activeTab=\"0\"/></bookViews><sheets><sheet name=\"入力\" sheetId=\"1\" r:id=\"rId1\"/><sheet name=\"印刷&amp;表\" sheetId=\"2\" r:id=\"rId2\"/></sheets><calcPr calcId=\"191029\"/></workbook>"},
            {"xl/_rels/workbook.xml.rels", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" Target=\"/xl/worksheets/sheet2.xml\"/><Relationship Id=\"rId3\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings\" Target=\"sharedStrings.xml\"/><Relationship Id=\"rId4\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/calcChain\" Target=\"calcChain.xml\"/></Relationships>"},
            {"xl/worksheets/sheet1.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetViews><sheetView tabSelected=\"1\" workbookViewId=\"0\"/></sheetViews><sheetData><row r=\"2\" spans=\"2:4\"><c r=\"B2\" s=\"3\" t=\"s\"><v>0</v></c><c r=\"D2\"><v>5</v></c></row>\n"
             "<row r=\"5\" ht=\"20\" customHeight=\"1\"><c r=\"C5\" t=\"inlineStr\"><is><t xml:space=\"preserve\"> 行内 </t></is></c></row>\n"
             "<row r=\"7\"><c r=\"A7\" t=\"str\"><f>B2&amp;\"\"</f><v>古い値</v></c><c r=\"B7\"><f>D2*2</f><v>10</v></c></row></sheetData><pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" footer=\"0.3\"/></worksheet>"},
            {"xl/worksheets/sheet2.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetPr/><dimension ref=\"A1\"/><sheetFormatPr defaultRowHeight=\"15\"/><sheetData><row r=\"1\"><c r=\"A1\" t=\"str\"><f>'入力'!C5</f><v> 行内 </v></c><c r=\"B1\"><v>3</v></c></row></sheetData></worksheet>"},
            {"xl/sharedStrings.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" count=\"1\" uniqueCount=\"1\"><si><t>共有</t><rPh sb=\"0\" eb=\"2\"><t>キョウユウ</t></rPh><r><t>文字列</t></r></si></sst>"},
            {"xl/calcChain.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><calcChain xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><c r=\"A7\" i=\"1\"/><c r=\"B7\"/><c r=\"A1\" i=\"2\"/></calcChain>"},
            {"docProps/app.xml", "<Properties/>"},
        };
        Entries e;
        for (const auto& [name, xml] : parts)
            e[QString::fromLatin1(name)] = xml;
        return e;
    }

    QString written(const QString& name, const Entries& e)
    {
        const QString path = m_dir.filePath(name);
        if (!ZipEntries::write(path, e))
            qFatal("cannot write the sample workbook");
        return path;
    }
    // The sample, some of its parts replaced, as the file `name`.
    QString makeSample(const QString& name, const Entries& replaced = {})
    {
        Entries e = sample();
        for (auto it = replaced.begin(); it != replaced.end(); ++it)
            e[it.key()] = it.value();
        return written(name, e);
    }

    // "kind:value", or "" for an empty cell.
    static QString kindAndValue(const XlsxCell& c)
    {
        static const QMap<XlsxCell::Kind, QString> kinds{{XlsxCell::Kind::Number, QStringLiteral("number")},
                                                         {XlsxCell::Kind::Text, QStringLiteral("text")},
                                                         {XlsxCell::Kind::Boolean, QStringLiteral("bool")}};
        return c.kind == XlsxCell::Kind::Empty ? QString() : kinds.value(c.kind) + u':' + c.value;
    }

    static QString readText(XlsxWorkbook& book, const QString& sheet, const QString& address)
    {
        XlsxCell c;
        if (!book.readCell(sheet, address, &c))
            return QStringLiteral("<error: %1>").arg(book.errorString());
        return c.value;
    }

    // The workbook of the formatting tests: one sheet, styles with every
    // kind of format, a column, row and cell that use them.
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

    // The sample with its first sheet, renamed 表, formatted: a column,
    // a row and cells that use the styles.
    static Entries styledSample(bool withStyles)
    {
        Entries e = sample();
        e[QStringLiteral("xl/workbook.xml")].replace("name=\"入力\"", "name=\"表\"");
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
            e[QStringLiteral("[Content_Types].xml")].replace(
                "</Types>", "<Override PartName=\"/xl/styles.xml\" "
                            "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/></Types>");
            e[QStringLiteral("xl/_rels/workbook.xml.rels")].replace(
                "</Relationships>", "<Relationship Id=\"rId9\" "
                                    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
                                    "Target=\"styles.xml\"/></Relationships>");
        } else {
            // Without a style part no cell can name a format.
            QByteArray& sheet = e[QStringLiteral("xl/worksheets/sheet1.xml")];
            for (const char* attr : {" s=\"1\"", " s=\"2\"", " style=\"1\"", " customFormat=\"1\""})
                sheet.replace(attr, "");
        }
        return e;
    }

    QString makeStyled(const QString& name, bool withStyles = true) { return written(name, styledSample(withStyles)); }

    // Each cell's look on the sheet 表: font, size, bold and italic, colour,
    // then the left, right, top and bottom edges.
    static QStringList looks(XlsxWorkbook& book, const QStringList& addresses)
    {
        QStringList out;
        for (const QString& address : addresses) {
            XlsxCellStyle s;
            out << (!book.readCellStyle(QStringLiteral("表"), address, &s)
                        ? book.errorString()
                        : QStringList{s.fontName, QString::number(s.fontSize),
                                      QLatin1String(s.bold ? "b" : "-") + QLatin1String(s.italic ? "i" : "-"), s.fontColor,
                                      s.borderLeft, s.borderRight, s.borderTop, s.borderBottom}
                              .join(u'|'));
        }
        return out;
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

private slots:
    void readsWhatTheFileHolds()
    {
        XlsxWorkbook book;
        QVERIFY2(book.open(makeSample(QStringLiteral("read.xlsx"))), qPrintable(book.errorString()));
        QCOMPARE(book.sheetNames(), (QStringList{QStringLiteral("入力"), QStringLiteral("印刷&表")}));
        QCOMPARE(book.activeSheet(), QStringLiteral("入力"));
        XlsxCell c;
        // A shared string without its phonetic reading, a number, an inline string, a formula's last value, nothing.
        for (const auto& [address, expected] : {std::pair{"Z99", ""}, {"B2", "text:共有文字列"}, {"D2", "number:5"},
                                                {"C5", "text: 行内 "}, {"A7", "text:古い値"}}) {
            QVERIFY(book.readCell(QStringLiteral("入力"), QString::fromLatin1(address), &c));
            QCOMPARE(kindAndValue(c), QString::fromUtf8(expected));
        }
        QCOMPARE(c.formula, QStringLiteral("B2&\"\""));
        QVERIFY(!book.readCell(QStringLiteral("無い"), QStringLiteral("A1"), &c) && book.errorString().contains(QStringLiteral("無い")));
        QVERIFY(!book.readCell(QStringLiteral("入力"), QStringLiteral("1A"), &c));
    }

    void writtenValuesReadBack_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("readKind");
        QTest::newRow("markup") << int(XlsxCellWrite::Kind::Text) << "<a & \"b\">" << int(XlsxCell::Kind::Text);
        QTest::newRow("lines") << int(XlsxCellWrite::Kind::Text) << "一行目\n二行目" << int(XlsxCell::Kind::Text);
        QTest::newRow("spaces") << int(XlsxCellWrite::Kind::Text) << "  前後  " << int(XlsxCell::Kind::Text);
        QTest::newRow("escape-like") << int(XlsxCellWrite::Kind::Text) << "_x0041_" << int(XlsxCell::Kind::Text);
        QTest::newRow("control") << int(XlsxCellWrite::Kind::Text) << QStringLiteral("a\x01z") << int(XlsxCell::Kind::Text);
        QTest::newRow("numeric text") << int(XlsxCellWrite::Kind::Text) << "12.50" << int(XlsxCell::Kind::Text);
        QTest::newRow("number") << int(XlsxCellWrite::Kind::Number) << "-1" << int(XlsxCell::Kind::Number);
        QTest::newRow("not a number") << int(XlsxCellWrite::Kind::Number) << "1,000" << int(XlsxCell::Kind::Text);
        QTest::newRow("boolean") << int(XlsxCellWrite::Kind::Boolean) << "1" << int(XlsxCell::Kind::Boolean);
        QTest::newRow("clear") << int(XlsxCellWrite::Kind::Clear) << "" << int(XlsxCell::Kind::Empty);
    }
    void writtenValuesReadBack()
    {
        QFETCH(int, kind);
        QFETCH(QString, value);
        QFETCH(int, readKind);
        const QString path = makeSample(QStringLiteral("write.xlsx"));
        {
            XlsxWorkbook book;
            QVERIFY(book.open(path));
            QVERIFY(book.writeCells(QStringLiteral("入力"),
                                    {{CellRef::parse(u"B2"), XlsxCellWrite::Kind(kind), value}}));
            QVERIFY2(book.save(), qPrintable(book.errorString()));
        }
        XlsxWorkbook again;
        QVERIFY(again.open(path));
        XlsxCell c;
        QVERIFY2(again.readCell(QStringLiteral("入力"), QStringLiteral("B2"), &c), qPrintable(again.errorString()));
        QCOMPARE(int(c.kind), readKind);
        QCOMPARE(c.value, value);
        QCOMPARE(ZipEntries::read(path, false).value(QStringLiteral("xl/sharedStrings.xml")),
                 sample().value(QStringLiteral("xl/sharedStrings.xml")));
        if (kind != int(XlsxCellWrite::Kind::Clear))
            QVERIFY(ZipEntries::read(path, false).value(QStringLiteral("xl/worksheets/sheet1.xml")).contains("<c r=\"B2\" s=\"3\""));
    }

    void cellsAndRowsStayInOrder()
    {
        const QString path = makeSample(QStringLiteral("order.xlsx"));
        XlsxWorkbook book;
        QVERIFY(book.open(path));
        QVector<XlsxCellWrite> w;
        for (const char* a : {"C2", "A2", "Z2", "B3", "A1", "C100", "A6"})
            w.append({CellRef::parse(QString::fromLatin1(a)), XlsxCellWrite::Kind::Text, QString::fromLatin1(a)});
        QVERIFY(book.writeCells(QStringLiteral("入力"), w));
        QVERIFY(book.save());

        const QByteArray xml = ZipEntries::read(path, false).value(QStringLiteral("xl/worksheets/sheet1.xml"));
        QList<int> rows;
        QRegularExpression rowRe(QStringLiteral("<row r=\"(\\d+)\""));
        for (auto it = rowRe.globalMatch(QString::fromUtf8(xml)); it.hasNext();)
            rows << it.next().captured(1).toInt();
        QCOMPARE(rows, (QList<int>{1, 2, 3, 5, 6, 7, 100}));
        const int row2 = xml.indexOf("<row r=\"2\"");
        const QByteArray r2 = xml.mid(row2, xml.indexOf("</row>", row2) - row2);
        QStringList cols;
        QRegularExpression cellRe(QStringLiteral("<c r=\"([A-Z]+)2\""));
        for (auto it = cellRe.globalMatch(QString::fromUtf8(r2)); it.hasNext();)
            cols << it.next().captured(1);
        QCOMPARE(cols, (QStringList{"A", "B", "C", "D", "Z"}));
        QVERIFY(!r2.contains("spans"));  // the span hint no longer covers the row
        // Rows that were not written keep their text exactly.
        const QByteArray original = sample().value(QStringLiteral("xl/worksheets/sheet1.xml"));
        const int r7 = original.indexOf("<row r=\"7\">");
        QVERIFY(xml.contains(original.mid(r7, original.indexOf("</row>", r7) + 6 - r7)));
    }

    void hiddenRows()
    {
        const QString path = makeSample(QStringLiteral("hidden.xlsx"));
        {
            XlsxWorkbook book;
            QVERIFY(book.open(path));
            QVERIFY(book.setRowsHidden(QStringLiteral("入力"), 3, 6, true));
            QVERIFY(book.setRowsHidden(QStringLiteral("入力"), 6, 6, false));
            QVERIFY(book.setRowsHidden(QStringLiteral("入力"), 40, 50, false));  // nothing to show there
            QVERIFY(!book.setRowsHidden(QStringLiteral("入力"), 9, 8, true));
            QVERIFY(book.save());
        }
        XlsxWorkbook book;
        QVERIFY(book.open(path));
        for (int r = 1; r <= 8; ++r) {
            bool hidden = false;
            QVERIFY(book.isRowHidden(QStringLiteral("入力"), r, &hidden));
            QCOMPARE(hidden, r >= 3 && r <= 5);
        }
        const QByteArray xml = ZipEntries::read(path, false).value(QStringLiteral("xl/worksheets/sheet1.xml"));
        QVERIFY(xml.contains("<row r=\"3\" hidden=\"1\"/><row r=\"4\" hidden=\"1\"/><row r=\"5\" ht=\"20\" customHeight=\"1\" hidden=\"1\">"));
        QVERIFY(!xml.contains("<row r=\"40\""));
        QCOMPARE(readText(book, QStringLiteral("入力"), QStringLiteral("C5")), QStringLiteral(" 行内 "));
    }

    void untouchedPartsKeepTheirBytes()
    {
        const QString path = makeSample(QStringLiteral("bytes.xlsx"));
        const Entries before = ZipEntries::read(path, true);
        {
            XlsxWorkbook book;
            QVERIFY(book.open(path));
            const quint64 stored = book.sheetFingerprint(QStringLiteral("入力"));
            QVERIFY(stored != 0 && stored != book.sheetFingerprint(QStringLiteral("印刷&表")));
            QVERIFY(book.setText(QStringLiteral("入力"), QStringLiteral("D2"), QStringLiteral("新しい")));
            QCOMPARE(book.sheetFingerprint(QStringLiteral("入力")), quint64(0));  // no longer what the file holds
            QCOMPARE(book.changedParts(), QStringList{QStringLiteral("xl/worksheets/sheet1.xml")});
            QVERIFY(book.save());
            QVERIFY(book.open(path));
            QVERIFY(book.sheetFingerprint(QStringLiteral("入力")) != stored);
        }
        Entries after = ZipEntries::read(path, true), unchanged = before;
        QVERIFY(after.take(QStringLiteral("xl/worksheets/sheet1.xml")) != unchanged.take(QStringLiteral("xl/worksheets/sheet1.xml")));
        QCOMPARE(after, unchanged);

        // Nothing changed: the file is not touched at all.
        const QByteArray bytes = readBytes(path);
        {
            XlsxWorkbook book;
            QVERIFY(book.open(path));
            XlsxCell c;
            QVERIFY(book.readCell(QStringLiteral("印刷&表"), QStringLiteral("A1"), &c));
            QVERIFY(book.setRowsHidden(QStringLiteral("入力"), 40, 41, false));
            QVERIFY(book.changedParts().isEmpty());
            QVERIFY(book.save());
        }
        QCOMPARE(readBytes(path), bytes);
    }

    void recalculationOnLoad()
    {
        const QString path = makeSample(QStringLiteral("recalc.xlsx"));
        {
            XlsxWorkbook book;
            QVERIFY(book.open(path));
            QVERIFY(book.requestFullRecalculation());
            // Replacing a formula with a constant also drops Excel's calculation chain.
            QVERIFY(book.setText(QStringLiteral("入力"), QStringLiteral("B7"), QStringLiteral("定数")));
            QVERIFY(book.save());
        }
        const Entries e = ZipEntries::read(path, false);
        const QByteArray s1 = e.value(QStringLiteral("xl/worksheets/sheet1.xml"));
        const QByteArray s2 = e.value(QStringLiteral("xl/worksheets/sheet2.xml"));
        // Formulas lose their stale values, constants keep theirs.
        QVERIFY(s1.contains("<c r=\"A7\"><f>B2&amp;\"\"</f></c>") && s1.contains("<v>5</v>"));
        QVERIFY(s2.contains("<c r=\"A1\"><f>'入力'!C5</f></c>") && s2.contains("<c r=\"B1\"><v>3</v></c>"));
        QVERIFY(e.value(QStringLiteral("xl/workbook.xml")).contains("<calcPr calcId=\"191029\" fullCalcOnLoad=\"1\"/>"));
        QVERIFY(!e.contains(QStringLiteral("xl/calcChain.xml")));
        QVERIFY(!e.value(QStringLiteral("xl/_rels/workbook.xml.rels")).contains("calcChain"));
        const QByteArray types = e.value(QStringLiteral("[Content_Types].xml"));
        QVERIFY(!types.contains("calcChain") && types.contains("/xl/sharedStrings.xml"));
    }

    // The value each formula cell carries for viewers that do not
    // calculate, as Excel and LibreOffice compute it; "" where the engine
    // cannot be certain and leaves the cell to the program that opens it.
    void computedValues_data()
    {
        QTest::addColumn<QString>("formula");
        QTest::addColumn<QString>("expected");  // kind:value, or "" for no value
        const QList<QPair<const char*, const char*>> cases = {
            {"'入力'!A1&\"造\"", "text:木造"},
            {"'入力'!A4", "number:0"},  // an empty cell alone shows 0 …
            {"'入力'!A4&\"\"", "text:"},  // … and nothing in a text
            {"'入力'!A2&\"\"", "text:12.5"},
            {"'入力'!$A$2", "number:12.5"},
            {"IF('入力'!A3,\"有\",\"無\")", "text:有"},
            {"IF('入力'!A4,\"有\",\"無\")", "text:無"},
            {"IF('入力'!A3,'入力'!A4,\"\")", "number:0"},
            {"IF('入力'!A4<>\"\",'入力'!A4,'入力'!A1)&\"\"", "text:木"},
            {"IF(OR('入力'!A5=\"\",RIGHT('入力'!A5,1)=\"造\"),'入力'!A5&\"\",'入力'!A5&\"造\")", "text:鉄骨造"},
            {"AND('入力'!A4=\"\",'入力'!A7=0,'入力'!A4=0)", "bool:1"},
            {"'入力'!A2=\"12.5\"", "bool:0"},
            {"IF('入力'!A3,\"x\")=\"X\"", ""},  // texts differing in case only
            {"RIGHT('入力'!A5,5)&(\"a\"\"b\"&1.5)", "text:鉄骨造a\"b1.5"},
            {"'入力'!B9&\"!\"", "text:木。!"},  // through a formula of another sheet
            {"C1&\"\"", ""},  // its own value
            {"IF('入力'!A1,\"有\",\"無\")", ""},  // a text as a condition
            {"'入力'!A8&\"\"", ""},  // a number written with an exponent
            {"'入力'!C9", ""},  // a shared formula
            {"'入力'!A6&\"\"", ""},  // an error value
            {"'無い'!A1", ""},
            {"\" \"&'入力'!A1", ""},  // spaces at an end do not survive in a value
            {"SUM('入力'!A2)", ""},
            {"'入力'!A2+1", ""},
            {"'入力'!A1:A2", ""},
        };
        for (const auto& [f, e] : cases)
            QTest::newRow(f) << QString::fromUtf8(f) << QString::fromUtf8(e);
    }

    void computedValues()
    {
        QFETCH(QString, formula);
        QFETCH(QString, expected);
        Entries e;
        QString escaped = formula.toHtmlEscaped();
        escaped.replace(QLatin1String("&quot;"), QLatin1String("\""));
        e[QStringLiteral("xl/worksheets/sheet1.xml")] =
            "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>"
            "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>木</t></is></c></row>"
            "<row r=\"2\"><c r=\"A2\"><v>12.5</v></c></row><row r=\"3\"><c r=\"A3\" t=\"b\"><v>1</v></c></row>"
            "<row r=\"5\"><c r=\"A5\" t=\"s\"><v>1</v></c></row><row r=\"6\"><c r=\"A6\" t=\"e\"><v>#N/A</v></c></row>"
            "<row r=\"7\"><c r=\"A7\"><v>0</v></c></row><row r=\"8\"><c r=\"A8\"><v>1E+20</v></c></row>"
            "<row r=\"9\"><c r=\"B9\" t=\"str\"><f aca=\"false\">'印刷&amp;表'!B1&amp;\"。\"</f><v>古い</v></c>"
            "<c r=\"C9\"><f t=\"shared\" ref=\"C9:C10\" si=\"0\">A2&amp;\"\"</f><v>12.5</v></c></row>"
            "</sheetData></worksheet>";
        e[QStringLiteral("xl/worksheets/sheet2.xml")] =
            "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData><row r=\"1\">"
            "<c r=\"B1\"><f>'入力'!A1&amp;\"\"</f></c><c r=\"C1\" s=\"2\" t=\"str\"><f>"
            + escaped.toUtf8() + "</f><v>古い値</v></c></row></sheetData></worksheet>";
        e[QStringLiteral("xl/sharedStrings.xml")] =
            "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><si><t>x</t></si><si><t>鉄骨造</t></si></sst>";
        const QString path = makeSample(QStringLiteral("computed.xlsx"), e);
        {
            XlsxWorkbook book;
            QVERIFY(book.open(path));
            QVERIFY(book.requestFullRecalculation(XlsxWorkbook::CachedValues::Compute));
            QVERIFY(book.save());
        }
        XlsxWorkbook book;
        QVERIFY(book.open(path));
        XlsxCell c;
        QVERIFY(book.readCell(QStringLiteral("印刷&表"), QStringLiteral("C1"), &c));
        QCOMPARE(c.formula, formula);
        QCOMPARE(kindAndValue(c), expected);
        const QByteArray xml = ZipEntries::read(path, false).value(QStringLiteral("xl/worksheets/sheet2.xml"));
        // The cell keeps its style; the kind of value is the value's own.
        const int at = xml.indexOf("<c r=\"C1\"");
        const QByteArray tag = xml.mid(at, xml.indexOf('>', at) - at);
        QVERIFY(tag.contains(" s=\"2\""));
        QCOMPARE(tag.contains(" t=\"str\""), expected.startsWith(QLatin1String("text:")));
    }

    void sheetSelectionAndVisibility()
    {
        const QString path = makeSample(QStringLiteral("select.xlsx"));
        {
            XlsxWorkbook book;
            QVERIFY(book.open(path));
            QVERIFY(book.selectSheet(QStringLiteral("印刷&表")));
            QCOMPARE(book.activeSheet(), QStringLiteral("印刷&表"));
            QVERIFY(!book.setSheetHidden(QStringLiteral("印刷&表"), true));  // the shown sheet stays shown
            QVERIFY(book.setSheetHidden(QStringLiteral("入力"), true));
            QVERIFY(!book.selectSheet(QStringLiteral("入力")));
            QVERIFY(!book.selectSheet(QStringLiteral("無い")));
            QVERIFY(book.save());
        }
        const Entries e = ZipEntries::read(path, false);
        QVERIFY(e.value(QStringLiteral("xl/workbook.xml")).contains("activeTab=\"1\""));
        QVERIFY(e.value(QStringLiteral("xl/workbook.xml")).contains("<sheet name=\"入力\" sheetId=\"1\" r:id=\"rId1\" state=\"hidden\"/>"));
        QVERIFY(!e.value(QStringLiteral("xl/worksheets/sheet1.xml")).contains("tabSelected"));
        QVERIFY(e.value(QStringLiteral("xl/worksheets/sheet2.xml"))
                    .contains("<sheetViews><sheetView tabSelected=\"1\" workbookViewId=\"0\"/></sheetViews><sheetFormatPr"));
        XlsxWorkbook book;
        QVERIFY(book.open(path));
        QVERIFY(book.isSheetHidden(QStringLiteral("入力")));
        QCOMPARE(book.activeSheet(), QStringLiteral("印刷&表"));
    }

    // Parts that spell the namespace with a prefix and carry comments and
    // processing instructions are as valid as Excel's own.
    void prefixedNamesAndComments()
    {
        Entries e;
        const QByteArray head = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<!-- 手書き -->\n";
        e[QStringLiteral("xl/workbook.xml")] =
            head + "<x:workbook xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                   "xmlns:rel=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><x:sheets>"
                   "<!-- 一覧 --><x:sheet name=\"入力\" sheetId=\"1\" rel:id=\"rId1\"/>"
                   "<x:sheet name=\"印刷&amp;表\" sheetId=\"2\" rel:id=\"rId2\"/></x:sheets></x:workbook>";
        e[QStringLiteral("xl/worksheets/sheet1.xml")] =
            head + "<x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><x:sheetData>"
                   "<?keep this?><x:row r=\"2\"><x:c r=\"B2\" t=\"s\"><x:v>0</x:v></x:c><!-- 間 -->"
                   "<x:c r=\"D2\" t=\"str\"><x:f>B2&amp;\"!\"</x:f><x:v>古い</x:v></x:c></x:row>"
                   "<!-- 末尾 --></x:sheetData></x:worksheet>";
        const QString path = makeSample(QStringLiteral("prefixed.xlsx"), e);
        {
            XlsxWorkbook book;
            QVERIFY2(book.open(path), qPrintable(book.errorString()));
            QCOMPARE(readText(book, QStringLiteral("入力"), QStringLiteral("B2")), QStringLiteral("共有文字列"));
            QVERIFY(book.writeCells(QStringLiteral("入力"), {{CellRef{2, 3}, XlsxCellWrite::Kind::Text, QStringLiteral(" 間 ")},
                                                             {CellRef{4, 1}, XlsxCellWrite::Kind::Number, QStringLiteral("7")}}));
            QVERIFY(book.setRowsHidden(QStringLiteral("入力"), 3, 3, true));
            QVERIFY(book.selectSheet(QStringLiteral("入力")));
            QVERIFY(book.requestFullRecalculation(XlsxWorkbook::CachedValues::Compute));
            QVERIFY(book.save());
        }
        const Entries after = ZipEntries::read(path, false);
        const QByteArray sheet = after.value(QStringLiteral("xl/worksheets/sheet1.xml"));
        QVERIFY(sheet.startsWith(head + "<x:worksheet"));
        for (const char* kept : {"<?keep this?>", "<!-- 間 -->", "<!-- 末尾 -->",
                                 "<x:c r=\"C2\" t=\"inlineStr\"><x:is><x:t xml:space=\"preserve\"> 間 </x:t></x:is></x:c>",
                                 "<x:c r=\"D2\" t=\"str\"><x:f>B2&amp;\"!\"</x:f><x:v>共有文字列!</x:v></x:c>",
                                 "<x:row r=\"3\" hidden=\"1\"/><x:row r=\"4\"><x:c r=\"A4\"><x:v>7</x:v></x:c></x:row>",
                                 "<x:sheetViews><x:sheetView tabSelected=\"1\" workbookViewId=\"0\"/></x:sheetViews><x:sheetData>"})
            QVERIFY2(sheet.contains(kept), kept);
        QVERIFY(!sheet.contains("<row") && !sheet.contains("<c ") && !sheet.contains("<v>"));
        const QByteArray workbook = after.value(QStringLiteral("xl/workbook.xml"));
        QVERIFY(workbook.startsWith(head + "<x:workbook") && workbook.contains("<!-- 一覧 -->"));
        QVERIFY(workbook.contains("</x:sheets><x:calcPr fullCalcOnLoad=\"1\"/></x:workbook>"));
    }

    void refusesWhatIsNotAWorkbook()
    {
        XlsxWorkbook book;
        QVERIFY(!book.open(m_dir.filePath(QStringLiteral("missing.xlsx"))) && book.errorString().contains(QStringLiteral("見つかりません")));

        // Not a zip at all, and a zip of another kind of document.
        const QString docx = m_dir.filePath(QStringLiteral("doc.xlsx"));
        QVERIFY(ZipEntries::write(docx, {{QStringLiteral("word/document.xml"), "<document/>"}}));
        for (const QString& bad : {writeBytes(m_dir.filePath(QStringLiteral("text.xlsx")), "これは表計算のファイルではありません"), docx}) {
            QVERIFY2(!book.open(bad) && book.errorString().contains(QStringLiteral("Excelブック")) && !book.isOpen(), qPrintable(bad));
        }

        QVERIFY(!book.open(makeSample(QStringLiteral("badbook.xlsx"), {{"xl/workbook.xml", "<workbook><sheets><sheet name="}})));
        QVERIFY(book.open(makeSample(QStringLiteral("badsheet.xlsx"),  // the sheet is read when it is used
                                     {{"xl/worksheets/sheet1.xml", "<worksheet><sheetData><row r=\"1\"><c r=\"A1\"><v>1"}})));
        QVERIFY(!book.setText(QStringLiteral("入力"), QStringLiteral("A1"), QStringLiteral("x"))
                && book.errorString().contains(QStringLiteral("入力")));
        QVERIFY(book.setText(QStringLiteral("印刷&表"), QStringLiteral("B1"), QStringLiteral("y")));
        book.close();

        QVERIFY(book.open(makeSample(QStringLiteral("unordered.xlsx"),
                                     {{"xl/worksheets/sheet2.xml", "<worksheet><sheetData><row r=\"3\"/><row r=\"2\"/></sheetData></worksheet>"}})));
        XlsxCell c;
        QVERIFY(!book.readCell(QStringLiteral("印刷&表"), QStringLiteral("A1"), &c));
    }

    void formattingChangesOnlyWhatItNames()
    {
        const QString path = makeStyled(QStringLiteral("format.xlsx"));
        const Entries before = ZipEntries::read(path, true);
        {
            XlsxWorkbook book;
            QVERIFY(book.open(path));
            // A cell that is not in the file shows its row's or column's format.
            QCOMPARE(looks(book, {"E9", "Z9"}), (QStringList{"ＭＳ 明朝|14|b-||thin|||hair", "Calibri|11|--|||||"}));
            QVERIFY(book.changedParts().isEmpty());  // reading changes nothing
            QVERIFY(book.formatCells(QStringLiteral("表"), QStringLiteral("A1"), gothicItalicRed()));
            QCOMPARE(book.changedParts(),
                     (QStringList{QStringLiteral("xl/styles.xml"), QStringLiteral("xl/worksheets/sheet1.xml")}));
            QVERIFY(book.save());
        }
        XlsxWorkbook book;
        QVERIFY(book.open(path));
        // A1 keeps what the change does not name (bold, edges); B1 shared its format and keeps it.
        QCOMPARE(looks(book, {"A1", "B1"}),
                 (QStringList{"ＭＳ ゴシック|10|bi|FFF80000|thin|||hair", "ＭＳ 明朝|14|b-||thin|||hair"}));
        QCOMPARE(readText(book, QStringLiteral("表"), QStringLiteral("A1")), QStringLiteral("題名"));
        book.close();

        const Entries after = ZipEntries::read(path, false);
        Entries raw = ZipEntries::read(path, true), unchanged = before;
        for (const QString& changed : {QStringLiteral("xl/styles.xml"), QStringLiteral("xl/worksheets/sheet1.xml")})
            raw.remove(changed), unchanged.remove(changed);
        QCOMPARE(raw, unchanged);
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
        const QByteArray sheet = after[QStringLiteral("xl/worksheets/sheet1.xml")];
        QVERIFY(sheet.contains("<c r=\"A1\" s=\"3\"") && sheet.contains("<c r=\"B1\" s=\"1\""));
    }

    // A name replaces a theme font; an underline keeps the other edges and its colour.
    void fontNamesAndUnderlines()
    {
        const QString path = makeStyled(QStringLiteral("border.xlsx"));
        {
            XlsxWorkbook book;
            QVERIFY(book.open(path));
            XlsxFormat f;
            f.fontName = QStringLiteral("IPAexゴシック");
            f.bottomBorder = QStringLiteral("dashed");
            QVERIFY(book.formatCells(QStringLiteral("表"), QStringLiteral("C2"), f));
            XlsxFormat line;
            line.bottomBorder = QStringLiteral("dotted");
            QVERIFY(book.formatCells(QStringLiteral("表"), QStringLiteral("B1"), line));
            line.bottomBorder = QString();
            QVERIFY(book.formatCells(QStringLiteral("表"), QStringLiteral("A2"), line));
            QVERIFY(book.save());
        }
        XlsxWorkbook book;
        QVERIFY(book.open(path));
        QCOMPARE(looks(book, {"B1", "A1", "A2", "C2"}),
                 (QStringList{"ＭＳ 明朝|14|b-||thin|||dotted", "ＭＳ 明朝|14|b-||thin|||hair", "Calibri|11|--|||||",
                              "IPAexゴシック|11|--|||||dashed"}));
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
        const QString path = makeStyled(QStringLiteral("range.xlsx"));
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
        // E1 and F1 start from their column's format.
        QCOMPARE(looks(book, {"D1", "E1", "F1", "B3"}),
                 (QStringList{"Calibri|11|-i|||||", "ＭＳ 明朝|14|bi||thin|||hair", "ＭＳ 明朝|14|bi||thin|||hair",
                              "Calibri|11|-i|||||"}));
        bool hidden = false;
        QVERIFY(book.isRowHidden(QStringLiteral("表"), 3, &hidden) && hidden);
        XlsxCell c;
        QVERIFY(book.readCell(QStringLiteral("表"), QStringLiteral("D1"), &c));
        QCOMPARE(c.kind, XlsxCell::Kind::Empty);
        book.close();
        // B3 came from the row's number format.
        const Entries after = ZipEntries::read(path, false);
        QVERIFY(after[QStringLiteral("xl/worksheets/sheet1.xml")].contains("<c r=\"B3\" s=\""));
        QVERIFY(after[QStringLiteral("xl/styles.xml")].count("numFmtId=\"164\"") >= 3);  // the definition, the old and the new format
    }

    void valuesWrittenLaterKeepTheFormat()
    {
        const QString path = makeStyled(QStringLiteral("write.xlsx"));
        XlsxWorkbook book;
        QVERIFY(book.open(path));
        QVERIFY(book.formatCells(QStringLiteral("表"), QStringLiteral("A1"), gothicItalicRed()));
        QVERIFY(book.setText(QStringLiteral("表"), QStringLiteral("A1"), QStringLiteral("新しい題名")));
        QVERIFY(book.save());
        QVERIFY(book.open(path));
        QCOMPARE(looks(book, {"A1"}), QStringList{"ＭＳ ゴシック|10|bi|FFF80000|thin|||hair"});
        QCOMPARE(readText(book, QStringLiteral("表"), QStringLiteral("A1")), QStringLiteral("新しい題名"));
        // The same change again finds the format it made: only B1 changes.
        QVERIFY(book.formatCells(QStringLiteral("表"), QStringLiteral("A1:B1"), gothicItalicRed()));
        QCOMPARE(book.changedParts(), QStringList{QStringLiteral("xl/worksheets/sheet1.xml")});
    }

    void aWorkbookWithoutStylesGetsThem()
    {
        const QString path = makeStyled(QStringLiteral("bare.xlsx"), false);
        {
            XlsxWorkbook book;
            QVERIFY(book.open(path));
            QVERIFY2(book.formatCells(QStringLiteral("表"), QStringLiteral("A2"), gothicItalicRed()),
                     qPrintable(book.errorString()));
            QVERIFY(book.save());
        }
        const Entries after = ZipEntries::read(path, false);
        QVERIFY(after[QStringLiteral("xl/_rels/workbook.xml.rels")].contains("relationships/styles\" Target=\"styles.xml\""));
        QVERIFY(after[QStringLiteral("[Content_Types].xml")].contains("PartName=\"/xl/styles.xml\""));
        XlsxWorkbook book;
        QVERIFY(book.open(path));
        QCOMPARE(looks(book, {"A2"}), QStringList{"ＭＳ ゴシック|10|-i|FFF80000||||"});
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

QTEST_GUILESS_MAIN(TestXlsx)
#include "tst_xlsx.moc"
