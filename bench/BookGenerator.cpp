#include "BookGenerator.h"

#include "store/Database.h"
#include "store/Engine.h"
#include "store/Sql.h"

#include <QDir>
#include <QHash>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>
#include <memory>
#include <random>

namespace velmora::bench {

namespace {

const char *const kFirstNames[] = {
    "Anne",    "Émile",  "Zoë",     "Jürgen", "Renée",    "Bob",      "Chloé",    "Ødegaard", "Sören",
    "Ana",     "José",   "Inès",    "Márton", "Ľubica",   "Łukasz",   "anne",     "Émilie",   "Emma",
    "Ève",     "Oscar",  "Ölmez",   "Ángel",  "Çelik",    "Dorothée", "Frédéric", "Gaëlle",   "Hélène",
    "Ignacio", "Jérôme", "Karl",    "Léa",    "Maëlys",   "Noël",     "Océane",   "Pål",      "Quentin",
    "Raphaël", "Søren",  "Thérèse", "Ulrich", "Valérie",  "Wiebke",   "Xavier",   "Yannick",  "Zoé",
    "Åsa",     "Björn",  "Cécile",  "Dóra",   "Eleonóra",
};

const char *const kLastNames[] = {
    "Smith",     "Dubois",     "O'Brien",      "Müller",    "Évrard",       "Zimmermann", "Ødegård",
    "Åberg",     "García",     "Núñez",        "Łęcki",     "Černý",        "Dvořák",     "Schröder",
    "Lefèvre",   "Østergaard", "Fernández",    "Gonçalves", "Hernández",    "Iglesias",   "Janssens",
    "Kovács",    "Lambert",    "Martínez",     "Nowak",     "Özdemir",      "Petit",      "Quispe",
    "Rossi",     "Sánchez",    "Thomas",       "Ulusoy",    "Van den Berg", "Weiß",       "Xu",
    "Yılmaz",    "Zając",      "de la Fuente", "van Dijk",  "Éluard",       "Ünal",       "Ísleifsson",
    "Bjørnstad", "Castaño",    "Duchêne",
};

const char *const kStreets[] = {"Main Street",   "Rue de la Paix", "Hauptstraße", "Calle Mayor",
                                "Kerkstraat",    "Via Roma",       "Ulica Długa", "Storgatan",
                                "Avenue Louise", "Baker Street"};

const char *const kDescriptions[] = {"mobile", "home", "work", "fax", "", "holiday", "office (old)"};

QHash<int, QString> &books()
{
    static QHash<int, QString> paths;
    return paths;
}

QTemporaryDir &folder()
{
    static QTemporaryDir dir;
    return dir;
}

bool exec(sqlite3 *db, const char *sql)
{
    char *message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        std::fprintf(stderr, "BookGenerator: %s: %s\n", sql, message ? message : "");
        sqlite3_free(message);
        return false;
    }
    return true;
}

void bindText(sqlite3_stmt *st, int index, const QByteArray &text)
{
    sqlite3_bind_text(st, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
}

bool stepAndReset(sqlite3 *db, sqlite3_stmt *st)
{
    const int rc = sqlite3_step(st);
    sqlite3_reset(st);
    if (rc != SQLITE_DONE) {
        std::fprintf(stderr, "BookGenerator: %s\n", sqlite3_errmsg(db));
        return false;
    }
    return true;
}

} // namespace

QString BookGenerator::book(int count)
{
    auto it = books().constFind(count);
    if (it != books().constEnd())
        return *it;
    const QString path = QDir(folder().path()).filePath(QStringLiteral("book-%1.mdb").arg(count));
    if (!write(path, count))
        return QString();
    books().insert(count, path);
    return path;
}

bool BookGenerator::write(const QString &path, int count)
{
    if (catalog::createFile(path))
        return false;
    Connection c;
    if (c.open(path, QString()))
        return false;
    // The book's own layout, widened as every opened book is.
    const QStringList schema = Database::createTableStatements() + Database::upgradeStatements();
    for (const QString &statement : schema) {
        if (DbError e = c.execute(statement)) {
            std::fprintf(stderr, "BookGenerator: %s: %s\n", qPrintable(statement), qPrintable(e.description));
            return false;
        }
    }

    sqlite3 *db = c.handle();
    if (!exec(db, "BEGIN"))
        return false;
    sqlite3_stmt *person = nullptr;
    sqlite3_stmt *phone = nullptr;
    sqlite3_stmt *email = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO Person(Contactnr, Firstname, Lastname, Dateofbirth, Address, \"Note\") "
                       "VALUES(?1, ?2, ?3, ?4, ?5, ?6)",
                       -1, &person, nullptr);
    sqlite3_prepare_v2(
        db, "INSERT INTO Phone(Contactnr, \"Order\", \"Number\", Description) VALUES(?1, ?2, ?3, ?4)", -1,
        &phone, nullptr);
    sqlite3_prepare_v2(db,
                       "INSERT INTO Email(Contactnr, \"Order\", Email, Description) VALUES(?1, ?2, ?3, ?4)",
                       -1, &email, nullptr);
    std::mt19937 random(20261206);
    auto pick = [&](auto &list) { return list[random() % std::size(list)]; };
    bool ok = person && phone && email;
    for (int nr = 1; ok && nr <= count; ++nr) {
        // Double first names and double last names make a few thousand
        // different names, as a large book has.
        QByteArray first = pick(kFirstNames);
        if (random() % 4 == 0)
            first += QByteArray(random() % 2 ? "-" : " ") + pick(kFirstNames);
        QByteArray last = pick(kLastNames);
        if (random() % 3 == 0)
            last += QByteArray(random() % 2 ? "-" : " ") + pick(kLastNames);
        sqlite3_bind_int(person, 1, nr);
        bindText(person, 2, first);
        bindText(person, 3, last);
        if (random() % 10 < 7) {
            const QByteArray date = QStringLiteral("%1-%2-%3")
                                        .arg(1930 + int(random() % 90))
                                        .arg(1 + int(random() % 12), 2, 10, QLatin1Char('0'))
                                        .arg(1 + int(random() % 28), 2, 10, QLatin1Char('0'))
                                        .toUtf8();
            bindText(person, 4, date);
        } else {
            sqlite3_bind_null(person, 4);
        }
        bindText(person, 5,
                 QByteArray(pick(kStreets)) + ' ' + QByteArray::number(1 + int(random() % 200)) + "\r\n" +
                     QByteArray::number(1000 + int(random() % 9000)) + " Town");
        bindText(person, 6,
                 "Met at the conference in " + QByteArray::number(1990 + int(random() % 35)) +
                     ". Likes tea; see http://example.org/" + QByteArray::number(nr));
        ok = stepAndReset(db, person);
        for (int pos = 1; ok && pos <= 3; ++pos) {
            sqlite3_bind_int(phone, 1, nr);
            sqlite3_bind_int(phone, 2, pos);
            bindText(phone, 3,
                     "+32 4" + QByteArray::number(70 + pos) + ' ' +
                         QByteArray::number(100000 + int(random() % 900000)));
            bindText(phone, 4, pick(kDescriptions));
            ok = stepAndReset(db, phone);
        }
        for (int pos = 1; ok && pos <= 2; ++pos) {
            sqlite3_bind_int(email, 1, nr);
            sqlite3_bind_int(email, 2, pos);
            bindText(email, 3,
                     "person" + QByteArray::number(nr) + '.' + QByteArray::number(pos) + "@example.org");
            bindText(email, 4, pick(kDescriptions));
            ok = stepAndReset(db, email);
        }
    }
    sqlite3_finalize(person);
    sqlite3_finalize(phone);
    sqlite3_finalize(email);
    return exec(db, ok ? "COMMIT" : "ROLLBACK") && ok;
}

OpenBook::OpenBook(benchmark::State &state, int count)
{
    const QString path = BookGenerator::book(count);
    if (path.isEmpty() || m_connection.open(path, QString())) {
        state.SkipWithError("the book could not be written or opened");
        return;
    }
    m_before = currentConnection();
    setCurrentConnection(&m_connection);
    m_open = true;
}

OpenBook::~OpenBook()
{
    if (m_open)
        setCurrentConnection(m_before);
}

} // namespace velmora::bench
