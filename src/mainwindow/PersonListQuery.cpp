#include "mainwindow/PersonListQuery.h"

#include "app/PersonKey.h"
#include "store/Sql.h"

#include <QVarLengthArray>
#include <algorithm>
#include <string_view>
#include <unordered_set>

namespace velmora {

bool isFirstNameOrder(const QString &listSetting)
{
    return listSetting == QLatin1String(kFirstNameLastName);
}

namespace {

// Compares the digits of a stored number (UTF-8) with digits already taken
// from the searched text, without building a text for every phone row. The
// digits are ASCII, so they are found byte by byte.
bool digitsMatch(QByteArrayView number, std::string_view wanted, int match)
{
    QVarLengthArray<char, 64> digits;
    for (const char c : number) {
        if (c >= '0' && c <= '9')
            digits.append(c);
    }
    const std::string_view have(digits.constData(), size_t(digits.size()));
    switch (match) {
    case 0:
        return have == wanted;
    case 1:
        return have.find(wanted) != std::string_view::npos;
    case 2:
        return have.starts_with(wanted);
    case 3:
        return have.ends_with(wanted);
    default:
        return false;
    }
}

// Above this many candidate owners their sub-selection is read whole rather
// than looked up one by one.
constexpr size_t kLookedUpOwners = 1000;

} // namespace

bool phoneNumberMatches(const QString &number, const QString &searched, int match)
{
    return digitsMatch(number.toUtf8(), digitsOnly(searched).toStdString(), match);
}

bool usesSearchStatement(bool searchMode, const SearchState &state)
{
    return searchMode && (!state.condition.isEmpty() || state.byPhone);
}

QString phoneOwnerSelection(const SearchState &state)
{
    QString owners;
    if (state.byEmail) {
        owners = QStringLiteral("SELECT DISTINCT Person.Contactnr AS Contactnr ") +
                 QStringLiteral("FROM Person, Email, Phone ") +
                 QStringLiteral("WHERE Person.Contactnr = Email.Contactnr ") +
                 QStringLiteral("AND Person.Contactnr = Phone.Contactnr ");
    } else {
        owners = QStringLiteral("SELECT DISTINCT Person.Contactnr AS Contactnr ") +
                 QStringLiteral("FROM Person, Phone ") +
                 QStringLiteral("WHERE Person.Contactnr = Phone.Contactnr ");
    }
    return owners + state.condition;
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

DbError findPhoneMatches(const SearchState &state, std::vector<int> &matched)
{
    matched.clear();
    // The numbers are compared first, in one pass over the phone table; only
    // the owners of matching numbers are then checked against the other
    // conditions. Reading every phone row through the owners' sub-selection
    // costs several times as much on a large book.
    const std::string wanted = digitsOnly(state.phoneNumber).toStdString();
    std::vector<int> hits;
    DbError error = forEachRow(QStringLiteral("SELECT Contactnr, Number ") + QStringLiteral("FROM Phone "),
                               [&](const RowView &row) {
                                   const qint64 contactnr = row.integer(0);
                                   if (!row.isNull(0) && contactnr == int(contactnr) &&
                                       digitsMatch(row.utf8(1), wanted, state.phoneMatch))
                                       hits.push_back(int(contactnr));
                                   return true;
                               });
    if (error || hits.empty())
        return error;

    std::vector<int> candidates = hits;
    std::sort(candidates.begin(), candidates.end());
    candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
    QString owners = phoneOwnerSelection(state);
    if (candidates.size() <= kLookedUpOwners)
        owners = QStringLiteral("SELECT Contactnr ") + QStringLiteral("FROM ( ") + owners +
                 QStringLiteral(") ") + contactnrInClause(candidates);
    std::unordered_set<qint64> qualified;
    error = forEachRow(owners, [&](const RowView &row) {
        qualified.insert(row.integer(0));
        return true;
    });
    if (error)
        return error;
    // Each person once: a person with several matching numbers is listed once
    // anyway, and a shorter list is a shorter statement to read.
    for (const int contactnr : candidates) {
        if (qualified.count(contactnr))
            matched.push_back(contactnr);
    }
    return {};
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
        if (DbError e = findPhoneMatches(state, matched))
            return e;
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
