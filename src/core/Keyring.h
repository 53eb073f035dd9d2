#pragma once

#include <QString>

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

}  // namespace Keyring
