#pragma once

#include <QDate>
#include <QString>

namespace velmora {

// The three date formats of the setting "Date", in menu order.
QString dateFormatAt(int index);
// The menu index of a stored format, or -1 for any other text.
int dateFormatIndex(const QString &format);
// "(dd/mm/yyyy)": the label beside a date of birth.
QString dateFormatLabel(const QString &format);
// A date of birth as two-digit day and month and four-digit year in the
// order the format names, separated by "/" whatever the user's locale; the
// empty text for an unknown format or an invalid date.
QString formatDateOfBirth(const QDate &date, const QString &format);

// The display options in force after start-up.
struct DisplayOptionValues {
    bool firstNameFirst = true; // name order
    int dateIndex = 0;          // 0 dd/mm/yyyy, 1 mm/dd/yyyy, 2 yyyy/mm/dd
    int fontSize = 8;           // 8 or 10
};

// Reads the display options, repairing unknown values, and writes the
// defaults of a first start (reminder on with its log-on entry, reminder
// sound and days, style sheets, version check).
DisplayOptionValues loadOptions();

// The Options menu commands: store the chosen value.
void chooseDateFormat(int index);
void chooseFontSize(int size);

// The setting "Font Size" as a number: 10 for "10", else 8.
int fontSizeSetting();

// The one font-size rule of every window: the point size of the lists and
// text boxes for a "Font Size" of 8 or 10. "Size 8" is the desktop's
// standard size; "Size 10" is larger in the same proportion as 10 is to 8.
qreal fontPoints(int size);

} // namespace velmora
