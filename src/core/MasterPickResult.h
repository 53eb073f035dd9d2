#pragma once

#include <QString>

#include <functional>

class QWidget;

// What a master window hands back to the window that opened it as a
// picker: the master fills it on "転送" and closes, the opener takes it
// from the picker's return value. The customer, architect and company
// masters fill the same slots, each with its own meaning (see below); the
// architect master adds slots of its own.
struct MasterPickResult {
    enum class Source { None, Customer, Architect, Company };

    Source source = Source::None;
    bool picked = false;  // set by a transfer; false after a plain close

    //                      customer            architect            company
    qint64 key = 0;          // customer ID         entry ID             company ID
    QString personName;      // surname             architect name       person in charge
    QString secondName;      // given name          —                    company reading
    QString firmName;        // —                   office name          company name
    QString postalCode;      // postal code         office postal code   postal code
    QString zone;            // Adr2_ID as text     —                    —
    QString address1;        // prefecture          office prefecture    prefecture
    QString address2;        // address line 2      office line 2        address line 2
    QString address3;        // address line 3      office line 3        address line 3
    QString telephone;       // telephone           office telephone     telephone
    QString fax;             // fax                 —                    fax
    QString email;           // all selected, ","   —                    e-mail address
    int sex = 0;             // sex code            —                    —

    // The architect master's own slots: the architect and the office.
    struct Architect {
        QString name, postalCode, address1, address2, address3;
        QString qualification;  // 資格 (U_CLASS1)
        QString authority;      // 登録を受けた者 (U_CLASS2)
        QString registration;   // 登録番号 (U_CLASS3)
        QString officeName, officePostalCode, officeAddress1, officeAddress2, officeAddress3;
        QString officeClass;         // C_CLASS1
        QString officePrefecture;    // 知事登録 (C_CLASS2)
        QString officeRegistration;  // C_CLASS3
        QString officeTelephone, officeFax;
    } architect;
};

// The composer's address fields that picked customers can go to.
namespace MailTarget {
enum Field { None = 0, To = 1, Cc = 2, Bcc = 3 };
}  // namespace MailTarget

// Opens the mail composer on an address: what the mail module hands to the
// windows that have e-mail buttons.
using MailComposer = std::function<void(QWidget* parent, const QString& address)>;
