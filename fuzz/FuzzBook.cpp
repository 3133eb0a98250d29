#include "FuzzBook.h"

#include "store/Database.h"

#include <QFile>

namespace velmora::fuzz {

QString FuzzBook::create(const QString &path, const QStringList &statements)
{
    m_connection.close();
    QFile::remove(path);
    if (const DbError e = catalog::createFile(path))
        return QStringLiteral("cannot create %1: %2").arg(path, e.description);
    if (const DbError e = m_connection.open(path, QString()))
        return QStringLiteral("cannot open %1: %2").arg(path, e.description);
    return run(Database::createTableStatements() + Database::upgradeStatements() + statements);
}

QString FuzzBook::run(const QStringList &statements)
{
    for (const QString &s : statements) {
        if (const DbError e = m_connection.execute(s))
            return s + QStringLiteral(": ") + e.description;
    }
    return {};
}

} // namespace velmora::fuzz
