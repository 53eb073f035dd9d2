#include "CliCommands.h"

#include "PostalImporter.h"
#include "PostalLookup.h"
#include "Storage.h"

namespace {

const char* const kPostalUsage =
    "使い方: shinseidesk-cli --appdir DIR postal code TEXT\n"
    "        shinseidesk-cli --appdir DIR postal address TEXT\n"
    "        shinseidesk-cli --appdir DIR postal import FILE\n";

int usage(CliContext& c)
{
    c.err << QString::fromUtf8(kPostalUsage);
    return 2;
}

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
        return usage(c);
    const QString sub = c.args.first();
    // An address may have been typed with spaces between its parts.
    const QString text = c.args.mid(1).join(QLatin1Char(' ')).trimmed();

    if (sub == QLatin1String("import")) {
        if (c.args.size() != 2)
            return usage(c);
        PostalImporter importer(c.storage);
        if (!importer.importFile(c.args[1])) {
            c.err << importer.errorString() << Qt::endl;
            return 1;
        }
        c.out << importer.rowCount() << Qt::endl;
        return 0;
    }

    const bool byCode = sub == QLatin1String("code");
    if (!byCode && sub != QLatin1String("address"))
        return usage(c);
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
