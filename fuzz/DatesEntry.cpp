#include "FuzzEntries.h"

#include "editor/DateOfBirth.h"
#include "store/SqlTranslator.h"

#include <QStringList>

namespace velmora::fuzz {

namespace {

const QStringList kFormats = {QStringLiteral("dd/mm/yyyy"), QStringLiteral("mm/dd/yyyy"),
                              QStringLiteral("yyyy/mm/dd"), QStringLiteral("dd-mm-yy")};

// The month, day and year of a literal "#m/d/yyyy#".
QDate literalDate(const QString &literal)
{
    if (literal.size() < 2 || !literal.startsWith(QLatin1Char('#')) || !literal.endsWith(QLatin1Char('#')))
        return {};
    return SqlTranslator::parseDateLiteral(literal.mid(1, literal.size() - 2));
}

} // namespace

QString datesEntry(QByteArrayView data)
{
    const QString typed = QString::fromUtf8(data);
    for (const QString &format : kFormats) {
        // The field as typed, and as the field hands it over without its
        // prompt characters.
        QString stripped = typed;
        stripped.remove(QLatin1Char('_'));
        for (const QString &field : {typed, stripped}) {
            const std::optional<QString> sql = dateOfBirthToSql(field, format);
            if (!sql)
                continue;
            if (*sql == QLatin1String("Null")) {
                if (field != QLatin1String("//"))
                    return QStringLiteral("\"%1\" in %2 read as no date").arg(field, format);
                continue;
            }
            // A date that is accepted is a real date, stored as typed and
            // shown again as the same date.
            const QDate date = literalDate(*sql);
            if (!date.isValid())
                return QStringLiteral("\"%1\" in %2 gave the literal %3, which is no date")
                    .arg(field, format, *sql);
            if (DateOfBirth::sqlLiteral(date) !=
                QLatin1Char('#') + DateOfBirth::fieldText(date, QStringLiteral("mm/dd/yyyy")) +
                    QLatin1Char('#'))
                return QStringLiteral("literal of %1 differs").arg(date.toString(Qt::ISODate));
            const QString shown = DateOfBirth::fieldText(date, format);
            if (dateOfBirthToSql(shown, format) != DateOfBirth::sqlLiteral(date))
                return QStringLiteral("\"%1\" in %2 gave %3, shown as \"%4\", which reads back differently")
                    .arg(field, format, *sql, shown);
            // Digits as typed: the date the user sees is the date typed.
            const QStringList parts = field.split(QLatin1Char('/'));
            if (parts.size() != 3)
                return QStringLiteral("\"%1\" in %2 accepted without three sections").arg(field, format);
            const bool yearFirst = format == QLatin1String("yyyy/mm/dd");
            const bool monthFirst = format == QLatin1String("mm/dd/yyyy");
            const int year = parts[yearFirst ? 0 : 2].toInt();
            const int month = parts[yearFirst ? 1 : (monthFirst ? 0 : 1)].toInt();
            const int day = parts[yearFirst ? 2 : (monthFirst ? 1 : 0)].toInt();
            if (date != QDate(year, month, day))
                return QStringLiteral("\"%1\" in %2 stored as %3")
                    .arg(field, format, date.toString(Qt::ISODate));
        }
    }
    // Every stored date comes back in every format.
    if (data.size() >= 4) {
        const int year =
            1 + (static_cast<unsigned char>(data[0]) * 256 + static_cast<unsigned char>(data[1])) % 9999;
        const QDate date(year, 1 + static_cast<unsigned char>(data[2]) % 12,
                         1 + static_cast<unsigned char>(data[3]) % 31);
        if (date.isValid()) {
            for (const QString &format : kFormats) {
                const QString shown = DateOfBirth::fieldText(date, format);
                if (literalDate(dateOfBirthToSql(shown, format).value_or(QString())) != date)
                    return QStringLiteral("%1 shown in %2 as \"%3\" does not read back")
                        .arg(date.toString(Qt::ISODate), format, shown);
            }
        }
    }
    return {};
}

} // namespace velmora::fuzz
