#pragma once

#include "store/Engine.h"

#include <QString>

namespace velmora {

// The one door to the tables: every statement of the program runs here on the
// current connection (the open book's; Database installs it).
void setCurrentConnection(Connection *connection);
Connection *currentConnection();

DbError executeSql(const QString &statement);
DbError openRecordset(const QString &statement, Recordset &rs);
DbError forEachRow(const QString &statement, const std::function<bool(const RowView &)> &visit);
// Every single quote doubled; nothing else changed.
QString sqlQuote(const QString &text);
// The lowest free positive number in a numbered column; fails with a clear
// error (and no number) when 1 to 32767 are all in use.
DbError nextFreeNumber(const QString &table, const QString &column, int &number);

} // namespace velmora
