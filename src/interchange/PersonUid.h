#pragma once

#include "interchange/CardPerson.h"

#include <QString>

namespace velmora {

// Identifiers that other programs keep for a person between two exports:
// the same while the person keeps its number and its names, so a calendar or
// address book updates the entry it has instead of adding a second one.
class PersonUid {
public:
    // "urn:uuid:..." of the person's vCard.
    static QString vcard(const CardPerson &person);
    // The UID of the person's birthday event.
    static QString birthday(const CardPerson &person);
};

} // namespace velmora
