#pragma once

class QWidget;

namespace velmora {

// The version check of the main window: starts a check when the setting
// allows it (one check at a time, on a socket that belongs to the window),
// sets the check mark of its menu entry "mnuOptionsCheck", and announces a
// newer version in the window frmNewVersion, modal, over the main window.
void checkVersion(QWidget *mainWindow);

} // namespace velmora
