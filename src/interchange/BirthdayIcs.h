#pragma once

#include "app/SafeFile.h"
#include "interchange/CardPerson.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>

class QIODevice;

namespace velmora {

// The birthdays of persons as an iCalendar file (RFC 5545) that calendar
// programs subscribe to or import: one all-day event a year for every person
// with a date of birth, starting on the day of birth (a 29 February birthday
// falls on the last day of February in common years), the name as summary,
// the year of birth in the description, a UID that stays the same between
// exports, and an alarm on the day. Lines are folded and text escaped.
class BirthdayIcs {
public:
    // The name the file is saved under by default.
    static QString fileName();

    static void appendEvent(QByteArray &out, const CardPerson &person, const QDateTime &stamp);
    // The whole calendar; stamp is the moment of writing (DTSTAMP).
    static QByteArray calendar(const QList<CardPerson> &persons, const QDateTime &stamp);
    // false when the device does not take the bytes.
    static bool write(QIODevice &device, const QList<CardPerson> &persons, const QDateTime &stamp);

    // Writes the birthdays of every person of the open book to path (beside
    // it first, then renamed into place).
    static FileResult saveBook(const QString &path, const QDateTime &stamp);
    // The toolbar command: asks where to save (proposing fileName() in the
    // export folder), asks before replacing a file, saves and reports a
    // failure. Gives whether the file was written.
    static bool saveBookAs();
};

} // namespace velmora
