#include "CliCommands.h"

#include "IfcForms.h"
#include "IfcReader.h"
#include "IfcSummary.h"
#include "ProjectData.h"
#include "Storage.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QJsonObject itemJson(const IfcSummary::Item& i)
{
    QJsonObject o{{QStringLiteral("value"), i.text}, {QStringLiteral("source"), i.source}};
    if (!i.note.isEmpty())
        o.insert(QStringLiteral("note"), i.note);
    return o;
}

QJsonObject formItemJson(const IfcForms::FormItem& f)
{
    QJsonObject o{{QStringLiteral("item"), f.key},     {QStringLiteral("caption"), f.caption},
                  {QStringLiteral("model"), f.modelText}, {QStringLiteral("project"), f.projectText},
                  {QStringLiteral("differs"), f.differs}, {QStringLiteral("source"), f.source}};
    QJsonObject columns;
    for (const auto& [column, value] : f.values)
        columns.insert(f.table + (f.table == QLatin1String("TATEMONOBETU") ? QStringLiteral("[%1]").arg(f.building + 1) : QString())
                           + QLatin1Char('.') + column,
                       value);
    o.insert(QStringLiteral("columns"), columns);
    if (!f.note.isEmpty())
        o.insert(QStringLiteral("note"), f.note);
    return o;
}


bool readModel(const QString& path, Ifc::Model* model, IfcSummary::Summary* summary, QTextStream& err)
{
    if (!model->readFile(path)) {
        err << model->error() << Qt::endl;
        return false;
    }
    *summary = IfcSummary::summarize(*model, IfcSummary::shippedUseClasses());
    return true;
}

void printWarnings(const QStringList& warnings, QTextStream& err)
{
    for (const QString& w : warnings)
        err << QStringLiteral("警告: ") << w << Qt::endl;
}

}  // namespace

// ifc show FILE [--json]: what the model says, without a project.
int cliIfcShow(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const bool json = args.contains(QStringLiteral("--json"));
    QStringList files = args;
    files.removeAll(QStringLiteral("--json"));
    if (files.size() != 1 || files[0].startsWith(QLatin1String("--"))) {
        err << QStringLiteral("使い方: ifc show FILE.ifc [--json]") << Qt::endl;
        return 2;
    }
    Ifc::Model model;
    IfcSummary::Summary s;
    if (!readModel(files[0], &model, &s, err))
        return 1;
    if (json) {
        QJsonArray sites, buildings;
        for (const IfcSummary::Site& st : s.sites) {
            QJsonObject o{{QStringLiteral("name"), st.name}};
            if (st.area.present)
                o.insert(QStringLiteral("siteArea"), itemJson(st.area));
            if (st.tiban.present)
                o.insert(QStringLiteral("tiban"), itemJson(st.tiban));
            sites.append(o);
        }
        for (const IfcSummary::Building& b : s.buildings) {
            QJsonObject o{{QStringLiteral("name"), b.name}};
            const std::pair<const char*, const IfcSummary::Item*> items[] = {
                {"storeysAbove", &b.above},   {"storeysBelow", &b.below},          {"totalFloorArea", &b.totalArea},
                {"buildingArea", &b.buildingArea}, {"height", &b.height},           {"eavesHeight", &b.eavesHeight},
                {"structure", &b.structure},  {"use", &b.use},                      {"useCode", &b.useCode},
            };
            for (const auto& [key, item] : items)
                if (item->present)
                    o.insert(QString::fromLatin1(key), itemJson(*item));
            QJsonArray storeys;
            for (const IfcSummary::Storey& st : b.storeys) {
                QJsonObject so{{QStringLiteral("name"), st.name},
                               {QStringLiteral("elevation"), st.elevation},
                               {QStringLiteral("belowGround"), st.belowGround},
                               {QStringLiteral("counted"), st.counted}};
                if (st.area.present)
                    so.insert(QStringLiteral("floorArea"), itemJson(st.area));
                storeys.append(so);
            }
            o.insert(QStringLiteral("storeys"), storeys);
            buildings.append(o);
        }
        const QJsonObject root{{QStringLiteral("file"), QFileInfo(files[0]).fileName()},
                               {QStringLiteral("schema"), s.schema},
                               {QStringLiteral("lengthUnit"), s.lengthUnit},
                               {QStringLiteral("truncated"), s.truncated},
                               {QStringLiteral("sites"), sites},
                               {QStringLiteral("buildings"), buildings},
                               {QStringLiteral("warnings"), QJsonArray::fromStringList(s.warnings)}};
        out << QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented));
        out.flush();
        return 0;
    }
    out << QStringLiteral("スキーマ: %1　長さの単位: %2").arg(s.schema, s.lengthUnit) << Qt::endl;
    auto line = [&](const QString& caption, const IfcSummary::Item& item, const QString& unit = {}) {
        if (!item.present)
            return;
        out << QStringLiteral("  %1: %2%3　［%4］").arg(caption, item.text, unit, item.source) << Qt::endl;
        if (!item.note.isEmpty())
            out << QStringLiteral("      注: ") << item.note << Qt::endl;
    };
    for (const IfcSummary::Site& st : s.sites) {
        out << QStringLiteral("敷地「%1」").arg(st.name) << Qt::endl;
        line(QStringLiteral("敷地面積"), st.area, QStringLiteral(" m²"));
        line(QStringLiteral("地名地番"), st.tiban);
    }
    for (const IfcSummary::Building& b : s.buildings) {
        out << QStringLiteral("建物「%1」").arg(b.name) << Qt::endl;
        line(QStringLiteral("地上階数"), b.above);
        line(QStringLiteral("地下階数"), b.below);
        for (const IfcSummary::Storey& st : b.storeys)
            out << QStringLiteral("    階「%1」 高さ %2 m%3: %4")
                       .arg(st.name, QString::number(st.elevation, 'f', 3), st.belowGround ? QStringLiteral("（地階）") : QString(),
                            st.counted ? st.area.text + QStringLiteral(" m²　［") + st.area.source + QStringLiteral("］")
                                       : QStringLiteral("床面積なし（階数に数えません）"))
                << Qt::endl;
        line(QStringLiteral("延べ面積"), b.totalArea, QStringLiteral(" m²"));
        line(QStringLiteral("建築面積"), b.buildingArea, QStringLiteral(" m²"));
        line(QStringLiteral("最高の高さ"), b.height, QStringLiteral(" m"));
        line(QStringLiteral("最高の軒の高さ"), b.eavesHeight, QStringLiteral(" m"));
        line(QStringLiteral("構造"), b.structure);
        line(QStringLiteral("主要用途"), b.use);
        if (b.useCode.present)
            line(QStringLiteral("用途区分"), {true, 0, b.useCode.text + QLatin1Char(' ') + b.useName.text, b.useCode.source, b.useCode.note});
    }
    out.flush();
    printWarnings(s.warnings, err);
    return 0;
}

// ifc compare B_ID FILE [--json], ifc apply B_ID FILE --items KEY[,KEY…]
int cliIfc(CliContext& c)
{
    const QString sub = c.args.value(0);
    QStringList rest = c.args.mid(1);
    const bool json = rest.removeAll(QStringLiteral("--json")) > 0;
    QStringList keys;
    const int itemsAt = static_cast<int>(rest.indexOf(QStringLiteral("--items")));
    if (itemsAt >= 0) {
        for (const QString& k : rest.mid(itemsAt + 1))
            keys << k.split(QLatin1Char(','), Qt::SkipEmptyParts);
        rest = rest.mid(0, itemsAt);
    }
    const bool applying = sub == QLatin1String("apply");
    if ((sub != QLatin1String("compare") && !applying) || rest.size() != 2 || (applying && keys.isEmpty())
        || (!applying && itemsAt >= 0)) {
        c.err << QStringLiteral("使い方: ifc show FILE [--json] | ifc compare B_ID FILE [--json] | ifc apply B_ID FILE --items 項目[,項目…]")
              << Qt::endl;
        return 2;
    }
    qint64 bid = 0;
    ProjectData project;
    if (!loadProject(c, rest[0], &bid, &project))
        return 2;
    QString error;
    Ifc::Model model;
    IfcSummary::Summary s;
    if (!readModel(rest[1], &model, &s, c.err))
        return 2;
    QStringList warnings = s.warnings;
    const QVector<IfcForms::FormItem> items = IfcForms::compare(s, project, &warnings);

    if (!applying) {
        int differences = 0;
        QJsonArray list;
        for (const IfcForms::FormItem& f : items) {
            differences += f.differs ? 1 : 0;
            if (json)
                list.append(formItemJson(f));
            else
                c.out << QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6")
                             .arg(f.differs ? QStringLiteral("≠") : QStringLiteral("="), f.key, f.caption,
                                  f.projectText.isEmpty() ? QStringLiteral("（空）") : f.projectText, f.modelText, f.source)
                      << Qt::endl;
        }
        if (json)
            c.out << QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("items"), list},
                                                                 {QStringLiteral("differences"), differences},
                                                                 {QStringLiteral("lastModel"), IfcForms::lastModelNote(c.storage, bid)},
                                                                 {QStringLiteral("warnings"), QJsonArray::fromStringList(warnings)}})
                                           .toJson(QJsonDocument::Indented));
        c.out.flush();
        printWarnings(json ? QStringList() : warnings, c.err);
        c.err << QStringLiteral("相違 %1 件（%2 項目中）").arg(differences).arg(items.size()) << Qt::endl;
        return differences > 0 ? 1 : 0;
    }

    if (s.truncated) {
        c.err << QStringLiteral("ファイルが途中で切れているため取り込みません。完全な IFC ファイルを書き出し直してください。") << Qt::endl;
        return 1;
    }
    QVector<IfcForms::FormItem> chosen;
    for (const QString& k : std::as_const(keys)) {
        const auto it = std::find_if(items.begin(), items.end(), [&](const IfcForms::FormItem& f) { return f.key == k; });
        if (it == items.end()) {
            QStringList known;
            for (const IfcForms::FormItem& f : items)
                known << f.key;
            c.err << QStringLiteral("モデルに値のない項目です: %1\n取り込める項目: %2").arg(k, known.join(QLatin1Char(','))) << Qt::endl;
            return 2;
        }
        chosen << *it;
    }
    const IfcForms::ModelFile file{QFileInfo(rest[1]).fileName(), IfcForms::sha256Of(rest[1]), QDateTime::currentDateTime()};
    QStringList changed;
    if (!IfcForms::apply(c.storage, bid, chosen, file, &changed, &error)) {
        c.err << error << Qt::endl;
        return 1;
    }
    changed.sort();
    for (const QString& column : std::as_const(changed))
        c.out << column << Qt::endl;
    c.out.flush();
    printWarnings(warnings, c.err);
    c.err << QStringLiteral("%1 項目を取り込み、%2 列を書き換えました。").arg(chosen.size()).arg(changed.size()) << Qt::endl;
    return 0;
}
