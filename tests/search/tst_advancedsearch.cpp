#include "SearchBook.h"
#include "TestEnv.h"

#include "mainwindow/PersonListQuery.h"
#include "mainwindow/SearchState.h"
#include "search/AdvancedSearch.h"
#include "search/SearchRows.h"

#include <QtTest>
#include <algorithm>
#include <initializer_list>

using namespace velmora;

Q_DECLARE_METATYPE(velmora::SearchInput)

namespace {

struct Choice {
    SearchRow row;
    int op;
    QString text;
};

// Every row without a selected operator, then the given choices.
SearchInput choose(std::initializer_list<Choice> choices, const QString &date2 = QString(),
                   const QString &dateFormat = QStringLiteral("dd/mm/yyyy"))
{
    SearchInput in;
    in.dateFormat = dateFormat;
    in.textOf(SearchRow::Dateofbirth) = QStringLiteral("__/__/____");
    in.date2 = date2.isNull() ? QStringLiteral("__/__/____") : date2;
    for (const Choice &c : choices) {
        in.opOf(c.row) = c.op;
        // An untouched date field keeps its mask.
        if (c.row != SearchRow::Dateofbirth || !c.text.isEmpty())
            in.textOf(c.row) = c.text;
    }
    return in;
}

Choice first(int op, const char *text)
{
    return {SearchRow::Firstname, op, QString::fromUtf8(text)};
}
Choice last(int op, const char *text)
{
    return {SearchRow::Lastname, op, QString::fromUtf8(text)};
}
Choice address(int op, const char *text)
{
    return {SearchRow::Address, op, QString::fromUtf8(text)};
}
Choice phone(int op, const char *text)
{
    return {SearchRow::Phone, op, QString::fromUtf8(text)};
}
Choice email(int op, const char *text)
{
    return {SearchRow::Email, op, QString::fromUtf8(text)};
}
Choice note(int op, const char *text)
{
    return {SearchRow::Note, op, QString::fromUtf8(text)};
}
Choice date(int op, const char *text)
{
    return {SearchRow::Dateofbirth, op, QString::fromUtf8(text)};
}

using namespace searchop;

} // namespace

class TestAdvancedSearch : public QObject {
    Q_OBJECT
    test::TestEnv m_env;
    std::unique_ptr<test::SearchBook> m_book;

private slots:
    void initTestCase()
    {
        m_book = std::make_unique<test::SearchBook>(m_env.file(QStringLiteral("search.mdb")));
    }
    void cleanupTestCase() { m_book.reset(); }
    void cleanup() { searchState() = SearchState(); }

    // The condition texts, the flags and the order of the rows.
    void conditions_data()
    {
        QTest::addColumn<SearchInput>("input");
        QTest::addColumn<QString>("condition");
        QTest::addColumn<bool>("byPhone");
        QTest::addColumn<bool>("byEmail");

        const QString phoneFilled = "EXISTS (SELECT Phone.Contactnr FROM Phone WHERE Phone.Contactnr = "
                                    "Person.Contactnr AND Number <> '')";
        const QString emailFilled = "EXISTS (SELECT Email.Contactnr FROM Email WHERE Email.Contactnr = "
                                    "Person.Contactnr AND Email <> '')";

        QTest::newRow("begins with and a quote")
            << choose({first(BeginsWith, "ann"), last(IsEqualTo, "O'Neil")})
            << "WHERE Firstname LIKE 'ann%' AND Lastname = 'O''Neil' " << false << false;
        QTest::newRow("phone filled in with an e-mail text")
            << choose({phone(IsFilledIn, ""), email(IsEqualTo, "a@b.c")})
            << "AND " + phoneFilled + " AND Email = 'a@b.c' " << false << true;
        QTest::newRow("note filled in")
            << choose({note(NoteIsFilledIn, "")}) << "WHERE Note <> '' " << false << false;
        QTest::newRow("wildcards pass unescaped")
            << choose({last(Contains, "%a_b")}) << "WHERE Lastname LIKE '%%a_b%' " << false << false;
        QTest::newRow("blanks around the text are cut")
            << choose({address(EndsWith, "  Springfield ")}) << "WHERE TRIM(Address) LIKE '%Springfield' "
            << false << false;
        QTest::newRow("note contains keeps inner line breaks")
            << choose({note(NoteContains, " call\nme ")}) << "WHERE Note LIKE '%call\nme%' " << false
            << false;
        QTest::newRow("empty texts give nothing")
            << choose({first(Contains, ""), last(IsEqualTo, ""), address(Contains, ""),
                       note(NoteContains, ""), email(Contains, ""), phone(Contains, "")})
            << "" << false << false;
        QTest::newRow("no operator selected")
            << choose({first(None, "ann"), phone(None, "0471")}) << "" << false << false;
        QTest::newRow("rows in their fixed order")
            << choose({note(NoteContains, "n"), address(BeginsWith, "a"), date(DateIsFilledIn, ""),
                       last(Contains, "l"), first(IsEqualTo, "f"), email(IsEqualTo, "e"),
                       phone(IsFilledIn, "")})
            << "AND " + phoneFilled +
                   " AND Email = 'e' AND Firstname = 'f' AND Lastname LIKE '%l%' AND Dateofbirth IS NOT "
                   "NULL AND Address LIKE 'a%' AND Note LIKE '%n%' "
            << false << true;
        QTest::newRow("a phone number gives no condition text")
            << choose({phone(BeginsWith, "0471"), first(Contains, "ann")}) << "AND Firstname LIKE '%ann%' "
            << true << false;

        // Dates: D1 and D2 as typed, month first; both bounds exclusive.
        QTest::newRow("date equal") << choose({date(DateIsEqualTo, "31/12/1970")})
                                    << "WHERE Dateofbirth = #12/31/1970# " << false << false;
        QTest::newRow("date between")
            << choose({date(DateBetween, "31/12/1970")}, "01/01/1980")
            << "WHERE Dateofbirth > #12/31/1970# AND Dateofbirth < #01/01/1980# " << false << false;
        QTest::newRow("between with one date")
            << choose({date(DateBetween, "31/12/1970")}) << "" << false << false;
        QTest::newRow("date before") << choose({date(DateBefore, "1_/_1/1980")}, "31/12/1999")
                                     << "WHERE Dateofbirth < #1/1/1980# " << false << false;
        QTest::newRow("date filled in needs no date")
            << choose({date(DateIsFilledIn, "")}) << "WHERE Dateofbirth IS NOT NULL " << false << false;
    }
    void conditions()
    {
        QFETCH(SearchInput, input);
        QFETCH(QString, condition);
        QFETCH(bool, byPhone);
        QFETCH(bool, byEmail);
        SearchState &state = searchState();
        state.searchMode = true;
        const AdvancedSearch::Outcome outcome = AdvancedSearch(state).apply(input);
        QCOMPARE(state.condition, condition);
        QCOMPARE(state.byPhone, byPhone);
        QCOMPARE(state.byEmail, byEmail);
        QCOMPARE(outcome, condition.isEmpty() && !byPhone ? AdvancedSearch::Outcome::NoCondition
                                                          : AdvancedSearch::Outcome::Search);
        QVERIFY(state.searchMode);
    }

    void phoneFlags_data()
    {
        QTest::addColumn<int>("op");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("byPhone");
        QTest::addColumn<int>("match");
        QTest::addColumn<QString>("number");
        QTest::newRow("contains") << int(Contains) << "12" << true << 1 << "12";
        QTest::newRow("begins with") << int(BeginsWith) << " 0471 " << true << 2 << "0471";
        QTest::newRow("empty text") << int(BeginsWith) << "" << false << 9 << "old";
    }
    void phoneFlags()
    {
        QFETCH(int, op);
        QFETCH(QString, text);
        QFETCH(bool, byPhone);
        QFETCH(int, match);
        QFETCH(QString, number);
        SearchState &state = searchState();
        state.byPhone = true; // left over from an earlier search
        state.phoneMatch = 9;
        state.phoneNumber = QStringLiteral("old");
        const AdvancedSearch::Outcome outcome =
            AdvancedSearch(state).apply(choose({phone(op, qPrintable(text))}));
        QCOMPARE(state.byPhone, byPhone);
        QCOMPARE(state.phoneMatch, match);
        QCOMPARE(state.phoneNumber, number);
        if (byPhone) {
            // A phone number alone is a search, with no condition text.
            QCOMPARE(state.condition, QString());
            QCOMPARE(outcome, AdvancedSearch::Outcome::Search);
        }
    }

    // An invalid date in either field, shown or hidden, stops the search:
    // only the two flags have changed.
    void invalidDates_data()
    {
        QTest::addColumn<SearchInput>("input");
        QTest::newRow("no such day") << choose({date(DateIsEqualTo, "31/02/2001")});
        QTest::newRow("short year") << choose({date(DateAfter, "12/12/70__")});
        QTest::newRow("hidden second date under Before")
            << choose({date(DateBefore, "01/01/1970")}, "99/99/9999");
        QTest::newRow("hidden dates under Is filled in") << choose({date(DateIsFilledIn, "00/00/0000")});
        QTest::newRow("no operator") << choose({date(None, "32/01/1970"), first(Contains, "ann")});
    }
    void invalidDates()
    {
        QFETCH(SearchInput, input);
        SearchState &state = searchState();
        state.byPhone = state.byEmail = true;
        state.phoneMatch = 2;
        state.phoneNumber = QStringLiteral("0471");
        input.opOf(SearchRow::Phone) = Contains;
        input.textOf(SearchRow::Phone) = QStringLiteral("12");
        QCOMPARE(AdvancedSearch(state).apply(input), AdvancedSearch::Outcome::InvalidDate);
        QVERIFY(!state.byPhone);
        QVERIFY(!state.byEmail);
        QCOMPARE(state.phoneMatch, 2);
        QCOMPARE(state.phoneNumber, QStringLiteral("0471"));
        QCOMPARE(state.condition, QString());
        QCOMPARE(AdvancedSearch::invalidDateMessage(), QStringLiteral("Date of birth is invalid!"));
        QCOMPARE(AdvancedSearch::invalidDateTitle(), QStringLiteral("Error"));
    }

    // Every search runs on a real book through the contact list's statements.
    void searchesOnABook_data()
    {
        QTest::addColumn<SearchInput>("input");
        QTest::addColumn<QList<int>>("found");
        using L = QList<int>;
        QTest::newRow("first equal, any case") << choose({first(IsEqualTo, "ann")}) << L{1};
        QTest::newRow("first contains") << choose({first(Contains, "ann")}) << L{1, 2, 3};
        QTest::newRow("accents, any case, contains") << choose({first(Contains, "éMI")}) << L{6};
        QTest::newRow("first filled in") << choose({first(IsFilledIn, "")}) << L{1, 2, 3, 4, 6};
        QTest::newRow("last equal with quote") << choose({last(IsEqualTo, "O'Neil")}) << L{2};
        QTest::newRow("address ends, second line") << choose({address(EndsWith, "field")}) << L{1};
        QTest::newRow("note filled in") << choose({note(NoteIsFilledIn, "")}) << L{1, 3, 4};
        QTest::newRow("percent is a wildcard") << choose({note(NoteContains, "likes%cotton")}) << L{1};
        QTest::newRow("percent alone finds all") << choose({last(Contains, "%")}) << L{1, 2, 3, 4, 5, 6};
        QTest::newRow("quotes never break the statement")
            << choose({first(IsEqualTo, "x'; DROP TABLE Person; --")}) << L{};

        QTest::newRow("e-mail equal") << choose({email(IsEqualTo, "bob@example.net")}) << L{4};
        QTest::newRow("e-mail contains, person once") << choose({email(Contains, "example")}) << L{1, 2, 4};

        QTest::newRow("phone equal, any punctuation")
            << choose({phone(IsEqualTo, "0471-123-456")}) << L{1, 2};
        QTest::newRow("phone begins, three numbers, once") << choose({phone(BeginsWith, "0471")}) << L{1, 2};
        QTest::newRow("phone contains no digits") << choose({phone(Contains, "x")}) << L{1, 2, 4, 5};
        QTest::newRow("phone ends") << choose({phone(EndsWith, "456")}) << L{1, 2};
        QTest::newRow("phone and first name")
            << choose({phone(BeginsWith, "0471"), first(IsEqualTo, "Anna")}) << L{2};
        QTest::newRow("phone and e-mail")
            << choose({phone(EndsWith, "34"), email(Contains, "example")}) << L{4};

        QTest::newRow("date equal") << choose({date(DateIsEqualTo, "31/12/1970")}) << L{1};
        QTest::newRow("date between, exclusive")
            << choose({date(DateBetween, "31/12/1970")}, "01/01/1980") << L{4};
        QTest::newRow("date before, exclusive") << choose({date(DateBefore, "15/06/1975")}) << L{1};
        QTest::newRow("date after, exclusive") << choose({date(DateAfter, "15/06/1975")}) << L{2};
        QTest::newRow("date after, year first")
            << choose({date(DateAfter, "1970/12/31")}, "____/__/__", "yyyy/mm/dd") << L{2, 4};
        QTest::newRow("date filled in") << choose({date(DateIsFilledIn, "")}) << L{1, 2, 4};
        QTest::newRow("date and phone")
            << choose({date(DateBefore, "01/01/1979"), phone(BeginsWith, "0")}) << L{1, 4};
    }
    void searchesOnABook()
    {
        QFETCH(SearchInput, input);
        QFETCH(QList<int>, found);
        SearchState &state = searchState();
        state.searchMode = true;
        const AdvancedSearch::Outcome outcome = AdvancedSearch(state).apply(input);
        QCOMPARE(outcome, AdvancedSearch::Outcome::Search);

        std::vector<PersonRow> rows;
        QString statement;
        const DbError e =
            loadPersonList(QStringLiteral("First name Last name"), true, state, rows, &statement);
        QVERIFY2(!e.failed(), qPrintable(statement + QStringLiteral(": ") + e.description));
        QList<int> numbers;
        for (const PersonRow &row : rows)
            numbers << row.contactnr;
        // Each person once, in name order.
        QList<int> sorted = numbers;
        std::sort(sorted.begin(), sorted.end());
        QVERIFY2(std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end(), qPrintable(statement));
        QCOMPARE(sorted, found);

        // The book is untouched.
        Recordset rs;
        QVERIFY(!openRecordset(QStringLiteral("SELECT Contactnr FROM Person "), rs).failed());
        QCOMPARE(rs.recordCount(), 6);
    }

    // Owners of matching numbers by the hundred (more than are looked up one
    // by one): the other conditions still decide who is listed.
    void phoneSearchOnManyOwners_data()
    {
        QTest::addColumn<SearchInput>("input");
        QTest::addColumn<int>("found");
        QTest::newRow("all owners") << choose({phone(BeginsWith, "0499")}) << 1200;
        QTest::newRow("owners with a last name")
            << choose({phone(BeginsWith, "0499"), last(IsEqualTo, "Odd")}) << 600;
        QTest::newRow("one number") << choose({phone(IsEqualTo, "0499/1299")}) << 1;
    }
    void phoneSearchOnManyOwners()
    {
        QFETCH(SearchInput, input);
        QFETCH(int, found);
        m_book->run(QStringLiteral("BEGIN"));
        for (int nr = 100; nr < 1300; ++nr) {
            m_book->person(nr, "Many", nr % 2 ? "Odd" : "Even", "Null", "", "");
            m_book->phone(nr, 1, QByteArray("0499 " + QByteArray::number(nr)).constData());
        }
        m_book->run(QStringLiteral("COMMIT"));
        SearchState &state = searchState();
        state.searchMode = true;
        QCOMPARE(AdvancedSearch(state).apply(input), AdvancedSearch::Outcome::Search);
        std::vector<PersonRow> rows;
        QVERIFY(!loadPersonList(QStringLiteral("First name Last name"), true, state, rows).failed());
        m_book->run(QStringLiteral("DELETE FROM Phone WHERE Contactnr >= 100"));
        m_book->run(QStringLiteral("DELETE FROM Person WHERE Contactnr >= 100"));
        QCOMPARE(int(rows.size()), found);
        if (found == 1)
            QCOMPARE(rows.front().contactnr, 1299);
    }
};

QTEST_MAIN(TestAdvancedSearch)
#include "tst_advancedsearch.moc"
