#include "export/PickerPerson.h"

#include "app/PersonKey.h"
#include "mainwindow/PersonListQuery.h"
#include "store/Sql.h"

namespace velmora {

QString pickerDisplayName(const QString &firstName, const QString &lastName, bool firstNameFirst)
{
    const QString first = trimBlanks(firstName);
    const QString last = trimBlanks(lastName);
    return firstNameFirst ? first + QLatin1Char(' ') + last : last + QLatin1Char(' ') + first;
}

QString pickerPersonStatement(const QString &listSetting)
{
    const QString sql =
        QStringLiteral("SELECT Contactnr, Firstname, Lastname ") + QStringLiteral("FROM Person ");
    if (isFirstNameOrder(listSetting))
        return sql + QStringLiteral("ORDER BY Firstname, Lastname, Contactnr ");
    return sql + QStringLiteral("ORDER BY Lastname, Firstname, Contactnr ");
}

DbError loadPickerPersons(const QString &listSetting, std::vector<PickerPerson> &persons)
{
    persons.clear();
    Recordset rs;
    if (DbError e = openRecordset(pickerPersonStatement(listSetting), rs))
        return e;
    const bool firstNameFirst = isFirstNameOrder(listSetting);
    const QString contactnr = QStringLiteral("Contactnr");
    const QString firstName = QStringLiteral("Firstname");
    const QString lastName = QStringLiteral("Lastname");
    persons.reserve(size_t(rs.recordCount()));
    for (; !rs.eof(); rs.moveNext())
        persons.push_back({rs.field(contactnr).toInt(),
                           pickerDisplayName(rs.text(firstName), rs.text(lastName), firstNameFirst)});
    return {};
}

} // namespace velmora
