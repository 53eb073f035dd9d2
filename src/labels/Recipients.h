#pragma once

#include <QString>
#include <QVector>

class Storage;

// One addressee of a direct mail: a customer, an architect's office or a
// related company, with what its label needs.
struct Recipient {
    enum class Source { Customer, Architect, Company };

    qint64 key = 0;      // ID in its own table
    qint64 folder = 0;   // customer folder it was listed from, 0 for none
    Source source = Source::Customer;
    QString postalCode;
    QString address1;    // prefecture
    QString address2;
    QString address3;
    QString company;
    QString name1;       // first name part (surname, office or company name)
    QString name2;       // second name part (given name)
    QString email;

    // "顧客", "業者", "取引先".
    QString sourceName() const;
    // How the lists show it: the name parts with a blank between them.
    QString listName() const;
    // A label needs a name and the address below the prefecture.
    bool isAddressable() const;
};

// The recipients chosen for the next print: filled by the recipient
// selection and printed by the label window. Whoever opens those windows
// owns it, for as long as the choice should last (the main window keeps
// one for the whole run).
using RecipientChoice = QVector<Recipient>;

// What the recipient selection offers on its left: all customers, each
// customer folder, the architects' offices and the related companies.
struct RecipientSource {
    enum class Kind { AllCustomers, Folder, Architects, Companies };
    Kind kind = Kind::AllCustomers;
    qint64 folderId = 0;  // UserFolder.ID of a folder
    QString caption;
};

class RecipientStore {
public:
    explicit RecipientStore(Storage& storage);

    // "全表示", the customer folders in row order, "業者", "取引先".
    bool sources(QVector<RecipientSource>* out);
    // The candidates of a source in table order. A folder lists the
    // customers holding it in U_No, then FLD2 … FLD5, as the customer
    // master does.
    bool candidates(const RecipientSource& source, QVector<Recipient>* out);

    const QString& errorString() const { return m_error; }

private:
    bool fail(const QString& message);
    bool customers(const QString& folderColumn, qint64 folderId, QVector<Recipient>* out);
    struct MasterColumns;
    bool masters(const MasterColumns& table, QVector<Recipient>* out);

    Storage& m_storage;
    QString m_error;
};

// Adding marked candidates to the selection and taking entries out of it.
namespace RecipientSelection {

struct AddResult {
    int added = 0;
    int withoutNameOrAddress = 0;  // no name, or no address below the prefecture
    int alreadySelected = 0;       // the same record (source and key) is in the selection
};

// Appends each candidate in order unless it has no name or no address 2,
// or the same record is already selected. A record is its source and its
// key together: customers, architects and companies number their rows
// each in their own table, so a company whose ID equals a chosen
// customer's is another recipient.
AddResult add(QVector<Recipient>& selection, const QVector<Recipient>& candidates);

// Removes the entries at these positions; the later ones move up.
void remove(QVector<Recipient>& selection, QVector<int> positions);

// "追加しました…": what the user reads after adding.
QString describe(const AddResult& r);

}  // namespace RecipientSelection
