#include "IfcSummary.h"

#include "IfcReader.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

namespace IfcSummary {

using Ifc::EntityRef;
using Ifc::Model;
using Ifc::Value;
using Attrs = std::vector<Value>;

double truncateArea(double m2)
{
    // The epsilon keeps 123.45, held as 123.4499999…, at 123.45.
    return std::floor(m2 * 100.0 + 1e-6) / 100.0;
}

double roundUpHeight(double m)
{
    return std::ceil(m * 100.0 - 1e-6) / 100.0;
}

namespace {

QString number2(double v) { return QString::number(v, 'f', 2); }

QString textAt(const Attrs& a, std::size_t i) { return i < a.size() ? a[i].toText().trimmed() : QString(); }
std::int64_t refAt(const Attrs& a, std::size_t i) { return i < a.size() && a[i].kind == Value::Kind::Ref ? a[i].ref : 0; }
std::vector<std::int64_t> refsAt(const Attrs& a, std::size_t i)
{
    std::vector<std::int64_t> out;
    if (i < a.size() && a[i].kind == Value::Kind::List)
        for (const Value& v : a[i].items)
            if (v.kind == Value::Kind::Ref)
                out.push_back(v.ref);
    return out;
}
bool numberAt(const Attrs& a, std::size_t i, double* out) { return i < a.size() && a[i].toNumber(out); }

double prefixFactor(const QString& prefix)
{
    static const QHash<QString, double> factors{
        {QStringLiteral("EXA"), 1e18},  {QStringLiteral("PETA"), 1e15}, {QStringLiteral("TERA"), 1e12},
        {QStringLiteral("GIGA"), 1e9},  {QStringLiteral("MEGA"), 1e6},  {QStringLiteral("KILO"), 1e3},
        {QStringLiteral("HECTO"), 1e2}, {QStringLiteral("DECA"), 1e1},  {QStringLiteral("DECI"), 1e-1},
        {QStringLiteral("CENTI"), 1e-2}, {QStringLiteral("MILLI"), 1e-3}, {QStringLiteral("MICRO"), 1e-6},
    };
    return factors.value(prefix.toUpper(), 1.0);
}

struct Quantity {
    bool found = false;
    double value = 0;  // in m or m²
    QString source;
};

class Mapper {
public:
    Mapper(const Model& m, const QVector<UseClass>& useClasses) : m(m), m_useClasses(useClasses) {}

    Summary run();

private:
    QString label(std::int64_t id) const;
    void readUnits(Summary* s);
    double unitFactor(std::int64_t unitRef, bool area, QString* name, int depth = 0) const;
    void indexRelations();
    Quantity quantity(std::int64_t object, const QStringList& sets, const QStringList& names, bool area) const;
    Quantity propertyNumber(std::int64_t object, const QStringList& names, bool area) const;
    QString propertyText(std::int64_t object, const QStringList& names, QString* source) const;
    double profileArea(std::int64_t product) const;
    double solidArea(std::int64_t item, int depth) const;
    double curveArea(std::int64_t curve) const;
    QStringList materialNames(std::int64_t element) const;
    void mapBuilding(const EntityRef& b, Building* out);
    void mapStorey(const EntityRef& s, Storey* out);
    void mapStructure(const EntityRef& b, const QVector<std::int64_t>& storeyIds, Building* out);
    void mapUse(const EntityRef& b, Building* out);
    void mapSite(const EntityRef& site, Site* out);

    const Model& m;
    const QVector<UseClass>& m_useClasses;
    double m_length = 1.0;  // model length unit → m
    double m_area = 1.0;    // model area unit → m²
    std::unordered_map<std::int64_t, std::vector<std::int64_t>> m_children;     // aggregation
    std::unordered_map<std::int64_t, std::vector<std::int64_t>> m_contained;    // spatial containment
    std::unordered_map<std::int64_t, std::vector<std::int64_t>> m_definitions;  // quantity and property sets
    std::unordered_map<std::int64_t, std::int64_t> m_material;                  // element → material select
    QStringList m_warnings;
};

QString Mapper::label(std::int64_t id) const
{
    const Attrs a = m.attributes(id);
    QString name = textAt(a, 2);
    const QString longName = textAt(a, 7);
    if (!longName.isEmpty() && longName != name)
        name = name.isEmpty() ? longName : name + QStringLiteral("（") + longName + QStringLiteral("）");
    return name.isEmpty() ? QStringLiteral("#%1").arg(id) : name;
}

double Mapper::unitFactor(std::int64_t unitRef, bool area, QString* name, int depth) const
{
    const EntityRef* u = m.find(unitRef);
    if (!u || depth > 4)
        return 1.0;
    const Attrs a = m.attributes(*u);
    if (m.isType(*u, "IFCSIUNIT")) {
        const QString prefix = textAt(a, 2);
        const double f = prefixFactor(prefix);
        if (name)
            *name = prefix.compare(QLatin1String("MILLI"), Qt::CaseInsensitive) == 0 ? QStringLiteral("mm")
                    : prefix.isEmpty()                                              ? QStringLiteral("m")
                                                                                    : prefix.toLower() + QStringLiteral("m");
        return area ? f * f : f;
    }
    if (m.isType(*u, "IFCCONVERSIONBASEDUNIT") || m.isType(*u, "IFCCONVERSIONBASEDUNITWITHOFFSET")) {
        if (name)
            *name = textAt(a, 2);
        const Attrs measure = m.attributes(refAt(a, 3));
        double value = 0;
        if (!numberAt(measure, 0, &value) || value <= 0)
            return 1.0;
        return value * unitFactor(refAt(measure, 1), area, nullptr, depth + 1);
    }
    return 1.0;
}

void Mapper::readUnits(Summary* s)
{
    const auto projects = m.ofType("IFCPROJECT");
    if (projects.empty()) {
        m_warnings << QStringLiteral("IfcProject がありません。単位をメートルとして読みます。");
        s->lengthUnit = QStringLiteral("m");
        return;
    }
    bool length = false, area = false;
    for (std::int64_t unit : refsAt(m.attributes(refAt(m.attributes(*projects.front()), 8)), 0)) {
        const EntityRef* u = m.find(unit);
        if (!u)
            continue;
        const QString type = textAt(m.attributes(*u), 1).toUpper();
        if (type == QLatin1String("LENGTHUNIT") && !length) {
            m_length = unitFactor(unit, false, &s->lengthUnit);
            length = true;
        } else if (type == QLatin1String("AREAUNIT") && !area) {
            m_area = unitFactor(unit, true, nullptr);
            area = true;
        }
    }
    if (!length) {
        m_warnings << QStringLiteral("長さの単位が定められていません。メートルとして読みます。");
        s->lengthUnit = QStringLiteral("m");
    }
    if (!area)
        m_area = 1.0;  // square metres, whatever the length unit: what exporters write without a unit
}

void Mapper::indexRelations()
{
    for (const EntityRef* r : m.ofType("IFCRELAGGREGATES")) {
        const Attrs a = m.attributes(*r);
        const std::int64_t parent = refAt(a, 4);
        for (std::int64_t child : refsAt(a, 5))
            m_children[parent].push_back(child);
    }
    for (const EntityRef* r : m.ofType("IFCRELCONTAINEDINSPATIALSTRUCTURE")) {
        const Attrs a = m.attributes(*r);
        const std::int64_t parent = refAt(a, 5);
        for (std::int64_t child : refsAt(a, 4))
            m_contained[parent].push_back(child);
    }
    for (const EntityRef* r : m.ofType("IFCRELDEFINESBYPROPERTIES")) {
        const Attrs a = m.attributes(*r);
        const std::int64_t def = refAt(a, 5);
        for (std::int64_t object : refsAt(a, 4))
            m_definitions[object].push_back(def);
    }
    for (const EntityRef* r : m.ofType("IFCRELASSOCIATESMATERIAL")) {
        const Attrs a = m.attributes(*r);
        const std::int64_t material = refAt(a, 5);
        for (std::int64_t object : refsAt(a, 4))
            m_material.emplace(object, material);
    }
}

// A quantity of the named sets (any set when none of them has it), names
// matched without regard to case: exporters write FootprintArea and
// FootPrintArea alike.
Quantity Mapper::quantity(std::int64_t object, const QStringList& sets, const QStringList& names, bool area) const
{
    const auto it = m_definitions.find(object);
    if (it == m_definitions.end())
        return {};
    for (int pass = 0; pass < 2; ++pass) {
        for (std::int64_t def : it->second) {
            const EntityRef* set = m.find(def);
            if (!set || !m.isType(*set, "IFCELEMENTQUANTITY"))
                continue;
            const Attrs sa = m.attributes(*set);
            const QString setName = textAt(sa, 2);
            const bool named = std::any_of(sets.begin(), sets.end(), [&](const QString& n) {
                return setName.compare(n, Qt::CaseInsensitive) == 0;
            });
            if (named != (pass == 0))
                continue;
            for (const QString& wanted : names) {
                for (std::int64_t q : refsAt(sa, 5)) {
                    const EntityRef* qe = m.find(q);
                    if (!qe || !(m.isType(*qe, "IFCQUANTITYAREA") || m.isType(*qe, "IFCQUANTITYLENGTH")))
                        continue;
                    const Attrs qa = m.attributes(*qe);
                    double v = 0;
                    if (textAt(qa, 0).compare(wanted, Qt::CaseInsensitive) != 0 || !numberAt(qa, 3, &v))
                        continue;
                    if (!std::isfinite(v) || v < 0)
                        continue;
                    const std::int64_t ownUnit = refAt(qa, 2);
                    const double f = ownUnit ? unitFactor(ownUnit, area, nullptr) : (area ? m_area : m_length);
                    return {true, v * f, QStringLiteral("%1.%2").arg(setName.isEmpty() ? QStringLiteral("(名前なし)") : setName, textAt(qa, 0))};
                }
            }
        }
    }
    return {};
}

QString Mapper::propertyText(std::int64_t object, const QStringList& names, QString* source) const
{
    const auto it = m_definitions.find(object);
    if (it == m_definitions.end())
        return {};
    for (const QString& wanted : names) {
        for (std::int64_t def : it->second) {
            const EntityRef* set = m.find(def);
            if (!set || !m.isType(*set, "IFCPROPERTYSET"))
                continue;
            const Attrs sa = m.attributes(*set);
            for (std::int64_t p : refsAt(sa, 4)) {
                const EntityRef* pe = m.find(p);
                if (!pe)
                    continue;
                const Attrs pa = m.attributes(*pe);
                if (textAt(pa, 0).compare(wanted, Qt::CaseInsensitive) != 0)
                    continue;
                QString text;
                if (m.isType(*pe, "IFCPROPERTYSINGLEVALUE"))
                    text = textAt(pa, 2);
                else if (m.isType(*pe, "IFCPROPERTYENUMERATEDVALUE") && pa.size() > 2 && !pa[2].items.empty())
                    text = pa[2].items.front().toText().trimmed();
                if (text.isEmpty())
                    continue;
                if (source)
                    *source = QStringLiteral("%1.%2").arg(textAt(sa, 2), textAt(pa, 0));
                return text;
            }
        }
    }
    return {};
}

Quantity Mapper::propertyNumber(std::int64_t object, const QStringList& names, bool area) const
{
    QString source;
    const QString text = propertyText(object, names, &source);
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v) || v < 0)
        return {};
    return {true, v * (area ? m_area : m_length), source};
}

double Mapper::curveArea(std::int64_t curve) const
{
    const EntityRef* c = m.find(curve);
    if (!c)
        return 0;
    std::vector<std::pair<double, double>> points;
    const Attrs a = m.attributes(*c);
    if (m.isType(*c, "IFCPOLYLINE")) {
        for (std::int64_t p : refsAt(a, 0)) {
            const Attrs pa = m.attributes(p);
            double x = 0, y = 0;
            if (pa.empty() || pa[0].items.size() < 2 || !pa[0].items[0].toNumber(&x) || !pa[0].items[1].toNumber(&y))
                return 0;
            points.emplace_back(x, y);
        }
    } else if (m.isType(*c, "IFCINDEXEDPOLYCURVE")) {
        const Attrs list = m.attributes(refAt(a, 0));
        if (list.empty() || list[0].kind != Value::Kind::List)
            return 0;
        for (const Value& p : list[0].items) {
            double x = 0, y = 0;
            if (p.items.size() < 2 || !p.items[0].toNumber(&x) || !p.items[1].toNumber(&y))
                return 0;
            points.emplace_back(x, y);
        }
    }
    double twice = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const auto& [x1, y1] = points[i];
        const auto& [x2, y2] = points[(i + 1) % points.size()];
        twice += x1 * y2 - x2 * y1;
    }
    return std::abs(twice) / 2.0;
}

double Mapper::solidArea(std::int64_t item, int depth) const
{
    const EntityRef* e = m.find(item);
    if (!e || depth > 8)
        return 0;
    const Attrs a = m.attributes(*e);
    if (m.isType(*e, "IFCBOOLEANCLIPPINGRESULT") || m.isType(*e, "IFCBOOLEANRESULT"))
        return solidArea(refAt(a, 1), depth + 1);
    if (!m.isType(*e, "IFCEXTRUDEDAREASOLID"))
        return 0;
    const EntityRef* profile = m.find(refAt(a, 0));
    if (!profile)
        return 0;
    const Attrs pa = m.attributes(*profile);
    double area = 0;
    if (m.isType(*profile, "IFCRECTANGLEPROFILEDEF")) {
        double x = 0, y = 0;
        if (numberAt(pa, 3, &x) && numberAt(pa, 4, &y))
            area = std::abs(x * y);
    } else if (m.isType(*profile, "IFCARBITRARYCLOSEDPROFILEDEF") || m.isType(*profile, "IFCARBITRARYPROFILEDEFWITHVOIDS")) {
        area = curveArea(refAt(pa, 2));
        for (std::int64_t inner : refsAt(pa, 3))
            area -= curveArea(inner);
    }
    return std::isfinite(area) && area > 0 ? area * m_length * m_length : 0;
}

// The plan area of a product's body made of extruded profiles; 0 when it
// has none.
double Mapper::profileArea(std::int64_t product) const
{
    const Attrs a = m.attributes(product);
    double area = 0;
    for (std::int64_t rep : refsAt(m.attributes(refAt(a, 6)), 2)) {
        const Attrs ra = m.attributes(rep);
        const QString id = textAt(ra, 1);
        if (!id.isEmpty() && id.compare(QLatin1String("Body"), Qt::CaseInsensitive) != 0)
            continue;
        for (std::int64_t item : refsAt(ra, 3))
            area += solidArea(item, 0);
    }
    return area;
}

void Mapper::mapStorey(const EntityRef& s, Storey* out)
{
    const Attrs a = m.attributes(s);
    out->name = label(s.id);
    double elevation = 0;
    if (numberAt(a, 9, &elevation))
        out->elevation = elevation * m_length;
    static const QRegularExpression basement(QStringLiteral("^\\s*(B\\s*\\d|地下|地階|ＢＦ?[０-９\\d])"),
                                             QRegularExpression::CaseInsensitiveOption);
    const QString name = textAt(a, 2) + textAt(a, 7);
    out->belowGround = basement.match(textAt(a, 2)).hasMatch() || basement.match(textAt(a, 7)).hasMatch()
                       || (!name.contains(QRegularExpression(QStringLiteral("^\\s*\\d+\\s*(F|階)"), QRegularExpression::CaseInsensitiveOption))
                           && out->elevation < -0.001);

    auto take = [&](double m2, const QString& source, const QString& note = {}) {
        out->area.present = true;
        out->area.number = truncateArea(m2);
        out->area.text = number2(out->area.number);
        out->area.source = source;
        out->area.note = note;
    };
    const QString where = QStringLiteral("IfcBuildingStorey「%1」").arg(out->name);
    const Quantity q = quantity(s.id, {QStringLiteral("Qto_BuildingStoreyBaseQuantities"), QStringLiteral("BaseQuantities")},
                                {QStringLiteral("GrossFloorArea")}, true);
    if (q.found && q.value > 0) {
        take(q.value, where + QLatin1Char(' ') + q.source);
    } else {
        QVector<std::int64_t> spaces, slabs;
        auto collect = [&](const std::vector<std::int64_t>& ids) {
            for (std::int64_t id : ids) {
                const EntityRef* e = m.find(id);
                if (!e)
                    continue;
                if (m.isType(*e, "IFCSPACE") && !spaces.contains(id)) {
                    spaces << id;
                } else if ((m.isType(*e, "IFCSLAB") || m.isType(*e, "IFCSLABSTANDARDCASE")) && !slabs.contains(id)) {
                    const QString type = textAt(m.attributes(*e), 8).toUpper();
                    if (type.isEmpty() || type == QLatin1String("FLOOR") || type == QLatin1String("BASESLAB"))
                        slabs << id;
                }
            }
        };
        if (const auto it = m_children.find(s.id); it != m_children.end())
            collect(it->second);
        if (const auto it = m_contained.find(s.id); it != m_contained.end())
            collect(it->second);

        double sum = 0;
        int withArea = 0;
        for (std::int64_t sp : spaces) {
            Quantity sq = quantity(sp, {QStringLiteral("Qto_SpaceBaseQuantities"), QStringLiteral("BaseQuantities")},
                                   {QStringLiteral("GrossFloorArea"), QStringLiteral("NetFloorArea")}, true);
            if (sq.found) {
                sum += sq.value;
                ++withArea;
            }
        }
        if (withArea > 0 && sum > 0) {
            take(sum, QStringLiteral("%1 の IfcSpace %2 室の GrossFloorArea（なければ NetFloorArea）の合計").arg(where).arg(withArea),
                 withArea < spaces.size() ? QStringLiteral("面積のない室が %1 室あります。").arg(spaces.size() - withArea) : QString());
            return;
        }
        double slabArea = 0;
        for (std::int64_t sl : slabs) {
            const Quantity sq = quantity(sl, {QStringLiteral("Qto_SlabBaseQuantities"), QStringLiteral("BaseQuantities")},
                                         {QStringLiteral("GrossArea")}, true);
            slabArea += sq.found ? sq.value : profileArea(sl);
        }
        if (slabArea > 0) {
            take(slabArea, QStringLiteral("%1 の床スラブ（IfcSlab %2 枚）の面積・形状から計算").arg(where).arg(slabs.size()),
                 QStringLiteral("数量のないモデルのため形状から計算しました。床面積の算定（壁芯）と一致するか確認してください。"));
            return;
        }
        double spaceArea = 0;
        for (std::int64_t sp : spaces)
            spaceArea += profileArea(sp);
        if (spaceArea > 0)
            take(spaceArea, QStringLiteral("%1 の IfcSpace %2 室の形状から計算").arg(where).arg(spaces.size()),
                 QStringLiteral("数量のないモデルのため室の形状から計算しました。壁の厚さの半分が含まれていない可能性があります。"));
    }
}

void Mapper::mapBuilding(const EntityRef& b, Building* out)
{
    out->name = label(b.id);
    const QString where = QStringLiteral("IfcBuilding「%1」").arg(out->name);

    QVector<std::int64_t> storeyIds;
    std::unordered_set<std::int64_t> seen;
    // Storeys may hang under a building part; two levels down is as far as
    // exporters go.
    std::vector<std::int64_t> frontier{b.id};
    for (int level = 0; level < 3 && !frontier.empty(); ++level) {
        std::vector<std::int64_t> next;
        for (std::int64_t parent : frontier) {
            const auto it = m_children.find(parent);
            if (it == m_children.end())
                continue;
            for (std::int64_t c : it->second) {
                const EntityRef* e = m.find(c);
                if (!e || !seen.insert(c).second)
                    continue;
                if (m.isType(*e, "IFCBUILDINGSTOREY"))
                    storeyIds << c;
                else if (m.isType(*e, "IFCBUILDING"))
                    next.push_back(c);
            }
        }
        frontier = std::move(next);
    }
    for (std::int64_t id : storeyIds) {
        Storey st;
        mapStorey(*m.find(id), &st);
        out->storeys << st;
    }
    std::stable_sort(out->storeys.begin(), out->storeys.end(), [](const Storey& x, const Storey& y) {
        if (x.belowGround != y.belowGround)
            return x.belowGround;
        return x.elevation < y.elevation;
    });
    int above = 0, below = 0, withoutArea = 0;
    double sum = 0;
    for (Storey& st : out->storeys) {
        st.counted = st.area.present && st.area.number > 0;
        if (!st.counted) {
            ++withoutArea;
            continue;
        }
        (st.belowGround ? below : above) += 1;
        sum += st.area.number;
    }
    const QString countSource = QStringLiteral("%1 の IfcBuildingStorey %2 のうち床面積のある階").arg(where).arg(out->storeys.size());
    const QString countNote = QStringLiteral("床面積のない階（屋上・屋根のレベル %1）は数えていません。地階は階名（B1F・地下1階）か高さ0未満で判定しています"
                                             "（建築基準法の地階は床が地盤面下で天井高の1/3以上が地盤面下の階）。塔屋（昇降機塔等で建築面積の1/8以内）は階数に算入しないため確認してください。")
                                  .arg(withoutArea);
    if (!out->storeys.isEmpty()) {
        out->above = {true, double(above), QString::number(above), countSource, countNote};
        out->below = {true, double(below), below ? QString::number(below) : QString(), countSource, countNote};
    }

    const QStringList buildingSets{QStringLiteral("Qto_BuildingBaseQuantities"), QStringLiteral("BaseQuantities")};
    if (const Quantity q = quantity(b.id, buildingSets, {QStringLiteral("GrossFloorArea")}, true); q.found && q.value > 0) {
        const double v = truncateArea(q.value);
        QString note = QStringLiteral("延べ面積は各階の床面積の合計です（容積率の不算入部分も含みます）。");
        if (sum > 0 && std::abs(sum - v) >= 0.01)
            note += QStringLiteral("各階の床面積の合計 %1 m² と異なります。").arg(number2(sum));
        out->totalArea = {true, v, number2(v), where + QLatin1Char(' ') + q.source, note};
    } else if (sum > 0) {
        out->totalArea = {true, sum, number2(sum), QStringLiteral("%1 の各階の床面積の合計").arg(where),
                          QStringLiteral("各階の床面積（小数第2位未満切り捨て）を合計しました。")};
    }
    if (const Quantity q = quantity(b.id, buildingSets, {QStringLiteral("FootprintArea")}, true); q.found && q.value > 0) {
        const double v = truncateArea(q.value);
        out->buildingArea = {true, v, number2(v), where + QLatin1Char(' ') + q.source,
                             QStringLiteral("モデルの水平投影面積です。軒・ひさし等の先端から1m後退した部分の扱い（令2条1項2号）を確認してください。")};
    }
    const QString heightNote = QStringLiteral("候補値: IFC の高さはモデルの基準からの高さで、建築基準法の高さ（地盤面から測る）とは限りません。地盤面を確認してください。");
    for (const auto& [name, target] : {std::pair<QString, Item*>{QStringLiteral("Height"), &out->height},
                                       std::pair<QString, Item*>{QStringLiteral("EavesHeight"), &out->eavesHeight}}) {
        Quantity q = quantity(b.id, buildingSets, {name}, false);
        if (!q.found)
            q = propertyNumber(b.id, {name}, false);
        if (q.found && q.value > 0) {
            const double v = roundUpHeight(q.value);
            *target = {true, v, number2(v), where + QLatin1Char(' ') + q.source, heightNote};
        }
    }
    mapStructure(b, storeyIds, out);
    mapUse(b, out);
}

// A name of the structure list for how a model or a material names it.
QString structureOf(const QString& text)
{
    const QString t = text.trimmed();
    static const QStringList known{
        QStringLiteral("木造"), QStringLiteral("鉄骨造"), QStringLiteral("鉄筋コンクリート造"), QStringLiteral("鉄骨鉄筋コンクリート造"),
        QStringLiteral("補強コンクリートブロック造"), QStringLiteral("コンクリートブロック造"), QStringLiteral("れんが造"),
        QStringLiteral("石造"), QStringLiteral("組積造"), QStringLiteral("無筋コンクリート造"), QStringLiteral("木造（枠組壁工法）"),
        QStringLiteral("木造（丸太組構法）"), QStringLiteral("木造（CLTパネル工法）"), QStringLiteral("壁式鉄筋コンクリート造"),
        QStringLiteral("プレストレストコンクリート造"), QStringLiteral("鉄骨造（薄板軽量形鋼造）"), QStringLiteral("コンクリート充填鋼管造"),
        QStringLiteral("アルミニウム合金造"), QStringLiteral("膜構造"),
    };
    if (known.contains(t))
        return t;
    struct Rule {
        const char* pattern;
        const char* name;
    };
    static const Rule rules[] = {
        {"SRC|鉄骨鉄筋|steel.*reinforced concrete|composite", "鉄骨鉄筋コンクリート造"},
        {"^RC|\\bRC\\b|RC造|鉄筋コンクリート|reinforced concrete|concrete", "鉄筋コンクリート造"},
        {"CLT", "木造（CLTパネル工法）"},
        {"枠組|2\\s*[x×]\\s*4|ツーバイ", "木造（枠組壁工法）"},
        {"^W$|W造|木|wood|timber", "木造"},
        {"^S$|S造|鉄骨|鋼|steel", "鉄骨造"},
        {"補強.*ブロック", "補強コンクリートブロック造"},
        {"ブロック|masonry", "コンクリートブロック造"},
    };
    for (const Rule& r : rules)
        if (QRegularExpression(QString::fromUtf8(r.pattern), QRegularExpression::CaseInsensitiveOption).match(t).hasMatch())
            return QString::fromUtf8(r.name);
    return {};
}

QStringList Mapper::materialNames(std::int64_t element) const
{
    QStringList names;
    const auto it = m_material.find(element);
    if (it == m_material.end())
        return names;
    // Layer sets, profile sets, constituent sets and lists all end in
    // IfcMaterial; walk down a few levels.
    std::vector<std::int64_t> frontier{it->second};
    for (int depth = 0; depth < 4 && !frontier.empty(); ++depth) {
        std::vector<std::int64_t> next;
        for (std::int64_t id : frontier) {
            const EntityRef* e = m.find(id);
            if (!e)
                continue;
            const Attrs a = m.attributes(*e);
            const QByteArray& t = m.typeName(*e);
            if (t == "IFCMATERIAL") {
                names << textAt(a, 0);
            } else if (t == "IFCMATERIALLAYERSETUSAGE" || t == "IFCMATERIALLAYER" || t == "IFCMATERIALPROFILESETUSAGE") {
                next.push_back(refAt(a, 0));
            } else if (t == "IFCMATERIALLAYERSET" || t == "IFCMATERIALLIST") {
                for (std::int64_t r : refsAt(a, 0))
                    next.push_back(r);
            } else if (t == "IFCMATERIALPROFILESET" || t == "IFCMATERIALCONSTITUENTSET") {
                for (std::int64_t r : refsAt(a, 2))
                    next.push_back(r);
            } else if (t == "IFCMATERIALPROFILE" || t == "IFCMATERIALCONSTITUENT") {
                next.push_back(refAt(a, 2));
            }
        }
        frontier = std::move(next);
    }
    return names;
}

void Mapper::mapStructure(const EntityRef& b, const QVector<std::int64_t>& storeyIds, Building* out)
{
    const QString where = QStringLiteral("IfcBuilding「%1」").arg(out->name);
    QString source;
    const QString named = propertyText(b.id,
                                       {QStringLiteral("ConstructionMethod"), QStringLiteral("StructureType"), QStringLiteral("StructuralType"),
                                        QStringLiteral("Structure"), QStringLiteral("構造"), QStringLiteral("構造種別"), QStringLiteral("主体構造")},
                                       &source);
    if (!named.isEmpty()) {
        const QString s = structureOf(named);
        out->structure = {true, 0, s.isEmpty() ? named : s, QStringLiteral("%1 %2「%3」").arg(where, source, named),
                          s.isEmpty() ? QStringLiteral("構造の一覧にない名前です。") : QString()};
        return;
    }
    // The frame's materials: columns, beams, walls and members.
    QHash<QString, int> votes;
    int elements = 0;
    for (std::int64_t storey : storeyIds) {
        const auto it = m_contained.find(storey);
        if (it == m_contained.end())
            continue;
        for (std::int64_t el : it->second) {
            const EntityRef* e = m.find(el);
            if (!e)
                continue;
            const QByteArray& t = m.typeName(*e);
            if (t != "IFCCOLUMN" && t != "IFCBEAM" && t != "IFCWALL" && t != "IFCWALLSTANDARDCASE" && t != "IFCMEMBER")
                continue;
            QStringList kinds;
            for (const QString& name : materialNames(el)) {
                const QString s = structureOf(name);
                if (!s.isEmpty() && !kinds.contains(s))
                    kinds << s;
            }
            if (kinds.isEmpty())
                continue;
            ++elements;
            for (const QString& k : kinds)
                votes[k] += 1;
        }
    }
    if (votes.isEmpty())
        return;
    QString best;
    for (auto it = votes.begin(); it != votes.end(); ++it)
        if (best.isEmpty() || it.value() > votes.value(best) || (it.value() == votes.value(best) && it.key() < best))
            best = it.key();
    QStringList counts;
    for (auto it = votes.begin(); it != votes.end(); ++it)
        counts << QStringLiteral("%1 %2件").arg(it.key()).arg(it.value());
    counts.sort();
    out->structure = {true, 0, best,
                      QStringLiteral("%1 の柱・梁・壁 %2 件の材料（IfcRelAssociatesMaterial）").arg(where).arg(elements),
                      QStringLiteral("材料から推定した構造です（%1）。混構造の場合は確認してください。").arg(counts.join(QStringLiteral("、")))};
}

void Mapper::mapUse(const EntityRef& b, Building* out)
{
    const QString where = QStringLiteral("IfcBuilding「%1」").arg(out->name);
    QString source;
    QString use = propertyText(b.id, {QStringLiteral("OccupancyType"), QStringLiteral("主要用途"), QStringLiteral("用途")}, &source);
    if (use.isEmpty()) {
        use = textAt(m.attributes(b), 4);  // ObjectType
        source = QStringLiteral("ObjectType");
    }
    if (use.isEmpty())
        return;
    out->use = {true, 0, use, QStringLiteral("%1 %2").arg(where, source), {}};

    QString code, name, how;
    for (const UseClass& u : m_useClasses)
        if (u.name == use || u.code == use) {
            code = u.code;
            name = u.name;
            how = QStringLiteral("モデルの用途が用途区分の名前と一致しました");
        }
    if (code.isEmpty()) {
        struct Rule {
            const char* pattern;
            const char* code;
            const char* name;
        };
        static const Rule rules[] = {
            {"共同住宅|マンション|アパート|apartment|multi.?family|residential.*multi", "08030", "共同住宅"},
            {"長屋|row\\s*house|terrace", "08020", "長屋"},
            {"寄宿舎|dormitory", "08040", "寄宿舎"},
            {"兼用住宅|店舗併用|事務所併用", "08060", "住宅で事務所、店舗その他これらに類する用途を兼ねるもの"},
            {"老人ホーム|nursing", "08170", "老人ホーム、福祉ホームその他これらに類するもの"},
            {"保育所|nursery", "08180", "保育所その他これに類するもの"},
            {"幼稚園|kindergarten", "08070", "幼稚園"},
            {"病院|hospital", "08270", "病院"},
            {"診療所|クリニック|clinic", "08260", "診療所（患者の収容施設がないもの）"},
            {"ホテル|旅館|hotel", "08410", "ホテル又は旅館"},
            {"事務所|オフィス|office", "08470", "事務所"},
            {"飲食店|レストラン|restaurant", "08452", "飲食店（次項を除く）"},
            {"物品販売|店舗|shop|retail|mercantile|store", "08440", "日用品の販売を主たる目的とする店舗"},
            {"自動車車庫|車庫|ガレージ|garage|parking", "08490", "自動車車庫"},
            {"倉庫|warehouse|storage", "08520", "倉庫業を営まない倉庫"},
            {"工場|factory|industrial", "08350", "工場（自動車修理工場を除く）"},
            // The catch-all of dwellings last: "warehouse" is no house.
            {"一戸建|戸建|専用住宅|住宅|single.?family|detached|dwelling|residential|\\bhouse\\b", "08010", "一戸建ての住宅"},
        };
        for (const Rule& r : rules) {
            if (QRegularExpression(QString::fromUtf8(r.pattern), QRegularExpression::CaseInsensitiveOption).match(use).hasMatch()) {
                code = QString::fromLatin1(r.code);
                name = QString::fromUtf8(r.name);
                for (const UseClass& u : m_useClasses)
                    if (u.code == code)
                        name = u.name;
                how = QStringLiteral("モデルの用途の名前から推定しました");
                break;
            }
        }
    }
    if (!code.isEmpty()) {
        const QString note = how + QStringLiteral("。確認してください。");
        out->useCode = {true, 0, code, out->use.source, note};
        out->useName = {true, 0, name, out->use.source, note};
    } else {
        out->use.note = QStringLiteral("用途区分に当てはまるものが見つかりません。");
    }
}

void Mapper::mapSite(const EntityRef& site, Site* out)
{
    const Attrs a = m.attributes(site);
    out->name = label(site.id);
    const QString where = QStringLiteral("IfcSite「%1」").arg(out->name);
    Quantity q = quantity(site.id, {QStringLiteral("Qto_SiteBaseQuantities"), QStringLiteral("BaseQuantities")},
                          {QStringLiteral("GrossArea"), QStringLiteral("SiteArea")}, true);
    if (!q.found)
        q = propertyNumber(site.id, {QStringLiteral("TotalArea"), QStringLiteral("敷地面積")}, true);
    if (q.found && q.value > 0) {
        const double v = truncateArea(q.value);
        out->area = {true, v, number2(v), where + QLatin1Char(' ') + q.source,
                     QStringLiteral("敷地面積は水平投影面積です。道路後退（法42条2項）部分の扱いを確認してください。")};
    }
    QString tiban = textAt(a, 12);  // LandTitleNumber
    QString source = QStringLiteral("LandTitleNumber");
    if (tiban.isEmpty())
        tiban = propertyText(site.id, {QStringLiteral("地名地番"), QStringLiteral("LandTitleNumber")}, &source);
    if (!tiban.isEmpty()) {
        // A bare lot number ("123番4") takes the place name of the site's address.
        const Attrs addr = m.attributes(refAt(a, 13));
        if (!tiban.isEmpty() && tiban[0].isDigit() && !addr.empty()) {
            const QString place = textAt(addr, 7) + textAt(addr, 6);
            if (!place.isEmpty()) {
                tiban = place + tiban;
                source += QStringLiteral("（地名は SiteAddress の Region・Town）");
            }
        }
        out->tiban = {true, 0, tiban, where + QLatin1Char(' ') + source, {}};
    }
}

Summary Mapper::run()
{
    Summary s;
    s.schema = m.schema();
    s.truncated = m.truncated();
    readUnits(&s);
    indexRelations();
    for (const EntityRef* site : m.ofType("IFCSITE")) {
        Site st;
        mapSite(*site, &st);
        s.sites << st;
    }
    for (const EntityRef* b : m.ofType("IFCBUILDING")) {
        Building bd;
        mapBuilding(*b, &bd);
        s.buildings << bd;
    }
    if (s.buildings.isEmpty())
        m_warnings << QStringLiteral("建物（IfcBuilding）がありません。");
    s.warnings = m.warnings() + m_warnings;
    return s;
}

}  // namespace

QVector<UseClass> shippedUseClasses()
{
    QVector<UseClass> out;
    QFile f(QStringLiteral(":/seed/masterdata/ShuYouto.tsv"));
    if (!f.open(QIODevice::ReadOnly))
        return out;
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    for (int i = 1; i < lines.size(); ++i) {
        const QStringList cells = lines[i].split(QLatin1Char('\t'));
        if (cells.size() >= 2)
            out.push_back({cells[0].trimmed(), cells[1].trimmed()});
    }
    return out;
}

Summary summarize(const Ifc::Model& model, const QVector<UseClass>& useClasses)
{
    return Mapper(model, useClasses).run();
}

}  // namespace IfcSummary
