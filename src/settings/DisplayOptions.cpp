#include "settings/DisplayOptions.h"

#include "app/Paths.h"
#include "app/Seams.h"
#include "birthdays/LogonEntry.h"
#include "birthdays/ReminderDays.h"
#include "settings/Settings.h"

#include <QFont>
#include <QGuiApplication>

namespace velmora {

namespace {
const char *const kFormats[3] = {"dd/mm/yyyy", "mm/dd/yyyy", "yyyy/mm/dd"};

QString two(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QString four(int n)
{
    return QStringLiteral("%1").arg(n, 4, 10, QLatin1Char('0'));
}
} // namespace

QString dateFormatAt(int index)
{
    if (index < 0 || index > 2)
        index = 0;
    return QLatin1String(kFormats[index]);
}

int dateFormatIndex(const QString &format)
{
    for (int i = 0; i < 3; ++i) {
        if (format == QLatin1String(kFormats[i]))
            return i;
    }
    return -1;
}

QString dateFormatLabel(const QString &format)
{
    return QLatin1Char('(') + format + QLatin1Char(')');
}

QString formatDateOfBirth(const QDate &date, const QString &format)
{
    if (!date.isValid())
        return {};
    const QString slash = QStringLiteral("/");
    switch (dateFormatIndex(format)) {
    case 0:
        return two(date.day()) + slash + two(date.month()) + slash + four(date.year());
    case 1:
        return two(date.month()) + slash + two(date.day()) + slash + four(date.year());
    case 2:
        return four(date.year()) + slash + two(date.month()) + slash + two(date.day());
    default:
        return {};
    }
}

DisplayOptionValues loadOptions()
{
    DisplayOptionValues v;
    const QString list = QStringLiteral("List");
    if (getSetting(list) == QLatin1String("Last name First name")) {
        v.firstNameFirst = false;
    } else {
        v.firstNameFirst = true;
        saveSetting(list, QStringLiteral("First name Last name"));
    }

    const QString date = QStringLiteral("Date");
    const QString stored = getSetting(date);
    if (stored == QLatin1String(kFormats[1])) {
        v.dateIndex = 1;
    } else if (stored == QLatin1String(kFormats[2])) {
        v.dateIndex = 2;
    } else {
        v.dateIndex = 0;
        saveSetting(date, QLatin1String(kFormats[0]));
    }

    const QString reminder = getSetting(QStringLiteral("Birthday reminder"));
    if (!reminder.isEmpty()) {
        // A program that was moved writes its log-on entry again.
        refreshLogonEntry();
    } else {
        // First start: the reminder is on, with its log-on entry.
        enableReminder();
        saveSetting(QStringLiteral("Reminder Sound"), QStringLiteral("1"));
        saveSetting(QStringLiteral("Reminder Sound Path"),
                    paths().programFolder() + QStringLiteral("/Sound/default.wav"));
        saveSetting(QStringLiteral("Reminder Since"), ReminderDays::firstStartSince());
        saveSetting(QStringLiteral("Reminder Once 1"), ReminderDays::firstStartOnce());
    }

    if (getSetting(QStringLiteral("Css")).isEmpty())
        saveSetting(QStringLiteral("Css"), QStringLiteral("Normal"));
    if (getSetting(QStringLiteral("Css Calendar")).isEmpty())
        saveSetting(QStringLiteral("Css Calendar"), QStringLiteral("Orange"));
    if (getSetting(QStringLiteral("Check version")).isEmpty())
        saveSetting(QStringLiteral("Check version"), QStringLiteral("1"));

    if (getSetting(QStringLiteral("Font Size")) != QLatin1String("10")) {
        v.fontSize = 8;
        saveSetting(QStringLiteral("Font Size"), QStringLiteral("8"));
    } else {
        v.fontSize = 10;
    }
    return v;
}

void chooseDateFormat(int index)
{
    saveSetting(QStringLiteral("Date"), dateFormatAt(index));
}

void chooseFontSize(int size)
{
    saveSetting(QStringLiteral("Font Size"), size == 10 ? QStringLiteral("10") : QStringLiteral("8"));
}

int fontSizeSetting()
{
    return getSetting(QStringLiteral("Font Size")) == QLatin1String("10") ? 10 : 8;
}

qreal fontPoints(int size)
{
    const qreal desktop = QGuiApplication::font().pointSizeF();
    const qreal base = desktop > 0 ? desktop : 9.0;
    return size == 10 ? base * 10.0 / 8.0 : base;
}

} // namespace velmora
