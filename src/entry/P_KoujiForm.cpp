#include "P_KoujiForm.h"

#include "ShuYoutoForm.h"

#include <QHBoxLayout>
#include <QLayout>
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
const char* const kMainUseLabels[3] = {"(1)居住専用建築物", "(2)居住産業併用建築物", "(3)産業専用建築物"};

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

FieldTable P_KoujiForm::fieldTable()
{
    FieldTable t;
    t.table = s("KOUJI");

    t.addTab(s("主要用途・建築物ごとの内容"));
    GroupDef& use = t.addGroup(s("【５．主要用途】"));
    use.aligned = true;
    addMainUse(t, kMainUses[0], 1);

    GroupDef& each = t.addGroup(s("【６．一の建築物ごとの内容】"));
    each.headers = QStringList{s("（建築物１）"), s("（建築物２）"), s("（建築物３）")};
    each.captionChars = 12;
    const char* uses[7] = {"事務所等", "物品販売業を営む店舗等", "工場、作業場", "倉庫", "学校", "病院、診療所", "その他"};
    const char* structures[6] = {"木造", "鉄骨鉄筋ｺﾝｸﾘｰﾄ造", "鉄筋ｺﾝｸﾘｰﾄ造", "鉄骨造", "ｺﾝｸﾘｰﾄﾌﾞﾛｯｸ造", "その他"};
    for (int b = 0; b < 3; ++b) {
        FieldDef& number = t.add(col("Ban", b + 1), FieldKind::Text).width(8).flagged(FieldFlag::Latin).at(0, b).enter(10 + b);
        if (b == 0)
            number.withCaption(s("【イ．番号】"));
        for (int i = 0; i < 7; ++i) {
            FieldDef& f = t.add(s("YoutoCHK") + QString::number(b) + QString::number(i + 1), FieldKind::Flag)
                              .withLabel(s(uses[i]))
                              .at(1 + i, b);
            if (b == 0 && i == 0)
                f.withCaption(s("【ロ．用途】"));
        }
        for (int i = 0; i < 6; ++i) {
            FieldDef& f = t.add(s("KouzoCHK") + QString::number(b) + QString::number(i + 1), FieldKind::Flag)
                              .withLabel(s(structures[i]))
                              .at(8 + i, b);
            if (b == 0 && i == 0)
                f.withCaption(s("【ハ．工事部分の構造】"));
        }
    }

    t.addTab(s("住宅部分の概要"));
    GroupDef& housing = t.addGroup(s("【１．住宅部分の概要】"));
    housing.aligned = true;
    housing.captionChars = 13;
    t.add(s("Ban4"), FieldKind::Text).withCaption(s("【イ．番号】")).width(8).flagged(FieldFlag::Latin).enter(20);
    t.add(s("Betu10"), FieldKind::Flag).withCaption(s("【ロ．新設とその他の別】")).withLabel(s("新設　（"));
    t.add(s("Betu11"), FieldKind::Flag).withLabel(s("新築"));
    t.add(s("Betu12"), FieldKind::Flag).withLabel(s("増築"));
    t.add(s("Betu13"), FieldKind::Flag).withLabel(s("改築")).withUnit(s("）"));
    // その他 has no 新築: its boxes stand under 増築 and 改築.
    t.add(s("Betu20"), FieldKind::Flag).withLabel(s("その他 （")).flagged(FieldFlag::NewRow);
    t.add(s("Betu22"), FieldKind::Flag).withLabel(s("増築")).storedIn(s("Betu21")).inCell(2);
    t.add(s("Betu23"), FieldKind::Flag).withLabel(s("改築")).storedIn(s("Betu22")).withUnit(s("）"));
    const char* funds[5] = {"民間資金", "公営", "住宅金融公庫", "都市基盤整備公団", "その他"};
    for (int i = 0; i < 5; ++i) {
        FieldDef& f = t.add(col("Kin", i + 1), FieldKind::Flag).withLabel(s(funds[i]));
        if (i == 0)
            f.withCaption(s("【ハ．資金】"));
    }
    const char* methods[3] = {"在来工法", "プレハブ工法", "枠組壁工法"};
    for (int i = 0; i < 3; ++i) {
        FieldDef& f = t.add(col("Kouhou", i + 1), FieldKind::Flag).withLabel(s(methods[i]));
        if (i == 0)
            f.withCaption(s("【ニ．建築工法】"));
    }
    // 種類: the boxes ShuruiG0 to ShuruiG3 keep the columns ShuruiG1 to ShuruiG4.
    const char* kinds[3] = {"住宅専用　　　（", "併用住宅　　　（", "その他の住宅　（"};
    const char* dwellings[3] = {"一戸建住宅", "長屋建住宅", "共同住宅"};
    for (int g = 1; g <= 3; ++g) {
        FieldDef& head = t.add(col("Shurui", 10 * g), FieldKind::Flag).withLabel(s(kinds[g - 1])).storedIn(col("Shurui", 10 * g + 1));
        if (g == 1)
            head.withCaption(s("【ホ．種類】"));
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
    const char* tenures[4] = {"持ち家", "貸家", "給与住宅", "分譲住宅"};
    for (int i = 0; i < 4; ++i) {
        FieldDef& f = t.add(col("RiyouKan", i + 1), FieldKind::Flag).withLabel(s(tenures[i]));
        if (i == 0)
            f.withCaption(s("【ヘ．利用関係】"));
    }
    for (int i = 0; i < 4; ++i) {
        FieldDef& f = t.add(col("Ko", i + 1), FieldKind::Plain).withLabel(s("（")).withUnit(s("戸）")).width(5)
                          .flagged(kNumber).enter(21 + i);
        if (i == 0)
            f.withCaption(s("【ト．戸数】"));
    }
    for (int i = 0; i < 4; ++i) {
        FieldDef& f = t.add(col("Gou", i + 1), FieldKind::Decimal).withLabel(s("（")).withUnit(s("㎡）")).width(10)
                          .flagged(kNumber).enter(25 + i);
        if (i == 0)
            f.withCaption(s("【チ．工事部分の床面積】"));
        if (i == 3)
            f.flagged(FieldFlag::EnterStays);
    }

    t.addTab(s("除去"));
    t.addGroup(s("【除去】"));
    t.add(s("JokyoChk1"), FieldKind::Flag).withLabel(s("無し"));
    t.add(s("JokyoChk2"), FieldKind::Flag).withLabel(s("有り"))
        .withTip(s("既存の建築物を除去するときにチェックします。除去の欄はこのときだけ印刷されます。"));
    GroupDef& removed = t.addGroup(s("【除去建物の概要】"));
    removed.captionChars = 12;
    t.add(s("Gen1"), FieldKind::DropDown).withCaption(s("【除去原因】")).from(s("Gen1")).width(30).enter(40);
    t.add(s("Kouz1"), FieldKind::DropDown).withCaption(s("【構造種別】")).from(s("Kouz1")).width(16).enter(41);
    t.add(s("Ksu1"), FieldKind::Plain).withCaption(s("【建築物の数】")).width(6).flagged(kNumber).enter(42);
    t.add(s("Jsu1"), FieldKind::Plain).withCaption(s("【住宅の戸数】")).withUnit(s("戸")).width(6).flagged(kNumber).enter(43);
    t.add(s("Riyou2"), FieldKind::DropDown).withCaption(s("【住宅の利用関係】")).from(s("Riyou2")).width(16).enter(44);
    t.add(s("Men1"), FieldKind::Decimal).withCaption(s("【建築物の床面積の合計】")).withUnit(s("㎡")).width(12)
        .flagged(kNumber).enter(45);
    t.add(s("HyoukaGaku"), FieldKind::Plain).withCaption(s("【建築物の評価額】")).withUnit(s("万円")).width(12)
        .flagged(kNumber).enter(46);
    GroupDef& contractor = t.addGroup(s("【除去工事施工者】"));
    contractor.captionChars = 12;
    t.add(s("Seko1"), FieldKind::Text).withCaption(s("【氏名（事業者名）】")).enter(47);
    t.add(s("Seko2"), FieldKind::Text)
        .withCaption(s("【郵便番号】"))
        .width(10)
        .flagged(FieldFlag::Latin | FieldFlag::PostalLookup)
        .withTip(s("Enter キーで郵便番号から住所を入力します。"))
        .enter(48);
    t.postal.append({1, s("Seko2"), s("Seko3")});
    t.add(s("Seko3"), FieldKind::Text).withCaption(s("【所在地】")).enter(49);
    t.add(s("Seko4"), FieldKind::Text).withCaption(s("【電話番号】")).width(16).flagged(FieldFlag::Latin).enter(50);
    GroupDef& where = t.addGroup(QString());
    where.captionChars = 12;
    t.add(s("Basho1"), FieldKind::Text).withCaption(s("【除去場所】")).enter(51);
    t.add(s("Day1"), FieldKind::Text).withCaption(s("【除去予定年月日】")).width(20).enter(52);
    GroupDef& removedUse = t.addGroup(s("【除去建物主要用途】"));
    removedUse.aligned = true;
    addMainUse(t, kMainUses[1], 53);
    t.fields.last().flagged(FieldFlag::EnterStays);

    t.fixedLists.insert(s("Gen1"), {s("老朽化して危険があるため"), s("その他")});
    t.fixedLists.insert(s("Kouz1"), {s("木造"), s("その他")});
    t.fixedLists.insert(s("Riyou2"), {s("持家"), s("貸家"), s("給与住宅")});
    t.lists.append({s("ShuYouto2"), s("ShuYouto2"), s("S_ID"), s("S_Name"), {}});
    t.codePairs.append({s("Youto0"), s("Youto1")});
    t.codePairs.append({s("Youto72"), s("Youto7")});
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
