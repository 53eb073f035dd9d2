#include "UserCsvImportForm.h"

#include "FolderStore.h"
#include "GuiCommon.h"
#include "MasterForm.h"
#include "common.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

UserCsvImportForm::UserCsvImportForm(Storage& storage, QWidget* parent, qint64 folderId)
    : QDialog(parent)
    , m_storage(storage)
    , m_import(storage)
{
    setObjectName(QStringLiteral("UserCsvImportForm"));
    setWindowTitle(QStringLiteral("顧客マスターCSVインポート"));
    setModal(true);
    resize(560, 520);

    m_fileLabel = new QLabel;
    m_fileLabel->setWordWrap(true);
    m_list = GuiCommon::namedList("ListView1", {QStringLiteral("テキストフィールド"), QStringLiteral("アドレス帳フィールド")});
    m_list->header()->resizeSection(0, 240);

    m_combo = new QComboBox;
    m_combo->setObjectName(QStringLiteral("Combo1"));
    for (const ImportTarget& t : CustomerImport::targets())
        m_combo->addItem(t.caption, t.code);
    m_combo->setCurrentIndex(-1);
    m_combo->setEnabled(false);

    m_headerCheck = new QCheckBox(QStringLiteral("1行目は見出し（顧客として登録しない）"));
    m_headerCheck->setObjectName(QStringLiteral("HeaderCheck"));
    m_folderCombo = new QComboBox;
    m_folderCombo->setObjectName(QStringLiteral("FolderCombo"));
    m_folderCombo->addItem(QStringLiteral("（フォルダに入れない）"), 0);
    QVector<FolderItem> folders;
    QString error;
    if (FolderStore(storage, FolderStore::Kind::Customers).list(&folders, &error)) {
        for (const FolderItem& f : folders)
            m_folderCombo->addItem(f.name, f.id);
    }
    m_folderCombo->setCurrentIndex(qMax(0, m_folderCombo->findData(folderId)));
    m_folderCombo->setToolTip(QStringLiteral("フォルダに入れない顧客は顧客一覧に表示されません。顧客登録の条件検索で探せます。"));
    m_countLabel = new QLabel;

    m_saveBtn = new QPushButton(QStringLiteral("登録"));
    m_saveBtn->setObjectName(QStringLiteral("SaveBtn"));
    m_saveBtn->setAutoDefault(false);
    m_cancelBtn = new QPushButton(QStringLiteral("キャンセル"));
    m_cancelBtn->setObjectName(QStringLiteral("CanselBtn"));
    m_cancelBtn->setAutoDefault(false);

    auto* form = new QGridLayout;
    form->addWidget(new QLabel(QStringLiteral("アドレス帳フィールド：")), 0, 0);
    form->addWidget(m_combo, 0, 1);
    form->addWidget(new QLabel(QStringLiteral("登録先フォルダ：")), 1, 0);
    form->addWidget(m_folderCombo, 1, 1);
    form->addWidget(m_headerCheck, 2, 0, 1, 2);
    form->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_countLabel);
    buttons->addStretch(1);
    buttons->addWidget(m_saveBtn);
    buttons->addWidget(m_cancelBtn);

    auto* root = new QVBoxLayout(this);
    root->addWidget(m_fileLabel);
    root->addWidget(new QLabel(QStringLiteral("チェックした列を、選んだ顧客の項目に読み込みます。")));
    root->addWidget(m_list, 1);
    root->addLayout(form);
    root->addLayout(buttons);

    connect(m_list, &QTreeWidget::currentItemChanged, this, &UserCsvImportForm::rowSelected);
    connect(m_list, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        if (m_filling || column != 0)
            return;
        const int row = m_list->indexOfTopLevelItem(item);
        m_import.setTicked(row, item->checkState(0) == Qt::Checked);
        refreshRow(row);
    });
    connect(m_combo, &QComboBox::activated, this, &UserCsvImportForm::targetChosen);
    connect(m_headerCheck, &QCheckBox::toggled, this, [this](bool on) {
        m_import.setSkipFirstLine(on);
        updateCount();
    });
    connect(m_saveBtn, &QPushButton::clicked, this, &UserCsvImportForm::save);
    connect(m_cancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

bool UserCsvImportForm::load(const QString& path)
{
    bool ok = false;
    {
        BusyCursor busy;
        ok = m_import.load(path);
    }
    m_filling = true;
    m_list->clear();
    for (int c = 0; c < m_import.columnCount(); ++c) {
        auto* item = new QTreeWidgetItem(QStringList{m_import.firstLine().at(c), QString()});
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        m_list->addTopLevelItem(item);
    }
    m_filling = false;
    for (int c = 0; c < m_import.columnCount(); ++c)
        refreshRow(c);
    const char* encoding = m_import.encoding() == ShiftJis::Encoding::Cp932 ? "Shift_JIS" : "UTF-8";
    m_fileLabel->setText(QStringLiteral("ファイル: %1（%2）").arg(QFileInfo(path).fileName(), QLatin1String(encoding)));
    m_headerCheck->setChecked(m_import.skipsFirstLine());
    updateCount();
    return ok;
}

void UserCsvImportForm::refreshRow(int column)
{
    QTreeWidgetItem* item = m_list->topLevelItem(column);
    if (!item)
        return;
    m_filling = true;
    const ImportTarget* t = CustomerImport::target(m_import.targetOf(column));
    item->setText(1, t ? t->caption : QString());
    item->setCheckState(0, m_import.isTicked(column) ? Qt::Checked : Qt::Unchecked);
    m_filling = false;
}

void UserCsvImportForm::rowSelected()
{
    const int row = m_list->indexOfTopLevelItem(m_list->currentItem());
    m_combo->setEnabled(row >= 0);
    m_combo->setCurrentIndex(row >= 0 ? m_combo->findData(m_import.targetOf(row)) : -1);
}

void UserCsvImportForm::targetChosen(int comboIndex)
{
    const int row = m_list->indexOfTopLevelItem(m_list->currentItem());
    if (row < 0 || comboIndex < 0)
        return;
    m_import.assign(row, m_combo->itemData(comboIndex).toInt());
    refreshRow(row);
}

void UserCsvImportForm::updateCount()
{
    QString text = QStringLiteral("読み込む行: %1 行（チェックした列がすべて空の行は登録しません）").arg(m_import.rowsToImport());
    if (m_import.removedControls() > 0)
        text += QStringLiteral("（項目に使えない制御文字 %1 字は取り除きます）").arg(m_import.removedControls());
    m_countLabel->setText(text);
}

void UserCsvImportForm::save()
{
    bool ok = false;
    {
        BusyCursor busy;
        ok = m_import.run(m_folderCombo->currentData().toLongLong(), &m_added);
    }
    if (!ok) {
        common::ErrorBox(QStringLiteral("読み込みを中止しました。顧客は登録されていません。\n%1").arg(m_import.errorString()));
        return;
    }
    const qint64 folder = m_folderCombo->currentData().toLongLong();
    QStringList lines;
    lines << (folder > 0 ? QStringLiteral("%1 件の顧客をフォルダ「%2」に登録しました。").arg(m_added).arg(m_folderCombo->currentText())
                         : QStringLiteral("%1 件の顧客を登録しました（フォルダには入れていません）。").arg(m_added));
    QStringList skipped;
    if (m_import.skipsFirstLine())
        skipped << QStringLiteral("1 行目（見出し）");
    if (m_import.skippedEmpty() > 0)
        skipped << QStringLiteral("読み込む列がすべて空の行 %1 行").arg(m_import.skippedEmpty());
    lines << (skipped.isEmpty() ? QStringLiteral("読み込まなかった行はありません。")
                                : QStringLiteral("読み込まなかった行: %1").arg(skipped.join(QStringLiteral("、"))));
    if (m_import.removedControls() > 0)
        lines << QStringLiteral("項目に使えない制御文字 %1 字を取り除きました。").arg(m_import.removedControls());
    if (folder <= 0 && m_added > 0)
        lines << QStringLiteral("フォルダに入れていない顧客は顧客一覧に表示されません。条件検索で探せます。");
    m_report = lines.join(QLatin1Char('\n'));
    accept();
}

int UserCsvImportForm::run(Storage& storage, const QString& path, QWidget* parent, qint64 folderId, QString* report)
{
    UserCsvImportForm form(storage, parent, folderId);
    if (!form.load(path)) {
        common::ErrorBox(form.errorString());
        return -1;
    }
    form.exec();
    if (report)
        *report = form.report();
    return form.added();
}
