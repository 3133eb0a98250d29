#pragma once

#include <QString>

namespace velmora {

// The program version as the window title and the About texts show it.
inline QString programVersion()
{
    return QStringLiteral("1.3.4");
}

// "Velmora 1.3.4": the title without a book and the About caption.
inline QString programTitle()
{
    return QStringLiteral("Velmora ") + programVersion();
}

// The licence the About texts name.
inline QString licenseText()
{
    return QStringLiteral("GNU General Public License, version 3 or later");
}

} // namespace velmora
