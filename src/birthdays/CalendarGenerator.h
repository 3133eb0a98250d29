#pragma once

#include "app/Progress.h"

#include <QString>
#include <memory>
#include <vector>

namespace velmora {

class PageWriter;

// Which day the weeks of the calendar pages start with.
enum class WeekStart { Monday, Sunday };

// The birthday calendar: one linked XHTML page per month for the previous,
// the current and the next year (36 pages, named yyyymm.htm) and the style
// sheet calendar.css they share, written into the program's private
// temporary folder. The calendar window shows them and saves a chosen set.
//
// Pages are ISO-8859-1 with CR LF line ends. Names are escaped, and
// characters ISO-8859-1 cannot hold are written as character references, so
// every page is well-formed and no name is lost.
class CalendarGenerator {
public:
    CalendarGenerator();
    ~CalendarGenerator();
    CalendarGenerator(const CalendarGenerator &) = delete;
    CalendarGenerator &operator=(const CalendarGenerator &) = delete;

    // Rewrites calendar.css and all 36 pages from the open book (pages with
    // empty day cells when no book is open), the week start and style taken
    // from the settings. progress sees 37 steps. False when the book could
    // not be read or a file could not be written; errorText() says which.
    bool generateCalendar(const ProgressCallback &progress = {});
    // Writes the page of one month into the temporary folder.
    bool writeCalendarPage(int year, int month);
    // Adds the birthday rows of one day cell to the page being written: the
    // persons born on that month and day with the age they reach in year,
    // and empty rows up to three.
    void writeBirthdayRows(int day, int month, int year);
    // Deletes calendar.css and the pages of the last generation and of the
    // years around today from the temporary folder.
    void deleteCalendarFiles();

    // The week start of the setting "Week Start" (anything but "Sunday" is
    // Monday).
    static WeekStart weekStartSetting();
    WeekStart weekStart() const { return m_weekStart; }
    // The name of a page file ("202612.htm") and its path in the folder.
    static QString pageFileName(int year, int month);
    QString pageFile(int year, int month) const;
    // The temporary folder the pages are written to (no trailing "/").
    QString folder() const;
    // The first of the three years of the last generation (0 before one).
    int firstYear() const { return m_firstYear; }
    QString errorText() const { return m_errorText; }

private:
    struct Birthday;
    bool readBirthdays();
    void addLine(int tabs, QStringView text);
    void writeDayCell(int day, int month, int year);
    void writeEmptyCell();
    void fail(const QString &text);

    std::vector<Birthday> m_birthdays;
    std::unique_ptr<PageWriter> m_writer;
    WeekStart m_weekStart = WeekStart::Monday;
    int m_firstYear = 0;
    QString m_line;
    QString m_errorText;
};

} // namespace velmora
