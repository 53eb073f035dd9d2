#!/usr/bin/python3
"""Generates the sick-house check workbook template シックハウス基準.xlsx:
the checks of a building against the indoor-air rules of the Building
Standard Law (建築基準法第28条の2, 施行令第20条の5〜第20条の9) on
chlorpyrifos, formaldehyde-emitting interior finishes and the mechanical
ventilation of living rooms.

    /usr/bin/python3 tools/make-sickhouse-template.py [OUTPUT_DIR]

OUTPUT_DIR defaults to data/templates. Needs Debian's python3-openpyxl.
The output is reproducible, as that of make-template.py.

The program writes four cells of the sheet "基本データ入力" when it makes a
new copy: E3 the date, E5 the building's name, I4 the design office and
I5 the designer. Everything else is entered by the user; the sheets
compute the required ventilation, the area limits and the verdicts.
"""

import datetime
import importlib.util
import io
import os
import sys

from openpyxl import Workbook
from openpyxl.styles import Alignment, Border, Font, PatternFill, Side
from openpyxl.utils import get_column_letter
from openpyxl.worksheet.datavalidation import DataValidation

HERE = os.path.dirname(os.path.abspath(__file__))
_spec = importlib.util.spec_from_file_location("make_template", os.path.join(HERE, "make-template.py"))
make_template = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(make_template)

TEMPLATE = "シックハウス基準.xlsx"
GOTHIC = "ＭＳ ゴシック"
MINCHO = "ＭＳ 明朝"
FIXED_TIME = make_template.FIXED_TIME

THIN = Side(style="thin")
HAIR = Side(style="hair")
MEDIUM = Side(style="medium")
HEAD_FILL = PatternFill("solid", fgColor="FFD9E1F2")   # headings of tables
ENTRY_FILL = PatternFill("solid", fgColor="FFFFF9E0")  # cells the user fills in
CALC_FILL = PatternFill("solid", fgColor="FFF2F2F2")   # computed cells
SECTION_FILL = PatternFill("solid", fgColor="FF1F4E79")

ROOM_KINDS = ["住宅等の居室", "住宅等の居室以外の居室"]
RATES = ["0.7回/h以上", "0.5回/h以上0.7回/h未満", "0.3回/h以上0.5回/h未満"]
GRADES = ["F☆☆☆☆", "F☆☆☆", "F☆☆", "F☆", "表示なし", "告示対象外"]
PARTS = ["床", "壁", "天井", "建具", "造作家具", "収納", "天井裏等", "その他"]


class Grid:
    """A sheet drawn on a grid of columns of given widths."""

    def __init__(self, wb, name, widths, landscape=False):
        self.ws = wb.create_sheet(name)
        self.ws.sheet_view.showGridLines = False
        self.ws.sheet_view.zoomScale = 100
        for i, w in enumerate(widths, start=1):
            self.ws.column_dimensions[get_column_letter(i)].width = w
        self.last_col = len(widths)
        self.landscape = landscape
        self.validations = {}

    def cell(self, ref, value=None, size=10, bold=False, font=GOTHIC, align="left", valign="center",
             wrap=False, fill=None, border=None, shrink=False, number_format=None):
        first = ref.split(":")[0]
        c = self.ws[first]
        if value is not None:
            c.value = value
        c.font = Font(name=font, size=size, bold=bold)
        c.alignment = Alignment(horizontal=align, vertical=valign, wrap_text=wrap, shrink_to_fit=shrink)
        if number_format:
            c.number_format = number_format
        if ":" in ref:
            self.ws.merge_cells(ref)
        cells = self.cells_of(ref)
        if fill:
            for row in cells:
                for x in row:
                    x.fill = fill
        if border:
            self.frame(ref, border)
        return c

    def cells_of(self, ref):
        if ":" not in ref:
            return [[self.ws[ref]]]
        return self.ws[ref]

    def frame(self, ref, side=THIN, inner=None):
        """Lines around a range (and between its cells when inner is given)."""
        rows = self.cells_of(ref)
        for i, row in enumerate(rows):
            for j, x in enumerate(row):
                b = x.border
                left = side if j == 0 else (inner or b.left)
                right = side if j == len(row) - 1 else (inner or b.right)
                top = side if i == 0 else (inner or b.top)
                bottom = side if i == len(rows) - 1 else (inner or b.bottom)
                x.border = Border(left=left, right=right, top=top, bottom=bottom)

    def height(self, row, points):
        self.ws.row_dimensions[row].height = points

    def title(self, row, text, sub=None):
        last = get_column_letter(self.last_col)
        self.cell("A%d:%s%d" % (row, last, row), text, size=16, bold=True, align="center")
        self.height(row, 30)
        if sub:
            self.cell("A%d:%s%d" % (row + 1, last, row + 1), sub, size=9, align="center", font=MINCHO, wrap=True)
            self.height(row + 1, 26)

    def section(self, row, text, first="A"):
        # A bar that starts after the margin column also stops before the right one.
        last = get_column_letter(self.last_col - (1 if first != "A" else 0))
        c = self.cell("%s%d:%s%d" % (first, row, last, row), text, size=11, bold=True, fill=SECTION_FILL)
        c.font = Font(name=GOTHIC, size=11, bold=True, color="FFFFFFFF")
        self.height(row, 20)

    def entry_cells(self, r, cols, right="", center=""):
        """The cells of row r that the user fills in: left-aligned unless
        their column is in right or center."""
        for col in cols:
            self.cell("%s%d" % (col, r), None, fill=ENTRY_FILL, border=THIN, font=MINCHO, shrink=True,
                      align="right" if col in right else ("center" if col in center else "left"))

    def computed_cells(self, r, formulas, center=""):
        """The cells of row r that formulas by column compute ({r} in a
        formula is the row): right-aligned unless their column is in center."""
        for col, f in formulas.items():
            self.cell("%s%d" % (col, r), f.format(r=r), fill=CALC_FILL, border=THIN, font=MINCHO,
                      align="center" if col in center else "right", shrink=True)

    def number_formats(self, r, **formats):
        for col, fmt in formats.items():
            self.ws["%s%d" % (col, r)].number_format = fmt

    def choice(self, ref, items):
        """A drop-down of fixed items on the cells of ref."""
        key = tuple(items)
        dv = self.validations.get(key)
        if dv is None:
            dv = DataValidation(type="list", formula1='"%s"' % ",".join(items), allow_blank=True)
            dv.error = "一覧から選んでください。"
            dv.errorTitle = "入力エラー"
            dv.prompt = "一覧から選んでください。"
            self.ws.add_data_validation(dv)
            self.validations[key] = dv
        dv.add(ref)

    def page(self, last_row, landscape=None):
        ws = self.ws
        make_template.print_on_a4(ws, self.last_col, last_row, self.landscape if landscape is None else landscape,
                                  pages_high=1, margins=(0.5, 0.6, 0.3))
        ws.oddFooter.center.text = "&A　（&P／&N）"
        ws.oddFooter.center.size = 8
        ws.oddFooter.center.font = GOTHIC


def basic_sheet(wb):
    """基本データ入力: the building, its people and the verdicts of the
    other sheets. E3, E5, I4 and I5 are written by the program."""
    g = Grid(wb, "基本データ入力", [2, 7, 7, 7, 11, 11, 11, 13, 9, 9, 9, 9, 2])
    g.title(1, "シックハウス対策チェックシート")
    g.cell("B2:L2", "建築基準法第28条の2、同法施行令第20条の5〜第20条の9（居室内における化学物質の発散に対する衛生上の措置）",
           size=9, font=MINCHO, align="center")
    g.height(2, 18)

    def label(ref, text):
        g.cell(ref, text, size=10, fill=HEAD_FILL, border=THIN)

    def entry(ref, value=None, align="left", computed=False):
        g.cell(ref, value, size=10, fill=CALC_FILL if computed else ENTRY_FILL, border=THIN, align=align,
               shrink=True, font=MINCHO)

    label("B3:D3", "作成日")
    entry("E3:G3")
    label("H3", "確認番号")
    entry("I3:L3")
    label("B4:D4", "確認申請先")
    entry("E4:G4")
    label("H4", "設計事務所名")
    entry("I4:L4")
    label("B5:D5", "建築物の名称")
    entry("E5:G5")
    label("H5", "設計者氏名")
    entry("I5:L5")
    label("B6:D6", "建築場所")
    entry("E6:L6")
    for r in range(3, 7):
        g.height(r, 24)

    g.height(7, 8)
    g.section(8, "１．建築物の概要", first="B")
    rows = [
        ("主要用途", None, "構造", None),
        ("延べ面積（㎡）", None, "階数", "地上　　階　／　地下　　階"),
        ("工事種別", None, "着工予定日", None),
        ("居室の区分", None, "居室の数", "='換気計算'!C30"),
    ]
    for k, (l1, v1, l2, v2) in enumerate(rows):
        r = 9 + k
        label("B%d:D%d" % (r, r), l1)
        entry("E%d:G%d" % (r, r), v1)
        label("H%d" % r, l2)
        entry("I%d:L%d" % (r, r), v2, computed=bool(v2 and v2.startswith("=")))
        g.height(r, 24)
    g.ws["E10"].number_format = "#,##0.00"
    g.ws["E10"].alignment = Alignment(horizontal="right", vertical="center")
    g.choice("E11", ["新築", "増築", "改築", "移転", "大規模の修繕", "大規模の模様替", "用途変更"])
    g.choice("E12", ROOM_KINDS)

    g.height(13, 8)
    g.section(14, "２．換気設備の概要", first="B")
    rows = [
        ("換気の方式", None),
        ("換気設備の種類・機種", None),
        ("給気口・排気口の位置", None),
        ("換気経路の確保", "ドアのアンダーカット（約1cm）・ガラリ等"),
        ("運転の方法", "常時運転（24時間換気）"),
    ]
    for k, (l1, v1) in enumerate(rows):
        r = 15 + k
        label("B%d:D%d" % (r, r), l1)
        entry("E%d:L%d" % (r, r), v1)
        g.height(r, 24)
    g.choice("E15", ["第１種換気（給気・排気とも機械）", "第２種換気（給気を機械）", "第３種換気（排気を機械）",
                     "中央管理方式の空気調和設備"])

    g.height(20, 8)
    g.section(21, "３．判定の結果", first="B")
    checks = [
        ("クロルピリホスを添加した建築材料", "令第20条の6",
         '=IF(COUNTA(\'建材一覧\'!D7:D36)=0,"（未入力）",IF(COUNTIF(\'建材一覧\'!J7:J36,"あり")>0,"使用あり（不可）","使用なし"))'),
        ("第１種ホルムアルデヒド発散建築材料", "令第20条の7第1項第1号",
         '=IF(COUNTA(\'建材一覧\'!D7:D36)=0,"（未入力）",IF(COUNTIF(\'建材一覧\'!H7:H36,"第１種")>0,"使用あり（内装仕上げに使用不可）","使用なし"))'),
        ("第２種・第３種の使用面積", "令第20条の7第1項第2号",
         '=IF(COUNTA(\'内装仕上げ\'!B8:B27)=0,"（未入力）",IF(COUNTIF(\'内装仕上げ\'!L8:L27,"適合")=COUNTA(\'内装仕上げ\'!B8:B27),"すべての居室で制限内","制限を超える居室あり"))'),
        ("機械換気設備の有効換気量", "令第20条の8",
         '=IF(COUNTA(\'換気計算\'!B8:B27)=0,"（未入力）",IF(COUNTIF(\'換気計算\'!L8:L27,"適合")=COUNTA(\'換気計算\'!B8:B27),"すべての居室で必要量以上","不足する居室あり"))'),
        ("天井裏等の措置", "平成15年国交告第274号",
         '=IF(\'チェックリスト\'!K14="済","措置あり",IF(\'チェックリスト\'!K14="該当なし","該当なし","（未確認）"))'),
    ]
    label("B22:G22", "確認の項目")
    label("H22", "根拠")
    label("I22:L22", "結果")
    for ref in ("B22", "H22", "I22"):
        g.ws[ref].alignment = Alignment(horizontal="center", vertical="center")
    for k, (item, basis, formula) in enumerate(checks):
        r = 23 + k
        g.cell("B%d:G%d" % (r, r), item, border=THIN)
        g.cell("H%d" % r, basis, size=8, border=THIN, shrink=True, font=MINCHO)
        entry("I%d:L%d" % (r, r), formula, computed=True, align="center")
        g.height(r, 24)

    g.height(28, 8)
    g.section(29, "４．備考", first="B")
    entry("B30:L37")
    g.ws["B30"].alignment = Alignment(horizontal="left", vertical="top", wrap_text=True)
    for r in range(30, 38):
        g.height(r, 22)
    g.cell("B39:L39", "黄色の欄に入力します。灰色の欄は他のシートから計算されます。"
           "作成日・建築物の名称・設計事務所名・設計者氏名は、作成時に物件のデータから書き込まれます。",
           size=8, font=MINCHO, wrap=True, valign="top")
    g.height(39, 24)
    g.page(39)
    return g


def ventilation_sheet(wb):
    """換気計算: the required effective ventilation of each living room."""
    g = Grid(wb, "換気計算", [2, 16, 5, 18, 9, 8, 10, 9, 11, 11, 9, 9, 2], landscape=True)
    g.title(1, "機械換気設備の有効換気量の確認", "建築基準法施行令第20条の8　　"
            "必要有効換気量 Vr ＝ n × A × h　（n：住宅等の居室 0.5回/h、その他の居室 0.3回/h　A：床面積　h：天井高さ）")
    heads = [("B", "室名"), ("C", "階"), ("D", "居室の区分"), ("E", "床面積\nA（㎡）"), ("F", "天井高さ\nh（m）"),
             ("G", "気積\nA×h（㎥）"), ("H", "必要\n換気回数\n（回/h）"), ("I", "必要有効\n換気量\nVr（㎥/h）"),
             ("J", "設計\n換気量\n（㎥/h）"), ("K", "設計\n換気回数\n（回/h）"), ("L", "判定")]
    for col, text in heads:
        g.cell("%s6:%s7" % (col, col), text, size=9, fill=HEAD_FILL, border=THIN, align="center", wrap=True)
    g.height(6, 22)
    g.height(7, 22)
    g.cell("B4:L4", "居室ごとに、室名・居室の区分・床面積・天井高さと、換気設備の設計換気量を入力します。"
           "廊下・便所等を居室と一体的に換気する場合は、その部分を含めた気積とします。", size=9, font=MINCHO, wrap=True)
    g.height(4, 26)
    first, last = 8, 27
    formulas = {
        "G": '=IF(OR(E{r}="",F{r}=""),"",ROUND(E{r}*F{r},2))',
        "H": '=IF(D{r}="","",IF(D{r}="住宅等の居室",0.5,0.3))',
        "I": '=IF(OR(G{r}="",H{r}=""),"",ROUND(G{r}*H{r},1))',
        "K": '=IF(OR(G{r}="",J{r}=""),"",IF(G{r}=0,"",ROUND(J{r}/G{r},2)))',
        "L": '=IF(OR(I{r}="",J{r}=""),"",IF(J{r}>=I{r},"適合","不足"))',
    }
    for r in range(first, last + 1):
        g.entry_cells(r, "BCDEFJ", right="EFJ", center="C")
        g.number_formats(r, E="#,##0.00", F="0.00", J="#,##0.0")
        g.computed_cells(r, formulas, center="HL")
        g.number_formats(r, G="#,##0.00", I="#,##0.0", K="0.00")
        g.height(r, 19)
    g.choice("D%d:D%d" % (first, last), ROOM_KINDS)
    g.frame("B6:L%d" % last, MEDIUM)
    # Totals
    t = last + 1
    g.cell("B%d:D%d" % (t, t), "合計", fill=HEAD_FILL, border=THIN, align="center")
    for col, fmt in (("E", "#,##0.00"), ("G", "#,##0.00"), ("I", "#,##0.0"), ("J", "#,##0.0")):
        g.cell("%s%d" % (col, t), "=SUM(%s%d:%s%d)" % (col, first, col, last), fill=CALC_FILL, border=THIN,
               align="right", font=MINCHO, number_format=fmt, shrink=True)
    for col in "FHKL":
        g.cell("%s%d" % (col, t), None, fill=HEAD_FILL, border=THIN)
    g.frame("B%d:L%d" % (t, t), MEDIUM)
    g.height(t, 20)
    g.cell("B%d" % (t + 2), "居室の数", fill=HEAD_FILL, border=THIN)
    g.cell("C%d" % (t + 2), "=COUNTA(B%d:B%d)" % (first, last), fill=CALC_FILL, border=THIN, align="center",
           font=MINCHO)
    g.cell("D%d:L%d" % (t + 2, t + 2), "住宅等の居室：住宅の居室、下宿の宿泊室、寄宿舎の寝室、家具その他これに類する物品の販売業を営む店舗の売場",
           size=8, font=MINCHO, shrink=True)
    g.page(t + 2)
    return g


def finishes_sheet(wb):
    """内装仕上げ: the area limits of formaldehyde-emitting finishes."""
    g = Grid(wb, "内装仕上げ", [2, 16, 18, 9, 20, 10, 10, 7, 7, 11, 9, 10, 2], landscape=True)
    g.title(1, "内装仕上げの制限（ホルムアルデヒド発散建築材料の使用面積）",
            "建築基準法施行令第20条の7　　N2・S2 ＋ N3・S3 ≦ A　"
            "（S2：第２種の使用面積　S3：第３種の使用面積　A：居室の床面積）")
    g.cell("B4:L4", "居室ごとに、内装仕上げ（壁・床・天井・建具等）に使う第２種（F☆☆）・第３種（F☆☆☆）の建築材料の面積を入力します。"
           "F☆☆☆☆の材料は面積に含めません。第１種（F☆・表示なし）は使用できません。", size=9, font=MINCHO, wrap=True)
    g.height(4, 26)
    heads = [("B", "室名"), ("C", "居室の区分"), ("D", "床面積\nA（㎡）"), ("E", "換気回数の区分"),
             ("F", "第２種\nS2（㎡）"), ("G", "第３種\nS3（㎡）"), ("H", "N2"), ("I", "N3"),
             ("J", "N2・S2＋\nN3・S3"), ("K", "余裕\n（㎡）"), ("L", "判定")]
    for col, text in heads:
        g.cell("%s6:%s7" % (col, col), text, size=9, fill=HEAD_FILL, border=THIN, align="center", wrap=True)
    g.height(6, 22)
    g.height(7, 22)
    first, last = 8, 27
    house, r7, r5 = ROOM_KINDS[0], RATES[0], RATES[1]
    n2 = ('=IF(OR(C{r}="",E{r}=""),"",IF(C{r}="%s",IF(E{r}="%s",1.2,IF(E{r}="%s",2.8,"×")),'
          'IF(E{r}="%s",0.88,IF(E{r}="%s",1.4,3))))') % (house, r7, r5, r7, r5)
    n3 = ('=IF(OR(C{r}="",E{r}=""),"",IF(C{r}="%s",IF(E{r}="%s",0.2,IF(E{r}="%s",0.5,"×")),'
          'IF(E{r}="%s",0.15,IF(E{r}="%s",0.25,0.5))))') % (house, r7, r5, r7, r5)
    formulas = {
        "H": n2,
        "I": n3,
        "J": '=IF(OR(H{r}="",H{r}="×"),"",ROUND(H{r}*N(F{r})+I{r}*N(G{r}),2))',
        "K": '=IF(OR(J{r}="",D{r}=""),"",ROUND(D{r}-J{r},2))',
        "L": '=IF(B{r}="","",IF(H{r}="×","換気不足",IF(OR(J{r}="",D{r}=""),"",IF(J{r}<=D{r},"適合","不適合"))))',
    }
    for r in range(first, last + 1):
        g.entry_cells(r, "BCDEFG", right="DFG")
        g.number_formats(r, D="#,##0.00", F="#,##0.00", G="#,##0.00")
        g.computed_cells(r, formulas, center="HIL")
        g.number_formats(r, J="#,##0.00", K="#,##0.00")
        g.height(r, 19)
    g.choice("C%d:C%d" % (first, last), ROOM_KINDS)
    g.choice("E%d:E%d" % (first, last), RATES)
    g.frame("B6:L%d" % last, MEDIUM)

    # The table of the order that the formulas follow.
    t = last + 2
    g.cell("B%d:L%d" % (t, t), "係数 N2・N3（令第20条の7第1項第2号の表）", size=10, bold=True)
    g.height(t, 19)
    heads = [("B%d:C%d", "居室の区分"), ("D%d:E%d", "換気回数"), ("F%d:G%d", "N2（第２種）"), ("H%d:I%d", "N3（第３種）")]
    for ref, text in heads:
        g.cell(ref % (t + 1, t + 1), text, size=9, fill=HEAD_FILL, border=THIN, align="center")
    table = [
        (house, RATES[0], "1.2", "0.20"),
        (house, RATES[1], "2.8", "0.50"),
        (ROOM_KINDS[1], RATES[0], "0.88", "0.15"),
        (ROOM_KINDS[1], RATES[1], "1.4", "0.25"),
        (ROOM_KINDS[1], RATES[2], "3.0", "0.50"),
    ]
    for k, (kind, rate, n2, n3) in enumerate(table):
        r = t + 2 + k
        g.cell("B%d:C%d" % (r, r), kind, size=9, border=THIN, font=MINCHO)
        g.cell("D%d:E%d" % (r, r), rate, size=9, border=THIN, font=MINCHO)
        g.cell("F%d:G%d" % (r, r), n2, size=9, border=THIN, font=MINCHO, align="center")
        g.cell("H%d:I%d" % (r, r), n3, size=9, border=THIN, font=MINCHO, align="center")
        g.height(r, 17)
    g.cell("J%d:L%d" % (t + 1, t + 6), "住宅等の居室は換気回数0.5回/h以上が必要です（0.5回/h未満は「換気不足」）。"
           "換気回数の区分は、換気計算シートの設計換気回数から選びます。", size=8, font=MINCHO, wrap=True, valign="top")
    g.page(t + 6)
    return g


def materials_sheet(wb):
    """建材一覧: the building materials of the living rooms and their grades."""
    g = Grid(wb, "建材一覧", [2, 14, 9, 14, 18, 12, 13, 10, 9, 10, 12, 2], landscape=True)
    g.title(1, "使用建築材料一覧", "建築基準法施行令第20条の6（クロルピリホス）・第20条の7（ホルムアルデヒド）　"
            "等級はJIS・JASの表示又は国土交通大臣の認定によります")
    heads = [("B", "室名"), ("C", "部位"), ("D", "材料の種類"), ("E", "商品名・製造者"), ("F", "等級の表示"),
             ("G", "認定番号等"), ("H", "区分"), ("I", "使用面積\n（㎡）"), ("J", "クロル\nピリホス"), ("K", "判定")]
    for col, text in heads:
        g.cell("%s5:%s6" % (col, col), text, size=9, fill=HEAD_FILL, border=THIN, align="center", wrap=True)
    g.height(5, 20)
    g.height(6, 20)
    first, last = 7, 36
    formulas = {
        "H": ('=IF(F{r}="","",IF(OR(F{r}="F☆☆☆☆",F{r}="告示対象外"),"規制対象外",'
              'IF(F{r}="F☆☆☆","第３種",IF(F{r}="F☆☆","第２種","第１種"))))'),
        "K": ('=IF(AND(F{r}="",J{r}=""),"",IF(J{r}="あり","使用不可",IF(H{r}="第１種","使用不可",'
              'IF(OR(H{r}="第２種",H{r}="第３種"),"面積制限","可"))))'),
    }
    for r in range(first, last + 1):
        g.entry_cells(r, "BCDEFGIJ", right="I", center="CFJ")
        g.number_formats(r, I="#,##0.00")
        g.computed_cells(r, formulas, center="HK")
        g.height(r, 17)
    g.choice("C%d:C%d" % (first, last), PARTS)
    g.choice("F%d:F%d" % (first, last), GRADES)
    g.choice("J%d:J%d" % (first, last), ["なし", "あり"])
    g.frame("B5:K%d" % last, MEDIUM)

    t = last + 2
    g.cell("B%d:K%d" % (t, t), "等級と区分", size=10, bold=True)
    g.height(t, 19)
    for ref, text in (("B%d:C%d", "等級の表示"), ("D%d:E%d", "区分"), ("F%d:G%d", "発散速度（μg/㎡h）"),
                      ("H%d:K%d", "居室の内装仕上げ")):
        g.cell(ref % (t + 1, t + 1), text, size=9, fill=HEAD_FILL, border=THIN, align="center")
    rows = [("F☆☆☆☆", "規制対象外", "5以下", "制限なし"),
            ("F☆☆☆", "第３種ホルムアルデヒド発散建築材料", "5を超え20以下", "使用面積の制限あり"),
            ("F☆☆", "第２種ホルムアルデヒド発散建築材料", "20を超え120以下", "使用面積の制限あり"),
            ("F☆・表示なし", "第１種ホルムアルデヒド発散建築材料", "120を超える", "使用禁止")]
    for k, row in enumerate(rows):
        r = t + 2 + k
        for ref, text in zip(("B%d:C%d", "D%d:E%d", "F%d:G%d", "H%d:K%d"), row):
            g.cell(ref % (r, r), text, size=9, border=THIN, font=MINCHO, shrink=True,
                   align="center" if ref.startswith("B") or ref.startswith("F") else "left")
        g.height(r, 17)
    g.page(t + 5)
    return g


def checklist_sheet(wb):
    """チェックリスト: the measures to confirm, one by one."""
    g = Grid(wb, "チェックリスト", [2, 5, 9, 9, 9, 9, 9, 9, 8, 13, 8, 12, 2])
    g.title(1, "シックハウス対策　確認事項")
    g.cell("B2:L2", "確認した項目の「確認」欄で「済」「該当なし」を選びます。", size=9, font=MINCHO, align="center")
    for ref, text in (("B4", "No."), ("C4:I4", "確認事項"), ("J4", "根拠"), ("K4", "確認"), ("L4", "備考")):
        g.cell(ref, text, size=9, fill=HEAD_FILL, border=THIN, align="center")
    g.height(4, 20)
    items = [
        ("クロルピリホスを添加した建築材料（添加から5年以上経過したものを除く）を使用していない。", "令第20条の6"),
        ("居室の内装仕上げに第１種ホルムアルデヒド発散建築材料（F☆・表示なし）を使用していない。", "令第20条の7第1項第1号"),
        ("第２種・第３種ホルムアルデヒド発散建築材料の使用面積が、居室の区分と換気回数に応じた制限内である（内装仕上げシート）。",
         "令第20条の7第1項第2号"),
        ("居室に機械換気設備を設けている（住宅等の居室 0.5回/h以上、その他の居室 0.3回/h以上）。", "令第20条の8第1項"),
        ("換気設備の有効換気量が、必要有効換気量以上である（換気計算シート）。", "令第20条の8第1項第1号"),
        ("給気口・排気口の位置と構造により、居室内の空気が有効に換気される。", "令第20条の8第1項第1号"),
        ("ドアのアンダーカット・ガラリ等により、居室から排気口までの換気経路を確保している。", "平成15年国交告第273号"),
        ("換気設備は常時運転できる構造で、スイッチ等に常時運転の表示がある。", "平成15年国交告第273号"),
        ("中央管理方式の空気調和設備とする場合は、所定の有効換気量を確保している。", "令第20条の8第1項第3号"),
        ("天井裏・床下・壁内・収納スペース等について、次のいずれかの措置をとっている。", "平成15年国交告第274号"),
        ("　① 下地材・断熱材等をF☆☆☆以上の建築材料とする。", ""),
        ("　② 気密層又は通気止めを設けて、居室への流入を防ぐ。", ""),
        ("　③ 換気設備で天井裏等も換気する（天井裏等を負圧にする）。", ""),
        ("使用した建築材料の等級の表示（JIS・JASの表示、大臣認定書）の写しを保管している。", ""),
        ("仕様書・矩計図・換気計算書に、建築材料の等級と換気設備を記載した。", "規則第1条の3"),
    ]
    verdicts = ["済", "該当なし", "未"]
    for k, (text, basis) in enumerate(items):
        r = 5 + k
        sub = text.startswith("　")
        g.cell("B%d" % r, "" if sub else str(sum(1 for t, _ in items[:k + 1] if not t.startswith("　"))),
               size=9, border=THIN, align="center")
        g.cell("C%d:I%d" % (r, r), text, size=9, border=THIN, font=MINCHO, wrap=True)
        g.cell("J%d" % r, basis, size=8, border=THIN, font=MINCHO, wrap=True, align="center")
        g.cell("K%d" % r, None, fill=ENTRY_FILL, border=THIN, align="center")
        g.cell("L%d" % r, None, fill=ENTRY_FILL, border=THIN, font=MINCHO, shrink=True)
        g.height(r, 36 if len(text) > 30 else 26)
    # The ceiling spaces are dealt with when any of ① to ③ is done.
    g.choice("K5:K13", verdicts)
    g.choice("K15:K%d" % (4 + len(items)), verdicts)
    g.cell("K14", '=IF(COUNTIF(K15:K17,"済")>0,"済",IF(COUNTIF(K15:K17,"該当なし")=3,"該当なし",""))',
           fill=CALC_FILL, border=THIN, align="center")
    g.frame("B4:L%d" % (4 + len(items)), MEDIUM)
    last = 4 + len(items)
    g.cell("B%d:L%d" % (last + 2, last + 2), "確認者", size=9)
    g.cell("B%d:D%d" % (last + 3, last + 3), "確認日", size=9, fill=HEAD_FILL, border=THIN)
    g.cell("E%d:G%d" % (last + 3, last + 3), None, fill=ENTRY_FILL, border=THIN)
    g.cell("H%d:I%d" % (last + 3, last + 3), "確認者氏名", size=9, fill=HEAD_FILL, border=THIN)
    g.cell("J%d:L%d" % (last + 3, last + 3), None, fill=ENTRY_FILL, border=THIN)
    g.height(last + 3, 22)
    g.page(last + 3)
    return g


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "data", "templates")
    os.makedirs(out_dir, exist_ok=True)
    wb = Workbook()
    wb.remove(wb.active)
    basic_sheet(wb)
    ventilation_sheet(wb)
    finishes_sheet(wb)
    materials_sheet(wb)
    checklist_sheet(wb)
    wb.active = 0
    for ws in wb.worksheets:
        ws.sheet_view.tabSelected = ws.title == "基本データ入力"
    wb.properties.creator = "ShinseiDesk"
    wb.properties.title = "シックハウス対策チェックシート"
    wb.properties.created = wb.properties.modified = datetime.datetime(*FIXED_TIME)
    wb.calculation.fullCalcOnLoad = True
    buffer = io.BytesIO()
    wb.save(buffer)
    path = os.path.join(out_dir, TEMPLATE)
    with open(path, "wb") as f:
        f.write(make_template.reproducible(buffer.getvalue()))
    print("wrote %s" % path)


if __name__ == "__main__":
    main()
