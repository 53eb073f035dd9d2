#include "BenchSupport.h"
#include "IfcReader.h"
#include "IfcSummary.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

// Reading and mapping an architect's model of 200,000 entities (about
// 10 MB), against the floor of reading the same file's bytes. The model is
// shaped like an export: storeys with rooms and their quantity sets, and
// walls whose bodies are extruded outlines with their placements, which
// make up most of a real file and which the mapping never needs to parse.
namespace {

using BenchSupport::fail;
using BenchSupport::peakMb;

constexpr int kEntities = 200000;
constexpr int kStoreys = 20;

QByteArray guid(int n)
{
    return QByteArray::number(n, 36).rightJustified(22, '0');
}

void writeModel(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        fail(QStringLiteral("cannot write %1").arg(path));
    QByteArray t;
    int id = 0;
    auto add = [&](const QByteArray& body) {
        t += '#' + QByteArray::number(++id) + '=' + body + ";\n";
        return id;
    };
    t += "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION(('ViewDefinition [ReferenceView]'),'2;1');\n"
         "FILE_NAME('bench.ifc','2026-12-07T00:00:00',(''),(''),'','','');\nFILE_SCHEMA(('IFC4'));\nENDSEC;\nDATA;\n";
    add("IFCPROJECT('" + guid(1) + "',$,'Bench',$,$,$,$,$,#2)");
    add("IFCUNITASSIGNMENT((#3,#4))");
    add("IFCSIUNIT(*,.LENGTHUNIT.,.MILLI.,.METRE.)");
    add("IFCSIUNIT(*,.AREAUNIT.,$,.SQUARE_METRE.)");
    const int site = add("IFCSITE('" + guid(5) + "',$,'\\X2\\65775730\\X0\\',$,$,$,$,$,.ELEMENT.,$,$,$,'1-2',$)");
    const int building = add("IFCBUILDING('" + guid(6) + "',$,'A',$,$,$,$,$,.ELEMENT.,$,$,$)");
    add("IFCRELAGGREGATES('" + guid(7) + "',$,$,$,#1,(#" + QByteArray::number(site) + "))");
    add("IFCRELAGGREGATES('" + guid(8) + "',$,$,$,#" + QByteArray::number(site) + ",(#" + QByteArray::number(building) + "))");
    QList<int> storeys;
    for (int s = 0; s < kStoreys; ++s)
        storeys << add("IFCBUILDINGSTOREY('" + guid(id + 1) + "',$,'" + QByteArray::number(s + 1) + "F',$,$,$,$,$,.ELEMENT.,"
                       + QByteArray::number(s * 3000) + ".)");
    QByteArray list;
    for (int s : storeys)
        list += (list.isEmpty() ? "#" : ",#") + QByteArray::number(s);
    add("IFCRELAGGREGATES('" + guid(id + 1) + "',$,$,$,#" + QByteArray::number(building) + ",(" + list + "))");
    // Rooms with their areas: 100 per storey.
    for (int s = 0; s < kStoreys; ++s) {
        QByteArray rooms;
        for (int r = 0; r < 100; ++r) {
            const int room = add("IFCSPACE('" + guid(id + 1) + "',$,'" + QByteArray::number(r) + "',$,$,$,$,$,.ELEMENT.,.INTERNAL.,$)");
            const int area = add("IFCQUANTITYAREA('GrossFloorArea',$,$," + QByteArray::number(12.5 + r % 7, 'f', 3) + ",$)");
            const int set = add("IFCELEMENTQUANTITY('" + guid(id + 1) + "',$,'Qto_SpaceBaseQuantities',$,$,(#" + QByteArray::number(area) + "))");
            add("IFCRELDEFINESBYPROPERTIES('" + guid(id + 1) + "',$,$,$,(#" + QByteArray::number(room) + "),#" + QByteArray::number(set) + ")");
            rooms += (rooms.isEmpty() ? "#" : ",#") + QByteArray::number(room);
        }
        add("IFCRELAGGREGATES('" + guid(id + 1) + "',$,$,$,#" + QByteArray::number(storeys[s]) + ",(" + rooms + "))");
    }
    // Walls until the count is reached, contained storey by storey.
    QList<QByteArray> walls(kStoreys);
    for (int w = 0; id < kEntities - kStoreys - 20; ++w) {
        const double x = w % 1000 * 910.0, y = w / 1000 * 910.0;
        const int p1 = add("IFCCARTESIANPOINT((" + QByteArray::number(x, 'f', 1) + "," + QByteArray::number(y, 'f', 1) + "))");
        const int p2 = add("IFCCARTESIANPOINT((" + QByteArray::number(x + 910.0, 'f', 1) + "," + QByteArray::number(y, 'f', 1) + "))");
        const int p3 = add("IFCCARTESIANPOINT((" + QByteArray::number(x + 910.0, 'f', 1) + "," + QByteArray::number(y + 120.0, 'f', 1) + "))");
        const int poly = add("IFCPOLYLINE((#" + QByteArray::number(p1) + ",#" + QByteArray::number(p2) + ",#" + QByteArray::number(p3) + ",#"
                             + QByteArray::number(p1) + "))");
        const int profile = add("IFCARBITRARYCLOSEDPROFILEDEF(.AREA.,$,#" + QByteArray::number(poly) + ")");
        const int solid = add("IFCEXTRUDEDAREASOLID(#" + QByteArray::number(profile) + ",$,$,2800.)");
        const int rep = add("IFCSHAPEREPRESENTATION($,'Body','SweptSolid',(#" + QByteArray::number(solid) + "))");
        const int shape = add("IFCPRODUCTDEFINITIONSHAPE($,$,(#" + QByteArray::number(rep) + "))");
        const int wall = add("IFCWALL('" + guid(id + 1) + "',$,'W" + QByteArray::number(w) + "',$,$,$,#" + QByteArray::number(shape) + ",$,.SOLIDWALL.)");
        QByteArray& l = walls[w % kStoreys];
        l += (l.isEmpty() ? "#" : ",#") + QByteArray::number(wall);
        if (t.size() > (1 << 20)) {
            f.write(t);
            t.clear();
        }
    }
    for (int s = 0; s < kStoreys; ++s)
        add("IFCRELCONTAINEDINSPATIALSTRUCTURE('" + guid(id + 1) + "',$,$,$,(" + walls[s] + "),#" + QByteArray::number(storeys[s]) + ")");
    t += "ENDSEC;\nEND-ISO-10303-21;\n";
    if (f.write(t) < 0)
        fail(QStringLiteral("cannot write %1").arg(path));
}

struct Fixture {
    QTemporaryDir dir;
    QString path;
    Fixture()
    {
        path = dir.filePath(QStringLiteral("bench.ifc"));
        BenchSupport::inChild([this] { writeModel(path); }, QStringLiteral("making the model"));
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

void BM_PlainReadFloor(benchmark::State& state)
{
    qint64 bytes = 0;
    for (auto _ : state) {
        QFile f(fixture().path);
        if (!f.open(QIODevice::ReadOnly))
            fail(QStringLiteral("cannot read"));
        const QByteArray data = f.readAll();
        bytes = data.size();
        benchmark::DoNotOptimize(data.constData());
    }
    state.counters["file_MB"] = static_cast<double>(bytes) / (1 << 20);
}
BENCHMARK(BM_PlainReadFloor)->Unit(benchmark::kMillisecond);

void BM_ReadAndMap(benchmark::State& state)
{
    std::size_t entities = 0;
    QString total;
    const double before = peakMb();
    for (auto _ : state) {
        Ifc::Model model;
        if (!model.readFile(fixture().path))
            fail(model.error());
        const IfcSummary::Summary s = IfcSummary::summarize(model);
        entities = model.size();
        total = s.buildings.value(0).totalArea.text;
    }
    state.counters["entities"] = static_cast<double>(entities);
    state.counters["peak_rss_MB"] = peakMb();
    state.counters["rss_before_MB"] = before;
    std::fprintf(stderr, "%zu entities, 延べ面積 %s m²\n", entities, qPrintable(total));
}
BENCHMARK(BM_ReadAndMap)->Unit(benchmark::kMillisecond);

}  // namespace
