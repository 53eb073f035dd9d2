#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>
#include <QVector>

#include <array>

class Storage;

// The five texts of an address label, in the order the layout stores them.
enum class LabelElement { Post = 0, Addr1 = 1, Addr2 = 2, Corp = 3, Name = 4 };
inline constexpr int kLabelElementCount = 5;

// "郵便番号", "住所1", …: how the window names an element.
QString labelElementCaption(LabelElement e);

// Where an element stands inside a label, on the character grid, and the
// font it is printed in.
struct ElementSpec {
    int column = 1;  // 1-based
    int row = 1;     // 1-based
    double fontSize = 10.5;
    QString fontName = QStringLiteral("ＭＳ 明朝");

    bool operator==(const ElementSpec& o) const
    {
        return column == o.column && row == o.row && fontSize == o.fontSize && fontName == o.fontName;
    }
};

// The character grid inside a label: one column is 126 twips, one row
// 239.7 twips. Preview and print share these numbers, so what the user
// lines up on the screen is where the ink goes.
namespace LabelGrid {
inline constexpr double kTwipsPerMm = 1440.0 / 25.4;
inline constexpr double kColumnTwips = 126.0;
inline constexpr double kRowTwips = 239.7;
// Room kept free between an element's text and the label's right edge.
inline constexpr double kRightGapTwips = 150.0;
inline constexpr double kColumnMm = kColumnTwips / kTwipsPerMm;
inline constexpr double kRowMm = kRowTwips / kTwipsPerMm;
// The grid cell an element lands in when dropped with its top-left corner
// this far (twips) from the label's: rounded to the nearest cell, halves to
// even.
int columnFor(double leftTwips);
int rowFor(double topTwips);
}  // namespace LabelGrid

// One label layout (a row of DMlabel): the sheet of labels and where the
// five texts go inside every label. Lengths are millimetres.
struct LabelLayout {
    // At most three labels across and thirty on a sheet.
    static constexpr int kMaxColumns = 3;
    static constexpr int kMaxLabels = 30;
    static constexpr int kSpacingCount = 8;
    // The paper the sheets are printed on.
    static constexpr double kPaperWidthMm = 210.0;
    static constexpr double kPaperHeightMm = 297.0;

    qint64 id = 0;
    QString name;
    qint64 sortNum = 0;
    int columns = 2;  // SIDE
    int rows = 6;     // LENG
    // The spacing fields in their order: 上余白, 下余白, 左余白, 右余白,
    // 縦間隔, 横間隔, ラベル幅, ラベル高さ (MUp, MDown, MLeft, MRight, HBet,
    // WBet, WLABEL, HLABEL).
    std::array<double, kSpacingCount> spacing{21.5, 21.5, 18.6, 18.6, 0.0, 0.0, 86.4, 42.3};
    std::array<ElementSpec, kLabelElementCount> elements;

    enum Spacing { MUp = 0, MDown, MLeft, MRight, HBet, WBet, WLabel, HLabel };
    double marginTop() const { return spacing[MUp]; }
    double marginLeft() const { return spacing[MLeft]; }
    double gapBetweenRows() const { return spacing[HBet]; }
    double gapBetweenColumns() const { return spacing[WBet]; }
    double labelWidth() const { return spacing[WLabel]; }
    double labelHeight() const { return spacing[HLabel]; }

    ElementSpec& element(LabelElement e) { return elements[static_cast<size_t>(e)]; }
    const ElementSpec& element(LabelElement e) const { return elements[static_cast<size_t>(e)]; }

    // Labels on one sheet: columns × rows, within the limits.
    int labelsPerSheet() const;
    int clampedColumns() const;
    int clampedRows() const;
    // The largest number of rows that still keeps a sheet within thirty labels.
    static int maxRowsFor(int columns);

    // Label i (0-based, row by row, left to right) on the paper, in mm.
    // MDown and MRight take no part: the top and left margins, the sizes
    // and the gaps place every label.
    QRectF labelRect(int index) const;
    // An element's top-left corner inside its label, in mm.
    QPointF elementOffset(LabelElement e) const;
    // The width an element may fill: the label's width less the element's
    // offset and the gap at the right edge, in whole grid columns (twips).
    double elementWidthTwips(LabelElement e) const;
    // How many Shift_JIS bytes an element holds at its font size.
    int capacityBytes(LabelElement e) const;
    // The last grid column and row an element may take so that it starts
    // inside the label and its text (at its font size) ends above the
    // label's bottom edge.
    int maxColumn() const;
    int maxRow(LabelElement e) const;

    // What is wrong with the sheet for a user to fix, or empty: labels of
    // no size, labels that run off the A4 paper.
    QString problem() const;

    // What the window's fields and the drags in its preview may do to a
    // layout; each answers whether the layout changed.
    // A spacing field (0–7) in mm, rounded to a hundredth and kept between
    // its limits: no label below 5 mm, nothing wider or higher than A4.
    static double spacingMin(int i);
    static double spacingMax(int i);
    bool setSpacing(int i, double mm);
    // Columns 1–3, and rows as many as keep the sheet within thirty labels.
    bool setColumns(int columns);
    bool setRows(int rows);
    // An element dropped with its top-left corner this far (twips) from the
    // label's: on the grid, starting inside the label.
    bool placeElement(LabelElement e, double leftTwips, double topTwips);
    // An empty name leaves the font alone.
    bool setFont(LabelElement e, const QString& name, double size);

    // A sheet that common A4 label paper fits: 2 × 6 labels of 86.4 × 42.3 mm.
    static LabelLayout standard();
};

// Millimetres as a clerk writes them (21.5, 0, 86.4), and read back from
// what was typed, full-width digits included.
namespace LabelNumbers {
QString mmText(double mm);
bool read(const QString& text, double* out);
}  // namespace LabelNumbers

// One entry of the layout list.
struct LayoutName {
    qint64 id = 0;
    QString name;
};

// The layouts of anotheroption: DMlabel (one row per layout) and ACT_DM
// (the one row naming the layout last saved).
class LabelLayoutStore {
public:
    static inline const QString kNewName = QStringLiteral("<新規>");

    explicit LabelLayoutStore(Storage& storage);

    // By SORT_NUM, then by ID.
    bool list(QVector<LayoutName>* out);
    bool count(int* out);
    // *found is false when the row is gone.
    bool load(qint64 id, LabelLayout* out, bool* found);
    // A new layout "<新規>" placed after the others, starting from the
    // geometry given (the one on the screen); returns its ID, 0 on failure.
    qint64 create(const LabelLayout& from);
    // Writes every column of the layout; *found is false, and nothing
    // written, when the row is gone.
    bool save(const LabelLayout& layout, bool* found);
    // Deletes a layout; the last one is never deleted (*refused).
    bool remove(qint64 id, bool* refused);

    // ACT_DM: the layout the window opens with (0 when none is recorded).
    bool activeId(qint64* out);
    bool setActive(qint64 id, const QString& name);

    const QString& errorString() const { return m_error; }

private:
    bool fail(const QString& message);

    Storage& m_storage;
    QString m_error;
};
