#include "TestBook.h"
#include "TestEnv.h"

#include "app/PersonKey.h"
#include "mainwindow/PersonListModel.h"
#include "mainwindow/PersonListQuery.h"
#include "mainwindow/QuickSearch.h"

#include <QStandardItemModel>
#include <QtTest>

using namespace velmora;

// The contact list without a window: keys, phone matching, statements, quick search.
class TestPersonList : public QObject {
    Q_OBJECT
    test::TestEnv m_env;

private slots:
    // Keys made from numbers read back; odd keys give the number their digits make, or 0.
    void keys_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("contactnr");
        QTest::addColumn<bool>("made");
        QTest::newRow("negative") << "Person -5" << -5 << true;
        QTest::newRow("largest") << "Person  32767" << 32767 << true;
        QTest::newRow("no digits") << "Person  abc" << 0 << false;
        QTest::newRow("stops at text") << "Person  12abc" << 12 << false;
        QTest::newRow("one blank") << "Person 7" << 7 << false;
        QTest::newRow("fraction rounds") << "Person  12.7" << 13 << false;
        QTest::newRow("half to even") << "Person  12.5" << 12 << false;
        QTest::newRow("too large") << "Person  99999" << 0 << false;
        QTest::newRow("any first word") << "Xxxxxx  9" << 9 << false;
    }
    void keys()
    {
        QFETCH(QString, key);
        QFETCH(int, contactnr);
        QFETCH(bool, made);
        QCOMPARE(contactnrFromKey(key), contactnr);
        if (made)
            QCOMPARE(personKey(contactnr), key);
    }

    void phoneMatching_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<int>("match");
        QTest::addColumn<QString>("searched");
        QTest::addColumn<bool>("matches");
        QTest::newRow("equal digits") << "0471 12 34" << 0 << "0471/1234" << true;
        QTest::newRow("equal differs") << "0471 12 34" << 0 << "0471 12 3" << false;
        QTest::newRow("contains") << "+32 471 123 456" << 1 << "123" << true;
        QTest::newRow("begins with not") << "0471 123 456" << 2 << "471" << false;
        QTest::newRow("ends with") << "0471 123 456" << 3 << "3-456" << true;
        QTest::newRow("ends with not") << "0471 123 456" << 3 << "0471" << false;
        QTest::newRow("unknown match") << "1" << 4 << "1" << false;
        QTest::newRow("other digits than 0-9 ignored") << "\u0661\u0662 3" << 0 << "\u0661 3" << true;
    }
    void phoneMatching()
    {
        QFETCH(QString, number);
        QFETCH(int, match);
        QFETCH(QString, searched);
        QTEST(phoneNumberMatches(number, searched, match), "matches");
    }

    // How the list is sorted and when a search condition applies.
    void statements_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<bool>("searchMode");
        QTest::addColumn<QString>("condition");
        QTest::addColumn<bool>("byEmail");
        QTest::addColumn<QString>("statement");
        const QString all = QStringLiteral("SELECT Contactnr, Firstname, Lastname FROM Person ORDER BY ");
        // clang-format off
        QTest::newRow("first name order") << "First name Last name" << false << "" << false << all + "Firstname, Lastname ";
        QTest::newRow("unknown order is last name first") << "first name last name" << false << "" << false << all + "Lastname, Firstname ";
        QTest::newRow("condition ignored outside search mode") << "First name Last name" << false << "WHERE Firstname = 'A' " << true << all + "Firstname, Lastname ";
        QTest::newRow("e-mail condition") << "Last name First name" << true << "AND Email LIKE '%@x.org%' " << true
            << "SELECT DISTINCT Person.Contactnr AS Contactnr, Firstname, Lastname FROM Person, Email "
               "WHERE Person.Contactnr = Email.Contactnr AND Email LIKE '%@x.org%' ORDER BY Lastname, Firstname ";
        // clang-format on
    }
    void statements()
    {
        QFETCH(QString, list);
        QFETCH(bool, searchMode);
        QFETCH(QString, condition);
        QFETCH(bool, byEmail);
        QTEST(personListStatement(list, searchMode, SearchState{condition, false, byEmail, 0, {}}),
              "statement");
    }

    void phoneSearchStatements()
    {
        SearchState s;
        s.byPhone = true;
        s.condition = QStringLiteral("AND Firstname = 'A' ");
        QCOMPARE(phoneOwnerSelection(s),
                 QStringLiteral("SELECT DISTINCT Person.Contactnr AS Contactnr FROM Person, Phone "
                                "WHERE Person.Contactnr = Phone.Contactnr AND Firstname = 'A' "));
        s.byEmail = true;
        s.condition = QStringLiteral("AND Email = 'a@b.c' ");
        QCOMPARE(phoneOwnerSelection(s),
                 QStringLiteral("SELECT DISTINCT Person.Contactnr AS Contactnr FROM Person, Email, Phone "
                                "WHERE Person.Contactnr = Email.Contactnr "
                                "AND Person.Contactnr = Phone.Contactnr AND Email = 'a@b.c' "));
        s.condition.clear();
        QCOMPARE(
            personListStatement(QStringLiteral("First name Last name"), true, s, {3, 3, 17}),
            QStringLiteral("SELECT * FROM Person WHERE Contactnr IN(3,3,17) ORDER BY Firstname, Lastname "));
        QCOMPARE(personListStatement(QStringLiteral("First name Last name"), true, s, {}),
                 QStringLiteral("SELECT * FROM Person WHERE 1 = 2 ORDER BY Firstname, Lastname "));
    }

    // The phone search compares the numbers in one pass over the phone table, then
    // checks only their owners against the other conditions. A person with three
    // matching numbers is listed once, and the list statement names each person once.
    void phoneSearchListsEachPersonOnce_data()
    {
        QTest::addColumn<QString>("condition");
        QTest::addColumn<bool>("byEmail");
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("listed");
        const QString order = QStringLiteral("ORDER BY Firstname, Lastname ");
        QTest::newRow("no other condition")
            << "" << false << "SELECT * FROM Person WHERE Contactnr IN(1,2) " + order << "1 Anne|2 Bert";
        QTest::newRow("a condition on the person")
            << "AND Firstname = 'bert' " << false << "SELECT * FROM Person WHERE Contactnr IN(2) " + order
            << "2 Bert";
        QTest::newRow("an e-mail address needed")
            << "" << true << "SELECT * FROM Person WHERE Contactnr IN(1) " + order << "1 Anne";
        QTest::newRow("nobody") << "AND Firstname = 'Cleo' " << false
                                << "SELECT * FROM Person WHERE 1 = 2 " + order << "";
    }
    void phoneSearchListsEachPersonOnce()
    {
        QFETCH(QString, condition);
        QFETCH(bool, byEmail);
        Connection c;
        test::createBook(c, m_env.file(QStringLiteral("phones.mdb")),
                         {test::person(1, "Anne", "Smith"), test::person(2, "Bert", "Jones"),
                          test::person(3, "Cleo", "Brown"), test::entry("Phone", 1, 1, "0471 12 34"),
                          test::entry("Phone", 1, 2, "(0471) 1234"),
                          test::entry("Phone", 1, 3, "+32 471 12-34"), test::entry("Phone", 2, 1, "04711234"),
                          test::entry("Phone", 3, 1, "0471 99"),
                          test::entry("Email", 1, 1, "anne@example.org")});
        setCurrentConnection(&c);
        const auto back = qScopeGuard([] { setCurrentConnection(&Database::instance().connection()); });
        SearchState s;
        s.byPhone = true;
        s.byEmail = byEmail;
        s.condition = condition;
        s.phoneMatch = 3; // ends with
        s.phoneNumber = QStringLiteral("471-1234");
        std::vector<PersonRow> rows;
        QString statement;
        QVERIFY(!loadPersonList(QStringLiteral("First name Last name"), true, s, rows, &statement));
        QTEST(statement, "statement");
        QStringList listed;
        for (const PersonRow &row : rows)
            listed << QStringLiteral("%1 %2").arg(row.contactnr).arg(row.text);
        QTEST(listed.join(QLatin1Char('|')), "listed");
    }

    void findsFirstRowByFullName_data()
    {
        QTest::addColumn<QStringList>("list"); // "row text|other name"
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("row");
        const QStringList firstNameFirst{"Andrew|Baker", "Anne|Smith", "Anne|Smythe", "Bert|Cole"};
        QTest::newRow("empty text selects the first row") << firstNameFirst << "" << 0;
        QTest::newRow("prefix of a first name") << firstNameFirst << "an" << 0;
        QTest::newRow("narrowed to the second row") << firstNameFirst << "anne" << 1;
        QTest::newRow("into the other name") << firstNameFirst << "anne sm" << 1;
        QTest::newRow("longer than any name") << firstNameFirst << "anne smythes" << -1;
        QTest::newRow("other name alone finds nothing") << firstNameFirst << "smith" << -1;
        QTest::newRow("leading blank matches nothing") << firstNameFirst << " anne" << -1;
        QTest::newRow("two blanks between the names") << firstNameFirst << "anne  smith" << -1;
        QTest::newRow("empty list") << QStringList{} << "a" << -1;
        QTest::newRow("names are trimmed") << QStringList{"  Anne  |  Smith "} << "anne smith" << 0;
        QTest::newRow("empty row text: blank first") << QStringList{"|Smith", "Smith|"} << " smith" << 0;
        QTest::newRow("not accent-insensitive") << QStringList{"Émile|Zola", "Emile|Zola"} << "emile" << 1;
        QTest::newRow("apostrophe and percent") << QStringList{"O'Brien|100%"} << "o'brien 100%" << 0;
    }
    void findsFirstRowByFullName()
    {
        QFETCH(QStringList, list);
        QFETCH(QString, typed);
        // The same on plain texts, on the rows of the list model and on an item model.
        QStringList texts, subItems;
        std::vector<PersonRow> personRows;
        QStandardItemModel model(0, 2);
        for (const QString &names : list) {
            texts << names.section(QLatin1Char('|'), 0, 0);
            subItems << names.section(QLatin1Char('|'), 1);
            personRows.push_back({int(texts.size()), texts.last(), subItems.last()});
            model.appendRow({new QStandardItem(texts.last()), new QStandardItem(subItems.last())});
        }
        QTEST(QuickSearch::findRow(texts, subItems, typed), "row");
        QTEST(QuickSearch::findRow(personRows, typed), "row");
        QTEST(QuickSearch::findRow(model, typed), "row");
    }

    // The character-by-character comparison agrees with lower-casing the whole name
    // for every character (accents, scripts, capital I with dot, beyond the basic plane).
    void agreesWithWholeLowerCase()
    {
        for (char32_t u = 1; u < 0x20000; ++u) {
            if (u >= 0xD800 && u < 0xE000)
                continue;
            const QString text = QStringLiteral("a") + QString::fromUcs4(&u, 1) + QStringLiteral("b");
            const QString lowered = (text + QStringLiteral(" z")).toLower();
            // Typed: the expected lowered prefix, and a near miss.
            const QString typed = lowered.left(lowered.size() - 1);
            const QString code = QString::number(quint32(u), 16);
            QVERIFY2(QuickSearch::matches(text, QStringLiteral("Z"), typed),
                     qPrintable(code + " not matched"));
            QVERIFY2(!QuickSearch::matches(text, QStringLiteral("Z"), typed + QLatin1Char('q')),
                     qPrintable(code + " over-matched"));
        }
    }
};

QTEST_GUILESS_MAIN(TestPersonList)
#include "tst_personlist.moc"
