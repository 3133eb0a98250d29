#pragma once

namespace velmora {

class ReminderWindow;

// The reminder mode of the program (started with "/Reminder" at log-on):
// opens the default book and shows the persons whose birthdays fall on the
// reminder's days. Returns the shown window, which deletes itself and closes
// the book (without compacting it) when it is closed, also when the program is
// asked to stop by a signal or the desktop's logout; the program runs until
// then. Returns nullptr when there is nothing to show or no book opened: the
// program ends at once.
ReminderWindow *runReminder();

} // namespace velmora
