#pragma once

#include "Prompter.h"

class QWidget;

// Shows the program's messages as modal message boxes with Japanese buttons.
class MessageBoxPrompter : public Prompter {
public:
    Button show(const Message& message) override;
};
