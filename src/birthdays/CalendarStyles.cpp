#include "birthdays/CalendarStyles.h"

#include "app/Paths.h"
#include "app/SafeFile.h"
#include "app/Seams.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFileInfo>

namespace velmora::CalendarStyles {

namespace {
const QString kSetting = QStringLiteral("Css Calendar");
}

QString folder()
{
    return paths().dataFolder(QStringLiteral("Calendar"));
}

QStringList names()
{
    QStringList found;
    const QFileInfoList files =
        QDir(folder()).entryInfoList({QStringLiteral("*.css")}, QDir::Files | QDir::Readable, QDir::Name);
    for (const QFileInfo &file : files)
        found << file.fileName().chopped(4);
    return found;
}

QString file(const QString &name)
{
    return folder() + QLatin1Char('/') + name + QStringLiteral(".css");
}

QByteArray builtInSheet()
{
    return "body { font-family: sans-serif; color: #000000; background-color: #ffffff; }\r\n"
           "table { border-collapse: collapse; }\r\n"
           "td.year, td.month { padding: 2px 6px; }\r\n"
           "a.yeardisplayed, a.monthdisplayed { font-weight: bold; color: #000000; }\r\n"
           "a.yearnotdisplayed, a.monthnotdisplayed { color: #0000cc; }\r\n"
           "td.weekday { font-weight: bold; text-align: center; padding: 2px; }\r\n"
           "td.day { border: 1px solid #808080; width: 14%; vertical-align: top; }\r\n"
           "td.daynumber { font-weight: bold; }\r\n"
           "td.birthday { font-size: small; }\r\n";
}

bool writeChosenSheet(const QString &target, QString *errorText)
{
    QString name = getSetting(kSetting);
    if (!QFileInfo(file(name)).isFile()) {
        const QStringList all = names();
        if (all.isEmpty()) {
            const FileResult written = writeFileSafely(target, builtInSheet());
            if (!written.ok && errorText)
                *errorText = written.errorText;
            return written.ok;
        }
        name = all.constFirst();
        saveSetting(kSetting, name);
    }
    const FileResult copied = copyFileSafely(file(name), target);
    if (!copied.ok && errorText)
        *errorText = copied.errorText;
    return copied.ok;
}

bool applyStyle(const QString &name, const QString &target, QString *errorText)
{
    saveSetting(kSetting, name);
    return writeChosenSheet(target, errorText);
}

} // namespace velmora::CalendarStyles
