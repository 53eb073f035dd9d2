#include "SubmissionSetForm.h"

#include "FileDialogs.h"
#include "GuiCommon.h"
#include "MenuForm.h"
#include "Prompter.h"
#include "SinseiExcelOutRtn.h"
#include "HistoryPage.h"
#include "SubmissionRecord.h"
#include "SubmissionSet.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

const char* const kFolderKey = "SubmissionSet/folder";
const char* const kItemsKey = "SubmissionSet/items";

}  // namespace

SubmissionSetForm::SubmissionSetForm(Storage& storage, const ProjectData& project, QWidget* parent)
    : QDialog(parent), m_storage(storage), m_project(project)
{
    setObjectName(s("SubmissionSetForm"));
    setWindowTitle(s("提出書類一式"));
    m_kind = new QComboBox(this);
    m_kind->addItems(SubmissionSet::kindNames());
    m_documents = new QListWidget(this);
    m_documents->setObjectName(QStringLiteral("documents"));
    m_documents->setToolTip(s("チェックした書類をこの順に一つの PDF にまとめます。（Ctrl+↑/↓ で並べ替え）"));
    m_drawings = new QListWidget(this);
    m_drawings->setToolTip(s("書類の後ろにこの順でそのまま綴じます。"));
    m_folder = new QLineEdit(QSettings().value(QLatin1String(kFolderKey), QDir::homePath()).toString(), this);

    auto* up = new QPushButton(s("上へ(&U)"), this);
    auto* down = new QPushButton(s("下へ(&D)"), this);
    up->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Up));
    down->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Down));
    connect(up, &QPushButton::clicked, this, [this] { moveDocument(-1); });
    connect(down, &QPushButton::clicked, this, [this] { moveDocument(1); });
    auto* docButtons = new QVBoxLayout;
    docButtons->addWidget(up);
    docButtons->addWidget(down);
    docButtons->addStretch();
    auto* docBox = new QGroupBox(s("書類"), this);
    auto* docLayout = new QHBoxLayout(docBox);
    docLayout->addWidget(m_documents);
    docLayout->addLayout(docButtons);

    auto* add = new QPushButton(s("追加(&A)..."), this);
    auto* remove = new QPushButton(s("削除(&R)"), this);
    connect(add, &QPushButton::clicked, this, &SubmissionSetForm::addDrawings);
    connect(remove, &QPushButton::clicked, this, [this] { delete m_drawings->currentItem(); });
    auto* drawButtons = new QVBoxLayout;
    drawButtons->addWidget(add);
    drawButtons->addWidget(remove);
    drawButtons->addStretch();
    auto* drawBox = new QGroupBox(s("図面・計算書（PDF）"), this);
    auto* drawLayout = new QHBoxLayout(drawBox);
    drawLayout->addWidget(m_drawings);
    drawLayout->addLayout(drawButtons);

    auto* browse = new QPushButton(s("参照(&B)..."), this);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString dir = FileDialogs::folder(this, s("出力先フォルダ"), m_folder->text());
        if (!dir.isEmpty())
            m_folder->setText(dir);
    });
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder);
    folderRow->addWidget(browse);

    m_note = new QLineEdit(this);
    m_note->setObjectName(QStringLiteral("HistoryNote"));
    m_note->setPlaceholderText(s("提出履歴に残す備考（例: 補正対応 配置図差替え）"));

    auto* form = new QFormLayout;
    form->addRow(s("種類(&K)"), m_kind);
    auto* folderLabel = new QLabel(s("出力先(&O)"), this);
    folderLabel->setBuddy(m_folder);
    form->addRow(folderLabel, folderRow);
    form->addRow(s("備考(&N)"), m_note);
    // The item list costs nothing to make and saves a clerk retyping the
    // forms into a portal: on unless the user turned it off.
    m_items = new QCheckBox(s("ポータル入力用データ（CSV・JSON）も出力(&P)"), this);
    m_items->setObjectName(QStringLiteral("exportItems"));
    m_items->setChecked(QSettings().value(QLatin1String(kItemsKey), true).toBool());
    form->addRow(QString(), m_items);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* makeButton = buttons->addButton(s("作成(&M)"), QDialogButtonBox::AcceptRole);
    buttons->addButton(s("閉じる"), QDialogButtonBox::RejectRole);
    makeButton->setDefault(true);
    connect(makeButton, &QPushButton::clicked, this, &SubmissionSetForm::make);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(docBox);
    layout->addWidget(drawBox);
    layout->addWidget(buttons);

    connect(m_kind, &QComboBox::currentIndexChanged, this, &SubmissionSetForm::proposeDocuments);
    proposeDocuments();
    resize(560, 620);
}

void SubmissionSetForm::proposeDocuments()
{
    // The proposed documents first, ticked and in submission order; the rest can be added.
    const QStringList proposed = SubmissionSet::proposedDocuments(m_kind->currentText(), m_project);
    QStringList order = proposed;
    for (const QString& d : SinseiExcelOutRtn::documentNames())
        if (!order.contains(d))
            order << d;
    m_documents->clear();
    for (const QString& d : order) {
        auto* item = new QListWidgetItem(d, m_documents);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(proposed.contains(d) ? Qt::Checked : Qt::Unchecked);
    }
    m_documents->setCurrentRow(0);
}

void SubmissionSetForm::moveDocument(int by)
{
    const int row = m_documents->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= m_documents->count())
        return;
    QListWidgetItem* item = m_documents->takeItem(row);
    m_documents->insertItem(to, item);
    m_documents->setCurrentRow(to);
}

void SubmissionSetForm::addDrawings()
{
    const QStringList files =
        FileDialogs::openFiles(this, s("図面・計算書の PDF"), m_folder->text(), s("PDF ファイル (*.pdf)"));
    for (const QString& f : files)
        m_drawings->addItem(QDir::toNativeSeparators(f));
}

void SubmissionSetForm::make()
{
    SubmissionSet::Request request;
    request.kind = m_kind->currentText();
    for (int i = 0; i < m_documents->count(); ++i)
        if (m_documents->item(i)->checkState() == Qt::Checked)
            request.documents << m_documents->item(i)->text();
    for (int i = 0; i < m_drawings->count(); ++i)
        request.drawings << QDir::fromNativeSeparators(m_drawings->item(i)->text());
    request.outDir = QDir::fromNativeSeparators(m_folder->text().trimmed());
    request.exportItems = m_items->isChecked();

    SubmissionSet::Result result;
    SubmissionHistory::Entry entry;
    QString error, historyError;
    bool ok = false, kept = false;
    {
        BusyCursor busy;
        ok = SubmissionSet::make(m_project, request, &result, &error);
        kept = ok && SubmissionRecord::record(m_storage, m_project, request, result, m_note->text(), &entry, &historyError);
    }
    if (!ok) {
        // Through the prompter: the box carries what LibreOffice or qpdf said.
        Prompter::current().show({s("提出書類一式"), error, Prompter::Icon::Warning, Prompter::Ok, Prompter::Ok});
        return;
    }
    if (!kept)
        QMessageBox::warning(this, s("提出書類一式"), s("提出書類は作成しましたが、提出履歴に記録できませんでした。\n%1").arg(historyError));
    else
        m_note->clear();
    QSettings().setValue(QLatin1String(kFolderKey), request.outDir);
    QSettings().setValue(QLatin1String(kItemsKey), request.exportItems);
    QStringList names;
    for (const QString& f : result.documentFiles + result.itemFiles)
        names << QFileInfo(f).fileName();
    QString message = s("%1（%2ページ）と書類ごとの PDF を作成しました。\n\n%3")
                          .arg(QFileInfo(result.combined).fileName())
                          .arg(result.pages)
                          .arg(names.join(QLatin1Char('\n')));
    if (!result.warning.isEmpty())
        message += QStringLiteral("\n\n") + result.warning;
    if (kept)
        message += s("\n\n提出履歴に「%1」として記録しました。").arg(entry.title());
    QMessageBox::information(this, s("提出書類一式"), message);
}

void SubmissionSetForm::registerOpener(CommandRegistry& commands)
{
    commands.registerOpener(QStringLiteral("SubmitBtn"), [](MenuForm& m) {
        SubmissionSetForm form(m.storage(), m.currentProject(), &m);
        form.exec();
        m.historyPage()->refresh();
    });
}
