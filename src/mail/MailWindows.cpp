#include "MailWindows.h"

#include "MailAddSet.h"
#include "MailSession.h"
#include "MenuForm.h"
#include "SignForm.h"

#include <memory>

namespace MailWindows {

void editAccounts(Storage& storage, QWidget* parent)
{
    MailAddSet form(storage, parent);
    form.exec();
}

void editSignatures(Storage& storage, QWidget* parent)
{
    SignForm form(storage, parent);
    form.exec();
}

MailComposer registerOpeners(Storage& storage, CommandRegistry& commands)
{
    Storage* s = &storage;
    const auto session = std::make_shared<MailSession>(storage);
    commands.registerOpener(QStringLiteral("AcountSet"), [s](MenuForm& m) { editAccounts(*s, &m); });
    commands.registerOpener(QStringLiteral("SignRtn"), [s](MenuForm& m) { editSignatures(*s, &m); });
    commands.setMailHandler([session](MenuForm& m, const QString& subject, const QString& body) {
        ComposeRequest request;
        request.subject = subject;
        request.body = body;
        session->compose(&m, request);
    });
    // The masters keep the session alive as long as they can open a composer.
    return [session](QWidget* parent, const QString& address) { session->composer()(parent, address); };
}

}  // namespace MailWindows
