#pragma once

#include "interchange/CardPerson.h"
#include "interchange/VcardLexer.h"

#include <QByteArrayView>
#include <QList>
#include <QString>

class QIODevice;

namespace velmora {

// What a vCard file holds: the persons of its readable cards in file order,
// the cards that could not be read, and what did not fit a field.
struct VcardReadResult {
    QList<CardPerson> persons;
    QList<int> lines; // line of each person's card
    QList<VcardProblem> problems;
    int fieldsInNote = 0;  // values kept as "Label: value" lines in the note
    int binaryLeftOut = 0; // photos and other binary values left out
    bool isVcard = false;  // the bytes hold at least one BEGIN:VCARD
};

// Reads vCard 2.1, 3.0 and 4.0: many cards a file, in any of the forms phones,
// mail programs and other address books write. Never fails and never throws:
// what cannot be read is reported with its line number.
class VcardReader {
public:
    // Largest file read (a book holds 32,767 persons; a file with photos of
    // all of them stays well below).
    static constexpr qint64 kMaxFileSize = 256 * 1024 * 1024;

    static VcardReadResult read(QByteArrayView bytes);
    // Reads the device to its end. false with a message for the user when it
    // cannot be read or is larger than kMaxFileSize.
    static bool read(QIODevice &device, VcardReadResult &result, QString &errorText);
    // The file at path; the message names the file.
    static bool readFile(const QString &path, VcardReadResult &result, QString &errorText);
};

} // namespace velmora
