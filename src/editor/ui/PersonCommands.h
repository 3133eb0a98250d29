#pragma once

class QWidget;

namespace velmora {

class ListHost;

// The main window's person commands: Add, Edit and Remove.
class PersonCommands {
public:
    // Shows the editor in add mode, modally. The new person's number, or 0
    // when nothing was saved.
    static int addPerson(ListHost &host, QWidget *parent);
    // Shows the editor in edit mode for the person, modally. False when
    // nothing was saved (also when the person could not be read: the user is
    // told, and the list is rebuilt when the person is gone).
    static bool editPerson(ListHost &host, int contactnr, QWidget *parent);
    // Asks, removes the person with its phones and e-mail addresses, hides
    // the details and rebuilds the list. True when the person was removed.
    static bool removePerson(ListHost &host, int contactnr);
};

} // namespace velmora
