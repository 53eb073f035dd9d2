#pragma once

#include <QString>

#include <functional>

// The desktop keyring (Secret Service, KWallet …) that holds the password
// of the office's database server, so that no file of ours ever does.
namespace Keyring {

inline const QString kService = QStringLiteral("ShinseiDesk");

// Looks the password up. False with *error when there is no entry, no
// keyring service or no event loop to wait for it on.
bool readPassword(const QString& key, QString* password, QString* error);
bool writePassword(const QString& key, const QString& password, QString* error);
bool deletePassword(const QString& key, QString* error);
// Whether a keyring service answers on this desktop at all (a missing
// entry still counts as an answer).
bool isAvailable();

// The keyring answers over D-Bus and may first ask the user to unlock it,
// so a call waits up to kWaitMs in a local event loop that holds back user
// input (a click must not start another operation half-way through this
// one). A window program installs a note that says so while it waits and,
// being modal, keeps the other windows out of reach; waiting(false) closes
// it. Without a note (the command-line tool) the call simply blocks.
using WaitNote = std::function<void(bool waiting)>;
void setWaitNote(WaitNote note);

inline constexpr int kWaitMs = 120000;
// How a keyring call waits: start() begins the work and calls finished()
// when it is done. False when timeoutMs passed first.
bool waitFor(const std::function<void(const std::function<void()>& finished)>& start, int timeoutMs = kWaitMs);

}  // namespace Keyring
