#include "birthdays/Reminder.h"

#include "app/Clock.h"
#include "app/ErrorLog.h"
#include "app/Seams.h"
#include "birthdays/ReminderDays.h"
#include "app/PersonKey.h"
#include "store/Database.h"
#include "store/RecentDatabases.h"
#include "store/Sql.h"

#include <QLocale>

namespace velmora {

QString Reminder::birthdayQuery(const QDate &day)
{
    return QStringLiteral("SELECT Contactnr, Firstname, Lastname, Dateofbirth ") +
           QStringLiteral("FROM Person ") + QStringLiteral("WHERE Month(Dateofbirth) = ") +
           QString::number(day.month()) + QStringLiteral(" ") + QStringLiteral("AND Day(Dateofbirth) = ") +
           QString::number(day.day()) + QStringLiteral(" ") +
           QStringLiteral("ORDER BY Month(Dateofbirth), Day(Dateofbirth) ");
}

QString Reminder::dateText(const QDate &day)
{
    const QLocale locale = QLocale::system();
    return locale.dayName(day.dayOfWeek(), QLocale::LongFormat) + QLatin1Char(' ') +
           QString::number(day.day()) + QLatin1Char(' ') + locale.monthName(day.month(), QLocale::LongFormat);
}

DbError Reminder::addBirthdays(const QDate &today, qint64 d, std::vector<ReminderRow> &rows)
{
    const QDate day = today.addDays(d);
    if (!day.isValid())
        return {};
    Recordset rs;
    if (DbError error = openRecordset(birthdayQuery(day), rs))
        return error;
    const QString dateText = Reminder::dateText(day);
    for (; !rs.eof(); rs.moveNext()) {
        const QDate born = rs.field(QStringLiteral("Dateofbirth")).toDate();
        if (!born.isValid())
            continue;
        ReminderRow row;
        row.contactnr = rs.field(QStringLiteral("Contactnr")).toInt();
        row.key = personKey(row.contactnr);
        row.date = day;
        row.dateText = dateText;
        row.person = trimBlanks(rs.text(QStringLiteral("Firstname"))) + QLatin1Char(' ') +
                     trimBlanks(rs.text(QStringLiteral("Lastname")));
        row.age = day.year() - born.year();
        row.today = d == 0;
        rows.push_back(std::move(row));
    }
    return {};
}

DbError Reminder::collect(std::vector<ReminderRow> &rows)
{
    const QDate today = clock().today();
    for (const qint64 d : ReminderDays::fromSettings()) {
        if (DbError error = addBirthdays(today, d, rows))
            return error;
    }
    return {};
}

bool Reminder::start(std::vector<ReminderRow> &rows)
{
    rows.clear();
    RecentDatabases::instance().openDefaultDatabase();
    Database &db = Database::instance();
    if (!db.isOpen())
        return false;
    if (DbError error = collect(rows)) {
        rows.clear();
        reportError(QStringLiteral("Error reading birthdays: "), error.number, error.description);
    }
    if (rows.empty()) {
        // Nothing was changed: the book is closed without compacting it.
        db.closeDatabase(false);
        return false;
    }
    return true;
}

} // namespace velmora
