#include "interchange/BirthdayIcs.h"

#include "app/Clock.h"
#include "app/PersonKey.h"
#include "app/ProgramInfo.h"
#include "app/Prompts.h"
#include "app/Seams.h"
#include "interchange/BookCards.h"
#include "interchange/ContentLine.h"
#include "interchange/PersonUid.h"
#include "settings/Environment.h"
#include "settings/Translate.h"

#include <QFileInfo>
#include <QIODevice>

namespace velmora {

namespace {

void line(QByteArray &out, const QString &text)
{
    ContentLine::appendFolded(out, text.toUtf8());
}

QByteArray header()
{
    QByteArray out;
    out += "BEGIN:VCALENDAR\r\n"
           "VERSION:2.0\r\n";
    line(out, QStringLiteral("PRODID:-//Velmora//Velmora ") + programVersion() + QStringLiteral("//EN"));
    out += "CALSCALE:GREGORIAN\r\n"
           "METHOD:PUBLISH\r\n";
    line(out, QStringLiteral("X-WR-CALNAME:") + ContentLine::escaped(T("Velmora birthdays")));
    return out;
}

QString displayName(const CardPerson &person)
{
    const QString first = trimBlanks(person.firstName);
    const QString last = trimBlanks(person.lastName);
    if (first.isEmpty() || last.isEmpty())
        return first + last;
    return first + QLatin1Char(' ') + last;
}

} // namespace

QString BirthdayIcs::fileName()
{
    return QStringLiteral("Velmora birthdays.ics");
}

void BirthdayIcs::appendEvent(QByteArray &out, const CardPerson &person, const QDateTime &stamp)
{
    const QDate born = person.dateOfBirth;
    if (!born.isValid())
        return;
    const QString name = ContentLine::escaped(displayName(person));
    const QString day = QStringLiteral("yyyyMMdd");
    out += "BEGIN:VEVENT\r\n";
    line(out, QStringLiteral("UID:") + PersonUid::birthday(person));
    line(out, QStringLiteral("DTSTAMP:") + stamp.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'")));
    line(out, QStringLiteral("DTSTART;VALUE=DATE:") + born.toString(day));
    line(out, QStringLiteral("DTEND;VALUE=DATE:") + born.addDays(1).toString(day));
    // Born on 29 February: the last day of February, which is the 28th in
    // common years.
    if (born.month() == 2 && born.day() == 29)
        out += "RRULE:FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1\r\n";
    else
        out += "RRULE:FREQ=YEARLY\r\n";
    line(out, QStringLiteral("SUMMARY:") + name);
    line(out, QStringLiteral("DESCRIPTION:") +
                  ContentLine::escaped(T("Born in %1").arg(QString::number(born.year()))));
    out += "CATEGORIES:BIRTHDAY\r\n"
           "TRANSP:TRANSPARENT\r\n"
           "BEGIN:VALARM\r\n"
           "ACTION:DISPLAY\r\n";
    line(out, QStringLiteral("DESCRIPTION:") + name);
    // In the morning of the day.
    out += "TRIGGER;RELATED=START:PT9H\r\n"
           "END:VALARM\r\n"
           "END:VEVENT\r\n";
}

QByteArray BirthdayIcs::calendar(const QList<CardPerson> &persons, const QDateTime &stamp)
{
    QByteArray out = header();
    for (const CardPerson &person : persons)
        appendEvent(out, person, stamp);
    out += "END:VCALENDAR\r\n";
    return out;
}

bool BirthdayIcs::write(QIODevice &device, const QList<CardPerson> &persons, const QDateTime &stamp)
{
    QByteArray buffer = header();
    constexpr qsizetype kChunk = 1 << 16;
    for (const CardPerson &person : persons) {
        appendEvent(buffer, person, stamp);
        if (buffer.size() >= kChunk) {
            if (device.write(buffer) != buffer.size())
                return false;
            buffer.clear();
        }
    }
    buffer += "END:VCALENDAR\r\n";
    return device.write(buffer) == buffer.size();
}

FileResult BirthdayIcs::saveBook(const QString &path, const QDateTime &stamp)
{
    QList<CardPerson> persons;
    if (DbError e = BookCards::readAll(persons))
        return {false, T("The book cannot be read:") + QLatin1Char('\n') + e.description};
    return writeFileSafely(path, calendar(persons, stamp));
}

bool BirthdayIcs::saveBookAs()
{
    FileDialog d;
    d.title = T("Save");
    d.filter = QStringLiteral("iCalendar (*.ics)|*.ics");
    d.startFolder = getExportDirectory();
    d.fileName = fileName();
    d.defaultSuffix = QStringLiteral("ics");
    const QString path = prompts().saveFile(d);
    if (path.isEmpty())
        return false;
    saveExportDirectory(path);
    if (QFileInfo::exists(path)) {
        const QString question = T("File already exists:") + QLatin1Char('\n') + path +
                                 QStringLiteral("\n\n") + T("Replace") + QLatin1Char('?');
        if (prompts().message(question, T("Error"), Icon::Question, Buttons::YesNo) != Answer::Yes)
            return false;
    }
    const FileResult result = saveBook(path, clock().now());
    if (!result)
        prompts().message(result.errorText, T("Error"), Icon::Exclamation);
    return result.ok;
}

} // namespace velmora
