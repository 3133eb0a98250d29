#include "sync/SyncEngine.h"

// Placeholder until the engine lands.

namespace velmora {

QString SyncSummary::text() const
{
    return QStringLiteral("Pulled: %1, pushed: %2, removed: %3, conflicts: %4")
        .arg(pulled)
        .arg(pushed)
        .arg(removedLocal + removedRemote)
        .arg(conflicts);
}

SyncEngine::SyncEngine(DavServer &server, const QUrl &collection) : m_server(server), m_collection(collection)
{
}

SyncResult SyncEngine::run(const ProgressCallback &)
{
    return SyncResult{false, QStringLiteral("Synchronisation is not available yet."), {}};
}

} // namespace velmora
