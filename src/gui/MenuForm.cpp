#include "MenuForm.h"

#include "AdrForm.h"
#include "AppDir.h"
#include "BoxFit.h"
#include "FolderMakeForm.h"
#include "GuiCommon.h"
#include "HelpForm.h"
#include "HistoryPage.h"
#include "PhotoPage.h"
#include "TextNumbers.h"
#include "PostalLookup.h"
#include "SchedulePage.h"
#include "ShinseiCheck.h"
#include "cal1.h"
#include "ScheduleStore.h"
#include "Prompter.h"
#include "Recordset.h"
#include "Storage.h"
#include "WindowSettings.h"
#include "common.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QDrag>
#include <QFileInfo>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <iterator>
#include <utility>

namespace {

const char* const kProjectMime = "application/x-shinseidesk-projects";
const QString kQuestionsPage = QStringLiteral("https://www.shinseidesk.jp/faq/");
const QString kProgramName = QStringLiteral("ShinseiDesk 建築確認申請");

// The project list's width as laid out; the first start derives the column
// widths from it before the window has ever been shown.
constexpr int kProjectListDesignWidth = 420;
constexpr int kNoteTimeoutMs = 8000;

enum class Kind {
    Unavailable,  // its window comes with a later part of the program
    Entry,        // an entry window: needs a loaded project first
    NewProject,
    DeleteProject,
    Save,
    FolderWindow,
    PostToAddress,
    AddressToPost,
    PhoneSearch,
    Exit,
    Calculator,
    Help,
    Manual,
    Questions,
    Version,
    Check,  // 申請前チェック, 提出書類一式: the project as stored, like the output
    Nothing,
};

struct Command {
    const char* key;
    const char* feature;  // how the status note names the function
    Kind kind;
};

// Every function the window dispatches, keyed by toolbar key or control name.
const Command kCommands[] = {
    {"NewVoucher", "物件の新規作成", Kind::NewProject},
    {"DelVoucher", "物件の削除", Kind::DeleteProject},
    {"VoucherSave", "物件の更新", Kind::Save},
    {"KanSet", "システム環境設定", Kind::Unavailable},
    {"pTorihikiMaster", "業者登録", Kind::Unavailable},
    {"pUsetMaster", "顧客登録", Kind::Unavailable},
    {"btnKentukuNushi", "建築主等の概要", Kind::Entry},
    {"btnShikiChi", "建築物及び敷地", Kind::Entry},
    {"btnTatemonoBetu", "建築物別概要", Kind::Entry},
    {"btnKaiBetu", "建築物の階別概要", Kind::Entry},
    {"btnKensaSinsei", "中間・完了検査申請", Kind::Entry},
    {"btnKoujiTodoke", "建築工事届", Kind::Entry},
    {"btnBouka", "防火対象物", Kind::Entry},
    {"btnInin", "委任状", Kind::Entry},
    {"btnGyoumuNaiyou", "業務内容", Kind::Entry},
    {"btnGyoumuKiroku", "記録簿", Kind::Entry},
    {"CalBtn", "電卓", Kind::Calculator},
    {"EndBtn", "終了", Kind::Exit},
    {"mnHelp", "ヘルプ", Kind::Help},
    {"mnFolderMake", "フォルダ作成", Kind::FolderWindow},
    {"mnMelMaga", "メルマガ発行", Kind::Nothing},
    {"mnDM_Print", "DMラベル印刷", Kind::Unavailable},
    {"ConnectCorp", "取引先登録", Kind::Unavailable},
    {"AcountSet", "アカウント設定", Kind::Unavailable},
    {"SignRtn", "署名登録", Kind::Unavailable},
    {"TomaQA", "よくある質問", Kind::Questions},
    {"ManualDisp", "マニュアル", Kind::Manual},
    {"Version", "バージョン", Kind::Version},
    {"PostBtn", "郵便番号から住所の検索", Kind::PostToAddress},
    {"AddrBtn", "住所から郵便番号の検索", Kind::AddressToPost},
    {"SrchBtn2", "電話番号検索", Kind::PhoneSearch},
    {"SrchBtn", "顧客の条件検索", Kind::Unavailable},
    {"CheckBtn", "申請前チェック", Kind::Check},
    {"SubmitBtn", "提出書類一式", Kind::Check},
    {"IfcBtn", "BIMデータ読込（IFC）", Kind::Check},
};

QHash<QString, MenuForm::WindowOpener>& openers()
{
    static QHash<QString, MenuForm::WindowOpener> all;
    return all;
}

MenuForm::MailHandler& mailHandler()
{
    static MenuForm::MailHandler handler;
    return handler;
}

MenuForm::OutputHandler& outputHandler()
{
    static MenuForm::OutputHandler handler;
    return handler;
}

MenuForm::PdfHandler& pdfHandler()
{
    static MenuForm::PdfHandler handler;
    return handler;
}

const Command* findCommand(const QString& key)
{
    for (const Command& c : kCommands)
        if (key == QLatin1String(c.key))
            return &c;
    return nullptr;
}

struct ToolKey {
    const char* key;
    const char* text;
    const char* tip;
    bool separatorBefore;
    const char* picture;  // in the resources; all drawn alike
};

const ToolKey kToolKeys[] = {
    {"NewVoucher", "新規", "新しい物件を追加作成します。", false, ":/icons/shinki.svg"},
    {"DelVoucher", "削除", "現在表示されている物件を削除します。", false, ":/icons/sakujo.svg"},
    {"VoucherSave", "保存", "現在表示物件の内容変更を更新します。", false, ":/icons/hozon.svg"},
    {"KanSet", "環境", "システム環境を設定します。", true, ":/icons/kankyou.svg"},
    {"pTorihikiMaster", "業者", "業者登録画面を表示します。", false, ":/icons/gyousha.svg"},
    {"pUsetMaster", "顧客", "顧客登録画面を表示します。", false, ":/icons/kokyaku.svg"},
    {"btnKentukuNushi", "建築主", "建築主等の概要の登録を行います。（第１、２面に該当します）", true, ":/icons/kentikunushi.svg"},
    {"btnShikiChi", "敷地", "建築物及び敷地の登録を行います。（第３面に該当します）", false, ":/icons/shikichi.svg"},
    {"btnTatemonoBetu", "建別", "建築物別概要の登録を行います。（第４面に該当します）", false, ":/icons/tatemonobetu.svg"},
    {"btnKaiBetu", "階別", "建築物の階別概要の登録を行います。（第５面に該当します）", false, ":/icons/kaibetu.svg"},
    {"btnKensaSinsei", "検査", "中間・完了検査申請の登録を行います。（第３面に該当します）", false, ":/icons/kensa.svg"},
    {"btnKoujiTodoke", "工事届", "建築工事届の登録を行います。（第４面、２面に該当します）", false, ":/icons/kouji.svg"},
    {"btnBouka", "防火", "防火対象物の登録を行います。（防火対象物に該当します）", false, ":/icons/bouka.svg"},
    {"btnInin", "委任", "委任状の登録を行います。（委任状に該当します）", false, ":/icons/inin.svg"},
    {"btnGyoumuNaiyou", "業務", "業務内容の登録を行います。（業務台帳に該当します）", false, ":/icons/gyoumu.svg"},
    {"btnGyoumuKiroku", "記録", "業務内容の登録を行います。（業務台帳に該当します）", false, ":/icons/kiroku.svg"},
    {"SalesMake", "書類作成", "Ｅｘｃｅｌシートの確認申請書類を作成します。", true, ":/icons/shorui.svg"},
    {"CalBtn", "電卓", "電卓を表示します。", true, ":/icons/dentaku.svg"},
    {"EndBtn", "終了", "システムを終了します。", true, ":/icons/shuuryou.svg"},
    {"mnHelp", "ヘルプ", "ヘルプ画面を表示します。", false, ":/icons/help.svg"},
};

// The output drop-down: the documents of the application workbook by sheet
// index, and the separate sick-house workbook.
const char* const kOutputDocuments[] = {
    "確認申請", "概要書", "工事届", "委任状", "計画変更", "中間申請",
    "完了申請", "除去届", "防火対象物", "監理報告", "台帳", "記録",
};
const char* const kSickHouse = "シックハウスExcel";

struct MenuItem {
    const char* key;
    const char* caption;
    const char* twin;  // the toolbar key doing the same, or nullptr
};

const MenuItem kEntryMenu[] = {
    {"mnKentukuNushi", "建築主等の概要...    （第１、２面に該当します）", "btnKentukuNushi"},
    {"mnShikiChi", "建築物及び敷地...    （第３面に該当します）", "btnShikiChi"},
    {"mnTatemonoBetu", "建築物別概要...    （第４面に該当します）", "btnTatemonoBetu"},
    {"mnKaiBetu", "建築物の階別概要...    （第５面に該当します）", "btnKaiBetu"},
    {"mnKensaSinsei", "中間・完了検査申請...    （第３面に該当します）", "btnKensaSinsei"},
    {"mnKoujiTodoke", "建築工事届...    （第４面、２面に該当します）", "btnKoujiTodoke"},
    {"mnBouka", "防火対象物...    （防火対象物に該当します）", "btnBouka"},
    {"mnInin", "委任状...    （委任状に該当します）", "btnInin"},
    {"mnGyoumuNaiyou", "業務内容...    （業務台帳に該当します）", "btnGyoumuNaiyou"},
    {"mnGyoumuKiroku", "記録簿...    （業務台帳に該当します）", "btnGyoumuKiroku"},
};

// Fills a drop-down with one column of a code list in table order; a null
// value gives an empty item so that positions match the table's rows.
bool fillFromCodeList(Storage& storage, QComboBox* combo, const QString& table, const QString& column,
                      QString* error)
{
    combo->clear();
    Recordset rs(storage, DbFile::MasterData);
    if (!rs.open(table)) {
        *error = rs.errorString();
        return false;
    }
    QStringList items;
    items.reserve(rs.recordCount());
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        items.append(rs.text(column));
    combo->addItems(items);
    combo->setCurrentIndex(-1);
    return true;
}

// An up-down count that takes a full-width digit as the digit it is.
class CountBox : public QSpinBox {
public:
    QValidator::State validate(QString& text, int& pos) const override
    {
        text = TextNumbers::toHalfWidth(text);
        return QSpinBox::validate(text, pos);
    }
};

QLabel* caption(const QString& text, QWidget* buddy)
{
    auto* label = new QLabel(text);
    label->setBuddy(buddy);
    return label;
}

QTreeWidget* makeList(const QString& name, const QStringList& columns)
{
    auto* list = new QTreeWidget;
    list->setObjectName(name);
    list->setColumnCount(columns.size());
    list->setHeaderLabels(columns);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAlternatingRowColors(true);
    list->setAllColumnsShowFocus(true);
    return list;
}

}  // namespace

MenuForm::MenuForm(Storage& storage, QWidget* parent)
    : QMainWindow(parent)
    , m_storage(storage)
{
    setObjectName(QStringLiteral("MenuForm"));
    setWindowTitle(kProgramName);
    GuiCommon::fitToScreen(this, {1180, 780});

    m_loading = true;
    buildActions();
    buildMenus();
    buildToolbar();

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("SSTab1"));
    m_tabs->addTab(buildProjectTab(), QStringLiteral("物件情報"));
    m_tabs->addTab(buildScheduleTab(), QStringLiteral("スケジュール"));
    m_tabs->addTab(buildPhotoTab(), QStringLiteral("写真フォルダ"));
    m_historyTab = new HistoryPage(m_storage);
    m_tabs->addTab(m_historyTab, QStringLiteral("提出履歴"));
    connect(this, &MenuForm::projectLoaded, m_historyTab, [this] { m_historyTab->setProject(m_project.bid); });
    setCentralWidget(m_tabs);
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));

    // Start-up order: nothing is edited yet, one building, the code lists,
    // then the place the user left the window in.
    m_actions.value(QStringLiteral("VoucherSave"))->setEnabled(false);
    setBuildingCount(1);
    fillCodeLists();
    restoreWindowSettings();
    m_calendar->setSelectedDate(QDate::currentDate());
    m_calendar->setCurrentPage(QDate::currentDate().year(), QDate::currentDate().month());
    m_loading = false;
}

MenuForm::~MenuForm() = default;

bool MenuForm::isEdited() const
{
    return m_actions.value(QStringLiteral("VoucherSave"))->isEnabled();
}

HelpForm* MenuForm::helpForm() const
{
    return m_help.data();
}

QAction* MenuForm::action(const QString& key) const
{
    return m_actions.value(key, nullptr);
}

// ---------------------------------------------------------------- building

void MenuForm::buildActions()
{
    const auto add = [this](const QString& key, const QString& text, const QString& dispatchKey) {
        auto* a = new QAction(text, this);
        a->setObjectName(key);
        connect(a, &QAction::triggered, this, [this, dispatchKey] { runCommand(dispatchKey); });
        m_actions.insert(key, a);
        return a;
    };

    for (const ToolKey& t : kToolKeys) {
        const QString key = QString::fromLatin1(t.key);
        QAction* a = add(key, QString::fromUtf8(t.text), key);
        a->setToolTip(QString::fromUtf8(t.tip));
        a->setStatusTip(QString::fromUtf8(t.tip));
        a->setIcon(QIcon(QString::fromLatin1(t.picture)));
    }
    m_actions.value(QStringLiteral("mnHelp"))->setShortcut(QKeySequence::HelpContents);
    m_actions.value(QStringLiteral("VoucherSave"))->setShortcut(QKeySequence::Save);
    m_actions.value(QStringLiteral("VoucherSave"))->setToolTip(QStringLiteral("現在表示物件の内容変更を更新します。（Ctrl+S）"));

    m_outputMenu = new QMenu(this);
    m_outputMenu->setObjectName(QStringLiteral("SalesMakeMenu"));
    // The check comes first, with the number of errors that would be printed.
    QAction* check = add(QStringLiteral("CheckBtn"), QStringLiteral("申請前チェック(&K)..."), QStringLiteral("CheckBtn"));
    check->setStatusTip(QStringLiteral("申請前に確認申請の区分・数値・記載漏れを確認します。"));
    m_outputMenu->addAction(check);
    m_outputMenu->addSeparator();
    connect(m_outputMenu, &QMenu::aboutToShow, this, &MenuForm::updateCheckCount);
    m_projectMenu = new QMenu(this);
    m_projectMenu->setObjectName(QStringLiteral("ProjectMenu"));
    m_projectMenu->addAction(check);
    // The set of one submission, from the project as stored.
    QAction* submit = add(QStringLiteral("SubmitBtn"), QStringLiteral("提出書類一式(&T)..."), QStringLiteral("SubmitBtn"));
    submit->setStatusTip(QStringLiteral("申請の種類ごとの書類と図面を一つの PDF にまとめます。"));
    m_outputMenu->insertAction(m_outputMenu->actions().value(1), submit);
    m_projectMenu->addAction(submit);
    QAction* ifc = add(QStringLiteral("IfcBtn"), QStringLiteral("BIMデータ読込（IFC）(&B)..."), QStringLiteral("IfcBtn"));
    ifc->setStatusTip(QStringLiteral("建築物の IFC モデルから階数・面積・高さ・構造・用途を物件の値と比べて取り込みます。"));
    m_projectMenu->addAction(ifc);
    for (int i = 0; i < static_cast<int>(std::size(kOutputDocuments)); ++i) {
        const QString name = QString::fromUtf8(kOutputDocuments[i]);
        QAction* a = m_outputMenu->addAction(name);
        a->setData(i);
        connect(a, &QAction::triggered, this, [this, i, name] { runOutput(i, name); });
    }
    QAction* sick = m_outputMenu->addAction(QString::fromUtf8(kSickHouse));
    sick->setData(-1);
    connect(sick, &QAction::triggered, this, [this] { runOutput(-1, QString::fromUtf8(kSickHouse)); });
    if (pdfHandler()) {
        m_outputMenu->addSeparator();
        QMenu* pdf = m_outputMenu->addMenu(QStringLiteral("PDF出力(&P)"));
        pdf->setObjectName(QStringLiteral("PdfMenu"));
        const QString all = QStringLiteral("すべての書類");
        QAction* allAction = pdf->addAction(all);
        allAction->setData(-1);
        connect(allAction, &QAction::triggered, this, [this, all] { runPdf(-1, all); });
        pdf->addSeparator();
        for (int i = 0; i < static_cast<int>(std::size(kOutputDocuments)); ++i) {
            const QString name = QString::fromUtf8(kOutputDocuments[i]);
            QAction* a = pdf->addAction(name);
            a->setData(i);
            connect(a, &QAction::triggered, this, [this, i, name] { runPdf(i, name); });
        }
    }
    m_actions.value(QStringLiteral("SalesMake"))->setMenu(m_outputMenu);

    add(QStringLiteral("mnFolderMake"), QStringLiteral("作成(&N)"), QStringLiteral("mnFolderMake"));
    add(QStringLiteral("mnMelMaga"), QStringLiteral("メルマガ発行(&M)"), QStringLiteral("mnMelMaga"));
    add(QStringLiteral("mnDM_Print"), QStringLiteral("DMラベル印刷(&P)"), QStringLiteral("mnDM_Print"));
    add(QStringLiteral("mnEnd"), QStringLiteral("終了(&X)"), QStringLiteral("EndBtn"));
    add(QStringLiteral("mnArchEdit"), QStringLiteral("業者登録"), QStringLiteral("pTorihikiMaster"));
    add(QStringLiteral("ConnectCorp"), QStringLiteral("取引先登録(&T)..."), QStringLiteral("ConnectCorp"));
    add(QStringLiteral("UserEdit"), QStringLiteral("顧客登録(&U)..."), QStringLiteral("pUsetMaster"));
    for (const MenuItem& m : kEntryMenu)
        add(QString::fromLatin1(m.key), QString::fromUtf8(m.caption), QString::fromLatin1(m.twin));
    add(QStringLiteral("AcountSet"), QStringLiteral("アカウント設定(&A)..."), QStringLiteral("AcountSet"));
    add(QStringLiteral("mnOption"), QStringLiteral("オプション(&O)..."), QStringLiteral("KanSet"));
    add(QStringLiteral("SignRtn"), QStringLiteral("署名登録(&S)..."), QStringLiteral("SignRtn"));
    add(QStringLiteral("TomaQA"), QStringLiteral("よくある質問(&W)"), QStringLiteral("TomaQA"));
    add(QStringLiteral("ManualDisp"), QStringLiteral("マニュアル(&M)"), QStringLiteral("ManualDisp"));
    add(QStringLiteral("Version"), QStringLiteral("バージョン(&V)"), QStringLiteral("Version"));
}

void MenuForm::buildMenus()
{
    QMenuBar* bar = menuBar();
    const auto act = [this](const char* key) { return m_actions.value(QString::fromLatin1(key)); };

    QMenu* file = bar->addMenu(QStringLiteral("ファイル(&F)"));
    file->setObjectName(QStringLiteral("mnFile"));
    QMenu* folder = file->addMenu(QStringLiteral("フォルダ(&F)"));
    folder->setObjectName(QStringLiteral("mnFolder"));
    folder->addAction(act("mnFolderMake"));
    // Moving and copying projects without the mouse: the same as dropping
    // the selected projects on a folder with the left or right button.
    for (const bool copy : {false, true}) {
        QMenu* to = folder->addMenu(copy ? QStringLiteral("選択した物件を別のフォルダへコピー(&C)")
                                         : QStringLiteral("選択した物件を別のフォルダへ移動(&M)"));
        to->setObjectName(copy ? QStringLiteral("mnCopyProjects") : QStringLiteral("mnMoveProjects"));
        connect(to, &QMenu::aboutToShow, this, [this, to, copy] { fillFolderMenu(to, copy); });
    }
    file->addSeparator();
    file->addAction(act("mnDM_Print"));
    file->addSeparator();
    file->addAction(act("mnEnd"));

    QMenu* masters = bar->addMenu(QStringLiteral("マスタ(&M)"));
    masters->setObjectName(QStringLiteral("mnMaster"));
    masters->addAction(act("UserEdit"));
    masters->addAction(act("mnArchEdit"));
    masters->addAction(act("ConnectCorp"));

    QMenu* entry = bar->addMenu(QStringLiteral("データ入力(&I)"));
    entry->setObjectName(QStringLiteral("mnDataInput"));
    for (const MenuItem& m : kEntryMenu)
        entry->addAction(act(m.key));

    QMenu* mail = bar->addMenu(QStringLiteral("メール(&E)"));
    mail->setObjectName(QStringLiteral("mnMail"));
    mail->addAction(act("mnMelMaga"));
    mail->addSeparator();
    mail->addAction(act("AcountSet"));
    mail->addAction(act("SignRtn"));

    QMenu* tools = bar->addMenu(QStringLiteral("ツール(&T)"));
    tools->setObjectName(QStringLiteral("mnTool"));
    tools->addAction(act("mnOption"));

    QMenu* help = bar->addMenu(QStringLiteral("ヘルプ(&H)"));
    help->setObjectName(QStringLiteral("mnHelpMenu"));
    help->addAction(act("mnHelp"));
    help->addAction(act("ManualDisp"));
    help->addAction(act("TomaQA"));
    help->addSeparator();
    help->addAction(act("Version"));
}

void MenuForm::buildToolbar()
{
    m_toolbar = addToolBar(QStringLiteral("ツールバー"));
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setMovable(false);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolbar->setIconSize(QSize(24, 24));
    for (const ToolKey& t : kToolKeys) {
        if (t.separatorBefore)
            m_toolbar->addSeparator();
        m_toolbar->addAction(m_actions.value(QString::fromLatin1(t.key)));
    }
    m_salesButton = qobject_cast<QToolButton*>(m_toolbar->widgetForAction(m_actions.value(QStringLiteral("SalesMake"))));
    if (m_salesButton) {
        m_salesButton->setObjectName(QStringLiteral("SalesMakeButton"));
        m_salesButton->setPopupMode(QToolButton::MenuButtonPopup);
    }
}

QWidget* MenuForm::buildProjectTab()
{
    auto* page = new QWidget;

    m_folderList = makeList(QStringLiteral("ListView1"), {QStringLiteral("フォルダ")});
    m_projectList = makeList(QStringLiteral("UserListView"),
                             {QStringLiteral("工事名"), QStringLiteral("建築物の名称")});
    m_projectList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // The widths are the user's, kept from run to run; stretching the last
    // column would overrule them.
    m_projectList->header()->setStretchLastSection(false);

    auto* lists = new QSplitter(Qt::Vertical);
    lists->setObjectName(QStringLiteral("ListSplitter"));
    lists->addWidget(m_folderList);
    lists->addWidget(m_projectList);
    lists->setStretchFactor(0, 1);
    lists->setStretchFactor(1, 2);
    lists->setChildrenCollapsible(false);

    const auto lineEdit = [](const char* name) {
        auto* e = new QLineEdit;
        e->setObjectName(QString::fromLatin1(name));
        return e;
    };
    m_kouji = lineEdit("Kouji");
    m_buken = lineEdit("Buken");
    m_furi1 = lineEdit("Furi1");
    m_furi2 = lineEdit("Furi2");
    m_name7 = lineEdit("Name7");
    m_post6 = lineEdit("Post6");
    m_addr6 = lineEdit("Addr6");
    m_tel4 = lineEdit("Tel4");
    m_kin1 = lineEdit("Kin1");
    // Editable, so that a stored value that is no longer in the code list
    // still shows as it was saved.
    m_shu1 = new QComboBox;
    m_shu1->setObjectName(QStringLiteral("Shu1"));
    m_shu1->setEditable(true);
    m_shu2 = new QComboBox;
    m_shu2->setObjectName(QStringLiteral("Shu2"));
    m_shu2->setEditable(true);
    // Free text with the code list as suggestions: what is typed is kept.
    GuiCommon::suggestWithoutCompleting(m_shu1);
    GuiCommon::suggestWithoutCompleting(m_shu2);
    m_post6->setMaximumWidth(110);
    m_tel4->setMaximumWidth(200);
    m_kin1->setMaximumWidth(160);
    m_kin1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_shu1->setMinimumWidth(200);
    m_shu2->setMinimumWidth(200);

    m_postBtn = new QPushButton(QStringLiteral("住所"));
    m_postBtn->setObjectName(QStringLiteral("PostBtn"));
    m_postBtn->setToolTip(QStringLiteral("郵便番号から住所を入力します。"));
    m_addrBtn = new QPushButton(QStringLiteral("〒番号"));
    m_addrBtn->setObjectName(QStringLiteral("AddrBtn"));
    m_addrBtn->setToolTip(QStringLiteral("住所から郵便番号を入力します。"));
    for (QPushButton* b : {m_postBtn, m_addrBtn}) {
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::TabFocus);
    }
    connect(m_postBtn, &QPushButton::clicked, this, [this] { runCommand(QStringLiteral("PostBtn")); });
    connect(m_addrBtn, &QPushButton::clicked, this, [this] { runCommand(QStringLiteral("AddrBtn")); });

    m_tousu = new CountBox;
    m_tousu->setObjectName(QStringLiteral("Tousu"));
    m_tousu->setRange(1, 3);
    m_tousu->setAlignment(Qt::AlignCenter);
    m_tousu->setMinimumWidth(60);
    m_tousu->setToolTip(QStringLiteral("申請する棟数（１～３）。数字を入力するか、上下の矢印キーで変えます。"));

    m_headerFields = {m_kouji, m_buken, m_furi1, m_tousu, m_furi2, m_name7, m_post6,
                      m_addr6, m_tel4,  m_shu1,  m_shu2,  m_kin1};

    // Building: what is being built and under which name.
    auto* building = new QGroupBox(QStringLiteral("物件"));
    auto* bg = new QGridLayout(building);
    bg->setVerticalSpacing(4);
    bg->addWidget(caption(QStringLiteral("【工事名】"), m_kouji), 0, 0);
    bg->addWidget(m_kouji, 0, 1, 1, 3);
    bg->addWidget(caption(QStringLiteral("【建築物の名称】"), m_buken), 1, 0);
    bg->addWidget(m_buken, 1, 1, 1, 3);
    bg->addWidget(caption(QStringLiteral("【フリガナ】"), m_furi1), 2, 0);
    bg->addWidget(m_furi1, 2, 1, 1, 3);
    auto* count = new QHBoxLayout;
    count->setSpacing(2);
    count->addWidget(m_tousu);
    count->addWidget(new QLabel(QStringLiteral("棟")));
    count->addStretch(1);
    bg->addWidget(caption(QStringLiteral("申請棟数"), m_tousu), 3, 0);
    bg->addLayout(count, 3, 1, 1, 3);
    bg->setColumnStretch(1, 1);
    // Both groups share one caption width so that their fields line up.
    const int captionWidth = fontMetrics().horizontalAdvance(QStringLiteral("【資本の額又は出資の総額】")) + 8;
    bg->setColumnMinimumWidth(0, captionWidth);

    // Building owner: the people and company the application is made for.
    auto* owner = new QGroupBox(QStringLiteral("建築主"));
    auto* og = new QGridLayout(owner);
    og->setVerticalSpacing(4);
    og->addWidget(caption(QStringLiteral("【イ．フリガナ】"), m_furi2), 0, 0);
    og->addWidget(m_furi2, 0, 1, 1, 3);
    og->addWidget(caption(QStringLiteral("【ロ．建築主名】"), m_name7), 1, 0);
    og->addWidget(m_name7, 1, 1, 1, 3);
    auto* post = new QHBoxLayout;
    post->addWidget(m_post6);
    post->addWidget(m_postBtn);
    post->addStretch(1);
    og->addWidget(caption(QStringLiteral("【ハ．郵便番号】"), m_post6), 2, 0);
    og->addLayout(post, 2, 1, 1, 3);
    og->addWidget(caption(QStringLiteral("【ニ．住所】"), m_addr6), 3, 0);
    og->addWidget(m_addr6, 3, 1, 1, 2);
    og->addWidget(m_addrBtn, 3, 3);
    og->addWidget(caption(QStringLiteral("【ホ．電話番号】"), m_tel4), 4, 0);
    og->addWidget(m_tel4, 4, 1, 1, 3);
    og->addWidget(caption(QStringLiteral("【建築主の種別】"), m_shu1), 5, 0);
    og->addWidget(m_shu1, 5, 1, 1, 3, Qt::AlignLeft);
    og->addWidget(caption(QStringLiteral("【業種】"), m_shu2), 6, 0);
    og->addWidget(m_shu2, 6, 1, 1, 3, Qt::AlignLeft);
    auto* capital = new QHBoxLayout;
    capital->addWidget(m_kin1);
    capital->addWidget(new QLabel(QStringLiteral("百万円")));
    capital->addStretch(1);
    og->addWidget(caption(QStringLiteral("【資本の額又は出資の総額】"), m_kin1), 7, 0);
    og->addLayout(capital, 7, 1, 1, 3);
    og->setColumnStretch(1, 1);
    og->setColumnMinimumWidth(0, captionWidth);

    // Finding a customer's project by the telephone number on a call.
    m_telText = new QLineEdit;
    m_telText->setObjectName(QStringLiteral("TelText"));
    m_telText->setPlaceholderText(QStringLiteral("電話番号"));
    m_srchBtn2 = new QPushButton(QStringLiteral("実行"));
    m_srchBtn2->setObjectName(QStringLiteral("SrchBtn2"));
    m_srchBtn2->setToolTip(QStringLiteral("顧客名を電話番号で検索します。"));
    m_srchBtn = new QPushButton(QStringLiteral("条件検索"));
    m_srchBtn->setObjectName(QStringLiteral("SrchBtn"));
    m_srchBtn->setToolTip(QStringLiteral("顧客名を条件付検索ができます。"));
    for (QPushButton* b : {m_srchBtn2, m_srchBtn})
        b->setAutoDefault(false);
    connect(m_srchBtn2, &QPushButton::clicked, this, [this] { runCommand(QStringLiteral("SrchBtn2")); });
    connect(m_srchBtn, &QPushButton::clicked, this, [this] { runCommand(QStringLiteral("SrchBtn")); });
    auto* search = new QGroupBox(QStringLiteral("電話番号検索"));
    auto* sl = new QHBoxLayout(search);
    sl->addWidget(m_telText, 1);
    sl->addWidget(m_srchBtn2);
    sl->addWidget(m_srchBtn);

    auto* right = new QWidget;
    auto* rl = new QVBoxLayout(right);
    rl->setContentsMargins(0, 0, 0, 0);
    rl->addWidget(building);
    rl->addWidget(owner);
    rl->addWidget(search);
    rl->addStretch(1);

    auto* split = new QSplitter(Qt::Horizontal);
    split->setObjectName(QStringLiteral("MainSplitter"));
    split->addWidget(lists);
    split->addWidget(right);
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    split->setChildrenCollapsible(false);
    split->setSizes({kProjectListDesignWidth, 700});

    auto* layout = new QHBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(split);

    for (QWidget* w : std::as_const(m_headerFields))
        w->installEventFilter(this);
    m_telText->installEventFilter(this);

    for (QLineEdit* e : {m_kouji, m_buken, m_furi1, m_furi2, m_name7, m_post6, m_addr6, m_tel4, m_kin1})
        connect(e, &QLineEdit::textChanged, this, &MenuForm::headerFieldChanged);
    // The text before each change, for taking back one that cannot print:
    // textChanged comes just before textEdited.
    for (QLineEdit* e : {m_kouji, m_buken, m_furi1, m_furi2, m_name7, m_addr6, m_tel4}) {
        connect(e, &QLineEdit::textChanged, this, [this, e](const QString& now) {
            m_fitBefore.insert(e, m_fitNow.value(e));
            m_fitNow.insert(e, now);
        });
        connect(e, &QLineEdit::textEdited, this, [this, e] { checkHeaderFit(e); });
    }
    for (QComboBox* c : {m_shu1, m_shu2})
        connect(c, &QComboBox::currentTextChanged, this, &MenuForm::headerFieldChanged);

    connect(m_folderList, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (m_filling)
            return;
        QTreeWidgetItem* item = m_folderList->currentItem();
        if (item && item->isSelected())
            selectFolder(m_folderList->indexOfTopLevelItem(item));
    });
    connect(m_projectList, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (m_filling)
            return;
        QTreeWidgetItem* item = m_projectList->currentItem();
        // Extending a multiple selection keeps the loaded project.
        if (item && item->isSelected() && m_projectList->selectedItems().size() == 1)
            loadProject(m_projectList->indexOfTopLevelItem(item));
    });
    // Dragging projects onto a folder: the left button moves, the right copies.
    m_projectList->viewport()->installEventFilter(this);
    // The right button drags copies: the menu opens on a release without a
    // drag (see eventFilter), and from the keyboard's menu key.
    m_projectList->setContextMenuPolicy(Qt::DefaultContextMenu);
    m_folderList->viewport()->installEventFilter(this);
    m_folderList->setAcceptDrops(true);
    m_folderList->viewport()->setAcceptDrops(true);
    connect(m_tousu, &QSpinBox::valueChanged, this, &MenuForm::buildingCountChanged);

    setTabOrder(m_kouji, m_buken);
    setTabOrder(m_buken, m_furi1);
    setTabOrder(m_furi1, m_tousu);
    setTabOrder(m_tousu, m_furi2);
    setTabOrder(m_furi2, m_name7);
    setTabOrder(m_name7, m_post6);
    setTabOrder(m_post6, m_addr6);
    setTabOrder(m_addr6, m_tel4);
    setTabOrder(m_tel4, m_shu1);
    setTabOrder(m_shu1, m_shu2);
    setTabOrder(m_shu2, m_kin1);
    return page;
}

QWidget* MenuForm::buildScheduleTab()
{
    m_scheduleTab = new SchedulePage(m_storage);
    m_scheduleList = m_scheduleTab->list();
    m_calendar = m_scheduleTab->calendar();
    connect(m_scheduleTab, &SchedulePage::changed, this, [this] {
        m_scheduleChanged = true;
        m_actions.value(QStringLiteral("VoucherSave"))->setEnabled(true);
    });
    connect(m_scheduleTab, &SchedulePage::mailRequested, this, [this](const QString& subject, const QString& body) {
        if (const MailHandler handler = mailHandler())
            handler(*this, subject, body);
        else
            showUnavailable(QStringLiteral("メール伝言"));
    });
    return m_scheduleTab;
}

QWidget* MenuForm::buildPhotoTab()
{
    m_photoTab = new PhotoPage;
    m_photoList = m_photoTab->list();
    m_photoTab->setFolderMaker([this] { return makePhotoFolder(); });
    return m_photoTab;
}

QString MenuForm::makePhotoFolder()
{
    // A project from an older register may have no photo folder yet.
    if (!m_project.isLoaded())
        return {};
    QString name = m_project.text(m_project.gaiyou, QStringLiteral("PHOTO_FLD"));
    if (name.isEmpty()) {
        name = ProjectRegister::photoFolderName(QDateTime::currentDateTime());
        for (int n = 2; QFileInfo::exists(AppDir::file(name)); ++n)
            name = ProjectRegister::photoFolderName(QDateTime::currentDateTime()) + QLatin1Char('_') + QString::number(n);
        Recordset rs(m_storage, DbFile::Kakunin);
        if (!rs.open(QStringLiteral("GAIYOU"), QStringLiteral("ID"), m_project.gaiyouId()) || rs.eof()
            || !rs.setValue(QStringLiteral("PHOTO_FLD"), name) || !rs.update()) {
            common::ErrorBox(rs.errorString());
            return {};
        }
        m_project.gaiyou.insert(QStringLiteral("PHOTO_FLD"), name);
    }
    QDir().mkpath(AppDir::file(name));
    return AppDir::file(name);
}

// ---------------------------------------------------------------- start and end

void MenuForm::fillCodeLists()
{
    QString error;
    if (!fillFromCodeList(m_storage, m_shu1, QStringLiteral("UserType"), QStringLiteral("USER_TYPE"), &error))
        common::ErrorBox(error);
    if (!fillFromCodeList(m_storage, m_shu2, QStringLiteral("JobType"), QStringLiteral("JOB_TYPE"), &error))
        common::ErrorBox(error);
}

int MenuForm::toTwipsX(int px) const
{
    return px * 1440 / qMax(1, logicalDpiX());
}

int MenuForm::toTwipsY(int px) const
{
    return px * 1440 / qMax(1, logicalDpiY());
}

int MenuForm::toPixelsX(int twips) const
{
    return qRound(twips * static_cast<double>(logicalDpiX()) / 1440.0);
}

int MenuForm::toPixelsY(int twips) const
{
    return qRound(twips * static_cast<double>(logicalDpiY()) / 1440.0);
}

void MenuForm::restoreWindowSettings()
{
    const QScreen* scr = screen() ? screen() : QGuiApplication::primaryScreen();
    const int screenRight = scr ? scr->availableVirtualGeometry().right() + 1 : 0;

    WindowPlacement placement;
    QString error;
    if (!WindowSettings::restore(m_storage, toTwipsX(kProjectListDesignWidth), toTwipsX(width()),
                                 toTwipsX(pos().x()), toTwipsX(screenRight), &placement, &error)) {
        common::ErrorBox(error);
        return;
    }
    if (placement.left || placement.top) {
        // A place kept on a larger screen would leave the bottom of the window out of reach.
        GuiCommon::placeOnScreen(this, {placement.left ? toPixelsX(*placement.left) : pos().x(),
                                        placement.top ? toPixelsY(*placement.top) : pos().y()});
    }
    QHeaderView* header = m_projectList->header();
    header->resizeSection(0, toPixelsX(placement.column1));
    header->resizeSection(1, toPixelsX(placement.column2));
}

// Columns narrower together than the list are widened in their own
// proportion until they fill it, so that no name is cut short while the
// list has room; wider ones are the user's choice and scroll.
void MenuForm::fillProjectColumns()
{
    if (!m_projectList->isVisible())
        return;
    QHeaderView* header = m_projectList->header();
    const int room = m_projectList->viewport()->width();
    const int used = header->sectionSize(0) + header->sectionSize(1);
    if (used <= 0 || used >= room)
        return;
    const int first = static_cast<int>(static_cast<qint64>(header->sectionSize(0)) * room / used);
    header->resizeSection(0, first);
    header->resizeSection(1, room - first);
}

void MenuForm::saveWindowSettings()
{
    // A maximised or minimised window is remembered where it will reopen.
    const QPoint where = (isMaximized() || isMinimized()) ? normalGeometry().topLeft() : pos();
    const QHeaderView* header = m_projectList->header();
    QString error;
    if (!WindowSettings::save(m_storage, toTwipsY(where.y()), toTwipsX(where.x()),
                              toTwipsX(header->sectionSize(0)), toTwipsX(header->sectionSize(1)), &error))
        common::ErrorBox(error);
}

void MenuForm::saveProject()
{
    if (!m_project.isLoaded()) {
        // Without a project there is nowhere to write the edits to.
        m_headerChanged = false;
        m_scheduleChanged = false;
        m_actions.value(QStringLiteral("VoucherSave"))->setEnabled(false);
        return;
    }
    BusyCursor busy;
    QString error;
    if (m_headerChanged) {
        RowValues edited;
        for (QWidget* w : std::as_const(m_headerFields)) {
            if (auto* e = qobject_cast<QLineEdit*>(w))
                edited.insert(w->objectName(), e->text());
            else if (auto* c = qobject_cast<QComboBox*>(w))
                edited.insert(w->objectName(), c->currentText());
        }
        QStringList kept;
        if (!ProjectRegister(m_storage).saveHeader(m_project, edited, m_buildingCount, &kept, &error)) {
            // Nothing is lost: the edits stay in the fields and the save
            // button stays on for another try.
            common::ErrorBox(error);
            return;
        }
        m_headerChanged = false;
    }
    if (m_scheduleChanged) {
        if (!ScheduleStore::save(m_storage, m_project.bid, m_project.schedule, &error)) {
            common::ErrorBox(error);
            return;
        }
        m_scheduleChanged = false;
    }
    m_actions.value(QStringLiteral("VoucherSave"))->setEnabled(false);
    // Changed names show in the list; the project is read back as stored.
    fillProjectList();
}

bool MenuForm::runExitSteps()
{
    if (isEdited()) {
        const Prompter::Button answer = Prompter::current().show(
            {PromptTitle::SaveConfirm, QStringLiteral("内容が変更されていますが、登録しますか？"),
             Prompter::Icon::Warning, Prompter::Yes | Prompter::No | Prompter::Cancel, Prompter::Yes});
        if (answer == Prompter::Cancel)
            return false;
        if (answer == Prompter::Yes) {
            saveProject();
            if (isEdited())
                return false;  // the save failed and said why: stay with the edits
        }
    }
    m_exitDone = true;
    BusyCursor busy;
    saveWindowSettings();
    return true;
}

void MenuForm::exitApplication()
{
    if (!m_exitDone && !runExitSteps())
        return;
    close();
    // The other windows of the program hang off this one; leaving must not
    // wait for each of them to be closed by hand.
    if (!parentWidget())
        QCoreApplication::quit();
}

void MenuForm::closeEvent(QCloseEvent* event)
{
    if (!m_exitDone && !runExitSteps()) {
        event->ignore();
        return;
    }
    event->accept();
}

// ---------------------------------------------------------------- commands

void MenuForm::registerOpener(const QString& key, WindowOpener opener)
{
    openers().insert(key, std::move(opener));
}

void MenuForm::clearOpeners()
{
    openers().clear();
    outputHandler() = nullptr;
    pdfHandler() = nullptr;
    mailHandler() = nullptr;
}

void MenuForm::setOutputHandler(OutputHandler handler)
{
    outputHandler() = std::move(handler);
}

void MenuForm::setPdfHandler(PdfHandler handler)
{
    pdfHandler() = std::move(handler);
}

void MenuForm::setMailHandler(MailHandler handler)
{
    mailHandler() = std::move(handler);
}

void MenuForm::runCommand(const QString& key)
{
    const Command* command = findCommand(key);
    if (!command)
        return;
    const WindowOpener opener = openers().value(key);
    const QString feature = QString::fromUtf8(command->feature);
    switch (command->kind) {
    case Kind::Nothing:
        return;
    case Kind::Exit:
        exitApplication();
        return;
    case Kind::Calculator:
        showCalculator();
        return;
    case Kind::Help:
        showHelp();
        return;
    case Kind::Manual:
        // The built-in viewer shows the manual as well as a browser does,
        // and needs no program outside this one.
        showManualPage(QStringLiteral("MANUAL/index.html"));
        return;
    case Kind::Questions:
        GuiCommon::OpenInBrowser(kQuestionsPage);
        return;
    case Kind::Version:
        showVersion();
        return;
    case Kind::Entry:
        if (!checkProjectExists())
            return;
        if (key == QLatin1String("btnKaiBetu") && !checkFloorCounts())
            return;
        if (opener)
            opener(*this);
        else
            showUnavailable(feature);
        return;
    case Kind::NewProject:
        newProject();
        return;
    case Kind::DeleteProject:
        deleteSelectedProjects();
        return;
    case Kind::Save:
        saveProject();
        return;
    case Kind::FolderWindow:
        openFolderWindow();
        return;
    case Kind::PostToAddress:
        lookUpAddress();
        return;
    case Kind::AddressToPost:
        lookUpPostalCode();
        return;
    case Kind::PhoneSearch:
        phoneSearch();
        return;
    case Kind::Check:
        if (!prepareOutput())
            return;
        if (opener)
            opener(*this);
        else
            showUnavailable(feature);
        return;
    case Kind::Unavailable:
        if (opener)
            opener(*this);
        else
            showUnavailable(feature);
        return;
    }
}

void MenuForm::runOutput(int sheet, const QString& name)
{
    const OutputHandler handler = outputHandler();
    if (!handler) {
        showUnavailable(QStringLiteral("書類作成（%1）").arg(name));
        return;
    }
    if (!prepareOutput() || (sheet >= 0 && !confirmPrintWithErrors(sheet)))
        return;
    handler(*this, sheet);
}

void MenuForm::runPdf(int sheet, const QString& name)
{
    const PdfHandler handler = pdfHandler();
    if (!handler || !prepareOutput() || !confirmPrintWithErrors(sheet))
        return;
    handler(*this, sheet, name);
}

int MenuForm::checkErrors(int sheet) const
{
    if (!m_project.isLoaded())
        return 0;
    // Errors come from the faces alone: neither the postal table nor the
    // printed boxes are read for the count.
    return ShinseiCheck::check(m_project, {}).count(ShinseiCheck::Severity::Error, sheet);
}

void MenuForm::updateCheckCount()
{
    QAction* a = m_actions.value(QStringLiteral("CheckBtn"));
    if (!a)
        return;
    if (!m_project.isLoaded()) {
        a->setText(QStringLiteral("申請前チェック(&K)..."));
        return;
    }
    const int errors = checkErrors(-1);
    a->setText(errors > 0 ? QStringLiteral("申請前チェック(&K)... （エラー %1件）").arg(errors)
                          : QStringLiteral("申請前チェック(&K)... （エラーなし）"));
}

bool MenuForm::confirmPrintWithErrors(int sheet)
{
    const int errors = checkErrors(sheet);
    if (errors == 0)
        return true;
    const Prompter::Button answer = Prompter::current().show(
        {PromptTitle::Print,
         QStringLiteral("申請前チェックでこの書類に関わるエラーが %1 件見つかりました。\n"
                        "このまま作成しますか？\n（「いいえ」で申請前チェックを開きます）")
             .arg(errors),
         Prompter::Icon::Warning, Prompter::Yes | Prompter::No, Prompter::No});
    if (answer == Prompter::Yes)
        return true;
    if (answer == Prompter::No)
        runCommand(QStringLiteral("CheckBtn"));
    return false;
}

bool MenuForm::prepareOutput()
{
    if (!checkProjectExists())
        return false;
    // The documents show what is stored: unsaved edits are saved or
    // dropped first, then the project is read back.
    if (!askToSaveEdits())
        return false;
    BusyCursor busy;
    return reloadCurrentProject();
}

// ---------------------------------------------------------------- register

void MenuForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // The list has its size once the window is laid out on the screen.
    QTimer::singleShot(0, this, &MenuForm::fillProjectColumns);
    if (m_started)
        return;
    m_started = true;
    // The first time the window comes up it opens the first folder and its
    // first project, so the user starts where the work is.
    refreshFolders();
    if (!m_folders.isEmpty())
        selectFolder(0);
}

void MenuForm::refreshFolders()
{
    QString error;
    if (!FolderStore(m_storage, FolderStore::Kind::Projects).list(&m_folders, &error)) {
        common::ErrorBox(error);
        m_folders.clear();
    }
    m_filling = true;
    m_folderList->clear();
    int current = -1;
    for (int i = 0; i < m_folders.size(); ++i) {
        m_folderList->addTopLevelItem(new QTreeWidgetItem({m_folders[i].name}));
        if (m_folders[i].fid == m_currentFolder)
            current = i;
    }
    if (current >= 0) {
        m_folderList->setCurrentItem(m_folderList->topLevelItem(current));
        m_folderList->topLevelItem(current)->setSelected(true);
    }
    m_filling = false;
}

void MenuForm::selectFolder(int row)
{
    if (row < 0 || row >= m_folders.size())
        return;
    if (!askToSaveEdits())
        return;
    m_currentFolder = m_folders[row].fid;
    m_selectedIndex = 0;
    m_filling = true;
    m_folderList->setCurrentItem(m_folderList->topLevelItem(row));
    m_folderList->topLevelItem(row)->setSelected(true);
    m_filling = false;
    fillProjectList();
}

void MenuForm::fillProjectList()
{
    BusyCursor busy;
    QString error;
    if (!ProjectRegister(m_storage).projectsInFolder(m_currentFolder, &m_projects, &error)) {
        common::ErrorBox(error);
        m_projects.clear();
    }
    m_filling = true;
    m_projectList->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(m_projects.size());
    for (const ProjectItem& p : std::as_const(m_projects))
        items.append(new QTreeWidgetItem({p.kouji, p.buken}));
    m_projectList->addTopLevelItems(items);
    m_filling = false;
    if (m_projects.isEmpty()) {
        // An empty folder: nothing is loaded, nothing can be edited.
        m_project = ProjectData();
        m_loading = true;
        for (QWidget* w : std::as_const(m_headerFields)) {
            if (auto* e = qobject_cast<QLineEdit*>(w))
                e->clear();
            else if (auto* c = qobject_cast<QComboBox*>(w))
                c->setCurrentIndex(-1);
        }
        setBuildingCount(1);
        m_scheduleTab->setProject(nullptr);
        m_photoTab->setFolder(QString());
        m_loading = false;
        m_headerChanged = false;
        m_actions.value(QStringLiteral("VoucherSave"))->setEnabled(false);
        m_actions.value(QStringLiteral("DelVoucher"))->setEnabled(false);
        emit projectLoaded();
        return;
    }
    loadProject(qBound(0, m_selectedIndex, static_cast<int>(m_projects.size()) - 1));
}

bool MenuForm::askToSaveEdits()
{
    if (!isEdited())
        return true;
    const Prompter::Button answer =
        Prompter::current().show({PromptTitle::SaveConfirm, QStringLiteral("内容が変更されていますが、登録しますか？"),
                                  Prompter::Icon::Warning, Prompter::Yes | Prompter::No, Prompter::Yes});
    if (answer == Prompter::Yes) {
        const bool headerWasChanged = m_headerChanged;
        saveProject();
        // A failed save keeps the user where the unsaved edits are.
        if (headerWasChanged && m_headerChanged)
            return false;
    }
    m_headerChanged = false;
    m_scheduleChanged = false;
    m_actions.value(QStringLiteral("VoucherSave"))->setEnabled(false);
    return true;
}

void MenuForm::selectProject(int row)
{
    if (row < 0 || row >= m_projects.size())
        return;
    loadProject(row);
}

void MenuForm::loadProject(int row)
{
    if (row < 0 || row >= m_projects.size())
        return;
    if (!askToSaveEdits()) {
        // Put the selection back on the project with the unsaved edits.
        m_filling = true;
        m_projectList->clearSelection();
        if (QTreeWidgetItem* item = m_projectList->topLevelItem(m_selectedIndex)) {
            m_projectList->setCurrentItem(item);
            item->setSelected(true);
        }
        m_filling = false;
        return;
    }
    // Saving refills the list; the row may have moved.
    if (row >= m_projects.size())
        return;
    BusyCursor busy;
    m_selectedIndex = row;
    ProjectData data;
    QString error;
    if (!ProjectData::load(m_storage, m_projects[row].bid, &data, &error)) {
        common::ErrorBox(error);
        return;
    }
    m_project = data;
    m_filling = true;
    m_projectList->clearSelection();
    QTreeWidgetItem* item = m_projectList->topLevelItem(row);
    m_projectList->setCurrentItem(item);
    item->setSelected(true);
    m_projectList->scrollToItem(item);
    m_filling = false;
    showProject();
    m_kouji->setFocus(Qt::OtherFocusReason);
    m_kouji->selectAll();
}

bool MenuForm::reloadCurrentProject()
{
    if (!m_project.isLoaded())
        return false;
    ProjectData data;
    QString error;
    if (!ProjectData::load(m_storage, m_project.bid, &data, &error)) {
        common::ErrorBox(error);
        return false;
    }
    m_project = data;
    if (!isEdited())
        showProject();
    else
        emit projectLoaded();
    return true;
}

void MenuForm::showProject()
{
    m_loading = true;
    for (QWidget* w : std::as_const(m_headerFields)) {
        const QString value = m_project.text(m_project.gaiyou, w->objectName());
        if (auto* e = qobject_cast<QLineEdit*>(w)) {
            e->setText(value);
            e->setCursorPosition(0);
        } else if (auto* c = qobject_cast<QComboBox*>(w)) {
            c->setCurrentIndex(c->findText(value));
            if (c->currentText() != value)
                c->setEditText(value);
        }
    }
    setBuildingCount(m_project.buildingCount);
    m_scheduleTab->setProject(&m_project);
    const QString photo = m_project.text(m_project.gaiyou, QStringLiteral("PHOTO_FLD"));
    m_photoTab->setFolder(photo.isEmpty() ? QString() : AppDir::file(photo));
    m_loading = false;
    m_headerChanged = false;
    m_scheduleChanged = false;
    m_actions.value(QStringLiteral("DelVoucher"))->setEnabled(true);
    m_actions.value(QStringLiteral("VoucherSave"))->setEnabled(false);
    emit projectLoaded();
}

QVector<qint64> MenuForm::selectedBids() const
{
    QVector<qint64> bids;
    for (int i = 0; i < m_projectList->topLevelItemCount() && i < m_projects.size(); ++i)
        if (m_projectList->topLevelItem(i)->isSelected())
            bids.append(m_projects[i].bid);
    return bids;
}

void MenuForm::newProject()
{
    if (m_folders.isEmpty()) {
        common::WarningBox(QStringLiteral("物件フォルダがありません。「フォルダ」メニューの「作成」でフォルダを作成してください。"));
        return;
    }
    if (!askToSaveEdits())
        return;
    if (m_currentFolder == 0)
        m_currentFolder = m_folders.first().fid;
    qint64 bid = 0;
    QString error;
    {
        BusyCursor busy;
        if (!ProjectRegister(m_storage).createProject(m_currentFolder, &bid, &error)) {
            common::ErrorBox(error);
            return;
        }
    }
    QString ignored;
    ProjectRegister(m_storage).projectsInFolder(m_currentFolder, &m_projects, &ignored);
    for (int i = 0; i < m_projects.size(); ++i)
        if (m_projects[i].bid == bid)
            m_selectedIndex = i;
    fillProjectList();
}

void MenuForm::deleteSelectedProjects()
{
    const QVector<qint64> bids = selectedBids();
    if (bids.isEmpty())
        return;
    if (common::ConfirmBox(QStringLiteral("%1件の別件を削除します。　よろしいですか？").arg(bids.size())) != 0)
        return;
    // The office's submissions never vanish with a project: say where they go.
    int history = 0;
    for (qint64 bid : bids)
        history += SubmissionHistory::count(m_storage, bid);
    const QString kept = history == 0 ? QString()
                                      : QStringLiteral("\n提出履歴（%1件）のファイルは「%2/%3」に残します。")
                                            .arg(history)
                                            .arg(SubmissionHistory::kFolder, SubmissionHistory::kDeletedFolder);
    if (common::ConfirmBox(QStringLiteral("本当によろしいですか？") + kept) != 0)
        return;
    QString error;
    QStringList keptAt;
    {
        BusyCursor busy;
        if (!ProjectRegister(m_storage).deleteProjects(bids, &error, &keptAt)) {
            common::ErrorBox(error);
            return;
        }
    }
    if (!keptAt.isEmpty())
        common::ConfirmBoxTitled(QStringLiteral("削除した物件の提出履歴は次のフォルダに残しました。\n%1")
                                     .arg(QDir::toNativeSeparators(keptAt.join(QLatin1Char('\n')))),
                                 QStringLiteral("提出履歴"));
    // The deleted project's edits are gone with it.
    m_headerChanged = false;
    m_scheduleChanged = false;
    m_actions.value(QStringLiteral("VoucherSave"))->setEnabled(false);
    m_selectedIndex = qMax(0, m_selectedIndex - 1);
    refreshFolders();
    fillProjectList();
}

void MenuForm::phoneSearch()
{
    if (m_telText->text().isEmpty())
        return;
    ProjectItem found;
    qint64 folder = 0;
    QString error;
    if (!ProjectRegister(m_storage).findByPhone(m_telText->text(), &found, &folder, &error)) {
        if (!error.isEmpty())
            common::ErrorBox(error);
        else
            statusBar()->showMessage(QStringLiteral("該当する電話番号の物件はありません。"), kNoteTimeoutMs);
        return;
    }
    for (int i = 0; i < m_folders.size(); ++i) {
        if (m_folders[i].fid != folder)
            continue;
        selectFolder(i);
        if (m_currentFolder != folder)
            return;  // the user kept unsaved edits
        for (int r = 0; r < m_projects.size(); ++r) {
            if (m_projects[r].kouji == found.kouji) {
                loadProject(r);
                break;
            }
        }
        return;
    }
}

void MenuForm::dropProjectsOnFolder(int folderRow, bool copy)
{
    if (folderRow < 0 || folderRow >= m_folders.size())
        return;
    const QVector<qint64> bids = selectedBids();
    if (bids.isEmpty())
        return;
    const qint64 target = m_folders[folderRow].fid;
    if (!copy && target == m_currentFolder)
        return;
    if (!askToSaveEdits())
        return;
    QString error;
    ProjectRegister reg(m_storage);
    const bool ok = copy ? reg.copyProjects(bids, target, &error) : reg.moveProjects(bids, m_currentFolder, target, &error);
    if (!ok)
        common::ErrorBox(error);
    else
        statusBar()->showMessage(QStringLiteral("%1件の物件を「%2」に%3しました。")
                                 .arg(bids.size())
                                 .arg(m_folders[folderRow].name, copy ? QStringLiteral("コピー") : QStringLiteral("移動")),
                             kNoteTimeoutMs);
    fillProjectList();
}

void MenuForm::fillFolderMenu(QMenu* menu, bool copy)
{
    menu->clear();
    if (selectedBids().isEmpty()) {
        menu->addAction(QStringLiteral("（物件が選択されていません）"))->setEnabled(false);
        return;
    }
    for (int row = 0; row < m_folders.size(); ++row) {
        if (!copy && m_folders[row].fid == m_currentFolder)
            continue;
        QAction* a = menu->addAction(m_folders[row].name);
        a->setData(m_folders[row].fid);
        connect(a, &QAction::triggered, this, [this, row, copy] { dropProjectsOnFolder(row, copy); });
    }
}

void MenuForm::openFolderWindow()
{
    if (!askToSaveEdits())
        return;
    FolderMakeForm form(m_storage, FolderStore::Kind::Projects, this);
    form.exec();
    refreshFolders();
    bool stillThere = false;
    for (const FolderItem& f : std::as_const(m_folders))
        stillThere = stillThere || f.fid == m_currentFolder;
    if (!stillThere && !m_folders.isEmpty())
        selectFolder(0);
    else
        fillProjectList();
}

void MenuForm::lookUpAddress()
{
    AdrFormChooser windowChooser(this);
    PostalLookup lookup(m_storage, m_chooser ? m_chooser : &windowChooser);
    QString code = m_post6->text();
    QString first, second;
    BusyCursor busy;
    if (lookup.codeToAddress(false, &code, &first, &second) != 0) {
        if (!lookup.errorString().isEmpty())
            common::ErrorBox(lookup.errorString());
        return;
    }
    if (code != m_post6->text())
        m_post6->setText(code);
    m_addr6->setText(first + second);
}

void MenuForm::lookUpPostalCode()
{
    AdrFormChooser windowChooser(this);
    PostalLookup lookup(m_storage, m_chooser ? m_chooser : &windowChooser);
    BusyCursor busy;
    const QString code = lookup.addressToCode(false, m_addr6->text());
    if (!lookup.errorString().isEmpty()) {
        common::ErrorBox(lookup.errorString());
        return;
    }
    if (code.isEmpty()) {
        statusBar()->showMessage(QStringLiteral("住所に該当する郵便番号が見つかりません。"), kNoteTimeoutMs);
        return;
    }
    m_post6->setText(code);
}

bool MenuForm::checkFloorCounts()
{
    for (int i = 0; i < m_buildingCount && i < ProjectTables::kBuildings; ++i) {
        const RowValues& b = m_project.buildings[i];
        if (!m_project.text(b, QStringLiteral("Kai30")).isEmpty() || !m_project.text(b, QStringLiteral("Kai31")).isEmpty())
            continue;
        Prompter::current().show({PromptTitle::MissingEntry,
                                  QStringLiteral("%1棟目の建物別登録で、地上・地下の階数が設定されていません\n\n"
                                                 "【建別】の建物別概要登録を開きます。")
                                      .arg(i + 1),
                                  Prompter::Icon::Warning, Prompter::Ok, Prompter::Ok});
        runCommand(QStringLiteral("btnTatemonoBetu"));
        return false;
    }
    return true;
}

int MenuForm::folderRowAt(const QPoint& viewportPos) const
{
    QTreeWidgetItem* item = m_folderList->itemAt(viewportPos);
    return item ? m_folderList->indexOfTopLevelItem(item) : -1;
}

void MenuForm::startProjectDrag(Qt::MouseButton button)
{
    if (selectedBids().isEmpty())
        return;
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kProjectMime), button == Qt::RightButton ? "copy" : "move");
    auto* drag = new QDrag(m_projectList);
    drag->setMimeData(mime);
    const QStyle::StandardPixmap icon = button == Qt::RightButton ? QStyle::SP_FileDialogNewFolder : QStyle::SP_FileIcon;
    drag->setPixmap(style()->standardIcon(icon).pixmap(32, 32));
    drag->exec(button == Qt::RightButton ? Qt::CopyAction : Qt::MoveAction);
}

bool MenuForm::checkProjectExists()
{
    if (hasProject())
        return true;
    common::WarningBox(QStringLiteral("物件登録が行われていません、別件の新規作成を行ってください。"));
    return false;
}

void MenuForm::showUnavailable(const QString& feature)
{
    statusBar()->showMessage(QStringLiteral("「%1」はまだ利用できません。").arg(feature), kNoteTimeoutMs);
}

void MenuForm::showHelp()
{
    QString page;
    switch (m_tabs->currentIndex()) {
    case ScheduleTab:
        page = QStringLiteral("MANUAL/scajule.html");
        break;
    case PhotoTab:
        page = QStringLiteral("MANUAL/photo.html");
        break;
    default:
        page = QStringLiteral("MANUAL/main.html");
        break;
    }
    showManualPage(page);
}

void MenuForm::showManualPage(const QString& page)
{
    if (!m_help)
        m_help = new HelpForm(this);
    m_help->showPage(AppDir::file(page));
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

void MenuForm::showCalculator()
{
    if (!m_calculator)
        m_calculator = new cal1(this);
    m_calculator->show();
    m_calculator->raise();
    m_calculator->activateWindow();
}

void MenuForm::showVersion()
{
    QString version = QCoreApplication::applicationVersion();
    if (version.isEmpty())
        version = QStringLiteral("―");
    Prompter::current().show({QStringLiteral("バージョン情報"),
                              QStringLiteral("%1\nバージョン %2").arg(kProgramName, version),
                              Prompter::Icon::Information, Prompter::Ok, Prompter::Ok});
}

// ---------------------------------------------------------------- header fields

void MenuForm::setBuildingCount(int count)
{
    m_tousu->setValue(qBound(1, count, 3));
}

void MenuForm::headerFieldChanged()
{
    if (m_loading)
        return;
    m_headerChanged = true;
    if (m_projectList->topLevelItemCount() > 0)
        m_actions.value(QStringLiteral("VoucherSave"))->setEnabled(true);
}

// A header text is printed on the forms: what will not fit its box is
// told while typing, and what no box can print is not taken.
void MenuForm::checkHeaderFit(QLineEdit* field)
{
    const BoxFit& fit = BoxFit::shared();
    const QString table = QStringLiteral("GAIYOU");
    const QString column = field->objectName();
    const QString typed = field->text();
    const QString before = m_fitBefore.value(field);
    QString note;
    if (typed.size() > before.size() && fit.judge(table, column, typed).verdict == BoxFit::Verdict::TooLong) {
        // Text added at the end is kept as far as it prints; any other
        // change past the limit is taken back whole.
        QString allowed = typed.startsWith(before) ? fit.longestPrintable(table, column, typed) : before;
        if (allowed.size() < before.size())
            allowed = before;
        QApplication::beep();
        field->setText(allowed);
        note = QStringLiteral("印刷の枠（%1）に入りきらないため、%2 文字までしか入力できません。")
                   .arg(fit.judge(table, column, typed).where)
                   .arg(fit.longestPrintable(table, column, typed).size());
    } else {
        note = BoxFit::describe(fit.judge(table, column, typed));
    }
    field->setToolTip(note);
    if (!note.isEmpty())
        statusBar()->showMessage(note, kNoteTimeoutMs);
    else
        statusBar()->clearMessage();
}

void MenuForm::buildingCountChanged(int count)
{
    if (count == m_buildingCount)
        return;
    m_buildingCount = count;
    if (m_loading)
        return;
    m_headerChanged = true;
    m_actions.value(QStringLiteral("VoucherSave"))->setEnabled(true);
}

void MenuForm::moveToNextField(QWidget* from)
{
    const int i = m_headerFields.indexOf(from);
    // The last field keeps the focus: Enter never wraps round to the top.
    if (i < 0 || i + 1 >= m_headerFields.size())
        return;
    QWidget* next = m_headerFields.at(i + 1);
    next->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(next)) {
        edit->deselect();
        edit->end(false);
    }
}

void MenuForm::setHighlighted(QWidget* field, bool on)
{
    if (on) {
        QPalette p = field->palette();
        p.setColor(QPalette::Base, Qt::black);
        p.setColor(QPalette::Text, Qt::white);
        field->setPalette(p);
    } else {
        field->setPalette(QPalette());
    }
}

bool MenuForm::eventFilter(QObject* watched, QEvent* event)
{
    auto* widget = qobject_cast<QWidget*>(watched);
    if (watched == m_projectList && event->type() == QEvent::ContextMenu) {
        // The menu key (Shift+F10) opens the project's menu at the current project.
        if (QTreeWidgetItem* item = m_projectList->currentItem()) {
            updateCheckCount();
            const QRect r = m_projectList->visualItemRect(item);
            m_projectMenu->popup(m_projectList->viewport()->mapToGlobal(r.bottomLeft()));
        }
        return true;
    }
    if (watched == m_projectList) {
        return QMainWindow::eventFilter(watched, event);
    }
    if (watched == m_projectList->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            const auto* me = static_cast<QMouseEvent*>(event);
            m_dragButton = (me->button() == Qt::LeftButton || me->button() == Qt::RightButton) ? me->button() : Qt::NoButton;
            m_dragStart = me->position().toPoint();
        } else if (event->type() == QEvent::MouseMove && m_dragButton != Qt::NoButton) {
            const auto* me = static_cast<QMouseEvent*>(event);
            if ((me->buttons() & m_dragButton)
                && (me->position().toPoint() - m_dragStart).manhattanLength() >= QApplication::startDragDistance()) {
                const Qt::MouseButton button = m_dragButton;
                m_dragButton = Qt::NoButton;
                startProjectDrag(button);
                return true;
            }
        } else if (event->type() == QEvent::MouseButtonRelease) {
            // A right click that did not become a copying drag opens the project's menu.
            const auto* me = static_cast<QMouseEvent*>(event);
            const bool menu = me->button() == Qt::RightButton && m_dragButton == Qt::RightButton
                              && m_projectList->itemAt(me->position().toPoint());
            m_dragButton = Qt::NoButton;
            if (menu) {
                updateCheckCount();
                m_projectMenu->popup(me->globalPosition().toPoint());
                return true;
            }
        } else if (event->type() == QEvent::ContextMenu) {
            return true;  // the release above opens it: no menu of the main window
        } else if (event->type() == QEvent::Resize) {
            fillProjectColumns();
        }
        return QMainWindow::eventFilter(watched, event);
    }
    if (watched == m_folderList->viewport()) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* de = static_cast<QDropEvent*>(event);
            const bool ours = de->mimeData()->hasFormat(QString::fromLatin1(kProjectMime));
            // The drag is taken as soon as it enters the list, wherever it
            // enters: a refused entry gets no further move events, so a drag
            // coming in between rows could never reach a folder.
            const bool overRow = folderRowAt(de->position().toPoint()) >= 0;
            if (ours && (overRow || event->type() == QEvent::DragEnter)) {
                const bool copy = de->mimeData()->data(QString::fromLatin1(kProjectMime)) == "copy";
                de->setDropAction(copy ? Qt::CopyAction : Qt::MoveAction);
                de->accept();
                if (!overRow)
                    de->setDropAction(Qt::IgnoreAction);
            } else {
                de->ignore();
            }
            return true;
        }
        case QEvent::Drop: {
            auto* de = static_cast<QDropEvent*>(event);
            if (!de->mimeData()->hasFormat(QString::fromLatin1(kProjectMime)))
                return false;
            const bool copy = de->mimeData()->data(QString::fromLatin1(kProjectMime)) == "copy";
            const int row = folderRowAt(de->position().toPoint());
            if (row < 0) {
                de->ignore();
                return true;
            }
            de->acceptProposedAction();
            // After the drag's own event loop has ended.
            QTimer::singleShot(0, this, [this, row, copy] { dropProjectsOnFolder(row, copy); });
            return true;
        }
        default:
            return QMainWindow::eventFilter(watched, event);
        }
    }
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            break;
        if (widget == m_telText) {
            runCommand(QStringLiteral("SrchBtn2"));
            return true;
        }
        if (m_headerFields.contains(widget)) {
            if (widget == m_post6)
                runCommand(QStringLiteral("PostBtn"));
            if (widget == m_tousu)
                m_tousu->interpretText();
            moveToNextField(widget);
            return true;
        }
        break;
    }
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        // Text fields only: a drop-down keeps its own look.
        if (qobject_cast<QLineEdit*>(widget) && m_headerFields.contains(widget))
            setHighlighted(widget, event->type() == QEvent::FocusIn);
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

cal1* MenuForm::calculatorWindow() const
{
    return m_calculator;
}
