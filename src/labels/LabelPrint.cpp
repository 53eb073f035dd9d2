#include "LabelPrint.h"

#include "Prompter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>

#include <array>

namespace LabelRenderer {

namespace {

const QColor kFrameColour{0x9A, 0x9A, 0x9A};
const QColor kGridColour{0xD2, 0xDF, 0xEE};
const QColor kSelectedColour{0x1F, 0x6F, 0xD0};
const QColor kPaperShade{0xD8, 0xD8, 0xD8};

bool isGothic(const QString& name)
{
    return name.contains(QStringLiteral("ゴシック")) || name.contains(QLatin1String("Gothic"), Qt::CaseInsensitive)
           || name.contains(QLatin1String("Sans"), Qt::CaseInsensitive) || name.contains(QStringLiteral("メイリオ"));
}

double deviceDpi(QPaintDevice* device)
{
    return device ? device->logicalDpiY() : 96.0;
}

struct ElementStyle {
    QFont font;
    double ascent = 0;
    double lineHeight = 0;
    double maxWidth = 0;  // px
};

}  // namespace

QFont elementFont(const ElementSpec& spec, double pxPerMm, QPaintDevice* device)
{
    QFont font;
    QStringList families{spec.fontName};
    if (isGothic(spec.fontName))
        families << QStringLiteral("IPAGothic") << QStringLiteral("Noto Sans CJK JP");
    else
        families << QStringLiteral("IPAMincho") << QStringLiteral("Noto Serif CJK JP");
    font.setFamilies(families);
    // The point size on this device that gives the element's real size at
    // this scale (a preview may be drawn larger or smaller than 1:1).
    const double size = spec.fontSize > 0 ? spec.fontSize : 10.5;
    const double px = size * 25.4 / 72.0 * pxPerMm;
    font.setPointSizeF(px * 72.0 / deviceDpi(device));
    font.setKerning(false);
    return font;
}

QRectF elementBox(const LabelLayout& layout, LabelElement e, const QString& text, QPaintDevice* device)
{
    const double pxPerMm = deviceDpi(device) / 25.4;
    const QFont font = elementFont(layout.element(e), pxPerMm, device);
    const QFontMetricsF fm(font, device);
    const double maxWidth = layout.elementWidthTwips(e) / LabelGrid::kTwipsPerMm;
    // An empty element still offers something to take hold of.
    const double minWidth = std::min(maxWidth, 4 * LabelGrid::kColumnMm);
    const double width = std::clamp(fm.horizontalAdvance(text) / pxPerMm, minWidth, std::max(minWidth, maxWidth));
    return QRectF(layout.elementOffset(e), QSizeF(width, fm.height() / pxPerMm));
}

void drawPage(QPainter& painter, QPaintDevice* device, const LabelJob& job, int page, double pxPerMm,
              const Style& style)
{
    const LabelLayout& layout = job.layout;
    const int perSheet = layout.labelsPerSheet();
    const int count = static_cast<int>(job.recipients.size());
    auto mm = [pxPerMm](const QRectF& r) {
        return QRectF(r.x() * pxPerMm, r.y() * pxPerMm, r.width() * pxPerMm, r.height() * pxPerMm);
    };

    painter.save();
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    if (style.screen) {
        const QRectF paper = mm(QRectF(0, 0, LabelLayout::kPaperWidthMm, LabelLayout::kPaperHeightMm));
        painter.fillRect(paper.translated(3, 3), kPaperShade);
        painter.fillRect(paper, Qt::white);
        painter.setPen(QPen(kFrameColour, 0));
        painter.drawRect(paper);
    }

    std::array<ElementStyle, kLabelElementCount> styles;
    for (int e = 0; e < kLabelElementCount; ++e) {
        ElementStyle& s = styles[static_cast<size_t>(e)];
        s.font = elementFont(layout.elements[static_cast<size_t>(e)], pxPerMm, device);
        const QFontMetricsF fm(s.font, device);
        s.ascent = fm.ascent();
        s.lineHeight = fm.height();
        s.maxWidth = layout.elementWidthTwips(static_cast<LabelElement>(e)) / LabelGrid::kTwipsPerMm * pxPerMm;
    }

    const LabelTexts sample = LabelText::sample();
    for (int i = 0; i < perSheet; ++i) {
        const QRectF label = mm(layout.labelRect(i));
        const bool used = page > 0 || job.plan.isUsedOnFirstSheet(i);
        if (style.screen) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(used ? kUsedColour : QColor(Qt::white));
            painter.drawRoundedRect(label, 1.5 * pxPerMm, 1.5 * pxPerMm);
            // The character grid the elements snap to.
            painter.setPen(QPen(kGridColour, 0, Qt::DotLine));
            for (double x = LabelGrid::kColumnMm; x < layout.labelWidth() - 0.01; x += LabelGrid::kColumnMm)
                painter.drawLine(QPointF(label.left() + x * pxPerMm, label.top()),
                                 QPointF(label.left() + x * pxPerMm, label.bottom()));
            for (double y = LabelGrid::kRowMm; y < layout.labelHeight() - 0.01; y += LabelGrid::kRowMm)
                painter.drawLine(QPointF(label.left(), label.top() + y * pxPerMm),
                                 QPointF(label.right(), label.top() + y * pxPerMm));
            painter.setBrush(Qt::NoBrush);
            painter.setPen(QPen(kFrameColour, 0));
            painter.drawRoundedRect(label, 1.5 * pxPerMm, 1.5 * pxPerMm);
        }

        const int who = job.plan.recipientAt(page, i, count);
        LabelTexts texts;
        if (who >= 0)
            texts = LabelText::forRecipient(job.recipients[who], job.honorific, layout);
        else if (style.sampleTexts && used)
            texts = sample;
        else
            continue;

        painter.save();
        // Nothing is ever printed outside its label, whatever the layout.
        painter.setClipRect(label);
        for (int e = 0; e < kLabelElementCount; ++e) {
            const auto element = static_cast<LabelElement>(e);
            const QString text = texts.text(element);
            const ElementStyle& s = styles[static_cast<size_t>(e)];
            const bool dragged = style.draggedElement == e;
            const QPointF offset = dragged ? style.draggedOffset : layout.elementOffset(element);
            const QPointF at(label.left() + offset.x() * pxPerMm, label.top() + offset.y() * pxPerMm);
            painter.setFont(s.font);
            painter.setPen(dragged ? QColor(0x40, 0x40, 0x40, 0x90) : QColor(Qt::black));
            const double width = QFontMetricsF(s.font, device).horizontalAdvance(text);
            if (width > s.maxWidth && s.maxWidth > 0) {
                // Too long for the label: narrowed rather than cut off.
                painter.save();
                painter.translate(at.x(), at.y() + s.ascent);
                painter.scale(s.maxWidth / width, 1.0);
                painter.drawText(QPointF(0, 0), text);
                painter.restore();
            } else {
                painter.drawText(QPointF(at.x(), at.y() + s.ascent), text);
            }
            if (style.screen && (style.selectedElement == e || dragged)) {
                const double boxWidth = std::max(std::min(width, s.maxWidth), 4 * LabelGrid::kColumnMm * pxPerMm);
                painter.setPen(QPen(kSelectedColour, 0, dragged ? Qt::DashLine : Qt::SolidLine));
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(QRectF(at, QSizeF(boxWidth, s.lineHeight)));
            }
        }
        painter.restore();
    }
    painter.restore();
}

}  // namespace LabelRenderer

namespace LabelPrint {

namespace {

const QString kPrintTitle = QStringLiteral("印刷確認");

void tell(const QString& title, const QString& text, Prompter::Icon icon = Prompter::Icon::Information)
{
    Prompter::current().show({title, text, icon, Prompter::Ok, Prompter::Ok});
}

}  // namespace

int paint(QPainter& painter, QPagedPaintDevice& device, const LabelJob& job, const Progress& progress,
          bool* cancelled)
{
    if (cancelled)
        *cancelled = false;
    const double pxPerMm = device.logicalDpiX() / 25.4;
    const int pages = job.pageCount();
    LabelRenderer::Style style;
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            device.newPage();
        LabelRenderer::drawPage(painter, &device, job, page, pxPerMm, style);
        if (progress && !progress(page + 1, pages)) {
            if (cancelled)
                *cancelled = page + 1 < pages;
            return page + 1;
        }
    }
    return pages;
}

Outcome confirm(const LabelJob& job)
{
    const Prompter::Button answer = Prompter::current().show(
        {kPrintTitle, QStringLiteral("印刷を行います。　よろしいですか？"), Prompter::Icon::Warning,
         Prompter::Yes | Prompter::No, Prompter::Yes});
    if (answer != Prompter::Yes)
        return Outcome::Declined;
    if (job.recipients.isEmpty()) {
        tell(kPrintTitle, QStringLiteral("印刷データが選択されていません"));
        return Outcome::NoRecipients;
    }
    if (job.pageCount() == 0) {
        tell(kPrintTitle, QStringLiteral("1枚目に印刷するラベルが選ばれていません。プレビューで印刷するラベルをクリックしてください。"));
        return Outcome::NoLabels;
    }
    const QString problem = job.layout.problem();
    if (!problem.isEmpty()) {
        tell(PromptTitle::Print, problem, Prompter::Icon::Warning);
        return Outcome::Failed;
    }
    return Outcome::Printed;
}

Outcome print(const LabelJob& job, const PrnCommon::Target& target, const Progress& progress, int* pagesPrinted)
{
    if (pagesPrinted)
        *pagesPrinted = 0;
    PrnCommon::Session session;
    if (!session.begin(target, QStringLiteral("DMラベル")))
        return Outcome::Failed;  // the session has told the user why
    bool cancelled = false;
    const int pages = paint(*session.painter(), *session.printer(), job, progress, &cancelled);
    if (cancelled)
        session.printer()->abort();
    const bool ended = session.end();
    if (pagesPrinted)
        *pagesPrinted = pages;
    if (cancelled)
        return Outcome::Cancelled;
    if (!ended || session.printer()->printerState() == QPrinter::Error) {
        const QString why = session.errorString();
        tell(PromptTitle::Print, why.isEmpty() ? PrnCommon::kNoPrinterMessage : why, Prompter::Icon::Warning);
        return Outcome::Failed;
    }
    return Outcome::Printed;
}

Outcome run(const LabelJob& job, const PrnCommon::Target& target, const Progress& progress, int* pagesPrinted)
{
    if (pagesPrinted)
        *pagesPrinted = 0;
    const Outcome checked = confirm(job);
    if (checked != Outcome::Printed)
        return checked;
    return print(job, target, progress, pagesPrinted);
}

}  // namespace LabelPrint
