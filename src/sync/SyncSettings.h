#pragma once

#include <QString>
#include <QUrl>

namespace velmora {

// The synchronisation set-up kept in the settings: the server, the user
// name, the chosen address book and whether the book is synced when it is
// opened and closed. The password is never kept here (it lives in the
// secret store, see SecretStore).
struct SyncSettings {
    QString serverUrl; // as typed: an address book collection or the server's root
    QString user;
    QString addressBook; // the chosen collection; empty: found at the next sync
    bool onOpenClose = false;
    // The book the automatic syncs (on open and close) are for: a program
    // that opens other books too never mixes them with the server.
    QString book;

    static SyncSettings load();
    void save() const;

    // A server and a user name are given.
    bool isSetUp() const;
    // The server address as a URL; empty with error when it is not an
    // http(s) address with a host.
    static QUrl serverAddress(const QString &text, QString &error);
    // The collection the sync works on: the chosen address book, else the
    // server address (which may be the collection itself).
    QUrl collection() const;
    // The name of the password in the secret store: "carddav:user@host".
    QString secretKey() const;
    static QString secretKey(const QString &user, const QString &serverUrl);
    // "user@host", how the account is named to the user.
    QString account() const;
};

} // namespace velmora
