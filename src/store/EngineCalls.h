#pragma once

#include "store/Engine.h"

#include <QString>

struct sqlite3;
struct sqlite3_stmt;

namespace velmora::engine {

// The few SQLite calls the connection, the result sets and the catalog share.

// Finalizes its statement when it goes out of scope.
struct Statement {
    sqlite3_stmt *st = nullptr;
    Statement() = default;
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    ~Statement();
};

DbError errorOf(sqlite3 *db, int rc);
DbError wrongPassword();
DbError notOpen();

// Registers the functions and collations of the dialect on a connection.
void registerDialect(sqlite3 *db);

// Prepares one statement of SQLite's own SQL. The text must hold exactly one.
DbError prepareRaw(sqlite3 *db, const QString &sql, Statement &statement);
// Prepares a statement of the dialect. An ORDER BY whose sort keys SQLite
// cannot take (a name only the result columns know, for instance) is
// prepared again with the collation.
DbError prepareDialect(Connection &connection, const QString &statement, Statement &prepared);
DbError stepToEnd(sqlite3 *db, sqlite3_stmt *st);
DbError run(sqlite3 *db, const QString &sql);

QString quoteName(const QString &name);
QString columnText(sqlite3_stmt *st, int i);

// Opens a book file after judging from its first bytes whether it is a plain
// or an encrypted one, with the password where the file is encrypted. Fills
// db (closed again on failure) and writable.
DbError openFile(const QString &path, const QString &password, bool wantWrite, sqlite3 *&db, bool &writable,
                 int openFlags = 0);

} // namespace velmora::engine
