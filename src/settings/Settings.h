#pragma once

#include <QString>

namespace velmora {

// Named text settings of the current user, kept in the settings store
// (velmora::settingsStore(): ~/.config/Velmora/Velmora.conf). The names are
// those of the settings table ("Birthday reminder", "Recent 1", ...), used
// unchanged. Missing reads as empty; values are trimmed on write; any text
// round-trips (commas, semicolons, quotes, a leading "@", non-ASCII, long
// paths). Every read sees changes another copy of the program wrote since.
// Failures are never reported: a failed read gives the empty text, a failed
// write or delete is dropped.
QString getSetting(const QString &name);
void saveSetting(const QString &name, const QString &value);
void deleteSetting(const QString &name);

// True when the settings store holds settings of this user already (the
// settings file exists), false before anything was ever written.
bool settingsExist();

} // namespace velmora
