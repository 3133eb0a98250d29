#include "TestEnv.h"

#include "app/PersonKey.h"
#include "editor/PersonStore.h"
#include "store/Database.h"
#include "store/Sql.h"

#include <QtTest>
#include <sqlite3.h>

using namespace velmora;

Q_DECLARE_METATYPE(velmora::PersonStore::Removal)

namespace {

ListEntry entry(const QString &value, const QString &description = QString())
{
    return {PersonStore::itemText(value, description), value};
}

PersonDraft person(const QString &first, const QString &last, const QList<ListEntry> &phones = {},
                   const QList<ListEntry> &emails = {})
{
    return {first, last, QStringLiteral("Null"), {}, {}, phones, emails};
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
    for (const char *table : {"Person", "Phone", "Email"}) {
        Recordset rs; // by number, then name or order
        openRecordset(QStringLiteral("SELECT * FROM %1 ORDER BY 1, 2").arg(QLatin1String(table)), rs);
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
    }
    void cleanup()
    {
        Database::instance().closeDatabase(false);
        m_env.reset();
    }

    // The description is cut from the row text by the value's length, blanks
    // around and all; quotes are doubled.
    void phoneStatement()
    {
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

    // A save the book refuses halfway, a list too long to store or a book without
    // a free number leaves the book as it was; once the cause is gone it succeeds.
    void failedSaveLeavesTheBook_data()
    {
        QTest::addColumn<bool>("update");
        QTest::addColumn<QString>("cause"); // empty: 256 phone numbers
        QTest::addColumn<QString>("cure");
        QTest::addColumn<int>("number"); // of the person added once cured
        const auto row = [](const char *name, bool update, const QString &cause,
                            const QString &cure = QStringLiteral("DROP TRIGGER refuse"),
                            int number = 2) { QTest::newRow(name) << update << cause << cure << number; };
        const QString badPhone = refuse("INSERT ON Phone WHEN NEW.Number = 'bad'");
        row("add: third phone refused", false, badPhone);
        row("add: last e-mail refused", false, refuse("INSERT ON Email WHEN NEW.[Order] = 2"));
        row("add: person refused", false, refuse("INSERT ON Person"));
        row("add: too many phones", false, QString());
        row("add: every number taken", false,
            QStringLiteral(
                "WITH RECURSIVE n(i) AS (SELECT 2 UNION ALL SELECT i + 1 FROM n WHERE i < 32767) "
                "INSERT INTO Person(Contactnr, Firstname, Lastname) SELECT i, 'F' || i, 'L' || i FROM n"),
            QStringLiteral("DELETE FROM Person WHERE Contactnr = 20000"), 20000);
        row("update: phone insert refused", true, badPhone);
        row("update: e-mail delete refused", true, refuse("DELETE ON Email"));
        row("update: too many phones", true, QString());
    }
    void failedSaveLeavesTheBook()
    {
        QFETCH(bool, update);
        QFETCH(QString, cause);
        QFETCH(QString, cure);
        PersonDraft existing = person("Old", "Name", {entry("1", "one"), entry("2")}, {entry("old@x")});
        existing.dateOfBirth = QStringLiteral("#1/2/1980#");
        QCOMPARE(add(existing), 1);
        if (!cause.isEmpty())
            rawSql(cause);
        const QString before = snapshot();

        PersonDraft p =
            person("New", "Person", {entry("a"), entry("b"), entry("bad")}, {entry("x@y"), entry("z@y")});
        while (cause.isEmpty() && p.phones.size() <= PersonStore::kMaxEntries)
            p.phones << entry("9");
        int nr = -5;
        const DbError e = update ? PersonStore::updatePerson(1, p) : PersonStore::addPerson(p, nr);
        QVERIFY(e.failed() && !e.description.isEmpty());
        QCOMPARE(nr, -5);
        QCOMPARE(snapshot(), before);
        if (cause.isEmpty())
            p.phones.removeLast();
        else
            rawSql(cure);
        if (update)
            QVERIFY(!PersonStore::updatePerson(1, p).failed());
        else
            QTEST(add(p), "number");
    }

    // Removal asks first, naming the person. No keeps everything; Yes removes the
    // person with its entries; a refused delete is shown and undone.
    void removal_data()
    {
        QTest::addColumn<PersonStore::Removal>("result");
        QTest::newRow("no") << PersonStore::Removal::Kept;
        QTest::newRow("yes") << PersonStore::Removal::Removed;
        QTest::newRow("yes, delete refused") << PersonStore::Removal::Failed;
    }
    void removal()
    {
        QFETCH(PersonStore::Removal, result);
        const bool refused = result == PersonStore::Removal::Failed;
        add(person("Keep", "Me", {entry("9")}));
        const QString kept = snapshot();
        const int nr = add(person("  Anne ", "O'Smith  ", {entry("1"), entry("2")}, {entry("a@b")}));
        if (refused)
            rawSql(refuse("DELETE ON Person"));
        const QString before = snapshot();

        m_env->prompts.queueAnswer(result == PersonStore::Removal::Kept ? Answer::No : Answer::Yes);
        QCOMPARE(PersonStore::removePerson(nr), result);
        QCOMPARE(snapshot(), result == PersonStore::Removal::Removed ? kept : before);
        QCOMPARE(m_env->prompts.shown().front().text,
                 QStringLiteral("Are you sure you want to remove the following Person:\r\nAnne O'Smith"));
        QCOMPARE(m_env->prompts.shown().size(), size_t(refused ? 2 : 1));
        if (result == PersonStore::Removal::Removed) { // gone: nothing to ask
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
