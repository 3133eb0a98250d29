#include "TestEnv.h"

#include "editor/PersonStore.h"
#include "mainwindow/PersonKey.h"
#include "store/Database.h"
#include "store/Sql.h"

#include <QtTest>
#include <sqlite3.h>

using namespace velmora;

Q_DECLARE_METATYPE(velmora::Answer)
Q_DECLARE_METATYPE(velmora::PersonStore::Removal)

namespace {

ListEntry entry(const QString &value, const QString &description = QString())
{
    return {PersonStore::itemText(value, description), value};
}

PersonDraft person(const QString &first, const QString &last, const QList<ListEntry> &phones = {},
                   const QList<ListEntry> &emails = {})
{
    PersonDraft p;
    p.firstName = first;
    p.lastName = last;
    p.phones = phones;
    p.emails = emails;
    return p;
}

// Runs SQL on the open book past the program's door (triggers, bulk rows).
void rawSql(const QString &sql)
{
    char *error = nullptr;
    const int rc = sqlite3_exec(Database::instance().connection().handle(), sql.toUtf8().constData(), nullptr,
                                nullptr, &error);
    QVERIFY2(rc == SQLITE_OK, error ? error : "");
}

// Everything the book holds, as text, in a fixed order.
QString snapshot()
{
    QString out;
    for (const char *sql :
         {"SELECT * FROM Person ORDER BY Contactnr", "SELECT * FROM Phone ORDER BY Contactnr, [Order]",
          "SELECT * FROM Email ORDER BY Contactnr, [Order]"}) {
        Recordset rs;
        openRecordset(QString::fromLatin1(sql), rs);
        for (; !rs.eof(); rs.moveNext()) {
            QStringList cells;
            for (const auto &c : rs.columns())
                cells << rs.field(c.name).toString();
            out += cells.join(QLatin1Char('|')) + QLatin1Char('\n');
        }
    }
    return out;
}

// A trigger that makes the book refuse a statement.
QString refuse(const char *when)
{
    return QStringLiteral("CREATE TRIGGER refuse BEFORE %1 BEGIN SELECT RAISE(ABORT, 'refused'); END")
        .arg(QLatin1String(when));
}

} // namespace

class TestPersonStore : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TestEnv> m_env;

    int add(const PersonDraft &p)
    {
        int nr = 0;
        return PersonStore::addPerson(p, nr).failed() ? -1 : nr;
    }

private slots:
    void init()
    {
        m_env = std::make_unique<test::TestEnv>();
        QVERIFY(Database::instance().newDatabase(m_env->file(QStringLiteral("book.mdb"))));
        m_env->prompts.clear();
    }
    void cleanup()
    {
        Database::instance().closeDatabase(false);
        m_env.reset();
    }

    // Text values are trimmed of blanks (nothing else) and their quotes
    // doubled; descriptions are cut from the row text by length.
    void statementTexts()
    {
        PersonDraft p = person("  O'Brien ", "Mc'Neil'");
        p.dateOfBirth = QStringLiteral("#12/31/1970#");
        p.address = QStringLiteral(" Main St. 1\r\nDublin ");
        p.note = QStringLiteral("\tnote ");
        QCOMPARE(
            PersonStore::insertPersonStatement(7, p),
            QStringLiteral("INSERT INTO Person(Contactnr, Firstname, Lastname, Dateofbirth, Address, [Note]) "
                           "VALUES(7, 'O''Brien', 'Mc''Neil''', #12/31/1970#, 'Main St. 1\r\nDublin', "
                           "'\tnote') "));
        QCOMPARE(PersonStore::insertPhoneStatement(3, 12, {" 0471 12 (it's (home)) ", "0471 12"}),
                 QStringLiteral("INSERT INTO Phone(ContactNr, [Order], [Number], Description) "
                                "VALUES(3, 12, '0471 12', 'it''s (home)') "));
    }

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
            rawSql(QStringLiteral("INSERT INTO Person(Contactnr, Firstname) VALUES(%1, 'x')").arg(nr));
        QTEST(add(person("New", {})), "expected");
    }

    void fullBookRefusesAnotherPerson()
    {
        rawSql("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 32767) "
               "INSERT INTO Person(Contactnr, Firstname, Lastname) SELECT i, 'F' || i, 'L' || i FROM n");
        const QString before = snapshot();
        const PersonDraft p = person("One", "Too many", {entry("1")});
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

    void storedExactly_data()
    {
        QTest::addColumn<QStringList>("input");  // first, last, address, note
        QTest::addColumn<QStringList>("stored"); // empty: as given
        using S = QStringList;
        QTest::newRow("apostrophes") << S{"O'Brien", "D'Arcy''", "'quoted'", "it's"} << S{};
        QTest::newRow("percent and underscore") << S{"100%", "_x_", "%_%", "50% off_"} << S{};
        QTest::newRow("blanks around are dropped")
            << S{"  Anne  ", " Smith", "  a  b  ", " n "} << S{"Anne", "Smith", "a  b", "n"};
        QTest::newRow("tabs and line breaks stay")
            << S{"\tAnne", "Smith\t", "\r\nStreet\r\n", "\nline\n"} << S{};
        QTest::newRow("non-Latin scripts") << S{"Αλέξανδρος", "山田", "Москва", "مرحبا 🎂"} << S{};
        QTest::newRow("SQL-looking text")
            << S{"x'); DROP TABLE Person; --", "#1/1/2000#", "[Note]", "Null"} << S{};
        const QString longNote = QStringLiteral("line with 'quote' and www.example.org\r\n").repeated(3000);
        QTest::newRow("very long note") << S{"Long", "Note", "", longNote} << S{};
    }
    void storedExactly()
    {
        QFETCH(QStringList, input);
        QFETCH(QStringList, stored);
        if (stored.isEmpty())
            stored = input;
        PersonDraft p =
            person(input[0], input[1], {entry("0471 '12'", "it's %_ (x)"), {"  +32 (0)9  ", "+32 (0)9"}},
                   {entry(input[0] + "@example.org", input[1])});
        p.address = input[2];
        p.note = input[3];
        const int nr = add(p);
        QVERIFY(nr > 0);

        Recordset rs;
        QVERIFY(
            !openRecordset(QStringLiteral("SELECT * FROM Person WHERE Contactnr = %1").arg(nr), rs).failed());
        QCOMPARE(
            (QStringList{rs.text("Firstname"), rs.text("Lastname"), rs.text("Address"), rs.text("Note")}),
            stored);
        QVERIFY(rs.isNull(QStringLiteral("Dateofbirth")));

        // Read back for editing: the texts as stored, the entries as they were.
        PersonDraft loaded;
        QDate date;
        bool found = false;
        QVERIFY(!PersonStore::loadPerson(nr, loaded, date, found).failed() && found);
        QCOMPARE((QStringList{loaded.firstName, loaded.lastName, loaded.address, loaded.note}), stored);
        QCOMPARE(loaded.dateOfBirth, QStringLiteral("Null"));
        QCOMPARE(loaded.phones, (QList<ListEntry>{p.phones.at(0),
                                                  {QStringLiteral("+32 (0)9"), QStringLiteral("+32 (0)9")}}));
        QCOMPARE(loaded.emails.size(), 1);
        QCOMPARE(loaded.emails.at(0).value, trimBlanks(input[0] + QStringLiteral("@example.org")));

        // Saving the loaded person unchanged changes nothing.
        const QString before = snapshot();
        QVERIFY(!PersonStore::updatePerson(nr, loaded).failed());
        QCOMPARE(snapshot(), before);
    }

    // A save the book refuses halfway, or a list too long to store, leaves
    // the book as it was.
    void failedSaveLeavesTheBook_data()
    {
        QTest::addColumn<QString>("trigger"); // empty: 256 phone numbers
        QTest::addColumn<bool>("update");
        const QString badPhone = refuse("INSERT ON Phone WHEN NEW.Number = 'bad'");
        QTest::newRow("add: third phone refused") << badPhone << false;
        QTest::newRow("add: last e-mail refused") << refuse("INSERT ON Email WHEN NEW.[Order] = 2") << false;
        QTest::newRow("add: person refused") << refuse("INSERT ON Person") << false;
        QTest::newRow("add: too many phones") << QString() << false;
        QTest::newRow("update: phone insert refused") << badPhone << true;
        QTest::newRow("update: e-mail delete refused") << refuse("DELETE ON Email") << true;
        QTest::newRow("update: too many phones") << QString() << true;
    }
    void failedSaveLeavesTheBook()
    {
        QFETCH(QString, trigger);
        QFETCH(bool, update);
        PersonDraft existing = person("Old", "Name", {entry("1", "one"), entry("2")}, {entry("old@x")});
        existing.dateOfBirth = QStringLiteral("#1/2/1980#");
        QCOMPARE(add(existing), 1);
        if (!trigger.isEmpty())
            rawSql(trigger);
        const QString before = snapshot();

        PersonDraft p =
            person("New", "Person", {entry("a"), entry("b"), entry("bad")}, {entry("x@y"), entry("z@y")});
        while (trigger.isEmpty() && p.phones.size() <= PersonStore::kMaxEntries)
            p.phones << entry("9");
        int nr = 0;
        const DbError e = update ? PersonStore::updatePerson(1, p) : PersonStore::addPerson(p, nr);
        QVERIFY(e.failed());
        QVERIFY(!e.description.isEmpty());
        QCOMPARE(snapshot(), before);

        // The book goes on working: without the cause the same save succeeds.
        if (trigger.isEmpty())
            p.phones.removeLast();
        else
            rawSql("DROP TRIGGER refuse");
        if (update)
            QVERIFY(!PersonStore::updatePerson(1, p).failed());
        else
            QCOMPARE(add(p), 2);
    }

    // Removal asks first, naming the person. No keeps everything; Yes removes
    // the person with its entries; a refused delete is shown and undone.
    void removal_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<PersonStore::Removal>("result");
        QTest::newRow("no") << Answer::No << false << PersonStore::Removal::Kept;
        QTest::newRow("yes") << Answer::Yes << false << PersonStore::Removal::Removed;
        QTest::newRow("yes, delete refused") << Answer::Yes << true << PersonStore::Removal::Failed;
    }
    void removal()
    {
        QFETCH(Answer, answer);
        QFETCH(bool, refused);
        QFETCH(PersonStore::Removal, result);
        add(person("Keep", "Me", {entry("9")}));
        const QString kept = snapshot();
        const int nr = add(person("  Anne ", "O'Smith  ", {entry("1"), entry("2")}, {entry("a@b")}));
        if (refused)
            rawSql(refuse("DELETE ON Person"));
        const QString before = snapshot();

        m_env->prompts.queueAnswer(answer);
        QCOMPARE(PersonStore::removePerson(nr), result);
        QCOMPARE(snapshot(), result == PersonStore::Removal::Removed ? kept : before);
        QCOMPARE(m_env->prompts.shown().front().text,
                 QStringLiteral("Are you sure you want to remove the following Person:\r\nAnne O'Smith"));
        QCOMPARE(m_env->prompts.shown().size(), size_t(refused ? 2 : 1));
        if (refused)
            QCOMPARE(m_env->prompts.shown().back().icon, Icon::Exclamation);

        // Gone: nothing to ask.
        if (result == PersonStore::Removal::Removed) {
            m_env->prompts.clear();
            QCOMPARE(PersonStore::removePerson(nr), PersonStore::Removal::NotFound);
            QCOMPARE(m_env->prompts.shown().size(), size_t(0));
        }
    }

    void noBookOpen()
    {
        Database::instance().closeDatabase(false);
        int nr = 0;
        QVERIFY(PersonStore::addPerson(person("A", {}), nr).failed());
        QVERIFY(PersonStore::updatePerson(1, person("A", {})).failed());
        QCOMPARE(PersonStore::removePerson(1), PersonStore::Removal::Failed);
    }
};

QTEST_GUILESS_MAIN(TestPersonStore)
#include "tst_personstore.moc"
