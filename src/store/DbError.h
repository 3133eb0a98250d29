#pragma once

#include <QString>

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
// Other failures carry SQLite's result code (SQLITE_ERROR, SQLITE_CONSTRAINT,
// SQLITE_NOTADB ...) and its message, or one of these:
inline constexpr int kNotOpenError = 3704;    // no book open on the connection
inline constexpr int kFileExistsError = 3204; // the file to be created exists
inline constexpr int kNotFoundError = 3024;   // the file is not there

// Connection modes as the store reports them: 16 read and write, anything
// else read-only.
inline constexpr int kModeReadWrite = 16;
inline constexpr int kModeRead = 1;

} // namespace velmora
