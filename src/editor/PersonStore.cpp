#include "editor/PersonStore.h"

#include "app/ErrorLog.h"
#include "app/PersonKey.h"
#include "app/Prompts.h"
#include "app/Seams.h"
#include "editor/DateOfBirth.h"
#include "settings/Translate.h"
#include "store/Sql.h"
#include "store/Transaction.h"

namespace velmora {

namespace {

// A text value between single quotes: trimmed of blanks, quotes doubled.
QString quoted(const QString &text)
{
    return sqlQuote(trimBlanks(text));
}

QString number(int n)
{
    return QString::number(n);
}

QString entryDescription(const ListEntry &entry)
{
    return PersonStore::descriptionFromItemText(trimBlanks(entry.text), trimBlanks(entry.value));
}

DbError failure(const QString &text)
{
    return DbError{-1, text};
}

} // namespace

QString PersonStore::insertPersonStatement(int nr, const PersonDraft &p)
{
    return QStringLiteral(
               "INSERT INTO Person(Contactnr, Firstname, Lastname, Dateofbirth, Address, [Note]) ") +
           QStringLiteral("VALUES(") + number(nr) + QStringLiteral(", '") + quoted(p.firstName) +
           QStringLiteral("', '") + quoted(p.lastName) + QStringLiteral("', ") + p.dateOfBirth +
           QStringLiteral(", '") + quoted(p.address) + QStringLiteral("', '") + quoted(p.note) +
           QStringLiteral("') ");
}

QString PersonStore::insertPhoneStatement(int nr, int pos, const ListEntry &entry)
{
    return QStringLiteral("INSERT INTO Phone(ContactNr, [Order], [Number], Description) ") +
           QStringLiteral("VALUES(") + number(nr) + QStringLiteral(", ") + number(pos) +
           QStringLiteral(", '") + quoted(entry.value) + QStringLiteral("', '") +
           sqlQuote(entryDescription(entry)) + QStringLiteral("') ");
}

QString PersonStore::insertEmailStatement(int nr, int pos, const ListEntry &entry)
{
    return QStringLiteral("INSERT INTO Email(ContactNr, [Order], Email, Description) ") +
           QStringLiteral("VALUES(") + number(nr) + QStringLiteral(", ") + number(pos) +
           QStringLiteral(", '") + quoted(entry.value) + QStringLiteral("', '") +
           sqlQuote(entryDescription(entry)) + QStringLiteral("') ");
}

QString PersonStore::updatePersonStatement(int nr, const PersonDraft &p)
{
    return QStringLiteral("UPDATE Person ") + QStringLiteral("SET Firstname = '") + quoted(p.firstName) +
           QStringLiteral("', ") + QStringLiteral("Lastname = '") + quoted(p.lastName) +
           QStringLiteral("', ") + QStringLiteral("Dateofbirth = ") + p.dateOfBirth + QStringLiteral(", ") +
           QStringLiteral("Address = '") + quoted(p.address) + QStringLiteral("', ") +
           QStringLiteral("[Note] = '") + quoted(p.note) + QStringLiteral("' ") +
           QStringLiteral("WHERE Contactnr = ") + number(nr) + QStringLiteral(" ");
}

QString PersonStore::clearPhonesStatement(int nr)
{
    return QStringLiteral("DELETE FROM Phone ") + QStringLiteral("WHERE Contactnr = ") + number(nr) +
           QStringLiteral(" ");
}

QString PersonStore::clearEmailsStatement(int nr)
{
    return QStringLiteral("DELETE FROM Email ") + QStringLiteral("WHERE Contactnr = ") + number(nr) +
           QStringLiteral(" ");
}

QString PersonStore::removalSelectStatement(int nr)
{
    return QStringLiteral("SELECT Firstname, Lastname ") + QStringLiteral("FROM Person ") +
           QStringLiteral("WHERE Contactnr = ") + number(nr);
}

QStringList PersonStore::removalStatements(int nr)
{
    const QString where = QStringLiteral("WHERE Contactnr = ") + number(nr);
    return {QStringLiteral("DELETE FROM Phone ") + where, QStringLiteral("DELETE FROM Email ") + where,
            QStringLiteral("DELETE FROM Person ") + where};
}

QString PersonStore::loadPersonStatement(int nr)
{
    return QStringLiteral("SELECT * ") + QStringLiteral("FROM Person ") +
           QStringLiteral("WHERE Contactnr = ") + number(nr);
}

// The entries come back in their list order: the rows are asked for by
// [Order] rather than trusting the order the engine happens to return.
QString PersonStore::loadPhonesStatement(int nr)
{
    return QStringLiteral("SELECT * ") + QStringLiteral("FROM Phone ") +
           QStringLiteral("WHERE Contactnr = ") + number(nr) + QStringLiteral(" ORDER BY [Order] ");
}

QString PersonStore::loadEmailsStatement(int nr)
{
    return QStringLiteral("SELECT * ") + QStringLiteral("FROM Email ") +
           QStringLiteral("WHERE Contactnr = ") + number(nr) + QStringLiteral(" ORDER BY [Order] ");
}

QString PersonStore::descriptionFromItemText(const QString &text, const QString &value)
{
    const qsizetype length = text.size() - value.size() - 3;
    if (text.size() <= value.size() || length <= 0)
        return {};
    return text.mid(value.size() + 2, length);
}

QString PersonStore::itemText(const QString &value, const QString &description)
{
    const QString v = trimBlanks(value);
    const QString d = trimBlanks(description);
    if (d.isEmpty())
        return v;
    return v + QStringLiteral(" (") + d + QLatin1Char(')');
}

DbError PersonStore::checkLists(const PersonDraft &person)
{
    if (person.phones.size() > kMaxEntries)
        return failure(T("A person can have at most 255 phone numbers."));
    if (person.emails.size() > kMaxEntries)
        return failure(T("A person can have at most 255 e-mail addresses."));
    return {};
}

// The lowest free Contactnr. A book whose numbers run 1, 2, ... n without a
// gap (one that only ever grew) gives n + 1 from one short query; otherwise
// the walk over all numbers finds the first gap.
DbError PersonStore::newContactnr(int &contactnr)
{
    Recordset rs;
    if (DbError e =
            openRecordset(QStringLiteral("SELECT MIN(Contactnr) AS Lowest, MAX(Contactnr) AS Highest, "
                                         "COUNT(*) AS Persons FROM Person "),
                          rs))
        return e;
    if (!rs.eof()) {
        const int persons = rs.field(QStringLiteral("Persons")).toInt();
        if (persons == 0) {
            contactnr = 1;
            return {};
        }
        if (rs.field(QStringLiteral("Lowest")).toInt() == 1 &&
            rs.field(QStringLiteral("Highest")).toInt() == persons && persons < 32767) {
            contactnr = persons + 1;
            return {};
        }
    }
    return nextFreeNumber(QStringLiteral("Person"), QStringLiteral("Contactnr"), contactnr);
}

DbError PersonStore::addPerson(const PersonDraft &person, int &contactnr)
{
    if (DbError e = checkLists(person))
        return e;
    Transaction transaction;
    if (DbError e = transaction.begin())
        return e;
    int nr = 0;
    if (DbError e = newContactnr(nr))
        return e;
    if (DbError e = insertPerson(nr, person))
        return e;
    if (DbError e = transaction.commit())
        return e;
    contactnr = nr;
    return {};
}

DbError PersonStore::insertPerson(int nr, const PersonDraft &person)
{
    if (DbError e = checkLists(person))
        return e;
    if (DbError e = executeSql(insertPersonStatement(nr, person)))
        return e;
    for (int pos = 1; pos <= person.phones.size(); ++pos) {
        if (DbError e = executeSql(insertPhoneStatement(nr, pos, person.phones.at(pos - 1))))
            return e;
    }
    for (int pos = 1; pos <= person.emails.size(); ++pos) {
        if (DbError e = executeSql(insertEmailStatement(nr, pos, person.emails.at(pos - 1))))
            return e;
    }
    return {};
}

DbError PersonStore::updatePerson(int contactnr, const PersonDraft &person)
{
    if (DbError e = checkLists(person))
        return e;
    Transaction transaction;
    if (DbError e = transaction.begin())
        return e;
    if (DbError e = executeSql(updatePersonStatement(contactnr, person)))
        return e;
    if (DbError e = executeSql(clearPhonesStatement(contactnr)))
        return e;
    for (int pos = 1; pos <= person.phones.size(); ++pos) {
        if (DbError e = executeSql(insertPhoneStatement(contactnr, pos, person.phones.at(pos - 1))))
            return e;
    }
    if (DbError e = executeSql(clearEmailsStatement(contactnr)))
        return e;
    for (int pos = 1; pos <= person.emails.size(); ++pos) {
        if (DbError e = executeSql(insertEmailStatement(contactnr, pos, person.emails.at(pos - 1))))
            return e;
    }
    return transaction.commit();
}

DbError PersonStore::loadPerson(int contactnr, PersonDraft &person, QDate &dateOfBirth, bool &found)
{
    person = PersonDraft{};
    dateOfBirth = QDate();
    found = false;

    Recordset rs;
    if (DbError e = openRecordset(loadPersonStatement(contactnr), rs))
        return e;
    if (rs.eof())
        return {};
    found = true;
    person.firstName = trimBlanks(rs.text(QStringLiteral("Firstname")));
    person.lastName = trimBlanks(rs.text(QStringLiteral("Lastname")));
    const QVariant date = rs.field(QStringLiteral("Dateofbirth"));
    if (date.isValid())
        dateOfBirth = date.toDate();
    person.dateOfBirth = DateOfBirth::sqlLiteral(dateOfBirth);
    person.address = trimBlanks(rs.text(QStringLiteral("Address")));
    person.note = trimBlanks(rs.text(QStringLiteral("Note")));

    Recordset phones;
    if (DbError e = openRecordset(loadPhonesStatement(contactnr), phones))
        return e;
    for (; !phones.eof(); phones.moveNext()) {
        const QString value = trimBlanks(phones.text(QStringLiteral("Number")));
        person.phones.append({itemText(value, phones.text(QStringLiteral("Description"))), value});
    }

    Recordset emails;
    if (DbError e = openRecordset(loadEmailsStatement(contactnr), emails))
        return e;
    for (; !emails.eof(); emails.moveNext()) {
        const QString value = trimBlanks(emails.text(QStringLiteral("Email")));
        person.emails.append({itemText(value, emails.text(QStringLiteral("Description"))), value});
    }
    return {};
}

DbError PersonStore::deletePerson(int contactnr)
{
    Transaction transaction;
    if (DbError e = transaction.begin())
        return e;
    for (const QString &statement : removalStatements(contactnr)) {
        if (DbError e = executeSql(statement))
            return e;
    }
    return transaction.commit();
}

PersonStore::Removal PersonStore::removePerson(int contactnr)
{
    Recordset rs;
    DbError e = openRecordset(removalSelectStatement(contactnr), rs);
    if (!e.failed() && rs.eof())
        return Removal::NotFound;
    if (!e.failed()) {
        const QString name = trimBlanks(rs.text(QStringLiteral("Firstname"))) + QLatin1Char(' ') +
                             trimBlanks(rs.text(QStringLiteral("Lastname")));
        const Answer answer = prompts().message(T("Are you sure you want to remove the following Person:") +
                                                    QStringLiteral("\r\n") + name,
                                                T("Remove"), Icon::Question, Buttons::YesNo);
        if (answer != Answer::Yes)
            return Removal::Kept;
        e = deletePerson(contactnr);
        if (!e.failed())
            return Removal::Removed;
    }
    writeLog(QStringLiteral("Error removing person: ") + QString::number(e.number) + QStringLiteral(": ") +
             e.description);
    prompts().message(T("The person could not be removed:") + QStringLiteral("\r\n") + e.description,
                      T("Error"), Icon::Exclamation);
    return Removal::Failed;
}

} // namespace velmora
