#pragma once

#include "app/Progress.h"

#include <QString>
#include <array>

namespace velmora {

// The months of a saved calendar set: months[y][m - 1] for the years
// firstYear + y (y from 0 to 2).
struct CalendarSelection {
    int firstYear = 0;
    std::array<std::array<bool, 12>, 3> months{};
};

// Saves a chosen set of calendar pages where the user wants them.
class CalendarSaver {
public:
    // The folder picker; the empty text when the user cancelled.
    static QString browseForFolder();

    // Copies calendar.css and the chosen pages from sourceFolder into the
    // folder "Calendar" inside chosenFolder (made when missing). An existing
    // file is replaced only when the user says Yes; No keeps it and the save
    // goes on. Every file is written beside its target and renamed into
    // place. The first file that cannot be written ends the save: false, with
    // the reason naming the file in errorText(); the files copied before stay.
    // progress sees 37 steps.
    bool saveCalendarPages(const CalendarSelection &selection, const QString &sourceFolder,
                           const QString &chosenFolder, const ProgressCallback &progress = {});

    QString errorText() const { return m_errorText; }
    // The files written by the last save (replaced ones included).
    int copied() const { return m_copied; }
    // The folder the last save wrote into.
    QString targetFolder() const { return m_target; }

private:
    bool copy(const QString &source, const QString &target);

    QString m_errorText;
    QString m_target;
    int m_copied = 0;
};

} // namespace velmora
