#include "TestEnv.h"

#include "editor/PersonStore.h"
#include "mainwindow/PersonKey.h"
#include "store/Database.h"
#include "store/Sql.h"

#include <QtTest>
#include <sqlite3.h>

using namespace velmora;

namespace {

ListEntry entry(const QString &value, const QString &description = QString())
{
    return {PersonStore::itemText(value, description), value};
}

PersonDraft person(const QString &first, const QString &last)
{
    PersonDraft p;
    p.firstName = first;
    p.lastName = last;
    return p;
}

// Runs SQL on the open book past the program's door (triggers, bulk rows).
void rawSql(const char *sql)
{
    char *error = nullptr;
    const int rc = sqlite3_exec(Database::instance().connection().handle(), sql, nullptr, nullptr, &error);
    QVERIFY2(rc == SQLITE_OK, error ? error : "");
}

// Everything the book holds, as text: the persons with their phones and
// addresses in order.
QString snapshot()
{
    QString out;
    Recordset rs;
    openRecordset(QStringLiteral("SELECT * FROM Person ORDER BY Contactnr "), rs);
    for (; !rs.eof(); rs.moveNext()) {
        out += QStringLiteral("P|%1|%2|%3|%4|%5|%6\n")
                   .arg(rs.text(QStringLiteral("Contactnr")), rs.text(QStringLiteral("Firstname")),
                        rs.text(QStringLiteral("Lastname")),
                        rs.field(QStringLiteral("Dateofbirth")).toDate().toString(Qt::ISODate),
                        rs.text(QStringLiteral("Address")), rs.text(QStringLiteral("Note")));
    }
    Recordset phones;
    openRecordset(QStringLiteral("SELECT * FROM Phone ORDER BY Contactnr, [Order] "), phones);
    for (; !phones.eof(); phones.moveNext()) {
        out += QStringLiteral("T|%1|%2|%3|%4\n")
                   .arg(phones.text(QStringLiteral("Contactnr")), phones.text(QStringLiteral("Order")),
                        phones.text(QStringLiteral("Number")), phones.text(QStringLiteral("Description")));
    }
    Recordset emails;
    openRecordset(QStringLiteral("SELECT * FROM Email ORDER BY Contactnr, [Order] "), emails);
    for (; !emails.eof(); emails.moveNext()) {
        out += QStringLiteral("E|%1|%2|%3|%4\n")
                   .arg(emails.text(QStringLiteral("Contactnr")), emails.text(QStringLiteral("Order")),
                        emails.text(QStringLiteral("Email")), emails.text(QStringLiteral("Description")));
    }
    return out;
}

} // namespace

class TestPersonStore : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TestEnv> m_env;

    int add(const PersonDraft &p)
    {
        int nr = 0;
        const DbError e = PersonStore::addPerson(p, nr);
        if (e.failed())
            qWarning() << e.number << e.description;
        return e.failed() ? -1 : nr;
    }

private slots:
    void init()
    {
        m_env = std::make_unique<test::TestEnv>();
        const bool created = Database::instance().newDatabase(m_env->file(QStringLiteral("book.mdb")));
        if (!created)
            qWarning() << m_env->prompts.lastMessage();
        QVERIFY(created);
        QVERIFY(Database::instance().isOpen());
        m_env->prompts.clear();
    }
    void cleanup()
    {
        Database::instance().closeDatabase(false);
        m_env.reset();
    }

    // ---- statement texts ----

    void statementTexts()
    {
        PersonDraft p = person(QStringLiteral("  O'Brien "), QStringLiteral("Mc'Neil'"));
        p.dateOfBirth = QStringLiteral("#12/31/1970#");
        p.address = QStringLiteral(" Main St. 1\r\nDublin ");
        p.note = QStringLiteral("\tnote ");
        QCOMPARE(
            PersonStore::insertPersonStatement(7, p),
            QStringLiteral("INSERT INTO Person(Contactnr, Firstname, Lastname, Dateofbirth, Address, [Note]) "
                           "VALUES(7, 'O''Brien', 'Mc''Neil''', #12/31/1970#, 'Main St. 1\r\nDublin', "
                           "'\tnote') "));
        QCOMPARE(PersonStore::updatePersonStatement(7, p),
                 QStringLiteral("UPDATE Person SET Firstname = 'O''Brien', Lastname = 'Mc''Neil''', "
                                "Dateofbirth = #12/31/1970#, Address = 'Main St. 1\r\nDublin', "
                                "[Note] = '\tnote' WHERE Contactnr = 7 "));
        p.dateOfBirth = QStringLiteral("Null");
        QCOMPARE(
            PersonStore::insertPersonStatement(32767, person(QStringLiteral("   "), QString())),
            QStringLiteral("INSERT INTO Person(Contactnr, Firstname, Lastname, Dateofbirth, Address, [Note]) "
                           "VALUES(32767, '', '', Null, '', '') "));
        QCOMPARE(PersonStore::insertPhoneStatement(
                     3, 12, {QStringLiteral(" 0471 12 (it's (home)) "), QStringLiteral("0471 12")}),
                 QStringLiteral("INSERT INTO Phone(ContactNr, [Order], [Number], Description) "
                                "VALUES(3, 12, '0471 12', 'it''s (home)') "));
        QCOMPARE(
            PersonStore::insertEmailStatement(3, 1, {QStringLiteral("  a@b.c  "), QStringLiteral("a@b.c")}),
            QStringLiteral("INSERT INTO Email(ContactNr, [Order], Email, Description) "
                           "VALUES(3, 1, 'a@b.c', '') "));
        QCOMPARE(PersonStore::clearPhonesStatement(3),
                 QStringLiteral("DELETE FROM Phone WHERE Contactnr = 3 "));
        QCOMPARE(PersonStore::clearEmailsStatement(3),
                 QStringLiteral("DELETE FROM Email WHERE Contactnr = 3 "));
        QCOMPARE(PersonStore::removalSelectStatement(12),
                 QStringLiteral("SELECT Firstname, Lastname FROM Person WHERE Contactnr = 12"));
        QCOMPARE(PersonStore::removalStatements(12),
                 (QStringList{QStringLiteral("DELETE FROM Phone WHERE Contactnr = 12"),
                              QStringLiteral("DELETE FROM Email WHERE Contactnr = 12"),
                              QStringLiteral("DELETE FROM Person WHERE Contactnr = 12")}));
    }

    // ---- numbers ----

    void newNumberIsTheFirstGap_data()
    {
        QTest::addColumn<QList<int>>("used");
        QTest::addColumn<int>("expected");
        QTest::newRow("empty book") << QList<int>{} << 1;
        QTest::newRow("1 free") << QList<int>{2, 3} << 1;
        QTest::newRow("gap in the middle") << QList<int>{1, 2, 4} << 3;
        QTest::newRow("a zero") << QList<int>{0, 2} << 1;
    }
    void newNumberIsTheFirstGap()
    {
        QFETCH(QList<int>, used);
        for (int nr : used)
            rawSql(QStringLiteral("INSERT INTO Person(Contactnr, Firstname) VALUES(%1, 'x')")
                       .arg(nr)
                       .toUtf8()
                       .constData());
        QTEST(add(person(QStringLiteral("New"), QString())), "expected");
    }

    void fullBookRefusesAnotherPerson()
    {
        rawSql("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 32767) "
               "INSERT INTO Person(Contactnr, Firstname, Lastname) SELECT i, 'F' || i, 'L' || i FROM n");
        const QString before = snapshot();
        PersonDraft p = person(QStringLiteral("One"), QStringLiteral("Too many"));
        p.phones = {entry(QStringLiteral("1"))};
        int nr = -5;
        const DbError e = PersonStore::addPerson(p, nr);
        QVERIFY(e.failed());
        QVERIFY(!e.description.isEmpty());
        QCOMPARE(nr, -5);
        QCOMPARE(snapshot(), before);
        // Removing one frees its number again.
        QVERIFY(!PersonStore::deletePerson(20000).failed());
        QCOMPARE(add(p), 20000);
    }

    // ---- what is stored ----

    void storedExactly_data()
    {
        QTest::addColumn<QStringList>("input"); // first, last, address, note
        QTest::addColumn<QStringList>("stored");
        using S = QStringList;
        QTest::newRow("apostrophes") << S{"O'Brien", "D'Arcy''", "'quoted'", "it's"}
                                     << S{"O'Brien", "D'Arcy''", "'quoted'", "it's"};
        QTest::newRow("percent and underscore") << S{"100%", "_x_", "%_%", "50% off_"}
                                                << S{"100%", "_x_", "%_%", "50% off_"};
        QTest::newRow("blanks around are dropped") << S{"  Anne  ", " Smith", "  a  b  ", " n "}
                                                   << S{"Anne", "Smith", "a  b", "n"};
        QTest::newRow("tabs and line breaks stay") << S{"\tAnne", "Smith\t", "\r\nStreet\r\n", "\nline\n"}
                                                   << S{"\tAnne", "Smith\t", "\r\nStreet\r\n", "\nline\n"};
        QTest::newRow("non-Latin scripts") << S{"Αλέξανδρος", "山田", "Москва", "مرحبا 🎂"}
                                           << S{"Αλέξανδρος", "山田", "Москва", "مرحبا 🎂"};
        QTest::newRow("SQL-looking text") << S{"x'); DROP TABLE Person; --", "#1/1/2000#", "[Note]", "Null"}
                                          << S{"x'); DROP TABLE Person; --", "#1/1/2000#", "[Note]", "Null"};
        const QString longNote = QStringLiteral("line with 'quote' and www.example.org\r\n").repeated(3000);
        QTest::newRow("very long note") << S{"Long", "Note", "", longNote} << S{"Long", "Note", "", longNote};
    }
    void storedExactly()
    {
        QFETCH(QStringList, input);
        QFETCH(QStringList, stored);
        PersonDraft p = person(input[0], input[1]);
        p.address = input[2];
        p.note = input[3];
        p.phones = {entry(QStringLiteral("0471 '12'"), QStringLiteral("it's %_ (x)")),
                    {QStringLiteral("  +32 (0)9  "), QStringLiteral("+32 (0)9")}};
        p.emails = {entry(input[0] + QStringLiteral("@example.org"), input[1])};
        const int nr = add(p);
        QVERIFY(nr > 0);

        Recordset rs;
        QVERIFY(
            !openRecordset(QStringLiteral("SELECT * FROM Person WHERE Contactnr = %1").arg(nr), rs).failed());
        QVERIFY(!rs.eof());
        const QStringList columns{"Firstname", "Lastname", "Address", "Note"};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(rs.text(columns[i]), stored[i]);
        QVERIFY(rs.isNull(QStringLiteral("Dateofbirth")));

        // Read back for editing: trimmed names, the entries as they were.
        PersonDraft loaded;
        QDate date;
        bool found = false;
        QVERIFY(!PersonStore::loadPerson(nr, loaded, date, found).failed());
        QVERIFY(found);
        QCOMPARE(loaded.firstName, stored[0]);
        QCOMPARE(loaded.note, stored[3]);
        QVERIFY(!date.isValid());
        QCOMPARE(loaded.dateOfBirth, QStringLiteral("Null"));
        QCOMPARE(loaded.phones.size(), 2);
        QCOMPARE(loaded.phones.at(0), p.phones.at(0));
        QCOMPARE(loaded.phones.at(1), (ListEntry{QStringLiteral("+32 (0)9"), QStringLiteral("+32 (0)9")}));
        QCOMPARE(loaded.emails.size(), 1);
        QCOMPARE(loaded.emails.at(0).value, trimBlanks(input[0] + QStringLiteral("@example.org")));

        // Saving the loaded person unchanged changes nothing.
        const QString before = snapshot();
        QVERIFY(!PersonStore::updatePerson(nr, loaded).failed());
        QCOMPARE(snapshot(), before);
    }

    // ---- lists ----

    // ---- failures leave the book as it was ----

    void failedSaveLeavesTheBook_data()
    {
        QTest::addColumn<QByteArray>("trigger");
        QTest::addColumn<bool>("update");
        const QByteArray badPhone("CREATE TRIGGER refuse BEFORE INSERT ON Phone WHEN NEW.Number = 'bad' "
                                  "BEGIN SELECT RAISE(ABORT, 'refused'); END");
        QTest::newRow("add: third phone refused") << badPhone << false;
        QTest::newRow("add: last e-mail refused")
            << QByteArray("CREATE TRIGGER refuse BEFORE INSERT ON Email WHEN NEW.[Order] = 2 "
                          "BEGIN SELECT RAISE(ABORT, 'refused'); END")
            << false;
        QTest::newRow("add: person refused") << QByteArray("CREATE TRIGGER refuse BEFORE INSERT ON Person "
                                                           "BEGIN SELECT RAISE(ABORT, 'refused'); END")
                                             << false;
        QTest::newRow("update: phone insert refused") << badPhone << true;
        QTest::newRow("update: e-mail delete refused")
            << QByteArray("CREATE TRIGGER refuse BEFORE DELETE ON Email BEGIN SELECT RAISE(ABORT, 'refused'); END")
            << true;
    }
    void failedSaveLeavesTheBook()
    {
        QFETCH(QByteArray, trigger);
        QFETCH(bool, update);
        PersonDraft existing = person(QStringLiteral("Old"), QStringLiteral("Name"));
        existing.dateOfBirth = QStringLiteral("#1/2/1980#");
        existing.phones = {entry(QStringLiteral("1"), QStringLiteral("one")), entry(QStringLiteral("2"))};
        existing.emails = {entry(QStringLiteral("old@x"))};
        QCOMPARE(add(existing), 1);
        rawSql(trigger.constData());
        const QString before = snapshot();

        PersonDraft p = person(QStringLiteral("New"), QStringLiteral("Person"));
        p.phones = {entry(QStringLiteral("a")), entry(QStringLiteral("b")), entry(QStringLiteral("bad"))};
        p.emails = {entry(QStringLiteral("x@y")), entry(QStringLiteral("z@y"))};
        int nr = 0;
        const DbError e = update ? PersonStore::updatePerson(1, p) : PersonStore::addPerson(p, nr);
        QVERIFY(e.failed());
        QVERIFY(!e.description.isEmpty());
        QCOMPARE(snapshot(), before);

        // The book goes on working: without the trigger the same save succeeds.
        rawSql("DROP TRIGGER refuse");
        if (update)
            QVERIFY(!PersonStore::updatePerson(1, p).failed());
        else
            QCOMPARE(add(p), 2);
    }

    void failedRemovalLeavesTheBook()
    {
        PersonDraft p = person(QStringLiteral("Anne"), QStringLiteral("Smith"));
        p.phones = {entry(QStringLiteral("1"))};
        p.emails = {entry(QStringLiteral("a@b"))};
        const int nr = add(p);
        rawSql("CREATE TRIGGER refuse BEFORE DELETE ON Person BEGIN SELECT RAISE(ABORT, 'refused'); END");
        const QString before = snapshot();
        m_env->prompts.queueAnswer(Answer::Yes);
        QCOMPARE(PersonStore::removePerson(nr), PersonStore::Removal::Failed);
        QCOMPARE(snapshot(), before);
        QCOMPARE(m_env->prompts.messageCount(), 2);
        QCOMPARE(m_env->prompts.shown().back().icon, Icon::Exclamation);
    }

    // ---- removal ----

    void removalAsksFirst()
    {
        PersonDraft keep = person(QStringLiteral("Keep"), QStringLiteral("Me"));
        keep.phones = {entry(QStringLiteral("9"))};
        add(keep);
        PersonDraft p = person(QStringLiteral("  Anne "), QStringLiteral("O'Smith  "));
        p.phones = {entry(QStringLiteral("1")), entry(QStringLiteral("2"))};
        p.emails = {entry(QStringLiteral("a@b"))};
        const int nr = add(p);
        const QString before = snapshot();

        m_env->prompts.queueAnswer(Answer::No);
        QCOMPARE(PersonStore::removePerson(nr), PersonStore::Removal::Kept);
        QCOMPARE(snapshot(), before);
        QCOMPARE(m_env->prompts.shown().size(), size_t(1));
        const auto &question = m_env->prompts.shown().front();
        QCOMPARE(question.text,
                 QStringLiteral("Are you sure you want to remove the following Person:\r\nAnne O'Smith"));
        QCOMPARE(question.title, QStringLiteral("Remove"));
        QCOMPARE(question.icon, Icon::Question);
        QCOMPARE(question.buttons, Buttons::YesNo);

        m_env->prompts.queueAnswer(Answer::Yes);
        QCOMPARE(PersonStore::removePerson(nr), PersonStore::Removal::Removed);
        QCOMPARE(snapshot(), QStringLiteral("P|1|Keep|Me|||\nT|1|1|9|\n"));

        m_env->prompts.clear();
        QCOMPARE(PersonStore::removePerson(nr), PersonStore::Removal::NotFound);
        QCOMPARE(m_env->prompts.shown().size(), size_t(0));
    }

    void noBookOpen()
    {
        Database::instance().closeDatabase(false);
        int nr = 0;
        QVERIFY(PersonStore::addPerson(person(QStringLiteral("A"), QString()), nr).failed());
        QVERIFY(PersonStore::updatePerson(1, person(QStringLiteral("A"), QString())).failed());
        QCOMPARE(PersonStore::removePerson(1), PersonStore::Removal::Failed);
    }
};

QTEST_GUILESS_MAIN(TestPersonStore)
#include "tst_personstore.moc"
