#pragma once

#include "TestSupport.h"

#include <memory>

// A fresh office and a scripted prompter for every test function of a
// window test: its init() calls begin() and its cleanup() drops the office.
struct FreshOffice {
    std::unique_ptr<TempAppDir> dir;
    ScriptedPrompter prompter;

    void begin()
    {
        dir = std::make_unique<TempAppDir>();
        prompter.clear();
        prompter.answers.clear();
        Prompter::setCurrent(&prompter);  // a Desk's own prompter ended with its test
    }
};
