#include "M_ConnectCorpForm.h"

#include "GuiCommon.h"
#include "common.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

using GuiCommon::namedButton;
using GuiCommon::namedEdit;

M_ConnectCorpForm::M_ConnectCorpForm(Storage& storage, QWidget* parent, int trade)
    : TableMasterForm(storage, parent, ConnectCorpTable::kTable, QStringLiteral("Name"), QStringLiteral("名称")),
      m_trade(trade)
{
    setObjectName(QStringLiteral("M_ConnectCorpForm"));
    setWindowTitle(QStringLiteral("取引先登録"));
    setHelpPage(QStringLiteral("tori_master.html"));
    resize(900, 600);

    auto* trades = new QGroupBox(QStringLiteral("業者属性"));
    auto* tl = new QHBoxLayout(trades);
    const QStringList tradeNames{QStringLiteral("電気"), QStringLiteral("給排"), QStringLiteral("空調"),
                                 QStringLiteral("その他")};
    for (int i = 0; i < tradeNames.size(); ++i) {
        auto* c = new QCheckBox(tradeNames[i]);
        c->setObjectName(QStringLiteral("GyoushaCheck%1").arg(i));
        tl->addWidget(c);
        bindField(ConnectCorpTable::tradeColumns().at(i), c);
    }
    tl->addStretch(1);

    QLineEdit* corpName = namedEdit("CorpName");
    QLineEdit* furigana = namedEdit("CorpFurigana");
    QLineEdit* post = namedEdit("POST");
    post->setMaximumWidth(120);
    QPushButton* adrBtn = namedButton("AdrBtn", QStringLiteral("住所"), QStringLiteral("郵便番号から住所を入力します。"));
    QPushButton* postBtn = namedButton("PostBtn", QStringLiteral("〒"), QStringLiteral("住所から郵便番号を入力します。"));
    m_prefecture = new QComboBox;
    m_prefecture->setObjectName(QStringLiteral("Addr1Text"));
    fillPrefectures(m_prefecture, zones());
    m_prefecture->setMaximumWidth(160);
    QLineEdit* addr2 = namedEdit("Addr2Text");
    QLineEdit* addr3 = namedEdit("Addr3Text");
    QLineEdit* tel = namedEdit("TelText");
    QLineEdit* fax = namedEdit("FaxText");
    QLineEdit* tantou = namedEdit("TantouText");
    QLineEdit* busho = namedEdit("Busho");
    QLineEdit* katagaki = namedEdit("Katagaki");
    QLineEdit* mail = namedEdit("MailText");
    QLineEdit* url = namedEdit("UrlText");
    auto* bikou = new QPlainTextEdit;
    bikou->setObjectName(QStringLiteral("Bikou"));
    QPushButton* mailTo = namedButton("Mail_To", QStringLiteral("メール"), QStringLiteral("このアドレスにメールを作成します。"));
    QPushButton* urlTo = namedButton("URL_To", QStringLiteral("URL"), QStringLiteral("このホームページをブラウザで開きます。"));

    auto* company = new QGroupBox(QStringLiteral("取引先情報"));
    auto* g = new QGridLayout(company);
    int r = 0;
    auto row = [&](const QString& caption, QWidget* w) {
        g->addWidget(new QLabel(caption), r, 0);
        g->addWidget(w, r++, 1, 1, 3);
    };
    row(QStringLiteral("会社名"), corpName);
    row(QStringLiteral("会社名ふりがな"), furigana);
    g->addWidget(new QLabel(QStringLiteral("郵便番号")), r, 0);
    auto* postRow = new QHBoxLayout;
    postRow->addWidget(post);
    postRow->addWidget(adrBtn);
    postRow->addWidget(postBtn);
    postRow->addStretch(1);
    g->addLayout(postRow, r++, 1, 1, 3);
    row(QStringLiteral("住所1"), m_prefecture);
    row(QStringLiteral("住所2"), addr2);
    row(QStringLiteral("住所3"), addr3);
    g->addWidget(new QLabel(QStringLiteral("電話番号")), r, 0);
    g->addWidget(tel, r, 1);
    g->addWidget(new QLabel(QStringLiteral("FAX番号")), r, 2);
    g->addWidget(fax, r++, 3);
    g->setColumnStretch(1, 1);
    g->setColumnStretch(3, 1);

    auto* person = new QGroupBox(QStringLiteral("担当者設定"));
    auto* pg = new QGridLayout(person);
    pg->addWidget(new QLabel(QStringLiteral("担当者名")), 0, 0);
    pg->addWidget(tantou, 0, 1, 1, 3);
    pg->addWidget(new QLabel(QStringLiteral("部署")), 1, 0);
    pg->addWidget(busho, 1, 1);
    pg->addWidget(new QLabel(QStringLiteral("役職")), 1, 2);
    pg->addWidget(katagaki, 1, 3);
    pg->addWidget(new QLabel(QStringLiteral("メールアドレス")), 2, 0);
    auto* mailRow = new QHBoxLayout;
    mailRow->addWidget(mail, 1);
    mailRow->addWidget(mailTo);
    pg->addLayout(mailRow, 2, 1, 1, 3);
    pg->addWidget(new QLabel(QStringLiteral("会社URL")), 3, 0);
    auto* urlRow = new QHBoxLayout;
    urlRow->addWidget(url, 1);
    urlRow->addWidget(urlTo);
    pg->addLayout(urlRow, 3, 1, 1, 3);
    pg->setColumnStretch(1, 1);
    pg->setColumnStretch(3, 1);

    auto* note = new QGroupBox(QStringLiteral("備考"));
    auto* nl = new QVBoxLayout(note);
    nl->addWidget(bikou);

    // Bound in the order Apply writes the columns; Adr_ID goes in after POST.
    const QVector<QPair<const char*, QWidget*>> binds{
        {"FURI", furigana}, {"Name", corpName},         {"POST", post},        {"Addr1", m_prefecture},
        {"Addr2", addr2},   {"Addr3", addr3},           {"Tel", tel},          {"Fax", fax},
        {"FLACK_NAME", tantou}, {"POST_AREA", busho},   {"STATUS_POS", katagaki}, {"E_MAIL", mail},
        {"URL", url},       {"ANOTHER", bikou}};
    for (const auto& [column, widget] : binds)
        bindField(QString::fromLatin1(column), widget);
    setEnterOrder({corpName, furigana, post, m_prefecture, addr2, addr3, tel, fax, tantou, busho, katagaki, mail, url,
                   bikou});
    addPostalBlock(post, m_prefecture, addr2, addr3, adrBtn, postBtn);
    copyOnLeave(tel, fax);
    connect(mailTo, &QPushButton::clicked, this, [this, mail] { openMail(mail->text()); });
    connect(urlTo, &QPushButton::clicked, this, [url] { openUrl(url->text()); });
    // Choosing a prefecture (or a postal look-up filling it) sets the zone.
    auto chooseZone = [this](const QString& text) {
        for (const Zone& z : zones())
            if (z.name == text)
                m_zoneId = z.id;
    };
    connect(m_prefecture, &QComboBox::currentTextChanged, this, chooseZone);
    setEntryWidgets({trades, company, person, note});

    QVBoxLayout* left = listColumn();
    QHBoxLayout* buttons = buttonRow();
    auto* right = new QVBoxLayout;
    right->addWidget(trades);
    right->addWidget(company);
    right->addWidget(person);
    right->addWidget(note, 1);
    right->addLayout(buttons);
    auto* root = new QHBoxLayout(this);
    root->addLayout(left, 1);
    root->addLayout(right, 3);

    QString ignored;  // a place that cannot be read leaves the window where it opens
    keepPlace(WindowPlacement(this, QStringLiteral("CNCT_TOP"), QStringLiteral("CNCT_LEFT")), &ignored);
    setEdited(false);
}

bool M_ConnectCorpForm::readRows(QVector<MasterRow>* rows, QString* error)
{
    return ConnectCorpTable::list(storage(), std::exchange(m_trade, 0), rows, error);
}

void M_ConnectCorpForm::showRow(const MasterRow& row)
{
    m_zoneId = row.value(QStringLiteral("Adr_ID")).toLongLong();
    loadBound(row);
}

void M_ConnectCorpForm::clearFields()
{
    clearBound();
    m_zoneId = 0;
}

qint64 M_ConnectCorpForm::createRecord()
{
    return ConnectCorpTable::create(storage(), &m_error);
}

void M_ConnectCorpForm::afterCreate(qint64 id)
{
    MasterTable table(storage(), DbFile::MasterData, ConnectCorpTable::kTable);
    MasterRow row;
    bool found = false;
    if (!table.read(id, &row, &found) || !found) {
        relist(id);
        return;
    }
    // The new company joins the list as it stands, even one listed for a trade.
    m_rows.append(row);
    addListItem(rowTexts(row), id);
    setEmptyState(false);
    selectId(id);
    if (!enterOrder().isEmpty())
        focusField(enterOrder().first());
}

ColumnValues M_ConnectCorpForm::valuesToWrite() const
{
    ColumnValues values;
    for (const auto& v : boundValues()) {
        values.append(v);
        if (v.first == QLatin1String("POST"))
            values.append({QStringLiteral("Adr_ID"), m_zoneId});
    }
    return values;
}

void M_ConnectCorpForm::afterApply(qint64 id)
{
    // Listed again: a trade request has been used up, so all companies show.
    relist(id);
}

bool M_ConnectCorpForm::removeRecords(const QVector<qint64>& ids)
{
    // Kept one by one: after a failure only the companies that went leave the list.
    for (qint64 id : ids) {
        if (!TableMasterForm::removeRecords({id}))
            return false;
        m_deleted << id;
    }
    return true;
}

void M_ConnectCorpForm::afterDelete(int firstDeletedRow)
{
    // Taken out of the list as it stands, without listing again.
    QTreeWidget* list = recordList();
    for (int i = list->topLevelItemCount() - 1; i >= 0; --i)
        if (m_deleted.contains(itemId(list->topLevelItem(i))))
            delete list->takeTopLevelItem(i);
    m_rows.erase(std::remove_if(m_rows.begin(), m_rows.end(),
                                [this](const MasterRow& r) { return m_deleted.contains(r.id); }),
                 m_rows.end());
    m_deleted.clear();
    const int n = list->topLevelItemCount();
    if (n == 0) {
        showEmpty();
        return;
    }
    selectRow(qBound(0, firstDeletedRow, n - 1));
}

void M_ConnectCorpForm::fillPick(MasterPickResult& r, bool)
{
    r.source = MasterPickResult::Source::Company;
    r.key = shownId();
    r.personName = fieldText("TantouText");
    r.secondName = fieldText("CorpFurigana");
    r.firmName = fieldText("CorpName");
    r.postalCode = fieldText("POST");
    r.address1 = fieldText("Addr1Text");
    r.address2 = fieldText("Addr2Text");
    r.address3 = fieldText("Addr3Text");
    r.telephone = fieldText("TelText");
    r.fax = fieldText("FaxText");
    r.email = fieldText("MailText");
}
