#include "HardCases.h"
#include "TestBook.h"
#include "TestEnv.h"

#include "interchange/BookCards.h"
#include "interchange/VcardExport.h"
#include "interchange/VcardImport.h"
#include "interchange/VcardWriter.h"
#include "store/Database.h"
#include "store/Sql.h"

#include <QtTest>
#include <sqlite3.h>

using namespace velmora;

Q_DECLARE_METATYPE(velmora::Answer)

namespace {

void rawSql(const QString &sql)
{
    char *error = nullptr;
    const int rc = sqlite3_exec(Database::instance().connection().handle(), sql.toUtf8().constData(), nullptr,
                                nullptr, &error);
    QVERIFY2(rc == SQLITE_OK, error ? error : "");
}

// Every row of the three tables, in a fixed order.
QString snapshot()
{
    QString out;
    for (const char *table : {"Person", "Phone", "Email"}) {
        Recordset rs;
        openRecordset(QStringLiteral("SELECT * FROM %1 ORDER BY 1, 2").arg(QLatin1String(table)), rs);
        for (; !rs.eof(); rs.moveNext()) {
            QStringList cells;
            for (const auto &c : rs.columns())
                cells << rs.field(c.name).toString();
            out += cells.join(u'|') + u'\n';
        }
    }
    return out;
}

QByteArray cards(const QStringList &names)
{
    QByteArray out;
    for (const QString &n : names)
        out +=
            "BEGIN:VCARD\r\nVERSION:3.0\r\nN:" + n.toUtf8() + "\r\nBDAY:1980-01-02\r\nTEL:1\r\nEND:VCARD\r\n";
    return out;
}

QString numbers()
{
    return test::rows(Database::instance().connection(), "SELECT Contactnr FROM Person ORDER BY Contactnr ");
}

} // namespace

class TestVcardImport : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TestEnv> m_env;

    int importBytes(const QByteArray &bytes, bool duplicates = false)
    {
        VcardImport import;
        QString error;
        if (!import.load(bytes, QStringLiteral("test.vcf"), error))
            return -1;
        import.write(duplicates);
        return import.added();
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

    // The same file twice adds nobody the second time; names compare without
    // regard to case, a different date of birth is another person, and a
    // person twice in one file counts once.
    void duplicatesAreSkipped()
    {
        const QByteArray file = cards({"Smith;Anne", "SMITH;anne", "Jones;Bob"});
        QCOMPARE(importBytes(file), 2);
        QCOMPARE(importBytes(file), 0);
        QCOMPARE(importBytes(cards({"Smith;Anne"}).replace("1980-01-02", "1980-01-03")), 1);

        VcardImport again;
        QString error;
        QVERIFY(again.load(file, QStringLiteral("x"), error));
        QCOMPARE(again.duplicates(), 3);
        QCOMPARE(again.newPersons(false), 0);
        QCOMPARE(again.newPersons(true), 3);
        QCOMPARE(again.write(true), VcardImport::Outcome::Written);
        QCOMPARE(again.added(), 3);
        QCOMPARE(numbers().count(u'|'), 5);
    }

    // New persons fill the gaps from the bottom.
    void takesFreeNumbers()
    {
        test::run(Database::instance().connection(),
                  {test::person(1, "A", "A"), test::person(2, "B", "B"), test::person(4, "D", "D")});
        QCOMPARE(importBytes(cards({"X;1", "X;2", "X;3"})), 3);
        QCOMPARE(numbers(), QStringLiteral("1|2|3|4|5|6"));
        QCOMPARE(test::rows(Database::instance().connection(),
                            "SELECT Contactnr, Number FROM Phone ORDER BY Contactnr ",
                            {"Contactnr", "Number"}),
                 QStringLiteral("3 1|5 1|6 1"));
    }

    // More persons than free numbers: No leaves the book as it was, Yes
    // writes the ones that fit, in file order.
    void moreThanFreeNumbers_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<int>("added");
        QTest::newRow("no") << Answer::No << 0;
        QTest::newRow("yes") << Answer::Yes << 2;
    }
    void moreThanFreeNumbers()
    {
        QFETCH(Answer, answer);
        test::run(Database::instance().connection(), {test::persons(1, 32765, "P", "Q")});
        const QString before = snapshot();
        m_env->prompts.queueAnswer(answer);
        VcardImport import;
        QString error;
        QVERIFY(import.load(cards({"N;1", "N;2", "N;3", "N;4"}), QStringLiteral("x"), error));
        QCOMPARE(import.freeNumbers(), 2);
        import.write(false);
        QCOMPARE(m_env->prompts.messageCount(), 1);
        QVERIFY(m_env->prompts.lastMessage().contains(QStringLiteral("room for 2 more persons")));
        QTEST(import.added(), "added");
        if (answer == Answer::No) {
            QCOMPARE(snapshot(), before);
        } else {
            QCOMPARE(test::rows(Database::instance().connection(),
                                "SELECT Firstname FROM Person WHERE Contactnr > 32765 ", {"Firstname"}),
                     QStringLiteral("1|2"));
            QVERIFY(
                import.summary().contains(QStringLiteral("Persons left out for lack of free numbers: 2")));
        }
    }

    // A statement that fails part-way undoes the whole import.
    void failureLeavesTheBookAsItWas()
    {
        test::run(Database::instance().connection(), {test::person(1, "Old", "One")});
        rawSql(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON Phone WHEN NEW.Contactnr = 4 "
                              "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        const QString before = snapshot();
        QCOMPARE(importBytes(cards({"A;1", "B;2", "C;3", "D;4"})), 0);
        QCOMPARE(snapshot(), before);
        QVERIFY(m_env->prompts.lastMessage().contains(QStringLiteral("refused")));
    }

    void summaryNamesEverything()
    {
        const QByteArray file =
            cards({"A;1"}) +
            "BEGIN:VCARD\r\nVERSION:3.0\r\nN:B;2\r\nORG:Co\r\nPHOTO;ENCODING=b:AA\r\nEND:VCARD\r\n"
            "BEGIN:VCARD\r\nVERSION:3.0\r\nN:C;3\r\nbroken line\r\nEND:VCARD\r\n" +
            cards({"A;1"});
        VcardImport import;
        QString error;
        QVERIFY(import.load(file, QStringLiteral("x"), error));
        QCOMPARE(import.write(false), VcardImport::Outcome::Written);
        QCOMPARE(import.summary(),
                 QStringLiteral("Persons added: 2\nDuplicates skipped: 1\nFields kept in notes: 1\n"
                                "Photos and other binary values left out: 1\n"
                                "Cards that could not be read: 1\n  Line 16: The line cannot be "
                                "read."));
    }

    // An exported selection imported into an empty book gives the same
    // persons: names, dates, addresses, notes, phones and e-mail addresses
    // with their descriptions in their order.
    void roundTripThroughTheBook()
    {
        const QList<CardPerson> persons = test::hardCasePersons(120);
        QByteArray first;
        {
            QBuffer buffer(&first);
            buffer.open(QIODevice::WriteOnly);
            QVERIFY(VcardWriter::write(buffer, persons, VcardWriter::Version::V30));
        }
        QCOMPARE(importBytes(first), persons.size());
        QList<CardPerson> stored;
        QVERIFY(!BookCards::readAll(stored));
        QCOMPARE(stored.size(), persons.size());
        for (qsizetype i = 0; i < persons.size(); ++i)
            QCOMPARE(stored.at(i), persons.at(i));

        // Exported as a file (4.0 this time) and imported into an empty book:
        // the same persons, numbered from 1 in the order chosen.
        QList<int> selection;
        for (int nr = persons.size(); nr >= 1; nr -= 2)
            selection += nr;
        const QString file = m_env->file(QStringLiteral("selection.vcf"));
        QVERIFY(VcardExport::exportPersons(selection, VcardWriter::Version::V40, file).ok);
        Database::instance().closeDatabase(false);
        QVERIFY(Database::instance().newDatabase(m_env->file(QStringLiteral("empty.mdb"))));
        VcardImport import;
        QString error;
        QVERIFY2(import.load(file, error), qPrintable(error));
        QCOMPARE(import.write(false), VcardImport::Outcome::Written);
        QList<CardPerson> imported;
        QVERIFY(!BookCards::readAll(imported));
        QCOMPARE(imported.size(), selection.size());
        for (qsizetype i = 0; i < selection.size(); ++i) {
            CardPerson expected = persons.at(selection.at(i) - 1);
            expected.contactnr = int(i) + 1;
            QCOMPARE(imported.at(i), expected);
        }
    }
};

QTEST_GUILESS_MAIN(TestVcardImport)
#include "tst_vcardimport.moc"
