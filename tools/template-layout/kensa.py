"""中間申請 (中間検査申請書, 第二十六号様式) and 完了申請 (完了検査申請書,
第十九号様式), faces one to four: the completion's fourth face (工事監理の
状況) keeps a sheet of its own, 完了申請四面; the intermediate prints its
fourth face as the last page of its sheet.

The pages of further persons print only when the project has them
(Sheet.when); empty brackets and counts print nothing."""

from layout import COLUMNS, F, R, Seg, Sheet
import blocks
import input_inspection as ii

FORM_INTERMEDIATE = "第二十六号様式（第四条の八、第四条の十一の二関係）（Ａ４）"
FORM_COMPLETION = "第十九号様式（第四条、第四条の四の二関係）（Ａ４）"
# unverified: the wording of both statements beyond the articles the rules cite
STATEMENT_INTERMEDIATE = (
    "　特定工程に係る工事を終えましたので、建築基準法第７条の３第１項又は第７条の４第１項（これらの規定を同法"
    "第87条の４又は第88条第１項において準用する場合を含む。）の規定により、検査を申請します。"
    "この申請書及び添付図書に記載の事項は、事実に相違ありません。")
STATEMENT_COMPLETION = (
    "　工事を完了しましたので、建築基準法第７条第１項又は第７条の２第１項（これらの規定を同法第87条の４又は"
    "第88条第１項若しくは第２項において準用する場合を含む。）の規定により、検査を申請します。"
    "この申請書及び添付図書に記載の事項は、事実に相違ありません。")


def _mark(row, c):
    """The box of one choice: the program writes □ or ■ into it."""
    return Seg(c, c, R("C%d" % row), align="center", underline=False)


def _choice_line(s, options):
    """(input row, word, first column, last column) of choices on one line."""
    segs = []
    for row, word, c1, c2 in options:
        segs += [_mark(row, c1), Seg(c1 + 1, c2, word)]
    return s.line(*segs, h=1.2)


def objects(completion):
    """【検査を申請する建築物等】: only the completion inspection covers
    the structures of 法第88条第２項."""
    def block(s):
        o = ii.OBJECT_ROW
        s.blank(0.6)
        s.text("【検査を申請する建築物等】", c1=2)
        _choice_line(s, [(o, "建築物", 3, 7), (o + 1, "建築設備（昇降機）", 9, 15), (o + 2, "建築設備（昇降機以外）", 17, 24)])
        # unverified: 「工作物（法第88条第１項）」 for the structures other than lifts
        structures = [(o + 3, "工作物（昇降機）", 3, 8), (o + 4, "工作物（法第88条第１項）", 9, 16)]
        if completion:
            structures.append((o + 5, "工作物（法第88条第２項）", 17, 24))
        _choice_line(s, structures)
    return block


def first_face(s, completion):
    blocks.first_face(
        s, FORM_COMPLETION if completion else FORM_INTERMEDIATE,
        "完了検査申請書" if completion else "中間検査申請書",
        STATEMENT_COMPLETION if completion else STATEMENT_INTERMEDIATE,
        [("申請者氏名", R("D44")), ("工事監理者氏名", R("D14"))],
        # unverified: the names of the office's boxes
        ["※受付欄", "※決裁欄", "※検査済証番号欄" if completion else "※中間検査合格証番号欄"],
        extra=objects(completion))
    s.end_page()


# -- 第二面 建築主等の概要 ------------------------------------------------------
# Kinds of persons as the project lists them: 1 designers, 2 supervisors
# (the representatives come from the overview), 4 persons consulted on the
# supervision of the building equipment (the first one entered is the
# representative).
CAPTIONS = {1: ("（代表となる設計者）", "（その他の設計者）"),
            2: ("（代表となる工事監理者）", "（その他の工事監理者）"),
            4: ("（代表となる建築設備の工事監理に関し意見を聴いた者）", "（その他の建築設備の工事監理に関し意見を聴いた者）")}
TITLES = {1: "【３．設計者】", 2: "【４．工事監理者】", 4: "【５．建築設備の工事監理に関し意見を聴いた者】"}
SUPERVISOR_DRAWINGS = "【ト．工事と照合した設計図書】"  # unverified: 照合した (the application: 照合する)


def person(s, kind, k, guarded=False):
    """The k-th person of a kind from its two input rows (see
    blocks.further_person); slot 0 of kind 4 is the representative."""
    if kind == 4:
        r = ii.CONSULTED_ROW + 2 * k
    else:
        r = blocks.FURTHER_FIRST_ROW[kind] + 2 * k
    guard = blocks._Guard("D%d" % r, "D%d" % (r + 1)) if guarded else blocks._NO_GUARD
    caption = CAPTIONS[kind][0 if kind == 4 and k == 0 else 1]
    s.line(guard.seg(2, COLUMNS, caption))
    if kind == 4:
        blocks._consultant(s, "D%d" % r, "D%d" % (r + 1), "I%d" % r, "I%d" % (r + 1), "J%d" % r, "H%d" % r,
                           "J%d" % (r + 1), guard=guard)
    else:
        blocks._architect(s, ("F%d" % r, "G%d" % r, "H%d" % r), "D%d" % r,
                          ("F%d" % (r + 1), "G%d" % (r + 1), "H%d" % (r + 1)), "D%d" % (r + 1),
                          "I%d" % r, "I%d" % (r + 1), "J%d" % r,
                          SUPERVISOR_DRAWINGS if kind == 2 else None, "J%d" % (r + 1), guard=guard)


def people_heading(s, continued):
    s.title("（第二面）", size=11, h=1.4)
    s.title("建築主等の概要（続き）" if continued else "建築主等の概要", size=12 if continued else 14, h=1.6)


def people_pages(s):
    people_heading(s, False)
    blocks.owner_in_force(s, "１", title="建築主、設置者又は築造主")
    blocks.agent_in_force(s, "２")
    blocks.head(s, TITLES[1])
    s.text(CAPTIONS[1][0], c1=2)
    # unverified: no 【ト．】 of drawings for the designers of an inspection
    blocks._architect(s, ("F10", "G10", "H10"), "D9", ("F3", "G3", "H3"), "D2", "D11", "D12", "D6")
    person(s, 1, 0)
    s.end_page()

    people_heading(s, True)
    blocks.head(s, TITLES[2])
    s.text(CAPTIONS[2][0], c1=2)
    blocks._architect(s, ("F15", "G15", "H15"), "D14", ("F19", "G19", "H19"), "D18", "D20", "D21", "D22",
                      SUPERVISOR_DRAWINGS, "D1801")
    person(s, 2, 0)
    blocks.head(s, TITLES[4])
    person(s, 4, 0)
    person(s, 4, 1)
    blocks.contractor_in_force(s, "６")
    blocks.head(s, "【７．備考】")
    s.line(Seg(2, COLUMNS, ""), h=1.0)
    s.line(Seg(2, COLUMNS, ""), h=1.0)
    s.end_page()

    # Continuation pages: the face holds the representative and one more
    # of each kind.
    for kind, first, slots in ((1, 1, blocks.FURTHER_SLOTS[1]), (2, 1, blocks.FURTHER_SLOTS[2]),
                               (4, 2, ii.CONSULTED_SLOTS)):
        for start in range(first, slots, blocks.FURTHER_PER_PAGE):
            # The kind-4 list counts its representative.
            s.when("persons:%d:%d" % (kind, start + 1))
            people_heading(s, True)
            blocks.head(s, TITLES[kind])
            for k in range(start, min(start + blocks.FURTHER_PER_PAGE, slots)):
                person(s, kind, k, guarded=True)
                s.blank(0.4)
            s.end_page()


# -- 第三面 申請する工事の概要 --------------------------------------------------
def _value(s, n, label, value, label_cols=9, unit_cell=None, unit=None):
    segs = [Seg(1, label_cols, "【%s．%s】" % (blocks.kanji_number(n), label)),
            Seg(label_cols + 2, COLUMNS - (2 if unit else 0), value)]
    if unit:
        segs.append(Seg(COLUMNS - 1, COLUMNS, F('IF({%s}<>"","%s","")' % (unit_cell, unit)), role="item",
                        underline=False))
    return s.line(*segs)


def site_and_kind(s):
    s.title("（第三面）", size=11, h=1.4)
    s.title("申請する工事の概要", size=14, h=1.6)
    blocks.head(s, "【１．建築場所、設置場所又は築造場所】")
    s.line(Seg(2, 9, "【イ．地名地番】"), Seg(11, COLUMNS, R("D76"), rows=2, wrap=True))
    s.line(Seg(2, 9, "【ロ．住居表示】"), Seg(11, COLUMNS, R("D77"), rows=2, wrap=True))
    blocks.head(s, "【２．工事種別】")
    w = ii.WORK_ROW
    _choice_line(s, [(w, "新築", 2, 4), (w + 1, "増築", 6, 8), (w + 2, "改築", 10, 12), (w + 3, "移転", 14, 16),
                     (w + 4, "用途変更", 18, 22)])
    _choice_line(s, [(w + 5, "大規模の修繕", 2, 7), (w + 6, "大規模の模様替", 9, 15)])
    # unverified: the wording of イ and ロ (those of the application's 【１１．確認の特例】);
    # that there is an イ is confirmed, ハ is worded as the office software of the 2007 edition had it
    e = ii.EXEMPTION_ROW
    for label, row in [
            ("【イ．建築基準法第６条の４第１項の規定による確認の特例の適用があるときは、"
             "建築基準法施行令第10条各号に掲げる建築物の区分】", e),
            ("【ロ．建築基準法施行令第10条第１号又は第２号に掲げる建築物に該当するときは、当該認定型式の認定番号】", e + 1),
            ("【ハ．建築基準法第68条の20第２項の検査の特例に係る認証番号】", e + 2)]:
        s.line(Seg(2, COLUMNS, label, shrink=True))
        s.line(Seg(4, COLUMNS, R("C%d" % row)))


def confirmation(s):
    s.line(Seg(1, 9, "【３．確認済証番号】"), Seg(11, COLUMNS, R("G344")))
    _value(s, 4, "確認済証交付年月日", R("D346"))
    _value(s, 5, "確認済証交付者", R("D348"))
    _value(s, 6, "工事着手年月日", R("D350"))


def _count(addr):
    """（第 n 回）, nothing while no number is entered."""
    return F('IF({%s}="","","（第"&{%s}&"回）")' % (addr, addr))


def inspections_table(s, caption, rows):
    """Two inspections side by side: (label, input row) per line, the
    first row giving their numbers; the values are in C and D."""
    s.text(caption, c1=2)
    head_row = rows[0][1]
    top = s.line(Seg(2, 11, ""), Seg(12, 17, _count("C%d" % head_row), align="center", role="input",
                                     underline=False),
                 Seg(18, COLUMNS, _count("D%d" % head_row), align="center", role="input", underline=False))
    s.box(top, top, 2, COLUMNS, style="hair")
    for label, row in rows[1:]:
        r = s.line(Seg(2, 11, label, rows=2, size=8 if len(label) > 14 else None),
                   Seg(12, 17, R("C%d" % row), wrap=True, rows=2, underline=False),
                   Seg(18, COLUMNS, R("D%d" % row), wrap=True, rows=2, underline=False))
        s.box(r, r + 1, 2, COLUMNS, style="hair")
    bottom = s.row
    for c1, c2 in ((2, 11), (12, 17), (18, COLUMNS)):
        s.box(top, bottom, c1, c2)


EARLIER = [("", ii.HISTORY_ROW), ("【イ．特定工程】", ii.HISTORY_ROW + 1),
           ("【ロ．中間検査合格証交付者】", ii.HISTORY_ROW + 2), ("【ハ．中間検査合格証番号】", ii.HISTORY_ROW + 3),
           ("【ニ．交付年月日】", ii.HISTORY_ROW + 4)]
LATER = [("", ii.HISTORY_ROW + 5), ("【イ．特定工程】", ii.HISTORY_ROW + 6),
         ("【ロ．特定工程工事終了予定年月日】", ii.HISTORY_ROW + 7)]


def remarks(s, n, addr, rows=3):
    blocks.head(s, "【%s．備考】" % blocks.kanji_number(n))
    s.line(Seg(2, COLUMNS, R(addr), rows=rows, wrap=True, valign="top"))


def intermediate_third(s):
    # unverified: items 7 to 12 of the intermediate's third face
    site_and_kind(s)
    confirmation(s)
    _value(s, 7, "工事完了予定年月日", R("D352"))
    _value(s, 8, "特定工程", F('IF({C%d}="","","（第"&{C%d}&"回）")&{D354}' % (ii.COUNT_ROW, ii.COUNT_ROW)))
    _value(s, 9, "特定工程工事終了年月日", R("F355"))
    _value(s, 10, "検査対象床面積", R("D356"), unit_cell="D356", unit="㎡")
    blocks.head(s, "【１１．検査経過】")
    inspections_table(s, "（今回申請以前の中間検査）", EARLIER)
    s.blank(0.4)
    inspections_table(s, "（今回申請以降の中間検査）", LATER)
    remarks(s, 12, "D368")
    s.end_page()


def completion_third(s):
    site_and_kind(s)
    confirmation(s)
    _value(s, 7, "工事完了年月日", R("D376"))
    _value(s, 8, "検査対象床面積", R("D356"), unit_cell="D356", unit="㎡")
    blocks.head(s, "【９．検査経過】")
    inspections_table(s, "（中間検査）", EARLIER)
    blocks.head(s, "【１０．確認以降の軽微な変更の概要】")
    s.line(Seg(2, COLUMNS, R("D380"), rows=2, wrap=True, valign="top"))
    s.text("【イ．変更された設計図書の種類】", c1=2)
    s.line(Seg(3, COLUMNS, R("E373"), rows=2, wrap=True, valign="top"))
    s.text("【ロ．変更の概要】", c1=2)
    s.line(Seg(3, COLUMNS, R("E374"), rows=3, wrap=True, valign="top"))
    remarks(s, 11, "D378")
    s.end_page()


# -- 第四面 工事監理の状況 -----------------------------------------------------
HEADS = [(1, 5, "確認を行った部位、材料の種類等"), (6, 9, "照合内容"), (10, 12, "照合を行った設計図書"),
         (13, 15, "設計者への確認事項"), (16, 18, "照合方法"),
         (19, 24, "照合結果（不適の場合には建築主に対して行った報告の内容を含む。）")]


def fourth_face(s, first_row):
    s.title("（第四面）", size=11, h=1.4)
    s.title("工事監理の状況", size=14, h=1.6)
    top = s.line(*[Seg(c1, c2, t, align="center", wrap=True, rows=3, size=8) for c1, c2, t in HEADS])
    bottom = top + 2
    for c1, c2, _ in HEADS:
        s.box(top, bottom, c1, c2)
    first = s.row + 1
    for k, part in enumerate(ii.SUPERVISION_PARTS):
        row = first_row + k
        segs = [Seg(1, 5, part, wrap=True, rows=4, size=7, valign="top")]
        for col, (c1, c2, _) in zip("CDEFG", HEADS[1:]):
            segs.append(Seg(c1, c2, R("%s%d" % (col, row)), wrap=True, rows=4, valign="top", underline=False))
        r = s.line(*segs)
        s.box(r, r + 3, 1, COLUMNS)
    for c1, c2, _ in HEADS:
        s.box(first, s.row, c1, c2)
    r = s.line(Seg(1, 5, "備考", valign="top", rows=3),
               Seg(6, COLUMNS, R("C%d" % (first_row + len(ii.SUPERVISION_PARTS))), wrap=True, rows=3, valign="top",
                   underline=False))
    s.box(r, s.row, 1, 5)
    s.box(r, s.row, 6, COLUMNS)
    s.end_page()


def intermediate():
    s = Sheet("中間申請")
    first_face(s, completion=False)
    people_pages(s)
    intermediate_third(s)
    fourth_face(s, ii.INTERMEDIATE_SUPERVISION_ROW)
    return s.finish()


def completion():
    s = Sheet("完了申請")
    first_face(s, completion=True)
    people_pages(s)
    completion_third(s)
    return s.finish()


def completion_fourth():
    s = Sheet("完了申請四面")
    fourth_face(s, ii.SUPERVISION_ROW)
    return s.finish()
