#include "EnterOrder.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>

#include <utility>

EnterOrder::EnterOrder(QWidget* window, Options options)
    : QObject(window)
    , m_window(window)
    , m_options(options)
{
}

EnterOrder::EnterOrder(QWidget* window, const QVector<QWidget*>& fields, Options options)
    : EnterOrder(window, options)
{
    setFields(fields);
}

void EnterOrder::setFields(const QVector<QWidget*>& fields)
{
    for (QWidget* w : std::as_const(m_fields))
        w->removeEventFilter(this);
    m_fields.clear();
    for (QWidget* w : fields)
        add(w);
}

void EnterOrder::add(QWidget* field)
{
    if (m_fields.contains(field))
        return;
    m_fields.append(field);
    field->installEventFilter(this);
    // An editable drop-down's keys arrive at its line edit.
    if (auto* c = qobject_cast<QComboBox*>(field); c && c->lineEdit())
        c->lineEdit()->installEventFilter(this);
}

QWidget* EnterOrder::listedAfter(QWidget* from) const
{
    const int i = static_cast<int>(m_fields.indexOf(from));
    if (i < 0 || i + 1 >= m_fields.size())
        return nullptr;
    return m_fields.at(i + 1);
}

void EnterOrder::focus(QWidget* field, bool selectAll)
{
    if (!field)
        return;
    field->setFocus(Qt::OtherFocusReason);
    if (!selectAll)
        return;
    if (auto* e = qobject_cast<QLineEdit*>(field))
        e->selectAll();
    else if (auto* c = qobject_cast<QComboBox*>(field); c && c->lineEdit())
        c->lineEdit()->selectAll();
}

bool EnterOrder::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return QObject::eventFilter(watched, event);
    auto* field = qobject_cast<QWidget*>(watched);
    if (auto* edit = qobject_cast<QLineEdit*>(field)) {
        if (auto* combo = qobject_cast<QComboBox*>(edit->parentWidget()); combo && combo->lineEdit() == edit)
            field = combo;
    }
    if (!m_fields.contains(field))
        return QObject::eventFilter(watched, event);
    return enter(field, *key);
}

bool EnterOrder::enter(QWidget* field, const QKeyEvent& key)
{
    if ((m_options & PlainEnterOnly) && key.modifiers() != Qt::NoModifier)
        return false;
    if ((m_options & CtrlEnterPasses) && (key.modifiers() & Qt::ControlModifier))
        return false;
    if (auto* combo = qobject_cast<QComboBox*>(field); combo && combo->view() && combo->view()->isVisible())
        return false;
    if (m_handler && m_handler(field, key))
        return true;
    if (auto* button = qobject_cast<QPushButton*>(field)) {
        button->click();
        return true;
    }
    if (qobject_cast<QPlainTextEdit*>(field) || qobject_cast<QTextEdit*>(field))
        return false;
    if ((m_options & LastPasses) && m_fields.last() == field)
        return false;
    if (m_options & TabChain) {
        // The Tab key's own move, so that the window's Tab order is the one place it is kept.
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QCoreApplication::sendEvent(field, &tab);
        return true;
    }
    // The last field keeps the focus: Enter never wraps round to the top.
    QWidget* next = m_next ? m_next(field) : listedAfter(field);
    focus(next, m_options & SelectNext);
    if (auto* edit = qobject_cast<QLineEdit*>(next); edit && (m_options & CursorToEnd)) {
        edit->deselect();
        edit->end(false);
    }
    return true;
}
