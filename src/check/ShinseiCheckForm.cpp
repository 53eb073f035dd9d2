#include "ShinseiCheckForm.h"

#include "BoxFit.h"
#include "EntryWindows.h"
#include "FieldTable.h"
#include "GuiCommon.h"
#include "MenuForm.h"
#include "P_GaiyouForm.h"
#include "P_IninForm.h"
#include "P_KaibetuForm.h"
#include "P_KanryouForm.h"
#include "P_ShikichiForm.h"
#include "P_TatemonoBetuForm.h"
#include "PostalLookup.h"
#include "Prompter.h"

#include <QApplication>
#include <QCheckBox>
#include <QColor>
#include <QHash>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace ShinseiCheck;

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

// The entry window a table is typed in, as the user knows it.
QString windowOf(const Finding& f)
{
    static const QHash<QString, const char*> names{
        {QStringLiteral("GAIYOU"), "建築主等の概要"},  {QStringLiteral("SHIKICHI"), "建築物及び敷地"},
        {QStringLiteral("TATEMONOBETU"), "建築物別概要"}, {QStringLiteral("KAIBETU"), "階別概要"},
        {QStringLiteral("KANRYOU"), "中間・完了検査申請"}, {QStringLiteral("KOUJI"), "建築工事届"},
        {QStringLiteral("BOUKA"), "防火対象物"},         {QStringLiteral("ININ"), "委任状"},
    };
    if (f.table == QLatin1String("GAIYOU")
        && (f.field == QLatin1String("Name7") || f.field == QLatin1String("Post6") || f.field == QLatin1String("Addr6")))
        return s("メイン画面");
    QString name = s(names.value(f.table, ""));
    if (name.isEmpty())
        name = f.table;
    if (f.building > 0 && (f.table == QLatin1String("TATEMONOBETU") || f.table == QLatin1String("KAIBETU")))
        name += s("（%1棟目）").arg(f.building);
    return name;
}

// The item a finding's field is, as its entry window names it: the
// field's caption, else its group's title, with the label beside it.
QString itemOf(const Finding& f)
{
    static const QHash<QString, FieldTable> tables{
        {QStringLiteral("GAIYOU"), P_GaiyouForm::fieldTable()},
        {QStringLiteral("SHIKICHI"), P_ShikichiForm::fieldTable()},
        {QStringLiteral("TATEMONOBETU"), P_TatemonoBetuForm::fieldTable()},
        {QStringLiteral("KAIBETU"), P_KaibetuForm::fieldTable()},
        {QStringLiteral("KANRYOU"), P_KanryouForm::fieldTable()},
        {QStringLiteral("ININ"), P_IninForm::fieldTable()},
    };
    // The main window's own header fields.
    static const QHash<QString, const char*> header{
        {QStringLiteral("Name7"), "建築主名"}, {QStringLiteral("Post6"), "建築主郵便番号"},
        {QStringLiteral("Addr6"), "建築主住所"}, {QStringLiteral("Kouji"), "工事名"},
    };
    if (f.table == QLatin1String("GAIYOU") && header.contains(f.field))
        return s(header.value(f.field));
    const auto t = tables.constFind(f.table);
    const FieldDef* def = t == tables.constEnd() ? nullptr : t->field(f.field);
    if (!def)
        return f.field;
    QString name = def->caption;
    // A row number ("1" of the uses) says little without its group.
    if (name.size() <= 2 && def->group >= 0 && def->group < t->groups.size())
        name = t->groups[def->group].title + name;
    if (!def->label.isEmpty())
        name += (name.isEmpty() ? QString() : QStringLiteral(" ")) + def->label;
    return name.isEmpty() ? f.field : name.simplified();
}

QString yesNo(bool on)
{
    return on ? s("要") : s("不要");
}

}  // namespace

ShinseiCheckForm::ShinseiCheckForm(Storage& storage, QWidget* parent)
    : QWidget(parent, Qt::Window), m_storage(storage)
{
    setObjectName(QStringLiteral("ShinseiCheckForm"));
    setWindowTitle(s("申請前チェック"));

    m_summary = new QLabel;
    m_summary->setObjectName(QStringLiteral("SummaryLabel"));
    m_classes = new QLabel;
    m_classes->setObjectName(QStringLiteral("ClassLabel"));
    m_classes->setWordWrap(true);
    m_classes->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_list = new QTreeWidget;
    m_list->setObjectName(QStringLiteral("FindingList"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setHeaderLabels({s("区分"), s("内容"), s("根拠"), s("入力画面：項目"), s("規則")});
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_list->setColumnWidth(0, 60);
    m_list->setColumnWidth(2, 250);
    m_list->setColumnWidth(3, 260);
    m_list->setColumnWidth(4, 100);
    // Double-click and Enter alike.
    connect(m_list, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) { open(item); });

    m_showInfo = new QCheckBox(s("判定結果（情報）も表示する(&I)"));
    m_showInfo->setObjectName(QStringLiteral("ShowInfo"));
    m_showInfo->setChecked(true);
    connect(m_showInfo, &QCheckBox::toggled, this, [this] { fill(); });

    auto* recheck = new QPushButton(s("再チェック(&R)"));
    recheck->setObjectName(QStringLiteral("RecheckBtn"));
    recheck->setAutoDefault(false);
    connect(recheck, &QPushButton::clicked, this, &ShinseiCheckForm::recheckRequested);
    auto* close = new QPushButton(s("閉じる"));
    close->setObjectName(QStringLiteral("CloseBtn"));
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esc, &QShortcut::activated, this, &QWidget::close);

    auto* note = new QLabel(s("項目をダブルクリック（又は Enter）すると、その入力画面の欄を開きます。"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_showInfo);
    buttons->addStretch();
    buttons->addWidget(recheck);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_classes);
    layout->addWidget(m_list, 1);
    layout->addWidget(note);
    layout->addLayout(buttons);
    GuiCommon::fitToScreen(this, QSize(1100, 640));
}

void ShinseiCheckForm::run(const ProjectData& project)
{
    BusyCursor busy;
    m_bid = project.bid;
    PostalLookup postal(m_storage);
    m_report = check(project, {&postal, &BoxFit::shared()});
    const QString name = project.text(project.gaiyou, QStringLiteral("Kouji"));
    setWindowTitle(name.isEmpty() ? s("申請前チェック") : s("申請前チェック － %1").arg(name));
    m_summary->setText(s("エラー %1件　警告 %2件　情報 %3件　　判定：%4")
                           .arg(m_report.count(Severity::Error))
                           .arg(m_report.count(Severity::Warning))
                           .arg(m_report.count(Severity::Info))
                           .arg(ruleSetName(m_report.ruleSet)));
    QStringList lines;
    for (int b = 0; b < m_report.buildings.size(); ++b) {
        const Classification& c = m_report.buildings[b];
        const QString item = c.item == ReviewItem::NotRequired
                                 ? s("確認不要")
                                 : s("法第6条第1項第%1号").arg(static_cast<int>(c.item) + 1);
        lines << s("%1棟目：%2　審査省略 %3　構造計算 %4　構造計算適合性判定 %5　省エネ適合性判定 %6　設計・監理 %7")
                     .arg(b + 1)
                     .arg(item, c.exemption ? s("可") : s("不可"), yesNo(c.calculation), yesNo(c.suitability),
                          yesNo(c.energyReview), architectName(c.architect));
    }
    m_classes->setText(lines.join(QLatin1Char('\n')));
    fill();
}

void ShinseiCheckForm::fill()
{
    m_list->clear();
    // Errors, then warnings, then the conclusions, each in the rules' order.
    for (Severity sev : {Severity::Error, Severity::Warning, Severity::Info}) {
        if (sev == Severity::Info && !m_showInfo->isChecked())
            continue;
        for (int i = 0; i < m_report.findings.size(); ++i) {
            const Finding& f = m_report.findings[i];
            if (f.severity != sev)
                continue;
            const QString where = s("%1：%2").arg(windowOf(f), itemOf(f));
            auto* item = new QTreeWidgetItem({severityName(f.severity), f.message, f.basis, where, f.ruleId});
            item->setData(0, Qt::UserRole, i);
            item->setToolTip(2, f.basis);
            item->setToolTip(1, f.message + QLatin1Char('\n') + f.rule);
            item->setToolTip(3, where);
            if (sev == Severity::Error)
                item->setForeground(0, QColor(0xb0, 0, 0));
            else if (sev == Severity::Warning)
                item->setForeground(0, QColor(0xa0, 0x60, 0));
            m_list->addTopLevelItem(item);
        }
    }
    if (m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(m_list->topLevelItem(0));
}

const Finding* ShinseiCheckForm::findingOf(QTreeWidgetItem* item) const
{
    if (!item)
        return nullptr;
    const int i = item->data(0, Qt::UserRole).toInt();
    return i >= 0 && i < m_report.findings.size() ? &m_report.findings[i] : nullptr;
}

void ShinseiCheckForm::open(QTreeWidgetItem* item)
{
    const Finding* f = findingOf(item);
    if (!f || !m_jump)
        return;
    const Finding copy = *f;  // a reload during the jump runs the check again
    if (!m_jump(copy))
        Prompter::current().show({PromptTitle::Warning, s("この項目の入力画面を開けません。（%1.%2）").arg(copy.table, copy.field),
                                  Prompter::Icon::Warning, Prompter::Ok, Prompter::Ok});
}

namespace CheckWindows {

void registerOpeners(Storage& storage, CommandRegistry& commands)
{
    Storage* st = &storage;
    commands.registerOpener(QStringLiteral("CheckBtn"), [st](MenuForm& m) {
        ShinseiCheckForm* open = GuiCommon::openWindow<ShinseiCheckForm>(m);
        if (!open) {
            auto* form = new ShinseiCheckForm(*st, &m);
            form->setAttribute(Qt::WA_DeleteOnClose);
            MenuForm* menu = &m;
            form->setJump([menu](const Finding& f) {
                return EntryWindows::showField(*menu, f.table, f.field, f.building, f.floor);
            });
            // What an entry window saved, or another project chosen, is checked again.
            QObject::connect(menu, &MenuForm::projectLoaded, form, [form, menu] {
                if (form->isVisible() && menu->hasProject())
                    form->run(menu->currentProject());
            });
            QObject::connect(form, &ShinseiCheckForm::recheckRequested, form, [form, menu] {
                if (menu->reloadCurrentProject())
                    form->run(menu->currentProject());
            });
            open = form;
        }
        open->run(m.currentProject());
        open->show();
        open->raise();
        open->activateWindow();
    });
}

}  // namespace CheckWindows
