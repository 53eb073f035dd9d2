"""記録: the business record book (業務記録簿), 90 lines on two pages."""

from layout import COLUMNS, R, Seg, Sheet

LINES = 90
PER_PAGE = 45


def build():
    s = Sheet("記録")
    heads = [(1, 2, "No."), (3, 8, "項　目"), (9, 10, "年"), (11, 11, "月"), (12, 12, "日"), (13, 24, "内　容")]
    for page in range(LINES // PER_PAGE):
        s.title("業　務　記　録　簿", size=16, h=2.2)
        s.line(Seg(1, 4, "【工事名称】"), Seg(5, 14, R("C39")), Seg(15, 17, "【建築主】"), Seg(18, COLUMNS, R("D44")))
        top = s.line(*[Seg(c1, c2, t, align="center") for c1, c2, t in heads])
        for i in range(page * PER_PAGE, (page + 1) * PER_PAGE):
            row = 1630 + i
            s.line(Seg(1, 2, str(i + 1), align="center", role="item"), Seg(3, 8, R("C%d" % row), underline=False),
                   Seg(9, 10, R("D%d" % row), align="center", underline=False),
                   Seg(11, 11, R("E%d" % row), align="center", underline=False),
                   Seg(12, 12, R("F%d" % row), align="center", underline=False),
                   Seg(13, 24, R("G%d" % row), underline=False))
        for c1, c2, _ in heads:
            s.box(top, s.row, c1, c2)
        for r in range(top, s.row + 1):
            s.box(r, r, 1, COLUMNS, style="hair")
        s.end_page()
    return s.finish()
