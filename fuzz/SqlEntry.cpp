#include "FuzzBook.h"
#include "FuzzEntries.h"
#include "FuzzWorld.h"

#include "store/Sql.h"
#include "store/SqlTranslator.h"

#include <sqlite3.h>

namespace velmora::fuzz {

namespace {

constexpr int kPersonNr = 30000;
constexpr int kProgressCalls = 5000; // about five million steps of SQLite's machine per query

struct Budget {
    int calls = 0;
    bool exceeded() const { return calls > kProgressCalls; }
};

int countSteps(void *budget)
{
    return ++static_cast<Budget *>(budget)->calls > kProgressCalls ? 1 : 0;
}

FuzzBook &book()
{
    static FuzzBook *book = [] {
        auto *b = new FuzzBook;
        const QString error = b->create(
            FuzzWorld::instance().file(QStringLiteral("sql.mdb")),
            {QStringLiteral(
                 "INSERT INTO Person VALUES(1, 'Ann', 'Smith', #12/31/1970#, 'Main Street 1', 'a note')"),
             QStringLiteral("INSERT INTO Person VALUES(2, 'émile', 'Dubois', Null, '', '')"),
             QStringLiteral("INSERT INTO Person VALUES(3, 'Bob', 'smith', #2/29/2000#, 'x', '1e5')"),
             QStringLiteral("INSERT INTO Phone VALUES(1, 1, '0471 12', 'home')"),
             QStringLiteral("INSERT INTO Phone VALUES(3, 1, '+32 2', '')"),
             QStringLiteral("INSERT INTO Email VALUES(1, 1, 'ann@example.com', 'work')")});
        if (!error.isEmpty())
            qFatal("%s", qPrintable(error));
        sqlite3 *db = b->connection().handle();
        sqlite3_exec(db, "PRAGMA synchronous = OFF", nullptr, nullptr, nullptr);
        sqlite3_limit(db, SQLITE_LIMIT_LENGTH, 1000000);
        sqlite3_limit(db, SQLITE_LIMIT_SQL_LENGTH, 100000);
        return b;
    }();
    return *book;
}

QString rowText(Connection &c, const QString &sql, const QString &column)
{
    Recordset rs;
    if (const DbError e = openRecordset(c, sql, rs))
        return QStringLiteral("error: ") + e.description;
    QStringList values;
    for (; !rs.eof(); rs.moveNext())
        values << rs.text(column);
    return values.join(QLatin1Char('|'));
}

// A text put into each text column through the quoting helper comes back
// exactly, is found by "=" and LIKE, and is not found by "<>".
QString checkQuoting(Connection &c, const QString &value)
{
    const QString q = sqlQuote(value);
    const QString insert = QStringLiteral("INSERT INTO Person(Contactnr, Firstname, Lastname, Address, "
                                          "[Note]) VALUES(%1, '%2', '%2', '%2', '%2') ")
                               .arg(QString::number(kPersonNr), q);
    const DbError inserted = c.execute(insert);
    if (inserted) {
        // SQLite reads a statement up to a NUL character; a text holding one
        // is refused as a whole, never cut short.
        return value.contains(QChar(0)) ? QString()
                                        : QStringLiteral("insert failed: ") + inserted.description;
    }
    QString problem;
    const QString where = QStringLiteral("WHERE Contactnr = %1 ").arg(kPersonNr);
    for (const char *column : {"Firstname", "Lastname", "Address", "Note"}) {
        const QString name = QString::fromLatin1(column);
        const QString back = rowText(c, QStringLiteral("SELECT [%1] FROM Person ").arg(name) + where, name);
        if (back != value && problem.isEmpty())
            problem = QStringLiteral("%1 came back as \"%2\"").arg(name, back);
    }
    const QString nr = QString::number(kPersonNr);
    const struct {
        const char *condition;
        bool found;
    } searches[] = {{"Firstname = '%1'", true},
                    {"Lastname LIKE '%1'", true},
                    {"Address LIKE '%%1%'", true},
                    {"[Note] <> '%1'", false},
                    {"Firstname = '%1' AND Lastname = '%1'", true}};
    for (const auto &s : searches) {
        if (!problem.isEmpty())
            break;
        const QString condition = QString::fromLatin1(s.condition).replace(QLatin1String("%1"), q);
        const QString found = rowText(c,
                                      QStringLiteral("SELECT Contactnr FROM Person WHERE ") + condition +
                                          QStringLiteral(" AND Contactnr = ") + nr,
                                      QStringLiteral("Contactnr"));
        if (found != (s.found ? nr : QString()))
            problem = QStringLiteral("WHERE %1 gave \"%2\"").arg(QString::fromLatin1(s.condition), found);
    }
    if (const DbError e = c.execute(QStringLiteral("DELETE FROM Person ") + where))
        qFatal("cannot remove the fuzz person: %s", qPrintable(e.description));
    return problem;
}

// Whether SQLite itself runs the statement as the dialect hands it over,
// and how many rows it gives.
struct Outcome {
    bool ran = false;
    bool interrupted = false;
    int rows = 0;
    QString error;
};

Outcome runOnSqlite(Connection &c, const QString &statement)
{
    Outcome out;
    sqlite3 *db = c.handle();
    for (const bool byCollation : {false, true}) {
        const QByteArray bytes = c.translate(statement, byCollation).toUtf8();
        // SQLite would stop reading at a NUL character: the whole statement
        // never runs.
        if (bytes.contains('\0')) {
            out.error = QStringLiteral("NUL character");
            return out;
        }
        sqlite3_stmt *st = nullptr;
        const char *tail = nullptr;
        if (sqlite3_prepare_v2(db, bytes.constData(), int(bytes.size()), &st, &tail) != SQLITE_OK || !st) {
            out.error = QString::fromUtf8(sqlite3_errmsg(db));
            sqlite3_finalize(st);
            continue;
        }
        sqlite3_stmt *next = nullptr;
        const bool another =
            tail && *tail && (sqlite3_prepare_v2(db, tail, -1, &next, nullptr) != SQLITE_OK || next);
        sqlite3_finalize(next);
        if (another) {
            sqlite3_finalize(st);
            out.error = QStringLiteral("more than one statement");
            return out;
        }
        Budget budget;
        sqlite3_progress_handler(db, 1000, countSteps, &budget);
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW)
            ++out.rows;
        sqlite3_progress_handler(db, 0, nullptr, nullptr);
        sqlite3_finalize(st);
        out.interrupted = budget.exceeded();
        out.ran = rc == SQLITE_DONE;
        if (!out.ran)
            out.error = QString::fromUtf8(sqlite3_errstr(rc));
        return out;
    }
    return out;
}

Outcome runOnEngine(Connection &c, const QString &statement)
{
    Outcome out;
    Budget budget;
    sqlite3_progress_handler(c.handle(), 1000, countSteps, &budget);
    Recordset rs;
    const DbError e = openRecordset(c, statement, rs);
    sqlite3_progress_handler(c.handle(), 0, nullptr, nullptr);
    out.interrupted = budget.exceeded();
    out.ran = !e;
    out.rows = rs.recordCount();
    out.error = e.description;
    return out;
}

} // namespace

QString sqlEntry(QByteArrayView data)
{
    const QString text = QString::fromUtf8(data);

    // The translator takes any text.
    SqlTranslator translator;
    translator.translate(text);
    translator.setSortMode(SqlTranslator::SortMode::Collation);
    translator.translate(text);
    SqlTranslator::EngineSort sort;
    translator.translateForEngineSort(text, sort);
    SqlTranslator::AlterColumn alter;
    SqlTranslator::parseAlterColumn(text, alter);
    QString replaced;
    SqlTranslator::replaceColumnType(text, QStringLiteral("Note"), QStringLiteral("TEXT"), replaced);
    SqlTranslator::affinity(text);
    SqlTranslator::parseDateLiteral(text);

    Connection &c = book().connection();
    if (QString problem = checkQuoting(c, text); !problem.isEmpty())
        return problem;

    // A query runs through the engine exactly when SQLite runs it: the
    // engine's own sorting never makes a statement SQLite refuses succeed,
    // nor the other way round.
    const QString keyword = SqlTranslator::leadingKeyword(text);
    if (keyword != QLatin1String("SELECT") && keyword != QLatin1String("WITH") &&
        keyword != QLatin1String("VALUES"))
        return {};
    sqlite3_exec(c.handle(), "PRAGMA query_only = 1", nullptr, nullptr, nullptr);
    const Outcome engine = runOnEngine(c, text);
    const Outcome plain = runOnSqlite(c, text);
    sqlite3_exec(c.handle(), "PRAGMA query_only = 0", nullptr, nullptr, nullptr);
    if (engine.interrupted || plain.interrupted)
        return {};
    if (engine.ran != plain.ran)
        return QStringLiteral("the engine %1 (%2), SQLite %3 (%4)")
            .arg(engine.ran ? QStringLiteral("ran it") : QStringLiteral("failed"), engine.error,
                 plain.ran ? QStringLiteral("ran it") : QStringLiteral("failed"), plain.error);
    if (engine.ran && engine.rows != plain.rows)
        return QStringLiteral("the engine gave %1 rows, SQLite %2").arg(engine.rows).arg(plain.rows);
    return {};
}

} // namespace velmora::fuzz
