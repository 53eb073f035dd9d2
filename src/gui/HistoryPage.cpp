#include "HistoryPage.h"

#include "EnterOrder.h"
#include "FileDialogs.h"
#include "GuiCommon.h"
#include "Storage.h"
#include "common.h"

#include <QAbstractItemView>
#include <QBrush>
#include <QComboBox>
#include <QDateEdit>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

std::function<bool(const QString&)>& opener()
{
    static std::function<bool(const QString&)> open = [](const QString& path) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    };
    return open;
}

// Item data: the entry's index, and the file's index within it (-1 for the entry itself).
constexpr int kEntryRole = Qt::UserRole;
constexpr int kFileRole = Qt::UserRole + 1;

QString sizeText(qint64 bytes)
{
    return QLocale(QLocale::Japanese).formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

}  // namespace

void HistoryPage::setOpener(std::function<bool(const QString&)> open)
{
    opener() = std::move(open);
}

HistoryPage::HistoryPage(Storage& storage, QWidget* parent) : QWidget(parent), m_storage(storage)
{
    setObjectName(QStringLiteral("HistoryPage"));
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("HistoryList"));
    m_list->setHeaderLabels({s("日付"), s("提出・受領"), s("備考"), s("ファイル"), s("SHA-256")});
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setAllColumnsShowFocus(true);
    m_list->setToolTip(s("Enter: ファイル（提出・受領の行ではフォルダ）を開く。　Ctrl を押しながら提出を二つ選んで「比較」。"));
    m_list->header()->resizeSection(0, 150);
    m_list->header()->resizeSection(1, 170);
    m_list->header()->resizeSection(2, 220);
    m_list->header()->resizeSection(3, 300);

    m_compareTitle = new QLabel(s("比較: 提出を二つ選んで「比較」を押してください。"), this);
    m_compare = new QTreeWidget(this);
    m_compare->setObjectName(QStringLiteral("CompareList"));
    m_compare->setRootIsDecorated(false);
    m_compare->setHeaderLabels({s("書類"), s("状態"), s("前の回"), s("後の回")});
    m_compare->header()->resizeSection(0, 260);
    m_compare->header()->resizeSection(1, 70);
    m_compare->header()->resizeSection(2, 300);

    m_openBtn = new QPushButton(s("開く(&O)"), this);
    m_attachBtn = new QPushButton(s("受領書類を追加(&A)..."), this);
    m_compareBtn = new QPushButton(s("比較(&C)"), this);
    auto* refreshBtn = new QPushButton(s("最新の情報に更新(&R)"), this);
    m_openBtn->setObjectName(QStringLiteral("HistoryOpenBtn"));
    m_attachBtn->setObjectName(QStringLiteral("HistoryAttachBtn"));
    m_compareBtn->setObjectName(QStringLiteral("HistoryCompareBtn"));
    connect(m_openBtn, &QPushButton::clicked, this, &HistoryPage::openCurrent);
    connect(m_attachBtn, &QPushButton::clicked, this, &HistoryPage::chooseAndAttach);
    connect(m_compareBtn, &QPushButton::clicked, this, &HistoryPage::compareSelected);
    connect(refreshBtn, &QPushButton::clicked, this, &HistoryPage::refresh);
    connect(m_list, &QTreeWidget::itemActivated, this, &HistoryPage::openCurrent);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &HistoryPage::updateButtons);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_openBtn);
    buttons->addWidget(m_attachBtn);
    buttons->addWidget(m_compareBtn);
    buttons->addStretch();
    buttons->addWidget(refreshBtn);

    auto* lower = new QWidget(this);
    auto* lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->addWidget(m_compareTitle);
    lowerLayout->addWidget(m_compare);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(m_list);
    split->addWidget(lower);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(split);
    updateButtons();
}

void HistoryPage::setProject(qint64 bid)
{
    m_bid = bid;
    m_compare->clear();
    m_compareTitle->setText(s("比較: 提出を二つ選んで「比較」を押してください。"));
    refresh();
}

void HistoryPage::refresh()
{
    m_list->clear();
    m_entries.clear();
    if (m_bid > 0) {
        QString error;
        if (!SubmissionHistory::list(m_storage, m_bid, &m_entries, &error))
            common::ErrorBox(error);
    }
    const QString appDir = m_storage.appDir();
    // Newest first: the latest round is what the office asks about.
    for (int i = m_entries.size() - 1; i >= 0; --i) {
        const SubmissionHistory::Entry& e = m_entries[i];
        auto* item = new QTreeWidgetItem(m_list);
        item->setText(0, e.date.toString(QStringLiteral("yyyy/MM/dd")));
        item->setText(1, e.title());
        item->setText(2, e.note);
        item->setText(3, s("%1 ファイル").arg(e.files.size()));
        item->setData(0, kEntryRole, i);
        item->setData(0, kFileRole, -1);
        item->setToolTip(1, s("記録: %1（%2）\nフォルダ: %3").arg(e.recordedAt, e.host, e.folder));
        for (int f = 0; f < e.files.size(); ++f) {
            const SubmissionHistory::File& file = e.files[f];
            auto* child = new QTreeWidgetItem(item);
            child->setText(1, file.document);
            child->setText(3, QFileInfo(file.path).fileName());
            child->setText(4, file.sha256.left(16));
            child->setToolTip(4, file.sha256);
            child->setData(0, kEntryRole, i);
            child->setData(0, kFileRole, f);
            if (!QFileInfo(SubmissionHistory::absolutePath(appDir, file.path)).isFile()) {
                child->setText(2, s("このコンピュータにありません"));
                child->setToolTip(2, s("記録したコンピュータ「%1」のアプリケーションフォルダにあります。").arg(e.host));
                child->setForeground(3, QBrush(Qt::gray));
            } else {
                child->setToolTip(3, s("%1（%2）").arg(file.path, sizeText(file.size)));
            }
        }
    }
    if (m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(m_list->topLevelItem(0));
    updateButtons();
}

QString HistoryPage::pathOf(const QTreeWidgetItem* item) const
{
    if (!item)
        return {};
    const int e = item->data(0, kEntryRole).toInt();
    const int f = item->data(0, kFileRole).toInt();
    if (e < 0 || e >= m_entries.size())
        return {};
    const SubmissionHistory::Entry& entry = m_entries[e];
    const QString rel = f >= 0 && f < entry.files.size() ? entry.files[f].path : entry.folder;
    return SubmissionHistory::absolutePath(m_storage.appDir(), rel);
}

void HistoryPage::openCurrent()
{
    const QString path = pathOf(m_list->currentItem());
    if (path.isEmpty())
        return;
    if (!QFileInfo::exists(path)) {
        const SubmissionHistory::Entry& e = m_entries[m_list->currentItem()->data(0, kEntryRole).toInt()];
        common::ErrorBox(s("「%1」はこのコンピュータにありません。\n記録したコンピュータ「%2」のアプリケーションフォルダにあります。")
                             .arg(QDir::toNativeSeparators(path), e.host));
        return;
    }
    if (!opener()(path))
        common::ErrorBox(s("「%1」を開くプログラムを起動できません。").arg(QDir::toNativeSeparators(path)));
}

void HistoryPage::updateButtons()
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    int submissions = 0;
    for (const QTreeWidgetItem* item : selected) {
        const int e = item->data(0, kEntryRole).toInt();
        if (!item->parent() && e >= 0 && e < m_entries.size() && !m_entries[e].received)
            ++submissions;
    }
    m_compareBtn->setEnabled(submissions == 2);
    m_openBtn->setEnabled(m_list->currentItem() != nullptr);
    m_attachBtn->setEnabled(m_bid > 0);
}

bool HistoryPage::compareSelected()
{
    QVector<int> chosen;
    for (const QTreeWidgetItem* item : m_list->selectedItems()) {
        const int e = item->data(0, kEntryRole).toInt();
        if (!item->parent() && e >= 0 && e < m_entries.size() && !m_entries[e].received)
            chosen << e;
    }
    if (chosen.size() != 2) {
        common::WarningBox(s("比較する提出を二つ選んでください（Ctrl を押しながらクリック、または Ctrl+Space）。"));
        return false;
    }
    std::sort(chosen.begin(), chosen.end());
    const SubmissionHistory::Entry& before = m_entries[chosen[0]];
    const SubmissionHistory::Entry& after = m_entries[chosen[1]];
    m_compareTitle->setText(s("比較: %1（%2） → %3（%4）")
                                .arg(before.title(), before.date.toString(QStringLiteral("yyyy/MM/dd")), after.title(),
                                     after.date.toString(QStringLiteral("yyyy/MM/dd"))));
    m_compare->clear();
    for (const SubmissionHistory::Change& c : SubmissionHistory::compare(before, after)) {
        auto* item = new QTreeWidgetItem(m_compare);
        item->setText(0, c.document);
        item->setText(1, SubmissionHistory::statusText(c.status));
        item->setText(2, c.before.sha256.left(16));
        item->setText(3, c.after.sha256.left(16));
        item->setToolTip(2, c.before.path);
        item->setToolTip(3, c.after.path);
        if (c.status != SubmissionHistory::Change::Same) {
            QFont bold = item->font(1);
            bold.setBold(true);
            item->setFont(1, bold);
        }
    }
    return true;
}

bool HistoryPage::attach(const QString& kind, const QDate& date, const QString& note, const QString& file)
{
    SubmissionHistory::Entry entry;
    QString error;
    bool ok = false;
    {
        BusyCursor busy;
        ok = SubmissionHistory::attachReceived(m_storage, m_bid, kind, date, note, file, &entry, &error);
    }
    if (!ok) {
        common::ErrorBox(error);
        return false;
    }
    refresh();
    return true;
}

void HistoryPage::chooseAndAttach()
{
    if (m_bid <= 0)
        return;
    HistoryAttachForm form(this);
    if (form.exec() == QDialog::Accepted)
        attach(form.kind(), form.date(), form.note(), form.file());
}

// ---------------------------------------------------------------- 受領書類の登録

HistoryAttachForm::HistoryAttachForm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("HistoryAttachForm"));
    setWindowTitle(s("受領書類の登録"));
    m_file = new QLineEdit(this);
    m_file->setObjectName(QStringLiteral("AttachFile"));
    auto* browseBtn = new QPushButton(s("参照(&B)..."), this);
    browseBtn->setAutoDefault(false);
    connect(browseBtn, &QPushButton::clicked, this, &HistoryAttachForm::browse);
    m_kind = new QComboBox(this);
    m_kind->setObjectName(QStringLiteral("AttachKind"));
    m_kind->addItems(SubmissionHistory::receivedKinds());
    m_date = new QDateEdit(QDate::currentDate(), this);
    m_date->setObjectName(QStringLiteral("AttachDate"));
    m_date->setCalendarPopup(true);
    m_date->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    m_note = new QLineEdit(this);
    m_note->setObjectName(QStringLiteral("AttachNote"));
    m_note->setPlaceholderText(s("例: 第12345号、補正 2 件"));

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_file);
    fileRow->addWidget(browseBtn);
    auto* form = new QFormLayout;
    auto* fileLabel = new QLabel(s("ファイル(&F)"), this);
    fileLabel->setBuddy(m_file);
    form->addRow(fileLabel, fileRow);
    form->addRow(s("種類(&K)"), m_kind);
    form->addRow(s("日付(&D)"), m_date);
    form->addRow(s("備考(&N)"), m_note);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(s("登録"));
    buttons->button(QDialogButtonBox::Cancel)->setText(s("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &HistoryAttachForm::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    // Enter moves on from field to field; on the note it registers.
    new EnterOrder(this, {m_file, m_kind, m_date, m_note}, EnterOrder::LastPasses);
    resize(560, sizeHint().height());
}

void HistoryAttachForm::browse()
{
    const QString f = FileDialogs::openFile(this, s("受領書類のファイル"), QFileInfo(m_file->text()).absolutePath(),
                                            s("PDF ファイル (*.pdf);;すべてのファイル (*)"));
    if (!f.isEmpty()) {
        m_file->setText(QDir::toNativeSeparators(f));
        m_kind->setFocus();
    }
}

void HistoryAttachForm::accept()
{
    if (!QFileInfo(file()).isFile()) {
        common::WarningBox(s("登録するファイルを選んでください。"));
        m_file->setFocus();
        return;
    }
    QDialog::accept();
}

QString HistoryAttachForm::file() const
{
    return QDir::fromNativeSeparators(m_file->text().trimmed());
}

QString HistoryAttachForm::kind() const
{
    return m_kind->currentText();
}

QDate HistoryAttachForm::date() const
{
    return m_date->date();
}

QString HistoryAttachForm::note() const
{
    return m_note->text();
}
