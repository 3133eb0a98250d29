#pragma once

#include <QString>

namespace velmora {

// The key of a person's row in every list of the program: "Person " and the
// number with a leading blank (a minus sign for negative numbers), so person
// 12 is "Person  12".
QString personKey(int contactnr);

// The number of a person key: the text after the first seven characters read
// as a decimal number (leading blanks skipped, reading stops at the first
// character that cannot continue the number), rounded to a 16-bit signed
// integer. No digits, or a number outside the 16-bit range, gives 0.
int contactnrFromKey(const QString &key);

// The digits 0 to 9 of a text, in order; every other character dropped.
QString digitsOnly(const QString &text);

// The text without leading and trailing blanks (only the blank character;
// names come back padded with blanks from fixed-width columns).
QStringView trimBlanksView(QStringView text);
QString trimBlanks(const QString &text);

} // namespace velmora
