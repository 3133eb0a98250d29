#include "birthdays/ui/ReminderMode.h"

#include "birthdays/Reminder.h"
#include "birthdays/ui/ReminderWindow.h"

namespace velmora {

ReminderWindow *runReminder()
{
    std::vector<ReminderRow> rows;
    if (!Reminder::start(rows))
        return nullptr;
    auto *window = new ReminderWindow(rows);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return window;
}

} // namespace velmora
