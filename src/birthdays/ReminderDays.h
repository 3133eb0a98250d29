#pragma once

#include <QDate>
#include <QString>
#include <optional>
#include <vector>

namespace velmora {

// The days the birthday reminder looks at, worked out from its settings:
// "Reminder Since" S names every day from today to S days ahead, and
// "Reminder Once 1" to "Reminder Once 3" name single days ahead. A setting
// that is not a number is not used.
class ReminderDays {
public:
    // The reminder settings of a first start: every day up to two days
    // ahead, and once a week ahead.
    static QString firstStartSince() { return QStringLiteral("2"); }
    static QString firstStartOnce() { return QStringLiteral("7"); }

    // A usable number: optional blanks, an optional sign, decimal digits with
    // an optional fraction ("7", " 14 ", "-1", "2.5"). Anything else,
    // including the empty text, is not a number.
    static std::optional<double> number(const QString &text);
    static bool isNumber(const QString &text) { return number(text).has_value(); }

    // Puts the three once-values in ascending order and drops repeats, by
    // three compare-exchange steps on (o1, o3), (o2, o3) and (o1, o2), each
    // applied only when both values are numbers: a greater first value is
    // swapped with the second, an equal second value is cleared.
    static void sortOnceValues(QString &o1, QString &o2, QString &o3);

    // The day offsets to search, in search order: 0 to S, then each sorted
    // once-value that lies beyond S (or every once-value when S is not a
    // number). Offsets whose date falls on a month and day already named by
    // an earlier offset are left out: the same persons have their birthday
    // then, and each person is listed once per calendar day (S = 400, or
    // once 368 beside 3, would otherwise name days twice).
    static std::vector<qint64> offsets(const QDate &today, const QString &since, QString once1, QString once2,
                                       QString once3);

    // offsets() for today's date and the stored reminder settings.
    static std::vector<qint64> fromSettings();
};

} // namespace velmora
