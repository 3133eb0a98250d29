#pragma once

#include <QDate>
#include <QString>

namespace velmora {

// The file-dialog flows of the main window's database commands. They ask
// through the prompts seam and act on the open book.

// "Velmora database (*.mdb)|*.mdb", translated.
QString databaseFilter();
// The proposed name of a copy: "Velmora" and the date as yyyymmdd, ".mdb".
QString copyFileName(const QDate &today);

// New: asks for a file name (the replace question when it exists, which
// closes the open book and deletes the file on Yes), then creates and opens
// the new book. False when the user gave up or the book could not be made.
bool newDatabaseCommand();
// Open: asks for a file, checks it and opens it.
bool openDatabaseCommand();
// Copy: asks for a file name (the replace question when it exists) and saves
// a copy of the open book there; the open book stays open.
bool copyDatabaseCommand();

// Add password: asks for the password of the open book and protects the book
// with it. Cancel leaves the book open and unprotected.
bool addPasswordCommand();
// Remove password: removes the protection with the password in memory.
bool removePasswordCommand();

// The default-database window's Browse: an open-file dialog; the chosen path
// (its folder remembered), or the empty text when cancelled.
QString browseDatabaseFile();
// The default-database window's OK with the text of its box: an empty text
// clears the default; otherwise the file is checked and, when valid, becomes
// the default and is opened. True when the window closes.
bool acceptDefaultDatabase(const QString &path);

} // namespace velmora
