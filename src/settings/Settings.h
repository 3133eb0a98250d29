#pragma once

#include <QString>

namespace velmora {

// Named text settings of the current user. Missing reads as empty; values
// are trimmed on write.
QString getSetting(const QString &name);
void saveSetting(const QString &name, const QString &value);
void deleteSetting(const QString &name);

} // namespace velmora
