#include "birthdays/ui/ReminderMode.h"

#include "app/ui/PaintReporter.h"
#include "app/ui/TerminationSignals.h"
#include "birthdays/Reminder.h"
#include "birthdays/ui/ReminderWindow.h"

#include <QGuiApplication>
#include <QSessionManager>

namespace velmora {

ReminderWindow *runReminder()
{
    std::vector<ReminderRow> rows;
    if (!Reminder::start(rows))
        return nullptr;
    auto *window = new ReminderWindow(rows);
    window->setAttribute(Qt::WA_DeleteOnClose);

    // A request to stop (kill, Ctrl+C, the desktop's logout) closes the
    // window the ordinary way, which closes the book; the program then ends
    // normally.
    auto *termination = new TerminationSignals(window);
    QObject::connect(termination, &TerminationSignals::terminationRequested, window, [window] {
        window->close();
        QCoreApplication::quit();
    });
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        QObject::connect(app, &QGuiApplication::commitDataRequest, window,
                         [window](QSessionManager &) { window->close(); });
    }

    window->show();
    // For tests and benchmarks that start the program: say when the window
    // has been painted.
    if (qEnvironmentVariableIsSet("VELMORA_REPORT_SHOWN"))
        reportWhenPainted(window);
    return window;
}

} // namespace velmora
