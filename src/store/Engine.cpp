#include "store/Engine.h"

#include "store/SortCollator.h"
#include "store/SqlTranslator.h"
#include "store/TextCompare.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>

// SQLCipher declares sqlite3_key() only for builds with the codec.
#ifndef SQLITE_HAS_CODEC
#define SQLITE_HAS_CODEC 1
#endif
#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <unordered_map>

namespace velmora {

namespace {

constexpr char kPlainHeader[] = "SQLite format 3"; // followed by a zero byte
constexpr qint64 kSmallestPage = 512;

// Finalizes its statement when it goes out of scope.
struct Statement {
    sqlite3_stmt *st = nullptr;
    Statement() = default;
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    ~Statement() { sqlite3_finalize(st); }
};

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

void registerDialect(sqlite3 *db)
{
    constexpr int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function(db, SqlTranslator::kSortKeyFunction, 1, flags, nullptr, sortKeyFunction, nullptr,
                            nullptr);
    sqlite3_create_function(db, "like", 2, flags, nullptr, likeFunction, nullptr, nullptr);
    sqlite3_create_collation(db, SqlTranslator::kNoCaseCollation, SQLITE_UTF8, nullptr, noCaseCollation);
    sqlite3_create_collation(db, SqlTranslator::kSortCollation, SQLITE_UTF8, nullptr, sortCollation);
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

QVariant integerValue(qint64 v)
{
    if (v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max())
        return QVariant(int(v));
    return QVariant(qlonglong(v));
}

QVariant textValue(const char *utf8, qsizetype size, bool isDate)
{
    QString text = QString::fromUtf8(utf8, size);
    if (isDate && text.size() >= 10 &&
        (text.size() == 10 || text[10] == QLatin1Char(' ') || text[10] == QLatin1Char('T'))) {
        const QDate date = QDate::fromString(text.left(10), Qt::ISODate);
        if (date.isValid())
            return QVariant(date);
    }
    return QVariant(text);
}

QVariant valueOf(sqlite3_stmt *st, int i, bool isDate)
{
    switch (sqlite3_column_type(st, i)) {
    case SQLITE_INTEGER:
        return integerValue(sqlite3_column_int64(st, i));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(st, i));
    case SQLITE_TEXT:
        return textValue(reinterpret_cast<const char *>(sqlite3_column_text(st, i)),
                         sqlite3_column_bytes(st, i), isDate);
    case SQLITE_BLOB: {
        const auto *data = static_cast<const char *>(sqlite3_column_blob(st, i));
        return QVariant(QByteArray(data, sqlite3_column_bytes(st, i)));
    }
    default:
        return QVariant();
    }
}

// A value as SQLite gave it, kept until the rows are sorted: texts and
// binary values in an arena.
struct RawValue {
    int type = SQLITE_NULL;
    quint32 size = 0;
    union {
        qint64 integer = 0;
        double real;
        size_t offset;
    };
};

RawValue rawValueOf(sqlite3_stmt *st, int i, std::string &arena)
{
    RawValue v;
    v.type = sqlite3_column_type(st, i);
    switch (v.type) {
    case SQLITE_INTEGER:
        v.integer = sqlite3_column_int64(st, i);
        break;
    case SQLITE_FLOAT:
        v.real = sqlite3_column_double(st, i);
        break;
    case SQLITE_TEXT:
    case SQLITE_BLOB: {
        const void *data = v.type == SQLITE_TEXT ? static_cast<const void *>(sqlite3_column_text(st, i))
                                                 : sqlite3_column_blob(st, i);
        v.size = quint32(sqlite3_column_bytes(st, i));
        v.offset = arena.size();
        if (data)
            arena.append(static_cast<const char *>(data), v.size);
        break;
    }
    default:
        break;
    }
    return v;
}

QVariant valueOf(const RawValue &v, const std::string &arena, bool isDate)
{
    switch (v.type) {
    case SQLITE_INTEGER:
        return integerValue(v.integer);
    case SQLITE_FLOAT:
        return QVariant(v.real);
    case SQLITE_TEXT:
        return textValue(arena.data() + v.offset, qsizetype(v.size), isDate);
    case SQLITE_BLOB:
        return QVariant(QByteArray(arena.data() + v.offset, qsizetype(v.size)));
    default:
        return QVariant();
    }
}

// Opens a file that inspectFile() has judged, with the password where the
// file is encrypted. Fills db (closed again on failure) and writable.
DbError openFile(const QString &path, const QString &password, bool wantWrite, sqlite3 *&db, bool &writable,
                 int openFlags = 0)
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

} // namespace

// ---------------------------------------------------------------- Connection

Connection::Connection() = default;

Connection::~Connection()
{
    close();
}

DbError Connection::open(const QString &path, const QString &password, Access access)
{
    close();
    m_dataSource = path;
    sqlite3 *db = nullptr;
    bool writable = false;
    if (DbError e = openFile(path, password, access == Access::Writing, db, writable))
        return e;
    sqlite3_exec(db, "PRAGMA foreign_keys = ON", nullptr, nullptr, nullptr);
    // Room for a whole book in memory: sorting the list of 32,767 persons
    // then never spills into temporary files.
    sqlite3_exec(db, "PRAGMA cache_size = -32768", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA temp_store = MEMORY", nullptr, nullptr, nullptr);
    // A book only read is mapped instead of copied page by page (an
    // encrypted one is always read through its cipher).
    if (access == Access::Reading)
        sqlite3_exec(db, "PRAGMA mmap_size = 268435456", nullptr, nullptr, nullptr);
    registerDialect(db);
    m_db = db;
    m_mode = writable ? kModeReadWrite : kModeRead;
    m_columnTypesRead = false;
    return {};
}

void Connection::close()
{
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
    m_mode = 0;
    m_columnTypes.clear();
    m_columnTypesRead = false;
}

int Connection::state() const
{
    return m_db ? 1 : 0;
}

int Connection::mode() const
{
    return m_mode;
}

QString Connection::dataSource() const
{
    return m_dataSource;
}

void Connection::setDataSource(const QString &path)
{
    m_dataSource = path;
}

sqlite3 *Connection::handle() const
{
    return m_db;
}

QString Connection::translate(const QString &statement, bool sortByCollation)
{
    SqlTranslator translator;
    translator.setTextColumnTest(
        [this](const QString &table, const QString &column) { return mayHoldText(table, column); });
    translator.setSortMode(sortByCollation ? SqlTranslator::SortMode::Collation
                                           : SqlTranslator::SortMode::SortKey);
    return translator.translate(statement);
}

bool Connection::mayHoldText(const QString &table, const QString &column)
{
    if (!m_db)
        return true;
    if (!m_columnTypesRead) {
        m_columnTypes.clear();
        QStringList tables;
        {
            Statement st;
            if (!prepareRaw(m_db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"),
                            st)) {
                while (sqlite3_step(st.st) == SQLITE_ROW)
                    tables << columnText(st.st, 0);
            }
        }
        for (const QString &name : tables) {
            Statement st;
            if (prepareRaw(m_db, QStringLiteral("PRAGMA table_info(%1)").arg(quoteName(name)), st))
                continue;
            while (sqlite3_step(st.st) == SQLITE_ROW) {
                const QString col = columnText(st.st, 1).toLower();
                const QString type = columnText(st.st, 2);
                m_columnTypes[name.toLower() + QLatin1Char('.') + col] << type;
                m_columnTypes[col] << type;
            }
        }
        m_columnTypesRead = true;
    }
    const QString key =
        table.isEmpty() ? column.toLower() : table.toLower() + QLatin1Char('.') + column.toLower();
    const auto it = m_columnTypes.constFind(key);
    if (it == m_columnTypes.constEnd())
        return true; // an alias or an expression's name: may be anything
    for (const QString &type : *it) {
        if (SqlTranslator::affinity(type) == QLatin1String("TEXT"))
            return true;
    }
    return false;
}

DbError Connection::execute(const QString &statement)
{
    if (!m_db)
        return notOpen();
    SqlTranslator::AlterColumn alter;
    if (SqlTranslator::parseAlterColumn(statement, alter))
        return alterColumn(alter.table, alter.column, alter.type);
    const QString keyword = SqlTranslator::leadingKeyword(statement);
    if (keyword == QLatin1String("CREATE") || keyword == QLatin1String("DROP") ||
        keyword == QLatin1String("ALTER") || keyword == QLatin1String("ROLLBACK"))
        m_columnTypesRead = false;
    Statement prepared;
    if (DbError e = prepareDialect(*this, statement, prepared))
        return e;
    return stepToEnd(m_db, prepared.st);
}

DbError Connection::alterColumn(const QString &table, const QString &column, const QString &type)
{
    m_columnTypesRead = false;
    QString storedName;
    QString sql;
    {
        Statement st;
        if (DbError e = prepareRaw(m_db,
                                   QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type = 'table' "
                                                  "AND name = ?1 COLLATE NOCASE"),
                                   st))
            return e;
        const QByteArray name = table.toUtf8();
        sqlite3_bind_text(st.st, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        const int rc = sqlite3_step(st.st);
        if (rc == SQLITE_ROW) {
            storedName = columnText(st.st, 0);
            sql = columnText(st.st, 1);
        } else if (rc != SQLITE_DONE) {
            return errorOf(m_db, rc);
        }
    }
    if (storedName.isEmpty())
        return DbError{SQLITE_ERROR, QStringLiteral("no such table: %1").arg(table)};
    QString newSql;
    QString oldType;
    if (!SqlTranslator::replaceColumnType(sql, column, type, newSql, &oldType))
        return DbError{SQLITE_ERROR, QStringLiteral("no such column: %1").arg(column)};
    if (oldType.simplified().compare(type, Qt::CaseInsensitive) == 0)
        return {};
    if (SqlTranslator::affinity(oldType) != SqlTranslator::affinity(type)) {
        return DbError{
            SQLITE_ERROR,
            QStringLiteral("The column %1 cannot change from %2 to %3: it would hold another kind of value.")
                .arg(column, oldType, type)};
    }

    // The values stay as they are (the kind of value the column holds does
    // not change), so only the declared type in the schema is rewritten.
    int version = 0;
    {
        Statement st;
        if (DbError e = prepareRaw(m_db, QStringLiteral("PRAGMA schema_version"), st))
            return e;
        if (sqlite3_step(st.st) != SQLITE_ROW)
            return errorOf(m_db, sqlite3_errcode(m_db));
        version = sqlite3_column_int(st.st, 0);
    }
    if (DbError e = run(m_db, QStringLiteral("SAVEPOINT velmora_alter_column")))
        return e;
    DbError error = run(m_db, QStringLiteral("PRAGMA writable_schema = ON"));
    if (!error) {
        Statement st;
        error = prepareRaw(
            m_db, QStringLiteral("UPDATE sqlite_master SET sql = ?1 WHERE type = 'table' AND name = ?2"), st);
        if (!error) {
            const QByteArray sqlBytes = newSql.toUtf8();
            const QByteArray nameBytes = storedName.toUtf8();
            sqlite3_bind_text(st.st, 1, sqlBytes.constData(), int(sqlBytes.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(st.st, 2, nameBytes.constData(), int(nameBytes.size()), SQLITE_TRANSIENT);
            error = stepToEnd(m_db, st.st);
        }
    }
    if (!error)
        error = run(m_db, QStringLiteral("PRAGMA schema_version = %1").arg(version + 1));
    run(m_db, QStringLiteral("PRAGMA writable_schema = OFF"));
    if (error) {
        run(m_db, QStringLiteral("ROLLBACK TO velmora_alter_column"));
        run(m_db, QStringLiteral("RELEASE velmora_alter_column"));
        return error;
    }
    if (DbError e = run(m_db, QStringLiteral("RELEASE velmora_alter_column"))) {
        run(m_db, QStringLiteral("ROLLBACK TO velmora_alter_column"));
        run(m_db, QStringLiteral("RELEASE velmora_alter_column"));
        return e;
    }
    // This connection still holds the old layout in memory: setting the
    // schema version marks it changed, and rolling that back makes SQLite
    // read the layout from the file again.
    if (!run(m_db, QStringLiteral("SAVEPOINT velmora_reload_schema"))) {
        run(m_db, QStringLiteral("PRAGMA schema_version = %1").arg(version + 1));
        run(m_db, QStringLiteral("ROLLBACK TO velmora_reload_schema"));
        run(m_db, QStringLiteral("RELEASE velmora_reload_schema"));
    }
    return {};
}

// ----------------------------------------------------------------- Recordset

void Recordset::reset(std::vector<Column> columns)
{
    m_columns = std::move(columns);
    m_chunks.clear();
    m_lookups.clear();
    m_rows = 0;
    m_pos = 0;
}

void Recordset::appendCell(QVariant value)
{
    constexpr size_t chunk = size_t(1) << kChunkBits;
    if (m_chunks.empty() || m_chunks.back().size() == chunk) {
        m_chunks.emplace_back();
        m_chunks.back().reserve(chunk);
    }
    m_chunks.back().push_back(std::move(value));
}

void Recordset::appendRow(std::vector<QVariant> row)
{
    if (m_columns.empty())
        return;
    row.resize(m_columns.size());
    for (QVariant &v : row)
        appendCell(std::move(v));
    ++m_rows;
}

int Recordset::columnIndex(const QString &name) const
{
    for (const auto &[known, index] : m_lookups) {
        if (known.constData() == name.constData() || known == name)
            return index;
    }
    int found = -1;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0) {
        const QStringView table = QStringView(name).left(dot);
        const QStringView column = QStringView(name).mid(dot + 1);
        for (size_t i = 0; i < m_columns.size() && found < 0; ++i) {
            if (m_columns[i].name.compare(column, Qt::CaseInsensitive) == 0 &&
                m_columns[i].table.compare(table, Qt::CaseInsensitive) == 0)
                found = int(i);
        }
    }
    for (size_t i = 0; i < m_columns.size() && found < 0; ++i) {
        if (m_columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
            found = int(i);
    }
    if (m_lookups.size() < 32)
        m_lookups.emplace_back(name, found);
    return found;
}

QVariant Recordset::field(const QString &name) const
{
    const int index = columnIndex(name);
    if (index < 0 || eof() || m_pos < 0)
        return QVariant();
    const size_t cell = size_t(m_pos) * m_columns.size() + size_t(index);
    return m_chunks[cell >> kChunkBits][cell & ((size_t(1) << kChunkBits) - 1)];
}

namespace {

// One value of a sort term, ordered as SQLite orders values: Null, then
// numbers, then texts, then binary values. Texts sorted in the user's locale
// point to their cached sort key; other texts and binary values to their
// bytes in the sort's arena.
struct SortValue {
    enum Kind : unsigned char { Null, Number, Text, Blob };
    Kind kind = Null;
    bool isInteger = false;
    bool byKey = false;
    quint32 size = 0;
    union {
        qint64 integer = 0;
        double real;
        size_t offset; // into the arena
    };
    const char *key = nullptr;
};

int compareValues(const SortValue &a, const SortValue &b, const std::string &arena)
{
    if (a.kind != b.kind)
        return a.kind < b.kind ? -1 : 1;
    switch (a.kind) {
    case SortValue::Null:
        return 0;
    case SortValue::Number:
        if (a.isInteger && b.isInteger)
            return a.integer < b.integer ? -1 : (a.integer > b.integer ? 1 : 0);
        {
            const double x = a.isInteger ? double(a.integer) : a.real;
            const double y = b.isInteger ? double(b.integer) : b.real;
            return x < y ? -1 : (x > y ? 1 : 0);
        }
    default: {
        const std::string_view x(a.byKey ? a.key : arena.data() + a.offset, a.size);
        const std::string_view y(b.byKey ? b.key : arena.data() + b.offset, b.size);
        const int c = x.compare(y);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    }
}

SortValue sortValueOf(sqlite3_stmt *st, int i, bool byLocale, SortCollator::Session &collator,
                      std::string &arena)
{
    SortValue v;
    switch (sqlite3_column_type(st, i)) {
    case SQLITE_INTEGER:
        v.kind = SortValue::Number;
        v.isInteger = true;
        v.integer = sqlite3_column_int64(st, i);
        break;
    case SQLITE_FLOAT:
        v.kind = SortValue::Number;
        v.real = sqlite3_column_double(st, i);
        break;
    case SQLITE_TEXT: {
        v.kind = SortValue::Text;
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(st, i));
        const std::string_view view(text, size_t(sqlite3_column_bytes(st, i)));
        if (byLocale) {
            const std::string_view key = collator.sortKey(view);
            v.byKey = true;
            v.key = key.data();
            v.size = quint32(key.size());
        } else {
            v.offset = arena.size();
            v.size = quint32(view.size());
            arena.append(view);
        }
        break;
    }
    case SQLITE_BLOB: {
        v.kind = SortValue::Blob;
        const auto *data = static_cast<const char *>(sqlite3_column_blob(st, i));
        v.offset = arena.size();
        v.size = quint32(sqlite3_column_bytes(st, i));
        if (data)
            arena.append(data, v.size);
        break;
    }
    default:
        break;
    }
    return v;
}

// The order of the rows by their sort values (terms values each). Each
// term's values are first ranked among themselves (a name that comes back on
// many rows is placed once), then the rows are sorted on those small numbers.
std::vector<int> sortedOrder(const std::vector<SortValue> &keys, int terms,
                             const std::vector<bool> &descending, const std::string &arena)
{
    const size_t rows = keys.size() / size_t(terms);
    std::vector<int> ranks(keys.size());
    std::vector<size_t> distinct;
    std::unordered_map<const char *, int> seen;
    std::vector<int> classOf(rows);
    std::vector<int> rankCount(size_t(terms), 0);
    for (int t = 0; t < terms; ++t) {
        // Rows whose value is the same cached key share one entry.
        distinct.clear();
        seen.clear();
        for (size_t r = 0; r < rows; ++r) {
            const SortValue &v = keys[r * size_t(terms) + size_t(t)];
            if (v.byKey) {
                const auto [it, added] = seen.try_emplace(v.key, int(distinct.size()));
                if (added)
                    distinct.push_back(r);
                classOf[r] = it->second;
            } else {
                classOf[r] = int(distinct.size());
                distinct.push_back(r);
            }
        }
        const auto valueOfEntry = [&](int entry) -> const SortValue & {
            return keys[distinct[size_t(entry)] * size_t(terms) + size_t(t)];
        };
        std::vector<int> byValue(distinct.size());
        for (size_t i = 0; i < byValue.size(); ++i)
            byValue[i] = int(i);
        std::sort(byValue.begin(), byValue.end(),
                  [&](int a, int b) { return compareValues(valueOfEntry(a), valueOfEntry(b), arena) < 0; });
        std::vector<int> rankOfEntry(distinct.size());
        int rank = 0;
        for (size_t i = 0; i < byValue.size(); ++i) {
            if (i > 0 && compareValues(valueOfEntry(byValue[i - 1]), valueOfEntry(byValue[i]), arena) != 0)
                ++rank;
            rankOfEntry[size_t(byValue[i])] = rank;
        }
        if (descending[size_t(t)]) {
            for (int &r : rankOfEntry)
                r = rank - r;
        }
        for (size_t r = 0; r < rows; ++r)
            ranks[r * size_t(terms) + size_t(t)] = rankOfEntry[size_t(classOf[r])];
        rankCount[size_t(t)] = rank + 1;
    }

    // Counting sort by the last term, then by the one before ...: each pass
    // keeps the order of the previous one among equal ranks, and equal rows
    // keep the order SQLite gave them.
    std::vector<int> order(rows, 0);
    for (size_t r = 0; r < rows; ++r)
        order[r] = int(r);
    std::vector<int> next(rows, 0);
    std::vector<size_t> start;
    for (int t = terms - 1; t >= 0; --t) {
        start.assign(size_t(rankCount[size_t(t)]) + 1, 0);
        for (size_t r = 0; r < rows; ++r)
            ++start[size_t(ranks[r * size_t(terms) + size_t(t)]) + 1];
        for (size_t i = 1; i < start.size(); ++i)
            start[i] += start[i - 1];
        for (int r : order)
            next[start[size_t(ranks[size_t(r) * size_t(terms) + size_t(t)])]++] = r;
        order.swap(next);
    }
    return order;
}

} // namespace

DbError openRecordset(Connection &connection, const QString &statement, Recordset &rs)
{
    rs.reset({});
    sqlite3 *db = connection.handle();
    if (!db)
        return notOpen();
    SortCollator::instance().trimCache();

    // Where it can, the engine sorts the rows itself: SQLite's sorter takes
    // most of the time of a long sorted list.
    Statement prepared;
    SqlTranslator translator;
    translator.setTextColumnTest([&connection](const QString &table, const QString &column) {
        return connection.mayHoldText(table, column);
    });
    SqlTranslator::EngineSort sort;
    if (!translator.translateForEngineSort(statement, sort) || prepareRaw(db, sort.statement, prepared)) {
        sort = SqlTranslator::EngineSort();
        if (DbError e = prepareDialect(connection, statement, prepared))
            return e;
    }
    sqlite3_stmt *st = prepared.st;
    const int terms = sort.termCount;
    const int count = sqlite3_column_count(st) - terms;
    std::vector<Recordset::Column> columns;
    columns.reserve(size_t(count));
    std::vector<bool> isDate;
    for (int i = 0; i < count; ++i) {
        Recordset::Column column;
        column.name = QString::fromUtf8(sqlite3_column_name(st, i));
        column.table = QString::fromUtf8(sqlite3_column_table_name(st, i));
        const QString declared = QString::fromUtf8(sqlite3_column_decltype(st, i)).trimmed();
        column.isDate = declared.startsWith(QLatin1String("DATE"), Qt::CaseInsensitive);
        isDate.push_back(column.isDate);
        columns.push_back(std::move(column));
    }
    Recordset filled;
    filled.reset(std::move(columns));
    std::vector<SortValue> keys;
    std::string sortArena;
    // Rows to be sorted are kept raw first and turned into values in their
    // final order.
    std::vector<RawValue> raw;
    std::string rawArena;
    SortCollator::Session collator(SortCollator::instance());
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        if (terms > 0) {
            for (int i = 0; i < count; ++i)
                raw.push_back(rawValueOf(st, i, rawArena));
            for (int t = 0; t < terms; ++t)
                keys.push_back(sortValueOf(st, count + t, sort.byLocale[size_t(t)], collator, sortArena));
        } else {
            for (int i = 0; i < count; ++i)
                filled.appendCell(valueOf(st, i, isDate[size_t(i)]));
        }
        ++filled.m_rows;
    }
    if (rc != SQLITE_DONE)
        return errorOf(db, rc);
    if (terms > 0) {
        const std::vector<int> order = filled.m_rows > 1
                                           ? sortedOrder(keys, terms, sort.descending, sortArena)
                                           : std::vector<int>(size_t(filled.m_rows), 0);
        for (int row : order) {
            for (int i = 0; i < count; ++i)
                filled.appendCell(
                    valueOf(raw[size_t(row) * size_t(count) + size_t(i)], rawArena, isDate[size_t(i)]));
        }
    }
    rs = std::move(filled);
    return {};
}

bool RowView::isNull(int column) const
{
    return sqlite3_column_type(m_st, column) == SQLITE_NULL;
}

qint64 RowView::integer(int column) const
{
    return sqlite3_column_int64(m_st, column);
}

QByteArrayView RowView::utf8(int column) const
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_st, column));
    return text ? QByteArrayView(text, sqlite3_column_bytes(m_st, column)) : QByteArrayView();
}

DbError forEachRow(Connection &connection, const QString &statement,
                   const std::function<bool(const RowView &)> &visit)
{
    sqlite3 *db = connection.handle();
    if (!db)
        return notOpen();
    Statement prepared;
    if (DbError e = prepareDialect(connection, statement, prepared))
        return e;
    const RowView row(prepared.st);
    int rc;
    while ((rc = sqlite3_step(prepared.st)) == SQLITE_ROW) {
        if (!visit(row))
            return {};
    }
    return rc == SQLITE_DONE ? DbError{} : errorOf(db, rc);
}

// ------------------------------------------------------------------- Catalog

namespace catalog {

DbError createFile(const QString &path)
{
    if (QFileInfo::exists(path))
        return DbError{kFileExistsError, QStringLiteral("The file %1 already exists.").arg(path)};
    sqlite3 *db = nullptr;
    int rc =
        sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    DbError error;
    if (rc != SQLITE_OK)
        error = errorOf(db, rc);
    else
        error = run(db, QStringLiteral("PRAGMA page_size = 4096"));
    // Writing the header makes the file a database even while it has no table.
    if (!error)
        error = run(db, QStringLiteral("PRAGMA user_version = 0"));
    sqlite3_close(db);
    if (error) {
        QFile::remove(path);
        return error;
    }
    return {};
}

namespace {

DbError tableInfo(Connection &connection, const QString &table,
                  std::vector<std::pair<QString, QString>> &columns)
{
    columns.clear();
    if (!connection.handle())
        return notOpen();
    Statement st;
    if (DbError e = prepareRaw(connection.handle(),
                               QStringLiteral("PRAGMA table_info(%1)").arg(quoteName(table)), st))
        return e;
    int rc;
    while ((rc = sqlite3_step(st.st)) == SQLITE_ROW)
        columns.emplace_back(columnText(st.st, 1), columnText(st.st, 2));
    if (rc != SQLITE_DONE)
        return errorOf(connection.handle(), rc);
    if (columns.empty())
        return DbError{SQLITE_ERROR, QStringLiteral("no such table: %1").arg(table)};
    return {};
}

} // namespace

DbError columnCount(Connection &connection, const QString &table, int &count)
{
    std::vector<std::pair<QString, QString>> columns;
    if (DbError e = tableInfo(connection, table, columns))
        return e;
    count = int(columns.size());
    return {};
}

DbError definedSize(Connection &connection, const QString &table, const QString &column, int &size)
{
    std::vector<std::pair<QString, QString>> columns;
    if (DbError e = tableInfo(connection, table, columns))
        return e;
    for (const auto &[name, type] : columns) {
        if (name.compare(column, Qt::CaseInsensitive) != 0)
            continue;
        const QString upper = type.toUpper().simplified();
        const qsizetype open = upper.indexOf(QLatin1Char('('));
        if (open >= 0) {
            bool ok = false;
            const int n =
                upper.mid(open + 1, upper.indexOf(QLatin1Char(')'), open) - open - 1).trimmed().toInt(&ok);
            if (ok) {
                size = n;
                return {};
            }
        }
        if (upper.startsWith(QLatin1String("TINYINT")) || upper.startsWith(QLatin1String("BYTE")))
            size = 1;
        else if (upper.startsWith(QLatin1String("SMALLINT")) || upper.startsWith(QLatin1String("SHORT")))
            size = 2;
        else if (upper.startsWith(QLatin1String("DATE")) || upper.startsWith(QLatin1String("DOUBLE")) ||
                 upper.startsWith(QLatin1String("REAL")) || upper.startsWith(QLatin1String("BIGINT")))
            size = 8;
        else if (upper.contains(QLatin1String("INT")) || upper.startsWith(QLatin1String("LONG")))
            size = 4;
        else
            size = 0;
        return {};
    }
    return DbError{SQLITE_ERROR, QStringLiteral("no such column: %1.%2").arg(table, column)};
}

} // namespace catalog

// ---------------------------------------------------------------- Compaction

DbError compactInto(const QString &sourcePath, const QString &sourcePassword, const QString &destinationPath,
                    const QString &destinationPassword)
{
    if (QFileInfo::exists(destinationPath))
        return DbError{kFileExistsError, QStringLiteral("The file %1 already exists.").arg(destinationPath)};
    sqlite3 *db = nullptr;
    bool writable = false;
    // The copy is attached with the source's open flags, so they must allow
    // creating a file; the source itself exists and is only read.
    if (DbError e = openFile(sourcePath, sourcePassword, false, db, writable,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE))
        return e;
    DbError error;
    bool attached = false;
    {
        Statement st;
        error = prepareRaw(db, QStringLiteral("ATTACH DATABASE ?1 AS velmora_compact KEY ?2"), st);
        if (!error) {
            const QByteArray path = destinationPath.toUtf8();
            QByteArray key = destinationPassword.toUtf8();
            sqlite3_bind_text(st.st, 1, path.constData(), int(path.size()), SQLITE_TRANSIENT);
            // An empty key (not Null) makes the copy a plain file.
            sqlite3_bind_text(st.st, 2, key.isEmpty() ? "" : key.constData(), int(key.size()),
                              SQLITE_TRANSIENT);
            key.fill('\0');
            error = stepToEnd(db, st.st);
            attached = !error;
        }
    }
    if (!error && destinationPassword.isEmpty())
        error = run(db, QStringLiteral("PRAGMA velmora_compact.page_size = 4096"));
    if (!error)
        error = run(db, QStringLiteral("BEGIN"));
    if (!error) {
        error = run(db, QStringLiteral("SELECT sqlcipher_export('velmora_compact')"));
        if (!error)
            error = run(db, QStringLiteral("COMMIT"));
        else
            run(db, QStringLiteral("ROLLBACK"));
    }
    if (attached) {
        const DbError detach = run(db, QStringLiteral("DETACH DATABASE velmora_compact"));
        if (!error)
            error = detach;
    }
    sqlite3_close_v2(db);
    if (error)
        QFile::remove(destinationPath);
    return error;
}

} // namespace velmora
