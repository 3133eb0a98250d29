#include "store/Engine.h"

#include "store/EngineCalls.h"
#include "store/EngineSort.h"
#include "store/SortCollator.h"
#include "store/SqlTranslator.h"

#include <QDate>

// SQLCipher declares sqlite3_key() only for builds with the codec.
#ifndef SQLITE_HAS_CODEC
#define SQLITE_HAS_CODEC 1
#endif
#include <sqlite3.h>

#include <limits>

namespace velmora {

using namespace engine;

namespace {

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

} // namespace

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

} // namespace velmora
