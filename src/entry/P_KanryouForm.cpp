#include "P_KanryouForm.h"

#include <QLabel>
#include <QPushButton>

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

QString col(const char* stem, int n)
{
    return s(stem) + QString::number(n);
}

const QString kDateTip = QString::fromUtf8("「令和7年4月1日」「2025/04/01」などの形で入力します。");

}  // namespace

QStringList P_KanryouForm::objects()
{
    return {s("建築物"), s("建築物設備（昇降機）"), s("建築物設備（昇降機以外）"), s("工作物（昇降機）"),
            s("工作物（法第88条第1項）"), s("工作物（法第88条第2項→完了検査のみ）")};
}

FieldTable P_KanryouForm::fieldTable()
{
    FieldTable t;
    t.table = s("KANRYOU");

    t.addTab(s("中間検査・申請する工事の概要"));
    GroupDef& object = t.addGroup(s("【検査を申請する建築物等】"));
    object.aligned = true;
    const QStringList names = objects();
    for (int i = 0; i < names.size(); ++i)
        t.add(col("Shin", i + 1), FieldKind::Option).withLabel(names[i]).at(i / 3, i % 3);

    GroupDef& work = t.addGroup(s("【申請する工事の概要】"));
    work.captionChars = 16;
    t.add(s("Gou1"), FieldKind::DropDown).withCaption(s("【２．工事種別】")).from(s("Gou1")).width(18).enter(1);
    t.add(s("Gou2"), FieldKind::Text).withCaption(s("【３．確認済証番号】")).withLabel(s("第")).withUnit(s("号"))
        .width(20).flagged(FieldFlag::Latin).enter(2);
    t.add(s("Day1"), FieldKind::Text).withCaption(s("【４．確認済証交付年月日】")).width(20).withTip(kDateTip).enter(3);
    t.add(s("Tan1"), FieldKind::Text).withCaption(s("【５．確認済証交付者】")).enter(4);
    t.add(s("Day2"), FieldKind::Text).withCaption(s("【６．工事着手年月日】")).width(20).withTip(kDateTip).enter(5);
    t.add(s("Day3"), FieldKind::Text).withCaption(s("【工事完了予定年月日】")).width(20).withTip(kDateTip).enter(6);
    t.add(s("Kou1"), FieldKind::Text).withCaption(s("【指定特定工程】【特定工程】")).enter(7);
    t.add(s("Day4"), FieldKind::Text).withCaption(s("【指定特定工程工事終了年月日】")).width(20).withTip(kDateTip).enter(8);
    t.add(s("Men1"), FieldKind::Decimal).withCaption(s("【８．検査対象床面積】")).withUnit(s("㎡")).width(12)
        .flagged(FieldFlag::SelectAll).enter(9);

    // 【９．検査経過】: two earlier and two later intermediate inspections,
    // one column each.
    GroupDef& before = t.addGroup(s("【９．検査経過】【今回申請以前の中間検査】"), 1);
    before.headers = QStringList{s("１"), s("２")};
    before.captionChars = 16;
    const char* beforeRows[5] = {"", "【イ．特定工程】", "【ロ．中間検査合格証交付者】", "【ハ．中間検査合格証番号】",
                                 "【ニ．交付年月日】"};
    int order = 10;
    for (int c = 0; c < 2; ++c) {
        for (int r = 0; r < 5; ++r) {
            const int n = 1 + c + 2 * r;  // Kai1/Kai2 on the first row, Kai3/Kai4 on the next …
            FieldDef& f = t.add(col("Kai", n), r == 0 ? FieldKind::Digit : FieldKind::Text).at(r, c).enter(order++);
            if (r == 0)
                f.withLabel(s("（第")).withUnit(s("回）")).width(4).flagged(FieldFlag::SelectAll);
            else
                f.width(r == 4 ? 18 : 22);
            if (r == 4)
                f.withTip(kDateTip);
            if (c == 0 && r > 0)
                f.withCaption(s(beforeRows[r]));
        }
    }
    GroupDef& after = t.addGroup(s("【今回申請以降の中間検査】"), 1);
    after.headers = QStringList{s("１"), s("２")};
    after.captionChars = 16;
    const char* afterRows[3] = {"", "【特定工程】", "【特定工程工事終了予定年月日】"};
    for (int c = 0; c < 2; ++c) {
        for (int r = 0; r < 3; ++r) {
            const int n = 11 + c + 2 * r;
            FieldDef& f = t.add(col("Kai", n), r == 0 ? FieldKind::Digit : FieldKind::Text).at(r, c).enter(order++);
            if (r == 0)
                f.withLabel(s("（第")).withUnit(s("回）")).width(4).flagged(FieldFlag::SelectAll);
            else
                f.width(r == 2 ? 18 : 22);
            if (r == 2)
                f.withTip(kDateTip);
            if (c == 0 && r > 0)
                f.withCaption(s(afterRows[r]));
        }
    }
    t.addGroup(s("【中間検査備考欄】"), 1);
    t.add(s("Bikou1"), FieldKind::MultiLine).tall(4).enter(order++);

    t.addTab(s("完了検査【概要】"));
    GroupDef& summary = t.addGroup(s("【概要】"));
    summary.captionChars = 19;
    t.add(s("Bikou2"), FieldKind::Text).withCaption(s("【計画変更の概要】\n【イ．変更された設計図書の種類】")).enter(101);
    t.add(s("Bikou3"), FieldKind::Text).withCaption(s("【ロ．変更の概要】")).enter(102);
    t.add(s("Day5"), FieldKind::Text).withCaption(s("【７．工事完了年月日】")).width(20).withTip(kDateTip).enter(103);
    t.add(s("Bikou4"), FieldKind::Text).withCaption(s("【完了検査備考欄】")).enter(104);
    t.add(s("Gai1"), FieldKind::Text).withCaption(s("【１０．確認以降の軽微な変更の概要】")).enter(105)
        .flagged(FieldFlag::EnterStays);

    t.fixedLists.insert(s("Gou1"), {s("新築"), s("増築"), s("改築"), s("移転"), s("用途変更"), s("大規模の修繕"),
                                    s("大規模の模様替")});
    return t;
}

P_KanryouForm::P_KanryouForm(Storage& storage, qint64 bid, QWidget* parent)
    : EntryForm(storage, bid, fieldTable(), parent)
{
    setObjectName(s("P_KanryouForm"));
    setWindowTitle(s("【検査を申請する建築物等】"));
    setHelpPage(s("kanryou.html"));

    auto* only = new QLabel(s("《建築物のみとなっています》"));
    only->setObjectName(s("OnlyBuildingLabel"));
    only->setStyleSheet(s("color: #8b0000;"));
    auto* certification = new QLabel(s("【ハ．建築基準法第６８条の２０第２項の検査の特例に係る認証番号】"
                                       "（中間検査申請時記入）"));
    certification->setWordWrap(true);
    auto* completionOnly = new QLabel(s("　このパネル内のデータは、完了検査専用データです"));
    completionOnly->setObjectName(s("CompletionOnlyLabel"));
    completionOnly->setStyleSheet(s("color: #8b0000;"));
    for (int g = 0; g < table().groups.size(); ++g) {
        const QString title = table().groups[g].title;
        if (title == s("【検査を申請する建築物等】"))
            addGroupRow(g, only);
        else if (title == s("【申請する工事の概要】"))
            addGroupRow(g, certification);
        else if (title == s("【概要】"))
            addGroupRow(g, completionOnly);
    }

    // Only buildings can be applied for; the default stands until a
    // stored row says otherwise.
    setChecked(s("Shin1"), true);
    for (int i = 2; i <= 6; ++i) {
        field(col("Shin", i))->setEnabled(false);
        field(col("Shin", i))->setToolTip(s("建築物のみ申請できます。"));
    }
    open();
}
