#include "interchange/VcardLexer.h"

#include "settings/Translate.h"

#include <QStringDecoder>
#include <vector>

namespace velmora {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isNameChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

bool isBase64Char(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '/' || c == '=';
}

QByteArrayView trimmed(QByteArrayView v)
{
    while (!v.isEmpty() && (isBlank(v.front()) || v.front() == '\r'))
        v = v.sliced(1);
    while (!v.isEmpty() && (isBlank(v.back()) || v.back() == '\r'))
        v.chop(1);
    return v;
}

bool equalsNoCase(QByteArrayView a, const char *b)
{
    return QByteArrayView(a).compare(QByteArrayView(b), Qt::CaseInsensitive) == 0;
}

// The part of a content line before its first unquoted colon.
QByteArrayView header(QByteArrayView line)
{
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"')
            quoted = !quoted;
        else if (c == ':' && !quoted)
            return line.first(i);
    }
    return line;
}

// Whether the header holds the word (upper case ASCII), in any case.
bool headerHas(QByteArrayView head, QByteArrayView word)
{
    const qsizetype last = head.size() - word.size();
    for (qsizetype i = 0; i <= last; ++i) {
        qsizetype k = 0;
        while (k < word.size()) {
            char c = head[i + k];
            if (c >= 'a' && c <= 'z')
                c = char(c - 'a' + 'A');
            if (c != word[k])
                break;
            ++k;
        }
        if (k == word.size())
            return true;
    }
    return false;
}

bool isQuotedPrintable(QByteArrayView head)
{
    return head.size() > 8 && headerHas(head, "QUOTED-PRINTABLE");
}

bool isBase64(QByteArrayView head)
{
    return head.size() > 8 && (headerHas(head, "BASE64") || headerHas(head, "ENCODING=B"));
}

bool isBase64Run(QByteArrayView line)
{
    if (line.isEmpty())
        return false;
    for (char c : line) {
        if (!isBase64Char(c) && !isBlank(c))
            return false;
    }
    return true;
}

// Bytes of a file written in UTF-16 (with its byte-order mark) as UTF-8.
QByteArray fromUtf16(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf16);
    const QString text = decoder(bytes);
    return text.toUtf8();
}

// The bare parameters of 2.1 that name an encoding rather than a type.
bool isEncodingWord(QByteArrayView word)
{
    return equalsNoCase(word, "QUOTED-PRINTABLE") || equalsNoCase(word, "BASE64") ||
           equalsNoCase(word, "8BIT") || equalsNoCase(word, "7BIT") || equalsNoCase(word, "B");
}

// Parameter values of 4.0 may carry ^n, ^^ and ^' for a line break, a caret
// and a double quote.
QByteArray caretDecoded(QByteArrayView v)
{
    if (!v.contains('^'))
        return v.toByteArray();
    QByteArray out;
    out.reserve(v.size());
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (v[i] == '^' && i + 1 < v.size()) {
            const char n = v[i + 1];
            if (n == 'n' || n == 'N') {
                out += '\n';
                ++i;
                continue;
            }
            if (n == '^' || n == '\'') {
                out += n == '^' ? '^' : '"';
                ++i;
                continue;
            }
        }
        out += v[i];
    }
    return out;
}

// Splits at the separator where it stands outside double quotes.
QList<QByteArrayView> splitUnquoted(QByteArrayView text, char separator)
{
    QList<QByteArrayView> parts;
    bool quoted = false;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"')
            quoted = !quoted;
        else if (c == separator && !quoted) {
            parts += text.sliced(start, i - start);
            start = i + 1;
        }
    }
    parts += text.sliced(start);
    return parts;
}

QByteArray unquoted(QByteArrayView v)
{
    v = trimmed(v);
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"')
        v = v.sliced(1, v.size() - 2);
    return caretDecoded(v);
}

} // namespace

bool VcardLexer::parseLine(QByteArrayView line, VcardProperty &property)
{
    const QByteArrayView head = header(line);
    if (head.size() == line.size())
        return false;
    property.value = line.sliced(head.size() + 1).toByteArray();
    const QList<QByteArrayView> pieces = splitUnquoted(head, ';');
    QByteArrayView name = trimmed(pieces.first());
    const qsizetype dot = name.lastIndexOf('.');
    if (dot >= 0) {
        property.group = name.first(dot).toByteArray();
        name = name.sliced(dot + 1);
    }
    if (name.isEmpty())
        return false;
    for (char c : name) {
        if (!isNameChar(c))
            return false;
    }
    property.rawName = name.toByteArray();
    property.name = property.rawName.toUpper();
    for (qsizetype i = 1; i < pieces.size(); ++i) {
        const QByteArrayView piece = trimmed(pieces.at(i));
        if (piece.isEmpty())
            continue;
        VcardProperty::Param param;
        const qsizetype eq = piece.indexOf('=');
        QByteArrayView values;
        if (eq < 0) {
            param.name = isEncodingWord(piece) ? QByteArrayLiteral("ENCODING") : QByteArrayLiteral("TYPE");
            values = piece;
        } else {
            param.name = trimmed(piece.first(eq)).toByteArray().toUpper();
            values = piece.sliced(eq + 1);
        }
        for (QByteArrayView v : splitUnquoted(values, ',')) {
            QByteArray value = unquoted(v);
            // TYPE="voice,home" names two types.
            if (param.name == "TYPE" && value.contains(',')) {
                for (const QByteArray &type : value.split(','))
                    param.values += type.trimmed();
            } else {
                param.values += std::move(value);
            }
        }
        property.params += std::move(param);
    }
    return true;
}

VcardLexer::Result VcardLexer::split(QByteArrayView input)
{
    QList<VcardCard> cards;
    Result result = split(input, [&](VcardCard &&card) { cards += std::move(card); });
    result.cards = std::move(cards);
    return result;
}

VcardLexer::Result VcardLexer::split(QByteArrayView input, const std::function<void(VcardCard &&)> &onCard)
{
    Result result;
    int cardCount = 0;
    QByteArray converted;
    if (input.size() >= 2 && ((uchar(input[0]) == 0xFF && uchar(input[1]) == 0xFE) ||
                              (uchar(input[0]) == 0xFE && uchar(input[1]) == 0xFF))) {
        converted = fromUtf16(input);
        input = converted;
    }
    if (input.size() >= 3 && uchar(input[0]) == 0xEF && uchar(input[1]) == 0xBB && uchar(input[2]) == 0xBF)
        input = input.sliced(3);

    // The physical lines, without their line ends.
    std::vector<QByteArrayView> lines;
    lines.reserve(size_t(input.size() / 24 + 1));
    for (qsizetype pos = 0; pos < input.size();) {
        qsizetype end = input.indexOf('\n', pos);
        if (end < 0)
            end = input.size();
        QByteArrayView line = input.sliced(pos, end - pos);
        if (!line.isEmpty() && line.back() == '\r')
            line.chop(1);
        lines.push_back(line);
        pos = end + 1;
    }

    bool inCard = false;
    int nested = 0;      // depth of cards inside an AGENT
    bool broken = false; // the current card has a line that cannot be read
    int brokenLine = 0;
    bool keepFoldBlank = false; // 2.1 keeps the blank of a folded line
    bool full = false;
    VcardCard card;

    auto problem = [&](int line, const QString &reason) {
        if (result.problems.size() < kMaxCards)
            result.problems += VcardProblem{line, reason};
    };
    auto finishTruncated = [&]() { problem(card.line, T("The card has no end (END:VCARD is missing).")); };

    const size_t n = lines.size();
    for (size_t i = 0; i < n;) {
        const int lineNo = int(i) + 1;
        const QByteArrayView first = lines[i++];
        if (trimmed(first).isEmpty())
            continue;
        if (isBlank(first.front()) && !inCard)
            continue; // a stray folded line outside any card

        QByteArray joined; // only filled when the line continues
        QByteArrayView line = first;
        const QByteArrayView head = header(first);
        const bool qp = isQuotedPrintable(head);
        const bool base64 = !qp && isBase64(head);
        while (i < n) {
            const QByteArrayView next = lines[i];
            const bool softBreak = qp && !line.isEmpty() && line.back() == '=';
            const bool folded = !next.isEmpty() && isBlank(next.front());
            const bool base64Run = base64 && !folded && !next.contains(':') && isBase64Run(next);
            if (!softBreak && !folded && !base64Run)
                break;
            if (joined.isNull())
                joined = line.toByteArray();
            if (softBreak) {
                joined.chop(1);
                joined += next;
            } else if (folded) {
                joined += keepFoldBlank && !base64 ? next : next.sliced(1);
            } else {
                joined += next;
            }
            line = joined;
            ++i;
        }

        VcardProperty property;
        const bool parsed = parseLine(line, property);
        property.line = lineNo;
        const bool isBegin = parsed && property.name == "BEGIN";
        const bool isEnd = parsed && property.name == "END";
        const bool isVcard = equalsNoCase(trimmed(property.value), "VCARD");

        if (!inCard) {
            if (isBegin && isVcard) {
                result.sawCard = true;
                if (cardCount >= kMaxCards) {
                    if (!full)
                        problem(lineNo, T("The file holds more cards than a book can take: the cards "
                                          "from here on were not read."));
                    full = true;
                    break;
                }
                inCard = true;
                nested = 0;
                broken = false;
                keepFoldBlank = false;
                card = VcardCard{};
                card.line = lineNo;
            }
            continue;
        }

        if (isBegin && isVcard) {
            const bool agent = !card.properties.isEmpty() && card.properties.last().name == "AGENT" &&
                               trimmed(card.properties.last().value).isEmpty();
            if (agent || nested > 0) {
                ++nested;
                continue;
            }
            // A new card before the end of the current one: the current one
            // was cut short.
            finishTruncated();
            broken = false;
            keepFoldBlank = false;
            card = VcardCard{};
            card.line = lineNo;
            continue;
        }
        if (nested > 0) {
            if (isEnd && isVcard)
                --nested;
            continue;
        }
        if (isEnd && isVcard) {
            inCard = false;
            if (broken)
                problem(brokenLine, T("The line cannot be read."));
            else {
                ++cardCount;
                onCard(std::move(card));
            }
            card = VcardCard{};
            continue;
        }
        if (!parsed) {
            if (!broken) {
                broken = true;
                brokenLine = lineNo;
            }
            continue;
        }
        if (property.name == "VERSION") {
            card.version = trimmed(property.value).toByteArray();
            keepFoldBlank = card.version == "2.1";
            continue;
        }
        card.properties += std::move(property);
    }
    if (inCard)
        finishTruncated();
    return result;
}

} // namespace velmora
