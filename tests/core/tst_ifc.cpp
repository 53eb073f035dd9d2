// The IFC reader, what it makes of hand-written models of each schema, and
// taking model values into a project; a bounded run over mutated files.
#include "IfcForms.h"
#include "IfcReader.h"
#include "IfcSummary.h"
#include "ProjectData.h"
#include "Recordset.h"
#include "ShiftJis.h"
#include "TestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

namespace {

QByteArray dataFile(const char* name) { return readBytes(QStringLiteral(SD_TEST_DATA_DIR "/ifc/") + QString::fromLatin1(name)); }

IfcSummary::Summary summaryOf(const QByteArray& bytes, Ifc::Model* model)
{
    if (!model->parse(bytes))
        return {};
    return IfcSummary::summarize(*model);
}

const IfcSummary::Storey* storey(const IfcSummary::Building& b, const QString& name)
{
    for (const IfcSummary::Storey& s : b.storeys)
        if (s.name == name)
            return &s;
    return nullptr;
}

}  // namespace

class TstIfc : public QObject {
    Q_OBJECT

private slots:
    void decodesStrings_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("text");
        QTest::newRow("quote and backslash") << QByteArray("It''s a\\\\b") << QStringLiteral("It's a\\b");
        QTest::newRow("X2") << QByteArray("\\X2\\65775730\\X0\\ A") << QStringLiteral("敷地 A");
        QTest::newRow("X4") << QByteArray("\\X4\\0001F600\\X0\\") << QString::fromUcs4(U"\U0001F600", 1);
        QTest::newRow("X") << QByteArray("caf\\X\\E9") << QStringLiteral("café");
        QTest::newRow("S") << QByteArray("\\S\\d") << QStringLiteral("ä");
        QTest::newRow("raw UTF-8") << QByteArray("一戸建ての住宅") << QStringLiteral("一戸建ての住宅");
        QTest::newRow("raw Shift_JIS, 0x5C second byte") << ShiftJis::encode(QStringLiteral("ソフト２階")) << QStringLiteral("ソフト２階");
        QTest::newRow("unclosed X2 kept") << QByteArray("\\X2\\6577") << QStringLiteral("\\X2\\6577");
    }
    void decodesStrings()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, text);
        QCOMPARE(Ifc::Model::decodeString(body.constBegin(), body.constEnd()), text);
    }

    void mapsIfc4QuantitySets()
    {
        Ifc::Model model;
        const IfcSummary::Summary s = summaryOf(dataFile("quantities-ifc4.ifc"), &model);
        QCOMPARE(model.error(), QString());
        QVERIFY2(s.warnings.isEmpty(), qPrintable(s.warnings.join('\n')));
        QCOMPARE(s.sites.size(), 1);
        QVERIFY(s.sites[0].area.source.contains(QStringLiteral("Qto_SiteBaseQuantities.GrossArea")));
        QCOMPARE(s.buildings.size(), 1);
        const IfcSummary::Building& b = s.buildings[0];
        QCOMPARE(b.storeys.size(), 4);
        QVERIFY(b.storeys[0].belowGround);
        QCOMPARE(b.storeys[0].elevation, -3.0);
        QVERIFY(!storey(b, "RF")->counted);
        // The site's area is truncated, not rounded; 1F's quantity name is lower-case.
        const QStringList site{s.schema, s.lengthUnit, s.sites[0].name, s.sites[0].area.text, s.sites[0].tiban.text, b.name,
                               b.storeys[0].name, b.storeys[0].area.text, storey(b, "1F")->area.text, storey(b, "2F")->area.text};
        QCOMPARE(site.join(QLatin1Char('|')), QStringLiteral("IFC4|mm|敷地|250.45|東京都千代田区丸の内123番4|A棟|B1F|50.12|80.55|70.00"));
        // Eaves 9.0004 m: never shown lower than the model.
        const QStringList items{b.above.text, b.below.text, b.totalArea.text, b.buildingArea.text, b.height.text,
                                b.eavesHeight.text, b.structure.text, b.use.text, b.useCode.text};
        QCOMPARE(items.join(QLatin1Char(' ')), QStringLiteral("2 1 200.67 85.99 9.87 9.01 木造 一戸建ての住宅 08010"));
        QVERIFY(b.totalArea.source.contains(QStringLiteral("Qto_BuildingBaseQuantities.GrossFloorArea")));
        QVERIFY(b.buildingArea.source.contains(QStringLiteral("FootPrintArea")));
        QVERIFY(b.height.note.contains(QStringLiteral("地盤面")));
        QVERIFY(b.structure.source.contains(QStringLiteral("Pset_BuildingCommon.ConstructionMethod")));
    }

    void mapsIfc2x3BaseQuantitiesAndMaterials()
    {
        Ifc::Model model;
        const IfcSummary::Summary s = summaryOf(dataFile("base-ifc2x3.ifc"), &model);
        QCOMPARE(s.schema, QStringLiteral("IFC2X3"));
        QCOMPARE(s.lengthUnit, QStringLiteral("m"));
        QCOMPARE(s.sites[0].area.text, QStringLiteral("300.00"));
        QVERIFY(s.sites[0].area.source.contains(QStringLiteral("Pset_SiteCommon.TotalArea")));
        QVERIFY(!s.sites[0].tiban.present);
        const IfcSummary::Building& b = s.buildings[0];
        QCOMPARE(b.storeys.size(), 2);
        QVERIFY(b.storeys[0].area.source.contains(QStringLiteral("IfcSpace 2 室")));
        QVERIFY(b.totalArea.source.contains(QStringLiteral("各階の床面積の合計")));
        QVERIFY(!b.height.present);
        QVERIFY(b.structure.note.contains(QStringLiteral("鉄筋コンクリート造 1件")));
        // B1's area is its two spaces; ２階 is raw Shift_JIS; 鉄骨造 is two steel
        // columns against one concrete wall.
        const QStringList items{b.storeys[0].area.text, b.storeys[1].name, b.storeys[1].area.text, b.above.text, b.below.text,
                                b.totalArea.text, b.buildingArea.text, b.structure.text, b.useCode.text};
        QCOMPARE(items.join(QLatin1Char('|')), QStringLiteral("50.33|２階|40.50|2||90.83|55.50|鉄骨造|08470"));
    }

    void mapsProfilesWhenNoQuantitiesAndSurvivesBadEntities()
    {
        Ifc::Model model;
        const IfcSummary::Summary s = summaryOf(dataFile("noquantities-ifc4.ifc"), &model);
        QCOMPARE(s.lengthUnit, QStringLiteral("FOOT"));
        QVERIFY(!s.truncated);
        const QString warnings = s.warnings.join('\n');
        QVERIFY2(warnings.contains(QStringLiteral("#20 が重複")), qPrintable(warnings));
        QVERIFY2(warnings.contains(QStringLiteral("解釈できない記述")), qPrintable(warnings));
        QCOMPARE(s.buildings.size(), 1);  // the first of the two #20
        const IfcSummary::Building& b = s.buildings[0];
        QCOMPARE(b.storeys.size(), 3);  // #777 names nothing
        QVERIFY(storey(b, "1F")->area.source.contains(QStringLiteral("IfcSlab")));
        QVERIFY(storey(b, "2F")->area.source.contains(QStringLiteral("IfcSpace")));
        QVERIFY(!storey(b, "RF")->counted);  // only a roof slab
        QVERIFY(!b.buildingArea.present);
        // 1F: a 20 ft × 10 ft floor slab; 2F: a 30 ft × 10 ft space outline.
        const QStringList items{b.name, storey(b, "1F")->area.text, storey(b, "2F")->area.text, b.above.text,
                                b.totalArea.text, b.useCode.text};
        QCOMPARE(items.join(QLatin1Char('|')), QStringLiteral("Ｂ棟|18.58|27.87|2|46.45|08520"));
    }

    void reportsBrokenFiles()
    {
        const QByteArray whole = dataFile("quantities-ifc4.ifc");
        Ifc::Model model;
        // Cut in the middle of an entity: what came before is read and the cut is said.
        const IfcSummary::Summary s = summaryOf(whole.left(whole.indexOf("#61=") + 10), &model);
        QVERIFY(model.truncated() && s.truncated);
        QVERIFY(s.warnings.join('\n').contains(QStringLiteral("途中で切れて")));
        QCOMPARE(s.buildings.size(), 1);
        QVERIFY(!s.buildings[0].totalArea.source.contains(QStringLiteral("Qto_BuildingBaseQuantities")));
        // Cut before the data, not a STEP file, empty: an error.
        for (const QByteArray& bad : {whole.left(100), QByteArray("PK\x03\x04 not an ifc"), QByteArray()})
            QVERIFY(!Ifc::Model().parse(bad));
        Ifc::Model missing;
        QVERIFY(!missing.readFile(QStringLiteral("/nonexistent/model.ifc")));
        QVERIFY(missing.error().contains(QStringLiteral("開けません")));
    }

    void takesTheChosenItemsAsTheWindowsSave()
    {
        TempAppDir dir;
        const qint64 bid = newProject(dir.storage());
        QString error;
        setColumns(dir.storage(), DbFile::Kakunin, "SHIKICHI", "B_ID", bid,
                   {{"Size5", QStringLiteral("300.00")}, {"Size17", QStringLiteral("300")}});
        ProjectData project;
        QVERIFY(ProjectData::load(dir.storage(), bid, &project, &error));
        Ifc::Model model;
        const IfcSummary::Summary s = summaryOf(dataFile("quantities-ifc4.ifc"), &model);
        QStringList warnings;
        const QVector<IfcForms::FormItem> items = IfcForms::compare(s, project, &warnings);
        auto item = [&](const QString& key) {
            for (const IfcForms::FormItem& f : items)
                if (f.key == key)
                    return f;
            return IfcForms::FormItem{};
        };
        QCOMPARE(item("site.area").projectText, QStringLiteral("300.00"));
        QCOMPARE(item("site.area").modelText, QStringLiteral("250.45"));
        QVERIFY(item("site.area").differs);
        QCOMPARE(item("b1.floor1").caption, QStringLiteral("建築物1 【１０．床面積】1行目（B1）申請部分"));
        QCOMPARE(item("b1.floor3").values.front(), qMakePair(QStringLiteral("Men46"), QStringLiteral("70.00")));

        // Two items, then the floor counts and one floor line.
        const QVector<IfcForms::FormItem> chosen{item("site.building-area"), item("site.floor-area"), item("b1.above"),
                                                 item("b1.below"), item("b1.floor2")};
        QStringList changed;
        QVERIFY2(IfcForms::apply(dir.storage(), bid, chosen, {QStringLiteral("a.ifc"), QStringLiteral("ab12"),
                                                              QDateTime(QDate(2026, 12, 7), QTime(9, 5))}, &changed,
                                                              &error), qPrintable(error));
        QVERIFY(ProjectData::load(dir.storage(), bid, &project, &error));
        // "column=value" of the site row (Size5 not chosen: untouched; Par11 is 85.99 / 300) and of building 1.
        auto values = [&](const RowValues& row, std::initializer_list<const char*> columns) {
            QStringList out;
            for (const char* c : columns)
                out << QString::fromLatin1(c) + QLatin1Char('=') + project.text(row, QString::fromLatin1(c));
            return out.join(QLatin1Char(' '));
        };
        QCOMPARE(values(project.shikichi, {"Size5", "Men1", "Men3", "Par11", "Men4", "Men19", "Par12"}),
                 QStringLiteral("Size5=300.00 Men1=85.99 Men3=85.99 Par11=28.66 Men4=200.67 Men19=200.67 Par12=66.89"));
        QCOMPARE(values(project.buildings[0], {"Kai30", "Kai31", "Kai40", "Kai41", "Men43", "Men45", "Men60"}),
                 QStringLiteral("Kai30=2 Kai31=1 Kai40=B1 Kai41=1F Men43=80.55 Men45=80.55 Men60=80.55"));
        QCOMPARE(project.text(project.floors[0], QStringLiteral("F1Kai60")), QStringLiteral("B1"));
        QCOMPARE(project.text(project.floors[2], QStringLiteral("F1Kai60")), QStringLiteral("2F"));
        QVERIFY(changed.contains(QStringLiteral("TATEMONOBETU[1].Men43")));
        QVERIFY(!changed.contains(QStringLiteral("SHIKICHI.Size5")));
        QCOMPARE(IfcForms::lastModelNote(dir.storage(), bid), QStringLiteral("a.ifc 2026/12/7 ab12"));

        // Compared again, what was taken agrees and the rest still differs.
        const QVector<IfcForms::FormItem> again = IfcForms::compare(s, project, nullptr);
        for (const IfcForms::FormItem& f : again) {
            const bool taken = std::any_of(chosen.begin(), chosen.end(), [&](const IfcForms::FormItem& c) { return c.key == f.key; });
            QVERIFY2(f.differs != taken, qPrintable(f.key));
        }
    }

    // Mutations of the hand-written files: every one is read or refused,
    // never a crash. SD_IFC_FUZZ_ROUNDS sets the count (the sanitizer
    // build runs the same).
    void survivesMutatedFiles()
    {
        const QList<QByteArray> seeds{dataFile("quantities-ifc4.ifc"), dataFile("base-ifc2x3.ifc"), dataFile("noquantities-ifc4.ifc")};
        const int rounds = qEnvironmentVariableIsSet("SD_IFC_FUZZ_ROUNDS") ? qEnvironmentVariableIntValue("SD_IFC_FUZZ_ROUNDS") : 3000;
        static const char* const tokens[] = {"(", ")", "'", "''", "#", "#0", "#99999999999999999999", "=", ";", ",", "$", "*",
                                             ".", "\\X2\\", "\\X4\\FFFFFFFF\\X0\\", "\\X0\\", "\\S\\", "\\", "/*", "1.E999",
                                             "-", "((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((",
                                             "IFCQUANTITYAREA('GrossFloorArea',$,$,-1.,$)", "\xff\xfe", "\x82"};
        QRandomGenerator rng(20261207);
        IfcSummary::Summary last;
        ProjectData empty;
        for (int i = 0; i < rounds; ++i) {
            QByteArray bytes = seeds[i % seeds.size()];
            const int edits = 1 + int(rng.bounded(4));
            for (int e = 0; e < edits && !bytes.isEmpty(); ++e) {
                const int at = int(rng.bounded(bytes.size()));
                switch (rng.bounded(5)) {
                case 0: bytes[at] = char(rng.bounded(256)); break;
                case 1: bytes.remove(at, int(rng.bounded(40))); break;
                case 2: bytes.insert(at, tokens[rng.bounded(int(std::size(tokens)))]); break;
                case 3: bytes.insert(at, bytes.mid(int(rng.bounded(bytes.size())), int(rng.bounded(200)))); break;
                case 4: bytes.truncate(at); break;
                }
            }
            Ifc::Model model;
            if (model.parse(bytes)) {
                last = IfcSummary::summarize(model);
                IfcForms::compare(last, empty, nullptr);
            } else {
                QVERIFY(!model.error().isEmpty());
            }
        }
    }
};

QTEST_GUILESS_MAIN(TstIfc)
#include "tst_ifc.moc"
