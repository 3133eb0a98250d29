#include "TestEnv.h"

#include "mainwindow/PersonKey.h"
#include "mainwindow/PersonListModel.h"
#include "mainwindow/PersonListQuery.h"

#include <QtTest>

using namespace velmora;

// The contact list's keys and statements, checked as text.
class TestPersonList : public QObject {
    Q_OBJECT
    test::TestEnv m_env;

private slots:
    void keys_data()
    {
        QTest::addColumn<int>("contactnr");
        QTest::addColumn<QString>("key");
        QTest::newRow("twelve") << 12 << "Person  12";
        QTest::newRow("negative") << -5 << "Person -5";
        QTest::newRow("largest") << 32767 << "Person  32767";
    }
    void keys()
    {
        QFETCH(int, contactnr);
        QFETCH(QString, key);
        QCOMPARE(personKey(contactnr), key);
        QCOMPARE(contactnrFromKey(key), contactnr);
    }

    void contactnrFromOddKeys_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("contactnr");
        QTest::newRow("no digits") << "Person  abc" << 0;
        QTest::newRow("stops at text") << "Person  12abc" << 12;
        QTest::newRow("one blank") << "Person 7" << 7;
        QTest::newRow("fraction rounds") << "Person  12.7" << 13;
        QTest::newRow("half to even") << "Person  12.5" << 12;
        QTest::newRow("too large") << "Person  99999" << 0;
        QTest::newRow("any first word") << "Xxxxxx  9" << 9;
    }
    void contactnrFromOddKeys()
    {
        QFETCH(QString, key);
        QFETCH(int, contactnr);
        QCOMPARE(contactnrFromKey(key), contactnr);
    }

    void digits_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("digits");
        QTest::newRow("mixed") << "+32 (0)471/12.34"
                               << "3204711234";
        QTest::newRow("none") << "abc"
                              << "";
        QTest::newRow("arabic-indic digits dropped") << QString::fromUtf8("\u0661\u0662 3") << "3";
    }
    void digits()
    {
        QFETCH(QString, text);
        QFETCH(QString, digits);
        QCOMPARE(digitsOnly(text), digits);
    }

    void phoneMatching_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("searched");
        QTest::addColumn<int>("match");
        QTest::addColumn<bool>("matches");
        QTest::newRow("equal digits") << "0471 12 34"
                                      << "0471/1234" << 0 << true;
        QTest::newRow("equal differs") << "0471 12 34"
                                       << "0471 12 3" << 0 << false;
        QTest::newRow("contains") << "+32 471 123 456"
                                  << "123" << 1 << true;
        QTest::newRow("contains no digits searched") << "555"
                                                     << "abc" << 1 << true;
        QTest::newRow("begins with slash") << "0471 123 456"
                                           << "0471/12" << 2 << true;
        QTest::newRow("begins with not") << "0471 123 456"
                                         << "471" << 2 << false;
        QTest::newRow("ends with") << "0471 123 456"
                                   << "3-456" << 3 << true;
        QTest::newRow("ends with not") << "0471 123 456"
                                       << "0471" << 3 << false;
        QTest::newRow("unknown match") << "1"
                                       << "1" << 4 << false;
    }
    void phoneMatching()
    {
        QFETCH(QString, number);
        QFETCH(QString, searched);
        QFETCH(int, match);
        QFETCH(bool, matches);
        QCOMPARE(phoneNumberMatches(number, searched, match), matches);
    }

    void statements_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<bool>("searchMode");
        QTest::addColumn<QString>("condition");
        QTest::addColumn<bool>("byPhone");
        QTest::addColumn<bool>("byEmail");
        QTest::addColumn<QString>("statement");
        const QString first = QStringLiteral("First name Last name");
        const QString last = QStringLiteral("Last name First name");
        QTest::newRow("all, first name order")
            << first << false << "" << false << false
            << "SELECT Contactnr, Firstname, Lastname FROM Person ORDER BY Firstname, Lastname ";
        QTest::newRow("all, last name order")
            << last << false << "" << false << false
            << "SELECT Contactnr, Firstname, Lastname FROM Person ORDER BY Lastname, Firstname ";
        QTest::newRow("unknown order is last name first")
            << "first name last name" << false << "" << false << false
            << "SELECT Contactnr, Firstname, Lastname FROM Person ORDER BY Lastname, Firstname ";
        QTest::newRow("condition ignored outside search mode")
            << first << false << "WHERE Firstname = 'A' " << true << true
            << "SELECT Contactnr, Firstname, Lastname FROM Person ORDER BY Firstname, Lastname ";
        QTest::newRow("search mode without anything to search")
            << first << true << "" << false << true
            << "SELECT Contactnr, Firstname, Lastname FROM Person ORDER BY Firstname, Lastname ";
        QTest::newRow("person condition")
            << first << true << "WHERE Firstname LIKE 'A%' " << false << false
            << "SELECT * FROM Person WHERE Firstname LIKE 'A%' ORDER BY Firstname, Lastname ";
        QTest::newRow("e-mail condition")
            << last << true << "AND Email LIKE '%@x.org%' " << false << true
            << "SELECT DISTINCT Person.Contactnr AS Contactnr, Firstname, Lastname FROM Person, Email "
               "WHERE Person.Contactnr = Email.Contactnr AND Email LIKE '%@x.org%' "
               "ORDER BY Lastname, Firstname ";
    }
    void statements()
    {
        QFETCH(QString, list);
        QFETCH(bool, searchMode);
        QFETCH(QString, condition);
        QFETCH(bool, byPhone);
        QFETCH(bool, byEmail);
        QFETCH(QString, statement);
        SearchState s;
        s.condition = condition;
        s.byPhone = byPhone;
        s.byEmail = byEmail;
        QCOMPARE(personListStatement(list, searchMode, s), statement);
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
};

QTEST_GUILESS_MAIN(TestPersonList)
#include "tst_personlist.moc"
