#include "interchange/ContentLine.h"

#include <QStringDecoder>

namespace velmora {

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The characters of Windows-1252 at 0x80 to 0x9F; 0 where it has none (read
// as the Latin-1 control character).
constexpr char16_t kCp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

bool isUtf8Name(const QByteArray &charset)
{
    return charset.isEmpty() || charset == "UTF-8" || charset == "UTF8";
}

} // namespace

QByteArray ContentLine::quotedPrintableDecoded(QByteArrayView bytes)
{
    QByteArray out;
    out.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '=' && i + 2 < bytes.size()) {
            const int hi = hexDigit(bytes[i + 1]);
            const int lo = hexDigit(bytes[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += char(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        if (c == '=' && i == bytes.size() - 1)
            continue; // a soft line break at the very end
        out += c;
    }
    return out;
}

QString ContentLine::windows1252(QByteArrayView bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const uchar u = uchar(c);
        if (u >= 0x80 && u <= 0x9F && kCp1252High[u - 0x80] != 0)
            out += QChar(kCp1252High[u - 0x80]);
        else
            out += QChar(u);
    }
    return out;
}

QString ContentLine::decodedValue(const VcardProperty &property)
{
    QString text = decodedBytes(property);
    // Quoted-printable values carry Windows line ends; the book keeps LF.
    if (text.contains(u'\r')) {
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        text.replace(u'\r', u'\n');
    }
    return text;
}

QString ContentLine::decodedBytes(const VcardProperty &property)
{
    QByteArray bytes = property.value;
    const QByteArray encoding = property.param("ENCODING").toUpper();
    if (encoding == "QUOTED-PRINTABLE")
        bytes = quotedPrintableDecoded(bytes);
    const QByteArray charset = property.param("CHARSET").toUpper();
    if (charset == "ISO-8859-1" || charset == "LATIN1" || charset == "US-ASCII")
        return QString::fromLatin1(bytes);
    if (charset == "WINDOWS-1252" || charset == "CP1252")
        return windows1252(bytes);
    if (!isUtf8Name(charset)) {
        QStringDecoder decoder(charset.constData());
        if (decoder.isValid()) {
            const QString text = decoder(bytes);
            if (!decoder.hasError())
                return text;
        }
    }
    bool ascii = true;
    for (char c : std::as_const(bytes)) {
        if (uchar(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return QString::fromLatin1(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return windows1252(bytes);
}

QStringList ContentLine::splitEscaped(QStringView value, QChar separator)
{
    QStringList parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == u'\\') {
            ++i;
            continue;
        }
        if (c == separator) {
            parts += value.sliced(start, i - start).toString();
            start = i + 1;
        }
    }
    parts += value.sliced(qMin(start, value.size())).toString();
    return parts;
}

QString ContentLine::unescaped(QStringView value, bool version21)
{
    if (!value.contains(u'\\'))
        return value.toString();
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != u'\\' || i + 1 >= value.size()) {
            out += c;
            continue;
        }
        const QChar next = value.at(i + 1);
        if (next == u';' || (!version21 && (next == u',' || next == u'\\'))) {
            out += next;
            ++i;
        } else if (!version21 && (next == u'n' || next == u'N')) {
            out += u'\n';
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

QString ContentLine::escaped(const QString &text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        switch (c.unicode()) {
        case u'\\':
            out += QLatin1String("\\\\");
            break;
        case u',':
            out += QLatin1String("\\,");
            break;
        case u';':
            out += QLatin1String("\\;");
            break;
        case u'\r':
            if (i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            out += QLatin1String("\\n");
            break;
        case u'\n':
            out += QLatin1String("\\n");
            break;
        default:
            out += c;
        }
    }
    return out;
}

void ContentLine::appendFolded(QByteArray &out, const QByteArray &line)
{
    qsizetype pos = 0;
    int width = kFoldWidth;
    while (line.size() - pos > width) {
        qsizetype cut = pos + width;
        // Never inside a UTF-8 sequence: back off over continuation bytes.
        while (cut > pos && (uchar(line.at(cut)) & 0xC0) == 0x80)
            --cut;
        if (cut == pos)
            cut = pos + width;
        out.append(line.constData() + pos, cut - pos);
        out += "\r\n ";
        pos = cut;
        width = kFoldWidth - 1;
    }
    out.append(line.constData() + pos, line.size() - pos);
    out += "\r\n";
}

QByteArray ContentLine::folded(const QByteArray &line)
{
    QByteArray out;
    out.reserve(line.size() + line.size() / 70 * 3 + 2);
    appendFolded(out, line);
    return out;
}

} // namespace velmora
