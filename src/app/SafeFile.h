#pragma once

#include <QByteArray>
#include <QString>

namespace velmora {

// The outcome of writing a file for the user. errorText is a complete message
// naming the file, ready for a message box.
struct FileResult {
    bool ok = true;
    QString errorText;
    explicit operator bool() const { return ok; }
};

// Every file the program writes into the user's folders goes through these:
// the bytes are written to a new file beside the target, forced to disk and
// renamed over the target in one step, so the target is either the old file
// or the complete new one, never a torn mix. An existing target keeps its
// permissions. A write-protected existing target is refused and left alone
// (whoever runs the program, root included).
FileResult writeFileSafely(const QString &target, const QByteArray &bytes);
// The same with the bytes of another file (a generated page, an export).
FileResult copyFileSafely(const QString &source, const QString &target);

} // namespace velmora
