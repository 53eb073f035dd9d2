#include "ProjectHeaderPanel.h"

#include "AdrForm.h"
#include "BoxFit.h"
#include "EnterOrder.h"
#include "FocusHighlight.h"
#include "GuiCommon.h"
#include "MenuCommands.h"
#include "PostalLookup.h"
#include "Recordset.h"
#include "Storage.h"
#include "TextNumbers.h"
#include "common.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSpinBox>
#include <QVBoxLayout>

#include <utility>

namespace {

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

// A captioned field in a row of a group, across the whole width.
void addRow(QGridLayout* grid, int row, const QString& text, QWidget* field, Qt::Alignment align = {})
{
    grid->addWidget(caption(text, field), row, 0);
    grid->addWidget(field, row, 1, 1, 3, align);
}

// A captioned field followed by what belongs to it (a unit, a button) and room to spare.
void addRowWith(QGridLayout* grid, int row, const QString& text, QWidget* field, QWidget* after, int spacing = -1)
{
    auto* line = new QHBoxLayout;
    if (spacing >= 0)
        line->setSpacing(spacing);
    line->addWidget(field);
    line->addWidget(after);
    line->addStretch(1);
    grid->addWidget(caption(text, field), row, 0);
    grid->addLayout(line, row, 1, 1, 3);
}

QLineEdit* lineEdit(const char* name)
{
    auto* e = new QLineEdit;
    e->setObjectName(QString::fromLatin1(name));
    return e;
}

// Editable, so that a stored value that is no longer in the code list
// still shows as it was saved; what is typed is kept, the list only suggests.
QComboBox* codeBox(const char* name)
{
    auto* c = new QComboBox;
    c->setObjectName(QString::fromLatin1(name));
    c->setEditable(true);
    GuiCommon::suggestWithoutCompleting(c);
    c->setMinimumWidth(200);
    return c;
}

}  // namespace

ProjectHeaderPanel::ProjectHeaderPanel(Storage& storage, QWidget* parent)
    : QWidget(parent)
    , m_storage(storage)
{
    m_kouji = lineEdit("Kouji");
    QLineEdit* buken = lineEdit("Buken");
    QLineEdit* furi1 = lineEdit("Furi1");
    QLineEdit* furi2 = lineEdit("Furi2");
    QLineEdit* name7 = lineEdit("Name7");
    m_post6 = lineEdit("Post6");
    m_addr6 = lineEdit("Addr6");
    QLineEdit* tel4 = lineEdit("Tel4");
    QLineEdit* kin1 = lineEdit("Kin1");
    m_shu1 = codeBox("Shu1");
    m_shu2 = codeBox("Shu2");
    m_post6->setMaximumWidth(110);
    tel4->setMaximumWidth(200);
    kin1->setMaximumWidth(160);
    kin1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    const auto request = [this](const QString& key) { emit commandRequested(key); };
    QPushButton* postBtn = MenuCommands::makeButton("PostBtn", request);
    QPushButton* addrBtn = MenuCommands::makeButton("AddrBtn", request);
    for (QPushButton* b : {postBtn, addrBtn})
        b->setFocusPolicy(Qt::TabFocus);

    m_tousu = new CountBox;
    m_tousu->setObjectName(QStringLiteral("Tousu"));
    m_tousu->setRange(1, 3);
    m_tousu->setAlignment(Qt::AlignCenter);
    m_tousu->setMinimumWidth(60);
    m_tousu->setToolTip(QStringLiteral("申請する棟数（１～３）。数字を入力するか、上下の矢印キーで変えます。"));

    m_fields = {m_kouji, buken, furi1, m_tousu, furi2, name7, m_post6, m_addr6, tel4, m_shu1, m_shu2, kin1};

    // Building: what is being built and under which name.
    auto* building = new QGroupBox(QStringLiteral("物件"));
    auto* bg = new QGridLayout(building);
    bg->setVerticalSpacing(4);
    addRow(bg, 0, QStringLiteral("【工事名】"), m_kouji);
    addRow(bg, 1, QStringLiteral("【建築物の名称】"), buken);
    addRow(bg, 2, QStringLiteral("【フリガナ】"), furi1);
    addRowWith(bg, 3, QStringLiteral("申請棟数"), m_tousu, new QLabel(QStringLiteral("棟")), 2);
    bg->setColumnStretch(1, 1);
    // Both groups share one caption width so that their fields line up.
    const int captionWidth = fontMetrics().horizontalAdvance(QStringLiteral("【資本の額又は出資の総額】")) + 8;
    bg->setColumnMinimumWidth(0, captionWidth);

    // Building owner: the people and company the application is made for.
    auto* owner = new QGroupBox(QStringLiteral("建築主"));
    auto* og = new QGridLayout(owner);
    og->setVerticalSpacing(4);
    addRow(og, 0, QStringLiteral("【イ．フリガナ】"), furi2);
    addRow(og, 1, QStringLiteral("【ロ．建築主名】"), name7);
    addRowWith(og, 2, QStringLiteral("【ハ．郵便番号】"), m_post6, postBtn);
    og->addWidget(caption(QStringLiteral("【ニ．住所】"), m_addr6), 3, 0);
    og->addWidget(m_addr6, 3, 1, 1, 2);
    og->addWidget(addrBtn, 3, 3);
    addRow(og, 4, QStringLiteral("【ホ．電話番号】"), tel4);
    addRow(og, 5, QStringLiteral("【建築主の種別】"), m_shu1, Qt::AlignLeft);
    addRow(og, 6, QStringLiteral("【業種】"), m_shu2, Qt::AlignLeft);
    addRowWith(og, 7, QStringLiteral("【資本の額又は出資の総額】"), kin1, new QLabel(QStringLiteral("百万円")));
    og->setColumnStretch(1, 1);
    og->setColumnMinimumWidth(0, captionWidth);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(building);
    layout->addWidget(owner);

    // Enter walks the fields as the clerk fills them; the postal code looks
    // its address up on the way, and a typed count is taken before moving on.
    auto* order = new EnterOrder(this, m_fields, EnterOrder::CursorToEnd);
    order->setHandler([this](QWidget* field, const QKeyEvent&) {
        if (field == m_post6)
            emit commandRequested(QStringLiteral("PostBtn"));
        if (field == m_tousu)
            m_tousu->interpretText();
        return false;
    });
    auto* highlight = new FocusHighlight(this);
    for (QWidget* w : std::as_const(m_fields))
        highlight->add(w);
    const auto edited = [this] {
        if (!m_loading)
            emit fieldsEdited();
    };
    for (QLineEdit* e : {m_kouji, buken, furi1, furi2, name7, m_post6, m_addr6, tel4, kin1})
        connect(e, &QLineEdit::textChanged, this, edited);
    // The text before each change, for taking back one that cannot print:
    // textChanged comes just before textEdited.
    for (QLineEdit* e : {m_kouji, buken, furi1, furi2, name7, m_addr6, tel4}) {
        connect(e, &QLineEdit::textChanged, this, [this, e](const QString& now) {
            m_fitBefore.insert(e, m_fitNow.value(e));
            m_fitNow.insert(e, now);
        });
        connect(e, &QLineEdit::textEdited, this, [this, e] { checkFit(e); });
    }
    for (QComboBox* c : {m_shu1, m_shu2})
        connect(c, &QComboBox::currentTextChanged, this, edited);
    connect(m_tousu, &QSpinBox::valueChanged, this, &ProjectHeaderPanel::buildingCountChanged);

    for (int i = 0; i + 1 < m_fields.size(); ++i)
        setTabOrder(m_fields[i], m_fields[i + 1]);
}

void ProjectHeaderPanel::fillCodeLists()
{
    const QScopedValueRollback<bool> loading(m_loading, true);
    QString error;
    if (!fillFromCodeList(m_storage, m_shu1, QStringLiteral("UserType"), QStringLiteral("USER_TYPE"), &error))
        common::ErrorBox(error);
    if (!fillFromCodeList(m_storage, m_shu2, QStringLiteral("JobType"), QStringLiteral("JOB_TYPE"), &error))
        common::ErrorBox(error);
}

void ProjectHeaderPanel::showProject(const ProjectData& project)
{
    const QScopedValueRollback<bool> loading(m_loading, true);
    for (QWidget* w : std::as_const(m_fields)) {
        const QString value = project.text(project.gaiyou, w->objectName());
        if (auto* e = qobject_cast<QLineEdit*>(w)) {
            e->setText(value);
            e->setCursorPosition(0);
        } else if (auto* c = qobject_cast<QComboBox*>(w)) {
            c->setCurrentIndex(c->findText(value));
            if (c->currentText() != value)
                c->setEditText(value);
        }
    }
    setBuildingCount(project.buildingCount);
}

void ProjectHeaderPanel::clear()
{
    const QScopedValueRollback<bool> loading(m_loading, true);
    for (QWidget* w : std::as_const(m_fields)) {
        if (auto* e = qobject_cast<QLineEdit*>(w))
            e->clear();
        else if (auto* c = qobject_cast<QComboBox*>(w))
            c->setCurrentIndex(-1);
    }
    setBuildingCount(1);
}

RowValues ProjectHeaderPanel::values() const
{
    RowValues edited;
    for (QWidget* w : std::as_const(m_fields)) {
        if (auto* e = qobject_cast<QLineEdit*>(w))
            edited.insert(w->objectName(), e->text());
        else if (auto* c = qobject_cast<QComboBox*>(w))
            edited.insert(w->objectName(), c->currentText());
    }
    return edited;
}

void ProjectHeaderPanel::focusFirst()
{
    m_kouji->setFocus(Qt::OtherFocusReason);
    m_kouji->selectAll();
}

void ProjectHeaderPanel::setBuildingCount(int count)
{
    m_tousu->setValue(qBound(1, count, 3));
}

void ProjectHeaderPanel::buildingCountChanged(int count)
{
    if (count == m_buildingCount)
        return;
    m_buildingCount = count;
    if (!m_loading)
        emit buildingCountEdited();
}

void ProjectHeaderPanel::lookUpAddress()
{
    AdrFormChooser windowChooser(window());
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

void ProjectHeaderPanel::lookUpPostalCode()
{
    AdrFormChooser windowChooser(window());
    PostalLookup lookup(m_storage, m_chooser ? m_chooser : &windowChooser);
    BusyCursor busy;
    const QString code = lookup.addressToCode(false, m_addr6->text());
    if (!lookup.errorString().isEmpty()) {
        common::ErrorBox(lookup.errorString());
        return;
    }
    if (code.isEmpty()) {
        emit note(QStringLiteral("住所に該当する郵便番号が見つかりません。"));
        return;
    }
    m_post6->setText(code);
}

// A header text is printed on the forms: what will not fit its box is
// told while typing, and what no box can print is not taken.
void ProjectHeaderPanel::checkFit(QLineEdit* field)
{
    const BoxFit& fit = BoxFit::shared();
    const QString table = QStringLiteral("GAIYOU");
    const QString column = field->objectName();
    const QString typed = field->text();
    const QString before = m_fitBefore.value(field);
    QString said;
    if (typed.size() > before.size() && fit.judge(table, column, typed).verdict == BoxFit::Verdict::TooLong) {
        // Text added at the end is kept as far as it prints; any other
        // change past the limit is taken back whole.
        QString allowed = typed.startsWith(before) ? fit.longestPrintable(table, column, typed) : before;
        if (allowed.size() < before.size())
            allowed = before;
        QApplication::beep();
        field->setText(allowed);
        said = QStringLiteral("印刷の枠（%1）に入りきらないため、%2 文字までしか入力できません。")
                   .arg(fit.judge(table, column, typed).where)
                   .arg(fit.longestPrintable(table, column, typed).size());
    } else {
        said = BoxFit::describe(fit.judge(table, column, typed));
    }
    field->setToolTip(said);
    emit note(said);
}
