#include "P_KanryouForm.h"

#include "RowTables.h"
#include "RowsEditor.h"

#include "Prompter.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

using namespace TableWords;

namespace {

const QString kDateTip = QString::fromUtf8("「令和7年4月1日」「2025/04/01」などの形で入力します。");

}  // namespace

QStringList P_KanryouForm::supervisionParts()
{
    // Short caption | the form's wording.
    return {s("１．敷地|敷地の形状、高さ、衛生及び安全"),
            s("２．構造材料|主要構造部及び主要構造部以外の構造耐力上主要な部分に用いる材料（接合材料を含む。）の種類、品質、形状及び寸法"),
            s("３．材料の接合|主要構造部及び主要構造部以外の構造耐力上主要な部分に用いる材料の接合状況、接合部分の形状等"),
            s("４．各部の位置等|建築物の各部分の位置、形状及び大きさ"),
            s("５．防錆・防腐・防蟻|構造耐力上主要な部分の防錆、防腐及び防蟻措置及び状況"),
            s("６．居室の内装|居室の内装仕上げに用いる建築材料の種別及び当該建築材料を用いる部分の面積"),
            s("７．天井・壁の仕上げ|天井及び壁の室内に面する部分に係る仕上げの材料の種別及び厚さ"),
            s("８．開口部の建具|開口部に設ける建具の種類及び大きさ"),
            s("９．建築設備|建築設備に用いる材料の種類並びにその照合した内容、構造及び施工状況（区画貫通部の処理状況を含む。）")};
}

QStringList P_KanryouForm::supervisionPrefixes()
{
    return {s("ChuKanri"), s("Kanri")};
}

QStringList P_KanryouForm::supervisionStems()
{
    // 照合内容, 照合を行った設計図書, 設計者への確認事項, 照合方法, 照合結果
    return {s("Nai"), s("Tosho"), s("Kaku"), s("Hou"), s("Kek")};
}

QStringList P_KanryouForm::supervisionColumns(const QString& prefix)
{
    QStringList out;
    for (int r = 1; r <= supervisionParts().size(); ++r)
        for (const QString& stem : supervisionStems())
            out << prefix + stem + QString::number(r);
    out << prefix + s("Bikou");
    return out;
}

void P_KanryouForm::copyIntermediateSupervision()
{
    const QStringList from = supervisionColumns(s("ChuKanri"));
    const QStringList to = supervisionColumns(s("Kanri"));
    bool typed = false;
    for (const QString& c : to)
        typed = typed || !text(c).isEmpty();
    if (typed) {
        Prompter::Message m;
        m.title = PromptTitle::Confirm;
        m.text = s("完了検査の工事監理の状況には入力済みの内容があります。\n中間検査の内容で置き換えますか？");
        m.icon = Prompter::Icon::Question;
        m.buttons = Prompter::Yes | Prompter::No;
        m.defaultButton = Prompter::No;
        if (Prompter::current().show(m) != Prompter::Yes)
            return;
    }
    for (int i = 0; i < from.size(); ++i)
        setText(to[i], text(from[i]));
}

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
    t.add(s("Kai17"), FieldKind::Digit).withCaption(s("【今回の中間検査】")).withLabel(s("（第")).withUnit(s("回）"))
        .width(4).flagged(FieldFlag::SelectAll).withTip(s("中間検査申請書の特定工程に「（第n回）」と印刷されます。"))
        .enter(7);
    t.add(s("Kou1"), FieldKind::Text).withCaption(s("【指定特定工程】【特定工程】")).enter(8);
    t.add(s("Day4"), FieldKind::Text).withCaption(s("【指定特定工程工事終了年月日】")).width(20).withTip(kDateTip).enter(9);
    t.add(s("Men1"), FieldKind::Decimal).withCaption(s("【８．検査対象床面積】")).withUnit(s("㎡")).width(12)
        .flagged(FieldFlag::SelectAll).enter(10);
    // Printed by both applications under 【２．工事種別】.
    t.add(s("Nin1"), FieldKind::Text).withCaption(s("【ハ．建築基準法第６８条の２０第２項の検査の特例に係る認証番号】"))
        .flagged(FieldFlag::Latin).enter(11);

    // 【９．検査経過】: two earlier and two later intermediate inspections,
    // one column each.
    GroupDef& before = t.addGroup(s("【９．検査経過】【今回申請以前の中間検査】"), 1);
    before.headers = QStringList{s("１"), s("２")};
    before.captionChars = 16;
    const char* beforeRows[5] = {"", "【イ．特定工程】", "【ロ．中間検査合格証交付者】", "【ハ．中間検査合格証番号】",
                                 "【ニ．交付年月日】"};
    int order = 12;
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

    // 工事監理の状況 (第四面): each application its own, the intermediate
    // one first as the work reaches it first.
    order = 201;
    for (const QString& prefix : supervisionPrefixes()) {
        const bool intermediate = prefix != s("Kanri");
        t.addTab(intermediate ? s("工事監理の状況（中間検査）") : s("工事監理の状況（完了検査）"));
        GroupDef& status = t.addGroup(intermediate ? s("【工事監理の状況】（中間検査申請書　第四面）")
                                                   : s("【工事監理の状況】（完了検査申請書　第四面）"));
        status.aligned = true;
        status.captionChars = 11;
        status.headers = QStringList{s("照合内容"), s("照合を行った設計図書"), s("設計者への確認事項"), s("照合方法"),
                                     s("照合結果")};
        const QStringList parts = supervisionParts();
        for (int r = 0; r < parts.size(); ++r) {
            const QStringList stems = supervisionStems();
            const int widths[] = {12, 12, 11, 8, 12};  // the five within the window's width
            for (int c = 0; c < 5; ++c) {
                FieldDef& f = t.add(prefix + stems[c] + QString::number(r + 1), FieldKind::Text).at(r, c)
                                  .width(widths[c]).withTip(parts[r].section(u'|', 1)).enter(order++);
                if (c == 0)
                    f.withCaption(parts[r].section(u'|', 0, 0));
            }
        }
        t.addGroup(s("【備考】"));
        t.add(prefix + s("Bikou"), FieldKind::MultiLine).tall(3).enter(order++);
    }

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
    auto* copy = new QPushButton(s("中間検査の内容を写す(&C)"));
    copy->setObjectName(s("CopyIntermediateButton"));
    copy->setToolTip(s("中間検査申請書の工事監理の状況を、完了検査申請書の欄へ写します。"));
    connect(copy, &QPushButton::clicked, this, &P_KanryouForm::copyIntermediateSupervision);
    auto* completionOnly = new QLabel(s("　このパネル内のデータは、完了検査専用データです"));
    completionOnly->setObjectName(s("CompletionOnlyLabel"));
    completionOnly->setStyleSheet(s("color: #8b0000;"));
    for (int g = 0; g < table().groups.size(); ++g) {
        const QString title = table().groups[g].title;
        if (title == s("【検査を申請する建築物等】"))
            addGroupRow(g, only);
        else if (title == s("【工事監理の状況】（完了検査申請書　第四面）"))
            addGroupRow(g, copy);
        else if (title == s("【概要】"))
            addGroupRow(g, completionOnly);
    }

    // The persons consulted on the supervision of the building equipment:
    // the first one entered prints as the representative.
    const int kubun = RowTables::SupervisionConsulted;
    m_consulted = new RowsEditor(storage, bid, s("SekkeiKanri%1").arg(kubun), RowTables::persons(kubun), {},
                                 {ChildRows(s("SEKKEIKANRI"), {{s("Kubun"), kubun}},
                                            RowTables::persons(kubun).storedColumns())},
                                 RowTables::personLine);
    m_consulted->list()->setToolTip(s("１人目が代表となる者として印刷されます。"));
    addRowsEditor(m_consulted);
    tabs()->addTab(m_consulted, s("建築設備の工事監理に関し意見を聴いた者"));

    // Only buildings can be applied for; the default stands until a
    // stored row says otherwise.
    setChecked(s("Shin1"), true);
    for (int i = 2; i <= 6; ++i) {
        field(col("Shin", i))->setEnabled(false);
        field(col("Shin", i))->setToolTip(s("建築物のみ申請できます。"));
    }
    open();
}
