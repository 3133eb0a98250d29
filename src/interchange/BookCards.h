#pragma once

#include "interchange/CardPerson.h"
#include "store/Engine.h"

#include <QList>

namespace velmora {

// Reads persons of the open book for the vCard and iCalendar writers: names,
// address and note trimmed of blanks, phones and e-mail addresses with their
// descriptions in list order. Three passes over the tables, however many
// persons are read.
class BookCards {
public:
    // Every person, by number.
    static DbError readAll(QList<CardPerson> &persons);
    // The persons with these numbers, in that order; numbers without a person
    // are passed over.
    static DbError read(const QList<int> &contactnrs, QList<CardPerson> &persons);
};

} // namespace velmora
