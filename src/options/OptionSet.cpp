#include "OptionSet.h"

#include "EnterOrder.h"
#include "HelpForm.h"
#include "Prompter.h"
#include "ShoshikiSet.h"
#include "common.h"
#include "GuiCommon.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const char* const kGroupTitles[] = {"入力データの書式設定", "タイトル名の書式設定", "項目名の書式設定",
                                    "正・副名の書式設定"};

// The main-screen button each check box shows or hides, where the main
// window has one; the others belong to functions without a button there.
const char* const kButtonTargets[OptionValues::kButtons] = {
    nullptr, "書類作成", "顧客", "業者", nullptr, "環境", nullptr, "削除", nullptr, nullptr, nullptr, nullptr,
};

QRadioButton* radio(const QString& name, const QString& text)
{
    auto* r = new QRadioButton(text);
    r->setObjectName(name);
    return r;
}

QLineEdit* textField(const QString& name, int maxLength = 0)
{
    auto* e = new QLineEdit;
    e->setObjectName(name);
    if (maxLength > 0)
        e->setMaxLength(maxLength);
    return e;
}

QPushButton* button(const QString& name, const QString& text)
{
    auto* b = new QPushButton(text);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

// A combo box shows the stored text even when the list lacks it.
void showText(QComboBox* combo, const QString& text)
{
    int i = combo->findText(text);
    if (i < 0 && !text.isEmpty()) {
        combo->addItem(text);
        i = combo->count() - 1;
    }
    combo->setCurrentIndex(i);
}

}  // namespace

OptionSet::OptionSet(Storage& storage, std::function<void()> closeWorkbooks, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_storage(storage)
    , m_closeWorkbooks(std::move(closeWorkbooks))
    , m_chooseColor(ColorSplash::pick)
{
    setObjectName(QStringLiteral("OptionSet"));
    setWindowTitle(QStringLiteral("オプション設定"));
    setAttribute(Qt::WA_DeleteOnClose);
    // Enter moves on to the next field in Tab order, as everywhere in the program.
    m_enter = new EnterOrder(this, EnterOrder::PlainEnterOnly | EnterOrder::TabChain);

    m_tabs = new QTabWidget;
    m_tabs->setObjectName(QStringLiteral("SSTab1"));
    m_tabs->addTab(buildFontsPage(), QStringLiteral("書類の文字"));
    m_tabs->addTab(buildCompanyPage(), QStringLiteral("自社情報"));
    m_tabs->addTab(buildMainScreenPage(), QStringLiteral("メイン画面"));

    m_format = button(QStringLiteral("ShoshikiBtn"), QStringLiteral("書式設定"));
    m_format->setToolTip(QStringLiteral("書式設定を行います。少し時間を要します。"));
    m_save = button(QStringLiteral("SaveBtn"), QStringLiteral("適用"));
    m_close = button(QStringLiteral("CloseBtn"), QStringLiteral("閉じる"));
    m_helpBtn = button(QStringLiteral("HelpBtn"), QStringLiteral("ヘルプ"));
    for (QPushButton* b : {m_format, m_save, m_close, m_helpBtn})
        b->setMinimumWidth(88);
    GuiCommon::saveShortcut(this, m_save);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_format);
    buttons->addStretch(1);
    buttons->addWidget(m_save);
    buttons->addWidget(m_close);
    buttons->addWidget(m_helpBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addLayout(buttons);

    connect(m_save, &QPushButton::clicked, this, [this] { apply(); });
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    connect(m_helpBtn, &QPushButton::clicked, this, &OptionSet::showHelp);
    connect(m_format, &QPushButton::clicked, this, &OptionSet::formatNow);

    load();
    resize(sizeHint().expandedTo(QSize(760, 0)));
}

OptionSet::~OptionSet() = default;

// ---------------------------------------------------------------- building

QLineEdit* OptionSet::digitsField(const QString& name, int maxLength)
{
    auto* e = textField(name, maxLength);
    // Only the digits 0 to 9, as the fields are whole numbers.
    e->setValidator(GuiCommon::digitsValidator(e));
    e->setAlignment(Qt::AlignRight);
    e->setFixedWidth(56);
    return e;
}

QScrollBar* OptionSet::scrollerFor(QLineEdit* field, const QString& name, int minimum, int maximum)
{
    auto* s = new QScrollBar(Qt::Vertical);
    s->setObjectName(name);
    // Negative values make the upper arrow raise the number.
    s->setRange(-maximum, -minimum);
    s->setPageStep(1);
    s->setFixedSize(16, field->sizeHint().height());
    connect(s, &QScrollBar::valueChanged, this, [this, field](int v) {
        if (field->text() != QString::number(-v)) {
            field->setText(QString::number(-v));
            setEdited(true);
        }
    });
    connect(field, &QLineEdit::textChanged, s, [s, minimum, maximum](const QString& t) {
        bool ok = false;
        const int v = t.toInt(&ok);
        if (ok && v >= minimum && v <= maximum) {
            const QSignalBlocker block(s);
            s->setValue(-v);
        }
    });
    return s;
}

QWidget* OptionSet::buildFontsPage()
{
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    auto* note = new QLabel(QStringLiteral("「適用」で設定を保存します。「書式設定」を押すと、申請書類のひな形の文字と下線が"
                                           "この設定に書き換えられ、以後に作成する書類に反映されます。"));
    note->setWordWrap(true);
    grid->addWidget(note, 0, 0, 1, 2);
    for (int g = 0; g < 4; ++g) {
        const int n = g + 1;
        auto* box = new QGroupBox(QString::fromUtf8(kGroupTitles[g]));
        box->setObjectName(QStringLiteral("Frame%1").arg(n));
        auto* form = new QGridLayout(box);
        form->setColumnStretch(1, 1);

        m_fontName[g] = new QComboBox;
        m_fontName[g]->setObjectName(QStringLiteral("FontName%1").arg(n));
        m_fontStyle[g] = new QComboBox;
        m_fontStyle[g]->setObjectName(QStringLiteral("FontStyle%1").arg(n));
        m_size[g] = digitsField(QStringLiteral("SizeText%1").arg(n), 3);
        QScrollBar* scroll = scrollerFor(m_size[g], QStringLiteral("VScroll%1").arg(n + 2), 1, 72);
        m_colorSample[g] = new QLabel(QStringLiteral("文字色　Ａａ"));
        m_colorSample[g]->setObjectName(QStringLiteral("FontColor0%1").arg(n));
        m_colorSample[g]->setAlignment(Qt::AlignCenter);
        m_colorSample[g]->setMinimumWidth(110);
        m_colorSample[g]->setFrameShape(QFrame::StyledPanel);
        m_colorBtn[g] = button(QStringLiteral("ColorDialgBtn%1").arg(n), QStringLiteral("色選択"));

        form->addWidget(new QLabel(QStringLiteral("フォント")), 0, 0);
        form->addWidget(m_fontName[g], 0, 1, 1, 3);
        form->addWidget(new QLabel(QStringLiteral("スタイル")), 1, 0);
        form->addWidget(m_fontStyle[g], 1, 1, 1, 3);
        auto* sizeRow = new QHBoxLayout;
        sizeRow->setSpacing(2);
        sizeRow->addWidget(m_size[g]);
        sizeRow->addWidget(scroll);
        sizeRow->addSpacing(4);
        sizeRow->addWidget(new QLabel(QStringLiteral("ポイント")));
        sizeRow->addStretch(1);
        form->addWidget(new QLabel(QStringLiteral("サイズ")), 2, 0);
        form->addLayout(sizeRow, 2, 1, 1, 3);
        auto* colorRow = new QHBoxLayout;
        colorRow->addWidget(m_colorSample[g], 1);
        colorRow->addWidget(m_colorBtn[g]);
        form->addWidget(new QLabel(QStringLiteral("色")), 3, 0);
        form->addLayout(colorRow, 3, 1, 1, 3);

        if (g == 0) {
            m_lineStyle = new QComboBox;
            m_lineStyle->setObjectName(QStringLiteral("LineStyle"));
            form->addWidget(new QLabel(QStringLiteral("アンダーライン")), 4, 0);
            form->addWidget(m_lineStyle, 4, 1, 1, 3);
        } else if (g == 3) {
            auto* frameBox = new QGroupBox(QStringLiteral("枠の囲み指定"));
            m_frame[0] = radio(QStringLiteral("WakuOption_0"), QStringLiteral("枠無し"));
            m_frame[1] = radio(QStringLiteral("WakuOption_1"), QStringLiteral("枠有り"));
            auto* fl = new QHBoxLayout(frameBox);
            fl->addWidget(m_frame[0]);
            fl->addWidget(m_frame[1]);
            fl->addStretch(1);
            form->addWidget(frameBox, 4, 0, 1, 4);
            m_seiFuku[0] = textField(QStringLiteral("SeiFukuText_0"), 10);
            m_seiFuku[1] = textField(QStringLiteral("SeiFukuText_1"), 10);
            for (QLineEdit* e : m_seiFuku)
                e->setFixedWidth(70);
            auto* textRow = new QHBoxLayout;
            textRow->addWidget(m_seiFuku[0]);
            textRow->addWidget(m_seiFuku[1]);
            textRow->addStretch(1);
            auto* hint = new QLabel(QStringLiteral("必要なければ空白にしてください"));
            hint->setStyleSheet(QStringLiteral("color: #555555;"));
            form->addWidget(new QLabel(QStringLiteral("文字指定")), 5, 0);
            form->addLayout(textRow, 5, 1, 1, 3);
            form->addWidget(hint, 6, 1, 1, 3);
        }
        form->setRowStretch(7, 1);
        form->setColumnMinimumWidth(0, 96);
        // The four groups line up in two columns of one width.
        box->setMinimumWidth(370);
        grid->addWidget(box, 1 + g / 2, g % 2);
        connect(m_colorBtn[g], &QPushButton::clicked, this, [this, n] { chooseColor(n); });
    }
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(3, 1);
    return page;
}

QWidget* OptionSet::buildCompanyPage()
{
    auto* page = new QWidget;
    auto* outer = new QVBoxLayout(page);
    auto* box = new QGroupBox(QStringLiteral("自社情報"));
    box->setObjectName(QStringLiteral("Frame5"));
    auto* form = new QFormLayout(box);
    form->setLabelAlignment(Qt::AlignRight);
    const struct {
        const char* name;
        const char* caption;
        int width;
    } fields[] = {
        {"CorpText", "会社名：", 0},  {"PostText", "郵便番号：", 110}, {"Adr1Text", "住所１：", 0},
        {"Adr2Text", "住所２：", 0},  {"TelText", "電話番号：", 160},  {"FaxText", "FAX番号：", 160},
        {"E_MailText", "E-mail：", 0}, {"UrlText", "URL：", 0},
    };
    for (size_t i = 0; i < m_corp.size(); ++i) {
        m_corp[i] = textField(QString::fromLatin1(fields[i].name), 255);
        if (fields[i].width > 0)
            m_corp[i]->setMaximumWidth(fields[i].width);
        form->addRow(QString::fromUtf8(fields[i].caption), m_corp[i]);
    }
    outer->addWidget(box);
    auto* note = new QLabel(QStringLiteral("事務所の名前・住所・連絡先です。"));
    note->setStyleSheet(QStringLiteral("color: #555555;"));
    outer->addWidget(note);
    outer->addStretch(1);
    return page;
}

QWidget* OptionSet::buildMainScreenPage()
{
    auto* page = new QWidget;
    auto* outer = new QVBoxLayout(page);

    auto* buttonsBox = new QGroupBox(QStringLiteral("メイン画面ボタン表示指定"));
    buttonsBox->setObjectName(QStringLiteral("Frame6"));
    auto* bl = new QVBoxLayout(buttonsBox);
    bl->addWidget(new QLabel(QStringLiteral("メイン画面上のそれぞれのボタンの表示指定を行います。")));
    auto* checks = new QGridLayout;
    const QStringList& captions = OptionValues::buttonCaptions();
    for (int i = 0; i < OptionValues::kButtons; ++i) {
        auto* c = new QCheckBox(captions.at(i));
        c->setObjectName(QStringLiteral("BotanCheck_%1").arg(i));
        c->setToolTip(kButtonTargets[i]
                          ? QStringLiteral("メイン画面のツールバーの「%1」ボタンを表示します。").arg(QString::fromUtf8(kButtonTargets[i]))
                          : QStringLiteral("メイン画面には、このボタンはありません。"));
        m_buttons[static_cast<size_t>(i)] = c;
        checks->addWidget(c, i / 4, i % 4);
    }
    bl->addLayout(checks);
    outer->addWidget(buttonsBox);

    auto* startBox = new QGroupBox(QStringLiteral("立ち上げ時にメールを読み込む"));
    startBox->setObjectName(QStringLiteral("Frame7"));
    m_startup[0] = radio(QStringLiteral("Option1_0"), QStringLiteral("読み込まない"));
    m_startup[1] = radio(QStringLiteral("Option1_1"), QStringLiteral("読み込む"));
    auto* sl = new QHBoxLayout(startBox);
    sl->addWidget(m_startup[0]);
    sl->addWidget(m_startup[1]);
    sl->addStretch(1);
    outer->addWidget(startBox);

    auto* timerBox = new QGroupBox(QStringLiteral("読み込む時間設定"));
    timerBox->setObjectName(QStringLiteral("Frame8"));
    m_timer[0] = radio(QStringLiteral("Option2_0"), QStringLiteral("設定しない"));
    m_timer[1] = radio(QStringLiteral("Option2_1"), QStringLiteral("設定する"));
    m_timerText = digitsField(QStringLiteral("TimerText"), 3);
    QScrollBar* timerScroll = scrollerFor(m_timerText, QStringLiteral("VScroll1"), 1, 999);
    auto* tl = new QHBoxLayout(timerBox);
    tl->addWidget(m_timer[0]);
    tl->addWidget(m_timer[1]);
    tl->addSpacing(24);
    tl->addWidget(m_timerText);
    tl->addWidget(timerScroll);
    tl->addWidget(new QLabel(QStringLiteral("分ごとに読み込む")));
    tl->addStretch(1);
    outer->addWidget(timerBox);

    auto* openedBox = new QGroupBox(QStringLiteral("メールを開封済みの設定"));
    openedBox->setObjectName(QStringLiteral("Frame9"));
    m_opened[0] = radio(QStringLiteral("Option3_0"), QStringLiteral("設定する"));
    m_opened[1] = radio(QStringLiteral("Option3_1"), QStringLiteral("設定しない"));
    m_secText = digitsField(QStringLiteral("SecText"), 3);
    QScrollBar* secScroll = scrollerFor(m_secText, QStringLiteral("VScroll2"), 0, 999);
    auto* ol = new QHBoxLayout(openedBox);
    ol->addWidget(m_opened[0]);
    ol->addWidget(m_opened[1]);
    ol->addSpacing(24);
    ol->addWidget(m_secText);
    ol->addWidget(secScroll);
    ol->addWidget(new QLabel(QStringLiteral("秒表示したら開封済みにする")));
    ol->addStretch(1);
    outer->addWidget(openedBox);
    outer->addStretch(1);
    return page;
}

// ---------------------------------------------------------------- data

void OptionSet::fillLists()
{
    QString error;
    QStringList names, styles, lines;
    if (!OptionStore::fontNames(m_storage, &names, &error) || !OptionStore::fontStyles(m_storage, &styles, &error)
        || !OptionStore::lineStyles(m_storage, &lines, &error))
        common::ErrorBox(error);
    for (int g = 0; g < 4; ++g) {
        m_fontName[g]->clear();
        m_fontName[g]->addItems(names);
        m_fontStyle[g]->clear();
        m_fontStyle[g]->addItems(styles);
    }
    m_lineStyle->clear();
    m_lineStyle->addItems(lines);
}

void OptionSet::load()
{
    m_loading = true;
    fillLists();
    OptionValues v;  // what the window shows where a table has nothing
    QString error;
    if (!OptionStore::load(m_storage, &v, &error))
        common::ErrorBox(error);
    showValues(v);

    // Watching starts after loading, so that only the user's changes count.
    for (QComboBox* c : m_fontName)
        watch(c);
    for (QComboBox* c : m_fontStyle)
        watch(c);
    for (QLineEdit* e : m_size)
        watch(e);
    watch(m_lineStyle);
    for (QRadioButton* r : m_frame)
        watch(r);
    for (QLineEdit* e : m_seiFuku)
        watch(e);
    for (QLineEdit* e : m_corp)
        watch(e);
    for (QCheckBox* c : m_buttons)
        watch(c);
    for (auto* pair : {&m_startup, &m_timer, &m_opened})
        for (QRadioButton* r : *pair)
            watch(r);
    watch(m_timerText);
    watch(m_secText);
    m_loading = false;
    setEdited(false);
}

void OptionSet::watch(QWidget* control)
{
    if (auto* e = qobject_cast<QLineEdit*>(control)) {
        connect(e, &QLineEdit::textEdited, this, [this] { setEdited(true); });
        m_enter->add(e);
    } else if (auto* c = qobject_cast<QComboBox*>(control)) {
        connect(c, &QComboBox::currentIndexChanged, this, [this] { setEdited(true); });
        m_enter->add(c);
    } else if (auto* b = qobject_cast<QAbstractButton*>(control)) {
        connect(b, &QAbstractButton::toggled, this, [this] { setEdited(true); });
    }
}

void OptionSet::showValues(const OptionValues& v)
{
    for (int g = 0; g < 4; ++g) {
        const FontSet& f = v.fonts[static_cast<size_t>(g)];
        showText(m_fontName[g], f.name);
        showText(m_fontStyle[g], f.style);
        m_size[g]->setText(f.size);
        m_colorIndex[g] = f.colorIndex;
        showColor(g + 1, f.colorValue);
    }
    if (v.lineStyleIndex >= 0 && v.lineStyleIndex < m_lineStyle->count())
        m_lineStyle->setCurrentIndex(v.lineStyleIndex);
    else
        showText(m_lineStyle, v.lineStyle);
    m_frame[v.frameFlag ? 1 : 0]->setChecked(true);
    m_seiFuku[0]->setText(v.seiFuku1);
    m_seiFuku[1]->setText(v.seiFuku2);

    const std::array<QString, 8> corp{v.corpName, v.corpPost, v.corpAddr1, v.corpAddr2,
                                      v.corpTel,  v.corpFax,  v.corpMail,  v.corpUrl};
    for (size_t i = 0; i < corp.size(); ++i)
        m_corp[i]->setText(corp[i]);

    for (size_t i = 0; i < m_buttons.size(); ++i)
        m_buttons[i]->setChecked(v.buttons[i] != 0);
    m_startup[v.startup ? 1 : 0]->setChecked(true);
    m_timer[v.timerFlag ? 1 : 0]->setChecked(true);
    m_opened[v.openedMailFlag ? 1 : 0]->setChecked(true);
    m_timerText->setText(QString::number(v.timerInterval));
    m_secText->setText(QString::number(v.openedMailDelay));
    m_sendId = v.sendId;
}

OptionValues OptionSet::values() const
{
    OptionValues v;
    for (int g = 0; g < 4; ++g) {
        FontSet& f = v.fonts[static_cast<size_t>(g)];
        f.name = m_fontName[g]->currentText();
        f.style = m_fontStyle[g]->currentText();
        f.size = m_size[g]->text();
        f.colorIndex = m_colorIndex[g];
        f.colorValue = m_colorValue[g];
    }
    v.lineStyle = m_lineStyle->currentText();
    v.lineStyleIndex = m_lineStyle->currentIndex();
    v.frameFlag = m_frame[1]->isChecked() ? 1 : 0;
    v.seiFuku1 = m_seiFuku[0]->text();
    v.seiFuku2 = m_seiFuku[1]->text();

    std::array<QString*, 8> corp{&v.corpName, &v.corpPost, &v.corpAddr1, &v.corpAddr2,
                                 &v.corpTel,  &v.corpFax,  &v.corpMail,  &v.corpUrl};
    for (size_t i = 0; i < corp.size(); ++i)
        *corp[i] = m_corp[i]->text();

    for (size_t i = 0; i < m_buttons.size(); ++i)
        v.buttons[i] = m_buttons[i]->isChecked() ? 1 : 0;
    v.startup = m_startup[1]->isChecked() ? 1 : 0;
    v.timerFlag = m_timer[1]->isChecked() ? 1 : 0;
    v.openedMailFlag = m_opened[0]->isChecked() ? 0 : 1;
    // Whole numbers of what was typed; an emptied field stores 0.
    v.timerInterval = m_timerText->text().toInt();
    v.openedMailDelay = m_secText->text().toInt();
    v.sendId = m_sendId;
    return v;
}

void OptionSet::showColor(int group, qint64 value)
{
    const int g = group - 1;
    m_colorValue[g] = value;
    const QColor c = ColorSplash::toColor(value);
    m_colorSample[g]->setStyleSheet(
        QStringLiteral("QLabel { color: %1; background-color: #ffffff; font-weight: bold; }").arg(c.name()));
}

bool OptionSet::isEdited() const
{
    return m_save->isEnabled();
}

void OptionSet::setEdited(bool edited)
{
    if (m_loading)
        return;
    m_save->setEnabled(edited);
}

// ---------------------------------------------------------------- actions

bool OptionSet::apply()
{
    const OptionValues v = values();
    QString error;
    const bool ok = BusyCursor::during([&] { return OptionStore::save(m_storage, v, &error); });
    if (!ok) {
        common::ErrorBox(QStringLiteral("設定を保存できませんでした。\n%1").arg(error));
        return false;
    }
    setEdited(false);
    emit applied(v);
    return true;
}

void OptionSet::chooseColor(int group)
{
    if (group < 1 || group > 4 || !m_chooseColor)
        return;
    const auto chosen = m_chooseColor(this, m_colorIndex[group - 1]);
    if (!chosen)
        return;
    m_colorIndex[group - 1] = chosen->index;
    showColor(group, chosen->value);
    setEdited(true);
}

void OptionSet::formatNow()
{
    const Prompter::Button answer =
        Prompter::current().show({QStringLiteral("設定確認"), QStringLiteral("書式設定を行います。　よろしいですか？"),
                                  Prompter::Icon::Question, Prompter::Yes | Prompter::No, Prompter::No});
    if (answer != Prompter::Yes)
        return;
    OptionValues options = values();
    if (isEdited()) {
        if (!apply())
            return;
    } else {
        // Another computer may have saved other options since this window opened.
        OptionValues stored;
        QString ignored;
        if (OptionStore::load(m_storage, &stored, &ignored))
            options = stored;
    }
    QString error;
    const bool ok = BusyCursor::during([&] { return ShoshikiSet::run(options, m_closeWorkbooks, &error); });
    if (ok) {
        Prompter::current().show({QStringLiteral("終了報告"), QStringLiteral("書式設定が終了しました。"),
                                  Prompter::Icon::Information, Prompter::Ok, Prompter::Ok});
        return;
    }
    // A missing template has been reported with its own warning.
    if (QFile::exists(ShoshikiSet::templatePath()))
        common::ErrorBox(QStringLiteral("書式設定ができませんでした。\n%1").arg(error));
}

void OptionSet::showHelp()
{
    HelpForm::showManual(this, m_help, QStringLiteral("option.html"));
}

void OptionSet::closeEvent(QCloseEvent* event)
{
    if (isEdited()) {
        const Prompter::Button answer = Prompter::current().show(
            {PromptTitle::SaveConfirm, QStringLiteral("内容が変更されていますが、登録しますか？"),
             Prompter::Icon::Warning, Prompter::Yes | Prompter::No, Prompter::Yes});
        // A failed save keeps the window, so that nothing typed is lost.
        if (answer == Prompter::Yes && !apply()) {
            event->ignore();
            return;
        }
    }
    event->accept();
}
