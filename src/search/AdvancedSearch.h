#pragma once

#include "mainwindow/SearchState.h"
#include "search/SearchRows.h"

#include <QString>
#include <array>

namespace velmora {

// What the user chose in the search window: per row the operator position
// (searchop::None when nothing is selected) and the field text as shown.
// The date fields may still hold the mask's prompt character "_".
struct SearchInput {
    std::array<int, kSearchRowCount> op{searchop::None, searchop::None, searchop::None, searchop::None,
                                        searchop::None, searchop::None, searchop::None};
    std::array<QString, kSearchRowCount> text; // date row: the first date
    QString date2;
    QString dateFormat; // the setting "Date"

    int &opOf(SearchRow row) { return op[size_t(rowIndex(row))]; }
    int opOf(SearchRow row) const { return op[size_t(rowIndex(row))]; }
    QString &textOf(SearchRow row) { return text[size_t(rowIndex(row))]; }
    const QString &textOf(SearchRow row) const { return text[size_t(rowIndex(row))]; }
};

// Turns the search window's choices into the search state the contact list
// applies (OK of the search window, without the window's own steps).
class AdvancedSearch {
public:
    enum class Outcome {
        Search,      // the state holds a search: rebuild the list in search mode
        NoCondition, // nothing to search for: leave search mode
        InvalidDate, // a date field holds an invalid date: nothing applied
    };

    explicit AdvancedSearch(SearchState &state) : m_state(state) {}

    // Settles the flags, checks both dates and builds the condition. On an
    // invalid date only the phone and e-mail flags have changed (both off).
    Outcome apply(const SearchInput &input);

    // Appends one condition: "WHERE " for the first one of a statement
    // without a WHERE clause of its own, "AND " otherwise; always a blank at
    // the end.
    void addCondition(const QString &condition);

    // The message for an invalid date and its title (translated).
    static QString invalidDateMessage();
    static QString invalidDateTitle();

    // The condition text of a text row for an operator; empty when the row
    // and operator give no condition text (phone comparisons, unknown
    // positions). text is the field text as typed; it is trimmed of blanks
    // and its single quotes doubled.
    static QString textCondition(SearchRow row, int position, const QString &text);

private:
    void addTextRow(const SearchInput &input, SearchRow row);
    SearchState &m_state;
    bool m_firstCondition = true;
};

} // namespace velmora
