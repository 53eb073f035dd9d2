#include "ColorSplash.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

const std::array<qint64, ColorSplash::kSwatches>& ColorSplash::palette()
{
    static const std::array<qint64, kSwatches> colours{
        0x000000, 0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFF00FF, 0xFFFF00, 0x004080,
        0x00C000, 0x800000, 0x00C0C0, 0xC000C0, 0xC0C000, 0xC0C0C0, 0x808080,
    };
    return colours;
}

QColor ColorSplash::toColor(qint64 value)
{
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

ColorSplash::ColorSplash(int current, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ColorSplash"));
    setWindowTitle(QStringLiteral("文字色の選択"));
    setModal(true);

    auto* swatchFrame = new QGroupBox(QStringLiteral("色"));
    auto* grid = new QGridLayout(swatchFrame);
    grid->setSpacing(6);
    for (int i = 0; i < kSwatches; ++i) {
        auto* b = new QPushButton;
        b->setObjectName(QStringLiteral("ColorPalet_%1").arg(i));
        b->setFixedSize(40, 30);
        b->setAutoDefault(false);
        b->setCheckable(true);
        b->setToolTip(QStringLiteral("色 %1").arg(i + 1));
        const QColor c = toColor(palette()[static_cast<size_t>(i)]);
        b->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; border: 1px solid #808080; }"
                                        "QPushButton:checked { border: 3px solid #1f4e79; }"
                                        "QPushButton:focus { border: 2px dotted #1f4e79; }")
                             .arg(c.name()));
        grid->addWidget(b, i / 5, i % 5);
        m_swatches[static_cast<size_t>(i)] = b;
        connect(b, &QPushButton::clicked, this, [this, i] { selectSwatch(i); });
    }

    auto* sampleFrame = new QGroupBox(QStringLiteral("選択された文字色"));
    m_sample = new QLabel(QStringLiteral("確認申請書　Ａａ１２３"));
    m_sample->setObjectName(QStringLiteral("Label1"));
    m_sample->setAlignment(Qt::AlignCenter);
    m_sample->setMinimumHeight(44);
    QFont f = m_sample->font();
    f.setPointSizeF(f.pointSizeF() * 1.4);
    f.setBold(true);
    m_sample->setFont(f);
    m_sample->setStyleSheet(QStringLiteral("background-color: #ffffff; border: 1px solid #c0c0c0;"));
    auto* sampleLayout = new QVBoxLayout(sampleFrame);
    sampleLayout->addWidget(m_sample);

    m_ok = new QPushButton(QStringLiteral("適用"));
    m_ok->setObjectName(QStringLiteral("OkBtn"));
    m_ok->setDefault(true);
    m_close = new QPushButton(QStringLiteral("閉じる"));
    m_close->setObjectName(QStringLiteral("CloseBtn"));
    m_close->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(swatchFrame);
    layout->addWidget(sampleFrame);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());

    connect(m_ok, &QPushButton::clicked, this, [this] {
        if (m_selected < 0)
            return;
        m_taken = Choice{m_selected, palette()[static_cast<size_t>(m_selected)]};
        accept();
    });
    connect(m_close, &QPushButton::clicked, this, &ColorSplash::reject);

    m_ok->setEnabled(false);
    if (current >= 0 && current < kSwatches)
        selectSwatch(current);
}

void ColorSplash::selectSwatch(int index)
{
    if (index < 0 || index >= kSwatches)
        return;
    m_selected = index;
    for (int i = 0; i < kSwatches; ++i)
        m_swatches[static_cast<size_t>(i)]->setChecked(i == index);
    QPalette p = m_sample->palette();
    p.setColor(QPalette::WindowText, toColor(palette()[static_cast<size_t>(index)]));
    m_sample->setPalette(p);
    m_sample->setStyleSheet(QStringLiteral("background-color: #ffffff; border: 1px solid #c0c0c0; color: %1;")
                                .arg(toColor(palette()[static_cast<size_t>(index)]).name()));
    m_ok->setEnabled(true);
}

std::optional<ColorSplash::Choice> ColorSplash::pick(QWidget* parent, int current)
{
    ColorSplash window(current, parent);
    window.exec();
    return window.choice();
}
