#include "birthdays/ReminderOptions.h"

#include "birthdays/LogonEntry.h"
#include "birthdays/ReminderDays.h"
#include "settings/Settings.h"

namespace velmora {

namespace {
const QString kBirthdayReminder = QStringLiteral("Birthday reminder");
const QString kSound = QStringLiteral("Reminder Sound");
const QString kSoundPath = QStringLiteral("Reminder Sound Path");

void loadDay(const QString &setting, bool &ticked, QString &text)
{
    const QString value = getSetting(setting);
    ticked = ReminderDays::isNumber(value);
    text = ticked ? value.trimmed() : QString();
}

void saveDay(const QString &setting, bool ticked, const QString &text)
{
    if (ticked)
        saveSetting(setting, text);
    else
        deleteSetting(setting);
}
} // namespace

bool ReminderOptions::isDayText(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < u'0' || c.unicode() > u'9')
            return false;
    }
    return true;
}

QString ReminderOptions::sinceSetting()
{
    return QStringLiteral("Reminder Since");
}

QString ReminderOptions::onceSetting(int row)
{
    return QStringLiteral("Reminder Once %1").arg(row + 1);
}

ReminderOptions ReminderOptions::load()
{
    ReminderOptions o;
    o.reminder = getSetting(kBirthdayReminder) == QLatin1String("1");
    o.sound = getSetting(kSound) == QLatin1String("1");
    o.soundPath = getSetting(kSoundPath);
    loadDay(sinceSetting(), o.since, o.sinceText);
    for (int i = 0; i < kOnceRows; ++i)
        loadDay(onceSetting(i), o.once[i], o.onceText[i]);
    return o;
}

void ReminderOptions::save() const
{
    const QString stored = getSetting(kBirthdayReminder);
    if (reminder && stored != QLatin1String("1"))
        enableReminder();
    else if (!reminder && stored != QLatin1String("0"))
        disableReminder();

    saveSetting(kSound, sound ? QStringLiteral("1") : QStringLiteral("0"));
    saveSetting(kSoundPath, soundPath);
    saveDay(sinceSetting(), since, sinceText);
    for (int i = 0; i < kOnceRows; ++i)
        saveDay(onceSetting(i), once[i], onceText[i]);
}

ReminderOptions::Enabled ReminderOptions::enabled() const
{
    Enabled e;
    if (!reminder)
        return e;
    e.frames = true;
    e.checkBoxes = true;
    e.soundFile = sound;
    e.since = since;
    e.once = once;
    return e;
}

} // namespace velmora
