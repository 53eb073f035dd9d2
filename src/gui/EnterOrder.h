#pragma once

#include <QObject>
#include <QVector>

#include <functional>

class QKeyEvent;
class QWidget;

// Enter (or Return) in a field moves the focus on to the next field, the
// way the office's clerks fill a form without reaching for the mouse. A
// window lists its fields once; the rules every window shares are kept
// here:
//  - an editable drop-down counts as one field with its line edit;
//  - a drop-down whose list is open keeps Enter to choose from it;
//  - a button in the order is pressed;
//  - a multi-line text takes Enter as a line break and so ends the order;
//  - Enter on the last field stays there (or, with LastPasses, reaches the
//    window, which then presses its default button).
// Windows use this, never a key filter of their own.
class EnterOrder : public QObject {
public:
    enum Option {
        NoOption = 0x0,
        // The field moved to shows its whole text selected, ready to be typed over.
        SelectNext = 0x1,
        // Enter with a modifier (Shift, Ctrl, the keypad's own Enter) is the field's.
        PlainEnterOnly = 0x2,
        // Ctrl+Enter is the field's (or a shortcut's, such as "send").
        CtrlEnterPasses = 0x4,
        // Enter on the last field reaches the window.
        LastPasses = 0x8,
        // The next field is the next one in the window's Tab order rather
        // than the next one listed.
        TabChain = 0x10,
        // The text field moved to shows its cursor after the text, nothing
        // selected, so that typing goes on from what is there.
        CursorToEnd = 0x20,
    };
    Q_DECLARE_FLAGS(Options, Option)

    // Where Enter on a field goes instead of the next one listed; nullptr: it stays.
    using Next = std::function<QWidget*(QWidget* from)>;
    // Runs first on Enter in a listed field; true when it dealt with the key
    // (a postal code that looks up its address, a window's own rules).
    using Handler = std::function<bool(QWidget* field, const QKeyEvent& key)>;

    explicit EnterOrder(QWidget* window, Options options = SelectNext);
    EnterOrder(QWidget* window, const QVector<QWidget*>& fields, Options options = SelectNext);

    void setFields(const QVector<QWidget*>& fields);
    // Lists one more field at the end.
    void add(QWidget* field);
    const QVector<QWidget*>& fields() const { return m_fields; }
    void setNext(Next next) { m_next = std::move(next); }
    void setHandler(Handler handler) { m_handler = std::move(handler); }

    // The field listed after `from`; nullptr after the last one.
    QWidget* listedAfter(QWidget* from) const;
    // The focus goes to the field, with its whole text selected when asked.
    static void focus(QWidget* field, bool selectAll);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool enter(QWidget* field, const QKeyEvent& key);

    QWidget* m_window;
    Options m_options;
    QVector<QWidget*> m_fields;
    Next m_next;
    Handler m_handler;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(EnterOrder::Options)
