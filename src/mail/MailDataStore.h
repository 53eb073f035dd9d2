#pragma once

#include "MailCommon.h"

class Storage;

// The sent messages of maildata.
class MailDataStore {
public:
    explicit MailDataStore(Storage& storage);

    // Adds the message as one row (D_ID is the row's own ID, Folder 2,
    // ReadFlg 0, Attach_flg 1 with attachments); returns its ID, 0 on failure.
    qint64 store(const StoredMail& mail);
    // *found is false when the row is gone.
    bool read(qint64 id, StoredMail* out, bool* found);
    // The stored messages of a folder, newest last.
    bool list(int folder, QVector<StoredMail>* out);

    const QString& errorString() const { return m_error; }

private:
    bool fail(const QString& message);

    Storage& m_storage;
    QString m_error;
};
