#pragma once

#include "birthdays/ReminderRow.h"
#include "store/Engine.h"

#include <QDate>
#include <QStringList>
#include <optional>
#include <vector>

namespace velmora {

// What --birthdays prints: the rows of the birthday reminder, one line each.
class BirthdayLines {
public:
    // The day offsets to list: 0 to days, or without days those of the
    // reminder settings (the settings of a first start when the program has
    // never run here, so that a fresh account lists what its first reminder
    // would show).
    static std::vector<qint64> offsets(const QDate &today, std::optional<int> days);

    // The date as yyyy-mm-dd, the name (first name first, as the reminder
    // shows it) and the age reached that day, separated by tabs. Tabs and
    // line breaks inside the name become blanks, so a line is always one
    // record of three fields.
    static QString line(const ReminderRow &row);

    // The lines of the open book for today, in the reminder's order (by day,
    // then as the book returns them). Stops at the first failed query.
    static DbError collect(std::optional<int> days, QStringList &lines);
};

} // namespace velmora
