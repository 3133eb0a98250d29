#pragma once

#include "store/Engine.h"

#include <benchmark/benchmark.h>

#include <QString>

namespace velmora::bench {

// Writes large address books for the benchmarks: persons numbered from 1
// with realistic (often accented) names, three phone numbers, two e-mail
// addresses, an address and a note each, and a date of birth for most. The
// file is made the way the program makes one (the schema statements, then the
// widening of an upgraded file) and filled in one transaction. Each size is
// written once per process; later calls give the same path.
class BookGenerator {
public:
    // The path of a plain book holding persons 1 to count.
    static QString book(int count);
    // Writes such a book at path (which must not exist); false on failure.
    static bool write(const QString &path, int count);
};

// A generated book as the current connection for the length of one
// benchmark; the benchmark is skipped when the book cannot be opened.
class OpenBook {
public:
    explicit OpenBook(benchmark::State &state, int count = 32767);
    ~OpenBook();
    OpenBook(const OpenBook &) = delete;
    OpenBook &operator=(const OpenBook &) = delete;
    bool isOpen() const { return m_open; }

private:
    Connection m_connection;
    Connection *m_before = nullptr;
    bool m_open = false;
};

} // namespace velmora::bench
