#pragma once

#include <QString>

namespace velmora {

// The start-up migration of the settings, run once before any other setting is
// read: when this user has no settings yet, "Check version", "Default
// database" and "Language" are taken over from the old per-user INI file
// (program folder/Settings/<user name>.ini), which is then deleted; then the
// "Yes"/"No" values of "Birthday reminder", "Check version" and "Reminder
// Sound" become "1"/"0".
void initSettings();

// The old per-user settings file of the current user.
QString oldSettingsFile();
// Copies one key of section [Settings] of the old file into the settings.
void importIniSetting(const QString &iniFile, const QString &name);
// "Yes" becomes "1", "No" becomes "0"; any other value stays.
void convertYesNoSetting(const QString &name);

} // namespace velmora
