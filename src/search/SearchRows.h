#pragma once

#include <QString>
#include <QStringList>
#include <array>

namespace velmora {

// The seven condition rows of the advanced search, in the order they are
// shown and listed here.
enum class SearchRow { Firstname, Lastname, Dateofbirth, Address, Phone, Email, Note };
inline constexpr int kSearchRowCount = 7;
inline constexpr std::array<SearchRow, kSearchRowCount> kSearchRows = {
    SearchRow::Firstname, SearchRow::Lastname, SearchRow::Dateofbirth, SearchRow::Address,
    SearchRow::Phone,     SearchRow::Email,    SearchRow::Note};
inline constexpr int rowIndex(SearchRow row)
{
    return int(row);
}

// Operator positions. What the logic tests is the position in the row's list,
// never the (translated) item text.
namespace searchop {
// First name, last name, address, phone and e-mail rows.
inline constexpr int IsEqualTo = 0;
inline constexpr int Contains = 1;
inline constexpr int BeginsWith = 2;
inline constexpr int EndsWith = 3;
inline constexpr int IsFilledIn = 4;
// Date of birth row.
inline constexpr int DateIsEqualTo = 0;
inline constexpr int DateBetween = 1;
inline constexpr int DateBefore = 2;
inline constexpr int DateAfter = 3;
inline constexpr int DateIsFilledIn = 4;
// Note row.
inline constexpr int NoteContains = 0;
inline constexpr int NoteIsFilledIn = 1;
// No item selected: the row contributes nothing.
inline constexpr int None = -1;
} // namespace searchop

// The English item texts of a row's operator list, by position (translate
// each before showing it).
QStringList searchOperators(SearchRow row);
// The position selected when the window opens.
int initialSearchOperator(SearchRow row);
// The English caption of the row's frame.
QString searchRowCaption(SearchRow row);
// The most characters the row's text field takes; 0 means no limit.
int searchTextLimit(SearchRow row);
// Whether the row's text field takes several lines.
bool searchTextMultiLine(SearchRow row);

// Which fields of a row are shown with an operator selected. Hiding a field
// never clears it.
struct SearchFieldsShown {
    bool text = true;   // the text field; in the date row the first date
    bool split = false; // date row: the "-" between the two dates
    bool text2 = false; // date row: the second date
};
SearchFieldsShown searchFieldsShown(SearchRow row, int position);

// Whether the last name row stands left of the first name row and before it
// in tab order: only for the name order "Last name First name" (the setting
// "List"); any other value keeps the designed layout, first name left.
bool searchLastNameFirst(const QString &listSetting);

} // namespace velmora
