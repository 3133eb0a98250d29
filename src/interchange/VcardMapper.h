#pragma once

#include "interchange/CardPerson.h"
#include "interchange/VcardProperty.h"

#include <QString>

namespace velmora {

// Turns a card into a person of the book. Every property without a field of
// its own (organization, title, nickname, web sites, anniversaries, a
// birthday without a year, a value longer than its field ...) is appended to
// the note as a "Label: value" line; binary values (photos, logos, sounds,
// keys) are left out and counted.
class VcardMapper {
public:
    // Field widths of the book, in characters.
    static constexpr int kNameWidth = 50;
    static constexpr int kNumberWidth = 50;
    static constexpr int kEmailWidth = 100;
    static constexpr int kDescriptionWidth = 100;
    static constexpr int kMaxEntries = 255;

    struct Counts {
        int fieldsInNote = 0;
        int binaryLeftOut = 0;
    };

    // false (with the reason) when the card gives the person no name at all:
    // no N, FN, ORG, e-mail address or phone number.
    static bool toPerson(const VcardCard &card, CardPerson &person, Counts &counts, QString &reason);

    // A date of birth as cards write it: 1970-12-31, 19701231, with a time or
    // a zone after it, a stray ";" at the end. Invalid for a date without a
    // year (--0314), a year before 1000 and anything else.
    static QDate parseDate(QStringView value);
};

} // namespace velmora
