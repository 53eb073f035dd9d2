"""委任状: the power of attorney to the agent for the procedures."""

from layout import COLUMNS, R, Seg, Sheet
import blocks


def build():
    s = Sheet("委任状")
    s.blank(1.0)
    s.title("委　　任　　状", size=20, h=3.0)
    s.blank(1.0)
    s.text("年　　　月　　　日", c1=15, c2=COLUMNS - 1, align="right", h=1.4)
    s.blank(1.0)
    s.text("（受任者）", c1=2, h=1.4)
    blocks.signature_block(s, None, [
        ("事務所所在地", R("D29")),
        ("建築士事務所名", blocks.office("F27", "G27", "H27")),
        ("", R("D26")),
        ("資格", blocks.qualification("F25", "G25", "H25")),
        ("氏名", R("D24")),
        ("電話番号", R("D30")),
    ])
    s.blank(1.0)
    s.text("　私は、上記の者を代理人と定め、下記の権限を委任します。", c1=2, h=1.4)
    s.blank(0.8)
    s.title("記", size=12, h=1.6)
    s.blank(0.6)
    s.text("１．委任事項", c1=2, h=1.3)
    s.line(Seg(4, COLUMNS - 1, R("D520")), h=1.4)
    for t in ("（１）上記に係る申請書の作成及び提出に関する一切の件",
              "（２）上記に係る補正、追加説明書等の作成及び提出並びに申請の取下げに関する一切の件",
              "（３）確認済証、検査済証その他の交付文書の受領に関する一切の件",
              "（４）建築工事届、建築物除却届その他の届出に関する一切の件",
              "（５）上記に付随する一切の件"):
        s.text(t, c1=4, c2=COLUMNS - 1, h=1.2)
    s.blank(0.6)
    s.line(Seg(2, 7, "２．建築場所"), Seg(8, COLUMNS - 1, R("D76")), h=1.4)
    s.line(Seg(2, 7, "３．工事名称"), Seg(8, COLUMNS - 1, R("C39")), h=1.4)
    s.line(Seg(2, 7, "４．建築物の名称"), Seg(8, COLUMNS - 1, R("C40")), h=1.4)
    s.blank(1.5)
    s.text("（委任者）建築主", c1=2, h=1.4)
    blocks.signature_block(s, None, [
        ("郵便番号", R("D45")),
        ("住所", R("D46")),
        ("氏名", R("D44")),
        ("電話番号", R("D47")),
    ])
    s.blank(1.0)
    return s.finish()
