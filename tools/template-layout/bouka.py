"""防火対象物: the matters of a fire-prevention object that the fire
department's consent asks for."""

from layout import COLUMNS, F, R, Seg, Sheet


def build():
    s = Sheet("防火対象物")
    s.blank(0.6)
    s.title("防火対象物に関する事項", size=16, h=2.4)
    s.blank(0.8)
    top = s.row + 1
    s.item("【建築物の名称】", R("C40"), label_cols=8)
    s.item("【建築場所】", R("D76"), label_cols=8)
    s.item("【建築主】", R("D44"), label_cols=8)
    s.item("【電話番号】", R("D632"), label_cols=8)
    s.line(Seg(1, 8, "【主要用途】"), Seg(9, 14, R("C110")), Seg(15, COLUMNS, R("D110")))
    s.line(Seg(1, 8, "【構造】"), Seg(9, 16, R("E154")), Seg(17, 17, "造"))
    s.line(Seg(1, 8, "【階数】"), Seg(9, 10, "地上"), Seg(11, 12, R("I215"), align="right"), Seg(13, 13, "階"),
           Seg(14, 15, "地下"), Seg(16, 17, R("I216"), align="right"), Seg(18, 18, "階"))
    s.line(Seg(1, 8, "【延べ面積】"), Seg(9, 14, R("G133"), align="right"), Seg(15, 15, "㎡"))
    s.item("【使用開始年月日】", R("D634"), label_cols=8)
    s.item("【従業員数】", R("D636"), label_cols=8, unit="人")
    s.item("【公開（従業）時間】", R("D638"), label_cols=8)
    s.text("【屋外消火栓、動力消防ポンプ、消防用水の概要】")
    for row in (640, 641, 642):
        s.line(Seg(3, COLUMNS, R("D%d" % row)))
    s.text("【その他必要な事項】")
    s.line(Seg(2, COLUMNS, R("D645"), rows=4, wrap=True, valign="top"))
    s.box(top, s.row, 1, COLUMNS)
    return s.finish()
