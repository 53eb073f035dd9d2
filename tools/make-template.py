#!/usr/bin/python3
"""Generates the application workbook template 確認申請.xlsx from the
layout descriptions in tools/template-layout/, and beside it the list of
cells by role (確認申請.cells.json) that the sheet-formatting feature
reads: per sheet the title, item and input cells, and the underline runs
of the input cells (the bottom edges that are underlines and not part of
a box).

    /usr/bin/python3 tools/make-template.py [OUTPUT_DIR]

OUTPUT_DIR defaults to data/templates. Needs Debian's python3-openpyxl.
The output is reproducible: the same descriptions give the same bytes.
"""

import datetime
import hashlib
import io
import json
import os
import re
import sys
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "template-layout"))

from openpyxl import Workbook  # noqa: E402
from openpyxl.styles import Alignment, Border, Font, Side  # noqa: E402
from openpyxl.utils import get_column_letter  # noqa: E402
from openpyxl.worksheet.pagebreak import Break  # noqa: E402
from openpyxl.worksheet.properties import PageSetupProperties  # noqa: E402

import annex  # noqa: E402
import editions  # noqa: E402
import input_buildings  # noqa: E402
import input_inspection  # noqa: E402
import input_people_site  # noqa: E402
import input_notices  # noqa: E402
import input_sheet  # noqa: E402
import layout  # noqa: E402
import sheets  # noqa: E402

FONT = "ＭＳ 明朝"
TEMPLATE = "確認申請.xlsx"
CELLS = "確認申請.cells.json"
COLUMN_WIDTH = 3.25          # 24 columns fill an A4 page between the margins
MIN_ROW, MAX_ROW = 11.0, 24.0
SIZES = {"title": 14, "item": 9, "input": 10}
FIXED_TIME = (2024, 4, 1, 0, 0, 0)
# Hidden sheet of the pages that print only when the project has what
# they are for: one row per page (sheet, first row, last row, condition).
# It travels inside the workbook so that a template and its conditions
# can never come from different releases.
CONDITIONS_SHEET = "頁条件"
# Hidden sheet of the boxes of the input cells on the printed sheets: their
# size in points, font size, whether the text wraps, and what they show,
# for the program that sizes long values to fit them.
BOXES_SHEET = "枠"
BOXES_HEADER = ["シート", "セル", "幅", "高さ", "文字", "折返し", "表示", "項目名"]
# Hidden sheet of the documents' forms and editions, and the stamp of
# this template by which the program sees that an office's copy is older.
EDITIONS_SHEET = "様式一覧"
# The width of one column in the units of the font sizes: LibreOffice
# lays 3.25 characters of the default font out as 22.7 points (measured on
# its PDF: 24 columns scaled by 0.944 to the printable width of A4, a
# 9-point full-width glyph 8.5 points wide).
COLUMN_POINTS = 22.7


def side(style):
    return Side(style=style) if style else Side()


def underline_runs(underlined, edges):
    """The stretches of the input cells' underlines that are underlines
    only: where a box or a page frame runs along the same edge, that edge
    belongs to the frame, and restyling the underline must leave it be."""
    runs = []
    for r, c1, c2 in underlined:
        start = None
        for c in range(c1, c2 + 2):
            own = c <= c2 and edges.get((r, c), {}).get("bottom") == "hair"
            if own and start is None:
                start = c
            elif not own and start is not None:
                ref = "%s%d" % (get_column_letter(start), r)
                if c - 1 > start:
                    ref += ":%s%d" % (get_column_letter(c - 1), r)
                runs.append(ref)
                start = None
    return runs


def print_on_a4(ws, last_col, last_row, landscape=False, pages_high=0, margins=(0.55, 0.45, 0.2)):
    """Prints the sheet from A1 to the last column and row on A4, centred
    and one page wide, pages_high pages high (0: as many as it takes).
    The margins in inches: the sides, the top and bottom, the header and
    footer."""
    ws.print_area = "A1:%s%d" % (get_column_letter(last_col), last_row)
    ws.page_setup.paperSize = ws.PAPERSIZE_A4
    ws.page_setup.orientation = "landscape" if landscape else "portrait"
    ws.sheet_properties.pageSetUpPr = PageSetupProperties(fitToPage=True)
    ws.page_setup.fitToWidth = 1
    ws.page_setup.fitToHeight = pages_high
    ws.print_options.horizontalCentered = True
    sides, ends, header = margins
    ws.page_margins.left = ws.page_margins.right = sides
    ws.page_margins.top = ws.page_margins.bottom = ends
    ws.page_margins.header = ws.page_margins.footer = header


def render_sheet(wb, sheet):
    ws = wb.create_sheet(sheet.name)
    ws.sheet_view.showGridLines = False
    ws.sheet_view.zoomScale = 100
    for c in range(1, layout.COLUMNS + 1):
        ws.column_dimensions[get_column_letter(c)].width = COLUMN_WIDTH

    roles = {"title": [], "item": [], "input": []}
    reads = set()
    inputs = []  # (row, Seg) of the input cells, for the boxes sheet
    edges = {}  # (row, col) -> {"left"|"right"|"top"|"bottom": style}
    underlined = []  # (row, c1, c2) of the input cells' underlines

    def edge(r, c, where, style):
        cur = edges.setdefault((r, c), {})
        heavier = ["hair", "dotted", "thin", "medium"]
        old = cur.get(where)
        if old is None or heavier.index(style) > heavier.index(old):
            cur[where] = style

    for r, seg in sheet.cells:
        cell = ws.cell(row=r, column=seg.c1)
        content = seg.content
        if isinstance(content, layout.F):
            cell.value = content.formula()
            layout.check_formula(cell.value)
            reads.update("%s%s" % ref for ref in content.refs())
            if seg.role == "input":
                inputs.append((r, seg))
        elif content:
            cell.value = content
        r2 = r + seg.rows - 1
        if seg.c2 > seg.c1 or r2 > r:
            ws.merge_cells(start_row=r, start_column=seg.c1, end_row=r2, end_column=seg.c2)
        size = seg.size or SIZES[seg.role]
        cell.font = Font(name=FONT, size=size, bold=seg.bold and seg.role == "title")
        cell.alignment = Alignment(horizontal=seg.align, vertical=seg.valign, wrap_text=seg.wrap,
                                   shrink_to_fit=seg.shrink)
        ref = "%s%d" % (get_column_letter(seg.c1), r)
        if seg.c2 > seg.c1 or r2 > r:
            ref += ":%s%d" % (get_column_letter(seg.c2), r2)
        if content or seg.role == "input":
            roles[seg.role].append(ref)
        if seg.underline:
            for c in range(seg.c1, seg.c2 + 1):
                edge(r2, c, "bottom", "hair")
            underlined.append((r2, seg.c1, seg.c2))

    for r1, r2, c1, c2, style in sheet.boxes:
        for c in range(c1, c2 + 1):
            edge(r1, c, "top", style)
            edge(r2, c, "bottom", style)
        for r in range(r1, r2 + 1):
            edge(r, c1, "left", style)
            edge(r, c2, "right", style)
    # Every page is framed like the printed forms.
    for first, last in sheet.pages:
        for c in range(1, layout.COLUMNS + 1):
            edge(first, c, "top", "medium")
            edge(last, c, "bottom", "medium")
        for r in range(first, last + 1):
            edge(r, 1, "left", "medium")
            edge(r, layout.COLUMNS, "right", "medium")
    roles["underline"] = underline_runs(underlined, edges)
    for (r, c), e in edges.items():
        ws.cell(row=r, column=c).border = Border(left=side(e.get("left")), right=side(e.get("right")),
                                                 top=side(e.get("top")), bottom=side(e.get("bottom")))

    # Row heights: each page fills one A4 page.
    for first, last in sheet.pages:
        rows = range(first, last + 1)
        total = sum(sheet.weights.get(r, 1.0) for r in rows)
        unit = max(MIN_ROW, min(MAX_ROW, sheet.page_height / total))
        if unit * total > sheet.page_height + 0.5:
            raise SystemExit("%s: page %d-%d does not fit on A4 (%.0f pt)" % (sheet.name, first, last, unit * total))
        for r in rows:
            ws.row_dimensions[r].height = round(sheet.weights.get(r, 1.0) * unit * 4) / 4
    for first, last in sheet.pages[:-1]:
        ws.row_breaks.append(Break(id=last))
    boxes = [box_of(sheet, ws, r, seg) for r, seg in inputs]

    print_on_a4(ws, layout.COLUMNS, sheet.pages[-1][1])
    return {"cells": roles, "pages": sheet.pages, "conditions": sheet.conditions,
            "fixedRows": {str(k): v for k, v in sorted(sheet.fixed_rows.items())},
            "reads": sorted(reads, key=cell_order), "boxes": boxes, "items": sheet.items()}


def cell_order(ref):
    m = re.fullmatch(r"([A-Z]+)(\d+)", ref)
    return (int(m.group(2)), len(m.group(1)), m.group(1))


def caption_of(sheet, r, seg):
    """The item name that a value stands beside: the nearest item on its
    line to the left, else the nearest item above that starts at or left
    of it (a long item name on its own line), else the input sheet's label."""
    left = [s for row, s in sheet.cells if row == r and s.role == "item" and s.c2 < seg.c1
            and isinstance(s.content, str) and s.content.strip()]
    if left:
        return max(left, key=lambda s: s.c2).content.strip()
    for above in range(r - 1, max(0, r - 4), -1):
        items = [s for row, s in sheet.cells if row == above and s.role == "item" and s.c1 <= seg.c1
                 and isinstance(s.content, str) and s.content.strip()]
        if items:
            return max(items, key=lambda s: s.c1).content.strip()
    refs = seg.content.refs()
    if refs:
        return input_sheet.labels().get(int(refs[0][1]), "")
    return ""


def box_of(sheet, ws, r, seg):
    r2 = r + seg.rows - 1
    ref = "%s%d" % (get_column_letter(seg.c1), r)
    height = sum(ws.row_dimensions[k].height or 15.0 for k in range(r, r2 + 1))
    return [sheet.name, ref, round((seg.c2 - seg.c1 + 1) * COLUMN_POINTS, 2), round(height, 2),
            seg.size or SIZES["input"], 1 if seg.wrap else 0, seg.content.pattern() or "",
            caption_of(sheet, r, seg)]


def render_input(wb):
    ws = wb.create_sheet(layout.INPUT_SHEET)
    ws.column_dimensions["A"].width = 44
    ws.column_dimensions["B"].width = 2
    for c in "CDEFGHIJK":
        ws.column_dimensions[c].width = 16
    label_font = Font(name=FONT, size=9)
    labels = input_sheet.labels()
    clash = set(labels) & set(annex.LABELS)
    assert not clash, "input rows labelled twice: %s" % sorted(clash)
    labels.update(annex.LABELS)
    for row, text in sorted(labels.items()):
        cell = ws.cell(row=row, column=1, value=text)
        cell.font = label_font
    ws.cell(row=1, column=1).font = Font(name=FONT, size=11, bold=True)
    for ref, formula in input_sheet.formulas().items():
        layout.check_formula(formula)
        ws[ref] = formula
    ws.freeze_panes = "C2"
    return {"cells": {"title": ["A1"], "item": [], "input": [], "underline": []}, "pages": [], "conditions": [],
            "fixedRows": {}, "reads": []}


def render_conditions(wb, described):
    ws = wb.create_sheet(CONDITIONS_SHEET)
    ws.sheet_state = "hidden"
    header = ["シート", "先頭行", "最終行", "条件"]
    for c, text in enumerate(header, start=1):
        ws.cell(row=1, column=c, value=text)
    row = 2
    for name, data in described.items():
        for first, last, key in data["conditions"]:
            ws.cell(row=row, column=1, value=name)
            ws.cell(row=row, column=2, value=first)
            ws.cell(row=row, column=3, value=last)
            ws.cell(row=row, column=4, value=key)
            row += 1


def render_boxes(wb, described):
    # One cell per box, its fields separated by tabs: the program reads
    # some two thousand boxes on every output.
    ws = wb.create_sheet(BOXES_SHEET)
    ws.sheet_state = "hidden"
    ws.cell(row=1, column=1, value="\t".join(BOXES_HEADER))
    row = 2
    for data in described.values():
        for box in data.pop("boxes", []):
            assert not any("\t" in str(v) for v in box), box
            ws.cell(row=row, column=1, value="\t".join("%g" % v if isinstance(v, float) else str(v) for v in box))
            row += 1


def render_editions(wb, stamp):
    ws = wb.create_sheet(EDITIONS_SHEET)
    ws.sheet_state = "hidden"
    for c, text in enumerate(["番号", "書類", "様式", "版"], start=1):
        ws.cell(row=1, column=c, value=text)
    for k, (name, form, edition) in enumerate(editions.DOCUMENTS):
        for c, value in enumerate([k, name, form, edition], start=1):
            ws.cell(row=k + 2, column=c, value=value)
    ws.cell(row=1, column=6, value="テンプレート版")
    ws.cell(row=2, column=6, value=stamp)


def tidy(name, data):
    """Worksheet XML as a spreadsheet program writes it: characters as
    UTF-8 rather than numeric references, and formulas without an empty
    cached value (which would make every output rewrite every sheet)."""
    if not name.startswith("xl/worksheets/"):
        return data
    text = data.decode("utf-8")
    text = re.sub(r"&#(\d+);", lambda m: chr(int(m.group(1))) if int(m.group(1)) >= 0x80 else m.group(0), text)
    text = text.replace("</f><v></v>", "</f>").replace("</f><v/>", "</f>")
    # Cells that only carry a border hold no value.
    text = text.replace(' t="n"></c>', "/>")
    return text.encode("utf-8")


def reproducible(data):
    """The same zip entries with a fixed time stamp, so that regenerating
    an unchanged layout gives an unchanged file."""
    src = zipfile.ZipFile(io.BytesIO(data))
    names = src.namelist()
    # [Content_Types].xml first, as Office writes it.
    names.sort(key=lambda n: n != "[Content_Types].xml")
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as dst:
        for name in names:
            fixed = zipfile.ZipInfo(name, FIXED_TIME)
            fixed.compress_type = zipfile.ZIP_DEFLATED
            fixed.external_attr = 0o644 << 16
            dst.writestr(fixed, tidy(name, src.read(name)))
    return out.getvalue()


def build_workbook(stamp):
    wb = Workbook()
    wb.remove(wb.active)
    described = {layout.INPUT_SHEET: render_input(wb)}
    for build in sheets.ALL + [annex.build]:
        sheet = build()
        described[sheet.name] = render_sheet(wb, sheet)
    render_conditions(wb, described)
    render_boxes(wb, described)
    render_editions(wb, stamp)
    wb.active = wb.sheetnames.index("確認申請")
    for ws in wb.worksheets:
        ws.sheet_view.tabSelected = ws.title == "確認申請"
    wb.properties.creator = "ShinseiDesk"
    wb.properties.created = wb.properties.modified = datetime.datetime(*FIXED_TIME)
    wb.calculation.fullCalcOnLoad = True
    buffer = io.BytesIO()
    wb.save(buffer)
    return reproducible(buffer.getvalue()), described


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "data", "templates")
    os.makedirs(out_dir, exist_ok=True)
    # The stamp names the release and the sheets as generated without it.
    unstamped, _ = build_workbook("")
    stamp = "R%d-%s" % (editions.RELEASE, hashlib.sha1(unstamped).hexdigest()[:10])
    data, described = build_workbook(stamp)
    with open(os.path.join(out_dir, TEMPLATE), "wb") as f:
        f.write(data)
    unread = sorted(input_people_site.UNREAD | input_buildings.UNREAD | input_inspection.UNREAD | input_notices.UNREAD
                    | input_sheet.KEPT, key=cell_order)
    with open(os.path.join(out_dir, CELLS), "w", encoding="utf-8") as f:
        json.dump({"font": FONT, "stamp": stamp, "unread": unread, "sheets": described}, f, ensure_ascii=False,
                  indent=1)
        f.write("\n")
    print("wrote %s and %s" % (os.path.join(out_dir, TEMPLATE), os.path.join(out_dir, CELLS)))


if __name__ == "__main__":
    main()
