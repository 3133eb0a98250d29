#pragma once

// Persons of the open book for the sync tests: added, changed and read back
// as one-line descriptions.

#include "editor/PersonStore.h"
#include "interchange/BookCards.h"

#include <QtTest>

namespace velmora::test {

// "First Last tel:1 tel:2 [first note line]"; the note only when asked.
inline QString describe(const CardPerson &p, bool withNote = true)
{
    QString text = p.firstName + QLatin1Char(' ') + p.lastName;
    for (const CardEntry &e : p.phones)
        text += QStringLiteral(" tel:") + e.value;
    if (withNote && !p.note.isEmpty())
        text += QStringLiteral(" [") + p.note.section(u'\n', 0, 0) + QLatin1Char(']');
    return text;
}

// Every person of the book described, sorted.
inline QStringList bookPersons(bool withNote = true)
{
    QList<CardPerson> persons;
    if (BookCards::readAll(persons))
        return {QStringLiteral("error")};
    QStringList out;
    for (const CardPerson &p : persons)
        out += describe(p, withNote);
    out.sort();
    return out;
}

inline void addPerson(const QString &first, const QString &last, const QString &phone = {})
{
    PersonDraft draft;
    draft.firstName = first;
    draft.lastName = last;
    draft.dateOfBirth = QStringLiteral("Null");
    if (!phone.isEmpty())
        draft.phones += ListEntry{phone, phone};
    int nr = 0;
    QVERIFY(!PersonStore::addPerson(draft, nr));
}

// The first person of the book with this first name (an empty one if none).
inline CardPerson findPerson(const QString &first)
{
    QList<CardPerson> persons;
    BookCards::readAll(persons);
    for (const CardPerson &p : persons) {
        if (p.firstName == first)
            return p;
    }
    return {};
}

inline int numberOf(const QString &first)
{
    return findPerson(first).contactnr;
}

inline void setPhone(const QString &first, const QString &phone)
{
    PersonDraft draft;
    QDate date;
    bool found = false;
    const int nr = numberOf(first);
    QVERIFY(nr > 0);
    QVERIFY(!PersonStore::loadPerson(nr, draft, date, found));
    QVERIFY(found);
    draft.dateOfBirth = QStringLiteral("Null");
    draft.phones = {ListEntry{phone, phone}};
    QVERIFY(!PersonStore::updatePerson(nr, draft));
}

} // namespace velmora::test
