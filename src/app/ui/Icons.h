#pragma once

#include <QIcon>
#include <QString>

namespace velmora {

// An icon of the desktop's icon theme, or the program's own drawing of it
// when the theme has none. name is the program's name of the icon ("new",
// "open", "add", "edit", "remove", "export", "search", "email", "calendar",
// "password", "sync", "velmora").
QIcon programIcon(const QString &name);

} // namespace velmora
