"""監理報告: 工事監理報告書 to the building owner at the end of the
supervision."""

from layout import COLUMNS, R, Seg, Sheet
import blocks


def build():
    s = Sheet("監理報告")
    s.blank(0.6)
    s.title("工事監理報告書", size=18, h=2.6)
    s.text("年　　　月　　　日", c1=15, c2=COLUMNS - 1, align="right", h=1.3)
    s.line(Seg(2, 3, "建築主"), Seg(4, 13, R("J44")), Seg(14, 15, "様"), h=1.5)
    s.line(Seg(4, 6, "（住所）"), Seg(7, COLUMNS - 1, R("J46")))
    s.blank(0.6)
    blocks.signature_block(s, "（工事監理者）", [
        ("建築士事務所", blocks.office("F19", "G19", "H19")),
        ("", R("D18")),
        ("所在地", R("D21")),
        ("資格", blocks.qualification("F15", "G15", "H15")),
        ("氏名", R("D14")),
    ])
    s.blank(0.6)
    s.text("　建築士法第20条第３項の規定により、工事監理を終了しましたので、次のとおり報告します。", c1=2, c2=COLUMNS - 1,
           wrap=True, rows=2)
    s.blank(0.4)
    s.item("１．工事名称", R("C39"), label_cols=7)
    s.item("２．建築物の名称", R("C40"), label_cols=7)
    s.item("３．建築場所", R("D76"), label_cols=7)
    s.line(Seg(1, 7, "４．主要用途"), Seg(8, 13, R("C110")), Seg(14, COLUMNS, R("D110")))
    s.line(Seg(1, 7, "５．構造・階数"), Seg(8, 14, R("E154")), Seg(15, 15, "造"), Seg(16, 17, "地上"),
           Seg(18, 19, R("I215"), align="right"), Seg(20, 20, "階"), Seg(21, 22, "地下"),
           Seg(23, 23, R("I216"), align="right"), Seg(24, 24, "階"))
    s.line(Seg(1, 7, "６．延べ面積"), Seg(8, 12, R("G133"), align="right"), Seg(13, 13, "㎡"))
    s.line(Seg(1, 7, "７．工事監理期間"), Seg(8, 14, R("D563")), Seg(15, 15, "～"), Seg(16, COLUMNS, R("D575")))
    s.line(Seg(1, 7, "８．工事施工者"), Seg(8, 15, R("D58")), Seg(16, COLUMNS, R("D59")))
    s.line(Seg(1, 7, "９．確認済証"), Seg(8, 15, R("G344")), Seg(16, 17, "交付日"), Seg(18, COLUMNS, R("D346")))
    s.text("１０．工事監理を担当した建築士")
    blocks.architects_by_role(s, 587)
    s.text("１１．工事関係者")
    blocks.works_companies(s)
    s.text("１２．工事と設計図書との照合の結果")
    s.line(Seg(2, COLUMNS, "", rows=4))
    s.box(s.row - 3, s.row, 2, COLUMNS)
    return s.finish()
