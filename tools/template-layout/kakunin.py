"""確認申請: 確認申請書（建築物）, 第二号様式, faces one to six.

Faces one to three come first; then each building has its 第四面, one
第五面 per floor slot and one 第六面 per independent-part slot. Every page
that belongs to something a project may not have carries a condition
(Sheet.when); the program hides the rows of the pages whose condition
does not hold, so no row number here is fixed."""

from layout import COLUMNS, F, FIRST, R, Seg, Sheet
import blocks

# Rows of the input sheet that belong to building 1; buildings 2 and 3
# are further down by these offsets.
BUILDING_OFFSET = [0, 778, 1111]
# First row of each floor page of the input sheet.
FLOOR_BASE = [
    [298, 780, 817, 854, 891, 928],
    [1076, 1113, 1150, 1187, 1224, 1261],
    [1409, 1446, 1483, 1520, 1557, 1594],
]
# Independent parts (第六面) printed per building.
PART_SLOTS = 4


def building_face(s, b):
    o = BUILDING_OFFSET[b]

    def r(col, row):
        return R("%s%d" % (col, row + o))

    s.title("（第四面）", size=11, h=1.4)
    s.title("建築物別概要", size=14)
    s.line(Seg(1, 7, "【１．番号】"), Seg(8, 9, str(b + 1), align="center", role="item"))
    s.line(Seg(1, 7, "【２．用途】"), Seg(8, 12, "（区分）", align="center"), Seg(13, 18, "（用途の区分）"),
           Seg(19, 24, "（具体的な用途）"))
    for i in range(5):
        s.line(Seg(8, 12, r("C", 189 + i)), Seg(13, 18, r("F", 189 + i)), Seg(19, 24, r("E", 189 + i)))
    s.item("【３．工事種別】", r("C", 195), label_cols=7)
    s.line(Seg(1, 7, "【４．構造】"), Seg(8, 14, r("C", 204)), Seg(15, 16, "造"), Seg(17, 18, "一部"),
           Seg(19, 23, r("G", 204)), Seg(24, 24, "造"))
    s.item("【５．耐火建築物】", r("D", 206), label_cols=7)
    s.text("【６．階数】")
    s.line(Seg(2, 9, "【イ．地階を除く階数】"), Seg(10, 11, r("G", 215), align="right"),
           Seg(13, 21, "【ロ．地階の階数】"), Seg(22, 23, r("G", 216), align="right"))
    s.line(Seg(2, 9, "【ハ．昇降機塔等の階の数】"), Seg(10, 11, r("G", 217), align="right"),
           Seg(13, 21, "【ニ．地階の倉庫等の階の数】"), Seg(22, 23, r("G", 218), align="right"))
    s.text("【７．高さ】")
    s.line(Seg(2, 7, "【イ．最高の高さ】"), Seg(8, 11, r("E", 220), align="right"), Seg(12, 12, "ｍ"),
           Seg(13, 19, "【ロ．最高の軒の高さ】"), Seg(20, 23, r("E", 221), align="right"), Seg(24, 24, "ｍ"))
    s.item("【８．建築設備の種類】", FIRST("D%d" % (224 + o), "C%d" % (224 + o)), label_cols=8)
    s.text("【９．確認の特例】")
    s.line(Seg(2, 19, "【イ．建築基準法第６条の３第１項の規定による確認の特例の適用の有無】", shrink=True),
           Seg(20, 24, r("J", 228)))
    s.long_item("【ロ．適用があるときは、建築基準法施行令第13条の２各号に掲げる建築物の区分】", r("I", 232), indent=2)
    s.long_item("【ハ．建築基準法施行令第13条の２第１号又は第２号に掲げる建築物に該当するときは、当該認定型式の認定番号】",
                r("I", 234), indent=2)
    s.long_item("【ニ．建築基準法第68条の20第１項に掲げる認証型式部材等に該当するときは、当該認証番号】", r("I", 236),
                indent=2)
    s.text("【１０．床面積】")
    top = s.line(Seg(2, 7, "（階）", align="center"), Seg(8, 13, "（申請部分）", align="center"),
                 Seg(14, 19, "（申請以外の部分）", align="center"), Seg(20, 24, "（合計）", align="center"))
    for i in range(6):
        row = 239 + i
        s.line(Seg(2, 7, r("D", row), align="center"), Seg(8, 12, r("G", row), align="right"), Seg(13, 13, "㎡"),
               Seg(14, 18, r("I", row), align="right"), Seg(19, 19, "㎡"), Seg(20, 23, r("K", row), align="right"),
               Seg(24, 24, "㎡"))
    bottom = s.line(Seg(2, 7, "合計", align="center"), Seg(8, 12, r("G", 245), align="right"), Seg(13, 13, "㎡"),
                    Seg(14, 18, r("I", 245), align="right"), Seg(19, 19, "㎡"),
                    Seg(20, 23, r("K", 245), align="right"), Seg(24, 24, "㎡"))
    for c1, c2 in [(2, 7), (8, 13), (14, 19), (20, 24)]:
        s.box(top, bottom, c1, c2)
    s.box(top, top, 2, 24)
    s.box(bottom, bottom, 2, 24)
    s.item("【１１．屋根】", r("C", 247), label_cols=7)
    s.item("【１２．外壁】", r("C", 249), label_cols=7)
    s.item("【１３．軒裏】", r("C", 251), label_cols=7)
    s.line(Seg(1, 8, "【１４．居室の床の高さ】"), Seg(9, 12, r("D", 253), align="right"), Seg(13, 13, "ｍ"))
    s.item("【１５．便所の種類】", r("C", 255), label_cols=7)
    s.item("【１６．その他必要な事項】", r("C", 262), label_cols=9, rows=2, wrap=True)
    s.item("【１７．備考】", r("C", 264), label_cols=9, rows=2, wrap=True)


def floor_face(s, b, f):
    base = FLOOR_BASE[b][f]
    flag = "$C$%d" % (base + 3)

    def v(col, row):
        return R("%s%d" % (col, row)).blank_if(flag)

    first = s.title("（第五面）", size=11, h=1.4)
    s.title("建築物の階別概要", size=13, h=1.6)
    s.line(Seg(1, 6, "【１．番号】"), Seg(7, 9, v("C", base), align="center"),
           Seg(12, 16, "【２．階】"), Seg(17, 20, v("C", base + 2), align="center"))
    s.line(Seg(1, 9, "【３．柱の小径】"), Seg(10, 14, v("D", base + 4), align="right"))
    s.line(Seg(1, 9, "【４．横架材間の垂直距離】"), Seg(10, 14, v("D", base + 6), align="right"), Seg(15, 15, "ｍ"))
    s.line(Seg(1, 9, "【５．階の高さ】"), Seg(10, 14, v("D", base + 8), align="right"), Seg(15, 15, "ｍ"))
    s.line(Seg(1, 9, "【６．居室の天井の高さ】"), Seg(10, 14, v("D", base + 10), align="right"), Seg(15, 15, "ｍ"))
    s.text("【７．用途別床面積】")
    top = s.line(Seg(2, 10, "（用途の区分）", align="center"), Seg(11, 18, "（具体的な用途の名称）", align="center"),
                 Seg(19, 24, "（床面積）", align="center"))
    for i in range(6):
        row = base + 13 + i
        s.line(Seg(2, 4, v("E", row), align="center"), Seg(5, 10, v("F", row)), Seg(11, 18, v("G", row)),
               Seg(19, 23, v("K", row), align="right"), Seg(24, 24, "㎡"))
    bottom = s.row
    for c1, c2 in [(2, 10), (11, 18), (19, 24)]:
        s.box(top, bottom, c1, c2)
    s.box(top, top, 2, 24)
    s.item("【８．その他必要な事項】", v("C", base + 21), label_cols=9)
    s.item("【９．備考】", v("C", base + 23), label_cols=9)
    return first


APPLICATION = ("　建築基準法第６条第１項又は第６条の２第１項の規定による確認を申請します。"
               "この申請書及び添付図書に記載の事項は、事実に相違ありません。")
OFFICE_BOXES = ["※受付欄", "※消防関係同意欄", "※決裁欄", "※確認番号欄"]


def people_heading(s, continued):
    """The head of every page of 建築主等の概要 (第二面)."""
    s.title("（第二面）", size=11, h=1.4)
    s.title("建築主等の概要（続き）" if continued else "建築主等の概要", size=12 if continued else 14, h=1.6)


def build():
    s = Sheet("確認申請")
    # 第一面
    blocks.first_face(
        s, "第二号様式（第一条の三、第三条、第三条の三関係）（Ａ４）", "確認申請書（建築物）", APPLICATION,
        [("申請者氏名", R("D44")), ("設計者氏名", R("D9"))], OFFICE_BOXES)
    s.end_page()
    # 第二面
    blocks.people_pages(s, people_heading)
    # 第三面
    s.title("（第三面）", size=11, h=1.4)
    s.title("建築物及びその敷地に関する事項", size=14, h=1.6)
    blocks.site_matters(s)
    s.end_page()
    building_pages(s)
    return s.finish()


def part_face(s, b, p):
    s.title("（第六面）", size=11, h=1.4)
    s.title("建築物独立部分別概要", size=13, h=1.6)
    s.line(Seg(1, 6, "【１．番号】"), Seg(7, 9, str(b + 1), align="center", role="item"))


def building_pages(s):
    """第四面, 第五面 and 第六面 of every building, appended to sheet s; the
    application and the plan change print the same pages."""
    for b in range(3):
        s.when("building:%d" % (b + 1))
        building_face(s, b)
        s.end_page()
        for f in range(6):
            s.when("floor:%d:%d" % (b + 1, f + 1))
            floor_face(s, b, f)
            s.end_page()
        for p in range(PART_SLOTS):
            s.when("part:%d:%d" % (b + 1, p + 1))
            part_face(s, b, p)
            s.end_page()
