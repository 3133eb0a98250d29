#include "store/EngineCalls.h"

#include "store/SortCollator.h"
#include "store/SqlTranslator.h"
#include "store/TextCompare.h"

#include <QFile>
#include <QFileInfo>

// SQLCipher declares sqlite3_key() only for builds with the codec.
#ifndef SQLITE_HAS_CODEC
#define SQLITE_HAS_CODEC 1
#endif
#include <sqlite3.h>

#include <cstring>

namespace velmora::engine {

namespace {

constexpr char kPlainHeader[] = "SQLite format 3"; // followed by a zero byte
constexpr qint64 kSmallestPage = 512;

DbError notADatabase(const QString &path, const QString &why)
{
    return DbError{SQLITE_NOTADB, QStringLiteral("The file %1 is not a database: %2.").arg(path, why)};
}

// What a file on disk holds, judged from its first bytes and its size.
enum class FileKind { Plain, Encrypted };

DbError inspectFile(const QString &path, FileKind &kind)
{
    QFile file(path);
    const QFileInfo info(path);
    if (!info.exists())
        return DbError{kNotFoundError, QStringLiteral("The file %1 could not be found.").arg(path)};
    if (info.isDir())
        return notADatabase(path, QStringLiteral("it is a folder"));
    if (!file.open(QIODevice::ReadOnly))
        return DbError{SQLITE_CANTOPEN,
                       QStringLiteral("The file %1 could not be opened: %2.").arg(path, file.errorString())};
    const qint64 size = file.size();
    const QByteArray head = file.read(100);
    if (size == 0)
        return notADatabase(path, QStringLiteral("it is empty"));
    if (head.size() >= 16 && std::memcmp(head.constData(), kPlainHeader, sizeof kPlainHeader) == 0) {
        // A plain SQLite file. Its header tells the size it should have.
        if (head.size() < 100)
            return notADatabase(path, QStringLiteral("it is damaged (too short)"));
        const auto byte = [&](int i) { return quint32(quint8(head[i])); };
        qint64 pageSize = (byte(16) << 8) | byte(17);
        if (pageSize == 1)
            pageSize = 65536;
        const qint64 pages = qint64((byte(28) << 24) | (byte(29) << 16) | (byte(30) << 8) | byte(31));
        const bool countValid = std::memcmp(head.constData() + 24, head.constData() + 92, 4) == 0;
        if (pageSize < kSmallestPage || (pageSize & (pageSize - 1)) != 0)
            return notADatabase(path, QStringLiteral("it is damaged (bad page size)"));
        if (countValid && pages > 0 && size < pages * pageSize)
            return notADatabase(path, QStringLiteral("it is damaged (shorter than its contents)"));
        kind = FileKind::Plain;
        return {};
    }
    // An encrypted file starts with random bytes and is made of whole pages.
    if (size < kSmallestPage || size % kSmallestPage != 0)
        return notADatabase(path, QStringLiteral("it is neither a database nor an encrypted one"));
    bool looksLikeText = true;
    bool allZero = true;
    for (int i = 0; i < 16 && i < head.size(); ++i) {
        const auto c = quint8(head[i]);
        if (!(c == '\t' || c == '\n' || c == '\r' || (c >= 0x20 && c < 0x7f)))
            looksLikeText = false;
        if (c != 0)
            allZero = false;
    }
    if (looksLikeText || allZero)
        return notADatabase(path, QStringLiteral("it is neither a database nor an encrypted one"));
    kind = FileKind::Encrypted;
    return {};
}

// Functions and collations of the dialect, present on every connection and
// never written into the stored schema.
void sortKeyFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) != SQLITE_TEXT) {
        sqlite3_result_value(context, argv[0]);
        return;
    }
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(argv[0]));
    const int bytes = sqlite3_value_bytes(argv[0]);
    const std::string_view key = SortCollator::instance().sortKey(std::string_view(text, size_t(bytes)));
    sqlite3_result_blob(context, key.data(), int(key.size()), SQLITE_TRANSIENT);
}

void likeFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    // like(pattern, text), as SQLite calls it for "text LIKE pattern".
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto *pattern = reinterpret_cast<const char *>(sqlite3_value_text(argv[0]));
    const int patternBytes = sqlite3_value_bytes(argv[0]);
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(argv[1]));
    const int textBytes = sqlite3_value_bytes(argv[1]);
    sqlite3_result_int(context, likeMatch(std::string_view(pattern, size_t(patternBytes)),
                                          std::string_view(text, size_t(textBytes)))
                                    ? 1
                                    : 0);
}

int noCaseCollation(void *, int aBytes, const void *a, int bBytes, const void *b)
{
    return compareNoCase(std::string_view(static_cast<const char *>(a), size_t(aBytes)),
                         std::string_view(static_cast<const char *>(b), size_t(bBytes)));
}

int sortCollation(void *, int aBytes, const void *a, int bBytes, const void *b)
{
    const std::string_view va(static_cast<const char *>(a), size_t(aBytes));
    const std::string_view vb(static_cast<const char *>(b), size_t(bBytes));
    const int order = SortCollator::instance().compare(va, vb);
    return order != 0 ? order : va.compare(vb);
}

bool onlyBlanks(const char *tail)
{
    if (!tail)
        return true;
    for (; *tail; ++tail) {
        if (!(*tail == ';' || *tail == ' ' || *tail == '\t' || *tail == '\r' || *tail == '\n'))
            return false;
    }
    return true;
}

} // namespace

Statement::~Statement()
{
    sqlite3_finalize(st);
}

DbError errorOf(sqlite3 *db, int rc)
{
    QString text = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    if (text.isEmpty())
        text = QString::fromUtf8(sqlite3_errstr(rc));
    return DbError{rc & 0xff, text};
}

DbError wrongPassword()
{
    return DbError{kWrongPasswordError, QStringLiteral("Not a valid password.")};
}

DbError notOpen()
{
    return DbError{kNotOpenError, QStringLiteral("No database is open.")};
}

void registerDialect(sqlite3 *db)
{
    constexpr int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function(db, SqlTranslator::kSortKeyFunction, 1, flags, nullptr, sortKeyFunction, nullptr,
                            nullptr);
    sqlite3_create_function(db, "like", 2, flags, nullptr, likeFunction, nullptr, nullptr);
    sqlite3_create_collation(db, SqlTranslator::kNoCaseCollation, SQLITE_UTF8, nullptr, noCaseCollation);
    sqlite3_create_collation(db, SqlTranslator::kSortCollation, SQLITE_UTF8, nullptr, sortCollation);
}

// Prepares one statement of SQLite's own SQL. The text must hold exactly one.
DbError prepareRaw(sqlite3 *db, const QString &sql, Statement &statement)
{
    sqlite3_finalize(statement.st);
    statement.st = nullptr;
    const QByteArray bytes = sql.toUtf8();
    const char *tail = nullptr;
    const int rc = sqlite3_prepare_v2(db, bytes.constData(), int(bytes.size()), &statement.st, &tail);
    if (rc != SQLITE_OK)
        return errorOf(db, rc);
    if (!statement.st)
        return DbError{SQLITE_ERROR, QStringLiteral("The statement is empty.")};
    if (!onlyBlanks(tail)) {
        // Whatever follows may be a comment only.
        sqlite3_stmt *next = nullptr;
        const int rest = sqlite3_prepare_v2(db, tail, -1, &next, nullptr);
        const bool another = rest != SQLITE_OK || next != nullptr;
        sqlite3_finalize(next);
        if (another) {
            sqlite3_finalize(statement.st);
            statement.st = nullptr;
            return DbError{SQLITE_ERROR, QStringLiteral("Only one statement can be run at a time.")};
        }
    }
    return {};
}

// Prepares a statement of the dialect. An ORDER BY whose sort keys SQLite
// cannot take (a name only the result columns know, for instance) is
// prepared again with the collation.
DbError prepareDialect(Connection &connection, const QString &statement, Statement &prepared)
{
    const DbError error = prepareRaw(connection.handle(), connection.translate(statement), prepared);
    if (!error || !statement.contains(QLatin1String("ORDER"), Qt::CaseInsensitive))
        return error;
    const QString retry = connection.translate(statement, true);
    return prepareRaw(connection.handle(), retry, prepared);
}

DbError stepToEnd(sqlite3 *db, sqlite3_stmt *st)
{
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
    }
    return rc == SQLITE_DONE ? DbError{} : errorOf(db, rc);
}

DbError run(sqlite3 *db, const QString &sql)
{
    Statement statement;
    if (DbError e = prepareRaw(db, sql, statement))
        return e;
    return stepToEnd(db, statement.st);
}

QString quoteName(const QString &name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString columnText(sqlite3_stmt *st, int i)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(st, i));
    return text ? QString::fromUtf8(text, sqlite3_column_bytes(st, i)) : QString();
}

// Opens a file that inspectFile() has judged, with the password where the
// file is encrypted. Fills db (closed again on failure) and writable.
DbError openFile(const QString &path, const QString &password, bool wantWrite, sqlite3 *&db, bool &writable,
                 int openFlags)
{
    db = nullptr;
    FileKind kind = FileKind::Plain;
    if (DbError e = inspectFile(path, kind))
        return e;
    if (kind == FileKind::Encrypted && password.isEmpty())
        return wrongPassword();
    const QFileInfo info(path);
    writable = wantWrite && info.isWritable() && QFileInfo(info.absolutePath()).isWritable();
    // A connection is used by one thread at a time: SQLite need not lock
    // it on every call.
    const int flags = (openFlags ? openFlags : (writable ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY)) |
                      SQLITE_OPEN_NOMUTEX;
    int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const DbError e = errorOf(db, rc);
        sqlite3_close(db);
        db = nullptr;
        return e;
    }
    // Another program writing the file holds it only briefly.
    sqlite3_busy_timeout(db, 2000);
    if (kind == FileKind::Encrypted) {
        QByteArray key = password.toUtf8();
        rc = sqlite3_key(db, key.constData(), int(key.size()));
        key.fill('\0');
        if (rc != SQLITE_OK) {
            const DbError e = errorOf(db, rc);
            sqlite3_close(db);
            db = nullptr;
            return e;
        }
    }
    rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        const DbError e =
            (kind == FileKind::Encrypted && rc == SQLITE_NOTADB) ? wrongPassword() : errorOf(db, rc);
        sqlite3_close(db);
        db = nullptr;
        return e;
    }
    if (writable && sqlite3_db_readonly(db, "main") != 0)
        writable = false;
    return {};
}

} // namespace velmora::engine
