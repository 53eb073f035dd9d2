#pragma once

#include "Calculator.h"

#include <QDialog>

class QLineEdit;
class QRadioButton;
class QScrollBar;

// The desk calculator window (電卓): keys, the keyboard, decimals and the
// rounding of results.
class cal1 : public QDialog {
    Q_OBJECT
public:
    explicit cal1(QWidget* parent = nullptr);

    const Calculator& calculator() const { return m_calc; }
    QLineEdit* display() const { return m_display; }
    void setDecimals(int decimals);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void number(int key);
    void op(Calculator::Operator o);
    void refreshDisplay();

    Calculator m_calc;
    QLineEdit* m_display;
    QLineEdit* m_decimals;
    QScrollBar* m_scroll;
    QRadioButton* m_modes[3];
};
