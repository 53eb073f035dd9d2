"""台帳: the office's business ledger of the project (建築士事務所の業務の帳簿)."""

from layout import R, Seg, Sheet
import blocks


def build():
    s = Sheet("台帳")
    s.title("業　務　台　帳", size=18, h=2.6)
    s.text("（建築士法第24条の４第１項の帳簿）", align="center", size=9)
    s.item("【工事名称】", R("C39"), label_cols=7)
    s.item("【建築物の名称】", R("C40"), label_cols=7)
    s.text("【契約の相手方】")
    s.item("【フリガナ】", R("E557"), indent=2, label_cols=6)
    s.item("【氏名】", R("E558"), indent=2, label_cols=6)
    s.pairs(("【郵便番号】", R("E559")), ("【電話番号】", R("E561")), indent=2)
    s.item("【住所】", R("E560"), indent=2, label_cols=6)
    s.item("【契約年月日】", R("D563"), label_cols=7)
    s.item("【受託業務の種類】", R("D565"), label_cols=7)
    s.line(Seg(1, 7, "【契約報酬額】"), Seg(8, 13, R("D572"), align="right"), Seg(14, 14, "円"),
           Seg(15, 19, "【受領報酬額】"), Seg(20, 23, R("D573"), align="right"), Seg(24, 24, "円"))
    s.item("【業務終了年月日】", R("D575"), label_cols=7)
    s.text("【業務委託先】")
    s.item("【委託業務概要】", R("F577"), indent=2, label_cols=6)
    s.item("【委託先名】", R("F578"), indent=2, label_cols=6)
    s.item("【委託先住所】", R("F579"), indent=2, label_cols=6)
    for caption, first in (("【設計業務担当建築士】", 581), ("【監理業務担当建築士】", 587)):
        s.text(caption)
        blocks.architects_by_role(s, first)
    s.text("【工事費】")
    heads = [(2, 6, "項目"), (7, 11, "予算"), (12, 16, "契約"), (17, 20, "追加・変更"), (21, 24, "合計")]
    top = s.line(*[Seg(c1, c2, t, align="center") for c1, c2, t in heads])
    for k in range(6):
        row = 595 + k
        s.line(Seg(2, 6, R("C%d" % row)), Seg(7, 11, R("E%d" % row), align="right"),
               Seg(12, 16, R("G%d" % row), align="right"), Seg(17, 20, R("I%d" % row), align="right"),
               Seg(21, 24, R("K%d" % row), align="right"))
    s.line(Seg(2, 6, "総合計", align="center"), Seg(21, 24, R("K601"), align="right"))
    for c1, c2, _ in heads:
        s.box(top, s.row, c1, c2)
    s.box(top, top, 2, 24)
    s.box(s.row, s.row, 2, 24)
    s.text("【工事関係者】")
    blocks.works_companies(s)
    return s.finish()
