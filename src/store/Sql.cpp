#include "store/Sql.h"

namespace velmora {

namespace {

Connection *g_current = nullptr;

DbError noBookOpen()
{
    return DbError{kNotOpenError, QStringLiteral("No database is open.")};
}

} // namespace

void setCurrentConnection(Connection *connection)
{
    g_current = connection;
}

Connection *currentConnection()
{
    return g_current;
}

DbError executeSql(const QString &statement)
{
    if (!g_current)
        return noBookOpen();
    return g_current->execute(statement);
}

DbError openRecordset(const QString &statement, Recordset &rs)
{
    if (!g_current) {
        rs.reset({});
        return noBookOpen();
    }
    return openRecordset(*g_current, statement, rs);
}

DbError forEachRow(const QString &statement, const std::function<bool(const RowView &)> &visit)
{
    if (!g_current)
        return noBookOpen();
    return forEachRow(*g_current, statement, visit);
}

QString sqlQuote(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return quoted;
}

DbError nextFreeNumber(const QString &table, const QString &column, int &number)
{
    const QString statement = QStringLiteral("SELECT ") + column + QStringLiteral(" ") +
                              QStringLiteral("FROM ") + table + QStringLiteral(" ") +
                              QStringLiteral("ORDER BY ") + column + QStringLiteral(" ");
    Recordset rs;
    if (DbError e = openRecordset(statement, rs))
        return e;
    // Numbers below 1 (a book written by another program may hold 0 or
    // negative ones, or an empty cell) are never given out; the walk starts
    // past them, so that a 1 in use after a 0 is seen.
    while (!rs.eof() && rs.field(column).toLongLong() < 1)
        rs.moveNext();
    if (rs.eof()) {
        number = 1;
        return {};
    }
    // The numbers are filled from the bottom: the first gap in the run that
    // starts at 1. The counter is a 16-bit number: past 32767 there is none.
    constexpr int kLargest = 32767;
    int i = 1;
    qlonglong v = rs.field(column).toLongLong();
    if (v > 1) {
        number = 1;
        return {};
    }
    while (v == i) {
        if (i == kLargest) {
            return DbError{
                6,
                QStringLiteral("No free number is left: all numbers from 1 to %1 are in use.").arg(kLargest)};
        }
        ++i;
        rs.moveNext();
        if (!rs.eof())
            v = rs.field(column).toLongLong();
    }
    number = i;
    return {};
}

} // namespace velmora
