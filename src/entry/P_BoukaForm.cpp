#include "P_BoukaForm.h"

#include <QPushButton>

using namespace TableWords;

FieldTable P_BoukaForm::fieldTable()
{
    FieldTable t;
    t.table = s("BOUKA");
    GroupDef& g = t.addGroup(s("【防火対象物】"));
    g.captionChars = 14;
    t.add(s("Tel1"), FieldKind::Text).withCaption(s("【電話番号】")).width(16).flagged(FieldFlag::Latin).enter(1);
    t.add(s("Day1"), FieldKind::Text)
        .withCaption(s("【使用開始年月日】"))
        .width(20)
        .withTip(s("「令和7年4月1日」「2025/04/01」などの形で入力します。"))
        .enter(2);
    t.add(s("Nin1"), FieldKind::Text).withCaption(s("【従業員数】")).width(10).enter(3);
    t.add(s("Time1"), FieldKind::Text).withCaption(s("【公開（従業）時間】")).width(30).enter(4);
    t.add(s("Gai1"), FieldKind::Text).withCaption(s("【屋外消火栓、動力消防ポンプ、消防用水の概要】")).enter(5);
    t.add(s("Gai2"), FieldKind::Text).flagged(FieldFlag::NewRow).enter(6);
    t.add(s("Gai3"), FieldKind::Text).flagged(FieldFlag::NewRow).enter(7);
    t.add(s("Sonota1"), FieldKind::Text).withCaption(s("【その他必要な事項】")).enter(8).flagged(FieldFlag::EnterStays);
    return t;
}

P_BoukaForm::P_BoukaForm(Storage& storage, qint64 bid, QWidget* parent)
    : EntryForm(storage, bid, fieldTable(), parent)
{
    setObjectName(s("P_BoukaForm"));
    setWindowTitle(s("防火対象物に関する項目"));
    setHelpPage(s("bouka.html"));
    setOkSaves(true);
    // Room for the three lines of the outdoor equipment.
    setMinimumWidth(640);
    okButton()->setToolTip(s("入力を保存して画面を閉じます。"));
    open();
}
