#include "mainwindow/PersonDetails.h"

#include "app/PersonKey.h"
#include "mainwindow/PersonListQuery.h"
#include "settings/DisplayOptions.h"
#include "store/Sql.h"

namespace velmora {

int getAge(const QDate &dateOfBirth, const QDate &today)
{
    int age = today.year() - dateOfBirth.year() - 1;
    if (age < 0)
        return 0;
    if (today.month() > dateOfBirth.month() ||
        (today.month() == dateOfBirth.month() && today.day() >= dateOfBirth.day()))
        ++age;
    return age;
}

QString detailsCaption(const QString &firstname, const QString &lastname, const QString &listSetting)
{
    const QString first = trimBlanks(firstname);
    const QString last = trimBlanks(lastname);
    QString caption =
        isFirstNameOrder(listSetting) ? first + QLatin1Char(' ') + last : last + QLatin1Char(' ') + first;
    caption = trimBlanks(caption);
    caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return caption;
}

DetailEntry detailEntry(const QString &value, const QString &description)
{
    DetailEntry e;
    e.tag = trimBlanks(value);
    const QString d = trimBlanks(description);
    e.text = d.isEmpty() ? e.tag : e.tag + QStringLiteral(" (") + d + QLatin1Char(')');
    return e;
}

QString personDetailsStatement(int contactnr)
{
    return QStringLiteral("SELECT * ") + QStringLiteral("FROM Person ") +
           QStringLiteral("WHERE Contactnr = ") + QString::number(contactnr);
}

QString phoneDetailsStatement(int contactnr)
{
    return QStringLiteral("SELECT * ") + QStringLiteral("FROM Phone ") +
           QStringLiteral("WHERE Contactnr = ") + QString::number(contactnr);
}

QString emailDetailsStatement(int contactnr)
{
    return QStringLiteral("SELECT * ") + QStringLiteral("FROM Email ") +
           QStringLiteral("WHERE Contactnr = ") + QString::number(contactnr);
}

static DbError readEntries(const QString &statement, const QString &valueColumn,
                           std::vector<DetailEntry> &out)
{
    Recordset rs;
    if (DbError e = openRecordset(statement, rs))
        return e;
    const QString description = QStringLiteral("Description");
    for (; !rs.eof(); rs.moveNext())
        out.push_back(detailEntry(rs.text(valueColumn), rs.text(description)));
    return {};
}

DbError loadPersonDetails(int contactnr, const QString &listSetting, const QString &dateSetting,
                          const QDate &today, PersonDetails &details)
{
    details = PersonDetails{};
    details.contactnr = contactnr;
    Recordset person;
    if (DbError e = openRecordset(personDetailsStatement(contactnr), person))
        return e;
    if (person.eof())
        return {};
    details.found = true;
    details.caption = detailsCaption(person.text(QStringLiteral("Firstname")),
                                     person.text(QStringLiteral("Lastname")), listSetting);

    const QVariant born = person.field(QStringLiteral("Dateofbirth"));
    if (born.isValid() && !born.toString().isEmpty()) {
        const QDate date = born.toDate();
        if (date.isValid()) {
            details.hasDate = true;
            details.dateOfBirth = date;
            details.dateText = formatDateOfBirth(date, dateSetting);
            details.age = getAge(date, today);
        }
    }
    details.address = trimBlanks(person.text(QStringLiteral("Address")));

    const int owner = person.field(QStringLiteral("Contactnr")).toInt();
    if (DbError e = readEntries(phoneDetailsStatement(owner), QStringLiteral("Number"), details.phones))
        return e;
    if (DbError e = readEntries(emailDetailsStatement(owner), QStringLiteral("Email"), details.emails))
        return e;
    details.note = trimBlanks(person.text(QStringLiteral("Note")));
    return {};
}

} // namespace velmora
