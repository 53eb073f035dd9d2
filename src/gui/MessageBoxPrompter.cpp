#include "MessageBoxPrompter.h"

#include "Logging.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

namespace {

// The icon and the three buttons of a desktop's title bar, with some air.
constexpr int kTitleBarButtons = 140;

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
    // A failure's message says what to do; the details keep what the
    // database, LibreOffice or the mail server really answered, for whoever
    // looks after the office's computers.
    if (message.icon != Prompter::Icon::Information && message.icon != Prompter::Icon::None) {
        const QStringList causes = Logging::takeCauses();
        if (!causes.isEmpty())
            box.setDetailedText(causes.join(QLatin1Char('\n')));
    }
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
    // A short question would make the box narrower than its title, which
    // the desktop then cuts: the box keeps room for the title beside the
    // title bar's icon and buttons.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        const int titleWidth = QFontMetrics(box.font()).horizontalAdvance(message.title) + kTitleBarButtons;
        grid->addItem(new QSpacerItem(titleWidth, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0,
                      1, grid->columnCount());
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
