#include "MailWindows.h"

#include "MailAddSet.h"
#include "MasterForm.h"
#include "MenuForm.h"
#include "SignForm.h"
#include "WriteForm.h"

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

void registerOpeners(Storage& storage, CommandRegistry& commands)
{
    Storage* s = &storage;
    commands.registerOpener(QStringLiteral("AcountSet"), [s](MenuForm& m) { editAccounts(*s, &m); });
    commands.registerOpener(QStringLiteral("SignRtn"), [s](MenuForm& m) { editSignatures(*s, &m); });
    commands.setMailHandler([s](MenuForm& m, const QString& subject, const QString& body) {
        ComposeRequest request;
        request.subject = subject;
        request.body = body;
        WriteForm::compose(*s, &m, request);
    });
    MasterForm::setMailComposer([s](QWidget* parent, const QString& address) {
        ComposeRequest request;
        request.recipient = address;
        WriteForm::compose(*s, parent, request);
    });
}

}  // namespace MailWindows
