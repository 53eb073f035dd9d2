#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

class Storage;
struct Condition;

// One row of the postal-code table.
struct PostalEntry {
    QString code;          // P_PST, 7 digits
    QString oldCode;       // O_PST
    QString prefecture;    // P_ADR1
    QString municipality;  // P_ADR2
    QString town;          // P_ADR3; the catch-all text on a municipality's own code

    // "1000001 東京都千代田区千代田": the line a user picks from.
    QString listItem() const;
    // The town as it goes into an address: empty on a catch-all row.
    QString addressTown() const;
    bool isCatchAll() const;
};

// Lets the user pick one of several candidates. The windows show the
// address choice window; tests answer from a script.
class AddressChooser {
public:
    virtual ~AddressChooser() = default;
    // The index of the chosen item, or -1 when the user cancelled.
    virtual int choose(const QStringList& items) = 0;
};

// Postal code → address and address → postal code over POST_DB.
class PostalLookup {
public:
    // Marks the catch-all row of a municipality in P_ADR3.
    static const QString kCatchAllMark;   // "以下に掲載"
    static const QString kCatchAllTown;   // "以下に掲載がない場合"

    // Without a chooser, every question that needs the user counts as cancelled.
    explicit PostalLookup(Storage& storage, AddressChooser* chooser = nullptr);

    // Fills an address from the code typed in a postal-code field. Returns 0
    // when done (both parts empty when no row fits), -1 when the user
    // cancelled the choice or the table could not be read: the caller's
    // address field then stays as it was. A choice rewrites *codeField as
    // "123-4567". forceList offers even a single hit for confirmation.
    int codeToAddress(bool forceList, QString* codeField, QString* firstPart, QString* secondPart);

    // The postal code of an address as "123-4567", or empty when nothing
    // fits or the user cancelled.
    QString addressToCode(bool forceList, const QString& address);

    // Every row a code or an address fits, without asking anyone, in table
    // order. Catch-all rows are left out when other rows fit. False only
    // when the table could not be read (errorString() says why).
    bool codeCandidates(const QString& codeText, QVector<PostalEntry>* out);
    bool addressCandidates(const QString& address, QVector<PostalEntry>* out);

    // Why the last look-up could not read the table; empty after a good one.
    const QString& errorString() const { return m_error; }

    // Splits "東京都千代田区…" into "東京都" and "千代田区…". The split is
    // at the bitwise OR of the 1-based first positions of 都, 道, 府 and 県,
    // so "京都府" (2 | 3) ends at 3; no mark leaves the prefecture empty.
    static void splitPrefecture(const QString& address, QString* prefecture, QString* rest);

    // A postal code for printing: "1234567" → "123-4567", "123" → "123-0000",
    // "〒123-4567" → "123-4567"; a text with "-" stays as it is.
    static QString formatCode(const QString& text);

private:
    // Appends the rows that match, in table order, with their IDs if asked.
    bool readRows(const QVector<Condition>& where, QVector<PostalEntry>* out, QVector<qint64>* ids = nullptr);
    // The distinct municipality names (A_ADR) of a prefecture.
    bool municipalityNames(const QString& prefecture, QStringList* out);
    // The rows of the prefecture whose municipality name holds `municipality`
    // and whose town appears in townText (any town when it is empty).
    bool rowsOfMunicipality(const QString& prefecture, const QStringList& names, const QString& municipality,
                            const QString& townText, QVector<PostalEntry>* out);
    bool matchAddress(const QString& address, QVector<PostalEntry>* out);
    int choose(const QVector<PostalEntry>& rows);

    Storage& m_storage;
    AddressChooser* m_chooser;
    QString m_error;
};
