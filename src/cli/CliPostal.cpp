#include "CliCommands.h"

#include "PostalImporter.h"
#include "PostalLookup.h"
#include "Storage.h"

namespace {

const char* const kPostalUsage =
    "使い方: shinseidesk-cli --appdir DIR postal code TEXT\n"
    "        shinseidesk-cli --appdir DIR postal address TEXT\n"
    "        shinseidesk-cli --appdir DIR postal import FILE [--all]\n"
    "          FILE の都道府県の郵便番号を置き換えます（他の都道府県はそのまま）。\n"
    "          --all: 全国を置き換えます（47都道府県すべてを含むファイルのみ）。\n";

// code, prefecture, municipality, town: one candidate per line.
void print(CliContext& c, const QVector<PostalEntry>& rows, bool dashed)
{
    for (const PostalEntry& e : rows) {
        const QString code = dashed ? PostalLookup::formatCode(e.code) : e.code;
        c.out << code << '\t' << e.prefecture << '\t' << e.municipality << '\t' << e.town << '\n';
    }
    c.out.flush();
}

}  // namespace

int cliPostal(CliContext& c)
{
    if (c.args.size() < 2)
        return usageError(c, kPostalUsage);
    const QString sub = c.args.first();
    // An address may have been typed with spaces between its parts.
    const QString text = c.args.mid(1).join(QLatin1Char(' ')).trimmed();

    if (sub == QLatin1String("import")) {
        QStringList args = c.args.mid(1);
        const bool all = args.removeAll(QStringLiteral("--all")) > 0;
        if (args.size() != 1)
            return usageError(c, kPostalUsage);
        PostalImporter importer(c.storage);
        if (!importer.importFile(args[0], all)) {
            c.err << importer.errorString() << Qt::endl;
            return 1;
        }
        for (const PostalImporter::Change& ch : importer.changes())
            c.out << QStringLiteral("%1 %2\t%3 → %4 行")
                         .arg(ch.code, 2, 10, QLatin1Char('0'))
                         .arg(ch.prefecture)
                         .arg(ch.before)
                         .arg(ch.after)
                  << '\n';
        c.out << QStringLiteral("%1 都道府県、%2 行を取り込みました。").arg(importer.changes().size()).arg(importer.rowCount())
              << Qt::endl;
        return 0;
    }

    const bool byCode = sub == QLatin1String("code");
    if (!byCode && sub != QLatin1String("address"))
        return usageError(c, kPostalUsage);
    PostalLookup lookup(c.storage);
    QVector<PostalEntry> rows;
    const bool ok = byCode ? lookup.codeCandidates(text, &rows) : lookup.addressCandidates(text, &rows);
    if (!ok) {
        c.err << lookup.errorString() << Qt::endl;
        return 1;
    }
    if (rows.isEmpty()) {
        c.err << (byCode ? QStringLiteral("郵便番号「%1」に該当する住所がありません。")
                         : QStringLiteral("住所「%1」に該当する郵便番号がありません。"))
                     .arg(text)
              << Qt::endl;
        return 1;
    }
    print(c, rows, !byCode);
    return 0;
}
