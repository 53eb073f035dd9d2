#include "Labels.h"

#include "DMLabelForm.h"
#include "MenuForm.h"

#include <memory>

namespace Labels {

void registerOpeners(Storage& storage)
{
    Storage* s = &storage;
    // The recipients chosen stay chosen for the next print of this run.
    auto chosen = std::make_shared<RecipientChoice>();
    MenuForm::registerOpener(QStringLiteral("mnDM_Print"),
                             [s, chosen](MenuForm& m) { openLabelWindow(*s, *chosen, &m); });
}

void openLabelWindow(Storage& storage, RecipientChoice& chosen, QWidget* parent)
{
    DMLabelForm form(storage, chosen, parent);
    form.exec();
}

}  // namespace Labels
