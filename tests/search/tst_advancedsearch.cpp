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

template <SearchRow R> Choice pick(int op, const char *text)
{
    return {R, op, QString::fromUtf8(text)};
}
constexpr auto first = pick<SearchRow::Firstname>, last = pick<SearchRow::Lastname>,
               address = pick<SearchRow::Address>, phone = pick<SearchRow::Phone>,
               email = pick<SearchRow::Email>, note = pick<SearchRow::Note>,
               date = pick<SearchRow::Dateofbirth>;

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

    // The condition texts, the flags and the order of the rows. phoneSearch
    // is "match|number" of a phone search, empty when there is none.
    void conditions_data()
    {
        QTest::addColumn<SearchInput>("input");
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QString>("phoneSearch");
        QTest::addColumn<bool>("byEmail");
        const auto row = [](const char *name, const SearchInput &in, const QString &condition,
                            const char *phoneSearch = "", bool byEmail = false) {
            QTest::newRow(name) << in << condition << QString::fromLatin1(phoneSearch) << byEmail;
        };
        // clang-format off
        row("begins with and a quote", choose({first(BeginsWith, "ann"), last(IsEqualTo, "O'Neil")}),
            "WHERE Firstname LIKE 'ann%' AND Lastname = 'O''Neil' ");
        row("wildcards pass unescaped", choose({last(Contains, "%a_b")}), "WHERE Lastname LIKE '%%a_b%' ");
        row("blanks around the text are cut", choose({address(EndsWith, "  Springfield ")}),
            "WHERE TRIM(Address) LIKE '%Springfield' ");
        row("note keeps inner line breaks", choose({note(NoteContains, " call\nme ")}),
            "WHERE Note LIKE '%call\nme%' ");
        row("empty texts give nothing", choose({first(Contains, ""), last(IsEqualTo, ""), address(Contains, ""),
            note(NoteContains, ""), email(Contains, ""), phone(Contains, "")}), "");
        row("rows in their fixed order", choose({note(NoteContains, "n"), address(BeginsWith, "a"),
            date(DateIsFilledIn, ""), last(Contains, "l"), first(IsEqualTo, "f"), email(IsEqualTo, "e"),
            phone(IsFilledIn, "")}), "AND EXISTS (SELECT Phone.Contactnr FROM Phone WHERE Phone.Contactnr = "
            "Person.Contactnr AND Number <> '') AND Email = 'e' AND Firstname = 'f' AND Lastname LIKE '%l%' "
            "AND Dateofbirth IS NOT NULL AND Address LIKE 'a%' AND Note LIKE '%n%' ", "", true);
        row("a phone number gives no condition text", choose({phone(BeginsWith, " 0471 "),
            first(Contains, "ann")}), "AND Firstname LIKE '%ann%' ", "2|0471");
        // A date as typed, month first.
        row("date before", choose({date(DateBefore, "1_/_1/1980")}, "31/12/1999"),
            "WHERE Dateofbirth < #1/1/1980# ");
        // clang-format on
    }
    void conditions()
    {
        QFETCH(SearchInput, input);
        QFETCH(QString, condition);
        QFETCH(QString, phoneSearch);
        SearchState &state = searchState();
        state.byPhone = true; // left over from an earlier search
        const AdvancedSearch::Outcome outcome = AdvancedSearch(state).apply(input);
        QCOMPARE(state.condition, condition);
        QCOMPARE(state.byPhone ? QString::number(state.phoneMatch) + QLatin1Char('|') + state.phoneNumber
                               : QString(),
                 phoneSearch);
        QTEST(state.byEmail, "byEmail");
        QCOMPARE(outcome, condition.isEmpty() && phoneSearch.isEmpty() ? AdvancedSearch::Outcome::NoCondition
                                                                       : AdvancedSearch::Outcome::Search);
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
        QList<int> sorted;
        for (const PersonRow &row : rows)
            sorted << row.contactnr;
        // Each person once.
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
