#pragma once

#include <QString>

// The desk calculator behind the 電卓 window: a single-precision running
// value, trigonometry in degrees, and results rounded for display only.
class Calculator {
public:
    enum class Rounding { HalfUp = 0, Up = 1, Down = 2 };  // 四捨五入, 切上, 切捨
    enum Operator { Equals = 0, Plus, Minus, Times, Divide, Root, Sin, Cos, Tan };

    static inline const QString kDigitErrorTitle = QStringLiteral("桁エラー");
    static inline const QString kDigitErrorText = QStringLiteral("正しい桁数の範囲で設定して下さい");

    Calculator();

    // Keys 0–9, 10 ".", 11 "00".
    void pressNumber(int key);
    // Returns false when the result could not be shown (digit error): the
    // caller tells the user with the digit error message.
    bool pressOperator(Operator op);
    void memoryStore();
    void memoryRecall();
    void memoryClear();
    void clearAll();    // CLR
    void clearEntry();  // C

    QString display() const { return m_display; }
    bool hasError() const { return m_error; }

    int decimals() const { return m_decimals; }
    void setDecimals(int decimals) { m_decimals = decimals; }
    Rounding rounding() const { return m_rounding; }
    void setRounding(Rounding r) { m_rounding = r; }
    float memory() const { return m_memory; }

    // Rounds a value for display with d decimals in 4-decimal fixed point;
    // false (result 0) when d is outside 0–3 or the value is too long to show.
    static bool round(double value, int decimals, Rounding mode, float* result);
    // The shortest text that reads back as the same single-precision number.
    static QString format(float value);

private:
    double displayValue() const;

    QString m_display = QStringLiteral("0");
    float m_running = 0.0f;
    int m_pending = Equals;
    bool m_newEntry = true;
    float m_memory = 0.0f;
    int m_decimals = 0;
    Rounding m_rounding = Rounding::HalfUp;
    bool m_error = false;
};
