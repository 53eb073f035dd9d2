#pragma once

#include "MenuForm.h"
#include "TestSupport.h"

// The main window on a fresh office, shown, with prompts answered from a
// script; `withProject` starts it with one new project selected.
struct Desk {
    TempAppDir dir;
    ScriptedPrompter prompter;
    MenuForm form{dir.storage()};
    explicit Desk(bool withProject = true)
    {
        form.show();
        if (withProject)
            form.newProject();
    }
};
