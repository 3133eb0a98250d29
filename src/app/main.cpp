#include "app/Seams.h"
#include "app/Startup.h"
#include "app/ui/EffectSoundPlayer.h"
#include "app/ui/Icons.h"
#include "app/ui/PaintReporter.h"
#include "app/ui/TerminationSignals.h"
#include "app/ui/WidgetPrompts.h"
#include "app/ui/WindowHooks.h"
#include "birthdays/ui/ReminderMode.h"
#include "cli/ScriptMain.h"
#include "mainwindow/ui/MainWindow.h"
#include "settings/InitSettings.h"
#include "settings/ui/SystemPrinters.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QSessionManager>

int main(int argc, char *argv[])
{
    // The command line for scripts ("--birthdays" and the other "--" forms)
    // runs without a window: decided before any QApplication exists.
    if (velmora::isScriptCommandLine(argc, argv))
        return velmora::runScriptCommandLine(argc, argv);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setOrganizationName(QStringLiteral("Velmora"));
    QApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("velmora"));
    QApplication::setWindowIcon(velmora::programIcon(QStringLiteral("velmora")));

    static velmora::WidgetPrompts prompts;
    velmora::seams().prompts = &prompts;
    static velmora::EffectSoundPlayer sound;
    velmora::seams().sound = &sound;
    velmora::installDefaultSeams();
    velmora::installSystemPrinterCounter();

    // The arguments after the program name as one trimmed text; a book path
    // in it full, whatever folder the program was started in.
    velmora::setCommandLine(velmora::withFullBookPath(velmora::joinArguments(QCoreApplication::arguments()),
                                                      QDir::currentPath()));

    velmora::holdRunningMarker();
    velmora::initSettings();

    if (velmora::startModeOf(velmora::commandLine()) == velmora::StartMode::Reminder) {
        // Reminder mode: only the birthday reminder runs; the main window is
        // never shown. Nothing to remind of ends the program at once.
        if (!velmora::runReminder())
            return 0;
        return app.exec();
    }

    velmora::MainWindow window;
    velmora::installWindowHooks(window);
    window.load();
    window.restoreWindowState();
    window.show();
    // For the start-up benchmark: say when the window has been painted.
    if (qEnvironmentVariableIsSet("VELMORA_REPORT_SHOWN"))
        velmora::reportWhenPainted(&window);
    if (window.hooks().checkVersion)
        window.hooks().checkVersion(&window);

    // A request to stop (kill, Ctrl+C, the desktop's logout) closes the window
    // the ordinary way: window state saved, book closed and compacted.
    velmora::TerminationSignals terminationSignals;
    QObject::connect(&terminationSignals, &velmora::TerminationSignals::terminationRequested, &window,
                     [&window] {
                         window.close();
                         QCoreApplication::quit();
                     });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window,
                     [&window](QSessionManager &) { window.close(); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &window, [&window] { window.queryUnload(); });
    return app.exec();
}
