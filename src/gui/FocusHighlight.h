#pragma once

#include <QColor>
#include <QHash>
#include <QObject>

class QWidget;

// The text field that has the focus shows white on black, so that the
// clerk sees at a glance where typing goes; a field left goes back to its
// resting look. Only text fields (a line edit that is not a drop-down's, a
// multi-line text) are highlighted: a drop-down keeps its own look.
// Windows use this, never a focus filter of their own.
class FocusHighlight : public QObject {
public:
    explicit FocusHighlight(QObject* parent);

    // Highlights the field while it has the focus; other widgets are left alone.
    void add(QWidget* field);
    // The background the field shows while it has no focus (a warning
    // colour, say); an invalid colour: the style's own.
    void setResting(QWidget* field, const QColor& color);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void show(QWidget* field, bool focused) const;

    QHash<const QWidget*, QColor> m_resting;
};
