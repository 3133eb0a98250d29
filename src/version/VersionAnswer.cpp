#include "version/VersionAnswer.h"

#include "app/ProgramInfo.h"
#include "version/VersionNumber.h"

#include <optional>

namespace velmora {

namespace {

const QByteArray kHeaderEnd = QByteArrayLiteral("\r\n\r\n");
constexpr qsizetype kStatusAt = 9; // 0-based: "HTTP/1.1 " is nine characters
constexpr qsizetype kStatusLength = 3;

// The status of an answer whose header ends at headerEnd, or nothing when
// the header holds no three-digit status at its tenth character.
std::optional<int> statusOf(const QByteArray &answer, qsizetype headerEnd)
{
    if (headerEnd < kStatusAt + kStatusLength)
        return std::nullopt;
    int status = 0;
    for (qsizetype i = kStatusAt; i < kStatusAt + kStatusLength; ++i) {
        const char c = answer.at(i);
        if (c < '0' || c > '9')
            return std::nullopt;
        status = status * 10 + (c - '0');
    }
    return status;
}

// The Content-Length of a header (the bytes before the empty line), or
// nothing when it names none or an unreadable one.
std::optional<qsizetype> contentLength(QByteArrayView header)
{
    const QByteArrayView name("content-length:");
    qsizetype lineStart = header.indexOf("\r\n");
    while (lineStart >= 0) {
        lineStart += 2;
        qsizetype lineEnd = header.indexOf("\r\n", lineStart);
        const QByteArrayView line =
            lineEnd < 0 ? header.sliced(lineStart) : header.sliced(lineStart, lineEnd - lineStart);
        if (line.size() >= name.size() && line.first(name.size()).compare(name, Qt::CaseInsensitive) == 0) {
            const QByteArrayView value = line.sliced(name.size()).trimmed();
            if (value.isEmpty() || value.size() > 9)
                return std::nullopt;
            qsizetype length = 0;
            for (const char c : value) {
                if (c < '0' || c > '9')
                    return std::nullopt;
                length = length * 10 + (c - '0');
            }
            return length;
        }
        lineStart = lineEnd;
    }
    return std::nullopt;
}

} // namespace

QString latestVersionPath()
{
    return QStringLiteral("/velmora/info/latestversion.txt");
}

QByteArray versionRequest(const QString &host, bool throughProxy)
{
    const QString target =
        throughProxy ? QStringLiteral("http://") + host + latestVersionPath() : latestVersionPath();
    const QString request = QStringLiteral("GET ") + target + QStringLiteral(" HTTP/1.1\r\n") +
                            QStringLiteral("User-Agent: Velmora ") + programVersion() +
                            QStringLiteral("\r\n") + QStringLiteral("Host: ") + host +
                            QStringLiteral("\r\n\r\n");
    return request.toLatin1();
}

VersionAnswer readVersionAnswer(const QByteArray &answer)
{
    VersionAnswer result;
    const qsizetype headerEnd = answer.indexOf(kHeaderEnd);
    if (headerEnd < 0)
        return result;
    const std::optional<int> status = statusOf(answer, headerEnd);
    if (!status)
        return result;
    result.readable = true;
    result.status = *status;
    QByteArrayView body = QByteArrayView(answer).sliced(headerEnd + kHeaderEnd.size());
    if (const std::optional<qsizetype> length = contentLength(QByteArrayView(answer).first(headerEnd)))
        body = body.first(qMin(*length, body.size()));
    result.body = QString::fromLatin1(body);
    const QString trimmed = result.body.trimmed();
    if (isVersionNumber(trimmed))
        result.version = trimmed;
    return result;
}

bool isAnswerComplete(const QByteArray &answer)
{
    const qsizetype headerEnd = answer.indexOf(kHeaderEnd);
    if (headerEnd < 0)
        return false;
    const std::optional<int> status = statusOf(answer, headerEnd);
    if (!status || *status != 200)
        return true;
    const std::optional<qsizetype> length = contentLength(QByteArrayView(answer).first(headerEnd));
    return length && answer.size() - (headerEnd + kHeaderEnd.size()) >= *length;
}

} // namespace velmora
