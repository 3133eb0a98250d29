#pragma once

#include "store/Engine.h"

#include <QObject>
#include <QString>
#include <memory>

namespace velmora {

// The open book: the one connection of the program and the password in
// memory, and every change of which file is open. Announces its state
// changes; the main window shows them. Never opens a window itself: messages
// and the password entry go through the prompts seam.
class Database : public QObject {
    Q_OBJECT
public:
    static Database &instance();

    Connection &connection() { return *m_connection; }
    bool isOpen() const;
    bool isReadOnly() const;           // open with a mode other than 16
    QString path() const;              // current database path ("Data Source")
    QString password() const { return m_password; }
    void setPassword(const QString &password) { m_password = password; }

    bool isValidDatabase(const QString &path);
    bool openDatabase(const QString &path);   // true when the book is open afterwards
    void closeDatabase(bool compact);
    bool newDatabase(const QString &path);
    bool copyDatabase(const QString &path);
    static bool compactDatabase(const QString &path, const QString &password);
    bool addPassword(const QString &path, const QString &password);
    bool removePassword(const QString &path, const QString &password);

signals:
    // A book was opened (after the upgrade). The main window shows the
    // open state and rebuilds the list.
    void opened();
    // The open book was closed (the main window shows the closed state).
    void closed();

private:
    Database();
    std::unique_ptr<Connection> m_connection;
    QString m_password;
};

} // namespace velmora
