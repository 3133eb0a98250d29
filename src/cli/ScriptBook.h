#pragma once

#include <QString>

namespace velmora {

struct ScriptRequest;

// The book a script works on: the one named with --book, else the default
// book. It is opened for reading, so nothing in the file changes, and closed
// as the program closes a book when this object goes (a book opened for
// reading is never compacted). A protected book takes its password from
// --password-file or, when there is none, from the terminal; without a
// terminal the script fails with a clear message instead of waiting.
class ScriptBook {
public:
    ScriptBook() = default;
    ~ScriptBook();
    ScriptBook(const ScriptBook &) = delete;
    ScriptBook &operator=(const ScriptBook &) = delete;

    // Opens the book of the request for reading. Empty result: the book is
    // open (the current connection). Otherwise what went wrong, in one line.
    QString openForReading(const ScriptRequest &request);
    void close();

    // The full path of the book of the request: --book made absolute, else
    // the "Default database" setting, else the standard book when it exists.
    // Empty with error set when there is none.
    static QString bookPath(const ScriptRequest &request, QString &error);

    QString path() const { return m_path; }

private:
    QString m_path;
    bool m_open = false;
};

} // namespace velmora
