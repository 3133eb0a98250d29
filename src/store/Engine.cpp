#include "store/Engine.h"

#include "store/EngineCalls.h"
#include "store/SqlTranslator.h"

// SQLCipher declares sqlite3_key() only for builds with the codec.
#ifndef SQLITE_HAS_CODEC
#define SQLITE_HAS_CODEC 1
#endif
#include <sqlite3.h>

namespace velmora {

using namespace engine;

// ---------------------------------------------------------------- Connection

Connection::Connection() = default;

Connection::~Connection()
{
    close();
}

DbError Connection::open(const QString &path, const QString &password, Access access)
{
    close();
    m_dataSource = path;
    if (DbError e = m_lock.lockShared(path))
        return e;
    sqlite3 *db = nullptr;
    bool writable = false;
    if (DbError e = openFile(path, password, access == Access::Writing, db, writable)) {
        m_lock.release();
        return e;
    }
    sqlite3_exec(db, "PRAGMA foreign_keys = ON", nullptr, nullptr, nullptr);
    // Room for a whole book in memory: sorting the list of 32,767 persons
    // then never spills into temporary files.
    sqlite3_exec(db, "PRAGMA cache_size = -32768", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA temp_store = MEMORY", nullptr, nullptr, nullptr);
    // A book only read is mapped instead of copied page by page (an
    // encrypted one is always read through its cipher).
    if (access == Access::Reading)
        sqlite3_exec(db, "PRAGMA mmap_size = 268435456", nullptr, nullptr, nullptr);
    registerDialect(db);
    m_db = db;
    m_mode = writable ? kModeReadWrite : kModeRead;
    m_columnTypesRead = false;
    return {};
}

void Connection::close()
{
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
    m_lock.release();
    m_mode = 0;
    m_columnTypes.clear();
    m_columnTypesRead = false;
}

int Connection::state() const
{
    return m_db ? 1 : 0;
}

int Connection::mode() const
{
    return m_mode;
}

QString Connection::dataSource() const
{
    return m_dataSource;
}

void Connection::setDataSource(const QString &path)
{
    m_dataSource = path;
}

sqlite3 *Connection::handle() const
{
    return m_db;
}

QString Connection::translate(const QString &statement, bool sortByCollation)
{
    SqlTranslator translator;
    translator.setTextColumnTest(
        [this](const QString &table, const QString &column) { return mayHoldText(table, column); });
    translator.setSortMode(sortByCollation ? SqlTranslator::SortMode::Collation
                                           : SqlTranslator::SortMode::SortKey);
    return translator.translate(statement);
}

bool Connection::mayHoldText(const QString &table, const QString &column)
{
    if (!m_db)
        return true;
    if (!m_columnTypesRead) {
        m_columnTypes.clear();
        QStringList tables;
        {
            Statement st;
            if (!prepareRaw(m_db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"),
                            st)) {
                while (sqlite3_step(st.st) == SQLITE_ROW)
                    tables << columnText(st.st, 0);
            }
        }
        for (const QString &name : tables) {
            Statement st;
            if (prepareRaw(m_db, QStringLiteral("PRAGMA table_info(%1)").arg(quoteName(name)), st))
                continue;
            while (sqlite3_step(st.st) == SQLITE_ROW) {
                const QString col = columnText(st.st, 1).toLower();
                const QString type = columnText(st.st, 2);
                m_columnTypes[name.toLower() + QLatin1Char('.') + col] << type;
                m_columnTypes[col] << type;
            }
        }
        m_columnTypesRead = true;
    }
    const QString key =
        table.isEmpty() ? column.toLower() : table.toLower() + QLatin1Char('.') + column.toLower();
    const auto it = m_columnTypes.constFind(key);
    if (it == m_columnTypes.constEnd())
        return true; // an alias or an expression's name: may be anything
    for (const QString &type : *it) {
        if (SqlTranslator::affinity(type) == QLatin1String("TEXT"))
            return true;
    }
    return false;
}

DbError Connection::execute(const QString &statement)
{
    if (!m_db)
        return notOpen();
    SqlTranslator::AlterColumn alter;
    if (SqlTranslator::parseAlterColumn(statement, alter))
        return alterColumn(alter.table, alter.column, alter.type);
    const QString keyword = SqlTranslator::leadingKeyword(statement);
    if (keyword == QLatin1String("CREATE") || keyword == QLatin1String("DROP") ||
        keyword == QLatin1String("ALTER") || keyword == QLatin1String("ROLLBACK"))
        m_columnTypesRead = false;
    Statement prepared;
    if (DbError e = prepareDialect(*this, statement, prepared))
        return e;
    return stepToEnd(m_db, prepared.st);
}

DbError Connection::alterColumn(const QString &table, const QString &column, const QString &type)
{
    m_columnTypesRead = false;
    QString storedName;
    QString sql;
    {
        Statement st;
        if (DbError e = prepareRaw(m_db,
                                   QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type = 'table' "
                                                  "AND name = ?1 COLLATE NOCASE"),
                                   st))
            return e;
        const QByteArray name = table.toUtf8();
        sqlite3_bind_text(st.st, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        const int rc = sqlite3_step(st.st);
        if (rc == SQLITE_ROW) {
            storedName = columnText(st.st, 0);
            sql = columnText(st.st, 1);
        } else if (rc != SQLITE_DONE) {
            return errorOf(m_db, rc);
        }
    }
    if (storedName.isEmpty())
        return DbError{SQLITE_ERROR, QStringLiteral("no such table: %1").arg(table)};
    QString newSql;
    QString oldType;
    if (!SqlTranslator::replaceColumnType(sql, column, type, newSql, &oldType))
        return DbError{SQLITE_ERROR, QStringLiteral("no such column: %1").arg(column)};
    if (oldType.simplified().compare(type, Qt::CaseInsensitive) == 0)
        return {};
    if (SqlTranslator::affinity(oldType) != SqlTranslator::affinity(type)) {
        return DbError{
            SQLITE_ERROR,
            QStringLiteral("The column %1 cannot change from %2 to %3: it would hold another kind of value.")
                .arg(column, oldType, type)};
    }

    // The values stay as they are (the kind of value the column holds does
    // not change), so only the declared type in the schema is rewritten.
    int version = 0;
    {
        Statement st;
        if (DbError e = prepareRaw(m_db, QStringLiteral("PRAGMA schema_version"), st))
            return e;
        if (sqlite3_step(st.st) != SQLITE_ROW)
            return errorOf(m_db, sqlite3_errcode(m_db));
        version = sqlite3_column_int(st.st, 0);
    }
    if (DbError e = run(m_db, QStringLiteral("SAVEPOINT velmora_alter_column")))
        return e;
    DbError error = run(m_db, QStringLiteral("PRAGMA writable_schema = ON"));
    if (!error) {
        Statement st;
        error = prepareRaw(
            m_db, QStringLiteral("UPDATE sqlite_master SET sql = ?1 WHERE type = 'table' AND name = ?2"), st);
        if (!error) {
            const QByteArray sqlBytes = newSql.toUtf8();
            const QByteArray nameBytes = storedName.toUtf8();
            sqlite3_bind_text(st.st, 1, sqlBytes.constData(), int(sqlBytes.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(st.st, 2, nameBytes.constData(), int(nameBytes.size()), SQLITE_TRANSIENT);
            error = stepToEnd(m_db, st.st);
        }
    }
    if (!error)
        error = run(m_db, QStringLiteral("PRAGMA schema_version = %1").arg(version + 1));
    run(m_db, QStringLiteral("PRAGMA writable_schema = OFF"));
    if (error) {
        run(m_db, QStringLiteral("ROLLBACK TO velmora_alter_column"));
        run(m_db, QStringLiteral("RELEASE velmora_alter_column"));
        return error;
    }
    if (DbError e = run(m_db, QStringLiteral("RELEASE velmora_alter_column"))) {
        run(m_db, QStringLiteral("ROLLBACK TO velmora_alter_column"));
        run(m_db, QStringLiteral("RELEASE velmora_alter_column"));
        return e;
    }
    // This connection still holds the old layout in memory: setting the
    // schema version marks it changed, and rolling that back makes SQLite
    // read the layout from the file again.
    if (!run(m_db, QStringLiteral("SAVEPOINT velmora_reload_schema"))) {
        run(m_db, QStringLiteral("PRAGMA schema_version = %1").arg(version + 1));
        run(m_db, QStringLiteral("ROLLBACK TO velmora_reload_schema"));
        run(m_db, QStringLiteral("RELEASE velmora_reload_schema"));
    }
    return {};
}

} // namespace velmora
