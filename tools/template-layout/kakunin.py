"""確認申請: 確認申請書（建築物）, 第二号様式, faces one to six.

Faces one to three come first; then each building has its 第四面, one
第五面 per floor slot and one 第六面 per independent-part slot. Every page
that belongs to something a project may not have carries a condition
(Sheet.when); the program hides the rows of the pages whose condition
does not hold, so no row number here is fixed."""

from layout import COLUMNS, F, FIRST, R, Seg, Sheet
import blocks
import input_buildings as ib

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
PART_SLOTS = ib.PART_SLOTS


def _mark(row, c=2):
    """The box of one choice: the program writes □ or ■ into it."""
    return Seg(c, c, R("C%d" % row), align="center", underline=False)


def _choices(s, rows, texts, c=2):
    """One choice per line, its box then the form's wording."""
    for row, text in zip(rows, texts):
        s.line(_mark(row, c), Seg(c + 1, COLUMNS, text))


def _unit(addr, unit):
    """A unit that prints only beside a value."""
    return F('IF({%s}<>"","%s","")' % (addr, unit))


def _area_cells(c1, c2, addr, underline=None):
    """An area with its ㎡, which prints only when there is an area."""
    return [Seg(c1, c2 - 1, R(addr), align="right", underline=underline),
            Seg(c2, c2, _unit(addr, "㎡"), role="item", underline=False)]


def _ruled(s, top, bottom):
    """Rules between the lines of a table: its cells carry no underline."""
    for row in range(top, bottom + 1):
        s.box(row, row, 2, COLUMNS, style="hair")


def building_face(s, b):
    o = BUILDING_OFFSET[b]

    def r(col, row):
        return R("%s%d" % (col, row + o))

    def n(offset):
        return ib.building_row(b, offset)

    s.title("（第四面）", size=11, h=1.4)
    s.title("建築物別概要", size=13, h=1.6)
    s.line(Seg(1, 6, "【１．番号】"), Seg(8, 10, R("C%d" % n(ib.B_NUMBER)), align="center"))
    s.text("【２．用途】")
    for i in range(5):
        row = n(ib.B_USES + i)
        s.line(Seg(2, 8, R("C%d" % row)), Seg(9, 14, R("D%d" % row)), Seg(15, 24, R("E%d" % row)))
    s.line(Seg(1, 6, "【３．工事種別】"), Seg(8, 24, r("C", 195)))
    s.line(Seg(1, 6, "【４．構造】"), Seg(8, 24, R("C%d" % n(ib.B_STRUCTURE))))
    s.text("【５．主要構造部】")
    _choices(s, [n(ib.B_MAIN_STRUCTURE + i) for i in range(7)], [
        "耐火構造（防火上及び避難上支障がない主要構造部を有しない場合）",  # unverified: order of the two 耐火構造 lines
        "耐火構造（防火上及び避難上支障がない主要構造部を有する場合）",
        "建築基準法施行令第108条の４第１項第１号イ及びロに掲げる基準に適合する構造",  # unverified: wording
        "準耐火構造",  # unverified
        "準耐火構造と同等の準耐火性能を有する構造（ロ－１）",  # unverified
        "準耐火構造と同等の準耐火性能を有する構造（ロ－２）",  # unverified
        "その他",  # unverified
    ])
    s.text("【６．建築基準法第21条及び第27条の規定の適用】")
    _choices(s, [n(ib.B_ART21 + i) for i in range(5)], [
        "建築基準法施行令第109条の５第１号に掲げる基準に適合する構造",  # unverified
        # Added in 2024 (kakunin-school.com/?p=1908, whose 「第1号二掲げる」 can only
        # be 「第１号に掲げる」: 令109条の7第1項第1号 has no items); unverified:
        # whether the face writes 建築基準法施行令 in full.
        "建築基準法施行令第109条の７第１項第１号に掲げる基準に適合する構造",
        "建築基準法第21条第１項ただし書に該当する建築物",  # unverified
        "建築基準法施行令第110条第１号に掲げる基準に適合する構造",  # unverified
        "その他",  # unverified
    ])
    s.text("【７．建築基準法第61条の規定の適用】")  # unverified: 「第61条」 or 「第61条第１項」
    a61 = [n(ib.B_ART61 + i) for i in range(5)]
    # unverified: the five options of 7
    s.line(_mark(a61[0]), Seg(3, 7, "耐火建築物"), _mark(a61[1], 9), Seg(10, 15, "延焼防止建築物"),
           _mark(a61[2], 17), Seg(18, 24, "準耐火建築物"))
    s.line(_mark(a61[3]), Seg(3, 10, "準延焼防止建築物"), _mark(a61[4], 12), Seg(13, 16, "その他"))
    s.text("【８．階数】")
    s.line(Seg(2, 9, "【イ．地階を除く階数】"), Seg(11, 12, r("G", 215), align="right"),
           Seg(14, 21, "【ロ．地階の階数】"), Seg(23, 24, r("G", 216), align="right"))
    s.line(Seg(2, 9, "【ハ．昇降機塔等の階の数】"), Seg(11, 12, r("G", 217), align="right"),
           Seg(14, 21, "【ニ．地階の倉庫等の階の数】"), Seg(23, 24, r("G", 218), align="right"))
    s.text("【９．高さ】")
    s.line(Seg(2, 7, "【イ．最高の高さ】"), Seg(9, 11, r("E", 220), align="right"), Seg(12, 12, "ｍ"),
           Seg(14, 20, "【ロ．最高の軒の高さ】"), Seg(21, 23, r("E", 221), align="right"), Seg(24, 24, "ｍ"))
    s.line(Seg(1, 8, "【１０．建築設備の種類】"), Seg(10, 24, FIRST("D%d" % (224 + o), "C%d" % (224 + o))))
    s.text("【１１．確認の特例】")  # unverified: the wording of イ to ニ since 2025-04-01
    s.line(Seg(2, 19, "【イ．建築基準法第６条の４第１項の規定による確認の特例の適用の有無】"),
           Seg(20, 24, r("J", 228)))
    for label, value in [
            ("【ロ．建築基準法第６条の４第１項の規定による確認の特例の適用があるときは、"
             "建築基準法施行令第10条各号に掲げる建築物の区分】", r("I", 232)),
            ("【ハ．建築基準法施行令第10条第１号又は第２号に掲げる建築物に該当するときは、当該認定型式の認定番号】",
             r("I", 234)),
            ("【ニ．建築基準法第68条の20第１項に掲げる認証型式部材等に該当するときは、当該認証番号】", r("I", 236))]:
        # The longest captions of the face shrink to their line rather than run off the page.
        s.line(Seg(2, COLUMNS, label, shrink=True))
        s.line(Seg(4, COLUMNS, value))
    s.text("【１２．床面積】")  # unverified: the heads of the area table
    top = s.line(Seg(2, 7, "（階）", align="center"), Seg(8, 13, "（申請部分）", align="center"),
                 Seg(14, 19, "（申請以外の部分）", align="center"), Seg(20, 24, "（合計）", align="center"))
    for i in range(6):
        row = n(ib.B_AREAS + i)
        s.line(Seg(2, 7, R("C%d" % row), align="center", underline=False),
               *_area_cells(8, 13, "D%d" % row, False), *_area_cells(14, 19, "E%d" % row, False),
               *_area_cells(20, 24, "F%d" % row, False))
    row = n(ib.B_AREA_TOTAL)
    bottom = s.line(Seg(2, 7, "合計", align="center"), *_area_cells(8, 13, "D%d" % row, False),
                    *_area_cells(14, 19, "E%d" % row, False), *_area_cells(20, 24, "F%d" % row, False))
    _ruled(s, top, bottom)
    for c1, c2 in [(2, 7), (8, 13), (14, 19), (20, 24)]:
        s.box(top, bottom, c1, c2)
    s.box(top, top, 2, 24)
    s.box(bottom, bottom, 2, 24)
    s.line(Seg(1, 6, "【１３．屋根】"), Seg(8, 24, r("C", 247)))
    s.line(Seg(1, 6, "【１４．外壁】"), Seg(8, 24, r("C", 249)))
    s.line(Seg(1, 6, "【１５．軒裏】"), Seg(8, 24, r("C", 251)))
    s.line(Seg(1, 8, "【１６．居室の床の高さ】"), Seg(10, 12, r("D", 253), align="right"),
           Seg(13, 13, _unit("D%d" % (253 + o), "ｍ"), role="item", underline=False))
    # unverified: the options of 17
    s.line(Seg(1, 7, "【１７．便所の種類】"), Seg(8, 24, r("C", 255)))
    s.text("【１８．その他必要な事項】")  # unverified: name of 18
    s.line(Seg(2, 24, r("C", 262), rows=3, wrap=True, valign="top"))
    s.text("【１９．備考】")
    s.line(Seg(2, 24, r("C", 264), rows=3, wrap=True, valign="top"))


def floor_face(s, b, f):
    base = FLOOR_BASE[b][f]
    flag = "$C$%d" % (base + 3)

    def v(col, row):
        return R("%s%d" % (col, row)).blank_if(flag)

    def n(offset):
        return ib.floor_row(b, f, offset)

    first = s.title("（第五面）", size=11, h=1.4)
    s.title("建築物の階別概要", size=13, h=1.6)
    s.line(Seg(1, 6, "【１．番号】"), Seg(8, 10, R("C%d" % ib.building_row(b, ib.B_NUMBER)), align="center"),
           Seg(13, 17, "【２．階】"), Seg(19, 22, v("C", base + 2), align="center"))
    s.line(Seg(1, 9, "【３．柱の小径】"), Seg(11, 15, v("D", base + 4), align="right"))
    s.line(Seg(1, 9, "【４．横架材間の垂直距離】"), Seg(11, 15, v("D", base + 6), align="right"),
           Seg(16, 16, _unit("D%d" % (base + 6), "ｍ"), role="item", underline=False))
    s.line(Seg(1, 9, "【５．階の高さ】"), Seg(11, 15, v("D", base + 8), align="right"),  # unverified: name of 5
           Seg(16, 16, _unit("D%d" % (base + 8), "ｍ"), role="item", underline=False))
    s.text("【６．天井】")  # unverified: 6 split into イ and ロ
    s.line(Seg(2, 10, "【イ．居室の天井の高さ】"), Seg(11, 15, v("D", base + 10), align="right"),
           Seg(16, 16, _unit("D%d" % (base + 10), "ｍ"), role="item", underline=False))
    ceiling = n(ib.F_CEILING)
    s.line(Seg(2, 18, "【ロ．建築基準法施行令第39条第３項に規定する特定天井】"),
           Seg(19, 19, R("C%d" % ceiling), align="center", underline=False), Seg(20, 20, "有"),
           Seg(22, 22, R("D%d" % ceiling), align="center", underline=False), Seg(23, 23, "無"))
    s.text("【７．用途別床面積】")
    top = s.line(Seg(2, 11, "（用途の区分）", align="center"), Seg(12, 19, "（具体的な用途の名称）", align="center"),
                 Seg(20, 24, "（床面積）", align="center"))
    for i in range(6):
        row = base + 13 + i
        area = "C%d" % n(ib.F_AREAS + i)
        # unverified: the line heads イ to ヘ
        s.line(Seg(2, 3, "【%s．】" % "イロハニホヘ"[i]), Seg(4, 5, v("E", row), align="center", underline=False),
               Seg(6, 11, v("F", row), underline=False), Seg(12, 19, v("G", row), underline=False),
               *_area_cells(20, 24, area, False))
    bottom = s.row
    _ruled(s, top, bottom)
    for c1, c2 in [(2, 11), (12, 19), (20, 24)]:
        s.box(top, bottom, c1, c2)
    s.box(top, top, 2, 24)
    s.text("【８．その他必要な事項】")
    s.line(Seg(2, 24, v("C", base + 21), rows=4, wrap=True, valign="top"))
    s.text("【９．備考】")
    s.line(Seg(2, 24, v("C", base + 23), rows=4, wrap=True, valign="top"))
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
    def c(offset, col="C"):
        return "%s%d" % (col, ib.part_row(b, p, offset))

    s.title("（第六面）", size=11, h=1.4)
    s.title("建築物独立部分別概要", size=13, h=1.6)
    s.line(Seg(1, 6, "【１．番号】"), Seg(8, 11, R(c(ib.P_NUMBER)), align="center"))
    s.line(Seg(1, 6, "【２．延べ面積】"), *_area_cells(8, 14, c(ib.P_AREA)))  # unverified: name of 2
    s.text("【３．建築物の高さ等】")  # unverified: name of 3 and its イ to ニ
    s.line(Seg(2, 7, "【イ．最高の高さ】"), Seg(9, 11, R(c(ib.P_HEIGHT)), align="right"),
           Seg(12, 12, _unit(c(ib.P_HEIGHT), "ｍ"), role="item", underline=False),
           Seg(14, 20, "【ロ．最高の軒の高さ】"), Seg(21, 23, R(c(ib.P_EAVES)), align="right"),
           Seg(24, 24, _unit(c(ib.P_EAVES), "ｍ"), role="item", underline=False))
    s.line(Seg(2, 7, "【ハ．階数】"), Seg(8, 9, "地上"), Seg(10, 11, R(c(ib.P_STOREYS)), align="center"),
           Seg(13, 14, "地下"), Seg(15, 16, R(c(ib.P_STOREYS, "D")), align="center"))
    s.line(Seg(2, 7, "【ニ．構造】"), Seg(9, 24, R(c(ib.P_STRUCTURE))))
    s.text("【４．特定構造計算基準又は特定増改築構造計算基準の別】")
    s.line(_mark(ib.part_row(b, p, ib.P_BASIS)), Seg(3, 11, "特定構造計算基準"),
           _mark(ib.part_row(b, p, ib.P_BASIS + 1), 13), Seg(14, 24, "特定増改築構造計算基準"))
    s.text("【５．構造計算の区分】")
    _choices(s, [ib.part_row(b, p, ib.P_CALC + i) for i in range(5)], [
        "建築基準法施行令第81条第１項各号に掲げる基準に従った構造計算",
        "建築基準法施行令第81条第２項第１号イに掲げる構造計算",
        "建築基準法施行令第81条第２項第１号ロに掲げる構造計算",
        "建築基準法施行令第81条第２項第２号イに掲げる構造計算",
        "建築基準法施行令第81条第３項に掲げる構造計算",
    ])
    s.text("【６．構造計算に用いたプログラム】")  # unverified: イ and ロ of 6
    s.line(Seg(2, 7, "【イ．名称】"), Seg(9, 24, R(c(ib.P_PROGRAM))))
    kind = ib.part_row(b, p, ib.P_PROGRAM_KIND)
    s.line(Seg(2, 7, "【ロ．区分】"), _mark(kind, 8),
           Seg(9, 24, "建築基準法第20条第１項第２号イ及び第３号イの認定を受けたプログラム"))
    s.line(Seg(9, 14, "（大臣認定番号"), Seg(16, 22, R("E%d" % kind)), Seg(23, 23, "）"))
    s.line(Seg(8, 8, R("D%d" % kind), align="center", underline=False), Seg(9, 24, "その他のプログラム"))
    s.text("【７．建築基準法施行令第137条の２各号に定める基準の区分】")  # unverified: name of 7
    s.line(Seg(2, 24, R(c(ib.P_REI137))))
    s.text("【８．備考】")  # unverified: name of 8
    s.line(Seg(2, 24, R(c(ib.P_REMARKS)), rows=4, wrap=True, valign="top"))


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
