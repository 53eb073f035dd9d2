#include "Labels.h"

#include "DMLabelForm.h"
#include "MenuForm.h"

#include <memory>

namespace Labels {

void registerOpeners(Storage& storage, CommandRegistry& commands)
{
    Storage* s = &storage;
    // The recipients chosen stay chosen for the next print of this run.
    auto chosen = std::make_shared<RecipientChoice>();
    commands.registerOpener(QStringLiteral("mnDM_Print"),
                            [s, chosen](MenuForm& m) { openLabelWindow(*s, *chosen, &m); });
}

void openLabelWindow(Storage& storage, RecipientChoice& chosen, QWidget* parent)
{
    DMLabelForm form(storage, chosen, parent);
    form.exec();
}

}  // namespace Labels
