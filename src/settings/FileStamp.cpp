#include "settings/FileStamp.h"

#include <QFileInfo>

namespace velmora {

namespace {
// Longer than the coarsest file time resolution we expect (FAT keeps 2 s).
constexpr qint64 kSettleMs = 2500;
} // namespace

FileStamp FileStamp::of(const QString &path)
{
    FileStamp stamp;
    stamp.m_valid = true;
    stamp.m_taken = QDateTime::currentDateTimeUtc();
    const QFileInfo info(path);
    stamp.m_exists = !path.isEmpty() && info.exists();
    if (stamp.m_exists) {
        stamp.m_size = info.size();
        stamp.m_modified = info.lastModified().toUTC();
    }
    return stamp;
}

bool FileStamp::unchangedAt(const FileStamp &now) const
{
    if (!m_valid || !now.m_valid || m_exists != now.m_exists)
        return false;
    if (!m_exists)
        return true;
    if (m_size != now.m_size || m_modified != now.m_modified)
        return false;
    // A file changed within the same clock tick as the one we read would show
    // the same time: only trust a time that was already old when we read it.
    return m_modified.msecsTo(m_taken) > kSettleMs;
}

} // namespace velmora
