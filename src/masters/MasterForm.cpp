#include "MasterForm.h"

#include "AdrForm.h"
#include "GuiCommon.h"
#include "HelpForm.h"
#include "PostalLookup.h"
#include "Prompter.h"
#include "common.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QShortcut>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <utility>

namespace {

QPushButton* makeButton(const QString& name, const QString& caption)
{
    auto* b = new QPushButton(caption);
    b->setObjectName(name);
    // Enter belongs to the field order, never to a default button.
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

}  // namespace

MasterForm::MasterForm(Storage& storage, const QString& closeButtonName, const QString& closeCaption,
                       const QString& closeToolTip, QWidget* parent)
    : QDialog(parent)
    , m_storage(storage)
{
    setModal(true);
    m_list = new QTreeWidget;
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->installEventFilter(this);
    m_enter = new EnterOrder(this);
    m_enter->setNext([this](QWidget* from) { return nextField(from); });
    // Enter in a postal code first fills in its address.
    m_enter->setHandler([this](QWidget* field, const QKeyEvent&) { return enterInPostalCode(field); });

    m_keikoku = new QLabel(QStringLiteral("新規ボタンを押してください。"));
    m_keikoku->setObjectName(QStringLiteral("KeikokuLabel"));
    m_keikoku->setStyleSheet(QStringLiteral("color: #c00000; font-weight: bold;"));
    m_keikoku->setVisible(false);

    m_newBtn = makeButton(QStringLiteral("NewMakeBtn"), QStringLiteral("新規作成"));
    m_delBtn = makeButton(QStringLiteral("DelBtn"), QStringLiteral("削除"));
    m_updateBtn = makeButton(QStringLiteral("UpDateBtn"), QStringLiteral("適用"));
    m_sendBtn = makeButton(QStringLiteral("SendBtn"), QStringLiteral("転送"));
    m_closeBtn = makeButton(closeButtonName, closeCaption);
    if (!closeToolTip.isEmpty())
        m_closeBtn->setToolTip(closeToolTip);
    m_helpBtn = makeButton(QStringLiteral("HelpBtn"), QStringLiteral("ヘルプ"));
    m_sendBtn->setVisible(false);
    m_updateBtn->setEnabled(false);

    m_popup = new QMenu(this);
    auto addAction = [this](const char* name, const QString& text, void (MasterForm::*slot)()) {
        QAction* a = m_popup->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, slot);
        m_actions.insert(QString::fromLatin1(name), a);
    };
    QAction* update = m_popup->addAction(QStringLiteral("更新"));
    update->setObjectName(QStringLiteral("pUpdate"));
    update->setEnabled(false);
    connect(update, &QAction::triggered, this, [this] { apply(); });
    m_actions.insert(QStringLiteral("pUpdate"), update);
    addAction("pDel", QStringLiteral("削除"), &MasterForm::deleteSelected);
    addAction("pNew", QStringLiteral("新規作成"), &MasterForm::newRecord);

    connect(m_newBtn, &QPushButton::clicked, this, &MasterForm::newRecord);
    connect(m_delBtn, &QPushButton::clicked, this, &MasterForm::deleteSelected);
    connect(m_updateBtn, &QPushButton::clicked, this, [this] { apply(); });
    connect(m_sendBtn, &QPushButton::clicked, this, [this] { transfer(false); });
    connect(m_closeBtn, &QPushButton::clicked, this, [this] { closeWindow(); });
    // Ctrl+S saves the record shown, as 更新 does.
    auto* save = new QShortcut(QKeySequence::Save, this);
    connect(save, &QShortcut::activated, this, [this] {
        if (isEdited())
            apply();
    });
    connect(m_helpBtn, &QPushButton::clicked, this, &MasterForm::showHelp);
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        if (!m_filling)
            itemActivated(current);
    });
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (m_pickMode && canTransfer() && m_list->topLevelItemCount() > 0)
            transfer(true);
    });
    connect(m_list, &QTreeWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { showPopup(m_list->viewport()->mapToGlobal(pos)); });
}

MasterForm::~MasterForm() = default;

// ---------------------------------------------------------------- state

bool MasterForm::isEdited() const
{
    return m_updateBtn->isEnabled();
}

void MasterForm::setEdited(bool edited)
{
    m_updateBtn->setEnabled(edited);
    m_actions.value(QStringLiteral("pUpdate"))->setEnabled(edited);
}

void MasterForm::setPickMode(bool pick)
{
    m_pickMode = pick;
    m_sendBtn->setVisible(pick);
}

QAction* MasterForm::popupAction(const QString& name) const
{
    return m_actions.value(name);
}

void MasterForm::showPopup(const QPoint& globalPos)
{
    m_popup->popup(globalPos);
}

// ---------------------------------------------------------------- list

QTreeWidgetItem* MasterForm::addListItem(const QStringList& texts, qint64 id)
{
    auto* item = new QTreeWidgetItem(texts);
    item->setData(0, Qt::UserRole, id);
    m_list->addTopLevelItem(item);
    return item;
}

qint64 MasterForm::itemId(const QTreeWidgetItem* item)
{
    return item ? item->data(0, Qt::UserRole).toLongLong() : 0;
}

void MasterForm::relist(qint64 selectId)
{
    m_filling = true;
    m_list->clear();
    listRecords();
    QTreeWidgetItem* target = nullptr;
    for (int i = 0; i < m_list->topLevelItemCount() && selectId > 0; ++i) {
        if (itemId(m_list->topLevelItem(i)) == selectId) {
            target = m_list->topLevelItem(i);
            break;
        }
    }
    if (!target && m_list->topLevelItemCount() > 0)
        target = m_list->topLevelItem(0);
    if (target) {
        m_list->setCurrentItem(target);
        m_list->scrollToItem(target);
    }
    m_filling = false;
    if (!target) {
        showEmpty();
        return;
    }
    setEmptyState(false);
    showById(itemId(target));
}

void MasterForm::selectRow(int row)
{
    QTreeWidgetItem* item = m_list->topLevelItem(row);
    if (!item)
        return;
    if (item == m_list->currentItem()) {
        itemActivated(item);
        return;
    }
    m_list->clearSelection();
    m_list->setCurrentItem(item);
    m_list->scrollToItem(item);
}

bool MasterForm::selectId(qint64 id)
{
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        if (itemId(m_list->topLevelItem(i)) == id) {
            selectRow(i);
            return true;
        }
    }
    return false;
}

void MasterForm::itemActivated(QTreeWidgetItem* item)
{
    if (!item)
        return;
    if (asksBeforeSwitching() && !askToSave()) {
        // キャンセル: back to the record being edited, its edits kept.
        for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
            if (itemId(m_list->topLevelItem(i)) == m_shownId) {
                QTreeWidgetItem* shown = m_list->topLevelItem(i);
                QSignalBlocker block(m_list);
                m_list->clearSelection();
                m_list->setCurrentItem(shown);
                break;
            }
        }
        return;
    }
    showById(itemId(item));
}

void MasterForm::showById(qint64 id)
{
    {
        LoadScope scope(*this);
        m_shownId = id;
        showRecord(id);
    }
    setEdited(false);
}

void MasterForm::refreshItems(qint64 id)
{
    const QStringList texts = listTextsOf(id);
    if (texts.isEmpty())
        return;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_list->topLevelItem(i);
        if (itemId(item) != id)
            continue;
        for (int c = 0; c < texts.size() && c < m_list->columnCount(); ++c)
            item->setText(c, texts[c]);
    }
}

void MasterForm::showEmpty()
{
    setEmptyState(true);
    m_shownId = 0;
    {
        LoadScope scope(*this);
        clearFields();
    }
    setEdited(false);
}

void MasterForm::setEmptyState(bool empty)
{
    m_keikoku->setVisible(empty);
    m_delBtn->setEnabled(!empty);
    m_actions.value(QStringLiteral("pDel"))->setEnabled(!empty);
    for (QWidget* w : m_entryWidgets)
        w->setEnabled(!empty);
}

// ---------------------------------------------------------------- protocol

void MasterForm::newRecord()
{
    const qint64 id = createRecord();
    if (id <= 0) {
        common::ErrorBox(storageError());
        return;
    }
    afterCreate(id);
}

void MasterForm::afterCreate(qint64 id)
{
    relist(id);
    if (!enterOrder().isEmpty())
        focusField(enterOrder().first());
}

QVector<QTreeWidgetItem*> MasterForm::selectedForDelete() const
{
    QTreeWidgetItem* current = m_list->currentItem();
    if (!current || !current->isSelected())
        return {};
    return {current};
}

QString MasterForm::deleteQuestion(const QVector<QTreeWidgetItem*>& items) const
{
    return items.first()->text(0) + QStringLiteral("を削除します。　よろしいですか？");
}

void MasterForm::deleteSelected()
{
    const QVector<QTreeWidgetItem*> items = selectedForDelete();
    if (items.isEmpty())
        return;
    if (common::ConfirmBox(deleteQuestion(items)) != 0)
        return;
    QVector<qint64> ids;
    int firstRow = m_list->topLevelItemCount();
    for (QTreeWidgetItem* item : items) {
        if (!ids.contains(itemId(item)))
            ids << itemId(item);
        firstRow = qMin(firstRow, m_list->indexOfTopLevelItem(item));
    }
    bool ok = false;
    {
        BusyCursor busy;
        ok = removeRecords(ids);
    }
    if (!ok)
        common::ErrorBox(storageError());
    setEdited(false);
    afterDelete(firstRow);
}

void MasterForm::afterDelete(int firstDeletedRow)
{
    relist(0);
    const int n = m_list->topLevelItemCount();
    if (n == 0)
        return;
    QTreeWidgetItem* item = m_list->topLevelItem(qBound(0, firstDeletedRow, n - 1));
    m_filling = true;
    m_list->setCurrentItem(item);
    m_list->scrollToItem(item);
    m_filling = false;
    showById(itemId(item));
}

bool MasterForm::writeShown()
{
    bool found = false;
    if (!writeRecord(m_shownId, &found)) {
        common::ErrorBox(storageError());
        return false;
    }
    // A record deleted meanwhile on another computer: nothing was written,
    // and the edits have nowhere to go.
    setEdited(false);
    if (found)
        refreshItems(m_shownId);
    return true;
}

bool MasterForm::apply()
{
    if (m_shownId <= 0)
        return false;
    if (!writeShown())
        return false;
    afterApply(m_shownId);
    return true;
}

void MasterForm::afterApply(qint64 id)
{
    showById(id);
}

bool MasterForm::askToSave()
{
    if (!isEdited())
        return true;
    const Prompter::Button answer = Prompter::current().show(
        {PromptTitle::SaveConfirm, QStringLiteral("内容が変更されていますが、登録しますか？"), Prompter::Icon::Warning,
         Prompter::Yes | Prompter::No | Prompter::Cancel, Prompter::Yes});
    if (answer == Prompter::Cancel)
        return false;
    if (answer == Prompter::Yes && m_shownId > 0)
        writeShown();
    setEdited(false);
    return true;
}

void MasterForm::transfer(bool onlyShown)
{
    if (!m_pickMode || !canTransfer() || m_shownId <= 0)
        return;
    if (!askToSave())
        return;
    m_pickResult = MasterPickResult();
    fillPick(m_pickResult, onlyShown);
    m_pickResult.picked = true;
    m_picked = true;
    leave();
    m_closed = true;
    done(QDialog::Accepted);
}

bool MasterForm::closeWindow()
{
    if (m_closed)
        return true;
    if (!askToSave())
        return false;
    if (m_pickMode && !m_picked)
        m_pickResult = MasterPickResult();
    leave();
    m_closed = true;
    done(m_picked ? QDialog::Accepted : QDialog::Rejected);
    return true;
}

void MasterForm::reject()
{
    closeWindow();
}

void MasterForm::showEvent(QShowEvent* event)
{
    // A window opened again starts a new round: no transfer, not closed.
    if (m_closed) {
        m_closed = false;
        m_picked = false;
    }
    QDialog::showEvent(event);
    if (!std::exchange(m_shownOnce, true))
        firstShown();
}

void MasterForm::closeEvent(QCloseEvent* event)
{
    if (!closeWindow()) {
        event->ignore();
        return;
    }
    event->accept();
}

// ---------------------------------------------------------------- fields

void MasterForm::watch(QWidget* field)
{
    auto edited = [this] {
        if (!m_loading)
            setEdited(true);
    };
    if (auto* e = qobject_cast<QLineEdit*>(field))
        connect(e, &QLineEdit::textChanged, this, edited);
    else if (auto* c = qobject_cast<QComboBox*>(field)) {
        connect(c, &QComboBox::currentIndexChanged, this, edited);
        connect(c, &QComboBox::editTextChanged, this, edited);
    } else if (auto* b = qobject_cast<QAbstractButton*>(field))
        connect(b, &QAbstractButton::toggled, this, edited);
    else if (auto* p = qobject_cast<QPlainTextEdit*>(field))
        connect(p, &QPlainTextEdit::textChanged, this, edited);
}

void MasterForm::bindField(const QString& column, QWidget* field)
{
    m_bound.append({column, field});
    watch(field);
}

void MasterForm::loadBound(const MasterRow& row)
{
    for (const auto& [column, field] : m_bound) {
        if (auto* e = qobject_cast<QLineEdit*>(field))
            e->setText(row.text(column));
        else if (auto* c = qobject_cast<QComboBox*>(field))
            setComboText(c, row.text(column));
        else if (auto* b = qobject_cast<QCheckBox*>(field))
            b->setChecked(row.value(column).toLongLong() == 1);
        else if (auto* p = qobject_cast<QPlainTextEdit*>(field))
            p->setPlainText(row.text(column));
    }
}

ColumnValues MasterForm::boundValues() const
{
    ColumnValues out;
    for (const auto& [column, field] : m_bound) {
        if (auto* e = qobject_cast<QLineEdit*>(field))
            out.append({column, e->text()});
        else if (auto* c = qobject_cast<QComboBox*>(field))
            out.append({column, c->currentText()});
        else if (auto* b = qobject_cast<QCheckBox*>(field))
            out.append({column, b->isChecked() ? 1 : 0});
        else if (auto* p = qobject_cast<QPlainTextEdit*>(field))
            out.append({column, p->toPlainText()});
    }
    return out;
}

void MasterForm::clearBound()
{
    for (const auto& pair : m_bound) {
        QWidget* field = pair.second;
        if (auto* e = qobject_cast<QLineEdit*>(field))
            e->clear();
        else if (auto* c = qobject_cast<QComboBox*>(field))
            setComboText(c, QString());
        else if (auto* b = qobject_cast<QCheckBox*>(field))
            b->setChecked(false);
        else if (auto* p = qobject_cast<QPlainTextEdit*>(field))
            p->clear();
    }
}

void MasterForm::setComboText(QComboBox* combo, const QString& text)
{
    const int i = combo->findText(text, Qt::MatchExactly);
    if (i >= 0 && !text.isEmpty()) {
        combo->setCurrentIndex(i);
    } else {
        combo->setCurrentIndex(-1);
        if (combo->isEditable())
            combo->setEditText(text);
    }
}

void MasterForm::fillPrefectures(QComboBox* combo, const QVector<Zone>& zones)
{
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->clear();
    for (const Zone& z : zones)
        combo->addItem(z.name, z.id);
    combo->setCurrentIndex(-1);
}

void MasterForm::showError(const QString& error)
{
    common::ErrorBox(error);
}

QVBoxLayout* MasterForm::listColumn() const
{
    auto* column = new QVBoxLayout;
    column->addWidget(m_list, 1);
    column->addWidget(m_keikoku);
    return column;
}

QHBoxLayout* MasterForm::buttonRow(const QVector<QPushButton*>& more, QVector<QPushButton*> right) const
{
    auto* row = new QHBoxLayout;
    for (QPushButton* b : QVector<QPushButton*>{m_newBtn, m_delBtn, m_updateBtn} + more)
        row->addWidget(b);
    row->addStretch(1);
    if (right.isEmpty())
        right = {m_sendBtn, m_helpBtn, m_closeBtn};
    for (QPushButton* b : right)
        row->addWidget(b);
    return row;
}

QString MasterForm::fieldText(const char* name) const
{
    QWidget* w = findChild<QWidget*>(QString::fromLatin1(name));
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text();
    if (auto* c = qobject_cast<QComboBox*>(w))
        return c->currentText();
    return {};
}

void MasterForm::focusField(QWidget* field)
{
    EnterOrder::focus(field, true);
}

void MasterForm::setEnterOrder(const QVector<QWidget*>& fields)
{
    m_enter->setFields(fields);
}

QWidget* MasterForm::nextField(QWidget* from) const
{
    return m_enter->listedAfter(from);
}

bool MasterForm::enterInPostalCode(QWidget* field)
{
    for (int b = 0; b < m_postal.size(); ++b) {
        if (m_postal[b].code == field) {
            postalToAddress(b, true);
            return true;
        }
    }
    return false;
}

bool MasterForm::keepPlace(const WindowPlacement& placement, QString* error)
{
    m_place = placement;
    return m_place->restore(m_storage, error);
}

void MasterForm::leave()
{
    beforeClose();
    QString error;
    if (m_place && !m_place->save(m_storage, &error))
        common::ErrorBox(error);
}

void MasterForm::copyOnLeave(QLineEdit* telephone, QLineEdit* fax)
{
    m_faxOf.insert(telephone, fax);
    telephone->installEventFilter(this);
}

void MasterForm::addPostalBlock(QLineEdit* code, QComboBox* prefecture, QLineEdit* line2, QLineEdit* line3,
                                QPushButton* toAddress, QPushButton* toCode)
{
    const int block = static_cast<int>(m_postal.size());
    m_postal.append({code, prefecture, line2, line3});
    connect(toAddress, &QPushButton::clicked, this, [this, block] { postalToAddress(block, false); });
    connect(toCode, &QPushButton::clicked, this, [this, block] { addressToPostal(block); });
}

void MasterForm::postalToAddress(int block, bool moveOn)
{
    const PostalBlock& b = m_postal.at(block);
    AdrFormChooser windowChooser(this);
    PostalLookup lookup(m_storage, m_chooser ? m_chooser : &windowChooser);
    QString code = b.code->text();
    QString first, second;
    int status = 0;
    {
        BusyCursor busy;
        status = lookup.codeToAddress(false, &code, &first, &second);
    }
    if (status == 0) {
        if (code != b.code->text())
            b.code->setText(code);
        setComboText(b.prefecture, first);
        b.line2->setText(second);
    } else if (!lookup.errorString().isEmpty()) {
        common::ErrorBox(lookup.errorString());
    }
    if (moveOn) {
        // The town is there; the clerk goes on typing the block number after it.
        b.line2->setFocus(Qt::OtherFocusReason);
        b.line2->deselect();
        b.line2->end(false);
    }
}

void MasterForm::addressToPostal(int block)
{
    const PostalBlock& b = m_postal.at(block);
    AdrFormChooser windowChooser(this);
    PostalLookup lookup(m_storage, m_chooser ? m_chooser : &windowChooser);
    QString code;
    {
        BusyCursor busy;
        code = lookup.addressToCode(false, b.prefecture->currentText() + b.line2->text() + b.line3->text());
    }
    if (!lookup.errorString().isEmpty()) {
        common::ErrorBox(lookup.errorString());
        return;
    }
    if (!code.isEmpty())
        b.code->setText(code);
}

void MasterForm::setHelpPage(const QString& fileName)
{
    m_helpPage = fileName;
}

void MasterForm::showHelp()
{
    HelpForm::showManual(this, m_help, m_helpPage);
}

// ---------------------------------------------------------------- mail and web

void MasterForm::openMail(const QString& address)
{
    if (address.trimmed().isEmpty())
        return;
    if (m_mailComposer) {
        m_mailComposer(this, address.trimmed());
        return;
    }
    QUrl url;
    url.setScheme(QStringLiteral("mailto"));
    url.setPath(address.trimmed());
    if (!QDesktopServices::openUrl(url))
        common::ErrorBox(QStringLiteral("メールソフトを起動できませんでした。"));
}

void MasterForm::openUrl(const QString& url)
{
    if (url.trimmed().isEmpty())
        return;
    GuiCommon::OpenInBrowser(url.trimmed());
}

// ---------------------------------------------------------------- keys

bool MasterForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            closeWindow();
            return true;
        }
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && m_pickMode) {
            if (canTransfer() && m_list->topLevelItemCount() > 0)
                transfer(true);
            return true;
        }
        return QDialog::eventFilter(watched, event);
    }
    if (event->type() == QEvent::FocusOut) {
        if (auto* tel = qobject_cast<QLineEdit*>(watched); tel && m_faxOf.contains(tel)) {
            QLineEdit* fax = m_faxOf.value(tel);
            if (fax->text().isEmpty() && !tel->text().isEmpty())
                fax->setText(tel->text());
        }
    }
    return QDialog::eventFilter(watched, event);
}
