"""概要書: 建築計画概要書, 第三号様式, faces one to three."""

from layout import COLUMNS, R, Seg, Sheet
import blocks


FORM_NUMBER = ("第三号様式（第一条の三、第三条、第三条の三、第三条の四、第三条の七、第三条の十、第六条の三、"
               "第十一条の三関係）（Ａ４）")


def people_heading(s, continued):
    if not continued:
        s.text(FORM_NUMBER, size=8)
    s.title("建築計画概要書", size=16 if not continued else 12, h=2.2 if not continued else 1.6)
    s.title("（第一面）", size=11, h=1.4)
    s.title("建築主等の概要（続き）" if continued else "建築主等の概要", size=12 if continued else 13, h=1.5)


def build():
    s = Sheet("概要書")
    # Open to public inspection: no telephone of the owner.
    blocks.people_pages(s, people_heading, outline=True)

    s.title("（第二面）", size=11, h=1.4)
    s.title("建築物及びその敷地に関する事項", size=14, h=1.6)
    blocks.site_matters(s, face="（第二面）")
    s.end_page()

    s.title("（第三面）", size=11, h=1.4)
    s.title("付近見取図・配置図", size=14, h=1.6)
    s.line(Seg(1, 6, "【建築物の名称】"), Seg(7, COLUMNS, R("C40")))
    s.line(Seg(1, 6, "【地名地番】"), Seg(7, COLUMNS, R("D76")))
    s.text("【付近見取図】")
    top = s.line(Seg(2, COLUMNS - 1, ""), h=1.0)
    s.blank(1.0, count=17)
    s.box(top, s.row, 2, COLUMNS - 1)
    s.text("【配置図】")
    top = s.line(Seg(2, COLUMNS - 1, ""), h=1.0)
    s.blank(1.0, count=19)
    s.box(top, s.row, 2, COLUMNS - 1)
    s.text("（注意）方位、道路及び目標となる地物並びに敷地境界線、敷地内における建築物の位置を明示すること。", size=8)
    return s.finish()
