#include "P_KaibetuForm.h"

#include "Recordset.h"
#include "Storage.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace TableWords;

FieldTable P_KaibetuForm::fieldTable()
{
    FieldTable t;
    t.table = s("KAIBETU");
    GroupDef& floor = t.addGroup(s("【階】"));
    floor.captionChars = 16;
    t.add(s("F1Ban60"), FieldKind::Text)
        .withCaption(s("【１．番号】"))
        .width(4)
        .flagged(FieldFlag::ReadOnly)
        .withTip(s("階の番号です。変更できません。"))
        .enter(1);
    t.add(s("F1Kai60"), FieldKind::Text)
        .withCaption(s("【２．階】"))
        .width(8)
        .flagged(FieldFlag::Latin)
        .withTip(s("階の名前です。変えると左の一覧も変わります。"))
        .enter(2);
    t.add(s("F1Shoukei"), FieldKind::Decimal).withCaption(s("【３．柱の小径】")).withUnit(s("mm")).width(10).enter(3);
    t.add(s("F1Suityoku"), FieldKind::Decimal).withCaption(s("【４．横架材間の垂直距離】")).withUnit(s("m")).width(10).enter(4);
    t.add(s("F1Takasa"), FieldKind::Decimal).withCaption(s("【５．階の高さ】")).withUnit(s("m")).width(10).enter(5);
    GroupDef& ceiling = t.addGroup(s("【６．天井】"));
    ceiling.captionChars = 16;
    t.add(s("F1Tenjo"), FieldKind::Decimal).withCaption(s("【イ．居室の天井の高さ】")).withUnit(s("m")).width(10).enter(6);
    // 有 and 無 are the group's only options, so they exclude each other.
    t.add(s("F1Tokutei1"), FieldKind::Option)
        .withCaption(s("【ロ．建築基準法施行令第39条第３項に規定する特定天井】"))
        .withLabel(s("有"));
    t.add(s("F1Tokutei2"), FieldKind::Option).withLabel(s("無"));

    GroupDef& uses = t.addGroup(s("【７．用途別床面積】"));
    uses.headers = QStringList{s("用途の区分"), QString(), s("具体的な用途の名称"), s("床面積")};
    uses.captionChars = 2;
    int order = 7;
    for (int i = 0; i < 6; ++i) {
        t.add(col("F1Kubun", 60 + i), FieldKind::Digit)
            .withCaption(QString::number(i + 1))
            .width(7)
            .withTip(s("用途の区分のコード（数字のみ）です。右の一覧から選ぶと入ります。"))
            .enter(order++);
        t.add(col("F1Kubun", 60 + i, "Disp"), FieldKind::DropDown).from(s("ShuYouto")).width(30).enter(order++);
        t.add(col("F1Mei", 60 + i), FieldKind::DropDown).from(s("GutaiYouto")).width(24).enter(order++);
        t.add(col("F1Men", 60 + i), FieldKind::Decimal).withUnit(s("㎡")).width(11).enter(order++);
    }
    GroupDef& notes = t.addGroup(QString());
    notes.captionChars = 16;
    t.add(s("F1Bikou60"), FieldKind::Text).withCaption(s("【８．その他必要な事項】")).enter(order++);
    t.add(s("F1Bikou61"), FieldKind::Text).withCaption(s("【９．備考】")).enter(order++).flagged(FieldFlag::EnterStays);

    t.lists.append({s("ShuYouto"), s("ShuYouto"), s("S_Name"), s("S_ID"), {}});
    t.lists.append({s("GutaiYouto"), s("GutaiYouto"), s("G_NAME"), QString(), {}});
    for (int i = 0; i < 6; ++i)
        t.codePairs.append({col("F1Kubun", 60 + i, "Disp"), col("F1Kubun", 60 + i)});
    return t;
}

P_KaibetuForm::P_KaibetuForm(Storage& storage, qint64 bid, int buildingCount, std::function<BuildingRecords()> buildings,
                             QWidget* parent)
    : EntryForm(storage, bid, fieldTable(), parent)
    , m_count(qBound(1, buildingCount, ProjectTables::kBuildings))
    , m_buildings(std::move(buildings))
{
    setObjectName(s("P_KaibetuForm"));
    setWindowTitle(s("建築物の階別概要"));
    setHelpPage(s("kaibetu.html"));
    applyButton()->setObjectName(s("Command2"));
    okButton()->setObjectName(s("Command1"));

    m_chooser = new QSpinBox;
    m_chooser->setObjectName(s("NumText"));
    m_chooser->setRange(1, m_count);
    m_chooser->setToolTip(s("表示する建物の番号です。↑↓キーでも切り替えられます。"));
    m_chooser->setMinimumWidth(QFontMetrics(font()).horizontalAdvance(s("000")) + 40);
    topLayout()->addWidget(new QLabel(s("【１．番号】")));
    topLayout()->addWidget(m_chooser);
    topLayout()->addWidget(new QLabel(s("（敷地内建物数No.を指定してください。）")));
    topLayout()->addStretch(1);
    connect(m_chooser, &QSpinBox::valueChanged, this, [this](int n) {
        if (!m_loading && n - 1 != m_building)
            showBuilding(n);
    });

    auto* pick = new QGroupBox(s("【階数選択】  "));
    auto* pickLayout = new QVBoxLayout(pick);
    m_list = new QTreeWidget;
    m_list->setObjectName(s("ListView1"));
    m_list->setColumnCount(1);
    m_list->setHeaderLabels({s("階別名")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setFixedWidth(QFontMetrics(font()).horizontalAdvance(s("階別名階別名")) + 60);
    m_list->header()->setStretchLastSection(true);
    pickLayout->addWidget(m_list);
    bodyLayout()->insertWidget(0, pick);
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item && !m_fillingList)
            showFloor(m_list->indexOfTopLevelItem(item));
    });

    open();
}

int P_KaibetuForm::recordIndex(int building, int floor) const
{
    const int i = building * ProjectTables::kFloorSlots + floor;
    return floor >= 0 && floor < ProjectTables::kFloorSlots && i < m_records.size() ? i : -1;
}

RowValues P_KaibetuForm::record(int building, int floor) const
{
    const int i = recordIndex(building - 1, floor);
    return i < 0 ? RowValues() : m_records[i];
}

P_KaibetuForm::BuildingRecords P_KaibetuForm::buildingRecords() const
{
    return m_buildings ? m_buildings() : m_readBuildings;
}

bool P_KaibetuForm::loadRecords(QString* error)
{
    Recordset rs(storage(), DbFile::Kakunin);
    if (!rs.open(table().table, QStringLiteral("B_ID"), bid())) {
        *error = rs.errorString();
        return false;
    }
    m_records.clear();
    for (; !rs.eof(); rs.moveNext()) {
        RowValues r;
        for (const QString& c : rs.columns())
            r.insert(c, rs.value(c));
        m_records << r;
    }
    if (!m_buildings) {
        Recordset b(storage(), DbFile::Kakunin);
        if (!b.open(QStringLiteral("TATEMONOBETU"), QStringLiteral("B_ID"), bid())) {
            *error = b.errorString();
            return false;
        }
        for (int i = 0; !b.eof() && i < ProjectTables::kBuildings; ++i, b.moveNext())
            for (const QString& c : b.columns())
                m_readBuildings[i].insert(c, b.value(c));
    }
    m_chooser->setValue(1);
    showBuilding(1);
    return true;
}

void P_KaibetuForm::showBuilding(int number)
{
    m_building = qBound(1, number, m_count) - 1;
    if (m_chooser->value() != m_building + 1)
        m_chooser->setValue(m_building + 1);
    refreshFloorList();
    showFloor(0);
}

void P_KaibetuForm::refreshFloorList()
{
    const RowValues b = buildingRecords()[m_building];
    const int n = BuildingRules::listedFloors(b.value(s("Kai30")).toString(), b.value(s("Kai31")).toString());
    m_fillingList = true;  // refilling the list is no choice of the user's
    m_list->clear();
    for (int f = 0; f < n; ++f) {
        const int i = recordIndex(m_building, f);
        if (i < 0)
            break;
        m_list->addTopLevelItem(new QTreeWidgetItem({m_records[i].value(s("F1Kai60")).toString()}));
    }
    if (QTreeWidgetItem* item = m_list->topLevelItem(m_floor))
        m_list->setCurrentItem(item);
    m_fillingList = false;
}

void P_KaibetuForm::showFloor(int floor)
{
    m_floor = qMax(0, floor);
    const int i = recordIndex(m_building, m_floor);
    showValues(i < 0 ? RowValues() : m_records[i], table().columns());
    // A project without its rows has nowhere to keep what would be typed.
    tabs()->setEnabled(i >= 0);
    if (QTreeWidgetItem* item = m_list->topLevelItem(m_floor)) {
        m_fillingList = true;
        m_list->setCurrentItem(item);
        m_fillingList = false;
    }
}

void P_KaibetuForm::fieldChanged(const QString& column)
{
    const int i = recordIndex(m_building, m_floor);
    if (i < 0)
        return;
    m_records[i].insert(column, value(column));
    if (column == s("F1Kai60"))
        if (QTreeWidgetItem* item = m_list->topLevelItem(m_floor))
            item->setText(0, text(column));
}

void P_KaibetuForm::renameFloors(int building, const std::array<QString, BuildingRules::kFloorLines>& names)
{
    for (int f = 0; f < BuildingRules::kFloorLines; ++f) {
        const int i = recordIndex(building - 1, f);
        if (i >= 0 && !names[f].isEmpty())
            m_records[i].insert(s("F1Kai60"), names[f]);
    }
    if (building - 1 == m_building) {
        refreshFloorList();
        const int i = recordIndex(m_building, m_floor);
        if (i >= 0)
            showValues(m_records[i], {s("F1Kai60")});
    }
}

bool P_KaibetuForm::saveRecords(QString* error)
{
    Transaction tx(storage(), DbFile::Kakunin);
    Recordset rs(storage(), DbFile::Kakunin);
    if (!rs.open(table().table, QStringLiteral("B_ID"), bid())) {
        *error = rs.errorString();
        return false;
    }
    // The numbering columns are carried as they were read; only the fields
    // of the window can differ.
    for (int i = 0; !rs.eof() && i < m_records.size(); ++i, rs.moveNext()) {
        for (const FieldDef& f : table().fields) {
            const QVariant v = fieldValueOf(m_records[i].value(f.column), f.kind);
            if (storedDiffers(rs.value(f.column), v, f.kind) && !rs.setValue(f.column, v)) {
                *error = rs.errorString();
                return false;
            }
        }
        if (!rs.update()) {
            *error = rs.errorString();
            return false;
        }
    }
    if (!tx.commit()) {
        *error = tx.errorString();
        return false;
    }
    return true;
}
