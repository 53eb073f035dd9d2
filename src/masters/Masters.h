#pragma once

#include "MasterPickResult.h"

#include <optional>

class CommandRegistry;
class QWidget;
class Storage;

// Opening the master windows: for editing from the main window, and as
// pickers from the windows that take a customer, an architect or a company.
namespace Masters {

// Hooks the masters onto the main window's keys: 顧客登録 (pUsetMaster,
// menu UserEdit), 業者登録 (pTorihikiMaster, menu mnArchEdit), 取引先登録
// (ConnectCorp) and the customer search of 条件検索 (SrchBtn). mail is
// where the windows' e-mail buttons go (empty: the desktop's mail program).
void registerOpeners(Storage& storage, CommandRegistry& commands, MailComposer mail = {});

// The customer master for editing, listing a folder (UserFolder.ID; 0 for
// the first folder).
void editCustomers(Storage& storage, QWidget* parent, const MailComposer& mail, qint64 folderId = 0);
void editArchitects(Storage& storage, QWidget* parent, const MailComposer& mail);
void editCompanies(Storage& storage, QWidget* parent, const MailComposer& mail);
// The search window; a customer handed back opens in the customer master.
void searchCustomers(Storage& storage, QWidget* parent, const MailComposer& mail);

// Opens a master modally as a picker and returns what it handed back, or
// nothing when the user closed it without a transfer; mail as above.
//  - pickCustomer: target is the composer's mail-address target (To, Cc,
//    Bcc); only To hands over. The e-mail slot holds every selected
//    customer's address joined by ",".
//  - pickArchitect: designersOnly lists only entries ticked 建築士 or 設計者.
//  - pickCompany: trade 1 電気, 2 給排, 3 空調, 4–6 その他, 0 all companies.
std::optional<MasterPickResult> pickCustomer(Storage& storage, QWidget* parent, int target = MailTarget::To,
                                             const MailComposer& mail = {});
std::optional<MasterPickResult> pickArchitect(Storage& storage, QWidget* parent, bool designersOnly = false,
                                              const MailComposer& mail = {});
std::optional<MasterPickResult> pickCompany(Storage& storage, QWidget* parent, int trade = 0,
                                            const MailComposer& mail = {});

}  // namespace Masters
