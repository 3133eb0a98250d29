#include "sync/SyncSettings.h"

#include "settings/Settings.h"
#include "settings/Translate.h"

namespace velmora {

namespace {
const QString kServer = QStringLiteral("Sync server");
const QString kUser = QStringLiteral("Sync user");
const QString kAddressBook = QStringLiteral("Sync address book");
const QString kOpenClose = QStringLiteral("Sync on open and close");
const QString kBook = QStringLiteral("Sync book");

QString hostOf(const QString &serverUrl)
{
    const QUrl url(serverUrl.trimmed());
    const QString host = url.host();
    return url.port() > 0 ? host + QLatin1Char(':') + QString::number(url.port()) : host;
}
} // namespace

SyncSettings SyncSettings::load()
{
    SyncSettings s;
    s.serverUrl = getSetting(kServer);
    s.user = getSetting(kUser);
    s.addressBook = getSetting(kAddressBook);
    s.onOpenClose = getSetting(kOpenClose) == QLatin1String("1");
    s.book = getSetting(kBook);
    return s;
}

void SyncSettings::save() const
{
    saveSetting(kServer, serverUrl.trimmed());
    saveSetting(kUser, user);
    saveSetting(kAddressBook, addressBook);
    saveSetting(kOpenClose, onOpenClose ? QStringLiteral("1") : QStringLiteral("0"));
    saveSetting(kBook, book);
}

bool SyncSettings::isSetUp() const
{
    return !serverUrl.trimmed().isEmpty() && !user.isEmpty();
}

QUrl SyncSettings::serverAddress(const QString &text, QString &error)
{
    error.clear();
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("https") && scheme != QLatin1String("http")) ||
        url.host().isEmpty()) {
        error = T("The server address must be a web address starting with https:// (or http://).");
        return {};
    }
    return url;
}

QUrl SyncSettings::collection() const
{
    QString error;
    if (!addressBook.isEmpty())
        return serverAddress(addressBook, error);
    return serverAddress(serverUrl, error);
}

QString SyncSettings::secretKey(const QString &user, const QString &serverUrl)
{
    return QStringLiteral("carddav:") + user + QLatin1Char('@') + hostOf(serverUrl);
}

QString SyncSettings::secretKey() const
{
    return secretKey(user, serverUrl);
}

QString SyncSettings::account() const
{
    return user + QLatin1Char('@') + hostOf(serverUrl);
}

} // namespace velmora
