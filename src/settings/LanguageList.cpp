#include "settings/LanguageList.h"

#include "settings/Environment.h"
#include "settings/Settings.h"
#include "settings/Translate.h"

#include <QDir>

namespace velmora {

namespace {

struct Pair {
    const char *from;
    const char *to;
};

// Names older versions stored, in the language itself.
constexpr Pair kStoredNames[] = {
    {"Dansk", "Danish"},     {"Deutsch", "German"},
    {"Eesti", "Estonian"},   {"Español", "Spanish"},
    {"français", "French"},  {"Italiano", "Italian"},
    {"Nederlands", "Dutch"}, {"Norsk (bokmål)", "Norwegian (Bokmål)"},
    {"Polski", "Polish"},    {"Suomi", "Finnish"},
};

constexpr Pair kAbbreviations[] = {
    {"EUQ", "Basque"},
    {"CHT", "Chinese (Taiwan)"},
    {"HRV", "Croatian"},
    {"DAN", "Danish"},
    {"ETI", "Estonian"},
    {"FIN", "Finnish"},
    {"ELL", "Greek"},
    {"HEB", "Hebrew"},
    {"HUN", "Hungarian"},
    {"ISL", "Icelandic"},
    {"BAH", "Indonesian"},
    {"LVI", "Latvian"},
    {"PLK", "Polish"},
    {"PTB", "Portuguese (Brazilian)"},
    {"PTG", "Portuguese (Portugal)"},
    {"SHQ", "Serbian (Cyrillic)"},
    {"SKY", "Slovak"},
    {"SLV", "Slovenian"},
    {"SVE", "Swedish"},
    {"TRK", "Turkish"},
    {"UKR", "Ukrainian"},
};

constexpr Pair kTwoLetters[] = {
    {"SQ", "Albanian"},           {"NL", "Dutch"},    {"FR", "French"},  {"DE", "German"},  {"IT", "Italian"},
    {"NO", "Norwegian (Bokmål)"}, {"RO", "Romanian"}, {"ES", "Spanish"}, {"RU", "Russian"},
};

} // namespace

QStringList LanguageList::languageNames()
{
    const QDir folder(languageFolder());
    const QStringList files = folder.entryList({QStringLiteral("*.ini")}, QDir::Files | QDir::CaseSensitive,
                                               QDir::Name | QDir::IgnoreCase);
    QStringList names;
    for (const QString &file : files) {
        const QString name = file.left(file.size() - 4);
        if (!name.isEmpty())
            names.append(name);
    }
    return names;
}

void LanguageList::build()
{
    m_entries.clear();
    const QString english = QStringLiteral("English");
    m_entries.append({english, false});
    // A file English.ini supplies the texts of entry 0; it gets no entry of
    // its own, so the menu never shows English twice.
    for (const QString &name : languageNames()) {
        if (name != english)
            m_entries.append({name, false});
    }
}

void LanguageList::initLanguage()
{
    build();
    const QString stored = getSetting(QStringLiteral("Language"));
    if (!stored.isEmpty())
        selectLanguage(mapStoredLanguage(stored));
    else
        selectLanguage(languageForAbbreviation(getLanguageAbbreviation()));
}

void LanguageList::selectLanguage(const QString &name)
{
    bool matched = false;
    for (Entry &entry : m_entries) {
        entry.checked = entry.caption == name;
        matched = matched || entry.checked;
    }
    if (matched)
        saveSetting(QStringLiteral("Language"), name);
    else if (!m_entries.isEmpty())
        m_entries.front().checked = true;
}

bool LanguageList::chooseLanguage(int index)
{
    if (index < 0 || index >= count())
        return false;
    for (Entry &entry : m_entries)
        entry.checked = false;
    saveSetting(QStringLiteral("Language"), m_entries.at(index).caption);
    m_entries[index].checked = true;
    return true;
}

int LanguageList::checkedIndex() const
{
    for (int i = 0; i < count(); ++i) {
        if (m_entries.at(i).checked)
            return i;
    }
    return -1;
}

QString LanguageList::mapStoredLanguage(const QString &stored)
{
    for (const Pair &p : kStoredNames) {
        if (stored == QString::fromUtf8(p.from))
            return QString::fromUtf8(p.to);
    }
    return stored;
}

QString LanguageList::languageForAbbreviation(const QString &abbreviation)
{
    for (const Pair &p : kAbbreviations) {
        if (abbreviation == QLatin1String(p.from))
            return QString::fromUtf8(p.to);
    }
    for (const Pair &p : kTwoLetters) {
        if (abbreviation.startsWith(QLatin1String(p.from)))
            return QString::fromUtf8(p.to);
    }
    return {};
}

} // namespace velmora
