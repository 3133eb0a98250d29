#pragma once

// Book files for the main window tests, written straight through the engine
// so that no setting (default database, recent list) is touched.

#include "store/Database.h"
#include "store/Engine.h"
#include "store/Sql.h"

#include <QtTest>

namespace velmora::test {

class BookWriter {
public:
    explicit BookWriter(const QString &path)
    {
        m_ok = !catalog::createFile(path).failed() && !m_connection.open(path, QString()).failed();
        setCurrentConnection(&m_connection);
        for (const QString &sql : Database::createTableStatements())
            run(sql);
    }
    ~BookWriter()
    {
        setCurrentConnection(nullptr);
        m_connection.close();
    }
    BookWriter(const BookWriter &) = delete;
    BookWriter &operator=(const BookWriter &) = delete;

    bool ok() const { return m_ok; }

    // date: "#m/d/yyyy#" or "Null".
    void person(int nr, const QString &first, const QString &last,
                const QString &date = QStringLiteral("Null"), const QString &address = QString(),
                const QString &note = QString())
    {
        run(QStringLiteral(
                "INSERT INTO Person ( Contactnr, Firstname, Lastname, Dateofbirth, Address, [Note] ) "
                "VALUES ( %1, '%2', '%3', %4, '%5', '%6' ) ")
                .arg(nr)
                .arg(sqlQuote(first), sqlQuote(last), date, sqlQuote(address), sqlQuote(note)));
    }
    void phone(int nr, int order, const QString &number, const QString &description = QString())
    {
        entry(QStringLiteral("Phone ( Contactnr, [Order], [Number]"), nr, order, number, description);
    }
    void email(int nr, int order, const QString &address, const QString &description = QString())
    {
        entry(QStringLiteral("Email ( Contactnr, [Order], Email"), nr, order, address, description);
    }

private:
    void entry(const QString &columns, int nr, int order, const QString &value, const QString &description)
    {
        run(QStringLiteral("INSERT INTO %1, Description ) VALUES ( %2, %3, '%4', '%5' ) ")
                .arg(columns)
                .arg(nr)
                .arg(order)
                .arg(sqlQuote(value), sqlQuote(description)));
    }
    void run(const QString &sql)
    {
        if (executeSql(sql).failed())
            m_ok = false;
    }
    Connection m_connection;
    bool m_ok = false;
};

// The book most tests use.
inline bool writeSampleBook(const QString &path)
{
    BookWriter book(path);
    book.person(1, QStringLiteral("Anne"), QStringLiteral("Smith"), QStringLiteral("#3/15/1980#"),
                QStringLiteral("12 High Street\nSpringfield"),
                QStringLiteral("See www.example.org or mailto:anne@example.org soon"));
    book.phone(1, 0, QStringLiteral("0471 123 456"), QStringLiteral("home"));
    book.phone(1, 1, QStringLiteral("02 555 12 12"));
    book.email(1, 0, QStringLiteral("anne@hotmail.com"), QStringLiteral("private"));
    book.email(1, 1, QStringLiteral("anne.smith@yahoo.com"));
    book.email(1, 2, QStringLiteral("anne@work.example"));
    book.person(2, QStringLiteral("  Bob "), QStringLiteral("Marley  "));
    book.person(3, QStringLiteral("Tom & Jerry"), QStringLiteral("Cartoon"), QStringLiteral("#2/29/2004#"));
    book.phone(3, 0, QStringLiteral("0471/12 34"));
    book.phone(3, 1, QStringLiteral("0471 12 99"));
    book.phone(3, 2, QStringLiteral("(0471) 12-00"));
    book.person(4, QString(), QStringLiteral("Zimmer"));
    return book.ok();
}

} // namespace velmora::test
