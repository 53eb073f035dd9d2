#pragma once

#include "LabelPrint.h"

#include <QWidget>

// The sheet at its real size (PicDoc): label frames, their character grid,
// the used labels in light yellow and the texts of the page shown. A click
// on a label of the first page chooses where printing starts; dragging a
// text moves that element in every label, snapped to the grid; a double
// click on a text asks for its font.
class LabelPreview : public QWidget {
    Q_OBJECT
public:
    explicit LabelPreview(QWidget* parent = nullptr);

    // The job is owned by the window; the preview only reads it.
    void setJob(const LabelJob* job) { m_job = job; updateGeometry(); update(); }
    void setPage(int page) { m_page = page; update(); }
    int page() const { return m_page; }
    void setSampleTexts(bool on) { m_sample = on; update(); }
    void setSelectedElement(int element) { m_selected = element; update(); }
    int selectedElement() const { return m_selected; }
    // Screen pixels to a millimetre: the screen's own, so the sheet shows
    // at real size.
    double pxPerMm() const;
    // The top-left corner of the paper in the widget.
    QPointF paperOrigin() const { return {kMarginPx, kMarginPx}; }

    // Where a point of the widget lies: the label under it (-1 for none)
    // and the element of that label whose text is under it (-1 for none).
    struct Hit {
        int label = -1;
        int element = -1;
        QPointF inLabelMm;  // the point relative to the label's corner
    };
    Hit hitTest(const QPointF& pos) const;
    QPointF labelCentre(int label) const;
    QPointF elementCentre(int label, LabelElement e) const;

    QSize sizeHint() const override;

signals:
    // A click without a drag on a label.
    void labelClicked(int label);
    void elementSelected(int element);
    // An element dropped with its top-left corner this far (twips) from the
    // label's; the window snaps it to the grid.
    void elementDropped(int element, double leftTwips, double topTwips);
    void elementDoubleClicked(int element);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    static constexpr double kMarginPx = 12.0;

    LabelTexts textsOf(int label) const;

    const LabelJob* m_job = nullptr;
    int m_page = 0;
    bool m_sample = true;
    int m_selected = -1;

    // The press that may become a drag.
    Hit m_press;
    QPointF m_pressPos;
    QPointF m_grabOffsetMm;  // from the element's corner to the pointer
    bool m_dragging = false;
    QPointF m_dragOffsetMm;  // the element's corner while dragged
};
