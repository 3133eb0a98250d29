#pragma once

// A small book for the search tests: persons chosen so that every operator of
// every row finds some and misses others.

#include "TestBook.h"

#include "store/Engine.h"
#include "store/Sql.h"

#include <QtTest>
#include <memory>

namespace velmora::test {

class SearchBook {
public:
    // Creates the book file at path, with its three tables and the persons
    // below, and makes it the current connection.
    explicit SearchBook(const QString &path)
    {
        createBook(m_connection, path,
                   {test::person(1, "Ann", "Smith", "#12/31/1970#", "12 Main Street\nSpringfield",
                                 "likes 100% cotton"),
                    entry("Phone", 1, 1, "0471 123 456"), entry("Email", 1, 1, "ann@example.com"),
                    // Three numbers that begin with 0471, two e-mail addresses at example.
                    test::person(2, "Anna", "O'Neil", "#1/1/1980#", "Oak Lane 5"),
                    entry("Phone", 2, 1, "0471/12 34 56"), entry("Phone", 2, 2, "+32 471 12"),
                    entry("Phone", 2, 3, "0471-999"), entry("Phone", 2, 4, "(0471) 777"),
                    entry("Email", 2, 1, "anna@example.org"), entry("Email", 2, 2, "a.oneil@example.com"),
                    test::person(3, "Joanne", "Baker", "Null", "", "a_b"),
                    test::person(4, "Bob", "Dannson", "#6/15/1975#", "Main Road 1", "axb"),
                    entry("Phone", 4, 1, "02 555 12 34"), entry("Email", 4, 1, "bob@example.net"),
                    // No first name, an empty phone number and an empty e-mail address.
                    test::person(5, "", "Nobody"), entry("Phone", 5, 1, ""), entry("Email", 5, 1, ""),
                    // Accents: found whatever the case.
                    test::person(6, "Émile", "Dubois")});
        setCurrentConnection(&m_connection);
    }
    ~SearchBook()
    {
        setCurrentConnection(nullptr);
        m_connection.close();
    }

    void run(const QString &sql)
    {
        const DbError e = executeSql(sql);
        QVERIFY2(!e, qPrintable(sql + QStringLiteral(": ") + e.description));
    }
    void person(int nr, const char *first, const char *last, const char *date, const char *address,
                const char *note)
    {
        run(test::person(nr, first, last, date, address, note));
    }
    void phone(int nr, int order, const char *number) { run(entry("Phone", nr, order, number)); }

private:
    Connection m_connection;
};

} // namespace velmora::test
