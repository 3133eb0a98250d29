#pragma once

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

} // namespace velmora::bench
