#include "P_ShikichiForm.h"

#include "NumberText.h"
#include "Prompter.h"
#include "SiteRules.h"

#include <QLabel>
#include <QPushButton>

using namespace TableWords;

namespace {

QStringList cols(const char* stem, int from, int to)
{
    QStringList out;
    for (int i = from; i <= to; ++i)
        out << col(stem, i);
    return out;
}

// The number of a column of a numbered family ("Men12" → 12), or 0.
int numberOf(const QString& column, const char* stem)
{
    const QString st = s(stem);
    if (!column.startsWith(st))
        return 0;
    bool ok = false;
    const int n = column.mid(st.size()).toInt(&ok);
    return ok ? n : 0;
}

const unsigned kNumber = FieldFlag::SelectAll;

// A row of 【１１．延べ面積】: its first column (申請部分; then 申請以外の
// 部分 and the computed 合計) and its caption.
struct FloorAreaRow {
    int first;
    const char* caption;
};
const FloorAreaRow kFloorAreaRows[] = {
    {4, "【イ．建築物全体】"},
    {7, "【ロ．地階の住宅又は老人ホーム、福祉ホームその他これらに類するものの部分】"},
    {23, "【ハ．エレベーターの昇降路の部分】"},
    {10, "【ニ．共同住宅又は老人ホーム、福祉ホームその他これらに類するものの共用の廊下等の部分】"},
    {26, "【ホ．認定機械室等の部分】"},
    {13, "【ヘ．自動車車庫等の部分】"},
    {29, "【ト．備蓄倉庫の部分】"},
    {32, "【チ．蓄電池の設置部分】"},
    {35, "【リ．自家発電設備の設置部分】"},
    {38, "【ヌ．貯水槽の設置部分】"},
    {41, "【ル．宅配ボックスの設置部分】"},
    {44, "【ヲ．その他の不算入部分】"},
    {16, "【ワ．住宅の部分】"},
    {47, "【カ．老人ホーム、福祉ホームその他これらに類するものの部分】"},
};

// The first column of the floor-area row a column belongs to, when it is
// one of the row's two typed columns; 0 otherwise (the total, or no row).
int floorAreaRowOf(int men)
{
    for (const FloorAreaRow& r : kFloorAreaRows)
        if (men == r.first || men == r.first + 1)
            return r.first;
    return 0;
}

// A decimal field of the site window: whole text selected on focus.
FieldDef& decimal(FieldTable& t, const QString& column, int order, const char* unit, int chars = 10)
{
    return t.add(column, FieldKind::Decimal).withUnit(s(unit)).width(chars).enter(order).flagged(kNumber);
}

}  // namespace

FieldTable P_ShikichiForm::fieldTable()
{
    FieldTable t;
    t.table = s("SHIKICHI");
    const char* zones[] = {"（区域１）", "（区域２）", "（区域３）", "（区域４）"};

    t.addTab(s("敷地"));
    t.addGroup(s("【建設地】"));
    t.add(s("Tiban"), FieldKind::Text).withCaption(s("【１．地名地番】")).enter(1);
    t.add(s("Jdisp"), FieldKind::Text).withCaption(s("【２．住居表示】")).enter(2);
    t.addGroup(s("【３．都市計画区域及び準都市計画区域の内外の別等】"));
    const char* tosi[] = {"都市計画区域内 （", "市街化区域", "市街化調整区域", "区域区分非設定　）", "準都市計画区域",
                          "都市計画区域及び準都市計画区域外"};
    for (int i = 0; i < 6; ++i) {
        FieldDef& f = t.add(col("Tosi", i + 1), FieldKind::Flag).withLabel(s(tosi[i]));
        if (i == 4)
            f.flagged(FieldFlag::NewRow);
    }
    t.addGroup(s("【４．防火地域】"));
    const char* bou[] = {"防火地域", "準防火地域", "指定なし"};
    for (int i = 0; i < 3; ++i)
        t.add(col("Bou", i + 1), FieldKind::Flag).withLabel(s(bou[i]));
    t.addGroup(s("【※５．その他の区域、地域、地区、街区】"));
    t.add(s("Sonota1"), FieldKind::Text).enter(3);

    GroupDef& road = t.addGroup(s("【６．道路】"));
    road.headers = QStringList{s("前面"), s("側面"), s("背面")};
    // Narrow enough, with the four zones beside it, for a 1280-dot screen.
    road.captionChars = 14;
    decimal(t, s("Size1"), 4, "m", 8).withCaption(s("【イ．幅員】"));
    decimal(t, s("Size2"), 5, "m", 8).withCaption(s("【ロ．敷地と接している部分の長さ】")).inCell(0);
    decimal(t, s("Size3"), 7, "m", 8).inCell(2);
    decimal(t, s("Size4"), 6, "m", 8).inCell(1);

    GroupDef& site = t.addGroup(s("【７．敷地面積】"), 1);
    for (const char* z : zones)
        site.headers << s(z);
    site.captionChars = 12;
    int order = 8;
    for (int i = 5; i <= 8; ++i)
        decimal(t, col("Size", i), order++, "㎡", 9).withCaption(i == 5 ? s("【イ．敷地面積】（１）") : QString());
    for (int i = 9; i <= 12; ++i)
        decimal(t, col("Size", i), order++, "㎡", 9).withCaption(i == 9 ? s("（２）") : QString());
    for (int i = 13; i <= 16; ++i)
        t.add(col("Size", i), FieldKind::DropDown)
            .withCaption(i == 13 ? s("【ロ．用途地域等】") : QString())
            .from(s("YoutoTiiki"))
            .width(11)
            .enter(order++);
    for (int i = 1; i <= 4; ++i)
        decimal(t, col("Par", i), order++, "％", 9)
            .withCaption(i == 1 ? s("【ハ．建築基準法第52条第1項及び2項の規定による建築物の容積率】") : QString());
    for (int i = 5; i <= 8; ++i)
        decimal(t, col("Par", i), order++, "％", 9)
            .withCaption(i == 5 ? s("【ニ．建築基準法第53条第1項の規定による建築物の建蔽率】") : QString());
    t.add(s("Size17"), FieldKind::Label).withCaption(s("【ホ．敷地面積の合計】")).withLabel(s("（１）")).withUnit(s("㎡"))
        .width(10).spanning(2);
    t.add(s("Size18"), FieldKind::Label).withLabel(s("（２）")).withUnit(s("㎡")).width(10).inCell(2).spanning(2);
    decimal(t, s("Par9"), order++, "").withCaption(s("【ヘ．敷地に建築可能な延べ面積を敷地面積で除した数値】"));
    decimal(t, s("Par10"), order++, "").withCaption(s("【ト．敷地に建築可能な建築面積を敷地面積で除した数値】"));
    t.add(s("SikiBikou"), FieldKind::Text).withCaption(s("【チ．備考】")).enter(order++).flagged(FieldFlag::EnterStays);

    t.addTab(s("建築物"));
    t.addGroup(s("【８．主要用途】"));
    t.add(s("Kubun"), FieldKind::Text)
        .withCaption(s("区分"))
        .width(7)
        .flagged(FieldFlag::Latin)
        .withTip(s("用途の区分のコードです。右の一覧から選ぶと入ります。"))
        .enter(101);
    t.add(s("KubunDisp"), FieldKind::DropDown).from(s("ShuYouto")).width(34).enter(102);
    t.add(s("Youto"), FieldKind::DropDown).withCaption(s("具体的用途")).from(s("GutaiYouto")).width(34).enter(103);
    t.addGroup(s("【９．工事種別】"));
    const char* kinds[] = {"新築", "増築", "改築", "移転", "用途変更", "大規模の修繕", "大規模の模様替え"};
    for (int i = 0; i < 7; ++i) {
        FieldDef& f = t.add(i == 0 ? s("Shubetu1") : col("shubetu", i + 1), FieldKind::Flag).withLabel(s(kinds[i]));
        if (i == 4)
            f.flagged(FieldFlag::NewRow);
    }

    GroupDef& building = t.addGroup(s("【１０．建築面積】"), 1);
    building.headers = QStringList{s("申請部分"), s("申請以外の部分"), s("合計")};
    building.captionChars = 10;
    decimal(t, s("Men1"), 104, "㎡").withCaption(s("【イ．建築面積】"));
    decimal(t, s("Men2"), 105, "㎡");
    t.add(s("Men3"), FieldKind::Label).withUnit(s("㎡")).width(10);
    decimal(t, s("Men20"), 106, "㎡").withCaption(s("【ロ．建蔽率の算定の基礎となる建築面積】"));
    decimal(t, s("Men21"), 107, "㎡");
    t.add(s("Men22"), FieldKind::Label).withUnit(s("㎡")).width(10);
    t.add(s("Par11"), FieldKind::Label).withCaption(s("【ハ．建蔽率】")).withUnit(s("％")).width(10).inCell(2);

    t.addGroup(s("【１２．建築物の数】"));
    t.add(s("Tou1"), FieldKind::Plain)
        .withCaption(s("【イ．申請に係る建築物の数】"))
        .width(4)
        .flagged(kNumber)
        .withTip(s("メイン画面の申請棟数（1〜3）と同じ値です。"))
        .enter(116);
    t.add(s("Tou2"), FieldKind::Plain).withCaption(s("【ロ．同一敷地内の他の建築物の数】")).width(4).flagged(kNumber).enter(117);
    t.addGroup(s("【工事予算額】"));
    t.add(s("Kin1"), FieldKind::Plain).withUnit(s("万円")).width(12).flagged(kNumber).enter(118);

    // The rows of the total floor area in the form's order; the columns of
    // the rows added since (Men23 …) follow the order of the rows' kinds,
    // not their place on the form.
    t.addTab(s("延べ面積"));
    order = 150;
    GroupDef& floors = t.addGroup(s("【１１．延べ面積】"));
    floors.headers = QStringList{s("申請部分"), s("申請以外の部分"), s("合計")};
    floors.captionChars = 24;
    for (const FloorAreaRow& r : kFloorAreaRows) {
        decimal(t, col("Men", r.first), order++, "㎡").withCaption(s(r.caption));
        decimal(t, col("Men", r.first + 1), order++, "㎡");
        t.add(col("Men", r.first + 2), FieldKind::Label).withUnit(s("㎡")).width(10);
    }
    t.add(s("Men19"), FieldKind::Label).withCaption(s("【ヨ．延べ面積】")).withUnit(s("㎡")).width(10).inCell(2);
    t.add(s("Par12"), FieldKind::Label).withCaption(s("【タ．容積率】")).withUnit(s("％")).width(10).inCell(2);

    t.addTab(s("高さ・工期"));
    GroupDef& heights = t.addGroup(s("【１３．建築物の高さ等】"));
    heights.headers = QStringList{s("【イ．最高の高さ】"), s("【ロ．階数】"), QString(), s("【ハ．構造】")};
    heights.captionChars = 10;
    const char* who[] = {"申請に係る建築物", "他の建築物"};
    for (int b = 0; b < 2; ++b) {
        t.add(col("Taka", 1 + b), FieldKind::Decimal)
            .withCaption(s(who[b]))
            .withUnit(s("m"))
            .width(10)
            .flagged(kNumber)
            .at(b, 0)
            .enter(201 + 4 * b);
    }
    for (int b = 0; b < 2; ++b) {
        t.add(col("Kai", 1 + b), FieldKind::Digit).withLabel(s("地上")).withUnit(s("階")).width(3).flagged(kNumber)
            .at(b, 1).enter(202 + 4 * b);
    }
    for (int b = 0; b < 2; ++b) {
        t.add(col("Kai", 3 + b), FieldKind::Digit).withLabel(s("地下")).withUnit(s("階")).width(3).flagged(kNumber)
            .at(b, 2).enter(203 + 4 * b);
    }
    for (int b = 0; b < 2; ++b)
        t.add(col("Zou", 1 + b), FieldKind::DropDown).from(s("Kouzou")).withUnit(s("構造")).width(20).at(b, 3).enter(204 + 4 * b);
    GroupDef& exception = t.addGroup(s("【建築基準法第56条第7項の規定による特例の適用の有無】"));
    exception.captionChars = 15;
    t.add(s("Umu1"), FieldKind::Flag).withLabel(s("有"));
    t.add(s("Umu2"), FieldKind::Flag).withLabel(s("無"));
    t.add(s("Kubun10"), FieldKind::Flag).withCaption(s("【適用があるときは、特例の区分】")).withLabel(s("道路高さ制限不適用"));
    t.add(s("Kubun11"), FieldKind::Flag).withLabel(s("隣地高さ制限不適用"));
    t.add(s("Kubun12"), FieldKind::Flag).withLabel(s("北側高さ制限不適用"));

    t.addGroup(s("【１４．許可・認定等】"));
    t.add(s("Kyoka10"), FieldKind::Text).enter(209);
    GroupDef& dates = t.addGroup(QString(), 1);
    dates.captionChars = 15;
    const QString dateTip = s("「2005/04/01」「令和7年4月1日」などの形で入力します。");
    t.add(s("Day1"), FieldKind::Text).withCaption(s("【１５．工事着手予定年月日】")).width(20).withTip(dateTip).enter(210);
    t.add(s("Day2"), FieldKind::Text).withCaption(s("【１６．工事完了予定年月日】")).width(20).withTip(dateTip).enter(211);
    t.add(s("KoujiKikan"), FieldKind::Text).withCaption(s("工事期間：")).width(20).enter(212);

    GroupDef& stages = t.addGroup(s("【１７．指定特定工程工事終了予定年月日】"), 1);
    stages.headers = QStringList{QString(), s("（年月日）"), s("特定工程")};
    for (int k = 0; k < 3; ++k) {
        t.add(col("Dai", 1 + k), FieldKind::Digit).withLabel(s("（第")).withUnit(s("回）")).width(3).flagged(FieldFlag::NewRow)
            .enter(213 + 3 * k);
        t.add(col("Day", 3 + k), FieldKind::Text).width(20).withTip(dateTip).enter(214 + 3 * k);
        t.add(col("Koutei", 1 + k), FieldKind::Text).width(28).enter(215 + 3 * k);
    }
    t.addGroup(s("【１８．その他必要な事項】"), 1);
    t.add(s("Jikou10"), FieldKind::Text).enter(222);
    t.addGroup(s("【１９．備考】"), 1);
    t.add(s("Bikou10"), FieldKind::Text).enter(223).flagged(FieldFlag::EnterStays);

    t.lists.append({s("YoutoTiiki"), s("YoutoTiiki"), s("Y_NAME"), QString(), {}});
    t.lists.append({s("ShuYouto"), s("ShuYouto"), s("S_Name"), s("S_ID"), {}});
    t.lists.append({s("GutaiYouto"), s("GutaiYouto"), s("G_NAME"), QString(), {}});
    t.lists.append({s("Kouzou"), s("Kouzou"), s("KOUZOU"), QString(), {}});
    t.codePairs.append({s("KubunDisp"), s("Kubun")});
    return t;
}

P_ShikichiForm::P_ShikichiForm(Storage& storage, qint64 bid, QWidget* parent)
    : EntryForm(storage, bid, fieldTable(), parent)
{
    setObjectName(s("P_ShikichiForm"));
    setWindowTitle(s("建築物及びその敷地に関する事項"));
    setHelpPage(s("shikichi.html"));
    setFlagRules(FlagRules::site());

    auto* compute = new QPushButton(s("自動計算"));
    compute->setObjectName(s("KeisanBtn"));
    compute->setToolTip(s("着手予定日と完了予定日から工事期間を計算します。"));
    compute->setAutoDefault(false);
    connect(compute, &QPushButton::clicked, this, &P_ShikichiForm::computePeriod);
    addAfterField(s("KoujiKikan"), compute);

    auto* notice = new QLabel(s("この設定画面の 「敷地」 パネルの 【イ．敷地面積】 の敷地面積データが先に入力されていないと"
                                "【ハ．建蔽率】 は ”０”になります。　その場合は、「敷地」 パネルの【イ．敷地面積】のデータを"
                                "入力してください。"));
    notice->setObjectName(s("NoticeLabel"));
    notice->setWordWrap(true);
    notice->setStyleSheet(s("color: #8b0000;"));
    for (int g = 0; g < table().groups.size(); ++g)
        if (table().groups[g].title == s("【１０．建築面積】"))
            addGroupRow(g, notice);

    open();
}

void P_ShikichiForm::fieldLeft(const QString& column)
{
    auto sumInto = [this](const QString& target, const QStringList& fields) {
        QStringList texts;
        for (const QString& f : fields)
            texts << text(f);
        setText(target, SiteRules::sumText(texts));
    };
    const int size = numberOf(column, "Size");
    const int men = numberOf(column, "Men");
    if (size >= 5 && size <= 8) {
        sumInto(s("Size17"), cols("Size", 5, 8));
    } else if (size >= 9 && size <= 12) {
        sumInto(s("Size18"), cols("Size", 9, 12));
    } else if (column == s("Men1") || column == s("Men2") || column == s("Men20") || column == s("Men21")) {
        sumInto(s("Men3"), {s("Men1"), s("Men2")});
        sumInto(s("Men22"), {s("Men20"), s("Men21")});
        // The ratio rests on the area of row ロ where it is given: the areas
        // that the coverage rules leave out are no part of it.
        const QString base = NumberText::read(text(s("Men22"))) > 0 ? text(s("Men22")) : text(s("Men3"));
        setText(s("Par11"), SiteRules::coverageRatio(base, text(s("Size17"))));
    } else if (column == s("Men4") || column == s("Men5")) {
        sumInto(s("Men6"), {s("Men4"), s("Men5")});
        // The total floor area is that of the whole building (row イ); the
        // rows ロ to ホ are parts of it.
        setText(s("Men19"), NumberText::formatDecimal(text(s("Men6"))));
        setText(s("Par12"), SiteRules::floorAreaRatio(text(s("Men4")), text(s("Men5")), text(s("Size17"))));
    } else if (const int first = floorAreaRowOf(men)) {
        sumInto(col("Men", first + 2), {col("Men", first), col("Men", first + 1)});
    }
}

void P_ShikichiForm::computePeriod()
{
    const SiteRules::PeriodResult r = SiteRules::constructionPeriod(text(s("Day1")), text(s("Day2")));
    if (r.ok) {
        setText(s("KoujiKikan"), r.text);
        return;
    }
    Prompter::current().show({PromptTitle::Warning, s("日付が正確に入力されてません。　確認してください。"),
                              Prompter::Icon::Warning, Prompter::Ok, Prompter::Ok});
    if (r.focus == SiteRules::PeriodResult::Focus::Completion)
        focusField(s("Day2"));
    else if (r.focus == SiteRules::PeriodResult::Focus::Start)
        focusField(s("Day1"));
}
