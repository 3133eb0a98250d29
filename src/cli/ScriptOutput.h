#pragma once

#include <QString>

namespace velmora {

// The file or folder a script writes to, checked before the book is opened:
// a file that exists is replaced only with --force, and a folder that is
// missing is said at once. The writing itself goes through the safe file
// writer (beside the target, renamed into place).
class ScriptOutput {
public:
    // The full path of an output file. Empty with error set when it cannot
    // be written: a folder of that name, an existing file without force, a
    // missing folder.
    static QString file(const QString &target, bool force, QString &error);
    // The full path of the folder an action writes into (made when missing).
    // Empty with error set when it is a file.
    static QString folder(const QString &target, QString &error);
};

} // namespace velmora
