#include "search/AdvancedSearch.h"

#include "editor/DateOfBirth.h"
#include "app/PersonKey.h"
#include "settings/Translate.h"
#include "store/Sql.h"

namespace velmora {

namespace {

// A date field of the window, read the way the person editor reads its date
// of birth. An untouched field ("//" once the prompt characters are gone)
// gives no date.
struct DateField {
    bool given = false;
    bool valid = true;
    QString literal; // "#m/d/yyyy#"

    DateField(const QString &fieldText, const QString &dateFormat)
    {
        QString text = fieldText;
        text.remove(QLatin1Char('_'));
        if (text == QLatin1String("//"))
            return;
        given = true;
        const std::optional<QString> sql = dateOfBirthToSql(text, dateFormat);
        valid = sql.has_value();
        if (valid)
            literal = *sql;
    }
};

} // namespace

QString AdvancedSearch::invalidDateMessage()
{
    return T("Date of birth") + QLatin1Char(' ') + T("is invalid") + QLatin1Char('!');
}

QString AdvancedSearch::invalidDateTitle()
{
    return T("Error");
}

QString AdvancedSearch::textCondition(SearchRow row, int position, const QString &text)
{
    const QString q = sqlQuote(trimBlanks(text));
    QString column;
    switch (row) {
    case SearchRow::Firstname:
        column = QStringLiteral("Firstname");
        break;
    case SearchRow::Lastname:
        column = QStringLiteral("Lastname");
        break;
    case SearchRow::Address:
        column = QStringLiteral("Address");
        break;
    case SearchRow::Email:
        switch (position) {
        case searchop::IsEqualTo:
            return QStringLiteral("Email = '") + q + QStringLiteral("'");
        case searchop::Contains:
            return QStringLiteral("TRIM(Email) LIKE '%") + q + QStringLiteral("%'");
        case searchop::BeginsWith:
            return QStringLiteral("TRIM(Email) LIKE '") + q + QStringLiteral("%'");
        case searchop::EndsWith:
            return QStringLiteral("TRIM(Email) LIKE '%") + q + QStringLiteral("'");
        case searchop::IsFilledIn:
            return QStringLiteral("EXISTS (SELECT Email.Contactnr FROM Email WHERE Email.Contactnr = "
                                  "Person.Contactnr AND Email <> '')");
        }
        return {};
    case SearchRow::Phone:
        // Numbers are compared by their digits when the list is built, never
        // in SQL.
        if (position == searchop::IsFilledIn) {
            return QStringLiteral("EXISTS (SELECT Phone.Contactnr FROM Phone WHERE Phone.Contactnr = "
                                  "Person.Contactnr AND Number <> '')");
        }
        return {};
    case SearchRow::Note:
        if (position == searchop::NoteContains)
            return QStringLiteral("Note LIKE '%") + q + QStringLiteral("%'");
        if (position == searchop::NoteIsFilledIn)
            return QStringLiteral("Note <> ''");
        return {};
    case SearchRow::Dateofbirth:
        return {};
    }
    switch (position) {
    case searchop::IsEqualTo:
        return column + QStringLiteral(" = '") + q + QStringLiteral("'");
    case searchop::Contains:
        return column + QStringLiteral(" LIKE '%") + q + QStringLiteral("%'");
    case searchop::BeginsWith:
        return column + QStringLiteral(" LIKE '") + q + QStringLiteral("%'");
    case searchop::EndsWith:
        return QStringLiteral("TRIM(") + column + QStringLiteral(") LIKE '%") + q + QStringLiteral("'");
    case searchop::IsFilledIn:
        return column + QStringLiteral(" <> ''");
    }
    return {};
}

void AdvancedSearch::addCondition(const QString &condition)
{
    if (m_state.byPhone || m_state.byEmail)
        m_firstCondition = false;
    if (m_firstCondition) {
        m_state.condition += QStringLiteral("WHERE ") + condition + QLatin1Char(' ');
        m_firstCondition = false;
    } else {
        m_state.condition += QStringLiteral("AND ") + condition + QLatin1Char(' ');
    }
}

void AdvancedSearch::addTextRow(const SearchInput &input, SearchRow row)
{
    const int position = input.opOf(row);
    const bool filledIn =
        position == (row == SearchRow::Note ? searchop::NoteIsFilledIn : searchop::IsFilledIn);
    // The test is on the text as typed: a text of blanks counts.
    if (!filledIn && input.textOf(row).isEmpty())
        return;
    const QString condition = textCondition(row, position, input.textOf(row));
    if (!condition.isEmpty())
        addCondition(condition);
}

AdvancedSearch::Outcome AdvancedSearch::apply(const SearchInput &input)
{
    m_state.byPhone = false;
    m_state.byEmail = false;
    m_firstCondition = true;

    // Both dates are checked whatever the operator, hidden fields included.
    const DateField d1(input.textOf(SearchRow::Dateofbirth), input.dateFormat);
    const DateField d2(input.date2, input.dateFormat);
    if (!d1.valid || !d2.valid)
        return Outcome::InvalidDate;

    // The flags are settled before the first condition: they decide between
    // "WHERE " and "AND ".
    const int phoneOp = input.opOf(SearchRow::Phone);
    if (phoneOp >= searchop::IsEqualTo && phoneOp <= searchop::EndsWith &&
        !input.textOf(SearchRow::Phone).isEmpty()) {
        m_state.byPhone = true;
        m_state.phoneMatch = phoneOp;
        m_state.phoneNumber = trimBlanks(input.textOf(SearchRow::Phone));
    }
    const int emailOp = input.opOf(SearchRow::Email);
    if (emailOp >= searchop::IsEqualTo && emailOp <= searchop::EndsWith &&
        !input.textOf(SearchRow::Email).isEmpty()) {
        m_state.byEmail = true;
    }

    // A new search starts from an empty condition (search mode was off until
    // the window opened, so there is nothing to keep).
    m_state.condition.clear();
    addTextRow(input, SearchRow::Phone);
    addTextRow(input, SearchRow::Email);
    addTextRow(input, SearchRow::Firstname);
    addTextRow(input, SearchRow::Lastname);

    switch (input.opOf(SearchRow::Dateofbirth)) {
    case searchop::DateIsEqualTo:
        if (d1.given)
            addCondition(QStringLiteral("Dateofbirth = ") + d1.literal);
        break;
    case searchop::DateBetween:
        if (d1.given && d2.given) {
            addCondition(QStringLiteral("Dateofbirth > ") + d1.literal);
            addCondition(QStringLiteral("Dateofbirth < ") + d2.literal);
        }
        break;
    case searchop::DateBefore:
        if (d1.given)
            addCondition(QStringLiteral("Dateofbirth < ") + d1.literal);
        break;
    case searchop::DateAfter:
        if (d1.given)
            addCondition(QStringLiteral("Dateofbirth > ") + d1.literal);
        break;
    case searchop::DateIsFilledIn:
        addCondition(QStringLiteral("Dateofbirth IS NOT NULL"));
        break;
    default:
        break;
    }

    addTextRow(input, SearchRow::Address);
    addTextRow(input, SearchRow::Note);

    return (!m_state.condition.isEmpty() || m_state.byPhone) ? Outcome::Search : Outcome::NoCondition;
}

} // namespace velmora
