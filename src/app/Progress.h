#pragma once

#include <functional>

namespace velmora {

// How a long job (calendar pages, exports, imports) tells how far it is:
// called with the steps done so far and the number of steps in all. The
// windows show it in the progress window; code without a window passes an
// empty function.
using ProgressCallback = std::function<void(int done, int total)>;

// Calls progress when it is set.
inline void reportProgress(const ProgressCallback &progress, int done, int total)
{
    if (progress)
        progress(done, total);
}

} // namespace velmora
