#include "app/PersonKey.h"

#include <cmath>

namespace velmora {

QString personKey(int contactnr)
{
    QString number = QString::number(contactnr);
    if (contactnr >= 0)
        number.prepend(QLatin1Char(' '));
    return QStringLiteral("Person ") + number;
}

int contactnrFromKey(const QString &key)
{
    const QString tail = key.mid(7);
    qsizetype i = 0;
    while (i < tail.size() && tail.at(i) == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < tail.size() && (tail.at(i) == QLatin1Char('-') || tail.at(i) == QLatin1Char('+'))) {
        negative = tail.at(i) == QLatin1Char('-');
        ++i;
    }
    double value = 0;
    bool digits = false;
    while (i < tail.size() && tail.at(i).isDigit() && tail.at(i).unicode() < 128) {
        value = value * 10 + (tail.at(i).unicode() - '0');
        digits = true;
        ++i;
        if (value > 1e6) // far beyond the 16-bit range already
            return 0;
    }
    if (i < tail.size() && tail.at(i) == QLatin1Char('.')) {
        ++i;
        double scale = 0.1;
        while (i < tail.size() && tail.at(i).isDigit() && tail.at(i).unicode() < 128) {
            value += scale * (tail.at(i).unicode() - '0');
            scale /= 10;
            digits = true;
            ++i;
        }
    }
    if (!digits)
        return 0;
    if (negative)
        value = -value;
    // Halves go to the even neighbour, as integer conversion does.
    const double rounded = std::nearbyint(value);
    if (rounded < -32768 || rounded > 32767)
        return 0;
    return int(rounded);
}

QString digitsOnly(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() >= '0' && c.unicode() <= '9')
            out.append(c);
    }
    return out;
}

QStringView trimBlanksView(QStringView text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start) == QLatin1Char(' '))
        ++start;
    while (end > start && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(start, end - start);
}

QString trimBlanks(const QString &text)
{
    const QStringView trimmed = trimBlanksView(text);
    return trimmed.size() == text.size() ? text : trimmed.toString();
}

} // namespace velmora
