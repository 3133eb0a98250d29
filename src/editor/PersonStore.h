#pragma once

#include "editor/PersonDraft.h"
#include "store/Engine.h"

#include <QDate>
#include <QString>
#include <QStringList>

namespace velmora {

// Writes persons to the open book, reads one back for editing and removes
// one. Every write runs through the SQL door as one transaction: when any
// statement fails, the book stays exactly as it was.
class PersonStore {
public:
    // Most entries one list can hold ([Order] is a TINYINT).
    static constexpr int kMaxEntries = 255;

    // The statements, exactly as they are run. Text values are trimmed of
    // blanks and quoted; nr is the Contactnr, pos the 1-based [Order].
    static QString insertPersonStatement(int nr, const PersonDraft &person);
    static QString insertPhoneStatement(int nr, int pos, const ListEntry &entry);
    static QString insertEmailStatement(int nr, int pos, const ListEntry &entry);
    static QString updatePersonStatement(int nr, const PersonDraft &person);
    static QString clearPhonesStatement(int nr);
    static QString clearEmailsStatement(int nr);
    static QString removalSelectStatement(int nr);
    // The three deletes of a removal, in the order they run: Phone, Email,
    // Person.
    static QStringList removalStatements(int nr);
    static QString loadPersonStatement(int nr);
    static QString loadPhonesStatement(int nr);
    static QString loadEmailsStatement(int nr);

    // The description part of a list entry's display text: what stands
    // between the " (" after the value and the final ")". Both texts come
    // trimmed of blanks. Cut by length, so descriptions holding parentheses
    // come back whole.
    static QString descriptionFromItemText(const QString &text, const QString &value);
    // The display text of a stored number or address and its description
    // (both trimmed first): the value alone, or value + " (" + description + ")".
    static QString itemText(const QString &value, const QString &description);

    // Writes a new person with the lowest free Contactnr, its phones and
    // e-mail addresses; gives the new number. The date of birth is the draft's
    // SQL value (dateOfBirthToSql).
    static DbError addPerson(const PersonDraft &person, int &contactnr);
    // The inserts of a new person under a number the caller has chosen, for
    // callers that write many persons in one transaction of their own (the
    // vCard import). Runs no transaction itself.
    static DbError insertPerson(int contactnr, const PersonDraft &person);
    // Overwrites the person and replaces its phones and e-mail addresses.
    static DbError updatePerson(int contactnr, const PersonDraft &person);
    // Reads a person for the edit window: names, address and note trimmed,
    // the list entries built from the stored numbers and descriptions in
    // their order. found is false when there is no such person.
    static DbError loadPerson(int contactnr, PersonDraft &person, QDate &dateOfBirth, bool &found);

    enum class Removal { Removed, Kept, NotFound, Failed };
    // Asks the user (naming the person) and, on Yes, deletes the person with
    // its phones and e-mail addresses. A failure is shown to the user and
    // leaves the book as it was.
    static Removal removePerson(int contactnr);
    // The removal without the question.
    static DbError deletePerson(int contactnr);

private:
    static DbError newContactnr(int &contactnr);
    static DbError checkLists(const PersonDraft &person);
};

// The operations under the names the rest of the program knows.
inline QString descriptionFromItemText(const QString &text, const QString &value)
{
    return PersonStore::descriptionFromItemText(text, value);
}

} // namespace velmora
