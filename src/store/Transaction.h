#pragma once

#include "store/Engine.h"

namespace velmora {

// Several statements that stand or fall together, on the current connection
// of the SQL door. Unless commit() succeeded, everything run since begin() is
// undone when the transaction ends.
//
//     Transaction t;
//     if (DbError e = t.begin())
//         return e;
//     ... executeSql(...) ...
//     return t.commit();
class Transaction {
public:
    Transaction() = default;
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    DbError begin();
    // Makes the changes lasting. When it fails the changes are undone.
    DbError commit();
    // Undoes the changes now (also done by the destructor).
    void rollback();
    bool active() const { return m_active; }

private:
    bool m_active = false;
};

} // namespace velmora
