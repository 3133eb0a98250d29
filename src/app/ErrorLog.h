#pragma once

#include <QDateTime>
#include <QString>

namespace velmora {

// The error log and the program's fixed reports.
//
// The log is a plain text file, one line per entry: the date in the user's
// short date format, a blank, the time in the user's time format, " - " and
// the entry text, ended by CR LF. It is never truncated or read back.

// Where the log is written: Velmora.log in the program folder when it can be
// written there, otherwise ~/.local/share/Velmora/Velmora.log.
QString logFilePath();
QString fallbackLogFilePath();

// One log line (with its CR LF) for an entry made at the given moment.
QString logLine(const QDateTime &at, const QString &text);

// Appends one line with the current date and time. Never fails the caller:
// when no log file can be written the entry is dropped.
void writeLog(const QString &text);

// The data-access layer cannot be used: log, tell the user, offer the
// website (opened on OK).
void mdacError(int number, const QString &description);
// The engine cannot create or reach a file: the same report.
void jetError(int number, const QString &description);

// The "message and log" reaction: a message "Error n: d" and the log entry
// logPrefix + "n: d" (logPrefix such as "Error adding password: ").
void reportError(const QString &logPrefix, int number, const QString &description);

} // namespace velmora
