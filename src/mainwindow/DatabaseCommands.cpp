#include "mainwindow/DatabaseCommands.h"

#include "app/Clock.h"
#include "app/Prompts.h"
#include "app/Seams.h"
#include "settings/Environment.h"
#include "settings/Settings.h"
#include "settings/Translate.h"
#include "store/Database.h"

#include <QFile>
#include <QFileInfo>

namespace velmora {

namespace {

// Asks whether an existing file may be replaced. True for Yes.
bool replaceExisting(const QString &path)
{
    const QString text = T("File already exists:") + QLatin1Char('\n') + path + QStringLiteral("\n\n") +
                         T("Replace") + QLatin1Char('?');
    return prompts().message(text, T("Error"), Icon::Question, Buttons::YesNo) == Answer::Yes;
}

QString askSaveFile(const QString &title, const QString &proposedName)
{
    FileDialog d;
    d.title = title;
    d.filter = databaseFilter();
    d.startFolder = getDatabaseDirectory();
    d.fileName = proposedName;
    d.defaultSuffix = QStringLiteral("mdb");
    return prompts().saveFile(d);
}

// The Open dialog for a book file, in the folder of the last book chosen.
QString askOpenDatabaseFile()
{
    FileDialog d;
    d.title = T("Open");
    d.filter = databaseFilter();
    d.startFolder = getDatabaseDirectory();
    return prompts().openFile(d);
}

} // namespace

QString databaseFilter()
{
    return T("Velmora database") + QStringLiteral(" (*.mdb)|*.mdb");
}

QString copyFileName(const QDate &today)
{
    return QStringLiteral("Velmora") + today.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".mdb");
}

bool newDatabaseCommand()
{
    const QString path = askSaveFile(T("New"), QStringLiteral("Velmora.mdb"));
    if (path.isEmpty())
        return false;
    saveDatabaseDirectory(path);
    Database &db = Database::instance();
    if (fileExists(path)) {
        if (!replaceExisting(path))
            return false;
        db.closeDatabase(true);
        QFile old(path);
        if (!old.remove()) {
            // The old file stays as it was; say why nothing was created.
            prompts().message(T("Error") + QStringLiteral(": ") + old.errorString() + QLatin1Char('\n') +
                                  path,
                              T("Error"), Icon::Exclamation);
            return false;
        }
    }
    return db.newDatabase(path);
}

bool openDatabaseCommand()
{
    const QString path = askOpenDatabaseFile();
    if (path.isEmpty())
        return false;
    Database &db = Database::instance();
    if (!db.isValidDatabase(path))
        return false;
    saveDatabaseDirectory(path);
    return db.openDatabase(path);
}

bool copyDatabaseCommand()
{
    Database &db = Database::instance();
    if (!db.isOpen())
        return false;
    const QString path = askSaveFile(T("Copy"), copyFileName(clock().today()));
    if (path.isEmpty())
        return false;
    saveDatabaseDirectory(path);
    if (fileExists(path) && !replaceExisting(path))
        return false;
    // A copy onto the open book itself would only compact it: the book is the
    // copy already.
    const QFileInfo target(path);
    const QFileInfo source(db.path());
    if (target.exists() && target.canonicalFilePath() == source.canonicalFilePath())
        return true;
    return db.copyDatabase(path);
}

bool addPasswordCommand()
{
    Database &db = Database::instance();
    if (!db.isOpen())
        return false;
    const QString password = prompts().askPassword(db.path(), false);
    if (password.isEmpty())
        return false;
    return db.addPassword(db.path(), password);
}

bool removePasswordCommand()
{
    Database &db = Database::instance();
    if (!db.isOpen())
        return false;
    return db.removePassword(db.path(), db.password());
}

QString browseDatabaseFile()
{
    const QString path = askOpenDatabaseFile();
    if (!path.isEmpty())
        saveDatabaseDirectory(path);
    return path;
}

bool acceptDefaultDatabase(const QString &path)
{
    if (path.isEmpty()) {
        saveSetting(QStringLiteral("Default database"), QString());
        return true;
    }
    Database &db = Database::instance();
    if (!db.isValidDatabase(path))
        return false;
    saveSetting(QStringLiteral("Default database"), path);
    db.openDatabase(path);
    return true;
}

} // namespace velmora
