#include "ShoshikiSet.h"

#include "AppDir.h"
#include "SinseiExcelOutRtn.h"
#include "WorkbookViewer.h"
#include "common.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

bool failWith(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return false;
}

QStringList strings(const QJsonValue& v)
{
    QStringList out;
    for (const QJsonValue& item : v.toArray())
        out << item.toString();
    return out;
}

}  // namespace

const QStringList& ShoshikiSet::sheetOrder()
{
    static const QStringList order{
        QStringLiteral("確認申請"), QStringLiteral("概要書"),     QStringLiteral("工事届"),
        QStringLiteral("委任状"),   QStringLiteral("計画変更"),   QStringLiteral("中間申請"),
        QStringLiteral("完了申請"), QStringLiteral("完了申請四面"), QStringLiteral("除去届"),
        QStringLiteral("防火対象物"), QStringLiteral("監理報告"), QStringLiteral("台帳"),
        QStringLiteral("記録"),
    };
    return order;
}

std::optional<quint32> ShoshikiSet::colourFor(int number)
{
    // The palette as the spreadsheet shows it on screen.
    static const quint32 table[] = {
        0x000000,  // 1
        0,         // 2: no colour of its own
        0xF80000, 0x00FC00, 0x0000F8, 0xF8FC00, 0xFC00FC, 0x00FCF8,  // 3 - 8
        0x980000, 0x009800, 0x000098, 0x989800, 0x980098, 0x009898,  // 9 - 14
        0xC8CCC8, 0x989898,                                          // 15, 16
    };
    if (number < 1 || number > 16 || number == 2)
        return std::nullopt;
    return table[number - 1];
}

int ShoshikiSet::colourNumberOfSwatch(int swatch)
{
    // Swatch 0 is black (1); the others follow the palette from red (3) on.
    if (swatch == 0)
        return 1;
    return swatch >= 1 && swatch <= 14 ? swatch + 2 : 0;
}

std::optional<QString> ShoshikiSet::lineStyleName(int index)
{
    static const char* const names[] = {"", "thin", "dashed", "dotted", "dashDot", "dashDotDot", "double"};
    if (index < 0 || index >= static_cast<int>(std::size(names)))
        return std::nullopt;
    return QString::fromLatin1(names[index]);
}

std::array<ShoshikiSet::Setting, 4> ShoshikiSet::settingsFrom(const OptionValues& options)
{
    std::array<Setting, 4> out;
    for (size_t i = 0; i < out.size(); ++i) {
        const FontSet& f = options.fonts[i];
        Setting& s = out[i];
        s.fontName = f.name.trimmed();
        s.style = f.style.trimmed();
        bool ok = false;
        const double size = f.size.trimmed().toDouble(&ok);
        s.size = ok && size > 0 ? size : 10;
        s.color = colourNumberOfSwatch(f.colorIndex);
    }
    out[0].lineStyle = options.lineStyleIndex;
    return out;
}

XlsxFormat ShoshikiSet::formatFor(const Setting& setting)
{
    XlsxFormat f;
    if (!setting.fontName.isEmpty())
        f.fontName = setting.fontName;
    f.italic = setting.style != QStringLiteral("標準");
    // The forms are laid out for 10 points; a set's own size would make
    // their lines overflow, so every set prints at 10 points.
    f.fontSize = 10;
    if (const auto rgb = colourFor(setting.color))
        f.fontColor = *rgb;
    return f;
}

bool ShoshikiSet::parseCellList(const QByteArray& json, CellList* out, QString* error)
{
    out->clear();
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &pe);
    if (doc.isNull() || !doc.isObject())
        return failWith(error, QStringLiteral("セル一覧の形式が正しくありません（%1）。").arg(pe.errorString()));
    const QJsonObject sheets = doc.object().value(QStringLiteral("sheets")).toObject();
    if (sheets.isEmpty())
        return failWith(error, QStringLiteral("セル一覧にシートがありません。"));
    for (auto it = sheets.begin(); it != sheets.end(); ++it) {
        const QJsonObject cells = it.value().toObject().value(QStringLiteral("cells")).toObject();
        SheetCells s;
        s.title = strings(cells.value(QStringLiteral("title")));
        s.item = strings(cells.value(QStringLiteral("item")));
        s.input = strings(cells.value(QStringLiteral("input")));
        s.underline = strings(cells.value(QStringLiteral("underline")));
        for (const QJsonValue& page : it.value().toObject().value(QStringLiteral("pages")).toArray()) {
            const QJsonArray rows = page.toArray();
            if (rows.size() == 2)
                s.pages.append({rows.at(0).toInt(), rows.at(1).toInt()});
        }
        out->insert(it.key(), s);
    }
    return true;
}

bool ShoshikiSet::loadCellList(const QString& templatePath, CellList* out, QString* error)
{
    QByteArray json;
    return readCellListFile(templatePath, &json, error) && parseCellList(json, out, error);
}

bool ShoshikiSet::readCellListFile(const QString& templatePath, QByteArray* json, QString* error)
{
    const QFileInfo t(templatePath);
    const QString name = t.completeBaseName() + QStringLiteral(".cells.json");
    // Beside the template, in the shipped templates folder, or built in.
    const QStringList candidates{t.dir().filePath(name), t.dir().filePath(QStringLiteral("templates/") + name),
                                 QStringLiteral(":/templates/") + name};
    for (const QString& path : candidates) {
        QFile f(path);
        if (f.open(QIODevice::ReadOnly)) {
            *json = f.readAll();
            return true;
        }
    }
    return failWith(error, QStringLiteral("セル一覧「%1」が見つかりません。").arg(name));
}

bool ShoshikiSet::formatWorkbook(const QString& path, const std::array<Setting, 4>& sets, const CellList& cells,
                                 QString* error)
{
    XlsxWorkbook book;
    if (!book.open(path))
        return failWith(error, book.errorString());
    const XlsxFormat input = formatFor(sets[0]);
    const XlsxFormat title = formatFor(sets[1]);
    const XlsxFormat item = formatFor(sets[2]);
    XlsxFormat underline;
    underline.bottomBorder = lineStyleName(sets[0].lineStyle);

    // A range that cannot be formatted is passed over: the rest of the
    // forms still get the office's fonts.
    auto apply = [&book](const QString& sheet, const QStringList& ranges, const XlsxFormat& format) {
        for (const QString& r : ranges)
            book.formatCells(sheet, r, format);
    };
    QStringList present;
    for (const QString& sheet : sheetOrder()) {
        if (!book.hasSheet(sheet) || !cells.contains(sheet))
            continue;
        present << sheet;
        const SheetCells& c = cells[sheet];
        apply(sheet, c.input, input);
        apply(sheet, c.item, item);
        if (underline.bottomBorder)
            apply(sheet, c.underline, underline);
    }
    for (const QString& sheet : present)
        apply(sheet, cells[sheet].title, title);
    if (!book.save())
        return failWith(error, book.errorString());
    return true;
}

QString ShoshikiSet::templatePath()
{
    return SinseiExcelOutRtn::templatePath();
}

bool ShoshikiSet::run(const OptionValues& options, const std::function<void()>& closeViewers, QString* error)
{
    if (closeViewers)
        closeViewers();
    const QString path = templatePath();
    QString missing;
    if (!templateFound(path, &missing))
        return failWith(error, missing);
    if (common::FileInUse(path))
        return failWith(error, QStringLiteral("「%1」は他のプログラムで開かれています。　閉じてからやり直してください。")
                                   .arg(QDir::toNativeSeparators(path)));
    CellList cells;
    if (!loadCellList(path, &cells, error))
        return false;
    return formatWorkbook(path, settingsFrom(options), cells, error);
}
