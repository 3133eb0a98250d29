#include "birthdays/ReminderDays.h"

#include "app/Clock.h"
#include "app/Seams.h"
#include "settings/Settings.h"

#include <bitset>
#include <cmath>

namespace velmora {

namespace {

// Once-values further away than this name no day the program can show
// (some 27,000 years); they are ignored like any other unusable value.
constexpr double kFarthestOffset = 1e7;

// The days of the year by month and day (366 with 29 February).
constexpr int kDaysOfYear = 366;

class CalendarDays {
public:
    // True the first time a month and day comes up.
    bool add(const QDate &date)
    {
        const int index = date.month() * 32 + date.day();
        if (m_seen.test(index))
            return false;
        m_seen.set(index);
        ++m_count;
        return true;
    }
    bool complete() const { return m_count >= kDaysOfYear; }

private:
    std::bitset<13 * 32> m_seen;
    int m_count = 0;
};

} // namespace

std::optional<double> ReminderDays::number(const QString &text)
{
    const QString t = text.trimmed();
    qsizetype i = 0;
    if (i < t.size() && (t.at(i) == QLatin1Char('+') || t.at(i) == QLatin1Char('-')))
        ++i;
    bool digits = false;
    bool point = false;
    for (; i < t.size(); ++i) {
        const char16_t c = t.at(i).unicode();
        if (c >= u'0' && c <= u'9') {
            digits = true;
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (!digits)
        return std::nullopt;
    bool ok = false;
    const double value = t.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

void ReminderDays::sortOnceValues(QString &o1, QString &o2, QString &o3)
{
    const auto step = [](QString &first, QString &second) {
        const auto a = number(first);
        const auto b = number(second);
        if (!a || !b)
            return;
        if (*a > *b)
            std::swap(first, second);
        else if (*a == *b)
            second.clear();
    };
    step(o1, o3);
    step(o2, o3);
    step(o1, o2);
}

std::vector<qint64> ReminderDays::offsets(const QDate &today, const QString &since, QString once1,
                                          QString once2, QString once3)
{
    std::vector<qint64> result;
    CalendarDays named;
    const auto use = [&](qint64 d) {
        const QDate day = today.addDays(d);
        if (day.isValid() && named.add(day))
            result.push_back(d);
    };

    sortOnceValues(once1, once2, once3);

    const auto s = number(since);
    if (s) {
        // Once every day of the year has come up, further days name the
        // same birthdays again, so the loop ends there however large S is.
        for (qint64 d = 0; double(d) <= *s && !named.complete(); ++d) {
            if (!today.addDays(d).isValid())
                break;
            use(d);
        }
    }
    for (const QString *once : {&once1, &once2, &once3}) {
        const auto o = number(*once);
        if (!o || (s && !(*o > *s)))
            continue;
        // An offset is a whole number of days; halves go to the even
        // neighbour, as integer conversion does.
        const double d = std::nearbyint(*o);
        if (std::fabs(d) > kFarthestOffset)
            continue;
        use(qint64(d));
    }
    return result;
}

std::vector<qint64> ReminderDays::fromSettings()
{
    return offsets(clock().today(), getSetting(QStringLiteral("Reminder Since")),
                   getSetting(QStringLiteral("Reminder Once 1")),
                   getSetting(QStringLiteral("Reminder Once 2")),
                   getSetting(QStringLiteral("Reminder Once 3")));
}

} // namespace velmora
