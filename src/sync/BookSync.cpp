#include "sync/BookSync.h"

#include "app/Prompts.h"
#include "app/Seams.h"
#include "app/SecretStore.h"
#include "settings/Translate.h"
#include "store/Database.h"
#include "sync/CardDavClient.h"
#include "sync/SyncSettings.h"

namespace velmora {

namespace {

DavServerFactory &factory()
{
    static DavServerFactory f;
    return f;
}

SyncResult failed(const QString &text)
{
    return SyncResult{false, text, {}};
}

QString storeUnavailable(const QString &why)
{
    return T("The desktop's secret store is not available:") + QLatin1Char(' ') + why;
}

// The collection of the settings; an unchosen one is searched at the server
// address and kept when there is exactly one.
QUrl chooseCollection(SyncSettings &settings, DavServer &server, QString &error)
{
    if (!settings.addressBook.isEmpty())
        return SyncSettings::serverAddress(settings.addressBook, error);
    const QUrl address = SyncSettings::serverAddress(settings.serverUrl, error);
    if (address.isEmpty())
        return {};
    QList<DavAddressBook> books;
    if (const DavError e = server.discover(address, books)) {
        error = e.text;
        return {};
    }
    if (books.isEmpty()) {
        error = T("The server has no address book at this address.");
        return {};
    }
    if (books.size() > 1) {
        error = T("The server has several address books: choose one in Options > Synchronisation.");
        return {};
    }
    settings.addressBook = books.first().url.toString();
    settings.save();
    return books.first().url;
}

} // namespace

void setDavServerFactory(DavServerFactory f)
{
    factory() = std::move(f);
}

std::unique_ptr<DavServer> makeDavServer(const QString &user, const QString &password)
{
    if (factory())
        return factory()(user, password);
    return std::make_unique<CardDavClient>(user, password);
}

bool storedSyncPassword(const SyncSettings &settings, QString &password, QString &reason)
{
    password.clear();
    reason.clear();
    bool found = false;
    QString error;
    if (!secretStore().readSecret(settings.secretKey(), password, found, error)) {
        reason = storeUnavailable(error);
        return false;
    }
    if (!found || password.isEmpty()) {
        reason = T("No password is kept for %1.").arg(settings.account());
        return false;
    }
    return true;
}

QString syncPassword(const SyncSettings &settings, QString &reason)
{
    QString password;
    if (storedSyncPassword(settings, password, reason))
        return password;
    return prompts().askAccountPassword(settings.account(), reason);
}

bool keepSyncPassword(const SyncSettings &settings, const QString &password, const QString &oldKey,
                      QString &errorText)
{
    errorText.clear();
    const QString key = settings.secretKey();
    QString error;
    bool ok = password.isEmpty() ? secretStore().deleteSecret(key, error)
                                 : secretStore().writeSecret(key, password, error);
    if (ok && !oldKey.isEmpty() && oldKey != key)
        ok = secretStore().deleteSecret(oldKey, error);
    if (!ok)
        errorText = storeUnavailable(error);
    return ok;
}

DavError discoverAddressBooks(const QString &serverUrl, const QString &user, const QString &password,
                              QList<DavAddressBook> &books)
{
    books.clear();
    QString error;
    const QUrl address = SyncSettings::serverAddress(serverUrl, error);
    if (address.isEmpty())
        return DavError{DavError::Kind::BadAnswer, 0, error};
    return makeDavServer(user, password)->discover(address, books);
}

SyncResult syncOpenBook(const ProgressCallback &progress, const QString &givenPassword)
{
    Database &db = Database::instance();
    if (!db.isOpen())
        return failed(T("No book is open."));
    if (db.isReadOnly())
        return failed(T("The book is read-only: it cannot be synchronised."));
    SyncSettings settings = SyncSettings::load();
    if (!settings.isSetUp())
        return failed(T("Synchronisation is not set up: enter the server in Options > Synchronisation."));
    QString error;
    if (SyncSettings::serverAddress(settings.serverUrl, error).isEmpty())
        return failed(error);

    QString password = givenPassword;
    if (password.isEmpty()) {
        QString reason;
        password = syncPassword(settings, reason);
        if (password.isEmpty())
            return failed(reason);
    }

    const std::unique_ptr<DavServer> server = makeDavServer(settings.user, password);
    const QUrl collection = chooseCollection(settings, *server, error);
    if (collection.isEmpty())
        return failed(error);
    SyncEngine engine(*server, collection);
    SyncResult result = engine.run(progress);
    if (result.ok && settings.book.isEmpty()) {
        // The first book synchronised is the one the automatic syncs are for.
        settings.book = db.path();
        settings.save();
    }
    return result;
}

} // namespace velmora
