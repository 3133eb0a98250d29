#include "sync/CardDavClient.h"

#include "app/ProgramInfo.h"
#include "settings/Translate.h"
#include "sync/DavXml.h"

#include <QEventLoop>
#include <QHash>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSet>
#include <QSslError>
#include <QTimer>

namespace velmora {

namespace {

constexpr int kMaxRedirects = 5;
// No answer of a CardDAV server is longer than this (2,000 cards with
// photos are some megabytes): anything longer is given up before it fills
// the memory.
constexpr qint64 kMaxAnswerBytes = 256 * 1024 * 1024;
constexpr qsizetype kMultigetBatch = 100;
constexpr int kMaxSyncPages = 1000; // sync-collection answers cut short (507) asked again

DavError davError(DavError::Kind kind, int status, const QString &text)
{
    return DavError{kind, status, text};
}

DavError badAnswer(int status, const QString &detail)
{
    return davError(DavError::Kind::BadAnswer, status,
                    T("The server's answer is not what a CardDAV server sends:") + QLatin1Char(' ') + detail);
}

bool sameOrigin(const QUrl &a, const QUrl &b)
{
    return a.scheme().compare(b.scheme(), Qt::CaseInsensitive) == 0 &&
           a.host().compare(b.host(), Qt::CaseInsensitive) == 0 &&
           a.port(a.scheme() == QLatin1String("https") ? 443 : 80) ==
               b.port(b.scheme() == QLatin1String("https") ? 443 : 80);
}

QUrl withSlash(QUrl url)
{
    QString path = url.path(QUrl::FullyEncoded);
    if (!path.endsWith(QLatin1Char('/'))) {
        url.setPath(path + QLatin1Char('/'));
    }
    return url;
}

// The href as kept for a card: the path of a full URL, anything else as written.
QString keptHref(const QString &href)
{
    const QUrl url(href);
    if (!url.scheme().isEmpty())
        return url.path(QUrl::FullyEncoded);
    return href;
}

bool isCardType(const QString &contentType, const QString &href)
{
    if (contentType.isEmpty())
        return href.endsWith(QLatin1String(".vcf"), Qt::CaseInsensitive);
    const QString type = contentType.section(QLatin1Char(';'), 0, 0).trimmed().toLower();
    return type == QLatin1String("text/vcard") || type == QLatin1String("text/x-vcard") ||
           type == QLatin1String("text/directory");
}

QString lastSegment(const QUrl &url)
{
    QString path = url.path();
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path.section(QLatin1Char('/'), -1);
}

} // namespace

struct CardDavClient::HttpAnswer {
    int status = 0;
    QString reason;
    QByteArray body;
    QByteArray etag;
    QUrl url; // after redirects
};

struct CardDavClient::Multistatus {
    DavMultistatus xml;
    QUrl url;
    int status = 0;
};

CardDavClient::CardDavClient(const QString &user, const QString &password, int timeoutMs)
    : m_user(user), m_password(password), m_timeoutMs(timeoutMs),
      m_network(std::make_unique<QNetworkAccessManager>())
{
    m_network->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}

CardDavClient::~CardDavClient() = default;

// One request and its answer, within the time allowed without progress.
// Transport faults are errors here; the status is the caller's to judge.
DavError CardDavClient::sendOnce(const QByteArray &method, const QUrl &url, const QByteArray &body,
                                 const Headers &headers, HttpAnswer &answer)
{
    // A user name and password in the address itself are never used: the
    // client's own go with every request.
    QUrl target = url;
    target.setUserInfo({});
    QNetworkRequest request(target);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Velmora/") + programVersion());
    // Basic authentication on every request, sent by us: nothing is cached and
    // no request ever waits for credentials.
    request.setRawHeader("Authorization",
                         "Basic " + (m_user + QLatin1Char(':') + m_password).toUtf8().toBase64());
    for (const auto &[name, value] : headers)
        request.setRawHeader(name, value);

    QNetworkReply *reply = m_network->sendCustomRequest(request, method, body);
    const std::unique_ptr<QNetworkReply, void (*)(QNetworkReply *)> owner(reply, [](QNetworkReply *r) {
        r->disconnect();
        r->abort();
        r->deleteLater();
    });
    QEventLoop loop;
    QTimer idle;
    idle.setSingleShot(true);
    idle.setInterval(m_timeoutMs);
    bool timedOut = false;
    bool tooLong = false;
    QList<QSslError> sslErrors;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(reply, &QNetworkReply::downloadProgress, &idle, [&](qint64 received, qint64) {
        idle.start();
        if (received > kMaxAnswerBytes && !tooLong) {
            tooLong = true;
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::uploadProgress, &idle, qOverload<>(&QTimer::start));
    QObject::connect(reply, &QNetworkReply::sslErrors, &loop,
                     [&sslErrors](const QList<QSslError> &errors) { sslErrors += errors; });
    QObject::connect(&idle, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
        loop.quit();
    });
    idle.start();
    if (!reply->isFinished())
        loop.exec();
    idle.stop();

    const QString host = url.host();
    if (timedOut)
        return davError(DavError::Kind::Timeout, 0, T("The server did not answer in time."));
    if (tooLong)
        return badAnswer(0, QStringLiteral("the answer is longer than %1 MB").arg(kMaxAnswerBytes >> 20));
    if (!sslErrors.isEmpty()) {
        QStringList problems;
        for (const QSslError &e : std::as_const(sslErrors)) {
            if (!problems.contains(e.errorString()))
                problems.append(e.errorString());
        }
        return davError(DavError::Kind::Tls, 0,
                        T("The server's certificate is not trusted:") + QLatin1Char(' ') +
                            problems.join(QLatin1String("; ")));
    }
    const QNetworkReply::NetworkError error = reply->error();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (error == QNetworkReply::SslHandshakeFailedError)
        return davError(DavError::Kind::Tls, 0,
                        T("The secure connection to the server failed:") + QLatin1Char(' ') +
                            reply->errorString());
    if (error == QNetworkReply::TimeoutError)
        return davError(DavError::Kind::Timeout, 0, T("The server did not answer in time."));
    // Faults of the connection itself (the codes below 100), before or
    // after a status arrived.
    if (error != QNetworkReply::NoError && error < QNetworkReply::ProxyConnectionRefusedError) {
        if (status != 0 || error == QNetworkReply::RemoteHostClosedError)
            return davError(DavError::Kind::Network, status,
                            T("The connection to the server was lost before the answer was complete."));
        if (error == QNetworkReply::ConnectionRefusedError)
            return davError(DavError::Kind::Network, 0,
                            T("The server refused the connection:") + QLatin1Char(' ') + host);
        if (error == QNetworkReply::HostNotFoundError)
            return davError(DavError::Kind::Network, 0,
                            T("The server's name was not found:") + QLatin1Char(' ') + host);
        return davError(DavError::Kind::Network, 0,
                        T("The server could not be reached:") + QLatin1Char(' ') + reply->errorString());
    }
    if (status == 0)
        return davError(DavError::Kind::Network, 0,
                        T("The server could not be reached:") + QLatin1Char(' ') + reply->errorString());
    answer.status = status;
    answer.reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    answer.body = reply->readAll();
    // A connection closed before the body was as long as announced.
    bool announced = false;
    const qint64 length = reply->rawHeader("Content-Length").trimmed().toLongLong(&announced);
    const QByteArray encoding = reply->rawHeader("Content-Encoding").trimmed().toLower();
    if (announced && (encoding.isEmpty() || encoding == "identity") && answer.body.size() < length)
        return davError(DavError::Kind::Network, status,
                        T("The connection to the server was lost before the answer was complete."));
    answer.etag = reply->rawHeader("ETag");
    answer.url = url;
    if (status >= 300 && status < 400 && status != 304) {
        const QByteArray location = reply->rawHeader("Location");
        if (!location.isEmpty())
            answer.url = url.resolved(QUrl::fromEncoded(location));
    }
    return {};
}

// A request with its same-origin redirects followed.
DavError CardDavClient::send(const QByteArray &method, const QUrl &url, const QByteArray &body,
                             const Headers &headers, HttpAnswer &answer)
{
    QUrl target = url;
    for (int hop = 0;; ++hop) {
        answer = HttpAnswer();
        if (const DavError e = sendOnce(method, target, body, headers, answer))
            return e;
        const bool redirect = answer.status == 301 || answer.status == 302 || answer.status == 303 ||
                              answer.status == 307 || answer.status == 308;
        if (!redirect || answer.url == target)
            return {};
        if (!answer.url.isValid() || !sameOrigin(answer.url, target))
            return davError(DavError::Kind::Server, answer.status,
                            T("The server redirects to another address, where the password is not sent:") +
                                QLatin1Char(' ') + answer.url.toDisplayString());
        if (hop >= kMaxRedirects)
            return davError(DavError::Kind::Server, answer.status, T("The server redirects too many times."));
        target = answer.url;
    }
}

namespace {

// The error a status stands for (none below 400).
DavError statusError(int status, const QString &reason)
{
    if (status == 401 || status == 403)
        return davError(DavError::Kind::Unauthorized, status,
                        T("The server refused the user name or password."));
    if (status == 404 || status == 410)
        return davError(DavError::Kind::NotFound, status, T("The address was not found on the server."));
    if (status == 412)
        return davError(DavError::Kind::PreconditionFailed, status,
                        T("The card was changed on the server since it was read."));
    if (status >= 400)
        return davError(DavError::Kind::Server, status,
                        T("The server answered with an error:") +
                            QStringLiteral(" %1 %2").arg(status).arg(reason));
    return {};
}

const QByteArray kXmlType = QByteArrayLiteral("application/xml; charset=utf-8");

} // namespace

// A PROPFIND or REPORT whose answer must be a multistatus.
DavError CardDavClient::davRequest(const QByteArray &method, const QUrl &url, const QByteArray &depth,
                                   const QByteArray &body, Multistatus &answer)
{
    Headers headers = {{"Content-Type", kXmlType}};
    if (!depth.isEmpty())
        headers.append(qMakePair(QByteArray("Depth"), depth));
    HttpAnswer http;
    if (const DavError e = send(method, url, body, headers, http))
        return e;
    answer.status = http.status;
    answer.url = http.url;
    if (const DavError e = statusError(http.status, http.reason); e) {
        answer.xml.error = QString::fromUtf8(http.body.left(4096));
        if (method == "REPORT")
            answer.xml.ok = hasDavPrecondition(http.body, QStringLiteral("valid-sync-token"));
        return e;
    }
    if (http.status != 207)
        return badAnswer(http.status,
                         QStringLiteral("status %1 instead of 207 Multi-Status").arg(http.status));
    answer.xml = readMultistatus(http.body);
    if (!answer.xml.ok)
        return badAnswer(http.status, answer.xml.error);
    return {};
}

// Reads a URL that may be an address book, a principal or a server root.
DavError CardDavClient::findHomeSets(const QUrl &url, QList<QUrl> &homeSets, bool &isBook,
                                     DavAddressBook &book)
{
    Multistatus answer;
    const QByteArray body =
        propfindBody({DavProp::ResourceType, DavProp::DisplayName, DavProp::SupportedReportSet,
                      DavProp::CurrentUserPrincipal, DavProp::AddressbookHomeSet});
    if (const DavError e = davRequest("PROPFIND", url, "0", body, answer))
        return e;
    if (answer.xml.responses.isEmpty())
        return badAnswer(answer.status, QStringLiteral("no response for %1").arg(url.path()));
    const QString key = hrefKey(answer.url.path(QUrl::FullyEncoded));
    const DavResponse *self = &answer.xml.responses.first();
    for (const DavResponse &r : std::as_const(answer.xml.responses)) {
        if (hrefKey(r.href) == key)
            self = &r;
    }
    if (self->isAddressBook) {
        isBook = true;
        book.url = withSlash(answer.url);
        book.displayName = self->displayName.isEmpty() ? lastSegment(book.url) : self->displayName;
        book.syncCollection = self->syncCollectionReport;
        return {};
    }
    for (const QString &href : self->homeSets)
        homeSets.append(withSlash(answer.url.resolved(QUrl(href))));
    if (homeSets.isEmpty() && !self->principals.isEmpty()) {
        const QUrl principal = answer.url.resolved(QUrl(self->principals.first()));
        Multistatus principalAnswer;
        if (const DavError e = davRequest("PROPFIND", principal, "0",
                                          propfindBody({DavProp::AddressbookHomeSet}), principalAnswer))
            return e;
        for (const DavResponse &r : std::as_const(principalAnswer.xml.responses)) {
            for (const QString &href : r.homeSets)
                homeSets.append(withSlash(principalAnswer.url.resolved(QUrl(href))));
        }
    }
    return {};
}

DavError CardDavClient::discover(const QUrl &url, QList<DavAddressBook> &books)
{
    books.clear();
    if (!url.isValid() || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")) ||
        url.host().isEmpty())
        return davError(DavError::Kind::Network, 0,
                        T("The server address is not a web address:") + QLatin1Char(' ') +
                            url.toDisplayString());
    m_collection = url;
    QList<QUrl> homeSets;
    bool isBook = false;
    DavAddressBook book;
    const DavError first = findHomeSets(url, homeSets, isBook, book);
    const auto fatal = [](const DavError &e) {
        return e.kind == DavError::Kind::Unauthorized || e.kind == DavError::Kind::Network ||
               e.kind == DavError::Kind::Timeout || e.kind == DavError::Kind::Tls;
    };
    if (fatal(first))
        return first;
    if (isBook) {
        books.append(book);
        m_collection = book.url;
        return {};
    }
    if (homeSets.isEmpty()) {
        const QUrl wellKnown = url.resolved(QUrl(QStringLiteral("/.well-known/carddav")));
        const DavError second = findHomeSets(wellKnown, homeSets, isBook, book);
        if (fatal(second))
            return second;
        if (isBook) {
            books.append(book);
            m_collection = book.url;
            return {};
        }
        if (homeSets.isEmpty()) {
            if (first && first.kind != DavError::Kind::NotFound && first.kind != DavError::Kind::BadAnswer)
                return first;
            return davError(DavError::Kind::NotFound, first.httpStatus,
                            T("No address book was found at this address."));
        }
    }
    QSet<QString> seen;
    for (const QUrl &home : std::as_const(homeSets)) {
        if (seen.contains(hrefKey(home.toString())))
            continue;
        seen.insert(hrefKey(home.toString()));
        Multistatus answer;
        const QByteArray body =
            propfindBody({DavProp::ResourceType, DavProp::DisplayName, DavProp::SupportedReportSet});
        if (const DavError e = davRequest("PROPFIND", home, "1", body, answer))
            return e;
        for (const DavResponse &r : std::as_const(answer.xml.responses)) {
            if (!r.isAddressBook)
                continue;
            DavAddressBook found;
            found.url = withSlash(answer.url.resolved(QUrl(r.href)));
            if (!sameOrigin(found.url, answer.url))
                continue;
            const QString key = hrefKey(found.url.toString());
            if (seen.contains(key))
                continue;
            seen.insert(key);
            found.displayName = r.displayName.isEmpty() ? lastSegment(found.url) : r.displayName;
            found.syncCollection = r.syncCollectionReport;
            books.append(found);
        }
    }
    if (books.size() == 1)
        m_collection = books.first().url;
    return {};
}

DavError CardDavClient::syncToken(const QUrl &collection, QString &token)
{
    token.clear();
    m_collection = withSlash(collection);
    const QUrl &book = m_collection;
    Multistatus answer;
    if (const DavError e = davRequest("PROPFIND", book, "0", propfindBody({DavProp::SyncToken}), answer))
        return e;
    if (answer.xml.responses.isEmpty())
        return badAnswer(answer.status, QStringLiteral("no response for the collection"));
    token = answer.xml.responses.first().syncToken;
    return {};
}

DavError CardDavClient::listCards(const QUrl &collection, QList<DavResource> &cards)
{
    cards.clear();
    m_collection = withSlash(collection);
    const QUrl &book = m_collection;
    Multistatus answer;
    const QByteArray body = propfindBody({DavProp::ResourceType, DavProp::GetEtag, DavProp::GetContentType});
    if (const DavError e = davRequest("PROPFIND", book, "1", body, answer))
        return e;
    const QString self = hrefKey(book.path(QUrl::FullyEncoded));
    QSet<QString> seen;
    for (const DavResponse &r : std::as_const(answer.xml.responses)) {
        const QString key = hrefKey(r.href);
        if (key == self || r.isCollection || r.href.endsWith(QLatin1Char('/')) || r.status >= 300)
            continue;
        if (!isCardType(r.contentType, key) || seen.contains(key))
            continue;
        if (!r.hasEtag || r.etag.isEmpty())
            return badAnswer(answer.status, QStringLiteral("the card %1 has no ETag").arg(r.href));
        seen.insert(key);
        cards.append(DavResource{keptHref(r.href), r.etag});
    }
    return {};
}

DavError CardDavClient::changesSince(const QUrl &collection, const QString &token, DavChanges &changes)
{
    changes = DavChanges();
    m_collection = withSlash(collection);
    const QUrl &book = m_collection;
    const QString self = hrefKey(book.path(QUrl::FullyEncoded));
    QString from = token;
    QHash<QString, qsizetype> changedAt;
    QSet<QString> removed;
    for (int page = 0; page < kMaxSyncPages; ++page) {
        Multistatus answer;
        const DavError e = davRequest("REPORT", book, "0", syncCollectionBody(from), answer);
        if (e) {
            // The server no longer knows the token: a precondition named,
            // or an error that only an old token can explain.
            const bool named = answer.xml.ok;
            const bool oldToken = !from.isEmpty() && e.kind != DavError::Kind::Network &&
                                  e.kind != DavError::Kind::Timeout && e.kind != DavError::Kind::Tls &&
                                  e.kind != DavError::Kind::BadAnswer && e.httpStatus >= 400 &&
                                  e.httpStatus < 500 && e.httpStatus != 401 && e.httpStatus != 404 &&
                                  e.httpStatus != 405 && e.httpStatus != 408 && e.httpStatus != 429;
            if ((named && (e.httpStatus == 403 || e.httpStatus == 409 || e.httpStatus == 412 ||
                           e.httpStatus == 400)) ||
                oldToken) {
                changes = DavChanges();
                changes.tokenInvalid = true;
                return {};
            }
            return e;
        }
        if (!answer.xml.hasSyncToken || answer.xml.syncToken.isEmpty())
            return badAnswer(answer.status, QStringLiteral("no sync-token in the answer"));
        bool truncated = false;
        for (const DavResponse &r : std::as_const(answer.xml.responses)) {
            const QString key = hrefKey(r.href);
            if (key == self || r.href.endsWith(QLatin1Char('/'))) {
                truncated = truncated || r.status == 507;
                continue;
            }
            if (r.status == 404 || r.status == 410) {
                if (const auto at = changedAt.find(key); at != changedAt.end()) {
                    changes.changed[*at].href.clear();
                    changedAt.erase(at);
                }
                if (!removed.contains(key)) {
                    removed.insert(key);
                    changes.removed.append(keptHref(r.href));
                }
                continue;
            }
            if (r.status != 0 && r.status >= 300)
                continue;
            if (!r.hasEtag || r.etag.isEmpty())
                return badAnswer(answer.status, QStringLiteral("the card %1 has no ETag").arg(r.href));
            if (removed.remove(key)) {
                for (qsizetype i = 0; i < changes.removed.size(); ++i) {
                    if (hrefKey(changes.removed.at(i)) == key)
                        changes.removed.removeAt(i--);
                }
            }
            if (const auto at = changedAt.constFind(key); at != changedAt.cend()) {
                changes.changed[*at].etag = r.etag;
            } else {
                changedAt.insert(key, changes.changed.size());
                changes.changed.append(DavResource{keptHref(r.href), r.etag});
            }
        }
        changes.token = answer.xml.syncToken;
        if (!truncated || answer.xml.syncToken == from)
            break;
        from = answer.xml.syncToken;
    }
    changes.changed.removeIf([](const DavResource &r) { return r.href.isEmpty(); });
    return {};
}

DavError CardDavClient::fetchCards(const QUrl &collection, const QStringList &hrefs, QList<DavCard> &cards)
{
    cards.clear();
    m_collection = withSlash(collection);
    const QUrl &book = m_collection;
    QSet<QString> seen;
    for (qsizetype start = 0; start < hrefs.size(); start += kMultigetBatch) {
        QStringList paths;
        for (const QString &href : hrefs.mid(start, kMultigetBatch))
            paths.append(book.resolved(QUrl(href)).path(QUrl::FullyEncoded));
        Multistatus answer;
        if (const DavError e = davRequest("REPORT", book, "0", multigetBody(paths), answer))
            return e;
        for (const DavResponse &r : std::as_const(answer.xml.responses)) {
            if (r.status == 404 || r.status == 410 || (r.status == 0 && !r.hasAddressData && !r.hasEtag))
                continue;
            if (r.status >= 300)
                continue;
            if (!r.hasAddressData)
                return badAnswer(answer.status,
                                 QStringLiteral("the card %1 came without its data").arg(r.href));
            if (!r.hasEtag || r.etag.isEmpty())
                return badAnswer(answer.status, QStringLiteral("the card %1 has no ETag").arg(r.href));
            const QString key = hrefKey(r.href);
            if (seen.contains(key))
                continue;
            seen.insert(key);
            cards.append(DavCard{keptHref(r.href), r.etag, r.addressData});
        }
    }
    return {};
}

QUrl CardDavClient::cardUrl(const QString &href) const
{
    return m_collection.resolved(QUrl(href));
}

DavError CardDavClient::putCard(const QString &href, const QByteArray &data, const QByteArray &ifMatch,
                                QByteArray &etag)
{
    etag.clear();
    const QUrl url = cardUrl(href);
    if (!m_collection.isValid() || !url.isValid() || !sameOrigin(url, m_collection))
        return davError(DavError::Kind::NotFound, 0,
                        T("The card's address is not on this server:") + QLatin1Char(' ') + href);
    Headers headers = {{"Content-Type", "text/vcard; charset=utf-8"}};
    if (ifMatch.isEmpty())
        headers.append(qMakePair(QByteArray("If-None-Match"), QByteArray("*")));
    else
        headers.append(qMakePair(QByteArray("If-Match"), ifMatch));
    HttpAnswer answer;
    if (const DavError e = send("PUT", url, data, headers, answer))
        return e;
    if (const DavError e = statusError(answer.status, answer.reason))
        return e;
    if (answer.status < 200 || answer.status > 299)
        return badAnswer(answer.status, QStringLiteral("status %1 to a PUT").arg(answer.status));
    etag = answer.etag;
    return {};
}

DavError CardDavClient::deleteCard(const QString &href, const QByteArray &etag)
{
    const QUrl url = cardUrl(href);
    if (!m_collection.isValid() || !url.isValid() || !sameOrigin(url, m_collection))
        return davError(DavError::Kind::NotFound, 0,
                        T("The card's address is not on this server:") + QLatin1Char(' ') + href);
    Headers headers;
    if (!etag.isEmpty())
        headers.append(qMakePair(QByteArray("If-Match"), etag));
    HttpAnswer answer;
    if (const DavError e = send("DELETE", url, {}, headers, answer))
        return e;
    if (answer.status == 404 || answer.status == 410)
        return {};
    if (const DavError e = statusError(answer.status, answer.reason))
        return e;
    if (answer.status < 200 || answer.status > 299)
        return badAnswer(answer.status, QStringLiteral("status %1 to a DELETE").arg(answer.status));
    return {};
}

} // namespace velmora
