#include "FuzzEntries.h"

#include "version/VersionAnswer.h"
#include "version/VersionNumber.h"

namespace velmora::fuzz {

QString versionEntry(QByteArrayView data)
{
    const QByteArray answer = data.toByteArray();
    const VersionAnswer read = readVersionAnswer(answer);
    if (!read.readable && (read.status != 0 || !read.body.isEmpty() || !read.version.isEmpty()))
        return QStringLiteral("an unreadable answer gave status %1, body \"%2\"")
            .arg(read.status)
            .arg(read.body);
    if (read.readable && (read.status < 0 || read.status > 999))
        return QStringLiteral("status %1").arg(read.status);
    if (!read.version.isEmpty()) {
        if (!isVersionNumber(read.version))
            return QStringLiteral("\"%1\" taken as a version").arg(read.version);
        if (read.version != read.body.trimmed())
            return QStringLiteral("version \"%1\" from body \"%2\"").arg(read.version, read.body);
    }
    // The answer as it arrives, piece by piece: once complete, more bytes
    // change nothing the check acts on.
    const qsizetype step = qMax<qsizetype>(1, answer.size() / 8);
    for (qsizetype n = 0; n <= answer.size(); n += step) {
        const QByteArray part = answer.left(n);
        if (!isAnswerComplete(part))
            continue;
        const VersionAnswer early = readVersionAnswer(part);
        if (early.readable != read.readable || early.status != read.status ||
            (early.status == 200 && early.version != read.version))
            return QStringLiteral("complete after %1 bytes as status %2 \"%3\", whole %4 \"%5\"")
                .arg(n)
                .arg(early.status)
                .arg(early.version)
                .arg(read.status)
                .arg(read.version);
    }
    // Comparing versions: never later than itself, never both ways.
    const QString a = read.version.isEmpty() ? QString::fromLatin1(answer.left(12)) : read.version;
    const QString b = QString::fromLatin1(answer.right(12));
    for (const auto &[x, y] : {std::pair{a, b}, std::pair{a, QStringLiteral("1.3.4")}, std::pair{b, a}}) {
        if (isNewerVersion(x, x))
            return QStringLiteral("\"%1\" later than itself").arg(x);
        if (isNewerVersion(x, y) && isNewerVersion(y, x))
            return QStringLiteral("\"%1\" and \"%2\" each later than the other").arg(x, y);
        if (shouldAnnounce(x, y, b) && !isNewerVersion(x, y))
            return QStringLiteral("\"%1\" announced, not later than \"%2\"").arg(x, y);
    }
    return {};
}

} // namespace velmora::fuzz
