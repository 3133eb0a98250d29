#pragma once

#include <functional>

class QString;
class QWidget;

namespace velmora {

class ListHost;

// The windows of other parts that the main window's commands open. A command
// whose window is not set does nothing. parent is the main window; list is
// its contact list, for the windows that rebuild it afterwards.
struct MainWindowHooks {
    // The person editor in add mode (frmContactAdd).
    std::function<void(QWidget *parent, ListHost &list)> addPerson;
    // The person editor in edit mode for a person (frmContactEdit).
    std::function<void(QWidget *parent, ListHost &list, int contactnr)> editPerson;
    // Removing a person: the question and the removal. The main window shows
    // the About panel and rebuilds the list afterwards when it returns true.
    std::function<bool(QWidget *parent, ListHost &list, int contactnr)> removePerson;
    // The advanced search (frmSearch); it fills the search state and rebuilds
    // the list.
    std::function<void(QWidget *parent, ListHost &list)> advancedSearch;
    // The export window (frmExport), the e-mail list (frmEmail), the birthday
    // calendar (frmCalendar), the reminder options (frmOptionsReminder) and
    // sending the book by e-mail.
    std::function<void(QWidget *parent)> exportPersons;
    std::function<void(QWidget *parent)> emailList;
    std::function<void(QWidget *parent)> birthdayCalendar;
    std::function<void(QWidget *parent)> reminderOptions;
    std::function<void(QWidget *parent)> sendDatabase;
    // Importing a vCard file into the open book: File > Import vCard...
    // (path empty: the window asks for the file) or a .vcf file dropped on
    // the window. Rebuilds the list when persons were added.
    std::function<void(QWidget *parent, ListHost &list, const QString &path)> importVcard;
    // Options > Synchronisation..., Action > Sync now (toolbar Sync) and the
    // sync when a book is opened or about to be closed (done only when the
    // user chose it; never keeps the book from opening or closing).
    std::function<void(QWidget *parent)> syncOptions;
    std::function<void(QWidget *parent, ListHost &list)> syncNow;
    std::function<void(QWidget *parent, ListHost &list)> syncAutomatically;
    // Starts the version check (at start and when it is switched on).
    std::function<void(QWidget *parent)> checkVersion;
};

} // namespace velmora
