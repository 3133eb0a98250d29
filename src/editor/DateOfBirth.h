#pragma once

#include <QDate>
#include <QString>
#include <optional>

namespace velmora {

// Dates of birth as the editor shows and reads them, in the display format of
// the setting "Date": "dd/mm/yyyy", "mm/dd/yyyy" or "yyyy/mm/dd" (anything
// else is read as "dd/mm/yyyy").
class DateOfBirth {
public:
    // The input mask of the date field: digits with "_" as the prompt and
    // the slashes as literals ("9999/99/99;_" year first, else "99/99/9999;_").
    static QString inputMask(const QString &dateFormat);

    // The SQL value of the date field's text (its prompt characters removed):
    // "Null" for an untouched field ("//"), "#month/day/year#" with the
    // digits as typed for a real date, nothing for an invalid one. A date
    // needs all three sections and a four-digit year.
    static std::optional<QString> toSql(const QString &fieldText, const QString &dateFormat);

    // The field text of a stored date: two-digit day and month, four-digit
    // year, in the order of the format. An invalid date gives the empty text.
    static QString fieldText(const QDate &date, const QString &dateFormat);

    // The SQL literal of a stored date ("#12/31/1970#"), or "Null".
    static QString sqlLiteral(const QDate &date);
};

// The operation under the name the rest of the program knows.
inline std::optional<QString> dateOfBirthToSql(const QString &fieldText, const QString &dateFormat)
{
    return DateOfBirth::toSql(fieldText, dateFormat);
}

} // namespace velmora
