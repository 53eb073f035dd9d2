#include "P_KoujiForm.h"

#include "ShuYoutoForm.h"

#include <QHBoxLayout>
#include <QLayout>
#include <QPushButton>

using namespace TableWords;

namespace {

// The two 主要用途 groups: the boxes (1) to (3) and the use field each
// fills; (1) also has the use-code list.
struct MainUse {
    const char* boxes[3];
    const char* codeList;
    const char* fields[3];
};
const MainUse kMainUses[2] = {
    {{"ShuyouCHK1", "ShuyouCHK2", "ShuyouCHK3"}, "Youto0", {"Youto1", "Youto2", "Youto3"}},
    {{"ShuyouCHK11", "ShuyouCHK12", "ShuyouCHK13"}, "Youto72", {"Youto7", "Youto8", "Youto9"}},
};
const char* const kMainUseLabels[3] = {"(1)居住専用", "(2)居住産業併用", "(3)産業専用"};

const unsigned kNumber = FieldFlag::SelectAll;

// 主要用途: a box and its use field on each row; (1) chooses a use code
// that names the use.
void addMainUse(FieldTable& t, const MainUse& m, int order)
{
    for (int i = 0; i < 3; ++i) {
        t.add(s(m.boxes[i]), FieldKind::Flag).withLabel(s(kMainUseLabels[i])).at(i, 0);
        if (i == 0) {
            t.add(s(m.codeList), FieldKind::DropDown)
                .from(s("ShuYouto2"))
                .width(7)
                .withTip(s("用途のコードを選ぶと、右に用途名が入ります。"))
                .at(0, 1)
                .enter(order++);
        }
        t.add(s(m.fields[i]), FieldKind::Text).at(i, i == 0 ? 2 : 1).enter(order++);
    }
}

}  // namespace

QStringList P_KoujiForm::retiredColumns()
{
    // The seven use classes per building of the form replaced in 2025: the
    // notice now names the use class of the application. Kept in the
    // table, no longer edited.
    QStringList out;
    for (int b = 0; b < 3; ++b)
        for (int i = 1; i <= 7; ++i)
            out << s("YoutoCHK") + QString::number(b) + QString::number(i);
    return out;
}

FieldTable P_KoujiForm::fieldTable()
{
    FieldTable t;
    t.table = s("KOUJI");
    int order = 1;

    t.addTab(s("主要用途・建築物ごとの内容"));
    GroupDef& use = t.addGroup(s("【５．主要用途】"));
    use.aligned = true;
    addMainUse(t, kMainUses[0], order);
    order += 4;
    GroupDef& inCharge = t.addGroup(s("【工事施工者の担当者】"));
    inCharge.captionChars = 8;
    t.add(s("Tanto1"), FieldKind::Text).withCaption(s("【氏名】")).width(20)
        .withTip(s("空欄のときは、建築主等の概要の現場担当者を印刷します。")).enter(order++);
    t.add(s("Tanto2"), FieldKind::Text).withLabel(s("【電話番号】")).width(16).flagged(FieldFlag::Latin).enter(order++);

    GroupDef& each = t.addGroup(s("【６．一の建築物ごとの内容】"));
    each.headers = QStringList{s("（建築物１）"), s("（建築物２）"), s("（建築物３）")};
    each.captionChars = 12;
    const char* structures[6] = {"木造", "鉄骨鉄筋コンクリート造", "鉄筋コンクリート造", "鉄骨造", "コンクリートブロック造", "その他"};
    // Down each building's column: number, name, use class, structure,
    // the three largest uses, cost.
    for (int b = 0; b < 3; ++b) {
        const int n = b + 1;
        auto caption = [b](FieldDef& f, const char* text) -> FieldDef& {
            return b == 0 ? f.withCaption(s(text)) : f;
        };
        caption(t.add(col("Ban", n), FieldKind::Text).width(8).flagged(FieldFlag::Latin).at(0, b), "【イ．番号】")
            .enter(order++);
        caption(t.add(col("Bukken", n), FieldKind::Text).width(16).at(1, b), "【ロ．物件名】")
            .withTip(s("空欄のときは、工事の建築物の名称を印刷します。")).enter(order++);
        caption(t.add(col("BKubunDisp", n), FieldKind::DropDown).from(s("ShuYouto")).width(16).at(2, b), "【ハ．用途】")
            .withTip(s("確認申請書の用途の区分です。空欄のときは、建築物別概要の主要用途を印刷します。"))
            .enter(order++);
        t.add(col("BKubun", n), FieldKind::Text).width(7).flagged(FieldFlag::Latin).at(3, b).enter(order++);
        for (int i = 0; i < 6; ++i) {
            FieldDef& f = t.add(s("KouzoCHK") + QString::number(b) + QString::number(i + 1), FieldKind::Flag)
                              .withLabel(s(structures[i]))
                              .at(4 + i, b);
            if (i == 0)
                caption(f, "【ニ．工事部分の構造】");
        }
        for (int i = 1; i <= 3; ++i) {
            FieldDef& u = t.add(s("BYouto%1%2").arg(n).arg(i), FieldKind::Text).width(16).at(8 + 2 * i, b)
                              .enter(order++);
            if (i == 1)
                caption(u, "【ト．用途ごとの工事部分の床面積】")
                    .withTip(s("上位３つまで。空欄のときは、階別概要の用途別床面積から求めます。"));
            t.add(s("BMen%1%2").arg(n).arg(i), FieldKind::Decimal).withUnit(s("㎡")).width(10).flagged(kNumber)
                .at(9 + 2 * i, b).enter(order++);
        }
        caption(t.add(col("KoujiHi", n), FieldKind::Plain).withUnit(s("万円")).width(10).flagged(kNumber).at(16, b),
                "【チ．建築工事費予定額】")
            .withTip(s("整数で入力します。単棟で空欄のときは、工事予算額を印刷します。"))
            .enter(order++);
        t.add(col("Zeikomi", n), FieldKind::Flag).withLabel(s("消費税込み")).at(17, b);
    }

    t.addTab(s("住宅部分の概要"));
    GroupDef& housing = t.addGroup(s("【１．住宅部分の概要】"));
    housing.aligned = true;
    housing.captionChars = 13;
    t.add(s("Ban4"), FieldKind::Text).withCaption(s("【イ．番号】")).width(8).flagged(FieldFlag::Latin).enter(order++);
    t.add(s("Betu10"), FieldKind::Flag).withCaption(s("【ロ．新設又はその他の別】")).withLabel(s("新設　（"));
    t.add(s("Betu11"), FieldKind::Flag).withLabel(s("新築"));
    t.add(s("Betu12"), FieldKind::Flag).withLabel(s("増築"));
    t.add(s("Betu13"), FieldKind::Flag).withLabel(s("改築")).withUnit(s("）"));
    // その他 has no 新築: its boxes stand under 増築 and 改築.
    t.add(s("Betu20"), FieldKind::Flag).withLabel(s("その他 （")).flagged(FieldFlag::NewRow);
    t.add(s("Betu22"), FieldKind::Flag).withLabel(s("増築")).storedIn(s("Betu21")).inCell(2);
    t.add(s("Betu23"), FieldKind::Flag).withLabel(s("改築")).storedIn(s("Betu22")).withUnit(s("）"));
    const char* houseStructures[6] = {"木造", "鉄骨鉄筋ｺﾝｸﾘｰﾄ造", "鉄筋ｺﾝｸﾘｰﾄ造", "鉄骨造", "ｺﾝｸﾘｰﾄﾌﾞﾛｯｸ造", "その他"};
    for (int i = 0; i < 6; ++i) {
        FieldDef& f = t.add(col("JKouzoCHK", i + 1), FieldKind::Flag).withLabel(s(houseStructures[i]));
        if (i == 0)
            f.withCaption(s("【ハ．工事部分の構造】"))
                .withTip(s("選ばないときは、建築物１の構造を印刷します。"));
        if (i == 3)
            f.flagged(FieldFlag::NewRow);
    }
    const char* methods[3] = {"在来工法", "プレハブ工法", "枠組壁工法"};
    for (int i = 0; i < 3; ++i) {
        FieldDef& f = t.add(col("Kouhou", i + 1), FieldKind::Flag).withLabel(s(methods[i]));
        if (i == 0)
            f.withCaption(s("【ニ．建築工法】"));
    }
    // 住宅の種類 (the heads) and 建て方 (the items): the boxes ShuruiG0 to
    // ShuruiG3 keep the columns ShuruiG1 to ShuruiG4.
    const char* kinds[3] = {"専用住宅　　　（", "併用住宅　　　（", "その他の住宅　（"};
    const char* dwellings[3] = {"一戸建住宅", "長屋建住宅", "共同住宅"};
    for (int g = 1; g <= 3; ++g) {
        FieldDef& head = t.add(col("Shurui", 10 * g), FieldKind::Flag).withLabel(s(kinds[g - 1])).storedIn(col("Shurui", 10 * g + 1));
        if (g == 1)
            head.withCaption(s("【ホ．種類／ヘ．建て方】"));
        else
            head.flagged(FieldFlag::NewRow);
        for (int i = 1; i <= 3; ++i) {
            FieldDef& item = t.add(col("Shurui", 10 * g + i), FieldKind::Flag)
                                 .withLabel(s(dwellings[i - 1]))
                                 .storedIn(col("Shurui", 10 * g + i + 1));
            if (i == 3)
                item.withUnit(s("）"));
        }
    }
    const char* tenures[4] = {"持家", "貸家", "給与住宅", "分譲住宅"};
    for (int i = 0; i < 4; ++i) {
        FieldDef& f = t.add(col("RiyouKan", i + 1), FieldKind::Flag).withLabel(s(tenures[i]));
        if (i == 0)
            f.withCaption(s("【ト．利用関係】"));
    }
    for (int i = 0; i < 4; ++i) {
        FieldDef& f = t.add(col("Ko", i + 1), FieldKind::Plain).withLabel(s("（")).withUnit(s("戸）")).width(5)
                          .flagged(kNumber).enter(order++);
        if (i == 0)
            f.withCaption(s("【チ．住宅の戸数】"));
    }
    for (int i = 0; i < 4; ++i) {
        FieldDef& f = t.add(col("Gou", i + 1), FieldKind::Decimal).withLabel(s("（")).withUnit(s("㎡）")).width(10)
                          .flagged(kNumber).enter(order++);
        if (i == 0)
            f.withCaption(s("【リ．工事部分の床面積】"));
        if (i == 3)
            f.flagged(FieldFlag::EnterStays);
    }
    const char* funds[5] = {"民間資金住宅", "公営住宅", "住宅金融支援機構住宅", "都市再生機構住宅", "その他"};
    for (int i = 0; i < 5; ++i) {
        FieldDef& f = t.add(col("Kin", i + 1), FieldKind::Flag).withLabel(s(funds[i]));
        if (i == 0)
            f.withCaption(s("【ヌ．新設住宅の資金】"));
        if (i == 3)
            f.flagged(FieldFlag::NewRow);
    }

    t.addTab(s("除却"));
    t.addGroup(s("【除却】"));
    t.add(s("JokyoChk1"), FieldKind::Flag).withLabel(s("無し"));
    t.add(s("JokyoChk2"), FieldKind::Flag).withLabel(s("有り"))
        .withTip(s("既存の建築物を除却して建築するときにチェックします。除却の欄は工事届にこのときだけ印刷されます。"));
    GroupDef& removed = t.addGroup(s("【除却予定建築物の概要】"));
    removed.captionChars = 12;
    t.add(s("Gen1"), FieldKind::DropDown).withCaption(s("【除却原因】")).from(s("Gen1")).width(30).enter(order++);
    t.add(s("Kouz1"), FieldKind::DropDown).withCaption(s("【構造】")).from(s("Kouz1")).width(24).enter(order++);
    t.add(s("Ksu1"), FieldKind::Plain).withCaption(s("【建築物の数】")).width(6).flagged(kNumber).enter(order++);
    t.add(s("Jsu1"), FieldKind::Plain).withCaption(s("【住宅の戸数】")).withUnit(s("戸")).width(6).flagged(kNumber).enter(order++);
    t.add(s("Riyou2"), FieldKind::DropDown).withCaption(s("【住宅の利用関係】")).from(s("Riyou2")).width(16).enter(order++);
    t.add(s("Men1"), FieldKind::Decimal).withCaption(s("【床面積の合計】")).withUnit(s("㎡")).width(12)
        .flagged(kNumber).enter(order++);
    t.add(s("HyoukaGaku"), FieldKind::Plain).withCaption(s("【建築物の評価額】")).withUnit(s("万円")).width(12)
        .flagged(kNumber).enter(order++);
    GroupDef& contractor = t.addGroup(s("【除却工事施工者】"));
    contractor.captionChars = 12;
    t.add(s("Seko1"), FieldKind::Text).withCaption(s("【氏名（事業者名）】")).enter(order++);
    t.add(s("Seko5"), FieldKind::Text).withCaption(s("【営業所名】")).enter(order++);
    t.add(s("Seko2"), FieldKind::Text)
        .withCaption(s("【郵便番号】"))
        .width(10)
        .flagged(FieldFlag::Latin | FieldFlag::PostalLookup)
        .withTip(s("Enter キーで郵便番号から住所を入力します。"))
        .enter(order++);
    t.postal.append({1, s("Seko2"), s("Seko3")});
    t.add(s("Seko3"), FieldKind::Text).withCaption(s("【所在地】")).enter(order++);
    t.add(s("Seko4"), FieldKind::Text).withCaption(s("【電話番号】")).width(16).flagged(FieldFlag::Latin).enter(order++);
    t.add(s("Seko6"), FieldKind::Text).withCaption(s("【担当者氏名】")).width(20).enter(order++);
    t.add(s("Seko7"), FieldKind::Text).withLabel(s("【担当者電話番号】")).width(16).flagged(FieldFlag::Latin).enter(order++);
    GroupDef& where = t.addGroup(QString());
    where.captionChars = 12;
    t.add(s("Basho1"), FieldKind::Text).withCaption(s("【除却場所】"))
        .withTip(s("空欄のときは、敷地の地名地番を印刷します。")).enter(order++);
    t.add(s("Day1"), FieldKind::Text).withCaption(s("【除却予定年月日】")).width(20).enter(order++);
    t.add(s("JBukken"), FieldKind::Text).withCaption(s("【物件名】"))
        .withTip(s("除却届（第四十一号様式）の物件名です。")).enter(order++);
    GroupDef& removedUse = t.addGroup(s("【除却建築物の用途】"));
    removedUse.aligned = true;
    addMainUse(t, kMainUses[1], order);
    t.fields.last().flagged(FieldFlag::EnterStays);

    t.fixedLists.insert(s("Gen1"), {s("老朽化して危険があるため"), s("その他")});
    // The structures the removal survey counts.
    t.fixedLists.insert(s("Kouz1"), {s("木造"), s("鉄骨鉄筋コンクリート造"), s("鉄筋コンクリート造"), s("鉄骨造"),
                                     s("コンクリートブロック造"), s("その他")});
    t.fixedLists.insert(s("Riyou2"), {s("持家"), s("貸家"), s("給与住宅")});
    t.lists.append({s("ShuYouto2"), s("ShuYouto2"), s("S_ID"), s("S_Name"), {}});
    t.lists.append({s("ShuYouto"), s("ShuYouto"), s("S_Name"), s("S_ID"), {}});
    t.codePairs.append({s("Youto0"), s("Youto1")});
    t.codePairs.append({s("Youto72"), s("Youto7")});
    for (int b = 1; b <= 3; ++b)
        t.codePairs.append({col("BKubunDisp", b), col("BKubun", b)});
    return t;
}

P_KoujiForm::P_KoujiForm(Storage& storage, qint64 bid, QWidget* parent)
    : EntryForm(storage, bid, fieldTable(), parent)
{
    setObjectName(s("P_KoujiForm"));
    setWindowTitle(s("工事届"));
    setHelpPage(s("kouji.html"));
    setFlagRules(FlagRules::constructionNotice());

    for (int g = 0; g < 2; ++g) {
        auto* b = new QPushButton(s("検索"));
        b->setObjectName(g == 0 ? s("SrchBtn") : s("SrchBtn2"));
        b->setToolTip(s("主用途（建物種別）の一覧から選んで入力します。"));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, g] { searchMainUse(g); });
        m_search[g] = b;
        addAfterField(s(kMainUses[g].fields[1]), b);
    }
    open();
    placeSearchButtons();
}

QString P_KoujiForm::searchTarget(int group) const
{
    const MainUse& m = kMainUses[qBound(0, group, 1)];
    for (int i = 1; i < 3; ++i)
        if (isChecked(s(m.boxes[i])))
            return s(m.fields[i]);
    return {};
}

void P_KoujiForm::searchMainUse(int group)
{
    const QString target = searchTarget(group);
    if (target.isEmpty())
        return;
    const QString code = ShuYoutoForm::choose(storage(), this);
    if (!code.isEmpty())
        setText(target, code);
    focusField(target);
}

// The button stands beside the field it fills, and only while there is one.
void P_KoujiForm::placeSearchButtons()
{
    for (int g = 0; g < 2; ++g) {
        QPushButton* b = m_search[g];
        const QString target = searchTarget(g);
        if (target.isEmpty()) {
            b->hide();
            continue;
        }
        QWidget* beside = field(target);
        if (beside && b->parentWidget() != beside->parentWidget()) {
            if (QLayout* l = b->parentWidget()->layout())
                l->removeWidget(b);
            addAfterField(target, b);
        }
        b->show();
    }
}

void P_KoujiForm::fieldChanged(const QString& column)
{
    // A use field taken from its kind by ticking another kind is emptied
    // as well as disabled, so that nothing of the other kind is printed.
    for (const MainUse& m : kMainUses) {
        for (const char* f : {m.codeList, m.fields[0], m.fields[1], m.fields[2]}) {
            if (column == s(f) && field(column) && !field(column)->isEnabledTo(this) && !text(column).isEmpty())
                setText(column, QString());
        }
        for (const char* b : m.boxes)
            if (column == s(b))
                placeSearchButtons();
    }
}
