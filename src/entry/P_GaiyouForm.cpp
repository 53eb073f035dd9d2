#include "P_GaiyouForm.h"

#include "Masters.h"
#include "Recordset.h"
#include "RowTables.h"
#include "RowsEditor.h"

#include <QPushButton>
#include <QTabWidget>

using namespace TableWords;

namespace {

// The drop-downs of a person's class and registration: "一級" 建築士 "大臣"
// 登録 第 … 号.
void addRegistration(FieldTable& t, const char* cls, const char* authority, const char* number,
                     const char* caption, bool office, int order)
{
    t.add(s(cls), FieldKind::DropDown)
        .withCaption(s(caption))
        .from(s(office ? "Kyu2" : "Kyu1"))
        .withUnit(s(office ? "建築士事務所" : "建築士"))
        .width(6)
        .enter(order);
    t.add(s(authority), FieldKind::DropDown)
        .from(s(office ? "Tiki2" : "Tiki1"))
        .withUnit(s(office ? "知事登録　第" : "登録　第"))
        .width(office ? 10 : 14)
        .enter(order + 1);
    t.add(s(number), FieldKind::Text).withUnit(s("号")).width(10).flagged(FieldFlag::Latin).enter(order + 2);
}

// A postal-code field with its "住所" and "〒番号" buttons; the address
// field of the pair is a field of its own row.
void addPostal(FieldTable& t, int pair, const char* postal, const char* postalCaption, const char* address, int order,
               bool lookUpOnEnter)
{
    t.add(s(postal), FieldKind::Text)
        .withCaption(s(postalCaption))
        .width(10)
        .flagged(FieldFlag::Latin | (lookUpOnEnter ? FieldFlag::PostalLookup : 0u))
        .withTip(lookUpOnEnter ? s("Enter キーで郵便番号から住所を入力します。") : QString())
        .enter(order);
    t.postal.append({pair, s(postal), s(address)});
}

void addText(FieldTable& t, const char* column, const char* caption, int chars, int order, unsigned flags = 0)
{
    t.add(s(column), FieldKind::Text).withCaption(s(caption)).width(chars).enter(order).flagged(flags);
}

void addPersonList(FieldTable& t, const char* name, const char* flag, const char* second = nullptr)
{
    const QString f1 = s(flag);
    const QString f2 = second ? s(second) : QString();
    t.lists.append({s(name), s("Architect"), s("U_NAME"), s("ID"), [f1, f2](const Recordset& rs) {
                        return rs.integer(f1) == 1 || (!f2.isEmpty() && rs.integer(f2) == 1);
                    }});
}

MasterCopy copy(const char* from, const char* to)
{
    return {{s(from)}, s(to)};
}

MasterCopy address(const char* stem, const char* to)
{
    const QString st = s(stem);
    return {{st + s("1"), st + s("2"), st + s("3")}, s(to)};
}

// The drawings each representative person answers for, the designers who
// marked drawings under 建築士法, and the two reviews the application
// declares: 構造計算適合性判定 and the energy-performance plan.
void addDrawingsAndReviews(FieldTable& t)
{
    int order = 54;
    t.addTab(s("設計図書・判定"));
    GroupDef& designer = t.addGroup(s("【３．設計者】（代表となる設計者）"));
    designer.captionChars = 16;
    addText(t, "Tosho1", "【ト．作成又は確認した設計図書】", 0, order++);

    GroupDef& marks = t.addGroup(s("（構造設計一級建築士又は設備設計一級建築士である旨の表示をした者）"));
    marks.headers = QStringList{s("上記の設計者のうち、"), s("【イ．氏名】"), s("【ロ．資格】")};
    const char* laws[] = {"建築士法第20条の２第１項", "建築士法第20条の２第３項", "建築士法第20条の３第１項",
                          "建築士法第20条の３第３項"};
    for (int i = 0; i < 4; ++i) {
        const QString n = QString::number(i + 1);
        t.add(s("Hyouji") + n, FieldKind::Flag).withLabel(s(laws[i]) + s("の表示をした者")).at(i, 0);
        t.add(s("HyoujiName") + n, FieldKind::Text).width(20).at(i, 1).enter(order++);
        t.add(s("HyoujiGou") + n, FieldKind::Text)
            .withLabel(s(i < 2 ? "構造設計一級建築士交付第" : "設備設計一級建築士交付第"))
            .withUnit(s("号"))
            .width(10)
            .flagged(FieldFlag::Latin)
            .at(i, 2)
            .enter(order++);
    }

    GroupDef& consulted = t.addGroup(s("【４．建築設備の設計に関し意見を聴いた者】（代表となる者）"));
    consulted.captionChars = 16;
    addText(t, "Gou8", "【ヘ．登録番号】", 16, order++, FieldFlag::Latin);
    addText(t, "Tosho3", "【ト．意見を聴いた設計図書】", 0, order++);

    GroupDef& supervisor = t.addGroup(s("【５．工事監理者】（代表となる工事監理者）"));
    supervisor.captionChars = 16;
    addText(t, "Tosho2", "【ト．工事と照合する設計図書】", 0, order++);

    // Each review is one group, so that its options exclude each other.
    GroupDef& structure = t.addGroup(s("【７．構造計算適合性判定の申請】"));
    structure.captionChars = 16;
    t.add(s("Tekihan1"), FieldKind::Option).withLabel(s("申請済"));
    t.add(s("Tekihan2"), FieldKind::Option).withLabel(s("未申請"));
    t.add(s("Tekihan3"), FieldKind::Option).withLabel(s("申請不要"));
    t.add(s("TekihanKikan"), FieldKind::Text)
        .withCaption(s("（申請済・未申請の申請先）"))
        .withTip(s("都道府県名又は指定構造計算適合性判定機関の名称及び事務所の所在地を入力します。"))
        .enter(order++);

    GroupDef& energy = t.addGroup(s("【８．建築物エネルギー消費性能確保計画の提出】"));
    energy.captionChars = 16;
    t.add(s("Shoene1"), FieldKind::Option).withLabel(s("提出済"));
    t.add(s("Shoene2"), FieldKind::Option).withLabel(s("未提出"));
    t.add(s("Shoene3"), FieldKind::Option).withLabel(s("提出不要"));
    t.add(s("ShoeneKikan"), FieldKind::Text)
        .withCaption(s("（提出済・未提出の提出先）"))
        .withTip(s("所管行政庁名又は登録建築物エネルギー消費性能判定機関の名称及び事務所の所在地を入力します。"))
        .enter(order++);
    t.add(s("ShoeneRiyu"), FieldKind::DropDown)
        .withCaption(s("（提出不要の理由）"))
        .from(s("ShoeneRiyu"))
        .width(30)
        .withTip(s("建築物のエネルギー消費性能の向上等に関する法律施行規則第２条第１項の該当する号を選ぶか、"
                   "理由を入力します。「提出不要」を選ぶと入力できます。"))
        .enter(order++)
        .flagged(FieldFlag::EnterStays);
    t.fixedLists.insert(s("ShoeneRiyu"), P_GaiyouForm::energyExemptions());
}

}  // namespace

QStringList P_GaiyouForm::energyExemptions()
{
    return {s("第1号イに該当"), s("第1号ロに該当"), s("第2号に該当"), s("第3号に該当")};
}

FieldTable P_GaiyouForm::fieldTable()
{
    FieldTable t;
    t.table = s("GAIYOU");

    t.addTab(s("設計者・工事監理者"));
    t.addGroup(s("【設計者】"));
    t.add(s("Name2"), FieldKind::DropDown)
        .withCaption(s("【イ．設計者（管理建築士）名】"))
        .from(s("designers"))
        .width(28)
        .withTip(s("業者登録の建築士・設計者から選ぶと、資格や事務所も入力されます。"))
        .enter(1);
    addRegistration(t, "Kyu2", "Tiji2", "Gou2", "【ロ．設計者資格】", false, 2);
    addText(t, "Name1", "【ハ．建築士事務所名】", 0, 5);
    addRegistration(t, "Kyu1", "Tiji1", "Gou1", "【ニ．事務所登録】", true, 6);
    addPostal(t, 1, "Post1", "【ホ．郵便番号】", "Addr1", 9, true);
    addText(t, "Addr1", "【ヘ．住所】", 0, 10);
    addText(t, "Tel1", "【ト．電話番号】", 16, 11, FieldFlag::Latin);
    addText(t, "Fax1", "【チ．FAX番号】", 16, 12, FieldFlag::Latin);

    t.addGroup(s("【工事監理者】"));
    t.add(s("Name3"), FieldKind::DropDown)
        .withCaption(s("【イ．監理者名】"))
        .from(s("supervisors"))
        .width(28)
        .withTip(s("業者登録の監理者から選ぶと、資格や事務所も入力されます。"))
        .enter(13);
    addRegistration(t, "Kyu3", "Tiji3", "Gou3", "【ロ．監理者資格】", false, 14);
    addPostal(t, 2, "Post4", "【ハ．郵便番号】", "Addr4", 17, true);
    addText(t, "Addr4", "【ニ．所属事務所住所】", 0, 18);
    addText(t, "Name4", "【ホ．所属事務所名】", 0, 19);
    addText(t, "Tel2", "【へ．電話番号】", 16, 20, FieldFlag::Latin);
    addRegistration(t, "Kyu4", "Tiji4", "Gou4", "【ト．所属事務所登録】", true, 21);
    addPostal(t, 6, "Post3", "【チ．個人郵便番号】", "Addr3", 24, false);
    t.add(s("Addr3"), FieldKind::MultiLine).withCaption(s("【リ．監理者個人住所】")).tall(2).enter(25);

    t.addTab(s("代理者・工事施工者"));
    t.addGroup(s("【代理者】"));
    t.add(s("Name5"), FieldKind::DropDown)
        .withCaption(s("【イ．代理者名】"))
        .from(s("agents"))
        .width(28)
        .withTip(s("業者登録の代理者から選ぶと、資格や事務所も入力されます。"))
        .enter(26);
    addRegistration(t, "Kyu5", "Tiji5", "Gou5", "【ロ．代理者資格】", false, 27);
    addText(t, "Name6", "【ハ．所属事務所名】", 0, 30);
    addRegistration(t, "Kyu6", "Tiji6", "Gou6", "【ニ．所属事務所・登録】", true, 31);
    addPostal(t, 3, "Post5", "【ホ．郵便番号】", "Addr5", 34, true);
    addText(t, "Addr5", "【ヘ．住所】", 0, 35);
    addText(t, "Tel3", "【ト．電話番号】", 16, 36, FieldFlag::Latin);

    t.addGroup(s("【工事施工者】"));
    t.add(s("Name9"), FieldKind::DropDown)
        .withCaption(s("【イ．代表者名】"))
        .from(s("contractors"))
        .width(28)
        .withTip(s("業者登録の施工者から選ぶと、営業所や許可も入力されます。"))
        .enter(37);
    addText(t, "Name10", "【ロ．営業所名】", 0, 38);
    t.add(s("Kyoka1"), FieldKind::DropDown).withCaption(s("【ハ．建設業の許可】")).from(s("Kyu1")).width(6).enter(39);
    t.add(s("Toku1"), FieldKind::DropDown).from(s("Tiki1")).withUnit(s("第")).width(14).enter(40);
    t.add(s("Gou7"), FieldKind::Text).withUnit(s("号")).width(10).flagged(FieldFlag::Latin).enter(41);
    addPostal(t, 4, "Post8", "【ニ．郵便番号】", "Addr8", 42, true);
    addText(t, "Addr8", "【ホ．住所】", 0, 43);
    addText(t, "Tel6", "【ヘ．電話番号】", 16, 44, FieldFlag::Latin);
    addText(t, "Name11", "【ト．現場担当者名】", 28, 45, FieldFlag::EnterStays);

    t.addTab(s("設備の意見・備考"));
    t.addGroup(s("【建築設備に関し意見を聴いた者】"));
    addText(t, "Name12", "【イ．氏名】", 28, 46);
    addText(t, "Name13", "【ロ．勤務先】", 0, 47);
    addPostal(t, 5, "Post9", "【ハ．郵便番号】", "Addr9", 48, true);
    addText(t, "Addr9", "【ニ．住所】", 0, 49);
    addText(t, "Tel7", "【ホ．電話番号】", 16, 50, FieldFlag::Latin);
    addText(t, "Date1", "【ヘ．意見を聞いた日】", 20, 51);
    t.add(s("Iken"), FieldKind::MultiLine).withCaption(s("【ト．意見の概要】")).tall(4).enter(52);
    t.addGroup(s("【備考】"));
    t.add(s("Bikou"), FieldKind::MultiLine).tall(5).enter(53);

    addDrawingsAndReviews(t);

    t.lists.append({s("Kyu1"), s("Kyu1"), s("Kyu1"), QString(), {}});
    t.lists.append({s("Kyu2"), s("Kyu2"), s("Kyu2"), QString(), {}});
    t.lists.append({s("Tiki1"), s("Tiki1"), s("TIKI1"), QString(), {}});
    t.lists.append({s("Tiki2"), s("Tiki2"), s("TIKI2"), QString(), {}});
    addPersonList(t, "designers", "A_FLG", "S_FLG");
    addPersonList(t, "supervisors", "K_FLG");
    addPersonList(t, "agents", "D_FLG");
    addPersonList(t, "contractors", "M_FLG");

    t.picks.append({s("Name2"), s("S_FLG"),
                    {copy("U_CLASS1", "Kyu2"), copy("U_CLASS2", "Tiji2"), copy("U_CLASS3", "Gou2"),
                     copy("C_NAME", "Name1"), copy("C_CLASS1", "Kyu1"), copy("C_CLASS2", "Tiji1"),
                     copy("C_CLASS3", "Gou1"), copy("C_POST1", "Post1"), address("C_ADDR", "Addr1"),
                     copy("C_TEL", "Tel1"), copy("C_FAX", "Fax1")}});
    t.picks.append({s("Name3"), s("K_FLG"),
                    {copy("U_CLASS1", "Kyu3"), copy("U_CLASS2", "Tiji3"), copy("U_CLASS3", "Gou3"),
                     copy("C_NAME", "Name4"), copy("C_CLASS1", "Kyu4"), copy("C_CLASS2", "Tiji4"),
                     copy("C_CLASS3", "Gou4"), copy("C_POST1", "Post4"), address("C_ADDR", "Addr4"),
                     copy("C_TEL", "Tel2"), copy("U_POST1", "Post3"), address("U_ADDR", "Addr3")}});
    t.picks.append({s("Name5"), s("D_FLG"),
                    {copy("U_CLASS1", "Kyu5"), copy("U_CLASS2", "Tiji5"), copy("U_CLASS3", "Gou5"),
                     copy("C_NAME", "Name6"), copy("C_CLASS1", "Kyu6"), copy("C_CLASS2", "Tiji6"),
                     copy("C_CLASS3", "Gou6"), copy("C_POST1", "Post5"), address("C_ADDR", "Addr5"),
                     copy("C_TEL", "Tel3")}});
    t.picks.append({s("Name9"), s("M_FLG"),
                    {copy("C_NAME", "Name10"), copy("U_CLASS1", "Kyoka1"), copy("U_CLASS2", "Toku1"),
                     copy("U_CLASS3", "Gou7"), copy("U_POST1", "Post8"), address("U_ADDR", "Addr8"),
                     copy("U_TEL", "Tel6")}});
    return t;
}

P_GaiyouForm::P_GaiyouForm(Storage& storage, qint64 bid, QWidget* parent)
    : EntryForm(storage, bid, fieldTable(), parent)
{
    setObjectName(s("P_GaiyouForm"));
    setWindowTitle(s("建築主等の概要"));
    setHelpPage(s("gaiyou.html"));

    auto* toSupervisor = new QPushButton(s("設計者のコピー"));
    toSupervisor->setObjectName(s("KekkeiShaCopy"));
    toSupervisor->setToolTip(s("設計者の名前・資格・事務所を工事監理者に写します。"));
    toSupervisor->setAutoDefault(false);
    connect(toSupervisor, &QPushButton::clicked, this, &P_GaiyouForm::copyDesignerToSupervisor);
    addAfterField(s("Name3"), toSupervisor);

    auto* toAgent = new QPushButton(s("設計者のコピー"));
    toAgent->setObjectName(s("KekkeiShaCopy2"));
    toAgent->setToolTip(s("設計者の名前・資格・事務所を代理者に写します。"));
    toAgent->setAutoDefault(false);
    connect(toAgent, &QPushButton::clicked, this, &P_GaiyouForm::copyDesignerToAgent);
    addAfterField(s("Name5"), toAgent);

    addFurtherPersonsTab();
    open();
    settleExemptionReason();
}

void P_GaiyouForm::fieldChanged(const QString& column)
{
    if (column.startsWith(s("Shoene")) && column.size() == 7)
        settleExemptionReason();
}

// A reason belongs only to 提出不要; under another choice it stays stored
// but cannot be edited, so that switching back brings it again.
void P_GaiyouForm::settleExemptionReason()
{
    if (QWidget* reason = field(s("ShoeneRiyu")))
        reason->setEnabled(isChecked(s("Shoene3")));
}

void P_GaiyouForm::addFurtherPersonsTab()
{
    auto* kinds = new QTabWidget;
    kinds->setObjectName(s("SekkeiKanriTabs"));
    const char* const titles[] = {"その他の設計者", "その他の工事監理者", "その他の建築設備の設計に関し意見を聴いた者"};
    for (int kubun = 1; kubun <= 3; ++kubun) {
        auto* editor = new RowsEditor(storage(), bid(), s("SekkeiKanri%1").arg(kubun), RowTables::persons(kubun), {},
                                      {ChildRows(s("SEKKEIKANRI"), {{s("Kubun"), kubun}},
                                                 RowTables::persons(kubun).storedColumns())},
                                      RowTables::personLine);
        auto* pick = new QPushButton(s("建築士マスタ"));
        pick->setObjectName(s("ArchPick%1").arg(kubun));
        pick->setToolTip(s("業者登録から建築士を選んで、選んだ行に入力します。"));
        pick->setAutoDefault(false);
        connect(pick, &QPushButton::clicked, this, [this, kubun] { pickArchitect(kubun); });
        editor->addButton(pick);
        addRowsEditor(editor);
        m_persons << editor;
        kinds->addTab(editor, s(titles[kubun - 1]));
    }
    tabs()->addTab(kinds, s("その他の設計者等"));
}

void P_GaiyouForm::pickArchitect(int kubun)
{
    RowsEditor* editor = furtherPersons(kubun);
    if (!editor)
        return;
    const std::optional<MasterPickResult> picked =
        Masters::pickArchitect(storage(), this, kubun == RowTables::FurtherDesigner, mailComposer());
    if (picked && picked->picked)
        editor->fill(RowTables::architectValues(*picked));
}

void P_GaiyouForm::copyDesignerToSupervisor()
{
    static const char* const pairs[][2] = {
        {"Name2", "Name3"}, {"Kyu2", "Kyu3"}, {"Tiji2", "Tiji3"}, {"Gou2", "Gou3"},
        {"Post1", "Post4"}, {"Name1", "Name4"}, {"Addr1", "Addr4"}, {"Tel1", "Tel2"},
        {"Kyu1", "Kyu4"},   {"Tiji1", "Tiji4"}, {"Gou1", "Gou4"},
    };
    for (const auto& p : pairs)
        setText(s(p[1]), text(s(p[0])));
    setEdited(true);
}

void P_GaiyouForm::copyDesignerToAgent()
{
    static const char* const pairs[][2] = {
        {"Name2", "Name5"}, {"Kyu2", "Kyu5"}, {"Tiji2", "Tiji5"}, {"Gou2", "Gou5"},
        {"Post1", "Post5"}, {"Name1", "Name6"}, {"Addr1", "Addr5"}, {"Tel1", "Tel3"},
        {"Kyu1", "Kyu6"},   {"Tiji1", "Tiji6"}, {"Gou1", "Gou6"},
    };
    for (const auto& p : pairs)
        setText(s(p[1]), text(s(p[0])));
    setEdited(true);
}
