#pragma once

#include <QLocale>
#include <QString>

namespace velmora {

// The classic numeric locale identifiers and three-letter language
// abbreviations (ENU, NLD, DEU, ...) that the language detection and the
// database files use, for the locales of this system.
class LocaleTable {
public:
    // The locale identifier of a locale (1033, English (United States), when
    // the table does not know the language).
    static quint32 identifier(const QLocale &locale);
    // The three-letter abbreviated language name of a locale ("ENU" when the
    // table does not know the language).
    static QString abbreviation(const QLocale &locale);
    // The locale an identifier stands for; the C locale when it is unknown.
    static QLocale locale(quint32 identifier);
    // The abbreviation of an identifier; empty when it is unknown.
    static QString abbreviation(quint32 identifier);
};

} // namespace velmora
