#pragma once

#include <QString>
#include <optional>

namespace velmora {

// Where the command line for scripts gets a protected book's password: a
// file named with --password-file, or the user typing it on the terminal.
// Never the command line itself, where other users could read it.
class PasswordSource {
public:
    // The first line of the file, without its line end (LF or CR LF); the
    // rest of the file is not read. Empty result and error set when the file
    // cannot be read or holds no password.
    static QString readFile(const QString &path, QString &error);

    // Whether the process has a terminal to ask on (cron and ssh without a
    // terminal have none).
    static bool hasTerminal();

    // Shows prompt on the terminal and reads one line without echoing it.
    // None when there is no terminal or reading failed; an interrupt (Ctrl+C)
    // while typing switches echo back on before the process ends.
    static std::optional<QString> askOnTerminal(const QString &prompt);
};

} // namespace velmora
