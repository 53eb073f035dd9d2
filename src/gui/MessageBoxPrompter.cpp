#include "MessageBoxPrompter.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

QMessageBox::Icon boxIcon(Prompter::Icon icon)
{
    switch (icon) {
    case Prompter::Icon::Information: return QMessageBox::Information;
    case Prompter::Icon::Warning: return QMessageBox::Warning;
    case Prompter::Icon::Critical: return QMessageBox::Critical;
    case Prompter::Icon::Question: return QMessageBox::Question;
    case Prompter::Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

Prompter::Button MessageBoxPrompter::show(const Message& message)
{
    QMessageBox box(boxIcon(message.icon), message.title, message.text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    struct Pair {
        Button mine;
        QMessageBox::StandardButton theirs;
    };
    const Pair pairs[] = {{Yes, QMessageBox::Yes}, {No, QMessageBox::No}, {Ok, QMessageBox::Ok},
                          {Cancel, QMessageBox::Cancel}};
    for (const Pair& p : pairs) {
        if (message.buttons & p.mine) {
            QPushButton* b = box.addButton(p.theirs);
            if (p.mine == message.defaultButton)
                box.setDefaultButton(b);
        }
    }
    // Closing the box with Esc or the frame counts as the most cautious answer.
    if (message.buttons & Cancel)
        box.setEscapeButton(QMessageBox::Cancel);
    else if (message.buttons & No)
        box.setEscapeButton(QMessageBox::No);
    else
        box.setEscapeButton(QMessageBox::Ok);
    const int r = box.exec();
    for (const Pair& p : pairs)
        if (r == p.theirs)
            return p.mine;
    if (message.buttons & Cancel)
        return Cancel;
    return (message.buttons & No) ? No : Ok;
}
