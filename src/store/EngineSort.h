#pragma once

#include "store/SortCollator.h"

#include <QtGlobal>
#include <string>
#include <vector>

struct sqlite3_stmt;

namespace velmora::engine {

// The engine's own sort of a result set (faster than SQLite's sorter on a
// long list of names).

// One value of a sort term, ordered as SQLite orders values: Null, then
// numbers, then texts, then binary values. Texts sorted in the user's locale
// point to their cached sort key; other texts and binary values to their
// bytes in the sort's arena.
struct SortValue {
    enum Kind : unsigned char { Null, Number, Text, Blob };
    Kind kind = Null;
    bool isInteger = false;
    bool byKey = false;
    quint32 size = 0;
    union {
        qint64 integer = 0;
        double real;
        size_t offset; // into the arena
    };
    const char *key = nullptr;
};

// The sort value of column i of the row the statement stands on. Texts sorted
// in the user's locale get their cached sort key; other texts and binary
// values are copied into the arena.
SortValue sortValueOf(sqlite3_stmt *st, int i, bool byLocale, SortCollator::Session &collator,
                      std::string &arena);

// The order of the rows by their sort values (terms values each). Each
// term's values are first ranked among themselves (a name that comes back on
// many rows is placed once), then the rows are sorted on those small numbers.
std::vector<int> sortedOrder(const std::vector<SortValue> &keys, int terms,
                             const std::vector<bool> &descending, const std::string &arena);

} // namespace velmora::engine
