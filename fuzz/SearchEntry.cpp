#include "FuzzBook.h"
#include "FuzzEntries.h"
#include "FuzzInput.h"
#include "FuzzWorld.h"

#include "app/PersonKey.h"
#include "editor/DateOfBirth.h"
#include "mainwindow/PersonListQuery.h"
#include "mainwindow/SearchState.h"
#include "search/AdvancedSearch.h"
#include "store/Sql.h"

#include <sqlite3.h>

#include <optional>
#include <set>

namespace velmora::fuzz {

namespace {

using namespace searchop;

// Letters in both cases, an accent in both cases, blanks, a quote and the
// two wildcards.
const QStringList kTextPieces = {
    QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("b"), QStringLiteral("é"), QStringLiteral("É"),
    QStringLiteral(" "), QStringLiteral("'"), QStringLiteral("%"), QStringLiteral("_"), QStringLiteral("ab")};
const QStringList kNumberPieces = {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"),
                                   QStringLiteral(" "), QStringLiteral("-"), QStringLiteral("a")};
const QDate kDates[] = {QDate(1970, 12, 31), QDate(1980, 1, 1), QDate(2000, 2, 29), QDate(1975, 6, 15)};
const QStringList kFormats = {QStringLiteral("dd/mm/yyyy"), QStringLiteral("mm/dd/yyyy"),
                              QStringLiteral("yyyy/mm/dd")};

struct Person {
    int nr = 0;
    QString first, last, address, note;
    std::optional<QDate> date;
    QStringList phones, emails;
};

// LIKE as the search window defines it: "%" any run of characters, "_" any
// one character, case ignored.
bool like(const QString &text, const QString &pattern)
{
    const QString t = text.toCaseFolded();
    const QString p = pattern.toCaseFolded();
    // matched[j]: the first i characters of t match the first j of p.
    std::vector<bool> matched(size_t(p.size()) + 1, false);
    matched[0] = true;
    for (qsizetype j = 1; j <= p.size(); ++j)
        matched[size_t(j)] = matched[size_t(j - 1)] && p[j - 1] == u'%';
    for (qsizetype i = 1; i <= t.size(); ++i) {
        std::vector<bool> next(matched.size(), false);
        for (qsizetype j = 1; j <= p.size(); ++j) {
            const QChar c = p[j - 1];
            if (c == u'%')
                next[size_t(j)] = next[size_t(j - 1)] || matched[size_t(j)];
            else
                next[size_t(j)] = matched[size_t(j - 1)] && (c == u'_' || c == t[i - 1]);
        }
        matched = std::move(next);
    }
    return matched.back();
}

bool equalNoCase(const QString &a, const QString &b)
{
    return a.toCaseFolded() == b.toCaseFolded();
}

QString trimSpaces(const QString &s)
{
    return trimBlanks(s);
}

// One text condition of the rows first name, last name and address.
bool textMatches(const QString &value, int op, const QString &q)
{
    switch (op) {
    case IsEqualTo:
        return equalNoCase(value, q);
    case Contains:
        return like(value, QLatin1Char('%') + q + QLatin1Char('%'));
    case BeginsWith:
        return like(value, q + QLatin1Char('%'));
    case EndsWith:
        return like(trimSpaces(value), QLatin1Char('%') + q);
    case IsFilledIn:
        return !value.isEmpty();
    }
    return true;
}

bool emailMatches(const QString &email, int op, const QString &q)
{
    if (op == IsEqualTo)
        return equalNoCase(email, q);
    return op == IsFilledIn ? !email.isEmpty() : textMatches(trimSpaces(email), op, q);
}

bool digitsMatch(const QString &number, const QString &searched, int op)
{
    const QString have = digitsOnly(number);
    const QString want = digitsOnly(searched);
    switch (op) {
    case IsEqualTo:
        return have == want;
    case Contains:
        return have.contains(want);
    case BeginsWith:
        return have.startsWith(want);
    case EndsWith:
        return have.endsWith(want);
    }
    return false;
}

FuzzBook &book()
{
    static FuzzBook *book = [] {
        auto *b = new FuzzBook;
        const QString error = b->create(FuzzWorld::instance().file(QStringLiteral("search.mdb")));
        if (!error.isEmpty())
            qFatal("%s", qPrintable(error));
        sqlite3_exec(b->connection().handle(), "PRAGMA synchronous = OFF", nullptr, nullptr, nullptr);
        return b;
    }();
    return *book;
}

QString quoted(const QString &text)
{
    return QLatin1Char('\'') + sqlQuote(text) + QLatin1Char('\'');
}

// The text of a date field: a date in the format, the untouched field, a
// day that does not exist or a half-typed field.
QString dateFieldText(FuzzInput &in, const QString &format, std::optional<QDate> &date, bool &valid)
{
    date.reset();
    valid = true;
    switch (in.below(5)) {
    case 0:
        return format == kFormats[2] ? QStringLiteral("____/__/__") : QStringLiteral("__/__/____");
    case 1:
        valid = false;
        return format == kFormats[2] ? QStringLiteral("2001/02/31") : QStringLiteral("31/02/2001");
    case 2:
        valid = false;
        return format == kFormats[2] ? QStringLiteral("1___/__/__") : QStringLiteral("1_/__/____");
    default:
        date = kDates[in.below(4)];
        return DateOfBirth::fieldText(*date, format);
    }
}

} // namespace

QString searchEntry(QByteArrayView data)
{
    FuzzInput in(data);
    std::vector<Person> persons(size_t(1 + in.below(6)));
    QStringList statements = {QStringLiteral("DELETE FROM Email"), QStringLiteral("DELETE FROM Phone"),
                              QStringLiteral("DELETE FROM Person")};
    int nr = 0;
    for (Person &p : persons) {
        p.nr = ++nr;
        p.first = in.pieces(kTextPieces, 3);
        p.last = in.pieces(kTextPieces, 3);
        p.address = in.pieces(kTextPieces, 3);
        p.note = in.pieces(kTextPieces, 3);
        const int d = in.below(5);
        if (d < 4)
            p.date = kDates[d];
        statements << QStringLiteral("INSERT INTO Person VALUES(%1, %2, %3, %4, %5, %6)")
                          .arg(QString::number(p.nr), quoted(p.first), quoted(p.last),
                               p.date ? DateOfBirth::sqlLiteral(*p.date) : QStringLiteral("Null"),
                               quoted(p.address), quoted(p.note));
        for (int k = in.below(3); k > 0; --k) {
            p.phones << in.pieces(kNumberPieces, 4);
            statements << QStringLiteral("INSERT INTO Phone VALUES(%1, %2, %3, '')")
                              .arg(QString::number(p.nr), QString::number(p.phones.size()),
                                   quoted(p.phones.back()));
        }
        for (int k = in.below(3); k > 0; --k) {
            p.emails << in.pieces(kTextPieces, 3);
            statements << QStringLiteral("INSERT INTO Email VALUES(%1, %2, %3, '')")
                              .arg(QString::number(p.nr), QString::number(p.emails.size()),
                                   quoted(p.emails.back()));
        }
    }
    FuzzBook &b = book();
    if (const QString error = b.run(statements); !error.isEmpty())
        return error;

    // The user's choices: an operator per row (or none, or a position no
    // list has) and its text.
    SearchInput input;
    input.dateFormat = kFormats[in.below(3)];
    for (const SearchRow row : kSearchRows) {
        input.opOf(row) = in.below(7) - 1;
        if (row == SearchRow::Dateofbirth)
            continue;
        input.textOf(row) = in.pieces(row == SearchRow::Phone ? kNumberPieces : kTextPieces, 3);
    }
    std::optional<QDate> d1, d2;
    bool valid1, valid2;
    input.textOf(SearchRow::Dateofbirth) = dateFieldText(in, input.dateFormat, d1, valid1);
    input.date2 = dateFieldText(in, input.dateFormat, d2, valid2);

    SearchState state;
    AdvancedSearch search(state);
    const AdvancedSearch::Outcome outcome = search.apply(input);
    if (!valid1 || !valid2)
        return outcome == AdvancedSearch::Outcome::InvalidDate ? QString()
                                                               : QStringLiteral("an invalid date was taken");
    if (outcome == AdvancedSearch::Outcome::InvalidDate)
        return QStringLiteral("a valid date was refused");

    // The plain reference: which persons each chosen condition must match.
    bool anyCondition = false;
    auto op = [&](SearchRow row) { return input.opOf(row); };
    auto text = [&](SearchRow row) { return input.textOf(row); };
    auto active = [&](SearchRow row, int filledIn, int last) {
        const int o = op(row);
        const bool on = o == filledIn || (o >= 0 && o <= last && !text(row).isEmpty());
        anyCondition = anyCondition || on;
        return on;
    };
    const bool firstOn = active(SearchRow::Firstname, IsFilledIn, IsFilledIn);
    const bool lastOn = active(SearchRow::Lastname, IsFilledIn, IsFilledIn);
    const bool addressOn = active(SearchRow::Address, IsFilledIn, IsFilledIn);
    const bool noteOn = active(SearchRow::Note, NoteIsFilledIn, NoteIsFilledIn);
    const bool emailOn = active(SearchRow::Email, IsFilledIn, IsFilledIn);
    const bool phoneFilledIn = active(SearchRow::Phone, IsFilledIn, -1);
    const bool byPhone = op(SearchRow::Phone) >= IsEqualTo && op(SearchRow::Phone) <= EndsWith &&
                         !text(SearchRow::Phone).isEmpty();
    const int dateOp = op(SearchRow::Dateofbirth);
    const bool dateOn = (dateOp == DateIsEqualTo && d1) || (dateOp == DateBetween && d1 && d2) ||
                        ((dateOp == DateBefore || dateOp == DateAfter) && d1) || dateOp == DateIsFilledIn;
    anyCondition = anyCondition || dateOn;
    const bool expectSearch = anyCondition || byPhone;
    if ((outcome == AdvancedSearch::Outcome::Search) != expectSearch)
        return QStringLiteral("outcome %1, expected %2").arg(int(outcome)).arg(expectSearch ? 0 : 1);
    if (!expectSearch)
        return {};

    std::set<int> expected;
    for (const Person &p : persons) {
        bool match = true;
        const auto q = [&](SearchRow row) { return trimBlanks(text(row)); };
        if (firstOn)
            match = match && textMatches(p.first, op(SearchRow::Firstname), q(SearchRow::Firstname));
        if (lastOn)
            match = match && textMatches(p.last, op(SearchRow::Lastname), q(SearchRow::Lastname));
        if (addressOn)
            match = match && textMatches(p.address, op(SearchRow::Address), q(SearchRow::Address));
        if (noteOn) {
            match = match && (op(SearchRow::Note) == NoteContains
                                  ? like(p.note, QLatin1Char('%') + q(SearchRow::Note) + QLatin1Char('%'))
                                  : !p.note.isEmpty());
        }
        if (emailOn) {
            bool any = false;
            for (const QString &e : p.emails)
                any = any || emailMatches(e, op(SearchRow::Email), q(SearchRow::Email));
            match = match && any;
        }
        if (phoneFilledIn) {
            bool any = false;
            for (const QString &n : p.phones)
                any = any || !n.isEmpty();
            match = match && any;
        }
        if (byPhone) {
            bool any = false;
            for (const QString &n : p.phones)
                any = any || digitsMatch(n, text(SearchRow::Phone), op(SearchRow::Phone));
            match = match && any;
        }
        if (dateOn) {
            switch (dateOp) {
            case DateIsEqualTo:
                match = match && p.date && *p.date == *d1;
                break;
            case DateBetween:
                match = match && p.date && *p.date > *d1 && *p.date < *d2;
                break;
            case DateBefore:
                match = match && p.date && *p.date < *d1;
                break;
            case DateAfter:
                match = match && p.date && *p.date > *d1;
                break;
            default:
                match = match && p.date.has_value();
                break;
            }
        }
        if (match)
            expected.insert(p.nr);
    }

    setCurrentConnection(&b.connection());
    std::vector<PersonRow> rows;
    const DbError e = loadPersonList(QString::fromLatin1(kLastNameFirstName), true, state, rows);
    setCurrentConnection(nullptr);
    if (e)
        return QStringLiteral("the list failed: %1 (%2)").arg(e.description, state.condition);
    std::set<int> found;
    for (const PersonRow &row : rows) {
        if (!found.insert(row.contactnr).second)
            return QStringLiteral("person %1 listed twice").arg(row.contactnr);
    }
    if (found != expected) {
        QStringList a, b2;
        for (int n : found)
            a << QString::number(n);
        for (int n : expected)
            b2 << QString::number(n);
        return QStringLiteral("found {%1}, expected {%2}; condition %3")
            .arg(a.join(u','), b2.join(u','), state.condition);
    }
    return {};
}

} // namespace velmora::fuzz
