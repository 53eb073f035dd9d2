#include "cal1.h"

#include "Prompter.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

cal1::cal1(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("cal1"));
    setWindowTitle(QStringLiteral("電卓"));
    setModal(false);

    m_display = new QLineEdit(QStringLiteral("0"));
    m_display->setObjectName(QStringLiteral("DispText"));
    m_display->setReadOnly(true);
    m_display->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_display->setFocusPolicy(Qt::NoFocus);
    QFont big = m_display->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    m_display->setFont(big);

    auto key = [this](const QString& name, const QString& text) {
        auto* b = new QPushButton(text);
        b->setObjectName(name);
        b->setFocusPolicy(Qt::NoFocus);  // the keyboard always talks to the window
        b->setMinimumSize(44, 34);
        return b;
    };
    auto* keys = new QGridLayout;
    const char* const numberText[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", ".", "00"};
    const QPoint numberPos[] = {{0, 4}, {0, 3}, {1, 3}, {2, 3}, {0, 2}, {1, 2}, {2, 2}, {0, 1}, {1, 1}, {2, 1}, {2, 4}, {1, 4}};
    for (int i = 0; i < 12; ++i) {
        QPushButton* b = key(QStringLiteral("Numkey%1").arg(i), QString::fromLatin1(numberText[i]));
        connect(b, &QPushButton::clicked, this, [this, i] { number(i); });
        keys->addWidget(b, numberPos[i].y(), numberPos[i].x());
    }
    const char* const opText[] = {"=", "+", "-", "*", "/", "√", "sin", "cos", "tan"};
    const QPoint opPos[] = {{3, 4}, {3, 3}, {3, 2}, {3, 1}, {3, 0}, {4, 0}, {4, 1}, {4, 2}, {4, 3}};
    for (int i = 0; i < 9; ++i) {
        QPushButton* b = key(QStringLiteral("Opkey%1").arg(i), QString::fromUtf8(opText[i]));
        connect(b, &QPushButton::clicked, this, [this, i] { op(static_cast<Calculator::Operator>(i)); });
        keys->addWidget(b, opPos[i].y(), opPos[i].x());
    }
    const char* const memText[] = {"M", "RM", "MC"};
    for (int i = 0; i < 3; ++i) {
        QPushButton* b = key(QStringLiteral("Mkey%1").arg(i), QString::fromLatin1(memText[i]));
        connect(b, &QPushButton::clicked, this, [this, i] {
            if (i == 0)
                m_calc.memoryStore();
            else if (i == 1)
                m_calc.memoryRecall();
            else
                m_calc.memoryClear();
            refreshDisplay();
        });
        keys->addWidget(b, 0, i);
    }
    QPushButton* clr = key(QStringLiteral("CLRkey0"), QStringLiteral("CLR"));
    QPushButton* c = key(QStringLiteral("CLRkey1"), QStringLiteral("C"));
    connect(clr, &QPushButton::clicked, this, [this] { m_calc.clearAll(); refreshDisplay(); });
    connect(c, &QPushButton::clicked, this, [this] { m_calc.clearEntry(); refreshDisplay(); });
    keys->addWidget(clr, 4, 4);
    keys->addWidget(c, 5, 4);

    // Decimals of results, 0 to 3; the up arrow raises them.
    m_decimals = new QLineEdit(QStringLiteral("0"));
    m_decimals->setObjectName(QStringLiteral("ShousuText"));
    m_decimals->setReadOnly(true);
    m_decimals->setFocusPolicy(Qt::NoFocus);
    m_decimals->setMaximumWidth(36);
    m_decimals->setAlignment(Qt::AlignCenter);
    m_scroll = new QScrollBar(Qt::Vertical);
    m_scroll->setObjectName(QStringLiteral("VScroll1"));
    m_scroll->setRange(-3, 0);
    m_scroll->setValue(0);
    m_scroll->setFixedHeight(30);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    connect(m_scroll, &QScrollBar::valueChanged, this, [this](int v) {
        m_calc.setDecimals(-v);
        m_decimals->setText(QString::number(-v));
    });
    auto* rounding = new QGroupBox(QStringLiteral("端数処理"));
    auto* rl = new QHBoxLayout(rounding);
    const char* const modeText[] = {"四捨五入", "切上", "切捨"};
    for (int i = 0; i < 3; ++i) {
        m_modes[i] = new QRadioButton(QString::fromUtf8(modeText[i]));
        m_modes[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        m_modes[i]->setFocusPolicy(Qt::NoFocus);
        connect(m_modes[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                m_calc.setRounding(static_cast<Calculator::Rounding>(i));
        });
        rl->addWidget(m_modes[i]);
    }
    m_modes[0]->setChecked(true);
    auto* settings = new QHBoxLayout;
    settings->addWidget(new QLabel(QStringLiteral("小数点以下")));
    settings->addWidget(m_decimals);
    settings->addWidget(m_scroll);
    settings->addWidget(new QLabel(QStringLiteral("桁")));
    settings->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_display);
    layout->addLayout(settings);
    layout->addWidget(rounding);
    layout->addLayout(keys);
    m_calc.clearAll();
    refreshDisplay();
}

void cal1::setDecimals(int decimals)
{
    m_scroll->setValue(-qBound(0, decimals, 3));
}

void cal1::number(int key)
{
    m_calc.pressNumber(key);
    refreshDisplay();
}

void cal1::op(Calculator::Operator o)
{
    const bool ok = m_calc.pressOperator(o);
    refreshDisplay();
    if (!ok)
        Prompter::current().show({Calculator::kDigitErrorTitle, Calculator::kDigitErrorText, Prompter::Icon::Warning,
                                  Prompter::Ok, Prompter::Ok});
}

void cal1::refreshDisplay()
{
    m_display->setText(m_calc.display());
}

void cal1::keyPressEvent(QKeyEvent* event)
{
    const QString t = event->text();
    if (t.size() == 1 && t[0].isDigit() && t[0].unicode() < 128) {
        number(t[0].digitValue());
        return;
    }
    switch (event->key()) {
    case Qt::Key_Period:
    case Qt::Key_Comma:
        number(10);
        return;
    case Qt::Key_Plus: op(Calculator::Plus); return;
    case Qt::Key_Minus: op(Calculator::Minus); return;
    case Qt::Key_Asterisk: op(Calculator::Times); return;
    case Qt::Key_Slash: op(Calculator::Divide); return;
    case Qt::Key_Equal:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        op(Calculator::Equals);
        return;
    case Qt::Key_Delete:
        m_calc.clearAll();
        refreshDisplay();
        return;
    case Qt::Key_Backspace:
        m_calc.clearEntry();
        refreshDisplay();
        return;
    default:
        QDialog::keyPressEvent(event);  // Esc closes, as in any small tool window
    }
}
