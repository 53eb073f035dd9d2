#pragma once

#include "MasterPickResult.h"

class CommandRegistry;
class QWidget;
class Storage;

// Hooks the mail windows onto the rest of the program: アカウント設定
// (AcountSet) and 署名登録 (SignRtn) of the main window, the schedule's
// "メール伝言", and the masters' E-mail buttons, which open the composer
// instead of the desktop's mail program once given what this returns.
namespace MailWindows {

// Starts the mail session of this run; returns the composer for the
// e-mail buttons of the other modules' windows.
MailComposer registerOpeners(Storage& storage, CommandRegistry& commands);

void editAccounts(Storage& storage, QWidget* parent);
void editSignatures(Storage& storage, QWidget* parent);

}  // namespace MailWindows
