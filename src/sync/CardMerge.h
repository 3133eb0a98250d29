#pragma once

#include "interchange/CardPerson.h"

#include <QByteArray>
#include <QString>

namespace velmora {

// The card pushed for a person that came from the server: the book's fields
// written by the vCard writer, merged into the server's card as last synced.
// Every property the book has no field for (ORG, PHOTO, URL, X-..., with
// their groups and parameters) is kept as the server wrote it; the ones the
// book maps (N, FN, BDAY, ADR, NOTE, TEL, EMAIL and the labels of the TEL and
// EMAIL groups) are replaced by the person's.
//
// Reading a card puts the kept properties into the note as "Label: value"
// lines; those lines are taken out of the note again before it is written,
// so the note does not grow from one sync to the next.
class CardMerge {
public:
    // The card for the person. serverCard empty: the writer's card alone.
    // uid: the card's UID when the server card has none (and for a card of
    // the writer alone).
    static QByteArray card(const CardPerson &person, const QByteArray &serverCard, const QString &uid);

    // The note without the lines reading the kept properties of serverCard
    // adds to it.
    static QString noteWithoutKeptLines(const QString &note, const QByteArray &serverCard);
};

} // namespace velmora
