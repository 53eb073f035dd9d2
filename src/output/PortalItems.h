#pragma once

#include "ProjectData.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// Every numbered item of the printed forms with its value as printed, for
// the clerk who types an application into an authority's portal item by
// item. The items and their value cells come from the template's cell list
// (the generator's "items" of each sheet, in form order); the values are
// the ones the filled workbook carries for its formula cells, so they are
// what the PDF of the same workbook prints. Items on pages that do not
// print (hidden rows) are left out; an item whose value is blank stays in,
// so that the clerk sees what the form leaves empty.
namespace PortalItems {

struct Item {
    QString document;  // the document (sheet) name, "確認申請" …
    QString face;      // "第二面", or the form's title when it has no faces
    QString number;    // as printed: "１．イ"
    QString caption;   // as printed, without the brackets
    QString value;     // as printed; several value cells joined by a space
};

// Reads the items of the documents (names of SinseiExcelOutRtn::
// documentNames()) in the order given from a filled workbook.
bool read(const QString& filledWorkbook, const QString& templatePath, const QStringList& documents,
          QVector<Item>* out, QString* error);

// The same straight from a project: filled into a temporary workbook
// (every document's pages shown or hidden as for its PDF) and read.
bool forProject(const ProjectData& project, const QStringList& documents, QVector<Item>* out, QString* error);

// One line per item with a header line, CRLF, every field quoted. UTF-8
// with a BOM (so that Excel recognises it), or Shift_JIS: a character that
// Shift_JIS cannot hold becomes "?" and is listed once in *replaced.
QByteArray toCsv(const QVector<Item>& items, bool shiftJis, QStringList* replaced = nullptr);
// {"items": [{"document", "face", "number", "caption", "value"}, …]} in UTF-8.
QByteArray toJson(const QVector<Item>& items);

// Writes the Shift_JIS CSV, the UTF-8 CSV and the JSON file into dir,
// named after baseName ("<建築物の名称>_<種類>入力項目_<日付>", no suffix),
// each atomically. *files lists them; *warning names the characters that
// the Shift_JIS file could not hold (empty when none).
bool writeFiles(const QVector<Item>& items, const QString& dir, const QString& baseName, QStringList* files,
                QString* warning, QString* error);

// The message naming the characters that the Shift_JIS file replaced by "?".
QString replacedMessage(const QStringList& replaced);

}  // namespace PortalItems
