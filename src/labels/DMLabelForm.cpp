#include "DMLabelForm.h"

#include "AppDir.h"
#include "DMUserForm.h"
#include "FileDialogs.h"
#include "GuiCommon.h"
#include "HelpForm.h"
#include "LabelPreview.h"
#include "Prompter.h"
#include "Recipients.h"
#include "Recordset.h"
#include "GuiCommon.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

const QString kSaveTitle = QStringLiteral("保存確認");
const QString kDeleteTitle = QStringLiteral("削除確認");
const QString kEditedQuestion = QStringLiteral("データが編集されています。　保存しますか？");

const char* const kSpacingCaptions[LabelLayout::kSpacingCount] = {"上余白", "下余白", "左余白", "右余白",
                                                                  "縦間隔", "横間隔", "ラベル幅", "ラベル高さ"};
constexpr double kSpacingStep = 0.1;

DMLabelForm::PdfChooser& pdfChooser()
{
    static DMLabelForm::PdfChooser chooser;
    return chooser;
}

DMLabelForm::RecipientChooser& recipientChooser()
{
    static DMLabelForm::RecipientChooser chooser;
    return chooser;
}

QPushButton* button(const char* name, const QString& caption)
{
    auto* b = new QPushButton(caption);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

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

// Millimetres as a clerk writes them: 21.5, 0, 86.4.
QString mmText(double v)
{
    QString t = QString::number(v, 'f', 2);
    while (t.contains(QLatin1Char('.')) && (t.endsWith(QLatin1Char('0')) || t.endsWith(QLatin1Char('.'))))
        t.chop(1);
    return t;
}

// A number typed with full-width digits or a full-width point reads as well.
bool readNumber(const QString& text, double* out)
{
    QString t = text.trimmed();
    for (QChar& c : t) {
        if (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19)
            c = QChar(c.unicode() - 0xFF10 + '0');
        else if (c == QChar(0xFF0E))
            c = QLatin1Char('.');
        else if (c == QChar(0xFF0D) || c == QChar(0x2212))
            c = QLatin1Char('-');
    }
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (ok && std::isfinite(v))
        *out = v;
    return ok;
}

// The limits of each spacing field (mm).
double spacingMin(int i)
{
    return i >= LabelLayout::WLabel ? 5.0 : 0.0;
}

double spacingMax(int i)
{
    switch (i) {
    case LabelLayout::WLabel: return LabelLayout::kPaperWidthMm;
    case LabelLayout::HLabel: return LabelLayout::kPaperHeightMm;
    case LabelLayout::MLeft:
    case LabelLayout::MRight:
    case LabelLayout::WBet: return LabelLayout::kPaperWidthMm;
    default: return LabelLayout::kPaperHeightMm;
    }
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

void DMLabelForm::setPdfChooser(PdfChooser chooser)
{
    pdfChooser() = std::move(chooser);
}

void DMLabelForm::setRecipientChooser(RecipientChooser chooser)
{
    recipientChooser() = std::move(chooser);
}

DMLabelForm::DMLabelForm(Storage& storage, QWidget* parent)
    : QDialog(parent)
    , m_storage(storage)
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

    m_job.recipients = DMRecipients::list();
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
            const bool ok = readNumber(e->text(), &v);
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
    for (int i = 0; i + 1 < order.size(); ++i) {
        auto* from = static_cast<QLineEdit*>(order[i]);
        auto* to = static_cast<QLineEdit*>(order[i + 1]);
        connect(from, &QLineEdit::returnPressed, this, [to] {
            QMetaObject::invokeMethod(
                to,
                [to] {
                    to->setFocus();
                    to->selectAll();
                },
                Qt::QueuedConnection);
        });
    }

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
    connect(helpBtn, &QPushButton::clicked, this, [this] {
        if (!m_help) {
            m_help = new HelpForm(this);
            m_help->setWindowFlag(Qt::Window);
            m_help->setAttribute(Qt::WA_DeleteOnClose);
        }
        m_help->showPage(AppDir::file(QStringLiteral("MANUAL/dm_label.html")));
        m_help->show();
        m_help->raise();
    });
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
        if (readNumber(m_pageText->text(), &v))
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

// ---------------------------------------------------------------- layouts

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
        m_space[static_cast<size_t>(i)]->setText(mmText(l.spacing[static_cast<size_t>(i)]));
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
    double& stored = m_job.layout.spacing[static_cast<size_t>(i)];
    if (!readNumber(e->text(), &v)) {
        Prompter::current().show({PromptTitle::Warning, QStringLiteral("数値をミリメートルで入力してください。"),
                                  Prompter::Icon::Warning, Prompter::Ok, Prompter::Ok});
        m_filling = true;
        e->setText(mmText(stored));
        m_filling = false;
        return;
    }
    v = std::clamp(std::round(v * 100.0) / 100.0, spacingMin(i), spacingMax(i));
    m_filling = true;
    e->setText(mmText(v));
    m_filling = false;
    if (v == stored)
        return;
    stored = v;
    setEdited(true);
    relayout();
}

void DMLabelForm::stepSpacing(int i, int steps)
{
    if (i < 0 || i >= LabelLayout::kSpacingCount)
        return;
    const double v = m_job.layout.spacing[static_cast<size_t>(i)] + steps * kSpacingStep;
    m_space[static_cast<size_t>(i)]->setText(mmText(std::round(v * 100.0) / 100.0));
    commitSpacing(i);
}

void DMLabelForm::setColumns(int columns)
{
    columns = std::clamp(columns, 1, LabelLayout::kMaxColumns);
    LabelLayout& l = m_job.layout;
    const bool changed = columns != l.columns || l.rows > LabelLayout::maxRowsFor(columns);
    l.columns = columns;
    l.rows = std::clamp(l.rows, 1, LabelLayout::maxRowsFor(columns));
    fillFields();
    if (changed) {
        setEdited(true);
        relayout();
    }
}

void DMLabelForm::setRows(int rows)
{
    LabelLayout& l = m_job.layout;
    rows = std::clamp(rows, 1, LabelLayout::maxRowsFor(l.columns));
    const bool changed = rows != l.rows;
    l.rows = rows;
    fillFields();
    if (changed) {
        setEdited(true);
        relayout();
    }
}

void DMLabelForm::moveElement(LabelElement e, double leftTwips, double topTwips)
{
    LabelLayout& l = m_job.layout;
    ElementSpec& s = l.element(e);
    const int column = std::clamp(LabelGrid::columnFor(leftTwips), 1, l.maxColumn());
    const int row = std::clamp(LabelGrid::rowFor(topTwips), 1, l.maxRow(e));
    if (column != s.column || row != s.row) {
        s.column = column;
        s.row = row;
        setEdited(true);
    }
    m_preview->update();
}

void DMLabelForm::setElementFont(LabelElement e, const QString& name, double size)
{
    ElementSpec& s = m_job.layout.element(e);
    if (name.isEmpty() || (s.fontName == name && s.fontSize == size))
        return;
    s.fontName = name;
    s.fontSize = size;
    // A larger font must still end above the label's bottom edge.
    s.row = std::min(s.row, m_job.layout.maxRow(e));
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

// ---------------------------------------------------------------- sheet

void DMLabelForm::setStartMode(LabelPlan::StartMode mode)
{
    m_job.plan.setMode(mode);
    if (QAbstractButton* b = m_startGroup->button(static_cast<int>(mode)))
        b->setChecked(true);
    // The first sheet is where the free labels are chosen.
    if (mode != LabelPlan::StartMode::Top)
        m_page = 0;
    updatePages();
}

void DMLabelForm::clickLabel(int label)
{
    if (m_page != 0 || m_job.plan.mode() == LabelPlan::StartMode::Top)
        return;
    m_job.plan.clickLabel(label);
    updatePages();
}

void DMLabelForm::showStartHint()
{
    const int used = m_job.plan.usedOnFirstSheet();
    const int perSheet = m_job.layout.labelsPerSheet();
    QString hint;
    switch (m_job.plan.mode()) {
    case LabelPlan::StartMode::Top:
        hint = QStringLiteral("1枚目のすべてのラベル（%1枚）に印刷します。").arg(perSheet);
        break;
    case LabelPlan::StartMode::Position:
        hint = QStringLiteral("1枚目は %1 番目のラベルから印刷します（%2枚）。プレビューの1ページ目でラベルをクリックして開始位置を選びます。")
                   .arg(m_job.plan.startPosition() + 1)
                   .arg(used);
        break;
    case LabelPlan::StartMode::Random:
        hint = QStringLiteral("1枚目は選んだ %1枚のラベルに印刷します。プレビューの1ページ目でラベルをクリックすると選択・解除できます。").arg(used);
        break;
    }
    m_startHint->setText(hint);
}

void DMLabelForm::updatePages()
{
    const int pages = pageCount();
    m_page = std::clamp(m_page, 0, std::max(0, pages - 1));
    m_preview->setSampleTexts(m_job.recipients.isEmpty());
    m_preview->setPage(m_page);
    m_pageText->setText(QString::number(m_page + 1));
    m_pageLabel->setText(QStringLiteral("/ %1 ページ").arg(pages));
    m_backBtn->setEnabled(m_page > 0);
    m_nextBtn->setEnabled(m_page + 1 < pages);
    m_startHint->setVisible(true);
    showStartHint();
    m_preview->update();
}

void DMLabelForm::showPage(int page)
{
    m_page = page;
    updatePages();
}

void DMLabelForm::nextPage()
{
    showPage(m_page + 1);
}

void DMLabelForm::previousPage()
{
    showPage(m_page - 1);
}

// ---------------------------------------------------------------- recipients

void DMLabelForm::chooseRecipients()
{
    if (recipientChooser()) {
        recipientChooser()(m_storage, this);
    } else {
        DMUserForm form(m_storage, this);
        form.exec();
    }
    refreshRecipients();
}

void DMLabelForm::refreshRecipients()
{
    m_job.recipients = DMRecipients::list();
    m_choiceNum->setText(QString::number(m_job.recipients.size()));
    fillRecipientGrid();
    updatePages();
}

void DMLabelForm::fillRecipientGrid()
{
    m_grid->setUpdatesEnabled(false);
    m_grid->clearContents();
    m_grid->setRowCount(static_cast<int>(m_job.recipients.size()));
    for (int r = 0; r < m_job.recipients.size(); ++r) {
        const Recipient& p = m_job.recipients[r];
        const QString cells[] = {p.postalCode, p.name1, p.name2, p.address1, p.address2, p.address3, p.email};
        for (int c = 0; c < 7; ++c)
            m_grid->setItem(r, c, new QTableWidgetItem(cells[c]));
    }
    m_grid->setUpdatesEnabled(true);
}

void DMLabelForm::setHonorific(const QString& honorific)
{
    m_job.honorific = honorific.trimmed();
    if (m_honoCombo->currentText() != honorific)
        m_honoCombo->setCurrentText(honorific);
    m_preview->update();
}

// ---------------------------------------------------------------- printing

void DMLabelForm::print()
{
    m_printNote->hide();
    m_lastPages = 0;
    m_lastOutcome = LabelPrint::confirm(m_job);
    if (m_lastOutcome != LabelPrint::Outcome::Printed)
        return;

    PrnCommon::Target target;
    const QString choice = m_prnTarget->currentText();
    if (choice == kPdfTarget) {
        const QString dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        const QString suggested = QDir(dir.isEmpty() ? QDir::homePath() : dir).filePath(QStringLiteral("DMラベル.pdf"));
        target.pdfPath = pdfChooser() ? pdfChooser()(this, suggested)
                                      : FileDialogs::saveFile(this, QStringLiteral("PDFファイルに保存"), suggested,
                                                              QStringLiteral("PDFファイル (*.pdf)"));
        if (target.pdfPath.isEmpty()) {
            m_lastOutcome = LabelPrint::Outcome::Declined;
            return;
        }
        if (!target.pdfPath.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
            target.pdfPath += QStringLiteral(".pdf");
        if (FileDialogs::refuseOwnFile(target.pdfPath)) {
            m_lastOutcome = LabelPrint::Outcome::Declined;
            return;
        }
    } else {
        target.printerName = choice;
    }

    // Several hundred labels take a moment: the pointer and a progress bar
    // say so, and the bar can stop the print.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QProgressDialog progress(QStringLiteral("ラベルを印刷しています…"), QStringLiteral("中止"), 0, pageCount(), this);
    progress.setWindowTitle(QStringLiteral("DMラベル印刷"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(400);
    progress.setValue(0);
    m_lastOutcome = LabelPrint::print(
        m_job, target,
        [&progress](int done, int total) {
            progress.setMaximum(total);
            progress.setValue(done);
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            return !progress.wasCanceled();
        },
        &m_lastPages);
    progress.reset();
    QApplication::restoreOverrideCursor();

    switch (m_lastOutcome) {
    case LabelPrint::Outcome::Printed:
        m_printNote->setText(target.pdfPath.isEmpty()
                                 ? QStringLiteral("%1 ページを「%2」に送りました。").arg(m_lastPages).arg(target.printerName)
                                 : QStringLiteral("%1 ページをPDFファイル「%2」に保存しました。")
                                       .arg(m_lastPages)
                                       .arg(QDir::toNativeSeparators(target.pdfPath)));
        m_printNote->show();
        break;
    case LabelPrint::Outcome::Cancelled:
        m_printNote->setText(QStringLiteral("印刷を中止しました。"));
        m_printNote->show();
        break;
    default:
        break;
    }
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
