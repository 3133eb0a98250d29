#include "version/VersionNumber.h"

#include "app/PersonKey.h"

#include <array>
#include <optional>

namespace velmora {

namespace {

constexpr int kLargestPart = 32767;

using Parts = std::array<int, 3>;

// A part's digits as a number, or nothing without digits or above 32767.
std::optional<int> partValue(QStringView part)
{
    const QString digits = digitsOnly(part.toString());
    if (digits.isEmpty())
        return std::nullopt;
    qsizetype start = 0;
    while (start < digits.size() - 1 && digits.at(start) == u'0')
        ++start;
    if (digits.size() - start > 5)
        return std::nullopt;
    const int value = QStringView(digits).mid(start).toInt();
    if (value > kLargestPart)
        return std::nullopt;
    return value;
}

std::optional<Parts> versionParts(const QString &text)
{
    const qsizetype first = text.indexOf(u'.');
    if (first < 0)
        return std::nullopt;
    const qsizetype second = text.indexOf(u'.', first + 1);
    if (second < 0)
        return std::nullopt;
    const QStringView view(text);
    const std::array<QStringView, 3> pieces{view.left(first), view.mid(first + 1, second - first - 1),
                                            view.mid(second + 1)};
    Parts parts{};
    for (size_t i = 0; i < pieces.size(); ++i) {
        const std::optional<int> value = partValue(pieces[i]);
        if (!value)
            return std::nullopt;
        parts[i] = *value;
    }
    return parts;
}

} // namespace

bool isNewerVersion(const QString &a, const QString &b)
{
    const std::optional<Parts> left = versionParts(a);
    const std::optional<Parts> right = versionParts(b);
    if (!left || !right)
        return false;
    return *left > *right;
}

bool isVersionNumber(const QString &text)
{
    int dots = 0;
    bool digitBefore = false;
    for (const QChar c : text) {
        if (c == u'.') {
            if (!digitBefore || ++dots > 2)
                return false;
            digitBefore = false;
        } else if (c.unicode() >= '0' && c.unicode() <= '9') {
            digitBefore = true;
        } else {
            return false;
        }
    }
    return dots == 2 && digitBefore && versionParts(text).has_value();
}

bool shouldAnnounce(const QString &latest, const QString &running, const QString &since)
{
    if (!since.isEmpty() && isNewerVersion(since, running))
        return isNewerVersion(latest, since);
    return isNewerVersion(latest, running);
}

} // namespace velmora
