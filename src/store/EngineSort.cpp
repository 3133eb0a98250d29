#include "store/EngineSort.h"

// SQLCipher declares sqlite3_key() only for builds with the codec.
#ifndef SQLITE_HAS_CODEC
#define SQLITE_HAS_CODEC 1
#endif
#include <sqlite3.h>

#include <algorithm>
#include <unordered_map>

namespace velmora::engine {

namespace {

int compareValues(const SortValue &a, const SortValue &b, const std::string &arena)
{
    if (a.kind != b.kind)
        return a.kind < b.kind ? -1 : 1;
    switch (a.kind) {
    case SortValue::Null:
        return 0;
    case SortValue::Number:
        if (a.isInteger && b.isInteger)
            return a.integer < b.integer ? -1 : (a.integer > b.integer ? 1 : 0);
        {
            const double x = a.isInteger ? double(a.integer) : a.real;
            const double y = b.isInteger ? double(b.integer) : b.real;
            return x < y ? -1 : (x > y ? 1 : 0);
        }
    default: {
        const std::string_view x(a.byKey ? a.key : arena.data() + a.offset, a.size);
        const std::string_view y(b.byKey ? b.key : arena.data() + b.offset, b.size);
        const int c = x.compare(y);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    }
}

} // namespace

SortValue sortValueOf(sqlite3_stmt *st, int i, bool byLocale, SortCollator::Session &collator,
                      std::string &arena)
{
    SortValue v;
    switch (sqlite3_column_type(st, i)) {
    case SQLITE_INTEGER:
        v.kind = SortValue::Number;
        v.isInteger = true;
        v.integer = sqlite3_column_int64(st, i);
        break;
    case SQLITE_FLOAT:
        v.kind = SortValue::Number;
        v.real = sqlite3_column_double(st, i);
        break;
    case SQLITE_TEXT: {
        v.kind = SortValue::Text;
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(st, i));
        const std::string_view view(text, size_t(sqlite3_column_bytes(st, i)));
        if (byLocale) {
            const std::string_view key = collator.sortKey(view);
            v.byKey = true;
            v.key = key.data();
            v.size = quint32(key.size());
        } else {
            v.offset = arena.size();
            v.size = quint32(view.size());
            arena.append(view);
        }
        break;
    }
    case SQLITE_BLOB: {
        v.kind = SortValue::Blob;
        const auto *data = static_cast<const char *>(sqlite3_column_blob(st, i));
        v.offset = arena.size();
        v.size = quint32(sqlite3_column_bytes(st, i));
        if (data)
            arena.append(data, v.size);
        break;
    }
    default:
        break;
    }
    return v;
}

// The order of the rows by their sort values (terms values each). Each
// term's values are first ranked among themselves (a name that comes back on
// many rows is placed once), then the rows are sorted on those small numbers.
std::vector<int> sortedOrder(const std::vector<SortValue> &keys, int terms,
                             const std::vector<bool> &descending, const std::string &arena)
{
    const size_t rows = keys.size() / size_t(terms);
    std::vector<int> ranks(keys.size());
    std::vector<size_t> distinct;
    std::unordered_map<const char *, int> seen;
    std::vector<int> classOf(rows);
    std::vector<int> rankCount(size_t(terms), 0);
    for (int t = 0; t < terms; ++t) {
        // Rows whose value is the same cached key share one entry.
        distinct.clear();
        seen.clear();
        for (size_t r = 0; r < rows; ++r) {
            const SortValue &v = keys[r * size_t(terms) + size_t(t)];
            if (v.byKey) {
                const auto [it, added] = seen.try_emplace(v.key, int(distinct.size()));
                if (added)
                    distinct.push_back(r);
                classOf[r] = it->second;
            } else {
                classOf[r] = int(distinct.size());
                distinct.push_back(r);
            }
        }
        const auto valueOfEntry = [&](int entry) -> const SortValue & {
            return keys[distinct[size_t(entry)] * size_t(terms) + size_t(t)];
        };
        std::vector<int> byValue(distinct.size());
        for (size_t i = 0; i < byValue.size(); ++i)
            byValue[i] = int(i);
        std::sort(byValue.begin(), byValue.end(),
                  [&](int a, int b) { return compareValues(valueOfEntry(a), valueOfEntry(b), arena) < 0; });
        std::vector<int> rankOfEntry(distinct.size());
        int rank = 0;
        for (size_t i = 0; i < byValue.size(); ++i) {
            if (i > 0 && compareValues(valueOfEntry(byValue[i - 1]), valueOfEntry(byValue[i]), arena) != 0)
                ++rank;
            rankOfEntry[size_t(byValue[i])] = rank;
        }
        if (descending[size_t(t)]) {
            for (int &r : rankOfEntry)
                r = rank - r;
        }
        for (size_t r = 0; r < rows; ++r)
            ranks[r * size_t(terms) + size_t(t)] = rankOfEntry[size_t(classOf[r])];
        rankCount[size_t(t)] = rank + 1;
    }

    // Counting sort by the last term, then by the one before ...: each pass
    // keeps the order of the previous one among equal ranks, and equal rows
    // keep the order SQLite gave them.
    std::vector<int> order(rows, 0);
    for (size_t r = 0; r < rows; ++r)
        order[r] = int(r);
    std::vector<int> next(rows, 0);
    std::vector<size_t> start;
    for (int t = terms - 1; t >= 0; --t) {
        start.assign(size_t(rankCount[size_t(t)]) + 1, 0);
        for (size_t r = 0; r < rows; ++r)
            ++start[size_t(ranks[r * size_t(terms) + size_t(t)]) + 1];
        for (size_t i = 1; i < start.size(); ++i)
            start[i] += start[i - 1];
        for (int r : order)
            next[start[size_t(ranks[size_t(r) * size_t(terms) + size_t(t)])]++] = r;
        order.swap(next);
    }
    return order;
}

} // namespace velmora::engine
