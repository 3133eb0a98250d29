#include "app/Startup.h"

#include "app/PersonKey.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

namespace velmora {

namespace {
QString &storedCommandLine()
{
    static QString line;
    return line;
}
} // namespace

QString joinArguments(const QStringList &arguments)
{
    return trimBlanks(arguments.mid(1).join(QLatin1Char(' ')));
}

QString commandLine()
{
    return storedCommandLine();
}

void setCommandLine(const QString &line)
{
    storedCommandLine() = trimBlanks(line);
}

StartMode startModeOf(const QString &line)
{
    if (line == QLatin1String("/Reminder"))
        return StartMode::Reminder;
    if (line.startsWith(QLatin1String("/Person")))
        return StartMode::Person;
    if (line.isEmpty())
        return StartMode::Default;
    return StartMode::DatabasePath;
}

QString withFullBookPath(const QString &line, const QString &workingFolder)
{
    if (startModeOf(line) != StartMode::DatabasePath)
        return line;
    return QDir::cleanPath(QDir(workingFolder).absoluteFilePath(line));
}

QString personKeyOf(const QString &line)
{
    return line.mid(1);
}

QString runningMarkerPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + QStringLiteral("/Velmora.lock");
}

void holdRunningMarker()
{
    static QLockFile marker(runningMarkerPath());
    marker.setStaleLockTime(0);
    marker.tryLock(0);
}

bool restoresMaximized(const QString &windowStateSetting)
{
    return windowStateSetting == QLatin1String("2");
}

QString windowStateText(bool minimized, bool maximized)
{
    if (minimized)
        return QStringLiteral("1");
    if (maximized)
        return QStringLiteral("2");
    return QStringLiteral("0");
}

} // namespace velmora
