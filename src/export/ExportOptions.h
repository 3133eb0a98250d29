#pragma once

#include <functional>

namespace velmora {

// The details the user ticked in the export window (chkName ... chkNote).
struct ExportOptions {
    bool name = true;
    bool dateOfBirth = true;
    bool address = true;
    bool phone = true;
    bool phoneDescription = true;
    bool email = true;
    bool emailDescription = true;
    bool note = true;
};

// How an export reports its progress to the window that runs it: start with
// the number of steps, one step at a time, finish once. Unset members are
// skipped.
struct ExportProgress {
    std::function<void(int maximum)> start;
    std::function<void()> step;
    std::function<void()> finish;
};

} // namespace velmora
