#include "settings/Translate.h"

namespace velmora {

QString translate(const QString &text)
{
    return text;
}

} // namespace velmora
