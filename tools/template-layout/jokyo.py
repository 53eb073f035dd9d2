"""除去届: 建築物除却届, 第四十一号様式."""

from layout import COLUMNS, R, Seg, Sheet


def build():
    s = Sheet("除去届")
    s.text("第四十一号様式（第八条関係）（Ａ４）", size=9)
    s.blank(0.6)
    s.title("建築物除却届", size=16, h=2.4)
    s.blank(0.6)
    s.text("　建築基準法第15条第１項の規定により届け出ます。この届出書及び添付図書に記載の事項は、事実に相違ありません。",
           c1=2, c2=COLUMNS - 1, wrap=True, rows=2)
    s.text("年　　　月　　　日", c1=15, c2=COLUMNS - 1, align="right", h=1.3)
    s.text("都道府県知事　　　　　　　　様", c1=2, h=1.3)
    s.blank(0.6)
    s.text("【届出者（建築主）】")
    s.pairs(("【郵便番号】", R("D45")), ("【電話番号】", R("D47")), indent=2)
    s.item("【住所】", R("D46"), indent=2, label_cols=6)
    s.item("【氏名】", R("D44"), indent=2, label_cols=6)
    s.text("【除却工事施工者】")
    s.item("【氏名】", R("D506"), indent=2, label_cols=6)
    s.pairs(("【郵便番号】", R("D507")), ("【電話番号】", R("D509")), indent=2)
    s.item("【所在地】", R("D508"), indent=2, label_cols=6)
    s.blank(0.6)
    top = s.row + 1
    s.item("【１．除却場所】", R("D511"), label_cols=8)
    s.item("【２．除却予定年月日】", R("D514"), label_cols=8)
    s.item("【３．除却原因】", R("D484"), label_cols=8)
    s.item("【４．構造】", R("D488"), label_cols=8)
    s.item("【５．建築物の数】", R("D492"), label_cols=8)
    s.item("【６．住宅の戸数】", R("D494"), label_cols=8, unit="戸")
    s.item("【７．住宅の利用関係】", R("E496"), label_cols=8)
    s.item("【８．床面積の合計】", R("E501"), label_cols=8, unit="㎡")
    s.line(Seg(1, 8, "【９．主要用途】"), Seg(9, 15, "(1) 居住専用建築物"), Seg(16, COLUMNS, R("G516")))
    s.line(Seg(9, 15, "(2) 居住産業併用建築物"), Seg(16, COLUMNS, R("G517")))
    s.line(Seg(9, 15, "(3) 産業専用建築物"), Seg(16, COLUMNS, R("G518")))
    s.item("【１０．建築物の評価額】", R("E503"), label_cols=8, unit="万円")
    s.box(top, s.row, 1, COLUMNS)
    s.blank(0.8)
    r = s.line(Seg(1, 6, "※受付欄", align="center"), Seg(7, COLUMNS, ""), h=3.0)
    s.box(r, r, 1, 6)
    s.box(r, r, 7, COLUMNS)
    return s.finish()
