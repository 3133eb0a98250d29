#pragma once

#include <QDate>
#include <QString>
#include <functional>
#include <vector>

namespace velmora {

// Turns a statement of the program's SQL dialect into the statement SQLite
// runs. The dialect is the one the program has always written:
//
// - date literals between "#" in month/day/year order (#12/31/1970#) become
//   ISO texts ('1970-12-31'), the form dates are stored in;
// - Month(x), Day(x) and Year(x) become the matching strftime() numbers;
// - names in square brackets become quoted names; the column name Order may
//   be written without brackets wherever it is not the ORDER of ORDER BY;
// - the column type MEMO becomes TEXT (SQLite would otherwise read a note
//   such as "1e5" as a number);
// - a text literal compared with "=", "<>", "<" ... compares without case;
// - ORDER BY on text sorts in the user's locale.
//
// Nothing inside a text literal or a comment is ever changed. ALTER TABLE ...
// ALTER COLUMN has no SQLite form; parseAlterColumn() recognises it so that
// the engine can carry it out.
class SqlTranslator {
public:
    // Answers whether a column named in an ORDER BY may hold text. table is
    // empty for an unqualified name. Without a test every term counts as
    // possibly text.
    using TextColumnTest = std::function<bool(const QString &table, const QString &column)>;

    // How an ORDER BY term on text is made to sort in the user's locale:
    // through the sort key function (fast: each value is turned into a key
    // once) or through the collation (works in every place SQLite accepts a
    // bare column name).
    enum class SortMode { SortKey, Collation };

    // Names the engine registers on every connection. They never appear in
    // the stored schema.
    static constexpr const char *kSortKeyFunction = "velmora_sortkey";
    static constexpr const char *kSortCollation = "velmora_sort";
    static constexpr const char *kNoCaseCollation = "velmora_nocase";

    void setTextColumnTest(TextColumnTest test) { m_isText = std::move(test); }
    void setSortMode(SortMode mode) { m_sortMode = mode; }

    QString translate(const QString &statement) const;

    // A query whose ORDER BY the engine can carry out itself, faster than
    // SQLite's sorter: the statement without its ORDER BY, with the sort
    // terms appended to the selected columns, and how to sort by them.
    struct EngineSort {
        QString statement;
        int termCount = 0;
        std::vector<bool> descending;
        std::vector<bool> byLocale; // text sorted in the user's locale
    };
    // False when the statement is not such a query (no ORDER BY, DISTINCT,
    // GROUP BY, LIMIT, compound queries, a result column named in the
    // ORDER BY, no text to sort in the user's locale ...): SQLite sorts
    // those.
    bool translateForEngineSort(const QString &statement, EngineSort &sort) const;

    // The first word of a statement, in upper case ("SELECT", "CREATE" ...).
    static QString leadingKeyword(const QString &statement);

    struct AlterColumn {
        QString table;
        QString column;
        QString type; // as SQLite stores it (MEMO already TEXT)
    };
    // Recognises "ALTER TABLE t ALTER COLUMN c type".
    static bool parseAlterColumn(const QString &statement, AlterColumn &alter);
    // Puts a new declared type for a column into a CREATE TABLE text. Fails
    // when the column is not there. oldType receives the type it had.
    static bool replaceColumnType(const QString &createSql, const QString &column, const QString &type,
                                  QString &result, QString *oldType = nullptr);
    // SQLite's affinity of a declared type: "INTEGER", "TEXT", "BLOB",
    // "REAL" or "NUMERIC".
    static QString affinity(const QString &declaredType);
    // The date of a literal's inner text ("12/31/1970"; a year of one or two
    // digits means 1930 to 2029). Invalid when it is no date.
    static QDate parseDateLiteral(const QString &text);

private:
    TextColumnTest m_isText;
    SortMode m_sortMode = SortMode::SortKey;
};

// Rewrites a statement of the program's dialect (date literals #m/d/yyyy#,
// Month(), Day(), bare Order/Number/Note, MEMO/DATE types, ...) into the
// statement SQLite runs (see SqlTranslator). ALTER TABLE ... ALTER COLUMN is
// carried out by Connection::execute itself.
QString translateStatement(const QString &statement);

} // namespace velmora
