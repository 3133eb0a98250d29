#include "version/ui/CheckVersion.h"

#include "version/VersionCheck.h"
#include "version/ui/NewVersionWindow.h"

#include <QAction>
#include <QPointer>
#include <QWidget>

namespace velmora {

namespace {

void announce(QWidget *mainWindow, const QString &version)
{
    // Modal without a nested event loop: the socket's handler returns at once.
    auto *window = new NewVersionWindow(version, mainWindow);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
}

} // namespace

void checkVersion(QWidget *mainWindow)
{
    auto *check = mainWindow->findChild<VersionCheck *>(QString(), Qt::FindDirectChildrenOnly);
    if (!check) {
        check = new VersionCheck(mainWindow);
        QObject::connect(check, &VersionCheck::newerVersion, mainWindow,
                         [mainWindow](const QString &version) { announce(mainWindow, version); });
    }
    const bool on = check->checkVersion();
    if (auto *entry = mainWindow->findChild<QAction *>(QStringLiteral("mnuOptionsCheck")))
        entry->setChecked(on);
}

} // namespace velmora
