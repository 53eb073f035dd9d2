#pragma once

#include "ProjectData.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>

// A submission set: the documents of one kind of application filled once,
// rendered in one LibreOffice run, split again into one PDF per document
// and combined with the drawing and calculation PDFs into one PDF with a
// bookmark per document (and under it per face) and per drawing.
namespace SubmissionSet {

// A kind of submission and the documents (sheet names of the output
// drop-down) it proposes, in submission order.
struct Kind {
    QString name;
    QStringList documents;
};
// Every kind, in the order the window offers them.
const QVector<Kind>& kinds();
QStringList kindNames();
// The documents a kind proposes for this project: the 委任状 only when a
// 代理者 is entered. Empty for an unknown kind.
QStringList proposedDocuments(const QString& kind, const ProjectData& project);

// A name every file system accepts: the characters Windows refuses and
// control characters become "_", leading and trailing blanks and dots go,
// and the UTF-8 form is cut to at most maxBytes bytes.
QString safeName(const QString& name, int maxBytes = 180);
// 「<建築物の名称>_<書類>_<YYYYMMDD>.pdf」, made safe.
QString fileName(const QString& buildingName, const QString& document, const QDate& date);

// 「<建築物の名称>_<種類>入力項目_<YYYYMMDD>」, made safe, without a suffix.
QString itemsBaseName(const QString& buildingName, const QString& kind, const QDate& date);

// Opens every drawing PDF; false with a message naming the first one that
// is damaged, encrypted or has no page.
bool checkDrawings(const QStringList& drawings, QString* error);

struct Request {
    QString kind;            // names the combined PDF
    QStringList documents;   // in the order wanted; names of SinseiExcelOutRtn::documentNames()
    QStringList drawings;    // PDF files appended page for page, in this order
    QString outDir;
    QDate date = QDate::currentDate();
    // Also the list of every printed item with its value, for typing the
    // application into a portal: CSV (Shift_JIS and UTF-8) and JSON.
    bool exportItems = false;
};

struct Result {
    QString combined;          // the combined PDF
    QStringList documentFiles; // one PDF per document, in the requested order, then the 別紙 if any
    int pages = 0;             // pages of the combined PDF
    QStringList itemFiles;     // the item lists, when asked for
    QString warning;           // what the user should know (characters the Shift_JIS list replaced)
};

// Writes the set into request.outDir. Nothing is written when a drawing
// is refused, a document is unknown or any step fails; every file is
// written atomically.
bool make(const ProjectData& project, const Request& request, Result* result, QString* error);

}  // namespace SubmissionSet
