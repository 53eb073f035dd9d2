#include "M_UserMasterForm.h"

#include "GuiCommon.h"
#include "AppDir.h"
#include "CustomerCsv.h"
#include "FileDialogs.h"
#include "FolderMakeForm.h"
#include "FolderStore.h"
#include "MasterTable.h"
#include "PrnCommon.h"
#include "Prompter.h"
#include "UserCsvImportForm.h"
#include "UserSearchForm.h"
#include "common.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

using GuiCommon::namedButton;

namespace {

const QString kCsvFilterSjis = QStringLiteral("CSVファイル Shift_JIS・Excel向け (*.csv)");
const QString kCsvFilterUtf8 = QStringLiteral("CSVファイル UTF-8 (*.csv)");

M_UserMasterForm::FileChoice askFile(QWidget* parent, bool save, const QString& startPath)
{
    M_UserMasterForm::FileChoice choice;
    QString filter;
    if (save) {
        // The overwrite question is the window's own ("上書き確認").
        choice.path = FileDialogs::saveFile(parent, QStringLiteral("CSVファイルの選択"), startPath,
                                            kCsvFilterSjis + QStringLiteral(";;") + kCsvFilterUtf8, &filter, false);
        choice.utf8 = filter == kCsvFilterUtf8;
        if (!choice.path.isEmpty() && !choice.path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
            choice.path += QStringLiteral(".csv");
    } else {
        choice.path = FileDialogs::openFile(parent, QStringLiteral("CSVファイルの選択"), startPath,
                                            QStringLiteral("CSVファイル (*.csv);;すべてのファイル (*)"));
    }
    return choice;
}

QLineEdit* lineEdit(const char* name, int maxWidth = 0)
{
    QLineEdit* e = GuiCommon::namedEdit(name);
    if (maxWidth > 0)
        e->setMaximumWidth(maxWidth);
    return e;
}

}  // namespace

M_UserMasterForm::M_UserMasterForm(Storage& storage, QWidget* parent)
    : MasterForm(storage, QStringLiteral("CloseBtn"), QStringLiteral("閉じる"), QString(), parent)
    , m_store(storage)
    , m_fileChooser(askFile)
{
    setObjectName(QStringLiteral("M_UserMasterForm"));
    setWindowTitle(QStringLiteral("顧客登録"));
    setHelpPage(QStringLiteral("user_master.html"));
    resize(1020, 640);

    m_menuBar = new QMenuBar(this);
    QMenu* file = m_menuBar->addMenu(QStringLiteral("ファイル(&F)"));
    auto menuItem = [&](const char* name, const QString& text, void (M_UserMasterForm::*slot)()) {
        QAction* a = file->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, slot);
    };
    menuItem("mnCSVRead", QStringLiteral("CSVファイル読込(&R)"), &M_UserMasterForm::importCsv);
    menuItem("mnCSVWrite", QStringLiteral("CSVファイル保存(&W)"), &M_UserMasterForm::exportCsv);
    file->addSeparator();
    menuItem("mnFolderMake", QStringLiteral("フォルダ作成(&M)"), &M_UserMasterForm::openFolderEditor);

    m_folderList = new QTreeWidget;
    m_folderList->setObjectName(QStringLiteral("ListView1"));
    m_folderList->setHeaderLabels({QStringLiteral("フォルダ")});
    m_folderList->setRootIsDecorated(false);
    m_folderList->setUniformRowHeights(true);
    m_folderList->setAcceptDrops(true);
    m_folderList->viewport()->setAcceptDrops(true);
    m_folderList->viewport()->installEventFilter(this);
    connect(m_folderList, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { selectFolder(m_folderList->indexOfTopLevelItem(item)); });

    QTreeWidget* list = recordList();
    list->setObjectName(QStringLiteral("UserListView"));
    list->setHeaderLabels({QStringLiteral("姓名"), QStringLiteral("都道府県"), QStringLiteral("メールアドレス")});
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // A press on a row of a selection keeps the selection, so that several
    // customers can be dragged; the drag itself is started here.
    list->setDragEnabled(true);
    // The right button drags copies; its pop-up comes on a release without a drag.
    list->setContextMenuPolicy(Qt::NoContextMenu);
    list->viewport()->installEventFilter(this);

    auto* left = new QSplitter(Qt::Vertical);
    left->addWidget(m_folderList);
    auto* listBox = new QWidget;
    auto* listLayout = new QVBoxLayout(listBox);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->addWidget(list, 1);
    listLayout->addWidget(emptyLabel());
    left->addWidget(listBox);
    left->setStretchFactor(0, 1);
    left->setStretchFactor(1, 3);

    m_prnBtn = namedButton("PrnBtn", QStringLiteral("印刷"));
    connect(m_prnBtn, &QPushButton::clicked, this, &M_UserMasterForm::printSheet);
    auto* right = new QVBoxLayout;
    right->addWidget(buildFields(), 1);
    right->addLayout(buttonRow({m_prnBtn}));

    auto* body = new QHBoxLayout;
    body->addWidget(left, 2);
    body->addLayout(right, 3);
    auto* root = new QVBoxLayout(this);
    root->setMenuBar(m_menuBar);
    root->addLayout(body);

    if (!m_store.loadZones(&m_zones))
        common::ErrorBox(m_store.errorString());
    fillPrefectures(m_addr11, m_zones);
    refreshFolders();

    sendButton()->setEnabled(canTransfer());
    restorePlacement();
    setEdited(false);
    setEmptyState(true);
}

QWidget* M_UserMasterForm::buildFields()
{
    auto* panel = new QWidget;
    auto* v = new QVBoxLayout(panel);
    v->setContentsMargins(0, 0, 0, 0);

    auto* person = new QGroupBox(QStringLiteral("顧客情報"));
    auto* pg = new QGridLayout(person);
    for (int i = 0; i < 2; ++i) {
        m_name[i] = lineEdit(i == 0 ? "NameText0" : "NameText1");
        m_furi[i] = lineEdit(i == 0 ? "FuriText0" : "FuriText1");
    }
    pg->addWidget(new QLabel(QStringLiteral("氏名")), 0, 0);
    pg->addWidget(m_name[0], 0, 1);
    pg->addWidget(m_name[1], 0, 2);
    pg->addWidget(new QLabel(QStringLiteral("ふりがな")), 1, 0);
    pg->addWidget(m_furi[0], 1, 1);
    pg->addWidget(m_furi[1], 1, 2);

    m_sexFrame = new QGroupBox(QStringLiteral("性別"));
    m_sexFrame->setObjectName(QStringLiteral("SexFrame"));
    auto* sh = new QHBoxLayout(m_sexFrame);
    m_sexGroup = new QButtonGroup(this);
    for (int i = 0; i < 2; ++i) {
        m_sexFlg[i] = new QRadioButton(i == 0 ? QStringLiteral("女性") : QStringLiteral("男性"));
        m_sexFlg[i]->setObjectName(i == 0 ? QStringLiteral("SexFlg0") : QStringLiteral("SexFlg1"));
        m_sexGroup->addButton(m_sexFlg[i], i + 1);
        sh->addWidget(m_sexFlg[i]);
    }
    sh->addStretch(1);
    m_bornDay = lineEdit("BornDay", 160);
    pg->addWidget(m_sexFrame, 2, 0, 1, 2);
    auto* born = new QHBoxLayout;
    born->addWidget(new QLabel(QStringLiteral("生年月日")));
    born->addWidget(m_bornDay);
    pg->addLayout(born, 2, 2);
    m_corp = lineEdit("Corp1");
    m_position = lineEdit("Position");
    pg->addWidget(new QLabel(QStringLiteral("会社名")), 3, 0);
    pg->addWidget(m_corp, 3, 1, 1, 2);
    pg->addWidget(new QLabel(QStringLiteral("部署")), 4, 0);
    pg->addWidget(m_position, 4, 1, 1, 2);
    v->addWidget(person);

    m_adrFrame = new QGroupBox(QStringLiteral("住所"));
    m_adrFrame->setObjectName(QStringLiteral("AdrFrame"));
    auto* ag = new QGridLayout(m_adrFrame);
    m_post = lineEdit("Post1", 120);
    auto* adrBtn = namedButton("AdrBtn", QStringLiteral("住所"));
    adrBtn->setToolTip(QStringLiteral("郵便番号から住所を入力します。"));
    auto* postBtn = namedButton("PostBtn", QStringLiteral("〒"));
    postBtn->setToolTip(QStringLiteral("住所から郵便番号を入力します。"));
    auto* postRow = new QHBoxLayout;
    postRow->addWidget(m_post);
    postRow->addWidget(adrBtn);
    postRow->addWidget(postBtn);
    postRow->addStretch(1);
    m_addr11 = new QComboBox;
    m_addr11->setObjectName(QStringLiteral("Addr11"));
    m_addr11->setMaximumWidth(160);
    m_addr12 = lineEdit("ADR12");
    m_addr13 = lineEdit("ADR13");
    ag->addWidget(new QLabel(QStringLiteral("郵便番号")), 0, 0);
    ag->addLayout(postRow, 0, 1);
    ag->addWidget(new QLabel(QStringLiteral("住所１")), 1, 0);
    ag->addWidget(m_addr11, 1, 1);
    ag->addWidget(new QLabel(QStringLiteral("住所２")), 2, 0);
    ag->addWidget(m_addr12, 2, 1);
    ag->addWidget(new QLabel(QStringLiteral("住所３")), 3, 0);
    ag->addWidget(m_addr13, 3, 1);
    v->addWidget(m_adrFrame);

    auto* contact = new QGroupBox(QStringLiteral("連絡先"));
    auto* cg = new QGridLayout(contact);
    m_tel = lineEdit("Tell1");
    m_fax = lineEdit("Fax1");
    m_handy = lineEdit("HandyPhon1");
    m_mail = lineEdit("E_Mail1");
    m_url = lineEdit("URL1");
    m_mailTo = namedButton("Mail_To", QStringLiteral("メール"));
    m_mailTo->setToolTip(QStringLiteral("このアドレスにメールを作成します。"));
    m_urlTo = namedButton("URL_To", QStringLiteral("URL"));
    m_urlTo->setToolTip(QStringLiteral("このホームページをブラウザで開きます。"));
    cg->addWidget(new QLabel(QStringLiteral("電話番号")), 0, 0);
    cg->addWidget(m_tel, 0, 1);
    cg->addWidget(new QLabel(QStringLiteral("FAX番号")), 0, 2);
    cg->addWidget(m_fax, 0, 3);
    cg->addWidget(new QLabel(QStringLiteral("携帯電話")), 1, 0);
    cg->addWidget(m_handy, 1, 1);
    cg->addWidget(m_mailTo, 2, 0);
    cg->addWidget(m_mail, 2, 1, 1, 3);
    cg->addWidget(m_urlTo, 3, 0);
    cg->addWidget(m_url, 3, 1, 1, 3);
    v->addWidget(contact);

    auto* search = new QHBoxLayout;
    m_telSearch = lineEdit("TelText", 200);
    m_srchBtn2 = namedButton("SrchBtn2", QStringLiteral("実行"));
    m_srchBtn = namedButton("SrchBtn", QStringLiteral("条件検索"));
    m_srchBtn->setToolTip(QStringLiteral("顧客名を条件付検索ができます。"));
    search->addWidget(new QLabel(QStringLiteral("電話番号で検索：")));
    search->addWidget(m_telSearch);
    search->addWidget(m_srchBtn2);
    search->addStretch(1);
    search->addWidget(m_srchBtn);
    v->addLayout(search);
    v->addStretch(1);

    connect(m_mailTo, &QPushButton::clicked, this, [this] { openMail(m_mail->text()); });
    connect(m_urlTo, &QPushButton::clicked, this, [this] { openUrl(m_url->text()); });
    connect(m_srchBtn2, &QPushButton::clicked, this, &M_UserMasterForm::searchByPhone);
    connect(m_telSearch, &QLineEdit::returnPressed, this, &M_UserMasterForm::searchByPhone);
    connect(m_srchBtn, &QPushButton::clicked, this, &M_UserMasterForm::conditionSearch);

    for (QWidget* w : std::initializer_list<QWidget*>{m_name[0], m_name[1], m_furi[0], m_furi[1], m_sexFlg[0], m_sexFlg[1],
                                                      m_bornDay, m_corp, m_position, m_post, m_addr11, m_addr12, m_addr13,
                                                      m_tel, m_fax, m_handy, m_mail, m_url})
        watch(w);
    setEnterOrder({m_name[0], m_name[1], m_furi[0], m_furi[1], m_bornDay, m_sexFlg[0], m_sexFlg[1], m_corp, m_position,
                   m_post, m_addr12, m_addr13, m_tel, m_fax, m_handy, m_mail, m_url, applyButton()});
    addPostalBlock(m_post, m_addr11, m_addr12, m_addr13, adrBtn, postBtn);
    copyOnLeave(m_tel, m_fax);
    setEntryWidgets({person, m_adrFrame, contact, m_prnBtn});
    return panel;
}

// ---------------------------------------------------------------- opening

void M_UserMasterForm::openWithFolder(qint64 folderId)
{
    m_openFolder = folderId;
}

void M_UserMasterForm::openWithFound(const CustomerHit& hit)
{
    m_openFound = true;
    m_found = hit;
}

void M_UserMasterForm::firstShown()
{
    if (m_openFolder > 0) {
        const int row = folderRowOf(m_openFolder);
        if (row >= 0)
            selectFolder(row);
    }
    if (m_openFound)
        selectFound(m_found);
}

void M_UserMasterForm::restorePlacement()
{
    QHeaderView* header = recordList()->header();
    QString error;
    // The folder list's width is the mail accounts window's to keep.
    if (!keepPlace(WindowPlacement(this, QStringLiteral("USR_TOP"), QStringLiteral("USR_LEFT"))
                       .width(header, 0, QStringLiteral("U_C1"), 170)
                       .width(header, 1, QStringLiteral("U_C2"), 80)
                       .width(header, 2, QStringLiteral("U_C3"), 200)
                       .width(m_folderList->header(), 0, QStringLiteral("ML_C1"), -1, 0, false),
                   &error))
        common::ErrorBox(error);
}

// ---------------------------------------------------------------- list and record

void M_UserMasterForm::listRecords()
{
    if (m_currentFolder <= 0)
        return;
    QVector<CustomerListItem> items;
    if (!m_store.listFolder(m_currentFolder, &items)) {
        common::ErrorBox(m_store.errorString());
        return;
    }
    QTreeWidget* list = recordList();
    // One paint for ten thousand rows instead of one per row.
    list->setUpdatesEnabled(false);
    QList<QTreeWidgetItem*> rows;
    rows.reserve(items.size());
    for (const CustomerListItem& c : items) {
        auto* item = new QTreeWidgetItem(QStringList{c.name, c.prefecture, c.email});
        item->setData(0, Qt::UserRole, c.id);
        rows.append(item);
    }
    list->addTopLevelItems(rows);
    list->setUpdatesEnabled(true);
}

QStringList M_UserMasterForm::listTextsOf(qint64 id)
{
    Customer c;
    bool found = false;
    if (!m_store.read(id, &c, &found) || !found)
        return {};
    const QString pref = c.entry.prefecture.isEmpty() ? c.prefecture2 : c.entry.prefecture;
    return {CustomerStore::listName(c.name, c.name1, c.name2), pref, c.entry.email};
}

void M_UserMasterForm::setSex(int sex)
{
    // Neither button may be chosen: the group lets go of exclusiveness to clear both.
    m_sexGroup->setExclusive(false);
    m_sexFlg[0]->setChecked(sex == CustomerEntry::Female);
    m_sexFlg[1]->setChecked(sex == CustomerEntry::Male);
    m_sexGroup->setExclusive(true);
}

void M_UserMasterForm::showRecord(qint64 id)
{
    Customer c;
    bool found = false;
    int family = 0;
    if (!m_store.read(id, &c, &found, &family)) {
        common::ErrorBox(m_store.errorString());
        return;
    }
    if (!found) {
        clearFields();
        return;
    }
    const CustomerEntry e = c.shown();
    m_name[0]->setText(e.surname);
    m_name[1]->setText(e.givenName);
    m_furi[0]->setText(e.surnameReading);
    m_furi[1]->setText(e.givenReading);
    setSex(e.sex);
    m_bornDay->setText(e.birthday);
    m_corp->setText(e.company);
    m_position->setText(e.department);
    m_post->setText(e.postalCode);
    setComboText(m_addr11, e.prefecture);
    m_addr12->setText(e.address2);
    m_addr13->setText(e.address3);
    m_tel->setText(e.telephone);
    m_fax->setText(e.fax);
    m_handy->setText(e.mobile);
    m_mail->setText(e.email);
    m_url->setText(e.url);
}

void M_UserMasterForm::clearFields()
{
    for (QLineEdit* e : {m_name[0], m_name[1], m_furi[0], m_furi[1], m_bornDay, m_corp, m_position, m_post, m_addr12,
                         m_addr13, m_tel, m_fax, m_handy, m_mail, m_url})
        e->clear();
    setComboText(m_addr11, QString());
    setSex(CustomerEntry::NotSpecified);
}

CustomerEntry M_UserMasterForm::entry() const
{
    CustomerEntry e;
    e.surname = m_name[0]->text();
    e.givenName = m_name[1]->text();
    e.surnameReading = m_furi[0]->text();
    e.givenReading = m_furi[1]->text();
    e.sex = m_sexFlg[0]->isChecked() ? CustomerEntry::Female
            : m_sexFlg[1]->isChecked() ? CustomerEntry::Male
                                       : CustomerEntry::NotSpecified;
    e.birthday = m_bornDay->text();
    e.company = m_corp->text();
    e.department = m_position->text();
    e.postalCode = m_post->text();
    e.prefecture = m_addr11->currentText();
    e.address2 = m_addr12->text();
    e.address3 = m_addr13->text();
    e.telephone = m_tel->text();
    e.fax = m_fax->text();
    e.mobile = m_handy->text();
    e.email = m_mail->text();
    e.url = m_url->text();
    return e;
}

qint64 M_UserMasterForm::createRecord()
{
    return m_store.create(m_currentFolder);
}

void M_UserMasterForm::afterCreate(qint64 id)
{
    addListItem({CustomerStore::kNewName, QString(), QString()}, id);
    setEmptyState(false);
    QTreeWidgetItem* item = recordList()->topLevelItem(recordList()->topLevelItemCount() - 1);
    recordList()->clearSelection();
    recordList()->setCurrentItem(item);
    item->setSelected(true);
    recordList()->scrollToItem(item);
    focusField(m_name[0]);
}

bool M_UserMasterForm::writeRecord(qint64 id, bool* found)
{
    return m_store.apply(id, entry(), m_zones, found);
}

QVector<QTreeWidgetItem*> M_UserMasterForm::selectedForDelete() const
{
    QVector<QTreeWidgetItem*> out;
    QTreeWidget* list = recordList();
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->isSelected())
            out << list->topLevelItem(i);
    return out;
}

QString M_UserMasterForm::deleteQuestion(const QVector<QTreeWidgetItem*>& items) const
{
    return QString::number(items.size()) + QStringLiteral("件の顧客名を削除します。　よろしいですか？");
}

bool M_UserMasterForm::removeRecords(const QVector<qint64>& ids)
{
    return m_store.remove(ids);
}

// ---------------------------------------------------------------- keys and pick

QWidget* M_UserMasterForm::nextField(QWidget* from) const
{
    // From the birthday to the chosen sex, or past the sex to the company.
    if (from == m_bornDay) {
        for (QRadioButton* r : m_sexFlg)
            if (r->isChecked())
                return r;
        return m_corp;
    }
    if (from == m_sexFlg[0] || from == m_sexFlg[1])
        return m_corp;
    return MasterForm::nextField(from);
}

void M_UserMasterForm::pickFor(int mailTarget)
{
    m_mailTarget = mailTarget;
    setPickMode(mailTarget != MailTarget::None);
    sendButton()->setEnabled(canTransfer());
}

bool M_UserMasterForm::canTransfer() const
{
    return m_mailTarget == MailTarget::To;
}

void M_UserMasterForm::fillPick(MasterPickResult& r, bool onlyShown)
{
    const CustomerEntry e = entry();
    r.source = MasterPickResult::Source::Customer;
    r.key = shownId();
    r.personName = e.surname;
    r.secondName = e.givenName;
    r.postalCode = e.postalCode;
    r.zone = QString::number(CustomerStore::zoneIdOf(e.prefecture, m_zones));
    r.address1 = e.prefecture;
    r.address2 = e.address2;
    r.address3 = e.address3;
    r.telephone = e.telephone;
    r.fax = e.fax;
    r.sex = e.sex;
    QStringList mails;
    if (onlyShown) {
        mails << e.email;
    } else {
        for (QTreeWidgetItem* item : selectedForDelete())
            mails << (itemId(item) == shownId() ? e.email : item->text(2));
        if (mails.isEmpty())
            mails << e.email;
    }
    mails.removeAll(QString());
    r.email = mails.join(QLatin1Char(','));
}

// ---------------------------------------------------------------- searches

void M_UserMasterForm::searchByPhone()
{
    if (m_telSearch->text().isEmpty())
        return;
    CustomerHit hit;
    bool found = false;
    {
        BusyCursor busy;
        if (!m_store.findByPhonePrefix(m_telSearch->text(), &hit, &found)) {
            common::ErrorBox(m_store.errorString());
            return;
        }
    }
    if (found)
        selectFound(hit);
}

void M_UserMasterForm::conditionSearch()
{
    CustomerHit hit;
    if (UserSearchForm::run(storage(), this, &hit))
        selectFound(hit);
}

void M_UserMasterForm::selectFound(const CustomerHit& hit)
{
    if (hit.firstFolder <= 0) {
        // The window lists customers only through their folders: one kept
        // in none (an import without a folder) can only be shown once it
        // stands in one.
        QTreeWidgetItem* folder = m_folderList->currentItem();
        if (!folder || m_currentFolder <= 0) {
            common::ErrorBox(QStringLiteral("この顧客はどのフォルダにも入っていないため、一覧に表示できません。"));
            return;
        }
        const Prompter::Button answer = Prompter::current().show(
            {PromptTitle::Confirm,
             QStringLiteral("この顧客はどのフォルダにも入っていないため、一覧に表示できません。\n"
                            "表示中のフォルダ「%1」に入れて表示しますか？")
                 .arg(folder->text(0)),
             Prompter::Icon::Question, Prompter::Yes | Prompter::No, Prompter::Yes});
        if (answer != Prompter::Yes)
            return;
        if (!m_store.dropOnFolder({hit.id}, 0, m_currentFolder, true, nullptr)) {
            common::ErrorBox(m_store.errorString());
            return;
        }
        relist(hit.id);
        return;
    }
    if (hit.firstFolder != m_currentFolder) {
        const int row = folderRowOf(hit.firstFolder);
        if (row >= 0)
            selectFolder(row);
    }
    if (selectId(hit.id))
        return;
    // Rows listed before the search learnt their IDs: match as the list shows them.
    QTreeWidget* list = recordList();
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list->topLevelItem(i);
        if (item->text(0) == hit.name && item->text(1) == hit.prefecture) {
            selectRow(i);
            return;
        }
    }
}

// ---------------------------------------------------------------- print and files

void M_UserMasterForm::printSheet()
{
    if (shownId() <= 0 || recordList()->topLevelItemCount() == 0)
        return;
    const Prompter::Button answer = Prompter::current().show(
        {QStringLiteral("印刷確認"), QStringLiteral("印刷を行います。よろしいですか？"), Prompter::Icon::Question,
         Prompter::Yes | Prompter::No, Prompter::Yes});
    if (answer != Prompter::Yes)
        return;
    const CustomerEntry e = entry();
    BusyCursor busy;
    PrnCommon::PrintText(CustomerStore::dataSheet(e), {}, QStringLiteral("顧客データ_%1%2").arg(e.surname, e.givenName));
}

void M_UserMasterForm::exportCsv()
{
    const FileChoice choice = m_fileChooser(this, true, AppDir::file(QStringLiteral("顧客マスター.csv")));
    if (choice.path.isEmpty())
        return;
    if (FileDialogs::refuseOwnFile(choice.path))
        return;
    if (QFile::exists(choice.path)
        && Prompter::current().show({QStringLiteral("上書き確認"),
                                     QStringLiteral("同じファイルが存在します。　上書きしてもよろしいですか？"),
                                     Prompter::Icon::Question, Prompter::Yes | Prompter::No, Prompter::No})
               != Prompter::Yes)
        return;
    int rows = 0;
    int unmappable = 0;
    QString error;
    bool ok = false;
    {
        BusyCursor busy;
        ok = CustomerCsv::exportFile(storage(), choice.path, choice.utf8, &rows, &unmappable, &error);
    }
    if (!ok) {
        common::ErrorBox(error);
        return;
    }
    QString text = rows == 0 ? QStringLiteral("書き込みがデータがありませんでした。") : QStringLiteral("書き込みが終了しました。");
    if (unmappable > 0)
        text += QStringLiteral("\n\nShift_JIS で表せない文字 %1 字は「?」で書き込みました。"
                               "元の文字のまま保存するには、ファイルの種類で UTF-8 を選んでください。")
                    .arg(unmappable);
    Prompter::current().show({QStringLiteral("書込み報告"), text, Prompter::Icon::Information, Prompter::Ok, Prompter::Ok});
}

void M_UserMasterForm::importCsv()
{
    const FileChoice choice = m_fileChooser(this, false, AppDir::path());
    if (choice.path.isEmpty())
        return;
    if (!askToSave())
        return;
    QString report;
    const int added = UserCsvImportForm::run(storage(), choice.path, this, m_currentFolder, &report);
    if (added < 0)
        return;  // the file could not be read; the import window said why
    if (report.isEmpty())
        return;  // キャンセル
    Prompter::current().show({QStringLiteral("読込み報告"),
                              (added >= 1 ? QStringLiteral("読込みが終了しました。")
                                          : QStringLiteral("読込みがデータがありませんでした。"))
                                  + QLatin1Char('\n') + report,
                              Prompter::Icon::Information, Prompter::Ok, Prompter::Ok});
    if (added > 0)
        relist(shownId());
}
