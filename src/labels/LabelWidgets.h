#pragma once

#include <QPushButton>
#include <QString>

// The label windows' push buttons: found by their control name, and never
// pressed by an Enter meant for a field.
namespace LabelWidgets {

inline QPushButton* button(const char* name, const QString& caption)
{
    auto* b = new QPushButton(caption);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

}  // namespace LabelWidgets
