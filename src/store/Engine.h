#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

struct sqlite3;

namespace velmora {

// Error as the store reports it: a number and a description. Number 0 means
// success.
struct DbError {
    int number = 0;
    QString description;
    bool failed() const { return number != 0; }
    explicit operator bool() const { return failed(); }
};

// The engine's report of a wrong or missing password.
inline constexpr int kWrongPasswordError = -2147217843;

// Connection modes as the store reports them: 16 read and write, anything
// else read-only.
inline constexpr int kModeReadWrite = 16;
inline constexpr int kModeRead = 1;

// One connection to one book file.
class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // Opens the file with the password (empty: none). A wrong or missing
    // password fails with kWrongPasswordError. A file that cannot be written
    // opens read-only (mode() != 16).
    DbError open(const QString &path, const QString &password);
    void close();
    int state() const;   // 0 closed, 1 open
    int mode() const;    // kModeReadWrite or another value
    QString dataSource() const; // path of the open file; keeps the last path after close
    void setDataSource(const QString &path);

    // Runs one statement of the program's SQL dialect; rows are discarded.
    DbError execute(const QString &statement);
    sqlite3 *handle() const;

private:
    sqlite3 *m_db = nullptr;
    int m_mode = 0;
    QString m_dataSource;
};

// A static, read-only result set: all rows of one query, in query order.
class Recordset {
public:
    bool eof() const { return m_pos >= rowCount(); }
    bool bof() const { return m_pos < 0 || rowCount() == 0; }
    void moveNext() { if (m_pos < rowCount()) ++m_pos; }
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

private:
    int rowCount() const { return m_columns.empty() ? 0 : int(m_cells.size() / m_columns.size()); }
    int columnIndex(const QString &name) const;
    std::vector<Column> m_columns;
    std::vector<QVariant> m_cells;
    int m_pos = 0;
};

// Opens a static result set for a query of the program's SQL dialect.
DbError openRecordset(Connection &connection, const QString &statement, Recordset &rs);

// The catalog: file creation and table layout.
namespace catalog {
// Creates an empty book file (fails when it cannot be created).
DbError createFile(const QString &path);
// Checks that the file opens with the password (wrong password:
// kWrongPasswordError) and reads its layout.
DbError columnCount(Connection &connection, const QString &table, int &count);
DbError definedSize(Connection &connection, const QString &table, const QString &column, int &size);
} // namespace catalog

// Copies a closed book file into a new file, changing the password on the way
// (empty: no password). The destination must not exist.
DbError compactInto(const QString &sourcePath, const QString &sourcePassword,
                    const QString &destinationPath, const QString &destinationPassword);

// Rewrites a statement of the program's dialect (date literals #m/d/yyyy#,
// Month(), Day(), bare Order/Number/Note, MEMO/DATE types, ALTER COLUMN, ...)
// into the statement SQLite runs.
QString translateStatement(const QString &statement);

} // namespace velmora
