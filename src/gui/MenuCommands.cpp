#include "MenuCommands.h"

#include <QAction>
#include <QIcon>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>

#include <iterator>

namespace MenuCommands {

namespace {

constexpr unsigned kMenus = FileMenu | FolderMenu | MasterMenu | EntryMenu | MailMenu | ToolMenu | HelpMenu
                            | OutputMenu | ProjectMenu;

// In the order they show: the toolbar from left to right, each menu from top to bottom.
const Command kCommands[] = {
    {"NewVoucher", Toolbar, false, "新規", nullptr, Run::NewProject, Needs::Nothing, "物件の新規作成",
     "新しい物件を追加作成します。", ":/icons/shinki.svg"},
    {"DelVoucher", Toolbar, false, "削除", nullptr, Run::DeleteProject, Needs::Nothing, "物件の削除",
     "現在表示されている物件を削除します。", ":/icons/sakujo.svg"},
    {"VoucherSave", Toolbar, false, "保存", nullptr, Run::Save, Needs::Nothing, "物件の更新",
     "現在表示物件の内容変更を更新します。", ":/icons/hozon.svg", "現在表示物件の内容変更を更新します。（Ctrl+S）",
     QKeySequence::Save},
    {"KanSet", Toolbar, true, "環境", nullptr, Run::Opener, Needs::Nothing, "システム環境設定",
     "システム環境を設定します。", ":/icons/kankyou.svg"},
    {"pTorihikiMaster", Toolbar, false, "業者", nullptr, Run::Opener, Needs::Nothing, "業者登録",
     "業者登録画面を表示します。", ":/icons/gyousha.svg"},
    {"pUsetMaster", Toolbar, false, "顧客", nullptr, Run::Opener, Needs::Nothing, "顧客登録",
     "顧客登録画面を表示します。", ":/icons/kokyaku.svg"},
    {"btnKentukuNushi", Toolbar, true, "建築主", nullptr, Run::Opener, Needs::Project, "建築主等の概要",
     "建築主等の概要の登録を行います。（第１、２面に該当します）", ":/icons/kentikunushi.svg"},
    {"btnShikiChi", Toolbar, false, "敷地", nullptr, Run::Opener, Needs::Project, "建築物及び敷地",
     "建築物及び敷地の登録を行います。（第３面に該当します）", ":/icons/shikichi.svg"},
    {"btnTatemonoBetu", Toolbar, false, "建別", nullptr, Run::Opener, Needs::Project, "建築物別概要",
     "建築物別概要の登録を行います。（第４面に該当します）", ":/icons/tatemonobetu.svg"},
    {"btnKaiBetu", Toolbar, false, "階別", nullptr, Run::Opener, Needs::FloorCounts, "建築物の階別概要",
     "建築物の階別概要の登録を行います。（第５面に該当します）", ":/icons/kaibetu.svg"},
    {"btnKensaSinsei", Toolbar, false, "検査", nullptr, Run::Opener, Needs::Project, "中間・完了検査申請",
     "中間・完了検査申請の登録を行います。（第３面に該当します）", ":/icons/kensa.svg"},
    {"btnKoujiTodoke", Toolbar, false, "工事届", nullptr, Run::Opener, Needs::Project, "建築工事届",
     "建築工事届の登録を行います。（第４面、２面に該当します）", ":/icons/kouji.svg"},
    {"btnBouka", Toolbar, false, "防火", nullptr, Run::Opener, Needs::Project, "防火対象物",
     "防火対象物の登録を行います。（防火対象物に該当します）", ":/icons/bouka.svg"},
    {"btnInin", Toolbar, false, "委任", nullptr, Run::Opener, Needs::Project, "委任状",
     "委任状の登録を行います。（委任状に該当します）", ":/icons/inin.svg"},
    {"btnGyoumuNaiyou", Toolbar, false, "業務", nullptr, Run::Opener, Needs::Project, "業務内容",
     "業務内容の登録を行います。（業務台帳に該当します）", ":/icons/gyoumu.svg"},
    {"btnGyoumuKiroku", Toolbar, false, "記録", nullptr, Run::Opener, Needs::Project, "記録簿",
     "業務内容の登録を行います。（業務台帳に該当します）", ":/icons/kiroku.svg"},
    // The button itself does nothing: its drop-down holds the documents.
    {"SalesMake", Toolbar, true, "書類作成", nullptr, Run::Nothing, Needs::Nothing, nullptr,
     "Ｅｘｃｅｌシートの確認申請書類を作成します。", ":/icons/shorui.svg"},
    {"CalBtn", Toolbar, true, "電卓", nullptr, Run::Calculator, Needs::Nothing, "電卓", "電卓を表示します。",
     ":/icons/dentaku.svg"},
    {"EndBtn", Toolbar, true, "終了", nullptr, Run::Exit, Needs::Nothing, "終了", "システムを終了します。",
     ":/icons/shuuryou.svg"},
    {"mnHelp", Toolbar | HelpMenu, false, "ヘルプ", nullptr, Run::Help, Needs::Nothing, "ヘルプ",
     "ヘルプ画面を表示します。", ":/icons/help.svg", nullptr, QKeySequence::HelpContents},

    // The check comes first, with the number of errors that would be printed;
    // these work on the project as stored, like the documents.
    {"CheckBtn", OutputMenu | ProjectMenu, false, "申請前チェック(&K)...", nullptr, Run::Opener,
     Needs::StoredProject, "申請前チェック", "申請前に確認申請の区分・数値・記載漏れを確認します。"},
    {"SubmitBtn", OutputMenu | ProjectMenu, false, "提出書類一式(&T)...", nullptr, Run::Opener,
     Needs::StoredProject, "提出書類一式", "申請の種類ごとの書類と図面を一つの PDF にまとめます。"},
    {"IfcBtn", ProjectMenu, false, "BIMデータ読込（IFC）(&B)...", nullptr, Run::Opener, Needs::StoredProject,
     "BIMデータ読込（IFC）", "建築物の IFC モデルから階数・面積・高さ・構造・用途を物件の値と比べて取り込みます。"},

    {"mnFolderMake", FolderMenu, false, "作成(&N)", nullptr, Run::FolderWindow, Needs::Nothing, "フォルダ作成"},
    {"mnDM_Print", FileMenu, true, "DMラベル印刷(&P)", nullptr, Run::Opener, Needs::Nothing, "DMラベル印刷"},
    {"mnEnd", FileMenu, true, "終了(&X)", "EndBtn"},
    {"UserEdit", MasterMenu, false, "顧客登録(&U)...", "pUsetMaster"},
    {"mnArchEdit", MasterMenu, false, "業者登録", "pTorihikiMaster"},
    {"ConnectCorp", MasterMenu, false, "取引先登録(&T)...", nullptr, Run::Opener, Needs::Nothing, "取引先登録"},
    {"mnKentukuNushi", EntryMenu, false, "建築主等の概要...    （第１、２面に該当します）", "btnKentukuNushi"},
    {"mnShikiChi", EntryMenu, false, "建築物及び敷地...    （第３面に該当します）", "btnShikiChi"},
    {"mnTatemonoBetu", EntryMenu, false, "建築物別概要...    （第４面に該当します）", "btnTatemonoBetu"},
    {"mnKaiBetu", EntryMenu, false, "建築物の階別概要...    （第５面に該当します）", "btnKaiBetu"},
    {"mnKensaSinsei", EntryMenu, false, "中間・完了検査申請...    （第３面に該当します）", "btnKensaSinsei"},
    {"mnKoujiTodoke", EntryMenu, false, "建築工事届...    （第４面、２面に該当します）", "btnKoujiTodoke"},
    {"mnBouka", EntryMenu, false, "防火対象物...    （防火対象物に該当します）", "btnBouka"},
    {"mnInin", EntryMenu, false, "委任状...    （委任状に該当します）", "btnInin"},
    {"mnGyoumuNaiyou", EntryMenu, false, "業務内容...    （業務台帳に該当します）", "btnGyoumuNaiyou"},
    {"mnGyoumuKiroku", EntryMenu, false, "記録簿...    （業務台帳に該当します）", "btnGyoumuKiroku"},
    {"mnMelMaga", MailMenu, false, "メルマガ発行(&M)", nullptr, Run::Nothing, Needs::Nothing, "メルマガ発行"},
    {"AcountSet", MailMenu, true, "アカウント設定(&A)...", nullptr, Run::Opener, Needs::Nothing, "アカウント設定"},
    {"SignRtn", MailMenu, false, "署名登録(&S)...", nullptr, Run::Opener, Needs::Nothing, "署名登録"},
    {"mnOption", ToolMenu, false, "オプション(&O)...", "KanSet"},
    // The built-in viewer shows the manual as well as a browser does, and
    // needs no program outside this one.
    {"ManualDisp", HelpMenu, false, "マニュアル(&M)", nullptr, Run::Manual, Needs::Nothing, "マニュアル"},
    {"TomaQA", HelpMenu, false, "よくある質問(&W)", nullptr, Run::Questions, Needs::Nothing, "よくある質問"},
    {"Version", HelpMenu, true, "バージョン(&V)", nullptr, Run::Version, Needs::Nothing, "バージョン"},

    {"PostBtn", Button, false, "住所", nullptr, Run::PostToAddress, Needs::Nothing, "郵便番号から住所の検索",
     "郵便番号から住所を入力します。"},
    {"AddrBtn", Button, false, "〒番号", nullptr, Run::AddressToPost, Needs::Nothing, "住所から郵便番号の検索",
     "住所から郵便番号を入力します。"},
    {"SrchBtn2", Button, false, "実行", nullptr, Run::PhoneSearch, Needs::Nothing, "電話番号検索",
     "顧客名を電話番号で検索します。"},
    {"SrchBtn", Button, false, "条件検索", nullptr, Run::Opener, Needs::Nothing, "顧客の条件検索",
     "顧客名を条件付検索ができます。"},
};

struct MenuOf {
    Place place;
    const char* name;
    const char* title;  // nullptr: a drop-down of its own, not on the menu bar
    Place within;       // the menu it is a submenu of, or Nowhere
};

// Submenus come before the items of the menu they are in.
const MenuOf kMenuBar[] = {
    {FileMenu, "mnFile", "ファイル(&F)", Nowhere},
    {FolderMenu, "mnFolder", "フォルダ(&F)", FileMenu},
    {MasterMenu, "mnMaster", "マスタ(&M)", Nowhere},
    {EntryMenu, "mnDataInput", "データ入力(&I)", Nowhere},
    {MailMenu, "mnMail", "メール(&E)", Nowhere},
    {ToolMenu, "mnTool", "ツール(&T)", Nowhere},
    {HelpMenu, "mnHelpMenu", "ヘルプ(&H)", Nowhere},
    {OutputMenu, "SalesMakeMenu", nullptr, Nowhere},
    {ProjectMenu, "ProjectMenu", nullptr, Nowhere},
};

// The output drop-down's documents by sheet index of the application workbook.
const char* const kOutputDocuments[] = {
    "確認申請", "概要書", "工事届", "委任状", "計画変更", "中間申請",
    "完了申請", "除去届", "防火対象物", "監理報告", "台帳", "記録",
};

QString key(const Command& c)
{
    return QString::fromLatin1(c.key);
}

QString dispatchKey(const Command& c)
{
    return QString::fromLatin1(c.runs ? c.runs : c.key);
}

QString text(const char* s)
{
    return s ? QString::fromUtf8(s) : QString();
}

}  // namespace

const Command* find(const QString& key)
{
    for (const Command& c : kCommands)
        if (key == QLatin1String(c.key))
            return &c;
    return nullptr;
}

Built build(QMainWindow& window, const std::function<void(const QString& key)>& run)
{
    Built built;
    for (const Command& c : kCommands) {
        if (!(c.places & (Toolbar | kMenus)))
            continue;
        auto* a = new QAction(text(c.text), &window);
        a->setObjectName(key(c));
        if (c.tip)
            a->setStatusTip(text(c.tip));
        if (c.places & Toolbar) {
            a->setToolTip(text(c.toolTip ? c.toolTip : c.tip));
            a->setIcon(QIcon(QString::fromLatin1(c.icon)));
        }
        if (c.shortcut != QKeySequence::UnknownKey)
            a->setShortcut(c.shortcut);
        QObject::connect(a, &QAction::triggered, &window, [run, to = dispatchKey(c)] { run(to); });
        built.actions.insert(key(c), a);
    }

    QHash<unsigned, QMenu*> menus;
    for (const MenuOf& m : kMenuBar) {
        QMenu* menu = nullptr;
        if (m.within != Nowhere)
            menu = menus.value(m.within)->addMenu(text(m.title));
        else if (m.title)
            menu = window.menuBar()->addMenu(text(m.title));
        else
            menu = new QMenu(&window);
        menu->setObjectName(QString::fromLatin1(m.name));
        menus.insert(m.place, menu);
    }
    for (const Command& c : kCommands) {
        for (const MenuOf& m : kMenuBar) {
            if (!(c.places & m.place))
                continue;
            QMenu* menu = menus.value(m.place);
            if (c.separatorBefore)
                menu->addSeparator();
            menu->addAction(built.actions.value(key(c)));
        }
    }
    built.folderMenu = menus.value(FolderMenu);
    built.outputMenu = menus.value(OutputMenu);
    built.projectMenu = menus.value(ProjectMenu);

    built.toolbar = window.addToolBar(QStringLiteral("ツールバー"));
    built.toolbar->setObjectName(QStringLiteral("Toolbar1"));
    built.toolbar->setMovable(false);
    built.toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    built.toolbar->setIconSize(QSize(24, 24));
    for (const Command& c : kCommands) {
        if (!(c.places & Toolbar))
            continue;
        if (c.separatorBefore)
            built.toolbar->addSeparator();
        built.toolbar->addAction(built.actions.value(key(c)));
    }
    QAction* documents = built.actions.value(QStringLiteral("SalesMake"));
    documents->setMenu(built.outputMenu);
    built.documentButton = qobject_cast<QToolButton*>(built.toolbar->widgetForAction(documents));
    if (built.documentButton) {
        built.documentButton->setObjectName(QStringLiteral("SalesMakeButton"));
        built.documentButton->setPopupMode(QToolButton::MenuButtonPopup);
    }
    return built;
}

QPushButton* makeButton(const char* name, const std::function<void(const QString& key)>& run)
{
    const Command* c = find(QString::fromLatin1(name));
    Q_ASSERT(c && (c->places & Button));
    auto* b = new QPushButton(text(c->text));
    b->setObjectName(key(*c));
    b->setToolTip(text(c->tip));
    b->setAutoDefault(false);
    QObject::connect(b, &QPushButton::clicked, b, [run, to = dispatchKey(*c)] { run(to); });
    return b;
}

void addDocuments(QMenu* output, const DocumentRun& make, const DocumentRun& pdf)
{
    const auto add = [](QMenu* menu, int sheet, const QString& name, const DocumentRun& run) {
        QAction* a = menu->addAction(name);
        a->setData(sheet);
        QObject::connect(a, &QAction::triggered, menu, [run, sheet, name] { run(sheet, name); });
    };
    output->addSeparator();
    for (int i = 0; i < static_cast<int>(std::size(kOutputDocuments)); ++i)
        add(output, i, QString::fromUtf8(kOutputDocuments[i]), make);
    add(output, -1, QStringLiteral("シックハウスExcel"), make);
    if (!pdf)
        return;
    output->addSeparator();
    QMenu* pdfMenu = output->addMenu(QStringLiteral("PDF出力(&P)"));
    pdfMenu->setObjectName(QStringLiteral("PdfMenu"));
    add(pdfMenu, -1, QStringLiteral("すべての書類"), pdf);
    pdfMenu->addSeparator();
    for (int i = 0; i < static_cast<int>(std::size(kOutputDocuments)); ++i)
        add(pdfMenu, i, QString::fromUtf8(kOutputDocuments[i]), pdf);
}

}  // namespace MenuCommands
