#include "DMLabelForm.h"

#include "HelpForm.h"
#include "LabelPreview.h"
#include "Prompter.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>

// The label window's layouts: the one shown, its fields and the drags in
// the preview that edit it, and the DMlabel rows it is kept in.

namespace {

const QString kSaveTitle = QStringLiteral("保存確認");
const QString kDeleteTitle = QStringLiteral("削除確認");
const QString kEditedQuestion = QStringLiteral("データが編集されています。　保存しますか？");
constexpr double kSpacingStep = 0.1;

}  // namespace

void DMLabelForm::showError(const QString& message)
{
    Prompter::current().show({PromptTitle::Error, message, Prompter::Icon::Critical, Prompter::Ok, Prompter::Ok});
}

void DMLabelForm::listLayouts(qint64 selectId)
{
    if (!m_store.list(&m_layouts)) {
        showError(m_store.errorString());
        return;
    }
    if (m_layouts.isEmpty()) {
        // Every layout gone (removed by hand): start again from the standard sheet.
        const qint64 id = m_store.create(LabelLayout::standard());
        if (id == 0 || !m_store.list(&m_layouts)) {
            showError(m_store.errorString());
            return;
        }
        selectId = id;
    }
    int index = 0;
    for (int i = 0; i < m_layouts.size(); ++i)
        if (m_layouts[i].id == selectId)
            index = i;
    m_filling = true;
    m_dmCombo->clear();
    for (const LayoutName& n : m_layouts)
        m_dmCombo->addItem(n.name);
    m_dmCombo->setCurrentIndex(index);
    m_filling = false;
    LabelLayout layout;
    bool found = false;
    if (!m_store.load(m_layouts[index].id, &layout, &found)) {
        showError(m_store.errorString());
        return;
    }
    if (found)
        showLayout(layout);
}

void DMLabelForm::chooseLayout(int index)
{
    if (m_filling || index < 0 || index >= m_layouts.size())
        return;
    const qint64 id = m_layouts[index].id;
    if (id == m_job.layout.id)
        return;
    askToSaveEdits();
    LabelLayout layout;
    bool found = false;
    if (!m_store.load(id, &layout, &found)) {
        showError(m_store.errorString());
        return;
    }
    if (!found) {
        Prompter::current().show({PromptTitle::Warning, QStringLiteral("このラベル設定は他のパソコンで削除されています。"),
                                  Prompter::Icon::Warning, Prompter::Ok, Prompter::Ok});
        listLayouts(0);
        return;
    }
    listLayouts(id);
    setEdited(false);
}

void DMLabelForm::showLayout(const LabelLayout& layout)
{
    m_job.layout = layout;
    setEdited(false);
    fillFields();
    relayout();
}

void DMLabelForm::fillFields()
{
    m_filling = true;
    const LabelLayout& l = m_job.layout;
    m_nameText->setText(l.name);
    m_idText->setText(QString::number(l.id));
    m_retuText->setText(QString::number(l.clampedColumns()));
    m_gyouText->setText(QString::number(l.clampedRows()));
    for (int i = 0; i < LabelLayout::kSpacingCount; ++i)
        m_space[static_cast<size_t>(i)]->setText(LabelNumbers::mmText(l.spacing[static_cast<size_t>(i)]));
    m_filling = false;
    fillFontFields();
}

void DMLabelForm::fillFontFields()
{
    const int e = std::clamp(m_elemCombo->currentIndex(), 0, kLabelElementCount - 1);
    const ElementSpec& s = m_job.layout.elements[static_cast<size_t>(e)];
    m_filling = true;
    if (m_fontName->findText(s.fontName) < 0)
        m_fontName->addItem(s.fontName);
    m_fontName->setCurrentText(s.fontName);
    m_fontSize->setValue(s.fontSize);
    m_filling = false;
}

void DMLabelForm::relayout()
{
    m_job.plan.setLabelsPerSheet(m_job.layout.labelsPerSheet());
    const QString problem = m_job.layout.problem();
    m_layoutNote->setText(problem);
    m_layoutNote->setVisible(!problem.isEmpty());
    updatePages();
}

void DMLabelForm::setEdited(bool edited)
{
    m_edited = edited;
    setWindowTitle(edited ? QStringLiteral("DMラベル印刷 *") : QStringLiteral("DMラベル印刷"));
}

void DMLabelForm::commitSpacing(int i)
{
    if (i < 0 || i >= LabelLayout::kSpacingCount)
        return;
    QLineEdit* e = m_space[static_cast<size_t>(i)];
    double v = 0;
    const bool read = LabelNumbers::read(e->text(), &v);
    if (!read)
        Prompter::current().show({PromptTitle::Warning, QStringLiteral("数値をミリメートルで入力してください。"),
                                  Prompter::Icon::Warning, Prompter::Ok, Prompter::Ok});
    const bool changed = read && m_job.layout.setSpacing(i, v);
    // The field shows what the layout holds: rounded and within its
    // limits, or as it was after a mistake.
    m_filling = true;
    e->setText(LabelNumbers::mmText(m_job.layout.spacing[static_cast<size_t>(i)]));
    m_filling = false;
    sheetEdited(changed);
}

void DMLabelForm::stepSpacing(int i, int steps)
{
    if (i < 0 || i >= LabelLayout::kSpacingCount)
        return;
    const double v = m_job.layout.spacing[static_cast<size_t>(i)] + steps * kSpacingStep;
    m_space[static_cast<size_t>(i)]->setText(LabelNumbers::mmText(v));
    commitSpacing(i);
}

void DMLabelForm::setColumns(int columns)
{
    const bool changed = m_job.layout.setColumns(columns);
    fillFields();
    sheetEdited(changed);
}

void DMLabelForm::setRows(int rows)
{
    const bool changed = m_job.layout.setRows(rows);
    fillFields();
    sheetEdited(changed);
}

void DMLabelForm::sheetEdited(bool changed)
{
    if (!changed)
        return;
    setEdited(true);
    relayout();
}

void DMLabelForm::moveElement(LabelElement e, double leftTwips, double topTwips)
{
    if (m_job.layout.placeElement(e, leftTwips, topTwips))
        setEdited(true);
    m_preview->update();
}

void DMLabelForm::setElementFont(LabelElement e, const QString& name, double size)
{
    if (!m_job.layout.setFont(e, name, size))
        return;
    setEdited(true);
    m_preview->update();
}

void DMLabelForm::newLayout()
{
    const qint64 id = m_store.create(m_job.layout);
    if (id == 0) {
        showError(m_store.errorString());
        return;
    }
    listLayouts(id);
    // The new layout waits for its name; closing now offers to save it.
    setEdited(true);
    m_nameText->setFocus();
    m_nameText->selectAll();
}

bool DMLabelForm::writeLayout()
{
    m_job.layout.name = m_nameText->text().trimmed();
    if (m_job.layout.name.isEmpty()) {
        Prompter::current().show({PromptTitle::MissingEntry, QStringLiteral("ラベル設定の名前を入力してください。"),
                                  Prompter::Icon::Warning, Prompter::Ok, Prompter::Ok});
        m_nameText->setFocus();
        return false;
    }
    bool found = false;
    if (!m_store.save(m_job.layout, &found)) {
        showError(m_store.errorString());
        return false;
    }
    if (!found) {
        Prompter::current().show({PromptTitle::Warning,
                                  QStringLiteral("このラベル設定は他のパソコンで削除されたため、保存できませんでした。"),
                                  Prompter::Icon::Warning, Prompter::Ok, Prompter::Ok});
        return false;
    }
    const LabelLayout kept = m_job.layout;
    listLayouts(kept.id);
    setEdited(false);
    return true;
}

bool DMLabelForm::saveLayout()
{
    const Prompter::Button answer =
        Prompter::current().show({kSaveTitle, QStringLiteral("現在の位置情報を保存します。　よろしいですか？"),
                                  Prompter::Icon::Question, Prompter::Yes | Prompter::No, Prompter::Yes});
    if (answer != Prompter::Yes)
        return false;
    return writeLayout();
}

void DMLabelForm::deleteLayout()
{
    const Prompter::Button answer =
        Prompter::current().show({kDeleteTitle, QStringLiteral("現在の位置情報を削除します。　よろしいですか？"),
                                  Prompter::Icon::Question, Prompter::Yes | Prompter::No, Prompter::No});
    if (answer != Prompter::Yes)
        return;
    bool refused = false;
    if (!m_store.remove(m_job.layout.id, &refused)) {
        showError(m_store.errorString());
        return;
    }
    if (refused) {
        Prompter::current().show({kDeleteTitle, QStringLiteral("これ以上削除は出来ません。"), Prompter::Icon::Warning,
                                  Prompter::Ok, Prompter::Ok});
        return;
    }
    listLayouts(0);
    if (!m_store.setActive(m_job.layout.id, m_job.layout.name))
        showError(m_store.errorString());
    setEdited(false);
}

bool DMLabelForm::askToSaveEdits()
{
    if (!m_edited)
        return true;
    const Prompter::Button answer = Prompter::current().show(
        {kSaveTitle, kEditedQuestion, Prompter::Icon::Question, Prompter::Yes | Prompter::No, Prompter::Yes});
    if (answer == Prompter::Yes)
        return writeLayout();
    setEdited(false);
    return true;
}

// ---------------------------------------------------------------- closing

void DMLabelForm::closeWindow()
{
    reject();
}

void DMLabelForm::reject()
{
    // "閉じる", Escape and the title bar all end here. A save that fails
    // (no name, row gone) keeps the window open with its edits.
    if (!askToSaveEdits())
        return;
    if (m_help)
        m_help->close();
    QDialog::reject();
}
