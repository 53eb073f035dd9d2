#pragma once

#include "LabelLayout.h"
#include "Recipients.h"

#include <QString>
#include <QVector>

#include <array>

// Which labels of the first sheet are still free, and therefore which
// recipient lands on which label of which page. Later sheets are always
// used whole.
class LabelPlan {
public:
    enum class StartMode { Top = 0, Position = 1, Random = 2 };
    static constexpr int kPositions = 49;

    LabelPlan() { setMode(StartMode::Top); }

    // "TOP位置": every label of the first sheet. "指定位置": from the first
    // label until another is clicked. "ランダム": none until clicked.
    void setMode(StartMode mode);
    StartMode mode() const { return m_mode; }

    // A click on label `index` of the first page: the start of "指定位置"
    // (that label and all after it are used), a toggle in "ランダム";
    // nothing in "TOP位置".
    void clickLabel(int index);
    int startPosition() const { return m_start; }

    void setLabelsPerSheet(int perSheet);
    int labelsPerSheet() const { return m_perSheet; }

    // Whether a label of the first sheet receives a recipient.
    bool isUsedOnFirstSheet(int index) const;
    // Used labels of the first sheet.
    int usedOnFirstSheet() const;
    // What the window says of the first sheet under its start buttons.
    QString startHint() const;

    // Sheets needed for n recipients: none when the first sheet has no
    // label to use, one while the first sheet holds them all.
    int pageCount(int recipients) const;
    // The recipient (0-based) printed on a label of a page, -1 for none.
    int recipientAt(int page, int label, int recipients) const;

private:
    void applyStart();

    StartMode m_mode = StartMode::Top;
    int m_perSheet = 12;
    int m_start = 0;
    std::array<bool, kPositions> m_used{};
};

// The five texts of one label.
struct LabelTexts {
    QString post;
    QString line1;  // address 1 and 2, up to where it wraps
    QString line2;  // the rest of it, then address 3
    QString corp;
    QString name;   // name parts, a blank, the honorific

    QString text(LabelElement e) const;
};

namespace LabelText {

// Address line 1 is address 1 followed by address 2. When it is longer
// (in Shift_JIS bytes) than the element holds, it breaks at its first
// full-width blank, or else at its first half-width blank, or without any
// blank at the capacity; what follows the break goes in front of address 3
// on the second line.
struct Wrapped {
    QString line1;
    QString line2;
};
Wrapped wrapAddress(const QString& address1, const QString& address2, const QString& address3, int capacityBytes);

// The texts a recipient's label shows and prints in this layout.
LabelTexts forRecipient(const Recipient& r, const QString& honorific, const LabelLayout& layout);

// What the preview shows before any recipient is chosen.
LabelTexts sample();

}  // namespace LabelText
