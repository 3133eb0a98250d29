#pragma once

#include "mainwindow/SearchState.h"
#include "store/Engine.h"

#include <QString>
#include <vector>

namespace velmora {

// The texts of the two name orders kept in the setting "List". Only the exact
// first text means first name first; anything else means last name first.
inline constexpr const char *kListSetting = "List";
inline constexpr const char *kFirstNameLastName = "First name Last name";
inline constexpr const char *kLastNameFirstName = "Last name First name";
bool isFirstNameOrder(const QString &listSetting);

// One row of the contact list: the person's number and the two names,
// trimmed, in display order.
struct PersonRow {
    int contactnr = 0;
    QString text;    // the name that comes first in the name order
    QString subItem; // the other name
    QString toolTip() const { return text + QLatin1Char(' ') + subItem; }
};

// Whether a stored phone number matches the searched number: both compared by
// their digits only; match 0 equal, 1 contains, 2 begins with, 3 ends with.
// Any other match value matches nothing.
bool phoneNumberMatches(const QString &number, const QString &searched, int match);

// Whether the list is built from the search statements: search mode on and
// something to search for (a condition or a phone number).
bool usesSearchStatement(bool searchMode, const SearchState &state);

// The owners a phone search may list: the persons with at least one phone
// number (and an e-mail address when an e-mail condition is part of the
// search) that meet the other conditions of the search.
QString phoneOwnerSelection(const SearchState &state);

// "WHERE Contactnr IN(3,3,17) ", or "WHERE 1 = 2 " for no numbers.
QString contactnrInClause(const std::vector<int> &contactnrs);

// The numbers a phone search lists, ascending and each once: the owners above
// with at least one stored phone number that matches the searched number.
DbError findPhoneMatches(const SearchState &state, std::vector<int> &matched);

// The list statement. For a phone search, matched holds the numbers found by
// findPhoneMatches.
QString personListStatement(const QString &listSetting, bool searchMode, const SearchState &state,
                            const std::vector<int> &matched = {});

// Runs the statements on the open book and fills rows in list order.
// statement receives the list statement that was run.
DbError loadPersonList(const QString &listSetting, bool searchMode, const SearchState &state,
                       std::vector<PersonRow> &rows, QString *statement = nullptr);

} // namespace velmora
