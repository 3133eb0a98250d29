#pragma once

#include <QString>
#include <QStringList>

namespace velmora {

// How the program was asked to start, by its trimmed command line.
enum class StartMode {
    Reminder,     // exactly "/Reminder": only the birthday reminder runs
    Person,       // "/Person" and a person key: default book, that person shown
    DatabasePath, // any other text: the path of a book to open
    Default,      // nothing: the default book
};

// The command line as one text: the arguments after the program name joined
// with blanks, trimmed of blanks. Quotes are not removed.
QString joinArguments(const QStringList &arguments);

// The process's trimmed command line (set once at start; tests set their own).
QString commandLine();
void setCommandLine(const QString &line);

StartMode startModeOf(const QString &line);
// The command line with a book path made full and clean against the working
// folder, as the settings hold paths ("book.mdb" run in /home/ann is
// "/home/ann/book.mdb"). Other command lines come back as they are. Done once
// at start, before the path is checked, opened or stored.
QString withFullBookPath(const QString &line, const QString &workingFolder);
// The person key of a "/Person" command line: the text without its "/".
QString personKeyOf(const QString &line);

// Marks the program as running for other software (an installer, say): a
// lock file in the user's runtime folder, held until the process ends. A
// second copy starts normally whether or not it gets the lock.
void holdRunningMarker();
QString runningMarkerPath();

// The main window starts maximized only for a stored "2"; a stored "1"
// (minimized) or anything else starts normal.
bool restoresMaximized(const QString &windowStateSetting);
// The setting text of a window state: "0" normal, "1" minimized, "2" maximized.
QString windowStateText(bool minimized, bool maximized);

} // namespace velmora
