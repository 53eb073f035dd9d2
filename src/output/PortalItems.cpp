#include "PortalItems.h"

#include "SafeFile.h"
#include "ShiftJis.h"
#include "ShoshikiSet.h"
#include "SinseiExcelOutRtn.h"
#include "XlsxWorkbook.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace PortalItems {

namespace {

bool failWith(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return false;
}

QString quoted(const QString& field)
{
    QString f = field;
    f.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + f + QLatin1Char('"');
}

}  // namespace

bool read(const QString& filledWorkbook, const QString& templatePath, const QStringList& documents,
          QVector<Item>* out, QString* error)
{
    out->clear();
    QByteArray json;
    if (!ShoshikiSet::readCellListFile(templatePath, &json, error))
        return false;
    QJsonParseError parseError;
    const QJsonObject sheets = QJsonDocument::fromJson(json, &parseError).object().value(QLatin1String("sheets")).toObject();
    if (parseError.error != QJsonParseError::NoError)
        return failWith(error, QStringLiteral("セル一覧の形式が正しくありません（%1）。").arg(parseError.errorString()));
    XlsxWorkbook book;
    if (!book.open(filledWorkbook))
        return failWith(error, book.errorString());
    const QString filled = QStringLiteral("■");
    for (const QString& document : documents) {
        if (!book.hasSheet(document))
            return failWith(error, QStringLiteral("ブックにシート「%1」がありません。").arg(document));
        for (const QJsonValue& v : sheets.value(document).toObject().value(QLatin1String("items")).toArray()) {
            const QJsonObject o = v.toObject();
            const int row = o.value(QLatin1String("row")).toInt();
            bool hidden = false;
            if (!book.isRowHidden(document, row, &hidden))
                return failWith(error, book.errorString());
            if (hidden)
                continue;
            QStringList pieces;
            for (const QJsonValue& c : o.value(QLatin1String("cells")).toArray()) {
                const QJsonArray cell = c.toArray();
                XlsxCell x;
                if (!book.readCell(document, cell.at(0).toString(), &x))
                    return failWith(error, book.errorString());
                const QString shown = x.value.trimmed();
                if (cell.size() > 1) {
                    // A choice box: the wording of what is ticked.
                    if (shown == filled)
                        pieces << cell.at(1).toString();
                } else if (!shown.isEmpty()) {
                    pieces << shown;
                }
            }
            out->append({document, o.value(QLatin1String("face")).toString(), o.value(QLatin1String("number")).toString(),
                         o.value(QLatin1String("caption")).toString(), pieces.join(QLatin1Char(' '))});
        }
    }
    return true;
}

bool forProject(const ProjectData& project, const QStringList& documents, QVector<Item>* out, QString* error)
{
    const QString templ = SinseiExcelOutRtn::templatePath();
    if (!QFile::exists(templ))
        return failWith(error, QStringLiteral("必要とするシステムファイルが存在しません。"));
    QTemporaryDir work;
    if (!work.isValid())
        return failWith(error, QStringLiteral("作業用フォルダを作成できません。"));
    const QString filled = work.filePath(QStringLiteral("filled.xlsx"));
    return SinseiExcelOutRtn::fillWorkbook(project, -1, templ, filled, error)
        && read(filled, templ, documents, out, error);
}

QByteArray toCsv(const QVector<Item>& items, bool shiftJis, QStringList* replaced)
{
    QString text = QStringLiteral("\"書類\",\"面\",\"番号\",\"項目\",\"値\"\r\n");
    for (const Item& i : items)
        text += QStringList{quoted(i.document), quoted(i.face), quoted(i.number), quoted(i.caption), quoted(i.value)}
                    .join(QLatin1Char(','))
            + QStringLiteral("\r\n");
    if (!shiftJis)
        return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    int unmappable = 0;
    const QByteArray bytes = ShiftJis::encode(text, &unmappable);
    if (unmappable > 0 && replaced) {
        QSet<uint> seen;
        for (uint c : text.toUcs4()) {
            if (seen.contains(c))
                continue;
            seen.insert(c);
            const QString ch = QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1);
            int bad = 0;
            ShiftJis::encode(ch, &bad);
            if (bad > 0)
                replaced->append(ch);
        }
    }
    return bytes;
}

QByteArray toJson(const QVector<Item>& items)
{
    QJsonArray list;
    for (const Item& i : items)
        list.append(QJsonObject{{QStringLiteral("document"), i.document},
                                {QStringLiteral("face"), i.face},
                                {QStringLiteral("number"), i.number},
                                {QStringLiteral("caption"), i.caption},
                                {QStringLiteral("value"), i.value}});
    return QJsonDocument(QJsonObject{{QStringLiteral("items"), list}}).toJson(QJsonDocument::Indented);
}

QString replacedMessage(const QStringList& replaced)
{
    return QStringLiteral("Shift_JIS にない文字 %1 は CSV（Shift_JIS）では「?」になっています。　"
                          "UTF-8 の CSV または JSON ではそのまま出力しています。")
        .arg(replaced.join(QStringLiteral("、")));
}

bool writeFiles(const QVector<Item>& items, const QString& dir, const QString& baseName, QStringList* files,
                QString* warning, QString* error)
{
    files->clear();
    warning->clear();
    QStringList replaced;
    const QDir d(dir);
    const QList<QPair<QString, QByteArray>> out = {
        {d.absoluteFilePath(baseName + QStringLiteral(".csv")), toCsv(items, true, &replaced)},
        {d.absoluteFilePath(baseName + QStringLiteral("_UTF-8.csv")), toCsv(items, false)},
        {d.absoluteFilePath(baseName + QStringLiteral(".json")), toJson(items)}};
    for (const auto& [path, data] : out) {
        if (!SafeFile::write(path, data, error))
            return false;
        files->append(path);
    }
    if (!replaced.isEmpty())
        *warning = replacedMessage(replaced);
    return true;
}

}  // namespace PortalItems
