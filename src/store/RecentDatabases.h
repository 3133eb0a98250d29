#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

namespace velmora {

// The default database and the three databases opened last (settings
// "Default database" and "Recent 1".."Recent 3", "Recent 1" the most
// recent). Paths are compared as exact, case-sensitive texts. The File menu
// shows the list; it rebuilds itself on changed().
class RecentDatabases : public QObject {
    Q_OBJECT
public:
    static constexpr int kCount = 3;

    static RecentDatabases &instance();

    // The three entries, "Recent 1" first; an empty text is no entry.
    static QStringList entries();
    // The setting name of entry index 0..2 ("Recent 1".."Recent 3").
    static QString settingName(int index);

    // Puts a path at the top of the list (after every successful open).
    void addRecent(const QString &path);
    // The recent command: opens entry index (0..2) after checking it; an
    // entry that does not check out is removed. True when it opened.
    bool openRecent(int index);
    // Removes entry index (0..2) and closes the gap.
    void removeRecent(int index);

    // Opens the default database, or the standard file (opened when it
    // exists, created otherwise) when there is no default.
    void openDefaultDatabase();
    // The standard file: Velmora.mdb in the documents folder.
    static QString standardDatabasePath();

    // The menu caption of a path: with two or more folders below the first
    // one, the folders between the first and the last are shown as "...":
    // "/home/user/Documents/book.mdb" gives "/home/.../Documents/book.mdb".
    static QString shortenPath(const QString &path);

signals:
    // The entries changed (the menu shows them again).
    void changed();

private:
    RecentDatabases() = default;
};

} // namespace velmora
