#include "mainwindow/DetailRules.h"

#include "app/TextFunctions.h"
#include "app/PersonKey.h"

namespace velmora {

QString personCopyText(const QString &text, const QString &subItem)
{
    return trimBlanks(text) + QLatin1Char(' ') + trimBlanks(subItem);
}

QString boxCopyText(const QString &text, const QString &selected)
{
    return selected.isEmpty() ? text : selected;
}

bool rowHasDescription(const QString &text, const QString &value)
{
    return trimBlanks(text).size() > trimBlanks(value).size();
}

QString mailtoLink(const QString &address)
{
    return QStringLiteral("mailto:") + trimBlanks(address);
}

bool mentionsProfileProvider(const QString &rowText)
{
    const QString t = trimBlanks(rowText).toLower();
    return t.contains(QLatin1String("hotmail")) || t.contains(QLatin1String("msn")) ||
           t.contains(QLatin1String("yahoo"));
}

QString msnProfileBase()
{
    return QStringLiteral("https://members.msn.com/");
}

QString yahooProfileBase()
{
    return QStringLiteral("https://profiles.yahoo.com/");
}

QString providerProfileLink(const QString &rowText, const QString &address)
{
    const QString t = trimBlanks(rowText).toLower();
    const QString a = trimBlanks(address);
    if (t.contains(QLatin1String("hotmail")) || t.contains(QLatin1String("msn")))
        return msnProfileBase() + a;
    return yahooProfileBase() + emailUserName(a);
}

} // namespace velmora
