#include "RowTables.h"

#include "MasterPickResult.h"
#include "Recordset.h"

using namespace TableWords;

namespace RowTables {

namespace {

void addText(FieldTable& t, const char* column, const char* caption, int chars, int order, unsigned flags = 0)
{
    t.add(s(column), FieldKind::Text).withCaption(s(caption)).width(chars).enter(order).flagged(flags);
}

// The person's postal code: Enter on it fills the address (postal pair 1).
void addPostalCode(FieldTable& t, const char* caption, int order)
{
    addText(t, "Post", caption, 10, order, FieldFlag::Latin | FieldFlag::PostalLookup);
}

// Exactly one box of a group or none: ticking one unticks the others.
void addExclusive(QVector<FlagReaction>& r, const QStringList& boxes)
{
    for (const QString& b : boxes) {
        QStringList others = boxes;
        others.removeAll(b);
        r.append({b, true, {}, {}, others, {}, {}});
    }
}

}  // namespace

FieldTable persons(int kubun)
{
    FieldTable t;
    t.table = s("SEKKEIKANRI");
    t.addTab(QString());
    const bool consulted = kubun == FurtherConsulted || kubun == SupervisionConsulted;
    if (consulted) {
        GroupDef& g = t.addGroup(s(kubun == FurtherConsulted ? "【建築設備の設計に関し意見を聴いた者】"
                                                             : "【建築設備の工事監理に関し意見を聴いた者】"));
        // The inspection window is narrower than the overview's.
        if (kubun == SupervisionConsulted)
            g.captionChars = 14;
        addText(t, "Name", "【イ．氏名】", 28, 1);
        addText(t, "JimuName", "【ロ．勤務先】", 0, 2);
        addPostalCode(t, "【ハ．郵便番号】", 3);
        addText(t, "Addr", "【ニ．所在地】", 0, 4);
        addText(t, "Tel", "【ホ．電話番号】", 16, 5, FieldFlag::Latin);
        addText(t, "Gou", "【ヘ．登録番号】", 16, 6, FieldFlag::Latin);
        addText(t, "Tosho", "【ト．意見を聴いた設計図書】", 0, 7, FieldFlag::EnterStays);
    } else {
        t.addGroup(s(kubun == FurtherDesigner ? "【その他の設計者】" : "【その他の工事監理者】"));
        t.add(s("Kyu"), FieldKind::DropDown).withCaption(s("【イ．資格】")).from(s("Kyu1")).withUnit(s("建築士")).width(6).enter(1);
        t.add(s("Tiji"), FieldKind::DropDown).from(s("Tiki1")).withUnit(s("登録第")).width(14).enter(2);
        t.add(s("Gou"), FieldKind::Text).withUnit(s("号")).width(10).flagged(FieldFlag::Latin).enter(3);
        t.add(s("Name"), FieldKind::DropDown)
            .withCaption(s("【ロ．氏名】"))
            .from(s("architects"))
            .width(28)
            .withTip(s("業者登録の建築士から選ぶと、資格や事務所も入力されます。"))
            .enter(4);
        addText(t, "JimuName", "【ハ．建築士事務所名】", 0, 5);
        t.add(s("JimuKyu"), FieldKind::DropDown).flagged(FieldFlag::NewRow).from(s("Kyu2")).withUnit(s("建築士事務所")).width(6).enter(6);
        t.add(s("JimuTiji"), FieldKind::DropDown).from(s("Tiki2")).withUnit(s("知事登録第")).width(10).enter(7);
        t.add(s("JimuGou"), FieldKind::Text).withUnit(s("号")).width(10).flagged(FieldFlag::Latin).enter(8);
        addPostalCode(t, "【ニ．郵便番号】", 9);
        addText(t, "Addr", "【ホ．所在地】", 0, 10);
        addText(t, "Tel", "【ヘ．電話番号】", 16, 11, FieldFlag::Latin);
        addText(t, "Tosho",
                kubun == FurtherDesigner ? "【ト．作成又は確認した設計図書】" : "【ト．工事と照合する設計図書】", 0, 12,
                FieldFlag::EnterStays);

        t.lists.append({s("Kyu1"), s("Kyu1"), s("Kyu1"), QString(), {}});
        t.lists.append({s("Kyu2"), s("Kyu2"), s("Kyu2"), QString(), {}});
        t.lists.append({s("Tiki1"), s("Tiki1"), s("TIKI1"), QString(), {}});
        t.lists.append({s("Tiki2"), s("Tiki2"), s("TIKI2"), QString(), {}});
        // The same people as the window's own designer and supervisor lists.
        const QString flag = s(kubun == FurtherDesigner ? "S_FLG" : "K_FLG");
        const QString also = s(kubun == FurtherDesigner ? "A_FLG" : "K_FLG");
        t.lists.append({s("architects"), s("Architect"), s("U_NAME"), s("ID"), [flag, also](const Recordset& rs) {
                            return rs.integer(flag) == 1 || rs.integer(also) == 1;
                        }});
        auto copy = [](const char* from, const char* to) { return MasterCopy{{s(from)}, s(to)}; };
        t.picks.append({s("Name"), flag,
                        {copy("U_CLASS1", "Kyu"), copy("U_CLASS2", "Tiji"), copy("U_CLASS3", "Gou"),
                         copy("C_NAME", "JimuName"), copy("C_CLASS1", "JimuKyu"), copy("C_CLASS2", "JimuTiji"),
                         copy("C_CLASS3", "JimuGou"), copy("C_POST1", "Post"),
                         MasterCopy{{s("C_ADDR1"), s("C_ADDR2"), s("C_ADDR3")}, s("Addr")}, copy("C_TEL", "Tel")}});
    }
    t.postal.append({1, s("Post"), s("Addr")});
    return t;
}

QString personLine(const RowValues& row)
{
    const QString name = row.value(s("Name")).toString().trimmed();
    const QString office = row.value(s("JimuName")).toString().trimmed();
    if (office.isEmpty())
        return name;
    return (name.isEmpty() ? QString() : name + s("　")) + s("（") + office + s("）");
}

QHash<QString, QString> architectValues(const MasterPickResult& picked)
{
    const MasterPickResult::Architect& a = picked.architect;
    return {
        {s("Name"), a.name},
        {s("Kyu"), a.qualification},
        {s("Tiji"), a.authority},
        {s("Gou"), a.registration},
        {s("JimuName"), a.officeName},
        {s("JimuKyu"), a.officeClass},
        {s("JimuTiji"), a.officePrefecture},
        {s("JimuGou"), a.officeRegistration},
        {s("Post"), a.officePostalCode},
        {s("Addr"), a.officeAddress1 + a.officeAddress2 + a.officeAddress3},
        {s("Tel"), a.officeTelephone},
    };
}

FieldTable parts()
{
    FieldTable t;
    t.table = s("DOKURITSU");
    t.addTab(QString());
    int order = 1;
    t.addGroup(s("【独立部分】"));
    t.add(s("Ban"), FieldKind::Text)
        .withCaption(s("【１．番号】"))
        .width(10)
        .flagged(FieldFlag::Latin)
        .withTip(s("独立部分が二つ以上のときは 1-1、1-2 のように枝番を付けます。"))
        .enter(order++);
    t.add(s("NobeMen"), FieldKind::Decimal).withCaption(s("【２．延べ面積】")).withUnit(s("㎡")).width(14).flagged(FieldFlag::SelectAll).enter(order++);

    t.addGroup(s("【３．建築物の高さ等】"));
    t.add(s("Takasa1"), FieldKind::Decimal).withCaption(s("【イ．最高の高さ】")).withUnit(s("m")).width(10).flagged(FieldFlag::SelectAll).enter(order++);
    t.add(s("Takasa2"), FieldKind::Decimal).withCaption(s("【ロ．最高の軒の高さ】")).withUnit(s("m")).width(10).flagged(FieldFlag::SelectAll).enter(order++);
    t.add(s("Kai1"), FieldKind::Digit).withCaption(s("【ハ．階数】")).withLabel(s("地上")).width(4).flagged(FieldFlag::SelectAll).enter(order++);
    t.add(s("Kai2"), FieldKind::Digit).withLabel(s("地下")).width(4).flagged(FieldFlag::SelectAll).enter(order++);
    t.add(s("Zou1"), FieldKind::DropDown).withCaption(s("【ニ．構造】")).from(s("Kouzou")).withUnit(s("造")).width(20).enter(order++);
    t.add(s("Zou2"), FieldKind::DropDown).withLabel(s("一部")).from(s("Kouzou")).withUnit(s("造")).width(20).enter(order++);

    t.addGroup(s("【４．特定構造計算基準又は特定増改築構造計算基準の別】"));
    t.add(s("Kijun1"), FieldKind::Flag).withLabel(s("特定構造計算基準"));
    t.add(s("Kijun2"), FieldKind::Flag).withLabel(s("特定増改築構造計算基準"));

    t.addGroup(s("【５．構造計算の区分】"));
    const char* const routes[] = {
        "建築基準法施行令第81条第１項各号に掲げる基準に従った構造計算",
        "建築基準法施行令第81条第２項第１号イに掲げる構造計算",
        "建築基準法施行令第81条第２項第１号ロに掲げる構造計算",
        "建築基準法施行令第81条第２項第２号イに掲げる構造計算",
        "建築基準法施行令第81条第３項に掲げる構造計算",
    };
    for (int i = 0; i < 5; ++i)
        t.add(s("Keisan") + QString::number(i + 1), FieldKind::Flag).withLabel(s(routes[i])).flagged(FieldFlag::NewRow);

    t.addGroup(s("【６．構造計算に用いたプログラム】"));
    t.add(s("Prog"), FieldKind::Text).withCaption(s("【イ．名称】")).enter(order++);
    t.add(s("ProgKubun1"), FieldKind::Flag)
        .withCaption(s("【ロ．区分】"))
        .withLabel(s("建築基準法第20条第１項第２号イ及び第３号イの認定を受けたプログラム"));
    t.add(s("ProgNintei"), FieldKind::Text)
        .flagged(FieldFlag::NewRow)
        .withLabel(s("（大臣認定番号"))
        .withUnit(s("）"))
        .width(16)
        .flagged(FieldFlag::Latin)
        .enter(order++);
    t.add(s("ProgKubun2"), FieldKind::Flag).flagged(FieldFlag::NewRow).withLabel(s("その他のプログラム"));

    t.addGroup(s("【７．建築基準法施行令第137条の２各号に定める基準の区分】"));
    t.add(s("Rei137"), FieldKind::Text).withLabel(s("第")).withUnit(s("号")).width(6).flagged(FieldFlag::Latin).enter(order++);

    t.addGroup(s("【８．備考】"));
    t.add(s("Bikou"), FieldKind::MultiLine).tall(3).enter(order++);

    t.lists.append({s("Kouzou"), s("Kouzou"), s("KOUZOU"), QString(), {}});
    return t;
}

FlagRules partRules()
{
    QVector<FlagReaction> r;
    addExclusive(r, {s("Kijun1"), s("Kijun2")});
    addExclusive(r, {s("Keisan1"), s("Keisan2"), s("Keisan3"), s("Keisan4"), s("Keisan5")});
    addExclusive(r, {s("ProgKubun1"), s("ProgKubun2")});
    return FlagRules(r);
}

QString partLine(const RowValues& row)
{
    QStringList parts;
    const QString ban = row.value(s("Ban")).toString().trimmed();
    const QString area = row.value(s("NobeMen")).toString().trimmed();
    const QString structure = row.value(s("Zou1")).toString().trimmed();
    if (!ban.isEmpty())
        parts << ban;
    if (!area.isEmpty())
        parts << area + s("㎡");
    if (!structure.isEmpty())
        parts << structure + s("造");
    return parts.join(s("　"));
}

}  // namespace RowTables
