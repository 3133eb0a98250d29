#include "cli/BirthdayLines.h"

#include "app/Clock.h"
#include "app/Seams.h"
#include "birthdays/Reminder.h"
#include "birthdays/ReminderDays.h"
#include "settings/Settings.h"

namespace velmora {

std::vector<qint64> BirthdayLines::offsets(const QDate &today, std::optional<int> days)
{
    if (days)
        return ReminderDays::offsets(today, QString::number(*days), {}, {}, {});
    // The reminder option "Birthday reminder" is written at the first start.
    if (getSetting(QStringLiteral("Birthday reminder")).isEmpty())
        return ReminderDays::offsets(today, ReminderDays::firstStartSince(), ReminderDays::firstStartOnce(),
                                     {}, {});
    return ReminderDays::fromSettings();
}

QString BirthdayLines::line(const ReminderRow &row)
{
    QString name = row.person;
    for (QChar &c : name) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    }
    return row.date.toString(Qt::ISODate) + QLatin1Char('\t') + name.trimmed() + QLatin1Char('\t') +
           QString::number(row.age);
}

DbError BirthdayLines::collect(std::optional<int> days, QStringList &lines)
{
    const QDate today = clock().today();
    std::vector<ReminderRow> rows;
    for (const qint64 d : offsets(today, days)) {
        if (DbError error = Reminder::addBirthdays(today, d, rows))
            return error;
    }
    for (const ReminderRow &row : rows)
        lines << line(row);
    return {};
}

} // namespace velmora
