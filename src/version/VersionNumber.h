#pragma once

#include <QString>

namespace velmora {

// Version numbers: major.minor.patch, compared part by part as numbers, so
// 1.10.0 is later than 1.9.9.

// True when version a is later than version b. Each text is split at its
// first and second "."; each of the three parts keeps only its digits, read
// as a number up to 32767. A text that cannot be read that way (fewer than
// two ".", a part without digits, a part too large) is never later and never
// earlier: the result is false.
bool isNewerVersion(const QString &a, const QString &b);

// True when the text is exactly a version number: three decimal numbers of
// at most 32767 separated by ".", nothing before or after.
bool isVersionNumber(const QString &text);

// Whether the latest version is worth announcing: it must be later than the
// running version and, when the user asked not to be reminded of a version
// later than the running one (since), later than that too. A since that is
// empty, unreadable or not later than the running version is ignored.
bool shouldAnnounce(const QString &latest, const QString &running, const QString &since);

} // namespace velmora
