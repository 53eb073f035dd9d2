#include "FocusHighlight.h"

#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>

FocusHighlight::FocusHighlight(QObject* parent)
    : QObject(parent)
{
}

void FocusHighlight::add(QWidget* field)
{
    const bool text = (qobject_cast<QLineEdit*>(field) && !qobject_cast<QComboBox*>(field->parentWidget()))
                      || qobject_cast<QPlainTextEdit*>(field);
    if (text)
        field->installEventFilter(this);
}

void FocusHighlight::setResting(QWidget* field, const QColor& color)
{
    if (color.isValid())
        m_resting.insert(field, color);
    else
        m_resting.remove(field);
    if (!field->hasFocus())
        show(field, false);
}

void FocusHighlight::show(QWidget* field, bool focused) const
{
    if (focused) {
        QPalette p = field->palette();
        p.setColor(QPalette::Base, Qt::black);
        p.setColor(QPalette::Text, Qt::white);
        field->setPalette(p);
        return;
    }
    // A fresh palette: the style's colours, whatever the window changed before.
    QPalette p;
    const QColor resting = m_resting.value(field);
    if (resting.isValid())
        p.setColor(QPalette::Base, resting);
    field->setPalette(p);
}

bool FocusHighlight::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
        show(static_cast<QWidget*>(watched), event->type() == QEvent::FocusIn);
    return QObject::eventFilter(watched, event);
}
