#pragma once

#include <vector>

namespace velmora {

// What the other windows ask of the main window's contact list after they
// change persons or the search.
class ListHost {
public:
    virtual ~ListHost() = default;
    virtual void fillPersonList() = 0;
    // Switch search mode off (toolbar button and menu entry in step).
    virtual void setSearchMode(bool on) = 0;
    virtual bool searchMode() const = 0;
    // Select the row of the person, scroll it into view and show the person.
    // Selects nothing when the person is not in the list.
    virtual void selectPerson(int contactnr) = 0;
    // Hide the details panes (no person shown).
    virtual void hideDetails() = 0;
    // The person the details pane shows (the selected row's), -1 when the
    // details are hidden.
    virtual int shownPerson() const = 0;
    // The numbers of the list's rows, in list order.
    virtual std::vector<int> listedPersons() const = 0;
};

} // namespace velmora
