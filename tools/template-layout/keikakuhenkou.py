"""計画変更: 計画変更確認申請書（建築物）. The form itself is one face
(第四号様式); the faces of the application (第二号様式) from the second on
follow it for what the change concerns."""

from layout import COLUMNS, F, R, Seg, Sheet
import blocks
import kakunin


def previous_confirmation(s):
    """The confirmation the change is made to, and what changes."""
    s.blank(0.6)
    s.text("【計画を変更する建築物の直前の確認】", c1=2)
    s.line(Seg(3, 10, "【確認済証番号】"), Seg(12, COLUMNS - 1, R("G344")), h=1.2)
    s.line(Seg(3, 10, "【確認済証交付年月日】"), Seg(12, COLUMNS - 1, R("D346")), h=1.2)
    s.line(Seg(3, 10, "【確認済証交付者】"), Seg(12, COLUMNS - 1, R("D348")), h=1.2)
    s.blank(0.4)
    s.text("【計画変更の概要】", c1=2)
    top = s.line(Seg(3, COLUMNS - 1, R("E374"), rows=5, wrap=True, valign="top", underline=False))
    s.line(Seg(3, COLUMNS - 1, F('IF({E373}="","","変更された設計図書の種類："&{E373})'), underline=False))
    s.box(top, s.row, 3, COLUMNS - 1)


def build():
    s = Sheet("計画変更")
    blocks.first_face(
        s, "第四号様式（第一条の三、第三条、第三条の三関係）（Ａ４）", "計画変更確認申請書（建築物）",
        "　建築基準法第６条第１項又は第６条の２第１項の規定による計画の変更の確認を申請します。"
        "この申請書及び添付図書に記載の事項は、事実に相違ありません。",
        [("申請者氏名", R("D44")), ("設計者氏名", R("D9"))], kakunin.OFFICE_BOXES, extra=previous_confirmation)
    s.end_page()

    blocks.people_pages(s, kakunin.people_heading)

    s.title("（第三面）", size=11, h=1.4)
    s.title("建築物及びその敷地に関する事項", size=14, h=1.6)
    blocks.site_matters(s)
    s.end_page()
    kakunin.building_pages(s)
    return s.finish()
