"""The documents of the application workbook with the official form each
one follows and the edition of that form (the amendment in force whose
wording the sheet prints).  The generator writes this list to the hidden
sheet 「様式一覧」 of the template, so that the program can tell the user
which edition a template prints without knowing the layout itself.

DOCUMENTS lists the documents in the order of the program's document
numbers; the names are the sheet names.
"""

# Raised by hand with every release whose template the offices must take
# over (the cell map of that release writes cells the old template lacks).
# The stamp written to the template is this number and a digest of the
# generated sheets, so that a changed layout is never mistaken for the
# one an office already holds.
RELEASE = 3

# (name, form, edition)
DOCUMENTS = [
    ("確認申請", "第二号様式", "令和7年4月1日施行"),
    ("概要書", "第三号様式", "令和7年4月1日施行"),
    ("工事届", "第四十号様式", "令和6年国土交通省令第89号（令和7年1月1日以後の着工分）"),
    ("委任状", "法定様式なし（機関の様式に共通の項目）", "委任事項を複数選択"),
    ("計画変更", "第四号様式", "令和7年4月1日施行"),
    # Four faces each; the second face's items follow the form's notes,
    # the wording of the third and fourth faces could not be read from any
    # source at hand, nor what the 2025 amendments changed.
    ("中間申請", "第二十六号様式", "令和7年4月1日施行（第一面〜第四面、第三面・第四面の文言は未確認）"),
    ("完了申請", "第十九号様式", "令和7年4月1日施行（第一面〜第四面、第三面・第四面の文言は未確認）"),
    ("除去届", "第四十一号様式", "令和6年国土交通省令第89号（令和7年1月1日以後の除却分）"),
    # Fire-prevention and supervision papers follow the receiving office's
    # or the association's own sheets: no form of the building regulations.
    ("防火対象物", "所轄消防本部の様式", "未確認"),
    ("監理報告", "工事監理報告書（建築士法第20条第3項）", "未確認"),
    ("台帳", "事務所の様式", "―"),
    ("記録", "事務所の様式", "―"),
]
