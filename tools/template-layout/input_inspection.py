"""Input-sheet rows 3000-3199: the items of the inspection applications
(中間検査申請書, 完了検査申請書) in the shape of the forms in force.
Row -> what column A says."""

# C: □ or ■ for each object of 【検査を申請する建築物等】.
OBJECT_ROW = 3000
OBJECTS = ["建築物", "建築設備（昇降機）", "建築設備（昇降機以外）", "工作物（昇降機）", "工作物（法第88条第１項）",
           "工作物（法第88条第２項）"]
# C: □ or ■ for each kind of work.
WORK_ROW = 3008
WORKS = ["新築", "増築", "改築", "移転", "用途変更", "大規模の修繕", "大規模の模様替"]
# The earlier and the later intermediate inspections as entered, the
# first in C, the second in D.
HISTORY_ROW = 3016
HISTORY = ["以前の中間検査　回数", "以前の中間検査　特定工程", "以前の中間検査　合格証交付者",
           "以前の中間検査　合格証番号", "以前の中間検査　交付年月日", "以降の中間検査　回数",
           "以降の中間検査　特定工程", "以降の中間検査　特定工程工事終了予定年月日"]
# C: the number n of the intermediate inspection applied for.
COUNT_ROW = 3024
# C: under 【２．工事種別】, イ the buildings' classes of 令第10条 (確認の特例),
# ロ their type approvals, ハ the certification number of the inspection
# exemption of 法第68条の20第２項.
EXEMPTION_ROW = 3025
# 工事監理の状況 of the completion inspection: one row per part checked, C 照合内容, D 照合を行った設計図書,
# E 設計者への確認事項, F 照合方法, G 照合結果.
SUPERVISION_ROW = 3030
# unverified: the parts the form lists, remembered from the 2007 edition
SUPERVISION_PARTS = [
    "敷地の形状、高さ、衛生及び安全",
    "主要構造部及び主要構造部以外の構造耐力上主要な部分に用いる材料（接合材料を含む。）の種類、品質、形状及び寸法",
    "主要構造部及び主要構造部以外の構造耐力上主要な部分に用いる材料の接合状況、接合部分の形状等",
    "建築物の各部分の位置、形状及び大きさ",
    "構造耐力上主要な部分の防錆、防腐及び防蟻措置及び状況",
    "居室の内装仕上げに用いる建築材料の種別及び当該建築材料を用いる部分の面積",
    "天井及び壁の室内に面する部分に係る仕上げの材料の種別及び厚さ",
    "開口部に設ける建具の種類及び大きさ",
    "建築設備に用いる材料の種類並びにその照合した内容、構造及び施工状況（区画貫通部の処理状況を含む。）",
]
SUPERVISION_REMARKS_ROW = SUPERVISION_ROW + len(SUPERVISION_PARTS)
# The intermediate inspection's own, in the same shape.
INTERMEDIATE_SUPERVISION_ROW = 3448
# Persons consulted on the supervision of the building equipment, two rows
# each as the further persons of rows 1820 on; the first is the representative.
CONSULTED_ROW = 3050
CONSULTED_SLOTS = 5

LABELS = {}
for _k, _name in enumerate(OBJECTS):
    LABELS[OBJECT_ROW + _k] = "検査を申請する建築物等　%s（C:印）" % _name
for _k, _name in enumerate(WORKS):
    LABELS[WORK_ROW + _k] = "工事種別　%s（C:印）" % _name
for _k, _name in enumerate(HISTORY):
    LABELS[HISTORY_ROW + _k] = "検査経過　%s（C:１ D:２）" % _name
LABELS[COUNT_ROW] = "中間検査　今回の回数"
LABELS[EXEMPTION_ROW] = "工事種別　イ　確認の特例（令第10条の区分）"
LABELS[EXEMPTION_ROW + 1] = "工事種別　ロ　認定型式の認定番号"
LABELS[EXEMPTION_ROW + 2] = "工事種別　ハ　検査の特例に係る認証番号"
for _first, _which in ((SUPERVISION_ROW, "完了"), (INTERMEDIATE_SUPERVISION_ROW, "中間")):
    for _k, _part in enumerate(SUPERVISION_PARTS):
        LABELS[_first + _k] = "工事監理の状況（%s） %d（C:照合内容 D:設計図書 E:設計者への確認事項 F:照合方法 G:照合結果）" % (
            _which, _k + 1)
    LABELS[_first + len(SUPERVISION_PARTS)] = "工事監理の状況（%s）　備考" % _which
for _k in range(CONSULTED_SLOTS):
    _who = "設備の工事監理の意見を聴いた者 %d" % (_k + 1)
    LABELS[CONSULTED_ROW + 2 * _k] = "%s　氏名（H:登録番号 I:郵便番号 J:電話番号）" % _who
    LABELS[CONSULTED_ROW + 2 * _k + 1] = "%s　勤務先（I:所在地 J:設計図書）" % _who

# Cells the program fills from the older layout that the faces in force no
# longer read (the marked lines, the centred texts): an office's own
# sheets may read them.
# The kind of work as typed (H342) prints as marked boxes; the day and the
# summary of the design consultation (D72, I72) are on no form in force.
UNREAD = set("H342 D72 I72 E336 E337 G358 J358 G359 G360 G361 G362 J359 J360 J361 J362 G364 J364 G365 G366 J365 J366".split())
