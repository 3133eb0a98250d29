#include "app/TextFunctions.h"

namespace velmora {

QString fileNameOfPath(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? path : path.mid(slash + 1);
}

QString emailUserName(const QString &address)
{
    const qsizetype at = address.indexOf(QLatin1Char('@'));
    return at < 0 ? QString() : address.left(at);
}

} // namespace velmora
