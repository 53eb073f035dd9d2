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

std::optional<MasterPickResult> result(bool picked)
{
    if (!picked || !PickSlots::result().picked)
        return std::nullopt;
    return PickSlots::result();
}

}  // namespace

void registerOpeners(Storage& storage)
{
    Storage* s = &storage;
    MenuForm::registerOpener(QStringLiteral("pUsetMaster"), [s](MenuForm& m) { editCustomers(*s, &m); });
    MenuForm::registerOpener(QStringLiteral("pTorihikiMaster"), [s](MenuForm& m) { editArchitects(*s, &m); });
    MenuForm::registerOpener(QStringLiteral("ConnectCorp"), [s](MenuForm& m) { editCompanies(*s, &m); });
    MenuForm::registerOpener(QStringLiteral("SrchBtn"), [s](MenuForm& m) { searchCustomers(*s, &m); });
}

void editCustomers(Storage& storage, QWidget* parent, qint64 folderId)
{
    // Editing, even while the composer waits for addresses.
    const int target = PickSlots::mailTarget();
    PickSlots::setMailTarget(PickSlots::NoTarget);
    M_UserMasterForm form(storage, parent);
    form.openWithFolder(folderId > 0 ? folderId : firstCustomerFolder(storage));
    form.exec();
    PickSlots::setMailTarget(target);
}

void editArchitects(Storage& storage, QWidget* parent)
{
    M_ArchitectForm form(storage, parent);
    form.exec();
}

void editCompanies(Storage& storage, QWidget* parent)
{
    M_ConnectCorpForm form(storage, parent);
    form.exec();
}

void searchCustomers(Storage& storage, QWidget* parent)
{
    CustomerHit hit;
    if (!UserSearchForm::run(storage, parent, &hit))
        return;
    const int target = PickSlots::mailTarget();
    PickSlots::setMailTarget(PickSlots::NoTarget);
    M_UserMasterForm form(storage, parent);
    form.openWithFound(hit);
    form.exec();
    PickSlots::setMailTarget(target);
}

std::optional<MasterPickResult> pickCustomer(Storage& storage, QWidget* parent, int target)
{
    const int before = PickSlots::mailTarget();
    PickSlots::setMailTarget(target == PickSlots::NoTarget ? PickSlots::To : target);
    PickSlots::clear();
    M_UserMasterForm form(storage, parent);
    form.openWithFolder(firstCustomerFolder(storage));
    form.exec();
    PickSlots::setMailTarget(before);
    return result(form.picked());
}

std::optional<MasterPickResult> pickArchitect(Storage& storage, QWidget* parent, bool designersOnly)
{
    PickSlots::clear();
    if (designersOnly)
        M_ArchitectForm::requestDesignersOnly();
    M_ArchitectForm form(storage, parent);
    form.setPickMode(true);
    form.exec();
    return result(form.picked());
}

std::optional<MasterPickResult> pickCompany(Storage& storage, QWidget* parent, int trade)
{
    PickSlots::clear();
    M_ConnectCorpForm::requestTrade(trade);
    M_ConnectCorpForm form(storage, parent);
    form.setPickMode(true);
    form.exec();
    return result(form.picked());
}

}  // namespace Masters
