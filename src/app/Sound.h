#pragma once

#include <QString>

namespace velmora {

// Plays a wave file asynchronously, without any fallback sound: an empty
// path, a missing file or a machine without sound stays silent, with no
// message.
void playSound(const QString &path);

} // namespace velmora
