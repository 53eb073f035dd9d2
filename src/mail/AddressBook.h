#pragma once

#include <QString>
#include <QVector>

class Storage;

// Where the address book takes its candidates from.
struct AddressSource {
    enum class Kind { AllCustomers, CustomerFolder, Architects, Companies };

    Kind kind = Kind::AllCustomers;
    qint64 folderId = 0;  // UserFolder.ID of a customer folder
    QString caption;      // as FolderCombo shows it
};

// A person or firm the user can take an address from.
struct AddressCandidate {
    QString name;
    QString email;
    QString telephone;
    QString prefecture;
};

// The address book's reading of the masters: the customers (all, or of a
// folder), the architects' offices and the related companies.
class AddressBook {
public:
    static inline const QString kAll = QStringLiteral("全表示");
    static inline const QString kArchitects = QStringLiteral("業者");
    static inline const QString kCompanies = QStringLiteral("取引先");

    explicit AddressBook(Storage& storage);

    // "全表示", the customer folders in their order, "業者", "取引先".
    bool sources(QVector<AddressSource>* out);
    bool candidates(const AddressSource& source, QVector<AddressCandidate>* out);
    // The customers whose name, e-mail address and telephone contain the
    // filled texts (the telephone compared by its digits); empty texts are
    // not tested.
    bool search(const QString& name, const QString& mail, const QString& tel, QVector<AddressCandidate>* out);

    const QString& errorString() const { return m_error; }

private:
    bool fail(const QString& message);

    Storage& m_storage;
    QString m_error;
};
