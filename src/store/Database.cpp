#include "store/Database.h"

#include "app/ErrorLog.h"
#include "app/Prompts.h"
#include "app/Seams.h"
#include "settings/Settings.h"
#include "settings/Translate.h"
#include "store/RecentDatabases.h"
#include "store/Sql.h"
#include "store/Transaction.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora {

namespace {

const QString kDefaultDatabase = QStringLiteral("Default database");
const QString kOpenErrorLog = QStringLiteral("Error opening database: ");
const QString kCreateErrorLog = QStringLiteral("Error creating database: ");
const QString kCopyErrorLog = QStringLiteral("Error copying database: ");

Database::FaultHook &faultHook()
{
    static Database::FaultHook hook;
    return hook;
}

int injectedFault(Database::ReplaceStep step)
{
    return faultHook() ? faultHook()(step) : 0;
}

// A failed file operation as the store reports it.
DbError fileError(int err)
{
    switch (err) {
    case ENOSPC:
    case EDQUOT:
        return {61, QStringLiteral("Disk full")};
    case EACCES:
    case EPERM:
    case EROFS:
        return {70, QStringLiteral("Permission denied")};
    case ENOENT:
        return {53, QStringLiteral("File not found")};
    default:
        return {75, QStringLiteral("Path/File access error: ") + QString::fromLocal8Bit(std::strerror(err))};
    }
}

// The file a path names, with symbolic links followed, so that replacing it
// replaces the file and not the link. A path that names no file yet stays as
// it is (made absolute).
QString resolvedPath(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

// A name beside target that no file has: ".<name>.velmora-tmp-XXXXXX".
QString siblingTempPath(const QString &target)
{
    const QFileInfo info(target);
    static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (;;) {
        QString suffix;
        for (int i = 0; i < 6; ++i)
            suffix += QLatin1Char(kChars[QRandomGenerator::global()->bounded(int(sizeof kChars - 1))]);
        const QString candidate = info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                                  QStringLiteral(".velmora-tmp-") + suffix;
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
}

// Removes the temporary copy (and any journal the engine left beside it)
// unless the copy has become the file.
class TempGuard {
public:
    explicit TempGuard(QString path) : m_path(std::move(path)) {}
    ~TempGuard()
    {
        if (m_path.isEmpty())
            return;
        for (const char *extra : {"", "-journal", "-wal", "-shm"})
            QFile::remove(m_path + QLatin1String(extra));
    }
    TempGuard(const TempGuard &) = delete;
    TempGuard &operator=(const TempGuard &) = delete;
    void release() { m_path.clear(); }

private:
    QString m_path;
};

DbError syncFile(const QString &path)
{
    if (const int fault = injectedFault(Database::ReplaceStep::Sync))
        return fileError(fault);
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fileError(errno);
    const int rc = ::fsync(fd);
    const int err = errno;
    ::close(fd);
    return rc == 0 ? DbError{} : fileError(err);
}

// Makes a rename in the folder durable. Best effort: the rename itself has
// already happened.
void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// The finished copy takes the file's permissions (a private book stays
// private), reaches the disk and replaces the file in one rename.
DbError installCopy(const QString &temp, const QString &target, mode_t mode)
{
    if (::chmod(QFile::encodeName(temp).constData(), mode & 07777) != 0)
        return fileError(errno);
    if (DbError e = syncFile(temp))
        return e;
    if (const int fault = injectedFault(Database::ReplaceStep::Rename))
        return fileError(fault);
    if (::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData()) != 0)
        return fileError(errno);
    syncFolder(QFileInfo(target).absolutePath());
    return {};
}

// Compacts a closed book into a copy beside it with the new password and puts
// the copy in its place. On any failure the book is untouched and the copy is
// gone.
DbError replaceWithCompactCopy(const QString &path, const QString &fromPassword, const QString &toPassword)
{
    const QString target = resolvedPath(path);
    struct stat st {};
    if (::stat(QFile::encodeName(target).constData(), &st) != 0)
        return fileError(errno);
    const QString temp = siblingTempPath(target);
    TempGuard guard(temp);
    if (const int fault = injectedFault(Database::ReplaceStep::Copy))
        return fileError(fault);
    if (DbError e = compactInto(target, fromPassword, temp, toPassword))
        return e;
    if (DbError e = installCopy(temp, target, st.st_mode))
        return e;
    guard.release();
    return {};
}

DbError copyBytes(int from, int to)
{
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(from, buffer, sizeof buffer);
        if (n == 0)
            return {};
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fileError(errno);
        }
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(to, buffer + done, size_t(n - done));
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                return fileError(errno);
            }
            done += w;
        }
    }
}

// Copies source to destination through a copy beside the destination, so a
// failure never leaves a torn destination (nor a torn source, when both name
// the same file).
DbError copyFileSafely(const QString &source, const QString &destination)
{
    struct stat st {};
    const QByteArray sourceName = QFile::encodeName(source);
    if (::stat(sourceName.constData(), &st) != 0)
        return fileError(errno);
    const QString target = resolvedPath(destination);
    const QString temp = siblingTempPath(target);
    TempGuard guard(temp);
    if (const int fault = injectedFault(Database::ReplaceStep::Copy))
        return fileError(fault);
    const int in = ::open(sourceName.constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return fileError(errno);
    const int out =
        ::open(QFile::encodeName(temp).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (out < 0) {
        const int err = errno;
        ::close(in);
        return fileError(err);
    }
    DbError e = copyBytes(in, out);
    ::close(in);
    if (::close(out) != 0 && !e)
        e = fileError(errno);
    if (e)
        return e;
    if (DbError e2 = installCopy(temp, target, st.st_mode))
        return e2;
    guard.release();
    return {};
}

void showNotValid(const QString &path)
{
    prompts().message(T("This is not a valid Velmora database:") + QLatin1Char('\n') + path,
                      T("Error") + QLatin1Char('!'), Icon::Exclamation, Buttons::Ok);
}

// A book without password is a plain SQLite file, recognisable by its first
// bytes; a protected one is encrypted from its first byte on.
bool isPlainBook(const QString &path)
{
    QFile file(path);
    static const char kMagic[] = "SQLite format 3"; // with its closing zero byte
    return file.open(QIODevice::ReadOnly) && file.read(sizeof kMagic) == QByteArray(kMagic, sizeof kMagic);
}

// Whether the book open on c has the three tables with 6, 4 and 4 columns.
// Only the counts are checked, not names or types. Fails when a table cannot
// be read (a table is missing, for instance).
DbError checkLayout(Connection &c, bool &matches)
{
    struct Layout {
        const char *table;
        int columns;
    };
    matches = true;
    for (const Layout &layout : {Layout{"Person", 6}, Layout{"Phone", 4}, Layout{"Email", 4}}) {
        int count = 0;
        if (const DbError e = catalog::columnCount(c, QString::fromLatin1(layout.table), count))
            return e;
        if (count != layout.columns)
            matches = false;
    }
    return {};
}

QString createTableStatement(const char *table, std::initializer_list<const char *> pieces)
{
    QString statement = QStringLiteral("CREATE TABLE ") + QLatin1String(table) + QLatin1Char(' ');
    statement += QStringLiteral("( ");
    for (const char *piece : pieces)
        statement += QLatin1String(piece);
    statement += QStringLiteral(") ");
    return statement;
}

} // namespace

bool Database::isNoBook(const DbError &e)
{
    return e.number == SQLITE_NOTADB || e.number == SQLITE_CORRUPT || e.number == kNotFoundError;
}

Database &Database::instance()
{
    static Database database;
    return database;
}

Database::Database() : m_connection(std::make_unique<Connection>())
{
    setCurrentConnection(m_connection.get());
}

void Database::setFaultHook(FaultHook hook)
{
    faultHook() = std::move(hook);
}

bool Database::isOpen() const
{
    return m_connection->state() == 1;
}

bool Database::isReadOnly() const
{
    return isOpen() && m_connection->mode() != kModeReadWrite;
}

QString Database::path() const
{
    return m_connection->dataSource();
}

void Database::setPassword(const QString &password)
{
    if (password == m_password)
        return;
    m_password = password;
    emit passwordChanged();
}

QStringList Database::createTableStatements()
{
    return {
        createTableStatement("Person", {"Contactnr SMALLINT, ", "Firstname CHAR(20), ", "Lastname CHAR(20), ",
                                        "Dateofbirth DATE, ", "Address MEMO, ", "[Note] MEMO, ",
                                        "CONSTRAINT ContactPK PRIMARY KEY(Contactnr) "}),
        createTableStatement(
            "Phone", {"Contactnr SMALLINT, ", "[Order] TINYINT, ", "[Number] CHAR(20), ",
                      "Description CHAR(15), ", "CONSTRAINT PhonePK PRIMARY KEY(Contactnr, [Order]), ",
                      "CONSTRAINT PhoneFK FOREIGN KEY(Contactnr) REFERENCES Person(Contactnr) "}),
        createTableStatement(
            "Email", {"Contactnr SMALLINT, ", "[Order] TINYINT, ", "Email CHAR(50), ",
                      "Description CHAR(15), ", "CONSTRAINT EmailPK PRIMARY KEY(Contactnr, [Order]), ",
                      "CONSTRAINT EmailFK FOREIGN KEY(Contactnr) REFERENCES Person(Contactnr) "}),
    };
}

QStringList Database::upgradeStatements()
{
    const QString person = QStringLiteral("ALTER TABLE Person ");
    const QString phone = QStringLiteral("ALTER TABLE Phone ");
    const QString email = QStringLiteral("ALTER TABLE Email ");
    return {
        person + QStringLiteral("ALTER COLUMN Firstname CHAR(50) "),
        person + QStringLiteral("ALTER COLUMN Lastname CHAR(50) "),
        phone + QStringLiteral("ALTER COLUMN [Number] CHAR(50) "),
        phone + QStringLiteral("ALTER COLUMN Description CHAR(100) "),
        email + QStringLiteral("ALTER COLUMN Email CHAR(100) "),
        email + QStringLiteral("ALTER COLUMN Description CHAR(100) "),
    };
}

bool Database::isValidDatabase(const QString &path)
{
    closeDatabase(true);
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        showNotValid(path);
        return false;
    }
    // Another file than the last one: its password is not ours. The kept
    // password comes back when the check ends in an error.
    QString kept;
    if (path != this->path()) {
        kept = m_password;
        setPassword(QString());
    }
    // A file without password opens only without one, whatever password
    // this path had before.
    if (isPlainBook(path))
        setPassword(QString());

    Connection check;
    bool typedWrong = false;
    for (;;) {
        const DbError e = check.open(path, m_password);
        if (!e)
            break;
        if (e.number == kWrongPasswordError) {
            const QString typed = prompts().askPassword(path, typedWrong);
            setPassword(typed);
            typedWrong = true;
            if (!typed.isEmpty())
                continue;
        } else if (isNoBook(e)) {
            showNotValid(path);
        } else {
            jetError(e.number, e.description);
        }
        setPassword(kept);
        return false;
    }

    bool valid = true;
    if (checkLayout(check, valid)) {
        check.close();
        showNotValid(path);
        setPassword(kept);
        return false;
    }
    check.close();
    if (!valid)
        showNotValid(path);
    return valid;
}

bool Database::openDatabase(const QString &path)
{
    closeDatabase(true);
    setCurrentConnection(m_connection.get());
    m_connection->setDataSource(path);
    if (const DbError e = m_connection->open(path, m_password)) {
        failOpen(kOpenErrorLog, e);
        return false;
    }
    if (!upgradeDatabase())
        return false;
    emit opened();
    if (getSetting(kDefaultDatabase).isEmpty())
        saveSetting(kDefaultDatabase, path);
    RecentDatabases::instance().addRecent(path);
    return true;
}

DbError Database::openForReading(const QString &path)
{
    closeDatabase(true);
    setCurrentConnection(m_connection.get());
    m_connection->setDataSource(path);
    if (const DbError e = m_connection->open(path, m_password, Connection::Access::Reading))
        return e;
    bool matches = true;
    DbError e = checkLayout(*m_connection, matches);
    if (!e && !matches)
        e = DbError{SQLITE_NOTADB, QStringLiteral("The file %1 has other tables than a book.").arg(path)};
    if (e) {
        m_connection->close();
        return DbError{SQLITE_NOTADB, e.description};
    }
    emit opened();
    return {};
}

bool Database::upgradeDatabase()
{
    int size = 0;
    if (const DbError e =
            catalog::definedSize(*m_connection, QStringLiteral("Person"), QStringLiteral("Lastname"), size)) {
        m_connection->close();
        jetError(e.number, e.description);
        return false;
    }
    // The width of Lastname is the only mark of a file's layout: 20 is the
    // narrow layout of older files, widened once.
    if (size != 20)
        return true;
    // All six or none: a file widened half-way would never be widened further.
    Transaction widening;
    DbError e = widening.begin();
    for (const QString &statement : upgradeStatements()) {
        if (!e)
            e = executeSql(statement);
    }
    if (!e)
        e = widening.commit();
    if (e) {
        widening.rollback();
        failOpen(kOpenErrorLog, e);
        return false;
    }
    return true;
}

void Database::failOpen(const QString &logPrefix, const DbError &error)
{
    m_connection->close();
    reportError(logPrefix, error.number, error.description);
}

void Database::closeDatabase(bool compact)
{
    if (!isOpen())
        return;
    const bool writable = !isReadOnly();
    const QString file = path();
    // The book is compacted under the lock it was open with, and only when
    // no other copy of the program has it open: replacing the file under
    // another copy would lose what that copy writes next.
    BookLock lock = m_connection->takeLock();
    m_connection->close();
    emit closed();
    if (compact && writable && lock.lockExclusive())
        compactDatabase(file, m_password);
}

bool Database::compactDatabase(const QString &path, const QString &password)
{
    // A file the user may not change is left as it is.
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile() || !info.isWritable())
        return false;
    return !replaceWithCompactCopy(path, password, password).failed();
}

bool Database::newDatabase(const QString &path)
{
    if (const DbError e = catalog::createFile(path)) {
        jetError(e.number, e.description);
        return false;
    }
    closeDatabase(true);
    setPassword(QString());
    setCurrentConnection(m_connection.get());
    m_connection->setDataSource(path);
    if (const DbError e = m_connection->open(path, QString())) {
        failOpen(kCreateErrorLog, e);
        QFile::remove(path);
        return false;
    }
    if (!createTables()) {
        // The file was made here a moment ago: nothing of the user's is lost
        // with it, and a half-made book is no use to anyone.
        QFile::remove(path);
        return false;
    }
    BookLock lock = m_connection->takeLock();
    m_connection->close();
    if (lock.lockExclusive())
        compactDatabase(path, QString());
    lock.release();
    return openDatabase(path);
}

bool Database::createTables()
{
    for (const QString &statement : createTableStatements()) {
        if (const DbError e = executeSql(statement)) {
            failOpen(kCreateErrorLog, e);
            return false;
        }
    }
    return true;
}

bool Database::copyDatabase(const QString &path)
{
    if (!isOpen())
        return false;
    const QString source = this->path();
    closeDatabase(true);
    const DbError e = copyFileSafely(source, path);
    if (e)
        reportError(kCopyErrorLog, e.number, e.description);
    const bool reopened = openDatabase(source);
    return !e && reopened;
}

bool Database::addPassword(const QString &path, const QString &password)
{
    return changePassword(path, QString(), password, QStringLiteral("Error adding password: "));
}

bool Database::removePassword(const QString &path, const QString &password)
{
    return changePassword(path, password, QString(), QStringLiteral("Error removing password: "));
}

bool Database::lockForRewrite(const QString &path, BookLock &lock)
{
    const bool open = isOpen() && path == this->path();
    const QFileInfo file(path);
    if (!open && !file.exists())
        return true; // the replacement reports the missing file
    const bool writable =
        (!open || !isReadOnly()) && file.isWritable() && QFileInfo(file.absolutePath()).isWritable();
    if (!writable) {
        prompts().message(T("The password cannot be changed: the database is write-protected.") +
                              QLatin1Char('\n') + path,
                          T("Error"), Icon::Exclamation);
        return false;
    }
    bool alone = false;
    if (open) {
        alone = m_connection->lockExclusively();
        if (alone)
            lock = m_connection->takeLock();
    } else {
        alone = !lock.lockShared(path) && (!lock.isHeld() || lock.lockExclusive());
    }
    if (!alone) {
        lock.release();
        prompts().message(T("The password cannot be changed while the database is open in another copy of "
                            "Velmora. Close it there first.") +
                              QLatin1Char('\n') + path,
                          T("Error"), Icon::Exclamation);
        return false;
    }
    return true;
}

bool Database::changePassword(const QString &path, const QString &from, const QString &to,
                              const QString &logPrefix)
{
    // A book that cannot be rewritten now is left open as it was.
    BookLock lock;
    if (!lockForRewrite(path, lock))
        return false;
    closeDatabase(false);
    const DbError e = replaceWithCompactCopy(path, from, to);
    lock.release();
    if (e) {
        // The file is as it was, so it still needs the old password.
        setPassword(from);
        reportError(logPrefix, e.number, e.description);
        return false;
    }
    setPassword(to);
    return openDatabase(path);
}

} // namespace velmora
