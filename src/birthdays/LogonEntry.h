#pragma once

#include <QString>

namespace velmora {

// The log-on start of the birthday reminder: an XDG autostart entry
// (~/.config/autostart/velmora-birthday-reminder.desktop, following
// XDG_CONFIG_HOME) that starts this program's executable with "/Reminder" at
// every log-on. A failure to write or remove it is told to the user; it never
// stops the caller.

// Switches the reminder on. When it was off and the default database exists,
// today's reminder is shown at once by a second copy of the program; the
// setting "Birthday reminder" becomes "1". The log-on entry is (re)written in
// every case. False when the entry could not be written (the user was told).
bool enableReminder();
// Stores "0" in "Birthday reminder" and removes the log-on entry. False when
// an existing entry could not be removed (the user was told).
bool disableReminder();
// True when the log-on entry is missing or starts another program than this
// copy would write (the program was moved).
bool logonEntryOutdated();
// At the start of the main window: when the reminder is on and the entry is
// outdated, write it again.
void refreshLogonEntry();

// The autostart entry file.
QString logonEntryFile();
// The Exec value of the entry for an executable: the quoted path and " /Reminder".
QString logonEntryExec(const QString &executable);
// The whole entry file for an executable.
QByteArray logonEntryContent(const QString &executable);
// The Exec value of an entry file's [Desktop Entry] group; empty when missing.
QString readLogonEntryExec(const QByteArray &content);

} // namespace velmora
