#pragma once

#include <QDate>
#include <QList>
#include <QString>

namespace velmora {

// A phone number or e-mail address with its description, as a card carries
// it.
struct CardEntry {
    QString value;
    QString description;

    bool operator==(const CardEntry &other) const = default;
};

// A person as vCards and the birthday calendar see it: the book's fields in
// plain form (no SQL literals, no list display texts).
struct CardPerson {
    int contactnr = 0; // 0 for a person read from a file
    QString firstName;
    QString lastName;
    QDate dateOfBirth; // invalid: none
    QString address;
    QString note;
    QList<CardEntry> phones; // in list order
    QList<CardEntry> emails;

    bool operator==(const CardPerson &other) const = default;
};

} // namespace velmora
