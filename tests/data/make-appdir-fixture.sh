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

# Zoning, areas and the fire-resistance choice of each building, the way the
# windows leave them (formatted areas, one kind of 準耐火建築物 with its parent):
# the items a later layout reshapes.
sd project set "$B1" SHIKICHI Size5='165.29' Size13='第一種低層住居専用地域' Par1='100' Par5='50' \
    Size17='165.29' Kubun='08010' KubunDisp='一戸建ての住宅' Youto='専用住宅' Shubetu1=1 \
    Men1='66.12' Men3='66.12' Par11='40.00' Men4='112.40' Men6='112.40' Men16='112.40' Men18='112.40' \
    Men19='112.40' Par12='68.00' Tou1=2 Taka1='8.95' Kai1='2' Zou1='木造' Day1='令和8年12月15日'
sd project set "$B1" TATEMONOBETU Zou31='木造' Taika36=1 shubetu31=1 Takasa30='8.95' Takasa31='6.20' \
    Setu1=1 Setu2=1 Kai40='1F' Kai41='2F' Men40='56.20' Men42='56.20' Men43='56.20' Men45='56.20' \
    Men58='112.40' Men60='112.40' Yane40='ガルバリウム鋼板' Gai40='窯業系サイディング' Ben40=1 Ben41=1
sd project set "$B1" TATEMONOBETU --row 2 Zou31='鉄骨造' Taika31=1 Taika35=1 shubetu31=1 Takasa30='2.80'
sd project set "$B1" KAIBETU F1Kubun60='08010' F1Kubun60Disp='一戸建ての住宅' F1Men60='56.20'
sd project set "$B1" KAIBETU --row 2 F1Kubun60='08010' F1Kubun60Disp='一戸建ての住宅' F1Men60='56.20'
sd project set "$B2" SHIKICHI Bou1=1 Size5='1,024.00' Size13='商業地域' Par1='800' Par5='80' \
    Size17='1,024.00' Kubun='08470' KubunDisp='事務所' shubetu2=1 Men1='640.00' Men2='128.00' Men3='768.00' \
    Par11='75.00' Men4='2,560.00' Men5='512.00' Men6='3,072.00' Men19='3,072.00' Par12='300.00' Tou1=2
sd project set "$B2" TATEMONOBETU Zou31='鉄筋コンクリート造' Zou32='鉄骨造' Taika30=1 shubetu32=1 \
    Takasa30='18.50' Takasa31='17.90' Setu1=1 Setu2=1 Setu3=1 Setu4=1 Setu5=1
sd project set "$B2" TATEMONOBETU --row 2 Kubun30='08520' KubunDisp30='倉庫業を営まない倉庫' Youto30='倉庫' \
    Zou31='鉄骨造' Taika31=1 Taika32=1 shubetu31=1 Kai30='2' Takasa30='9.80'
sd project set "$B2" KAIBETU --row 7 F1Kubun60='08520' F1Kubun60Disp='倉庫業を営まない倉庫' F1Mei60='倉庫' \
    F1Men60='180.00' F1Takasa='4.5'

# 工事監理の状況, which layout 4 kept once for both inspections. A release
# without these columns refuses them and its fixture goes on without.
sd project set "$B1" KANRYOU KanriNai1='配筋の径・間隔・かぶり厚さ' KanriTosho1='構造図 S-03' \
    KanriHou1='目視・計測' KanriKek1='適' KanriKek9='適（区画貫通部の処理を確認）' \
    KanriBikou='基礎配筋時に報告済み' >/dev/null 2>&1 || true

# A release that seeds the national postal table keeps it for the prefectures
# the sample does not name; only the sample's prefectures stay, for size.
/usr/bin/python3 - "$A/postdb.db" "$HERE/ken_all_sample.csv" <<'PY'
import csv, sqlite3, sys
with open(sys.argv[2], encoding="cp932", newline="") as f:
    kept = sorted({row[6] for row in csv.reader(f)})
c = sqlite3.connect(sys.argv[1])
c.execute("DELETE FROM POST_DB WHERE P_ADR1 NOT IN (%s)" % ",".join("?" * len(kept)), kept)
c.commit()
c.close()
PY

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
