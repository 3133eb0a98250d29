#pragma once

#include "app/Progress.h"
#include "sync/DavServer.h"
#include "sync/SyncEngine.h"

#include <QString>
#include <functional>
#include <memory>

namespace velmora {

struct SyncSettings;

// One sync of the open book as the window's Sync now, the sync on open and
// close and `velmora --sync` all run it: the settings, the password, the
// server connection, the engine.

// Makes the connection to the server for a user; the real one is a
// CardDavClient. Tests give another (an empty factory puts the real one back).
using DavServerFactory =
    std::function<std::unique_ptr<DavServer>(const QString &user, const QString &password)>;
void setDavServerFactory(DavServerFactory factory);
std::unique_ptr<DavServer> makeDavServer(const QString &user, const QString &password);

// The password of the settings' account from the secret store. False with
// the reason (a text for the user) when the store is not available or holds
// no password for the account.
bool storedSyncPassword(const SyncSettings &settings, QString &password, QString &reason);

// The password for a sync: from the secret store, else asked through the
// prompts with the reason. Empty with the reason when the user gave none.
QString syncPassword(const SyncSettings &settings, QString &reason);

// Keeps the password in the secret store under the account's key, and
// removes the one kept under oldKey when that differs (an empty password
// removes the account's). False with a text for the user when the store
// refuses.
bool keepSyncPassword(const SyncSettings &settings, const QString &password, const QString &oldKey,
                      QString &errorText);

// The address books at a server address (Test connection).
DavError discoverAddressBooks(const QString &serverUrl, const QString &user, const QString &password,
                              QList<DavAddressBook> &books);

// Runs one sync of the open book with the settings. password: the server's
// password when the caller has it (the command line's file, or
// syncPassword() asked before the progress window showed); empty: as
// syncPassword() finds it (an empty answer ends the sync with the reason as
// its error). When no address book was chosen the server
// address is searched and its one address book kept in the settings.
SyncResult syncOpenBook(const ProgressCallback &progress = {}, const QString &password = {});

} // namespace velmora
