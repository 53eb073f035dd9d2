#include "Labels.h"

#include "DMLabelForm.h"
#include "MenuForm.h"

namespace Labels {

void registerOpeners(Storage& storage, CommandRegistry& commands)
{
    Storage* s = &storage;
    commands.registerOpener(QStringLiteral("mnDM_Print"), [s](MenuForm& m) { openLabelWindow(*s, &m); });
}

void openLabelWindow(Storage& storage, QWidget* parent)
{
    DMLabelForm form(storage, parent);
    form.exec();
}

}  // namespace Labels
