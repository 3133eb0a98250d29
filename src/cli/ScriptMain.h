#pragma once

namespace velmora {

// Whether the program was started with the script forms (the first argument
// starts with "--"). Decided from the raw arguments, before any application
// object exists.
bool isScriptCommandLine(int argc, char **argv);

// Runs the command line for scripts on a QCoreApplication: no window, no
// display, no platform plugin. Returns the exit status.
int runScriptCommandLine(int argc, char **argv);

} // namespace velmora
