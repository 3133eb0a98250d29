#pragma once

#include <QString>
#include <QStringList>

namespace velmora {

// The calendar styles: the *.css files of the program's Calendar folder, each
// named by its file name without ".css". The chosen one is the setting
// "Css Calendar" and is copied to calendar.css beside the pages.
namespace CalendarStyles {

// The program's Calendar folder.
QString folder();
// The style names, in file-name order.
QStringList names();
// The style sheet file of a style name.
QString file(const QString &name);
// The style sheet used when the Calendar folder holds none: plain black on
// white with thin borders, so the pages stay readable.
QByteArray builtInSheet();

// Writes the sheet of the style the setting names into target. When that
// style is missing the first one of the folder is taken and becomes the
// setting; when the folder holds none, the built-in sheet is written and the
// setting stays. False with the reason in errorText when target cannot be
// written.
bool writeChosenSheet(const QString &target, QString *errorText);
// Makes a style the setting and copies its sheet over target.
bool applyStyle(const QString &name, const QString &target, QString *errorText);

} // namespace CalendarStyles

} // namespace velmora
