#include "FuzzEntries.h"
#include "FuzzInput.h"

#include "mainwindow/NoteLinks.h"

#include <QRegularExpression>

namespace velmora::fuzz {

namespace {

bool separates(QChar c)
{
    return c == u' ' || c == u'\r' || c == u'\n';
}

} // namespace

QString noteLinksEntry(QByteArrayView data)
{
    FuzzInput in(data);
    const int caret = in.byte() * 256 + in.byte() - 2;
    const QString note = QString::fromUtf8(in.rest());
    const int length = int(note.size());

    // Every link word of the note in one range, whole, in text order.
    const QList<NoteLinks::Range> ranges = NoteLinks::linkRanges(note);
    int after = 0;
    for (const NoteLinks::Range &r : ranges) {
        if (r.start < after || r.length <= 0 || r.start + r.length > length)
            return QStringLiteral("range %1+%2 out of order or outside a note of %3")
                .arg(r.start)
                .arg(r.length)
                .arg(length);
        const QString word = note.mid(r.start, r.length);
        if (!isLinkWord(word))
            return QStringLiteral("range \"%1\" is no link word").arg(word);
        for (QChar c : word) {
            if (separates(c))
                return QStringLiteral("range \"%1\" holds a separator").arg(word);
        }
        if ((r.start > 0 && !separates(note.at(r.start - 1))) ||
            (r.start + r.length < length && !separates(note.at(r.start + r.length))))
            return QStringLiteral("range \"%1\" is part of a word").arg(word);
        after = r.start + r.length;
    }
    int words = 0;
    for (const QString &word : note.split(QRegularExpression(QStringLiteral("[ \r\n]+")), Qt::SkipEmptyParts))
        words += isLinkWord(word) ? 1 : 0;
    if (words != ranges.size())
        return QStringLiteral("%1 link words, %2 ranges").arg(words).arg(ranges.size());

    // The word at any caret position is one word of the note.
    for (const int position : {caret, 0, 1, length / 2, length, length + 1}) {
        const QString word = wordAtPosition(note, position);
        if (word.isEmpty())
            continue;
        if (word.contains(u'\r') || word.contains(u'\n') || word.startsWith(u' ') || word.endsWith(u' '))
            return QStringLiteral("word \"%1\" at %2 holds a separator").arg(word).arg(position);
        if (!note.contains(word))
            return QStringLiteral("word \"%1\" at %2 is not in the note").arg(word).arg(position);
    }
    return {};
}

} // namespace velmora::fuzz
