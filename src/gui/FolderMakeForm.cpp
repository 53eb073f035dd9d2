#include "FolderMakeForm.h"

#include "AppDir.h"
#include "HelpForm.h"
#include "common.h"
#include "GuiCommon.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

FolderMakeForm::FolderMakeForm(Storage& storage, FolderStore::Kind kind, QWidget* parent)
    : QDialog(parent)
    , m_store(storage, kind)
    , m_kind(kind)
{
    setObjectName(QStringLiteral("FolderMakeForm"));
    setWindowTitle(kind == FolderStore::Kind::Projects ? QStringLiteral("物件フォルダ作成")
                                                       : QStringLiteral("顧客フォルダ作成"));
    setModal(true);
    resize(420, 420);

    m_list = new QTreeWidget;
    m_list->setObjectName(QStringLiteral("ListView1"));
    m_list->setHeaderLabels({QStringLiteral("フォルダ")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_text = new QLineEdit;
    m_text->setObjectName(QStringLiteral("Text1"));
    m_text->setEnabled(false);
    m_text->setMaxLength(100);
    auto button = [this](const char* name, const QString& text) {
        auto* b = new QPushButton(text);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    m_newBtn = button("NewBtn1", QStringLiteral("新規"));
    m_editBtn = button("EditBtn1", QStringLiteral("適用"));
    GuiCommon::saveShortcut(this, m_editBtn);
    m_delBtn = button("DelBtn1", QStringLiteral("削除"));
    m_closeBtn = button("CloseBtn", QStringLiteral("閉じる"));
    m_helpBtn = button("HelpBtn", QStringLiteral("ヘルプ"));
    m_delBtn->setEnabled(false);
    m_editBtn->setEnabled(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_list, 0, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("フォルダ名")), 1, 0);
    grid->addWidget(m_text, 1, 1);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {m_newBtn, m_editBtn, m_delBtn})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(m_helpBtn);
    buttons->addWidget(m_closeBtn);
    grid->addLayout(buttons, 2, 0, 1, 2);

    // The customer folders have no page of their own in the manual.
    m_helpBtn->setVisible(kind == FolderStore::Kind::Projects);

    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &FolderMakeForm::rowSelected);
    connect(m_newBtn, &QPushButton::clicked, this, &FolderMakeForm::newFolder);
    connect(m_editBtn, &QPushButton::clicked, this, &FolderMakeForm::applyName);
    connect(m_delBtn, &QPushButton::clicked, this, &FolderMakeForm::deleteFolder);
    connect(m_closeBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_text, &QLineEdit::returnPressed, this, &FolderMakeForm::applyName);
    connect(m_text, &QLineEdit::textEdited, this, [this] { m_editBtn->setEnabled(currentRow() >= 0); });
    connect(m_helpBtn, &QPushButton::clicked, this, [this] {
        auto* help = new HelpForm(this);
        help->setAttribute(Qt::WA_DeleteOnClose);
        help->showPage(AppDir::file(QStringLiteral("MANUAL/file01.html")));
        help->show();
    });
    refill(-1);
}

int FolderMakeForm::currentRow() const
{
    QTreeWidgetItem* item = m_list->currentItem();
    return item && item->isSelected() ? m_list->indexOfTopLevelItem(item) : -1;
}

void FolderMakeForm::refill(int select)
{
    QString error;
    if (!m_store.listByKey(&m_folders, &error)) {
        common::ErrorBox(error);
        m_folders.clear();
    }
    m_list->clear();
    for (const FolderItem& f : std::as_const(m_folders))
        m_list->addTopLevelItem(new QTreeWidgetItem({f.name}));
    if (select >= 0)
        selectRow(qMin(select, m_list->topLevelItemCount() - 1));
}

void FolderMakeForm::selectRow(int row)
{
    if (row < 0 || row >= m_list->topLevelItemCount())
        return;
    m_list->setCurrentItem(m_list->topLevelItem(row));
    m_list->topLevelItem(row)->setSelected(true);
}

void FolderMakeForm::rowSelected()
{
    const int row = currentRow();
    m_delBtn->setEnabled(row >= 0);
    m_text->setEnabled(row >= 0);
    m_editBtn->setEnabled(false);
    if (row < 0)
        return;
    m_text->setText(m_folders[row].name);
    m_text->selectAll();
    m_text->setFocus();
}

void FolderMakeForm::newFolder()
{
    QString error;
    if (!m_store.add(nullptr, &error)) {
        common::ErrorBox(error);
        return;
    }
    refill(m_folders.size());  // the new folder has the highest key: it comes last
}

void FolderMakeForm::applyName()
{
    const int row = currentRow();
    if (row < 0)
        return;
    QString error;
    if (!m_store.rename(m_folders[row].id, m_text->text(), &error)) {
        common::ErrorBox(error);
        m_text->setText(m_folders[row].name);
        m_text->selectAll();
        return;
    }
    refill(row);
}

void FolderMakeForm::deleteFolder()
{
    const int row = currentRow();
    if (row < 0)
        return;
    if (common::ConfirmBox(m_folders[row].name + QStringLiteral("を削除します。　よろしいですか？")) != 0)
        return;
    QString error;
    if (!m_store.remove(m_folders[row].id, &error)) {
        common::ErrorBox(error);
        return;
    }
    m_delBtn->setEnabled(false);
    refill(qMax(0, row - 1));
}
