"""委任状: the owner's power of attorney to the agent.  No official form
exists; the sheet carries what the agencies' own sheets ask: the agent,
the matters (any number of them at once), the building and the owner."""

from layout import COLUMNS, R, Seg, Sheet
import blocks
import input_notices


def build():
    s = Sheet("委任状")
    s.blank(0.6)
    s.title("委　　任　　状", size=20, h=3.0)
    s.blank(0.6)
    s.text("令和　　年　　月　　日", c1=15, c2=COLUMNS - 1, align="right", h=1.4)
    s.blank(0.6)
    s.text("（代理者）", c1=2, h=1.4)
    blocks.signature_block(s, None, [
        ("資格", blocks.qualification("F25", "G25", "H25")),
        ("氏名", R("D24")),
        ("建築士事務所名", blocks.office("F27", "G27", "H27")),
        ("", R("D26")),
        ("郵便番号", R("D28")),
        ("所在地", R("D29")),
        ("電話番号", R("D30")),
    ])
    s.blank(0.8)
    s.text("　私は、上記の者を代理者と定め、下記の建築物に関する次の権限を委任します。", c1=2, h=1.4)
    s.blank(0.4)
    s.title("記", size=12, h=1.6)
    s.text("１．委任事項", c1=2, h=1.3)
    for k in range(len(input_notices.MATTERS)):
        s.line(Seg(3, COLUMNS - 1, R("D%d" % (3300 + k))), h=1.15)
    s.blank(0.4)
    s.line(Seg(2, 7, "２．建築場所"), Seg(8, COLUMNS - 1, R("D76")), h=1.4)
    s.line(Seg(2, 7, "３．工事名称"), Seg(8, COLUMNS - 1, R("C39")), h=1.4)
    s.line(Seg(2, 7, "４．建築物の名称"), Seg(8, COLUMNS - 1, R("C40")), h=1.4)
    s.blank(1.0)
    s.text("（委任者）建築主", c1=2, h=1.4)
    blocks.signature_block(s, None, [
        ("郵便番号", R("D45")),
        ("住所", R("D46")),
        ("氏名", R("D44")),
        ("電話番号", R("D47")),
    ])
    # Some agencies ask for the owner's own signature or seal.
    s.line(Seg(4, 10, "署名（自署又は押印）"), Seg(11, COLUMNS - 1, ""), h=1.8)
    s.blank(0.6)
    return s.finish()
