"""Input-sheet rows from 2000 on: items of the buildings, floors and
independent parts that the forms in force added, and the values of the
older items that the forms now print in another shape (formatted areas,
a structure without a doubled 造, use lines only where there is a use).
Row -> what column A says.

Each building, floor slot and part slot owns a block of rows; the C++
cell map (CellMapBuildings.cpp) uses the same numbers."""

# Building b (0-2): rows BUILDING_BASE[b] + offset.
BUILDING_BASE = [2000, 2100, 2200]
B_NUMBER = 0            # C: the building's number
B_USES = 1              # 5 rows: C (区分 code), D use class, E concrete use
B_STRUCTURE = 6         # C: structure and its partial structure
B_MAIN_STRUCTURE = 10   # 7 rows: C mark of each 主要構造部 option
B_ART21 = 17            # 5 rows: C mark of each 法第21条・第27条 option
B_ART61 = 22            # 5 rows: C mark of each 法第61条 option
B_AREAS = 30            # 6 rows: C floor, D applied part, E other part, F total
B_AREA_TOTAL = 36       # D, E, F: totals of the area table
BUILDING_ROWS = 100

# Floor slot f (0-5) of building b: rows FLOOR_NEW_BASE + (b * 6 + f) * FLOOR_ROWS.
FLOOR_NEW_BASE = 2400
FLOOR_ROWS = 10
F_CEILING = 0           # C: 特定天井 有 mark, D: 無 mark
F_AREAS = 1             # 6 rows: C area of each use line

# Part slot p (0-3) of building b: rows PART_BASE + (b * 4 + p) * PART_ROWS.
PART_BASE = 2600
PART_ROWS = 20
PART_SLOTS = 4
P_NUMBER = 0            # C
P_AREA = 1              # C: 延べ面積
P_HEIGHT = 2            # C: 最高の高さ
P_EAVES = 3             # C: 最高の軒の高さ
P_STOREYS = 4           # C: above ground, D: below ground
P_STRUCTURE = 5         # C
P_BASIS = 6             # 2 rows: C mark 特定構造計算基準, 特定増改築構造計算基準
P_CALC = 8              # 5 rows: C mark of each 構造計算の区分
P_PROGRAM = 13          # C: name
P_PROGRAM_KIND = 14     # C: certified mark, D: other mark, E: certification number
P_REI137 = 15           # C: 第 n 号
P_REMARKS = 16          # C


def building_row(b, offset):
    return BUILDING_BASE[b] + offset


def floor_row(b, f, offset):
    return FLOOR_NEW_BASE + (b * 6 + f) * FLOOR_ROWS + offset


def part_row(b, p, offset):
    return PART_BASE + (b * PART_SLOTS + p) * PART_ROWS + offset


def _labels():
    out = {}
    for b in range(3):
        name = "建築物%d　" % (b + 1)
        out[building_row(b, B_NUMBER)] = name + "番号"
        for i in range(5):
            out[building_row(b, B_USES + i)] = name + "用途%d（C:区分 D:用途の区分 E:具体的な用途）" % (i + 1)
        out[building_row(b, B_STRUCTURE)] = name + "構造"
        for i in range(7):
            out[building_row(b, B_MAIN_STRUCTURE + i)] = name + "主要構造部　選択肢%d" % (i + 1)
        for i in range(5):
            out[building_row(b, B_ART21 + i)] = name + "法第21条及び第27条の規定の適用　選択肢%d" % (i + 1)
            out[building_row(b, B_ART61 + i)] = name + "法第61条の規定の適用　選択肢%d" % (i + 1)
        for i in range(6):
            out[building_row(b, B_AREAS + i)] = name + "床面積%d（C:階 D:申請部分 E:申請以外 F:合計）" % (i + 1)
        out[building_row(b, B_AREA_TOTAL)] = name + "床面積の合計（D:申請部分 E:申請以外 F:合計）"
        for f in range(6):
            floor = "%s%d階目　" % (name, f + 1)
            out[floor_row(b, f, F_CEILING)] = floor + "特定天井（C:有 D:無）"
            for i in range(6):
                out[floor_row(b, f, F_AREAS + i)] = floor + "用途別床面積%d" % (i + 1)
        for p in range(PART_SLOTS):
            part = "%s独立部分%d　" % (name, p + 1)
            for offset, text in [(P_NUMBER, "番号"), (P_AREA, "延べ面積"), (P_HEIGHT, "最高の高さ"),
                                 (P_EAVES, "最高の軒の高さ"), (P_STOREYS, "階数（C:地上 D:地下）"),
                                 (P_STRUCTURE, "構造"), (P_BASIS, "特定構造計算基準"),
                                 (P_BASIS + 1, "特定増改築構造計算基準"), (P_PROGRAM, "プログラムの名称"),
                                 (P_PROGRAM_KIND, "プログラムの区分（C:認定 D:その他 E:大臣認定番号）"),
                                 (P_REI137, "令第137条の2の区分"), (P_REMARKS, "備考")]:
                out[part_row(b, p, offset)] = part + text
            for i in range(5):
                out[part_row(b, p, P_CALC + i)] = part + "構造計算の区分　選択肢%d" % (i + 1)
    return out


LABELS = _labels()

# Input cells that the program writes but no printed sheet reads.
UNREAD = set()
