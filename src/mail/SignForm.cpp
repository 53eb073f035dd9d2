#include "SignForm.h"

#include "common.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

SignForm::SignForm(Storage& storage, QWidget* parent)
    : StoreMasterForm(storage, QStringLiteral("CancelCommand"), QStringLiteral("閉じる"),
                      QStringLiteral("署名登録を閉じます。"), parent)
{
    setObjectName(QStringLiteral("SignForm"));
    setWindowTitle(QStringLiteral("署名登録"));
    setHelpPage(QStringLiteral("sgin.html"));
    resize(760, 460);

    QTreeWidget* list = recordList();
    list->setObjectName(QStringLiteral("SignListView"));
    list->setHeaderLabels({QStringLiteral("署名タイトル")});

    m_title = new QLineEdit;
    m_title->setObjectName(QStringLiteral("TitleText"));
    m_title->setToolTip(QStringLiteral("一覧に表示する署名のタイトルです。"));
    m_body = new QPlainTextEdit;
    m_body->setObjectName(QStringLiteral("BodyText"));
    m_body->setToolTip(QStringLiteral("署名やメールマガジンの本文を入力します。"));
    m_body->setTabChangesFocus(true);
    sendButton()->setToolTip(QStringLiteral("選択された署名・メルマガ内容を転送します。"));
    watch(m_title);
    watch(m_body);
    setEnterOrder({m_title, m_body});
    setEntryWidgets({m_title, m_body});

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("タイトル")), 0, 0);
    fields->addWidget(m_title, 0, 1);
    fields->addWidget(new QLabel(QStringLiteral("本文")), 1, 0, Qt::AlignTop);
    fields->addWidget(m_body, 1, 1);
    fields->setRowStretch(1, 1);

    QVBoxLayout* left = listColumn();
    QHBoxLayout* buttons = buttonRow();
    auto* right = new QVBoxLayout;
    right->addLayout(fields, 1);
    right->addLayout(buttons);
    auto* root = new QHBoxLayout(this);
    root->addLayout(left, 2);
    root->addLayout(right, 5);
    list->header()->setStretchLastSection(true);
    setEdited(false);
}

bool SignForm::pick(Storage& storage, QWidget* parent, QString* text)
{
    SignForm form(storage, parent);
    form.setPickMode(true);
    form.exec();
    if (!form.picked())
        return false;
    *text = form.chosenText();
    return true;
}

QStringList SignForm::rowTexts(const Signature& s) const
{
    return {s.name};
}

void SignForm::showRow(const Signature& s)
{
    m_title->setText(s.name);
    m_body->setPlainText(s.body);
}

void SignForm::clearFields()
{
    m_title->clear();
    m_body->clear();
}

bool SignForm::writeRecord(qint64 id, bool* found)
{
    if (!m_store.write(id, m_title->text(), m_body->toPlainText(), found)) {
        m_error = m_store.errorString();
        return false;
    }
    const int i = rowIndexOf(m_rows, id);
    if (*found && i >= 0) {
        m_rows[i].name = m_title->text();
        m_rows[i].body = m_body->toPlainText();
    }
    return true;
}

bool SignForm::canTransfer() const
{
    return isPickMode();
}

void SignForm::fillPick(MasterPickResult&, bool)
{
    // The text as shown: what the user sees is what goes into the message.
    m_chosen = m_body->toPlainText();
}
