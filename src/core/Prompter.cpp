#include "Prompter.h"

#include <cstdio>

namespace {
Prompter* g_current = nullptr;
}

Prompter& Prompter::current()
{
    static StderrPrompter fallback;
    return g_current ? *g_current : fallback;
}

void Prompter::setCurrent(Prompter* prompter)
{
    g_current = prompter;
}

Prompter::Button StderrPrompter::show(const Message& message)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(message.title), qPrintable(message.text));
    return message.defaultButton;
}
