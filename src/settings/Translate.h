#pragma once

#include <QString>

namespace velmora {

// The translation of an English text from the chosen language file (section
// [Translation] of Language/<setting "Language">.ini), or the text itself when
// no language is chosen, the file or the key is missing, or the value is empty.
// A changed language file is seen at the next call.
QString translate(const QString &text);
inline QString T(const char *text)
{
    return translate(QString::fromUtf8(text));
}
inline QString T(const QString &text)
{
    return translate(text);
}

// A value of the [Info] section of the chosen language file ("Language",
// "Version", "Translator"), or the empty text.
QString getLanguageInfo(const QString &key);

// The folder of the language files (program folder + "/Language/").
QString languageFolder();
// The file of a language: the language folder + name + ".ini".
QString languageFile(const QString &name);

} // namespace velmora
