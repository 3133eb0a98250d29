#include "settings/Translate.h"

#include "app/Paths.h"
#include "app/Seams.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"

namespace velmora {

namespace {

QString chosenLanguageFile()
{
    const QString language = getSetting(QStringLiteral("Language"));
    return language.isEmpty() ? QString() : languageFile(language);
}

} // namespace

QString translate(const QString &text)
{
    const QString file = chosenLanguageFile();
    if (file.isEmpty() || text.isEmpty())
        return text;
    const QString translation = IniFile::read(file, QStringLiteral("Translation"), text);
    return translation.isEmpty() ? text : translation;
}

QString getLanguageInfo(const QString &key)
{
    const QString file = chosenLanguageFile();
    if (file.isEmpty() || key.isEmpty())
        return {};
    return IniFile::read(file, QStringLiteral("Info"), key);
}

QString languageFolder()
{
    return paths().dataFolder(QStringLiteral("Language")) + QLatin1Char('/');
}

QString languageFile(const QString &name)
{
    return languageFolder() + name + QStringLiteral(".ini");
}

} // namespace velmora
