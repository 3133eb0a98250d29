#include "FuzzEntries.h"

#include "sync/DavXml.h"

namespace velmora::fuzz {

QString davXmlEntry(QByteArrayView data)
{
    const DavMultistatus read = readMultistatus(data);
    if (!(readMultistatus(data) == read))
        return QStringLiteral("the same answer read twice gave different values");
    // Errors of a sync REPORT are read by the same reader.
    const bool precondition = hasDavPrecondition(data, QStringLiteral("valid-sync-token"));
    if (precondition != hasDavPrecondition(data, QStringLiteral("valid-sync-token")))
        return QStringLiteral("the precondition read twice gave different answers");
    if (precondition && read.ok)
        return QStringLiteral("one document taken both as a multistatus and as an error");
    if (!read.ok) {
        if (read.error.isEmpty())
            return QStringLiteral("an answer refused without a reason");
        if (!read.responses.isEmpty() || read.hasSyncToken)
            return QStringLiteral("a refused answer kept %1 responses").arg(read.responses.size());
        return {};
    }
    for (const DavResponse &r : read.responses) {
        if (r.href.isEmpty() || r.href != r.href.trimmed())
            return QStringLiteral("a response with the href \"%1\"").arg(r.href);
        if (!r.etag.isEmpty() && !r.hasEtag)
            return QStringLiteral("an ETag \"%1\" without its flag").arg(QString::fromUtf8(r.etag));
    }
    // What was read, written back and read again, is the same.
    const QByteArray written = writeMultistatus(read);
    const DavMultistatus again = readMultistatus(written);
    if (!again.ok)
        return QStringLiteral("the written answer is refused: %1").arg(again.error);
    if (!(again == read))
        return QStringLiteral("the written answer reads back differently: %1")
            .arg(QString::fromUtf8(written));
    return {};
}

} // namespace velmora::fuzz
