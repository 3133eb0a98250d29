#pragma once

#include "store/Engine.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace velmora {

// The open book: the one connection of the program and the password in
// memory, and every change of which file is open. Announces its state
// changes; the main window shows them. Never opens a window itself: messages
// and the password entry go through the prompts seam.
//
// Every operation shows its own messages; only isValidDatabase() has a
// verdict the caller acts on. The others return whether they succeeded, for
// callers that want to know.
class Database : public QObject {
    Q_OBJECT
public:
    static Database &instance();

    // The connection stays the same object for the whole run (the SQL door
    // runs on it); it is open while a book is open.
    Connection &connection() { return *m_connection; }
    bool isOpen() const;
    bool isReadOnly() const; // open with a mode other than 16
    QString path() const;    // current database path ("Data Source")
    QString password() const { return m_password; }
    bool hasPassword() const { return !m_password.isEmpty(); }
    void setPassword(const QString &password);

    // Closes the open book, then checks the file: it exists, opens (asking
    // for its password as often as a wrong one is given) and has the three
    // tables with 6, 4 and 4 columns. Shows why when it is not valid.
    bool isValidDatabase(const QString &path);
    // Closes the open book, opens the file with password(), widens a narrow
    // file and announces opened(). The first book ever opened becomes the
    // default database; every opened book goes to the top of the recent
    // list. On failure reports it and leaves no book open.
    bool openDatabase(const QString &path); // true when the book is open afterwards
    // Closes the open book and opens the file for reading only, with
    // password(): nothing in the file changes (a narrow file stays narrow,
    // closing never compacts it) and the default and recent books stay as
    // they are. Checks the tables as isValidDatabase() does. Shows nothing:
    // returns the engine's error, kWrongPasswordError for a wrong or missing
    // password, an error isNoBook() recognises for a missing file, a file
    // that is no book or a book with other tables.
    DbError openForReading(const QString &path);
    // The engine's verdict that a file is missing, no book or a damaged one.
    static bool isNoBook(const DbError &e);
    // Closes the open book (nothing when none is open), compacting it when
    // asked and no other copy of the program has the book open. A failed
    // compaction leaves the file as it was, silently.
    void closeDatabase(bool compact);
    // Creates the file in the narrow layout with its three tables, then opens
    // it (which widens it). The file must not exist.
    bool newDatabase(const QString &path);
    // Saves a compacted copy of the open book under path (replacing a file of
    // that name) and opens the book again.
    bool copyDatabase(const QString &path);
    // Compacts a closed file in place, keeping its password. Silent: false
    // when it failed, and the file is as it was.
    static bool compactDatabase(const QString &path, const QString &password);
    // Protect the file with a password / remove it (password: the current
    // one), then open it. A write-protected book, or one that another copy of
    // the program has open, is refused with a message and stays open as it
    // was. On other failures the message and log entry are shown, the file is
    // as it was, no book is open and password() is the one the file still
    // needs.
    bool addPassword(const QString &path, const QString &password);
    bool removePassword(const QString &path, const QString &password);

    // The statements that make a new book and widen a narrow one, in the
    // order they run.
    static QStringList createTableStatements();
    static QStringList upgradeStatements();

    // Replacing a file goes through a copy beside it that is synced to disk
    // and renamed over the file. Tests inject a failure (an errno value) at
    // any of these steps; 0 lets the step run.
    enum class ReplaceStep { Copy, Sync, Rename };
    using FaultHook = std::function<int(ReplaceStep)>;
    static void setFaultHook(FaultHook hook);

signals:
    // A book was opened (after the upgrade). The main window shows the open
    // state (with password() and isReadOnly()) and rebuilds the list.
    void opened();
    // The open book was closed (the main window shows the closed state).
    void closed();
    // password() changed.
    void passwordChanged();

private:
    Database();
    bool createTables();
    bool upgradeDatabase();
    // Takes the book's lock exclusively for changing its password: only when
    // the file can be written and no other copy of the program has it open.
    // Says why not.
    bool lockForRewrite(const QString &path, BookLock &lock);
    bool changePassword(const QString &path, const QString &from, const QString &to,
                        const QString &logPrefix);
    void failOpen(const QString &logPrefix, const DbError &error);
    std::unique_ptr<Connection> m_connection;
    QString m_password;
};

} // namespace velmora
