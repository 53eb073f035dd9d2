#!/bin/sh
# Makes an application directory with an office's realistic data through a
# given release's command-line tool, keeping only the seven databases: the
# fixture that the upgrade tests start from.
#   tests/data/make-appdir-fixture.sh CLI OUTDIR
# CLI is that release's shinseidesk-cli; OUTDIR gets kakunin.db … maildata.db.
set -eu
CLI=$1
OUT=$2
HERE=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
A="$WORK/app"
sd() { "$CLI" --appdir "$A" "$@"; }

sd init >/dev/null
# A small postal table instead of the national one keeps the fixture small.
sd postal import "$HERE/ken_all_sample.csv" >/dev/null
sd customers import "$HERE/customers_excel_sjis.csv" >/dev/null

B1=$(sd project new)
sd project set "$B1" GAIYOU Kouji='山田邸新築工事' Buken='山田邸' Furi1='やまだ' Furi2='たろう' \
    Name7='山田 太郎' Post6='100-0001' Addr6='東京都千代田区千代田1-1-1' Tel1='03-1234-5678' FLD=1
sd project set "$B1" SHIKICHI Tiban='千代田区千代田一丁目1番1' Size1='165.29' Size2='99.17' Tosi1=1 Bou2=1 \
    Sonota1="道路幅員 4.0m（位置指定道路）"
sd project set "$B1" TATEMONOBETU Kubun30='08010' KubunDisp30='一戸建ての住宅' Youto30='専用住宅' Kai30='2'
sd project set "$B1" TATEMONOBETU --row 2 Kubun30='08410' KubunDisp30='自動車車庫' Youto30='車庫' Kai30='1'
sd project set "$B1" KAIBETU F1Shoukei='1,234.56' F1Takasa='2.4' F1Tenjo='2.40' F1Mei60='居間・食堂'
sd project set "$B1" KAIBETU --row 2 F1Shoukei='98.70' F1Mei60="寝室 \"主\""
sd project set "$B1" KANRYOU Shin1=1 Gou1='第H17確認建築 千代田 12345号' Day1='平成17年04月01日' Tan1='検査 一郎'
sd project set "$B1" KOUJI ShuyouCHK1=1 Youto1='一戸建ての住宅' Ban1='08010'
sd project set "$B1" BOUKA Tel1='03-3212-2111' Day1='令和元年05月01日' Nin1='消防 花子'
sd project set "$B1" ININ Inin1=1 Inin3=0
sd project set "$B1" GYOUMU Name1="株式会社\"大和\"建設" Day1='2026/12/05' Shu1=1 Kin1='1,500,000'
sd project set "$B1" SCHEDULE SCJ_YEAR=2026 SCJ_MONTH=12 SCJ_DAY=24 SCJ_HOUR=10 SCJ_MINUT=30 \
    SCJ_TITLE='中間検査' SCJ_BODY='配筋検査、立会い：現場代理人'
sd project set "$B1" StrIntTable --row 3 F_STR01='確認済証 受領' >/dev/null 2>&1 || true

B2=$(sd project new)
sd project set "$B2" GAIYOU Kouji='髙橋ビル増築工事（仮称）' Buken='髙橋ビル' Name7='髙橋 花子' \
    Post6='530-0001' Addr6='大阪府大阪市北区梅田２丁目４番９号' Tel1='(06)6345-0000'
sd project set "$B2" SHIKICHI Tiban='梅田二丁目4-9' Size1='1,024.00' Tosi3=1
sd project set "$B2" TATEMONOBETU Kubun30='08450' KubunDisp30='事務所' Youto30='事務所' Kai30='5'
sd project set "$B2" KAIBETU F1Shoukei='512.00' F1Takasa='3.5'
B3=$(sd project new)
sd project set "$B3" GAIYOU Kouji='鈴木様 車庫（計画中）' Buken='鈴木邸車庫'

mkdir -p "$OUT"
for db in kakunin masterdata saledata optiondata anotheroption postdb maildata; do
    rm -f "$OUT/$db.db"
    # VACUUM INTO leaves a compact single file with the journal folded in.
    /usr/bin/python3 - "$A/$db.db" "$OUT/$db.db" <<'PY'
import sqlite3, sys
c = sqlite3.connect(sys.argv[1])
c.execute("VACUUM INTO ?", (sys.argv[2],))
d = sqlite3.connect(sys.argv[2])
d.execute("PRAGMA journal_mode=WAL")
d.close()
c.close()
PY
done
