#include "P_GyoumuForm.h"

#include "BusinessRules.h"
#include "Masters.h"
#include "MasterPickResult.h"

#include <QPushButton>

using namespace TableWords;

namespace {

bool isCostAmount(const QString& column)
{
    for (const char* stem : {"Yosan", "Keiy", "Ed"})
        for (int i = 1; i <= BusinessRules::kCostItems; ++i)
            if (column == col(stem, i))
                return true;
    return false;
}

const QString kDateTip = QString::fromUtf8("「令和7年4月1日」「2025/04/01」などの形で入力します。");

}  // namespace

FieldTable P_GyoumuForm::fieldTable()
{
    FieldTable t;
    t.table = s("GYOUMU");
    const unsigned kNumber = FieldFlag::SelectAll;

    t.addTab(s("契約・業務"));
    GroupDef& client = t.addGroup(s("【契約の相手方】"));
    client.captionChars = 10;
    t.add(s("Name1"), FieldKind::Text).withCaption(s("【フリガナ】")).enter(1);
    t.add(s("Name2"), FieldKind::Text).withCaption(s("【氏名】")).enter(2);
    t.add(s("Name3"), FieldKind::Text)
        .withCaption(s("【郵便番号】"))
        .width(10)
        .flagged(FieldFlag::Latin | FieldFlag::PostalLookup)
        .withTip(s("Enter キーで郵便番号から住所を入力します。"))
        .enter(3);
    t.postal.append({1, s("Name3"), s("Name4")});
    t.add(s("Name4"), FieldKind::Text).withCaption(s("【住所】")).enter(4);
    t.add(s("Name5"), FieldKind::Text).withCaption(s("【電話番号】")).width(16).flagged(FieldFlag::Latin).enter(5);

    GroupDef& contract = t.addGroup(s("【契約】"));
    contract.captionChars = 10;
    t.add(s("Day1"), FieldKind::Text).withCaption(s("【契約年月日】")).width(20).withTip(kDateTip).enter(6);
    const char* services[5] = {"企画・調査", "基本設計", "実施設計", "工事監理", "その他"};
    for (int i = 0; i < 5; ++i) {
        FieldDef& f = t.add(col("Shu", i + 1), FieldKind::Flag).withLabel(s(services[i]));
        if (i == 0)
            f.withCaption(s("【受託業務の種類】"));
    }
    t.add(s("Kin1"), FieldKind::Amount).withCaption(s("【契約報酬額】")).withUnit(s("円")).width(14).flagged(kNumber)
        .enter(7);
    t.add(s("Kin2"), FieldKind::Amount).withCaption(s("【受領報酬額】")).withUnit(s("円")).width(14).flagged(kNumber)
        .enter(8);
    t.add(s("Day2"), FieldKind::Text).withCaption(s("【業務終了年月日】")).width(20).withTip(kDateTip).enter(9);

    GroupDef& sub = t.addGroup(s("【業務委託先】"));
    sub.captionChars = 10;
    t.add(s("Tori1"), FieldKind::Text).withCaption(s("【委託業務概要】")).enter(10);
    t.add(s("Tori2"), FieldKind::Text).withCaption(s("【委託先名】")).enter(11);
    t.add(s("Tori3"), FieldKind::Text).withCaption(s("【委託先住所】")).enter(12).flagged(FieldFlag::EnterStays);

    t.addTab(s("担当建築士"));
    GroupDef& architects = t.addGroup(s("【担当建築士】"));
    architects.headers = QStringList{s("【設計業務担当建築士】"), s("【監理業務担当建築士】")};
    architects.captionChars = 7;
    const char* roles[6] = {"【総括】", "【意匠】", "【構造】", "【電気】", "【給排水】", "【空調】"};
    for (int i = 0; i < 6; ++i)
        t.add(col("Sekei", i + 1), FieldKind::Text).withCaption(s(roles[i])).width(26).at(i, 0).enter(20 + i);
    for (int i = 0; i < 6; ++i)
        t.add(col("Kanri", i + 1), FieldKind::Text).width(26).at(i, 1).enter(26 + i);

    t.addTab(s("工事費"));
    GroupDef& cost = t.addGroup(s("【工事費】"));
    cost.headers = QStringList{s("項目"), s("予算"), s("契約"), s("追加・変更"), s("合計")};
    cost.captionChars = 3;
    int order = 40;
    for (int i = 1; i <= BusinessRules::kCostItems; ++i) {
        t.add(col("Kou", i), FieldKind::DropDown).withCaption(QString::number(i)).from(s("Kou")).width(16).enter(order++);
        for (const char* stem : {"Yosan", "Keiy", "Ed"})
            t.add(col(stem, i), FieldKind::Amount).withUnit(s("円")).width(13).flagged(kNumber).enter(order++);
        t.add(col("Ttl", i), FieldKind::Label).withUnit(s("円")).width(13);
    }
    t.add(s("Yosan7"), FieldKind::Label).withCaption(s("計")).withUnit(s("円")).width(13).inCell(1);
    t.add(s("Keiy7"), FieldKind::Label).withUnit(s("円")).width(13);
    t.add(s("Ed7"), FieldKind::Label).withUnit(s("円")).width(13);
    t.add(s("Ttl7"), FieldKind::Label).withUnit(s("円")).width(13);

    t.addTab(s("工事関係者"));
    GroupDef& companies = t.addGroup(s("【工事関係者】"));
    companies.headers = QStringList{s("会社名"), s("所在地"), s("電話番号"), s("担当者名")};
    companies.captionChars = 5;
    const char* trades[kCompanies] = {"【建築】", "【電気】", "【給排】", "【空調】", "【その他】", "【その他】", "【その他】"};
    order = 60;
    for (int i = 1; i <= kCompanies; ++i) {
        t.add(col("Corp", i), FieldKind::Text).withCaption(s(trades[i - 1])).width(24).enter(order++);
        t.add(col("Addr", i), FieldKind::Text).width(34).enter(order++);
        t.add(col("Tel", i), FieldKind::Text).width(14).flagged(FieldFlag::Latin).enter(order++);
        t.add(col("Tan", i), FieldKind::Text).width(12).enter(order++);
    }
    t.fields.last().flagged(FieldFlag::EnterStays);

    t.fixedLists.insert(s("Kou"), {s("建築主体"), s("電気設備"), s("機械設備"), s("諸経費")});
    return t;
}

P_GyoumuForm::P_GyoumuForm(Storage& storage, qint64 bid, QWidget* parent)
    : EntryForm(storage, bid, fieldTable(), parent)
{
    setObjectName(s("P_GyoumuForm"));
    setWindowTitle(s("業務内容"));
    setHelpPage(s("gyoumu.html"));

    for (int i = 1; i <= kCompanies; ++i) {
        auto* pick = new QPushButton(s("参照"));
        pick->setObjectName(col("CorpPop", i));
        pick->setToolTip(s("取引先登録から会社を選んで入力します。"));
        pick->setAutoDefault(false);
        pick->setFixedWidth(pick->fontMetrics().horizontalAdvance(pick->text()) + 24);
        connect(pick, &QPushButton::clicked, this, [this, i] { pickCompany(i); });
        addAfterField(col("Corp", i), pick);
    }
    open();
}

void P_GyoumuForm::pickCompany(int row)
{
    if (row < 1 || row > kCompanies)
        return;
    // 建築 lists every company; 電気, 給排, 空調 and the others their trade.
    const std::optional<MasterPickResult> company = Masters::pickCompany(storage(), this, row - 1, mailComposer());
    if (company)
        takeCompany(row, *company);
    focusField(col("Corp", row));
}

void P_GyoumuForm::takeCompany(int row, const MasterPickResult& company)
{
    setText(col("Corp", row), company.firmName);
    setText(col("Addr", row), company.address1 + company.address2 + company.address3);
    setText(col("Tel", row), company.telephone);
    setText(col("Tan", row), company.personName);
    if (!isLoading())
        setEdited(true);
}

void P_GyoumuForm::fieldLeft(const QString& column)
{
    if (isCostAmount(column))
        computeTotals();
}

void P_GyoumuForm::computeTotals()
{
    std::array<QString, BusinessRules::kCostItems> budget, contract, changes;
    for (int i = 0; i < BusinessRules::kCostItems; ++i) {
        budget[i] = text(col("Yosan", i + 1));
        contract[i] = text(col("Keiy", i + 1));
        changes[i] = text(col("Ed", i + 1));
    }
    const BusinessRules::CostTotals t = BusinessRules::costTotals(budget, contract, changes);
    setText(s("Yosan7"), t.budget);
    setText(s("Keiy7"), t.contract);
    setText(s("Ed7"), t.changes);
    for (int i = 0; i < BusinessRules::kCostItems; ++i)
        setText(col("Ttl", i + 1), t.rows[i]);
    setText(s("Ttl7"), t.all);
}
