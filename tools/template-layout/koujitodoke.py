"""工事届: 建築工事届, 第四十号様式 as revised for works starting on or after
2025-01-01, faces one to three.  A project that also removes a building
notifies the removal here (the demolition contractor on the first face,
the removed building on the third), not on a separate 除却届.

The choice lists are those of 建築動態統計調査規則 (the survey the notice
feeds).  Letters of 【６】 ニ to ヘ, of the third face's items and of the
removed building's items after the confirmed ones follow the order of the
survey's items: the form itself could not be read.  Agencies' notices of
the revision (沖縄県, 2024-10-01; ビューローベリタス, 2024-10-17) confirm
【５．主要用途】, 【６】 ロ 物件名, ハ 用途, ト 用途ごとの工事部分の床面積 and
チ 建築工事費予定額 with its 消費税込み box, the third face's 【１】 ロ 新設
又はその他の別 and 【２】 チ 建築物の評価額 in 万円, and the removal notice's
【１．物件名】 and 【１０．建築物の評価額】."""

from layout import COLUMNS, R, Seg, Sheet
import blocks

NOTICE_STATEMENT = "　建築基準法第15条第１項の規定により届け出ます。この届出書及び添付図書に記載の事項は、事実に相違ありません。"


def person(s, rows, label_cols=7):
    for label, value in rows:
        if isinstance(label, tuple):
            s.pairs(*[(l, v) for l, v in zip(label, value)], indent=2)
        else:
            s.item(label, value, indent=2, label_cols=label_cols)


def heading(s, form_no, title, face):
    s.text(form_no, size=9)
    s.blank(0.4)
    s.title("建築基準法第15条第１項の規定による", size=11, h=1.4)
    s.title(title, size=16, h=2.2)
    s.title(face, size=11, h=1.4)


def first_face_head(s, form_no, title):
    heading(s, form_no, title, "（第一面）")
    s.text(NOTICE_STATEMENT, c1=2, c2=COLUMNS - 1, wrap=True, rows=2)
    s.text("令和　　年　　月　　日", c1=15, c2=COLUMNS - 1, align="right", h=1.3)
    s.text("　　　　　　　　知事　様", c1=2, h=1.3)
    s.blank(0.4)


def demolition_contractor(s):
    s.text("【除却工事施工者】")
    person(s, [("【氏名】", R("D3201")), ("【営業所名】", R("D3202")),
               (("【郵便番号】", "【電話番号】"), (R("D3203"), R("D3205"))), ("【所在地】", R("D3204")),
               (("【担当者氏名】", "【担当者電話番号】"), (R("D3206"), R("E3206")))])


def reception(s, caption="※受付経由機関記載欄"):
    s.blank(0.5)
    r = s.line(Seg(1, 6, caption, align="center", shrink=True), Seg(7, COLUMNS, ""), h=3.0)
    s.box(r, r, 1, 6)
    s.box(r, r, 7, COLUMNS)


def building_row(s, label, row, h=1.0, shrink=True, align="left"):
    segs = [Seg(2, 6, label, shrink=shrink)] if label else []
    for k, c in enumerate("EGI"):
        segs.append(Seg(7 + 6 * k, 12 + 6 * k, R("%s%d" % (c, row)), align=align))
    return s.line(*segs, h=h)


def build():
    s = Sheet("工事届")
    first_face_head(s, "第四十号様式（第八条関係）（Ａ４）", "建築工事届")
    s.text("【建築主】")
    person(s, [("【氏名】", R("D44")), (("【郵便番号】", "【電話番号】"), (R("D45"), R("D47"))),
               ("【住所】", R("D46"))])
    s.text("【工事施工者（設計者又は代理者）】")
    person(s, [("【氏名】", R("D3290")), ("【営業所名（建築士事務所名）】", R("D3291")),
               (("【郵便番号】", "【電話番号】"), (R("D3292"), R("D3294"))), ("【所在地】", R("D3293")),
               (("【担当者氏名】", "【担当者電話番号】"), (R("D3200"), R("E3200")))], label_cols=9)
    s.text("【工事監理者】")
    person(s, [("【氏名】", R("D14")), ("【営業所名（建築士事務所名）】", R("D18")),
               (("【郵便番号】", "【電話番号】"), (R("D20"), R("D22"))), ("【所在地】", R("D21"))], label_cols=9)
    s.text("【建築確認】")
    person(s, [("【確認済証番号】", R("G344")), ("【確認済証交付年月日】", R("D346")),
               ("【確認済証交付者】", R("D348"))], label_cols=9)
    s.only("removal")
    demolition_contractor(s)
    s.done()
    reception(s)
    s.end_page()

    s.title("（第二面）", size=11, h=1.4)
    s.text("【１．建築主】")
    s.line(Seg(2, 6, "【イ．種別】"), Seg(7, COLUMNS, R("D3210")))
    s.item("【ロ．資本金の額又は出資の総額】", R("E55"), indent=2, label_cols=11, unit="百万円", unit_cols=3)
    s.text("【２．敷地の位置】")
    s.item("【イ．地名地番】", R("D76"), indent=2, label_cols=6)
    s.line(Seg(2, 6, "【ロ．都市計画】"), Seg(7, COLUMNS, R("D3211")))
    s.line(Seg(7, COLUMNS, R("E3211")))
    s.line(Seg(7, COLUMNS, R("F3211")))
    s.line(Seg(1, 7, "【３．工事予定期間】"), Seg(8, 11, "着工予定期日"), Seg(12, 16, R("D3214")),
           Seg(17, 20, "工事完了予定期日", shrink=True), Seg(21, COLUMNS, R("D3215")))
    s.line(Seg(1, 7, "【４．工事種別】"), Seg(8, COLUMNS, R("D3212")))
    s.line(Seg(1, 7, "【５．主要用途】"), Seg(8, COLUMNS, R("D3213")))
    s.text("【６．一の建築物ごとの内容】")
    top = s.line(Seg(2, 6, ""), Seg(7, 12, "（建築物１）", align="center"), Seg(13, 18, "（建築物２）", align="center"),
                 Seg(19, 24, "（建築物３）", align="center"))
    building_row(s, "【イ．番号】", 3220, align="center")
    building_row(s, "【ロ．物件名】", 3221)
    building_row(s, "【ハ．用途】", 3222)
    building_row(s, "", 3223)
    building_row(s, "【ニ．工事部分の構造】", 3224)
    for row in range(3225, 3230):
        building_row(s, "", row)
    building_row(s, "【ホ．工事の予定期間】", 3230)
    building_row(s, "", 3231)
    building_row(s, "【ヘ．階数】　地上", 3232)
    building_row(s, "　　　　　　　地下", 3233)
    building_row(s, "　　敷地面積（㎡）", 3234)
    building_row(s, "　　工事部分の床面積の合計（㎡）", 3235)
    # The long item name wraps over the first use and its area, so that a
    # value sent to the 別紙 is listed under the whole name.
    r = s.line(Seg(2, 6, "【ト．用途ごとの工事部分の床面積】", rows=2, wrap=True),
               *[Seg(7 + 6 * k, 12 + 6 * k, R("%s3236" % c)) for k, c in enumerate("EGI")])
    for k, c in enumerate("EGI"):
        s.cells.append((r + 1, Seg(7 + 6 * k, 12 + 6 * k, R("%s3237" % c))))
    for row in range(3238, 3242):
        building_row(s, "", row)
    building_row(s, "【チ．建築工事費予定額】", 3242)
    building_row(s, "　（万円）", 3243)
    bottom = s.row
    for c1, c2 in ((2, 6), (7, 12), (13, 18), (19, 24)):
        s.box(top, bottom, c1, c2)
    s.box(top, top, 2, 24)
    s.end_page()

    s.when("housing|removal")
    s.title("（第三面）", size=11, h=1.4)
    s.only("housing")
    s.text("【１．住宅部分の概要】")
    s.item("【イ．番号】", R("D3250"), indent=2, label_cols=7)
    s.line(Seg(2, 8, "【ロ．新設又はその他の別】", shrink=True), Seg(9, COLUMNS, R("D3251")))
    s.line(Seg(2, 8, "【ハ．工事部分の構造】", shrink=True), Seg(9, COLUMNS, R("D3252")))
    s.line(Seg(9, COLUMNS, R("D3253")))
    s.line(Seg(2, 8, "【ニ．建築工法】"), Seg(9, COLUMNS, R("D3254")))
    s.line(Seg(2, 8, "【ホ．住宅の種類】"), Seg(9, COLUMNS, R("D3255")))
    s.line(Seg(2, 8, "【ヘ．住宅の建て方】"), Seg(9, COLUMNS, R("D3256")))
    top = s.line(Seg(2, 8, "【ト．利用関係】"), *[Seg(9 + 3 * k, 11 + 3 * k, R("%s3257" % c), align="center")
                                               for k, c in enumerate("DEFG")],
                 Seg(21, COLUMNS, "計", align="center"))
    s.line(Seg(2, 8, "【チ．住宅の戸数】"), *[Seg(9 + 3 * k, 11 + 3 * k, R("%s3258" % c), align="right")
                                           for k, c in enumerate("DEFG")],
           Seg(21, COLUMNS, R("H3258"), align="right"))
    s.line(Seg(2, 8, "【リ．工事部分の床面積の合計】", shrink=True),
           *[Seg(9 + 3 * k, 11 + 3 * k, R("%s3259" % c), align="right") for k, c in enumerate("DEFG")],
           Seg(21, COLUMNS, R("H3259"), align="right"))
    for c1, c2 in ((9, 11), (12, 14), (15, 17), (18, 20), (21, 24)):
        s.box(top, s.row, c1, c2)
    s.line(Seg(2, 8, "【ヌ．新設住宅の資金】", shrink=True), Seg(9, COLUMNS, R("D3260")))
    s.line(Seg(9, COLUMNS, R("D3261")))
    s.blank(0.8)
    s.done()
    s.only("removal")
    s.text("【２．除却予定建築物の概要】")
    removed_building(s, indent=2, numbered=False)
    s.done()
    return s.finish()


def removed_building(s, indent, numbered):
    """The removed building's items: 【２】 of the notice's third face
    (lettered), or 【２】 to 【１０】 of the removal notice (numbered)."""
    if numbered:
        items = [("２．除却予定期日", "D3271", None), ("３．除却場所", "D3272", None),
                 ("４．構造", "D3273", None), ("５．建築物の用途", "D3274", None), ("", "D3275", None),
                 ("６．住宅の戸数", "D3276", "戸"), ("７．建築物の数", "D3278", None),
                 ("８．床面積の合計", "D3279", "㎡"), ("９．除却原因", "D3281", None),
                 ("１０．建築物の評価額", "D3280", "万円")]
    else:
        items = [("イ．除却予定期日", "D3271", None), ("ロ．構造", "D3273", None),
                 ("ハ．用途", "D3274", None), ("", "D3275", None), ("ニ．住宅の戸数", "D3276", "戸"),
                 ("ホ．住宅の利用関係", "D3277", None), ("ヘ．建築物の数", "D3278", None),
                 ("ト．床面積の合計", "D3279", "㎡"), ("チ．建築物の評価額", "D3280", "万円"),
                 ("リ．除却原因", "D3281", None)]
    for label, addr, unit in items:
        s.item("【%s】" % label if label else "", R(addr), indent=indent, label_cols=10 - indent,
               unit=unit, unit_cols=3)
