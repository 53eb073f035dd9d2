#pragma once

#include "IfcSummary.h"
#include "ProjectData.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

class Storage;

// The model's values set beside the project's form items, and taking the
// ones the user chose into the project as the entry windows save them.
namespace IfcForms {

struct FormItem {
    QString key;          // "site.area", "b1.above", "b2.floor3": what `ifc apply --items` names
    QString caption;      // "【７．敷地面積】", "建築物1 【６．階数】地上"
    QString table;        // SHIKICHI or TATEMONOBETU
    int building = 0;     // row of TATEMONOBETU (0-based)
    // What taking the item writes: column → text as the window stores it.
    QVector<QPair<QString, QString>> values;
    QString modelText;    // the model's value as shown
    QString projectText;  // the project's value as shown
    QString source;
    QString note;
    bool differs = false;
};

// The items the model has a value for, in the order the windows list them.
// Buildings of the model go to the project's buildings in file order, up
// to the project's building count (*warnings says when they differ).
QVector<FormItem> compare(const IfcSummary::Summary& summary, const ProjectData& project, QStringList* warnings);

// The model a project's values were taken from.
struct ModelFile {
    QString fileName;  // without folder
    QString sha256;    // hex
    QDateTime when;
};
// The model's checksum; empty when the file cannot be read.
QString sha256Of(const QString& path);

// Takes the chosen items into the project: sums, ratios and floor names
// are recomputed as the site and per-building windows do when the values
// are typed, only the columns that change are written, all in one
// transaction with a schedule entry that records the model used.
// *changed lists "TABLE[.row].Column" of what was written.
bool apply(Storage& storage, qint64 bid, const QVector<FormItem>& chosen, const ModelFile& model, QStringList* changed,
           QString* error);

// The last model recorded for the project by apply ("file 2026/12/07 sha256"), empty when none.
QString lastModelNote(Storage& storage, qint64 bid);

// The schedule entry's title that marks a model taken into a project.
inline QString noteTitle() { return QStringLiteral("BIMデータ読込（IFC）"); }

}  // namespace IfcForms
