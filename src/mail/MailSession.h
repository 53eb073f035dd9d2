#pragma once

#include "MailCommon.h"
#include "MasterPickResult.h"

#include <QString>

class QWidget;
class Storage;

// What the mail windows share while the program runs: the sender last
// chosen, which the next composer proposes. The mail module makes one when
// it registers its windows; every composer it opens works in it.
class MailSession {
public:
    explicit MailSession(Storage& storage)
        : m_storage(storage)
    {
    }

    Storage& storage() const { return m_storage; }
    QString lastSender() const { return m_lastSender; }
    void setLastSender(const QString& address) { m_lastSender = address; }

    // Opens a composer and waits until it is closed.
    void compose(QWidget* parent, const ComposeRequest& request);
    // What the e-mail buttons of other windows call; the session must
    // outlive them.
    MailComposer composer();

private:
    Storage& m_storage;
    QString m_lastSender;
};
