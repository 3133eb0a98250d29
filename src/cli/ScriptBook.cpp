#include "cli/ScriptBook.h"

#include "cli/ConsolePrompts.h"
#include "cli/PasswordSource.h"
#include "cli/ScriptOptions.h"
#include "settings/Settings.h"
#include "store/Database.h"
#include "store/RecentDatabases.h"

#include <QDir>
#include <QFileInfo>

namespace velmora {

namespace {

// Tries typed passwords at most this often, as login prompts do.
constexpr int kTerminalTries = 3;

QString openError(const QString &path, const DbError &error)
{
    if (!QFileInfo::exists(path))
        return QStringLiteral("Book not found: %1").arg(path);
    if (Database::isNoBook(error))
        return QStringLiteral("Not a Velmora book: %1").arg(path);
    return QStringLiteral("Cannot open the book %1: %2").arg(path, error.description);
}

} // namespace

ScriptBook::~ScriptBook()
{
    close();
}

void ScriptBook::close()
{
    Database &db = Database::instance();
    if (m_open)
        db.closeDatabase(m_changed);
    m_open = false;
    m_changed = false;
    // The password stays in memory no longer than the book is open.
    db.setPassword(QString());
}

QString ScriptBook::bookPath(const ScriptRequest &request, QString &error)
{
    error.clear();
    if (!request.book.isEmpty())
        return QDir::cleanPath(QFileInfo(request.book).absoluteFilePath());
    const QString defaultBook = getSetting(QStringLiteral("Default database"));
    if (!defaultBook.isEmpty())
        return defaultBook;
    const QString standard = RecentDatabases::standardDatabasePath();
    if (QFileInfo::exists(standard))
        return standard;
    error = QStringLiteral("There is no default book: name one with --book FILE.");
    return {};
}

QString ScriptBook::openForReading(const ScriptRequest &request)
{
    close();
    QString error;
    m_path = bookPath(request, error);
    if (m_path.isEmpty())
        return error;
    QString password;
    if (!request.passwordFile.isEmpty()) {
        password = PasswordSource::readFile(request.passwordFile, error);
        if (!error.isEmpty())
            return error;
    }

    Database &db = Database::instance();
    db.setPassword(password);
    DbError e = db.openForReading(m_path);
    if (e.number == kWrongPasswordError) {
        if (!request.passwordFile.isEmpty())
            return QStringLiteral("Wrong password for %1 in %2").arg(m_path, request.passwordFile);
        if (!PasswordSource::hasTerminal())
            return QStringLiteral("The book %1 is protected: give its password with --password-file FILE")
                .arg(m_path);
        const QString file = QFileInfo(m_path).fileName();
        for (int tries = 0; tries < kTerminalTries && e.number == kWrongPasswordError; ++tries) {
            const QString prompt = tries == 0 ? QStringLiteral("Password for %1: ").arg(file)
                                              : QStringLiteral("Wrong password. Password for %1: ").arg(file);
            const std::optional<QString> typed = PasswordSource::askOnTerminal(prompt);
            if (!typed || typed->isEmpty())
                return QStringLiteral("No password given for %1").arg(m_path);
            db.setPassword(*typed);
            e = db.openForReading(m_path);
        }
        if (e.number == kWrongPasswordError)
            return QStringLiteral("Wrong password for %1").arg(m_path);
    }
    if (e) {
        db.setPassword(QString());
        return openError(m_path, e);
    }
    m_open = true;
    return {};
}

QString ScriptBook::openForWriting(const ScriptRequest &request, ConsolePrompts &prompts)
{
    // A book open for reading already has its password.
    if (!m_open) {
        if (const QString error = openForReading(request); !error.isEmpty())
            return error;
    }
    Database &db = Database::instance();
    // The book checked out and its password is known: open it again, this
    // time for writing.
    db.closeDatabase(true);
    m_open = false;
    prompts.clear();
    if (!db.openDatabase(m_path)) {
        const QString message = prompts.lastMessage();
        return message.isEmpty()
                   ? QStringLiteral("Cannot open the book %1 for writing").arg(m_path)
                   : QStringLiteral("Cannot open the book %1 for writing: %2").arg(m_path, message);
    }
    m_open = true;
    if (db.isReadOnly())
        return QStringLiteral("Cannot change the book %1: it is read-only").arg(m_path);
    return {};
}

} // namespace velmora
