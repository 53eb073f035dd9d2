#include "ShuYoutoForm.h"

#include "Recordset.h"
#include "Storage.h"
#include "common.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QResizeEvent>
#include <QStatusBar>
#include <QTreeWidget>
#include <QVBoxLayout>

ShuYoutoForm::ShuYoutoForm(Storage& storage, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ShuYoutoForm"));
    setWindowTitle(QStringLiteral("主用途（建物種別）選択"));

    m_list = new QTreeWidget;
    m_list->setObjectName(QStringLiteral("ListView1"));
    m_list->setHeaderLabels({QStringLiteral("No"), QStringLiteral("種別"), QStringLiteral("種別名")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->header()->setStretchLastSection(false);

    m_send = new QPushButton(QStringLiteral("転送"));
    m_send->setObjectName(QStringLiteral("SendBtn"));
    m_send->setToolTip(QStringLiteral("選んだ種別を入力画面に送ります。"));
    m_close = new QPushButton(QStringLiteral("閉じる"));
    m_close->setObjectName(QStringLiteral("OkBtn"));
    m_close->setToolTip(QStringLiteral("何も選ばずに閉じます。"));
    m_close->setAutoDefault(false);
    m_status = new QStatusBar;
    m_status->setObjectName(QStringLiteral("StatusBar1"));
    m_status->setSizeGripEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_send);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 0);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    layout->addWidget(m_status);

    connect(m_send, &QPushButton::clicked, this, &ShuYoutoForm::send);
    connect(m_list, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        m_list->setCurrentItem(item);
        send();
    });
    connect(m_close, &QPushButton::clicked, this, [this] {
        m_result.clear();
        reject();
    });
    connect(m_list, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { m_send->setEnabled(item != nullptr); });
    m_send->setEnabled(false);

    Recordset rs(storage, DbFile::MasterData);
    if (!rs.open(QStringLiteral("KenchikuButu"))) {
        common::ErrorBox(rs.errorString());
    } else {
        for (; !rs.eof(); rs.moveNext()) {
            m_list->addTopLevelItem(new QTreeWidgetItem(
                {rs.text(QStringLiteral("no")), rs.text(QStringLiteral("Type")), rs.text(QStringLiteral("Name"))}));
            m_codes << rs.text(QStringLiteral("CODE"));
        }
    }
    m_status->showMessage(QStringLiteral("%1 件　ダブルクリックか Enter キーで選びます。").arg(m_codes.size()));
    resize(720, 460);
}

QString ShuYoutoForm::choose(Storage& storage, QWidget* parent)
{
    ShuYoutoForm form(storage, parent);
    form.exec();
    return form.result();
}

void ShuYoutoForm::send()
{
    const int i = m_list->indexOfTopLevelItem(m_list->currentItem());
    if (i < 0 || i >= m_codes.size())
        return;
    m_result = m_codes[i];
    accept();
}

void ShuYoutoForm::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    fitColumns();
}

// One tenth, four tenths and half of the list's width.
void ShuYoutoForm::fitColumns()
{
    const int w = m_list->viewport()->width();
    m_list->setColumnWidth(0, w / 10);
    m_list->setColumnWidth(1, w * 4 / 10);
    m_list->setColumnWidth(2, w - w / 10 - w * 4 / 10);
}
