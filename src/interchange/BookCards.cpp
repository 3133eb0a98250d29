#include "interchange/BookCards.h"

#include "app/PersonKey.h"
#include "store/Sql.h"

#include <QHash>

namespace velmora {

namespace {

QString text(const RowView &row, int column)
{
    return trimBlanks(QString::fromUtf8(row.utf8(column)));
}

// Reads persons; wanted (when not null) limits them to those numbers.
DbError readPersons(const QHash<int, int> *wanted, QList<CardPerson> &persons, QHash<int, qsizetype> &index)
{
    persons.clear();
    index.clear();
    DbError e = forEachRow(
        QStringLiteral("SELECT Contactnr, Firstname, Lastname, Dateofbirth, Address, Note FROM Person "
                       "ORDER BY Contactnr "),
        [&](const RowView &row) {
            const int nr = int(row.integer(0));
            if (wanted && !wanted->contains(nr))
                return true;
            CardPerson p;
            p.contactnr = nr;
            p.firstName = text(row, 1);
            p.lastName = text(row, 2);
            if (!row.isNull(3))
                p.dateOfBirth = QDate::fromString(
                    QString::fromLatin1(row.utf8(3).first(qMin<qsizetype>(10, row.utf8(3).size()))),
                    Qt::ISODate);
            p.address = text(row, 4);
            p.note = text(row, 5);
            index.insert(nr, persons.size());
            persons += std::move(p);
            return true;
        });
    if (e)
        return e;
    const auto entries = [&](const QString &statement, bool phones) {
        return forEachRow(statement, [&](const RowView &row) {
            const auto it = index.constFind(int(row.integer(0)));
            if (it == index.cend())
                return true;
            CardPerson &p = persons[*it];
            (phones ? p.phones : p.emails).append(CardEntry{text(row, 1), text(row, 2)});
            return true;
        });
    };
    if ((e = entries(QStringLiteral("SELECT Contactnr, Number, Description FROM Phone "
                                    "ORDER BY Contactnr, [Order] "),
                     true)))
        return e;
    return entries(QStringLiteral("SELECT Contactnr, Email, Description FROM Email "
                                  "ORDER BY Contactnr, [Order] "),
                   false);
}

} // namespace

DbError BookCards::readAll(QList<CardPerson> &persons)
{
    QHash<int, qsizetype> index;
    return readPersons(nullptr, persons, index);
}

DbError BookCards::read(const QList<int> &contactnrs, QList<CardPerson> &persons)
{
    QHash<int, int> wanted;
    for (int i = 0; i < contactnrs.size(); ++i)
        wanted.insert(contactnrs.at(i), i);
    QList<CardPerson> byNumber;
    QHash<int, qsizetype> index;
    if (DbError e = readPersons(&wanted, byNumber, index))
        return e;
    persons.clear();
    persons.reserve(byNumber.size());
    for (int nr : contactnrs) {
        const auto it = index.constFind(nr);
        if (it != index.cend())
            persons += byNumber.at(*it);
    }
    return {};
}

} // namespace velmora
