#include "P_TatemonoBetuForm.h"

#include "Prompter.h"
#include "Recordset.h"
#include "RowTables.h"
#include "RowsEditor.h"
#include "Storage.h"
#include "common.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>

using namespace TableWords;

namespace {

// The code lists that grow when a new finish is typed, by field.
struct Finish {
    const char* field;
    const char* list;
    const char* column;
};
const Finish kFinishes[] = {
    {"Yane40", "YaneData", "YANE"},
    {"Gai40", "GaihekiData", "GAIHEKI"},
    {"Ura40", "NokiuraData", "NOKIURA"},
};

bool isFloorArea(const QString& column)
{
    for (int i = 0; i < BuildingRules::kFloorLines; ++i)
        if (column == col("Men", 40 + 3 * i) || column == col("Men", 41 + 3 * i))
            return true;
    return false;
}

}  // namespace

FieldTable P_TatemonoBetuForm::fieldTable()
{
    FieldTable t;
    t.table = s("TATEMONOBETU");

    t.addTab(s("用途・構造・階数"));
    GroupDef& uses = t.addGroup(s("【２．主要用途】"));
    uses.headers = QStringList{s("区分"), s("用途の区分"), s("具体用途")};
    uses.captionChars = 3;
    int order = 1;
    for (int i = 0; i < 5; ++i) {
        t.add(col("Kubun", 30 + i), FieldKind::Text)
            .withCaption(QString::number(i + 1))
            .width(7)
            .flagged(FieldFlag::Latin)
            .enter(order++);
        t.add(col("KubunDisp", 30 + i), FieldKind::DropDown).from(s("ShuYouto")).width(30).enter(order++);
        t.add(col("Youto", 30 + i), FieldKind::DropDown).from(s("GutaiYouto")).width(24).enter(order++);
    }
    t.addGroup(s("【３．工事種別】"));
    const char* kinds[] = {"新築", "増築", "改築", "移転", "用途変更", "大規模の修繕", "大規模の模様替え"};
    for (int i = 0; i < 7; ++i) {
        FieldDef& f = t.add(col("shubetu", 31 + i), FieldKind::Flag).withLabel(s(kinds[i]));
        if (i == 4)
            f.flagged(FieldFlag::NewRow);
    }
    t.addGroup(s("【４．構造】"));
    t.add(s("Zou31"), FieldKind::DropDown).withLabel(s("構造")).from(s("Kouzou")).width(20).enter(order++);
    t.add(s("Zou32"), FieldKind::DropDown).withLabel(s("　一部")).from(s("Kouzou")).width(20).enter(order++);

    // The old 耐火建築物 boxes (Taika30 … Taika36) are no longer an item of
    // the form: items 5 to 7 below took their place. Their columns stay as
    // stored, out of the window.
    t.addGroup(s("【８．階数】"), 1);
    const char* floors[] = {"【イ．地階を除く階数】", "【ロ．地階の階数】", "【ハ．昇降機塔等の階の数】",
                            "【ニ．地階の倉庫等の階の数】"};
    for (int i = 0; i < 4; ++i) {
        FieldDef& f = t.add(col("Kai", 30 + i), FieldKind::Digit).withLabel(s(floors[i])).withUnit(s("階")).width(3)
                           .enter(order++);
        if (i < 2)
            f.withTip(s("入力して欄を離れると、【１２．床面積】の階名が付け直されます。"));
        if (i == 2)
            f.flagged(FieldFlag::NewRow);
    }
    t.addGroup(s("【９．高さ】"), 1);
    t.add(s("Takasa30"), FieldKind::Decimal).withLabel(s("【イ．最高の高さ】")).withUnit(s("m")).width(10).enter(order++);
    t.add(s("Takasa31"), FieldKind::Decimal).withLabel(s("【ロ．最高の軒の高さ】")).withUnit(s("m")).width(10).enter(order++);
    // A short caption column keeps the page within a 1280-dot screen.
    GroupDef& equipmentGroup = t.addGroup(s("【１０．建築設備の種類】"), 1);
    equipmentGroup.captionChars = 8;
    const char* equipment[] = {"電気", "給排水衛生", "空調換気", "排煙", "非常用照明"};
    for (int i = 0; i < 5; ++i)
        t.add(col("Setu", 1 + i), FieldKind::Flag).withLabel(s(equipment[i]));
    t.add(s("Setubi40"), FieldKind::Text).withCaption(s("一覧に無いもの")).enter(order++);

    // Items 5 to 7: one choice each, so each is a group of options.
    t.addTab(s("主要構造部・防火"));
    t.addGroup(s("【５．主要構造部】"));
    const char* frame[] = {"耐火構造（防火上及び避難上支障がない主要構造部を有しない場合）",
                           "耐火構造（防火上及び避難上支障がない主要構造部を有する場合）",
                           "建築基準法施行令第108条の４第１項第１号イ及びロに掲げる基準に適合する構造",
                           "準耐火構造",
                           "準耐火構造と同等の準耐火性能を有する構造（ロ－１）",
                           "準耐火構造と同等の準耐火性能を有する構造（ロ－２）",
                           "その他"};
    for (int i = 0; i < 7; ++i)
        t.add(col("Kouzoubu", 1 + i), FieldKind::Option).withLabel(s(frame[i])).flagged(FieldFlag::NewRow);
    t.addGroup(s("【６．建築基準法第21条及び第27条の規定の適用】"));
    const char* fireproof[] = {"建築基準法施行令第109条の５第１号に掲げる基準に適合する構造",
                               "建築基準法施行令第109条の７第１項第１号に掲げる基準に適合する構造",
                               "建築基準法第21条第１項ただし書に該当する建築物",
                               "建築基準法施行令第110条第１号に掲げる基準に適合する構造", "その他"};
    for (int i = 0; i < 5; ++i)
        t.add(s("Jou21_") + QString::number(1 + i), FieldKind::Option).withLabel(s(fireproof[i])).flagged(FieldFlag::NewRow);
    t.addGroup(s("【７．建築基準法第61条の規定の適用】"));
    const char* zone[] = {"耐火建築物", "延焼防止建築物", "準耐火建築物", "準延焼防止建築物", "その他"};
    for (int i = 0; i < 5; ++i)
        t.add(s("Jou61_") + QString::number(1 + i), FieldKind::Option).withLabel(s(zone[i]));

    t.addTab(s("特例・床面積・仕上げ"));
    order = 101;
    GroupDef& heights = t.addGroup(s("【１１．確認の特例】"));
    heights.captionChars = 24;
    t.add(s("Umu40"), FieldKind::Flag)
        .withCaption(s("【イ．建築基準法第６条の４第１項の規定による確認の特例の適用の有無】"))
        .withLabel(s("有"));
    t.add(s("Umu41"), FieldKind::Flag).withLabel(s("無"));
    t.add(s("Tokurei40"), FieldKind::Text)
        .withCaption(s("【ロ．適用があるときは、建築基準法施行令第10条各号に掲げる建築物の区分】"))
        .enter(order++);
    t.add(s("Tokurei41"), FieldKind::Text)
        .withCaption(s("【ハ．建築基準法施行令第10条第１号又は第２号に掲げる建築物に該当するときは、当該認定型式の認定番号】"))
        .enter(order++);
    t.add(s("Tokurei42"), FieldKind::Text)
        .withCaption(s("【ニ．建築基準法第６８条の２０第１項に掲げる認証型式部材等に該当するときは、当該認証番号】"))
        .enter(order++);

    GroupDef& area = t.addGroup(s("【１２．床面積】"), 1);
    area.headers = QStringList{s("階"), s("申請部分"), s("申請以外の部分"), s("合計")};
    area.captionChars = 3;
    for (int i = 0; i < BuildingRules::kFloorLines; ++i)
        t.add(col("Kai", 40 + i), FieldKind::Text).at(i, 0).width(5).enter(order + i);
    order += BuildingRules::kFloorLines;
    for (int i = 0; i < BuildingRules::kFloorLines; ++i) {
        t.add(col("Men", 40 + 3 * i), FieldKind::Decimal).at(i, 1).withUnit(s("㎡")).width(11).enter(order + i);
        t.add(col("Men", 41 + 3 * i), FieldKind::Decimal).at(i, 2).withUnit(s("㎡")).width(11)
            .enter(order + BuildingRules::kFloorLines + i);
        t.add(col("Men", 42 + 3 * i), FieldKind::Label).at(i, 3).withUnit(s("㎡")).width(11);
    }
    order += 2 * BuildingRules::kFloorLines;
    t.add(s("Men58"), FieldKind::Label).withCaption(s("合計")).at(6, 1).withUnit(s("㎡")).width(11);
    t.add(s("Men59"), FieldKind::Label).at(6, 2).withUnit(s("㎡")).width(11);
    t.add(s("Men60"), FieldKind::Label).at(6, 3).withUnit(s("㎡")).width(11);

    GroupDef& finish = t.addGroup(QString());
    finish.captionChars = 12;
    const char* finishCaptions[] = {"【１３．屋根】", "【１４．外壁】", "【１５．軒裏】"};
    for (int i = 0; i < 3; ++i)
        t.add(s(kFinishes[i].field), FieldKind::DropDown)
            .withCaption(s(finishCaptions[i]))
            .from(s(kFinishes[i].list))
            .width(30)
            .withTip(s("一覧に無いものを入力して Enter キーを押すと、一覧に追加されます。"))
            .enter(order++);
    t.add(s("Yuka40"), FieldKind::Decimal).withCaption(s("【１６．居室の床の高さ】")).withUnit(s("m")).width(10).enter(order++);
    t.addGroup(s("【１７．便所の種類】"));
    const char* toilets[] = {"水洗　（", "公共下水道", "浄化槽　）", "くみ取り", "くみ取り（改良）"};
    for (int i = 0; i < 5; ++i)
        t.add(col("Ben", 40 + i), FieldKind::Flag).withLabel(s(toilets[i]));
    GroupDef& notes = t.addGroup(QString());
    notes.captionChars = 12;
    t.add(s("Bikou40"), FieldKind::Text).withCaption(s("【１８．その他必要な事項】")).enter(order++);
    t.add(s("Bikou41"), FieldKind::Text).withCaption(s("【１９．備考】")).enter(order++).flagged(FieldFlag::EnterStays);

    t.lists.append({s("YaneData"), s("YaneData"), s("YANE"), QString(), {}});
    t.lists.append({s("GaihekiData"), s("GaihekiData"), s("GAIHEKI"), QString(), {}});
    t.lists.append({s("NokiuraData"), s("NokiuraData"), s("NOKIURA"), QString(), {}});
    t.lists.append({s("Kouzou"), s("Kouzou"), s("KOUZOU"), QString(), {}});
    t.lists.append({s("GutaiYouto"), s("GutaiYouto"), s("G_NAME"), QString(), {}});
    t.lists.append({s("ShuYouto"), s("ShuYouto"), s("S_Name"), s("S_ID"), {}});
    for (int i = 0; i < 5; ++i)
        t.codePairs.append({col("KubunDisp", 30 + i), col("Kubun", 30 + i)});
    return t;
}

P_TatemonoBetuForm::P_TatemonoBetuForm(Storage& storage, qint64 bid, int buildingCount, QWidget* parent)
    : EntryForm(storage, bid, fieldTable(), parent)
    , m_count(qBound(1, buildingCount, ProjectTables::kBuildings))
{
    setObjectName(s("P_TatemonoBetuForm"));
    setWindowTitle(s("建築物別概要"));
    setHelpPage(s("tatemono.html"));
    setFlagRules(FlagRules::building());

    auto* caption = new QLabel(s("【１．番号】"));
    m_chooser = new QSpinBox;
    m_chooser->setObjectName(s("NumText"));
    m_chooser->setRange(1, m_count);
    m_chooser->setToolTip(s("表示する建物の番号です。↑↓キーでも切り替えられます。"));
    m_chooser->setMinimumWidth(QFontMetrics(font()).horizontalAdvance(s("000")) + 40);
    topLayout()->addWidget(caption);
    topLayout()->addWidget(m_chooser);
    topLayout()->addWidget(new QLabel(s("（敷地内建物数No.を指定してください。）")));
    topLayout()->addStretch(1);
    connect(m_chooser, &QSpinBox::valueChanged, this, [this](int n) {
        if (!m_loading && n - 1 != m_shown)
            showBuilding(n);
    });

    auto* counts = new QWidget;
    auto* line = new QHBoxLayout(counts);
    line->setContentsMargins(0, 0, 0, 0);
    m_above = new QLabel;
    m_above->setObjectName(s("ChijouLabel"));
    m_below = new QLabel;
    m_below->setObjectName(s("ChikaLabel"));
    for (QLabel* l : {m_above, m_below}) {
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setMinimumWidth(QFontMetrics(font()).horizontalAdvance(s("000")) + 12);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    line->addWidget(new QLabel(s("地上階数")));
    line->addWidget(m_above);
    line->addSpacing(16);
    line->addWidget(new QLabel(s("地下階数")));
    line->addWidget(m_below);
    line->addSpacing(16);
    line->addWidget(new QLabel(s("（【８．階数】から階名が付きます）")));
    line->addStretch(1);
    for (int g = 0; g < table().groups.size(); ++g)
        if (table().groups[g].title == s("【１２．床面積】"))
            addGroupRow(g, counts);

    // The tab of items 5 to 7 has only options, which the Enter order does
    // not visit: the keyboard starts at the choice of item 5.
    connect(tabs(), &QTabWidget::currentChanged, this, [this](int index) {
        if (m_loading || index != 1)
            return;
        QString first = col("Kouzoubu", 1);
        for (int i = 1; i <= 7; ++i)
            if (isChecked(col("Kouzoubu", i)))
                first = col("Kouzoubu", i);
        focusField(first);
    });
    // One list of parts per building, shown with its building.
    QVector<ChildRows> partSets;
    for (int b = 1; b <= ProjectTables::kBuildings; ++b)
        partSets << ChildRows(s("DOKURITSU"), {{s("SU_NO"), QString::number(b)}}, RowTables::parts().storedColumns());
    m_parts = new RowsEditor(storage, bid, s("Dokuritsu"), RowTables::parts(), RowTables::partRules(), partSets,
                             RowTables::partLine);
    addRowsEditor(m_parts);
    tabs()->addTab(m_parts, s("独立部分"));
    connect(m_chooser, &QSpinBox::valueChanged, m_parts, [this](int n) { m_parts->showSet(n - 1); });

    open();
}

bool P_TatemonoBetuForm::loadRecords(QString* error)
{
    Recordset rs(storage(), DbFile::Kakunin);
    if (!rs.open(table().table, QStringLiteral("B_ID"), bid())) {
        *error = rs.errorString();
        return false;
    }
    m_records.clear();
    for (; !rs.eof() && m_records.size() < ProjectTables::kBuildings; rs.moveNext()) {
        RowValues r;
        for (const QString& c : rs.columns())
            r.insert(c, rs.value(c));
        m_records << r;
    }
    m_rows = static_cast<int>(m_records.size());
    // Buildings counted in the main window but without a row are shown
    // empty; there is nowhere to save them.
    while (m_records.size() < m_count)
        m_records << RowValues();
    m_chooser->setValue(1);
    showBuilding(1);
    return true;
}

void P_TatemonoBetuForm::showBuilding(int number)
{
    m_shown = qBound(1, number, m_count) - 1;
    if (m_chooser->value() != m_shown + 1)
        m_chooser->setValue(m_shown + 1);
    showValues(m_records.value(m_shown), table().columns());
    showCounts();
}

void P_TatemonoBetuForm::showCounts()
{
    m_above->setText(text(s("Kai30")));
    m_below->setText(text(s("Kai31")));
}

void P_TatemonoBetuForm::requestBuilding(int number)
{
    m_requested = number;
    if (isVisible()) {
        showBuilding(number);
        focusField(s("Kai30"));
        m_requested = 0;
    }
}

void P_TatemonoBetuForm::showEvent(QShowEvent* event)
{
    EntryForm::showEvent(event);
    if (m_requested > 0) {
        const int n = m_requested;
        m_requested = 0;
        showBuilding(n);
        tabs()->setCurrentIndex(0);
        QTimer::singleShot(0, this, [this] { focusField(s("Kai30")); });
    }
}

void P_TatemonoBetuForm::fieldChanged(const QString& column)
{
    if (m_shown < m_records.size())
        m_records[m_shown].insert(column, value(column));
}

void P_TatemonoBetuForm::fieldLeft(const QString& column)
{
    if (column == s("Kai30") || column == s("Kai31")) {
        nameFloorLines();
        showBuilding(m_shown + 1);
    } else if (isFloorArea(column)) {
        computeTotals();
    }
}

void P_TatemonoBetuForm::nameFloorLines()
{
    const auto names = BuildingRules::floorNames(text(s("Kai30")), text(s("Kai31")));
    for (int i = 0; i < BuildingRules::kFloorLines; ++i)
        setText(col("Kai", 40 + i), names[i]);
}

void P_TatemonoBetuForm::computeTotals()
{
    std::array<QString, BuildingRules::kFloorLines> applied, other;
    for (int i = 0; i < BuildingRules::kFloorLines; ++i) {
        applied[i] = text(col("Men", 40 + 3 * i));
        other[i] = text(col("Men", 41 + 3 * i));
    }
    const BuildingRules::FloorAreaTotals t = BuildingRules::floorAreaTotals(applied, other);
    for (int i = 0; i < BuildingRules::kFloorLines; ++i)
        setText(col("Men", 42 + 3 * i), t.lines[i]);
    setText(s("Men58"), t.applied);
    setText(s("Men59"), t.other);
    setText(s("Men60"), t.all);
}

bool P_TatemonoBetuForm::enterPressed(const QString& column)
{
    for (const Finish& f : kFinishes) {
        if (column == s(f.field)) {
            addToCodeList(column);
            focusNext(column);
            return true;
        }
    }
    return false;
}

// A finish that is not in its list yet joins it, for this project and the
// next ones.
bool P_TatemonoBetuForm::addToCodeList(const QString& column)
{
    const Finish* finish = nullptr;
    for (const Finish& f : kFinishes)
        if (column == s(f.field))
            finish = &f;
    const QString typed = text(column);
    // An empty entry in the list would only be a blank line to scroll past.
    if (!finish || typed.isEmpty())
        return true;
    Recordset rs(storage(), DbFile::MasterData);
    if (!rs.open(s(finish->list))) {
        common::ErrorBox(rs.errorString());
        return false;
    }
    bool known = false;
    for (; !rs.eof() && !known; rs.moveNext())
        known = !rs.isNull(s(finish->column)) && rs.text(s(finish->column)) == typed;
    if (!known && (!rs.addNew() || !rs.setValue(s(finish->column), typed) || !rs.update())) {
        common::ErrorBox(rs.errorString());
        return false;
    }
    rs.close();
    QString error;
    if (!fillList(s(finish->list), &error)) {
        common::ErrorBox(error);
        return false;
    }
    setText(column, typed);
    return true;
}

bool P_TatemonoBetuForm::saveRecords(QString* error)
{
    Transaction tx(storage(), DbFile::Kakunin);
    Recordset rs(storage(), DbFile::Kakunin);
    if (!rs.open(table().table, QStringLiteral("B_ID"), bid())) {
        *error = rs.errorString();
        return false;
    }
    QVector<int> recounted;
    for (int i = 0; !rs.eof() && i < m_count && i < m_records.size(); ++i, rs.moveNext()) {
        const RowValues& r = m_records[i];
        for (const FieldDef& f : table().fields) {
            const QVariant v = fieldValueOf(r.value(f.column), f.kind);
            if (!storedDiffers(rs.value(f.column), v, f.kind))
                continue;
            if (!rs.setValue(f.column, v)) {
                *error = rs.errorString();
                return false;
            }
            if ((f.column == s("Kai30") || f.column == s("Kai31")) && !recounted.contains(i))
                recounted << i;
        }
        if (!rs.update()) {
            *error = rs.errorString();
            return false;
        }
    }
    rs.close();

    // New floor counts name the floors of the per-floor window again; the
    // names the user gave them there are replaced (the message says so).
    QVector<std::array<QString, BuildingRules::kFloorLines>> renamed;
    for (int b : std::as_const(recounted)) {
        const auto names = BuildingRules::floorNames(m_records[b].value(s("Kai30")).toString(),
                                                     m_records[b].value(s("Kai31")).toString());
        renamed << names;
        if (!BuildingRules::nameFloorRows(storage(), bid(), b, names, error))
            return false;
    }
    if (!tx.commit()) {
        *error = tx.errorString();
        return false;
    }
    for (int i = 0; i < recounted.size(); ++i)
        emit floorsRenamed(recounted[i] + 1, renamed[i]);
    if (!recounted.isEmpty())
        Prompter::current().show({s("変更確認警告"),
                                  s("【８．階数】の階数が変更されました。「建築物の階別概要」の階名が変更されている場合、"
                                    "再度変更してください。"),
                                  Prompter::Icon::Warning, Prompter::Ok, Prompter::Ok});
    return true;
}
