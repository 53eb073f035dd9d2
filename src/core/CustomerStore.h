#pragma once

#include <QString>
#include <QVariantList>
#include <QVector>

#include <array>

class QSqlQuery;
class Storage;

// A prefecture of Zonemaster: its ID is the zone identifier that customers
// and companies store beside the prefecture's name.
struct Zone {
    qint64 id = 0;
    QString name;
};

// What the customer window edits, as the user sees it.
struct CustomerEntry {
    enum Sex { NotSpecified = 0, Female = 1, Male = 2 };

    QString surname;         // 氏名 (姓)
    QString givenName;       // 氏名 (名)
    QString surnameReading;  // ふりがな (姓)
    QString givenReading;    // ふりがな (名)
    int sex = NotSpecified;
    QString birthday;
    QString company;
    QString department;
    QString postalCode;
    QString prefecture;
    QString address2;
    QString address3;
    QString telephone;
    QString fax;
    QString mobile;
    QString email;
    QString url;
};

// A customer row with the columns the window does not edit directly.
struct Customer {
    static constexpr int kSlots = 5;
    static constexpr qint64 kNoFolder = -1;

    qint64 id = 0;
    qint64 uid = 0;       // U_ID
    QString name;         // Name: "姓 名"
    QString reading;      // FURI
    QString name1, name2, furi1, furi2;
    qint64 sexCode = -1;  // SEX as stored; a new row holds -1
    qint64 zoneId = 0;    // Adr2_ID
    QString prefecture2;  // ADR21, shown in lists when ADR11 is empty
    std::array<qint64, kSlots> folders{kNoFolder, kNoFolder, kNoFolder, kNoFolder, kNoFolder};
    CustomerEntry entry;  // the stored columns, split fields as stored

    // The fields as the window shows them: a customer stored with only the
    // whole name and reading shows them in the surname boxes; a sex code
    // other than 1 or 2 shows as not specified.
    CustomerEntry shown() const;
    // The first folder slot that holds a folder, or kNoFolder.
    qint64 firstFolder() const;
};

// A line of the customer list: 姓名, 都道府県, メールアドレス.
struct CustomerListItem {
    qint64 id = 0;
    QString name;
    QString prefecture;
    QString email;
};

// A customer found by the telephone or the condition search.
struct CustomerHit {
    qint64 id = 0;
    qint64 firstFolder = Customer::kNoFolder;
    QString name;
    QString email;
    QString telephone;
    QString prefecture;
};

// Folder membership: the five slots of a customer and what a drop on a
// folder does to them.
namespace FolderSlots {
using Slots = std::array<qint64, Customer::kSlots>;

// Moving out of `current` into `target`: when the customer already stands
// in target, the first slot holding current is emptied (unless it is target
// itself); otherwise that slot takes target.
Slots move(Slots held, qint64 current, qint64 target);

// Copying into target: duplicates of target after the first are emptied;
// a customer not yet in target gets it in the first empty slot. Returns
// false (slots unchanged) when all five slots are taken.
bool copy(Slots* held, qint64 target);
}  // namespace FolderSlots

// The customer master's storage: UserMaster with its FamilyForm rows in
// saledata, and the prefectures of masterdata.
class CustomerStore {
public:
    static inline const QString kNewName = QStringLiteral("<新規>");
    static inline const QString kFolderLimitMessage = QStringLiteral("これ以上コピー移動できません(MAX5件まで)");

    explicit CustomerStore(Storage& storage);

    // Zonemaster in table order.
    bool loadZones(QVector<Zone>* out);
    // The zone whose name occurs in the prefecture text (the last such one
    // in table order), 0 when none does.
    static qint64 zoneIdOf(const QString& prefecture, const QVector<Zone>& zones);
    // U_ID of a surname: the CP932 code of its first character as a signed
    // 16-bit number (see ShiftJis::firstCharCode).
    static qint64 uidOf(const QString& surname);

    // The customers of a folder: those with the folder in U_No, then FLD2 …
    // FLD5, each group in table order. A customer that stands twice in the
    // folder is listed twice.
    bool listFolder(qint64 folderId, QVector<CustomerListItem>* out);
    // "姓名" of a list: Name, or Name1 followed by Name2 when Name is empty.
    static QString listName(const QString& name, const QString& name1, const QString& name2);

    // Reads one customer; *found is false when the row is gone. *familyRows
    // gets the number of its FamilyForm rows.
    bool read(qint64 id, Customer* out, bool* found, int* familyRows = nullptr);

    // A new customer "<新規>" (sex -1) standing in the folder when one is
    // given (folderId > 0); returns its ID, 0 on failure.
    qint64 create(qint64 folderId);

    // Writes the entry: the surname is trimmed, U_ID set from it (unless it
    // is empty), Name and FURI rebuilt as "姓 名", the zone found from the
    // prefecture. *found is false, and nothing written, when the row is gone.
    bool apply(qint64 id, const CustomerEntry& entry, const QVector<Zone>& zones, bool* found);

    // Deletes the customers with their family rows, all or nothing.
    bool remove(const QVector<qint64>& ids);

    // Drops customers on a folder (move or copy) one record at a time.
    // Customers whose five slots are full when copying stay as they are and
    // are counted in *refused.
    bool dropOnFolder(const QVector<qint64>& ids, qint64 currentFolder, qint64 target, bool copy, int* refused);
    bool folderSlots(qint64 id, FolderSlots::Slots* out);

    // The first customer in table order whose telephone number, reduced to
    // its digits, begins with the digits of the text. *found is false when
    // none does, or when the text has no digits.
    bool findByPhonePrefix(const QString& text, CustomerHit* out, bool* found);

    // Every customer whose Name contains name, EMAIL1 contains mail and
    // whose telephone digits contain the digits of tel; empty texts match
    // everyone. Table order.
    bool search(const QString& name, const QString& mail, const QString& tel, QVector<CustomerHit>* out);
    // The IDs of what search() finds, in the same order: a list of a
    // hundred thousand customers counts them at once and reads the lines
    // it shows with hitsOf().
    bool searchIds(const QString& name, const QString& mail, const QString& tel, QVector<qint64>* out);
    // The lines of these customers as search() gives them, one per ID in
    // the order given; a customer deleted meanwhile gets a line with ID 0.
    bool hitsOf(const QVector<qint64>& ids, QVector<CustomerHit>* out);

    // The one-customer data sheet as printed: CRLF line ends.
    static QString dataSheet(const CustomerEntry& e);

    const QString& errorString() const { return m_error; }

private:
    bool fail(const QString& message);
    // Prepares sql on query (forward only), binds values in order and runs it.
    bool run(QSqlQuery& query, const QString& sql, const QVariantList& values);
    // The WHERE clause of a search (empty when nothing is asked), its
    // values appended to *values.
    QString searchFilter(const QString& name, const QString& mail, const QString& tel, QVariantList* values) const;
    // Runs sql, whose %1 takes the list's columns and %2 the table, and
    // appends its rows to *out.
    bool readHits(const QString& sql, const QVariantList& values, QVector<CustomerHit>* out);

    Storage& m_storage;
    QString m_error;
};
