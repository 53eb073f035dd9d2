#include "P_IninForm.h"

#include <QPushButton>

using namespace TableWords;

FieldTable P_IninForm::fieldTable()
{
    FieldTable t;
    t.table = s("ININ");
    t.addGroup(s("委任事項"));
    // One power of attorney covers as many matters as the owner hands over.
    const std::pair<const char*, const char*> matters[] = {
        {"Inin1", "確認申請"},
        {"Inin4", "計画変更確認申請"},
        {"Inin2", "中間検査申請"},
        {"Inin3", "完了検査申請"},
        {"Inin5", "構造計算適合性判定の申請"},
        {"Inin6", "省エネ適合性判定の提出"},
        {"Inin7", "軽微な変更の届出"},
        {"Inin8", "取下げ"},
        {"Inin9", "補正・追加説明書の提出"},
        {"Inin10", "確認済証・検査済証の受領"},
    };
    for (const auto& [column, label] : matters)
        t.add(s(column), FieldKind::Flag).withLabel(s(label)).flagged(FieldFlag::NewRow);
    t.add(s("Inin11"), FieldKind::Flag).withLabel(s("その他")).flagged(FieldFlag::NewRow);
    t.add(s("IninSonota"), FieldKind::Text)
        .width(30)
        .withTip(s("「その他」の委任事項を入力します。"))
        .enter(1)
        .flagged(FieldFlag::EnterStays);
    return t;
}

P_IninForm::P_IninForm(Storage& storage, qint64 bid, QWidget* parent)
    : EntryForm(storage, bid, fieldTable(), parent)
{
    setObjectName(s("P_IninForm"));
    setWindowTitle(s("委任状"));
    setHelpPage(s("inin.html"));
    setOkSaves(true);
    setMinimumWidth(380);
    okButton()->setToolTip(s("選択を保存して画面を閉じます。"));
    open();
    field(QStringLiteral("Inin1"))->setFocus(Qt::OtherFocusReason);
}
