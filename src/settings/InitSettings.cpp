#include "settings/InitSettings.h"

#include "app/Paths.h"
#include "app/Seams.h"
#include "settings/Environment.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"

#include <QFile>
#include <QSettings>

namespace velmora {

QString oldSettingsFile()
{
    return paths().dataFolder(QStringLiteral("Settings")) + QLatin1Char('/') + getWindowsUserName() +
           QStringLiteral(".ini");
}

void importIniSetting(const QString &iniFile, const QString &name)
{
    QString text = IniFile::load(iniFile).value(QStringLiteral("Settings"), name);
    if (text.isEmpty())
        return;
    if (text == QStringLiteral("español"))
        text = QStringLiteral("Español");
    saveSetting(name, text);
}

void convertYesNoSetting(const QString &name)
{
    const QString value = getSetting(name);
    if (value == QLatin1String("Yes"))
        saveSetting(name, QStringLiteral("1"));
    else if (value == QLatin1String("No"))
        saveSetting(name, QStringLiteral("0"));
}

void initSettings()
{
    if (!settingsExist()) {
        const QString iniFile = oldSettingsFile();
        if (fileExists(iniFile)) {
            for (const char *name : {"Check version", "Default database", "Language"})
                importIniSetting(iniFile, QString::fromLatin1(name));
            // The old file goes only once its values are safely stored.
            if (settingsStore().status() == QSettings::NoError)
                QFile::remove(iniFile);
        }
    }
    for (const char *name : {"Birthday reminder", "Check version", "Reminder Sound"})
        convertYesNoSetting(QString::fromLatin1(name));
}

} // namespace velmora
