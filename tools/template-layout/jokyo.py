"""除去届: 建築物除却届, 第四十一号様式 as revised for removals from
2025-01-01.  The notifier is the one who carries out the removal (除却工事
施工者).  A removal that goes with a new building is notified on the 工事届
instead."""

from layout import COLUMNS, R, Seg, Sheet
from koujitodoke import demolition_contractor, first_face_head, reception, removed_building


def build():
    s = Sheet("除去届")
    first_face_head(s, "第四十一号様式（第八条関係）（Ａ４）", "建築物除却届")
    demolition_contractor(s)
    reception(s)
    s.end_page()

    s.title("（第二面）", size=11, h=1.4)
    s.blank(0.4)
    top = s.row + 1
    s.item("【１．物件名】", R("D3270"), label_cols=9)
    removed_building(s, indent=1, numbered=True)
    s.box(top, s.row, 1, COLUMNS)
    return s.finish()
