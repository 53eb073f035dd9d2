#include "LabelPreview.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

LabelPreview::LabelPreview(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("PicDoc"));
    setMouseTracking(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

double LabelPreview::pxPerMm() const
{
    return logicalDpiX() / 25.4;
}

QSize LabelPreview::sizeHint() const
{
    const double s = pxPerMm();
    return QSize(static_cast<int>(LabelLayout::kPaperWidthMm * s + 2 * kMarginPx + 4),
                 static_cast<int>(LabelLayout::kPaperHeightMm * s + 2 * kMarginPx + 4));
}

LabelTexts LabelPreview::textsOf(int label) const
{
    if (!m_job)
        return {};
    const int who = m_job->plan.recipientAt(m_page, label, static_cast<int>(m_job->recipients.size()));
    if (who >= 0)
        return LabelText::forRecipient(m_job->recipients[who], m_job->honorific, m_job->layout);
    const bool used = m_page > 0 || m_job->plan.isUsedOnFirstSheet(label);
    if (m_sample && used)
        return LabelText::sample();
    return {};
}

LabelPreview::Hit LabelPreview::hitTest(const QPointF& pos) const
{
    Hit hit;
    if (!m_job)
        return hit;
    const double s = pxPerMm();
    const QPointF mm = (pos - paperOrigin()) / s;
    const LabelLayout& layout = m_job->layout;
    for (int i = 0; i < layout.labelsPerSheet(); ++i) {
        const QRectF r = layout.labelRect(i);
        if (!r.contains(mm))
            continue;
        hit.label = i;
        hit.inLabelMm = mm - r.topLeft();
        const LabelTexts texts = textsOf(i);
        // The later elements lie on top where boxes overlap.
        for (int e = kLabelElementCount - 1; e >= 0; --e) {
            const auto element = static_cast<LabelElement>(e);
            const QString text = texts.text(element);
            if (text.isEmpty())
                continue;
            const QRectF box = LabelRenderer::elementBox(layout, element, text, const_cast<LabelPreview*>(this));
            if (box.contains(hit.inLabelMm)) {
                hit.element = e;
                break;
            }
        }
        return hit;
    }
    return hit;
}

QPointF LabelPreview::labelCentre(int label) const
{
    if (!m_job)
        return {};
    return paperOrigin() + m_job->layout.labelRect(label).center() * pxPerMm();
}

QPointF LabelPreview::elementCentre(int label, LabelElement e) const
{
    if (!m_job)
        return {};
    const QRectF box = LabelRenderer::elementBox(m_job->layout, e, textsOf(label).text(e), const_cast<LabelPreview*>(this));
    const QPointF corner = m_job->layout.labelRect(label).topLeft() + box.topLeft();
    return paperOrigin() + (corner + QPointF(std::min(box.width(), 6.0) / 2, box.height() / 2)) * pxPerMm();
}

void LabelPreview::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Mid));
    if (!m_job)
        return;
    p.translate(paperOrigin());
    LabelRenderer::Style style;
    style.screen = true;
    style.sampleTexts = m_sample;
    style.selectedElement = m_selected;
    if (m_dragging) {
        style.draggedElement = m_press.element;
        style.draggedOffset = m_dragOffsetMm;
    }
    LabelRenderer::drawPage(p, this, *m_job, m_page, pxPerMm(), style);
}

void LabelPreview::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_press = hitTest(event->position());
    m_pressPos = event->position();
    m_dragging = false;
    if (m_press.element >= 0 && m_job) {
        const QPointF corner = m_job->layout.elementOffset(static_cast<LabelElement>(m_press.element));
        m_grabOffsetMm = m_press.inLabelMm - corner;
        m_dragOffsetMm = corner;
        m_selected = m_press.element;
        emit elementSelected(m_press.element);
        update();
    }
}

void LabelPreview::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton) || m_press.element < 0 || !m_job)
        return;
    if (!m_dragging && (event->position() - m_pressPos).manhattanLength() < QApplication::startDragDistance())
        return;
    m_dragging = true;
    const QRectF label = m_job->layout.labelRect(m_press.label);
    const QPointF mm = (event->position() - paperOrigin()) / pxPerMm() - label.topLeft() - m_grabOffsetMm;
    // The corner stays inside the label, wherever the pointer goes.
    m_dragOffsetMm = QPointF(std::clamp(mm.x(), 0.0, std::max(0.0, label.width() - LabelGrid::kColumnMm)),
                             std::clamp(mm.y(), 0.0, std::max(0.0, label.height() - LabelGrid::kRowMm)));
    setCursor(Qt::SizeAllCursor);
    update();
}

void LabelPreview::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const Hit press = m_press;
    m_press = Hit();
    unsetCursor();
    if (m_dragging) {
        m_dragging = false;
        update();
        emit elementDropped(press.element, m_dragOffsetMm.x() * LabelGrid::kTwipsPerMm,
                            m_dragOffsetMm.y() * LabelGrid::kTwipsPerMm);
        return;
    }
    if (press.label >= 0)
        emit labelClicked(press.label);
}

void LabelPreview::mouseDoubleClickEvent(QMouseEvent* event)
{
    const Hit hit = hitTest(event->position());
    if (hit.element >= 0)
        emit elementDoubleClicked(hit.element);
}
