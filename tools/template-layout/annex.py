"""別紙: the continuation pages for texts that do not fit their box on a
form even in the smallest readable size.  The program writes 「別紙のとおり」
into such a box and the item's name and whole text into as many slots here
as it needs, in order;
page k prints only when its slots are used (condition "annex:k").

Each slot reads two input-sheet cells of its own: the item name in column
D of slot_row(i), the text in column D of the next row.  The first slots
keep the rows of the earlier templates; the rest lie after the other
input rows."""

from layout import COLUMNS, R, Seg, Sheet

SHEET = "別紙"
FIRST_ROW = 1780
EARLY_SLOTS = 8
LATER_ROW = 3400
PAGES = 16
SLOTS_PER_PAGE = 2
TEXT_ROWS = 26


def slot_row(i):
    return FIRST_ROW + 2 * i if i < EARLY_SLOTS else LATER_ROW + 2 * (i - EARLY_SLOTS)


LABELS = {}
for _i in range(PAGES * SLOTS_PER_PAGE):
    LABELS[slot_row(_i)] = "別紙 %d　項目名（書類・欄）" % (_i + 1)
    LABELS[slot_row(_i) + 1] = "別紙 %d　記載事項" % (_i + 1)


def build():
    s = Sheet(SHEET)
    slot = 0
    for page in range(PAGES):
        s.when("annex:%d" % (page + 1))
        s.title("別紙", size=14, h=2.0)
        s.blank(0.6)
        for _ in range(SLOTS_PER_PAGE):
            row = slot_row(slot)
            s.line(Seg(2, COLUMNS, R("D%d" % row), role="input", underline=False), h=1.3)
            top = s.line(Seg(2, COLUMNS - 1, R("D%d" % (row + 1)), rows=TEXT_ROWS, wrap=True, valign="top",
                             underline=False))
            s.box(top, s.row, 1, COLUMNS, style="thin")
            s.blank(0.6)
            slot += 1
        s.end_page()
    return s.finish()
