#pragma once

#include "app/Progress.h"
#include "editor/PersonDraft.h"
#include "interchange/VcardReader.h"
#include "store/Engine.h"

#include <QList>
#include <QString>
#include <functional>

namespace velmora {

// Brings the persons of a vCard file into the open book.
//
// A person whose first name, last name and date of birth equal those of a
// person already in the book, or of one earlier in the file, is a duplicate
// (names compared without regard to case, as the book compares them) and is
// left out unless the user asks for duplicates too: importing the same file
// twice adds nobody the second time. New persons take the lowest free
// numbers. All persons are written in one transaction: when anything fails,
// the book stays exactly as it was.
class VcardImport {
public:
    // Reads the file and looks at the book. false with a message for the
    // user when the file cannot be read or holds no vCard.
    bool load(const QString &path, QString &errorText);
    // The same for bytes already read (name: what the messages call them).
    bool load(QByteArrayView bytes, const QString &name, QString &errorText);

    const VcardReadResult &file() const { return m_read; }
    // Persons that would be written with or without the duplicates.
    int newPersons(bool importDuplicates) const;
    int duplicates() const { return int(m_read.persons.size()) - newPersons(false); }
    int freeNumbers() const { return int(m_free.size()); }

    // Writes the persons. When there are more than free numbers, asks the
    // user whether to import the ones that fit (in file order); No writes
    // nothing. progress(done, total) is called as the persons are written.
    // A failure is shown to the user and leaves the book as it was.
    enum class Outcome {
        Written,    // persons were added
        NothingNew, // every person of the file is in the book already
        Declined,   // not enough free numbers, and the user said No (or none free)
        Failed      // the book refused; the user was told
    };
    Outcome write(bool importDuplicates, const ProgressCallback &progress = {});
    // The writing alone, without questions and messages: the first count of
    // the new persons.
    DbError writePersons(bool importDuplicates, int count, const ProgressCallback &progress);

    // The end report: persons added, duplicates skipped, fields kept in
    // notes, binary values left out, cards that could not be read with their
    // line numbers, persons without a free number.
    QString summary() const;

    // A person read from a card as the book's inserts take it (also the
    // sync's writes).
    static PersonDraft draftOf(const CardPerson &person);
    int added() const { return m_added; }
    int skippedDuplicates() const { return m_skipped; }
    int leftOutForNumbers() const { return m_noNumber; }

private:
    DbError lookAtBook();
    QList<qsizetype> chosen(bool importDuplicates) const;

    QString m_name;
    VcardReadResult m_read;
    QList<bool> m_duplicate; // per person of the file
    QList<int> m_free;       // free numbers, lowest first
    int m_added = 0;
    int m_skipped = 0;
    int m_noNumber = 0;
};

} // namespace velmora
