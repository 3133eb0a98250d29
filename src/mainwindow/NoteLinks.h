#pragma once

#include <QList>
#include <QString>

namespace velmora {

// Links written in a person's note: web and mail addresses and the other
// link words, found word by word (words are separated by blanks and line
// breaks) and opened in the desktop's program for them.
class NoteLinks {
public:
    // A word that names something to open: it contains, with exact case, one
    // of "wais:", "news:", "telnet:", "prospero:", "nntp:", "gopher:",
    // "https:", "ftp:", "mailto:", "file:", "http:", "www".
    static bool isLinkWord(const QString &word);

    // The word of the text at a position (1-based: the character just before
    // the caret; 0 or 1 for the start). With the position inside or right
    // after a word that word, right after a blank the word after it.
    static QString wordAtPosition(const QString &text, int position);

    // Where the link words of a note stand (0-based start and length), in
    // text order.
    struct Range {
        int start = 0;
        int length = 0;
        bool operator==(const Range &) const = default;
    };
    static QList<Range> linkRanges(const QString &note);

    // Hands the target (an address, a mail link or a file) to the desktop.
    static void openLink(const QString &target);
};

// The operations under the names the rest of the program knows.
inline bool isLinkWord(const QString &word)
{
    return NoteLinks::isLinkWord(word);
}
inline QString wordAtPosition(const QString &text, int position)
{
    return NoteLinks::wordAtPosition(text, position);
}
inline void openLink(const QString &target)
{
    NoteLinks::openLink(target);
}

} // namespace velmora
