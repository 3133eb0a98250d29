#pragma once

#include "store/DbError.h"

#include <QString>

namespace velmora {

// The advisory lock every connection holds on its book file for as long as
// the book is open, so that two copies of the program on one book know of
// each other. Every opener holds it shared; whoever rewrites the file
// (compaction, adding, changing or removing the password) needs it
// exclusively, which is only possible while nobody else has the book open.
//
// The lock is an open-file-description lock on one byte far past SQLite's own
// lock bytes: it never stands in the engine's way, holds between connections
// of one process as between processes, and is dropped by the system when a
// process ends.
class BookLock {
public:
    BookLock() = default;
    ~BookLock();
    BookLock(BookLock &&other) noexcept;
    BookLock &operator=(BookLock &&other) noexcept;
    BookLock(const BookLock &) = delete;
    BookLock &operator=(const BookLock &) = delete;

    // Opens the file and takes the shared lock. While another opener holds
    // the lock exclusively (it is rewriting the book) this waits for it; when
    // the file was replaced meanwhile, the lock is taken on the new file. A
    // missing file fails with kNotFoundError, a lock that stays taken with
    // SQLITE_BUSY.
    DbError lockShared(const QString &path);
    // Turns the shared lock into the exclusive one without waiting. False
    // when another connection has the book open (or the file cannot be
    // written); the shared lock is then still held. On a file system that
    // keeps no locks the answer is always true: nothing can be known there.
    bool lockExclusive();
    void release();

    bool isHeld() const { return m_fd >= 0; }
    bool isExclusive() const { return m_exclusive; }

    // The byte of the file the lock is taken on.
    static constexpr qint64 kLockOffset = 0x3fff0000;

private:
    int m_fd = -1;
    bool m_writable = false;
    bool m_exclusive = false;
    bool m_unsupported = false;
};

} // namespace velmora
