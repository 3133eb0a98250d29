#include "app/Launcher.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace velmora {

bool DesktopLauncher::openUrl(const QString &url)
{
    QUrl u = QUrl::fromUserInput(url);
    if (!u.isValid())
        return false;
    return QDesktopServices::openUrl(u);
}

bool DesktopLauncher::startSelf(const QStringList &arguments)
{
    return QProcess::startDetached(QCoreApplication::applicationFilePath(), arguments);
}

bool DesktopLauncher::startProgram(const QString &program, const QStringList &arguments)
{
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return false;
    return QProcess::startDetached(path, arguments);
}

} // namespace velmora
