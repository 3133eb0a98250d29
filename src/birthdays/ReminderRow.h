#pragma once

#include <QDate>
#include <QString>

namespace velmora {

// One row of the reminder list: a person whose birthday falls on one of the
// reminder's days.
struct ReminderRow {
    int contactnr = 0;
    QString key;        // the person key of the row
    QDate date;         // the birthday: today plus the day offset
    QString dateText;   // weekday, day and month name of the birthday
    QString person;     // first name, one blank, last name
    int age = 0;        // the age reached on that day
    bool today = false; // birthday today: shown in red
};

} // namespace velmora
