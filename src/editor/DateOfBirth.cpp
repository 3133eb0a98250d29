#include "editor/DateOfBirth.h"

#include <QStringList>

namespace velmora {

namespace {

const QString kYearFirst = QStringLiteral("yyyy/mm/dd");
const QString kMonthFirst = QStringLiteral("mm/dd/yyyy");

bool allDigits(const QString &text)
{
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

} // namespace

QString DateOfBirth::inputMask(const QString &dateFormat)
{
    return dateFormat == kYearFirst ? QStringLiteral("9999/99/99;_") : QStringLiteral("99/99/9999;_");
}

std::optional<QString> DateOfBirth::toSql(const QString &fieldText, const QString &dateFormat)
{
    if (fieldText == QLatin1String("//"))
        return QStringLiteral("Null");

    const qsizetype firstSlash = fieldText.indexOf(QLatin1Char('/'));
    if (firstSlash < 0)
        return std::nullopt;
    const qsizetype secondSlash = fieldText.indexOf(QLatin1Char('/'), firstSlash + 1);
    if (secondSlash < 0)
        return std::nullopt;
    const QString first = fieldText.left(firstSlash);
    const QString second = fieldText.mid(firstSlash + 1, secondSlash - firstSlash - 1);
    const QString third = fieldText.mid(secondSlash + 1);

    QString month, day, year;
    if (dateFormat == kMonthFirst) {
        month = first, day = second, year = third;
    } else if (dateFormat == kYearFirst) {
        month = second, day = third, year = first;
    } else {
        month = second, day = first, year = third;
    }

    // Every section typed, digits only; day and month fit their two-digit
    // sections; the year is written out in full.
    if (month.isEmpty() || day.isEmpty() || month.size() > 2 || day.size() > 2 || year.size() != 4)
        return std::nullopt;
    if (!allDigits(month) || !allDigits(day) || !allDigits(year))
        return std::nullopt;
    const QDate date(year.toInt(), month.toInt(), day.toInt());
    if (!date.isValid() || date.year() < 1)
        return std::nullopt;

    return QLatin1Char('#') + month + QLatin1Char('/') + day + QLatin1Char('/') + year + QLatin1Char('#');
}

QString DateOfBirth::fieldText(const QDate &date, const QString &dateFormat)
{
    if (!date.isValid())
        return {};
    const QString dd = QString::number(date.day()).rightJustified(2, QLatin1Char('0'));
    const QString mm = QString::number(date.month()).rightJustified(2, QLatin1Char('0'));
    const QString yyyy = QString::number(date.year()).rightJustified(4, QLatin1Char('0'));
    const QChar slash = QLatin1Char('/');
    if (dateFormat == kMonthFirst)
        return mm + slash + dd + slash + yyyy;
    if (dateFormat == kYearFirst)
        return yyyy + slash + mm + slash + dd;
    return dd + slash + mm + slash + yyyy;
}

QString DateOfBirth::sqlLiteral(const QDate &date)
{
    if (!date.isValid())
        return QStringLiteral("Null");
    return QLatin1Char('#') + fieldText(date, kMonthFirst) + QLatin1Char('#');
}

} // namespace velmora
