#pragma once

#include <QString>
#include <QVector>

class Storage;

// A named text block of SignMaster: a signature or a mail-magazine text.
struct Signature {
    static inline const QString kNewName = QStringLiteral("#署名");

    qint64 id = 0;
    QString name;
    QString body;
};

// The signatures, in table order.
class SignatureStore {
public:
    explicit SignatureStore(Storage& storage);

    bool list(QVector<Signature>* out);
    // *found is false when the row is gone.
    bool read(qint64 id, Signature* out, bool* found);
    // A new signature "#署名" with an empty text; its ID, 0 on failure.
    qint64 create();
    // *found is false, and nothing written, when the row is gone.
    bool write(qint64 id, const QString& name, const QString& body, bool* found);
    bool remove(qint64 id);

    const QString& errorString() const { return m_error; }

private:
    Storage& m_storage;
    QString m_error;
};
