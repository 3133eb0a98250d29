#include "settings/Settings.h"

#include "app/Seams.h"

#include <QSettings>

namespace velmora {

QString getSetting(const QString &name)
{
    return settingsStore().value(name).toString();
}

void saveSetting(const QString &name, const QString &value)
{
    settingsStore().setValue(name, value.trimmed());
    settingsStore().sync();
}

void deleteSetting(const QString &name)
{
    settingsStore().remove(name);
    settingsStore().sync();
}

} // namespace velmora
