#pragma once

#include "LabelLayout.h"
#include "LabelSheet.h"
#include "PrnCommon.h"
#include "Recipients.h"

#include <QColor>
#include <QRectF>
#include <QString>
#include <QVector>

#include <functional>

class QFont;
class QPagedPaintDevice;
class QPaintDevice;
class QPainter;

// Everything a print or a preview of the labels needs.
struct LabelJob {
    LabelLayout layout;
    LabelPlan plan;
    QVector<Recipient> recipients;
    QString honorific = QStringLiteral("御中");

    int pageCount() const { return plan.pageCount(static_cast<int>(recipients.size())); }
};

// Draws sheets of labels. The preview and the print go through the same
// drawing at different scales, so the screen shows where the ink goes.
namespace LabelRenderer {

// The colour of a label that receives a recipient (light yellow).
inline const QColor kUsedColour{0xFF, 0xFF, 0xC0};

struct Style {
    bool screen = false;      // paper, label frames, the grid and colours; print draws the texts only
    bool sampleTexts = false; // every used label shows "〒", "住所1" … (no recipients yet)
    int selectedElement = -1; // outlined on the screen
    // An element being dragged: drawn at this offset (mm) inside every label.
    int draggedElement = -1;
    QPointF draggedOffset;
};

// The font of an element at a scale: the layout's font name first, then
// the Japanese fonts of this system for names it does not have.
QFont elementFont(const ElementSpec& spec, double pxPerMm, QPaintDevice* device);

// Paints page `page` (0-based) of the job with the paper's top-left corner
// at the painter's origin, pxPerMm device pixels to a millimetre.
void drawPage(QPainter& painter, QPaintDevice* device, const LabelJob& job, int page, double pxPerMm,
              const Style& style);

// Where an element's text lies inside its label (mm, relative to the
// label's top-left corner) for the text given: as wide as the text up to
// the element's width, as high as its font's line.
QRectF elementBox(const LabelLayout& layout, LabelElement e, const QString& text, QPaintDevice* device);

}  // namespace LabelRenderer

// Printing the labels: to a printer or to a PDF file.
namespace LabelPrint {

// Told after each page; answering false stops the print there.
using Progress = std::function<bool(int pagesDone, int pagesTotal)>;

// Paints every page of the job on a painter that is open on a paged device
// (a printer or a PDF writer). Returns the pages painted; *cancelled when
// the progress stopped it.
int paint(QPainter& painter, QPagedPaintDevice& device, const LabelJob& job, const Progress& progress,
          bool* cancelled = nullptr);

enum class Outcome { Printed, Declined, NoRecipients, NoLabels, Failed, Cancelled };

// The questions and checks before printing: "印刷を行います。　よろしいですか？",
// then no recipients, no label to print on, a sheet off the paper. Printed
// means go ahead.
Outcome confirm(const LabelJob& job);
// Prints every page to the target (after confirm()).
Outcome print(const LabelJob& job, const PrnCommon::Target& target, const Progress& progress = {},
              int* pagesPrinted = nullptr);

// "印刷": asks "印刷を行います。　よろしいですか？", refuses without
// recipients or without a label to print on, then prints every page to the
// target. A printer that cannot be reached is reported as
// "プリンタが接続されていません。" under "印刷警告".
Outcome run(const LabelJob& job, const PrnCommon::Target& target, const Progress& progress = {},
            int* pagesPrinted = nullptr);

}  // namespace LabelPrint
