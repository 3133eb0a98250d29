#include "store/Engine.h"

#include "store/EngineCalls.h"

#include <QFile>
#include <QFileInfo>

// SQLCipher declares sqlite3_key() only for builds with the codec.
#ifndef SQLITE_HAS_CODEC
#define SQLITE_HAS_CODEC 1
#endif
#include <sqlite3.h>

#include <utility>
#include <vector>

namespace velmora {

using namespace engine;

// ------------------------------------------------------------------- Catalog

namespace catalog {

DbError createFile(const QString &path)
{
    if (QFileInfo::exists(path))
        return DbError{kFileExistsError, QStringLiteral("The file %1 already exists.").arg(path)};
    sqlite3 *db = nullptr;
    int rc =
        sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    DbError error;
    if (rc != SQLITE_OK)
        error = errorOf(db, rc);
    else
        error = run(db, QStringLiteral("PRAGMA page_size = 4096"));
    // Writing the header makes the file a database even while it has no table.
    if (!error)
        error = run(db, QStringLiteral("PRAGMA user_version = 0"));
    sqlite3_close(db);
    if (error) {
        QFile::remove(path);
        return error;
    }
    return {};
}

namespace {

DbError tableInfo(Connection &connection, const QString &table,
                  std::vector<std::pair<QString, QString>> &columns)
{
    columns.clear();
    if (!connection.handle())
        return notOpen();
    Statement st;
    if (DbError e = prepareRaw(connection.handle(),
                               QStringLiteral("PRAGMA table_info(%1)").arg(quoteName(table)), st))
        return e;
    int rc;
    while ((rc = sqlite3_step(st.st)) == SQLITE_ROW)
        columns.emplace_back(columnText(st.st, 1), columnText(st.st, 2));
    if (rc != SQLITE_DONE)
        return errorOf(connection.handle(), rc);
    if (columns.empty())
        return DbError{SQLITE_ERROR, QStringLiteral("no such table: %1").arg(table)};
    return {};
}

} // namespace

DbError columnCount(Connection &connection, const QString &table, int &count)
{
    std::vector<std::pair<QString, QString>> columns;
    if (DbError e = tableInfo(connection, table, columns))
        return e;
    count = int(columns.size());
    return {};
}

DbError definedSize(Connection &connection, const QString &table, const QString &column, int &size)
{
    std::vector<std::pair<QString, QString>> columns;
    if (DbError e = tableInfo(connection, table, columns))
        return e;
    for (const auto &[name, type] : columns) {
        if (name.compare(column, Qt::CaseInsensitive) != 0)
            continue;
        const QString upper = type.toUpper().simplified();
        const qsizetype open = upper.indexOf(QLatin1Char('('));
        if (open >= 0) {
            bool ok = false;
            const int n =
                upper.mid(open + 1, upper.indexOf(QLatin1Char(')'), open) - open - 1).trimmed().toInt(&ok);
            if (ok) {
                size = n;
                return {};
            }
        }
        if (upper.startsWith(QLatin1String("TINYINT")) || upper.startsWith(QLatin1String("BYTE")))
            size = 1;
        else if (upper.startsWith(QLatin1String("SMALLINT")) || upper.startsWith(QLatin1String("SHORT")))
            size = 2;
        else if (upper.startsWith(QLatin1String("DATE")) || upper.startsWith(QLatin1String("DOUBLE")) ||
                 upper.startsWith(QLatin1String("REAL")) || upper.startsWith(QLatin1String("BIGINT")))
            size = 8;
        else if (upper.contains(QLatin1String("INT")) || upper.startsWith(QLatin1String("LONG")))
            size = 4;
        else
            size = 0;
        return {};
    }
    return DbError{SQLITE_ERROR, QStringLiteral("no such column: %1.%2").arg(table, column)};
}

} // namespace catalog

// ---------------------------------------------------------------- Compaction

DbError compactInto(const QString &sourcePath, const QString &sourcePassword, const QString &destinationPath,
                    const QString &destinationPassword)
{
    if (QFileInfo::exists(destinationPath))
        return DbError{kFileExistsError, QStringLiteral("The file %1 already exists.").arg(destinationPath)};
    sqlite3 *db = nullptr;
    bool writable = false;
    // The copy is attached with the source's open flags, so they must allow
    // creating a file; the source itself exists and is only read.
    if (DbError e = openFile(sourcePath, sourcePassword, false, db, writable,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE))
        return e;
    DbError error;
    bool attached = false;
    {
        Statement st;
        error = prepareRaw(db, QStringLiteral("ATTACH DATABASE ?1 AS velmora_compact KEY ?2"), st);
        if (!error) {
            const QByteArray path = destinationPath.toUtf8();
            QByteArray key = destinationPassword.toUtf8();
            sqlite3_bind_text(st.st, 1, path.constData(), int(path.size()), SQLITE_TRANSIENT);
            // An empty key (not Null) makes the copy a plain file.
            sqlite3_bind_text(st.st, 2, key.isEmpty() ? "" : key.constData(), int(key.size()),
                              SQLITE_TRANSIENT);
            key.fill('\0');
            error = stepToEnd(db, st.st);
            attached = !error;
        }
    }
    if (!error && destinationPassword.isEmpty())
        error = run(db, QStringLiteral("PRAGMA velmora_compact.page_size = 4096"));
    if (!error)
        error = run(db, QStringLiteral("BEGIN"));
    if (!error) {
        error = run(db, QStringLiteral("SELECT sqlcipher_export('velmora_compact')"));
        if (!error)
            error = run(db, QStringLiteral("COMMIT"));
        else
            run(db, QStringLiteral("ROLLBACK"));
    }
    if (attached) {
        const DbError detach = run(db, QStringLiteral("DETACH DATABASE velmora_compact"));
        if (!error)
            error = detach;
    }
    sqlite3_close_v2(db);
    if (error)
        QFile::remove(destinationPath);
    return error;
}

} // namespace velmora
