#pragma once

#include <QString>

namespace velmora {

class ConsolePrompts;
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
    // Opens the book for changing it, as the windows open a book (a narrow
    // one is widened); closing compacts it then. The password is found as
    // for reading (not asked again when the book is open for reading).
    // Messages of the store are taken from prompts.
    QString openForWriting(const ScriptRequest &request, ConsolePrompts &prompts);
    // Closes the book. A book opened for writing is compacted when it was
    // changed (setChanged), as the program compacts on closing.
    void close();
    void setChanged() { m_changed = true; }

    // The full path of the book of the request: --book made absolute, else
    // the "Default database" setting, else the standard book when it exists.
    // Empty with error set when there is none.
    static QString bookPath(const ScriptRequest &request, QString &error);

    QString path() const { return m_path; }

private:
    QString m_path;
    bool m_open = false;
    bool m_changed = false;
};

} // namespace velmora
