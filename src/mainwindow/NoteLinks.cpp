#include "mainwindow/NoteLinks.h"

#include "app/Launcher.h"
#include "app/Seams.h"
#include "app/PersonKey.h"

namespace velmora {

namespace {

bool separates(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

} // namespace

bool NoteLinks::isLinkWord(const QString &word)
{
    static const char *const kMarks[] = {"wais:",  "news:", "telnet:", "prospero:", "nntp:", "gopher:",
                                         "https:", "ftp:",  "mailto:", "file:",     "http:", "www"};
    for (const char *mark : kMarks) {
        if (word.contains(QLatin1String(mark)))
            return true;
    }
    return false;
}

QString NoteLinks::wordAtPosition(const QString &text, int position)
{
    if (text.isEmpty())
        return {};
    const int length = int(text.size());
    // 1-based positions, as the caret gives them.
    auto at = [&text](int p) { return text.at(p - 1); };
    int p = qMin(position, length);
    if (p > 1) {
        while (p >= 2 && !separates(at(p)))
            --p;
    } else {
        p = 1;
    }
    // Step off the separator onto the word after it (also when the text
    // itself begins with one).
    if (separates(at(p)))
        ++p;
    int e = p;
    while (e <= length && !separates(at(e)))
        ++e;
    QString word = text.mid(p - 1, e - p);
    word.remove(QLatin1Char('\r'));
    word.remove(QLatin1Char('\n'));
    return trimBlanks(word);
}

QList<NoteLinks::Range> NoteLinks::linkRanges(const QString &note)
{
    QList<Range> ranges;
    const int length = int(note.size());
    int i = 0;
    while (i < length) {
        while (i < length && separates(note.at(i)))
            ++i;
        const int start = i;
        while (i < length && !separates(note.at(i)))
            ++i;
        if (i > start && isLinkWord(note.mid(start, i - start)))
            ranges.append({start, i - start});
    }
    return ranges;
}

void NoteLinks::openLink(const QString &target)
{
    launcher().openUrl(target);
}

} // namespace velmora
