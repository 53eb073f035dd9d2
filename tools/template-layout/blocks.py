"""Parts that several forms share: the people of an application (建築主,
代理者, 設計者 …), the site matters, the first face of an application and
the office-use boxes."""

from layout import COLUMNS, F, J, R, FIRST, Seg, office_boxes

BLANK = "　　"


def P(addr, pad=BLANK):
    """An input cell inside brackets of a printed phrase: blank space when
    empty, so that an empty form still reads （　　）建築士."""
    return F('IF({%s}="","%s",{%s})' % (addr, pad, addr))


def qualification(kyu, tiji, gou):
    """（一級）建築士　（大臣）登録第　123456　号"""
    return J("（", P(kyu), "）建築士　（", P(tiji, "　　　　"), "）登録第　", P(gou, "　　　　"), "　号")


def office(kyu, tiji, gou):
    """（一級）建築士事務所　（東京都）知事登録第　12345　号"""
    return J("（", P(kyu), "）建築士事務所　（", P(tiji, "　　　　"), "）知事登録第　", P(gou, "　　　　"), "　号")


def head(s, text):
    return s.line(Seg(1, COLUMNS, text, bold=True))


def owner(s, n, title="建築主"):
    head(s, "【%s．%s】" % (n, title))
    s.item("【イ．氏名のフリガナ】", R("D43"), indent=2, label_cols=8)
    s.item("【ロ．氏名】", R("D44"), indent=2, label_cols=8)
    s.pairs(("【ハ．郵便番号】", R("D45")), ("【ホ．電話番号】", R("D47")), indent=2)
    s.item("【ニ．住所】", R("D46"), indent=2, label_cols=8)


def architect(s, q, name, firm, firm_name, post, tel, addr):
    """イ〜ホ of the agent, the designer and the supervisor: q and firm are
    the input cells of the architect's and the office's registration; the
    office's postal code and telephone share a line above its address."""
    s.item("【イ．資格】", qualification(*q), indent=2, label_cols=8)
    s.item("【ロ．氏名】", R(name), indent=2, label_cols=8)
    s.item("【ハ．建築士事務所名】", office(*firm), indent=2, label_cols=8)
    s.line(Seg(10, COLUMNS, R(firm_name)))
    s.pairs(("【ニ．郵便番号】", R(post)), ("【ヘ．電話番号】", R(tel)), indent=2)
    s.item("【ホ．所在地】", R(addr), indent=2, label_cols=8)


def agent(s, n):
    head(s, "【%s．代理者】" % n)
    architect(s, ("F25", "G25", "H25"), "D24", ("F27", "G27", "H27"), "D26", "D28", "D30", "D29")


def designer(s, n, with_drawings=True, others=True):
    head(s, "【%s．設計者】" % n)
    s.text("（代表となる設計者）", c1=2)
    architect(s, ("F10", "G10", "H10"), "D9", ("F3", "G3", "H3"), "D2", "D11", "D6", "D12")
    if with_drawings:
        s.item("【ト．作成又は確認した設計図書】", "", indent=2, label_cols=12)
    if others:
        # Further designers are written in by hand on the printed page.
        s.text("（その他の設計者）", c1=2)
        s.line(Seg(2, 9, "【イ．資格】"), Seg(10, COLUMNS, "（　　　）建築士　（　　　　　）登録第　　　　　号"))
        s.line(Seg(2, 9, "【ロ．氏名】"), Seg(14, 17, "【ヘ．電話番号】"))
        s.line(Seg(2, 9, "【ハ．建築士事務所名】"),
               Seg(10, COLUMNS, "（　　　）建築士事務所　（　　　　　）知事登録第　　　　　号"))
        s.line(Seg(2, 9, "【ニ．郵便番号】"), Seg(14, 17, "【ホ．所在地】"))


def consulted(s, n):
    head(s, "【%s．建築設備の設計に関し意見を聴いた者】" % n)
    s.pairs(("【イ．氏名】", R("D67")), ("【ロ．勤務先】", R("D68")), indent=2)
    s.pairs(("【ハ．郵便番号】", R("D69")), ("【ホ．電話番号】", R("D71")), indent=2)
    s.item("【ニ．所在地】", R("D70"), indent=2, label_cols=8)
    s.item("【ヘ．意見を聴いた日】", R("D72"), indent=2, label_cols=8)
    s.item("【ト．意見の概要】", R("I72"), indent=2, label_cols=8, rows=2, wrap=True)


def supervisor(s, n, with_drawings=True):
    head(s, "【%s．工事監理者】" % n)
    s.text("（代表となる工事監理者）", c1=2)
    architect(s, ("F15", "G15", "H15"), "D14", ("F19", "G19", "H19"), "D18", "D20", "D22", "D21")
    if with_drawings:
        s.item("【ト．工事と照合する設計図書】", "", indent=2, label_cols=12)


def contractor(s, n):
    head(s, "【%s．工事施工者】" % n)
    s.item("【イ．氏名】", R("D58"), indent=2, label_cols=8)
    s.item("【ロ．営業所名】", J("建設業の許可（", P("F60"), "）第　", P("G60", ""), P("H60", "　　　　"), "　号"),
           indent=2, label_cols=8)
    s.line(Seg(10, COLUMNS, R("D59")))
    s.pairs(("【ハ．郵便番号】", R("D61")), ("【ホ．電話番号】", R("D63")), indent=2)
    s.item("【ニ．所在地】", R("D62"), indent=2, label_cols=8)


def remarks(s, n, addr="C73", rows=2):
    head(s, "【%s．備考】" % n)
    s.line(Seg(2, COLUMNS, R(addr), rows=rows, wrap=True, valign="top"))


def people_of_application(s):
    """建築主等の概要 of the confirmation application (第二面)."""
    owner(s, "１")
    agent(s, "２")
    designer(s, "３")
    consulted(s, "４")
    supervisor(s, "５")
    contractor(s, "６")
    s.pairs(("【７．構造計算適合性判定の申請】", "□申請済　　□未申請　　□申請不要", None, 12), indent=1)
    s.pairs(("【８．建築物エネルギー消費性能確保計画の提出】", "□提出済　□未提出　□提出不要", None, 15), indent=1)
    remarks(s, "９")


ADDRESSEE = "建築主事等又は指定確認検査機関　　　　　様"


def first_face(s, form_no, title, statement, signers, office_cols, extra=None, addressee=ADDRESSEE):
    """The first face of an application: form number, title, statement,
    date, addressee, signers and the boxes of the receiving office."""
    s.text(form_no, size=9)
    s.blank(0.8)
    s.title(title, size=16, h=2.4)
    s.title("（第一面）", size=11, h=1.4)
    s.blank(0.8)
    s.text(statement, c1=2, c2=COLUMNS - 1, wrap=True, rows=3, h=1.1)
    s.blank(0.8)
    s.text("令和　　年　　月　　日", c1=15, c2=COLUMNS - 1, align="right", h=1.3)  # unverified: 令和 (older editions 平成)
    s.blank(0.6)
    # unverified: 建築主事等 since 建築副主事 came in (older editions 建築主事)
    s.text(addressee, c1=2, c2=COLUMNS, h=1.3)
    s.blank(1.0)
    for label, value in signers:
        s.line(Seg(9, 13, label), Seg(14, COLUMNS - 1, value), h=1.6)
        s.blank(0.4)
    if extra:
        extra(s)
    s.blank(0.8)
    r = s.line(Seg(1, 5, "※手数料欄", align="center"), Seg(6, COLUMNS, ""), h=2.2)
    s.box(r, r, 1, 5)
    s.box(r, r, 6, COLUMNS)
    s.blank(0.6)
    office_boxes(s, office_cols)


def site_matters(s, face="（第三面）"):
    """建築物及びその敷地に関する事項 (items 1 to 19) on two pages: items 1
    to 10, then 11 to 19 under the same face's heading.  The caller titles
    the first page and closes the second."""
    for label, addr in [("【１．地名地番】", "D76"), ("【２．住居表示】", "D77")]:
        s.line(Seg(1, 7, label, rows=2), Seg(8, COLUMNS, R(addr), rows=2, wrap=True))
    s.text("【３．都市計画区域及び準都市計画区域の内外の別等】")
    s.line(Seg(3, COLUMNS, R("C1900")))
    s.line(Seg(3, COLUMNS, R("C1901")))
    s.item("【４．防火地域】", R("C88"), label_cols=7)
    s.text("【５．その他の区域、地域、地区又は街区】")
    s.line(Seg(3, COLUMNS, R("E93"), rows=2, wrap=True, valign="top"))
    s.text("【６．道路】")
    # The road the site touches by 2 m or more with the greatest width:
    # the front road of the entry.
    s.line(Seg(2, 13, "【イ．幅員】"), Seg(15, 20, R("G95"), align="right"), Seg(21, 21, "ｍ"))
    s.line(Seg(2, 13, "【ロ．敷地と接している部分の長さ】"), Seg(15, 20, R("K95"), align="right"), Seg(21, 21, "ｍ"))

    s.text("【７．敷地面積】")
    # Four parts of differing zoning side by side; the fourth comes from
    # its own row of the input sheet.
    zones = [9, 13, 17, 21]

    def zone_cells(row, col4):
        return [R("%s%d" % (c, row)) for c in "EGI"] + [R(col4)]

    def zone_line(label, cells, unit=None, rows=1, size=None):
        if len(label) > 15:
            s.text(label, c1=2)
            label = ""
        segs = [Seg(2, 8, label)]
        for c, cell in zip(zones, cells):
            if unit:
                segs.append(Seg(c, c + 2, cell, align="right", rows=rows))
                segs.append(Seg(c + 3, c + 3, unit, rows=rows))
            else:
                segs.append(Seg(c, c + 3, cell, align="center", wrap=True, rows=rows, size=size))
        return s.line(*segs)

    zone_line("【イ．敷地面積】（１）", zone_cells(98, "C1903"), "㎡")
    zone_line("　　　　　　　　（２）", zone_cells(99, "D1903"), "㎡")
    # Zoning names are long (第一種低層住居専用地域): two lines, not a smaller face.
    zone_line("【ロ．用途地域等】", zone_cells(100, "E1903"), rows=2, size=8)
    zone_line("【ハ．建築基準法第52条第１項及び第２項の規定による建築物の容積率】", zone_cells(102, "F1903"), "％")
    zone_line("【ニ．建築基準法第53条第１項の規定による建築物の建蔽率】", zone_cells(104, "G1903"), "％")
    s.line(Seg(2, 10, "【ホ．敷地面積の合計】"), Seg(11, 12, "（１）"), Seg(13, 16, R("E105"), align="right"),
           Seg(17, 17, "㎡"), Seg(18, 19, "（２）"), Seg(20, 23, R("E106"), align="right"), Seg(24, 24, "㎡"))
    s.line(Seg(2, 19, "【ヘ．敷地に建築可能な延べ面積を敷地面積で除した数値】"), Seg(20, 22, R("I107"), align="right"),
           Seg(23, 23, "％"))
    s.line(Seg(2, 19, "【ト．敷地に建築可能な建築面積を敷地面積で除した数値】"), Seg(20, 22, R("I108"), align="right"),
           Seg(23, 23, "％"))
    s.line(Seg(2, 6, "【チ．備考】"), Seg(7, COLUMNS, R("C1904"), rows=2, wrap=True, valign="top"))

    s.line(Seg(1, 6, "【８．主要用途】"), Seg(7, 12, R("C110")), Seg(13, COLUMNS, FIRST("D111", "D110")))
    s.line(Seg(1, 6, "【９．工事種別】"), Seg(7, COLUMNS, R("C113")))

    def columns_head(label):
        s.line(Seg(1, 9, label), Seg(10, 14, "（申請部分）", align="center"),
               Seg(15, 19, "（申請以外の部分）", align="center"), Seg(20, 24, "（合計）", align="center"))

    def area_line(label, row, unit="㎡"):
        # Long row names wrap over as many lines as they need, in a smaller face.
        rows = 1 if len(label) <= 18 else (2 if len(label) <= 40 else 3)
        size = None if rows == 1 else 8
        segs = [Seg(2, 9, label, wrap=rows > 1, rows=rows, size=size)]
        for k, col in enumerate("GIK"):
            c = 10 + 5 * k
            segs.append(Seg(c, c + 3, R("%s%d" % (col, row)), align="right", rows=rows))
            segs.append(Seg(c + 4, c + 4, unit, rows=rows))
        return s.line(*segs)

    def single(label, addr, unit):
        s.line(Seg(2, 9, label), Seg(10, 13, R(addr), align="right"), Seg(14, 14, unit))

    columns_head("【10．建築面積】")  # unverified: half-width digits from 10 on
    area_line("【イ．建築面積】", 124)
    area_line("【ロ．建蔽率の算定の基礎となる建築面積】", 1906)
    # ロ above came in 2023 before what was ロ．建蔽率 (新潟市's notice of the
    # 2023 forms; the older face in 川西市's example), so 建蔽率 is now ハ.
    single("【ハ．建蔽率】", "G125", "％")

    s.end_page()
    s.title(face, size=11, h=1.4)
    s.title("建築物及びその敷地に関する事項（続き）", size=14, h=1.6)
    columns_head("【11．延べ面積】")
    for label, row in [
        ("【イ．建築物全体】", 128),
        ("【ロ．地階の住宅又は老人ホーム、福祉ホームその他これらに類するものの部分】", 129),
        ("【ハ．エレベーターの昇降路の部分】", 1908),
        # unverified: wording widened to homes for the elderly with 法52条6項2号
        ("【ニ．共同住宅又は老人ホーム、福祉ホームその他これらに類するものの共用の廊下等の部分】", 130),
        ("【ホ．認定機械室等の部分】", 1909),
        ("【ヘ．自動車車庫等の部分】", 131),
        # The order ト to ル is 令2条1項4号ロ to ヘ, as kakunin-shinsei.com lists
        # it for the face before 2023; unverified: the exact wording of ト to ル.
        ("【ト．備蓄倉庫の部分】", 1910),
        ("【チ．蓄電池の設置部分】", 1911),
        ("【リ．自家発電設備の設置部分】", 1912),
        ("【ヌ．貯水槽の設置部分】", 1913),
        ("【ル．宅配ボックスの設置部分】", 1914),
        ("【ヲ．その他の不算入部分】", 1915),
        # Wording of ワ and カ as the older faces have them (kakunin-shinsei.com;
        # a Shizuoka workshop's example, at ヌ and ル before ヌ．宅配ボックス came
        # in 2018); the ホ and ヲ inserted in 2023 (新潟市's notice) put them at
        # ワ and カ.
        ("【ワ．住宅の部分】", 132),
        ("【カ．老人ホーム、福祉ホームその他これらに類するものの部分】", 1916),
    ]:
        area_line(label, row)
    single("【ヨ．延べ面積】", "G133", "㎡")  # unverified
    single("【タ．容積率】", "G134", "％")  # unverified

    # The names and order of 12 to 15 as kakunin-shinsei.com heads them;
    # unverified: their sub-items, and 16 and 17.
    s.text("【12．建築物の数】")
    s.line(Seg(2, 13, "【イ．申請に係る建築物の数】"), Seg(15, 17, R("G136"), align="right"))
    s.line(Seg(2, 13, "【ロ．同一敷地内の他の建築物の数】"), Seg(15, 17, R("G137"), align="right"))

    s.line(Seg(1, 9, "【13．建築物の高さ等】"), Seg(10, 16, "（申請に係る建築物）", align="center"),
           Seg(17, 24, "（他の建築物）", align="center"))

    def pair(label, left, right, unit=None):
        if unit:
            s.line(Seg(2, 9, label), Seg(10, 14, left, align="right"), Seg(15, 15, unit),
                   Seg(17, 22, right, align="right"), Seg(23, 23, unit))
        else:
            s.line(Seg(2, 9, label), Seg(10, 16, left, align="center"), Seg(17, 24, right, align="center"))

    def storeys(above, below):
        return J("地上（", P(above), "）　地下（", P(below), "）")

    def structure(addr):
        # The structure list already says 造 (木造, 鉄骨造); only a bare
        # name gets it.
        return F('IF(OR({%s}="",RIGHT({%s},1)="造"),{%s}&"",{%s}&"造")' % (addr, addr, addr, addr))

    pair("【イ．最高の高さ】", R("E151"), R("I151"), "ｍ")
    # The register keeps no eaves height for the other buildings on the
    # site: that box is left for the office to write in.
    pair("【ロ．最高の軒の高さ】", R("E1918"), "", "ｍ")
    pair("【ハ．階数】", storeys("E152", "E153"), storeys("I152", "I153"))
    pair("【ニ．構造】", structure("E154"), structure("I154"))
    s.line(Seg(2, 19, "【ホ．建築基準法第56条第７項の規定による特例の適用の有無】"), Seg(20, 24, R("I155")))
    s.text("【ヘ．適用があるときは、特例の区分】", c1=2)
    s.line(Seg(3, COLUMNS, R("D160")))
    s.line(Seg(1, 9, "【14．許可・認定等】"), Seg(10, COLUMNS, R("D165"), rows=2, wrap=True, valign="top"))
    s.line(Seg(1, 9, "【15．工事着手予定年月日】"), Seg(10, 17, R("D167")))
    s.line(Seg(1, 9, "【16．工事完了予定年月日】"), Seg(10, 17, R("D169")))
    s.line(Seg(1, 13, "【17．特定工程工事終了予定年月日】"), Seg(15, 19, "（特定工程）", align="center"))
    for k in range(3):
        row = 172 + k
        # A stage that has neither a date nor a name prints empty.
        entered = '{D%d}&{G%d}<>""' % (row, row)
        s.line(Seg(2, 6, F('IF(%s,{C%d},"")' % (entered, row)), align="center"), Seg(8, 13, R("D%d" % row)),
               Seg(15, COLUMNS, R("G%d" % row)))
    s.line(Seg(1, 9, "【18．その他必要な事項】"), Seg(10, COLUMNS, R("C177"), rows=2, wrap=True, valign="top"))
    s.line(Seg(1, 9, "【19．備考】"), Seg(10, COLUMNS, R("C179"), rows=2, wrap=True, valign="top"))


def signature_block(s, caption, rows):
    """A caption and (label, value) lines, indented."""
    if caption:
        s.text(caption, c1=2)
    for label, value in rows:
        s.line(Seg(4, 10, label), Seg(11, COLUMNS - 1, value), h=1.2)


# The record book's architects by role (two rows a line) and the
# companies on the works, as the ledger and the supervision report print them.
ROLES = ["総括", "意匠", "構造", "電気", "給排水", "空調"]
WORKS_KINDS = ["建築", "電気", "給排", "空調", "その他", "その他", "その他"]


def architects_by_role(s, first):
    for k in range(3):
        a, b = ROLES[2 * k], ROLES[2 * k + 1]
        s.line(Seg(2, 4, "（%s）" % a), Seg(5, 12, R("F%d" % (first + 2 * k))), Seg(14, 16, "（%s）" % b),
               Seg(17, COLUMNS, R("F%d" % (first + 2 * k + 1))))


def works_companies(s):
    heads = [(2, 4, "区分"), (5, 10, "会社名"), (11, 17, "所在地"), (18, 20, "電話番号"), (21, 24, "担当者")]
    top = s.line(*[Seg(c1, c2, t, align="center") for c1, c2, t in heads])
    for k, kind in enumerate(WORKS_KINDS):
        row = 604 + k
        s.line(Seg(2, 4, kind, align="center"), Seg(5, 10, R("C%d" % row)), Seg(11, 17, R("E%d" % row)),
               Seg(18, 20, R("I%d" % row)), Seg(21, 24, R("K%d" % row)))
    for c1, c2, _ in heads:
        s.box(top, s.row, c1, c2)
    s.box(top, top, 2, 24)


def kanji_number(n):
    """Full-width digits of an item number: 12 → "１２"."""
    return str(n).translate(str.maketrans("0123456789", "０１２３４５６７８９"))


# -- 建築主等の概要 of the forms in force ------------------------------------
# The application (第二号様式 第二面), the plan change that repeats it and the
# outline (第三号様式 第一面) print every item on a line of its own, in the
# form's order, with one column between an item's name and its value.
# Further designers, supervisors and persons consulted come from the
# project's list of persons; the face holds one of each (blank when none
# is entered, as the form shows the block), continuation pages hold the
# rest, FURTHER_PER_PAGE a page.

# First input row of each further person (two rows each) by kind 1
# designers, 2 supervisors, 3 persons consulted, and how many there are.
FURTHER_FIRST_ROW = {1: 1820, 2: 1840, 3: 1850}
FURTHER_SLOTS = {1: 9, 2: 5, 3: 5}
FURTHER_PER_PAGE = 4

HYOUJI = [
    ("建築士法第20条の２第１項の表示をした者", "構造設計一級建築士交付第"),
    ("建築士法第20条の２第３項の表示をした者", "構造設計一級建築士交付第"),
    ("建築士法第20条の３第１項の表示をした者", "設備設計一級建築士交付第"),
    ("建築士法第20条の３第３項の表示をした者", "設備設計一級建築士交付第"),
]


class _Guard:
    """Makes every text of a further person's block empty while the
    person's name and office are both empty, so that a continuation page
    shows only the persons entered. None: nothing is guarded."""

    def __init__(self, name=None, firm=None):
        self.cells = (name, firm)

    def __call__(self, content):
        if self.cells[0] is None:
            return content
        inner = content.template if isinstance(content, F) else '"%s"' % content.replace('"', '""')
        return F('IF(AND({%s}="",{%s}=""),"",%s)' % (self.cells[0], self.cells[1], inner))

    def seg(self, c1, c2, content, **kw):
        if self.cells[0] is None:
            return Seg(c1, c2, content, **kw)
        role = "input" if isinstance(content, F) else "item"
        return Seg(c1, c2, self(content), role=role, underline=False, **kw)


_NO_GUARD = _Guard()


def _field(s, label, value, c=2, label_end=9, rows=1, wrap=False, guard=_NO_GUARD):
    """An item of a person: its name, a free column, its value."""
    segs = [guard.seg(c, label_end, label)]
    if value is not None:
        segs.append(guard.seg(label_end + 2, COLUMNS, value, rows=rows, wrap=wrap, valign="top" if wrap else "center"))
    return s.line(*segs)


def _architect(s, q, name, firm, firm_name, post, addr, tel, drawings_label=None, drawings=None, drawing_rows=1,
               guard=_NO_GUARD):
    """イ〜ト of a designer, a supervisor or an agent: q and firm are the
    input cells of the architect's and the office's registration."""
    _field(s, "【イ．資格】", qualification(*q), guard=guard)
    _field(s, "【ロ．氏名】", R(name), guard=guard)
    _field(s, "【ハ．建築士事務所名】", office(*firm), guard=guard)
    s.line(guard.seg(11, COLUMNS, R(firm_name)))
    _field(s, "【ニ．郵便番号】", R(post), guard=guard)
    _field(s, "【ホ．所在地】", R(addr), guard=guard)
    _field(s, "【ヘ．電話番号】", R(tel), guard=guard)
    if drawings_label:
        _field(s, drawings_label, R(drawings), label_end=12, rows=drawing_rows, wrap=drawing_rows > 1, guard=guard)


def _consultant(s, name, employer, post, addr, tel, gou, drawings, drawing_rows=1, guard=_NO_GUARD):
    _field(s, "【イ．氏名】", R(name), guard=guard)
    _field(s, "【ロ．勤務先】", R(employer), guard=guard)
    _field(s, "【ハ．郵便番号】", R(post), guard=guard)
    _field(s, "【ニ．所在地】", R(addr), guard=guard)
    _field(s, "【ホ．電話番号】", R(tel), guard=guard)
    _field(s, "【ヘ．登録番号】", R(gou), guard=guard)  # unverified: 登録番号
    _field(s, "【ト．意見を聴いた設計図書】", R(drawings), label_end=12, rows=drawing_rows,  # unverified: 意見を聴いた設計図書
           wrap=drawing_rows > 1, guard=guard)


DRAWINGS = {1: "【ト．作成又は確認した設計図書】", 2: "【ト．工事と照合する設計図書】"}
FURTHER_CAPTION = {1: "（その他の設計者）", 2: "（その他の工事監理者）",
                   3: "（その他の建築設備の設計に関し意見を聴いた者）"}


def further_person(s, kind, k, guarded=False):
    """The k-th (0-based) further person of a kind, from its two input rows:
    row r name, registration (F:G:H), postal code (I), telephone (J); row
    r + 1 office or employer, office registration (F:G:H), address (I),
    drawings (J). A guarded block prints nothing while the person is not
    entered, its caption included."""
    r = FURTHER_FIRST_ROW[kind] + 2 * k
    guard = _Guard("D%d" % r, "D%d" % (r + 1)) if guarded else _NO_GUARD
    s.line(guard.seg(2, COLUMNS, FURTHER_CAPTION[kind]))
    if kind == 3:
        _consultant(s, "D%d" % r, "D%d" % (r + 1), "I%d" % r, "I%d" % (r + 1), "J%d" % r, "H%d" % r,
                    "J%d" % (r + 1), guard=guard)
    else:
        _architect(s, ("F%d" % r, "G%d" % r, "H%d" % r), "D%d" % r,
                   ("F%d" % (r + 1), "G%d" % (r + 1), "H%d" % (r + 1)), "D%d" % (r + 1),
                   "I%d" % r, "I%d" % (r + 1), "J%d" % r, DRAWINGS[kind], "J%d" % (r + 1), guard=guard)


def owner_in_force(s, n, telephone=True, title="建築主"):
    head(s, "【%s．%s】" % (n, title))
    _field(s, "【イ．氏名のフリガナ】", R("D43"))
    _field(s, "【ロ．氏名】", R("D44"))
    _field(s, "【ハ．郵便番号】", R("D45"))
    _field(s, "【ニ．住所】", R("D46"))
    if telephone:
        _field(s, "【ホ．電話番号】", R("D47"))


def agent_in_force(s, n):
    head(s, "【%s．代理者】" % n)
    _architect(s, ("F25", "G25", "H25"), "D24", ("F27", "G27", "H27"), "D26", "D28", "D29", "D30")


def designers_in_force(s, n):
    head(s, "【%s．設計者】" % n)
    s.text("（代表となる設計者）", c1=2)
    _architect(s, ("F10", "G10", "H10"), "D9", ("F3", "G3", "H3"), "D2", "D11", "D12", "D6",
               DRAWINGS[1], "D1800", drawing_rows=2)
    further_person(s, 1, 0)
    # unverified: the caption and the two lines of each mark
    s.text("（構造設計一級建築士又は設備設計一級建築士である旨の表示をした者）", c1=2)
    s.text("上記の設計者のうち、", c1=3)
    for k, (law, licence) in enumerate(HYOUJI):
        r = 1804 + k
        s.line(Seg(3, 3, P("C%d" % r, "□"), align="center", underline=False), Seg(4, 13, law),
               Seg(14, 17, "【イ．氏名】"), Seg(19, COLUMNS, R("D%d" % r)))
        s.line(Seg(10, 13, "【ロ．資格】"), Seg(15, COLUMNS, J(licence, "　", P("E%d" % r, "　　　"), "　号")))


def consulted_in_force(s, n):
    head(s, "【%s．建築設備の設計に関し意見を聴いた者】" % n)
    s.text("（代表となる建築設備の設計に関し意見を聴いた者）", c1=2)
    _consultant(s, "D67", "D68", "D69", "D70", "D71", "D1802", "D1803")
    further_person(s, 3, 0)


def supervisors_in_force(s, n):
    head(s, "【%s．工事監理者】" % n)
    s.text("（代表となる工事監理者）", c1=2)
    _architect(s, ("F15", "G15", "H15"), "D14", ("F19", "G19", "H19"), "D18", "D20", "D21", "D22",
               DRAWINGS[2], "D1801")
    further_person(s, 2, 0)


def contractor_in_force(s, n):
    head(s, "【%s．工事施工者】" % n)
    _field(s, "【イ．氏名】", R("D58"))
    _field(s, "【ロ．営業所名】", J("建設業の許可（", P("F60"), "）第　", P("G60", ""), P("H60", "　　　　"), "　号"))
    s.line(Seg(11, COLUMNS, R("D59")))
    _field(s, "【ハ．郵便番号】", R("D61"))
    _field(s, "【ニ．所在地】", R("D62"))
    _field(s, "【ホ．電話番号】", R("D63"))


def choices(s, n, title, options):
    """A numbered item of marked options, each on its line: (input row,
    word, whether the form gives it brackets). The row's C holds the mark,
    D what the brackets hold."""
    head(s, "【%s．%s】" % (n, title))
    for row, word, brackets in options:
        segs = [Seg(2, 2, P("C%d" % row, "□"), align="center", underline=False), Seg(3, 6, word)]
        if brackets:
            segs += [Seg(7, 7, "（", align="right"), Seg(8, COLUMNS - 1, R("D%d" % row)),
                     Seg(COLUMNS, COLUMNS, "）")]
        s.line(*segs)


def people_pages(s, heading, outline=False):
    """建築主等の概要: two pages, then the continuation pages of further
    persons, each printed only when the project has someone for it. The
    outline (open to public inspection) leaves out the owner's telephone
    and the two items of the review and the energy plan, and numbers
    its remarks 7."""
    heading(s, False)
    owner_in_force(s, "１", telephone=not outline)
    agent_in_force(s, "２")
    designers_in_force(s, "３")
    s.end_page()
    heading(s, True)
    consulted_in_force(s, "４")
    supervisors_in_force(s, "５")
    contractor_in_force(s, "６")
    if outline:
        # unverified: the outline has no items of the review and the energy plan
        remarks_in_force(s, "７")
    else:
        choices(s, "７", "構造計算適合性判定の申請",
                [(1808, "申請済", True), (1809, "未申請", True), (1810, "申請不要", False)])
        choices(s, "８", "建築物エネルギー消費性能確保計画の提出",
                [(1811, "提出済", True), (1812, "未提出", True), (1813, "提出不要", True)])
        remarks_in_force(s, "９")
    s.end_page()
    titles = {1: "【３．設計者】", 2: "【５．工事監理者】", 3: "【４．建築設備の設計に関し意見を聴いた者】"}
    for kind in (1, 3, 2):
        for first in range(1, FURTHER_SLOTS[kind], FURTHER_PER_PAGE):
            s.when("persons:%d:%d" % (kind, first + 1))
            heading(s, True)
            head(s, titles[kind])
            for k in range(first, min(first + FURTHER_PER_PAGE, FURTHER_SLOTS[kind])):
                further_person(s, kind, k, guarded=True)
                s.blank(0.4)
            s.end_page()


def remarks_in_force(s, n):
    head(s, "【%s．備考】" % n)
    s.line(Seg(2, COLUMNS, R("C73"), rows=3, wrap=True, valign="top"))
