#pragma once

#include <QString>

namespace velmora {

// The program's website: the Help menu's website command, the About panel and
// the reports of a broken installation all point here.
inline QString websiteAddress()
{
    return QStringLiteral("https://velmora.org");
}

} // namespace velmora
