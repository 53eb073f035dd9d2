#include "M_ArchitectForm.h"

#include "GuiCommon.h"
#include "common.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

using GuiCommon::namedButton;
using GuiCommon::namedEdit;

namespace {

// The texts of one column of a code list, in table order.
QStringList codeList(Storage& storage, const QString& table, const QString& column)
{
    MasterTable t(storage, DbFile::MasterData, table);
    QVector<MasterRow> rows;
    QStringList out;
    if (!t.list({}, &rows)) {
        common::ErrorBox(t.errorString());
        return out;
    }
    for (const MasterRow& r : rows)
        out << r.text(column);
    return out;
}

QComboBox* dropDown(const char* name, const QStringList& items)
{
    auto* c = new QComboBox;
    c->setObjectName(QString::fromLatin1(name));
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->addItems(items);
    GuiCommon::suggestWithoutCompleting(c);
    c->setCurrentIndex(-1);
    return c;
}

}  // namespace

M_ArchitectForm::M_ArchitectForm(Storage& storage, QWidget* parent, bool designersOnly)
    : TableMasterForm(storage, parent, ArchitectTable::kTable, QStringLiteral("U_NAME"), QStringLiteral("氏名")),
      m_designersOnly(designersOnly)
{
    setObjectName(QStringLiteral("M_ArchitectForm"));
    setWindowTitle(QStringLiteral("業者登録"));
    setHelpPage(QStringLiteral("kenchiku_master.html"));
    resize(1040, 600);

    const QStringList classes = codeList(storage, QStringLiteral("Class"), QStringLiteral("Class"));
    const QStringList offices = codeList(storage, QStringLiteral("Capacity1"), QStringLiteral("ADR_NAME"));
    const QStringList authorities = codeList(storage, QStringLiteral("Capacity2"), QStringLiteral("ADR_NAME"));

    auto* roles = new QGroupBox(QStringLiteral("業者属性"));
    auto* rl = new QHBoxLayout(roles);
    const QStringList roleNames{QStringLiteral("建築士"), QStringLiteral("設計者"), QStringLiteral("監理者"),
                                QStringLiteral("代理者"), QStringLiteral("施工者")};
    for (int i = 0; i < roleNames.size(); ++i) {
        auto* c = new QCheckBox(roleNames[i]);
        c->setObjectName(QStringLiteral("GyoushaCheck%1").arg(i));
        m_roles << c;
        rl->addWidget(c);
        bindField(ArchitectTable::roleColumns().at(i), c);
    }
    rl->addStretch(1);

    // One block per person: the architect (suffix "") and the office ("2").
    struct Block {
        QLineEdit* name;
        QLineEdit* post;
        QPushButton* adrBtn;
        QPushButton* postBtn;
        QComboBox* addr1;
        QLineEdit* addr2;
        QLineEdit* addr3;
        QComboBox* class1;
        QComboBox* class2;
        QLineEdit* classText;
        QLineEdit* tel;
        QLineEdit* fax;
        QLineEdit* mail;
        QPushButton* mailTo;
        QLineEdit* url;
        QPushButton* urlTo;
    };
    const QString toAddress = QStringLiteral("郵便番号から住所を入力します。");
    const QString toCode = QStringLiteral("住所から郵便番号を入力します。");
    // The office's block is named as the architect's with a 2 after each
    // name; only its name field, its postal code and its second list differ.
    const auto makeBlock = [&](const char* nameField, const char* post, const QByteArray& s,
                               const QStringList& seconds) {
        const auto edit = [&s](const char* base) { return namedEdit((base + s).constData()); };
        const auto button = [&s](const char* base, const QString& caption, const QString& tip = {}) {
            return namedButton((base + s).constData(), caption, tip);
        };
        const auto list = [&s](const char* base, const QStringList& items) {
            return dropDown((base + s).constData(), items);
        };
        return Block{namedEdit(nameField), namedEdit(post), button("AdrBtn", QStringLiteral("住所"), toAddress),
                     button("PostBtn", QStringLiteral("〒"), toCode), list("Addr1Text", {}), edit("Addr2Text"),
                     edit("Addr3Text"), list("Class1", classes), list("Class2", seconds), edit("ClassText"),
                     edit("TelText"), edit("FaxText"), edit("MailText"), button("Mail_To", QStringLiteral("メール")),
                     edit("UrlText"), button("URL_To", QStringLiteral("URL"))};
    };
    Block a = makeBlock("ArchName", "Post1", {}, authorities);
    Block o = makeBlock("OficceText", "Post2", "2", offices);
    fillPrefectures(a.addr1, zones());
    fillPrefectures(o.addr1, zones());

    auto frame = [](const QString& title, const Block& b, const QStringList& captions) {
        auto* box = new QGroupBox(title);
        auto* g = new QGridLayout(box);
        int r = 0;
        auto row = [&](const QString& caption, QWidget* w, QWidget* extra = nullptr, QWidget* extra2 = nullptr) {
            g->addWidget(new QLabel(caption), r, 0);
            if (!extra) {
                g->addWidget(w, r, 1, 1, 3);
            } else {
                g->addWidget(w, r, 1);
                g->addWidget(extra, r, 2, 1, extra2 ? 1 : 2);
                if (extra2)
                    g->addWidget(extra2, r, 3);
            }
            ++r;
        };
        row(captions[0], b.name);
        row(QStringLiteral("郵便番号"), b.post, b.adrBtn, b.postBtn);
        row(QStringLiteral("住所1"), b.addr1);
        row(QStringLiteral("住所2"), b.addr2);
        row(QStringLiteral("住所3"), b.addr3);
        row(captions[1], b.class1);
        row(captions[2], b.class2);
        row(captions[3], b.classText);
        row(QStringLiteral("電話番号"), b.tel);
        row(QStringLiteral("FAX番号"), b.fax);
        // The e-mail and web buttons stand where the captions would.
        for (auto [button, field] : {std::pair{b.mailTo, b.mail}, std::pair{b.urlTo, b.url}}) {
            g->addWidget(button, r, 0);
            g->addWidget(field, r++, 1, 1, 3);
        }
        g->setColumnStretch(1, 1);
        g->setRowStretch(r, 1);
        return box;
    };
    QGroupBox* archFrame = frame(QStringLiteral("建築士情報"), a,
                                 {QStringLiteral("建築士名"), QStringLiteral("資格"), QStringLiteral("建築士"), QStringLiteral("登録")});
    QGroupBox* officeFrame =
        frame(QStringLiteral("事務所情報"), o,
              {QStringLiteral("所属事務所名"), QStringLiteral("建築士事務所"), QStringLiteral("知事登録"),
               QStringLiteral("所属事務所登録")});
    archFrame->setObjectName(QStringLiteral("ArchFrame"));
    officeFrame->setObjectName(QStringLiteral("OfficeFrame"));

    // Bound in the order Apply writes the columns.
    const QVector<QWidget*> archFields{a.name, a.post, a.addr1, a.addr2, a.addr3, a.class1, a.class2, a.classText,
                                       a.tel,  a.fax,  a.mail,  a.url};
    const QVector<QWidget*> officeFields{o.name, o.post, o.addr1, o.addr2, o.addr3, o.class1, o.class2, o.classText,
                                         o.tel,  o.fax,  o.mail,  o.url};
    const QStringList& columns = ArchitectTable::textColumns();
    for (int i = 0; i < archFields.size(); ++i)
        bindField(columns.at(i), archFields[i]);
    for (int i = 0; i < officeFields.size(); ++i)
        bindField(columns.at(archFields.size() + i), officeFields[i]);
    setEnterOrder(archFields + officeFields + QVector<QWidget*>{applyButton()});
    addPostalBlock(a.post, a.addr1, a.addr2, a.addr3, a.adrBtn, a.postBtn);
    addPostalBlock(o.post, o.addr1, o.addr2, o.addr3, o.adrBtn, o.postBtn);
    copyOnLeave(a.tel, a.fax);
    copyOnLeave(o.tel, o.fax);
    connect(a.mailTo, &QPushButton::clicked, this, [this, m = a.mail] { openMail(m->text()); });
    connect(o.mailTo, &QPushButton::clicked, this, [this, m = o.mail] { openMail(m->text()); });
    connect(a.urlTo, &QPushButton::clicked, this, [u = a.url] { openUrl(u->text()); });
    connect(o.urlTo, &QPushButton::clicked, this, [u = o.url] { openUrl(u->text()); });
    m_frames = {roles, archFrame, officeFrame};
    setEntryWidgets(m_frames);

    QVBoxLayout* left = listColumn();
    auto* frames = new QHBoxLayout;
    frames->addWidget(archFrame, 1);
    frames->addWidget(officeFrame, 1);
    QHBoxLayout* buttons = buttonRow();
    auto* right = new QVBoxLayout;
    right->addWidget(roles);
    right->addLayout(frames, 1);
    right->addLayout(buttons);
    auto* root = new QHBoxLayout(this);
    root->addLayout(left, 1);
    root->addLayout(right, 4);
    setEdited(false);
}

bool M_ArchitectForm::readRows(QVector<MasterRow>* rows, QString* error)
{
    return ArchitectTable::list(storage(), std::exchange(m_designersOnly, false), rows, error);
}

qint64 M_ArchitectForm::createRecord()
{
    return ArchitectTable::create(storage(), &m_error);
}

void M_ArchitectForm::fillPick(MasterPickResult& r, bool)
{
    r.source = MasterPickResult::Source::Architect;
    r.key = shownId();
    MasterPickResult::Architect& a = r.architect;
    a.name = fieldText("ArchName");
    a.postalCode = fieldText("Post1");
    a.address1 = fieldText("Addr1Text");
    a.address2 = fieldText("Addr2Text");
    a.address3 = fieldText("Addr3Text");
    a.qualification = fieldText("Class1");
    a.authority = fieldText("Class2");
    a.registration = fieldText("ClassText");
    a.officeName = fieldText("OficceText");
    a.officePostalCode = fieldText("Post2");
    a.officeAddress1 = fieldText("Addr1Text2");
    a.officeAddress2 = fieldText("Addr2Text2");
    a.officeAddress3 = fieldText("Addr3Text2");
    a.officeClass = fieldText("Class12");
    a.officePrefecture = fieldText("Class22");
    a.officeRegistration = fieldText("ClassText2");
    a.officeTelephone = fieldText("TelText2");
    a.officeFax = fieldText("FaxText2");
    // The shared slots: the person and the office that letters go to.
    r.personName = a.name;
    r.firmName = a.officeName;
    r.postalCode = a.officePostalCode;
    r.address1 = a.officeAddress1;
    r.address2 = a.officeAddress2;
    r.address3 = a.officeAddress3;
    r.telephone = a.officeTelephone;
}
