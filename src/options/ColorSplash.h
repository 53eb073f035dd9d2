#pragma once

#include <QColor>
#include <QDialog>

#include <array>
#include <optional>

class QLabel;
class QPushButton;

// The colour picker of the options window: fifteen swatches, a sample of
// the chosen text colour, "適用" to take it and a close button.
class ColorSplash : public QDialog {
    Q_OBJECT
public:
    struct Choice {
        int index = 0;       // the swatch, 0 to 14
        qint64 value = 0;    // its colour as stored, 0x00BBGGRR
    };

    static constexpr int kSwatches = 15;
    // The colours of the swatches, 0x00BBGGRR.
    static const std::array<qint64, kSwatches>& palette();
    // A stored colour value as a colour on screen.
    static QColor toColor(qint64 value);

    // current: the swatch shown as chosen when the window opens (-1: none).
    explicit ColorSplash(int current = -1, QWidget* parent = nullptr);

    // What "適用" handed back; nothing when the window was closed without it.
    std::optional<Choice> choice() const { return m_taken; }

    // A click on swatch i: shows its colour on the sample.
    void selectSwatch(int index);
    QPushButton* swatch(int index) const { return m_swatches[static_cast<size_t>(index)]; }
    QLabel* sample() const { return m_sample; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* closeButton() const { return m_close; }

    // Shows the picker modally.
    static std::optional<Choice> pick(QWidget* parent, int current);

private:
    std::array<QPushButton*, kSwatches> m_swatches{};
    QLabel* m_sample = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_close = nullptr;
    int m_selected = -1;
    std::optional<Choice> m_taken;
};
