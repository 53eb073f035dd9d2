#include "IfcForms.h"

#include "BuildingRules.h"
#include "NumberText.h"
#include "Recordset.h"
#include "SiteRules.h"
#include "Storage.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSet>

#include <cmath>

namespace IfcForms {

namespace {

using IfcSummary::Item;

QString s(const char* text) { return QString::fromUtf8(text); }
QString col(const char* stem, int n) { return QString::fromLatin1(stem) + QString::number(n); }

QString textOf(const RowValues& row, const QString& column)
{
    const QVariant v = row.value(column);
    return v.isNull() ? QString() : v.toString();
}

enum class Kind { Decimal, Digit, Text };

bool sameValue(const QString& stored, const QString& model, Kind kind)
{
    switch (kind) {
    case Kind::Decimal:
        return std::abs(NumberText::read(stored) - NumberText::read(model)) < 0.005 && stored.trimmed().isEmpty() == model.isEmpty();
    case Kind::Digit:
        return qRound(NumberText::read(stored)) == qRound(NumberText::read(model)) && stored.trimmed().isEmpty() == model.isEmpty();
    case Kind::Text:
        return stored.trimmed() == model.trimmed();
    }
    return false;
}

QString stored(const Item& item, Kind kind)
{
    if (kind == Kind::Decimal)
        return NumberText::decimalText(item.number);
    if (kind == Kind::Digit)
        return item.text;
    return item.text;
}

struct Builder {
    const ProjectData& project;
    QVector<FormItem> items;

    // The project row an item compares with.
    const RowValues& rowOf(const QString& table, int building) const
    {
        return table == QLatin1String("SHIKICHI") ? project.shikichi : project.buildings[building];
    }

    static FormItem itemOf(const QString& key, const QString& caption, const QString& table, int building)
    {
        FormItem f;
        f.key = key;
        f.caption = caption;
        f.table = table;
        f.building = building;
        return f;
    }

    void add(const QString& key, const QString& caption, const QString& table, int building, const QString& column,
             const Item& item, Kind kind)
    {
        if (!item.present)
            return;
        FormItem f = itemOf(key, caption, table, building);
        f.values = {{column, stored(item, kind)}};
        f.modelText = kind == Kind::Decimal ? NumberText::decimalText(item.number) : item.text;
        f.projectText = textOf(rowOf(table, building), column);
        f.source = item.source;
        f.note = item.note;
        f.differs = !sameValue(f.projectText, f.values.front().second, kind);
        items << f;
    }

    // 用途区分: the code and its name, compared on the code.
    void addUse(const QString& key, const QString& caption, const QString& table, int building, const QString& codeColumn,
                const QString& nameColumn, const IfcSummary::Building& b)
    {
        if (!b.useCode.present)
            return;
        const RowValues& row = rowOf(table, building);
        FormItem f = itemOf(key, caption, table, building);
        f.values = {{codeColumn, b.useCode.text}, {nameColumn, b.useName.text}};
        f.modelText = b.useCode.text + QLatin1Char(' ') + b.useName.text + QStringLiteral("（モデル: ") + b.use.text + QLatin1Char(')');
        f.projectText = (textOf(row, codeColumn) + QLatin1Char(' ') + textOf(row, nameColumn)).trimmed();
        f.source = b.useCode.source;
        f.note = b.useCode.note;
        f.differs = textOf(row, codeColumn).trimmed() != b.useCode.text;
        items << f;
    }
};

Item sumOf(const QVector<IfcSummary::Building>& buildings, int count, Item IfcSummary::Building::*member, const QString& what)
{
    Item sum;
    QStringList sources;
    for (int i = 0; i < count; ++i) {
        const Item& it = buildings[i].*member;
        if (!it.present)
            return {};
        sum.number += it.number;
        sources << it.source;
        if (!it.note.isEmpty() && sum.note.isEmpty())
            sum.note = it.note;
    }
    if (count == 0)
        return {};
    sum.present = true;
    sum.number = IfcSummary::truncateArea(sum.number + 1e-9);
    sum.text = QString::number(sum.number, 'f', 2);
    sum.source = count == 1 ? sources.front() : QStringLiteral("%1棟の%2の合計: %3").arg(count).arg(what, sources.join(QStringLiteral("；")));
    return sum;
}

}  // namespace

QVector<FormItem> compare(const IfcSummary::Summary& summary, const ProjectData& project, QStringList* warnings)
{
    Builder b{project, {}};
    const int count = std::min<int>(summary.buildings.size(), std::min(project.buildingCount, ProjectTables::kBuildings));
    if (warnings && summary.buildings.size() != project.buildingCount)
        *warnings << QStringLiteral("モデルの建物数（%1棟）とプロジェクトの申請棟数（%2棟）が異なります。先頭から %3 棟を対応させます。")
                         .arg(summary.buildings.size())
                         .arg(project.buildingCount)
                         .arg(count);
    if (warnings && summary.sites.size() > 1)
        *warnings << QStringLiteral("モデルに敷地が %1 つあります。最初の敷地を使います。").arg(summary.sites.size());

    const QString site = QStringLiteral("SHIKICHI");
    if (!summary.sites.isEmpty()) {
        const IfcSummary::Site& st = summary.sites.front();
        b.add(QStringLiteral("site.tiban"), s("【１．地名地番】"), site, 0, QStringLiteral("Tiban"), st.tiban, Kind::Text);
        b.add(QStringLiteral("site.area"), s("【７．敷地面積】（１）第1欄"), site, 0, QStringLiteral("Size5"), st.area, Kind::Decimal);
    }
    if (count > 0) {
        const IfcSummary::Building& first = summary.buildings.front();
        b.addUse(QStringLiteral("site.use"), s("【８．主要用途】区分"), site, 0, QStringLiteral("Kubun"), QStringLiteral("KubunDisp"), first);
        b.add(QStringLiteral("site.building-area"), s("【１０．建築面積】申請部分"), site, 0, QStringLiteral("Men1"),
              sumOf(summary.buildings, count, &IfcSummary::Building::buildingArea, s("建築面積")), Kind::Decimal);
        b.add(QStringLiteral("site.floor-area"), s("【１１．延べ面積】建築物全体 申請部分"), site, 0, QStringLiteral("Men4"),
              sumOf(summary.buildings, count, &IfcSummary::Building::totalArea, s("延べ面積")), Kind::Decimal);
        b.add(QStringLiteral("site.height"), s("【１３．建築物の高さ等】最高の高さ"), site, 0, QStringLiteral("Taka1"), first.height, Kind::Decimal);
        b.add(QStringLiteral("site.above"), s("【１３．建築物の高さ等】階数 地上"), site, 0, QStringLiteral("Kai1"), first.above, Kind::Digit);
        b.add(QStringLiteral("site.below"), s("【１３．建築物の高さ等】階数 地下"), site, 0, QStringLiteral("Kai3"), first.below, Kind::Digit);
        b.add(QStringLiteral("site.structure"), s("【１３．建築物の高さ等】構造"), site, 0, QStringLiteral("Zou1"), first.structure, Kind::Text);
    }
    const QString building = QStringLiteral("TATEMONOBETU");
    for (int i = 0; i < count; ++i) {
        const IfcSummary::Building& m = summary.buildings[i];
        const QString k = QStringLiteral("b%1.").arg(i + 1);
        const QString c = QStringLiteral("建築物%1 ").arg(i + 1);
        b.addUse(k + QStringLiteral("use"), c + s("【２．主要用途】区分"), building, i, QStringLiteral("Kubun30"), QStringLiteral("KubunDisp30"), m);
        b.add(k + QStringLiteral("structure"), c + s("【４．構造】"), building, i, QStringLiteral("Zou31"), m.structure, Kind::Text);
        b.add(k + QStringLiteral("above"), c + s("【６．階数】地下を除く階数"), building, i, QStringLiteral("Kai30"), m.above, Kind::Digit);
        b.add(k + QStringLiteral("below"), c + s("【６．階数】地下の階数"), building, i, QStringLiteral("Kai31"), m.below, Kind::Digit);
        b.add(k + QStringLiteral("height"), c + s("【７．高さ】最高の高さ"), building, i, QStringLiteral("Takasa30"), m.height, Kind::Decimal);
        b.add(k + QStringLiteral("eaves"), c + s("【７．高さ】最高の軒の高さ"), building, i, QStringLiteral("Takasa31"), m.eavesHeight, Kind::Decimal);
        // The floor lines as the counts name them: basements deepest first, then 1F upwards.
        int line = 0;
        const auto names = BuildingRules::floorNames(m.above.text, m.below.text);
        for (const IfcSummary::Storey& st : m.storeys) {
            if (!st.counted)
                continue;
            if (line >= BuildingRules::kFloorLines) {
                if (warnings)
                    *warnings << QStringLiteral("建築物%1: 7階分以上の床面積は【１０．床面積】の6行に入りません。").arg(i + 1);
                break;
            }
            Item area = st.area;
            area.note = (area.note + QStringLiteral(" モデルの階: %1").arg(st.name)).trimmed();
            b.add(k + QStringLiteral("floor%1").arg(line + 1),
                  c + s("【１０．床面積】%1行目（%2）申請部分").arg(line + 1).arg(names[line]), building, i, col("Men", 40 + 3 * line), area,
                  Kind::Decimal);
            ++line;
        }
    }
    return b.items;
}

QString sha256Of(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&f))
        return {};
    return QString::fromLatin1(hash.result().toHex());
}

bool apply(Storage& storage, qint64 bid, const QVector<FormItem>& chosen, const ModelFile& model, QStringList* changed,
           QString* error)
{
    ProjectData p;
    if (!ProjectData::load(storage, bid, &p, error))
        return false;
    RowValues site = p.shikichi;
    std::array<RowValues, ProjectTables::kBuildings> buildings = p.buildings;
    QSet<int> recounted, reareaed;
    for (const FormItem& item : chosen) {
        RowValues& row = item.table == QLatin1String("SHIKICHI") ? site : buildings[item.building];
        for (const auto& [column, value] : item.values)
            row.insert(column, value);
        // What the window computes when the field is left.
        const QString& first = item.values.front().first;
        if (item.table == QLatin1String("SHIKICHI")) {
            auto t = [&](const char* c) { return textOf(site, QString::fromLatin1(c)); };
            if (first == QLatin1String("Size5")) {
                site.insert(QStringLiteral("Size17"), SiteRules::sumText({t("Size5"), t("Size6"), t("Size7"), t("Size8")}));
            } else if (first == QLatin1String("Men1")) {
                site.insert(QStringLiteral("Men3"), SiteRules::sumText({t("Men1"), t("Men2")}));
                const QString base = NumberText::read(t("Men22")) > 0 ? t("Men22") : t("Men3");
                site.insert(QStringLiteral("Par11"), SiteRules::coverageRatio(base, t("Size17")));
            } else if (first == QLatin1String("Men4")) {
                site.insert(QStringLiteral("Men6"), SiteRules::sumText({t("Men4"), t("Men5")}));
                site.insert(QStringLiteral("Men19"), NumberText::formatDecimal(t("Men6")));
                site.insert(QStringLiteral("Par12"), SiteRules::floorAreaRatio(t("Men4"), t("Men5"), t("Size17")));
            }
        } else if (first == QLatin1String("Kai30") || first == QLatin1String("Kai31")) {
            recounted.insert(item.building);
        } else if (first.startsWith(QLatin1String("Men"))) {
            reareaed.insert(item.building);
        }
    }
    std::array<std::array<QString, BuildingRules::kFloorLines>, ProjectTables::kBuildings> floorNames;
    for (int b : std::as_const(recounted)) {
        RowValues& r = buildings[b];
        floorNames[b] = BuildingRules::floorNames(textOf(r, QStringLiteral("Kai30")), textOf(r, QStringLiteral("Kai31")));
        for (int i = 0; i < BuildingRules::kFloorLines; ++i)
            r.insert(col("Kai", 40 + i), floorNames[b][i]);
    }
    for (int b : std::as_const(reareaed)) {
        RowValues& r = buildings[b];
        std::array<QString, BuildingRules::kFloorLines> applied, other;
        for (int i = 0; i < BuildingRules::kFloorLines; ++i) {
            applied[i] = textOf(r, col("Men", 40 + 3 * i));
            other[i] = textOf(r, col("Men", 41 + 3 * i));
        }
        const BuildingRules::FloorAreaTotals t = BuildingRules::floorAreaTotals(applied, other);
        for (int i = 0; i < BuildingRules::kFloorLines; ++i)
            r.insert(col("Men", 42 + 3 * i), t.lines[i]);
        r.insert(QStringLiteral("Men58"), t.applied);
        r.insert(QStringLiteral("Men59"), t.other);
        r.insert(QStringLiteral("Men60"), t.all);
    }

    Transaction tx(storage, DbFile::Kakunin);
    auto fail = [&](const QString& message) {
        if (error)
            *error = message;
        return false;
    };
    if (!tx.isActive())
        return fail(tx.errorString());
    // Only the columns that differ from the stored row, as the windows write.
    auto writeRow = [&](Recordset& rs, const RowValues& before, const RowValues& after, const QString& label) {
        bool any = false;
        for (auto it = after.begin(); it != after.end(); ++it) {
            if (it.key() == QLatin1String("ID") || it.key() == QLatin1String("B_ID") || textOf(before, it.key()) == it.value().toString())
                continue;
            if (!rs.setValue(it.key(), it.value().toString()))
                return false;
            any = true;
            if (changed)
                *changed << label + QLatin1Char('.') + it.key();
        }
        return !any || rs.update();
    };
    Recordset siteRows(storage, DbFile::Kakunin);
    if (!siteRows.open(QStringLiteral("SHIKICHI"), QStringLiteral("B_ID"), bid) || siteRows.eof())
        return fail(siteRows.errorString().isEmpty() ? QStringLiteral("敷地の行がありません。") : siteRows.errorString());
    if (!writeRow(siteRows, p.shikichi, site, QStringLiteral("SHIKICHI")))
        return fail(siteRows.errorString());
    siteRows.close();
    Recordset rows(storage, DbFile::Kakunin);
    if (!rows.open(QStringLiteral("TATEMONOBETU"), QStringLiteral("B_ID"), bid))
        return fail(rows.errorString());
    for (int i = 0; !rows.eof() && i < p.buildingCount && i < ProjectTables::kBuildings; ++i, rows.moveNext())
        if (!writeRow(rows, p.buildings[i], buildings[i], QStringLiteral("TATEMONOBETU[%1]").arg(i + 1)))
            return fail(rows.errorString());
    rows.close();
    for (int b : std::as_const(recounted))
        if (!BuildingRules::nameFloorRows(storage, bid, b, floorNames[b], error))
            return false;

    QStringList captions;
    for (const FormItem& item : chosen)
        captions << QStringLiteral("%1: %2").arg(item.caption, item.modelText);
    Recordset note(storage, DbFile::Kakunin);
    if (!note.open(QStringLiteral("SCHEDULE"), QStringLiteral("B_ID"), bid) || note.addNew() <= 0)
        return fail(note.errorString());
    const QDateTime when = model.when.isValid() ? model.when : QDateTime::currentDateTime();
    note.setValue(QStringLiteral("B_ID"), bid);
    note.setValue(QStringLiteral("SCJ_YEAR"), when.date().year());
    note.setValue(QStringLiteral("SCJ_MONTH"), when.date().month());
    note.setValue(QStringLiteral("SCJ_DAY"), when.date().day());
    note.setValue(QStringLiteral("SCJ_HOUR"), QString::number(when.time().hour()));
    note.setValue(QStringLiteral("SCJ_MINUT"), when.toString(QStringLiteral("mm")));
    note.setValue(QStringLiteral("SCJ_TITLE"), noteTitle());
    note.setValue(QStringLiteral("SCJ_SAIMOKU"), model.fileName);
    note.setValue(QStringLiteral("SCJ_BODY"), QStringLiteral("モデル: %1\nSHA-256: %2\n取り込んだ項目:\n%3")
                                                  .arg(model.fileName, model.sha256, captions.join(QLatin1Char('\n'))));
    if (!note.update())
        return fail(note.errorString());
    note.close();
    if (!tx.commit())
        return fail(tx.errorString());
    return true;
}

QString lastModelNote(Storage& storage, qint64 bid)
{
    Recordset rs(storage, DbFile::Kakunin);
    if (!rs.open(QStringLiteral("SCHEDULE"), QVector<Condition>{{QStringLiteral("B_ID"), bid}, {QStringLiteral("SCJ_TITLE"), noteTitle()}}))
        return {};
    if (rs.eof())
        return {};
    rs.moveLast();
    const QString body = rs.text(QStringLiteral("SCJ_BODY"));
    const qsizetype at = body.indexOf(QLatin1String("SHA-256: "));
    const QString sha = at < 0 ? QString() : body.mid(at + 9).section(QLatin1Char('\n'), 0, 0);
    return QStringLiteral("%1 %2/%3/%4 %5")
        .arg(rs.text(QStringLiteral("SCJ_SAIMOKU")), rs.text(QStringLiteral("SCJ_YEAR")), rs.text(QStringLiteral("SCJ_MONTH")),
             rs.text(QStringLiteral("SCJ_DAY")), sha);
}

}  // namespace IfcForms
