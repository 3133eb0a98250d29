#pragma once

#include <QString>

namespace velmora {

// The publisher's web server: it serves the product page and the number of
// the latest version (asked over plain HTTP on port 80 by the version check).
inline QString websiteHost()
{
    return QStringLiteral("velmora.org");
}

// The program's website, the product page: the Help menu's website command,
// the About panel, the new-version window and the reports of a broken
// installation all point here.
inline QString websiteAddress()
{
    return QStringLiteral("https://") + websiteHost();
}

} // namespace velmora
