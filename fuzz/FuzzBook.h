#pragma once

#include "store/Engine.h"

#include <QString>
#include <QStringList>

namespace velmora::fuzz {

// A book file of the fuzz world, open on its own connection: the three
// tables in today's layout, then the given statements. Fails (and says why)
// when a statement fails.
class FuzzBook {
public:
    FuzzBook() = default;
    ~FuzzBook() { m_connection.close(); }
    FuzzBook(const FuzzBook &) = delete;
    FuzzBook &operator=(const FuzzBook &) = delete;

    QString create(const QString &path, const QStringList &statements = {});
    Connection &connection() { return m_connection; }
    // Runs statements; the first failure as "statement: error".
    QString run(const QStringList &statements);

private:
    Connection m_connection;
};

} // namespace velmora::fuzz
