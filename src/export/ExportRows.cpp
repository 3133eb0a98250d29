#include "export/ExportRows.h"

#include "app/PersonKey.h"
#include "export/PickerPerson.h"
#include "mainwindow/PersonListQuery.h"
#include "settings/DisplayOptions.h"
#include "settings/Settings.h"
#include "store/Sql.h"

#include <QFile>

namespace velmora {

ExportStatements exportStatements(const QString &listSetting, const std::vector<int> &contactnrs)
{
    const QString order = isFirstNameOrder(listSetting)
                              ? QStringLiteral("ORDER BY Firstname, Lastname, Person.Contactnr")
                              : QStringLiteral("ORDER BY Lastname, Firstname, Person.Contactnr");
    QString where = QStringLiteral("WHERE Person.Contactnr IN(");
    where.reserve(where.size() + qsizetype(contactnrs.size()) * 7 + 2);
    for (size_t i = 0; i < contactnrs.size(); ++i) {
        if (i)
            where += QStringLiteral(", ");
        where += QString::number(contactnrs[i]);
    }
    where += QStringLiteral(") ");
    ExportStatements s;
    s.persons = QStringLiteral("SELECT * ") + QStringLiteral("FROM Person ") + where + order;
    s.phones = QStringLiteral("SELECT Phone.Contactnr, Number, Description ") +
               QStringLiteral("FROM Phone, Person ") + where +
               QStringLiteral("AND Phone.Contactnr = Person.Contactnr ") + order +
               QStringLiteral(", [Order] ");
    s.emails = QStringLiteral("SELECT Email.Contactnr, Email, Description ") +
               QStringLiteral("FROM Email, Person ") + where +
               QStringLiteral("AND Email.Contactnr = Person.Contactnr ") + order +
               QStringLiteral(", [Order] ");
    return s;
}

QString ExportEntry::text(bool withDescription) const
{
    if (withDescription && !description.isEmpty())
        return value + QStringLiteral(" (") + description + QLatin1Char(')');
    return value;
}

QString replaceLineBreaks(const QString &text, const QString &replacement)
{
    if (!text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n')))
        return text;
    QString out;
    out.reserve(text.size() + 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r')) {
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            out += replacement;
        } else if (c == QLatin1Char('\n')) {
            out += replacement;
        } else {
            out += c;
        }
    }
    return out;
}

namespace {

// A forward walk over the phone or e-mail rows, grouped by person in export
// order: takes the rows of one person at a time.
class EntryWalk {
public:
    EntryWalk(Recordset &rs, const QString &valueField) : m_rs(rs), m_value(valueField) {}
    void take(int contactnr, std::vector<ExportEntry> &into)
    {
        into.clear();
        while (!m_rs.eof() && m_rs.field(m_contactnr).toInt() == contactnr) {
            into.push_back({trimBlanks(m_rs.text(m_value)), trimBlanks(m_rs.text(m_description))});
            m_rs.moveNext();
        }
    }

private:
    Recordset &m_rs;
    const QString m_value;
    const QString m_contactnr = QStringLiteral("Contactnr");
    const QString m_description = QStringLiteral("Description");
};

} // namespace

DbError walkExportPersons(const std::vector<int> &contactnrs, const ExportOptions &options,
                          const ProgressCallback &progress,
                          const std::function<void(const ExportPerson &)> &visit)
{
    const QString listSetting = getSetting(QStringLiteral("List"));
    const bool firstNameFirst = isFirstNameOrder(listSetting);
    QString dateFormat = getSetting(QStringLiteral("Date"));
    if (dateFormatIndex(dateFormat) < 0)
        dateFormat = dateFormatAt(0);
    const ExportStatements statements = exportStatements(listSetting, contactnrs);
    Recordset persons;
    Recordset phones;
    Recordset emails;
    if (DbError e = openRecordset(statements.persons, persons))
        return e;
    if (options.phone) {
        if (DbError e = openRecordset(statements.phones, phones))
            return e;
    }
    if (options.email) {
        if (DbError e = openRecordset(statements.emails, emails))
            return e;
    }
    ProgressSteps steps(progress, persons.recordCount());
    EntryWalk phoneWalk(phones, QStringLiteral("Number"));
    EntryWalk emailWalk(emails, QStringLiteral("Email"));
    const QString contactnr = QStringLiteral("Contactnr");
    const QString firstName = QStringLiteral("Firstname");
    const QString lastName = QStringLiteral("Lastname");
    const QString dateOfBirth = QStringLiteral("Dateofbirth");
    const QString address = QStringLiteral("Address");
    const QString note = QStringLiteral("Note");
    ExportPerson person;
    for (; !persons.eof(); persons.moveNext()) {
        person.contactnr = persons.field(contactnr).toInt();
        person.name = pickerDisplayName(persons.text(firstName), persons.text(lastName), firstNameFirst);
        person.dateOfBirth = formatDateOfBirth(persons.field(dateOfBirth).toDate(), dateFormat);
        person.address = trimBlanks(persons.text(address));
        person.note = trimBlanks(persons.text(note));
        if (options.phone)
            phoneWalk.take(person.contactnr, person.phones);
        if (options.email)
            emailWalk.take(person.contactnr, person.emails);
        visit(person);
        steps.step();
    }
    return {};
}

FileResult finishExportFile(PageWriter &writer, const QString &path, const DbError &error)
{
    const bool written = writer.flush() && writer.ok();
    if (error || !written) {
        QFile::remove(path);
        return FileResult{false, error ? error.description : writer.errorText()};
    }
    return {};
}

} // namespace velmora
