#pragma once

#include <QDateTime>
#include <QString>

namespace velmora {

// What a file looked like when it was read, to tell cheaply whether a cached
// reading of it is still good. File times are coarse (a few milliseconds), so a
// file written shortly before it was read is never trusted: it is read again
// until its time lies safely in the past.
class FileStamp {
public:
    // The state of the file now (existence, size, modification time).
    static FileStamp of(const QString &path);

    // True when `now` (taken later from the same path) certainly shows the same
    // version of the file as this stamp did.
    bool unchangedAt(const FileStamp &now) const;

    bool exists() const { return m_exists; }

private:
    bool m_valid = false;
    bool m_exists = false;
    qint64 m_size = 0;
    QDateTime m_modified;
    QDateTime m_taken;
};

} // namespace velmora
