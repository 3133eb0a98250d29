#pragma once

namespace velmora {

class ReminderWindow;

// The reminder mode of the program (started with "/Reminder" at log-on):
// opens the default book and shows the persons whose birthdays fall on the
// reminder's days. Returns the shown window, which deletes itself and closes
// the book when it is closed; the program runs until then. Returns nullptr
// when there is nothing to show or no book opened: the program ends at once.
ReminderWindow *runReminder();

} // namespace velmora
