"""中間申請 (中間検査申請書, 第二十六号様式) and 完了申請 (完了検査申請書,
第十九号様式) with its fourth face 完了申請四面 (工事監理の状況)."""

from layout import COLUMNS, F, R, Seg, Sheet
import blocks


def confirmation(s, start):
    n = start
    for label, ref in (("確認済証番号", "G344"), ("確認済証交付年月日", "D346"), ("確認済証交付者", "D348"),
                       ("工事着手年月日", "D350")):
        s.item("【%s．%s】" % (blocks.kanji_number(n), label), R(ref), label_cols=9)
        n += 1
    return n


def centred(addr):
    """A value the program centres with spaces inside its brackets: the
    printed cell centres it itself, so the padding goes."""
    return F("TRIM({%s})" % addr)


def earlier_inspections(s, caption):
    s.text(caption, c1=2)
    top = s.line(Seg(2, 12, "【回数】"), Seg(13, 14, "第", align="right"), Seg(15, 16, R("G358"), align="center"),
                 Seg(17, 18, "回"), Seg(19, 20, "第", align="right"), Seg(21, 22, R("J358"), align="center"),
                 Seg(23, 24, "回"))
    for k, label in enumerate(("【イ．特定工程】", "【ロ．中間検査合格証交付者】", "【ハ．中間検査合格証番号】",
                               "【ニ．交付年月日】")):
        row = 359 + k
        s.line(Seg(2, 12, label), Seg(13, 18, centred("G%d" % row), align="center"), Seg(19, COLUMNS, R("J%d" % row)))
    bottom = s.row
    for c1, c2 in ((2, 12), (13, 18), (19, 24)):
        s.box(top, bottom, c1, c2)


def inspection_front(name, form, title, law, stamps):
    """The pages both inspection applications share: the first face, the
    people of the second face and the third face up to the confirmation."""
    s = Sheet(name)
    blocks.first_face(
        s, form, title, law + "検査を申請します。この申請書及び添付図書に記載の事項は、事実に相違ありません。",
        [("申請者氏名", R("D44")), ("工事監理者氏名", R("D14"))],
        ["※受付欄", "※決裁欄", stamps], extra=blocks.inspection_objects)
    s.end_page()

    s.title("（第二面）", size=11, h=1.4)
    s.title("建築主等の概要", size=14, h=1.6)
    blocks.people_of_inspection(s)
    s.end_page()

    s.title("（第三面）", size=11, h=1.4)
    s.title("申請する工事の概要", size=14, h=1.6)
    s.item("【１．地名地番】", R("D76"), label_cols=9)
    s.line(Seg(1, 9, "【２．主要用途】"), Seg(10, 15, R("C110")), Seg(16, COLUMNS, R("D110")))
    s.item("【３．工事種別】", R("H342"), label_cols=9)
    confirmation(s, 4)
    return s


def intermediate():
    s = inspection_front(
        "中間申請", "第二十六号様式（第四条の八関係）（Ａ４）", "中間検査申請書",
        "　建築基準法第７条の３第１項（同法第87条の４又は第88条第１項において準用する場合を含む。）の規定により、",
        "※合格証番号欄")
    s.item("【８．工事完了予定年月日】", R("D352"), label_cols=9)
    s.item("【９．特定工程】", R("D354"), label_cols=9)
    s.item("【１０．特定工程工事終了年月日】", R("F355"), label_cols=11)
    s.item("【１１．検査対象床面積】", R("D356"), label_cols=9, unit="㎡")
    s.text("【１２．検査経過】")
    earlier_inspections(s, "（今回申請以前の中間検査）")
    s.blank(0.5)
    top = s.line(Seg(2, 12, "（今回申請以降の中間検査）"), Seg(13, 14, "第", align="right"),
                 Seg(15, 16, R("G364"), align="center"), Seg(17, 18, "回"), Seg(19, 20, "第", align="right"),
                 Seg(21, 22, R("J364"), align="center"), Seg(23, 24, "回"))
    s.line(Seg(2, 12, "【イ．特定工程】"), Seg(13, 18, centred("G365"), align="center"), Seg(19, COLUMNS, R("J365")))
    s.line(Seg(2, 12, "【ロ．特定工程工事終了予定年月日】", shrink=True), Seg(13, 18, centred("G366"), align="center"),
           Seg(19, COLUMNS, R("J366")))
    for c1, c2 in ((2, 12), (13, 18), (19, 24)):
        s.box(top, s.row, c1, c2)
    s.text("【１３．備考】")
    s.line(Seg(2, COLUMNS, R("D368"), rows=4, wrap=True, valign="top"))
    return s.finish()


def completion():
    s = inspection_front(
        "完了申請", "第十九号様式（第四条関係）（Ａ４）", "完了検査申請書",
        "　建築基準法第７条第１項（同法第87条の４又は第88条第１項若しくは第２項において準用する場合を含む。）の規定により、",
        "※検査済証番号欄")
    s.item("【８．工事完了年月日】", R("D376"), label_cols=9)
    s.item("【９．検査対象床面積】", R("D356"), label_cols=9, unit="㎡")
    s.text("【１０．既に交付を受けた中間検査合格証】")
    earlier_inspections(s, "（中間検査）")
    s.text("【１１．確認以降の軽微な変更の概要】")
    s.line(Seg(2, COLUMNS, R("D380"), rows=2, wrap=True, valign="top"))
    s.text("【イ．変更された設計図書の種類】", c1=2)
    s.line(Seg(3, COLUMNS, R("E373"), rows=2, wrap=True, valign="top"))
    s.text("【ロ．変更の概要】", c1=2)
    s.line(Seg(3, COLUMNS, R("E374"), rows=3, wrap=True, valign="top"))
    s.text("【１２．備考】")
    s.line(Seg(2, COLUMNS, R("D378"), rows=3, wrap=True, valign="top"))
    return s.finish()


def completion_fourth():
    s = Sheet("完了申請四面")
    s.title("（第四面）", size=11, h=1.4)
    s.title("工事監理の状況", size=14, h=1.6)
    s.line(Seg(1, 6, "【工事名称】"), Seg(7, COLUMNS, R("C39")))
    s.line(Seg(1, 6, "【工事監理者氏名】"), Seg(7, COLUMNS, R("D14")))
    heads = [(1, 4, "確認を行った部位、材料の種類等"), (5, 8, "照合内容"), (9, 12, "照合を行った設計図書"),
             (13, 15, "設計者への確認事項"), (16, 18, "照合方法"), (19, 24, "照合結果（不適の場合には建築主に対して行った報告の内容）")]
    top = s.line(*[Seg(c1, c2, t, align="center", wrap=True, rows=3) for c1, c2, t in heads])
    for c1, c2, _ in heads:
        s.box(top, top + 2, c1, c2)
    first = s.row + 1
    for k in range(20):
        s.line(*[Seg(c1, c2, "") for c1, c2, _ in heads], h=1.5)
    for c1, c2, _ in heads:
        s.box(first, s.row, c1, c2)
    for r in range(first, s.row + 1):
        s.box(r, r, 1, COLUMNS, style="hair")
    s.text("（注意）照合方法は、目視、計測、書類等の別を記入すること。", size=8)
    return s.finish()
