#include "DMLabelForm.h"

#include "EnterOrder.h"
#include "GuiCommon.h"
#include "HelpForm.h"
#include "LabelPreview.h"
#include "LabelWidgets.h"
#include "Recordset.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

using LabelWidgets::button;

const char* const kSpacingCaptions[LabelLayout::kSpacingCount] = {"上余白", "下余白", "左余白", "右余白",
                                                                  "縦間隔", "横間隔", "ラベル幅", "ラベル高さ"};

QLineEdit* field(const QString& name, int width)
{
    auto* e = new QLineEdit;
    e->setObjectName(name);
    e->setFixedWidth(width);
    e->setAlignment(Qt::AlignRight);
    return e;
}

// An up-down control: two small arrow buttons that repeat while held.
QWidget* upDown(const QString& name, const std::function<void(int)>& step)
{
    auto* box = new QWidget;
    box->setObjectName(name);
    auto* v = new QVBoxLayout(box);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    for (int dir : {1, -1}) {
        auto* b = new QToolButton;
        b->setObjectName(dir > 0 ? QStringLiteral("up") : QStringLiteral("down"));
        b->setArrowType(dir > 0 ? Qt::UpArrow : Qt::DownArrow);
        b->setAutoRepeat(true);
        b->setFixedSize(18, 11);
        b->setFocusPolicy(Qt::NoFocus);
        QObject::connect(b, &QToolButton::clicked, box, [step, dir] { step(dir); });
        v->addWidget(b);
    }
    return box;
}

QStringList fontNames(Storage& storage)
{
    QStringList names;
    Recordset rs(storage, DbFile::MasterData);
    if (rs.open(QStringLiteral("FontName")))
        for (; !rs.eof(); rs.moveNext())
            if (!rs.text(QStringLiteral("FONT_name")).isEmpty())
                names << rs.text(QStringLiteral("FONT_name"));
    if (names.isEmpty())
        names << QStringLiteral("ＭＳ 明朝") << QStringLiteral("ＭＳ ゴシック");
    return names;
}

}  // namespace

DMLabelForm::DMLabelForm(Storage& storage, RecipientChoice& chosen, QWidget* parent)
    : QDialog(parent)
    , m_storage(storage)
    , m_chosen(chosen)
    , m_store(storage)
{
    setObjectName(QStringLiteral("DMLabelForm"));
    setWindowTitle(QStringLiteral("DMラベル印刷"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    GuiCommon::fitToScreen(this, {1320, 730});

    auto* left = new QVBoxLayout;
    left->setSpacing(6);
    left->addWidget(buildLayoutPanel());
    left->addWidget(buildFontPanel());
    left->addWidget(buildStartPanel());
    left->addWidget(buildRecipientPanel(), 1);

    auto* leftBox = new QWidget;
    leftBox->setLayout(left);
    leftBox->setFixedWidth(450);
    left->setContentsMargins(0, 0, 0, 0);

    auto* body = new QHBoxLayout(this);
    body->addWidget(leftBox);
    body->addWidget(buildPreviewPanel(), 1);

    m_job.plan.setMode(LabelPlan::StartMode::Top);
    qint64 active = 0;
    if (!m_store.activeId(&active))
        showError(m_store.errorString());
    listLayouts(active);
    refreshRecipients();
    setEdited(false);
}

DMLabelForm::~DMLabelForm() = default;

// ---------------------------------------------------------------- building

QWidget* DMLabelForm::buildLayoutPanel()
{
    auto* box = new QGroupBox(QStringLiteral("ラベル設定"));
    auto* g = new QGridLayout(box);
    g->setHorizontalSpacing(6);
    g->setVerticalSpacing(4);

    m_dmCombo = new QComboBox;
    m_dmCombo->setObjectName(QStringLiteral("DMCombo"));
    connect(m_dmCombo, qOverload<int>(&QComboBox::activated), this, &DMLabelForm::chooseLayout);
    g->addWidget(new QLabel(QStringLiteral("登録DM名")), 0, 0);
    g->addWidget(m_dmCombo, 0, 1, 1, 5);

    m_nameText = new QLineEdit;
    m_nameText->setObjectName(QStringLiteral("DMnameText"));
    connect(m_nameText, &QLineEdit::textEdited, this, [this](const QString& t) {
        m_job.layout.name = t;
        setEdited(true);
    });
    m_idText = new QLineEdit;
    m_idText->setObjectName(QStringLiteral("IDText"));
    m_idText->setReadOnly(true);
    m_idText->setFocusPolicy(Qt::NoFocus);
    m_idText->setFixedWidth(46);
    m_idText->setAlignment(Qt::AlignRight);
    g->addWidget(new QLabel(QStringLiteral("名前")), 1, 0);
    g->addWidget(m_nameText, 1, 1, 1, 4);
    g->addWidget(m_idText, 1, 5);

    // Columns and rows.
    m_retuText = field(QStringLiteral("RetuText"), 40);
    m_gyouText = field(QStringLiteral("GyouText"), 40);
    auto* counts = new QHBoxLayout;
    counts->addWidget(new QLabel(QStringLiteral("列（横）")));
    counts->addWidget(m_retuText);
    counts->addWidget(upDown(QStringLiteral("RetuUpDown"), [this](int d) { setColumns(m_job.layout.columns + d); }));
    counts->addSpacing(16);
    counts->addWidget(new QLabel(QStringLiteral("行（縦）")));
    counts->addWidget(m_gyouText);
    counts->addWidget(upDown(QStringLiteral("GyouUpDown"), [this](int d) { setRows(m_job.layout.rows + d); }));
    counts->addStretch(1);
    g->addLayout(counts, 2, 0, 1, 6);
    for (QLineEdit* e : {m_retuText, m_gyouText}) {
        connect(e, &QLineEdit::editingFinished, this, [this, e] {
            if (m_filling)
                return;
            double v = 0;
            const bool ok = LabelNumbers::read(e->text(), &v);
            if (!ok) {
                fillFields();
                return;
            }
            if (e == m_retuText)
                setColumns(static_cast<int>(v));
            else
                setRows(static_cast<int>(v));
        });
    }

    // The eight spacing fields, two to a line, each with its up-down.
    for (int i = 0; i < LabelLayout::kSpacingCount; ++i) {
        m_space[static_cast<size_t>(i)] = field(QStringLiteral("SpaceText%1").arg(i), 58);
        QLineEdit* e = m_space[static_cast<size_t>(i)];
        connect(e, &QLineEdit::editingFinished, this, [this, i] {
            if (!m_filling)
                commitSpacing(i);
        });
        const int row = 3 + i / 2;
        const int c = (i % 2) * 3;
        g->addWidget(new QLabel(QString::fromUtf8(kSpacingCaptions[i])), row, c);
        auto* cell = new QHBoxLayout;
        cell->setSpacing(2);
        cell->addWidget(e);
        cell->addWidget(upDown(QStringLiteral("LBUpDown%1").arg(i), [this, i](int d) { stepSpacing(i, d); }));
        cell->addWidget(new QLabel(QStringLiteral("mm")));
        cell->addStretch(1);
        g->addLayout(cell, row, c + 1, 1, 2);
    }

    m_layoutNote = new QLabel;
    m_layoutNote->setObjectName(QStringLiteral("LayoutNote"));
    m_layoutNote->setWordWrap(true);
    m_layoutNote->setStyleSheet(QStringLiteral("color: #b00000;"));
    m_layoutNote->hide();
    g->addWidget(m_layoutNote, 7, 0, 1, 6);

    // Enter goes from field to field, as everywhere in the program.
    QVector<QWidget*> order{m_nameText, m_retuText, m_gyouText};
    for (QLineEdit* e : m_space)
        order << e;
    new EnterOrder(this, order, EnterOrder::SelectNext | EnterOrder::LastPasses);

    auto* buttons = new QHBoxLayout;
    QPushButton* newBtn = button("Command1", QStringLiteral("新規"));
    QPushButton* saveBtn = button("SaveBtn", QStringLiteral("設定保存"));
    GuiCommon::saveShortcut(this, saveBtn);
    QPushButton* delBtn = button("DelBtn", QStringLiteral("削除"));
    newBtn->setToolTip(QStringLiteral("いま表示しているラベル設定をもとに、新しいラベル設定を作ります。"));
    saveBtn->setToolTip(QStringLiteral("表示しているラベル設定を保存します。次回はこの設定で開きます。"));
    connect(newBtn, &QPushButton::clicked, this, &DMLabelForm::newLayout);
    connect(saveBtn, &QPushButton::clicked, this, [this] { saveLayout(); });
    connect(delBtn, &QPushButton::clicked, this, &DMLabelForm::deleteLayout);
    buttons->addWidget(newBtn);
    buttons->addWidget(saveBtn);
    buttons->addWidget(delBtn);
    buttons->addStretch(1);
    g->addLayout(buttons, 8, 0, 1, 6);
    return box;
}

QWidget* DMLabelForm::buildFontPanel()
{
    auto* box = new QGroupBox(QStringLiteral("文字（プレビューの文字をドラッグで移動、ダブルクリックで文字を変更）"));
    auto* h = new QHBoxLayout(box);
    m_elemCombo = new QComboBox;
    m_elemCombo->setObjectName(QStringLiteral("ElemCombo"));
    for (int e = 0; e < kLabelElementCount; ++e)
        m_elemCombo->addItem(labelElementCaption(static_cast<LabelElement>(e)));
    connect(m_elemCombo, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int e) {
        m_preview->setSelectedElement(e);
        fillFontFields();
    });
    m_fontName = new QComboBox;
    m_fontName->setObjectName(QStringLiteral("FontName"));
    m_fontName->setEditable(true);
    m_fontName->addItems(fontNames(m_storage));
    m_fontName->setMinimumWidth(150);
    m_fontSize = new QDoubleSpinBox;
    m_fontSize->setObjectName(QStringLiteral("FontSize"));
    m_fontSize->setRange(5.0, 40.0);
    m_fontSize->setSingleStep(0.5);
    m_fontSize->setDecimals(1);
    m_fontSize->setSuffix(QStringLiteral(" pt"));
    auto apply = [this] {
        if (m_filling)
            return;
        setElementFont(static_cast<LabelElement>(m_elemCombo->currentIndex()), m_fontName->currentText().trimmed(),
                       m_fontSize->value());
    };
    connect(m_fontName, &QComboBox::currentTextChanged, this, apply);
    connect(m_fontSize, qOverload<double>(&QDoubleSpinBox::valueChanged), this, apply);
    h->addWidget(m_elemCombo);
    h->addWidget(m_fontName, 1);
    h->addWidget(m_fontSize);
    return box;
}

QWidget* DMLabelForm::buildStartPanel()
{
    auto* box = new QGroupBox(QStringLiteral("1枚目の印刷開始位置"));
    auto* v = new QVBoxLayout(box);
    auto* h = new QHBoxLayout;
    m_startGroup = new QButtonGroup(this);
    const char* names[] = {"TopBtn", "PosBtn", "RndmBtn"};
    const QString captions[] = {QStringLiteral("TOP位置"), QStringLiteral("指定位置"), QStringLiteral("ランダム")};
    const QString tips[] = {QStringLiteral("1枚目のすべてのラベルに印刷します。"),
                            QStringLiteral("1枚目のプレビューでクリックしたラベルから印刷します。"),
                            QStringLiteral("1枚目のプレビューでクリックしたラベルだけに印刷します。")};
    for (int i = 0; i < 3; ++i) {
        QPushButton* b = button(names[i], captions[i]);
        b->setCheckable(true);
        b->setToolTip(tips[i]);
        m_startGroup->addButton(b, i);
        h->addWidget(b);
    }
    h->addStretch(1);
    connect(m_startGroup, &QButtonGroup::idClicked, this,
            [this](int id) { setStartMode(static_cast<LabelPlan::StartMode>(id)); });
    v->addLayout(h);
    m_startHint = new QLabel;
    m_startHint->setObjectName(QStringLiteral("StartHint"));
    m_startHint->setWordWrap(true);
    v->addWidget(m_startHint);
    return box;
}

QWidget* DMLabelForm::buildRecipientPanel()
{
    auto* box = new QGroupBox(QStringLiteral("印刷する宛先"));
    auto* v = new QVBoxLayout(box);
    auto* h = new QHBoxLayout;
    QPushButton* userPop = button("UserPop", QStringLiteral("顧客選択"));
    userPop->setToolTip(QStringLiteral("顧客・業者・取引先から宛先を選びます。"));
    connect(userPop, &QPushButton::clicked, this, &DMLabelForm::chooseRecipients);
    h->addWidget(userPop);
    h->addSpacing(8);
    h->addWidget(new QLabel(QStringLiteral("選択数：")));
    m_choiceNum = new QLabel(QStringLiteral("0"));
    m_choiceNum->setObjectName(QStringLiteral("ChoiceNum"));
    m_choiceNum->setMinimumWidth(40);
    h->addWidget(m_choiceNum);
    h->addStretch(1);
    h->addWidget(new QLabel(QStringLiteral("敬称")));
    m_honoCombo = new QComboBox;
    m_honoCombo->setObjectName(QStringLiteral("HonoCombo"));
    m_honoCombo->setEditable(true);
    m_honoCombo->addItems({QStringLiteral("御中"), QStringLiteral("様"), QStringLiteral("殿"), QStringLiteral("各位"),
                           QStringLiteral("先生")});
    m_honoCombo->setCurrentIndex(0);
    m_honoCombo->setFixedWidth(80);
    connect(m_honoCombo, &QComboBox::currentTextChanged, this, &DMLabelForm::setHonorific);
    h->addWidget(m_honoCombo);
    v->addLayout(h);

    m_grid = new QTableWidget(0, 7);
    m_grid->setObjectName(QStringLiteral("MSFlexGrid1"));
    m_grid->setHorizontalHeaderLabels({QStringLiteral("郵便番号"), QStringLiteral("お客様名1"), QStringLiteral("お客様名2"),
                                       QStringLiteral("住所1"), QStringLiteral("住所2"), QStringLiteral("住所3"),
                                       QStringLiteral("メールアドレス")});
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->verticalHeader()->setDefaultSectionSize(20);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setColumnWidth(0, 70);
    m_grid->setColumnWidth(1, 90);
    m_grid->setColumnWidth(2, 60);
    m_grid->setColumnWidth(3, 60);
    m_grid->setColumnWidth(4, 140);
    m_grid->setColumnWidth(5, 100);
    m_grid->setMinimumHeight(100);
    v->addWidget(m_grid, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel(QStringLiteral("印刷先")));
    m_prnTarget = new QComboBox;
    m_prnTarget->setObjectName(QStringLiteral("PrnTarget"));
    const QString defaultPrinter = QPrinterInfo::defaultPrinterName();
    QStringList printers = QPrinterInfo::availablePrinterNames();
    if (printers.removeOne(defaultPrinter))
        printers.prepend(defaultPrinter);
    m_prnTarget->addItems(printers);
    m_prnTarget->addItem(kPdfTarget);
    m_prnTarget->setMinimumWidth(130);
    bottom->addWidget(m_prnTarget, 1);
    QPushButton* prnBtn = button("PrnBtn", QStringLiteral("印  刷"));
    prnBtn->setMinimumWidth(80);
    connect(prnBtn, &QPushButton::clicked, this, &DMLabelForm::print);
    bottom->addWidget(prnBtn);
    v->addLayout(bottom);
    auto* closing = new QHBoxLayout;
    closing->addStretch(1);
    QPushButton* helpBtn = button("HelpBtn", QStringLiteral("ヘルプ"));
    connect(helpBtn, &QPushButton::clicked, this,
            [this] { HelpForm::showManual(this, m_help, QStringLiteral("dm_label.html")); });
    closing->addWidget(helpBtn);
    QPushButton* closeBtn = button("CloseBtn", QStringLiteral("閉じる"));
    connect(closeBtn, &QPushButton::clicked, this, &DMLabelForm::closeWindow);
    closing->addWidget(closeBtn);
    m_printNote = new QLabel;
    m_printNote->setObjectName(QStringLiteral("PrintNote"));
    m_printNote->setWordWrap(true);
    m_printNote->hide();
    v->addWidget(m_printNote);
    v->addLayout(closing);
    return box;
}

QWidget* DMLabelForm::buildPreviewPanel()
{
    auto* panel = new QWidget;
    auto* v = new QVBoxLayout(panel);
    v->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QHBoxLayout;
    m_backBtn = new QToolButton;
    m_backBtn->setObjectName(QStringLiteral("BackBtn"));
    m_backBtn->setArrowType(Qt::LeftArrow);
    m_backBtn->setToolTip(QStringLiteral("前頁を表示します。"));
    connect(m_backBtn, &QToolButton::clicked, this, &DMLabelForm::previousPage);
    m_nextBtn = new QToolButton;
    m_nextBtn->setObjectName(QStringLiteral("NextBtn"));
    m_nextBtn->setArrowType(Qt::RightArrow);
    m_nextBtn->setToolTip(QStringLiteral("次ページを表示します。"));
    connect(m_nextBtn, &QToolButton::clicked, this, &DMLabelForm::nextPage);
    m_pageText = new QLineEdit;
    m_pageText->setObjectName(QStringLiteral("PageText"));
    m_pageText->setFixedWidth(44);
    m_pageText->setAlignment(Qt::AlignRight);
    connect(m_pageText, &QLineEdit::returnPressed, this, [this] {
        double v = 0;
        if (LabelNumbers::read(m_pageText->text(), &v))
            showPage(static_cast<int>(v) - 1);
        else
            showPage(m_page);
    });
    m_pageLabel = new QLabel;
    m_pageLabel->setObjectName(QStringLiteral("PageLabel"));
    bar->addWidget(new QLabel(QStringLiteral("表示ページ：")));
    bar->addWidget(m_backBtn);
    bar->addWidget(m_pageText);
    bar->addWidget(m_pageLabel);
    bar->addWidget(m_nextBtn);
    bar->addSpacing(16);
    auto* legend = new QLabel(QStringLiteral("<span style='background-color:#ffffc0'>&nbsp;&nbsp;&nbsp;&nbsp;</span>"
                                             " 印刷するラベル（実寸表示）"));
    bar->addWidget(legend);
    bar->addStretch(1);
    v->addLayout(bar);

    m_preview = new LabelPreview;
    m_preview->setJob(&m_job);
    m_preview->setFixedSize(m_preview->sizeHint());
    connect(m_preview, &LabelPreview::labelClicked, this, &DMLabelForm::clickLabel);
    connect(m_preview, &LabelPreview::elementSelected, this, [this](int e) {
        if (m_elemCombo->currentIndex() != e)
            m_elemCombo->setCurrentIndex(e);
    });
    connect(m_preview, &LabelPreview::elementDropped, this, [this](int e, double left, double top) {
        moveElement(static_cast<LabelElement>(e), left, top);
    });
    connect(m_preview, &LabelPreview::elementDoubleClicked, this, [this](int e) {
        m_elemCombo->setCurrentIndex(e);
        m_fontName->setFocus();
        m_fontName->lineEdit()->selectAll();
        m_fontName->showPopup();
    });
    m_previewArea = new QScrollArea;
    m_previewArea->setObjectName(QStringLiteral("PicPreview"));
    m_previewArea->setWidget(m_preview);
    m_previewArea->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_previewArea->horizontalScrollBar()->setObjectName(QStringLiteral("HScroll"));
    m_previewArea->verticalScrollBar()->setObjectName(QStringLiteral("VScroll"));
    v->addWidget(m_previewArea, 1);
    return panel;
}

