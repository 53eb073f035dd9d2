"""Input-sheet rows 1800-1999: items of the people (建築主等の概要) and of
the site that the forms in force added.  Row -> what column A says."""

LABELS = {
    1800: "設計者　作成又は確認した設計図書",
    1801: "工事監理者　工事と照合する設計図書",
    1802: "設備の意見を聴いた者　登録番号",
    1803: "同　意見を聴いた設計図書",
    1804: "建築士法第20条の２第１項の表示（C:印 D:氏名 E:交付番号）",
    1805: "建築士法第20条の２第３項の表示（C:印 D:氏名 E:交付番号）",
    1806: "建築士法第20条の３第１項の表示（C:印 D:氏名 E:交付番号）",
    1807: "建築士法第20条の３第３項の表示（C:印 D:氏名 E:交付番号）",
    1808: "構造計算適合性判定　申請済（C:印 D:括弧内）",
    1809: "構造計算適合性判定　未申請（C:印 D:括弧内）",
    1810: "構造計算適合性判定　申請不要（C:印）",
    1811: "省エネ計画　提出済（C:印 D:括弧内）",
    1812: "省エネ計画　未提出（C:印 D:括弧内）",
    1813: "省エネ計画　提出不要（C:印 D:理由）",
}

# Further persons, two rows each: the first with the name (D), the
# registration (E: as one text, F:G:H: 級, 登録, 番号), the postal code
# (I) and the telephone (J); the second with the office or employer (D),
# its registration (E, F:G:H), the address (I) and the drawings (J).
_KINDS = [(1820, 9, "その他の設計者"), (1840, 5, "その他の工事監理者"), (1850, 5, "その他の設備の意見を聴いた者")]
for _first, _count, _name in _KINDS:
    for _k in range(_count):
        LABELS[_first + 2 * _k] = "%s %d　氏名・資格（I:郵便番号 J:電話番号）" % (_name, _k + 1)
        LABELS[_first + 2 * _k + 1] = "%s %d　事務所・勤務先（I:所在地 J:設計図書）" % (_name, _k + 1)

# Input cells that the program writes but no printed sheet reads (kept
# for a user's own sheets), e.g. "D1801".
UNREAD = {"E%d" % (_first + 2 * _k + _j) for _first, _count, _name in _KINDS[:2] for _k in range(_count)
          for _j in (0, 1)}
# The further persons consulted print without a qualification line, and
# 欄8's reason only in the bracket of 提出不要; their cells stay filled.
UNREAD |= set("D1810 F1850 G1850 F1851 G1851 H1851 F1852 G1852 F1853 G1853 H1853 F1854 G1854 F1855 G1855 H1855 F1856 G1856 F1857 G1857 H1857 F1858 G1858 F1859 G1859 H1859".split())

# -- The site (建築物及びその敷地に関する事項), rows 1900-1999 -----------------
LABELS.update({
    1900: "都市計画区域の内外の別等（都市計画区域内）",
    1901: "都市計画区域の内外の別等（準都市計画区域内・区域外）",
    1903: "第４の区域（C:敷地面積（１） D:敷地面積（２） E:用途地域等 F:容積率 G:建蔽率）",
    1904: "敷地面積　備考",
    1906: "建蔽率の算定の基礎となる建築面積（G:申請部分 I:申請以外 K:合計）",
    1908: "延べ面積　エレベーターの昇降路の部分",
    1909: "延べ面積　認定機械室等の部分",
    1910: "延べ面積　備蓄倉庫の部分",
    1911: "延べ面積　蓄電池の設置部分",
    1912: "延べ面積　自家発電設備の設置部分",
    1913: "延べ面積　貯水槽の設置部分",
    1914: "延べ面積　宅配ボックスの設置部分",
    1915: "延べ面積　その他の不算入部分",
    1916: "延べ面積　老人ホーム、福祉ホームその他これらに類するものの部分",
    1918: "最高の軒の高さ（申請に係る建築物）",
})
