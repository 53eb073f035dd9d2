#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace Ifc {
class Model;
}

// What an architect's model says about the matters of the application
// forms, each value with the place in the model it came from.
namespace IfcSummary {

// One value taken from the model. Areas are in m², lengths in m.
struct Item {
    bool present = false;
    double number = 0;
    QString text;     // the value as the forms hold it ("123.45", "鉄骨造", "08010")
    QString source;   // where in the model: "IfcBuilding「A棟」 Qto_BuildingBaseQuantities.GrossFloorArea"
    QString note;     // what the user must know before taking it
};

struct Storey {
    QString name;
    double elevation = 0;  // m
    bool belowGround = false;
    bool counted = false;  // has floor area: counts as a storey of the building
    Item area;             // floor area, truncated to 2 decimals
};

struct Building {
    QString name;
    QVector<Storey> storeys;  // deepest first
    Item above;               // 地上階数
    Item below;               // 地下階数
    Item totalArea;           // 延べ面積
    Item buildingArea;        // 建築面積
    Item height;              // 最高の高さ
    Item eavesHeight;         // 最高の軒の高さ
    Item structure;           // 構造, a name of the Kouzou list where one fits
    Item use;                 // 主要用途 as the model names it
    Item useCode;             // 用途区分 code of ShuYouto
    Item useName;             // the code's name
};

struct Site {
    QString name;
    Item area;   // 敷地面積
    Item tiban;  // 地名地番
};

struct Summary {
    QString schema;
    QString lengthUnit;  // "mm", "m", a conversion-based unit's name
    QVector<Site> sites;
    QVector<Building> buildings;
    QStringList warnings;
    bool truncated = false;
};

// A code list row: 用途区分 code and name (ShuYouto).
struct UseClass {
    QString code;
    QString name;
};

// The 用途区分 list shipped with the program.
QVector<UseClass> shippedUseClasses();

// Maps a read model. `useClasses` names the 用途区分 codes the main use is
// matched against by name before the built-in keywords.
Summary summarize(const Ifc::Model& model, const QVector<UseClass>& useClasses = {});

// Areas as the forms take them: truncated, not rounded, to 2 decimals.
double truncateArea(double m2);
// Heights to 2 decimals, rounded up so the form never shows less than the model.
double roundUpHeight(double m);

}  // namespace IfcSummary
