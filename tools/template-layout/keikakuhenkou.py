"""計画変更: 計画変更確認申請書（建築物）, 第四号様式, faces one to three."""

from layout import COLUMNS, R, Seg, Sheet
import blocks


def build():
    s = Sheet("計画変更")
    blocks.first_face(
        s, "第四号様式（第三条関係）（Ａ４）", "計画変更確認申請書（建築物）",
        "　建築基準法第６条第１項又は第６条の２第１項の規定による計画の変更の確認を申請します。"
        "この申請書及び添付図書に記載の事項は、事実に相違ありません。",
        [("申請者氏名", R("D44")), ("設計者氏名", R("D9"))],
        ["※受付欄", "※消防関係同意欄", "※決裁欄", "※確認番号欄"], extra=blocks.project_names)
    s.end_page()

    s.title("（第二面）", size=11, h=1.4)
    s.title("建築主等の概要", size=14, h=1.6)
    blocks.people_of_application(s)
    s.end_page()

    s.title("（第三面）", size=11, h=1.4)
    s.title("計画変更の概要", size=14, h=1.6)
    s.text("【１．直前の確認】")
    s.item("【イ．確認済証番号】", R("G344"), indent=2, label_cols=9)
    s.item("【ロ．確認済証交付年月日】", R("D346"), indent=2, label_cols=9)
    s.item("【ハ．確認済証交付者】", R("D348"), indent=2, label_cols=9)
    s.text("【２．計画変更の概要】")
    s.text("【イ．変更された設計図書の種類】", c1=2)
    s.line(Seg(3, COLUMNS, R("E373"), rows=3, wrap=True, valign="top"))
    s.text("【ロ．変更の概要】", c1=2)
    s.line(Seg(3, COLUMNS, R("E374"), rows=6, wrap=True, valign="top"))
    s.item("【３．建築場所】", R("D76"), label_cols=8)
    s.item("【４．工事名称】", R("C39"), label_cols=8)
    s.item("【５．建築物の名称】", R("C40"), label_cols=8)
    s.text("【６．備考】")
    s.line(Seg(2, COLUMNS, "", rows=3))
    return s.finish()
