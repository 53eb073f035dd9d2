"""Input-sheet rows 3200-3399: the construction notice and the removal
notice as revised for works from 2025-01-01 (第四十号・第四十一号様式),
and the matters of the power of attorney.  Row -> what column A says.

The three buildings of the notice's 【６】 take the columns E, G and I of
their rows, like the older rows 429-444."""

BUILDING_COLUMNS = "EGI"

LABELS = {
    3200: "工事施工者　担当者（D:氏名 E:電話番号）",
    3201: "除却工事施工者　氏名",
    3202: "除却工事施工者　営業所名",
    3203: "除却工事施工者　郵便番号",
    3204: "除却工事施工者　所在地",
    3205: "除却工事施工者　電話番号",
    3206: "除却工事施工者　担当者（D:氏名 E:電話番号）",
    3210: "工事届　建築主の種別",
    3211: "工事届　都市計画",
    3212: "工事届　工事種別",
    3213: "工事届　主要用途",
    3214: "工事届　着工予定期日",
    3215: "工事届　工事完了予定期日",
    3220: "工事届　建築物の番号（E:建築物１ G:２ I:３）",
    3221: "工事届　物件名",
    3222: "工事届　用途の区分",
    3223: "工事届　用途の名称",
    3224: "工事届　工事部分の構造（3224〜3229）",
    3230: "工事届　着工予定期日（建築物ごと）",
    3231: "工事届　完了予定期日（建築物ごと）",
    3232: "工事届　地上の階数",
    3233: "工事届　地下の階数",
    3234: "工事届　敷地面積",
    3235: "工事届　工事部分の床面積の合計",
    3236: "工事届　用途ごとの床面積（１）用途",
    3237: "工事届　用途ごとの床面積（１）床面積",
    3238: "工事届　用途ごとの床面積（２）用途",
    3239: "工事届　用途ごとの床面積（２）床面積",
    3240: "工事届　用途ごとの床面積（３）用途",
    3241: "工事届　用途ごとの床面積（３）床面積",
    3242: "工事届　建築工事費予定額（万円）",
    3243: "工事届　消費税込み",
    3250: "住宅部分　番号",
    3251: "住宅部分　新設又はその他の別",
    3252: "住宅部分　工事部分の構造（１）",
    3253: "住宅部分　工事部分の構造（２）",
    3254: "住宅部分　建築工法",
    3255: "住宅部分　住宅の種類",
    3256: "住宅部分　住宅の建て方",
    3257: "住宅部分　利用関係（D:持家 E:貸家 F:給与住宅 G:分譲住宅）",
    3258: "住宅部分　住宅の戸数（D〜G:利用関係ごと H:計）",
    3259: "住宅部分　工事部分の床面積の合計（D〜G:利用関係ごと H:計）",
    3260: "住宅部分　新設住宅の資金（１）",
    3261: "住宅部分　新設住宅の資金（２）",
    3270: "除却　物件名",
    3271: "除却　除却予定期日",
    3272: "除却　除却場所",
    3273: "除却　構造",
    3274: "除却　主要用途",
    3275: "除却　主要用途の内容",
    3276: "除却　住宅の戸数",
    3277: "除却　住宅の利用関係",
    3278: "除却　建築物の数",
    3279: "除却　床面積の合計",
    3280: "除却　建築物の評価額（万円）",
    3281: "除却　除却原因",
}
# 工事施工者（設計者又は代理者）: the contractor when one is entered, else
# the designer, who files the notice until a contractor is chosen.
for _k, _t in enumerate(["氏名", "営業所名", "郵便番号", "所在地", "電話番号"]):
    LABELS[3290 + _k] = "工事届　工事施工者（設計者又は代理者）　%s" % _t

MATTERS = ["確認申請", "計画変更確認申請", "中間検査申請", "完了検査申請", "構造計算適合性判定の申請",
           "省エネ適合性判定の提出", "軽微な変更の届出", "取下げ", "補正・追加説明書の提出",
           "確認済証・検査済証の受領", "その他"]
for _k, _m in enumerate(MATTERS):
    LABELS[3300 + _k] = "委任状　委任事項　%s" % _m

# Cells of the older notice layout that the program still fills for an
# office's own sheets; the sheets in force read the rows above instead.
UNREAD = set()
for _r in range(430, 438):
    UNREAD |= {"%s%d" % (c, _r) for c in "DEFGHI"} if _r > 430 else {"E430", "G430", "I430"}
UNREAD |= {"%s%d" % (c, r) for c in "EGI" for r in list(range(429, 430)) + list(range(439, 445))}
UNREAD |= {"G%d" % r for r in (416, 417, 418, 419, 420, 449, 450, 457, 458, 465, 470, 471, 472, 476)}
# The contractor's site manager, the older planning-area lines and the
# budget, which the notice in force takes in its own rows.
UNREAD |= {"D64", "C80", "C81", "C139"}
UNREAD |= {"D447", "E424", "E425", "E426", "E478", "E480", "D520"}
UNREAD |= {"D484", "D488", "D492", "D494", "E496", "E501", "E503", "D506", "D507", "D508", "D509", "D511",
           "D514", "G516", "G517", "G518"}
