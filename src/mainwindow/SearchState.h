#pragma once

#include <QString>

namespace velmora {

// The search the advanced search leaves for the contact list. Lives until the
// next search or until search mode is switched off.
struct SearchState {
    // Condition on Person: empty, or "WHERE ..." when neither byPhone nor
    // byEmail is set, else "AND ..."; ends with a blank.
    QString condition;
    bool byPhone = false;
    bool byEmail = false;
    int phoneMatch = 0; // 0 equal, 1 contains, 2 begins with, 3 ends with
    QString phoneNumber;
    // Search mode: on while the Search toolbar button is down.
    bool searchMode = false;
};

SearchState &searchState();

} // namespace velmora
