#include "store/TextCompare.h"

#include <QList>
#include <QString>

namespace velmora {

namespace {

bool isAscii(std::string_view s)
{
    for (char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

unsigned char lowerAscii(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u + 32) : u;
}

QList<uint> foldedCodePoints(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size())).toCaseFolded().toUcs4();
}

// Wildcard matching with backtracking to the last "%": linear for the usual
// patterns, never recursive.
template <typename Seq, typename Elem, typename Eq>
bool matchSequence(const Seq &pattern, size_t patternLength, const Seq &text, size_t textLength, Elem percent,
                   Elem underscore, Eq equal)
{
    size_t p = 0;
    size_t t = 0;
    size_t starP = size_t(-1);
    size_t starT = 0;
    while (t < textLength) {
        if (p < patternLength && Elem(pattern[p]) == percent) {
            starP = p++;
            starT = t;
        } else if (p < patternLength && (Elem(pattern[p]) == underscore || equal(pattern[p], text[t]))) {
            ++p;
            ++t;
        } else if (starP != size_t(-1)) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < patternLength && Elem(pattern[p]) == percent)
        ++p;
    return p == patternLength;
}

} // namespace

int compareNoCase(std::string_view a, std::string_view b)
{
    if (isAscii(a) && isAscii(b)) {
        const size_t n = std::min(a.size(), b.size());
        for (size_t i = 0; i < n; ++i) {
            const unsigned char ca = lowerAscii(a[i]);
            const unsigned char cb = lowerAscii(b[i]);
            if (ca != cb)
                return ca < cb ? -1 : 1;
        }
        return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
    }
    const QList<uint> fa = foldedCodePoints(a);
    const QList<uint> fb = foldedCodePoints(b);
    const qsizetype n = std::min(fa.size(), fb.size());
    for (qsizetype i = 0; i < n; ++i) {
        if (fa[i] != fb[i])
            return fa[i] < fb[i] ? -1 : 1;
    }
    return fa.size() == fb.size() ? 0 : (fa.size() < fb.size() ? -1 : 1);
}

bool likeMatch(std::string_view pattern, std::string_view text)
{
    if (isAscii(pattern) && isAscii(text)) {
        return matchSequence(pattern, pattern.size(), text, text.size(), '%', '_',
                             [](char a, char b) { return lowerAscii(a) == lowerAscii(b); });
    }
    const QList<uint> p = foldedCodePoints(pattern);
    const QList<uint> t = foldedCodePoints(text);
    return matchSequence(p, size_t(p.size()), t, size_t(t.size()), uint('%'), uint('_'),
                         [](uint a, uint b) { return a == b; });
}

} // namespace velmora
