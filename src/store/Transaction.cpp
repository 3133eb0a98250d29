#include "store/Transaction.h"

#include "store/Sql.h"

namespace velmora {

Transaction::~Transaction()
{
    rollback();
}

DbError Transaction::begin()
{
    if (m_active)
        return {};
    DbError e = executeSql(QStringLiteral("BEGIN TRANSACTION"));
    m_active = !e.failed();
    return e;
}

DbError Transaction::commit()
{
    if (!m_active)
        return {};
    DbError e = executeSql(QStringLiteral("COMMIT TRANSACTION"));
    if (e.failed()) {
        rollback();
        return e;
    }
    m_active = false;
    return {};
}

void Transaction::rollback()
{
    if (!m_active)
        return;
    m_active = false;
    executeSql(QStringLiteral("ROLLBACK TRANSACTION"));
}

} // namespace velmora
