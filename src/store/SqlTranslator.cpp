#include "store/SqlTranslator.h"

#include <QStringList>
#include <algorithm>
#include <vector>

namespace velmora {

namespace {

enum class Kind { Space, Comment, String, Identifier, DateLiteral, Number, Word, Punct };

struct Token {
    Kind kind = Kind::Punct;
    QString text;     // what is written out
    QString upper;    // words in upper case, punctuation as written; for structure tests
    QString prefix;   // written before text
    QString suffix;   // written after text
    int partner = -1; // Month/Day/Year: index of the closing bracket of the call
};

bool isWordStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_') || c.unicode() >= 0x80;
}

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$') || c.unicode() >= 0x80;
}

bool isDateLiteralChar(QChar c)
{
    return c.isDigit() || c == QLatin1Char('/') || c == QLatin1Char('-') || c == QLatin1Char('.') ||
           c == QLatin1Char(' ');
}

// Ends of a quoted run starting at i with the quote character q (doubled q
// inside stands for itself). Returns the index after the closing quote, or the
// end of the text when it is not closed.
qsizetype endOfQuoted(const QString &s, qsizetype i, QChar q)
{
    qsizetype j = i + 1;
    while (j < s.size()) {
        if (s[j] == q) {
            if (j + 1 < s.size() && s[j + 1] == q) {
                j += 2;
                continue;
            }
            return j + 1;
        }
        ++j;
    }
    return s.size();
}

std::vector<Token> tokenize(const QString &s)
{
    std::vector<Token> out;
    const qsizetype n = s.size();
    qsizetype i = 0;
    auto push = [&](Kind kind, qsizetype from, qsizetype to) {
        Token t;
        t.kind = kind;
        t.text = s.mid(from, to - from);
        if (kind == Kind::Word)
            t.upper = t.text.toUpper();
        else if (kind == Kind::Punct)
            t.upper = t.text;
        out.push_back(std::move(t));
    };
    while (i < n) {
        const QChar c = s[i];
        qsizetype j = i + 1;
        if (c.isSpace()) {
            while (j < n && s[j].isSpace())
                ++j;
            push(Kind::Space, i, j);
        } else if (c == QLatin1Char('-') && j < n && s[j] == QLatin1Char('-')) {
            while (j < n && s[j] != QLatin1Char('\n'))
                ++j;
            push(Kind::Comment, i, j);
        } else if (c == QLatin1Char('/') && j < n && s[j] == QLatin1Char('*')) {
            j = s.indexOf(QLatin1String("*/"), j + 1);
            j = j < 0 ? n : j + 2;
            push(Kind::Comment, i, j);
        } else if (c == QLatin1Char('\'')) {
            j = endOfQuoted(s, i, c);
            push(Kind::String, i, j);
        } else if (c == QLatin1Char('"') || c == QLatin1Char('`')) {
            j = endOfQuoted(s, i, c);
            push(Kind::Identifier, i, j);
        } else if (c == QLatin1Char('[')) {
            j = s.indexOf(QLatin1Char(']'), j);
            j = j < 0 ? n : j + 1;
            push(Kind::Identifier, i, j);
        } else if (c == QLatin1Char('#')) {
            qsizetype k = j;
            while (k < n && k - j <= 40 && isDateLiteralChar(s[k]))
                ++k;
            if (k < n && k > j && s[k] == QLatin1Char('#')) {
                j = k + 1;
                push(Kind::DateLiteral, i, j);
            } else
                push(Kind::Punct, i, j);
        } else if (c.isDigit() || (c == QLatin1Char('.') && j < n && s[j].isDigit())) {
            while (j < n &&
                   (s[j].isLetterOrNumber() || s[j] == QLatin1Char('.') || s[j] == QLatin1Char('_') ||
                    ((s[j] == QLatin1Char('+') || s[j] == QLatin1Char('-')) &&
                     (s[j - 1] == QLatin1Char('e') || s[j - 1] == QLatin1Char('E')))))
                ++j;
            push(Kind::Number, i, j);
        } else if (isWordStart(c)) {
            while (j < n && isWordChar(s[j]))
                ++j;
            push(Kind::Word, i, j);
        } else {
            static const char *const pairs[] = {"<>", "<=", ">=", "!=", "==", "||", "<<", ">>"};
            for (const char *pair : pairs) {
                if (j < n && c == QLatin1Char(pair[0]) && s[j] == QLatin1Char(pair[1])) {
                    ++j;
                    break;
                }
            }
            push(Kind::Punct, i, j);
        }
        i = j;
    }
    return out;
}

bool isSignificant(const Token &t)
{
    return t.kind != Kind::Space && t.kind != Kind::Comment;
}

int nextSignificant(const std::vector<Token> &toks, int i)
{
    for (int j = i + 1; j < int(toks.size()); ++j) {
        if (isSignificant(toks[size_t(j)]))
            return j;
    }
    return -1;
}

int previousSignificant(const std::vector<Token> &toks, int i)
{
    for (int j = i - 1; j >= 0; --j) {
        if (isSignificant(toks[size_t(j)]))
            return j;
    }
    return -1;
}

bool isWord(const std::vector<Token> &toks, int i, const char *upper)
{
    return i >= 0 && i < int(toks.size()) && toks[size_t(i)].kind == Kind::Word &&
           toks[size_t(i)].upper == QLatin1String(upper);
}

bool isPunct(const std::vector<Token> &toks, int i, const char *text)
{
    return i >= 0 && i < int(toks.size()) && toks[size_t(i)].kind == Kind::Punct &&
           toks[size_t(i)].upper == QLatin1String(text);
}

bool isName(const Token &t)
{
    return t.kind == Kind::Word || t.kind == Kind::Identifier;
}

// The name a word or quoted name stands for.
QString nameOf(const Token &t)
{
    if (t.kind != Kind::Identifier || t.text.size() < 2)
        return t.text;
    const QChar open = t.text.front();
    const QChar close = open == QLatin1Char('[') ? QLatin1Char(']') : open;
    QString inner = t.text.mid(1, t.text.size() - (t.text.back() == close ? 2 : 1));
    if (open != QLatin1Char('['))
        inner.replace(QString(2, open), QString(open));
    return inner;
}

QString quoteName(const QString &name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

bool isComparison(const std::vector<Token> &toks, int i)
{
    if (i < 0 || toks[size_t(i)].kind != Kind::Punct)
        return false;
    static const QStringList ops = {QStringLiteral("="),  QStringLiteral("=="), QStringLiteral("<>"),
                                    QStringLiteral("!="), QStringLiteral("<"),  QStringLiteral(">"),
                                    QStringLiteral("<="), QStringLiteral(">=")};
    return ops.contains(toks[size_t(i)].upper);
}

int matchingClose(const std::vector<Token> &toks, int open)
{
    int depth = 0;
    for (int j = open; j < int(toks.size()); ++j) {
        if (isPunct(toks, j, "("))
            ++depth;
        else if (isPunct(toks, j, ")") && --depth == 0)
            return j;
    }
    return -1;
}

QString join(const std::vector<Token> &toks, int from, int to)
{
    QString out;
    for (int i = from; i < to; ++i) {
        const Token &t = toks[size_t(i)];
        out += t.prefix + t.text + t.suffix;
    }
    return out;
}

// Month(x) -> CAST(strftime('%m', x) AS INTEGER), the same for Day and Year.
void rewriteDateFunctions(std::vector<Token> &toks)
{
    for (int i = 0; i < int(toks.size()); ++i) {
        Token &t = toks[size_t(i)];
        if (t.kind != Kind::Word)
            continue;
        const char *format = t.upper == QLatin1String("MONTH")  ? "%m"
                             : t.upper == QLatin1String("DAY")  ? "%d"
                             : t.upper == QLatin1String("YEAR") ? "%Y"
                                                                : nullptr;
        if (!format)
            continue;
        const int open = nextSignificant(toks, i);
        if (!isPunct(toks, open, "(") || isPunct(toks, previousSignificant(toks, i), "."))
            continue;
        const int close = matchingClose(toks, open);
        if (close < 0 || nextSignificant(toks, open) == close)
            continue;
        t.text = QStringLiteral("CAST(strftime");
        t.partner = close;
        toks[size_t(open)].text = QStringLiteral("('") + QLatin1String(format) + QStringLiteral("', ");
        toks[size_t(close)].text = QStringLiteral(") AS INTEGER)");
    }
}

} // namespace

QDate SqlTranslator::parseDateLiteral(const QString &text)
{
    const QString inner = text.trimmed();
    QStringList parts = inner.split(QLatin1Char('/'));
    if (parts.size() != 3)
        parts = inner.split(QLatin1Char('-'));
    if (parts.size() != 3)
        parts = inner.split(QLatin1Char('.'));
    if (parts.size() != 3)
        return {};
    int numbers[3];
    for (int i = 0; i < 3; ++i) {
        const QString &part = parts[i];
        if (part.isEmpty() || part.size() > 4)
            return {};
        for (QChar c : part) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return {};
        }
        numbers[i] = part.toInt();
    }
    int year, month, day;
    if (parts[0].size() == 4) { // year first, as in ISO
        year = numbers[0];
        month = numbers[1];
        day = numbers[2];
    } else {
        month = numbers[0];
        day = numbers[1];
        year = numbers[2];
        if (parts[2].size() <= 2)
            year += year < 30 ? 2000 : 1900;
    }
    if (year < 1)
        return {};
    return QDate(year, month, day);
}

namespace {

// The parenthesis depth of every token.
std::vector<int> depths(const std::vector<Token> &toks)
{
    std::vector<int> depthOf(toks.size(), 0);
    int depth = 0;
    for (int i = 0; i < int(toks.size()); ++i) {
        if (isPunct(toks, i, ")"))
            --depth;
        depthOf[size_t(i)] = depth;
        if (isPunct(toks, i, "("))
            ++depth;
    }
    return depthOf;
}

struct OrderTerm {
    int first = -1; // first and last token of the expression
    int last = -1;
    bool descending = false;
    bool collated = false; // the term names its own collation
    bool position = false; // ORDER BY 2: a result column by number
    bool byLocale = false; // text sorted in the user's locale
};

struct OrderClause {
    int level = 0;
    int end = 0; // index after the clause
    bool compound = false;
    bool limited = false; // LIMIT or OFFSET follows
    std::vector<OrderTerm> terms;
};

// Reads the ORDER BY clause whose ORDER is at index order.
OrderClause readOrderClause(const std::vector<Token> &toks, const std::vector<int> &depthOf, int order,
                            const SqlTranslator::TextColumnTest &isText)
{
    OrderClause clause;
    const int by = nextSignificant(toks, order);
    clause.level = depthOf[size_t(order)];
    const int level = clause.level;
    for (int j = order - 1; j >= 0 && depthOf[size_t(j)] >= level; --j) {
        if (depthOf[size_t(j)] == level &&
            (isWord(toks, j, "UNION") || isWord(toks, j, "INTERSECT") || isWord(toks, j, "EXCEPT")))
            clause.compound = true;
    }
    std::vector<std::pair<int, int>> ranges;
    int termStart = by + 1;
    int j = by + 1;
    for (; j < int(toks.size()); ++j) {
        const int d = depthOf[size_t(j)];
        if (d < level)
            break;
        if (d == level) {
            if (isPunct(toks, j, ",")) {
                ranges.emplace_back(termStart, j);
                termStart = j + 1;
            } else if (isPunct(toks, j, ";")) {
                break;
            } else if (isWord(toks, j, "LIMIT") || isWord(toks, j, "OFFSET")) {
                clause.limited = true;
                break;
            }
        }
    }
    ranges.emplace_back(termStart, j);
    clause.end = j;

    for (const auto &[from, to] : ranges) {
        OrderTerm term;
        std::vector<int> expr;
        for (int k = from; k < to; ++k) {
            if (!isSignificant(toks[size_t(k)]))
                continue;
            const bool outer = depthOf[size_t(k)] == level;
            if (outer && isWord(toks, k, "COLLATE"))
                term.collated = true;
            if (term.collated)
                continue;
            if (outer && (isWord(toks, k, "ASC") || isWord(toks, k, "DESC"))) {
                term.descending = isWord(toks, k, "DESC");
                continue;
            }
            expr.push_back(k);
        }
        if (expr.empty())
            continue;
        term.first = expr.front();
        term.last = expr.back();
        const Token &head = toks[size_t(term.first)];
        term.position = expr.size() == 1 && head.kind == Kind::Number;
        term.byLocale = !term.position && head.partner != term.last; // Month(), Day(), Year(): numbers
        const bool columnRef = (expr.size() == 1 && isName(head)) ||
                               (expr.size() == 3 && isName(head) && isPunct(toks, expr[1], ".") &&
                                isName(toks[size_t(expr[2])]));
        if (term.byLocale && columnRef && isText) {
            const QString table = expr.size() == 3 ? nameOf(head) : QString();
            term.byLocale = isText(table, nameOf(toks[size_t(term.last)]));
        }
        clause.terms.push_back(term);
    }
    return clause;
}

// The rewrites every statement gets; returns the statement's first word.
QString rewrite(std::vector<Token> &toks)
{
    const int first = toks.empty() ? -1 : (isSignificant(toks.front()) ? 0 : nextSignificant(toks, 0));
    const QString kind =
        first >= 0 && toks[size_t(first)].kind == Kind::Word ? toks[size_t(first)].upper : QString();
    const bool definition = kind == QLatin1String("CREATE") || kind == QLatin1String("ALTER");

    // Local rewrites: names, dates, the word Order, MEMO.
    for (int i = 0; i < int(toks.size()); ++i) {
        Token &t = toks[size_t(i)];
        if (t.kind == Kind::Identifier && t.text.startsWith(QLatin1Char('[')) &&
            t.text.endsWith(QLatin1Char(']'))) {
            t.text = quoteName(nameOf(t));
        } else if (t.kind == Kind::DateLiteral) {
            const QDate date = SqlTranslator::parseDateLiteral(t.text.mid(1, t.text.size() - 2));
            if (date.isValid())
                t.text = QLatin1Char('\'') + date.toString(Qt::ISODate) + QLatin1Char('\'');
        } else if (t.kind == Kind::Word && t.upper == QLatin1String("ORDER")) {
            if (!isWord(toks, nextSignificant(toks, i), "BY")) {
                t.text = quoteName(t.text);
                t.kind = Kind::Identifier;
            }
        } else if (definition && t.kind == Kind::Word && t.upper == QLatin1String("MEMO")) {
            const int p = previousSignificant(toks, i);
            if (p >= 0 && isName(toks[size_t(p)]))
                t.text = QStringLiteral("TEXT");
        }
    }
    rewriteDateFunctions(toks);
    if (definition)
        return kind;

    // Text literals compared with = <> < > ... compare without case. The
    // values given to SET in an UPDATE are left as they are.
    int depth = 0;
    bool inSet = false;
    for (int i = 0; i < int(toks.size()); ++i) {
        Token &t = toks[size_t(i)];
        if (isPunct(toks, i, "("))
            ++depth;
        else if (isPunct(toks, i, ")"))
            --depth;
        else if (depth == 0 && kind == QLatin1String("UPDATE") && isWord(toks, i, "SET"))
            inSet = true;
        else if (depth == 0 && isWord(toks, i, "WHERE"))
            inSet = false;
        if (t.kind != Kind::String || inSet)
            continue;
        const int p = previousSignificant(toks, i);
        const int n = nextSignificant(toks, i);
        if ((isComparison(toks, p) || isComparison(toks, n)) && !isWord(toks, n, "COLLATE"))
            t.suffix += QStringLiteral(" COLLATE ") + QLatin1String(SqlTranslator::kNoCaseCollation);
    }
    return kind;
}

} // namespace

QString SqlTranslator::translate(const QString &statement) const
{
    std::vector<Token> toks = tokenize(statement);
    const QString kind = rewrite(toks);
    if (kind == QLatin1String("CREATE") || kind == QLatin1String("ALTER"))
        return join(toks, 0, int(toks.size()));

    // ORDER BY terms on text sort in the user's locale.
    const std::vector<int> depthOf = depths(toks);
    for (int i = 0; i < int(toks.size()); ++i) {
        if (!isWord(toks, i, "ORDER") || !isWord(toks, nextSignificant(toks, i), "BY"))
            continue;
        const OrderClause clause = readOrderClause(toks, depthOf, i, m_isText);
        const bool useKey = m_sortMode == SortMode::SortKey && !clause.compound;
        for (const OrderTerm &term : clause.terms) {
            if (term.collated || !term.byLocale)
                continue;
            if (useKey) {
                toks[size_t(term.first)].prefix.prepend(QLatin1String(kSortKeyFunction) + QLatin1Char('('));
                toks[size_t(term.last)].suffix += QLatin1Char(')');
            } else {
                toks[size_t(term.last)].suffix += QStringLiteral(" COLLATE ") + QLatin1String(kSortCollation);
            }
        }
    }
    return join(toks, 0, int(toks.size()));
}

bool SqlTranslator::translateForEngineSort(const QString &statement, EngineSort &sort) const
{
    std::vector<Token> toks = tokenize(statement);
    if (rewrite(toks) != QLatin1String("SELECT"))
        return false;
    const std::vector<int> depthOf = depths(toks);
    static const QStringList unsupported = {
        QStringLiteral("DISTINCT"), QStringLiteral("GROUP"),     QStringLiteral("HAVING"),
        QStringLiteral("UNION"),    QStringLiteral("INTERSECT"), QStringLiteral("EXCEPT"),
        QStringLiteral("LIMIT"),    QStringLiteral("OFFSET"),    QStringLiteral("WINDOW")};
    int from = -1;
    int order = -1;
    QStringList aliases;
    for (int i = 0; i < int(toks.size()); ++i) {
        const Token &t = toks[size_t(i)];
        if (depthOf[size_t(i)] != 0 || t.kind != Kind::Word)
            continue;
        if (unsupported.contains(t.upper))
            return false;
        if (t.upper == QLatin1String("FROM") && from < 0) {
            from = i;
        } else if (t.upper == QLatin1String("AS") && from < 0) {
            const int n = nextSignificant(toks, i);
            if (n >= 0 && isName(toks[size_t(n)]))
                aliases << nameOf(toks[size_t(n)]);
        } else if (from < 0 && i > 0) {
            // A name written straight after a column, without AS, is an alias too.
            const int p = previousSignificant(toks, i);
            const int n = nextSignificant(toks, i);
            if (p >= 0 && (isName(toks[size_t(p)]) || isPunct(toks, p, ")")) && !isWord(toks, p, "SELECT") &&
                !isWord(toks, p, "ALL") && (isPunct(toks, n, ",") || isWord(toks, n, "FROM")))
                aliases << nameOf(t);
        } else if (t.upper == QLatin1String("ORDER") && isWord(toks, nextSignificant(toks, i), "BY")) {
            if (order >= 0)
                return false;
            order = i;
        }
    }
    if (from < 0 || order < from)
        return false;
    const OrderClause clause = readOrderClause(toks, depthOf, order, m_isText);
    if (clause.limited || clause.terms.empty())
        return false;
    for (int k = clause.end; k < int(toks.size()); ++k) {
        if (isSignificant(toks[size_t(k)]) && !isPunct(toks, k, ";"))
            return false;
    }
    sort = EngineSort();
    QString extra;
    for (const OrderTerm &term : clause.terms) {
        if (term.collated || term.position)
            return false;
        // A result column's own name would mean the result column to
        // SQLite, not the table's column of that name.
        if (term.first == term.last &&
            aliases.contains(nameOf(toks[size_t(term.first)]), Qt::CaseInsensitive))
            return false;
        extra += QStringLiteral(", ") + join(toks, term.first, term.last + 1);
        sort.descending.push_back(term.descending);
        sort.byLocale.push_back(term.byLocale);
    }
    // Numbers and dates alone SQLite sorts well, often by an index.
    if (std::find(sort.byLocale.begin(), sort.byLocale.end(), true) == sort.byLocale.end())
        return false;
    QString head = join(toks, 0, from);
    while (!head.isEmpty() && head.back().isSpace())
        head.chop(1);
    sort.statement =
        head + extra + QLatin1Char(' ') + join(toks, from, order) + join(toks, clause.end, int(toks.size()));
    sort.termCount = int(clause.terms.size());
    return true;
}

// The first word past blanks and comments, read the way tokenize() reads it
// without taking the whole statement apart: every statement run asks for it.
QString SqlTranslator::leadingKeyword(const QString &statement)
{
    const qsizetype n = statement.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = statement[i];
        if (c.isSpace()) {
            ++i;
        } else if (c == QLatin1Char('-') && i + 1 < n && statement[i + 1] == QLatin1Char('-')) {
            while (i < n && statement[i] != QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('/') && i + 1 < n && statement[i + 1] == QLatin1Char('*')) {
            const qsizetype end = statement.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? n : end + 2;
        } else {
            break;
        }
    }
    if (i >= n || !isWordStart(statement[i]))
        return QString();
    qsizetype j = i + 1;
    while (j < n && isWordChar(statement[j]))
        ++j;
    return statement.mid(i, j - i).toUpper();
}

bool SqlTranslator::parseAlterColumn(const QString &statement, AlterColumn &alter)
{
    if (leadingKeyword(statement) != QLatin1String("ALTER"))
        return false;
    const std::vector<Token> toks = tokenize(statement);
    std::vector<int> sig;
    for (int i = 0; i < int(toks.size()); ++i) {
        if (isSignificant(toks[size_t(i)]))
            sig.push_back(i);
    }
    while (!sig.empty() && isPunct(toks, sig.back(), ";"))
        sig.pop_back();
    if (sig.size() < 6 || !isWord(toks, sig[0], "ALTER") || !isWord(toks, sig[1], "TABLE") ||
        !isName(toks[size_t(sig[2])]) || !isWord(toks, sig[3], "ALTER"))
        return false;
    size_t c = 4;
    if (isWord(toks, sig[c], "COLUMN"))
        ++c;
    if (c + 1 >= sig.size() || !isName(toks[size_t(sig[c])]))
        return false;
    alter.table = nameOf(toks[size_t(sig[2])]);
    alter.column = nameOf(toks[size_t(sig[c])]);
    QString type;
    for (int k = sig[c + 1]; k <= sig.back(); ++k) {
        const Token &t = toks[size_t(k)];
        type += (t.kind == Kind::Word && t.upper == QLatin1String("MEMO")) ? QStringLiteral("TEXT") : t.text;
    }
    alter.type = type.simplified();
    return !alter.type.isEmpty();
}

bool SqlTranslator::replaceColumnType(const QString &createSql, const QString &column, const QString &type,
                                      QString &result, QString *oldType)
{
    std::vector<Token> toks = tokenize(createSql);
    int open = -1;
    for (int i = 0; i < int(toks.size()); ++i) {
        if (isPunct(toks, i, "(")) {
            open = i;
            break;
        }
    }
    const int close = open < 0 ? -1 : matchingClose(toks, open);
    if (close < 0)
        return false;
    static const QStringList tableConstraints = {QStringLiteral("CONSTRAINT"), QStringLiteral("PRIMARY"),
                                                 QStringLiteral("UNIQUE"), QStringLiteral("CHECK"),
                                                 QStringLiteral("FOREIGN")};
    static const QStringList columnConstraints = {
        QStringLiteral("CONSTRAINT"), QStringLiteral("PRIMARY"), QStringLiteral("NOT"),
        QStringLiteral("NULL"),       QStringLiteral("UNIQUE"),  QStringLiteral("CHECK"),
        QStringLiteral("DEFAULT"),    QStringLiteral("COLLATE"), QStringLiteral("REFERENCES")};
    int i = open;
    while (i < close) {
        const int nameIndex = nextSignificant(toks, i);
        if (nameIndex < 0 || nameIndex >= close)
            return false;
        // End of this definition: the next comma at the outer level.
        int end = nameIndex;
        int depth = 0;
        for (; end < close; ++end) {
            if (isPunct(toks, end, "("))
                ++depth;
            else if (isPunct(toks, end, ")"))
                --depth;
            else if (depth == 0 && isPunct(toks, end, ","))
                break;
        }
        const Token &name = toks[size_t(nameIndex)];
        const bool isConstraint = name.kind == Kind::Word && tableConstraints.contains(name.upper);
        if (!isConstraint && isName(name) && nameOf(name).compare(column, Qt::CaseInsensitive) == 0) {
            int typeEnd = nameIndex + 1;
            depth = 0;
            for (int k = nameIndex + 1; k < end; ++k) {
                const Token &t = toks[size_t(k)];
                if (isPunct(toks, k, "("))
                    ++depth;
                else if (isPunct(toks, k, ")"))
                    --depth;
                if (depth == 0 && t.kind == Kind::Word && columnConstraints.contains(t.upper))
                    break;
                if (isSignificant(t))
                    typeEnd = k + 1;
            }
            if (oldType)
                *oldType = join(toks, nameIndex + 1, typeEnd).trimmed();
            result = join(toks, 0, nameIndex + 1) + QLatin1Char(' ') + type +
                     join(toks, typeEnd, int(toks.size()));
            return true;
        }
        i = end;
    }
    return false;
}

QString SqlTranslator::affinity(const QString &declaredType)
{
    const QString t = declaredType.toUpper();
    if (t.contains(QLatin1String("INT")))
        return QStringLiteral("INTEGER");
    if (t.contains(QLatin1String("CHAR")) || t.contains(QLatin1String("CLOB")) ||
        t.contains(QLatin1String("TEXT")))
        return QStringLiteral("TEXT");
    if (t.contains(QLatin1String("BLOB")) || t.trimmed().isEmpty())
        return QStringLiteral("BLOB");
    if (t.contains(QLatin1String("REAL")) || t.contains(QLatin1String("FLOA")) ||
        t.contains(QLatin1String("DOUB")))
        return QStringLiteral("REAL");
    return QStringLiteral("NUMERIC");
}

QString translateStatement(const QString &statement)
{
    return SqlTranslator().translate(statement);
}

} // namespace velmora
