#pragma once

#include "store/Database.h"
#include "store/Sql.h"

#include <QFile>
#include <QStringList>
#include <QtTest>

namespace velmora::test {

// Runs statements on a connection, failing the calling test at the first one
// that fails.
inline void run(Connection &c, const QStringList &statements)
{
    for (const QString &s : statements) {
        const DbError e = c.execute(s);
        QVERIFY2(!e, qPrintable(s + QStringLiteral(": ") + e.description));
    }
}

// A new book file open on c, its tables in the narrow layout of older files,
// with the statements run on it.
inline void createBook(Connection &c, const QString &path, const QStringList &statements = {})
{
    QFile::remove(path);
    QVERIFY(!catalog::createFile(path));
    QVERIFY(!c.open(path, QString()));
    run(c, Database::createTableStatements() + statements);
}

// Adds one person; the texts are quoted, the date is a literal or Null.
inline QString person(int nr, const QString &first, const QString &last, const QString &date = "Null",
                      const QString &address = {}, const QString &note = {})
{
    return QStringLiteral("INSERT INTO Person(Contactnr, Firstname, Lastname, Dateofbirth, Address, [Note]) "
                          "VALUES(%1, '%2', '%3', %4, '%5', '%6') ")
        .arg(QString::number(nr), sqlQuote(first), sqlQuote(last), date, sqlQuote(address), sqlQuote(note));
}

// Adds persons from to to, named first and last followed by their number.
inline QString persons(int from, int to, const QString &first, const QString &last)
{
    return QStringLiteral("INSERT INTO Person(Contactnr, Firstname, Lastname) WITH RECURSIVE n(i) AS "
                          "(SELECT %1 UNION ALL SELECT i + 1 FROM n WHERE i < %2) SELECT i, '%3', '%4' || i "
                          "FROM n")
        .arg(QString::number(from), QString::number(to), first, last);
}

// Adds a phone number or e-mail address (table "Phone" or "Email").
inline QString entry(const QString &table, int nr, int pos, const QString &value,
                     const QString &description = {})
{
    const QString column = table == QLatin1String("Phone") ? QStringLiteral("[Number]") : table;
    return QStringLiteral("INSERT INTO %1(ContactNr, [Order], %2, Description) VALUES(%3, %4, '%5', '%6') ")
        .arg(table, column, QString::number(nr), QString::number(pos), sqlQuote(value),
             sqlQuote(description));
}

// The fields of every row a query gives, a row's fields joined by blanks
// (Null as "Null") and the rows by "|"; the error when the query fails.
inline QString rows(Connection &c, const QString &statement, const QStringList &fields = {"Contactnr"})
{
    Recordset rs;
    if (const DbError e = openRecordset(c, statement, rs))
        return QStringLiteral("error %1: ").arg(e.number) + e.description;
    QStringList rows;
    for (; !rs.eof(); rs.moveNext()) {
        QStringList row;
        for (const QString &field : fields)
            row << (rs.isNull(field) ? QStringLiteral("Null") : rs.text(field));
        rows << row.join(QLatin1Char(' '));
    }
    return rows.join(QLatin1Char('|'));
}

// A file's bytes; empty when it cannot be read.
inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// What the user is told about a file that is no book.
inline QString notValid(const QString &path)
{
    return QStringLiteral("This is not a valid Velmora database:\n") + path;
}

} // namespace velmora::test
