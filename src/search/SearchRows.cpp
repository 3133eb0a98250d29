#include "search/SearchRows.h"

namespace velmora {

QStringList searchOperators(SearchRow row)
{
    switch (row) {
    case SearchRow::Dateofbirth:
        return {QStringLiteral("Is equal to"), QStringLiteral("Between"), QStringLiteral("Before"),
                QStringLiteral("After"), QStringLiteral("Is filled in")};
    case SearchRow::Note:
        return {QStringLiteral("Contains"), QStringLiteral("Is filled in")};
    default:
        return {QStringLiteral("Is equal to"), QStringLiteral("Contains"), QStringLiteral("Begins with"),
                QStringLiteral("Ends with"), QStringLiteral("Is filled in")};
    }
}

int initialSearchOperator(SearchRow row)
{
    switch (row) {
    case SearchRow::Firstname:
    case SearchRow::Lastname:
    case SearchRow::Address:
        return searchop::Contains;
    case SearchRow::Phone:
    case SearchRow::Email:
        return searchop::IsEqualTo;
    case SearchRow::Dateofbirth:
        return searchop::DateBetween;
    case SearchRow::Note:
        return searchop::NoteContains;
    }
    return searchop::None;
}

QString searchRowCaption(SearchRow row)
{
    switch (row) {
    case SearchRow::Firstname:
        return QStringLiteral("First name");
    case SearchRow::Lastname:
        return QStringLiteral("Last name");
    case SearchRow::Dateofbirth:
        return QStringLiteral("Date of birth");
    case SearchRow::Address:
        return QStringLiteral("Address");
    case SearchRow::Phone:
        return QStringLiteral("Number");
    case SearchRow::Email:
        return QStringLiteral("E-mail");
    case SearchRow::Note:
        return QStringLiteral("Note");
    }
    return {};
}

int searchTextLimit(SearchRow row)
{
    switch (row) {
    case SearchRow::Firstname:
        return 50;
    case SearchRow::Lastname:
        return 20;
    case SearchRow::Phone:
        return 50;
    case SearchRow::Email:
        return 100;
    default:
        return 0;
    }
}

bool searchTextMultiLine(SearchRow row)
{
    return row == SearchRow::Address || row == SearchRow::Note;
}

SearchFieldsShown searchFieldsShown(SearchRow row, int position)
{
    SearchFieldsShown shown;
    switch (row) {
    case SearchRow::Dateofbirth:
        shown.text = position != searchop::DateIsFilledIn;
        shown.split = shown.text2 = position == searchop::DateBetween;
        break;
    case SearchRow::Note:
        shown.text = position != searchop::NoteIsFilledIn;
        break;
    default:
        shown.text = position != searchop::IsFilledIn;
        break;
    }
    return shown;
}

bool searchLastNameFirst(const QString &listSetting)
{
    return listSetting == QLatin1String("Last name First name");
}

} // namespace velmora
