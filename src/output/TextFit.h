#pragma once

#include "XlsxWorkbook.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

class InputSheet;

// Long values on the printed forms: each box that shows an input cell is
// printed in the largest font size, between the template's own and
// kMinPoints, at which its text fits. A text that does not fit even then
// goes whole onto the continuation sheet 別紙 (over as many of its slots
// as it needs), and its box says 「別紙のとおり」. Nothing is shrunk out of
// sight or cut off.
//
// The template lists every box (its sheet and cell, size in points, font
// size, whether it wraps, and what it shows as a pattern of fixed text and
// input cells) on its hidden sheet 「枠」, so boxes and template always
// come from the same release.
class TextFit
{
public:
    static const QString kBoxesSheet;
    static const QString kAnnexSheet;
    static const QString kAnnexNote;  // 「別紙のとおり」
    static constexpr double kMinPoints = 7.0;
    // The continuation sheet's slots: item name in column D of annexRow(i),
    // the text in the row below. The first eight keep the rows of the
    // templates that had no more.
    static constexpr int kAnnexSlots = 32;
    static constexpr int kAnnexSlotsPerPage = 2;
    // What one text may take of the 別紙 when it is typed: two pages, so
    // that several long texts of a project still find room.
    static constexpr int kAnnexSlotsPerText = 4;
    static constexpr int annexRow(int slot) { return slot < 8 ? 1780 + 2 * slot : 3400 + 2 * (slot - 8); }

    struct Box {
        QString sheet;
        CellRef cell;
        double width = 0;   // points
        double height = 0;  // points
        double size = 10;   // the template's font size
        bool wrap = false;
        QString pattern;    // "{D43}", "（{D4}）", "{D1|E2}"; empty: not sized
        QString caption;    // the item name beside the box
    };

    // Which rows print (a page of an absent building does not): boxes
    // elsewhere are passed over. Without it every row prints.
    void setShownRows(std::function<bool(const QString& sheet, int row)> shown) { m_shown = std::move(shown); }

    // Reads the boxes of an open template; one without the sheet has none.
    bool load(XlsxWorkbook& book, QString* error);
    const QVector<Box>& boxes() const { return m_boxes; }

    // What a box's pattern shows once the input sheet is filled.
    static QString shownText(const QString& pattern, const InputSheet& input);
    // The largest size from `base` down to kMinPoints (in half points) at
    // which the text fits the box; 0 when it does not fit even then.
    static double fittingSize(const QString& text, double width, double height, double base, bool wrap);

    // After the cell map: moves the texts that cannot fit a box of the
    // sheets `printed` onto the 別紙 (writing the slots and the note into
    // `input`) and returns the page keys that then hold ("annex",
    // "annex:1" …). Then call applySizes once the input sheet is written.
    QSet<QString> planAnnex(InputSheet& input, const QStringList& printed);
    // The text cut into pieces that each fit the 別紙's slot box at its own
    // size, cut where the text pauses when it can be; the whole text when
    // there is no slot box.
    static QStringList annexPieces(const QString& text, const Box* slot);
    // Sets the font size of every box whose text needs a smaller one.
    bool applySizes(XlsxWorkbook& book, const InputSheet& input, QString* error) const;

private:
    bool shown(const Box& b) const { return !m_shown || m_shown(b.sheet, b.cell.row); }
    const Box* annexSlot() const;

    QVector<Box> m_boxes;
    std::function<bool(const QString&, int)> m_shown;
};
