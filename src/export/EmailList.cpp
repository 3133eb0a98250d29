#include "export/EmailList.h"

#include "app/PersonKey.h"
#include "mainwindow/PersonListQuery.h"
#include "settings/Settings.h"
#include "store/Sql.h"

namespace velmora {

namespace {

const QString kSeparatorSetting = QStringLiteral("Separator");

} // namespace

QString emailPersonsStatement(const QString &listSetting)
{
    return QStringLiteral("SELECT Person.Contactnr, Firstname, Lastname, Email.Contactnr, Order, Email ") +
           QStringLiteral("FROM Person, Email ") +
           QStringLiteral("WHERE Person.Contactnr = Email.Contactnr ") +
           QStringLiteral("AND Email.Order = 1 ") +
           (isFirstNameOrder(listSetting) ? QStringLiteral("ORDER BY Firstname, Lastname ")
                                          : QStringLiteral("ORDER BY Lastname, Firstname "));
}

DbError loadEmailPersons(const QString &listSetting, std::vector<PickerPerson> &persons)
{
    persons.clear();
    Recordset rs;
    if (const DbError e = openRecordset(emailPersonsStatement(listSetting), rs))
        return e;
    const bool firstNameFirst = isFirstNameOrder(listSetting);
    const QString nr = QStringLiteral("Person.Contactnr");
    const QString first = QStringLiteral("Firstname");
    const QString last = QStringLiteral("Lastname");
    const QString email = QStringLiteral("Email");
    persons.reserve(size_t(rs.recordCount()));
    for (; !rs.eof(); rs.moveNext()) {
        const QString name = pickerDisplayName(rs.text(first), rs.text(last), firstNameFirst);
        persons.push_back({rs.field(nr).toInt(),
                           name + QStringLiteral(" (") + trimBlanks(rs.text(email)) + QLatin1Char(')')});
    }
    return {};
}

QString addressListStatement(const std::vector<int> &contactnrs, const QString &listSetting)
{
    QString in;
    in.reserve(qsizetype(contactnrs.size()) * 7);
    for (size_t i = 0; i < contactnrs.size(); ++i) {
        if (i)
            in += QStringLiteral(", ");
        in += QString::number(contactnrs[i]);
    }
    return QStringLiteral("SELECT Email ") + QStringLiteral("FROM Person, Email ") +
           QStringLiteral("WHERE Email.Contactnr IN(") + in + QStringLiteral(") ") +
           QStringLiteral("AND Person.Contactnr = Email.Contactnr ") +
           QStringLiteral("AND Email.Order = 1 ") +
           (isFirstNameOrder(listSetting) ? QStringLiteral("ORDER BY Firstname, Lastname, Person.Contactnr")
                                          : QStringLiteral("ORDER BY Lastname, Firstname, Person.Contactnr"));
}

QString buildAddressList(const std::vector<int> &contactnrs, const QString &listSetting, bool semicolons)
{
    if (contactnrs.empty())
        return {};
    const QString separator = semicolons ? QStringLiteral("; ") : QStringLiteral(", ");
    QString out;
    forEachRow(addressListStatement(contactnrs, listSetting), [&](const RowView &row) {
        if (!out.isEmpty())
            out += separator;
        out += trimBlanks(QString::fromUtf8(row.utf8(0)));
        return true;
    });
    return out;
}

bool semicolonsChosen()
{
    return getSetting(kSeparatorSetting) == QLatin1String(";");
}

void saveSeparator(bool semicolons)
{
    saveSetting(kSeparatorSetting, semicolons ? QStringLiteral(";") : QStringLiteral(","));
}

QString separatorExample(bool semicolons)
{
    const QString separator = semicolons ? QStringLiteral("; ") : QStringLiteral(", ");
    return QStringLiteral("anna@example.org") + separator + QStringLiteral("bert@example.org") + separator +
           QStringLiteral("carla@example.org") + separator + QStringLiteral("...");
}

QString mailtoUrl(const QString &addressList)
{
    static const char hex[] = "0123456789ABCDEF";
    QString url = QStringLiteral("mailto:");
    for (const char c : addressList.toUtf8()) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                          c == '-' || c == '.' || c == '_' || c == '~' || c == '@' || c == ',';
        if (keep) {
            url += QLatin1Char(c);
        } else {
            const auto b = static_cast<unsigned char>(c);
            url += QLatin1Char('%');
            url += QLatin1Char(hex[b >> 4]);
            url += QLatin1Char(hex[b & 15]);
        }
    }
    return url;
}

} // namespace velmora
