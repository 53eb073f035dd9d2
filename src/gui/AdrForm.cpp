#include "AdrForm.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

AdrForm::AdrForm(QWidget* parent)
    : QDialog(parent)
    , m_list(new QListWidget(this))
    , m_choiceBtn(new QPushButton(QStringLiteral("選択"), this))
    , m_cancelBtn(new QPushButton(QStringLiteral("キャンセル"), this))
{
    setObjectName(QStringLiteral("AdrForm"));
    setWindowTitle(QStringLiteral("住所選択"));
    setModal(true);
    m_list->setObjectName(QStringLiteral("List1"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_choiceBtn->setObjectName(QStringLiteral("ChoiceBtn"));
    m_cancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    // Enter must not pick whatever happens to be current before the user
    // has pointed at an address.
    m_choiceBtn->setAutoDefault(false);
    m_cancelBtn->setAutoDefault(false);
    m_choiceBtn->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_choiceBtn);
    buttons->addWidget(m_cancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
    resize(520, 320);

    connect(m_list, &QListWidget::itemClicked, this, [this] { m_choiceBtn->setEnabled(m_list->count() > 0); });
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { choose(); });
    connect(m_choiceBtn, &QPushButton::clicked, this, [this] { choose(); });
    connect(m_cancelBtn, &QPushButton::clicked, this, [this] { cancel(); });
}

void AdrForm::setItems(const QStringList& items)
{
    m_list->clear();
    m_list->addItems(items);
    m_choiceBtn->setEnabled(false);
    m_chosenText.clear();
    m_chosenIndex = -1;
}

void AdrForm::choose()
{
    QListWidgetItem* item = m_list->currentItem();
    if (!item)
        return;
    m_chosenText = item->text();
    m_chosenIndex = m_list->row(item);
    accept();
}

void AdrForm::cancel()
{
    m_chosenText.clear();
    m_chosenIndex = -1;
    reject();
}

int AdrFormChooser::choose(const QStringList& items)
{
    AdrForm form(m_parent);
    form.setItems(items);
    form.exec();
    return form.chosenText().isEmpty() ? -1 : form.chosenIndex();
}
