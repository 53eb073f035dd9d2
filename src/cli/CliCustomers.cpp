#include "CliCommands.h"

#include "CustomerCsv.h"
#include "Recordset.h"
#include "Storage.h"

namespace {

const char* const kCustomersUsage =
    "使い方: shinseidesk-cli --appdir DIR customers import FILE.csv [--folder F_ID] [--column N=項目 ...]\n"
    "        shinseidesk-cli --appdir DIR customers export FILE.csv [--utf8]\n"
    "\n"
    "  import  CSV ファイルの顧客を登録し、登録した件数を表示します。列の割り当ては\n"
    "          顧客マスターCSVインポート画面と同じく1行目の見出しから決まります。\n"
    "          --folder F_ID   登録した顧客を顧客フォルダ F_ID に入れます\n"
    "          --column N=項目 N 列目（1から）を項目に割り当てます。項目は番号 1〜16\n"
    "                          または名前（姓ふりがな, 名ふりがな, 姓, 名, …）。0 で読み込みません\n"
    "  export  全顧客を CSV に書き出し、件数を表示します（既定は Shift_JIS、--utf8 で UTF-8）\n";

// A target by its code or its caption; -1 when it is neither.
int targetCode(const QString& text)
{
    bool isNumber = false;
    const int code = text.toInt(&isNumber);
    if (isNumber)
        return (code == 0 || CustomerImport::target(code)) ? code : -1;
    for (const ImportTarget& t : CustomerImport::targets())
        if (t.caption == text || t.column.compare(text, Qt::CaseInsensitive) == 0)
            return t.code;
    return -1;
}

// The UserFolder row whose key is fid; its ID is what the folder slots hold.
bool folderIdOf(Storage& storage, qint64 fid, qint64* id, QString* error)
{
    Recordset rs(storage, DbFile::SaleData);
    if (!rs.open(QStringLiteral("UserFolder"), QStringLiteral("F_ID"), fid)) {
        *error = rs.errorString();
        return false;
    }
    if (rs.eof()) {
        *error = QStringLiteral("顧客フォルダ F_ID=%1 はありません。").arg(fid);
        return false;
    }
    *id = rs.id();
    return true;
}

int importCustomers(CliContext& c, const QString& path, const QStringList& options)
{
    qint64 folderId = 0;
    QVector<QPair<int, int>> columns;  // 0-based column → target code
    for (int i = 0; i < options.size(); ++i) {
        const QString& o = options[i];
        if (o == QLatin1String("--folder") && i + 1 < options.size()) {
            bool ok = false;
            const qint64 fid = options[++i].toLongLong(&ok);
            QString error;
            if (!ok) {
                c.err << QStringLiteral("--folder には顧客フォルダの F_ID（数字）を指定してください。") << Qt::endl;
                return 2;
            }
            if (!folderIdOf(c.storage, fid, &folderId, &error)) {
                c.err << error << Qt::endl;
                return 1;
            }
        } else if (o == QLatin1String("--column") && i + 1 < options.size()) {
            const QString assignment = options[++i];
            bool ok = false;
            const int n = assignment.section(QLatin1Char('='), 0, 0).toInt(&ok);
            const int code = targetCode(assignment.section(QLatin1Char('='), 1));
            if (!ok || n < 1 || code < 0 || !assignment.contains(QLatin1Char('='))) {
                c.err << QStringLiteral("--column の指定が正しくありません: %1（例: --column 1=姓ふりがな）").arg(assignment)
                      << Qt::endl;
                return 2;
            }
            columns.append({n - 1, code});
        } else {
            return usageError(c, kCustomersUsage);
        }
    }

    CustomerImport import(c.storage);
    if (!import.load(path)) {
        c.err << import.errorString() << Qt::endl;
        return 1;
    }
    for (const auto& [column, code] : columns) {
        if (column >= import.columnCount()) {
            c.err << QStringLiteral("%1 列目はありません（このファイルは %2 列です）。").arg(column + 1).arg(import.columnCount())
                  << Qt::endl;
            return 2;
        }
        import.assign(column, code);
    }
    bool anyColumn = false;
    for (int i = 0; i < import.columnCount(); ++i)
        anyColumn = anyColumn || import.isTicked(i);
    if (!anyColumn && import.rowsToImport() > 0) {
        c.err << QStringLiteral("読み込む列がありません。1行目の見出しを認識できないときは --column で列を割り当ててください。")
              << Qt::endl;
        return 1;
    }
    int added = 0;
    if (!import.run(folderId, &added)) {
        c.err << QStringLiteral("読み込みを中止しました。顧客は登録されていません。") << Qt::endl << import.errorString() << Qt::endl;
        return 1;
    }
    if (import.removedControls() > 0)
        c.err << QStringLiteral("制御文字（NUL など）%1 字は顧客の項目に使えないため、取り除いて登録しました。")
                     .arg(import.removedControls())
              << Qt::endl;
    c.out << added << Qt::endl;
    return 0;
}

int exportCustomers(CliContext& c, const QString& path, const QStringList& options)
{
    bool utf8 = false;
    for (const QString& o : options) {
        if (o == QLatin1String("--utf8"))
            utf8 = true;
        else
            return usageError(c, kCustomersUsage);
    }
    if (refusedAsOwnFile(path, c.storage.appDir(), c.err))
        return 2;
    int rows = 0;
    int unmappable = 0;
    QString error;
    if (!CustomerCsv::exportFile(c.storage, path, utf8, &rows, &unmappable, &error)) {
        c.err << error << Qt::endl;
        return 1;
    }
    if (rows == 0)
        c.err << QStringLiteral("顧客が登録されていないため、ファイルは作成しませんでした。") << Qt::endl;
    if (unmappable > 0)
        c.err << QStringLiteral("Shift_JIS で表せない文字 %1 字を「?」で書き込みました（--utf8 なら元の文字のままです）。")
                     .arg(unmappable)
              << Qt::endl;
    c.out << rows << Qt::endl;
    return 0;
}

}  // namespace

int cliCustomers(CliContext& c)
{
    if (c.args.size() < 2)
        return usageError(c, kCustomersUsage);
    const QString sub = c.args.at(0);
    const QString path = c.args.at(1);
    const QStringList options = c.args.mid(2);
    if (sub == QLatin1String("import"))
        return importCustomers(c, path, options);
    if (sub == QLatin1String("export"))
        return exportCustomers(c, path, options);
    return usageError(c, kCustomersUsage);
}
