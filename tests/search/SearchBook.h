#pragma once

// A small book for the search tests: persons chosen so that every operator of
// every row finds some and misses others.

#include "store/Database.h"
#include "store/Engine.h"
#include "store/Sql.h"

#include <QStringList>
#include <QtTest>
#include <memory>

namespace velmora::test {

class SearchBook {
public:
    // Creates the book file at path, with its three tables and the persons
    // below, and makes it the current connection.
    explicit SearchBook(const QString &path)
    {
        QVERIFY2(!catalog::createFile(path).failed(), "book file not created");
        const DbError opened = m_connection.open(path, QString());
        QVERIFY2(!opened.failed(), qPrintable(opened.description));
        setCurrentConnection(&m_connection);
        const QStringList schema = Database::createTableStatements();
        for (const QString &sql : schema)
            run(sql);

        person(1, "Ann", "Smith", "#12/31/1970#", "12 Main Street\nSpringfield", "likes 100% cotton");
        phone(1, 1, "0471 123 456");
        email(1, 1, "ann@example.com");

        // Three numbers that begin with 0471, two e-mail addresses at example.
        person(2, "Anna", "O'Neil", "#1/1/1980#", "Oak Lane 5", "");
        phone(2, 1, "0471/12 34 56");
        phone(2, 2, "+32 471 12");
        phone(2, 3, "0471-999");
        phone(2, 4, "(0471) 777");
        email(2, 1, "anna@example.org");
        email(2, 2, "a.oneil@example.com");

        person(3, "Joanne", "Baker", "Null", "", "a_b");

        person(4, "Bob", "Dannson", "#6/15/1975#", "Main Road 1", "axb");
        phone(4, 1, "02 555 12 34");
        email(4, 1, "bob@example.net");

        // No first name, an empty phone number and an empty e-mail address.
        person(5, "", "Nobody", "Null", "", "");
        phone(5, 1, "");
        email(5, 1, "");

        // Accents: found whatever the case.
        person(6, "Émile", "Dubois", "Null", "", "");
    }
    ~SearchBook()
    {
        setCurrentConnection(nullptr);
        m_connection.close();
    }

    void run(const QString &sql)
    {
        const DbError e = executeSql(sql);
        QVERIFY2(!e.failed(), qPrintable(sql + QStringLiteral(": ") + e.description));
    }

    static QString q(const char *text) { return sqlQuote(QString::fromUtf8(text)); }
    void person(int nr, const char *first, const char *last, const char *date, const char *address,
                const char *note)
    {
        run(QStringLiteral("INSERT INTO Person(Contactnr, Firstname, Lastname, Dateofbirth, Address, [Note]) "
                           "VALUES(%1, '%2', '%3', %4, '%5', '%6') ")
                .arg(QString::number(nr), q(first), q(last), QString::fromLatin1(date), q(address), q(note)));
    }
    void phone(int nr, int order, const char *number) { entry("Phone", "[Number]", nr, order, number); }
    void email(int nr, int order, const char *address) { entry("Email", "Email", nr, order, address); }
    void entry(const char *table, const char *column, int nr, int order, const char *value)
    {
        run(QStringLiteral("INSERT INTO %1(ContactNr, [Order], %2, Description) VALUES(%3, %4, '%5', '') ")
                .arg(QLatin1String(table), QLatin1String(column), QString::number(nr), QString::number(order),
                     q(value)));
    }

private:
    Connection m_connection;
};

} // namespace velmora::test
