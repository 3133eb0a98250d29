#include "mainwindow/PersonListQuery.h"

#include "mainwindow/PersonKey.h"
#include "store/Sql.h"

#include <QVarLengthArray>

namespace velmora {

bool isFirstNameOrder(const QString &listSetting)
{
    return listSetting == QLatin1String(kFirstNameLastName);
}

namespace {

// Compares the digits of a stored number with digits already taken from the
// searched text, without building a new text for every phone row.
bool digitsMatch(QStringView number, QStringView wanted, int match)
{
    QVarLengthArray<char16_t, 64> digits;
    for (const QChar c : number) {
        if (c.unicode() >= '0' && c.unicode() <= '9')
            digits.append(c.unicode());
    }
    const QStringView have(digits.constData(), digits.size());
    switch (match) {
    case 0:
        return have == wanted;
    case 1:
        return have.contains(wanted);
    case 2:
        return have.startsWith(wanted);
    case 3:
        return have.endsWith(wanted);
    default:
        return false;
    }
}

} // namespace

bool phoneNumberMatches(const QString &number, const QString &searched, int match)
{
    return digitsMatch(number, digitsOnly(searched), match);
}

bool usesSearchStatement(bool searchMode, const SearchState &state)
{
    return searchMode && (!state.condition.isEmpty() || state.byPhone);
}

QString phoneSearchStatement(const SearchState &state)
{
    QString inner;
    if (state.byEmail) {
        inner = QStringLiteral("SELECT DISTINCT Person.Contactnr AS Contactnr ") +
                QStringLiteral("FROM Person, Email, Phone ") +
                QStringLiteral("WHERE Person.Contactnr = Email.Contactnr ") +
                QStringLiteral("AND Person.Contactnr = Phone.Contactnr ");
    } else {
        inner = QStringLiteral("SELECT DISTINCT Person.Contactnr AS Contactnr ") +
                QStringLiteral("FROM Person, Phone ") +
                QStringLiteral("WHERE Person.Contactnr = Phone.Contactnr ");
    }
    return QStringLiteral("SELECT Contactnr, Number ") + QStringLiteral("FROM Phone ") +
           QStringLiteral("WHERE Contactnr IN ") + QStringLiteral("( ") + inner + state.condition +
           QStringLiteral(") ");
}

QString contactnrInClause(const std::vector<int> &contactnrs)
{
    if (contactnrs.empty())
        return QStringLiteral("WHERE 1 = 2 ");
    QString out = QStringLiteral("WHERE Contactnr IN(");
    out.reserve(out.size() + qsizetype(contactnrs.size()) * 6 + 2);
    for (size_t i = 0; i < contactnrs.size(); ++i) {
        if (i)
            out += QLatin1Char(',');
        out += QString::number(contactnrs[i]);
    }
    out += QStringLiteral(") ");
    return out;
}

QString personListStatement(const QString &listSetting, bool searchMode, const SearchState &state,
                            const std::vector<int> &matched)
{
    QString sql = QStringLiteral("SELECT Contactnr, Firstname, Lastname ") + QStringLiteral("FROM Person ");
    if (usesSearchStatement(searchMode, state)) {
        sql = QStringLiteral("SELECT * ") + QStringLiteral("FROM Person ");
        if (!state.byPhone) {
            if (state.byEmail) {
                sql = QStringLiteral("SELECT DISTINCT Person.Contactnr AS Contactnr, Firstname, Lastname ") +
                      QStringLiteral("FROM Person, Email ") +
                      QStringLiteral("WHERE Person.Contactnr = Email.Contactnr ");
            }
            sql += state.condition;
        } else {
            sql += contactnrInClause(matched);
        }
    }
    if (isFirstNameOrder(listSetting))
        sql += QStringLiteral("ORDER BY Firstname, Lastname ");
    else
        sql += QStringLiteral("ORDER BY Lastname, Firstname ");
    return sql;
}

DbError loadPersonList(const QString &listSetting, bool searchMode, const SearchState &state,
                       std::vector<PersonRow> &rows, QString *statement)
{
    rows.clear();
    std::vector<int> matched;
    if (usesSearchStatement(searchMode, state) && state.byPhone) {
        Recordset phones;
        if (DbError e = openRecordset(phoneSearchStatement(state), phones))
            return e;
        const QString wanted = digitsOnly(state.phoneNumber);
        const QString numberName = QStringLiteral("Number");
        const QString contactnrName = QStringLiteral("Contactnr");
        for (; !phones.eof(); phones.moveNext()) {
            if (digitsMatch(phones.text(numberName), wanted, state.phoneMatch))
                matched.push_back(phones.field(contactnrName).toInt());
        }
    }
    const QString sql = personListStatement(listSetting, searchMode, state, matched);
    if (statement)
        *statement = sql;
    Recordset rs;
    if (DbError e = openRecordset(sql, rs))
        return e;
    const bool firstNameFirst = isFirstNameOrder(listSetting);
    rows.reserve(size_t(rs.recordCount()));
    const QString contactnrName = QStringLiteral("Contactnr");
    const QString firstName = QStringLiteral("Firstname");
    const QString lastName = QStringLiteral("Lastname");
    for (; !rs.eof(); rs.moveNext()) {
        PersonRow row;
        row.contactnr = rs.field(contactnrName).toInt();
        const QString first = trimBlanks(rs.text(firstName));
        const QString last = trimBlanks(rs.text(lastName));
        row.text = firstNameFirst ? first : last;
        row.subItem = firstNameFirst ? last : first;
        rows.push_back(std::move(row));
    }
    return {};
}

} // namespace velmora
