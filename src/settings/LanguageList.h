#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace velmora {

// The languages the user can choose from, as the language menu shows them:
// entry 0 is the built-in English, then one entry per language file in the
// Language folder, captioned with the language's name (the file name without
// ".ini"). Exactly one entry is checked after initLanguage: the language in
// force. The window builds its menu from entries() and calls chooseLanguage
// when an entry is clicked, then re-captions every open window.
class LanguageList {
public:
    struct Entry {
        QString caption;
        bool checked = false;
    };

    // Fills the entries from the Language folder; nothing is checked yet.
    void build();
    // build(), then selects the stored language (mapped from the older native
    // names) or, on a first start, the language of the user's locale.
    void initLanguage();
    // Checks the entries captioned exactly `name` and unchecks the others.
    // When one matched the setting "Language" becomes `name`; otherwise
    // "English" is checked and the setting stays as it was.
    void selectLanguage(const QString &name);
    // The user clicked an entry: its caption becomes the setting "Language"
    // (entry 0 writes "English") and it is the one checked entry. False, and
    // nothing changed, for an index that is not an entry.
    bool chooseLanguage(int index);

    const QList<Entry> &entries() const { return m_entries; }
    int count() const { return int(m_entries.size()); }
    // Index of the checked entry, -1 when none is.
    int checkedIndex() const;

    // The language names of the files in the Language folder, ordered by name.
    static QStringList languageNames();
    // The language a stored setting stands for ("Deutsch" -> "German", ...;
    // any other value stands for itself).
    static QString mapStoredLanguage(const QString &stored);
    // The language for a three-letter locale abbreviation (first start), or
    // the empty text when no rule matches.
    static QString languageForAbbreviation(const QString &abbreviation);

private:
    QList<Entry> m_entries;
};

} // namespace velmora
