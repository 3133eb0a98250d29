#pragma once

#include "birthdays/ReminderRow.h"
#include "store/Engine.h"

#include <QDate>
#include <QString>
#include <vector>

namespace velmora {

// The persons the birthday reminder lists: for each day the reminder
// settings name, the persons of the open book born on that day's month and
// day, with the age they reach on it.
class Reminder {
public:
    // The statement that finds the birthdays of one calendar day.
    static QString birthdayQuery(const QDate &day);
    // "dddd d mmmm": weekday name, day without leading zero, month name.
    static QString dateText(const QDate &day);

    // Appends the rows of the day today + d, in the order the book returns
    // them. A failed query appends nothing and returns the error.
    static DbError addBirthdays(const QDate &today, qint64 d, std::vector<ReminderRow> &rows);

    // The rows of every day the reminder settings name (ReminderDays), for
    // today's date. Stops at the first failed query and returns its error.
    static DbError collect(std::vector<ReminderRow> &rows);

    // The start of the reminder mode: opens the default book and collects
    // the rows. True when there is something to show (the book stays open
    // until the reminder closes it). False when no book opened, nobody has a
    // birthday on the reminder's days, or the book could not be read (told
    // to the user and logged); the book is closed again then.
    static bool start(std::vector<ReminderRow> &rows);
};

} // namespace velmora
