"""Building blocks of the printed-form layout descriptions.

Each printed sheet of the application workbook is described in its own
module of this folder as a sequence of lines on a grid of 24 equal
columns (A to X).  A line holds segments: a fixed text (an item name or a
title) or a value taken from the input sheet "データ入力１" by a formula.
Pages are closed explicitly; the generator turns every page into one A4
portrait page (row heights fitted to the page, a manual break after it).

Every cell carries one of three roles that the formatting feature of the
program reads from the generated cells list:
  title  - the name of a form or of one of its faces
  item   - item names and the fixed wording of a form
  input  - a cell whose value comes from the input sheet
"""

import re

INPUT_SHEET = "データ入力１"
COLUMNS = 24


def _quote(text):
    return '"' + text.replace('"', '""') + '"'


class F:
    """A formula over input-sheet cells: {D43} stands for the cell D43 of
    the input sheet, {$C$301} for an absolute reference."""

    def __init__(self, template):
        self.template = template

    def formula(self):
        out = []
        i = 0
        t = self.template
        while i < len(t):
            if t[i] == "{":
                j = t.index("}", i)
                out.append("'%s'!%s" % (INPUT_SHEET, t[i + 1:j]))
                i = j + 1
            else:
                out.append(t[i])
                i += 1
        return "=" + "".join(out)

    def refs(self):
        import re
        return re.findall(r"\{\$?([A-Z]+)\$?(\d+)\}", self.template)

    def pattern(self):
        """What the cell shows as a text pattern the program can fill in:
        fixed text as it is, {D43} for an input cell, {A|B} for the first
        of two that is not empty. None for a formula that computes more
        than a run of texts (the program then leaves its size alone)."""
        try:
            return "".join(_pattern(self.template))
        except ValueError:
            return None

    def blank_if(self, flag):
        """Empty when the input cell `flag` is true (an unused floor page)."""
        return F('IF({%s},"",%s)' % (flag, self.template))


# The formula language of the template: what the program evaluates itself
# to give every formula cell of the filled workbook its value
# (src/output/XlsxFormula.cpp keeps the same grammar). A formula outside it
# would leave its cell empty in viewers that do not calculate.
FUNCTIONS = {"IF": (2, 3), "AND": (1, 255), "OR": (1, 255), "RIGHT": (1, 2)}
_REF = re.compile(r"(?:'(?:[^']|'')+'!|[A-Za-z_][\w.]*!)?\$?[A-Z]{1,3}\$?[0-9]+(?![\w.:$(])")
_NUMBER = re.compile(r"[0-9]+(?:\.[0-9]+)?(?![\w.])")
_STRING = re.compile(r'"(?:[^"]|"")*"')
_FUNCTION = re.compile(r"([A-Z]+)\(")


def check_formula(formula):
    """Raises ValueError when the formula (with its '=') uses anything
    beyond cell references, quoted texts, numbers, &, =, <>, brackets and
    the functions of FUNCTIONS."""
    assert formula.startswith("="), formula
    text = formula[1:]
    pos = _check_comparison(text, 0)
    if pos != len(text):
        raise ValueError("formula outside the template's language at %d: %s" % (pos, formula))


def _check_comparison(t, pos):
    pos = _check_concat(t, pos)
    while t.startswith("=", pos) or t.startswith("<>", pos):
        pos = _check_concat(t, pos + (1 if t[pos] == "=" else 2))
    return pos


def _check_concat(t, pos):
    pos = _check_primary(t, pos)
    while t.startswith("&", pos):
        pos = _check_primary(t, pos + 1)
    return pos


def _check_primary(t, pos):
    if t.startswith("(", pos):
        pos = _check_comparison(t, pos + 1)
        if not t.startswith(")", pos):
            raise ValueError("unclosed bracket in %s" % t)
        return pos + 1
    m = _FUNCTION.match(t, pos)
    if m:
        if m.group(1) not in FUNCTIONS:
            raise ValueError("function %s is outside the template's language: %s" % (m.group(1), t))
        least, most = FUNCTIONS[m.group(1)]
        pos, count = m.end(), 0
        while True:
            pos = _check_comparison(t, pos)
            count += 1
            if t.startswith(",", pos):
                pos += 1
                continue
            if not t.startswith(")", pos):
                raise ValueError("unclosed %s( in %s" % (m.group(1), t))
            break
        if not least <= count <= most:
            raise ValueError("%s takes %d to %d arguments: %s" % (m.group(1), least, most, t))
        return pos + 1
    for pattern in (_STRING, _NUMBER, _REF):
        m = pattern.match(t, pos)
        if m:
            return m.end()
    raise ValueError("formula outside the template's language at %d: %s" % (pos, t))


def _split_top(text, sep):
    """text split at sep where sep lies outside quotes and brackets."""
    parts, depth, quoted, start = [], 0, False, 0
    for i, ch in enumerate(text):
        if ch == '"':
            quoted = not quoted
        elif not quoted and ch in "({":
            depth += 1
        elif not quoted and ch in ")}":
            depth -= 1
        elif not quoted and depth == 0 and ch == sep:
            parts.append(text[start:i])
            start = i + 1
    parts.append(text[start:])
    return parts


def _closing(text, start):
    """Where the bracket opened at start closes (outside quotes)."""
    depth, quoted = 0, False
    for i in range(start, len(text)):
        ch = text[i]
        if ch == '"':
            quoted = not quoted
        elif not quoted and ch == "(":
            depth += 1
        elif not quoted and ch == ")":
            depth -= 1
            if depth == 0:
                return i
    return -1


def _pattern(template):
    out = []
    for piece in _split_top(template, "&"):
        piece = piece.strip()
        ref = re.fullmatch(r"\{\$?([A-Z]+)\$?(\d+)\}", piece)
        first = re.fullmatch(r'IF\(\{\$?([A-Z]+\d+)\}<>"",\{\$?\1\},\{\$?([A-Z]+\d+)\}\)', piece.replace("$", ""))
        blank = re.fullmatch(r'IF\(\{[^}]+\},"",(.*)\)', piece)
        if ref:
            out.append("{%s%s}" % ref.groups())
        elif len(piece) >= 2 and piece[0] == '"' and piece[-1] == '"':
            literal = piece[1:-1]
            if '"' in literal.replace('""', "") or "{" in literal:
                raise ValueError(piece)
            out.append(literal.replace('""', '"'))
        elif piece.startswith("(") and _closing(piece, 0) == len(piece) - 1:
            out.extend(_pattern(piece[1:-1]))
        elif first:
            out.append("{%s|%s}" % first.groups())
        elif blank:
            out.extend(_pattern(blank.group(1)))
        else:
            raise ValueError(piece)
    return out


def _column(c):
    name = ""
    while c:
        c, rem = divmod(c - 1, 26)
        name = chr(65 + rem) + name
    return name


def R(addr):
    """The text of one input cell; an empty cell shows empty, not 0."""
    return F('{%s}&""' % addr)


def J(*parts):
    """Fixed texts and input cells run together into one text."""
    pieces = []
    for p in parts:
        if isinstance(p, str):
            pieces.append(_quote(p))
        elif isinstance(p, F):
            pieces.append("(" + p.template + ")")
        else:
            raise TypeError(p)
    return F("&".join(pieces) if pieces else '""')


def FIRST(primary, fallback):
    """The first of two input cells that is not empty."""
    return F('IF({%s}<>"",{%s},{%s})&""' % (primary, primary, fallback))


class Seg:
    """One merged cell of a line: columns c1..c2 (1-based, inclusive)."""

    def __init__(self, c1, c2, content, role=None, align="left", valign="center", size=None,
                 wrap=False, shrink=None, rows=1, bold=False, underline=None):
        assert 1 <= c1 <= c2 <= COLUMNS, (c1, c2, content)
        self.c1, self.c2 = c1, c2
        self.content = content
        if role is None:
            role = "input" if isinstance(content, F) else "item"
        self.role = role
        self.align = align
        self.valign = valign
        self.size = size
        self.wrap = wrap
        # A value never shrinks by itself (a spreadsheet program would make
        # it unreadably small): the program sizes the font of a long value
        # down to a readable minimum and moves the rest to the 別紙.
        self.shrink = False if shrink is None or role == "input" else shrink
        self.rows = rows
        self.bold = bold
        self.underline = (role == "input") if underline is None else underline


class Sheet:
    """A printed sheet under construction."""

    def __init__(self, name, page_height=760.0):
        self.name = name
        self.row = 0
        self.pages = []          # [first_row, last_row]
        self.page_start = 1
        self.cells = []          # (row, Seg)
        self.weights = {}        # row -> relative height
        self.boxes = []          # (r1, r2, c1, c2, style)
        self.page_height = page_height
        self.fixed_rows = {}     # row -> label, rows that the program relies on
        # [first_row, last_row, key]: pages that print only when the project
        # has what the key names (see when()).
        self.conditions = []
        self.page_key = None
        self.block_conditions = []  # those of rows inside the current page
        self.block_key = None

    # -- rows and pages ---------------------------------------------------
    def line(self, *segs, h=1.0):
        """Adds one row (or more, when a segment spans rows) holding segs."""
        self.row += 1
        r = self.row
        span = max([s.rows for s in segs] or [1])
        for s in segs:
            self.cells.append((r, s))
        for k in range(span):
            self.weights[r + k] = h
        self.row += span - 1
        return r

    def blank(self, h=0.5, count=1):
        for _ in range(count):
            self.line(h=h)

    def end_page(self):
        assert self.row >= self.page_start, "empty page"
        self.pages.append([self.page_start, self.row])
        assert self.block_key is None, "%s: a block runs past its page" % self.name
        if self.page_key:
            self.conditions.append([self.page_start, self.row, self.page_key])
            self.page_key = None
        # A block's rows stay hidden on a page that prints: its condition
        # comes after the page's in the list that the program applies.
        self.conditions.extend(self.block_conditions)
        self.block_conditions = []
        self.page_start = self.row + 1

    def when(self, key):
        """The page being built prints only when the project has what key
        names; the program hides its rows otherwise:
          "building:N"   building N (1-3) is applied for
          "floor:N:F"    building N has an F-th floor (F counts from 1)
          "part:N:P"     building N has a P-th independent part (P = 1 also
                         when none is entered: every building has one)
          "persons:K:N"  the project has at least N further persons of kind K
                         (1 designers, 2 supervisors, 3 persons consulted)
          "annex"        a text went to the continuation sheet (別紙)
          "housing"      the notice has a housing part
          "removal"      an existing building is removed
        Keys joined by "|" hold when any of them holds.
        """
        assert self.page_key is None, "%s: a page has one condition" % self.name
        self.page_key = key

    def only(self, key):
        """The lines from here to done() print only when key holds (see
        when()); the page keeps its other lines."""
        assert self.block_key is None, "%s: blocks do not nest" % self.name
        self.block_key = (key, self.row + 1)

    def done(self):
        key, first = self.block_key
        assert self.row >= first, "%s: empty block" % self.name
        self.block_conditions.append([first, self.row, key])
        self.block_key = None

    def pad_to(self, last_row, h=0.4):
        """Fills the current page with blank rows up to last_row."""
        assert self.row <= last_row, "%s: row %d is already past %d" % (self.name, self.row, last_row)
        while self.row < last_row:
            self.line(h=h)

    def expect_row(self, row, label):
        """The next line must be `row`: the program hides or reads it by number."""
        assert self.row + 1 == row, "%s: %s must start at row %d, not %d" % (self.name, label, row, self.row + 1)
        self.fixed_rows[row] = label

    def box(self, r1, r2, c1=1, c2=COLUMNS, style="thin"):
        self.boxes.append((r1, r2, c1, c2, style))

    # -- common line shapes ------------------------------------------------
    def title(self, text, size=14, align="center", h=2.0, c1=1, c2=COLUMNS):
        return self.line(Seg(c1, c2, text, role="title", align=align, size=size, bold=True), h=h)

    def text(self, text, c1=1, c2=COLUMNS, align="left", h=1.0, wrap=False, rows=1, size=None):
        return self.line(Seg(c1, c2, text, align=align, wrap=wrap, rows=rows, size=size), h=h)

    def item(self, label, value=None, indent=1, label_cols=9, unit=None, unit_cols=2, h=1.0,
             rows=1, wrap=False):
        """An item name followed by its value to the end of the line."""
        c = indent
        segs = [Seg(c, c + label_cols - 1, label)]
        c += label_cols
        if value is not None:
            end = COLUMNS - (unit_cols if unit else 0)
            segs.append(Seg(c, end, value, rows=rows, wrap=wrap))
            if unit:
                segs.append(Seg(end + 1, COLUMNS, unit))
        return self.line(*segs, h=h)

    def pairs(self, *items, indent=1, h=1.0):
        """Several (label, value[, unit]) items on one line, sharing it evenly."""
        width = (COLUMNS - indent + 1) // len(items)
        segs = []
        c = indent
        for k, it in enumerate(items):
            label, value = it[0], it[1]
            unit = it[2] if len(it) > 2 else None
            last = COLUMNS if k == len(items) - 1 else c + width - 1
            lw = max(1, min(len(label) // 2 + 1, last - c - 1))
            if len(it) > 3:
                lw = it[3]
            segs.append(Seg(c, c + lw - 1, label))
            vend = last - (1 if unit else 0)
            if value is not None:
                segs.append(Seg(c + lw, vend, value))
            if unit:
                segs.append(Seg(vend + 1, last, unit))
            c = last + 1
        return self.line(*segs, h=h)

    def long_item(self, label, value, indent=1, value_indent=3, rows=1, wrap=False, unit=None):
        """An item name too long for its line; the value goes on the next."""
        self.line(Seg(indent, COLUMNS, label))
        segs = [Seg(value_indent, COLUMNS - (2 if unit else 0), value, rows=rows, wrap=wrap)]
        if unit:
            segs.append(Seg(COLUMNS - 1, COLUMNS, unit))
        return self.line(*segs)

    def items(self):
        """The numbered items of the sheet in the form's order, for the
        clerk who types a form into a portal item by item: each 【…】 caption
        with the input cells that print its value (up to the next caption
        or face). The face is the page's （第…面） title, the number the
        caption's own (イ) after its heading's (１): "１．イ". A choice box
        (□/■ cell followed by its wording on the line) counts by its wording.
        Headings without a value of their own are left out."""
        out = []
        face = ""
        heading = ""
        current = None
        pending = []
        cells = sorted(self.cells, key=lambda rc: (rc[0], rc[1].c1))
        for k, (r, seg) in enumerate(cells):
            content = seg.content
            if seg.role == "title" and isinstance(content, str):
                m = re.fullmatch(r"（(第.+面)）", content.strip())
                if m:
                    face, heading, current = m.group(1), "", None
                elif not face:
                    face = content.strip()
                continue
            if isinstance(content, str):
                m = re.match(r"【(?:([０-９0-9]+|[ア-ン])．)?(.*?)】", content.strip())
                if m:
                    number, caption = m.group(1) or "", m.group(2)
                    if re.fullmatch(r"[０-９0-9]+", number):
                        heading = number
                    elif number and heading:
                        number = heading + "．" + number
                    current = {"row": r, "face": face, "number": number, "caption": caption,
                               "cells": pending}
                    pending = []
                    out.append(current)
                continue
            if not isinstance(content, F) or seg.role != "input" or (current is None and not pending):
                continue
            ref = "%s%d" % (_column(seg.c1), r)
            if re.fullmatch(r'IF\(\{\$?[A-Z]+\d+\}="","□",\{\$?[A-Z]+\d+\}\)', content.template):
                following = [s for rr, s in cells[k + 1:k + 2] if rr == r and isinstance(s.content, str)]
                choice = [ref, following[0].content.strip() if following else ""]
                # A box that opens a line whose caption follows belongs to that caption.
                later = [s for rr, s in cells[k + 1:] if rr == r and isinstance(s.content, str)
                         and s.content.strip().startswith("【")]
                if later:
                    pending.append(choice)
                else:
                    current["cells"].append(choice)
            else:
                current["cells"].append([ref])
        return [i for i in out if i["cells"]]

    def finish(self):
        if self.page_start <= self.row:
            self.end_page()
        return self


def office_boxes(s, columns):
    """The boxes for the receiving office (※受付欄 …): a header line, then
    the date, the number and the clerk's name under each."""
    width = COLUMNS // len(columns)
    r0 = s.line(*[Seg(1 + k * width, (k + 1) * width, t, align="center") for k, t in enumerate(columns)])
    rows = ["　　年　　月　　日", "第　　　　　　号", "係員氏名"]
    r1 = None
    for t in rows:
        r = s.line(*[Seg(1 + k * width, (k + 1) * width, t, align="left" if t == "係員氏名" else "center")
                     for k in range(len(columns))], h=1.4)
        r1 = r1 or r
    s.line(*[Seg(1 + k * width, (k + 1) * width, "") for k in range(len(columns))], h=2.0)
    for k in range(len(columns)):
        s.box(r0, r0, 1 + k * width, (k + 1) * width)
        s.box(r1, s.row, 1 + k * width, (k + 1) * width)
