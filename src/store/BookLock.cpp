#include "store/BookLock.h"

#include <QFile>

#include <sqlite3.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace velmora {

namespace {

// Closing any descriptor of a file drops the process's record locks on it,
// SQLite's among them: the connection takes its lock before the engine opens
// the book and releases it after the engine has closed it.

// How long an opener waits for another copy to finish rewriting the book.
constexpr int kWaitMilliseconds = 30000;
constexpr int kPollMilliseconds = 20;

int setLock(int fd, short type)
{
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = BookLock::kLockOffset;
    lock.l_len = 1;
    lock.l_pid = 0; // required by open-file-description locks
    return ::fcntl(fd, F_OFD_SETLK, &lock);
}

bool sameFile(int fd, const QByteArray &path)
{
    struct stat opened {};
    struct stat named {};
    return ::fstat(fd, &opened) == 0 && ::stat(path.constData(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

void pause()
{
    const timespec wait{0, long(kPollMilliseconds) * 1000 * 1000};
    ::nanosleep(&wait, nullptr);
}

} // namespace

BookLock::~BookLock()
{
    release();
}

BookLock::BookLock(BookLock &&other) noexcept
    : m_fd(other.m_fd), m_writable(other.m_writable), m_exclusive(other.m_exclusive),
      m_unsupported(other.m_unsupported)
{
    other.m_fd = -1;
    other.m_exclusive = false;
    other.m_unsupported = false;
}

BookLock &BookLock::operator=(BookLock &&other) noexcept
{
    if (this != &other) {
        release();
        m_fd = other.m_fd;
        m_writable = other.m_writable;
        m_exclusive = other.m_exclusive;
        m_unsupported = other.m_unsupported;
        other.m_fd = -1;
        other.m_exclusive = false;
        other.m_unsupported = false;
    }
    return *this;
}

DbError BookLock::lockShared(const QString &path)
{
    release();
    const QByteArray name = QFile::encodeName(path);
    for (int waited = 0;;) {
        bool writable = true;
        int fd = ::open(name.constData(), O_RDWR | O_CLOEXEC);
        if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
            writable = false;
            fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
        }
        // A file that cannot be opened is reported by the engine's own open.
        if (fd < 0)
            return {};
        if (setLock(fd, F_RDLCK) != 0) {
            const int err = errno;
            ::close(fd);
            if (err != EAGAIN && err != EACCES) {
                // The file system keeps no locks: the book opens as it
                // always did.
                m_unsupported = true;
                return {};
            }
            if (waited >= kWaitMilliseconds)
                return DbError{
                    SQLITE_BUSY,
                    QStringLiteral("The file %1 is being rewritten by another program.").arg(path)};
            pause();
            waited += kPollMilliseconds;
            continue;
        }
        // The copy that held the book may have put a new file in its place.
        if (!sameFile(fd, name)) {
            ::close(fd);
            continue;
        }
        m_fd = fd;
        m_writable = writable;
        return {};
    }
}

bool BookLock::lockExclusive()
{
    if (m_unsupported)
        return true;
    if (m_fd < 0 || !m_writable)
        return false;
    if (!m_exclusive && setLock(m_fd, F_WRLCK) == 0)
        m_exclusive = true;
    return m_exclusive;
}

void BookLock::release()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_exclusive = false;
    m_unsupported = false;
}

} // namespace velmora
