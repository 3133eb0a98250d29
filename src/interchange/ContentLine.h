#pragma once

#include "interchange/VcardProperty.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace velmora {

// The text rules of content lines, shared by vCard and iCalendar: decoding a
// value as a card writes it, escaping and folding as the writers write it.
class ContentLine {
public:
    // Longest line in octets, without its CR LF.
    static constexpr int kFoldWidth = 75;

    // The value's text: quoted-printable undone (ENCODING=QUOTED-PRINTABLE),
    // then decoded by its CHARSET (UTF-8, ISO-8859-1, Windows-1252 and what
    // else Qt knows); without a charset UTF-8, or Windows-1252 when the bytes
    // are no UTF-8. Escapes are left in place.
    // Line ends come out as LF.
    static QString decodedValue(const VcardProperty &property);
    static QString decodedBytes(const VcardProperty &property);
    static QByteArray quotedPrintableDecoded(QByteArrayView bytes);
    static QString windows1252(QByteArrayView bytes);

    // Splits a value at the separator where it is not escaped by a
    // backslash; the pieces keep their escapes.
    static QStringList splitEscaped(QStringView value, QChar separator);
    // Undoes the backslash escapes: \n \N (line break), \, \; \\ in 3.0 and
    // 4.0; only \; in 2.1 (version "2.1"), where a backslash is otherwise
    // text. Any other backslash stays as written.
    static QString unescaped(QStringView value, bool version21);

    // A text value escaped for a content line: backslash, comma, semicolon
    // and line breaks (CR LF, CR or LF become \n).
    static QString escaped(const QString &text);
    // The line (without line end) folded: at most 75 octets a line, each
    // continuation starting with one blank, UTF-8 sequences kept whole;
    // every line ends with CR LF.
    static QByteArray folded(const QByteArray &line);
    static void appendFolded(QByteArray &out, const QByteArray &line);
};

} // namespace velmora
