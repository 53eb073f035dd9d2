#include "Masters.h"

#include "FolderStore.h"
#include "M_ArchitectForm.h"
#include "M_ConnectCorpForm.h"
#include "M_UserMasterForm.h"
#include "MenuForm.h"
#include "UserSearchForm.h"

namespace Masters {

namespace {

qint64 firstCustomerFolder(Storage& storage)
{
    QVector<FolderItem> folders;
    QString error;
    if (!FolderStore(storage, FolderStore::Kind::Customers).list(&folders, &error) || folders.isEmpty())
        return 0;
    return folders.first().id;
}

std::optional<MasterPickResult> result(const MasterForm& form)
{
    if (!form.picked() || !form.pickResult().picked)
        return std::nullopt;
    return form.pickResult();
}

}  // namespace

void registerOpeners(Storage& storage, CommandRegistry& commands, MailComposer mail)
{
    Storage* s = &storage;
    commands.registerOpener(QStringLiteral("pUsetMaster"), [s, mail](MenuForm& m) { editCustomers(*s, &m, mail); });
    commands.registerOpener(QStringLiteral("pTorihikiMaster"), [s, mail](MenuForm& m) { editArchitects(*s, &m, mail); });
    commands.registerOpener(QStringLiteral("ConnectCorp"), [s, mail](MenuForm& m) { editCompanies(*s, &m, mail); });
    commands.registerOpener(QStringLiteral("SrchBtn"), [s, mail](MenuForm& m) { searchCustomers(*s, &m, mail); });
}

void editCustomers(Storage& storage, QWidget* parent, const MailComposer& mail, qint64 folderId)
{
    M_UserMasterForm form(storage, parent);
    form.setMailComposer(mail);
    form.openWithFolder(folderId > 0 ? folderId : firstCustomerFolder(storage));
    form.exec();
}

void editArchitects(Storage& storage, QWidget* parent, const MailComposer& mail)
{
    M_ArchitectForm form(storage, parent);
    form.setMailComposer(mail);
    form.exec();
}

void editCompanies(Storage& storage, QWidget* parent, const MailComposer& mail)
{
    M_ConnectCorpForm form(storage, parent);
    form.setMailComposer(mail);
    form.exec();
}

void searchCustomers(Storage& storage, QWidget* parent, const MailComposer& mail)
{
    CustomerHit hit;
    if (!UserSearchForm::run(storage, parent, &hit))
        return;
    M_UserMasterForm form(storage, parent);
    form.setMailComposer(mail);
    form.openWithFound(hit);
    form.exec();
}

std::optional<MasterPickResult> pickCustomer(Storage& storage, QWidget* parent, int target, const MailComposer& mail)
{
    M_UserMasterForm form(storage, parent);
    form.setMailComposer(mail);
    form.pickFor(target == MailTarget::None ? MailTarget::To : target);
    form.openWithFolder(firstCustomerFolder(storage));
    form.exec();
    return result(form);
}

std::optional<MasterPickResult> pickArchitect(Storage& storage, QWidget* parent, bool designersOnly,
                                              const MailComposer& mail)
{
    M_ArchitectForm form(storage, parent, designersOnly);
    form.setMailComposer(mail);
    form.setPickMode(true);
    form.exec();
    return result(form);
}

std::optional<MasterPickResult> pickCompany(Storage& storage, QWidget* parent, int trade, const MailComposer& mail)
{
    M_ConnectCorpForm form(storage, parent, trade);
    form.setMailComposer(mail);
    form.setPickMode(true);
    form.exec();
    return result(form);
}

}  // namespace Masters
