#include "birthdays/CalendarGenerator.h"

#include "app/Clock.h"
#include "app/PageWriter.h"
#include "app/Paths.h"
#include "app/PersonKey.h"
#include "app/ProgramInfo.h"
#include "app/Seams.h"
#include "birthdays/CalendarStyles.h"
#include "settings/Settings.h"
#include "settings/Translate.h"
#include "store/Engine.h"
#include "store/Sql.h"

#include <QDate>
#include <QFile>
#include <QLocale>
#include <algorithm>

namespace velmora {

struct CalendarGenerator::Birthday {
    int month = 0;
    int day = 0;
    int year = 0;
    QString name; // first and last name, escaped for the page
};

namespace {

constexpr int kYears = 3;
constexpr int kSteps = 1 + kYears * 12;

const QString kBirthdayQuery =
    QStringLiteral("SELECT Firstname, Lastname, Dateofbirth FROM Person WHERE Dateofbirth IS NOT NULL "
                   "ORDER BY Month(Dateofbirth), Day(Dateofbirth), Firstname, Lastname ");

QString monthName(int month)
{
    return QLocale::system().standaloneMonthName(month, QLocale::LongFormat);
}

// The name of the n-th day of a week starting on weekStart (n from 1 to 7).
QString weekdayName(int n, WeekStart weekStart)
{
    const int qtDay = weekStart == WeekStart::Monday ? n : (n + 5) % 7 + 1;
    return QLocale::system().standaloneDayName(qtDay, QLocale::LongFormat);
}

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QDate dateOfBirth(QByteArrayView utf8)
{
    if (utf8.size() < 10 || (utf8.size() > 10 && utf8[10] != ' ' && utf8[10] != 'T'))
        return {};
    return QDate::fromString(QString::fromLatin1(utf8.first(10)), Qt::ISODate);
}

} // namespace

CalendarGenerator::CalendarGenerator() = default;
CalendarGenerator::~CalendarGenerator() = default;

WeekStart CalendarGenerator::weekStartSetting()
{
    return getSetting(QStringLiteral("Week Start")) == QLatin1String("Sunday") ? WeekStart::Sunday
                                                                               : WeekStart::Monday;
}

QString CalendarGenerator::pageFileName(int year, int month)
{
    return QString::number(year) + twoDigits(month) + QStringLiteral(".htm");
}

QString CalendarGenerator::folder() const
{
    return paths().tempFolder();
}

QString CalendarGenerator::pageFile(int year, int month) const
{
    return folder() + QLatin1Char('/') + pageFileName(year, month);
}

void CalendarGenerator::fail(const QString &text)
{
    if (m_errorText.isEmpty())
        m_errorText = text;
}

bool CalendarGenerator::generateCalendar(const ProgressCallback &progress)
{
    m_errorText.clear();
    m_writer = std::make_unique<PageWriter>(QString(), PageEncoding::Latin1WithReferences);
    m_weekStart = weekStartSetting();
    deleteCalendarFiles();
    reportProgress(progress, 0, kSteps);
    bool ok = readBirthdays();

    QString error;
    if (!CalendarStyles::writeChosenSheet(folder() + QStringLiteral("/calendar.css"), &error)) {
        fail(error);
        ok = false;
    }
    int done = 1;
    reportProgress(progress, done, kSteps);

    m_firstYear = clock().today().year() - 1;
    for (int year = m_firstYear; year < m_firstYear + kYears; ++year) {
        for (int month = 1; month <= 12; ++month) {
            if (!writeCalendarPage(year, month)) {
                // The disk is full or the folder is gone: the rest would fail
                // the same way.
                m_birthdays.clear();
                reportProgress(progress, kSteps, kSteps);
                return false;
            }
            reportProgress(progress, ++done, kSteps);
        }
    }
    m_birthdays.clear();
    return ok;
}

bool CalendarGenerator::readBirthdays()
{
    m_birthdays.clear();
    Connection *connection = currentConnection();
    if (!connection || connection->state() != 1)
        return true;
    const DbError error = forEachRow(kBirthdayQuery, [this](const RowView &row) {
        const QDate born = dateOfBirth(row.utf8(2));
        if (!born.isValid())
            return true;
        const QString first = QString::fromUtf8(row.utf8(0));
        const QString last = QString::fromUtf8(row.utf8(1));
        QString name = escapeXml(trimBlanksView(first));
        name += QLatin1Char(' ');
        name += escapeXml(trimBlanksView(last));
        m_birthdays.push_back({born.month(), born.day(), born.year(), std::move(name)});
        return true;
    });
    if (error) {
        m_birthdays.clear();
        fail(T("The birthdays could not be read from the database:") + QLatin1Char('\n') +
             QString::number(error.number) + QStringLiteral(": ") + error.description);
        return false;
    }
    // Cells look their rows up by month and day; the book's order within a
    // day (first name, then last name) stays.
    const auto byDate = [](const Birthday &a, const Birthday &b) {
        return a.month != b.month ? a.month < b.month : a.day < b.day;
    };
    if (!std::is_sorted(m_birthdays.begin(), m_birthdays.end(), byDate))
        std::stable_sort(m_birthdays.begin(), m_birthdays.end(), byDate);
    return true;
}

void CalendarGenerator::addLine(int tabs, QStringView text)
{
    m_line.fill(QLatin1Char('\t'), tabs);
    m_line += text;
    m_writer->addLine(m_line);
}

bool CalendarGenerator::writeCalendarPage(int year, int month)
{
    const QString path = pageFile(year, month);
    if (!m_writer)
        m_writer = std::make_unique<PageWriter>(QString(), PageEncoding::Latin1WithReferences);
    m_writer->reset();
    m_writer->setPath(path);
    const QString mm = twoDigits(month);
    const QString site = QStringLiteral("velmora.org");
    const int firstYear = clock().today().year() - 1;

    addLine(0, u"<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>");
    addLine(0, u"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.1//EN\"");
    addLine(0, u"\"http://www.w3.org/TR/xhtml11/DTD/xhtml11.dtd\">");
    addLine(0, u"<html xmlns=\"http://www.w3.org/1999/xhtml\">");
    addLine(0, u"<head>");
    addLine(1, u"<title>");
    addLine(2, escapeXml(T("Birthday Calendar") + QStringLiteral(" - ") + monthName(month) +
                         QLatin1Char(' ') + QString::number(year)));
    addLine(1, u"</title>");
    addLine(1, u"<link href=\"calendar.css\" rel=\"stylesheet\" type=\"text/css\" media=\"all\" />");
    addLine(1, QStringLiteral("<meta name=\"keywords\" content=\"") + site +
                   QStringLiteral(", Velmora, Freeware, Birthday Calendar\" />"));
    addLine(1, QStringLiteral("<meta name=\"description\" content=\"") + site +
                   QStringLiteral(", Velmora, Freeware, Birthday Calendar\" />"));
    addLine(1, u"<meta name=\"author\" content=\"The Velmora developers\" />");
    addLine(1, QStringLiteral("<meta name=\"generator\" content=\"Velmora ") + programVersion() +
                   QStringLiteral("\" />"));
    addLine(0, u"</head>");
    addLine(0, u"<body>");

    addLine(1, u"<table>");
    addLine(2, u"<tr>");
    for (int y = firstYear; y < firstYear + kYears; ++y) {
        const QString number = QString::number(y);
        addLine(3, u"<td class=\"year\">");
        addLine(4, (y == year ? QStringLiteral("<a class=\"yeardisplayed\" href=\"")
                              : QStringLiteral("<a class=\"yearnotdisplayed\" href=\"")) +
                       number + mm + QStringLiteral(".htm\">") + number + QStringLiteral("</a>"));
        addLine(3, u"</td>");
    }
    addLine(2, u"</tr>");
    addLine(1, u"</table>");

    addLine(1, u"<table class=\"monthmenu\">");
    addLine(2, u"<tr>");
    for (int m = 1; m <= 12; ++m) {
        addLine(3, u"<td class=\"month\">");
        addLine(4, (m == month ? QStringLiteral("<a class=\"monthdisplayed\" href=\"")
                               : QStringLiteral("<a class=\"monthnotdisplayed\" href=\"")) +
                       QString::number(year) + twoDigits(m) + QStringLiteral(".htm\">") +
                       escapeXml(monthName(m)) + QStringLiteral("</a>"));
        addLine(3, u"</td>");
    }
    addLine(2, u"</tr>");
    addLine(1, u"</table>");

    addLine(1, u"<table>");
    addLine(2, u"<tr>");
    for (int d = 1; d <= 7; ++d) {
        addLine(3, u"<td class=\"weekday\">");
        addLine(4, escapeXml(weekdayName(d, m_weekStart)));
        addLine(3, u"</td>");
    }
    addLine(2, u"</tr>");

    const QDate first(year, month, 1);
    const int dayOfWeek = first.dayOfWeek(); // 1 Monday ... 7 Sunday
    const int column = m_weekStart == WeekStart::Monday ? dayOfWeek : dayOfWeek % 7 + 1;
    const int days = first.daysInMonth();
    int day = 1;
    addLine(2, u"<tr>");
    for (int c = 1; c < column; ++c)
        writeEmptyCell();
    writeDayCell(day, month, year);
    for (int c = column + 1; c <= 7; ++c)
        writeDayCell(++day, month, year);
    addLine(2, u"</tr>");
    while (day < days) {
        addLine(2, u"<tr>");
        for (int c = 1; c <= 7; ++c) {
            if (++day > days)
                writeEmptyCell();
            else
                writeDayCell(day, month, year);
        }
        addLine(2, u"</tr>");
    }
    addLine(1, u"</table>");
    addLine(0, u"</body>");
    addLine(0, u"</html>");

    if (!m_writer->flush() || !m_writer->ok()) {
        fail(m_writer->errorText());
        return false;
    }
    return true;
}

void CalendarGenerator::writeEmptyCell()
{
    addLine(3, u"<td class=\"day\">");
    addLine(4, u"&nbsp;");
    addLine(3, u"</td>");
}

void CalendarGenerator::writeDayCell(int day, int month, int year)
{
    addLine(3, u"<td class=\"day\">");
    addLine(4, u"<table>");
    addLine(5, u"<tr>");
    addLine(6, QStringLiteral("<td class=\"daynumber\">") + QString::number(day) + QStringLiteral("</td>"));
    addLine(5, u"</tr>");
    writeBirthdayRows(day, month, year);
    addLine(4, u"</table>");
    addLine(3, u"</td>");
}

void CalendarGenerator::writeBirthdayRows(int day, int month, int year)
{
    // Rows are found by their month and day, so a row no cell asks for (29
    // February in a common year) never holds up the rows after it.
    const auto from =
        std::lower_bound(m_birthdays.begin(), m_birthdays.end(), std::pair(month, day),
                         [](const Birthday &b, const std::pair<int, int> &date) {
                             return b.month != date.first ? b.month < date.first : b.day < date.second;
                         });
    int count = 0;
    for (auto it = from; it != m_birthdays.end() && it->month == month && it->day == day; ++it) {
        addLine(5, u"<tr>");
        addLine(6, QStringLiteral("<td class=\"birthday\">") + it->name + QStringLiteral(" (") +
                       QString::number(year - it->year) + QStringLiteral(")</td>"));
        addLine(5, u"</tr>");
        ++count;
    }
    for (; count < 3; ++count) {
        addLine(5, u"<tr>");
        addLine(6, u"<td class=\"birthday\">&nbsp;</td>");
        addLine(5, u"</tr>");
    }
}

void CalendarGenerator::deleteCalendarFiles()
{
    const QString css = folder() + QStringLiteral("/calendar.css");
    if (QFile::exists(css))
        QFile::remove(css);
    // The years of the last generation, and those around today in case the
    // year has turned since.
    const int thisFirst = clock().today().year() - 1;
    std::vector<int> firstYears{thisFirst};
    if (m_firstYear != 0 && m_firstYear != thisFirst)
        firstYears.push_back(m_firstYear);
    for (const int firstYear : firstYears)
        for (int year = firstYear; year < firstYear + kYears; ++year)
            for (int month = 1; month <= 12; ++month) {
                const QString page = pageFile(year, month);
                if (QFile::exists(page))
                    QFile::remove(page);
            }
}

} // namespace velmora
