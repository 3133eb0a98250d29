#pragma once

#include "store/BookLock.h"
#include "store/DbError.h"

#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace velmora {

class Recordset;

// One connection to one book file.
class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // Opens the file with the password (empty: none). A protected book is a
    // SQLCipher file keyed with the password; a book without password is a
    // plain SQLite file and opens whatever password is given. A wrong or
    // missing password fails with kWrongPasswordError; a file that is no book
    // (empty, text, cut short) fails with another number. A file that cannot
    // be written opens read-only (mode() != 16). Text "=" and LIKE ignore
    // case on this connection, ORDER BY sorts text in the user's locale, and
    // foreign keys are enforced. Opened for Reading, the file is never
    // written, whatever its permissions.
    //
    // While the book is open the connection holds the book's lock shared
    // (see BookLock): a file another copy is rewriting is opened once it is
    // done.
    enum class Access { Writing, Reading };
    DbError open(const QString &path, const QString &password, Access access = Access::Writing);
    // Closes the book and releases its lock (unless takeLock() took it).
    void close();
    // Tries to turn the book's lock into the exclusive one: true when no other
    // connection, in this process or another, has the book open.
    bool lockExclusively() { return m_lock.lockExclusive(); }
    // Hands the book's lock over to the caller, who then decides when it
    // ends: a book is rewritten after its close under the lock it was open
    // with, so that no other copy opens it in between.
    BookLock takeLock() { return std::move(m_lock); }
    int state() const;          // 0 closed, 1 open
    int mode() const;           // kModeReadWrite or another value
    QString dataSource() const; // path of the open file; keeps the last path after close
    void setDataSource(const QString &path);

    // Runs one statement of the program's SQL dialect; rows are discarded.
    // BEGIN, COMMIT and ROLLBACK pass through. More than one statement in the
    // text is refused.
    DbError execute(const QString &statement);
    sqlite3 *handle() const;

    // The statement SQLite runs for a statement of the dialect on this book
    // (knows which columns hold text, so that ORDER BY on numbers and dates
    // stays on SQLite's own order).
    QString translate(const QString &statement, bool sortByCollation = false);

private:
    friend DbError openRecordset(Connection &connection, const QString &statement, Recordset &rs);
    DbError alterColumn(const QString &table, const QString &column, const QString &type);
    bool mayHoldText(const QString &table, const QString &column);

    sqlite3 *m_db = nullptr;
    int m_mode = 0;
    QString m_dataSource;
    // Declared types by "table.column" and by "column", lower case; read
    // when needed, forgotten when the layout may have changed.
    QHash<QString, QStringList> m_columnTypes;
    bool m_columnTypesRead = false;
    BookLock m_lock;
};

// A static, read-only result set: all rows of one query, in query order.
class Recordset {
public:
    bool eof() const { return m_pos >= rowCount(); }
    bool bof() const { return m_pos < 0 || rowCount() == 0; }
    int columnCount() const { return int(m_columns.size()); }
    void moveNext()
    {
        if (m_pos < rowCount())
            ++m_pos;
    }
    void moveFirst() { m_pos = 0; }
    int recordCount() const { return rowCount(); }
    // Value by column name ("Firstname", or "Person.Contactnr" style).
    // A Null gives an invalid QVariant; a DATE column gives a QDate. An
    // unknown name gives an invalid QVariant.
    QVariant field(const QString &name) const;
    bool isNull(const QString &name) const { return !field(name).isValid(); }
    QString text(const QString &name) const { return field(name).toString(); }

    // Filled by the engine.
    struct Column {
        QString name;  // as selected (alias or column name)
        QString table; // origin table, empty for expressions
        bool isDate = false;
    };
    void reset(std::vector<Column> columns);
    void appendRow(std::vector<QVariant> row);

    const std::vector<Column> &columns() const { return m_columns; }

private:
    friend DbError openRecordset(Connection &connection, const QString &statement, Recordset &rs);
    static constexpr int kChunkBits = 12; // cells are kept in chunks of 4096
    int rowCount() const { return m_rows; }
    int columnIndex(const QString &name) const;
    void appendCell(QVariant value);
    std::vector<Column> m_columns;
    std::vector<std::vector<QVariant>> m_chunks;
    int m_rows = 0;
    int m_pos = 0;
    // Names looked up already: callers read the same few fields on every row.
    mutable std::vector<std::pair<QString, int>> m_lookups;
};

// Opens a static result set for a query of the program's SQL dialect.
DbError openRecordset(Connection &connection, const QString &statement, Recordset &rs);

// The row a forward-only pass stands on (see forEachRow). Columns by their
// position in the select list; valid only inside the call that receives it.
class RowView {
public:
    bool isNull(int column) const;
    qint64 integer(int column) const;
    // The column's text as UTF-8 bytes; empty for Null.
    QByteArrayView utf8(int column) const;

private:
    friend DbError forEachRow(Connection &, const QString &, const std::function<bool(const RowView &)> &);
    explicit RowView(sqlite3_stmt *st) : m_st(st) {}
    sqlite3_stmt *m_st;
};

// Runs a query of the program's SQL dialect and hands its rows one by one to
// visit, in query order, keeping none of them: for long passes in which only a
// few rows are wanted. visit returns false to stop the pass early.
DbError forEachRow(Connection &connection, const QString &statement,
                   const std::function<bool(const RowView &)> &visit);

// The catalog: file creation and table layout.
namespace catalog {
// Creates an empty book file without password (fails when the file exists or
// cannot be created).
DbError createFile(const QString &path);
// The layout of a table of the book open on the connection: its number of
// columns, and a column's defined size (n of CHAR(n); 1, 2, 4 and 8 for
// TINYINT, SMALLINT, INTEGER and DATE; 0 for MEMO). A missing table or
// column fails.
DbError columnCount(Connection &connection, const QString &table, int &count);
DbError definedSize(Connection &connection, const QString &table, const QString &column, int &size);
} // namespace catalog

// Copies a closed book file into a new file, changing the password on the way
// (empty: no password, a plain SQLite file). The destination must not exist;
// on failure it is removed again. A wrong source password fails with
// kWrongPasswordError.
DbError compactInto(const QString &sourcePath, const QString &sourcePassword, const QString &destinationPath,
                    const QString &destinationPassword);

} // namespace velmora
