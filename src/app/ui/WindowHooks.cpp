#include "app/ui/WindowHooks.h"

#include "birthdays/ui/CalendarWindow.h"
#include "birthdays/ui/ReminderOptionsWindow.h"
#include "editor/ui/PersonCommands.h"
#include "export/ui/EmailWindow.h"
#include "export/ui/ExportWindow.h"
#include "export/ui/SendEmailWindow.h"
#include "interchange/ui/ImportVcardWindow.h"
#include "mainwindow/ui/MainWindow.h"
#include "search/ui/SearchWindow.h"
#include "sync/ui/SyncCommands.h"
#include "version/ui/CheckVersion.h"

namespace velmora {

void installWindowHooks(MainWindow &window)
{
    MainWindowHooks &hooks = window.hooks();
    hooks.addPerson = [](QWidget *parent, ListHost &list) { PersonCommands::addPerson(list, parent); };
    hooks.editPerson = [](QWidget *parent, ListHost &list, int contactnr) {
        PersonCommands::editPerson(list, contactnr, parent);
    };
    // The removal hides the details and rebuilds the list itself, so the
    // window has nothing left to do afterwards.
    hooks.removePerson = [](QWidget *, ListHost &list, int contactnr) {
        PersonCommands::removePerson(list, contactnr);
        return false;
    };
    hooks.advancedSearch = &SearchWindow::run;
    hooks.exportPersons = [&window](QWidget *parent) { ExportWindow::run(parent, window); };
    hooks.birthdayCalendar = &CalendarWindow::run;
    hooks.sendDatabase = &SendEmailWindow::showSendDatabase;
    hooks.importVcard = &ImportVcardWindow::run;
    hooks.emailList = [&window](QWidget *parent) { EmailWindow::run(parent, mainListState(window)); };
    hooks.reminderOptions = [](QWidget *parent) {
        ReminderOptionsWindow options(parent);
        options.exec();
    };
    hooks.syncOptions = [](QWidget *parent) { SyncCommands::syncOptions(parent); };
    hooks.syncNow = &SyncCommands::syncNow;
    hooks.syncAutomatically = [](QWidget *parent, ListHost &list) {
        SyncCommands::syncAutomatically(parent, &list);
    };
    hooks.checkVersion = &checkVersion;
}

} // namespace velmora
