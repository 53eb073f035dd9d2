#include "MenuForm.h"

#include "AppDir.h"
#include "GuiCommon.h"
#include "HelpForm.h"
#include "HistoryPage.h"
#include "MenuCommands.h"
#include "PhotoPage.h"
#include "Prompter.h"
#include "Recordset.h"
#include "SchedulePage.h"
#include "ScheduleStore.h"
#include "ShinseiCheck.h"
#include "Storage.h"
#include "WindowPlacement.h"
#include "WindowSettings.h"
#include "cal1.h"
#include "common.h"

#include <QAction>
#include <QCalendarWidget>
#include <QCloseEvent>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString kQuestionsPage = QStringLiteral("https://www.shinseidesk.jp/faq/");
const QString kProgramName = QStringLiteral("ShinseiDesk 建築確認申請");
const QString kSaveKey = QStringLiteral("VoucherSave");

// The project list's width as laid out; the first start derives the column
// widths from it before the window has ever been shown.
constexpr int kProjectListDesignWidth = 420;
constexpr int kNoteTimeoutMs = 8000;

const CommandRegistry& noCommands()
{
    static const CommandRegistry none;
    return none;
}

}  // namespace

MenuForm::MenuForm(Storage& storage, QWidget* parent)
    : MenuForm(storage, noCommands(), parent)
{
}

MenuForm::MenuForm(Storage& storage, const CommandRegistry& commands, QWidget* parent)
    : QMainWindow(parent)
    , m_storage(storage)
    , m_commands(commands)
{
    setObjectName(QStringLiteral("MenuForm"));
    setWindowTitle(kProgramName);
    GuiCommon::fitToScreen(this, {1180, 780});

    buildCommands();
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

    // Start-up order: nothing is edited yet, the code lists, then the place
    // the user left the window in.
    setEdited(false);
    m_header->fillCodeLists();
    restoreWindowSettings();
    m_calendar->setSelectedDate(QDate::currentDate());
    m_calendar->setCurrentPage(QDate::currentDate().year(), QDate::currentDate().month());
}

MenuForm::~MenuForm() = default;

bool MenuForm::isEdited() const
{
    return m_bar.actions.value(kSaveKey)->isEnabled();
}

void MenuForm::setEdited(bool on)
{
    m_bar.actions.value(kSaveKey)->setEnabled(on);
}

HelpForm* MenuForm::helpForm() const
{
    return m_help.data();
}

QAction* MenuForm::action(const QString& key) const
{
    return m_bar.actions.value(key, nullptr);
}

cal1* MenuForm::calculatorWindow() const
{
    return m_calculator;
}

// ---------------------------------------------------------------- building

void MenuForm::buildCommands()
{
    m_bar = MenuCommands::build(*this, [this](const QString& key) { runCommand(key); });
    connect(m_bar.outputMenu, &QMenu::aboutToShow, this, &MenuForm::updateCheckCount);
    // Without a PDF handler the PDF items are not shown.
    MenuCommands::DocumentRun pdf;
    if (m_commands.pdfHandler())
        pdf = [this](int sheet, const QString& name) { runPdf(sheet, name); };
    MenuCommands::addDocuments(m_bar.outputMenu, [this](int sheet, const QString& name) { runOutput(sheet, name); }, pdf);
}

QWidget* MenuForm::buildProjectTab()
{
    m_register = new ProjectRegisterPanel(m_storage);
    m_register->setLeaveGuard([this] { return askToSaveEdits(); });
    m_register->addFolderMenus(m_bar.folderMenu);
    m_header = new ProjectHeaderPanel(m_storage);

    const auto run = [this](const QString& key) { runCommand(key); };
    connect(m_register, &ProjectRegisterPanel::commandRequested, this, run);
    connect(m_header, &ProjectHeaderPanel::commandRequested, this, run);
    connect(m_register, &ProjectRegisterPanel::note, this, &MenuForm::showNote);
    connect(m_header, &ProjectHeaderPanel::note, this, &MenuForm::showNote);
    connect(m_register, &ProjectRegisterPanel::projectChosen, this, &MenuForm::projectChosen);
    connect(m_register, &ProjectRegisterPanel::editsDropped, this, [this] {
        m_headerChanged = false;
        m_scheduleChanged = false;
        setEdited(false);
    });
    connect(m_register, &ProjectRegisterPanel::projectMenuRequested, this, [this](const QPoint& at) {
        updateCheckCount();
        m_bar.projectMenu->popup(at);
    });
    connect(m_header, &ProjectHeaderPanel::fieldsEdited, this, [this] { headerEdited(false); });
    connect(m_header, &ProjectHeaderPanel::buildingCountEdited, this, [this] { headerEdited(true); });

    auto* right = new QWidget;
    auto* rl = new QVBoxLayout(right);
    rl->setContentsMargins(0, 0, 0, 0);
    rl->addWidget(m_header);
    rl->addWidget(m_register->searchBox());
    rl->addStretch(1);

    auto* split = new QSplitter(Qt::Horizontal);
    split->setObjectName(QStringLiteral("MainSplitter"));
    split->addWidget(m_register);
    split->addWidget(right);
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    split->setChildrenCollapsible(false);
    split->setSizes({kProjectListDesignWidth, 700});

    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(split);
    return page;
}

QWidget* MenuForm::buildScheduleTab()
{
    m_scheduleTab = new SchedulePage(m_storage);
    m_calendar = m_scheduleTab->calendar();
    connect(m_scheduleTab, &SchedulePage::changed, this, [this] {
        m_scheduleChanged = true;
        setEdited(true);
    });
    connect(m_scheduleTab, &SchedulePage::mailRequested, this, [this](const QString& subject, const QString& body) {
        if (const CommandRegistry::MailHandler& handler = m_commands.mailHandler())
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

void MenuForm::restoreWindowSettings()
{
    const QScreen* scr = screen() ? screen() : QGuiApplication::primaryScreen();
    const int screenRight = scr ? scr->availableVirtualGeometry().right() + 1 : 0;
    const int dpiX = logicalDpiX();
    const int dpiY = logicalDpiY();

    WindowSettings::Placement placement;
    QString error;
    if (!WindowSettings::restore(m_storage, WindowPlacement::toTwips(kProjectListDesignWidth, dpiX),
                                 WindowPlacement::toTwips(width(), dpiX), WindowPlacement::toTwips(pos().x(), dpiX),
                                 WindowPlacement::toTwips(screenRight, dpiX), &placement, &error)) {
        common::ErrorBox(error);
        return;
    }
    if (placement.left || placement.top) {
        // A place kept on a larger screen would leave the bottom of the window out of reach.
        GuiCommon::placeOnScreen(this, {placement.left ? WindowPlacement::toPixels(*placement.left, dpiX) : pos().x(),
                                        placement.top ? WindowPlacement::toPixels(*placement.top, dpiY) : pos().y()});
    }
    QHeaderView* header = projectList()->header();
    header->resizeSection(0, WindowPlacement::toPixels(placement.column1, dpiX));
    header->resizeSection(1, WindowPlacement::toPixels(placement.column2, dpiX));
}

void MenuForm::saveWindowSettings()
{
    // A maximised or minimised window is remembered where it will reopen.
    const QPoint where = (isMaximized() || isMinimized()) ? normalGeometry().topLeft() : pos();
    const QHeaderView* header = projectList()->header();
    const int dpiX = logicalDpiX();
    QString error;
    if (!WindowSettings::save(m_storage, WindowPlacement::toTwips(where.y(), logicalDpiY()), WindowPlacement::toTwips(where.x(), dpiX),
                              WindowPlacement::toTwips(header->sectionSize(0), dpiX),
                              WindowPlacement::toTwips(header->sectionSize(1), dpiX), &error))
        common::ErrorBox(error);
}

void MenuForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // The list has its size once the window is laid out on the screen.
    QTimer::singleShot(0, m_register, &ProjectRegisterPanel::fillColumns);
    if (m_started)
        return;
    m_started = true;
    // The first time the window comes up it opens the first folder and its
    // first project, so the user starts where the work is.
    refreshFolders();
    if (!folders().isEmpty())
        selectFolder(0);
}

void MenuForm::saveProject()
{
    if (!m_project.isLoaded()) {
        // Without a project there is nowhere to write the edits to.
        m_headerChanged = false;
        m_scheduleChanged = false;
        setEdited(false);
        return;
    }
    BusyCursor busy;
    QString error;
    if (m_headerChanged) {
        QStringList kept;
        if (!ProjectRegister(m_storage).saveHeader(m_project, m_header->values(), buildingCount(), &kept, &error)) {
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
    setEdited(false);
    // Changed names show in the list; the project is read back as stored.
    m_register->fillProjectList();
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

void MenuForm::runCommand(const QString& key)
{
    using MenuCommands::Needs;
    using MenuCommands::Run;
    const MenuCommands::Command* command = MenuCommands::find(key);
    if (!command)
        return;
    if (command->runs) {
        runCommand(QString::fromLatin1(command->runs));
        return;
    }
    const bool ready = command->needs == Needs::Nothing
                       || (command->needs == Needs::StoredProject ? prepareOutput() : checkProjectExists());
    if (!ready || (command->needs == Needs::FloorCounts && !checkFloorCounts()))
        return;
    switch (command->run) {
    case Run::Opener:
        if (const CommandRegistry::WindowOpener opener = m_commands.opener(key))
            opener(*this);
        else
            showUnavailable(QString::fromUtf8(command->feature));
        return;
    case Run::NewProject: return newProject();
    case Run::DeleteProject: return deleteSelectedProjects();
    case Run::Save: return saveProject();
    case Run::FolderWindow: return openFolderWindow();
    case Run::PostToAddress: return lookUpAddress();
    case Run::AddressToPost: return lookUpPostalCode();
    case Run::PhoneSearch: return phoneSearch();
    case Run::Exit: return exitApplication();
    case Run::Calculator: return showCalculator();
    case Run::Help: return showHelp();
    case Run::Manual: return showManualPage(QStringLiteral("MANUAL/index.html"));
    case Run::Questions: GuiCommon::OpenInBrowser(kQuestionsPage); return;
    case Run::Version: return showVersion();
    case Run::Nothing: return;
    }
}

void MenuForm::runOutput(int sheet, const QString& name)
{
    const CommandRegistry::OutputHandler& handler = m_commands.outputHandler();
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
    const CommandRegistry::PdfHandler& handler = m_commands.pdfHandler();
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
    QAction* a = m_bar.actions.value(QStringLiteral("CheckBtn"));
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

bool MenuForm::checkProjectExists()
{
    if (hasProject())
        return true;
    common::WarningBox(QStringLiteral("物件登録が行われていません、別件の新規作成を行ってください。"));
    return false;
}

bool MenuForm::checkFloorCounts()
{
    for (int i = 0; i < buildingCount() && i < ProjectTables::kBuildings; ++i) {
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

void MenuForm::showUnavailable(const QString& feature)
{
    showNote(QStringLiteral("「%1」はまだ利用できません。").arg(feature));
}

void MenuForm::showNote(const QString& text)
{
    if (text.isEmpty())
        statusBar()->clearMessage();
    else
        statusBar()->showMessage(text, kNoteTimeoutMs);
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

// ---------------------------------------------------------------- the current project

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
    setEdited(false);
    return true;
}

void MenuForm::projectChosen(const ProjectData& project)
{
    m_project = project;
    if (m_project.isLoaded()) {
        showProject();
        m_header->focusFirst();
        return;
    }
    // An empty folder: nothing is loaded, nothing can be edited.
    m_header->clear();
    m_scheduleTab->setProject(nullptr);
    m_photoTab->setFolder(QString());
    m_headerChanged = false;
    setEdited(false);
    m_bar.actions.value(QStringLiteral("DelVoucher"))->setEnabled(false);
    emit projectLoaded();
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
    m_header->showProject(m_project);
    m_scheduleTab->setProject(&m_project);
    const QString photo = m_project.text(m_project.gaiyou, QStringLiteral("PHOTO_FLD"));
    m_photoTab->setFolder(photo.isEmpty() ? QString() : AppDir::file(photo));
    m_headerChanged = false;
    m_scheduleChanged = false;
    m_bar.actions.value(QStringLiteral("DelVoucher"))->setEnabled(true);
    setEdited(false);
    emit projectLoaded();
}

void MenuForm::headerEdited(bool countChanged)
{
    m_headerChanged = true;
    // Text typed while the folder lists no project has nowhere to go; the
    // building count is taken as an edit all the same.
    if (countChanged || projectList()->topLevelItemCount() > 0)
        setEdited(true);
}
